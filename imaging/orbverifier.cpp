#include "imaging/orbverifier.h"

#include <algorithm>
#include <exception>
#include <vector>

#include <QDebug>

#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

#include "imaging/twimagedecoder.h"

cv::Mat OrbVerifier::descriptorsForFile(const QString &path)
{
    cv::Size fullSize;
    QString error;
    const cv::Mat working = TwImageDecoder::decodeFile(path, WorkingSide, &fullSize, &error);
    if (working.empty()) {
        qDebug().noquote() << "OrbVerifier: cannot load" << path << error;
        return {};
    }
    return descriptorsForImage(working);
}

cv::Mat OrbVerifier::descriptorsForImage(const cv::Mat &image)
{
    if (image.empty())
        return {};
    try {
        cv::Mat grey;
        if (image.channels() == 3)
            cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
        else if (image.channels() == 4)
            cv::cvtColor(image, grey, cv::COLOR_BGRA2GRAY);
        else
            grey = image;
        const int longSide = std::max(grey.cols, grey.rows);
        if (longSide != WorkingSide) {
            const double scale = double(WorkingSide) / longSide;
            const cv::Size target(std::max(1, int(grey.cols * scale + 0.5)),
                std::max(1, int(grey.rows * scale + 0.5)));
            cv::Mat scaled;
            cv::resize(grey, scaled, target, 0, 0, scale > 1 ? cv::INTER_CUBIC : cv::INTER_AREA);
            grey = scaled;
        }
        std::vector<cv::KeyPoint> keypoints;
        cv::Mat descriptors;
        cv::ORB::create(Features)->detectAndCompute(grey, cv::noArray(), keypoints, descriptors);
        // Smooth pictures (gradients, soft wallpapers) have few corners at
        // ORB's usual contrast; a second look at low contrast finds enough
        // to tell a copy from another picture.
        if (descriptors.rows < Features / 2) {
            keypoints.clear();
            cv::Mat more;
            cv::ORB::create(Features, 1.2f, 8, 31, 0, 2, cv::ORB::HARRIS_SCORE, 31, LowContrast)
                ->detectAndCompute(grey, cv::noArray(), keypoints, more);
            if (more.rows > descriptors.rows)
                descriptors = more;
        }
        return descriptors;
    } catch (const std::exception &e) {
        qDebug() << "OrbVerifier:" << e.what();
        return {};
    }
}

OrbVerifier::Match OrbVerifier::matchOneWay(const cv::Mat &query, const cv::Mat &train)
{
    Match result;
    if (query.empty() || train.rows < 2 || query.type() != CV_8U || train.type() != CV_8U
        || query.cols != train.cols)
        return result;
    std::vector<std::vector<cv::DMatch>> neighbours;
    cv::BFMatcher matcher(cv::NORM_HAMMING);
    matcher.knnMatch(query, train, neighbours, 2);
    for (const std::vector<cv::DMatch> &pair : neighbours)
        if (pair.size() == 2 && pair[0].distance < LoweRatio * pair[1].distance)
            ++result.good;
    result.ratio = double(result.good) / query.rows;
    return result;
}

OrbVerifier::Match OrbVerifier::match(const cv::Mat &a, const cv::Mat &b)
{
    try {
        const Match forward = matchOneWay(a, b);
        const Match backward = matchOneWay(b, a);
        return forward.ratio >= backward.ratio ? forward : backward;
    } catch (const std::exception &e) {
        qDebug() << "OrbVerifier:" << e.what();
        return {};
    }
}
