#include "imaging/twgrayhistogram.h"

#include <cstdint>
#include <exception>
#include <vector>

#include <QDebug>

#include <opencv2/features2d.hpp>
#include <opencv2/flann.hpp>
#include <opencv2/imgproc.hpp>

#include "imaging/twimagedecoder.h"

namespace {

const QString loadWarning = QStringLiteral("Warning: Can not load image file: ");

constexpr std::uint64_t LshSeed = 0x5eed7ab1e5ULL;

cv::Ptr<cv::ORB> createOrb()
{
    return cv::ORB::create(500, 1.2f, 8, 31, 0, 2, cv::ORB::HARRIS_SCORE, 31, 20);
}

double distanceAt(const cv::Mat &distances, int row, int col)
{
    return distances.type() == CV_32S ? double(distances.at<int>(row, col))
                                      : double(distances.at<float>(row, col));
}

} // namespace

TwGrayHistogram::TwGrayHistogram(const NativeFilePath &file, Contents contents)
{
    const QString path = file.path();
    cv::Size fullSize;
    // Only the size is wanted: the header tells it, and a file whose header
    // no reader knows is no image worth decoding for its size alone.
    if (contents == Contents::SizeOnly) {
        if (TwImageDecoder::fileDeclaredSize(path, &fullSize)) {
            m_imageWidth = fullSize.width;
            m_imageHeight = fullSize.height;
            m_imagePath = file;
        }
        return;
    }
    QString error;
    const cv::Mat working = TwImageDecoder::decodeFile(
        path, HistogramSide, &fullSize, &error, TwImageDecoder::Scaling::Whole);
    if (fullSize.empty()) {
        qDebug().noquote() << loadWarning + path;
        return;
    }
    m_imageWidth = fullSize.width;
    m_imageHeight = fullSize.height;
    m_imagePath = file;

    // Built aside and kept only when complete, so a failure never leaves a
    // half-made histogram that later comparisons would trust.
    cv::Mat histogram;
    if (!working.empty())
        histogram = computeHistogram(working, &error);
    if (histogram.empty()) {
        qDebug().noquote() << QStringLiteral("EROOR: TwGrayHistogram Can not load image file: ")
                + path << error;
        return;
    }
    data().histogram = histogram;
}

TwGrayHistogram::TwGrayHistogram(const NativeFilePath &path, cv::Size knownSize)
    : m_imagePath(knownSize.empty() ? NativeFilePath() : path)
    , m_imageWidth(knownSize.width)
    , m_imageHeight(knownSize.height)
{
}

TwGrayHistogram::~TwGrayHistogram() = default;

TwGrayHistogram::Data &TwGrayHistogram::data()
{
    if (!m_data)
        m_data = std::make_unique<Data>();
    return *m_data;
}

QString TwGrayHistogram::imagePath() const
{
    return m_imagePath.path();
}

const cv::Mat &TwGrayHistogram::histogram() const
{
    static const cv::Mat none;
    return m_data ? m_data->histogram : none;
}

const cv::Mat &TwGrayHistogram::descriptors() const
{
    static const cv::Mat none;
    return m_data ? m_data->descriptors : none;
}

bool TwGrayHistogram::similarToHistogram(const TwGrayHistogram &other, double threshold) const
{
    if (histogram().empty() || other.histogram().empty())
        return false;
    double distance = 1.0;
    try {
        distance = cv::compareHist(histogram(), other.histogram(), cv::HISTCMP_BHATTACHARYYA);
    } catch (const std::exception &e) {
        qDebug() << "similarToHistogram:" << e.what();
        return false;
    }
    return 1.0 - distance > threshold;
}

cv::Mat TwGrayHistogram::getORBImageDesc()
{
    if (!descriptors().empty())
        return descriptors();

    cv::Size fullSize;
    QString error;
    cv::Mat working;
    // An image that failed to load at construction has no path to try again.
    if (!m_imagePath.isEmpty())
        working = TwImageDecoder::decodeFile(
            imagePath(), DescriptorSide, &fullSize, &error, TwImageDecoder::Scaling::Whole);
    if (fullSize.empty()) {
        qDebug().noquote() << loadWarning + imagePath();
        return {};
    }
    cv::Mat descriptors;
    if (!working.empty())
        descriptors = computeDescriptors(working, &error);
    if (!error.isEmpty()) {
        qDebug().noquote() << QStringLiteral("getORBImageDesc:") + error << imagePath();
        return {};
    }
    data().descriptors = descriptors;
    return descriptors;
}

bool TwGrayHistogram::similarToORB(
    const cv::Mat indexed, const cv::Mat query, double threshold) const
{
    if (indexed.empty() || query.empty())
        return false;
    // The index cannot return two neighbours from fewer than two rows (and
    // refuses the search outright), so no query row could count.
    if (indexed.rows < 2)
        return false;
    float ratio = 0;
    try {
        // The index draws its hash bits from the thread's generator; a fixed
        // seed gives every pair the same answer in every run.
        cv::theRNG() = cv::RNG(LshSeed);
        cv::flann::Index index(
            indexed, cv::flann::LshIndexParams(12, 20, 2), cvflann::FLANN_DIST_HAMMING);
        cv::Mat indices;
        cv::Mat distances;
        index.knnSearch(query, indices, distances, 2, cv::flann::SearchParams(32, 0, true));
        ratio = goodMatchRatio(indices, distances);
    } catch (const std::exception &e) {
        qDebug().noquote() << QStringLiteral("similarToORB: ") + QString::fromUtf8(e.what());
        return false;
    }
    return double(ratio) > threshold;
}

void TwGrayHistogram::releaseData()
{
    m_data.reset();
}

cv::Mat TwGrayHistogram::computeHistogram(const cv::Mat &bgr, QString *error)
{
    try {
        cv::Mat hsv;
        cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
        const int channels[] = { 0, 1 };
        const int bins[] = { HueBins, SaturationBins };
        const float hueRange[] = { 0, 180 };
        const float saturationRange[] = { 0, 256 };
        const float *ranges[] = { hueRange, saturationRange };
        cv::Mat histogram;
        cv::calcHist(&hsv, 1, channels, cv::Mat(), histogram, 2, bins, ranges, true, false);
        cv::normalize(histogram, histogram, 0, 1, cv::NORM_MINMAX, -1);
        return histogram;
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromUtf8(e.what());
        return {};
    }
}

cv::Mat TwGrayHistogram::computeDescriptors(const cv::Mat &image, QString *error)
{
    try {
        // ORB converts to grey on each call; doing it once here gives the
        // same pixels for both steps.
        cv::Mat grey;
        if (image.channels() > 1)
            cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
        else
            grey = image;
        const cv::Ptr<cv::ORB> orb = createOrb();
        std::vector<cv::KeyPoint> keypoints;
        orb->detect(grey, keypoints);
        cv::Mat descriptors;
        orb->compute(grey, keypoints, descriptors);
        return descriptors;
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromUtf8(e.what());
        return {};
    }
}

float TwGrayHistogram::goodMatchRatio(const cv::Mat &indices, const cv::Mat &distances)
{
    if (indices.empty() || indices.type() != CV_32S || indices.size() != distances.size()
        || (distances.type() != CV_32S && distances.type() != CV_32F))
        return 0;
    int good = 0;
    if (indices.cols >= 2) {
        for (int row = 0; row < indices.rows; ++row) {
            if (indices.at<int>(row, 0) < 0 || indices.at<int>(row, 1) < 0)
                continue;
            if (distanceAt(distances, row, 1) * 0.9 > distanceAt(distances, row, 0))
                ++good;
        }
    }
    return float(good) / float(indices.rows);
}
