#include "imaging/twimagedecoder.h"

#include <algorithm>
#include <cstring>

#include <QFile>
#include <QtDebug>

#include <atomic>
#include <mutex>
#include <optional>

#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgcodecs.hpp> // the IMREAD_ flags only: the codecs are loaded
#include <opencv2/imgproc.hpp>

#include "imaging/codecloader.h"
#include "imaging/imageheader.h"
#include "imaging/pixelbudget.h"
#include "platform/messagecapture.h"
#include "platform/nativepath.h"
#include "platform/regularfile.h"

namespace {

quint32 readBigEndian16(const uchar *p)
{
    return quint32(p[0]) << 8 | quint32(p[1]);
}

// Orientation tag of an APP1 "Exif" payload; 1 (as stored) when absent or
// unreadable. Every offset is checked against the payload, which comes from
// an untrusted file.
int exifOrientation(const uchar *payload, qint64 length)
{
    static const char exifHeader[] = { 'E', 'x', 'i', 'f', 0, 0 };
    if (length < qint64(sizeof exifHeader) + 8
        || std::memcmp(payload, exifHeader, sizeof exifHeader) != 0)
        return 1;
    const uchar *tiff = payload + sizeof exifHeader;
    const qint64 tiffLength = length - qint64(sizeof exifHeader);
    bool littleEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        littleEndian = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        littleEndian = false;
    else
        return 1;
    const auto read16 = [&](qint64 offset) {
        const uchar *p = tiff + offset;
        return littleEndian ? quint32(p[1]) << 8 | quint32(p[0]) : readBigEndian16(p);
    };
    const auto read32 = [&](qint64 offset) {
        return littleEndian ? read16(offset + 2) << 16 | read16(offset)
                            : read16(offset) << 16 | read16(offset + 2);
    };
    if (read16(2) != 42)
        return 1;
    const qint64 ifd = read32(4);
    if (ifd + 2 > tiffLength)
        return 1;
    const qint64 count = read16(ifd);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 entry = ifd + 2 + 12 * i;
        if (entry + 12 > tiffLength)
            break;
        if (read16(entry) != 0x0112)
            continue;
        // A SHORT value sits in the first bytes of the value field.
        return read16(entry + 2) == 3 ? int(read16(entry + 8)) : 1;
    }
    return 1;
}

bool isFrameHeader(uchar marker)
{
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

int reducedColourFlag(int factor)
{
    switch (factor) {
    case 8:
        return cv::IMREAD_REDUCED_COLOR_8;
    case 4:
        return cv::IMREAD_REDUCED_COLOR_4;
    case 2:
        return cv::IMREAD_REDUCED_COLOR_2;
    default:
        return cv::IMREAD_COLOR;
    }
}

// Size of a JPEG decoded at 1/factor: the codec rounds up.
cv::Size reducedSize(cv::Size full, int factor)
{
    return { (full.width + factor - 1) / factor, (full.height + factor - 1) / factor };
}

qint64 pixelsOf(cv::Size size)
{
    return qint64(size.width) * qint64(size.height);
}

// Bytes a colour decode of `size` holds: three channels of eight bits. An
// image whose size no header tells takes the whole budget and so decodes
// alone.
qint64 decodedBytes(cv::Size size)
{
    return size.width > 0 && size.height > 0 ? pixelsOf(size) * 3 : PixelBudget::decoding().total();
}

std::atomic<qint64> refusedImages { 0 };

// OpenCV's own warnings go to the C++ error stream, which no capture sees;
// every failure they describe is logged by decodeFile() with its file.
void silenceOpenCvLog()
{
    static std::once_flag once;
    std::call_once(
        once, [] { cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT); });
}

} // namespace

cv::Size TwImageDecoder::workingSize(cv::Size full, int longSide)
{
    if (full.width <= longSide || full.height <= 0)
        return full;
    const float ratio = float(full.height) / float(full.width);
    // A very wide or very tall image would otherwise get a side of 0, which
    // the resize rejects, and lose its likeness data altogether.
    if (ratio < 1)
        return { longSide, std::max(1, int(ratio * float(longSide))) };
    return { std::max(1, int(float(longSide) / ratio)), longSide };
}

int TwImageDecoder::reductionFactor(cv::Size full, cv::Size target)
{
    for (int factor : { 8, 4, 2 }) {
        const cv::Size reduced = reducedSize(full, factor);
        if (reduced.width >= target.width && reduced.height >= target.height)
            return factor;
    }
    return 1;
}

bool TwImageDecoder::jpegDisplaySize(const QByteArray &data, cv::Size *size)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qint64 length = data.size();
    if (length < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    int orientation = 1;
    bool exifSeen = false;
    qint64 pos = 2;
    while (pos < length) {
        if (bytes[pos] != 0xFF)
            return false;
        while (pos < length && bytes[pos] == 0xFF)
            ++pos;
        if (pos >= length)
            return false;
        const uchar marker = bytes[pos++];
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD9 || marker == 0xDA)
            return false; // image data before any frame header
        if (pos + 2 > length)
            return false;
        const qint64 segment = readBigEndian16(bytes + pos);
        if (segment < 2 || pos + segment > length)
            return false;
        const uchar *payload = bytes + pos + 2;
        const qint64 payloadLength = segment - 2;
        if (marker == 0xE1 && !exifSeen && payloadLength >= 6
            && std::memcmp(payload, "Exif", 4) == 0) {
            orientation = exifOrientation(payload, payloadLength);
            exifSeen = true;
        }
        if (isFrameHeader(marker)) {
            if (payloadLength < 5)
                return false;
            const int height = int(readBigEndian16(payload + 1));
            const int width = int(readBigEndian16(payload + 3));
            if (width <= 0 || height <= 0)
                return false;
            // Orientations 5 to 8 turn the picture by a quarter.
            const bool swapped = orientation >= 5 && orientation <= 8;
            *size = swapped ? cv::Size(height, width) : cv::Size(width, height);
            return true;
        }
        pos += segment;
    }
    return false;
}

bool TwImageDecoder::jpegFileDisplaySize(const QString &path, cv::Size *size)
{
    // The frame header follows the application segments, which stay far
    // below this even with an EXIF thumbnail and a colour profile.
    constexpr qint64 HeaderBytes = 256 * 1024;
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    return jpegDisplaySize(file.read(HeaderBytes), size);
}

bool TwImageDecoder::fileDeclaredSize(const QString &path, cv::Size *size)
{
    // Enough for the headers of every format and for most JPEG files; only
    // a JPEG with large application segments (an EXIF thumbnail, a colour
    // profile) before its frame header is read further, as in
    // jpegFileDisplaySize().
    constexpr qint64 HeaderBytes = 64 * 1024;
    constexpr qint64 JpegHeaderBytes = 256 * 1024;
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    QByteArray header = file.read(HeaderBytes);
    bool known = false;
    QString complaints;
    {
        // A reader may complain about a damaged header, naming no file.
        MessageCapture capture;
        known = jpegDisplaySize(header, size);
        if (!known && header.size() == HeaderBytes && header.startsWith("\xff\xd8")) {
            header += file.read(JpegHeaderBytes - HeaderBytes);
            known = jpegDisplaySize(header, size);
        }
        known = known || declaredSize(header, size);
        complaints = capture.text();
    }
    if (!complaints.isEmpty())
        qInfo().noquote() << "Size of" << NativePath::displayText(path) << "unknown:" << complaints;
    return known;
}

bool TwImageDecoder::declaredSize(const QByteArray &data, cv::Size *size)
{
    return ImageHeader::declaredSize(data.constData(), data.size(), size);
}

bool TwImageDecoder::readFile(const QString &path, QByteArray *data)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return false;
    const qint64 size = file.size();
    if (size <= 0 || size > MaximumFileSize)
        return false;
    *data = file.readAll();
    return !data->isEmpty();
}

cv::Mat TwImageDecoder::decode(
    const QByteArray &data, int longSide, cv::Size *fullSize, QString *error, Scaling scaling)
{
    *fullSize = cv::Size();
    if (data.isEmpty())
        return {};

    // Images whose header declares too many pixels are refused before the
    // codec allocates anything: a small file can declare gigabytes.
    cv::Size header;
    const bool isJpeg = jpegDisplaySize(data, &header);
    if (isJpeg || declaredSize(data, &header)) {
        if (qint64(header.width) * qint64(header.height) > MaximumPixels) {
            *fullSize = header;
            if (error)
                *error = QStringLiteral("image of %1x%2 pixels is above the limit of %3 pixels")
                             .arg(header.width)
                             .arg(header.height)
                             .arg(MaximumPixels);
            return {};
        }
    }

    silenceOpenCvLog();
    const bool known = header.width > 0 && header.height > 0;
    const int factor = isJpeg && header.width > longSide && scaling == Scaling::Reduced
        ? reductionFactor(header, workingSize(header, longSide))
        : 1;
    // The decoded picture is held only until it is reduced; the share of the
    // budget lasts as long.
    std::optional<PixelBudget::Share> share;
    share.emplace(
        PixelBudget::decoding(), decodedBytes(known ? reducedSize(header, factor) : cv::Size()));

    // The codec only reads the buffer; no copy is made.
    const cv::Mat buffer(1, int(data.size()), CV_8UC1, const_cast<char *>(data.constData()));
    cv::Mat image;
    QString failure;
    if (factor > 1) {
        image = CodecLoader::decode(buffer, reducedColourFlag(factor), &failure);
        // Headers the codec read differently fall back to a full decode.
        if (image.size() == reducedSize(header, factor))
            *fullSize = header;
        else
            image.release();
    }
    if (image.empty() && failure.isEmpty()) {
        if (factor > 1) {
            // Released first: holding one share while waiting for a
            // second could wait for ever.
            share.reset();
            share.emplace(PixelBudget::decoding(), decodedBytes(header));
        }
        image = CodecLoader::decode(buffer, cv::IMREAD_COLOR, &failure);
        *fullSize = image.size();
    }
    if (!failure.isEmpty()) {
        *fullSize = cv::Size();
        if (error)
            *error = failure;
        return {};
    }
    if (image.empty()) {
        *fullSize = cv::Size();
        return {};
    }

    const cv::Size target = workingSize(*fullSize, longSide);
    if (image.size() == target)
        return image;
    cv::Mat working;
    try {
        cv::resize(image, working, target, 0, 0, cv::INTER_LINEAR);
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromUtf8(e.what());
        return {};
    }
    return working;
}

cv::Mat TwImageDecoder::decodeFile(
    const QString &path, int longSide, cv::Size *fullSize, QString *error, Scaling scaling)
{
    QByteArray data;
    if (!readFile(path, &data)) {
        *fullSize = cv::Size();
        return {};
    }
    QString reason;
    QString complaints;
    cv::Mat working;
    {
        MessageCapture capture;
        working = decode(data, longSide, fullSize, &reason, scaling);
        complaints = capture.text();
    }
    // One line per file, naming it, whatever the codecs had to say.
    const QString shown = NativePath::displayText(path);
    if (working.empty() && pixelsOf(*fullSize) > MaximumPixels) {
        ++refusedImages;
        qWarning().noquote() << "Refused" << shown << ":" << reason;
    } else if (working.empty() && (!reason.isEmpty() || !complaints.isEmpty())) {
        qWarning().noquote() << "Cannot decode" << shown << ":"
                             << (complaints.isEmpty() ? reason : complaints);
    } else if (!complaints.isEmpty()) {
        qInfo().noquote() << "Decoded" << shown << "despite:" << complaints;
    }
    if (error)
        *error = reason;
    return working;
}

qint64 TwImageDecoder::refusedCount()
{
    return refusedImages.load();
}
