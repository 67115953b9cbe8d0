#include "results/resultform.h"

#include <climits>

#include <QAction>
#include <QCloseEvent>
#include <QDebug>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "model/twshared.h"
#include "platform/appsettings.h"
#include "platform/product.h"
#include "preferences/twignorelistpreferences.h"
#include "preferences/twpreferences.h"
#include "results/categorybar.h"
#include "results/filepresentationpane.h"
#include "results/grouplistpane.h"
#include "results/hiddenfiles.h"
#include "results/imagelistmodel.h"
#include "results/imagelistview.h"
#include "results/overviewchart.h"
#include "results/previewpane.h"
#include "results/previewtablemodel.h"
#include "results/qbaseitem.h"
#include "results/qgroupitem.h"
#include "results/removalcontroller.h"
#include "results/resultexporter.h"
#include "results/smartselectmenu.h"
#include "widgets/desktopprompts.h"
#include "widgets/flatui.h"

ResultForm::ResultForm(TwSearchResult *result, QWidget *parent)
    : QWidget(parent)
    , m_result(result)
    , m_category(ImageListModel::allCategory())
{
    buildWidgetTree();
    initUI();

    m_groupsModel = new ImageListModel(m_result, this);
    m_groupsModel->setKind(ImageListModel::GroupRows);
    m_filesModel = new ImageListModel(m_result, this);
    m_filesModel->setKind(ImageListModel::FileRows);
    m_filesModel->shareHiddenFiles(*m_groupsModel);
    m_files->setFilesModel(m_filesModel);
    restoreViewState();
    adoptSortColumn();
    m_groupsModel->loadAndSortGroups(m_category, m_sortColumn, m_resultMode, m_sortDescending);
    m_groupList->setGroupsModel(m_groupsModel);
    m_removal = new RemovalController(m_result, this);
    connectPanes();

    stackview_main->setCurrentIndex(0);
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
    // Pixel sizes as in the main window's style: names fit their cells
    // whatever point size the desktop uses by default.
    QFont windowFont = font();
    windowFont.setPixelSize(13);
    setFont(windowFont);
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
    m_categoryBar = new CategoryBar(this);
    root->addWidget(m_categoryBar);

    stackview_main = new QStackedWidget(this);
    stackview_main->setObjectName(QStringLiteral("stackview_main"));
    root->addWidget(stackview_main, 1);

    // Page 0: the groups beside the files of the current group.
    auto *page7 = new QWidget(stackview_main);
    page7->setObjectName(QStringLiteral("page_7"));
    auto *page7Layout = new QVBoxLayout(page7);
    page7Layout->setContentsMargins(0, 0, 0, 0);
    frame = new QFrame(page7);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(0, 1, 0, 1);
    auto *splitter = new QSplitter(Qt::Horizontal, frame);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setHandleWidth(2);
    splitter->setChildrenCollapsible(false);
    frameLayout->addWidget(splitter);
    page7Layout->addWidget(frame);
    m_groupList = new GroupListPane(splitter);
    m_files = new FilePresentationPane(splitter);
    splitter->addWidget(m_groupList);
    splitter->addWidget(m_files);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 300, 600 });
    stackview_main->addWidget(page7);
    listView = m_groupList->listView();
    listImageView = m_files->listImageView();

    // Page 1: the overview chart.
    m_overview = new OverviewChart(stackview_main);
    stackview_main->addWidget(m_overview);

    root->addWidget(buildStatusLine());
}

QWidget *ResultForm::buildStatusLine()
{
    auto *frameBottom = new QFrame(this);
    frameBottom->setObjectName(QStringLiteral("frame_bottom"));
    auto *layout = new QHBoxLayout(frameBottom);
    layout->setContentsMargins(15, 8, 15, 5);
    layout->setSpacing(4);
    const QString figureStyle
        = QStringLiteral("color:%1;font-weight:bold;").arg(QLatin1String(Product::AccentColor));
    lab_select = new QLabel(frameBottom);
    lab_select->setObjectName(QStringLiteral("lab_select"));
    lab_select->setStyleSheet(figureStyle);
    auto *label = new QLabel(tr("files marked for removal,"), frameBottom);
    label->setObjectName(QStringLiteral("label"));
    lab_size = new QLabel(frameBottom);
    lab_size->setObjectName(QStringLiteral("lab_size"));
    lab_size->setStyleSheet(figureStyle);
    auto *label4 = new QLabel(tr("to be freed;"), frameBottom);
    label4->setObjectName(QStringLiteral("label_4"));
    btn_showHidden = new QPushButton(frameBottom);
    btn_showHidden->setObjectName(QStringLiteral("btn_showHidden"));
    btn_showHidden->setMinimumHeight(30);
    btn_showHidden->setCursor(Qt::PointingHandCursor);
    btn_showHidden->setToolTip(tr("Show the files hidden from these results again"));
    btn_showHidden->hide();
    btn_export = new QPushButton(tr("Export…"), frameBottom);
    btn_export->setObjectName(QStringLiteral("btn_export"));
    btn_export->setMinimumSize(90, 30);
    btn_export->setCursor(Qt::PointingHandCursor);
    btn_delete = new QPushButton(tr("Delete"), frameBottom);
    btn_delete->setObjectName(QStringLiteral("btn_delete"));
    btn_delete->setMinimumSize(110, 30);
    btn_delete->setCursor(Qt::PointingHandCursor);
    // The marked figures, and under them the other quantity, so the two are
    // never taken for each other and neither is cut when the buttons grow.
    auto *marked = new QHBoxLayout;
    marked->setSpacing(4);
    marked->addWidget(lab_select);
    marked->addWidget(label);
    marked->addSpacing(8);
    marked->addWidget(lab_size);
    marked->addWidget(label4);
    marked->addStretch(1);
    lab_found = new QLabel(frameBottom);
    lab_found->setObjectName(QStringLiteral("lab_found"));
    lab_found->setStyleSheet(QStringLiteral("color:#8a96a3;font-size:12px;"));
    auto *figures = new QVBoxLayout;
    figures->setSpacing(0);
    figures->addLayout(marked);
    figures->addWidget(lab_found);
    layout->addLayout(figures, 1);
    layout->addSpacing(8);
    layout->addWidget(btn_showHidden);
    layout->addWidget(btn_export);
    layout->addSpacing(8);
    layout->addWidget(btn_delete);
    return frameBottom;
}

void ResultForm::initUI()
{
    m_categoryBar->applyStyle();
    m_groupList->applyStyle();
    m_files->applyStyle();
    const QString accent = QString::fromLatin1(Product::AccentColor);
    const QString white = QStringLiteral("#ffffff");
    const QString hover = QStringLiteral("#0078d7");
    FlatUI::instance()->applyButtonStyle(btn_delete, 5, 0, accent, white, accent, hover, white,
        hover, accent, white, hover, FlatUI::Rounded);
    // The export is the quieter action: outlined in the accent.
    FlatUI::instance()->applyButtonStyle(btn_export, 5, 0, white, accent, accent, white, hover,
        hover, white, accent, hover, FlatUI::Rounded);
    frame->setStyleSheet(QStringLiteral(
        "QFrame#frame{border:1px solid #c7c7c7;border-left: 0px ; border-right: 0px; }"));
}

void ResultForm::connectPanes()
{
    connect(m_categoryBar, &CategoryBar::backClicked, this, &ResultForm::on_btnClose_clicked);
    connect(m_categoryBar, &CategoryBar::overviewClicked, this, &ResultForm::on_btn_over_clicked);
    connect(m_categoryBar, &CategoryBar::categoryClicked, this, &ResultForm::switchCategory);
    connect(m_groupList, &GroupListPane::modeChosen, this, &ResultForm::switchResultMode);
    connect(m_groupList, &GroupListPane::searchChanged, this, &ResultForm::on_lineEdit_textChanged);
    connect(m_groupList, &GroupListPane::sortActivated, this, &ResultForm::on_comboBox_activated);
    connect(btn_delete, &QPushButton::clicked, this, &ResultForm::on_btn_delete_clicked);
    connect(btn_showHidden, &QPushButton::clicked, this, &ResultForm::showHiddenFiles);
    listImageView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(listImageView, &QWidget::customContextMenuRequested, this, &ResultForm::showFileMenu);
    connect(btn_export, &QPushButton::clicked, this, &ResultForm::on_btn_export_clicked);
    connect(m_removal, &RemovalController::progressed, this, &ResultForm::deleteProgressed);
    connect(
        m_files, &FilePresentationPane::presentationChanged, this, [this] { saveWindowState(); });

    PreviewPane *preview = m_files->preview();
    connect(preview, &PreviewPane::checkToggled, this,
        [this](int row) { onCheckedChange(m_filesModel->index(row, 0)); });
    connect(preview, &PreviewPane::hideRequested, this, [this](int row) { hideFileAt(row, true); });
    connect(preview, &PreviewPane::openRequested, this, &ResultForm::openFolderOf);

    connect(listImageView->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &ResultForm::onIconViewSelectChanged);
    connect(
        listImageView, &ImageListView::btnOpenFinderClick, this, &ResultForm::onBtnOpenFinderClick);
    connect(listImageView, &ImageListView::btnHideFileClick, this, &ResultForm::onBtnHideFileClick);
    connect(listImageView, &ImageListView::onCheckedChange, this, &ResultForm::onCheckedChange);
    connect(listView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &ResultForm::onListViewSelectChanged);

    // The Delete key takes the same way as the button, confirmation included.
    auto *removeKey = new QShortcut(QKeySequence::Delete, this);
    removeKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(removeKey, &QShortcut::activated, this, [this]() {
        if (btn_delete->isEnabled())
            on_btn_delete_clicked();
    });
    // Tab walks the window as it reads: the bar, the groups with their search
    // and sort, the file tools and files, then the status line's buttons.
    QList<QWidget *> chain = m_categoryBar->tabChain();
    chain += m_groupList->tabChain();
    chain += m_files->tabChain();
    chain += { btn_showHidden, btn_export, btn_delete };
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

PreviewTableModel *ResultForm::tableModel() const
{
    return m_files->preview()->tableModel();
}

QMenu *ResultForm::smartMenu() const
{
    return m_smartMenu;
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

ResultMode ResultForm::fileMode() const
{
    return m_category == TwShared::imagesName() ? m_resultMode : ResultMode::Ordinary;
}

bool ResultForm::previewShowing() const
{
    return m_files->previewShowing();
}

void ResultForm::on_btn_over_clicked()
{
    stackview_main->setCurrentIndex(1);
}

void ResultForm::on_btn_all_clicked()
{
    switchCategory(ImageListModel::allCategory());
}

void ResultForm::on_btn_document_clicked()
{
    switchCategory(TwShared::documentsName());
}

void ResultForm::on_btn_image_clicked()
{
    switchCategory(TwShared::imagesName());
}

void ResultForm::on_btn_music_clicked()
{
    switchCategory(TwShared::musicsName());
}

void ResultForm::on_btn_videos_clicked()
{
    switchCategory(TwShared::videosName());
}

void ResultForm::on_btn_archives_clicked()
{
    switchCategory(TwShared::archivesName());
}

void ResultForm::on_btn_packages_clicked()
{
    switchCategory(TwShared::packagesName());
}

void ResultForm::on_btn_others_clicked()
{
    switchCategory(TwShared::othersName());
}

void ResultForm::switchCategory(const QString &category)
{
    stackview_main->setCurrentIndex(0);
    if (category == m_category)
        return;
    m_category = category;
    const bool images = category == TwShared::imagesName();
    m_resultMode = images ? ResultMode::DuplicateImages : ResultMode::Ordinary;
    m_groupList->setResultMode(m_resultMode);
    m_groupList->showModeSwitch(images);
    m_groupList->clearSearch();
    reloadGroups();
    listView->setFocus();
}

void ResultForm::on_btn_duplicate_clicked()
{
    switchResultMode(ResultMode::DuplicateImages);
}

void ResultForm::on_pushButton_4_clicked()
{
    switchResultMode(ResultMode::SimilarImages);
}

void ResultForm::switchResultMode(ResultMode mode)
{
    if (m_resultMode == mode)
        return;
    m_resultMode = mode;
    m_groupList->setResultMode(mode);
    reloadGroups();
    listView->setFocus();
}

void ResultForm::reloadGroups()
{
    adoptSortColumn();
    int rows = m_groupsModel->loadAndSortGroups(
        m_category, m_sortColumn, m_resultMode, m_sortDescending);
    // The list keeps agreeing with the search field after a hide or a delete.
    const QString search = m_groupList->searchText();
    if (!search.isEmpty())
        rows = m_groupsModel->filterGroups(
            search, m_category, m_sortDescending, m_sortColumn, m_resultMode);
    afterLoad(rows);
}

void ResultForm::adoptSortColumn()
{
    // The sort box moved without being chosen (set from code): its column
    // in its own direction.
    const int column = m_groupList->sortColumn();
    if (column != m_sortColumn) {
        m_sortColumn = column;
        m_sortDescending = ImageListModel::defaultDescending(column);
    }
    m_groupList->showSortDirection(m_sortColumn, m_sortDescending);
}

void ResultForm::afterLoad(int rows)
{
    if (rows <= 0) {
        m_filesModel->loadMembers(QString(), m_category, fileMode());
        m_files->showNoSelection();
        m_selectedGroups.clear();
        return;
    }
    listView->setCurrentIndex(m_groupsModel->index(0, 0));
    m_files->showSelection();
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
    updateMenuEntries();
    listView->setFocus();
}

void ResultForm::updateMenuEntries()
{
    if (!m_smartMenu)
        return;
    bool anyImage = false;
    for (const QModelIndex &index : qAsConst(m_selectedGroups)) {
        if (const QGroupItem *row = m_groupsModel->groupAt(index.row()))
            anyImage = anyImage || row->isImage;
    }
    m_smartMenu->setImageEntriesVisible(anyImage);
}

void ResultForm::onIconViewSelectChanged()
{
    // Browsing shows a file; marks change only through Space or the check box.
}

void ResultForm::on_horizontalSlider_valueChanged(int value)
{
    m_files->setColumnsFromSlider(value);
}

void ResultForm::on_btn_right_grid_clicked()
{
    m_files->setPresentation(FilePresentation::Grid);
}

void ResultForm::on_btn_right_list_clicked()
{
    m_files->setPresentation(FilePresentation::CompareList);
}

void ResultForm::on_btn_right_flow_clicked()
{
    m_files->setPresentation(FilePresentation::Flow);
}

void ResultForm::fillTable()
{
    m_files->preview()->fill();
}

void ResultForm::onTableViewSelectChanged()
{
    m_files->preview()->showCurrent();
}

void ResultForm::on_splitter_2_splitterMoved(int, int)
{
    onTableViewSelectChanged();
}

void ResultForm::onStateChanged(int)
{
    if (const QObject *check = sender())
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
    const int remaining = m_filesModel->hideFile(groupName, file->pathId);
    updateHiddenButton();
    if (remaining < 0) {
        updateStatus(true);
        return;
    }
    int marked = 0;
    int files = 0;
    TwFileItemGroup *group = m_filesModel->groupByName(groupName);
    // In the image modes a group can stop qualifying (its last exact twin
    // hidden) with more files left.
    if (!ImageListModel::groupListed(
            group, m_category, fileMode(), &marked, &files, m_filesModel->hiddenFiles())) {
        reloadGroups();
    } else {
        groupRow->markedCount = marked;
        groupRow->fileCount = files;
        listView->updateGroupRow(currentGroupIndex());
        m_filesModel->loadMembers(groupName, m_category, fileMode());
        if (refillTable && previewShowing())
            fillTable();
    }
    updateStatus(true);
}

void ResultForm::alwaysIgnoreFileAt(int row)
{
    const QBaseItem *file = m_filesModel->fileAt(row);
    if (!file)
        return;
    if (TwPreferences *preferences = TwPreferences::instance()) {
        preferences->ignoreList()->addIgnorePath(file->path);
        if (!preferences->save())
            qWarning() << "ResultForm::alwaysIgnoreFileAt: the ignore list could not be saved";
    }
    hideFileAt(row, true);
}

void ResultForm::showHiddenFiles()
{
    if (m_filesModel->hiddenFiles()->isEmpty())
        return;
    m_filesModel->hiddenFiles()->clear();
    updateHiddenButton();
    reloadGroups();
    updateStatus(true);
}

int ResultForm::hiddenFileCount() const
{
    return m_filesModel->hiddenFiles()->count();
}

void ResultForm::updateHiddenButton()
{
    const int hidden = hiddenFileCount();
    btn_showHidden->setText(tr("Show hidden files (%1)").arg(hidden));
    btn_showHidden->setVisible(hidden > 0);
}

void ResultForm::showFileMenu(const QPoint &viewportPos)
{
    const QModelIndex index = listImageView->indexAt(viewportPos);
    if (!index.isValid() || !m_filesModel->fileAt(index.row()))
        return;
    const int row = index.row();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("fileMenu"));
    QAction *hide = menu.addAction(tr("Hide from these results"));
    hide->setToolTip(tr("Only this list leaves the file out; later scans find it again"));
    QAction *ignore = menu.addAction(tr("Always ignore this file"));
    ignore->setToolTip(tr("Adds the file to the ignore list, so no later scan reads it"));
    menu.addSeparator();
    QAction *open = menu.addAction(tr("Open the containing folder"));
    menu.setToolTipsVisible(true);
    connect(hide, &QAction::triggered, this, [this, row] { hideFileAt(row, false); });
    connect(ignore, &QAction::triggered, this, [this, row] { alwaysIgnoreFileAt(row); });
    connect(open, &QAction::triggered, this,
        [this, row] { onBtnOpenFinderClick(m_filesModel->index(row, 0)); });
    menu.exec(listImageView->viewport()->mapToGlobal(viewportPos));
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
    // Choosing the listed column again reverses it; another column starts
    // in its own direction. The box shows which.
    if (index == m_sortColumn) {
        m_sortDescending = !m_sortDescending;
    } else {
        m_sortColumn = index;
        m_sortDescending = ImageListModel::defaultDescending(index);
    }
    m_groupList->showSortDirection(m_sortColumn, m_sortDescending);
    m_groupsModel->sortGroups(m_sortColumn, m_sortDescending, m_resultMode);
    saveWindowState();
    if (m_groupsModel->rowCount() > 0)
        listView->setCurrentIndex(m_groupsModel->index(0, 0));
    listView->setFocus();
}

void ResultForm::on_comboBox_currentIndexChanged(int) { }

void ResultForm::on_lineEdit_textChanged(const QString &arg1)
{
    adoptSortColumn();
    const int rows = m_groupsModel->filterGroups(
        arg1, m_category, m_sortDescending, m_sortColumn, m_resultMode);
    afterLoad(rows);
    m_groupList->focusSearch();
}

void ResultForm::updateStatus(bool recount)
{
    const int count = m_result ? m_result->checkedCount(recount) : 0;
    const qint64 bytes = m_result ? m_result->checkedBytes(false) : 0;
    lab_select->setText(QString::number(count));
    lab_size->setText(TwSearchResult::sizeText(bytes));
    btn_delete->setEnabled(count > 0);
    qint64 found = 0;
    qint64 foundBytes = 0;
    if (m_result)
        m_result->countDuplicates(&found, &foundBytes);
    lab_found->setText(tr("%n duplicate(s) found (%1)", nullptr, int(qMin<qint64>(found, INT_MAX)))
                           .arg(TwSearchResult::sizeText(foundBytes)));
}

void ResultForm::initMenu()
{
    if (m_smartMenu)
        return;
    m_smartMenu = new SmartSelectMenu(this);
    connect(m_smartMenu, &SmartSelectMenu::actionChosen, this, &ResultForm::runSmartAction);
    m_files->setSmartMenu(m_smartMenu);
    updateMenuEntries();
}

void ResultForm::onTaskContextMenuEvent()
{
    if (const auto *action = qobject_cast<QAction *>(sender()))
        runSmartAction(SmartSelectMenu::actionOf(action));
}

void ResultForm::runSmartAction(SmartAction action)
{
    qDebug() << "onTaskContextMenuEvent" << int(action);
    const int rows = m_groupsModel->rowCount();
    QItemSelectionModel *selection = listView->selectionModel();
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = m_groupsModel->index(row, 0);
        if (!selection->isSelected(index))
            continue;
        qDebug() << "onTaskContextMenuEvent:index=" << row;
        QGroupItem *group = m_groupsModel->groupAt(row);
        group->markedCount = m_groupsModel->applySelection(group->name, action);
        listView->updateGroupRow(index);
    }
    listView->viewport()->update();
    m_filesModel->refreshChecks();
    m_files->refreshMarks();
    updateStatus(true);
}

void ResultForm::bulidPieChart()
{
    m_overview->build(m_result);
}

void ResultForm::on_btn_delete_clicked()
{
    if (!m_removal->removeMarked())
        return;
    // Removed files cannot come back; the count of hidden ones must not lie.
    QSet<QString> present;
    for (const TwCatalogContainer *container : m_result->containers()) {
        for (const TwFileItemGroup *group : container->groups()) {
            for (const TwFileItem *item : group->items())
                present.insert(item->pathId());
        }
    }
    m_filesModel->hiddenFiles()->retain(present);
    updateHiddenButton();
    reloadGroups();
    updateStatus(true);
}

void ResultForm::on_btn_export_clicked()
{
    ResultExporter::exportResults(this, *m_result);
}

void ResultForm::onItemFileDeleted(int complate)
{
    m_removal->onItemFileDeleted(complate);
}

void ResultForm::onItemDeletedComplated()
{
    m_removal->onItemDeletedComplated();
}

void ResultForm::on_btnClose_clicked()
{
    close();
}

void ResultForm::restoreViewState()
{
    const auto settings = AppSettings::open();
    settings->beginGroup(QLatin1String(SettingsGroup));
    const int column = settings->value(QStringLiteral("sort_column"), 0).toInt();
    if (column >= 0 && column <= 3) {
        m_groupList->setSortColumn(column);
        m_sortColumn = column;
        m_sortDescending = settings
                               ->value(QStringLiteral("sort_descending"),
                                   ImageListModel::defaultDescending(column))
                               .toBool();
    }
    const int presentation = settings->value(QStringLiteral("presentation"), 0).toInt();
    if (presentation == int(FilePresentation::Flow)
        || presentation == int(FilePresentation::CompareList))
        m_files->setPresentation(FilePresentation(presentation));
    const QByteArray geometry = settings->value(QStringLiteral("geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
}

void ResultForm::saveWindowState() const
{
    const auto settings = AppSettings::open();
    settings->beginGroup(QLatin1String(SettingsGroup));
    settings->setValue(QStringLiteral("sort_column"), m_sortColumn);
    settings->setValue(QStringLiteral("sort_descending"), m_sortDescending);
    settings->setValue(QStringLiteral("presentation"), int(m_files->presentation()));
    if (isVisible()) {
        settings->setValue(QStringLiteral("geometry"), saveGeometry());
        settings->setValue(QStringLiteral("maximized"), isMaximized());
    }
}

void ResultForm::showRemembered()
{
    const auto settings = AppSettings::open();
    settings->beginGroup(QLatin1String(SettingsGroup));
    const bool known = settings->contains(QStringLiteral("geometry"));
    if (settings->value(QStringLiteral("maximized"), false).toBool()) {
        showMaximized();
        return;
    }
    show();
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    // A remembered place on a screen that is gone, or the first opening: centred.
    if (!known || !desktop.intersects(frameGeometry())) {
        resize(size().boundedTo(desktop.size()));
        move(desktop.x() + (desktop.width() - width()) / 2,
            desktop.y() + (desktop.height() - height()) / 2);
    }
}

void ResultForm::closeEvent(QCloseEvent *event)
{
    saveWindowState();
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
    return m_groupList->countsToolTipAt(viewportPos);
}

void ResultForm::setTitle()
{
    setWindowTitle(QString::fromLatin1(Product::Name));
}
