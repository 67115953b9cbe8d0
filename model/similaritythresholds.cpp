#include "model/similaritythresholds.h"

#include <algorithm>
#include <cmath>

#include "preferences/twgenernalpreferences.h"

namespace {

// Hash bits the outright limit moves per slider step of 1 %.
constexpr double BitsPerStep = 0.4;
// Width of the band above the outright limit, in bits.
constexpr int BandWidth = 8;
// Beyond these a pair of unrelated photos is as likely as a copy.
constexpr int MaximumLowDistance = 16;
constexpr int MaximumBandRadius = 24;

} // namespace

SimilarityThresholds SimilarityThresholds::fromSliders(
    double imageSimilarity, double featureSimilarity)
{
    const SimilarityThresholds defaults;
    SimilarityThresholds thresholds;
    const double image = double(TwGenernalPreferences::DefaultImageSimilarity);
    const double feature = double(TwGenernalPreferences::DefaultFeatureSimilarity);
    thresholds.enabled = imageSimilarity < 1.0;

    const double low = defaults.lowDistance + (image - imageSimilarity) * 100.0 * BitsPerStep;
    thresholds.lowDistance = std::clamp(int(std::lround(low)), 0, MaximumLowDistance);
    thresholds.bandRadius = std::min(MaximumBandRadius, thresholds.lowDistance + BandWidth);
    thresholds.histogram = std::clamp(defaults.histogram + (imageSimilarity - image), 0.0, 1.0);

    const double scale = std::clamp(featureSimilarity, 0.05, 1.0) / feature;
    thresholds.orbRatio = defaults.orbRatio * scale;
    thresholds.orbMatches = std::max(1, int(std::lround(defaults.orbMatches * scale)));
    return thresholds;
}
