#pragma once

// The limits of the accurate similar-image method, derived from the two
// similarity sliders so that they keep their meaning: the default positions
// give the default limits, a slider moved towards 100 % makes matching
// stricter, and an image similarity of 100 % switches the analysis off.
struct SimilarityThresholds {
    // Hash distance (of 64 bits) up to which two images are similar outright.
    int lowDistance = 10;
    // Hash distance up to which a pair is checked by histogram and features.
    int bandRadius = 18;
    // Smallest histogram similarity (1 - Bhattacharyya) inside the band.
    double histogram = 0.75;
    // Smallest share of distinctive ORB matches inside the band ...
    double orbRatio = 0.12;
    // ... and smallest number of them.
    int orbMatches = 30;
    // Pairs whose aspect ratios (long over short side) differ by more than
    // this factor are never compared.
    double maxAspectRatio = 1.3;
    bool enabled = true;

    // `imageSimilarity` and `featureSimilarity` are the slider fractions
    // (0..1; the feature slider offers 0.20..0.60).
    static SimilarityThresholds fromSliders(double imageSimilarity, double featureSimilarity);
};
