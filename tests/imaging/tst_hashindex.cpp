#include <random>

#include <QtTest>

#include "imaging/hammingscan.h"
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

// As bruteForce(), with the aspect filter and invalid hashes.
std::vector<HashIndex::Pair> bruteForce(const std::vector<PerceptualHash> &hashes,
    const std::vector<double> &aspects, int radius, double maxAspectRatio)
{
    std::vector<HashIndex::Pair> pairs;
    for (int i = 0; i < int(hashes.size()); ++i)
        for (int j = i + 1; j < int(hashes.size()); ++j) {
            const PerceptualHash &a = hashes[std::size_t(i)];
            const PerceptualHash &b = hashes[std::size_t(j)];
            const double wide = std::max(aspects[std::size_t(i)], aspects[std::size_t(j)]);
            const double narrow = std::min(aspects[std::size_t(i)], aspects[std::size_t(j)]);
            if (!a.isValid() || !b.isValid() || wide / narrow > maxAspectRatio)
                continue;
            const int d = a.distance(b);
            if (d <= radius)
                pairs.push_back({ i, j, d });
        }
    return pairs;
}

const std::vector<HammingScan::Kernel> &allKernels()
{
    static const std::vector<HammingScan::Kernel> kernels { HammingScan::Kernel::Portable,
        HammingScan::Kernel::Popcnt, HammingScan::Kernel::Avx2, HammingScan::Kernel::Avx512 };
    return kernels;
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

    void everyScanKernelFindsTheExhaustivePairs()
    {
        // Sizes below, at and past the vector widths, the row groups, the
        // row tiles and a block of columns; some hashes invalid and some
        // aspects too different, so the per-pair tests after the vector
        // test are exercised too. Blocks of rows start off the group grid.
        const Fixture f = plantedFixture(2000, 13);
        std::mt19937_64 rng(17);
        std::uniform_int_distribution<int> aspectKind(0, 9);
        std::vector<PerceptualHash> hashes = f.hashes;
        std::vector<double> aspects;
        for (std::size_t i = 0; i < hashes.size(); ++i) {
            if (i % 37 == 5)
                hashes[i] = PerceptualHash();
            aspects.push_back(aspectKind(rng) == 0 ? 2.0 : 1.0);
        }
        int ran = 0;
        for (const HammingScan::Kernel kernel : allKernels()) {
            if (!HammingScan::force(kernel))
                continue;
            ++ran;
            for (const int n : { 1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 33, 1030, int(hashes.size()) }) {
                const std::vector<PerceptualHash> part(hashes.begin(), hashes.begin() + n);
                HashIndex index;
                for (int i = 0; i < n; ++i)
                    index.add(part[std::size_t(i)], aspects[std::size_t(i)]);
                const std::vector<double> partAspects(aspects.begin(), aspects.begin() + n);
                const std::vector<HashIndex::Pair> expected
                    = bruteForce(part, partAspects, Radius, 1.25);
                const QString where = QString("%1, n = %2").arg(HammingScan::name(kernel)).arg(n);
                QVERIFY2(index.pairsWithin(Radius, 1.25) == expected, qPrintable(where));
                std::vector<HashIndex::Pair> joined;
                for (const auto &[first, last] : { std::pair { 0, 3 }, { 3, 19 }, { 19, n } }) {
                    const std::vector<HashIndex::Pair> block
                        = index.pairsWithin(Radius, 1.25, first, last);
                    joined.insert(joined.end(), block.begin(), block.end());
                }
                QVERIFY2(joined == expected, qPrintable(where));
            }
        }
        HammingScan::unforce();
        QVERIFY(ran >= 1);
        QVERIFY(HammingScan::supported(HammingScan::Kernel::Portable));
        QVERIFY(HammingScan::supported(HammingScan::active()));
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
