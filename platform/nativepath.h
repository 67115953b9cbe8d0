#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// File names as the system stores them are bytes; ours are strings. Names
// that are not valid UTF-8 (old archives, other systems) would be lost by
// Qt's own conversion, so every byte that is not part of a valid UTF-8
// sequence is carried as a lone surrogate U+DC80..U+DCFF and turned back into
// the same byte on the way out. Every path handed to the system goes through
// encode(); every name read from it through decode().
class NativePath {
public:
    static QByteArray encode(const QString &path);
    static QString decode(const char *bytes, int length);
    static QString decode(const QByteArray &bytes)
    {
        return decode(bytes.constData(), bytes.size());
    }

    // Whether the path holds bytes that are not UTF-8.
    static bool hasRawBytes(const QString &path);
    // The path for a reader: each raw byte becomes U+FFFD.
    static QString displayText(const QString &path);
    // The path for a terminal: each raw byte becomes "\xHH" and each
    // backslash "\\".
    static QString escapedText(const QString &path);
    // A file: URL naming exactly the bytes of `path` (raw bytes are
    // percent-encoded as they are, not as text).
    static QUrl fileUrl(const QString &path);
};
