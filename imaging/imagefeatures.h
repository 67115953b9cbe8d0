#pragma once

#include <vector>

#include "imaging/perceptualhash.h"

// What the similar-image pass keeps of one image between its single decode
// and the comparisons: a few KB, so a folder of many thousand photos stays
// small. A plain record, so it can be stored and read back as it is.
struct ImageFeatures {
    // Hash of the upright image and of its quarter turns.
    PerceptualHash hash;
    // Hue x saturation counts, summing to 1; empty when the image could not be read.
    std::vector<float> colour;
    // Luminance counts, summing to 1; what is compared when either image is grey.
    std::vector<float> luminance;
    // The image carries (next to) no colour.
    bool grey = false;
    // Size of the complete image.
    int width = 0;
    int height = 0;

    bool isValid() const { return hash.isValid() && !colour.empty() && !luminance.empty(); }
    // Long side over short side (>= 1); 1 for an unreadable image.
    double aspect() const
    {
        if (width <= 0 || height <= 0)
            return 1.0;
        return width > height ? double(width) / height : double(height) / width;
    }
};
