#include "imaging/imageheader.h"

#include <cstring>
#include <limits>

namespace {

// The bytes a parser may look at. Offsets are signed so that a check can
// never wrap around.
struct Bytes {
    const uchar *data;
    qint64 length;
};

bool fits(Bytes bytes, qint64 offset, qint64 count)
{
    return offset >= 0 && count >= 0 && offset <= bytes.length && count <= bytes.length - offset;
}

bool matches(Bytes bytes, qint64 offset, const char *text, qint64 count)
{
    return fits(bytes, offset, count) && std::memcmp(bytes.data + offset, text, size_t(count)) == 0;
}

// Signatures may hold NUL bytes, so the array's own length is used.
template <size_t N> bool startsWith(Bytes bytes, qint64 offset, const char (&text)[N])
{
    return matches(bytes, offset, text, qint64(N) - 1);
}

// `count` bytes at `offset` as an unsigned number; the caller checked fits().
quint64 readNumber(Bytes bytes, qint64 offset, int count, bool littleEndian)
{
    quint64 value = 0;
    for (int i = 0; i < count; ++i) {
        const int index = littleEndian ? count - 1 - i : i;
        value = value << 8 | bytes.data[offset + index];
    }
    return value;
}

quint64 bigEndian(Bytes bytes, qint64 offset, int count)
{
    return readNumber(bytes, offset, count, false);
}

quint64 littleEndian(Bytes bytes, qint64 offset, int count)
{
    return readNumber(bytes, offset, count, true);
}

qint32 signed32(quint64 value)
{
    return qint32(quint32(value));
}

bool setSize(qint64 width, qint64 height, cv::Size *size)
{
    constexpr qint64 largest = std::numeric_limits<int>::max();
    if (width <= 0 || height <= 0 || width > largest || height > largest)
        return false;
    *size = cv::Size(int(width), int(height));
    return true;
}

bool pngSize(Bytes bytes, cv::Size *size)
{
    if (!startsWith(bytes, 0, "\x89PNG\r\n\x1a\n") || !startsWith(bytes, 12, "IHDR")
        || !fits(bytes, 16, 8))
        return false;
    return setSize(qint64(bigEndian(bytes, 16, 4)), qint64(bigEndian(bytes, 20, 4)), size);
}

bool bmpSize(Bytes bytes, cv::Size *size)
{
    if (!startsWith(bytes, 0, "BM") || !fits(bytes, 14, 4))
        return false;
    const quint64 headerSize = littleEndian(bytes, 14, 4);
    if (headerSize == 12) {
        if (!fits(bytes, 14, 12))
            return false;
        return setSize(
            qint64(littleEndian(bytes, 18, 2)), qint64(littleEndian(bytes, 20, 2)), size);
    }
    if (headerSize < 40 || !fits(bytes, 14, 16))
        return false;
    const qint64 width = signed32(littleEndian(bytes, 18, 4));
    const qint64 height = signed32(littleEndian(bytes, 22, 4));
    // A negative height is a picture stored top row first.
    return setSize(width, height < 0 ? -height : height, size);
}

bool isSpace(uchar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(uchar c)
{
    return c >= '0' && c <= '9';
}

// Skips blanks and, where the format has them, comments running from '#' to
// the end of the line.
void skipSpace(Bytes bytes, qint64 *pos, bool comments)
{
    while (*pos < bytes.length) {
        const uchar c = bytes.data[*pos];
        if (comments && c == '#') {
            while (*pos < bytes.length && bytes.data[*pos] != '\n' && bytes.data[*pos] != '\r')
                ++*pos;
        } else if (isSpace(c)) {
            ++*pos;
        } else {
            return;
        }
    }
}

// A decimal number after optional blanks, ended by a blank or a comment; a
// number running up to the end of the data may be cut short and is refused.
bool readDecimal(Bytes bytes, qint64 *pos, qint64 *value, bool comments)
{
    skipSpace(bytes, pos, comments);
    const qint64 start = *pos;
    qint64 number = 0;
    while (*pos < bytes.length && isDigit(bytes.data[*pos])) {
        number = number * 10 + (bytes.data[*pos] - '0');
        if (number > std::numeric_limits<int>::max())
            return false;
        ++*pos;
    }
    if (*pos == start || *pos >= bytes.length)
        return false;
    const uchar end = bytes.data[*pos];
    if (!isSpace(end) && !(comments && end == '#'))
        return false;
    *value = number;
    return true;
}

// P1 to P6: width, height and, except for the two bitmap kinds, the largest
// sample value.
bool pnmSize(Bytes bytes, cv::Size *size)
{
    if (!fits(bytes, 0, 3) || bytes.data[0] != 'P' || bytes.data[1] < '1' || bytes.data[1] > '6'
        || !isSpace(bytes.data[2]))
        return false;
    qint64 pos = 2;
    qint64 width = 0;
    qint64 height = 0;
    if (!readDecimal(bytes, &pos, &width, true) || !readDecimal(bytes, &pos, &height, true))
        return false;
    const bool bitmap = bytes.data[1] == '1' || bytes.data[1] == '4';
    qint64 maximum = 1;
    if (!bitmap && (!readDecimal(bytes, &pos, &maximum, true) || maximum < 1 || maximum > 65535))
        return false;
    return setSize(width, height, size);
}

// P7: lines of a keyword and its value up to ENDHDR.
bool pamSize(Bytes bytes, cv::Size *size)
{
    if (!startsWith(bytes, 0, "P7") || !fits(bytes, 2, 1) || !isSpace(bytes.data[2]))
        return false;
    qint64 width = 0;
    qint64 height = 0;
    qint64 pos = 3;
    for (;;) {
        skipSpace(bytes, &pos, true);
        if (pos >= bytes.length)
            return false;
        if (startsWith(bytes, pos, "ENDHDR"))
            return setSize(width, height, size);
        qint64 *target = nullptr;
        if (startsWith(bytes, pos, "WIDTH") && fits(bytes, pos, 6) && isSpace(bytes.data[pos + 5]))
            target = &width;
        else if (startsWith(bytes, pos, "HEIGHT") && fits(bytes, pos, 7)
            && isSpace(bytes.data[pos + 6]))
            target = &height;
        if (target) {
            pos += target == &width ? 5 : 6;
            if (!readDecimal(bytes, &pos, target, false))
                return false;
        }
        while (pos < bytes.length && bytes.data[pos] != '\n')
            ++pos;
    }
}

// "PF" (colour) or "Pf" (grey), width, height and a scale.
bool pfmSize(Bytes bytes, cv::Size *size)
{
    if (!fits(bytes, 0, 3) || bytes.data[0] != 'P' || (bytes.data[1] != 'F' && bytes.data[1] != 'f')
        || !isSpace(bytes.data[2]))
        return false;
    qint64 pos = 2;
    qint64 width = 0;
    qint64 height = 0;
    if (!readDecimal(bytes, &pos, &width, false) || !readDecimal(bytes, &pos, &height, false))
        return false;
    // The scale is a real number ending the header line.
    skipSpace(bytes, &pos, false);
    const qint64 scale = pos;
    while (pos < bytes.length && !isSpace(bytes.data[pos]))
        ++pos;
    if (pos == scale || pos >= bytes.length)
        return false;
    return setSize(width, height, size);
}

bool gifSize(Bytes bytes, cv::Size *size)
{
    if ((!startsWith(bytes, 0, "GIF87a") && !startsWith(bytes, 0, "GIF89a")) || !fits(bytes, 6, 4))
        return false;
    return setSize(qint64(littleEndian(bytes, 6, 2)), qint64(littleEndian(bytes, 8, 2)), size);
}

bool webpSize(Bytes bytes, cv::Size *size)
{
    if (!startsWith(bytes, 0, "RIFF") || !startsWith(bytes, 8, "WEBP"))
        return false;
    if (startsWith(bytes, 12, "VP8 ")) {
        // A key frame: its tag, the start code, then 14-bit sides.
        if (!fits(bytes, 20, 10) || (bytes.data[20] & 1) != 0
            || !startsWith(bytes, 23, "\x9d\x01\x2a"))
            return false;
        return setSize(qint64(littleEndian(bytes, 26, 2) & 0x3fff),
            qint64(littleEndian(bytes, 28, 2) & 0x3fff), size);
    }
    if (startsWith(bytes, 12, "VP8L")) {
        if (!fits(bytes, 20, 5) || bytes.data[20] != 0x2f)
            return false;
        const quint64 bits = littleEndian(bytes, 21, 4);
        return setSize(qint64(bits & 0x3fff) + 1, qint64(bits >> 14 & 0x3fff) + 1, size);
    }
    if (startsWith(bytes, 12, "VP8X")) {
        if (!fits(bytes, 20, 10))
            return false;
        return setSize(
            qint64(littleEndian(bytes, 24, 3)) + 1, qint64(littleEndian(bytes, 27, 3)) + 1, size);
    }
    return false;
}

// The first directory of a TIFF, classic (12-byte entries, 32-bit offsets)
// or big (20-byte entries, 64-bit offsets).
bool tiffSize(Bytes bytes, cv::Size *size)
{
    if (!fits(bytes, 0, 8))
        return false;
    bool little;
    if (startsWith(bytes, 0, "II"))
        little = true;
    else if (startsWith(bytes, 0, "MM"))
        little = false;
    else
        return false;
    const auto read
        = [&](qint64 offset, int count) { return readNumber(bytes, offset, count, little); };
    const quint64 version = read(2, 2);
    const bool big = version == 43;
    if (!big && version != 42)
        return false;
    if (big && (!fits(bytes, 0, 16) || read(4, 2) != 8 || read(6, 2) != 0))
        return false;
    const int offsetBytes = big ? 8 : 4;
    const int entryBytes = big ? 20 : 12;
    const int countBytes = big ? 8 : 2;
    const quint64 directory = read(big ? 8 : 4, offsetBytes);
    if (directory > quint64(bytes.length) || !fits(bytes, qint64(directory), countBytes))
        return false;
    const quint64 entries = read(qint64(directory), countBytes);
    qint64 width = 0;
    qint64 height = 0;
    for (quint64 i = 0; i < entries; ++i) {
        const qint64 entry = qint64(directory) + countBytes + qint64(i) * entryBytes;
        if (!fits(bytes, entry, entryBytes))
            break;
        const quint64 tag = read(entry, 2);
        if (tag != 256 && tag != 257)
            continue;
        const quint64 type = read(entry + 2, 2);
        const quint64 count = read(entry + 4, offsetBytes);
        const qint64 value = entry + 4 + offsetBytes;
        // SHORT, LONG, or LONG8 in a big TIFF; a value fits in its entry.
        quint64 number = 0;
        if (count == 0)
            return false;
        if (type == 3)
            number = read(value, 2);
        else if (type == 4)
            number = read(value, 4);
        else if (type == 16 && big)
            number = read(value, 8);
        else
            return false;
        if (number > quint64(std::numeric_limits<int>::max()))
            return false;
        (tag == 256 ? width : height) = qint64(number);
        if (width > 0 && height > 0)
            return setSize(width, height, size);
    }
    return false;
}

// The box of `type` among those in [begin, end); its contents, possibly cut
// at the end of the data, go to `contents`.
bool findBox(
    Bytes bytes, qint64 begin, qint64 end, const char *type, qint64 *contents, qint64 *contentsEnd)
{
    qint64 pos = begin;
    while (fits(bytes, pos, 8) && pos + 8 <= end) {
        quint64 length = bigEndian(bytes, pos, 4);
        qint64 header = 8;
        if (length == 1) {
            if (!fits(bytes, pos, 16))
                return false;
            length = bigEndian(bytes, pos + 8, 8);
            header = 16;
        } else if (length == 0) {
            length = quint64(end - pos); // the last box runs to the end
        }
        if (length < quint64(header) || length > quint64(end - pos))
            return false;
        if (matches(bytes, pos + 4, type, 4)) {
            *contents = pos + header;
            *contentsEnd = pos + qint64(length);
            return true;
        }
        pos += qint64(length);
    }
    return false;
}

// A codestream's SIZ segment: the reference grid less the image offset.
bool codestreamSize(Bytes bytes, qint64 offset, cv::Size *size)
{
    if (!startsWith(bytes, offset, "\xff\x4f\xff\x51") || !fits(bytes, offset, 24))
        return false;
    const qint64 gridWidth = qint64(bigEndian(bytes, offset + 8, 4));
    const qint64 gridHeight = qint64(bigEndian(bytes, offset + 12, 4));
    const qint64 left = qint64(bigEndian(bytes, offset + 16, 4));
    const qint64 top = qint64(bigEndian(bytes, offset + 20, 4));
    return setSize(gridWidth - left, gridHeight - top, size);
}

bool jpeg2000Size(Bytes bytes, cv::Size *size)
{
    if (codestreamSize(bytes, 0, size))
        return true;
    if (!startsWith(bytes, 0, "\0\0\0\x0cjP  \r\n\x87\n"))
        return false;
    // Boxes may claim more than was read; the header box still fits.
    const qint64 end = std::numeric_limits<qint64>::max() / 2;
    qint64 header = 0;
    qint64 headerEnd = 0;
    qint64 image = 0;
    qint64 imageEnd = 0;
    if (!findBox(bytes, 12, end, "jp2h", &header, &headerEnd)
        || !findBox(bytes, header, headerEnd, "ihdr", &image, &imageEnd) || !fits(bytes, image, 8)
        || image + 8 > imageEnd)
        return false;
    return setSize(
        qint64(bigEndian(bytes, image + 4, 4)), qint64(bigEndian(bytes, image, 4)), size);
}

bool sunRasterSize(Bytes bytes, cv::Size *size)
{
    if (!startsWith(bytes, 0, "\x59\xa6\x6a\x95") || !fits(bytes, 0, 32))
        return false;
    return setSize(signed32(bigEndian(bytes, 4, 4)), signed32(bigEndian(bytes, 8, 4)), size);
}

// Header lines up to an empty one, then "-Y height +X width", the only
// orientation the codec reads.
bool radianceSize(Bytes bytes, cv::Size *size)
{
    if (!startsWith(bytes, 0, "#?RGBE") && !startsWith(bytes, 0, "#?RADIANCE"))
        return false;
    qint64 pos = 0;
    bool blank = false;
    while (!blank) {
        const qint64 start = pos;
        while (pos < bytes.length && bytes.data[pos] != '\n')
            ++pos;
        if (pos >= bytes.length)
            return false;
        blank = pos == start && start > 0;
        ++pos;
    }
    qint64 height = 0;
    qint64 width = 0;
    skipSpace(bytes, &pos, false);
    if (!startsWith(bytes, pos, "-Y"))
        return false;
    pos += 2;
    if (!readDecimal(bytes, &pos, &height, false))
        return false;
    skipSpace(bytes, &pos, false);
    if (!startsWith(bytes, pos, "+X"))
        return false;
    pos += 2;
    if (!readDecimal(bytes, &pos, &width, false))
        return false;
    return setSize(width, height, size);
}

// A NUL-terminated name at `pos`, which moves past it.
bool readName(Bytes bytes, qint64 *pos, const char **name)
{
    const qint64 start = *pos;
    while (*pos < bytes.length && bytes.data[*pos] != 0)
        ++*pos;
    if (*pos >= bytes.length)
        return false;
    *name = reinterpret_cast<const char *>(bytes.data + start);
    ++*pos;
    return true;
}

// The attributes of the (first) header up to its dataWindow, whose corners
// are inclusive.
bool exrSize(Bytes bytes, cv::Size *size)
{
    if (!startsWith(bytes, 0, "\x76\x2f\x31\x01") || !fits(bytes, 0, 8) || bytes.data[4] != 2)
        return false;
    qint64 pos = 8;
    for (;;) {
        const char *name = nullptr;
        const char *type = nullptr;
        if (!readName(bytes, &pos, &name) || *name == 0 || !readName(bytes, &pos, &type)
            || !fits(bytes, pos, 4))
            return false;
        const qint64 length = signed32(littleEndian(bytes, pos, 4));
        pos += 4;
        if (length < 0 || !fits(bytes, pos, length))
            return false;
        if (std::strcmp(name, "dataWindow") == 0) {
            if (std::strcmp(type, "box2i") != 0 || length < 16)
                return false;
            const qint64 left = signed32(littleEndian(bytes, pos, 4));
            const qint64 top = signed32(littleEndian(bytes, pos + 4, 4));
            const qint64 right = signed32(littleEndian(bytes, pos + 8, 4));
            const qint64 bottom = signed32(littleEndian(bytes, pos + 12, 4));
            return setSize(right - left + 1, bottom - top + 1, size);
        }
        pos += length;
    }
}

} // namespace

bool ImageHeader::declaredSize(const char *data, qint64 length, cv::Size *size)
{
    if (!data || length <= 0)
        return false;
    const Bytes bytes { reinterpret_cast<const uchar *>(data), length };
    cv::Size found;
    const bool known = pngSize(bytes, &found) || bmpSize(bytes, &found) || pnmSize(bytes, &found)
        || pamSize(bytes, &found) || pfmSize(bytes, &found) || gifSize(bytes, &found)
        || webpSize(bytes, &found) || tiffSize(bytes, &found) || jpeg2000Size(bytes, &found)
        || sunRasterSize(bytes, &found) || radianceSize(bytes, &found) || exrSize(bytes, &found);
    if (known)
        *size = found;
    return known;
}
