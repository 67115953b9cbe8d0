#include <QAction>
#include <QImage>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRunnable>
#include <QSemaphore>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <memory>

#include "app/mainwindow.h"
#include "engine/qscanresult.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "preferences/dialog/twignorelistwidget.h"
#include "preferences/dialog/twpreferencesdialog.h"
#include "preferences/twpreferences.h"
#include "resources/twresources.h"
#include "results/resultform.h"
#include "tests/support/temptree.h"
#include "tests/support/testdata.h"
#include "widgets/desktopprompts.h"

namespace {

constexpr int Timeout = 120000;

// Occupies every thread of a pool until released (at the latest when it is
// destroyed), so that the tasks of a scan started meanwhile stay queued.
class PoolHold {
public:
    explicit PoolHold(QThreadPool *pool)
        : m_count(pool->maxThreadCount())
    {
        for (int i = 0; i < m_count; ++i)
            pool->start(new Waiter(&m_gate));
    }
    ~PoolHold() { release(); }
    void release()
    {
        m_gate.release(m_count);
        m_count = 0;
    }

private:
    class Waiter : public QRunnable {
    public:
        explicit Waiter(QSemaphore *gate)
            : m_gate(gate)
        {
        }
        void run() override { m_gate->acquire(); }

    private:
        QSemaphore *m_gate;
    };

    QSemaphore m_gate;
    int m_count;
};

// A scene with enough corners for feature matching and colours near one hue,
// as a photo has them; a smaller JPEG of it is alike without being equal.
QImage drawScene(quint32 seed, int hue)
{
    QRandomGenerator random(seed);
    const auto colour = [&random, hue] {
        return QColor::fromHsv((hue + int(random.bounded(17)) - 8 + 360) % 360,
            90 + int(random.bounded(166)), 60 + int(random.bounded(196)));
    };
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 480);
    sky.setColorAt(0, colour());
    sky.setColorAt(1, colour());
    painter.fillRect(image.rect(), sky);
    for (int i = 0; i < 160; ++i) {
        painter.setBrush(colour());
        painter.setPen(QPen(colour(), 1 + int(random.bounded(4))));
        const QRectF box(random.bounded(640), random.bounded(480), 8 + random.bounded(80),
            8 + random.bounded(60));
        if (i % 2)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }
    return image;
}

// Every group of the results as its sorted member paths.
QList<QStringList> groupsOf(const TwSearchResult *result)
{
    QList<QStringList> groups;
    const auto containers = result->containers();
    for (const TwCatalogContainer *container : containers) {
        for (const TwFileItemGroup *group : container->groups()) {
            QStringList members;
            for (const TwFileItem *item : group->items())
                members << item->filePath();
            members.sort();
            groups << members;
        }
    }
    return groups;
}

bool hasGroupWith(const QList<QStringList> &groups, const QStringList &paths)
{
    for (const QStringList &group : groups) {
        if (std::all_of(paths.cbegin(), paths.cend(),
                [&group](const QString &path) { return group.contains(path); }))
            return true;
    }
    return false;
}

bool mentions(const QList<QStringList> &groups, const QString &path)
{
    for (const QStringList &group : groups) {
        if (group.contains(path))
            return true;
    }
    return false;
}

} // namespace

// The preferences stay open to the user while a scan runs; what is confirmed
// then counts from the next scan on, never for the scan already running.
class TestPreferencesDuringScan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void runningScanKeepsItsSettings();

private:
    bool waitForResults(MainWindow *window);

    QTemporaryDir m_settingsDir;
};

void TestPreferencesDuringScan::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    initTwResources();
    DesktopPrompts::setOverride(
        [](const DesktopPrompts::Request &) { return DesktopPrompts::Answer(); });
    TwPreferences::setFilePath(m_settingsDir.filePath("preferences.cfg"));
}

bool TestPreferencesDuringScan::waitForResults(MainWindow *window)
{
    return QTest::qWaitFor(
               [window] {
                   return window->scanState() == MainWindow::ResultsReady
                       || window->scanState() == MainWindow::NoResults;
               },
               Timeout)
        && window->scanState() == MainWindow::ResultsReady;
}

void TestPreferencesDuringScan::runningScanKeepsItsSettings()
{
    TempTree tree;
    const QByteArray kept = patterned(6000, 1);
    const QByteArray skipped = patterned(7000, 2);
    const QStringList keptCopies
        = { tree.writeFile("tree/keep/a.bin", kept), tree.writeFile("tree/keep/b.bin", kept) };
    // Below the first level, so that even a task made for it after the
    // change would see the new ignore list.
    const QStringList skippedCopies = { tree.writeFile("tree/more/skip/c.bin", skipped),
        tree.writeFile("tree/more/skip/d.bin", skipped) };
    const QImage scene = drawScene(8, 210);
    QVERIFY(tree.makeDir("tree/pics"));
    const QStringList alike
        = { tree.path("tree/pics/harbour.png"), tree.path("tree/pics/harbour_small.jpg") };
    QVERIFY(scene.save(alike.at(0), "PNG"));
    QVERIFY(scene.scaled(480, 360, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .save(alike.at(1), "JPG", 92));

    auto window = std::make_unique<MainWindow>();
    window->show();
    QVERIFY(window->appendFolder(tree.path("tree")));
    QThreadPool *pool = window->engine()->threadPool();

    // Scan pressed while the pool is held: the scan has begun, but none of
    // its tasks has read a single folder yet.
    auto hold = std::make_unique<PoolHold>(pool);
    window->findChild<QPushButton *>("btn_scan")->click();
    QCOMPARE(window->scanState(), MainWindow::Scanning);
    QCOMPARE(window->engine()->phase(), ScanEngine::Walking);

    // The user opens the preferences, ignores a folder of the scan, turns the
    // similar-image analysis off and presses OK.
    window->systemMenu()->actions().at(0)->trigger();
    TwPreferencesDialog *dialog = window->preferencesDialog();
    QVERIFY(dialog->isVisible());
    const QString ignored = tree.path("tree/more/skip");
    dialog->ignoreListWidget()->setPathsPicker(
        [ignored](QWidget *) { return QStringList { ignored }; });
    dialog->findChild<QPushButton *>("btnAddIgnore")->click();
    dialog->findChild<QSlider *>("hsSimilarity")->setValue(100);
    dialog->findChild<QPushButton *>("btnOK")->click();
    QVERIFY(!dialog->isVisible());
    QVERIFY(TwPreferences::instance()->ignoreList()->ignorePaths().contains(ignored));
    QCOMPARE(TwPreferences::instance()->general()->imageSimilarity(), 1.0f);
    QCOMPARE(window->engine()->scanResult()->fileCount(), qint64(0));

    // This scan finishes by the settings it started with.
    hold->release();
    QVERIFY(waitForResults(window.get()));
    QList<QStringList> groups = groupsOf(window->searchResult());
    QVERIFY(hasGroupWith(groups, keptCopies));
    QVERIFY2(hasGroupWith(groups, skippedCopies), "a folder ignored mid-scan was dropped");
    QVERIFY2(hasGroupWith(groups, alike), "a threshold changed mid-scan split a group");

    // The next scan goes by the new settings.
    QPointer<ResultForm> results = window->resultWindow();
    QVERIFY(results);
    results->close();
    QTRY_VERIFY(results.isNull());
    window->findChild<QPushButton *>("btn_add")->click();
    QCOMPARE(window->scanState(), MainWindow::Idle);
    QVERIFY(window->appendFolder(tree.path("tree")));
    window->findChild<QPushButton *>("btn_scan")->click();
    QVERIFY(waitForResults(window.get()));
    groups = groupsOf(window->searchResult());
    QVERIFY(hasGroupWith(groups, keptCopies));
    for (const QString &path : skippedCopies + alike)
        QVERIFY2(!mentions(groups, path), qPrintable(path));
    QVERIFY(pool->waitForDone(Timeout));
}

QTEST_MAIN(TestPreferencesDuringScan)
#include "tst_preferencesduringscan.moc"
