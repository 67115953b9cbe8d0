#include "imaging/hammingscan.h"

#include <algorithm>
#include <atomic>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TW_X86_KERNELS 1
#endif

namespace {

using Pair = HashIndex::Pair;
using Input = HammingScan::Input;
// Scans rows first .. first + Group - 1 against columns [from, to), all right
// of those rows' diagonals; outs[r] collects row first + r, or is null for a
// row to skip (invalid, or past the end).
constexpr int Group = 4;
using Outputs = std::array<std::vector<Pair> *, Group>;
using GroupScan = void (*)(const Input &, int first, int from, int to, const Outputs &outs);

// Rows are taken a tile at a time against a block of columns small enough to
// stay in the cache: streaming all hashes once per row made the scan wait on
// memory, not on counting.
constexpr int TileRows = 16;
constexpr int BlockColumns = 1024;

std::atomic<int> forcedKernel { -1 };

// The full test of one pair. The vector kernels only call it for the rare
// candidates (about one pair in a thousand at the band radius), so it may
// recount the distance.
[[gnu::always_inline]] inline void consider(const Input &in, int i, int j, std::vector<Pair> &out)
{
    const std::uint64_t query = in.turns[0][i];
    const int d0 = __builtin_popcountll(query ^ in.turns[0][j]);
    const int d1 = __builtin_popcountll(query ^ in.turns[1][j]);
    const int d2 = __builtin_popcountll(query ^ in.turns[2][j]);
    const int d3 = __builtin_popcountll(query ^ in.turns[3][j]);
    const int distance = std::min(std::min(d0, d1), std::min(d2, d3));
    if (distance > in.radius || !in.valid[j])
        return;
    const double a = in.aspects[i];
    const double b = in.aspects[j];
    if (std::max(a, b) / std::min(a, b) > in.maxAspectRatio)
        return;
    out.push_back({ i, j, distance });
}

[[gnu::always_inline]] inline void rowScalar(
    const Input &in, int i, int from, int to, std::vector<Pair> &out)
{
    for (int j = from; j < to; ++j)
        consider(in, i, j, out);
}

[[gnu::always_inline]] inline void groupByRows(
    const Input &in, int first, int from, int to, const Outputs &outs)
{
    for (int r = 0; r < Group; ++r)
        if (outs[std::size_t(r)])
            rowScalar(in, first + r, from, to, *outs[std::size_t(r)]);
}

void groupPortable(const Input &in, int first, int from, int to, const Outputs &outs)
{
    groupByRows(in, first, from, to, outs);
}

#ifdef TW_X86_KERNELS
// The baseline lacks the popcnt instruction, which makes the scalar scan
// several times faster.
[[gnu::target("popcnt")]] void groupPopcnt(
    const Input &in, int first, int from, int to, const Outputs &outs)
{
    groupByRows(in, first, from, to, outs);
}

// AVX2 has no bit count: each nibble is looked up with a byte shuffle and the
// bytes of each 64-bit lane are summed against zero.
[[gnu::target("avx2,popcnt")]] inline __m256i popcount256(__m256i v)
{
    const __m256i table = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4, 0, 1, 1,
        2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    const __m256i nibble = _mm256_set1_epi8(0x0f);
    const __m256i low = _mm256_shuffle_epi8(table, _mm256_and_si256(v, nibble));
    const __m256i high
        = _mm256_shuffle_epi8(table, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
    return _mm256_sad_epu8(_mm256_add_epi8(low, high), _mm256_setzero_si256());
}

[[gnu::target("avx2,popcnt")]] inline __m256i distanceAvx2(
    __m256i query, const std::uint64_t *other)
{
    return popcount256(
        _mm256_xor_si256(query, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(other))));
}

[[gnu::target("avx2,popcnt")]] void rowAvx2(
    const Input &in, int i, int from, int to, std::vector<Pair> &out)
{
    const __m256i query = _mm256_set1_epi64x(static_cast<long long>(in.turns[0][i]));
    const __m256i beyond = _mm256_set1_epi64x(in.radius + 1);
    int j = from;
    for (; j + 4 <= to; j += 4) {
        // The counts fit in the low 32 bits of each lane, the high halves
        // are zero, so a 32-bit minimum serves.
        const __m256i d = _mm256_min_epi32(_mm256_min_epi32(distanceAvx2(query, in.turns[0] + j),
                                               distanceAvx2(query, in.turns[1] + j)),
            _mm256_min_epi32(
                distanceAvx2(query, in.turns[2] + j), distanceAvx2(query, in.turns[3] + j)));
        unsigned hits
            = unsigned(_mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpgt_epi64(beyond, d))));
        while (hits) {
            consider(in, i, j + __builtin_ctz(hits), out);
            hits &= hits - 1;
        }
    }
    for (; j < to; ++j)
        consider(in, i, j, out);
}

[[gnu::target("avx2,popcnt")]] void groupAvx2(
    const Input &in, int first, int from, int to, const Outputs &outs)
{
    for (int r = 0; r < Group; ++r)
        if (outs[std::size_t(r)])
            rowAvx2(in, first + r, from, to, *outs[std::size_t(r)]);
}

[[gnu::target("avx512f,avx512vpopcntdq")]] inline __m512i distanceAvx512(
    __m512i query, __m512i other)
{
    return _mm512_popcnt_epi64(_mm512_xor_si512(query, other));
}

// The masked form with a full mask: the plain one trips a false
// "maybe uninitialized" in this compiler's headers.
[[gnu::target("avx512f")]] inline __m512i minAvx512(__m512i a, __m512i b)
{
    return _mm512_mask_min_epu64(a, __mmask8(0xff), a, b);
}

// Each block of eight columns is loaded once for the whole group of rows:
// with one row at a time the loads, not the bit counts, set the pace.
[[gnu::target("avx512f,avx512vpopcntdq,popcnt")]] void groupAvx512(
    const Input &in, int first, int from, int to, const Outputs &outs)
{
    __m512i queries[Group];
    for (int r = 0; r < Group; ++r) {
        // A skipped row may lie past the end: it borrows the first row's hash.
        const int i = outs[std::size_t(r)] ? first + r : first;
        queries[r] = _mm512_set1_epi64(static_cast<long long>(in.turns[0][i]));
    }
    const __m512i radius = _mm512_set1_epi64(in.radius);
    const std::uint64_t *const turn0 = in.turns[0];
    const std::uint64_t *const turn1 = in.turns[1];
    const std::uint64_t *const turn2 = in.turns[2];
    const std::uint64_t *const turn3 = in.turns[3];
    for (int j = from; j < to; j += 8) {
        // The last lanes past the block are masked off, in the loads too.
        const __mmask8 lanes = to - j >= 8 ? __mmask8(0xff) : __mmask8((1u << (to - j)) - 1);
        const __m512i t0 = _mm512_maskz_loadu_epi64(lanes, turn0 + j);
        const __m512i t1 = _mm512_maskz_loadu_epi64(lanes, turn1 + j);
        const __m512i t2 = _mm512_maskz_loadu_epi64(lanes, turn2 + j);
        const __m512i t3 = _mm512_maskz_loadu_epi64(lanes, turn3 + j);
        // All rows are tested before any branch: a hit among the 32 pairs
        // is rare (a few per cent at the band radius).
        unsigned hits[Group];
#pragma GCC unroll 4
        for (int r = 0; r < Group; ++r) {
            const __m512i q = queries[r];
            const __m512i d = minAvx512(minAvx512(distanceAvx512(q, t0), distanceAvx512(q, t1)),
                minAvx512(distanceAvx512(q, t2), distanceAvx512(q, t3)));
            hits[r] = _mm512_mask_cmple_epu64_mask(lanes, d, radius);
        }
        if (!(hits[0] | hits[1] | hits[2] | hits[3]))
            continue;
        for (int r = 0; r < Group; ++r) {
            if (!outs[std::size_t(r)])
                continue;
            for (unsigned h = hits[r]; h; h &= h - 1)
                consider(in, first + r, j + __builtin_ctz(h), *outs[std::size_t(r)]);
        }
    }
}
#endif

GroupScan groupScanFor(HammingScan::Kernel kernel)
{
    switch (kernel) {
#ifdef TW_X86_KERNELS
    case HammingScan::Kernel::Avx512:
        return groupAvx512;
    case HammingScan::Kernel::Avx2:
        return groupAvx2;
    case HammingScan::Kernel::Popcnt:
        return groupPopcnt;
#endif
    default:
        return groupPortable;
    }
}

HammingScan::Kernel fastest()
{
    for (const HammingScan::Kernel kernel :
        { HammingScan::Kernel::Avx512, HammingScan::Kernel::Avx2, HammingScan::Kernel::Popcnt })
        if (HammingScan::supported(kernel))
            return kernel;
    return HammingScan::Kernel::Portable;
}

} // namespace

void HammingScan::run(const Input &in, int firstRow, int lastRow, std::vector<Pair> &pairs)
{
    const GroupScan scanGroup = groupScanFor(active());
    std::array<std::vector<Pair>, TileRows> rows;
    for (int tile = firstRow; tile < lastRow; tile += TileRows) {
        const int tileEnd = std::min(lastRow, tile + TileRows);
        for (int block = tile + 1; block < in.count; block += BlockColumns) {
            const int blockEnd = std::min(in.count, block + BlockColumns);
            for (int first = tile; first < tileEnd; first += Group) {
                Outputs outs {};
                for (int r = 0; r < Group && first + r < tileEnd; ++r)
                    if (in.valid[first + r])
                        outs[std::size_t(r)] = &rows[std::size_t(first + r - tile)];
                // The few columns on the diagonal that only some rows of the
                // group reach are tested one by one.
                const int from = std::max(block, first + Group);
                for (int r = 0; r < Group; ++r)
                    if (outs[std::size_t(r)])
                        for (int j = std::max(block, first + r + 1); j < std::min(from, blockEnd);
                             ++j)
                            consider(in, first + r, j, *outs[std::size_t(r)]);
                if (from < blockEnd)
                    scanGroup(in, first, from, blockEnd, outs);
            }
        }
        for (std::vector<Pair> &r : rows) {
            pairs.insert(pairs.end(), r.begin(), r.end());
            r.clear();
        }
    }
}

bool HammingScan::supported(Kernel kernel)
{
    switch (kernel) {
#ifdef TW_X86_KERNELS
    case Kernel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vpopcntdq");
    case Kernel::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    case Kernel::Popcnt:
        return __builtin_cpu_supports("popcnt");
#endif
    case Kernel::Portable:
        return true;
    default:
        return false;
    }
}

HammingScan::Kernel HammingScan::active()
{
    static const Kernel best = fastest();
    const int forced = forcedKernel.load(std::memory_order_relaxed);
    return forced < 0 ? best : Kernel(forced);
}

bool HammingScan::force(Kernel kernel)
{
    if (!supported(kernel))
        return false;
    forcedKernel.store(int(kernel), std::memory_order_relaxed);
    return true;
}

void HammingScan::unforce()
{
    forcedKernel.store(-1, std::memory_order_relaxed);
}

const char *HammingScan::name(Kernel kernel)
{
    switch (kernel) {
    case Kernel::Avx512:
        return "avx512";
    case Kernel::Avx2:
        return "avx2";
    case Kernel::Popcnt:
        return "popcnt";
    case Kernel::Portable:
        break;
    }
    return "portable";
}
