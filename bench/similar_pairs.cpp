// Measures, for the photo tree of photo_bench.sh, what each test of the
// accurate method sees: the hash distance, histogram similarity and ORB
// matches of every copy against its original, and the same figures for the
// closest pairs of unrelated images. The thresholds are chosen from these.
//
//   similar_pairs TREE TRUTH.json [RADIUS]
//
// Prints one tab-separated line per pair: kind (the copy's kind, or
// "unrelated"), both files, distance, histogram, good matches, match share.
// Unrelated pairs are listed when their distance is at most RADIUS
// (default 26); a count of all unrelated pairs per distance follows.

#include <algorithm>
#include <cstdio>
#include <map>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThreadPool>

#include <opencv2/core.hpp>

#include "engine/parallelfor.h"
#include "imaging/featureextractor.h"
#include "imaging/orbverifier.h"

namespace {

struct Entry {
    QString name;
    QString family;
    QString kind;
};

void printPair(const QString &kind, const Entry &a, const Entry &b, int distance,
    const ImageFeatures &fa, const ImageFeatures &fb, const cv::Mat &da, const cv::Mat &db)
{
    const OrbVerifier::Match match = OrbVerifier::match(da, db);
    std::printf("%s\t%s\t%s\t%d\t%.3f\t%d\t%.3f\n", qPrintable(kind), qPrintable(a.name),
        qPrintable(b.name), distance, FeatureExtractor::histogramSimilarity(fa, fb), match.good,
        match.ratio);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: similar_pairs TREE TRUTH.json [RADIUS]\n");
        return 2;
    }
    const QDir tree(args.at(1));
    const int radius = args.size() > 3 ? args.at(3).toInt() : 26;
    QFile truthFile(args.at(2));
    if (!truthFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(2)));
        return 2;
    }
    const QJsonObject truth = QJsonDocument::fromJson(truthFile.readAll()).object();
    const QJsonObject families = truth.value(QStringLiteral("files")).toObject();
    const QJsonObject kinds = truth.value(QStringLiteral("kinds")).toObject();
    std::vector<Entry> entries;
    for (auto it = families.begin(); it != families.end(); ++it)
        entries.push_back({ it.key(), it.value().toString(), kinds.value(it.key()).toString() });
    std::sort(entries.begin(), entries.end(),
        [](const Entry &x, const Entry &y) { return x.name < y.name; });

    const std::size_t count = entries.size();
    const int n = int(count);
    std::vector<ImageFeatures> features(count);
    std::vector<cv::Mat> descriptors(count);
    ParallelFor::run(QThreadPool::globalInstance(), n, [&](int i) {
        const QString path = tree.filePath(entries[std::size_t(i)].name);
        features[std::size_t(i)] = FeatureExtractor::fromFile(path);
        descriptors[std::size_t(i)] = OrbVerifier::descriptorsForFile(path);
    });

    std::map<QString, int> originals;
    for (int i = 0; i < n; ++i)
        if (entries[std::size_t(i)].kind == QLatin1String("original"))
            originals[entries[std::size_t(i)].family] = i;
    std::map<int, int> unrelatedByDistance;
    for (int i = 0; i < n; ++i) {
        const Entry &a = entries[std::size_t(i)];
        for (int j = i + 1; j < n; ++j) {
            const Entry &b = entries[std::size_t(j)];
            const int distance
                = features[std::size_t(i)].hash.distance(features[std::size_t(j)].hash);
            const bool copyPair = a.family == b.family;
            if (!copyPair)
                ++unrelatedByDistance[distance];
            if (copyPair) {
                // Only the copy against its original: that is what recall counts.
                const auto original = originals.find(a.family);
                if (original == originals.end() || (original->second != i && original->second != j))
                    continue;
                const Entry &copy = original->second == i ? b : a;
                printPair(copy.kind, a, b, distance, features[std::size_t(i)],
                    features[std::size_t(j)], descriptors[std::size_t(i)],
                    descriptors[std::size_t(j)]);
            } else if (distance <= radius) {
                printPair(QStringLiteral("unrelated"), a, b, distance, features[std::size_t(i)],
                    features[std::size_t(j)], descriptors[std::size_t(i)],
                    descriptors[std::size_t(j)]);
            }
        }
    }
    for (const auto &[distance, count] : unrelatedByDistance)
        std::printf("unrelated-count\t%d\t%d\n", distance, count);
    return 0;
}
