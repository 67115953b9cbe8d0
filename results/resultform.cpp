#include "results/resultform.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QFileInfo>
#include <QFrame>
#include <QHelpEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QPieSeries>
#include <QtCharts/QPieSlice>

#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitemgroup.h"
#include "model/twshared.h"
#include "model/twstoprequest.h"
#include "platform/product.h"
#include "preferences/twpreferences.h"
#include "results/imagelistmodel.h"
#include "results/imagelistview.h"
#include "results/qbaseitem.h"
#include "results/qgroupitem.h"
#include "widgets/filetypeicon.h"
#include "widgets/flatui.h"
#include "widgets/desktopprompts.h"

using namespace QtCharts;

namespace {

const QString allCategory = QStringLiteral("All");

QPushButton *makeCategoryButton(QWidget *parent, const QString &name, const QString &text, int x)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setGeometry(x, 0, 80, 30);
    button->setCursor(Qt::PointingHandCursor);
    // Eighty pixels must hold "Documents" with room to its borders, whatever
    // the desktop's default font size.
    QFont font = button->font();
    font.setPixelSize(12);
    button->setFont(font);
    return button;
}

QPushButton *makeIconToggle(QWidget *parent, const QString &name, const QString &image)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
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

QIcon twoStateIcon(const QString &normal, const QString &selected)
{
    QIcon icon;
    icon.addFile(normal, QSize(), QIcon::Normal, QIcon::Off);
    icon.addFile(selected, QSize(), QIcon::Normal, QIcon::On);
    return icon;
}

} // namespace

ResultForm::ResultForm(TwSearchResult *result, QWidget *parent)
    : QWidget(parent)
    , m_result(result)
    , m_category(allCategory)
{
    buildWidgetTree();
    initUI();

    m_groupsModel = new ImageListModel(m_result, this);
    m_groupsModel->setKind(ImageListModel::GroupRows);
    m_filesModel = new ImageListModel(m_result, this);
    m_filesModel->setKind(ImageListModel::FileRows);

    listImageView->setViewMode(ImageListView::Grid);
    listImageView->setColumns(4);
    listImageView->setModel(m_filesModel);

    m_groupsModel->loadAndSortGroups(m_category, comboBox->currentIndex(), m_resultMode);
    listView->setViewMode(ImageListView::GroupList);
    listView->setColumns(1);
    listView->setModel(m_groupsModel);
    listView->viewport()->installEventFilter(this);
    connectSignals();

    stackedWidget->setCurrentIndex(0);
    stackview_main->setCurrentIndex(0);
    frame_top_img->hide();
    afterLoad(m_groupsModel->rowCount());

    updateStatus(false);
    bulidPieChart();
    initMenu();
    setTitle();
    listView->setFocus();
}

ResultForm::~ResultForm()
{
    qDebug() << "~ResultForm()";
    // Views first: they hold the models and the menu hangs off a child button.
    delete m_smartMenu;
    m_smartMenu = nullptr;
    FlatUI::destroyInstance();
}

void ResultForm::buildWidgetTree()
{
    setObjectName(QStringLiteral("ResultForm"));
    resize(900, 700);
    setMinimumSize(900, 700);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    // Slim scroll bars everywhere in the window, in the accent's grey family.
    setStyleSheet(QStringLiteral(
        "QScrollBar:vertical{width:10px;background:transparent;margin:0px;}"
        "QScrollBar::handle:vertical{background:#c9c9c9;border-radius:4px;min-height:30px;"
        "margin:0px 2px;}"
        "QScrollBar::handle:vertical:hover{background:#a9a9a9;}"
        "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}"));

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Top bar: back, overview and the segmented category bar.
    auto *frameTop = new QFrame(this);
    frameTop->setObjectName(QStringLiteral("frame_top"));
    auto *topLayout = new QHBoxLayout(frameTop);
    topLayout->setContentsMargins(10, 15, 10, 15);
    topLayout->setSpacing(0);
    btnClose = new QPushButton(tr("< Back"), frameTop);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setMinimumHeight(30);
    btnClose->setFont(QFont(QStringLiteral("Arial")));
    btnClose->setCursor(Qt::PointingHandCursor);
    btnClose->setStyleSheet(QStringLiteral(
        "QPushButton{background-color: rgba(255, 255, 255, 0);color: rgb(0, 0, 0);}\n\n\n"
        "QPushButton:hover{color: rgb(75, 132, 255);}\nQPushButton:pressed{color: rgb(75, 132, "
        "255);}\n"));
    btn_over = new QPushButton(tr("Overview"), frameTop);
    btn_over->setObjectName(QStringLiteral("btn_over"));
    btn_over->setMinimumSize(80, 30);
    btn_over->setCheckable(true);
    btn_over->setCursor(Qt::PointingHandCursor);
    QFont overFont = btn_over->font();
    overFont.setPixelSize(13);
    btn_over->setFont(overFont);
    widget_4 = new QWidget(frameTop);
    widget_4->setObjectName(QStringLiteral("widget_4"));
    widget_4->setMinimumSize(660, 30);
    btn_all = makeCategoryButton(widget_4, QStringLiteral("btn_all"), tr("All"), 20);
    btn_document
        = makeCategoryButton(widget_4, QStringLiteral("btn_document"), tr("Documents"), 99);
    btn_image = makeCategoryButton(widget_4, QStringLiteral("btn_image"), tr("Images"), 178);
    btn_music = makeCategoryButton(widget_4, QStringLiteral("btn_music"), tr("Musics"), 257);
    btn_videos = makeCategoryButton(widget_4, QStringLiteral("btn_videos"), tr("Videos"), 336);
    btn_archives
        = makeCategoryButton(widget_4, QStringLiteral("btn_archives"), tr("Archives"), 415);
    btn_packages
        = makeCategoryButton(widget_4, QStringLiteral("btn_packages"), tr("Packages"), 494);
    btn_others = makeCategoryButton(widget_4, QStringLiteral("btn_others"), tr("Others"), 573);
    btn_all->setChecked(true);
    topLayout->addWidget(btnClose);
    topLayout->addSpacing(10);
    topLayout->addWidget(btn_over);
    topLayout->addStretch(1);
    topLayout->addWidget(widget_4);
    topLayout->addStretch(1);
    root->addWidget(frameTop);

    stackview_main = new QStackedWidget(this);
    stackview_main->setObjectName(QStringLiteral("stackview_main"));
    root->addWidget(stackview_main, 1);

    // Page 0: the lists.
    auto *page7 = new QWidget(stackview_main);
    page7->setObjectName(QStringLiteral("page_7"));
    auto *page7Layout = new QVBoxLayout(page7);
    page7Layout->setContentsMargins(0, 0, 0, 0);
    frame = new QFrame(page7);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(0, 1, 0, 1);
    splitter = new QSplitter(Qt::Horizontal, frame);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(2);
    splitter->setChildrenCollapsible(false);
    frameLayout->addWidget(splitter);
    page7Layout->addWidget(frame);

    auto *frameLeft = new QFrame(splitter);
    frameLeft->setObjectName(QStringLiteral("frame_left"));
    frameLeft->setMinimumSize(220, 200);
    frameLeft->setMaximumWidth(300);
    auto *leftLayout = new QVBoxLayout(frameLeft);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);

    frame_top_img = new QFrame(frameLeft);
    frame_top_img->setObjectName(QStringLiteral("frame_top_img"));
    frame_top_img->setStyleSheet(
        QStringLiteral("QFrame#frame_top_img{border-bottom:1px solid #c7c7c7;}"));
    auto *switchLayout = new QHBoxLayout(frame_top_img);
    switchLayout->setContentsMargins(4, 4, 4, 4);
    switchLayout->setSpacing(0);
    const QString switchStyle = QStringLiteral(
        "QPushButton{background-color: rgba(255, 255, 255, 0);border:none;color:#606060;}"
        "QPushButton:checked{color:#3b99fc;}");
    btn_duplicate = new QPushButton(tr("Duplicate"), frame_top_img);
    btn_duplicate->setObjectName(QStringLiteral("btn_duplicate"));
    btn_duplicate->setMinimumSize(100, 30);
    btn_duplicate->setCheckable(true);
    btn_duplicate->setAutoExclusive(true);
    btn_duplicate->setChecked(true);
    btn_duplicate->setStyleSheet(switchStyle);
    btn_duplicate->setIcon(twoStateIcon(QStringLiteral(":/resource/duplicate_normal.png"),
        QStringLiteral(":/resource/duplicate_selected.png")));
    auto *line = new QFrame(frame_top_img);
    line->setObjectName(QStringLiteral("line"));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    pushButton_4 = new QPushButton(tr("Similar"), frame_top_img);
    pushButton_4->setObjectName(QStringLiteral("pushButton_4"));
    pushButton_4->setMinimumSize(100, 30);
    pushButton_4->setCheckable(true);
    pushButton_4->setAutoExclusive(true);
    pushButton_4->setStyleSheet(switchStyle);
    pushButton_4->setIcon(twoStateIcon(QStringLiteral(":/resource/similar_normal.png"),
        QStringLiteral(":/resource/similar_selected.png")));
    switchLayout->addWidget(btn_duplicate);
    switchLayout->addWidget(line);
    switchLayout->addWidget(pushButton_4);
    leftLayout->addWidget(frame_top_img);

    listView = new ImageListView(frameLeft);
    listView->setObjectName(QStringLiteral("listView"));
    listView->setMinimumWidth(195);
    listView->setFrameShape(QFrame::NoFrame);
    leftLayout->addWidget(listView, 1);

    auto *searchRow = new QWidget(frameLeft);
    searchRow->setObjectName(QStringLiteral("searchRow"));
    auto *searchLayout = new QHBoxLayout(searchRow);
    searchLayout->setContentsMargins(8, 8, 8, 8);
    searchLayout->setSpacing(15);
    lineEdit = new QLineEdit(searchRow);
    lineEdit->setObjectName(QStringLiteral("lineEdit"));
    lineEdit->setPlaceholderText(tr("Search"));
    lineEdit->setClearButtonEnabled(true);
    comboBox = new QComboBox(searchRow);
    comboBox->setObjectName(QStringLiteral("comboBox"));
    comboBox->setMinimumWidth(80);
    comboBox->addItems({ tr("Name"), tr("Size"), tr("Count"), tr("Type") });
    comboBox->setCurrentIndex(0);
    searchLayout->addWidget(lineEdit, 1);
    searchLayout->addWidget(comboBox);
    leftLayout->addWidget(searchRow);

    auto *frameRight = new QFrame(splitter);
    frameRight->setObjectName(QStringLiteral("frame_right"));
    frameRight->setStyleSheet(QStringLiteral("QFrame#frame_right{border-left:1px solid #c7c7c7;}"));
    auto *rightLayout = new QVBoxLayout(frameRight);
    rightLayout->setContentsMargins(1, 0, 0, 0);
    rightLayout->setSpacing(0);
    auto *bar = new QWidget(frameRight);
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
    btn_right_grid
        = makeIconToggle(widget2, QStringLiteral("btn_right_grid"), QStringLiteral("iconlist"));
    btn_right_flow
        = makeIconToggle(widget2, QStringLiteral("btn_right_flow"), QStringLiteral("slidelist"));
    btn_right_list
        = makeIconToggle(widget2, QStringLiteral("btn_right_list"), QStringLiteral("comparelist"));
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
    rightLayout->addWidget(bar);
    auto *barLine = new QFrame(frameRight);
    barLine->setFixedHeight(1);
    barLine->setStyleSheet(QStringLiteral("background:#e3e3e3;"));
    rightLayout->addWidget(barLine);

    stackedWidget = new QStackedWidget(frameRight);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    auto *page = new QWidget(stackedWidget);
    page->setObjectName(QStringLiteral("page"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    listImageView = new ImageListView(page);
    listImageView->setObjectName(QStringLiteral("listImageView"));
    listImageView->setFrameShape(QFrame::NoFrame);
    pageLayout->addWidget(listImageView);
    stackedWidget->addWidget(page);

    auto *page2 = new QWidget(stackedWidget);
    page2->setObjectName(QStringLiteral("page_2"));
    auto *page2Layout = new QVBoxLayout(page2);
    page2Layout->setContentsMargins(0, 0, 0, 0);
    splitter_2 = new QSplitter(Qt::Vertical, page2);
    splitter_2->setObjectName(QStringLiteral("splitter_2"));
    splitter_2->setChildrenCollapsible(false);
    labImage = new QLabel(splitter_2);
    labImage->setObjectName(QStringLiteral("labImage"));
    labImage->setMinimumHeight(150);
    labImage->setMaximumHeight(680);
    labImage->setAlignment(Qt::AlignCenter);
    // The picture follows the label's size, never the other way round.
    labImage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    labImage->setStyleSheet(QStringLiteral("background-color: rgb(135, 135, 135);"));
    tableView = new QTableView(splitter_2);
    tableView->setObjectName(QStringLiteral("tableView"));
    tableView->setMinimumHeight(100);
    tableView->setMaximumHeight(700);
    tableView->setFrameShape(QFrame::NoFrame);
    splitter_2->addWidget(labImage);
    splitter_2->addWidget(tableView);
    splitter_2->setStretchFactor(0, 3);
    splitter_2->setStretchFactor(1, 2);
    page2Layout->addWidget(splitter_2);
    stackedWidget->addWidget(page2);
    rightLayout->addWidget(stackedWidget, 1);

    splitter->addWidget(frameLeft);
    splitter->addWidget(frameRight);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 300, 600 });
    stackview_main->addWidget(page7);

    // Page 1: the overview chart.
    auto *page8 = new QWidget(stackview_main);
    page8->setObjectName(QStringLiteral("page_8"));
    auto *page8Layout = new QVBoxLayout(page8);
    page8Layout->setContentsMargins(0, 0, 0, 0);
    auto *frameChart = new QFrame(page8);
    frameChart->setObjectName(QStringLiteral("frame_chart"));
    frameChart->setStyleSheet(QStringLiteral(
        "QFrame#frame_chart{border:1px solid #c7c7c7;border-left:0px;border-right:0px;}"));
    auto *chartLayout = new QVBoxLayout(frameChart);
    chartLayout->setContentsMargins(20, 10, 20, 10);
    chartView = new QChartView(frameChart);
    chartView->setObjectName(QStringLiteral("chartView"));
    chartView->setFrameShape(QFrame::NoFrame);
    chartView->setBackgroundBrush(Qt::white);
    chartLayout->addWidget(chartView);
    page8Layout->addWidget(frameChart);
    stackview_main->addWidget(page8);

    // Bottom: the status line and Delete.
    auto *frameBottom = new QFrame(this);
    frameBottom->setObjectName(QStringLiteral("frame_bottom"));
    auto *bottomLayout = new QHBoxLayout(frameBottom);
    bottomLayout->setContentsMargins(15, 8, 15, 5);
    bottomLayout->setSpacing(4);
    lab_select = new QLabel(frameBottom);
    lab_select->setObjectName(QStringLiteral("lab_select"));
    lab_select->setStyleSheet(QStringLiteral("color:#3b99fc;font-weight:bold;"));
    auto *label = new QLabel(tr("files selected."), frameBottom);
    label->setObjectName(QStringLiteral("label"));
    lab_size = new QLabel(frameBottom);
    lab_size->setObjectName(QStringLiteral("lab_size"));
    lab_size->setStyleSheet(QStringLiteral("color:#3b99fc;font-weight:bold;"));
    auto *label4 = new QLabel(tr("of storage space will be freed up."), frameBottom);
    label4->setObjectName(QStringLiteral("label_4"));
    btn_delete = new QPushButton(tr("Delete"), frameBottom);
    btn_delete->setObjectName(QStringLiteral("btn_delete"));
    btn_delete->setMinimumSize(110, 30);
    btn_delete->setCursor(Qt::PointingHandCursor);
    bottomLayout->addWidget(lab_select);
    bottomLayout->addWidget(label);
    bottomLayout->addSpacing(8);
    bottomLayout->addWidget(lab_size);
    bottomLayout->addWidget(label4);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(btn_delete);
    root->addWidget(frameBottom);
}

void ResultForm::initUI()
{
    FlatUI *flat = FlatUI::instance();
    const QString nb = QStringLiteral("#efefef"), nt = QStringLiteral("#606060"),
                  nr = QStringLiteral("#9c9c9c"), hb = QStringLiteral("#e5f1fb"),
                  hr = QStringLiteral("#0078d7"), pb = QStringLiteral("#3b99fc"),
                  pt = QStringLiteral("#ffffff");
    flat->applyButtonStyle(btn_over, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::Rounded);
    flat->applyButtonStyle(btn_all, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::LeftRounded);
    for (QPushButton *button :
        { btn_document, btn_image, btn_videos, btn_archives, btn_packages, btn_music })
        flat->applyButtonStyle(button, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::Square);
    flat->applyButtonStyle(
        btn_others, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::RightRounded);
    flat->applyButtonStyle(btn_delete, 5, 0, pb, pt, pb, hr, pt, hr, pb, pt, hr, FlatUI::Rounded);
    flat->applySliderStyle(horizontalSlider, 8, QStringLiteral("#d0d0d0"), pb, pb);
    flat->applyLineEditStyle(lineEdit, 5, 1, QStringLiteral("#DCE4EC"), QStringLiteral("#3498DB"));
    flat->applyComboBoxStyle(comboBox, 5, 1, QStringLiteral("#DCE4EC"), QStringLiteral("#3498DB"));

    if (!m_categoryGroup) {
        m_categoryGroup = new QButtonGroup(this);
        m_categoryGroup->setExclusive(true);
        for (QPushButton *button : { btn_over, btn_all, btn_document, btn_image, btn_videos,
                 btn_archives, btn_packages, btn_music, btn_others })
            m_categoryGroup->addButton(button);
    }
    frame->setStyleSheet(QStringLiteral(
        "QFrame#frame{border:1px solid #c7c7c7;border-left: 0px ; border-right: 0px; }"));
}

void ResultForm::connectSignals()
{
    connect(btnClose, &QPushButton::clicked, this, &ResultForm::on_btnClose_clicked);
    connect(btn_over, &QPushButton::clicked, this, &ResultForm::on_btn_over_clicked);
    connect(btn_all, &QPushButton::clicked, this, &ResultForm::on_btn_all_clicked);
    connect(btn_document, &QPushButton::clicked, this, &ResultForm::on_btn_document_clicked);
    connect(btn_image, &QPushButton::clicked, this, &ResultForm::on_btn_image_clicked);
    connect(btn_music, &QPushButton::clicked, this, &ResultForm::on_btn_music_clicked);
    connect(btn_videos, &QPushButton::clicked, this, &ResultForm::on_btn_videos_clicked);
    connect(btn_archives, &QPushButton::clicked, this, &ResultForm::on_btn_archives_clicked);
    connect(btn_packages, &QPushButton::clicked, this, &ResultForm::on_btn_packages_clicked);
    connect(btn_others, &QPushButton::clicked, this, &ResultForm::on_btn_others_clicked);
    connect(btn_duplicate, &QPushButton::clicked, this, &ResultForm::on_btn_duplicate_clicked);
    connect(pushButton_4, &QPushButton::clicked, this, &ResultForm::on_pushButton_4_clicked);
    connect(horizontalSlider, &QSlider::valueChanged, this,
        &ResultForm::on_horizontalSlider_valueChanged);
    connect(btn_right_grid, &QPushButton::clicked, this, &ResultForm::on_btn_right_grid_clicked);
    connect(btn_right_flow, &QPushButton::clicked, this, &ResultForm::on_btn_right_flow_clicked);
    connect(btn_right_list, &QPushButton::clicked, this, &ResultForm::on_btn_right_list_clicked);
    connect(splitter_2, &QSplitter::splitterMoved, this, &ResultForm::on_splitter_2_splitterMoved);
    connect(comboBox, QOverload<int>::of(&QComboBox::activated), this,
        &ResultForm::on_comboBox_activated);
    connect(comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &ResultForm::on_comboBox_currentIndexChanged);
    connect(lineEdit, &QLineEdit::textChanged, this, &ResultForm::on_lineEdit_textChanged);
    connect(btn_delete, &QPushButton::clicked, this, &ResultForm::on_btn_delete_clicked);

    connect(listImageView->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &ResultForm::onIconViewSelectChanged);
    connect(
        listImageView, &ImageListView::btnOpenFinderClick, this, &ResultForm::onBtnOpenFinderClick);
    connect(listImageView, &ImageListView::btnHideFileClick, this, &ResultForm::onBtnHideFileClick);
    connect(listImageView, &ImageListView::onCheckedChange, this, &ResultForm::onCheckedChange);
    connect(listView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &ResultForm::onListViewSelectChanged);
    if (m_result)
        connect(m_result, &TwSearchResult::ItemDeletedComplated, this,
            &ResultForm::onItemDeletedComplated);
}

QModelIndex ResultForm::currentGroupIndex() const
{
    return listView->currentIndex();
}

QGroupItem *ResultForm::currentGroupRow() const
{
    const QModelIndex index = currentGroupIndex();
    return index.isValid() ? m_groupsModel->groupAt(index.row()) : nullptr;
}

int ResultForm::fileMode() const
{
    return m_category == TwShared::imagesName() ? m_resultMode : 0;
}

bool ResultForm::previewShowing() const
{
    return stackedWidget->currentIndex() == 1;
}

void ResultForm::on_btn_over_clicked()
{
    stackview_main->setCurrentIndex(1);
}

void ResultForm::on_btn_all_clicked()
{
    switchCategory(btn_all->text());
}

void ResultForm::on_btn_document_clicked()
{
    switchCategory(btn_document->text());
}

void ResultForm::on_btn_image_clicked()
{
    switchCategory(btn_image->text());
}

void ResultForm::on_btn_music_clicked()
{
    switchCategory(btn_music->text());
}

void ResultForm::on_btn_videos_clicked()
{
    switchCategory(btn_videos->text());
}

void ResultForm::on_btn_archives_clicked()
{
    switchCategory(btn_archives->text());
}

void ResultForm::on_btn_packages_clicked()
{
    switchCategory(btn_packages->text());
}

void ResultForm::on_btn_others_clicked()
{
    switchCategory(btn_others->text());
}

void ResultForm::switchCategory(const QString &category)
{
    stackview_main->setCurrentIndex(0);
    if (category == m_category)
        return;
    m_category = category;
    if (category == TwShared::imagesName()) {
        m_resultMode = 1;
        frame_top_img->show();
        btn_duplicate->setChecked(true);
    } else {
        m_resultMode = 0;
        frame_top_img->hide();
    }
    {
        // The reload below replaces what the filter would load.
        const QSignalBlocker blocker(lineEdit);
        lineEdit->clear();
    }
    reloadGroups();
    listView->setFocus();
}

void ResultForm::on_btn_duplicate_clicked()
{
    switchResultMode(1);
}

void ResultForm::on_pushButton_4_clicked()
{
    switchResultMode(2);
}

void ResultForm::switchResultMode(int mode)
{
    if (m_resultMode == mode)
        return;
    m_resultMode = mode;
    reloadGroups();
    listView->setFocus();
}

void ResultForm::reloadGroups()
{
    const int rows
        = m_groupsModel->loadAndSortGroups(m_category, comboBox->currentIndex(), m_resultMode);
    afterLoad(rows);
}

void ResultForm::afterLoad(int rows)
{
    if (rows <= 0) {
        m_filesModel->loadMembers(QString(), m_category, fileMode());
        if (m_tableModel)
            m_tableModel->clear();
        labImage->setPixmap(QPixmap(QStringLiteral(":/resource/noSelection_bg.png")));
        labImage->setAlignment(Qt::AlignCenter);
        listImageView->setStyleSheet(QStringLiteral(
            "background-color:white;background-image:url(:/resource/noSelection_LiteBG.png);"
            "background-position:center;background-repeat:no-repeat;"));
        m_selectedGroups.clear();
        return;
    }
    listView->setCurrentIndex(m_groupsModel->index(0, 0));
    listImageView->setStyleSheet(QString());
}

void ResultForm::onListViewSelectChanged(const QItemSelection &, const QItemSelection &)
{
    listView->viewport()->update();
    const QGroupItem *group = currentGroupRow();
    if (!group)
        return;
    m_filesModel->loadMembers(group->name, m_category, fileMode());
    if (previewShowing())
        fillTable();
    m_selectedGroups = listView->selectionModel()->selectedIndexes();

    bool anyImage = false;
    for (const QModelIndex &index : qAsConst(m_selectedGroups)) {
        if (const QGroupItem *row = m_groupsModel->groupAt(index.row()))
            anyImage = anyImage || row->isImage;
    }
    if (m_smartMenu) {
        const auto actions = m_smartMenu->actions();
        for (int i = 4; i <= 7 && i < actions.size(); ++i)
            actions.at(i)->setVisible(anyImage);
    }
    listView->setFocus();
}

void ResultForm::onIconViewSelectChanged()
{
    if (listImageView->viewMode() == ImageListView::Grid)
        onCheckedChange(listImageView->currentIndex());
}

void ResultForm::on_horizontalSlider_valueChanged(int value)
{
    listImageView->setColumns(8 - value);
}

void ResultForm::on_btn_right_grid_clicked()
{
    stackedWidget->setCurrentIndex(0);
    listImageView->setViewMode(ImageListView::Grid);
    listImageView->setColumns(8 - horizontalSlider->value());
    horizontalSlider->show();
}

void ResultForm::on_btn_right_list_clicked()
{
    stackedWidget->setCurrentIndex(0);
    listImageView->setViewMode(ImageListView::CompareList);
    listImageView->setColumns(1);
    horizontalSlider->hide();
}

void ResultForm::on_btn_right_flow_clicked()
{
    stackedWidget->setCurrentIndex(1);
    fillTable();
    horizontalSlider->hide();
}

void ResultForm::fillTable()
{
    tableView->setShowGrid(false);
    tableView->setStyleSheet(QStringLiteral("QTableView{background-color: rgb(255, 255, "
                                            "255);alternate-background-color: rgb(233, 248, "
                                            "254)}"));
    tableView->setAlternatingRowColors(true);
    tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color:rgb(205,205,205); padding-left: "
                       "4px; border: 0px solid 0; height:28; }"));
    tableView->horizontalHeader()->hide();
    tableView->verticalHeader()->hide();

    if (!m_tableModel) {
        m_tableModel = new QStandardItemModel(this);
        tableView->setModel(m_tableModel);
        connect(tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ResultForm::onTableViewSelectChanged);
    }
    m_tableModel->clear();
    m_tableModel->setColumnCount(5);

    const int rows = m_filesModel->rowCount();
    for (int row = 0; row < rows; ++row) {
        const QBaseItem *file = m_filesModel->fileAt(row);
        if (!file)
            continue;
        auto *pathItem = new QStandardItem(file->path);
        pathItem->setToolTip(file->path);
        m_tableModel->appendRow({ new QStandardItem, pathItem, new QStandardItem(file->created),
            new QStandardItem, new QStandardItem });

        auto *check = new QCheckBox;
        check->setObjectName(QStringLiteral("singleCheck"));
        check->setChecked(file->checked);
        check->setProperty("row", row);
        check->setStyleSheet(QStringLiteral("QCheckBox{margin-left:8px;}"));
        connect(check, &QCheckBox::stateChanged, this, &ResultForm::onStateChanged);
        tableView->setIndexWidget(m_tableModel->index(row, 0), check);

        auto makeButton = [&](const QString &icon, int maxWidth) {
            auto *button = new QPushButton;
            button->setProperty("id", row);
            button->setProperty("row", row);
            button->setProperty("status", QStringLiteral("normal"));
            button->setProperty("fileName", file->path);
            button->setStyleSheet(QStringLiteral(
                "QPushButton{background-color: rgba(255, 255, 255, 0);border:none;}"));
            button->setIcon(QIcon(icon));
            button->setMaximumWidth(maxWidth);
            button->setCursor(Qt::PointingHandCursor);
            return button;
        };
        QPushButton *hide = makeButton(QStringLiteral(":/resource/hideFile.png"), 20);
        hide->setObjectName(QStringLiteral("hideButton"));
        hide->setToolTip(tr("Hide this file from the results"));
        connect(hide, &QPushButton::clicked, this, &ResultForm::onIgnoreBtnClicked);
        tableView->setIndexWidget(m_tableModel->index(row, 3), hide);
        QPushButton *open = makeButton(QStringLiteral(":/resource/openInFinder.png"), 16);
        open->setObjectName(QStringLiteral("openButton"));
        open->setToolTip(tr("Open the containing folder"));
        connect(open, &QPushButton::clicked, this, &ResultForm::onOpenBtnClicked);
        tableView->setIndexWidget(m_tableModel->index(row, 4), open);
    }

    if (m_tableModel->rowCount() > 0) {
        QHeaderView *header = tableView->horizontalHeader();
        header->setSectionResizeMode(1, QHeaderView::Stretch);
        for (int column : { 0, 2, 3, 4 })
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        tableView->setWordWrap(false);
        tableView->setTextElideMode(Qt::ElideMiddle);
        tableView->setCurrentIndex(m_tableModel->index(0, 0));
    }
}

void ResultForm::onTableViewSelectChanged()
{
    if (!m_tableModel)
        return;
    const QModelIndex current = tableView->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    const QStandardItem *pathItem = m_tableModel->item(row, 1);
    if (!pathItem)
        return;
    const QString path = pathItem->text();
    const QBaseItem *file = m_filesModel->fileAt(row);

    QImage image;
    if (file && file->isImage) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid() && !labImage->size().isEmpty())
            reader.setScaledSize(size.scaled(labImage->size(), Qt::KeepAspectRatio));
        image = reader.read();
    } else {
        const QPixmap icon = FileTypeIcon::largePixmap(path);
        if (!icon.isNull())
            image = icon.toImage();
    }
    if (image.isNull())
        image.load(QStringLiteral(":/resource/default.png"));
    labImage->setPixmap(QPixmap::fromImage(image));
    labImage->setAlignment(Qt::AlignCenter);
}

void ResultForm::on_splitter_2_splitterMoved(int, int)
{
    onTableViewSelectChanged();
}

void ResultForm::onStateChanged(int)
{
    auto *check = qobject_cast<QCheckBox *>(sender());
    if (!check)
        return;
    onCheckedChange(m_filesModel->index(check->property("row").toInt(), 0));
}

void ResultForm::onCheckedChange(const QModelIndex &index)
{
    QGroupItem *groupRow = currentGroupRow();
    const QBaseItem *file = index.isValid() ? m_filesModel->fileAt(index.row()) : nullptr;
    if (!groupRow || !file)
        return;
    const bool checked = listImageView->toggleChecked(index, groupRow->name);
    groupRow->markedCount = qMax(0, groupRow->markedCount + (checked ? 1 : -1));
    listView->updateGroupRow(currentGroupIndex());
    listView->viewport()->update();
    if (TwFileItemGroup *group = m_filesModel->groupByName(groupRow->name))
        group->itemCheckedChanged(checked, file->size);
    updateStatus(true);
}

void ResultForm::onBtnHideFileClick(const QModelIndex &index)
{
    if (index.isValid())
        hideFileAt(index.row(), false);
}

void ResultForm::onIgnoreBtnClicked()
{
    const QObject *button = sender();
    if (!button)
        return;
    qDebug() << "onIgnoreBtnClicked:" << button->property("fileName").toString();
    hideFileAt(button->property("id").toInt(), true);
}

void ResultForm::hideFileAt(int row, bool refillTable)
{
    QGroupItem *groupRow = currentGroupRow();
    const QBaseItem *file = m_filesModel->fileAt(row);
    if (!groupRow || !file)
        return;
    const QString groupName = groupRow->name;
    const QString path = file->path;
    const QString pathId = file->pathId;

    if (TwPreferences *preferences = TwPreferences::instance()) {
        preferences->ignoreList()->addIgnorePath(path);
        // Hiding is meant for every later scan too, so it must outlive this run.
        if (!preferences->save())
            qWarning() << "ResultForm::hideFileAt: the ignore list could not be saved";
    }

    const int remaining = m_filesModel->hideFile(groupName, pathId);
    if (remaining < 0) {
        updateStatus(true);
        return;
    }
    int marked = 0;
    int files = 0;
    TwFileItemGroup *group = m_filesModel->groupByName(groupName);
    // A group with one file left is no group; in the image modes a group can
    // also stop qualifying (its last exact twin hidden) with more files left.
    if (remaining <= 1
        || !ImageListModel::groupListed(group, m_category, fileMode(), &marked, &files)) {
        if (remaining <= 1)
            m_result->removeEmptyGroups();
        reloadGroups();
    } else {
        if (m_category == allCategory) {
            marked = group->checkedCount();
            files = group->allItemCount();
        }
        groupRow->markedCount = marked;
        groupRow->fileCount = files;
        listView->updateGroupRow(currentGroupIndex());
        m_filesModel->loadMembers(groupName, m_category, fileMode());
        if (refillTable && previewShowing())
            fillTable();
    }
    updateStatus(true);
}

void ResultForm::onBtnOpenFinderClick(const QModelIndex &index)
{
    if (const QBaseItem *file = m_filesModel->fileAt(index.row()))
        openFolderOf(file->path);
}

void ResultForm::onOpenBtnClicked()
{
    if (const QObject *button = sender())
        openFolderOf(button->property("fileName").toString());
}

void ResultForm::openFolderOf(const QString &path)
{
    if (path.isEmpty())
        return;
    const QString folder = QFileInfo(path).absolutePath();
    if (!DesktopPrompts::openFolder(folder))
        qWarning() << "ResultForm::openFolderOf: could not open" << folder;
}

void ResultForm::on_comboBox_activated(int index)
{
    m_sortToggle = m_sortToggle == 0 ? 1 : 0;
    m_groupsModel->sortGroups(index, m_sortToggle == 1, m_resultMode);
    if (m_groupsModel->rowCount() > 0)
        listView->setCurrentIndex(m_groupsModel->index(0, 0));
    listView->setFocus();
}

void ResultForm::on_comboBox_currentIndexChanged(int) { }

void ResultForm::on_lineEdit_textChanged(const QString &arg1)
{
    const int rows = m_groupsModel->filterGroups(
        arg1, m_category, m_sortToggle == 1, comboBox->currentIndex(), m_resultMode);
    afterLoad(rows);
    lineEdit->setFocus();
}

void ResultForm::updateStatus(bool recount)
{
    const int count = m_result ? m_result->checkedCount(recount) : 0;
    const qint64 bytes = m_result ? m_result->checkedBytes(false) : 0;
    lab_select->setText(QString::number(count));
    lab_size->setText(TwSearchResult::sizeText(bytes));
    btn_delete->setEnabled(count > 0);
}

void ResultForm::initMenu()
{
    if (m_smartMenu)
        return;
    m_smartMenu = new QMenu(this);
    m_smartMenu->setWindowFlags(m_smartMenu->windowFlags() | Qt::FramelessWindowHint);
    m_smartMenu->setObjectName(QStringLiteral("senMenu"));
    m_smartMenu->setStyleSheet(
        QStringLiteral("QMenu#senMenu{background:#ffffff;border:1px solid #c7c7c7;padding:4px 0px;}"
                       "QMenu#senMenu::item{padding:6px 24px;color:#303030;}"
                       "QMenu#senMenu::item:selected{background:#3b99fc;color:#ffffff;}"
                       "QMenu#senMenu::separator{height:1px;background:#e3e3e3;margin:4px 8px;}"));
    const QStringList texts { tr("Smart Select"), tr("Select by Priority"), tr("Select Newest"),
        tr("Select Oldest"), tr("Select Largest"), tr("Select Smallest"),
        tr("Select Highest Resolution"), tr("Select Lower Resolution"), tr("Deselect") };
    for (int i = 0; i < texts.size(); ++i) {
        QAction *action = m_smartMenu->addAction(texts.at(i));
        action->setData(i + 1);
        connect(action, &QAction::triggered, this, &ResultForm::onTaskContextMenuEvent);
    }
    btnMenu->setMenu(m_smartMenu);

    bool anyImage = false;
    for (const QModelIndex &index : qAsConst(m_selectedGroups)) {
        if (const QGroupItem *row = m_groupsModel->groupAt(index.row()))
            anyImage = anyImage || row->isImage;
    }
    const auto actions = m_smartMenu->actions();
    for (int i = 4; i <= 7; ++i)
        actions.at(i)->setVisible(anyImage);
}

void ResultForm::onTaskContextMenuEvent()
{
    const auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    runSmartAction(action->data().toInt());
}

void ResultForm::runSmartAction(int number)
{
    qDebug() << "onTaskContextMenuEvent" << number;
    const int rows = m_groupsModel->rowCount();
    QItemSelectionModel *selection = listView->selectionModel();
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = m_groupsModel->index(row, 0);
        if (!selection->isSelected(index))
            continue;
        qDebug() << "onTaskContextMenuEvent:index=" << row;
        QGroupItem *group = m_groupsModel->groupAt(row);
        group->markedCount = m_groupsModel->applySelection(group->name, number);
        listView->updateGroupRow(index);
    }
    listView->viewport()->update();
    m_filesModel->refreshChecks();
    if (previewShowing())
        fillTable();
    else
        listImageView->viewport()->update();
    updateStatus(true);
}

void ResultForm::bulidPieChart()
{
    QChart *chart = chartView->chart();
    chart->removeAllSeries();
    // 0x10: pens scale with the chart rather than staying one device pixel wide.
    chartView->setRenderHint(QPainter::RenderHint(0x10));
    chartView->setRenderHint(QPainter::Antialiasing);

    auto *series = new QPieSeries(chart);
    series->setHoleSize(0.45);
    series->setPieSize(0.8);
    const qint64 total = m_result ? m_result->bytesOfDuplicateFiles() : 0;
    const auto containers
        = m_result ? m_result->containers() : QMap<QString, TwCatalogContainer *>();
    for (TwCatalogContainer *container : containers) {
        // A result without duplicate bytes has no shares to show (and no division by zero).
        const float value
            = total > 0 ? float(container->duplicateBytes()) / float(total) * 100.0f : 0.0f;
        auto *slice = new QPieSlice(QStringLiteral("%1  %2").arg(container->containerName(),
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

void ResultForm::on_btn_delete_clicked()
{
    if (TwPreferences::instance()->general()->removalMethod()
        == TwGenernalPreferences::RemovePermanently) {
        const auto answer = DesktopPrompts::question(this, QString::fromLatin1(Product::Name),
            tr("The selected files will be permanently deleted,are you sure to delete?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            return;
    }
    const int count = m_result ? m_result->checkedCount(true) : 0;
    if (count <= 0)
        return;

    stopDeletion = false;
    m_deletedCount = 0;
    auto *dialog = new QProgressDialog(this);
    m_progress = dialog;
    dialog->setObjectName(QStringLiteral("deleteProgress"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setLabelText(tr("Deleting, please waiting..."));
    dialog->setCancelButtonText(tr("Cancel"));
    dialog->setRange(0, count);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setModal(true);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    dialog->setWindowTitle(QString::fromLatin1(Product::Name));
    dialog->show();
    dialog->resize(350, dialog->height() + 10);
    // The stray closing brace some style sheets carry would void the whole sheet.
    dialog->setStyleSheet(QStringLiteral("QProgressBar{text-align:center;margin-bottom:5px;}"));
    dialog->setMaximumSize(350, dialog->height() + 10);

    m_result->removeCheckedItems(this);

    reloadGroups();
    updateStatus(true);
}

void ResultForm::onItemFileDeleted(int)
{
    ++m_deletedCount;
    if (!m_progress)
        return;
    m_progress->setValue(m_deletedCount);
    emit deleteProgressed(m_deletedCount);
    if (m_progress && m_progress->wasCanceled())
        stopDeletion = true;
}

void ResultForm::onItemDeletedComplated()
{
    qDebug() << "onItemDeletedComplated";
    if (m_progress) {
        m_progress->close();
        delete m_progress.data();
        m_deletedCount = 0;
        m_progress = nullptr;
    }
}

void ResultForm::on_btnClose_clicked()
{
    close();
}

void ResultForm::closeEvent(QCloseEvent *event)
{
    emit closeWindows();
    QWidget::closeEvent(event);
}

void ResultForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (previewShowing())
        onTableViewSelectChanged();
}

QString ResultForm::countsToolTipAt(const QPoint &viewportPos) const
{
    const QModelIndex index = listView->indexAt(viewportPos);
    const QGroupItem *row = index.isValid() ? m_groupsModel->groupAt(index.row()) : nullptr;
    if (!row)
        return QString();
    // The two numbers are painted in the last 80 pixels of the row.
    const QRect rect = listView->visualRect(index);
    if (viewportPos.x() < rect.right() - 80)
        return QString();
    if (m_resultMode == 2)
        return tr("%1 of %2 similar images marked for removal")
            .arg(row->markedCount)
            .arg(row->fileCount);
    return tr("%1 of %2 files marked for removal").arg(row->markedCount).arg(row->fileCount);
}

bool ResultForm::eventFilter(QObject *watched, QEvent *event)
{
    // The counts of a group row explain themselves; the rest of the row keeps
    // the list's own tooltip, the path of the group.
    if (event->type() == QEvent::ToolTip && listView && watched == listView->viewport()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString text = countsToolTipAt(help->pos());
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, listView->viewport());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ResultForm::setTitle()
{
    setWindowTitle(QString::fromLatin1(Product::Name));
}
