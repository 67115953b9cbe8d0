#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QScopeGuard>
#include <QSlider>
#include <QStackedWidget>
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTableView>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QPieSeries>
#include <QtCharts/QPieSlice>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "platform/appsettings.h"
#include "platform/nativepath.h"
#include "resources/twresources.h"
#include "results/imagelistmodel.h"
#include "results/grouplistpane.h"
#include "results/imagelistview.h"
#include "results/previewpane.h"
#include "results/previewtablemodel.h"
#include "results/qbaseitem.h"
#include "results/qgroupitem.h"
#include "results/resultform.h"
#include "tests/results/resultfixture.h"
#include "translations/apptranslator.h"
#include "widgets/desktopprompts.h"

using namespace QtCharts;

namespace {

template <typename T> T *child(QWidget *form, const char *name)
{
    return form->findChild<T *>(QLatin1String(name));
}

QString label(QWidget *form, const char *name)
{
    return child<QLabel>(form, name)->text();
}

// Clicks the check box of a table row where the view draws it.
void clickCheckOf(QTableView *table, int row)
{
    const QModelIndex index = table->model()->index(row, PreviewTableModel::MarkColumn);
    QStyleOptionViewItem option;
    option.initFrom(table);
    option.rect = table->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box
        = table->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, table);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, box.center());
}

int rowOfImageGroup(ImageListModel *model, bool image)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->groupAt(row)->isImage == image)
            return row;
    }
    return -1;
}

} // namespace

class TestResultForm : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void opensOnAllWithTheFirstGroup();
    void switchesCategoriesAndImageModes();
    void sameSortEntryFlipsDirection();
    void searchWithoutMatchShowsEmptyViews();
    void marksUpdateStatusAndDelete();
    void gridCurrentCellFlipsMarks();
    void sizeAndResolutionEntriesOnlyForImageGroups();
    void hidingTheSecondLastFileDropsTheGroup();
    void presentationsSwitchPagesAndColumns();
    void chartSlicesShareTheDuplicateVolume();
    void deletesByEachRemovalMethod_data();
    void deletesByEachRemovalMethod();
    void failedRemovalsAreListedAtTheEnd();
    void rawNamesShownWithAMarkAndRemovedByTheirBytes();
    void cancelAfterThirdFileKeepsTheRestMarked();
    void backEmitsCloseWindowsOnce();
    void groupCountsExplainThemselves();
    void categoryTextsKeepClearOfBorders();
    void translatedCategoryTextsKeepTheirCategory();
    void windowKeepsSizePresentationAndSortBetweenOpenings();
    void tabVisitsTheWindowInReadingOrderAndCtrlASelectsAllGroups();
    void germanWindowSwitchesCategoriesSortsAndModes();

private:
    std::unique_ptr<ResultForm> openSample();
    std::unique_ptr<ScanEngine> scanCopies(const QString &folder, int copies);

    TempTree m_tree;
    std::unique_ptr<ScanEngine> m_engine;
    int m_folderCount = 0;
};

void TestResultForm::initTestCase()
{
    QVERIFY(m_tree.isValid());
    ResultFixture::isolate(m_tree);
    // The window remembers itself in the native store: one of the test's own.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tree.path("settings"));
    initTwResources();
}

void TestResultForm::init()
{
    DesktopPrompts::setOverride([](const DesktopPrompts::Request &request) {
        DesktopPrompts::Answer answer;
        if (request.kind == DesktopPrompts::Kind::ConfirmRemoval) {
            answer.button = QMessageBox::Yes;
        } else if (request.kind != DesktopPrompts::Kind::OpenFolder) {
            qWarning("unexpected prompt");
            answer.button = QMessageBox::No;
        }
        return answer;
    });
    TwPreferences::instance()->general()->setRemovalMethod(TwGenernalPreferences::MoveToTrash);
    // Every test opens the window as at a first start.
    AppSettings::open()->remove(QLatin1String(ResultForm::SettingsGroup));
}

void TestResultForm::cleanup()
{
    m_engine.reset();
}

void TestResultForm::cleanupTestCase()
{
    DesktopPrompts::setOverride({});
    TwPreferences::destroyInstance();
}

// A fresh scan of the sample folder for every test: the window changes it.
std::unique_ptr<ResultForm> TestResultForm::openSample()
{
    const QString folder = QStringLiteral("sample%1").arg(++m_folderCount);
    if (!ResultFixture::writeSampleFolder(m_tree, folder))
        return nullptr;
    m_engine = ResultFixture::scan(m_tree.path(folder));
    if (!m_engine)
        return nullptr;
    auto form = std::make_unique<ResultForm>(m_engine->searchResult());
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    return form;
}

std::unique_ptr<ScanEngine> TestResultForm::scanCopies(const QString &folder, int copies)
{
    const QByteArray content = ResultFixture::bytes('c', 6000);
    for (int i = 0; i < copies; ++i)
        m_tree.writeFile(
            QStringLiteral("%1/c%2/item.dat").arg(folder).arg(i, 2, 10, QLatin1Char('0')), content);
    return ResultFixture::scan(m_tree.path(folder));
}

void TestResultForm::opensOnAllWithTheFirstGroup()
{
    auto form = openSample();
    QVERIFY(form);
    TwSearchResult *result = m_engine->searchResult();
    QCOMPARE(form->windowTitle(), QStringLiteral("Orvane Twinscan"));
    QCOMPARE(form->minimumSize(), QSize(900, 700));
    QCOMPARE(form->currentCategory(), QStringLiteral("All"));
    QCOMPARE(form->resultMode(), ResultMode::Ordinary);
    int total = 0;
    for (TwCatalogContainer *container : result->containers())
        total += container->groups().size();
    QCOMPARE(form->groupsModel()->rowCount(), total);
    auto *listView = child<ImageListView>(form.get(), "listView");
    QCOMPARE(listView->currentIndex().row(), 0);
    QCOMPARE(form->filesModel()->groupName(), form->groupsModel()->groupAt(0)->name);
    QVERIFY(form->filesModel()->rowCount() >= 2);
    QVERIFY(!child<QWidget>(form.get(), "frame_top_img")->isVisible());
    QCOMPARE(child<QStackedWidget>(form.get(), "stackview_main")->currentIndex(), 0);
    // The automatic selection marked files; the status line shows them.
    const int marked = result->checkedCount(true);
    QVERIFY(marked > 0);
    QCOMPARE(label(form.get(), "lab_select"), QString::number(marked));
    QCOMPARE(label(form.get(), "lab_size"), TwSearchResult::sizeText(result->checkedBytes(false)));
    QVERIFY(child<QPushButton>(form.get(), "btn_delete")->isEnabled());
}

void TestResultForm::switchesCategoriesAndImageModes()
{
    auto form = openSample();
    QVERIFY(form);
    QWidget *switchBar = child<QWidget>(form.get(), "frame_top_img");
    auto *stack = child<QStackedWidget>(form.get(), "stackview_main");

    child<QPushButton>(form.get(), "btn_document")->click();
    QCOMPARE(form->currentCategory(), QStringLiteral("Documents"));
    QCOMPARE(form->resultMode(), ResultMode::Ordinary);
    QCOMPARE(form->groupsModel()->rowCount(), 2);
    QVERIFY(!switchBar->isVisible());

    child<QPushButton>(form.get(), "pushButton_4")->setChecked(true);
    child<QPushButton>(form.get(), "btn_image")->click();
    QCOMPARE(form->resultMode(), ResultMode::DuplicateImages);
    QVERIFY(switchBar->isVisible());
    QVERIFY(child<QPushButton>(form.get(), "btn_duplicate")->isChecked());
    QCOMPARE(form->groupsModel()->rowCount(), 1);
    QCOMPARE(form->filesModel()->rowCount(), 2);

    child<QPushButton>(form.get(), "pushButton_4")->click();
    QCOMPARE(form->resultMode(), ResultMode::SimilarImages);
    QCOMPARE(form->groupsModel()->rowCount(), 1);
    QVERIFY(form->groupsModel()->groupAt(0)->path.contains(QLatin1String("sunset")));
    QCOMPARE(form->filesModel()->rowCount(), 2);

    child<QPushButton>(form.get(), "btn_music")->click();
    QCOMPARE(form->resultMode(), ResultMode::Ordinary);
    QVERIFY(!switchBar->isVisible());
    QCOMPARE(form->groupsModel()->rowCount(), 1);

    // Nothing of a category: empty views with the no-selection pictures.
    child<QPushButton>(form.get(), "btn_videos")->click();
    QCOMPARE(form->groupsModel()->rowCount(), 0);
    QCOMPARE(form->filesModel()->rowCount(), 0);
    QVERIFY(child<ImageListView>(form.get(), "listImageView")
                ->styleSheet()
                .contains(QLatin1String("noSelection_LiteBG")));

    // The overview, then the current category again: back to the lists, no reload.
    child<QPushButton>(form.get(), "btn_over")->click();
    QCOMPARE(stack->currentIndex(), 1);
    QSignalSpy resets(form->groupsModel(), &QAbstractItemModel::modelReset);
    form->on_btn_videos_clicked();
    QCOMPARE(stack->currentIndex(), 0);
    QCOMPARE(resets.count(), 0);
}

void TestResultForm::sameSortEntryFlipsDirection()
{
    auto form = openSample();
    QVERIFY(form);
    ImageListModel *groups = form->groupsModel();
    const int rows = groups->rowCount();
    QVERIFY(rows >= 4);
    form->on_comboBox_activated(1);
    for (int i = 1; i < rows; ++i)
        QVERIFY(groups->groupAt(i - 1)->size >= groups->groupAt(i)->size);
    QVERIFY(groups->groupAt(0)->size > groups->groupAt(rows - 1)->size);
    form->on_comboBox_activated(1);
    for (int i = 1; i < rows; ++i)
        QVERIFY(groups->groupAt(i - 1)->size <= groups->groupAt(i)->size);
    QCOMPARE(child<ImageListView>(form.get(), "listView")->currentIndex().row(), 0);
    QCOMPARE(form->filesModel()->groupName(), groups->groupAt(0)->name);

    // The box shows the direction on the chosen entry only.
    auto *box = child<QComboBox>(form.get(), "comboBox");
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(box->itemText(1), QStringLiteral("Size \u2191"));
    QCOMPARE(box->itemText(0), QStringLiteral("Name"));
    // Another entry starts in its own direction, whatever the last one was.
    form->on_comboBox_activated(0);
    QCOMPARE(box->itemText(0), QStringLiteral("Name \u2191"));
    QCOMPARE(box->itemText(1), QStringLiteral("Size"));
    for (int i = 1; i < rows; ++i)
        QVERIFY(groups->groupAt(i - 1)->fileName <= groups->groupAt(i)->fileName);
    form->on_comboBox_activated(0);
    QCOMPARE(box->itemText(0), QStringLiteral("Name \u2193"));
    for (int i = 1; i < rows; ++i)
        QVERIFY(groups->groupAt(i - 1)->fileName >= groups->groupAt(i)->fileName);
    // A search keeps the chosen order.
    form->on_lineEdit_textChanged(QStringLiteral("."));
    QCOMPARE(groups->rowCount(), rows);
    for (int i = 1; i < rows; ++i)
        QVERIFY(groups->groupAt(i - 1)->fileName >= groups->groupAt(i)->fileName);
}

void TestResultForm::searchWithoutMatchShowsEmptyViews()
{
    auto form = openSample();
    QVERIFY(form);
    auto *lineEdit = child<QLineEdit>(form.get(), "lineEdit");
    // Typing filters once the keys pause, not once per key.
    QSignalSpy resets(form->groupsModel(), &QAbstractItemModel::modelReset);
    lineEdit->setFocus();
    QTest::keyClicks(lineEdit, QStringLiteral("REPORT"));
    QCOMPARE(resets.count(), 0);
    QTRY_COMPARE(form->groupsModel()->rowCount(), 1);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(form->filesModel()->rowCount(), 3);
    lineEdit->setText(QStringLiteral("no-such-name"));
    // Enter filters at once.
    QTest::keyClick(lineEdit, Qt::Key_Return);
    QCOMPARE(form->groupsModel()->rowCount(), 0);
    QCOMPARE(form->filesModel()->rowCount(), 0);
    QVERIFY(child<ImageListView>(form.get(), "listImageView")
                ->styleSheet()
                .contains(QLatin1String("noSelection_LiteBG")));
    // A category switch clears the search, and a search still waiting is dropped.
    lineEdit->setText(QStringLiteral("REP"));
    child<QPushButton>(form.get(), "btn_document")->click();
    QVERIFY(lineEdit->text().isEmpty());
    QCOMPARE(form->groupsModel()->rowCount(), 2);
    QTest::qWait(GroupListPane::SearchDelayMs + 100);
    QCOMPARE(form->groupsModel()->rowCount(), 2);

    // Hiding a file while searching keeps the list to what the search finds.
    lineEdit->setText(QStringLiteral("REPORT"));
    QTest::keyClick(lineEdit, Qt::Key_Return);
    QCOMPARE(form->groupsModel()->rowCount(), 1);
    form->onBtnHideFileClick(form->filesModel()->index(0, 0));
    QCOMPARE(form->groupsModel()->rowCount(), 1);
    // The group loses its last twin and the list reloads: still searched.
    form->onBtnHideFileClick(form->filesModel()->index(0, 0));
    QCOMPARE(lineEdit->text(), QStringLiteral("REPORT"));
    QCOMPARE(form->groupsModel()->rowCount(), 0);
}

void TestResultForm::marksUpdateStatusAndDelete()
{
    auto form = openSample();
    QVERIFY(form);
    auto *listView = child<ImageListView>(form.get(), "listView");
    auto *deleteButton = child<QPushButton>(form.get(), "btn_delete");

    // "Deselect" over every group of every category: nothing marked anywhere.
    listView->selectAll();
    form->runSmartAction(SmartAction::Deselect);
    for (int row = 0; row < form->groupsModel()->rowCount(); ++row)
        QCOMPARE(form->groupsModel()->groupAt(row)->markedCount, 0);
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("0"));
    QCOMPARE(label(form.get(), "lab_size"), TwSearchResult::sizeText(0));
    QVERIFY(!deleteButton->isEnabled());

    child<QPushButton>(form.get(), "btn_music")->click();
    QCOMPARE(form->filesModel()->rowCount(), 2);
    form->onCheckedChange(form->filesModel()->index(0, 0));
    QVERIFY(form->filesModel()->fileAt(0)->checked);
    QCOMPARE(form->groupsModel()->groupAt(0)->markedCount, 1);
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("1"));
    QCOMPARE(label(form.get(), "lab_size"), TwSearchResult::sizeText(9000));
    QVERIFY(deleteButton->isEnabled());

    // A mark in another category keeps Delete enabled.
    child<QPushButton>(form.get(), "btn_document")->click();
    QVERIFY(deleteButton->isEnabled());
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("1"));

    // The table's check boxes go the same way, and show what the file model holds.
    child<QPushButton>(form.get(), "btn_right_flow")->click();
    auto *table = child<QTableView>(form.get(), "tableView");
    const QModelIndex mark = form->tableModel()->index(0, PreviewTableModel::MarkColumn);
    const bool wasChecked = form->filesModel()->fileAt(0)->checked;
    QCOMPARE(mark.data(Qt::CheckStateRole).toInt(), int(wasChecked ? Qt::Checked : Qt::Unchecked));
    clickCheckOf(table, 0);
    QCOMPARE(form->filesModel()->fileAt(0)->checked, !wasChecked);
    QCOMPARE(mark.data(Qt::CheckStateRole).toInt(), int(wasChecked ? Qt::Unchecked : Qt::Checked));
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("2"));
    clickCheckOf(table, 0);
    QCOMPARE(form->filesModel()->fileAt(0)->checked, wasChecked);
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("1"));
    // A click beside the box selects the row without marking it.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
        table->visualRect(form->tableModel()->index(1, PreviewTableModel::PathColumn)).center());
    QCOMPARE(table->currentIndex().row(), 1);
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("1"));

    // "Deselect" with no group selected changes nothing but still refreshes.
    listView->clearSelection();
    form->runSmartAction(SmartAction::Deselect);
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("1"));
}

void TestResultForm::gridCurrentCellFlipsMarks()
{
    // Browsing never marks: only Space and the check box change a mark.
    auto form = openSample();
    QVERIFY(form);
    child<QPushButton>(form.get(), "btn_document")->click();
    auto *grid = child<ImageListView>(form.get(), "listImageView");
    const int before = m_engine->searchResult()->checkedCount(true);
    const bool first = form->filesModel()->fileAt(1)->checked;
    const bool zeroth = form->filesModel()->fileAt(0)->checked;
    grid->setCurrentIndex(form->filesModel()->index(1, 0));
    QCOMPARE(form->filesModel()->fileAt(1)->checked, first);
    grid->setFocus();
    QTest::keyClick(grid->viewport(), Qt::Key_Left);
    QCOMPARE(grid->currentIndex().row(), 0);
    QTest::keyClick(grid->viewport(), Qt::Key_Right);
    QTest::keyClick(grid->viewport(), Qt::Key_Left);
    QCOMPARE(form->filesModel()->fileAt(0)->checked, zeroth);
    QCOMPARE(form->filesModel()->fileAt(1)->checked, first);
    QCOMPARE(m_engine->searchResult()->checkedCount(true), before);

    QTest::keyClick(grid->viewport(), Qt::Key_Space);
    QCOMPARE(form->filesModel()->fileAt(0)->checked, !zeroth);
    QCOMPARE(m_engine->searchResult()->checkedCount(true), before + (zeroth ? -1 : 1));
    QCOMPARE(label(form.get(), "lab_select"),
        QString::number(m_engine->searchResult()->checkedCount(false)));
    QTest::keyClick(grid->viewport(), Qt::Key_Space);
    QCOMPARE(form->filesModel()->fileAt(0)->checked, zeroth);
    QCOMPARE(m_engine->searchResult()->checkedCount(true), before);

    // In the compare list moving the cursor marks nothing either.
    child<QPushButton>(form.get(), "btn_right_list")->click();
    grid->setCurrentIndex(form->filesModel()->index(2, 0));
    QCOMPARE(m_engine->searchResult()->checkedCount(true), before);
}

void TestResultForm::sizeAndResolutionEntriesOnlyForImageGroups()
{
    auto form = openSample();
    QVERIFY(form);
    auto *listView = child<ImageListView>(form.get(), "listView");
    const QList<QAction *> actions = form->smartMenu()->actions();
    QCOMPARE(actions.size(), 9);
    QCOMPARE(form->smartMenu()->objectName(), QStringLiteral("senMenu"));
    QCOMPARE(actions.at(4)->text(), QStringLiteral("Select Largest"));
    QCOMPARE(actions.at(8)->data().toInt(), 9);

    const int documentRow = rowOfImageGroup(form->groupsModel(), false);
    const int imageRow = rowOfImageGroup(form->groupsModel(), true);
    QVERIFY(documentRow >= 0 && imageRow >= 0);
    listView->setCurrentIndex(form->groupsModel()->index(documentRow, 0));
    for (int i = 0; i < 9; ++i)
        QCOMPARE(actions.at(i)->isVisible(), i < 4 || i > 7);
    listView->setCurrentIndex(form->groupsModel()->index(imageRow, 0));
    for (int i = 0; i < 9; ++i)
        QVERIFY(actions.at(i)->isVisible());
    // Both selected: one image group is enough.
    listView->selectionModel()->select(
        form->groupsModel()->index(documentRow, 0), QItemSelectionModel::Select);
    QVERIFY(actions.at(6)->isVisible());

    // A rule through the menu's own action reaches every selected group.
    actions.at(8)->trigger();
    QCOMPARE(form->groupsModel()->groupAt(documentRow)->markedCount, 0);
    QCOMPARE(form->groupsModel()->groupAt(imageRow)->markedCount, 0);
    actions.at(0)->trigger();
    QVERIFY(form->groupsModel()->groupAt(documentRow)->markedCount > 0);
    QVERIFY(form->groupsModel()->groupAt(imageRow)->markedCount > 0);
}

void TestResultForm::hidingTheSecondLastFileDropsTheGroup()
{
    auto form = openSample();
    QVERIFY(form);
    child<QPushButton>(form.get(), "btn_document")->click();
    QCOMPARE(form->groupsModel()->rowCount(), 2);
    // Count (descending by default) puts the three-copy report group first.
    child<QComboBox>(form.get(), "comboBox")->setCurrentIndex(2);
    child<QPushButton>(form.get(), "btn_music")->click();
    child<QPushButton>(form.get(), "btn_document")->click();
    QCOMPARE(form->groupsModel()->groupAt(0)->fileCount, 3);

    const QString hidden = form->filesModel()->fileAt(0)->path;
    form->onBtnHideFileClick(form->filesModel()->index(0, 0));
    QCOMPARE(form->groupsModel()->rowCount(), 2);
    QCOMPARE(form->groupsModel()->groupAt(0)->fileCount, 2);
    QCOMPARE(form->filesModel()->rowCount(), 2);
    QVERIFY(QFileInfo::exists(hidden));
    // Hiding is for these results only; the ignore list is another action.
    QVERIFY(!TwPreferences::instance()->ignoreList()->ignorePaths().contains(hidden));
    auto *showHidden = child<QPushButton>(form.get(), "btn_showHidden");
    QVERIFY(!showHidden->isHidden());
    QVERIFY(showHidden->text().contains(QLatin1String("(1)")));

    form->onBtnHideFileClick(form->filesModel()->index(0, 0));
    QCOMPARE(form->groupsModel()->rowCount(), 1);
    QCOMPARE(label(form.get(), "lab_select"),
        QString::number(m_engine->searchResult()->checkedCount(true)));
    QCOMPARE(form->hiddenFileCount(), 2);

    // Shown again: both groups with every file, nothing saved meanwhile.
    showHidden->click();
    QCOMPARE(form->hiddenFileCount(), 0);
    QVERIFY(showHidden->isHidden());
    QCOMPARE(form->groupsModel()->rowCount(), 2);
    QCOMPARE(form->groupsModel()->groupAt(0)->fileCount, 3);
    QVERIFY(!TwPreferences::instance()->ignoreList()->ignorePaths().contains(hidden));
    TwPreferences stored;
    stored.load(TwPreferences::instance()->filePath());
    QVERIFY(!stored.ignoreList()->ignorePaths().contains(hidden));

    // The lasting choice writes the ignore list and hides the file as well.
    const QString ignored = form->filesModel()->fileAt(0)->path;
    form->alwaysIgnoreFileAt(0);
    QVERIFY(TwPreferences::instance()->ignoreList()->ignorePaths().contains(ignored));
    TwPreferences reread;
    QVERIFY(reread.load(TwPreferences::instance()->filePath()));
    QVERIFY(reread.ignoreList()->ignorePaths().contains(ignored));
    QCOMPARE(form->groupsModel()->groupAt(0)->fileCount, 2);
    QCOMPARE(form->hiddenFileCount(), 1);

    // The open button hands the file's folder to the desktop.
    QString opened;
    DesktopPrompts::setOverride([&opened](const DesktopPrompts::Request &request) {
        if (request.kind == DesktopPrompts::Kind::OpenFolder)
            opened = request.folder;
        return DesktopPrompts::Answer();
    });
    form->onBtnOpenFinderClick(form->filesModel()->index(1, 0));
    QCOMPARE(opened, QFileInfo(form->filesModel()->fileAt(1)->path).absolutePath());

    // The table's icons take the same ways.
    child<QPushButton>(form.get(), "btn_right_flow")->click();
    auto *table = child<QTableView>(form.get(), "tableView");
    auto cellCentre = [&](int column) {
        return table->visualRect(form->tableModel()->index(0, column)).center();
    };
    const QString first = form->filesModel()->fileAt(0)->path;
    opened.clear();
    QTest::mouseClick(
        table->viewport(), Qt::LeftButton, {}, cellCentre(PreviewTableModel::OpenColumn));
    QCOMPARE(opened, QFileInfo(first).absolutePath());
    const int hiddenBefore = form->hiddenFileCount();
    QTest::mouseClick(
        table->viewport(), Qt::LeftButton, {}, cellCentre(PreviewTableModel::HideColumn));
    QCOMPARE(form->hiddenFileCount(), hiddenBefore + 1);
    QVERIFY(!TwPreferences::instance()->ignoreList()->ignorePaths().contains(first));
    for (int row = 0; row < form->tableModel()->rowCount(); ++row)
        QVERIFY(form->tableModel()->index(row, PreviewTableModel::PathColumn).data() != first);
}

void TestResultForm::presentationsSwitchPagesAndColumns()
{
    auto form = openSample();
    QVERIFY(form);
    auto *view = child<ImageListView>(form.get(), "listImageView");
    auto *slider = child<QSlider>(form.get(), "horizontalSlider");
    auto *pages = child<QStackedWidget>(form.get(), "stackedWidget");
    QCOMPARE(view->viewMode(), int(ImageListView::Grid));
    QCOMPARE(view->columns(), 4);

    slider->setValue(2);
    QCOMPARE(view->columns(), 6);
    child<QPushButton>(form.get(), "btn_right_list")->click();
    QCOMPARE(view->viewMode(), int(ImageListView::CompareList));
    QCOMPARE(view->columns(), 1);
    QVERIFY(!slider->isVisible());

    child<QPushButton>(form.get(), "btn_right_flow")->click();
    QCOMPARE(pages->currentIndex(), 1);
    PreviewTableModel *table = form->tableModel();
    QVERIFY(table);
    QAbstractItemModelTester tester(table, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(table->rowCount(), form->filesModel()->rowCount());
    QCOMPARE(table->columnCount(), 5);
    QCOMPARE(table->index(0, 1).data().toString(), form->filesModel()->fileAt(0)->path);
    QCOMPARE(table->index(0, 2).data().toString(), form->filesModel()->fileAt(0)->created);
    auto *tableView = child<QTableView>(form.get(), "tableView");
    QCOMPARE(tableView->currentIndex().row(), 0);
    // No widget per row: the rows are painted from the model.
    QVERIFY(!tableView->indexWidget(table->index(0, PreviewTableModel::MarkColumn)));
    QVERIFY(!tableView->indexWidget(table->index(0, PreviewTableModel::HideColumn)));
    auto *picture = child<QLabel>(form.get(), "labImage");
    QTRY_VERIFY(!picture->pixmap(Qt::ReturnByValue).isNull());

    // Another group while the table shows: its rows and its first file.
    auto *groups = child<ImageListView>(form.get(), "listView");
    const int otherRow = groups->currentIndex().row() == 0 ? 1 : 0;
    groups->setCurrentIndex(form->groupsModel()->index(otherRow, 0));
    QCOMPARE(form->filesModel()->groupName(), form->groupsModel()->groupAt(otherRow)->name);
    QCOMPARE(table->rowCount(), form->filesModel()->rowCount());
    QCOMPARE(table->index(0, 1).data().toString(), form->filesModel()->fileAt(0)->path);
    QCOMPARE(tableView->currentIndex().row(), 0);

    child<QPushButton>(form.get(), "btn_right_grid")->click();
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(view->viewMode(), int(ImageListView::Grid));
    QCOMPARE(view->columns(), 6);
    QVERIFY(slider->isVisible());
}

void TestResultForm::chartSlicesShareTheDuplicateVolume()
{
    TempTree tree;
    TwSearchResult result;
    const QByteArray document = ResultFixture::bytes('q', 3000);
    const QByteArray music = ResultFixture::bytes('m', 9000);
    result.addSameSizeGroup(
        { tree.writeFile("a/letter.doc", document), tree.writeFile("b/letter.doc", document) },
        ScanSettings());
    result.addSameSizeGroup(
        { tree.writeFile("a/tune.mp3", music), tree.writeFile("b/tune.mp3", music),
            tree.writeFile("c/tune.mp3", music) },
        ScanSettings());
    QCOMPARE(result.bytesOfDuplicateFiles(), qint64(3000 + 18000));

    ResultForm form(&result);
    auto *chartView = child<QChartView>(&form, "chartView");
    QCOMPARE(chartView->chart()->series().size(), 1);
    auto *series = qobject_cast<QPieSeries *>(chartView->chart()->series().first());
    QVERIFY(series);
    QCOMPARE(series->holeSize(), 0.45);
    QCOMPARE(series->count(), 2);
    // Map order: Documents before Musics.
    QCOMPARE(series->slices().at(0)->value(), qreal(float(3000) / float(21000) * 100.0f));
    QCOMPARE(series->slices().at(1)->value(), qreal(float(18000) / float(21000) * 100.0f));
    QCOMPARE(series->slices().at(0)->label(),
        QStringLiteral("Documents  %1").arg(TwSearchResult::sizeText(3000)));
    QCOMPARE(series->slices().at(1)->color(), QColor(236, 86, 76));

    // A quarter of the volume is a slice of 25.
    TwSearchResult quarter;
    quarter.addSameSizeGroup(
        { tree.writeFile("q/one.doc", document), tree.writeFile("r/one.doc", document) },
        ScanSettings());
    const QByteArray three = ResultFixture::bytes('t', 9000);
    quarter.addSameSizeGroup(
        { tree.writeFile("q/two.zip", three), tree.writeFile("r/two.zip", three) }, ScanSettings());
    ResultForm quarterForm(&quarter);
    auto *pie = qobject_cast<QPieSeries *>(
        child<QChartView>(&quarterForm, "chartView")->chart()->series().first());
    QCOMPARE(pie->slices().at(0)->label().left(8), QStringLiteral("Archives"));
    QCOMPARE(pie->slices().at(0)->value(), 75.0);
    QCOMPARE(pie->slices().at(1)->value(), 25.0);

    // No containers, no series (and no division by a zero total).
    TwSearchResult empty;
    ResultForm emptyForm(&empty);
    QVERIFY(child<QChartView>(&emptyForm, "chartView")->chart()->series().isEmpty());
    QCOMPARE(emptyForm.groupsModel()->rowCount(), 0);
    QVERIFY(!child<QPushButton>(&emptyForm, "btn_delete")->isEnabled());
}

void TestResultForm::deletesByEachRemovalMethod_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("trash") << int(TwGenernalPreferences::MoveToTrash);
    QTest::newRow("permanent") << int(TwGenernalPreferences::RemovePermanently);
    QTest::newRow("folder") << int(TwGenernalPreferences::MoveToFolder);
}

void TestResultForm::deletesByEachRemovalMethod()
{
    QFETCH(int, method);
    const QString folder = QStringLiteral("remove_%1").arg(method);
    const QString target = m_tree.path(folder + QStringLiteral("_target"));
    QVERIFY(QDir().mkpath(target));
    m_engine = scanCopies(folder, 4);
    QVERIFY(m_engine);
    TwPreferences *preferences = TwPreferences::instance();
    preferences->general()->setRemovalMethod(TwGenernalPreferences::TwRemovalMethodFlag(method));
    preferences->general()->setMoveToFolderPath(target);

    int questions = 0;
    QMessageBox::StandardButton answer
        = method == TwGenernalPreferences::RemovePermanently ? QMessageBox::No : QMessageBox::Yes;
    DesktopPrompts::setOverride([&](const DesktopPrompts::Request &request) {
        DesktopPrompts::Answer given;
        if (request.kind != DesktopPrompts::Kind::ConfirmRemoval)
            return given;
        ++questions;
        if (request.title != QLatin1String("Orvane Twinscan")
            || request.text.contains(QLatin1String("permanently deleted"))
                != (method == TwGenernalPreferences::RemovePermanently))
            qWarning("unexpected question text");
        given.button = answer;
        return given;
    });

    ResultForm form(m_engine->searchResult());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(m_engine->searchResult()->checkedCount(true), 3);
    QStringList marked;
    form.findChild<ImageListView *>("listView")->setCurrentIndex(form.groupsModel()->index(0, 0));
    for (int row = 0; row < form.filesModel()->rowCount(); ++row) {
        if (form.filesModel()->fileAt(row)->checked)
            marked << form.filesModel()->fileAt(row)->path;
    }
    QCOMPARE(marked.size(), 3);

    if (method == TwGenernalPreferences::RemovePermanently) {
        // "No" leaves everything as it was.
        form.on_btn_delete_clicked();
        QCOMPARE(questions, 1);
        for (const QString &path : marked)
            QVERIFY(QFileInfo::exists(path));
        QCOMPARE(m_engine->searchResult()->checkedCount(true), 3);
        answer = QMessageBox::Yes;
    }
    QSignalSpy progressed(&form, &ResultForm::deleteProgressed);
    form.on_btn_delete_clicked();
    QCOMPARE(questions, method == TwGenernalPreferences::RemovePermanently ? 2 : 1);
    QCOMPARE(progressed.count(), 3);
    for (const QString &path : marked)
        QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
    if (method == TwGenernalPreferences::MoveToFolder) {
        // Each copy under the scanned folder's name and its own folder, so
        // none had to be renamed.
        for (const QString &path : marked) {
            const QString relative = QDir(m_tree.path(folder)).relativeFilePath(path);
            QVERIFY2(QFileInfo::exists(QStringLiteral("%1/%2/%3").arg(target, folder, relative)),
                qPrintable(relative));
        }
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList());
    }
    // One copy is left: no group any more, nothing marked, no dialog.
    QCOMPARE(m_engine->searchResult()->checkedCount(true), 0);
    QCOMPARE(form.groupsModel()->rowCount(), 0);
    QCOMPARE(form.findChild<QLabel *>("lab_select")->text(), QStringLiteral("0"));
    QVERIFY(!form.findChild<QPushButton *>("btn_delete")->isEnabled());
    QVERIFY(!form.findChild<QProgressDialog *>());
}

// Files that could not be moved are named to the user with the reason once
// the run is over, not only in the log.
void TestResultForm::failedRemovalsAreListedAtTheEnd()
{
    m_engine = scanCopies(QStringLiteral("unmovable"), 3);
    QVERIFY(m_engine);
    TwPreferences *preferences = TwPreferences::instance();
    preferences->general()->setRemovalMethod(TwGenernalPreferences::MoveToFolder);
    preferences->general()->setMoveToFolderPath(m_tree.path("unmovable_gone/target"));
    QList<DesktopPrompts::Request> reports;
    DesktopPrompts::setOverride([&reports](const DesktopPrompts::Request &request) {
        DesktopPrompts::Answer given;
        if (request.kind == DesktopPrompts::Kind::ConfirmRemoval)
            given.button = QMessageBox::Yes;
        else if (request.kind == DesktopPrompts::Kind::Information)
            reports << request;
        return given;
    });
    ResultForm form(m_engine->searchResult());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QStringList marked;
    for (TwCatalogContainer *container : m_engine->searchResult()->containers())
        for (TwFileItemGroup *group : container->groups())
            for (TwFileItem *item : group->items())
                if (item->isChecked())
                    marked << item->filePath();
    QCOMPARE(marked.size(), 2);

    form.on_btn_delete_clicked();
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.first().text,
        QStringLiteral("2 marked files could not be removed; the log names each one."));
    QCOMPARE(reports.first().items.size(), 2);
    for (const QString &path : marked) {
        QVERIFY(QFileInfo::exists(path));
        const QStringList named = reports.first().items.filter(path + QLatin1Char('\n'));
        QCOMPARE(named.size(), 1);
        QVERIFY2(named.first().contains(QLatin1String("No such file")), qPrintable(named.first()));
    }
    QCOMPARE(m_engine->searchResult()->checkedCount(true), 2);
}

void TestResultForm::rawNamesShownWithAMarkAndRemovedByTheirBytes()
{
    const QByteArray folder = NativePath::encode(m_tree.path(QStringLiteral("raw")));
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const auto write = [](const QByteArray &path, const QByteArray &content) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const bool ok
            = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
        ::close(fd);
        return ok;
    };
    const QByteArray content = ResultFixture::bytes('u', 7000);
    const QList<QByteArray> copies { folder + "/a\xe9.dat", folder + "/b\xe9.dat" };
    for (const QByteArray &copy : copies)
        QVERIFY(write(copy, content));
    // The name a lossy conversion of either copy would give.
    const QByteArray lookalike = folder + "/b\xef\xbf\xbd.dat";
    QVERIFY(write(lookalike, ResultFixture::bytes('v', 7000)));

    m_engine = ResultFixture::scan(NativePath::decode(folder));
    QVERIFY(m_engine);
    ResultForm form(m_engine->searchResult());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.groupsModel()->rowCount(), 1);
    child<QPushButton>(&form, "btn_right_flow")->click();
    PreviewTableModel *table = form.tableModel();
    QCOMPARE(table->rowCount(), 2);
    QByteArray marked;
    for (int row = 0; row < 2; ++row) {
        const QString shown
            = table->index(row, PreviewTableModel::PathColumn).data(Qt::DisplayRole).toString();
        QVERIFY2(shown.contains(QChar::ReplacementCharacter), qPrintable(shown));
        QVERIFY(!NativePath::hasRawBytes(shown));
        const QBaseItem *file = form.filesModel()->fileAt(row);
        QVERIFY(copies.contains(NativePath::encode(file->path)));
        if (file->checked)
            marked = NativePath::encode(file->path);
    }
    QVERIFY(!marked.isEmpty());

    form.on_btn_delete_clicked();
    struct stat info;
    QVERIFY(::lstat(marked.constData(), &info) != 0);
    for (const QByteArray &path : copies + QList<QByteArray> { lookalike })
        if (path != marked)
            QVERIFY2(::lstat(path.constData(), &info) == 0, path.constData());
}

void TestResultForm::cancelAfterThirdFileKeepsTheRestMarked()
{
    m_engine = scanCopies(QStringLiteral("cancel"), 11);
    QVERIFY(m_engine);
    ResultForm form(m_engine->searchResult());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(m_engine->searchResult()->checkedCount(true), 10);

    int dialogMaximum = -1;
    connect(&form, &ResultForm::deleteProgressed, &form, [&](int handled) {
        auto *dialog = form.findChild<QProgressDialog *>();
        QVERIFY(dialog);
        dialogMaximum = dialog->maximum();
        if (handled == 3)
            dialog->cancel();
    });
    form.on_btn_delete_clicked();
    QCOMPARE(dialogMaximum, 10);
    QCOMPARE(m_engine->searchResult()->checkedCount(true), 7);
    QCOMPARE(form.findChild<QLabel *>("lab_select")->text(), QStringLiteral("7"));
    int remaining = 0;
    for (int i = 0; i < 11; ++i) {
        if (QFileInfo::exists(
                m_tree.path(QStringLiteral("cancel/c%1/item.dat").arg(i, 2, 10, QLatin1Char('0')))))
            ++remaining;
    }
    QCOMPARE(remaining, 8);
    // The groups were reloaded: one group of eight files, seven of them marked.
    QCOMPARE(form.groupsModel()->rowCount(), 1);
    QCOMPARE(form.groupsModel()->groupAt(0)->fileCount, 8);
    QCOMPARE(form.groupsModel()->groupAt(0)->markedCount, 7);
    QVERIFY(!form.findChild<QProgressDialog *>());
}

void TestResultForm::backEmitsCloseWindowsOnce()
{
    auto form = openSample();
    QVERIFY(form);
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy closed(form.get(), &ResultForm::closeWindows);
    child<QPushButton>(form.get(), "btnClose")->click();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form->isVisible());
}

void TestResultForm::groupCountsExplainThemselves()
{
    auto form = openSample();
    QVERIFY(form);
    auto *listView = child<ImageListView>(form.get(), "listView");
    const QModelIndex first = form->groupsModel()->index(0, 0);
    const QRect row = listView->visualRect(first);
    QVERIFY(row.isValid());
    const QPoint overCounts(row.right() - 30, row.center().y());
    const QPoint overName(row.left() + 70, row.center().y());
    QGroupItem *group = form->groupsModel()->groupAt(0);
    QCOMPARE(form->countsToolTipAt(overCounts),
        QStringLiteral("%1 of %2 files marked for removal")
            .arg(group->markedCount)
            .arg(group->fileCount));
    // Elsewhere the row keeps its own tooltip.
    QVERIFY(form->countsToolTipAt(overName).isEmpty());
    QVERIFY(form->countsToolTipAt(QPoint(row.right() - 30, 10000)).isEmpty());

    // The text follows the marks.
    const int before = group->markedCount;
    form->onCheckedChange(form->filesModel()->index(0, 0));
    QVERIFY(group->markedCount != before);
    QVERIFY(form->countsToolTipAt(overCounts)
                .startsWith(QStringLiteral("%1 of ").arg(group->markedCount)));

    // Similar images count distinct pictures, and say so.
    child<QPushButton>(form.get(), "btn_image")->click();
    child<QPushButton>(form.get(), "pushButton_4")->click();
    QCOMPARE(form->resultMode(), ResultMode::SimilarImages);
    QVERIFY(form->groupsModel()->rowCount() > 0);
    const QRect similarRow = listView->visualRect(form->groupsModel()->index(0, 0));
    QVERIFY(form->countsToolTipAt(QPoint(similarRow.right() - 30, similarRow.center().y()))
                .endsWith(QStringLiteral("similar images marked for removal")));
}

void TestResultForm::categoryTextsKeepClearOfBorders()
{
    auto form = openSample();
    QVERIFY(form);
    for (const char *name : { "btn_all", "btn_document", "btn_image", "btn_music", "btn_videos",
             "btn_archives", "btn_packages", "btn_others" }) {
        auto *button = child<QPushButton>(form.get(), name);
        QCOMPARE(button->size(), QSize(80, 30));
        const int textWidth = QFontMetrics(button->font()).horizontalAdvance(button->text());
        QVERIFY2(textWidth <= button->width() - 10, name);
    }
}

void TestResultForm::translatedCategoryTextsKeepTheirCategory()
{
    auto form = openSample();
    QVERIFY(form);
    // As a loaded translation would show them.
    auto *images = child<QPushButton>(form.get(), "btn_image");
    auto *documents = child<QPushButton>(form.get(), "btn_document");
    images->setText(QStringLiteral("Bilder"));
    documents->setText(QStringLiteral("Dokumente"));

    documents->click();
    QCOMPARE(form->currentCategory(), QStringLiteral("Documents"));
    QCOMPARE(form->groupsModel()->rowCount(), 2);
    images->click();
    QCOMPARE(form->currentCategory(), QStringLiteral("Images"));
    QCOMPARE(form->resultMode(), ResultMode::DuplicateImages);
    QVERIFY(child<QWidget>(form.get(), "frame_top_img")->isVisible());
    QCOMPARE(form->groupsModel()->rowCount(), 1);
}

void TestResultForm::windowKeepsSizePresentationAndSortBetweenOpenings()
{
    {
        auto form = openSample();
        QVERIFY(form);
        form->resize(1010, 760);
        child<QPushButton>(form.get(), "btn_right_list")->click();
        // Size twice: from largest, then turned round to smallest first.
        form->on_comboBox_activated(1);
        form->on_comboBox_activated(1);
        form->close();
    }
    QVERIFY(QFileInfo::exists(AppSettings::open()->fileName()));

    auto form = openSample();
    QVERIFY(form);
    QCOMPARE(form->size(), QSize(1010, 760));
    QCOMPARE(child<ImageListView>(form.get(), "listImageView")->viewMode(),
        int(ImageListView::CompareList));
    QVERIFY(child<QPushButton>(form.get(), "btn_right_list")->isChecked());
    QCOMPARE(child<QComboBox>(form.get(), "comboBox")->currentIndex(), 1);
    ImageListModel *groups = form->groupsModel();
    QVERIFY(groups->rowCount() >= 3);
    QVERIFY(groups->groupAt(0)->size < groups->groupAt(groups->rowCount() - 1)->size);
    // The order holds in another category too.
    child<QPushButton>(form.get(), "btn_document")->click();
    QVERIFY(groups->groupAt(0)->size < groups->groupAt(1)->size);

    // Maximised stays maximised; the preview comes back as the preview.
    child<QPushButton>(form.get(), "btn_right_flow")->click();
    form->showMaximized();
    QTRY_VERIFY(form->isMaximized());
    form->close();
    ResultForm third(m_engine->searchResult());
    third.showRemembered();
    QTRY_VERIFY(third.isMaximized());
    QCOMPARE(child<QStackedWidget>(&third, "stackedWidget")->currentIndex(), 1);
    third.showNormal();
    third.close();
}

void TestResultForm::tabVisitsTheWindowInReadingOrderAndCtrlASelectsAllGroups()
{
    auto form = openSample();
    QVERIFY(form);
    QApplication::setActiveWindow(form.get());
    QTRY_VERIFY(form->isActiveWindow());
    auto *groupList = child<ImageListView>(form.get(), "listView");
    child<QPushButton>(form.get(), "btnClose")->setFocus();
    QStringList visited;
    for (int i = 0; i < 40 && !visited.contains(QStringLiteral("btn_delete")); ++i) {
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused);
        visited << focused->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    const QStringList expected { QStringLiteral("btnClose"), QStringLiteral("btn_over"),
        QStringLiteral("listView"), QStringLiteral("lineEdit"), QStringLiteral("comboBox"),
        QStringLiteral("btnMenu"), QStringLiteral("horizontalSlider"),
        QStringLiteral("listImageView"), QStringLiteral("btn_delete") };
    int at = -1;
    for (const QString &name : expected) {
        const int found = visited.indexOf(name);
        QVERIFY2(found > at, qPrintable(visited.join(QLatin1Char(' '))));
        at = found;
    }

    groupList->setFocus();
    groupList->clearSelection();
    QTest::keyClick(groupList, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(
        groupList->selectionModel()->selectedIndexes().size(), form->groupsModel()->rowCount());
    QVERIFY(form->groupsModel()->rowCount() >= 4);
}

// Under the shipped German texts: categories, sort entries and image modes
// are found by key, index and property, never by what the buttons say.
void TestResultForm::germanWindowSwitchesCategoriesSortsAndModes()
{
    QVERIFY(AppTranslator::install(QLocale(QLocale::German)));
    auto restore = qScopeGuard([] { AppTranslator::remove(); });
    auto form = openSample();
    QVERIFY(form);
    auto *images = child<QPushButton>(form.get(), "btn_image");
    QCOMPARE(images->text(), QStringLiteral("Bilder"));
    QCOMPARE(child<QPushButton>(form.get(), "pushButton_4")->text(), QStringLiteral("Ähnliche"));
    for (const char *name : { "btn_all", "btn_document", "btn_image", "btn_music", "btn_videos",
             "btn_archives", "btn_packages", "btn_others" }) {
        auto *button = child<QPushButton>(form.get(), name);
        const int textWidth = QFontMetrics(button->font()).horizontalAdvance(button->text());
        QVERIFY2(textWidth <= button->width() - 10, name);
    }

    child<QPushButton>(form.get(), "btn_document")->click();
    QCOMPARE(form->currentCategory(), QStringLiteral("Documents"));
    QCOMPARE(form->groupsModel()->rowCount(), 2);
    images->click();
    QCOMPARE(form->currentCategory(), QStringLiteral("Images"));
    QCOMPARE(form->resultMode(), ResultMode::DuplicateImages);
    child<QPushButton>(form.get(), "pushButton_4")->click();
    QCOMPARE(form->resultMode(), ResultMode::SimilarImages);
    QVERIFY(form->groupsModel()->groupAt(0)->path.contains(QLatin1String("sunset")));
    child<QPushButton>(form.get(), "btn_duplicate")->click();
    QCOMPARE(form->resultMode(), ResultMode::DuplicateImages);

    child<QPushButton>(form.get(), "btn_all")->click();
    QCOMPARE(form->currentCategory(), ImageListModel::allCategory());
    auto *sort = child<QComboBox>(form.get(), "comboBox");
    QCOMPARE(sort->itemText(1), QStringLiteral("Größe"));
    ImageListModel *groups = form->groupsModel();
    const int rows = groups->rowCount();
    QVERIFY(rows >= 4);
    form->on_comboBox_activated(1);
    for (int i = 1; i < rows; ++i)
        QVERIFY(groups->groupAt(i - 1)->size >= groups->groupAt(i)->size);

    // The overview names the categories in German, keyed as before.
    child<QPushButton>(form.get(), "btn_over")->click();
    auto *chart = child<QChartView>(form.get(), "chartView")->chart();
    QVERIFY(!chart->series().isEmpty());
    auto *series = qobject_cast<QPieSeries *>(chart->series().first());
    QVERIFY(series);
    QStringList labels;
    for (QPieSlice *slice : series->slices())
        labels << slice->label().section(QStringLiteral("  "), 0, 0);
    QVERIFY2(labels.contains(QStringLiteral("Dokumente")), qPrintable(labels.join(',')));
    QVERIFY(!labels.contains(QStringLiteral("Documents")));
}

QTEST_MAIN(TestResultForm)
#include "tst_resultform.moc"
