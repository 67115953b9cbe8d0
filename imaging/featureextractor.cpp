#include "imaging/featureextractor.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <QDebug>

#include <opencv2/imgproc.hpp>

#include "imaging/twimagedecoder.h"

namespace {

std::vector<float> normalised(const cv::Mat &histogram)
{
    std::vector<float> values(histogram.begin<float>(), histogram.end<float>());
    double sum = 0;
    for (const float v : values)
        sum += double(v);
    if (sum <= 0)
        return {};
    for (float &v : values)
        v = float(double(v) / sum);
    return values;
}

} // namespace

ImageFeatures FeatureExtractor::fromFile(const QString &path)
{
    cv::Size fullSize;
    QString error;
    const cv::Mat working = TwImageDecoder::decodeFile(path, WorkingSide, &fullSize, &error);
    if (working.empty()) {
        qDebug().noquote() << "FeatureExtractor: cannot load" << path << error;
        return {};
    }
    return fromImage(working, fullSize);
}

ImageFeatures FeatureExtractor::fromImage(const cv::Mat &bgr, cv::Size fullSize)
{
    ImageFeatures features;
    if (bgr.empty() || bgr.type() != CV_8UC3)
        return features;
    try {
        cv::Mat hsv;
        cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
        const int colourChannels[] = { 0, 1 };
        const int colourBins[] = { HueBins, SaturationBins };
        const float hueRange[] = { 0, 180 };
        const float byteRange[] = { 0, 256 };
        const float *colourRanges[] = { hueRange, byteRange };
        cv::Mat colour;
        cv::calcHist(&hsv, 1, colourChannels, cv::Mat(), colour, 2, colourBins, colourRanges);
        features.grey = cv::mean(hsv)[1] < GreySaturation;

        cv::Mat grey;
        cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
        const int greyChannel[] = { 0 };
        const int greyBins[] = { LuminanceBins };
        const float *greyRanges[] = { byteRange };
        cv::Mat luminance;
        cv::calcHist(&grey, 1, greyChannel, cv::Mat(), luminance, 1, greyBins, greyRanges);

        features.colour = normalised(colour);
        features.luminance = normalised(luminance);
        features.hash = PerceptualHash::fromImage(grey);
    } catch (const std::exception &e) {
        qDebug() << "FeatureExtractor:" << e.what();
        return {};
    }
    features.width = fullSize.width;
    features.height = fullSize.height;
    return features;
}

double FeatureExtractor::bhattacharyyaSimilarity(
    const std::vector<float> &p, const std::vector<float> &q)
{
    if (p.empty() || p.size() != q.size())
        return 0;
    double coefficient = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
        coefficient += std::sqrt(double(p[i]) * double(q[i]));
    return 1.0 - std::sqrt(std::max(0.0, 1.0 - std::min(1.0, coefficient)));
}

double FeatureExtractor::histogramSimilarity(const ImageFeatures &a, const ImageFeatures &b)
{
    if (a.grey || b.grey)
        return bhattacharyyaSimilarity(a.luminance, b.luminance);
    return bhattacharyyaSimilarity(a.colour, b.colour);
}
