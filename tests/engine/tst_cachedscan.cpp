#include <QSignalSpy>
#include <QtTest>

#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "model/filecache.h"
#include "model/scansettings.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitemgroup.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/temptree.h"

namespace {

constexpr int Timeout = 60000;

// Exact copies, copies of a picture, lone pictures and files of one size with
// other contents.
void fillTree(const TempTree &tree)
{
    for (int i = 0; i < 6; ++i)
        tree.writeFile(QStringLiteral("photos/p%1.png").arg(i), drawnPng(quint32(20 + i)));
    // A larger copy of one of them: similar, not the same bytes.
    const QImage larger = QImage::fromData(drawnPng(21)).scaled(192, 128);
    larger.save(tree.path("photos/p1-large.png"));
    // Which copy heads a set follows the walk's order, so a second scan may
    // ask for the features of another copy: these stay out of "photos".
    tree.writeFile("copies/p0.png", drawnPng(20));
    tree.writeFile("copies/other/p0-again.png", drawnPng(20));
    for (int i = 0; i < 4; ++i) {
        tree.writeFile(QStringLiteral("data/a%1.bin").arg(i), randomBytes(quint32(i), 70000));
        tree.writeFile(QStringLiteral("data/b%1.bin").arg(i), randomBytes(quint32(i % 2), 70000));
    }
}

QStringList groupsOf(const TwSearchResult &result)
{
    QStringList groups;
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it)
        for (const TwFileItemGroup *group : it.value()->groups()) {
            QStringList paths;
            for (const TwFileItem *item : group->items())
                paths.append(item->filePath());
            paths.sort();
            groups.append(it.key() + ":" + paths.join(","));
        }
    groups.sort();
    return groups;
}

FileCache::Options cacheAt(const QString &path)
{
    FileCache::Options options;
    options.path = path;
    options.quietNs = 0;
    return options;
}

bool scan(ScanEngine &engine, const QString &folder, bool cacheOn)
{
    QSignalSpy ended(&engine, &ScanEngine::scanEnded);
    ScanSettings settings;
    settings.cacheEnabled = cacheOn;
    return engine.BeginScanCatalogue({ folder }, settings) && ended.wait(Timeout)
        && !ended.first().at(0).toBool();
}

} // namespace

class TestCachedScan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }
    void secondScanReadsFromTheCache();
    void cacheOffWritesNothing();
    void parallelScansShareTheCache();
};

void TestCachedScan::secondScanReadsFromTheCache()
{
    TempTree tree;
    fillTree(tree);
    const QString cachePath = tree.path("cache/cache.sqlite");
    ScanEngine plain;
    QVERIFY(scan(plain, tree.path("photos"), false));
    const QStringList photos = groupsOf(*plain.searchResult());
    QVERIFY(!photos.isEmpty());

    ScanEngine engine;
    engine.setCacheOptions(cacheAt(cachePath));
    QVERIFY(scan(engine, tree.path("photos"), true));
    QCOMPARE(engine.fileCache()->hits(), 0);
    QVERIFY(scan(engine, tree.path("photos"), true));
    QCOMPARE(groupsOf(*engine.searchResult()), photos);
    // Every image's features and every fingerprint came from the cache:
    // nothing was decoded.
    QCOMPARE(engine.fileCache()->misses(), 0);
    QVERIFY(engine.fileCache()->hits() >= 6);
}

void TestCachedScan::cacheOffWritesNothing()
{
    TempTree tree;
    fillTree(tree);
    const QString cachePath = tree.path("cache/cache.sqlite");
    ScanEngine engine;
    engine.setCacheOptions(cacheAt(cachePath));
    QVERIFY(scan(engine, tree.root(), false));
    QVERIFY(engine.fileCache() == nullptr);
    QVERIFY(!QFileInfo::exists(tree.path("cache")));
    QVERIFY(scan(engine, tree.root(), true));
    QVERIFY(QFileInfo::exists(cachePath));
}

void TestCachedScan::parallelScansShareTheCache()
{
    TempTree tree;
    fillTree(tree);
    const QString cachePath = tree.path("cache/cache.sqlite");
    ScanEngine plain;
    // Without the copies of images: every member of a set is looked up, but
    // only the head of a set of images, and which one heads it varies.
    const QStringList folders { tree.path("photos"), tree.path("data") };
    QVERIFY(plain.BeginScanCatalogue(folders, ScanSettings()));
    QTRY_VERIFY_WITH_TIMEOUT(!plain.isRunning(), Timeout);
    const QStringList expected = groupsOf(*plain.searchResult());

    ScanEngine first, second;
    first.setCacheOptions(cacheAt(cachePath));
    second.setCacheOptions(cacheAt(cachePath));
    QSignalSpy firstEnded(&first, &ScanEngine::scanEnded);
    QSignalSpy secondEnded(&second, &ScanEngine::scanEnded);
    ScanSettings settings;
    settings.cacheEnabled = true;
    QVERIFY(first.BeginScanCatalogue(folders, settings));
    QVERIFY(second.BeginScanCatalogue(folders, settings));
    QTRY_VERIFY_WITH_TIMEOUT(firstEnded.count() == 1 && secondEnded.count() == 1, Timeout);
    QCOMPARE(groupsOf(*first.searchResult()), expected);
    QCOMPARE(groupsOf(*second.searchResult()), expected);

    QVERIFY(first.BeginScanCatalogue(folders, settings));
    QTRY_VERIFY_WITH_TIMEOUT(firstEnded.count() == 2, Timeout);
    QCOMPARE(groupsOf(*first.searchResult()), expected);
    QCOMPARE(first.fileCache()->misses(), 0);
}

QTEST_GUILESS_MAIN(TestCachedScan)
#include "tst_cachedscan.moc"
