#include <QtTest>

#include <opencv2/imgproc.hpp>

#include "imaging/orbverifier.h"
#include "model/similaritythresholds.h"
#include "tests/imaging/testimages.h"

namespace {

bool passes(const OrbVerifier::Match &match)
{
    const SimilarityThresholds defaults;
    return match.good >= defaults.orbMatches && match.ratio >= defaults.orbRatio;
}

QByteArray describe(const OrbVerifier::Match &match)
{
    return QByteArray::number(match.good) + " good, ratio " + QByteArray::number(match.ratio);
}

} // namespace

class TestOrbVerifier : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_original = TestImages::scene(11, cv::Size(1600, 1200), 100);
        m_descriptors = OrbVerifier::descriptorsForImage(m_original);
        QCOMPARE(m_descriptors.cols, 32);
        QVERIFY(m_descriptors.rows > 300);
    }

    void smallCopiesMeetTheOriginalAtOneScale_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("half") << 0.5;
        QTest::newRow("quarter") << 0.25;
    }

    void smallCopiesMeetTheOriginalAtOneScale()
    {
        QFETCH(double, scale);
        const cv::Size size(int(1600 * scale), int(1200 * scale));
        const cv::Mat copy = TestImages::resized(m_original, size);
        const OrbVerifier::Match match
            = OrbVerifier::match(m_descriptors, OrbVerifier::descriptorsForImage(copy));
        QVERIFY2(passes(match), describe(match).constData());
    }

    void cropIsJudgedInItsFavourableDirection()
    {
        // A third of the picture: of its own points most are in the original,
        // of the original's only a part are in it.
        const cv::Mat crop = m_original(cv::Rect(400, 300, 800, 600)).clone();
        const cv::Mat cropped = OrbVerifier::descriptorsForImage(crop);
        const OrbVerifier::Match forward = OrbVerifier::match(cropped, m_descriptors);
        const OrbVerifier::Match backward = OrbVerifier::match(m_descriptors, cropped);
        QCOMPARE(forward.good, backward.good);
        QCOMPARE(forward.ratio, backward.ratio);
        QVERIFY2(passes(forward), describe(forward).constData());
    }

    void unrelatedSceneFails()
    {
        const cv::Mat other = TestImages::scene(12, cv::Size(1600, 1200), 100);
        const OrbVerifier::Match match
            = OrbVerifier::match(m_descriptors, OrbVerifier::descriptorsForImage(other));
        QVERIFY2(!passes(match), describe(match).constData());
    }

    void emptyOrForeignDescriptorsNeverMatch()
    {
        QCOMPARE(OrbVerifier::match(cv::Mat(), m_descriptors).good, 0);
        QVERIFY(!passes(OrbVerifier::match(m_descriptors, m_descriptors.row(0))));
        const cv::Mat floats(10, 32, CV_32F, cv::Scalar(1));
        QCOMPARE(OrbVerifier::match(floats, m_descriptors).good, 0);
        // A flat picture has no corners at all.
        const cv::Mat flat(300, 400, CV_8UC3, cv::Scalar(90, 120, 150));
        QVERIFY(OrbVerifier::descriptorsForImage(flat).empty());
    }

    void cropOfALowContrastPictureStillMatches()
    {
        // A soft wallpaper: the whole picture spans a few grey levels, below
        // the contrast ORB looks for at first, so only the second look finds
        // its corners.
        const auto soft = [](int seed) {
            cv::Mat image;
            TestImages::scene(seed, cv::Size(1600, 1000), 100).convertTo(image, -1, 0.15, 90);
            cv::GaussianBlur(image, image, cv::Size(0, 0), 1.0);
            return image;
        };
        const cv::Mat original = soft(21);
        const cv::Mat crop = original(cv::Rect(80, 50, 1440, 900)).clone();
        const cv::Mat descriptors = OrbVerifier::descriptorsForImage(original);
        QVERIFY2(descriptors.rows >= OrbVerifier::Features / 2,
            QByteArray::number(descriptors.rows).constData());
        const OrbVerifier::Match match
            = OrbVerifier::match(descriptors, OrbVerifier::descriptorsForImage(crop));
        QVERIFY2(passes(match), describe(match).constData());
        const OrbVerifier::Match other
            = OrbVerifier::match(descriptors, OrbVerifier::descriptorsForImage(soft(22)));
        QVERIFY2(!passes(other), describe(other).constData());
    }

    void sameImageGivesTheSameDescriptors()
    {
        const cv::Mat again = OrbVerifier::descriptorsForImage(m_original);
        QCOMPARE(again.size(), m_descriptors.size());
        QCOMPARE(cv::norm(again, m_descriptors, cv::NORM_HAMMING), 0.0);
    }

private:
    cv::Mat m_original;
    cv::Mat m_descriptors;
};

QTEST_GUILESS_MAIN(TestOrbVerifier)
#include "tst_orbverifier.moc"
