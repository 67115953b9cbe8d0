#include <QBuffer>
#include <QImage>
#include <QtTest>

#include <opencv2/imgcodecs.hpp>

#include "imaging/codecloader.h"
#include "imaging/twimagedecoder.h"
#include "tests/imaging/testimages.h"

// Runs in a process of its own, so nothing has decoded before the first case.
class TestCodecLoader : public QObject {
    Q_OBJECT

private slots:
    void loadedOnFirstDecodeOnly();
    void codecsHoldThePixelLimit();
};

namespace {

cv::Mat bufferOf(const QByteArray &bytes)
{
    return cv::Mat(1, bytes.size(), CV_8UC1, const_cast<char *>(bytes.constData()));
}

QByteArray pngOf(const QImage &picture)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return {};
    return png;
}

// `png` with its header rewritten to declare `width` x `height` pixels.
QByteArray declaring(QByteArray png, int width, int height)
{
    TestImages::putBigEndian32(&png, 16, quint32(width));
    TestImages::putBigEndian32(&png, 20, quint32(height));
    TestImages::putBigEndian32(&png, 29, TestImages::pngCrc(png.constData() + 12, 17));
    return png;
}

} // namespace

void TestCodecLoader::loadedOnFirstDecodeOnly()
{
    QVERIFY(!CodecLoader::isLoaded());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 40, 10));
    const QByteArray png = pngOf(picture);
    QVERIFY(!png.isEmpty());

    QString error;
    const cv::Mat image = CodecLoader::decode(bufferOf(png), cv::IMREAD_COLOR, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(CodecLoader::isLoaded());
    QCOMPARE(image.cols, 40);
    QCOMPARE(image.rows, 30);
    // OpenCV's channel order: blue, green, red.
    const cv::Vec3b pixel = image.at<cv::Vec3b>(5, 5);
    QCOMPARE(int(pixel[2]), 200);
    QCOMPARE(int(pixel[0]), 10);

    // Bytes that are no image: empty, and no failure of the codecs.
    const QByteArray junk(500, 'x');
    QVERIFY(CodecLoader::decode(bufferOf(junk), cv::IMREAD_COLOR, &error).empty());
    QVERIFY(error.isEmpty());
}

void TestCodecLoader::codecsHoldThePixelLimit()
{
    // The codecs themselves refuse what the decoder's own header check
    // would, for the formats whose headers it cannot read; given to them
    // directly here, a PNG stands in for those.
    QImage picture(40, 30, QImage::Format_Grayscale8);
    picture.fill(7);
    const QByteArray png = pngOf(picture);
    QVERIFY(!png.isEmpty());
    const int height = 10000;
    const int width = int(TwImageDecoder::MaximumPixels / height);
    QString error;
    const cv::Mat above = CodecLoader::decode(
        bufferOf(declaring(png, width + 1, height)), cv::IMREAD_GRAYSCALE, &error);
    QVERIFY(above.empty());
    QVERIFY2(error.contains(QStringLiteral("CV_IO_MAX_IMAGE_PIXELS")), qPrintable(error));
    // At the limit the size passes (the short data then fails to decode).
    error.clear();
    CodecLoader::decode(bufferOf(declaring(png, width, height)), cv::IMREAD_GRAYSCALE, &error);
    QVERIFY2(!error.contains(QStringLiteral("CV_IO_MAX_IMAGE_PIXELS")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestCodecLoader)
#include "tst_codecloader.moc"
