#include "imaging/hashindex.h"

#include "imaging/hammingscan.h"

#include <algorithm>
#include <array>
#include <bitset>

namespace {

std::uint16_t chunkOf(std::uint64_t hash, int chunk)
{
    return std::uint16_t(hash >> (chunk * 16));
}

bool aspectsComparable(double a, double b, double maxAspectRatio)
{
    return std::max(a, b) / std::min(a, b) <= maxAspectRatio;
}

} // namespace

void HashIndex::add(const PerceptualHash &hash, double aspect)
{
    m_hashes.push_back(hash);
    m_aspects.push_back(std::max(1.0, aspect));
    for (int turn = 0; turn < 4; ++turn)
        m_turns[std::size_t(turn)].push_back(hash.rotated(turn));
    m_valid.push_back(hash.isValid() ? 1 : 0);
    m_built = false;
}

void HashIndex::prepare(int radius) const
{
    if (!scansAt(radius) && !m_built)
        build();
}

bool HashIndex::scansAt(int radius)
{
    // Share of all (image, rotation) entries the chunk tables would visit.
    const double visited = double(Chunks * 4)
        * double(masksUpTo(std::max(0, radius) / Chunks).size()) / (1 << ChunkBits);
    return visited > 0.1;
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
                    table.entries[std::size_t(
                        fill[chunkOf(m_hashes[std::size_t(i)].rotated(turn), chunk)]++)]
                        = i * 4 + turn;
    }
    m_built = true;
}

std::vector<HashIndex::Pair> HashIndex::pairsWithin(int radius, double maxAspectRatio) const
{
    return pairsWithin(radius, maxAspectRatio, 0, size());
}

std::vector<HashIndex::Pair> HashIndex::pairsWithin(
    int radius, double maxAspectRatio, int firstRow, int lastRow) const
{
    firstRow = std::max(0, firstRow);
    lastRow = std::min(size(), lastRow);
    if (firstRow >= lastRow)
        return {};
    if (scansAt(radius))
        return scan(radius, maxAspectRatio, firstRow, lastRow);
    return chunkSearch(radius, maxAspectRatio, firstRow, lastRow);
}

std::vector<HashIndex::Pair> HashIndex::scan(
    int radius, double maxAspectRatio, int firstRow, int lastRow) const
{
    HammingScan::Input in;
    for (std::size_t turn = 0; turn < in.turns.size(); ++turn)
        in.turns[turn] = m_turns[turn].data();
    in.valid = m_valid.data();
    in.aspects = m_aspects.data();
    in.count = size();
    in.radius = radius;
    in.maxAspectRatio = maxAspectRatio;
    std::vector<Pair> pairs;
    HammingScan::run(in, firstRow, lastRow, pairs);
    return pairs;
}

std::vector<HashIndex::Pair> HashIndex::chunkSearch(
    int radius, double maxAspectRatio, int firstRow, int lastRow) const
{
    prepare(radius);
    const std::vector<std::uint16_t> masks = masksUpTo(std::max(0, radius) / Chunks);
    const int n = size();
    std::vector<int> seenBy(std::size_t(n), -1);
    std::vector<Pair> pairs;
    for (int i = firstRow; i < lastRow; ++i) {
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
                    if (!aspectsComparable(
                            m_aspects[std::size_t(i)], m_aspects[std::size_t(j)], maxAspectRatio))
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
