#pragma once

#include <algorithm>
#include <vector>

#include <QByteArray>
#include <QtTest>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

// Readable sizes in failure messages.
namespace QTest {
template <> inline char *toString(const cv::Size &size)
{
    const QByteArray text = QByteArray::number(size.width) + 'x' + QByteArray::number(size.height);
    return qstrdup(text.constData());
}
} // namespace QTest

// Pictures drawn by the tests: textured scenes whose colours stay near one
// hue, so scenes of distant hues have clearly different colour distributions.
namespace TestImages {

inline cv::Mat scene(int seed, cv::Size size, int hue)
{
    cv::RNG rng(seed);
    const auto colour = [&] {
        const int h = (hue + rng.uniform(-8, 9) + 180) % 180;
        return cv::Scalar(h, rng.uniform(90, 256), rng.uniform(60, 256));
    };
    // A smooth gradient between two colours of the palette, like a sky or a wall.
    cv::Mat hsv(size, CV_8UC3);
    const cv::Scalar top = colour();
    const cv::Scalar bottom = colour();
    for (int y = 0; y < size.height; ++y) {
        const double t = double(y) / std::max(1, size.height - 1);
        hsv.row(y).setTo(top * (1 - t) + bottom * t);
    }
    const int scale = std::max(1, std::min(size.width, size.height) / 40);
    for (int i = 0; i < 220; ++i) {
        const cv::Point a(rng.uniform(0, size.width), rng.uniform(0, size.height));
        const cv::Point b(rng.uniform(0, size.width), rng.uniform(0, size.height));
        switch (i % 4) {
        case 0:
            cv::circle(hsv, a, rng.uniform(1, 4) * scale, colour(), cv::FILLED);
            break;
        case 1:
            cv::rectangle(hsv, a, a + (b - a) / 6, colour(), cv::FILLED);
            break;
        case 2:
            cv::line(hsv, a, b, colour(), std::max(1, scale / 3));
            break;
        default: {
            const std::vector<cv::Point> triangle { a, b, (a + b) / 2 + cv::Point(scale * 3, 0) };
            cv::fillConvexPoly(hsv, triangle, colour());
        }
        }
    }
    cv::Mat bgr;
    cv::cvtColor(hsv, bgr, cv::COLOR_HSV2BGR);
    // Soft edges and a little sensor noise, as a camera gives them.
    cv::GaussianBlur(bgr, bgr, cv::Size(5, 5), 1.2);
    cv::Mat noise(size, CV_16SC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, 3);
    cv::Mat noisy;
    cv::add(bgr, noise, noisy, cv::noArray(), CV_8UC3);
    return noisy;
}

inline QByteArray encode(const cv::Mat &image, const char *extension, int jpegQuality = 95)
{
    std::vector<uchar> bytes;
    cv::imencode(extension, image, bytes, { cv::IMWRITE_JPEG_QUALITY, jpegQuality });
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

inline cv::Mat resized(const cv::Mat &image, cv::Size size)
{
    cv::Mat result;
    cv::resize(image, result, size, 0, 0, cv::INTER_AREA);
    return result;
}

// A JPEG with an EXIF block that holds only the orientation tag, placed right
// after the start-of-image marker.
inline QByteArray withExifOrientation(const QByteArray &jpeg, int orientation, bool littleEndian)
{
    const auto u16 = [&](int v) {
        QByteArray bytes(2, '\0');
        bytes[littleEndian ? 0 : 1] = char(v & 0xFF);
        bytes[littleEndian ? 1 : 0] = char((v >> 8) & 0xFF);
        return bytes;
    };
    const auto u32 = [&](int v) {
        return littleEndian ? u16(v & 0xFFFF) + u16(v >> 16) : u16(v >> 16) + u16(v & 0xFFFF);
    };
    QByteArray payload = QByteArray("Exif\0\0", 6);
    payload += littleEndian ? QByteArray("II") : QByteArray("MM");
    payload += u16(42) + u32(8) + u16(1);
    payload += u16(0x0112) + u16(3) + u32(1) + u16(orientation) + u16(0);
    payload += u32(0);
    const int length = payload.size() + 2;
    QByteArray segment;
    segment += char(0xFF);
    segment += char(0xE1);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    segment += payload;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

inline quint32 pngCrc(const char *bytes, int length)
{
    quint32 crc = 0xFFFFFFFFu;
    for (int i = 0; i < length; ++i) {
        crc ^= quint8(bytes[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void putBigEndian32(QByteArray *bytes, int offset, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        (*bytes)[offset + i] = char(value >> (24 - 8 * i));
}

// A valid small PNG whose header is rewritten to declare `size` pixels.
inline QByteArray pngBomb(cv::Size size)
{
    std::vector<uchar> encoded;
    cv::imencode(".png", cv::Mat(8, 8, CV_8UC3, cv::Scalar(0, 0, 0)), encoded);
    QByteArray png(reinterpret_cast<const char *>(encoded.data()), int(encoded.size()));
    // Signature (8), IHDR length (4), "IHDR" at 12, width at 16, height at 20,
    // CRC over type and the 13 data bytes at 29.
    putBigEndian32(&png, 16, quint32(size.width));
    putBigEndian32(&png, 20, quint32(size.height));
    putBigEndian32(&png, 29, pngCrc(png.constData() + 12, 17));
    return png;
}

} // namespace TestImages
