#include <QBuffer>
#include <QImage>
#include <QtTest>

#include <opencv2/imgcodecs.hpp>

#include "imaging/codecloader.h"

// Runs in a process of its own, so nothing has decoded before the first case.
class TestCodecLoader : public QObject {
    Q_OBJECT

private slots:
    void loadedOnFirstDecodeOnly();
};

namespace {

cv::Mat bufferOf(const QByteArray &bytes)
{
    return cv::Mat(1, bytes.size(), CV_8UC1, const_cast<char *>(bytes.constData()));
}

} // namespace

void TestCodecLoader::loadedOnFirstDecodeOnly()
{
    QVERIFY(!CodecLoader::isLoaded());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 40, 10));
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));

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

QTEST_GUILESS_MAIN(TestCodecLoader)
#include "tst_codecloader.moc"
