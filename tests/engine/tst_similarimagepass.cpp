#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

#include <atomic>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "engine/parallelfor.h"
#include "engine/scanengine.h"
#include "engine/similarimagepass.h"
#include "engine/twsearchresult.h"
#include "model/canceltoken.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/imaging/testimages.h"
#include "tests/support/temptree.h"

namespace {

constexpr int Timeout = 120000;

cv::Mat greyscale(const cv::Mat &bgr)
{
    cv::Mat grey;
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    return grey;
}

cv::Mat brighter(const cv::Mat &bgr)
{
    cv::Mat result;
    bgr.convertTo(result, -1, 1.1, 0);
    return result;
}

// A folder of scenes, each with the kinds of copy people make, and lone
// scenes that are like nothing; the paths of each scene's family.
QList<QStringList> writeFamilies(const TempTree &tree, int families, int loners)
{
    QList<QStringList> expected;
    for (int f = 0; f < families; ++f) {
        const cv::Mat scene = TestImages::scene(100 + f, cv::Size(800, 600), (f * 37) % 180);
        const QString stem = QStringLiteral("family%1/").arg(f);
        cv::Mat turned;
        cv::rotate(scene, turned, cv::ROTATE_90_CLOCKWISE);
        QStringList paths {
            tree.writeFile(stem + "original.jpg", TestImages::encode(scene, ".jpg")),
            tree.writeFile(stem + "half.jpg",
                TestImages::encode(TestImages::resized(scene, cv::Size(400, 300)), ".jpg")),
            tree.writeFile(stem + "quarter.png",
                TestImages::encode(TestImages::resized(scene, cv::Size(200, 150)), ".png")),
            tree.writeFile(stem + "q60.jpg", TestImages::encode(scene, ".jpg", 60)),
            tree.writeFile(stem + "grey.jpg", TestImages::encode(greyscale(scene), ".jpg")),
            tree.writeFile(stem + "brighter.jpg", TestImages::encode(brighter(scene), ".jpg")),
            tree.writeFile(stem + "turned.jpg", TestImages::encode(turned, ".jpg")),
            tree.writeFile(stem + "crop.jpg",
                TestImages::encode(scene(cv::Rect(20, 15, 760, 570)).clone(), ".jpg")),
        };
        paths.sort();
        expected.append(paths);
    }
    for (int i = 0; i < loners; ++i)
        tree.writeFile(QStringLiteral("alone/scene%1.jpg").arg(i),
            TestImages::encode(
                TestImages::scene(500 + i, cv::Size(640, 480), (i * 53) % 180), ".jpg"));
    return expected;
}

// Groups as lists of paths, in the order the results hold them.
QList<QStringList> groupsOf(const TwSearchResult &result)
{
    QList<QStringList> groups;
    const auto containers = result.containers();
    for (const TwCatalogContainer *container : containers)
        for (const TwFileItemGroup *group : container->groups()) {
            QStringList members;
            for (const TwFileItem *item : group->items())
                members.append(item->filePath());
            groups.append(members);
        }
    return groups;
}

QList<QStringList> sortedMembers(QList<QStringList> groups)
{
    for (QStringList &group : groups)
        group.sort();
    return groups;
}

QList<QStringList> scan(const QString &root, int threads)
{
    ScanEngine engine;
    engine.threadPool()->setMaxThreadCount(threads);
    QSignalSpy ended(&engine, &ScanEngine::scanEnded);
    if (!engine.BeginScanCatalogue({ root }, ScanSettings()))
        return {};
    if (!ended.wait(Timeout))
        return {};
    engine.threadPool()->waitForDone(-1);
    QCoreApplication::processEvents();
    return groupsOf(*engine.searchResult());
}

} // namespace

class TestSimilarImagePass : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }

    void everyCopyJoinsItsFamilyWhateverTheThreads()
    {
        TempTree tree;
        const QList<QStringList> families = writeFamilies(tree, 4, 6);
        const QList<QStringList> one = scan(tree.root(), 1);
        const QList<QStringList> eight = scan(tree.root(), 8);
        const QList<QStringList> again = scan(tree.root(), 8);
        QCOMPARE(sortedMembers(one), families);
        // Same groups, same members, same order.
        QCOMPARE(eight, one);
        QCOMPARE(again, one);
    }

    void exactCopiesTakePartAsOneUnit()
    {
        TempTree tree;
        const cv::Mat scene = TestImages::scene(7, cv::Size(800, 600), 120);
        const QByteArray original = TestImages::encode(scene, ".jpg");
        const QString a = tree.writeFile("a.jpg", original);
        const QString b = tree.writeFile("b/a-copy.jpg", original);
        const QString c = tree.writeFile(
            "c.jpg", TestImages::encode(TestImages::resized(scene, cv::Size(400, 300)), ".jpg"));
        tree.writeFile(
            "d.jpg", TestImages::encode(TestImages::scene(8, cv::Size(640, 480), 10), ".jpg"));

        ScanEngine engine;
        QSignalSpy ended(&engine, &ScanEngine::scanEnded);
        QVERIFY(engine.BeginScanCatalogue({ tree.root() }, ScanSettings()));
        QVERIFY(ended.wait(Timeout));
        engine.threadPool()->waitForDone(-1);
        const TwSearchResult &result = *engine.searchResult();
        QCOMPARE(sortedMembers(groupsOf(result)), QList<QStringList>({ { a, b, c } }));
        const TwFileItemGroup *group = result.containers().first()->groups().first();
        // The copies share a key, the similar image has its own.
        QCOMPARE(group->keyCount(), 2);
        QCOMPARE(result.numberOfDuplicateFiles(), qint64(2));
        QCOMPARE(result.bytesOfDuplicateFiles(), qint64(original.size() + QFileInfo(c).size()));
    }

    void chainOfLikenessesIsOneGroup()
    {
        // Each step alone is a small change; the ends are further apart than
        // any single pair, yet they belong together.
        TempTree tree;
        const cv::Mat scene = TestImages::scene(21, cv::Size(800, 600), 40);
        const cv::Mat half = TestImages::resized(scene, cv::Size(400, 300));
        const cv::Mat halfGrey = greyscale(half);
        QStringList paths { tree.writeFile("1.jpg", TestImages::encode(scene, ".jpg")),
            tree.writeFile("2.jpg", TestImages::encode(half, ".jpg", 70)),
            tree.writeFile("3.jpg", TestImages::encode(halfGrey, ".jpg", 60)) };
        SimilarImagePass pass(paths, SimilarityThresholds());
        CancelToken cancel;
        QThreadPool pool;
        QVERIFY(pass.run(&pool, cancel));
        QCOMPARE(pass.groups(), std::vector<std::vector<int>>({ { 0, 1, 2 } }));
        QCOMPARE(pass.statistics().readable, 3);
        // No pair in the band, or all of its descriptors were let go.
        QVERIFY(pass.statistics().mostDescriptorsHeld <= pass.statistics().descriptorsComputed);
    }

    void cancelledPassFilesNothing()
    {
        TempTree tree;
        writeFamilies(tree, 1, 0);
        QStringList paths;
        for (const char *name : { "crop.jpg", "half.jpg", "original.jpg" })
            paths.append(tree.path(QStringLiteral("family0/") + QLatin1String(name)));
        SimilarImagePass pass(paths, SimilarityThresholds());
        CancelToken cancel;
        cancel.cancel();
        QThreadPool pool;
        QVERIFY(!pass.run(&pool, cancel));
        QVERIFY(pass.groups().empty());
        QCOMPARE(pass.statistics().readable, 0);
    }

    void parallelForRunsEachIndexOnceEvenInsideAOneThreadPool()
    {
        QThreadPool pool;
        pool.setMaxThreadCount(1);
        std::vector<std::atomic<int>> runs(200);
        std::atomic_bool finished { false };
        // Called from the pool's only thread: the helpers it queues cannot
        // start until it returns, so it must do all the work itself.
        pool.start(QRunnable::create([&] {
            ParallelFor::run(&pool, int(runs.size()), [&](int i) { ++runs[std::size_t(i)]; });
            finished = true;
        }));
        QTRY_VERIFY_WITH_TIMEOUT(finished, 10000);
        pool.waitForDone(-1);
        for (const std::atomic<int> &count : runs)
            QCOMPARE(count.load(), 1);

        QThreadPool wide;
        wide.setMaxThreadCount(8);
        std::vector<std::atomic<int>> more(1000);
        ParallelFor::run(&wide, int(more.size()), [&](int i) { ++more[std::size_t(i)]; });
        for (const std::atomic<int> &count : more)
            QCOMPARE(count.load(), 1);
        ParallelFor::run(&wide, 0, [](int) { QFAIL("no index to run"); });
    }
};

QTEST_GUILESS_MAIN(TestSimilarImagePass)
#include "tst_similarimagepass.moc"
