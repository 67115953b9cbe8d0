#include <algorithm>
#include <random>

#include <QtTest>

#include "model/similarclusters.h"

namespace {

// Groups as lists of paths, so results from different input orders compare.
QList<QStringList> named(const QStringList &paths, const std::vector<std::vector<int>> &groups)
{
    QList<QStringList> result;
    for (const auto &group : groups) {
        QStringList names;
        for (const int i : group)
            names << paths[i];
        result << names;
    }
    return result;
}

} // namespace

class TestSimilarClusters : public QObject {
    Q_OBJECT

private slots:
    void chainedPairsFormOneGroup()
    {
        const QStringList paths { "/p/c.jpg", "/p/a.jpg", "/p/x.jpg", "/p/b.jpg" };
        // a~b and b~c, but a and c were never compared directly.
        const auto groups = SimilarClusters::group(paths, { { 1, 3 }, { 3, 0 } });
        QCOMPARE(named(paths, groups), (QList<QStringList> { { "/p/a.jpg", "/p/b.jpg", "/p/c.jpg" } }));
    }

    void separateSetsStaySeparateAndOrderedByPath()
    {
        const QStringList paths { "/z/1", "/z/2", "/a/1", "/a/2", "/m/lonely" };
        const auto groups = SimilarClusters::group(paths, { { 1, 0 }, { 3, 2 }, { 9, 0 }, { 4, 4 } });
        QCOMPARE(named(paths, groups), (QList<QStringList> { { "/a/1", "/a/2" }, { "/z/1", "/z/2" } }));
    }

    void shuffledInputGivesIdenticalGroups()
    {
        QStringList paths;
        for (int i = 0; i < 60; ++i)
            paths << QString("/photos/%1.jpg").arg(i, 3, 10, QChar('0'));
        std::vector<std::pair<int, int>> pairs;
        std::mt19937 rng(11);
        for (int i = 0; i < 45; ++i)
            pairs.emplace_back(int(rng() % 60), int(rng() % 60));
        const QList<QStringList> reference = named(paths, SimilarClusters::group(paths, pairs));
        QVERIFY(reference.size() > 1);
        for (int round = 0; round < 5; ++round) {
            // Renumber the images and reorder and flip the pairs, as another run's threads might.
            std::vector<int> order(60);
            std::iota(order.begin(), order.end(), 0);
            std::shuffle(order.begin(), order.end(), rng);
            QStringList shuffledPaths;
            std::vector<int> newIndex(60);
            for (int k = 0; k < 60; ++k) {
                shuffledPaths << paths[order[std::size_t(k)]];
                newIndex[std::size_t(order[std::size_t(k)])] = k;
            }
            std::vector<std::pair<int, int>> shuffledPairs;
            for (const auto &[a, b] : pairs)
                shuffledPairs.emplace_back(newIndex[std::size_t(b)], newIndex[std::size_t(a)]);
            std::shuffle(shuffledPairs.begin(), shuffledPairs.end(), rng);
            QCOMPARE(named(shuffledPaths, SimilarClusters::group(shuffledPaths, shuffledPairs)), reference);
        }
    }
};

QTEST_APPLESS_MAIN(TestSimilarClusters)
#include "tst_similarclusters.moc"
