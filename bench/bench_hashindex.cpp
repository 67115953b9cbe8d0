// How the search for candidate pairs grows with the number of images: random
// 64-bit hashes (with their rotations) plus planted near copies, all pairs
// within the band radius, searched as the similar-image pass does it: blocks
// of rows on a pool, here two threads. Every planted pair must be found, or
// the case reports an error.

#include <random>
#include <set>
#include <utility>

#include <QThreadPool>

#include <benchmark/benchmark.h>

#include "engine/parallelfor.h"
#include "imaging/hammingscan.h"
#include "imaging/hashindex.h"
#include "model/similaritythresholds.h"

namespace {

std::uint64_t flipBits(std::uint64_t hash, int bits, std::mt19937_64 &random)
{
    std::uniform_int_distribution<int> position(0, 63);
    std::set<int> chosen;
    while (int(chosen.size()) < bits)
        chosen.insert(position(random));
    for (const int bit : chosen)
        hash ^= std::uint64_t(1) << bit;
    return hash;
}

PerceptualHash randomHash(std::mt19937_64 &random)
{
    return PerceptualHash::fromHashes({ random(), random(), random(), random() });
}

void BM_PairsWithinBand(benchmark::State &state)
{
    const int count = int(state.range(0));
    const SimilarityThresholds thresholds;
    std::mt19937_64 random(12345);
    std::uniform_int_distribution<int> distance(0, thresholds.bandRadius);
    HashIndex index;
    // One image in ten has a near copy: a hash differing in up to the band
    // radius bits from the original's hash.
    std::vector<std::pair<int, int>> planted;
    for (int i = 0; i < count;) {
        const PerceptualHash original = randomHash(random);
        index.add(original, 1.5);
        ++i;
        if (i % 10 == 0 && i < count) {
            const std::uint64_t near = flipBits(original.upright(), distance(random), random);
            index.add(PerceptualHash::fromHashes({ near, random(), random(), random() }), 1.5);
            planted.emplace_back(i - 1, i);
            ++i;
        }
    }
    // The calling thread takes a share and starts one helper: two threads.
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    constexpr int Blocks = 64;
    std::size_t found = 0;
    for (auto _ : state) {
        index.prepare(thresholds.bandRadius);
        std::vector<std::vector<HashIndex::Pair>> blocks(Blocks);
        ParallelFor::run(&pool, Blocks, [&](int block) {
            blocks[std::size_t(block)] = index.pairsWithin(thresholds.bandRadius,
                thresholds.maxAspectRatio, count * block / Blocks, count * (block + 1) / Blocks);
        });
        std::vector<HashIndex::Pair> pairs;
        for (const std::vector<HashIndex::Pair> &block : blocks)
            pairs.insert(pairs.end(), block.begin(), block.end());
        benchmark::DoNotOptimize(pairs.data());
        state.PauseTiming();
        std::set<std::pair<int, int>> got;
        for (const HashIndex::Pair &pair : pairs)
            got.emplace(pair.first, pair.second);
        found = pairs.size();
        for (const auto &pair : planted)
            if (!got.count(pair)) {
                state.SkipWithError("a planted pair was not found");
                break;
            }
        state.ResumeTiming();
    }
    state.counters["planted"] = double(planted.size());
    state.counters["pairs"] = double(found);
    state.counters["scan"] = HashIndex::scansAt(thresholds.bandRadius) ? 1 : 0;
    state.SetLabel(HammingScan::name(HammingScan::active()));
}

// One thread, each scan kernel this processor has, on 20,000 random hashes:
// pairs of images (four rotations each) tested per second by each kernel.
void BM_ScanKernel(benchmark::State &state)
{
    const auto kernel = HammingScan::Kernel(state.range(0));
    if (!HammingScan::force(kernel)) {
        state.SkipWithError("not supported by this processor");
        return;
    }
    const SimilarityThresholds thresholds;
    std::mt19937_64 random(54321);
    HashIndex index;
    constexpr int Count = 20000;
    for (int i = 0; i < Count; ++i)
        index.add(randomHash(random), 1.5);
    for (auto _ : state) {
        const std::vector<HashIndex::Pair> pairs
            = index.pairsWithin(thresholds.bandRadius, thresholds.maxAspectRatio);
        benchmark::DoNotOptimize(pairs.data());
    }
    HammingScan::unforce();
    state.SetLabel(HammingScan::name(kernel));
    state.counters["pairs_per_s"] = benchmark::Counter(
        double(Count) * (Count - 1) / 2, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_ScanKernel)
    ->DenseRange(int(HammingScan::Kernel::Portable), int(HammingScan::Kernel::Avx512))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

BENCHMARK(BM_PairsWithinBand)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

BENCHMARK_MAIN();
