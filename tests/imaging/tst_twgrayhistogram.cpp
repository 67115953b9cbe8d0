#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include <QtTest>

#include <opencv2/features2d.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "imaging/twgrayhistogram.h"
#include "imaging/twimagedecoder.h"
#include "tests/imaging/testimages.h"
#include "tests/support/temptree.h"

Q_DECLARE_METATYPE(cv::Mat)

namespace {

double bhattacharyya(const cv::Mat &a, const cv::Mat &b)
{
    return cv::compareHist(a, b, cv::HISTCMP_BHATTACHARYYA);
}

bool sameMatrix(const cv::Mat &a, const cv::Mat &b)
{
    return a.size() == b.size() && a.type() == b.type()
        && (a.empty() || cv::norm(a, b, cv::NORM_INF) == 0);
}

cv::Mat intMatrix(int rows, int cols, const std::vector<int> &values)
{
    return cv::Mat(rows, cols, CV_32S, const_cast<int *>(values.data())).clone();
}

} // namespace

class TestTwGrayHistogram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void loadsSizeAndPath_data();
    void loadsSizeAndPath();
    void sizeOnlyAgreesWithFullLoad_data() { loadsSizeAndPath_data(); }
    void sizeOnlyAgreesWithFullLoad();
    void reducedDecodingKeepsTheHistogram();

    void identicalFilesAreSimilar();
    void resizedAndRecompressedCopyIsSimilar();
    void unrelatedScenesAreNotSimilar_data();
    void unrelatedScenesAreNotSimilar();
    void histogramThresholdIsStrict();

    void uniformImageHasNoDescriptors();
    void unreadableFilesNeverMatch_data();
    void unreadableFilesNeverMatch();
    void sizeOnlyIsNeverSimilar();

    void descriptorsAreCachedAndShared();
    void descriptorsEqualTwoStepOrb();
    void releaseDataFreesAndStaysSafe();
    void descriptorsRetryAfterLoadFailure();
    void worksOnSeveralThreadsAtOnce();

    void goodMatchRatio_data();
    void goodMatchRatio();
    void similarToORBRejectsUnusableInput();

private:
    TempTree m_tree;
    QString m_original;
    QString m_copy;
    QString m_resized;
    QString m_unrelated;
    QString m_sameHue;
    QString m_uniform;
    QString m_big;
    QString m_rotated;
    QString m_tall;
    QString m_nonAscii;
    QString m_notImage;
    QString m_emptyFile;
};

void TestTwGrayHistogram::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_tree.isValid());

    const cv::Mat original = TestImages::scene(11, cv::Size(1200, 900), 20);
    const QByteArray originalJpeg = TestImages::encode(original, ".jpg");
    m_original = m_tree.writeFile("original.jpg", originalJpeg);
    m_copy = m_tree.writeFile("copies/original copy.jpg", originalJpeg);
    m_resized = m_tree.writeFile("resized.jpg",
        TestImages::encode(TestImages::resized(original, cv::Size(900, 675)), ".jpg", 75));
    m_unrelated = m_tree.writeFile("unrelated.jpg",
        TestImages::encode(TestImages::scene(12, cv::Size(1200, 900), 110), ".jpg"));
    m_sameHue = m_tree.writeFile(
        "same hue.png", TestImages::encode(TestImages::scene(13, cv::Size(1200, 900), 24), ".png"));
    m_uniform = m_tree.writeFile("uniform.png",
        TestImages::encode(cv::Mat(480, 640, CV_8UC3, cv::Scalar(40, 120, 200)), ".png"));
    m_big = m_tree.writeFile(
        "big.jpg", TestImages::encode(TestImages::scene(14, cv::Size(4000, 3000), 60), ".jpg", 90));
    m_rotated
        = m_tree.writeFile("rotated.jpg", TestImages::withExifOrientation(originalJpeg, 6, false));
    m_tall = m_tree.writeFile(
        "tall.png", TestImages::encode(TestImages::scene(15, cv::Size(200, 5000), 150), ".png"));
    m_nonAscii = m_tree.writeFile(QStringLiteral("Ürün fotoğrafı 写真.jpg"), originalJpeg);
    m_notImage = m_tree.writeFile("letter.jpg", "Dear reader, this is not a picture.");
    m_emptyFile = m_tree.writeFile("empty.png", QByteArray());
    for (const QString &path : { m_original, m_copy, m_resized, m_unrelated, m_sameHue, m_uniform,
             m_big, m_rotated, m_tall, m_nonAscii, m_notImage, m_emptyFile })
        QVERIFY(!path.isEmpty());
}

void TestTwGrayHistogram::loadsSizeAndPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("photo") << m_original << 1200 << 900;
    QTest::newRow("large photo, reduced while decoding") << m_big << 4000 << 3000;
    QTest::newRow("turned a quarter by EXIF") << m_rotated << 900 << 1200;
    QTest::newRow("tall and narrow") << m_tall << 200 << 5000;
    QTest::newRow("non-ASCII name") << m_nonAscii << 1200 << 900;
    QTest::newRow("uniform") << m_uniform << 640 << 480;
}

void TestTwGrayHistogram::loadsSizeAndPath()
{
    QFETCH(QString, path);
    QFETCH(int, width);
    QFETCH(int, height);

    const TwGrayHistogram histogram(path);
    QCOMPARE(histogram.imagePath(), path);
    QCOMPARE(histogram.imageWidth(), width);
    QCOMPARE(histogram.imageHeight(), height);
    const cv::Mat &bins = histogram.histogram();
    QCOMPARE(bins.rows, TwGrayHistogram::HueBins);
    QCOMPARE(bins.cols, TwGrayHistogram::SaturationBins);
    QCOMPARE(bins.type(), CV_32F);
    double minimum = -1;
    double maximum = -1;
    cv::minMaxLoc(bins, &minimum, &maximum);
    QCOMPARE(minimum, 0.0);
    QVERIFY(qAbs(maximum - 1.0) < 1e-6);
    QVERIFY(histogram.descriptors().empty());
}

void TestTwGrayHistogram::sizeOnlyAgreesWithFullLoad()
{
    QFETCH(QString, path);
    QFETCH(int, width);
    QFETCH(int, height);

    // JPEG sizes come from the headers (EXIF turns included), others from a
    // decode; either way the size matches and nothing is built.
    const TwGrayHistogram sized(path, TwGrayHistogram::Contents::SizeOnly);
    QCOMPARE(sized.imagePath(), path);
    QCOMPARE(sized.imageWidth(), width);
    QCOMPARE(sized.imageHeight(), height);
    QVERIFY(sized.histogram().empty());
    QVERIFY(sized.descriptors().empty());

    const TwGrayHistogram full(path);
    QCOMPARE(sized.imageWidth(), full.imageWidth());
    QCOMPARE(sized.imageHeight(), full.imageHeight());
}

void TestTwGrayHistogram::reducedDecodingKeepsTheHistogram()
{
    // The histogram of a plain full decode resized to the same working size.
    QFile file(m_big);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const cv::Mat full = cv::imdecode(
        cv::Mat(1, bytes.size(), CV_8UC1, const_cast<char *>(bytes.constData())), cv::IMREAD_COLOR);
    QCOMPARE(full.size(), cv::Size(4000, 3000));
    cv::Mat working;
    cv::resize(full, working, cv::Size(256, 192), 0, 0, cv::INTER_LINEAR);
    const cv::Mat reference = TwGrayHistogram::computeHistogram(working);

    const TwGrayHistogram histogram(m_big);
    const double distance = bhattacharyya(histogram.histogram(), reference);
    QVERIFY2(distance < 0.15, qPrintable(QString::number(distance)));
}

void TestTwGrayHistogram::identicalFilesAreSimilar()
{
    TwGrayHistogram original(m_original);
    TwGrayHistogram copy(m_copy);
    QVERIFY(original.similarToHistogram(copy, 0.99));
    QVERIFY(copy.similarToHistogram(original, 0.99));
    QVERIFY(original.similarToHistogram(original, 0.99));

    const cv::Mat a = original.getORBImageDesc();
    const cv::Mat b = copy.getORBImageDesc();
    QCOMPARE(a.cols, 32);
    QCOMPARE(a.type(), CV_8U);
    QVERIFY(a.rows > 100 && a.rows <= 500);
    QVERIFY(sameMatrix(a, b));
    QVERIFY(original.similarToORB(a, b, 0.45));
    QVERIFY(original.similarToORB(a, b, 0.9));
}

void TestTwGrayHistogram::resizedAndRecompressedCopyIsSimilar()
{
    TwGrayHistogram original(m_original);
    TwGrayHistogram resized(m_resized);
    QCOMPARE(resized.imageWidth(), 900);
    QVERIFY(resized.similarToHistogram(original, 0.75));
    QVERIFY(original.similarToHistogram(resized, 0.75));
    QVERIFY(resized.similarToORB(resized.getORBImageDesc(), original.getORBImageDesc(), 0.45));
    QVERIFY(original.similarToORB(original.getORBImageDesc(), resized.getORBImageDesc(), 0.45));
}

void TestTwGrayHistogram::unrelatedScenesAreNotSimilar_data()
{
    QTest::addColumn<QString>("other");
    QTest::newRow("other colours") << m_unrelated;
    QTest::newRow("same colours, other shapes") << m_sameHue;
}

void TestTwGrayHistogram::unrelatedScenesAreNotSimilar()
{
    QFETCH(QString, other);
    TwGrayHistogram original(m_original);
    TwGrayHistogram unrelated(other);
    QVERIFY(!unrelated.histogram().empty());
    QVERIFY(!original.similarToHistogram(unrelated, 0.75));
    QVERIFY(!unrelated.similarToHistogram(original, 0.75));
    const cv::Mat a = original.getORBImageDesc();
    const cv::Mat b = unrelated.getORBImageDesc();
    QVERIFY(!a.empty() && !b.empty());
    QVERIFY(!original.similarToORB(b, a, 0.45));
    QVERIFY(!original.similarToORB(a, b, 0.45));
}

void TestTwGrayHistogram::histogramThresholdIsStrict()
{
    // Identical histograms have distance 0, so 1 - 0 is not above 1.0.
    const TwGrayHistogram original(m_original);
    const TwGrayHistogram copy(m_copy);
    QVERIFY(original.similarToHistogram(copy, 0.999));
    QVERIFY(!original.similarToHistogram(copy, 1.0));
}

void TestTwGrayHistogram::uniformImageHasNoDescriptors()
{
    TwGrayHistogram uniform(m_uniform);
    TwGrayHistogram original(m_original);
    QVERIFY(!uniform.histogram().empty());
    QVERIFY(uniform.similarToHistogram(uniform, 0.99));
    QVERIFY(uniform.getORBImageDesc().empty());
    QVERIFY(uniform.descriptors().empty());
    const cv::Mat a = original.getORBImageDesc();
    QVERIFY(!uniform.similarToORB(uniform.getORBImageDesc(), a, 0.0));
    QVERIFY(!uniform.similarToORB(a, uniform.getORBImageDesc(), 0.0));
}

void TestTwGrayHistogram::unreadableFilesNeverMatch_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("text with an image suffix") << m_notImage;
    QTest::newRow("empty file") << m_emptyFile;
    QTest::newRow("missing file") << m_tree.path("gone.jpg");
    QTest::newRow("folder") << m_tree.path("copies");
}

void TestTwGrayHistogram::unreadableFilesNeverMatch()
{
    QFETCH(QString, path);
    TwGrayHistogram broken(path);
    TwGrayHistogram original(m_original);
    QVERIFY(broken.imagePath().isEmpty());
    QCOMPARE(broken.imageWidth(), 0);
    QCOMPARE(broken.imageHeight(), 0);
    QVERIFY(broken.histogram().empty());
    QVERIFY(!broken.similarToHistogram(original, 0.0));
    QVERIFY(!original.similarToHistogram(broken, 0.0));
    QVERIFY(!broken.similarToHistogram(broken, 0.0));
    QVERIFY(broken.getORBImageDesc().empty());
    broken.releaseData();
    QVERIFY(broken.getORBImageDesc().empty());
}

// What a scan with similar-image analysis off makes of its images.
void TestTwGrayHistogram::sizeOnlyIsNeverSimilar()
{
    const TwGrayHistogram off(m_original, TwGrayHistogram::Contents::SizeOnly);
    const TwGrayHistogram offCopy(m_copy, TwGrayHistogram::Contents::SizeOnly);
    QCOMPARE(off.imagePath(), m_original);
    QCOMPARE(off.imageWidth(), 1200);
    QCOMPARE(off.imageHeight(), 900);
    QVERIFY(off.histogram().empty());
    QVERIFY(!off.similarToHistogram(offCopy, 0.0));
    QVERIFY(!off.similarToHistogram(off, 0.0));

    const TwGrayHistogram on(m_original);
    QVERIFY(!on.histogram().empty());
    QVERIFY(!on.similarToHistogram(off, 0.0));
}

void TestTwGrayHistogram::descriptorsAreCachedAndShared()
{
    TwGrayHistogram original(m_original);
    const cv::Mat first = original.getORBImageDesc();
    QVERIFY(!first.empty());
    const cv::Mat second = original.getORBImageDesc();
    QCOMPARE(second.data, first.data);
    QCOMPARE(original.descriptors().data, first.data);
}

void TestTwGrayHistogram::descriptorsEqualTwoStepOrb()
{
    // Two detector objects on the colour working copy (the whole image
    // decoded, then resized), one to detect and one to describe.
    cv::Size fullSize;
    const cv::Mat working = TwImageDecoder::decodeFile(
        m_big, TwGrayHistogram::DescriptorSide, &fullSize, nullptr, TwImageDecoder::Scaling::Whole);
    QCOMPARE(working.size(), cv::Size(1024, 768));
    const auto create
        = [] { return cv::ORB::create(500, 1.2f, 8, 31, 0, 2, cv::ORB::HARRIS_SCORE, 31, 20); };
    std::vector<cv::KeyPoint> keypoints;
    create()->detect(working, keypoints);
    cv::Mat expected;
    create()->compute(working, keypoints, expected);
    QVERIFY(!expected.empty());

    QVERIFY(sameMatrix(TwGrayHistogram::computeDescriptors(working), expected));
    TwGrayHistogram big(m_big);
    QVERIFY(sameMatrix(big.getORBImageDesc(), expected));
}

void TestTwGrayHistogram::releaseDataFreesAndStaysSafe()
{
    TwGrayHistogram original(m_original);
    TwGrayHistogram copy(m_copy);
    const cv::Mat before = original.getORBImageDesc().clone();
    QVERIFY(original.similarToHistogram(copy, 0.75));

    original.releaseData();
    QVERIFY(original.histogram().empty());
    QVERIFY(original.descriptors().empty());
    QVERIFY(!original.similarToHistogram(copy, 0.0));
    QVERIFY(!copy.similarToHistogram(original, 0.0));
    QCOMPARE(original.imageWidth(), 1200);
    QCOMPARE(original.imagePath(), m_original);

    // Descriptors come back on request, the same as before.
    QVERIFY(sameMatrix(original.getORBImageDesc(), before));
    QVERIFY(!original.descriptors().empty());
    original.releaseData();
    original.releaseData();
    QVERIFY(original.descriptors().empty());
    QVERIFY(!original.similarToHistogram(copy, 0.0));
}

void TestTwGrayHistogram::descriptorsRetryAfterLoadFailure()
{
    QFile source(m_original);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const QString path = m_tree.writeFile("moving.jpg", bytes);
    TwGrayHistogram moving(path);
    QVERIFY(!moving.histogram().empty());

    QVERIFY(QFile::remove(path));
    QVERIFY(moving.getORBImageDesc().empty());
    QVERIFY(moving.descriptors().empty());

    QCOMPARE(m_tree.writeFile("moving.jpg", bytes), path);
    QVERIFY(!moving.getORBImageDesc().empty());
}

void TestTwGrayHistogram::worksOnSeveralThreadsAtOnce()
{
    // The comparison workers build items in parallel; each object is its own.
    const QStringList paths { m_original, m_resized, m_unrelated, m_big };
    TwGrayHistogram original(m_original);
    const cv::Mat expectedDescriptors = original.getORBImageDesc();

    std::vector<std::unique_ptr<TwGrayHistogram>> built(paths.size() * 2);
    std::vector<int> similar(built.size(), -1);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < built.size(); ++i) {
        threads.emplace_back([&, i] {
            built[i] = std::make_unique<TwGrayHistogram>(paths.at(int(i % paths.size())));
            const cv::Mat mine = built[i]->getORBImageDesc();
            similar[i] = built[i]->similarToORB(mine, expectedDescriptors, 0.45) ? 1 : 0;
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    for (size_t i = 0; i < built.size(); ++i) {
        const TwGrayHistogram serial(paths.at(int(i % paths.size())));
        QVERIFY(sameMatrix(built[i]->histogram(), serial.histogram()));
        QVERIFY(!built[i]->descriptors().empty());
    }
    QCOMPARE(similar[0], 1); // the original itself
    QCOMPARE(similar[1], 1); // its resized copy
    QCOMPARE(similar[2], 0); // an unrelated scene
}

void TestTwGrayHistogram::goodMatchRatio_data()
{
    QTest::addColumn<cv::Mat>("indices");
    QTest::addColumn<cv::Mat>("distances");
    QTest::addColumn<float>("ratio");

    QTest::newRow("every match distinctive")
        << intMatrix(2, 2, { 0, 1, 1, 0 }) << intMatrix(2, 2, { 0, 40, 10, 30 }) << 1.0f;
    QTest::newRow("two neighbours at distance 0 do not count")
        << intMatrix(2, 2, { 0, 1, 2, 3 }) << intMatrix(2, 2, { 0, 0, 0, 5 }) << 0.5f;
    // 10 x 0.9 = 9 is not above 9; above 8 it is.
    QTest::newRow("ratio boundary")
        << intMatrix(2, 2, { 0, 1, 0, 1 }) << intMatrix(2, 2, { 9, 10, 8, 10 }) << 0.5f;
    QTest::newRow("missing second neighbour")
        << intMatrix(4, 2, { 0, -1, 1, 2, -1, -1, 3, 4 })
        << intMatrix(4, 2, { 0, std::numeric_limits<int>::max(), 1, 50, 0, 0, 60, 61 }) << 0.25f;
    cv::Mat floatDistances = (cv::Mat_<float>(2, 2) << 1.5f, 2.0f, 1.9f, 2.0f);
    QTest::newRow("float distances") << intMatrix(2, 2, { 0, 1, 0, 1 }) << floatDistances << 0.5f;
    QTest::newRow("one neighbour per row")
        << intMatrix(2, 1, { 0, 1 }) << intMatrix(2, 1, { 0, 0 }) << 0.0f;
    QTest::newRow("no rows") << cv::Mat() << cv::Mat() << 0.0f;
    QTest::newRow("sizes differ") << intMatrix(2, 2, { 0, 1, 0, 1 }) << intMatrix(1, 2, { 0, 9 })
                                  << 0.0f;
}

void TestTwGrayHistogram::goodMatchRatio()
{
    QFETCH(cv::Mat, indices);
    QFETCH(cv::Mat, distances);
    QFETCH(float, ratio);
    QCOMPARE(TwGrayHistogram::goodMatchRatio(indices, distances), ratio);
}

void TestTwGrayHistogram::similarToORBRejectsUnusableInput()
{
    TwGrayHistogram original(m_original);
    const cv::Mat descriptors = original.getORBImageDesc();
    QVERIFY(descriptors.rows > 2);

    QVERIFY(!original.similarToORB(cv::Mat(), descriptors, 0.0));
    QVERIFY(!original.similarToORB(descriptors, cv::Mat(), 0.0));
    // A single indexed row cannot give two neighbours.
    QVERIFY(!original.similarToORB(descriptors.rowRange(0, 1), descriptors, 0.0));
    cv::Mat asFloat;
    descriptors.convertTo(asFloat, CV_32F);
    QVERIFY(!original.similarToORB(asFloat, asFloat, 0.0));
    QVERIFY(!original.similarToORB(descriptors, descriptors.colRange(0, 16).clone(), 0.0));
    // Still usable afterwards.
    QVERIFY(original.similarToORB(descriptors, descriptors, 0.45));
}

QTEST_GUILESS_MAIN(TestTwGrayHistogram)
#include "tst_twgrayhistogram.moc"
