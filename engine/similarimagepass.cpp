#include "engine/similarimagepass.h"

#include <algorithm>

#include <QDebug>

#include <opencv2/core.hpp>

#include "engine/parallelfor.h"
#include "imaging/featureextractor.h"
#include "imaging/hashindex.h"
#include "imaging/orbverifier.h"
#include "model/canceltoken.h"
#include "model/filecache.h"
#include "model/fileidentity.h"
#include "model/similarclusters.h"

SimilarImagePass::SimilarImagePass(const QStringList &paths, const SimilarityThresholds &thresholds)
    : m_paths(paths)
    , m_thresholds(thresholds)
    , m_features(std::size_t(paths.size()))
{
}

bool SimilarImagePass::run(
    QThreadPool *pool, const CancelToken &cancel, const std::function<void(int)> &imageDone)
{
    computeFeatures(pool, cancel, imageDone);
    if (cancel.isCancelled())
        return false;
    const std::vector<std::pair<int, int>> pairs = similarPairs(pool, cancel);
    if (cancel.isCancelled())
        return false;
    m_groups = SimilarClusters::group(m_paths, pairs);
    qInfo().noquote() << QStringLiteral(
        "Similar images: %1 of %2 readable, %3 candidate pairs, %4 outright, %5 in the band "
        "(%6 past the histogram, %7 past the features), descriptors of %8 images (at most %9 "
        "held), %10 groups")
                             .arg(m_statistics.readable)
                             .arg(m_paths.size())
                             .arg(m_statistics.candidatePairs)
                             .arg(m_statistics.outrightPairs)
                             .arg(m_statistics.bandPairs)
                             .arg(m_statistics.histogramPassed)
                             .arg(m_statistics.featurePassed)
                             .arg(m_statistics.descriptorsComputed)
                             .arg(m_statistics.mostDescriptorsHeld)
                             .arg(m_groups.size());
    return true;
}

void SimilarImagePass::computeFeatures(
    QThreadPool *pool, const CancelToken &cancel, const std::function<void(int)> &imageDone)
{
    // Each task writes only its own slot, so no lock is needed.
    ParallelFor::run(pool, m_paths.size(), [&](int index) {
        if (cancel.isCancelled())
            return;
        m_features[std::size_t(index)] = featuresOf(m_paths.at(index));
        if (imageDone)
            imageDone(index);
    });
    m_statistics.readable = int(std::count_if(m_features.cbegin(), m_features.cend(),
        [](const ImageFeatures &features) { return features.isValid(); }));
}

std::vector<HashIndex::Pair> SimilarImagePass::candidatePairs(
    const HashIndex &index, QThreadPool *pool, const CancelToken &cancel) const
{
    // Blocks of rows on the pool, joined in row order: the same list for any
    // number of threads. Later rows have fewer partners, so blocks are many
    // and small enough to even out.
    const int radius = m_thresholds.bandRadius;
    index.prepare(radius);
    const int rows = index.size();
    const int blocks = std::max(1, std::min(rows, SearchBlocks));
    const auto blockCount = std::size_t(blocks);
    std::vector<std::vector<HashIndex::Pair>> found(blockCount);
    ParallelFor::run(pool, blocks, [&](int block) {
        if (cancel.isCancelled())
            return;
        const int first = int(qint64(rows) * block / blocks);
        const int last = int(qint64(rows) * (block + 1) / blocks);
        found[std::size_t(block)]
            = index.pairsWithin(radius, m_thresholds.maxAspectRatio, first, last);
    });
    std::vector<HashIndex::Pair> pairs;
    for (const std::vector<HashIndex::Pair> &block : found)
        pairs.insert(pairs.end(), block.begin(), block.end());
    return pairs;
}

ImageFeatures SimilarImagePass::featuresOf(const QString &path) const
{
    if (!m_cache)
        return FeatureExtractor::fromFile(path);
    const FileIdentity identity = FileIdentity::of(path);
    ImageFeatures features;
    if (m_cache->lookupFeatures(identity, &features))
        return features;
    features = FeatureExtractor::fromFile(path);
    m_cache->storeFeatures(identity, features);
    return features;
}

cv::Mat SimilarImagePass::descriptorsOf(const QString &path) const
{
    if (!m_cache)
        return OrbVerifier::descriptorsForFile(path);
    const FileIdentity identity = FileIdentity::of(path);
    cv::Mat descriptors;
    if (m_cache->lookupDescriptors(identity, &descriptors))
        return descriptors;
    descriptors = OrbVerifier::descriptorsForFile(path);
    m_cache->storeDescriptors(identity, descriptors);
    return descriptors;
}

std::vector<std::pair<int, int>> SimilarImagePass::similarPairs(
    QThreadPool *pool, const CancelToken &cancel)
{
    HashIndex index;
    for (const ImageFeatures &features : m_features)
        index.add(features.isValid() ? features.hash : PerceptualHash(), features.aspect());
    const std::vector<HashIndex::Pair> candidates = candidatePairs(index, pool, cancel);
    m_statistics.candidatePairs = int(candidates.size());

    std::vector<std::pair<int, int>> similar;
    std::vector<BandPair> band;
    for (const HashIndex::Pair &pair : candidates) {
        if (pair.distance <= m_thresholds.lowDistance) {
            similar.emplace_back(pair.first, pair.second);
            continue;
        }
        ++m_statistics.bandPairs;
        const double histogram = FeatureExtractor::histogramSimilarity(
            m_features[std::size_t(pair.first)], m_features[std::size_t(pair.second)]);
        if (histogram >= m_thresholds.histogram)
            band.push_back({ pair.first, pair.second });
    }
    m_statistics.outrightPairs = int(similar.size());
    m_statistics.histogramPassed = int(band.size());

    // Descriptors are made for the images of band pairs only, a batch at a
    // time, and dropped as soon as the last pair that needs them is decided.
    const std::size_t n = m_features.size();
    std::vector<int> uses(n, 0);
    for (const BandPair &pair : band) {
        ++uses[std::size_t(pair.first)];
        ++uses[std::size_t(pair.second)];
    }
    std::vector<cv::Mat> descriptors(n);
    std::vector<bool> ready(n, false);
    int held = 0;
    while (!band.empty() && !cancel.isCancelled()) {
        std::vector<int> batch;
        for (const BandPair &pair : band) {
            for (const int image : { pair.first, pair.second })
                if (!ready[std::size_t(image)]
                    && std::find(batch.cbegin(), batch.cend(), image) == batch.cend())
                    batch.push_back(image);
            if (int(batch.size()) >= DescriptorBatch)
                break;
        }
        ParallelFor::run(pool, int(batch.size()), [&](int k) {
            if (cancel.isCancelled())
                return;
            const int image = batch[std::size_t(k)];
            descriptors[std::size_t(image)] = descriptorsOf(m_paths.at(image));
        });
        for (const int image : batch)
            ready[std::size_t(image)] = true;
        m_statistics.descriptorsComputed += int(batch.size());
        held += int(batch.size());
        m_statistics.mostDescriptorsHeld = std::max(m_statistics.mostDescriptorsHeld, held);

        std::vector<BandPair> waiting;
        std::vector<BandPair> decided;
        for (const BandPair &pair : band)
            (ready[std::size_t(pair.first)] && ready[std::size_t(pair.second)] ? decided : waiting)
                .push_back(pair);
        // Matching is the costly part; each pair's answer goes to its own slot
        // and is applied in list order below.
        const std::size_t decidedCount = decided.size();
        std::vector<OrbVerifier::Match> matches(decidedCount);
        ParallelFor::run(pool, int(decidedCount), [&](int k) {
            const BandPair &pair = decided[std::size_t(k)];
            matches[std::size_t(k)] = OrbVerifier::match(
                descriptors[std::size_t(pair.first)], descriptors[std::size_t(pair.second)]);
        });
        for (std::size_t k = 0; k < decidedCount; ++k) {
            const BandPair &pair = decided[k];
            const std::size_t a = std::size_t(pair.first), b = std::size_t(pair.second);
            const OrbVerifier::Match &match = matches[k];
            if (match.good >= m_thresholds.orbMatches && match.ratio >= m_thresholds.orbRatio) {
                similar.emplace_back(pair.first, pair.second);
                ++m_statistics.featurePassed;
            }
            for (const std::size_t image : { a, b })
                if (--uses[image] == 0) {
                    descriptors[image].release();
                    --held;
                }
        }
        band.swap(waiting);
    }
    std::sort(similar.begin(), similar.end());
    return similar;
}
