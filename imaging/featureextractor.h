#pragma once

#include <QString>

#include <opencv2/core.hpp>

#include "imaging/imagefeatures.h"

// Builds the features of one image from one decode at a small working size
// (JPEG files are decoded at a reduced scale straight away), and compares
// their histograms. Holds nothing, so any number of threads may use it.
class FeatureExtractor {
public:
    // Longer side of the working copy the features are taken on.
    static constexpr int WorkingSide = 256;
    static constexpr int HueBins = 30;
    static constexpr int SaturationBins = 32;
    static constexpr int LuminanceBins = 32;
    // Mean saturation (0..255) below which an image counts as grey: a
    // greyscale file decodes to equal channels, and JPEG noise stays far below.
    static constexpr double GreySaturation = 12.0;

    // Invalid features (and a log line) when the file cannot be decoded.
    static ImageFeatures fromFile(const QString &path);
    // From a BGR working copy of an image whose complete size is `fullSize`.
    static ImageFeatures fromImage(const cv::Mat &bgr, cv::Size fullSize);

    // 1 - Bhattacharyya distance (1 for equal distributions, 0 for disjoint)
    // of the colour histograms, or of the luminance histograms when either
    // image is grey; 0 when either has none.
    static double histogramSimilarity(const ImageFeatures &a, const ImageFeatures &b);
    static double bhattacharyyaSimilarity(const std::vector<float> &p, const std::vector<float> &q);
};
