#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScopeGuard>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <memory>

#include "app/log/loghandler.h"
#include "app/mainwindow.h"
#include "app/qabout.h"
#include "app/scanprogresspage.h"
#include "engine/qscanresult.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "platform/appsettings.h"
#include "preferences/dialog/twpreferencesdialog.h"
#include "preferences/twignorelistpreferences.h"
#include "preferences/twpreferences.h"
#include "resources/twresources.h"
#include "results/resultform.h"
#include "tests/results/resultfixture.h"
#include "tests/support/temptree.h"
#include "translations/apptranslator.h"
#include "update/qnetworkprocess.h"
#include "widgets/clistviewdelegate.h"
#include "widgets/desktopprompts.h"

namespace {

struct Message {
    QString title;
    QString text;
};

QByteArray patternBytes(int size, int seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed * 7) % 251);
    return bytes;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsIdleWithInitialTexts();
    void addsAndRefusesFolders();
    void nestedFoldersAreCoveredOrDropped();
    void pagingThroughFourFolders();
    void removingFolders();
    void addButtonUsesFolderPicker();
    void dropAddsOnlyFolders();
    void dragIsRefusedWithoutFoldersOrWhileBusy();
    void progressFigures();
    void emptyScanEndsInNoResults();
    void duplicatesEndInResultsReadyAndHandOff();
    void stopDuringWalkEndsInNoResults();
    void newScanStartsOver();
    void busyDialogAppearsOnlyAfterADelay();
    void systemMenuEntries();
    void webPagesComeFromSettings();
    void closingDuringScanWaitsForTasks();
    void exactOnlyIsRememberedAndSkipsTheSimilarPass();
    void backShowsWhatTheRemovalLeftOnScreen();
    void germanWindowScansAndOpensTheSameEntries();

private:
    std::unique_ptr<MainWindow> makeWindow();
    template <typename T> T *child(MainWindow *window, const char *name)
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning() << "missing child" << name;
        return found;
    }
    bool waitForEnd(MainWindow *window);

    QTemporaryDir m_settingsDir;
    QList<Message> m_messages;
    QStringList m_openedUrls;
    QString m_pickedFolder;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    initTwResources();
    DesktopPrompts::setOverride([this](const DesktopPrompts::Request &request) {
        DesktopPrompts::Answer answer;
        switch (request.kind) {
        case DesktopPrompts::Kind::Information:
            m_messages.append({ request.title, request.text });
            break;
        case DesktopPrompts::Kind::OpenUrl:
            m_openedUrls.append(request.url.toString());
            break;
        case DesktopPrompts::Kind::ChooseFolder:
            answer.folder = m_pickedFolder;
            break;
        case DesktopPrompts::Kind::ConfirmRemoval:
            answer.button = QMessageBox::Yes;
            break;
        default:
            qWarning() << "unexpected prompt" << request.title << request.text;
            break;
        }
        return answer;
    });
}

void TestMainWindow::init()
{
    TwPreferences::setFilePath(m_settingsDir.filePath("preferences.cfg"));
    m_messages.clear();
    m_openedUrls.clear();
    m_pickedFolder.clear();
}

void TestMainWindow::cleanup()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Orvane", "Orvane Twinscan");
    settings.clear();
    QFile::remove(m_settingsDir.filePath("preferences.cfg"));
    TwPreferences::destroyInstance();
}

std::unique_ptr<MainWindow> TestMainWindow::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->show();
    return window;
}

bool TestMainWindow::waitForEnd(MainWindow *window)
{
    const bool ended = QTest::qWaitFor(
        [window] {
            return window->scanState() == MainWindow::ResultsReady
                || window->scanState() == MainWindow::NoResults;
        },
        60000);
    // The process thread has handed over and the pool is idle again.
    return ended && window->engine()->threadPool()->waitForDone(60000);
}

void TestMainWindow::startsIdleWithInitialTexts()
{
    auto window = makeWindow();
    QCOMPARE(window->scanState(), MainWindow::Idle);
    QCOMPARE(window->windowTitle(), QStringLiteral("Orvane Twinscan"));
    QCOMPARE(window->size(), QSize(600, 430));
    QVERIFY(window->acceptDrops());
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(child<QStackedWidget>(window.get(), "stackedWidget")->currentIndex(), 0);
    QCOMPARE(child<QLabel>(window.get(), "lab_fileNumber")->text(), QStringLiteral("0"));
    QCOMPARE(child<QLabel>(window.get(), "lab_progress")->text(),
        QStringLiteral("Files Scanned  0.00%"));
    QCOMPARE(child<QLabel>(window.get(), "lab_findNumber")->text(), QStringLiteral("0"));
    QCOMPARE(child<QLabel>(window.get(), "lab_findSize")->text(), QStringLiteral("0M"));
    QVERIFY(!child<QPushButton>(window.get(), "btn_scan")->isEnabled());
    QVERIFY(child<QPushButton>(window.get(), "btn_add")->isEnabled());
    QVERIFY(child<QLabel>(window.get(), "lab_imgDrag")->isVisible());
    QVERIFY(!child<QLabel>(window.get(), "lab_number")->isVisible());
    // The log and the update check belong to the program's start, not to
    // every window that is built.
    QVERIFY(logFolderPath().isEmpty());
    QVERIFY(!window->findChild<QNetWorkProcess *>());
}

void TestMainWindow::addsAndRefusesFolders()
{
    TempTree tree;
    QVERIFY(tree.makeDir("photos/2020") && tree.makeDir("ignored") && tree.makeDir("docs"));
    TwPreferences::instance()->ignoreList()->addIgnorePath(tree.path("ignored"));
    auto window = makeWindow();

    QVERIFY(window->appendFolder(tree.path("photos")));
    QCOMPARE(window->folderList(), QStringList { tree.path("photos") });
    QVERIFY(child<QPushButton>(window.get(), "btn_scan")->isEnabled());
    QVERIFY(!child<QLabel>(window.get(), "lab_imgDrag")->isVisible());
    QCOMPARE(child<QLabel>(window.get(), "lab_number")->text(), QStringLiteral("1 folders added"));
    QCOMPARE(child<QListView>(window.get(), "listview_path")->x(), 150);

    QVERIFY(!window->appendFolder(tree.path("ignored")));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages.last().title, QStringLiteral("info"));
    QCOMPARE(m_messages.last().text, QStringLiteral("The folder has been ignored."));

    QVERIFY(!window->appendFolder(tree.path("photos")));
    QCOMPARE(m_messages.last().text, QStringLiteral("The folder has been added."));
    // The same folder with a trailing separator, as a drop delivers it.
    QVERIFY(!window->appendFolder(tree.path("photos") + "/"));
    QCOMPARE(m_messages.size(), 3);

    QVERIFY(window->appendFolder(tree.path("docs")));
    QCOMPARE(child<QListView>(window.get(), "listview_path")->x(), 100);
    QCOMPARE(window->folderList().size(), 2);
    QCOMPARE(child<QLabel>(window.get(), "lab_number")->text(), QStringLiteral("2 folders added"));
    auto *strip = child<QListView>(window.get(), "listview_path");
    QCOMPARE(strip->model()->rowCount(), 2);
    QCOMPARE(strip->model()->index(1, 0).data().toString(), QStringLiteral("docs"));
    QCOMPARE(strip->currentIndex().row(), 1);
    QCOMPARE(strip->selectionMode(), QAbstractItemView::NoSelection);
}

void TestMainWindow::nestedFoldersAreCoveredOrDropped()
{
    TempTree tree;
    QVERIFY(tree.makeDir("photos/2020/summer"));
    tree.writeFile("photos/a.txt", "x");
    auto window = makeWindow();

    // A child of a listed folder is already covered.
    QVERIFY(window->appendFolder(tree.path("photos")));
    QVERIFY(!window->appendFolder(tree.path("photos/2020/summer")));
    QCOMPARE(m_messages.last().text, QStringLiteral("The folder has been added."));
    QCOMPARE(window->folderList().size(), 1);

    // The parent of a listed folder is added, and the scan walks only it.
    auto other = makeWindow();
    QVERIFY(other->appendFolder(tree.path("photos/2020")));
    QVERIFY(other->appendFolder(tree.path("photos")));
    QCOMPARE(other->folderList().size(), 2);
    other->on_btn_scan_clicked();
    QCOMPARE(other->engine()->scannedFolders(), QStringList { tree.path("photos") });
    QVERIFY(waitForEnd(other.get()));
}

void TestMainWindow::pagingThroughFourFolders()
{
    TempTree tree;
    auto window = makeWindow();
    for (const char *name : { "a", "b", "c" }) {
        QVERIFY(tree.makeDir(name));
        QVERIFY(window->appendFolder(tree.path(name)));
    }
    auto *pre = child<QPushButton>(window.get(), "btn_pre");
    auto *next = child<QPushButton>(window.get(), "btn_next");
    auto *strip = child<QListView>(window.get(), "listview_path");
    QVERIFY(!pre->isVisible() && !next->isVisible());
    QCOMPARE(strip->x(), 50);

    QVERIFY(tree.makeDir("d"));
    QVERIFY(window->appendFolder(tree.path("d")));
    QVERIFY(pre->isVisible() && next->isVisible());
    QCOMPARE(strip->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(strip->currentIndex().row(), 3);
    QVERIFY(!next->isEnabled());
    QVERIFY(pre->isEnabled());

    next->click();
    QCOMPARE(strip->currentIndex().row(), 3); // unchanged at the last row
    for (int expected : { 2, 1, 0 }) {
        pre->click();
        QCOMPARE(strip->currentIndex().row(), expected);
        QVERIFY(next->isEnabled());
    }
    QVERIFY(!pre->isEnabled());
    pre->click();
    QCOMPARE(strip->currentIndex().row(), 0);
    next->click();
    QCOMPARE(strip->currentIndex().row(), 1);
    QVERIFY(pre->isEnabled() && next->isEnabled());
}

void TestMainWindow::removingFolders()
{
    TempTree tree;
    auto window = makeWindow();
    for (const char *name : { "a", "b", "c", "d" }) {
        QVERIFY(tree.makeDir(name));
        QVERIFY(window->appendFolder(tree.path(name)));
    }
    auto *strip = child<QListView>(window.get(), "listview_path");
    window->deleteSelectPath(strip->model()->index(1, 0));
    QCOMPARE(
        window->folderList(), (QStringList { tree.path("a"), tree.path("c"), tree.path("d") }));
    QCOMPARE(strip->model()->rowCount(), 3);
    QVERIFY(!child<QPushButton>(window.get(), "btn_next")->isVisible());
    QCOMPARE(child<QLabel>(window.get(), "lab_number")->text(), QStringLiteral("3 folders added"));

    // A press on a row's delete button removes that row.
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QRect item = strip->visualRect(strip->model()->index(0, 0));
    QTest::mouseClick(
        strip->viewport(), Qt::LeftButton, {}, CListViewDelegate::deleteButtonRect(item).center());
    QCOMPARE(window->folderList(), (QStringList { tree.path("c"), tree.path("d") }));

    window->deleteSelectPath(strip->model()->index(0, 0));
    window->deleteSelectPath(strip->model()->index(0, 0));
    QVERIFY(window->folderList().isEmpty());
    QVERIFY(child<QLabel>(window.get(), "lab_imgDrag")->isVisible());
    QVERIFY(!child<QLabel>(window.get(), "lab_number")->isVisible());
    QVERIFY(!child<QPushButton>(window.get(), "btn_scan")->isEnabled());

    // A stale index changes nothing.
    window->deleteSelectPath(QModelIndex());
    QVERIFY(window->folderList().isEmpty());
}

void TestMainWindow::addButtonUsesFolderPicker()
{
    TempTree tree;
    QVERIFY(tree.makeDir("picked"));
    auto window = makeWindow();
    auto *add = child<QPushButton>(window.get(), "btn_add");
    m_pickedFolder.clear(); // cancelled dialog
    add->click();
    QVERIFY(window->folderList().isEmpty());
    QVERIFY(m_messages.isEmpty());
    m_pickedFolder = tree.path("picked");
    add->click();
    QCOMPARE(window->folderList(), QStringList { tree.path("picked") });
}

void TestMainWindow::dropAddsOnlyFolders()
{
    TempTree tree;
    QVERIFY(tree.makeDir("one") && tree.makeDir("two"));
    const QString file = tree.writeFile("file.txt", "not a folder");
    auto window = makeWindow();

    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(file), QUrl::fromLocalFile(tree.path("one") + "/"),
        QUrl("https://example.invalid/folder"), QUrl::fromLocalFile(tree.path("two")),
        QUrl::fromLocalFile(tree.path("missing")) });
    QDragEnterEvent enter(
        QPoint(300, 200), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::LinkAction);
    auto *hint = child<QLabel>(window.get(), "lab_imgDrag");
    QCOMPARE(hint->pixmap(Qt::ReturnByValue).toImage(),
        QImage(":/resource/drag_hint_active.png")
            .convertToFormat(hint->pixmap(Qt::ReturnByValue).toImage().format()));

    QDropEvent drop(
        QPointF(300, 200), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(window->folderList(), (QStringList { tree.path("one"), tree.path("two") }));
    QCOMPARE(hint->pixmap(Qt::ReturnByValue).toImage(),
        QImage(":/resource/drag_hint.png")
            .convertToFormat(hint->pixmap(Qt::ReturnByValue).toImage().format()));
    QVERIFY(m_messages.isEmpty());
}

void TestMainWindow::dragIsRefusedWithoutFoldersOrWhileBusy()
{
    TempTree tree;
    QVERIFY(tree.makeDir("folder"));
    const QString file = tree.writeFile("file.txt", "x");
    auto window = makeWindow();

    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(file) });
    QDragEnterEvent enterFiles(
        QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enterFiles);
    QVERIFY(!enterFiles.isAccepted());

    QMimeData text;
    text.setText(tree.path("folder"));
    QDragEnterEvent enterText(
        QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enterText);
    QVERIFY(!enterText.isAccepted());

    // Once a scan has ended, drops are refused until a new scan starts over.
    QVERIFY(window->appendFolder(tree.path("folder")));
    window->on_btn_scan_clicked();
    QVERIFY(waitForEnd(window.get()));
    QMimeData folders;
    QVERIFY(tree.makeDir("later"));
    folders.setUrls({ QUrl::fromLocalFile(tree.path("later")) });
    QDragEnterEvent enterBusy(
        QPoint(10, 10), Qt::CopyAction, &folders, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enterBusy);
    QVERIFY(!enterBusy.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &folders, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QCOMPARE(window->folderList(), QStringList { tree.path("folder") });
}

void TestMainWindow::progressFigures()
{
    auto window = makeWindow();
    auto *progress = child<QLabel>(window.get(), "lab_progress");
    window->onSearchProgress(3, 8);
    QCOMPARE(progress->text(), QStringLiteral("Files Scanned 37.50%"));
    window->onSearchProgress(1, 3);
    QCOMPARE(progress->text(), QStringLiteral("Files Scanned 33.33%"));
    // No candidates at all, or more progress than candidates, stay in range.
    window->onSearchProgress(0, 0);
    QCOMPARE(progress->text(), QStringLiteral("Files Scanned 0.00%"));
    window->onSearchProgress(12, 8);
    QCOMPARE(progress->text(), QStringLiteral("Files Scanned 100.00%"));

    window->onAddScanFile(1234567, "/some/file");
    QCOMPARE(child<QLabel>(window.get(), "lab_fileNumber")->text(), QStringLiteral("1234567"));
    // A report that was overtaken by a later one does not lower the figure.
    window->onAddScanFile(1234000, "/some/other");
    QCOMPARE(child<QLabel>(window.get(), "lab_fileNumber")->text(), QStringLiteral("1234567"));
    window->numberOfDuplicateFilesChanged(42);
    QCOMPARE(child<QLabel>(window.get(), "lab_findNumber")->text(), QStringLiteral("42"));
    window->bytesOfDuplicateFilesChanged(3 * 1024 * 1024);
    QCOMPARE(child<QLabel>(window.get(), "lab_findSize")->text(),
        TwSearchResult::sizeText(3 * 1024 * 1024));

    // The widest sizes still fit their card, in smaller type if need be.
    auto *size = child<QLabel>(window.get(), "lab_findSize");
    auto *page = window->findChild<ScanProgressPage *>();
    QVERIFY(page);
    for (const qint64 bytes :
        { qint64(1023) * 1024 * 1024 + 1013 * 1024, qint64(999) * 1024 * 1024 * 1024, qint64(5) }) {
        window->bytesOfDuplicateFilesChanged(bytes);
        QApplication::processEvents();
        QFont font = size->font();
        font.setBold(true);
        font.setPixelSize(page->sizeTextPixels());
        QVERIFY2(QFontMetrics(font).horizontalAdvance(size->text()) <= size->contentsRect().width(),
            qPrintable(size->text()));
        QCOMPARE(size->font().pixelSize(), page->sizeTextPixels());
    }
    QCOMPARE(page->sizeTextPixels(), 21);
}

void TestMainWindow::emptyScanEndsInNoResults()
{
    TempTree tree;
    QVERIFY(tree.makeDir("empty/inner") && tree.makeDir("alsoempty"));
    auto window = makeWindow();
    QVERIFY(window->appendFolder(tree.path("empty")));
    QVERIFY(window->appendFolder(tree.path("alsoempty")));
    auto *scan = child<QPushButton>(window.get(), "btn_scan");
    auto *add = child<QPushButton>(window.get(), "btn_add");
    auto *stack = child<QStackedWidget>(window.get(), "stackedWidget");

    scan->click();
    QCOMPARE(window->scanState(), MainWindow::Scanning);
    QCOMPARE(stack->currentIndex(), 1);
    QVERIFY(!add->isEnabled());
    QVERIFY(scan->isEnabled());
    QCOMPARE(
        child<QLabel>(window.get(), "lab_progress")->text(), QStringLiteral("Files Scanned 0%"));

    QVERIFY(waitForEnd(window.get()));
    QCOMPARE(window->scanState(), MainWindow::NoResults);
    QCOMPARE(stack->currentIndex(), 2);
    QVERIFY(!scan->isEnabled());
    QVERIFY(add->isEnabled());
    QVERIFY(!window->resultWindow());
    QVERIFY(window->isVisible());
    scan->click(); // disabled and without effect in this state
    QCOMPARE(window->scanState(), MainWindow::NoResults);
}

void TestMainWindow::duplicatesEndInResultsReadyAndHandOff()
{
    TempTree tree;
    const QByteArray same = patternBytes(40000, 1);
    tree.writeFile("set/a.bin", same);
    tree.writeFile("set/sub/b.bin", same);
    tree.writeFile("set/sub/c.bin", same);
    tree.writeFile("set/other.bin", patternBytes(40000, 2));
    auto window = makeWindow();
    QVERIFY(window->appendFolder(tree.path("set")));

    child<QPushButton>(window.get(), "btn_scan")->click();
    QVERIFY(waitForEnd(window.get()));
    QCOMPARE(window->scanState(), MainWindow::ResultsReady);
    TwSearchResult *result = window->searchResult();
    QCOMPARE(result->numberOfDuplicateFiles(), 2);
    QCOMPARE(child<QLabel>(window.get(), "lab_findNumber")->text(),
        QString::number(result->numberOfDuplicateFiles()));
    QCOMPARE(child<QLabel>(window.get(), "lab_findSize")->text(),
        TwSearchResult::sizeText(result->bytesOfDuplicateFiles()));
    QCOMPARE(child<QLabel>(window.get(), "lab_fileNumber")->text(), QStringLiteral("4"));
    QCOMPARE(child<QStackedWidget>(window.get(), "stackedWidget")->currentIndex(), 1);

    // The results window opened by itself and the main window stepped aside.
    QPointer<ResultForm> form = window->resultWindow();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(!window->isVisible());
    QVERIFY(form->testAttribute(Qt::WA_DeleteOnClose));

    form->close();
    QTRY_VERIFY(form.isNull());
    QVERIFY(window->isVisible());
    QCOMPARE(window->scanState(), MainWindow::ResultsReady);

    // The scan button reopens the same results.
    child<QPushButton>(window.get(), "btn_scan")->click();
    QPointer<ResultForm> again = window->resultWindow();
    QVERIFY(again);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->searchResult()->numberOfDuplicateFiles(), 2);
    again->close();
    QTRY_VERIFY(again.isNull());
}

void TestMainWindow::stopDuringWalkEndsInNoResults()
{
    TempTree tree;
    // Duplicates that a full scan would find.
    for (int i = 0; i < 30; ++i) {
        const QByteArray same = patternBytes(20000 + i, i);
        tree.writeFile(QStringLiteral("tree/d%1/a.bin").arg(i), same);
        tree.writeFile(QStringLiteral("tree/d%1/b.bin").arg(i), same);
    }
    auto window = makeWindow();
    QVERIFY(window->appendFolder(tree.path("tree")));
    auto *scan = child<QPushButton>(window.get(), "btn_scan");
    QSignalSpy stops(window.get(), &MainWindow::stopTask);

    scan->click();
    // Stop before any queued report of the walk reached the window.
    scan->click();
    QCOMPARE(stops.count(), 1);
    QVERIFY(waitForEnd(window.get()));
    QCOMPARE(window->scanState(), MainWindow::NoResults);
    QCOMPARE(child<QStackedWidget>(window.get(), "stackedWidget")->currentIndex(), 2);
    QCOMPARE(window->searchResult()->numberOfDuplicateFiles(), 0);
    QCOMPARE(window->engine()->scanResult()->candidateCount(), 0);
    QVERIFY(!window->resultWindow());
    QVERIFY(!window->progressDialog());
}

void TestMainWindow::newScanStartsOver()
{
    TempTree tree;
    QVERIFY(tree.makeDir("empty"));
    auto window = makeWindow();
    QVERIFY(window->appendFolder(tree.path("empty")));
    window->on_btn_scan_clicked();
    QVERIFY(waitForEnd(window.get()));
    QCOMPARE(window->scanState(), MainWindow::NoResults);

    child<QPushButton>(window.get(), "btn_add")->click();
    QCOMPARE(window->scanState(), MainWindow::Idle);
    QVERIFY(window->folderList().isEmpty());
    QCOMPARE(child<QListView>(window.get(), "listview_path")->model()->rowCount(), 0);
    QCOMPARE(child<QStackedWidget>(window.get(), "stackedWidget")->currentIndex(), 0);
    QVERIFY(child<QLabel>(window.get(), "lab_imgDrag")->isVisible());
    QVERIFY(!child<QPushButton>(window.get(), "btn_scan")->isEnabled());

    // And the same folder can be scanned again.
    QVERIFY(window->appendFolder(tree.path("empty")));
    window->on_btn_scan_clicked();
    QCOMPARE(window->scanState(), MainWindow::Scanning);
    QVERIFY(waitForEnd(window.get()));
    QCOMPARE(window->scanState(), MainWindow::NoResults);
}

void TestMainWindow::busyDialogAppearsOnlyAfterADelay()
{
    auto window = makeWindow();
    window->processStart(QString());
    QPointer<QProgressDialog> dialog = window->progressDialog();
    QVERIFY(dialog);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->labelText(), QStringLiteral("Data processing..."));
    QCOMPARE(dialog->minimum(), 0);
    QCOMPARE(dialog->maximum(), 0);
    QCOMPARE(dialog->width(), 350);
    QVERIFY(dialog->isModal());
    QCOMPARE(dialog->parent(), window.get());
    QTRY_VERIFY_WITH_TIMEOUT(dialog && dialog->isVisible(), 10000);

    window->processEnd(QString());
    QVERIFY(dialog.isNull());
    QVERIFY(!window->progressDialog());

    // A stage that ends quickly never shows the dialog.
    window->processStart(QString());
    dialog = window->progressDialog();
    window->processEnd(QString());
    QVERIFY(dialog.isNull());
}

void TestMainWindow::systemMenuEntries()
{
    auto window = makeWindow();
    QMenu *menu = window->systemMenu();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("sysMenu"));
    QCOMPARE(child<QPushButton>(window.get(), "btn_set")->menu(), menu);

    QStringList texts;
    QList<int> data;
    for (QAction *action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        data << (action->isSeparator() ? 0 : action->data().toInt());
    }
    QCOMPARE(texts,
        (QStringList {
            "Setting", "-", "User Guide", "Product FAQ", "Feedback and Support", "-", "About" }));
    QCOMPARE(data, (QList<int> { 9, 0, 1, 2, 3, 0, 4 }));

    // About: a child dialog without minimise and maximise buttons.
    menu->actions().at(6)->trigger();
    auto *about = window->findChild<QAbout *>();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(!(about->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(about->windowFlags() & Qt::WindowMaximizeButtonHint));
    about->close();

    // Setting: the one dialog, modal, showing what the store holds now.
    TwPreferencesDialog *dialog = window->preferencesDialog();
    QVERIFY(dialog);
    menu->actions().at(0)->trigger();
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isModal());
    dialog->reject();
    menu->actions().at(0)->trigger();
    QCOMPARE(window->preferencesDialog(), dialog);
    QVERIFY(dialog->isVisible());
    dialog->reject();

    // The web pages go to the browser.
    menu->actions().at(2)->trigger();
    menu->actions().at(3)->trigger();
    menu->actions().at(4)->trigger();
    QCOMPARE(m_openedUrls.size(), 3);
    QCOMPARE(m_openedUrls.at(0), MainWindow::webPage(MainWindow::UserGuide).toString());
    QCOMPARE(m_openedUrls.at(1), MainWindow::webPage(MainWindow::ProductFaq).toString());
    QCOMPARE(m_openedUrls.at(2), MainWindow::webPage(MainWindow::Support).toString());
}

void TestMainWindow::webPagesComeFromSettings()
{
    const QUrl guide = MainWindow::webPage(MainWindow::UserGuide);
    const QUrl faq = MainWindow::webPage(MainWindow::ProductFaq);
    const QUrl support = MainWindow::webPage(MainWindow::Support);
    QVERIFY(guide.isValid() && faq.isValid() && support.isValid());
    QVERIFY(guide != faq && faq != support && guide != support);
    QVERIFY(!MainWindow::webPage(MainWindow::About).isValid());

    {
        QSettings settings(
            QSettings::NativeFormat, QSettings::UserScope, "Orvane", "Orvane Twinscan");
        settings.setValue("user_guide_url", "http://127.0.0.1:9/guide");
        settings.setValue("faq_url", "  ");
        settings.sync();
    }
    QCOMPARE(MainWindow::webPage(MainWindow::UserGuide), QUrl("http://127.0.0.1:9/guide"));
    QCOMPARE(MainWindow::webPage(MainWindow::ProductFaq), faq); // blank keeps the default
    QCOMPARE(MainWindow::webPage(MainWindow::Support), support);
}

void TestMainWindow::closingDuringScanWaitsForTasks()
{
    TempTree tree;
    for (int i = 0; i < 40; ++i) {
        const QByteArray same = patternBytes(30000 + i, i);
        tree.writeFile(QStringLiteral("big/%1/a.bin").arg(i % 7), same + QByteArray::number(i));
        tree.writeFile(
            QStringLiteral("big/%1/b%2.bin").arg(i % 5).arg(i), same + QByteArray::number(i));
    }
    auto window = makeWindow();
    QVERIFY(window->appendFolder(tree.path("big")));
    window->on_btn_scan_clicked();
    QCOMPARE(window->scanState(), MainWindow::Scanning);
    QVERIFY(window->close());
    // Nothing of the scan runs on after the window closed.
    QCOMPARE(window->engine()->threadPool()->activeThreadCount(), 0);
    QVERIFY(!window->progressDialog());
    window.reset();
    // Queued reports of the stopped scan must find nothing to act on.
    QCoreApplication::processEvents();
    QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);

    // Closing while a scan is in its later phases is just as safe.
    auto second = makeWindow();
    QVERIFY(second->appendFolder(tree.path("big")));
    second->on_btn_scan_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(second->engine()->phase() != ScanEngine::Walking
            || second->scanState() != MainWindow::Scanning,
        60000);
    QVERIFY(second->close());
    QCOMPARE(second->engine()->threadPool()->activeThreadCount(), 0);
    second.reset();
}

void TestMainWindow::exactOnlyIsRememberedAndSkipsTheSimilarPass()
{
    TempTree tree;
    QVERIFY(ResultFixture::writeSampleFolder(tree, QStringLiteral("sample")));
    auto likenessGroups = [](MainWindow *window) {
        int count = 0;
        const auto containers = window->searchResult()->containers();
        for (TwCatalogContainer *container : containers) {
            for (TwFileItemGroup *group : container->groups())
                count += group->hasSeveralKeys() ? 1 : 0;
        }
        return count;
    };
    auto scanned = [this](MainWindow *window, const QString &folder) {
        window->appendFolder(folder);
        child<QPushButton>(window, "btn_scan")->click();
        const bool ended = waitForEnd(window);
        if (ResultForm *form = window->resultWindow())
            form->close();
        return ended && window->scanState() == MainWindow::ResultsReady;
    };
    {
        auto window = makeWindow();
        QVERIFY(!window->exactOnly());
        QVERIFY(scanned(window.get(), tree.path("sample")));
        QVERIFY(window->engine()->similarPassEnabled());
        QVERIFY(likenessGroups(window.get()) >= 1);
        child<QCheckBox>(window.get(), "check_exactOnly")->click();
    }

    // The next start remembers it, and the scan finds the copies only.
    auto window = makeWindow();
    QVERIFY(window->exactOnly());
    QVERIFY(child<QCheckBox>(window.get(), "check_exactOnly")->isChecked());
    QVERIFY(scanned(window.get(), tree.path("sample")));
    QVERIFY(!window->engine()->similarPassEnabled());
    QCOMPARE(likenessGroups(window.get()), 0);
    QVERIFY(window->searchResult()->numberOfDuplicateFiles() > 0);
    window->setExactOnly(false);
    QVERIFY(!AppSettings::open()->value(QStringLiteral("exact_duplicates_only")).toBool());
}

void TestMainWindow::backShowsWhatTheRemovalLeftOnScreen()
{
    TempTree tree;
    const QByteArray same = patternBytes(40000, 3);
    tree.writeFile("set/a.bin", same);
    tree.writeFile("set/sub/b.bin", same);
    tree.writeFile("set/sub/c.bin", same);
    QVERIFY(tree.makeDir("moved"));
    TwPreferences::instance()->general()->setRemovalMethod(TwGenernalPreferences::MoveToFolder);
    TwPreferences::instance()->general()->setMoveToFolderPath(tree.path("moved"));
    auto window = makeWindow();
    QVERIFY(window->appendFolder(tree.path("set")));
    child<QPushButton>(window.get(), "btn_scan")->click();
    QVERIFY(waitForEnd(window.get()));
    QPointer<ResultForm> form = window->resultWindow();
    QVERIFY(form);
    QCOMPARE(child<QLabel>(window.get(), "lab_findNumber")->text(), QStringLiteral("2"));

    // One copy of three is removed in the results window.
    const auto containers = window->searchResult()->containers();
    TwFileItemGroup *group = containers.first()->groups().first();
    for (TwFileItem *item : group->items())
        item->setChecked(false);
    TwFileItem *removed = group->items().last();
    const QString removedPath = removed->filePath();
    removed->setChecked(true);
    group->itemCheckedChanged(true, removed->fileSize());
    form->on_btn_delete_clicked();
    QVERIFY(!QFileInfo::exists(removedPath));
    QVERIFY(form->findChild<QLabel *>(QStringLiteral("lab_found"))
                ->text()
                .startsWith(QLatin1String("1 ")));

    // Meanwhile the hidden main window ended up off every screen.
    window->move(-4000, -3000);
    form->close();
    QTRY_VERIFY(form.isNull());
    QVERIFY(window->isVisible());
    QCOMPARE(child<QLabel>(window.get(), "lab_findNumber")->text(), QStringLiteral("1"));
    QCOMPARE(child<QLabel>(window.get(), "lab_findSize")->text(), TwSearchResult::sizeText(40000));
    const QRect desktop = window->screen()->availableGeometry();
    QVERIFY2(desktop.contains(window->frameGeometry()),
        qPrintable(QStringLiteral("%1,%2").arg(window->x()).arg(window->y())));
}

// The texts change with the language; the flow, which keys on states and on
// the menu entries' data, must not.
void TestMainWindow::germanWindowScansAndOpensTheSameEntries()
{
    QVERIFY(AppTranslator::install(QLocale(QLocale::German)));
    auto restore = qScopeGuard([] { AppTranslator::remove(); });
    TempTree tree;
    const QByteArray same = patternBytes(30000, 3);
    tree.writeFile("set/a.bin", same);
    tree.writeFile("set/sub/b.bin", same);
    QVERIFY(tree.makeDir("ignored"));
    TwPreferences::instance()->ignoreList()->addIgnorePath(tree.path("ignored"));
    auto window = makeWindow();
    QCOMPARE(child<QLabel>(window.get(), "lab_progress")->text(),
        QStringLiteral("Dateien geprüft  0,00%"));

    QVERIFY(window->appendFolder(tree.path("set")));
    QCOMPARE(
        child<QLabel>(window.get(), "lab_number")->text(), QStringLiteral("1 Ordner hinzugefügt"));
    QVERIFY(!window->appendFolder(tree.path("ignored")));
    QCOMPARE(m_messages.last().title, QStringLiteral("Info"));
    QCOMPARE(m_messages.last().text, QStringLiteral("Dieser Ordner steht auf der Ignorierliste."));

    QMenu *menu = window->systemMenu();
    QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Einstellungen"));
    menu->actions().at(6)->trigger();
    auto *about = window->findChild<QAbout *>();
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("Über"));
    about->close();
    menu->actions().at(3)->trigger();
    QCOMPARE(m_openedUrls, QStringList { MainWindow::webPage(MainWindow::ProductFaq).toString() });

    child<QPushButton>(window.get(), "btn_scan")->click();
    QVERIFY(waitForEnd(window.get()));
    QCOMPARE(window->scanState(), MainWindow::ResultsReady);
    QCOMPARE(window->searchResult()->numberOfDuplicateFiles(), 1);
    QPointer<ResultForm> form = window->resultWindow();
    QVERIFY(form);
    QCOMPARE(form->findChild<QPushButton *>(QStringLiteral("btn_delete"))->text(),
        QStringLiteral("Löschen"));
    form->close();
    QTRY_VERIFY(form.isNull());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
