#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QCheckBox>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QPieSeries>
#include <QtCharts/QPieSlice>
#include <QtTest>

#include "model/twcatalogcontainer.h"
#include "resources/twresources.h"
#include "results/imagelistmodel.h"
#include "results/imagelistview.h"
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
    void cancelAfterThirdFileKeepsTheRestMarked();
    void backEmitsCloseWindowsOnce();
    void groupCountsExplainThemselves();
    void categoryTextsKeepClearOfBorders();
    void translatedCategoryTextsKeepTheirCategory();
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
}

void TestResultForm::searchWithoutMatchShowsEmptyViews()
{
    auto form = openSample();
    QVERIFY(form);
    auto *lineEdit = child<QLineEdit>(form.get(), "lineEdit");
    lineEdit->setText(QStringLiteral("REPORT"));
    QCOMPARE(form->groupsModel()->rowCount(), 1);
    QCOMPARE(form->filesModel()->rowCount(), 3);
    lineEdit->setText(QStringLiteral("no-such-name"));
    QCOMPARE(form->groupsModel()->rowCount(), 0);
    QCOMPARE(form->filesModel()->rowCount(), 0);
    QVERIFY(child<ImageListView>(form.get(), "listImageView")
                ->styleSheet()
                .contains(QLatin1String("noSelection_LiteBG")));
    // A category switch clears the search.
    child<QPushButton>(form.get(), "btn_document")->click();
    QVERIFY(lineEdit->text().isEmpty());
    QCOMPARE(form->groupsModel()->rowCount(), 2);
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

    // The table's check boxes go the same way.
    child<QPushButton>(form.get(), "btn_right_flow")->click();
    auto *table = child<QTableView>(form.get(), "tableView");
    auto *check = qobject_cast<QCheckBox *>(table->indexWidget(form->tableModel()->index(0, 0)));
    QVERIFY(check);
    QCOMPARE(check->isChecked(), form->filesModel()->fileAt(0)->checked);
    check->click();
    QCOMPARE(label(form.get(), "lab_select"), QStringLiteral("2"));
    check->click();
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
    QVERIFY(TwPreferences::instance()->ignoreList()->ignorePaths().contains(hidden));

    form->onBtnHideFileClick(form->filesModel()->index(0, 0));
    QCOMPARE(form->groupsModel()->rowCount(), 1);
    QCOMPARE(label(form.get(), "lab_select"),
        QString::number(m_engine->searchResult()->checkedCount(true)));

    // The open button hands the file's folder to the desktop.
    QString opened;
    DesktopPrompts::setOverride([&opened](const DesktopPrompts::Request &request) {
        if (request.kind == DesktopPrompts::Kind::OpenFolder)
            opened = request.folder;
        return DesktopPrompts::Answer();
    });
    form->onBtnOpenFinderClick(form->filesModel()->index(1, 0));
    QCOMPARE(opened, QFileInfo(form->filesModel()->fileAt(1)->path).absolutePath());
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
    QStandardItemModel *table = form->tableModel();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), form->filesModel()->rowCount());
    QCOMPARE(table->columnCount(), 5);
    QCOMPARE(table->item(0, 1)->text(), form->filesModel()->fileAt(0)->path);
    QCOMPARE(table->item(0, 2)->text(), form->filesModel()->fileAt(0)->created);
    auto *tableView = child<QTableView>(form.get(), "tableView");
    QCOMPARE(tableView->currentIndex().row(), 0);
    QVERIFY(!child<QLabel>(form.get(), "labImage")->pixmap(Qt::ReturnByValue).isNull());

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
        const QStringList arrived = QDir(target).entryList(QDir::Files);
        QCOMPARE(arrived.size(), 3);
        QVERIFY(arrived.contains(QStringLiteral("item.dat")));
        QVERIFY(arrived.contains(QStringLiteral("item_1.dat")));
    }
    // One copy is left: no group any more, nothing marked, no dialog.
    QCOMPARE(m_engine->searchResult()->checkedCount(true), 0);
    QCOMPARE(form.groupsModel()->rowCount(), 0);
    QCOMPARE(form.findChild<QLabel *>("lab_select")->text(), QStringLiteral("0"));
    QVERIFY(!form.findChild<QPushButton *>("btn_delete")->isEnabled());
    QVERIFY(!form.findChild<QProgressDialog *>());
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
