#pragma once

#include <QString>

#include <opencv2/core.hpp>

// The feature test of the similar-image pass: ORB descriptors of each image
// taken at one common size, so a small copy meets its original at the same
// scale, and matched exhaustively (no randomised index), so the answer for a
// pair never changes from run to run.
class OrbVerifier {
public:
    // Every image is scaled, up or down, to this long side before detection.
    static constexpr int WorkingSide = 1024;
    static constexpr int Features = 500;
    // FAST threshold of the second detection on images with few corners
    // (ORB's own is 20).
    static constexpr int LowContrast = 5;
    // Lowe's ratio: the nearest descriptor must be clearly nearer than the second.
    static constexpr float LoweRatio = 0.8f;

    struct Match {
        int good = 0; // distinctive matches in the better direction
        double ratio = 0; // good / descriptors of the query side in that direction
    };

    // Descriptors (one row of 32 bytes per keypoint); empty when the file
    // cannot be decoded or shows no corner at all.
    static cv::Mat descriptorsForFile(const QString &path);
    static cv::Mat descriptorsForImage(const cv::Mat &image);

    // Matches both ways and keeps the direction that favours the pair: a
    // cropped copy finds most of its points in the original, not the reverse.
    static Match match(const cv::Mat &a, const cv::Mat &b);

private:
    static Match matchOneWay(const cv::Mat &query, const cv::Mat &train);
};
