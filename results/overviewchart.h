#pragma once

#include <QWidget>

class TwSearchResult;
namespace QtCharts {
class QChartView;
}

// The overview page: a ring chart of the duplicate volume per category, its
// legend naming each category with its size.
class OverviewChart : public QWidget {
    Q_OBJECT
public:
    explicit OverviewChart(QWidget *parent = nullptr);

    // Replaces the chart's series by the shares of `result` (none when it
    // has no category).
    void build(const TwSearchResult *result);
    QtCharts::QChartView *chartView() const { return m_chartView; }

private:
    QtCharts::QChartView *m_chartView = nullptr;
};
