#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/perceptualhash.h"

// Finds every pair of images whose hashes lie within a radius. At small radii
// it uses multi-index hashing on four 16-bit chunks: if two hashes differ in
// at most r bits, one of the chunks differs in at most r/4, so only the
// buckets near each of a query's chunks are visited. At wide radii those
// buckets hold a large share of all images anyway (at 18 bits, over half of
// random hashes against some rotation), so a flat scan with the processor's
// bit count (see HammingScan) is faster; both give the same pairs.
class HashIndex {
public:
    struct Pair {
        int first = 0; // first < second, indices into the added images
        int second = 0;
        int distance = 0;
        bool operator==(const Pair &o) const
        {
            return first == o.first && second == o.second && distance == o.distance;
        }
    };

    // `aspect` is the image's long side over its short side (>= 1).
    void add(const PerceptualHash &hash, double aspect);

    // All pairs within `radius` (smallest distance over rotations), skipping
    // pairs whose aspects differ by more than `maxAspectRatio`; sorted by
    // (first, second), the same for any order of evaluation.
    std::vector<Pair> pairsWithin(int radius, double maxAspectRatio) const;
    // The pairs whose first image lies in [firstRow, lastRow): blocks of rows
    // may be searched on several threads and joined in row order, once
    // prepare() has been called for the radius.
    std::vector<Pair> pairsWithin(
        int radius, double maxAspectRatio, int firstRow, int lastRow) const;

    // Builds what a search at `radius` needs; call before searching blocks
    // of rows on several threads, after the last add().
    void prepare(int radius) const;

    int size() const { return int(m_hashes.size()); }
    // Whether a search at `radius` scans instead of using the chunk tables.
    static bool scansAt(int radius);

private:
    static constexpr int Chunks = 4;
    static constexpr int ChunkBits = 16;

    struct Table {
        std::vector<int> offsets; // bucket start per chunk value, plus the end
        std::vector<int> entries; // image * 4 + rotation
    };

    void build() const;
    std::vector<Pair> chunkSearch(
        int radius, double maxAspectRatio, int firstRow, int lastRow) const;
    std::vector<Pair> scan(int radius, double maxAspectRatio, int firstRow, int lastRow) const;
    static std::vector<std::uint16_t> masksUpTo(int bits);

    std::vector<PerceptualHash> m_hashes;
    std::vector<double> m_aspects;
    // Rotation k of image i at m_turns[k][i], laid out for the vector scan.
    std::array<std::vector<std::uint64_t>, 4> m_turns;
    std::vector<unsigned char> m_valid;
    mutable std::array<Table, Chunks> m_tables;
    mutable bool m_built = false;
};
