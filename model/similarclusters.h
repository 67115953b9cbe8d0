#pragma once

#include <utility>
#include <vector>

#include <QStringList>

// Joins similar pairs into groups: every connected set of images becomes one
// group, whatever order the pairs were found in. Members are ordered by path
// and groups by their first member, so the result is the same for any run
// and any number of threads.
class SimilarClusters {
public:
    // `pairs` index into `paths`; images in no pair form no group.
    static std::vector<std::vector<int>> group(const QStringList &paths,
                                               const std::vector<std::pair<int, int>> &pairs);
};
