#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QStringList>

#include <opencv2/core.hpp>

#include "imaging/hashindex.h"
#include "imaging/imagefeatures.h"
#include "model/similaritythresholds.h"

class CancelToken;
class FileCache;
class QThreadPool;

// The accurate similar-image pass over a fixed list of images: one feature
// record per image, candidate pairs from the hash index, the histogram and
// feature tests for the pairs in the band, and the connected sets of the
// similar pairs. The result depends only on the images, never on the number
// of threads or the order they finish in.
class SimilarImagePass {
public:
    // What the pass found, for the log and the benchmarks.
    struct Statistics {
        int readable = 0;
        int candidatePairs = 0;
        int outrightPairs = 0;
        int bandPairs = 0;
        int histogramPassed = 0;
        int featurePassed = 0;
        int descriptorsComputed = 0;
        int mostDescriptorsHeld = 0;
    };

    // `paths` must be sorted; the indices of pairs and groups refer to them.
    SimilarImagePass(const QStringList &paths, const SimilarityThresholds &thresholds);

    const QStringList &paths() const { return m_paths; }
    const std::vector<ImageFeatures> &features() const { return m_features; }
    const Statistics &statistics() const { return m_statistics; }

    // Runs the whole pass on `pool` (and the calling thread). `imageDone`
    // hears of every image whose features are built, on the thread that
    // built them. False when `cancel` was set before the end.
    bool run(QThreadPool *pool, const CancelToken &cancel,
        const std::function<void(int index)> &imageDone = {});

    // The steps of run(), for tests.
    void computeFeatures(QThreadPool *pool, const CancelToken &cancel,
        const std::function<void(int index)> &imageDone = {});
    std::vector<std::pair<int, int>> similarPairs(QThreadPool *pool, const CancelToken &cancel);

    // Connected sets of similar images, members and sets ordered by path.
    const std::vector<std::vector<int>> &groups() const { return m_groups; }

    // Features of unchanged images come from `cache` and new ones go into it.
    void setCache(std::shared_ptr<FileCache> cache) { m_cache = std::move(cache); }

    // Images whose descriptors are computed together; the rest waits, so
    // that the memory held stays bounded.
    static constexpr int DescriptorBatch = 32;
    // Blocks of rows the candidate search is split into for the pool.
    static constexpr int SearchBlocks = 64;

private:
    struct BandPair {
        int first;
        int second;
    };

    std::vector<HashIndex::Pair> candidatePairs(
        const HashIndex &index, QThreadPool *pool, const CancelToken &cancel) const;
    ImageFeatures featuresOf(const QString &path) const;
    cv::Mat descriptorsOf(const QString &path) const;

    const QStringList m_paths;
    const SimilarityThresholds m_thresholds;
    std::vector<ImageFeatures> m_features;
    std::vector<std::vector<int>> m_groups;
    Statistics m_statistics;
    std::shared_ptr<FileCache> m_cache;
};
