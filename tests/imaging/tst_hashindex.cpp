#include <random>

#include <QtTest>

#include "imaging/hashindex.h"

namespace {

constexpr int Radius = 18;

struct Fixture {
    std::vector<PerceptualHash> hashes;
    std::vector<std::pair<int, int>> planted;
};

std::uint64_t flipped(std::uint64_t value, int bits, std::mt19937_64 &rng)
{
    std::vector<int> positions(64);
    std::iota(positions.begin(), positions.end(), 0);
    std::shuffle(positions.begin(), positions.end(), rng);
    for (int b = 0; b < bits; ++b)
        value ^= std::uint64_t(1) << positions[std::size_t(b)];
    return value;
}

PerceptualHash randomHash(std::mt19937_64 &rng)
{
    return PerceptualHash::fromHashes({ rng(), rng(), rng(), rng() });
}

// Random hashes with near copies planted at every distance up to the
// radius, some of them matching a rotation rather than the upright hash.
Fixture plantedFixture(int count, unsigned seed)
{
    std::mt19937_64 rng(seed);
    Fixture f;
    for (int i = 0; i < count; ++i) {
        f.hashes.push_back(randomHash(rng));
        if (i % 10 == 0) {
            const int turn = (i / 10) % 4;
            std::array<std::uint64_t, 4> copy { rng(), rng(), rng(), rng() };
            copy[std::size_t(turn)]
                = flipped(f.hashes.back().upright(), (i / 10) % (Radius + 1), rng);
            f.planted.emplace_back(int(f.hashes.size()) - 1, int(f.hashes.size()));
            f.hashes.push_back(PerceptualHash::fromHashes(copy));
        }
    }
    return f;
}

std::vector<HashIndex::Pair> bruteForce(const std::vector<PerceptualHash> &hashes, int radius)
{
    std::vector<HashIndex::Pair> pairs;
    for (int i = 0; i < int(hashes.size()); ++i)
        for (int j = i + 1; j < int(hashes.size()); ++j) {
            const int d = hashes[std::size_t(i)].distance(hashes[std::size_t(j)]);
            if (d <= radius)
                pairs.push_back({ i, j, d });
        }
    return pairs;
}

} // namespace

class TestHashIndex : public QObject {
    Q_OBJECT

private slots:
    void findsExactlyThePairsAnExhaustiveSearchFinds()
    {
        const Fixture f = plantedFixture(3000, 7);
        HashIndex index;
        for (const PerceptualHash &h : f.hashes)
            index.add(h, 1.5);
        const std::vector<HashIndex::Pair> found = index.pairsWithin(Radius, 1.25);
        QVERIFY(found == bruteForce(f.hashes, Radius));
        for (const auto &planted : f.planted) {
            const bool present
                = std::any_of(found.begin(), found.end(), [&](const HashIndex::Pair &p) {
                      return p.first == planted.first && p.second == planted.second;
                  });
            QVERIFY2(present, qPrintable(QString("%1-%2").arg(planted.first).arg(planted.second)));
        }
    }

    void blocksOfRowsJoinToTheWholeSearch()
    {
        // Both ways of searching (chunk tables at a small radius, the scan at
        // the band's), split into uneven blocks as the pass does on its pool.
        const Fixture f = plantedFixture(1500, 11);
        HashIndex index;
        for (const PerceptualHash &h : f.hashes)
            index.add(h, 1.5);
        for (const int radius : { 8, Radius }) {
            index.prepare(radius);
            std::vector<HashIndex::Pair> joined;
            const int n = index.size();
            for (const int first : { 0, 1, 700, n - 1 }) {
                const int last = first == 0 ? 1 : first == 1 ? 700 : first == 700 ? n - 1 : n;
                const std::vector<HashIndex::Pair> block
                    = index.pairsWithin(radius, 1.25, first, last);
                joined.insert(joined.end(), block.begin(), block.end());
            }
            QVERIFY(joined == bruteForce(f.hashes, radius));
            QVERIFY(!joined.empty());
        }
        QVERIFY(!HashIndex::scansAt(8));
        QVERIFY(HashIndex::scansAt(Radius));
    }

    void skipsPairsOfVeryDifferentAspect()
    {
        std::mt19937_64 rng(3);
        const PerceptualHash a = randomHash(rng);
        const PerceptualHash b
            = PerceptualHash::fromHashes({ flipped(a.upright(), 2, rng), rng(), rng(), rng() });
        HashIndex index;
        index.add(a, 1.0);
        index.add(b, 3.0);
        index.add(b, 1.1);
        const std::vector<HashIndex::Pair> found = index.pairsWithin(Radius, 1.25);
        // The wide copy is skipped against both, even against its own hash.
        QCOMPARE(int(found.size()), 1);
        QCOMPARE(found[0].first, 0);
        QCOMPARE(found[0].second, 2);
    }

    void invalidHashesPairWithNothing()
    {
        std::mt19937_64 rng(5);
        const PerceptualHash a = randomHash(rng);
        HashIndex index;
        index.add(a, 1.0);
        index.add(PerceptualHash(), 1.0);
        index.add(PerceptualHash(), 1.0);
        index.add(a, 1.0);
        const std::vector<HashIndex::Pair> found = index.pairsWithin(Radius, 2.0);
        QCOMPARE(int(found.size()), 1);
        QCOMPARE(found[0].distance, 0);
    }
};

QTEST_APPLESS_MAIN(TestHashIndex)
#include "tst_hashindex.moc"
