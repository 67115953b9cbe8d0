#include "imaging/hashindex.h"

#include <algorithm>
#include <bitset>

namespace {

std::uint16_t chunkOf(std::uint64_t hash, int chunk)
{
    return std::uint16_t(hash >> (chunk * 16));
}

} // namespace

void HashIndex::add(const PerceptualHash &hash, double aspect)
{
    m_hashes.push_back(hash);
    m_aspects.push_back(std::max(1.0, aspect));
    m_built = false;
}

std::vector<std::uint16_t> HashIndex::masksUpTo(int bits)
{
    std::vector<std::uint16_t> masks;
    for (unsigned value = 0; value < (1u << ChunkBits); ++value)
        if (int(std::bitset<16>(value).count()) <= bits)
            masks.push_back(std::uint16_t(value));
    return masks;
}

void HashIndex::build() const
{
    const int n = size();
    for (int chunk = 0; chunk < Chunks; ++chunk) {
        Table &table = m_tables[std::size_t(chunk)];
        table.offsets.assign((1u << ChunkBits) + 1, 0);
        for (int i = 0; i < n; ++i)
            if (m_hashes[std::size_t(i)].isValid())
                for (int turn = 0; turn < 4; ++turn)
                    ++table.offsets[chunkOf(m_hashes[std::size_t(i)].rotated(turn), chunk) + 1u];
        for (std::size_t v = 1; v < table.offsets.size(); ++v)
            table.offsets[v] += table.offsets[v - 1];
        table.entries.assign(std::size_t(table.offsets.back()), 0);
        std::vector<int> fill(table.offsets.begin(), table.offsets.end() - 1);
        for (int i = 0; i < n; ++i)
            if (m_hashes[std::size_t(i)].isValid())
                for (int turn = 0; turn < 4; ++turn)
                    table.entries[std::size_t(fill[chunkOf(m_hashes[std::size_t(i)].rotated(turn), chunk)]++)] = i * 4 + turn;
    }
    m_built = true;
}

std::vector<HashIndex::Pair> HashIndex::pairsWithin(int radius, double maxAspectRatio) const
{
    if (!m_built)
        build();
    const std::vector<std::uint16_t> masks = masksUpTo(std::max(0, radius) / Chunks);
    const int n = size();
    std::vector<int> seenBy(std::size_t(n), -1);
    std::vector<Pair> pairs;
    for (int i = 0; i < n; ++i) {
        const PerceptualHash &query = m_hashes[std::size_t(i)];
        if (!query.isValid())
            continue;
        const std::size_t firstNew = pairs.size();
        for (int chunk = 0; chunk < Chunks; ++chunk) {
            const Table &table = m_tables[std::size_t(chunk)];
            const std::uint16_t key = chunkOf(query.upright(), chunk);
            for (const std::uint16_t mask : masks) {
                const std::uint16_t bucket = std::uint16_t(key ^ mask);
                for (int e = table.offsets[bucket]; e < table.offsets[bucket + 1u]; ++e) {
                    const int j = table.entries[std::size_t(e)] / 4;
                    if (j <= i || seenBy[std::size_t(j)] == i)
                        continue;
                    seenBy[std::size_t(j)] = i;
                    const double a = m_aspects[std::size_t(i)], b = m_aspects[std::size_t(j)];
                    if (std::max(a, b) / std::min(a, b) > maxAspectRatio)
                        continue;
                    const int distance = query.distance(m_hashes[std::size_t(j)]);
                    if (distance <= radius)
                        pairs.push_back({ i, j, distance });
                }
            }
        }
        std::sort(pairs.begin() + long(firstNew), pairs.end(),
                  [](const Pair &x, const Pair &y) { return x.second < y.second; });
    }
    return pairs;
}
