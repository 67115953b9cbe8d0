#include "results/overviewchart.h"

#include <QFrame>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QPieSeries>
#include <QtCharts/QPieSlice>

#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twshared.h"

using namespace QtCharts;

OverviewChart::OverviewChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("page_8"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *frameChart = new QFrame(this);
    frameChart->setObjectName(QStringLiteral("frame_chart"));
    frameChart->setStyleSheet(QStringLiteral(
        "QFrame#frame_chart{border:1px solid #c7c7c7;border-left:0px;border-right:0px;}"));
    auto *chartLayout = new QVBoxLayout(frameChart);
    chartLayout->setContentsMargins(20, 10, 20, 10);
    m_chartView = new QChartView(frameChart);
    m_chartView->setObjectName(QStringLiteral("chartView"));
    m_chartView->setFrameShape(QFrame::NoFrame);
    m_chartView->setBackgroundBrush(Qt::white);
    chartLayout->addWidget(m_chartView);
    layout->addWidget(frameChart);
}

void OverviewChart::build(const TwSearchResult *result)
{
    QChart *chart = m_chartView->chart();
    chart->removeAllSeries();
    // 0x10: pens scale with the chart rather than staying one device pixel wide.
    m_chartView->setRenderHint(QPainter::RenderHint(0x10));
    m_chartView->setRenderHint(QPainter::Antialiasing);

    auto *series = new QPieSeries(chart);
    series->setHoleSize(0.45);
    series->setPieSize(0.8);
    const qint64 total = result ? result->bytesOfDuplicateFiles() : 0;
    const auto containers = result ? result->containers() : QMap<QString, TwCatalogContainer *>();
    for (TwCatalogContainer *container : containers) {
        // A result without duplicate bytes has no shares to show (and no division by zero).
        const float value
            = total > 0 ? float(container->duplicateBytes()) / float(total) * 100.0f : 0.0f;
        auto *slice = new QPieSlice(
            QStringLiteral("%1  %2").arg(TwShared::categoryDisplayName(container->containerName()),
                TwSearchResult::sizeText(container->duplicateBytes())),
            qreal(value), series);
        slice->setColor(container->containerColor());
        slice->setBorderColor(Qt::white);
        slice->setLabelArmLengthFactor(50);
        slice->setLabelPosition(QPieSlice::LabelOutside);
        series->append(slice);
        if (!chart->series().contains(series))
            chart->addSeries(series);
    }
    if (chart->series().isEmpty())
        delete series;

    chart->setBackgroundVisible(false);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setFont(QFont(QStringLiteral("Arial"), 9));
    chart->setAnimationOptions(QChart::AllAnimations);
}
