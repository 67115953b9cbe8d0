#pragma once

#include <memory>

#include <QByteArray>
#include <QString>

class CancelToken;
class QFile;

// Reading and hashing of file contents for duplicate detection.
class TwContentDigest {
public:
    // Files up to this size are fingerprinted over their whole content.
    static constexpr qint64 WholeFileLimit = 3072;
    static constexpr qint64 WindowSize = 1024;

    // Upper-case hex MD5 of the three 1 KiB windows (start, middle, end), or
    // of the whole content for small files. An unreadable file gets the MD5
    // of its path, so it matches nothing but itself.
    static QString fingerprint(const QString &path);

    // The same for an open file of `size` bytes. When `whole` is given and
    // the file is at most `keepLimit` bytes, its whole content is read in one
    // go, kept there and the fingerprint taken from it (one read instead of
    // three). Returns an empty string when reading fails.
    static QString fingerprint(
        QFile &file, qint64 size, QByteArray *whole = nullptr, qint64 keepLimit = 0);
    // The same as the 16 bytes of the MD5 digest; empty when reading fails.
    static QByteArray fingerprintDigest(
        QFile &file, qint64 size, QByteArray *whole = nullptr, qint64 keepLimit = 0);
    // The 16 bytes of pathDigest(); hexText() of them is pathDigest().
    static QByteArray pathDigestBytes(const QString &path);
    // Upper-case hex of `digest`, as the fingerprints are shown.
    static QString hexText(const QByteArray &digest);

    // Upper-case hex MD5 of the path encoded as UTF-8.
    static QString pathDigest(const QString &path);

    // SHA-256 of the whole file, streamed; empty when it cannot be read or
    // `cancel` is set before the end (checked between chunks).
    static QByteArray contentDigest(const QString &path, const CancelToken *cancel = nullptr);
    // SHA-256 of `content`.
    static QByteArray contentDigest(const QByteArray &content);

    // SHA-256 taken piece by piece, for contents read for another purpose.
    class Streaming {
    public:
        Streaming();
        ~Streaming();
        Streaming(const Streaming &) = delete;
        Streaming &operator=(const Streaming &) = delete;
        void add(const char *data, qint64 size);
        // The digest of everything added; the object is spent afterwards.
        QByteArray result();

    private:
        struct Context;
        std::unique_ptr<Context> m_context;
    };
};
