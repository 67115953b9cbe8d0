#pragma once

// The limits of the accurate similar-image method, derived from the two
// similarity sliders so that they keep their meaning: the default positions
// give the default limits, a slider moved towards 100 % makes matching
// stricter, and an image similarity of 100 % switches the analysis off.
struct SimilarityThresholds {
    // The numbers come from bench/similar_pairs on the photo bench (60
    // packaged photos with eight kinds of copy, 27 unrelated): every copy but
    // a 5 % crop lies within 10 bits of its original, while unrelated pairs
    // start at 10 (one pair of sources, of different aspect) and number
    // 0.17 % of all pairs up to 16, 0.66 % up to 18, 8.5 % up to 22. Crops spread
    // from 2 to 22 bits, so the band checks them up to 18; wider, the band
    // grows faster than the crops it adds.

    // Hash distance (of 64 bits) up to which two images are similar outright.
    int lowDistance = 10;
    // Hash distance up to which a pair is checked by histogram and features.
    int bandRadius = 18;
    // Smallest histogram similarity (1 - Bhattacharyya) inside the band:
    // copies in the band measured 0.86 and above, unrelated pairs there at
    // most 0.70.
    double histogram = 0.80;
    // Smallest share of distinctive ORB matches inside the band: copies
    // 0.11 and above, unrelated pairs whose colours pass at most 0.05 ...
    double orbRatio = 0.10;
    // ... and smallest number of them: smooth pictures give few corners, and
    // their crops as few as 17 matches, where unrelated pairs reach 27 only
    // with a share far below the limit above.
    int orbMatches = 15;
    // Pairs whose aspect ratios (long over short side) differ by more than
    // this factor are never compared.
    double maxAspectRatio = 1.3;
    bool enabled = true;

    // `imageSimilarity` and `featureSimilarity` are the slider fractions
    // (0..1; the feature slider offers 0.20..0.60).
    static SimilarityThresholds fromSliders(double imageSimilarity, double featureSimilarity);
};
