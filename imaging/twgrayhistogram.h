#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

#include <opencv2/core.hpp>

#include "platform/nativefilepath.h"

// What the similar-image pass knows about one image file: its size, a
// hue-saturation histogram (built at once, cheap to compare) and ORB
// descriptors (built on first request, cached). Holds no lock: the grouping
// that compares images and fills the descriptor cache runs one image at a time.
// A plain object, as every image item of a scan holds one.
class TwGrayHistogram {
    Q_DISABLE_COPY(TwGrayHistogram)

public:
    // The histogram is taken on a copy whose longer side is at most this long.
    static constexpr int HistogramSide = 256;
    // Descriptors are taken on a copy whose longer side is at most this long.
    static constexpr int DescriptorSide = 1024;
    static constexpr int HueBins = 50;
    static constexpr int SaturationBins = 60;

    // What the constructor loads. A copy of an image that is already filed
    // is never compared, and with similar-image analysis off nothing is, so
    // only its size is needed; a JPEG's size comes from its headers without
    // decoding it.
    enum class Contents { SizeAndHistogram, SizeOnly };

    // Loads the image, and builds its histogram unless `contents` says that
    // only the size is worth having.
    explicit TwGrayHistogram(
        const NativeFilePath &path, Contents contents = Contents::SizeAndHistogram);
    // An image whose size is already known (the accurate pass read it):
    // nothing is loaded, and no histogram is ever built.
    TwGrayHistogram(const NativeFilePath &path, cv::Size knownSize);
    ~TwGrayHistogram();

    // Empty when the file could not be loaded.
    QString imagePath() const;
    // Size of the complete image; 0 when it could not be loaded.
    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }
    // 50 x 60 floats normalised to 0..1; empty when not built or released.
    const cv::Mat &histogram() const;
    // The cached descriptors as they are, without computing them.
    const cv::Mat &descriptors() const;

    // Whether the colour distributions are alike: 1 - Bhattacharyya distance
    // strictly above `threshold`. False when either histogram is missing.
    bool similarToHistogram(const TwGrayHistogram &other, double threshold) const;

    // ORB descriptors, one row of 32 bytes per keypoint, computed on the first
    // call and cached; the result shares its data with the cache. Empty when
    // the image cannot be loaded (nothing is cached then) or has no keypoints.
    cv::Mat getORBImageDesc();

    // Whether more than `threshold` of the `query` rows have a distinctive
    // match among the `indexed` rows (LSH index, two nearest neighbours,
    // ratio test). Uses nothing of this object.
    bool similarToORB(const cv::Mat indexed, const cv::Mat query, double threshold) const;

    // Frees the histogram and the descriptors of an image that will not be
    // compared again. Later calls stay safe: the histogram test answers false
    // and getORBImageDesc() loads the image again.
    void releaseData();

    // Normalised hue-saturation histogram of a BGR working copy; empty (and
    // `error` set) when OpenCV fails.
    static cv::Mat computeHistogram(const cv::Mat &bgr, QString *error = nullptr);
    // ORB keypoints and descriptors of a BGR or grey working copy, exactly as
    // a detect followed by a compute with the same parameters gives them.
    static cv::Mat computeDescriptors(const cv::Mat &image, QString *error = nullptr);
    // Share of query rows whose nearest neighbour is clearly nearer than the
    // second one (second distance x 0.9 above the first). `indices` and
    // `distances` hold one row per query and the neighbours in columns; a row
    // without two neighbours (index -1) never counts.
    static float goodMatchRatio(const cv::Mat &indices, const cv::Mat &distances);

private:
    struct Data {
        cv::Mat histogram;
        cv::Mat descriptors;
    };
    Data &data();

    // Shares its bytes with the item's own path.
    NativeFilePath m_imagePath;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    // Only images that are compared have any: most copies are filed by
    // content and never need a histogram.
    std::unique_ptr<Data> m_data;
};
