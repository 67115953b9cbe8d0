#include "platform/nativepath.h"

#include <QCoreApplication>

#include "platform/nativepathcodec.h"

namespace {

constexpr ushort RawByteBase = 0xDC00;

bool isRawByte(ushort unit)
{
    return unit >= RawByteBase + 0x80 && unit <= RawByteBase + 0xFF;
}

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at `s` (at most `left` bytes), with its
// code point; 0 when the bytes there are not one (overlong forms, encoded
// surrogates and values past U+10FFFF are not).
int validSequence(const uchar *s, int left, uint *codePoint)
{
    const uchar lead = s[0];
    int length;
    uint value;
    uint minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(s[i]))
            return 0;
        value = (value << 6) | (s[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

void appendUtf8(QByteArray &out, uint codePoint)
{
    if (codePoint < 0x80) {
        out.append(char(codePoint));
    } else if (codePoint < 0x800) {
        out.append(char(0xC0 | (codePoint >> 6)));
        out.append(char(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.append(char(0xE0 | (codePoint >> 12)));
        out.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
        out.append(char(0x80 | (codePoint & 0x3F)));
    } else {
        out.append(char(0xF0 | (codePoint >> 18)));
        out.append(char(0x80 | ((codePoint >> 12) & 0x3F)));
        out.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
        out.append(char(0x80 | (codePoint & 0x3F)));
    }
}

// Qt's own file calls convert names with the locale codec; with this one
// installed they agree with encode() and decode().
void installLocaleCodec()
{
    NativePathCodec::install();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installLocaleCodec)

QByteArray NativePath::encode(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    const int size = path.size();
    for (int i = 0; i < size; ++i) {
        const ushort unit = path.at(i).unicode();
        if (isRawByte(unit)) {
            out.append(char(unit - RawByteBase));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size
            && QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, path.at(i + 1).unicode()));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(out, QChar::ReplacementCharacter);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

QString NativePath::decode(const char *bytes, int length)
{
    QString out;
    out.reserve(length);
    const auto *s = reinterpret_cast<const uchar *>(bytes);
    int i = 0;
    while (i < length) {
        uint codePoint = 0;
        const int taken = validSequence(s + i, length - i, &codePoint);
        if (taken == 0) {
            out.append(QChar(ushort(RawByteBase + s[i])));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            out.append(QChar(QChar::highSurrogate(codePoint)));
            out.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            out.append(QChar(ushort(codePoint)));
        }
        i += taken;
    }
    return out;
}

bool NativePath::hasRawBytes(const QString &path)
{
    for (const QChar c : path) {
        if (isRawByte(c.unicode()))
            return true;
    }
    return false;
}

QString NativePath::displayText(const QString &path)
{
    if (!hasRawBytes(path))
        return path;
    QString out = path;
    for (QChar &c : out) {
        if (isRawByte(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return out;
}

QUrl NativePath::fileUrl(const QString &path)
{
    if (!hasRawBytes(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + encode(path).toPercentEncoding("/"));
}

QString NativePath::escapedText(const QString &path)
{
    const QLatin1Char backslash('\\');
    if (!hasRawBytes(path) && !path.contains(backslash))
        return path;
    QString out;
    out.reserve(path.size() + 8);
    for (const QChar c : path) {
        if (isRawByte(c.unicode()))
            out += QStringLiteral("\\x%1").arg(c.unicode() - RawByteBase, 2, 16, QLatin1Char('0'));
        else if (c == backslash)
            // Doubled, so a name that really holds "\xe9" cannot pass for an escape.
            out += QStringLiteral("\\\\");
        else
            out += c;
    }
    return out;
}
