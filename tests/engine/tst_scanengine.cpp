#include <QCryptographicHash>
#include <QDirIterator>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/processthread.h"
#include "engine/qscanresult.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "model/scansettings.h"
#include "model/twcatalog.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "model/twphotoitem.h"
#include "platform/nativepath.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/temptree.h"

namespace {

constexpr int Timeout = 120000;

QString categoryOf(const QString &path)
{
    const TwCatalog *catalog = TwCatalog::catalogForFile(path);
    return catalog ? catalog->catalogKey() : QStringLiteral("Others");
}

// The exact groups a scan must find, worked out the slow and obvious way:
// every regular file that is not hidden, once per inode, bucketed by category
// and size, then split by comparing whole contents.
QStringList bruteForceGroups(const QString &root, qint64 *duplicates, qint64 *bytes)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QStringList parts = QDir(root).relativeFilePath(path).split('/');
        if (std::any_of(parts.begin(), parts.end(),
                [](const QString &part) { return part.startsWith('.'); }))
            continue;
        files.append(path);
    }
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    QSet<QPair<quint64, quint64>> inodes;
    QMap<QString, QList<QPair<QString, QByteArray>>> buckets;
    for (const QString &path : files) {
        struct stat info;
        if (::stat(QFile::encodeName(path).constData(), &info) != 0 || info.st_size == 0)
            continue;
        const auto id = qMakePair(quint64(info.st_dev), quint64(info.st_ino));
        if (inodes.contains(id))
            continue;
        inodes.insert(id);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        buckets[categoryOf(path) + "/" + QString::number(info.st_size)].append(
            qMakePair(path, file.readAll()));
    }
    QStringList groups;
    *duplicates = 0;
    *bytes = 0;
    for (auto bucket = buckets.cbegin(); bucket != buckets.cend(); ++bucket) {
        QList<QPair<QString, QByteArray>> rest = bucket.value();
        while (!rest.isEmpty()) {
            const QByteArray content = rest.first().second;
            QStringList same;
            for (int i = rest.size() - 1; i >= 0; --i)
                if (rest[i].second == content) {
                    same.append(rest[i].first);
                    rest.removeAt(i);
                }
            if (same.size() < 2)
                continue;
            same.sort();
            groups.append(bucket.key().section('/', 0, 0) + ":" + same.join(","));
            *duplicates += same.size() - 1;
            *bytes += qint64(same.size() - 1) * content.size();
        }
    }
    groups.sort();
    return groups;
}

QStringList engineGroups(const TwSearchResult &result, int *wrongSelections = nullptr)
{
    QStringList groups;
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it)
        for (const TwFileItemGroup *group : it.value()->groups()) {
            QStringList paths;
            int checked = 0;
            for (const TwFileItem *item : group->items()) {
                paths.append(item->filePath());
                checked += item->isChecked() ? 1 : 0;
            }
            if (wrongSelections && checked != paths.size() - 1)
                ++*wrongSelections;
            paths.sort();
            groups.append(it.key() + ":" + paths.join(","));
        }
    groups.sort();
    return groups;
}

// A small tree with what a real disk has: copies in several folders and
// categories, equal sizes with other contents, near misses outside the
// fingerprint windows, the same bytes under two categories, hidden copies,
// a hard link and a folder link back to an ancestor.
void fillTree(const TempTree &tree, int scale = 1)
{
    quint32 seed = 1;
    const QStringList suffixes { "txt", "jpg", "mp4", "zip", "mp3", "exe", "xyz", "pdf" };
    for (int set = 0; set < 40 * scale; ++set) {
        const QString suffix = suffixes[set % suffixes.size()];
        const int size = set % 5 == 0 ? 2000 + set : 9000 + set * 37;
        const QByteArray content = randomBytes(seed++, size);
        const int copies = 2 + set % 4;
        for (int c = 0; c < copies; ++c)
            tree.writeFile(QStringLiteral("d%1/s%2/copy%3_%4.%5")
                               .arg(c % 3)
                               .arg(set % 7)
                               .arg(set)
                               .arg(c)
                               .arg(suffix),
                content);
        // Same size, same first KiB, different elsewhere.
        QByteArray trap = content;
        const int offset = size > 3072 ? 1024 + (set * 13) % 2000 : size - 1;
        trap[offset] = char(trap[offset] ^ 0x33);
        tree.writeFile(QStringLiteral("traps/t%1.%2").arg(set).arg(suffix), trap);
        // Same size, unrelated content.
        tree.writeFile(QStringLiteral("unique/u%1.%2").arg(set).arg(suffix),
            randomBytes(seed++ + 100000, size));
    }
    const QByteArray shared = randomBytes(4242, 5000);
    tree.writeFile("mixed/photo.jpg", shared);
    tree.writeFile("mixed/photo.txt", shared);
    tree.writeFile("mixed/again.txt", shared);
    tree.writeFile("hidden/.secret.txt", shared);
    tree.writeFile(".hiddendir/copy.txt", shared);
    const QString linked = tree.writeFile("links/a_original.dat", randomBytes(77, 4000));
    ::link(QFile::encodeName(linked).constData(),
        QFile::encodeName(tree.path("links/b_hardlink.dat")).constData());
    QFile::link(tree.path("links"), tree.path("links/back"));
    tree.writeFile("empty/zero1.txt", QByteArray());
    tree.writeFile("empty/zero2.txt", QByteArray());
}

struct Run {
    explicit Run(ScanEngine &engine)
        : phases(&engine, &ScanEngine::phaseChanged)
        , started(&engine, &ScanEngine::processStart)
        , ended(&engine, &ScanEngine::processEnd)
        , scanEnded(&engine, &ScanEngine::scanEnded)
        , progress(&engine, &ScanEngine::progressChanged)
    {
    }
    bool visited(ScanEngine::Phase phase) const
    {
        for (const QList<QVariant> &arguments : phases)
            if (arguments.first().value<ScanEngine::Phase>() == phase)
                return true;
        return false;
    }
    QSignalSpy phases, started, ended, scanEnded, progress;
};

// Everything queued has been delivered and nothing runs any more.
void settle(ScanEngine &engine)
{
    engine.threadPool()->waitForDone(-1);
    QTRY_VERIFY_WITH_TIMEOUT(!engine.isRunning(), Timeout);
    QCoreApplication::processEvents();
}

// Files named by raw bytes, past Qt's own name conversion.
bool writeNative(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

QByteArray readNative(const QByteArray &path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return content;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, int(got));
    ::close(fd);
    return content;
}

} // namespace

class TestScanEngine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<ScanEngine::Phase>();
        TestPreferences::setUp();
    }
    void init() { TestPreferences::reset(); }

    void ancestorsAndNestedFolders();
    void wholePipelineMatchesBruteForce();
    void progressAddsUpToCandidates();
    void walkAndByteProgressReports();
    void emptyFoldersEndWithoutResults();
    void stopDuringWalk();
    void stopDuringDuplicatePass();
    void stopDuringSimilarPass();
    void stopAfterTheEndChangesNothing();
    void stopWhileConfirmingLargeCopies_data();
    void stopWhileConfirmingLargeCopies();
    void queuedTasksAreDiscarded();
    void destroyingMidPassIsSafe();
    void secondScanStartsClean();
    void groupsAndMembersFollowPaths();
    void rawNamesKeysAndSizesSurviveTheRecords();
};

void TestScanEngine::ancestorsAndNestedFolders()
{
    TempTree tree;
    QVERIFY(tree.makeDir("photos/2020/summer"));
    QVERIFY(tree.makeDir("music"));
    const QString photos = tree.path("photos");
    const QString year = tree.path("photos/2020");
    const QStringList ancestors = ScanEngine::ancestorPaths(year);
    QCOMPARE(ancestors.first(), year);
    QCOMPARE(ancestors.at(1), photos);
    QCOMPARE(ancestors.last(), QString("/"));
    QVERIFY(ScanEngine::ancestorPaths(tree.path("missing")).isEmpty());

    QCOMPARE(ScanEngine::dropNestedFolders({ year, photos, tree.path("music") }),
        (QStringList { photos, tree.path("music") }));
    QCOMPARE(ScanEngine::dropNestedFolders({ tree.path("photos/2020/summer"), year }),
        QStringList { year });
    // A folder listed twice is scanned once, not dropped altogether.
    QCOMPARE(ScanEngine::dropNestedFolders({ photos, photos }), QStringList { photos });
}

void TestScanEngine::wholePipelineMatchesBruteForce()
{
    TempTree tree;
    fillTree(tree);
    qint64 duplicates = 0, bytes = 0;
    const QStringList expected = bruteForceGroups(tree.root(), &duplicates, &bytes);
    QVERIFY(expected.size() >= 40);

    ScanEngine engine;
    engine.setSimilarPassEnabled(false);
    Run run(engine);
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    QCOMPARE(run.started.count(), 1);
    QCOMPARE(run.scanEnded.first().at(0).toBool(), false);
    QCOMPARE(run.scanEnded.first().at(1).toBool(), true);

    int wrongSelections = 0;
    const QStringList found = engineGroups(*engine.searchResult(), &wrongSelections);
    QCOMPARE(found, expected);
    for (const QString &group : found)
        QVERIFY2(!group.contains("traps/") && !group.contains("unique/")
                && !group.contains(".secret") && !group.contains("zero"),
            qPrintable(group));
    // The automatic selection leaves exactly one file of every group.
    QCOMPARE(wrongSelections, 0);
    QCOMPARE(engine.searchResult()->numberOfDuplicateFiles(), duplicates);
    QCOMPARE(engine.searchResult()->bytesOfDuplicateFiles(), bytes);
}

void TestScanEngine::progressAddsUpToCandidates()
{
    TempTree tree;
    fillTree(tree);
    for (int i = 0; i < 6; ++i)
        tree.writeFile(QStringLiteral("pictures/p%1.png").arg(i), drawnPng(quint32(50 + i)));
    const QByteArray twin = drawnPng(99);
    tree.writeFile("pictures/twin1.png", twin);
    tree.writeFile("pictures/twin2.png", twin);

    ScanEngine engine;
    Run run(engine);
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    QVERIFY(run.visited(ScanEngine::SearchingSimilar));
    QVERIFY(!run.progress.isEmpty());
    const QList<QVariant> last = run.progress.last();
    QCOMPARE(qint64(last.at(0).toInt()), engine.scanResult()->candidateCount());
    QCOMPARE(qint64(last.at(1).toDouble()), engine.scanResult()->candidateCount());
    QCOMPARE(engine.searchResult()->numberOfFileScanned(), engine.scanResult()->candidateCount());
}

void TestScanEngine::walkAndByteProgressReports()
{
    TempTree tree;
    fillTree(tree, 3);
    // One pair of large copies: by count a sliver of the work, by bytes most of it.
    const QByteArray large = randomBytes(555, 3 * 1024 * 1024);
    tree.writeFile("large/a.bin", large);
    tree.writeFile("large/b.bin", large);
    for (int i = 0; i < 4; ++i)
        tree.writeFile(QStringLiteral("pictures/p%1.png").arg(i), drawnPng(quint32(70 + i)));

    ScanEngine engine;
    Run run(engine);
    QSignalSpy found(&engine, &ScanEngine::filesFound);
    QSignalSpy folders(&engine, &ScanEngine::readingFolder);
    QSignalSpy fractions(&engine, &ScanEngine::progressFractionChanged);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    const qint64 elapsed = clock.elapsed();

    // The walk: growing counts ending on the files collected, folders of the tree.
    QVERIFY(!found.isEmpty());
    qlonglong last = 0;
    for (const QList<QVariant> &report : found) {
        QVERIFY(report.at(0).toLongLong() >= last);
        last = report.at(0).toLongLong();
    }
    QCOMPARE(last, qlonglong(engine.scanResult()->fileCount()));
    // Throttled: never more than one report per interval, plus the last one.
    QVERIFY2(found.count() <= elapsed / ScanEngine::WalkReportMs + 2,
        qPrintable(QStringLiteral("%1 reports in %2 ms").arg(found.count()).arg(elapsed)));
    QVERIFY(!folders.isEmpty());
    for (const QList<QVariant> &report : folders) {
        const QString folder = report.first().toString();
        QVERIFY2(folder.startsWith(tree.root()) && QFileInfo(folder).isDir(), qPrintable(folder));
    }

    // The comparison: within 0..1, never falling, full at the end.
    QVERIFY(!fractions.isEmpty());
    double previous = -1;
    for (const QList<QVariant> &report : fractions) {
        const double fraction = report.first().toDouble();
        QVERIFY(fraction >= 0.0 && fraction <= 1.0);
        QVERIFY(fraction > previous);
        previous = fraction;
    }
    QCOMPARE(previous, 1.0);

    // A stop leaves the bar where it was.
    ScanEngine stopped;
    QSignalSpy stoppedFractions(&stopped, &ScanEngine::progressFractionChanged);
    QSignalSpy stoppedEnd(&stopped, &ScanEngine::scanEnded);
    connect(&stopped, &ScanEngine::phaseChanged, &stopped, [&stopped](ScanEngine::Phase phase) {
        if (phase == ScanEngine::SearchingDuplicates)
            stopped.stop();
    });
    QVERIFY(stopped.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(stoppedEnd.wait(Timeout));
    for (const QList<QVariant> &report : stoppedFractions)
        QVERIFY(report.first().toDouble() < 1.0);
}

void TestScanEngine::emptyFoldersEndWithoutResults()
{
    TempTree tree;
    QVERIFY(tree.makeDir("a/b"));
    ScanEngine engine;
    Run run(engine);
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    QCOMPARE(run.scanEnded.first().at(0).toBool(), false);
    QCOMPARE(run.scanEnded.first().at(1).toBool(), false);
    QVERIFY(run.visited(ScanEngine::SearchingSimilar));
    QCOMPARE(engine.phase(), ScanEngine::Finished);
    QVERIFY(!engine.BeginScanCatalogue({}, ScanSettings()));
}

void TestScanEngine::stopDuringWalk()
{
    TempTree tree;
    for (int d = 0; d < 80; ++d)
        for (int f = 0; f < 4; ++f)
            tree.writeFile(QStringLiteral("f%1/g%2/x%3.txt").arg(d % 9).arg(d).arg(f),
                randomBytes(quint32(f), 40));
    ScanEngine engine;
    Run run(engine);
    connect(&engine, &ScanEngine::filesFound, &engine, [&engine] { engine.stop(); });
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    settle(engine);
    QCOMPARE(run.started.count(), 1);
    QCOMPARE(run.ended.count(), 1);
    QCOMPARE(run.scanEnded.count(), 1);
    QVERIFY(!run.visited(ScanEngine::SearchingDuplicates));
    QCOMPARE(run.scanEnded.first().at(0).toBool(), true);
    // Stopped before any comparison: nothing found, both results discarded.
    QCOMPARE(run.scanEnded.first().at(1).toBool(), false);
    QCOMPARE(engine.scanResult()->fileCount(), qint64(0));
    QVERIFY(engine.searchResult()->containers().isEmpty());
}

void TestScanEngine::stopDuringDuplicatePass()
{
    TempTree tree;
    fillTree(tree, 3);
    ScanEngine engine;
    Run run(engine);
    connect(&engine, &ScanEngine::progressChanged, &engine, [&engine] { engine.stop(); });
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    settle(engine);
    QCOMPARE(run.started.count(), 1);
    QCOMPARE(run.scanEnded.count(), 1);
    QVERIFY(run.visited(ScanEngine::SearchingDuplicates));
    QVERIFY(!run.visited(ScanEngine::SearchingSimilar));
    QCOMPARE(run.scanEnded.first().at(0).toBool(), true);
    const bool found = run.scanEnded.first().at(1).toBool();
    // Partial results are kept when they hold duplicates, else discarded.
    QCOMPARE(engine.searchResult()->containers().isEmpty(), !found);
    QCOMPARE(engine.scanResult()->fileCount() == 0, !found);
}

void TestScanEngine::stopDuringSimilarPass()
{
    TempTree tree;
    for (int i = 0; i < 40; ++i)
        tree.writeFile(
            QStringLiteral("pictures/p%1.png").arg(i), drawnPng(quint32(200 + i), 96 + i, 64));
    ScanEngine engine;
    Run run(engine);
    connect(&engine, &ScanEngine::progressChanged, &engine, [&engine] {
        if (engine.phase() == ScanEngine::SearchingSimilar)
            engine.stop();
    });
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    settle(engine);
    QVERIFY(run.visited(ScanEngine::SearchingSimilar));
    QCOMPARE(run.started.count(), 1);
    QCOMPARE(run.ended.count(), 1);
    QCOMPARE(run.scanEnded.count(), 1);
    QCOMPARE(run.scanEnded.first().at(0).toBool(), true);
}

void TestScanEngine::stopAfterTheEndChangesNothing()
{
    TempTree tree;
    fillTree(tree);
    ScanEngine engine;
    engine.setSimilarPassEnabled(false);
    Run run(engine);
    // A stop that arrives while the process stage already runs must not
    // start it a second time or turn the finished scan into a stopped one.
    connect(&engine, &ScanEngine::phaseChanged, &engine, [&engine](ScanEngine::Phase phase) {
        if (phase == ScanEngine::Processing)
            engine.stop();
    });
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    settle(engine);
    QCOMPARE(run.started.count(), 1);
    QCOMPARE(run.scanEnded.first().at(0).toBool(), false);
    QVERIFY(!engine.searchResult()->containers().isEmpty());
}

void TestScanEngine::stopWhileConfirmingLargeCopies_data()
{
    QTest::addColumn<bool>("closing");
    QTest::newRow("stop") << false;
    QTest::newRow("closing") << true;
}

// Two equal files of a GiB each (sparse, so no disk is used) take many
// seconds to compare in full; a stop must not wait for that, and the pair
// it did not finish comparing must not be filed as copies.
void TestScanEngine::stopWhileConfirmingLargeCopies()
{
    QFETCH(bool, closing);
    TempTree tree;
    constexpr qint64 GiB = qint64(1) << 30;
    for (const char *name : { "big/a.bin", "big/b.bin" }) {
        const QString path = tree.writeFile(QString::fromLatin1(name), QByteArray());
        QVERIFY(::truncate(QFile::encodeName(path).constData(), GiB) == 0);
    }
    auto engine = std::make_unique<ScanEngine>();
    Run run(*engine);
    bool comparing = false;
    connect(engine.get(), &ScanEngine::phaseChanged, this, [&comparing](ScanEngine::Phase phase) {
        comparing |= phase == ScanEngine::SearchingDuplicates;
    });
    QVERIFY(engine->BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QTRY_VERIFY_WITH_TIMEOUT(comparing, Timeout);
    // Long enough for the comparison to be well under way.
    QTest::qWait(300);
    QVERIFY(engine->isRunning());

    QElapsedTimer stopping;
    stopping.start();
    if (closing) {
        engine.reset();
        QVERIFY2(stopping.elapsed() < 5000, qPrintable(QString::number(stopping.elapsed())));
        return;
    }
    engine->stop();
    QVERIFY(run.scanEnded.wait(Timeout));
    QVERIFY2(stopping.elapsed() < 5000, qPrintable(QString::number(stopping.elapsed())));
    settle(*engine);
    QCOMPARE(run.scanEnded.first().at(0).toBool(), true);
    QCOMPARE(run.scanEnded.first().at(1).toBool(), false);
    QCOMPARE(engine->searchResult()->numberOfDuplicateFiles(), qint64(0));
    QVERIFY(engine->searchResult()->containers().isEmpty());
}

namespace {

class Blocker : public QRunnable {
public:
    explicit Blocker(QSemaphore *release)
        : release(release)
    {
    }
    void run() override { release->acquire(); }
    QSemaphore *release;
};

class Counter : public QRunnable {
public:
    Counter(QAtomicInt *runs, QAtomicInt *deleted)
        : runs(runs)
        , deleted(deleted)
    {
    }
    ~Counter() override { deleted->fetchAndAddOrdered(1); }
    void run() override { runs->fetchAndAddOrdered(1); }
    QAtomicInt *runs;
    QAtomicInt *deleted;
};

} // namespace

void TestScanEngine::queuedTasksAreDiscarded()
{
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    QSemaphore release;
    QAtomicInt runs = 0, deleted = 0;
    pool.start(new Blocker(&release));
    // A failed check below must not leave the pool waiting for the blocker forever.
    const auto unblock = qScopeGuard([&] {
        release.release();
        pool.waitForDone();
    });
    for (int i = 0; i < 5; ++i)
        pool.start(new Counter(&runs, &deleted));

    TwSearchResult result;
    processThread stage(&result, &pool);
    // Counted on this thread, and polled rather than waited for: a spy's
    // wait() misses a signal that came before it started waiting.
    int started = 0, ended = 0;
    connect(&stage, &processThread::processStart, this, [&started] { ++started; });
    connect(&stage, &processThread::processEnd, this, [&ended] { ++ended; });
    stage.start();
    // processStart goes out once the queue is emptied; only then may the
    // running task finish.
    QTRY_COMPARE_WITH_TIMEOUT(started, 1, Timeout);
    release.release();
    QTRY_COMPARE_WITH_TIMEOUT(ended, 1, Timeout);
    QVERIFY(stage.wait(Timeout));
    QCOMPARE(runs.loadAcquire(), 0);
    QCOMPARE(deleted.loadAcquire(), 5);
}

void TestScanEngine::destroyingMidPassIsSafe()
{
    TempTree tree;
    fillTree(tree, 3);
    auto engine = std::make_unique<ScanEngine>();
    QSignalSpy progress(engine.get(), &ScanEngine::progressChanged);
    QVERIFY(engine->BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(progress.wait(Timeout));
    QVERIFY(engine->isRunning());
    engine.reset();
    // Nothing of the scan is left running against freed objects, and no part
    // of it ever ran on the process-wide pool.
    QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
    QCoreApplication::processEvents();
}

void TestScanEngine::secondScanStartsClean()
{
    TempTree first, second;
    fillTree(first);
    const QByteArray content = randomBytes(5, 6000);
    second.writeFile("a.txt", content);
    second.writeFile("b.txt", content);
    ScanEngine engine;
    engine.setSimilarPassEnabled(false);
    Run run(engine);
    QVERIFY(engine.BeginScanCatalogue({ first.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    QVERIFY(engine.BeginScanCatalogue({ second.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    QCOMPARE(run.started.count(), 2);
    QCOMPARE(engineGroups(*engine.searchResult()),
        QStringList { "Documents:" + second.path("a.txt") + "," + second.path("b.txt") });
    QCOMPARE(engine.searchResult()->numberOfDuplicateFiles(), qint64(1));
}

void TestScanEngine::groupsAndMembersFollowPaths()
{
    // Copies in many folders walked by several threads: only the paths may
    // decide the order of groups and members (and so, among equals, which
    // copy smart selection keeps).
    TempTree tree;
    for (int group = 0; group < 24; ++group) {
        const QByteArray content = randomBytes(100 + group, 3000 + group);
        for (int folder : { 7, 2, 13, 5 })
            tree.writeFile(
                QStringLiteral("f%1/sub/%2.txt").arg(folder).arg(group, 2, 10, QLatin1Char('0')),
                content);
        for (int folder = 20; folder < 30; ++folder) // more folders, more interleaving
            tree.writeFile(QStringLiteral("f%1/x%2.bin").arg(folder).arg(group),
                randomBytes(1000 + folder * 100 + group, 100 + group));
    }
    ScanEngine engine;
    engine.setSimilarPassEnabled(false);
    Run run(engine);
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));

    const TwCatalogContainer *documents
        = engine.searchResult()->containers().value(QStringLiteral("Documents"));
    QVERIFY(documents);
    QCOMPARE(documents->groups().size(), 24);
    QString previous;
    for (const TwFileItemGroup *group : documents->groups()) {
        QStringList paths;
        for (const TwFileItem *item : group->items())
            paths << item->filePath();
        QStringList sorted = paths;
        sorted.sort();
        QCOMPARE(paths, sorted);
        QVERIFY2(paths.first() > previous, qPrintable(paths.first()));
        previous = paths.first();
    }
}

void TestScanEngine::rawNamesKeysAndSizesSurviveTheRecords()
{
    // Sets of copies spread over many folders under names that are partly
    // not UTF-8, each beside files of its size that differ past the first
    // KiB: what the walk keeps as records must come back as the same bytes,
    // with one key per set and the size read at the walk.
    TempTree tree;
    QMap<QByteArray, QSet<QByteArray>> expected; // content digest -> native paths
    const QByteArray root = QFile::encodeName(tree.root());
    quint32 seed = 900;
    for (int set = 0; set < 30; ++set) {
        const QByteArray content = randomBytes(seed++, 1500 + set * 211);
        const QByteArray key = QCryptographicHash::hash(content, QCryptographicHash::Md5);
        for (int copy = 0; copy < 2 + set % 3; ++copy) {
            const QByteArray folder = root + "/f" + QByteArray::number((set + copy) % 9) + "\xe9/";
            ::mkdir(folder.constData(), 0755);
            const QByteArray name = folder + "c" + QByteArray::number(set) + "_"
                + QByteArray::number(copy) + (set % 2 ? "\xff\xfe.txt" : ".bin");
            QVERIFY(writeNative(name, content));
            expected[key].insert(name);
        }
        QByteArray near = content;
        near[near.size() - 1] = char(near[near.size() - 1] ^ 1);
        tree.writeFile(QStringLiteral("near/n%1.bin").arg(set), near);
    }

    ScanEngine engine;
    engine.setSimilarPassEnabled(false);
    Run run(engine);
    QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
    QVERIFY(run.scanEnded.wait(Timeout));
    settle(engine);
    QCOMPARE(engine.scanResult()->fileCount(), qint64(90 + 30));

    QMap<QByteArray, QSet<QByteArray>> found;
    QSet<QString> keys;
    int items = 0;
    const auto containers = engine.searchResult()->containers();
    for (const TwCatalogContainer *container : containers) {
        for (const TwFileItemGroup *group : container->groups()) {
            const QList<TwFileItem *> members = group->items();
            QSet<QString> groupKeys;
            QByteArray digest;
            for (const TwFileItem *item : members) {
                ++items;
                groupKeys.insert(item->matchKey());
                const QByteArray native = NativePath::encode(item->filePath());
                const QByteArray content = readNative(native);
                QVERIFY2(!content.isEmpty(), native.constData());
                QCOMPARE(item->fileSize(), qint64(content.size()));
                QCOMPARE(item->scanStamp().size(), qint64(content.size()));
                digest = QCryptographicHash::hash(content, QCryptographicHash::Md5);
                found[digest].insert(native);
            }
            QCOMPARE(groupKeys.size(), 1);
            QVERIFY(!keys.contains(*groupKeys.begin()));
            keys.insert(*groupKeys.begin());
        }
    }
    QCOMPARE(found, expected);
    // Items exist only for the members of groups, never for the near misses.
    QCOMPARE(items, 90);
}

QTEST_GUILESS_MAIN(TestScanEngine)
#include "tst_scanengine.moc"
