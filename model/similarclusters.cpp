#include "model/similarclusters.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace {

int root(std::vector<int> &parent, int i)
{
    while (parent[std::size_t(i)] != i) {
        parent[std::size_t(i)] = parent[std::size_t(parent[std::size_t(i)])];
        i = parent[std::size_t(i)];
    }
    return i;
}

} // namespace

std::vector<std::vector<int>> SimilarClusters::group(const QStringList &paths,
                                                     const std::vector<std::pair<int, int>> &pairs)
{
    const int n = paths.size();
    std::vector<int> parent(static_cast<std::size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    std::vector<bool> paired(static_cast<std::size_t>(n), false);
    for (const auto &[a, b] : pairs) {
        if (a < 0 || b < 0 || a >= n || b >= n || a == b)
            continue;
        paired[std::size_t(a)] = paired[std::size_t(b)] = true;
        parent[std::size_t(root(parent, a))] = root(parent, b);
    }
    std::map<int, std::vector<int>> byRoot;
    for (int i = 0; i < n; ++i)
        if (paired[std::size_t(i)])
            byRoot[root(parent, i)].push_back(i);
    // Ties on equal paths fall back to the index, so the order stays total.
    const auto byPath = [&](int x, int y) {
        const int c = paths[x].compare(paths[y]);
        return c != 0 ? c < 0 : x < y;
    };
    std::vector<std::vector<int>> groups;
    for (auto &entry : byRoot) {
        std::sort(entry.second.begin(), entry.second.end(), byPath);
        groups.push_back(std::move(entry.second));
    }
    std::sort(groups.begin(), groups.end(),
              [&](const std::vector<int> &x, const std::vector<int> &y) { return byPath(x.front(), y.front()); });
    return groups;
}
