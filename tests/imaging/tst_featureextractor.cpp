#include <QtTest>

#include <opencv2/imgproc.hpp>

#include "imaging/featureextractor.h"
#include "tests/imaging/testimages.h"
#include "tests/support/temptree.h"

namespace {

ImageFeatures featuresOf(const cv::Mat &image)
{
    return FeatureExtractor::fromImage(image, image.size());
}

cv::Mat greyscale(const cv::Mat &bgr)
{
    cv::Mat grey, back;
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    cv::cvtColor(grey, back, cv::COLOR_GRAY2BGR);
    return back;
}

// The same picture with every hue turned by `shift` (of 180): equal
// luminance structure, different colours.
cv::Mat hueShifted(const cv::Mat &bgr, int shift)
{
    cv::Mat hsv;
    cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV);
    for (int y = 0; y < hsv.rows; ++y)
        for (int x = 0; x < hsv.cols; ++x) {
            uchar &h = hsv.at<cv::Vec3b>(y, x)[0];
            h = uchar((h + shift) % 180);
        }
    cv::Mat result;
    cv::cvtColor(hsv, result, cv::COLOR_HSV2BGR);
    return result;
}

} // namespace

class TestFeatureExtractor : public QObject {
    Q_OBJECT

private slots:
    void greyCopyIsComparedByLuminance()
    {
        const cv::Mat colour = TestImages::scene(3, cv::Size(480, 360), 20);
        const ImageFeatures original = featuresOf(colour);
        const ImageFeatures grey = featuresOf(greyscale(colour));
        QVERIFY(!original.grey);
        QVERIFY(grey.grey);
        // Hue/saturation alone would call them unrelated: a grey image has
        // all its pixels in the no-saturation bins.
        QVERIFY(FeatureExtractor::bhattacharyyaSimilarity(original.colour, grey.colour) < 0.5);
        const double similarity = FeatureExtractor::histogramSimilarity(original, grey);
        QVERIFY2(similarity > 0.9, qPrintable(QString::number(similarity)));
        QCOMPARE(FeatureExtractor::histogramSimilarity(grey, original), similarity);
    }

    void coloursStillDecideBetweenColourImages()
    {
        const cv::Mat warm = TestImages::scene(4, cv::Size(480, 360), 10);
        const ImageFeatures a = featuresOf(warm);
        const ImageFeatures b = featuresOf(hueShifted(warm, 90));
        // Their luminance is close, but neither is grey, so colour is compared.
        QVERIFY(FeatureExtractor::bhattacharyyaSimilarity(a.luminance, b.luminance) > 0.7);
        QVERIFY(FeatureExtractor::histogramSimilarity(a, b) < 0.3);
        QVERIFY(FeatureExtractor::histogramSimilarity(a, a) > 0.999);
    }

    void fileFeaturesKeepTheFullSizeAndAreSmall()
    {
        TempTree tree;
        const cv::Mat big = TestImages::scene(5, cv::Size(2400, 1200), 60);
        const QString path = tree.writeFile("big.jpg", TestImages::encode(big, ".jpg"));
        const ImageFeatures features = FeatureExtractor::fromFile(path);
        QVERIFY(features.isValid());
        QCOMPARE(features.width, 2400);
        QCOMPARE(features.height, 1200);
        QCOMPARE(features.aspect(), 2.0);
        // A few KB per image, whatever its size.
        const std::size_t bytes
            = (features.colour.size() + features.luminance.size()) * sizeof(float);
        QVERIFY(bytes < 8 * 1024);
        // The reduced decode sees the same picture as a plain one.
        QVERIFY(features.hash.distance(featuresOf(big).hash) <= 4);
    }

    void unreadableFileGivesInvalidFeatures()
    {
        TempTree tree;
        const QString path = tree.writeFile("broken.jpg", QByteArray("\xFF\xD8 not really", 12));
        const ImageFeatures features = FeatureExtractor::fromFile(path);
        QVERIFY(!features.isValid());
        QCOMPARE(features.aspect(), 1.0);
        QCOMPARE(FeatureExtractor::histogramSimilarity(
                     features, featuresOf(TestImages::scene(1, cv::Size(64, 64), 0))),
            0.0);
    }
};

QTEST_GUILESS_MAIN(TestFeatureExtractor)
#include "tst_featureextractor.moc"
