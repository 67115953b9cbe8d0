#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/perceptualhash.h"

// Finds every pair of images whose hashes lie within a radius, without
// comparing all pairs: multi-index hashing on four 16-bit chunks. If two
// hashes differ in at most r bits, one of the chunks differs in at most r/4,
// so only the buckets near each of a query's chunks are visited.
class HashIndex {
public:
    struct Pair {
        int first = 0;  // first < second, indices into the added images
        int second = 0;
        int distance = 0;
        bool operator==(const Pair &o) const { return first == o.first && second == o.second && distance == o.distance; }
    };

    // `aspect` is the image's long side over its short side (>= 1).
    void add(const PerceptualHash &hash, double aspect);

    // All pairs within `radius` (smallest distance over rotations), skipping
    // pairs whose aspects differ by more than `maxAspectRatio`; sorted by
    // (first, second), the same for any order of evaluation.
    std::vector<Pair> pairsWithin(int radius, double maxAspectRatio) const;

    int size() const { return int(m_hashes.size()); }

private:
    static constexpr int Chunks = 4;
    static constexpr int ChunkBits = 16;

    struct Table {
        std::vector<int> offsets; // bucket start per chunk value, plus the end
        std::vector<int> entries; // image * 4 + rotation
    };

    void build() const;
    static std::vector<std::uint16_t> masksUpTo(int bits);

    std::vector<PerceptualHash> m_hashes;
    std::vector<double> m_aspects;
    mutable std::array<Table, Chunks> m_tables;
    mutable bool m_built = false;
};
