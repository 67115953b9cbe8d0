#include <QtTest>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "imaging/perceptualhash.h"
#include "tests/imaging/testimages.h"

namespace {

constexpr int LowThreshold = 10;

cv::Mat photo(int seed, int hue = 30)
{
    return TestImages::scene(seed, cv::Size(640, 480), hue);
}

cv::Mat recompressed(const cv::Mat &image, int quality)
{
    const QByteArray jpeg = TestImages::encode(image, ".jpg", quality);
    const std::vector<uchar> bytes(jpeg.begin(), jpeg.end());
    return cv::imdecode(bytes, cv::IMREAD_COLOR);
}

} // namespace

class TestPerceptualHash : public QObject {
    Q_OBJECT

private slots:
    void identicalImagesAreAtDistanceZero()
    {
        const cv::Mat image = photo(1);
        const PerceptualHash a = PerceptualHash::fromImage(image);
        const PerceptualHash b = PerceptualHash::fromImage(image.clone());
        QVERIFY(a.isValid());
        QCOMPARE(a.distance(b), 0);
    }

    void emptyImageIsInvalidAndFarFromEverything()
    {
        const PerceptualHash none = PerceptualHash::fromImage(cv::Mat());
        QVERIFY(!none.isValid());
        QVERIFY(none.distance(PerceptualHash::fromImage(photo(1))) > 64);
    }

    void eachRotationIsFound_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("90") << int(cv::ROTATE_90_CLOCKWISE);
        QTest::newRow("180") << int(cv::ROTATE_180);
        QTest::newRow("270") << int(cv::ROTATE_90_COUNTERCLOCKWISE);
    }
    void eachRotationIsFound()
    {
        QFETCH(int, code);
        const cv::Mat image = photo(2);
        cv::Mat turned;
        cv::rotate(image, turned, code);
        const PerceptualHash original = PerceptualHash::fromImage(image);
        const PerceptualHash rotated = PerceptualHash::fromImage(turned);
        // Without the rotations the upright hashes are unrelated.
        QVERIFY(PerceptualHash::hamming(original.upright(), rotated.upright()) > LowThreshold);
        QVERIFY(original.distance(rotated) <= 2);
        QVERIFY(rotated.distance(original) <= 2);
    }

    void derivedCopiesStayWithinLowThreshold_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("half size") << 0;
        QTest::newRow("quarter size") << 1;
        QTest::newRow("jpeg q60") << 2;
        QTest::newRow("greyscale") << 3;
        QTest::newRow("brighter") << 4;
        QTest::newRow("all at once") << 5;
    }
    void derivedCopiesStayWithinLowThreshold()
    {
        QFETCH(int, kind);
        const cv::Mat image = photo(3);
        cv::Mat copy;
        switch (kind) {
        case 0: copy = TestImages::resized(image, image.size() / 2); break;
        case 1: copy = TestImages::resized(image, image.size() / 4); break;
        case 2: copy = recompressed(image, 60); break;
        case 3: cv::cvtColor(image, copy, cv::COLOR_BGR2GRAY); break;
        case 4: image.convertTo(copy, -1, 1.0, 25); break;
        default: {
            cv::Mat small = recompressed(TestImages::resized(image, image.size() / 2), 60);
            cv::cvtColor(small, copy, cv::COLOR_BGR2GRAY);
        }
        }
        const int distance = PerceptualHash::fromImage(image).distance(PerceptualHash::fromImage(copy));
        QVERIFY2(distance <= LowThreshold, qPrintable(QString::number(distance)));
    }

    void unrelatedScenesAreFarApart()
    {
        // Scenes of the same palette, so only their layout tells them apart.
        const PerceptualHash a = PerceptualHash::fromImage(photo(10));
        for (int seed = 11; seed < 20; ++seed) {
            const int distance = a.distance(PerceptualHash::fromImage(photo(seed)));
            QVERIFY2(distance > 18, qPrintable(QString::number(distance)));
        }
    }
};

QTEST_APPLESS_MAIN(TestPerceptualHash)
#include "tst_perceptualhash.moc"
