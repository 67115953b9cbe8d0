#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <unistd.h>

#include "engine/qscanresult.h"
#include "engine/qscanthread.h"
#include "model/canceltoken.h"
#include "model/scansettings.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/temptree.h"

namespace {

// The rules a scan started now would take from the shared store.
ScanSettings storedSettings()
{
    return ScanSettings::fromPreferences(*TwPreferences::instance());
}

struct WalkOutcome {
    QStringList collected;
    QStringList announced;
    QList<bool> finishedFlags;
    int tasks = 0;
};

// Runs the walk the way the engine does, one task per folder, but on this
// thread and in order, so every outcome is deterministic.
WalkOutcome walk(QScanResult &result, const QString &root, int taskLimit = 1000)
{
    WalkOutcome outcome;
    const ScanSettings settings = storedSettings();
    const auto cancel = std::make_shared<CancelToken>();
    QStringList queue { root };
    while (!queue.isEmpty() && outcome.tasks < taskLimit) {
        QScanThread task(queue.takeFirst(), &result, settings, cancel);
        task.setAutoDelete(false);
        QObject::connect(&task, &QScanThread::addNewThread, [&](const QString &path) {
            outcome.announced.append(path);
            queue.append(path);
        });
        QObject::connect(&task, &QScanThread::addItemFile,
            [&](qlonglong, const QString &path) { outcome.collected.append(path); });
        QObject::connect(&task, &QScanThread::finished,
            [&](bool userStop) { outcome.finishedFlags.append(userStop); });
        task.run();
        ++outcome.tasks;
    }
    return outcome;
}

QSet<QString> names(const QStringList &paths, const QString &root)
{
    QSet<QString> relative;
    for (const QString &path : paths)
        relative.insert(QDir(root).relativeFilePath(path));
    return relative;
}

} // namespace

class TestQScanThread : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }
    void init() { TestPreferences::reset(); }

    void hiddenEntries_data();
    void hiddenEntries();
    void ignoredPathsAreExactAndCaseSensitive();
    void ignoredTypes_data();
    void ignoredTypes();
    void sizeBoundsAreExclusive();
    void zeroByteFilesNeverCollected();
    void unreadableFolderAndFile();
    void folderLinksNeverLoop();
    void oneFileCollectedOnce();
    void deepTreeWalkedToTheBottom();
    void stopEndsListingBeforeNextEntry();
    void stopBeforeStartCollectsNothing();
    void emptyFolderOnlyFinishes();
    void suffixes();
};

void TestQScanThread::hiddenEntries_data()
{
    QTest::addColumn<bool>("ignoreHidden");
    QTest::addColumn<QSet<QString>>("expected");
    QTest::newRow("ignored") << true << QSet<QString> { "a.txt", "dir/c.txt" };
    QTest::newRow("walked") << false
                            << QSet<QString> { "a.txt", "dir/c.txt", ".hidden.txt",
                                   ".hiddendir/b.txt", "dir/.d.txt" };
}

void TestQScanThread::hiddenEntries()
{
    QFETCH(bool, ignoreHidden);
    QFETCH(QSet<QString>, expected);
    TwPreferences::instance()->ignoreList()->setIgnoreSystemHidden(ignoreHidden);
    TempTree tree;
    for (const char *name :
        { "a.txt", "dir/c.txt", ".hidden.txt", ".hiddendir/b.txt", "dir/.d.txt" })
        QVERIFY(!tree.writeFile(name, "content").isEmpty());
    QScanResult result;
    const WalkOutcome outcome = walk(result, tree.root());
    QCOMPARE(names(outcome.collected, tree.root()), expected);
    QCOMPARE(result.fileCount(), qint64(expected.size()));
}

void TestQScanThread::ignoredPathsAreExactAndCaseSensitive()
{
    TempTree tree;
    for (const char *name :
        { "skip/x.txt", "Skip/y.txt", "keep/file.txt", "keep/other.txt", "slash/z.txt" })
        QVERIFY(!tree.writeFile(name, "content").isEmpty());
    TwIgnoreListPreferences *ignore = TwPreferences::instance()->ignoreList();
    ignore->addIgnorePath(tree.path("skip"));
    ignore->addIgnorePath(tree.path("keep/file.txt"));
    // Another spelling of a folder is another path.
    ignore->addIgnorePath(tree.path("slash") + "/");
    QScanResult result;
    const WalkOutcome outcome = walk(result, tree.root());
    QCOMPARE(names(outcome.collected, tree.root()),
        (QSet<QString> { "Skip/y.txt", "keep/other.txt", "slash/z.txt" }));
    // An ignored folder is not even announced, so it is never walked.
    QVERIFY(!outcome.announced.contains(tree.path("skip")));
}

void TestQScanThread::ignoredTypes_data()
{
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QSet<QString>>("expected");
    const QSet<QString> all { "movie.AVI", "movie.avi", "clip.mkv", "clip.MKV", "a.tar.gz",
        "README", "name." };
    QTest::newRow("blank and lower case")
        << QStringList { " avi" } << (all - QSet<QString> { "movie.AVI", "movie.avi" });
    QTest::newRow("capitals match nothing") << QStringList { "MKV" } << all;
    QTest::newRow("inner blanks and tabs")
        << QStringList { "\tgz  " } << (all - QSet<QString> { "a.tar.gz" });
    QTest::newRow("empty type") << QStringList { "" }
                                << (all - QSet<QString> { "README", "name." });
}

void TestQScanThread::ignoredTypes()
{
    QFETCH(QStringList, types);
    QFETCH(QSet<QString>, expected);
    TwPreferences::instance()->ignoreList()->setIgnoreExtensions(types.toVector());
    TempTree tree;
    for (const char *name :
        { "movie.AVI", "movie.avi", "clip.mkv", "clip.MKV", "a.tar.gz", "README", "name." })
        QVERIFY(!tree.writeFile(name, "content").isEmpty());
    QScanResult result;
    QCOMPARE(names(walk(result, tree.root()).collected, tree.root()), expected);
}

void TestQScanThread::sizeBoundsAreExclusive()
{
    TwGenernalPreferences *general = TwPreferences::instance()->general();
    general->setMinimumFileSize(1);
    general->setMaximumFileSize(1);
    TempTree tree;
    for (int size : { 1024, 1025, 1048575, 1048576 })
        QVERIFY(!tree.writeFile(QString::number(size) + ".bin", QByteArray(size, 'x')).isEmpty());
    QScanResult result;
    QCOMPARE(names(walk(result, tree.root()).collected, tree.root()),
        (QSet<QString> { "1025.bin", "1048575.bin" }));
}

void TestQScanThread::zeroByteFilesNeverCollected()
{
    // Even a (damaged) negative minimum must not let empty files through:
    // they would all form one group of "copies".
    TwPreferences::instance()->general()->setMinimumFileSize(-5);
    TempTree tree;
    QVERIFY(!tree.writeFile("empty1.txt", QByteArray()).isEmpty());
    QVERIFY(!tree.writeFile("empty2.txt", QByteArray()).isEmpty());
    QVERIFY(!tree.writeFile("one.txt", "1").isEmpty());
    QScanResult result;
    QCOMPARE(names(walk(result, tree.root()).collected, tree.root()), QSet<QString> { "one.txt" });
}

void TestQScanThread::unreadableFolderAndFile()
{
    if (::geteuid() == 0)
        QSKIP("running as root: permission bits do not block reading");
    TempTree tree;
    QVERIFY(!tree.writeFile("closed/inside.txt", "content").isEmpty());
    const QString file = tree.writeFile("locked.txt", "content");
    QVERIFY(QFile::setPermissions(tree.path("closed"), QFileDevice::Permissions()));
    QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));

    QScanResult result;
    QScanThread task(
        tree.path("closed"), &result, storedSettings(), std::make_shared<CancelToken>());
    task.setAutoDelete(false);
    QSignalSpy announced(&task, &QScanThread::addNewThread);
    QSignalSpy collected(&task, &QScanThread::addItemFile);
    QSignalSpy finished(&task, &QScanThread::finished);
    task.run();
    QCOMPARE(announced.count(), 0);
    QCOMPARE(collected.count(), 0);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), false);

    // The size of an unreadable file is still known: it is collected and
    // later fingerprinted by its path only.
    QScanResult second;
    const WalkOutcome outcome = walk(second, tree.root());
    QVERIFY(outcome.collected.contains(file));
    QFile::setPermissions(tree.path("closed"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestQScanThread::folderLinksNeverLoop()
{
    TempTree tree;
    QVERIFY(!tree.writeFile("a/one.txt", "one").isEmpty());
    QVERIFY(!tree.writeFile("a/b/two.txt", "two").isEmpty());
    QVERIFY(QFile::link(tree.path("a"), tree.path("a/b/loop")));
    QVERIFY(QFile::link(tree.root(), tree.path("a/b/top")));
    QScanResult result;
    const WalkOutcome outcome = walk(result, tree.root(), 200);
    QVERIFY2(outcome.tasks < 200, "the walk did not end");
    QCOMPARE(names(outcome.collected, tree.root()), (QSet<QString> { "a/one.txt", "a/b/two.txt" }));
    QCOMPARE(result.fileCount(), qint64(2));
}

void TestQScanThread::oneFileCollectedOnce()
{
    TempTree tree;
    const QString first = tree.writeFile("x/one.bin", "same data");
    QVERIFY(!first.isEmpty());
    QVERIFY(tree.makeDir("y"));
    QCOMPARE(::link(QFile::encodeName(first).constData(),
                 QFile::encodeName(tree.path("x/two.bin")).constData()),
        0);
    QCOMPARE(::link(QFile::encodeName(first).constData(),
                 QFile::encodeName(tree.path("y/three.bin")).constData()),
        0);
    QVERIFY(QFile::link(first, tree.path("x/symlink.bin")));
    QVERIFY(!tree.writeFile("x/real-copy.bin", "same data").isEmpty());

    QScanResult result;
    const WalkOutcome outcome = walk(result, tree.root());
    // Listing is by name, so the first name of the file in x/ wins.
    QCOMPARE(
        names(outcome.collected, tree.root()), (QSet<QString> { "x/one.bin", "x/real-copy.bin" }));
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(result.sameSizeGroups().size(), 1);
    QCOMPARE(result.sameSizeGroups().first().size(), 2);
}

void TestQScanThread::deepTreeWalkedToTheBottom()
{
    // Folders are told apart by identity, not by resolved path, so a deep
    // tree is walked in time linear in its depth.
    TempTree tree;
    constexpr int Depth = 2000;
    QString relative;
    for (int level = 0; level < Depth; ++level)
        relative += QStringLiteral("d/");
    QVERIFY(tree.makeDir(relative));
    QVERIFY(!tree.writeFile("top.bin", "deep pair").isEmpty());
    QVERIFY(!tree.writeFile(relative + "low.bin", "deep pair").isEmpty());

    QElapsedTimer timer;
    timer.start();
    QScanResult result;
    const WalkOutcome outcome = walk(result, tree.root(), Depth + 10);
    qInfo("%d folders walked in %lld ms", outcome.tasks, qint64(timer.elapsed()));
    QCOMPARE(outcome.tasks, Depth + 1);
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(result.sameSizeGroups().size(), 1);
    QCOMPARE(names(result.sameSizeGroups().first(), tree.root()),
        (QSet<QString> { "top.bin", relative + "low.bin" }));
}

void TestQScanThread::stopEndsListingBeforeNextEntry()
{
    TempTree tree;
    for (int i = 0; i < 400; ++i)
        QVERIFY(!tree.writeFile(QStringLiteral("f%1.txt").arg(i, 4, 10, QLatin1Char('0')),
                         QByteArray::number(i))
                     .isEmpty());
    QScanResult result;
    QScanThread task(tree.root(), &result, storedSettings(), std::make_shared<CancelToken>());
    task.setAutoDelete(false);
    int seen = 0;
    connect(&task, &QScanThread::addItemFile, &task, [&](qlonglong, const QString &) {
        if (++seen == 5)
            task.stopThread();
    });
    QSignalSpy finished(&task, &QScanThread::finished);
    task.run();
    QCOMPARE(seen, 5);
    QCOMPARE(result.fileCount(), qint64(5));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
}

void TestQScanThread::stopBeforeStartCollectsNothing()
{
    TempTree tree;
    QVERIFY(!tree.writeFile("a.txt", "a").isEmpty());
    QVERIFY(!tree.writeFile("sub/b.txt", "b").isEmpty());
    QScanResult result;
    QScanThread task(tree.root(), &result, storedSettings(), std::make_shared<CancelToken>());
    task.setAutoDelete(false);
    task.stopThread();
    QSignalSpy collected(&task, &QScanThread::addItemFile);
    QSignalSpy finished(&task, &QScanThread::finished);
    task.run();
    QCOMPARE(collected.count(), 0);
    QCOMPARE(result.fileCount(), qint64(0));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
}

void TestQScanThread::emptyFolderOnlyFinishes()
{
    TempTree tree;
    QScanResult result;
    QScanThread task(tree.root(), &result, storedSettings(), std::make_shared<CancelToken>());
    task.setAutoDelete(false);
    QSignalSpy announced(&task, &QScanThread::addNewThread);
    QSignalSpy collected(&task, &QScanThread::addItemFile);
    QSignalSpy finished(&task, &QScanThread::finished);
    task.run();
    QCOMPARE(announced.count() + collected.count(), 0);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
}

void TestQScanThread::suffixes()
{
    QCOMPARE(QScanThread::suffixOf("archive.tar.gz"), QString("gz"));
    QCOMPARE(QScanThread::suffixOf("Movie.AVI"), QString("avi"));
    QVERIFY(QScanThread::suffixOf("README").isEmpty());
    QVERIFY(QScanThread::suffixOf("name.").isEmpty());
}

QTEST_GUILESS_MAIN(TestQScanThread)
#include "tst_qscanthread.moc"
