#include "results/filepresentationpane.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "platform/product.h"
#include "results/imagelistmodel.h"
#include "results/imagelistview.h"
#include "results/previewpane.h"
#include "widgets/flatui.h"

FilePresentationPane::FilePresentationPane(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("frame_right"));
    setStyleSheet(QStringLiteral("QFrame#frame_right{border-left:1px solid #c7c7c7;}"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 0, 0, 0);
    layout->setSpacing(0);

    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("widget"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 0, 10, 0);
    btnMenu = new QPushButton(tr("Smart Select"), bar);
    btnMenu->setObjectName(QStringLiteral("btnMenu"));
    btnMenu->setMinimumHeight(40);
    btnMenu->setIcon(QIcon(QStringLiteral(":/resource/smartCheck.png")));
    btnMenu->setCursor(Qt::PointingHandCursor);
    btnMenu->setStyleSheet(QStringLiteral("QPushButton{background-color: rgba(255, 255, 255, "
                                          "0);}\nQPushButton::menu-indicator{image:none;}"));
    horizontalSlider = new QSlider(Qt::Horizontal, bar);
    horizontalSlider->setObjectName(QStringLiteral("horizontalSlider"));
    horizontalSlider->setMinimumWidth(130);
    horizontalSlider->setRange(2, 6);
    horizontalSlider->setValue(4);
    auto *widget2 = new QWidget(bar);
    widget2->setObjectName(QStringLiteral("widget_2"));
    widget2->setMinimumWidth(150);
    auto *toggles = new QHBoxLayout(widget2);
    toggles->setContentsMargins(0, 0, 0, 0);
    toggles->setSpacing(6);
    btn_right_grid = makeToggle(widget2, "btn_right_grid", QStringLiteral("iconlist"));
    btn_right_flow = makeToggle(widget2, "btn_right_flow", QStringLiteral("slidelist"));
    btn_right_list = makeToggle(widget2, "btn_right_list", QStringLiteral("comparelist"));
    btn_right_grid->setToolTip(tr("Thumbnails"));
    btn_right_flow->setToolTip(tr("Preview"));
    btn_right_list->setToolTip(tr("Compare"));
    btn_right_grid->setChecked(true);
    toggles->addStretch(1);
    toggles->addWidget(btn_right_grid);
    toggles->addWidget(btn_right_flow);
    toggles->addWidget(btn_right_list);
    barLayout->addWidget(btnMenu);
    barLayout->addStretch(1);
    barLayout->addWidget(horizontalSlider);
    barLayout->addWidget(widget2);
    layout->addWidget(bar);
    auto *barLine = new QFrame(this);
    barLine->setFixedHeight(1);
    barLine->setStyleSheet(QStringLiteral("background:#e3e3e3;"));
    layout->addWidget(barLine);

    stackedWidget = new QStackedWidget(this);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    auto *page = new QWidget(stackedWidget);
    page->setObjectName(QStringLiteral("page"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    listImageView_ = new ImageListView(page);
    listImageView_->setObjectName(QStringLiteral("listImageView"));
    listImageView_->setFrameShape(QFrame::NoFrame);
    pageLayout->addWidget(listImageView_);
    stackedWidget->addWidget(page);
    m_preview = new PreviewPane(stackedWidget);
    stackedWidget->addWidget(m_preview);
    stackedWidget->setCurrentIndex(0);
    layout->addWidget(stackedWidget, 1);

    listImageView_->setViewMode(ImageListView::Grid);
    listImageView_->setColumns(4);
    connect(horizontalSlider, &QSlider::valueChanged, this,
        &FilePresentationPane::setColumnsFromSlider);
    connect(btn_right_grid, &QPushButton::clicked, this,
        [this] { setPresentation(FilePresentation::Grid); });
    connect(btn_right_flow, &QPushButton::clicked, this,
        [this] { setPresentation(FilePresentation::Flow); });
    connect(btn_right_list, &QPushButton::clicked, this,
        [this] { setPresentation(FilePresentation::CompareList); });
}

QPushButton *FilePresentationPane::makeToggle(
    QWidget *parent, const char *name, const QString &image)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setFixedSize(29, 24);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton{border:none;border-image:url(:/resource/"
                                         "%1_normal.png);}"
                                         "QPushButton:pressed,QPushButton:checked{border-image:"
                                         "url(:/resource/%1_selected.png);}")
                              .arg(image));
    return button;
}

QList<QWidget *> FilePresentationPane::tabChain() const
{
    QList<QWidget *> chain { btnMenu, horizontalSlider, btn_right_grid, btn_right_flow,
        btn_right_list, listImageView_ };
    if (auto *table = m_preview->findChild<QWidget *>(QStringLiteral("tableView")))
        chain.append(table);
    return chain;
}

void FilePresentationPane::setFilesModel(ImageListModel *files)
{
    listImageView_->setModel(files);
    m_preview->setFilesModel(files);
}

void FilePresentationPane::setSmartMenu(QMenu *menu)
{
    btnMenu->setMenu(menu);
}

void FilePresentationPane::applyStyle()
{
    const QString accent = QString::fromLatin1(Product::AccentColor);
    FlatUI::instance()->applySliderStyle(
        horizontalSlider, 8, QStringLiteral("#d0d0d0"), accent, accent);
}

void FilePresentationPane::setPresentation(FilePresentation presentation)
{
    const bool changed = m_presentation != presentation;
    if (m_presentation == FilePresentation::Flow && presentation != FilePresentation::Flow)
        m_preview->release();
    m_presentation = presentation;
    switch (presentation) {
    case FilePresentation::Grid:
        btn_right_grid->setChecked(true);
        stackedWidget->setCurrentIndex(0);
        listImageView_->setViewMode(ImageListView::Grid);
        setColumnsFromSlider(horizontalSlider->value());
        horizontalSlider->show();
        break;
    case FilePresentation::CompareList:
        btn_right_list->setChecked(true);
        stackedWidget->setCurrentIndex(0);
        listImageView_->setViewMode(ImageListView::CompareList);
        listImageView_->setColumns(1);
        horizontalSlider->hide();
        break;
    case FilePresentation::Flow:
        btn_right_flow->setChecked(true);
        stackedWidget->setCurrentIndex(1);
        m_preview->fill();
        horizontalSlider->hide();
        break;
    }
    if (changed)
        emit presentationChanged(presentation);
}

void FilePresentationPane::setColumnsFromSlider(int value)
{
    listImageView_->setColumns(8 - value);
}

void FilePresentationPane::refreshMarks()
{
    if (previewShowing())
        m_preview->refreshMarks();
    else
        listImageView_->viewport()->update();
}

void FilePresentationPane::showNoSelection()
{
    m_preview->showNoSelection();
    listImageView_->setStyleSheet(QStringLiteral(
        "background-color:white;background-image:url(:/resource/noSelection_LiteBG.png);"
        "background-position:center;background-repeat:no-repeat;"));
}

void FilePresentationPane::showSelection()
{
    listImageView_->setStyleSheet(QString());
}
