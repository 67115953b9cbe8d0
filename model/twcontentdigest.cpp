#include "model/twcontentdigest.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>

#include <openssl/evp.h>

#include "model/canceltoken.h"
#include "platform/regularfile.h"

namespace {

// What the whole-file digest reads at a time.
constexpr qint64 DigestChunk = 256 * 1024;

} // namespace

QString TwContentDigest::fingerprint(const QString &path)
{
    QFile file;
    if (RegularFile::open(file, path)) {
        const QString key = fingerprint(file, file.size());
        if (!key.isEmpty())
            return key;
    }
    return pathDigest(path);
}

QString TwContentDigest::hexText(const QByteArray &digest)
{
    return QString::fromLatin1(digest.toHex().toUpper());
}

QString TwContentDigest::fingerprint(QFile &file, qint64 size, QByteArray *whole, qint64 keepLimit)
{
    const QByteArray digest = fingerprintDigest(file, size, whole, keepLimit);
    return digest.isEmpty() ? QString() : hexText(digest);
}

QByteArray TwContentDigest::fingerprintDigest(
    QFile &file, qint64 size, QByteArray *whole, qint64 keepLimit)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (size <= WholeFileLimit || (whole && size <= keepLimit)) {
        const QByteArray content = file.read(size);
        if (content.size() != size)
            return QByteArray();
        if (size <= WholeFileLimit) {
            hash.addData(content);
        } else {
            const qint64 middle = size / 2 - WindowSize / 2;
            hash.addData(content.constData(), WindowSize);
            hash.addData(content.constData() + middle, WindowSize);
            hash.addData(content.constData() + size - WindowSize, WindowSize);
        }
        if (whole)
            *whole = content;
        return hash.result();
    }

    char window[WindowSize];
    const qint64 offsets[] = { 0, size / 2 - WindowSize / 2, size - WindowSize };
    for (qint64 offset : offsets) {
        if (!file.seek(offset) || file.read(window, WindowSize) != WindowSize)
            return QByteArray();
        hash.addData(window, WindowSize);
    }
    return hash.result();
}

QString TwContentDigest::pathDigest(const QString &path)
{
    return hexText(pathDigestBytes(path));
}

QByteArray TwContentDigest::pathDigestBytes(const QString &path)
{
    return QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Md5);
}

// OpenSSL's SHA-256 uses the processor's SHA instructions where there are
// any, several times faster than a portable implementation: the digest of
// every copy is taken while comparing it, so its speed is the scan's.
struct TwContentDigest::Streaming::Context {
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    bool ok = context && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
    ~Context() { EVP_MD_CTX_free(context); }
};

TwContentDigest::Streaming::Streaming()
    : m_context(std::make_unique<Context>())
{
}

TwContentDigest::Streaming::~Streaming() = default;

void TwContentDigest::Streaming::add(const char *data, qint64 size)
{
    if (m_context->ok && size > 0)
        m_context->ok = EVP_DigestUpdate(m_context->context, data, std::size_t(size)) == 1;
}

QByteArray TwContentDigest::Streaming::result()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!m_context->ok || EVP_DigestFinal_ex(m_context->context, digest, &length) != 1)
        return QByteArray();
    m_context->ok = false;
    return QByteArray(reinterpret_cast<const char *>(digest), int(length));
}

QByteArray TwContentDigest::contentDigest(const QByteArray &content)
{
    Streaming digest;
    digest.add(content.constData(), content.size());
    return digest.result();
}

QByteArray TwContentDigest::contentDigest(const QString &path, const CancelToken *cancel)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return QByteArray();
    Streaming digest;
    // Small enough that a stop is seen within a few milliseconds, whatever
    // the size of the file.
    QByteArray chunk(int(DigestChunk), Qt::Uninitialized);
    for (;;) {
        if (cancel && cancel->isCancelled())
            return QByteArray();
        const qint64 got = file.read(chunk.data(), chunk.size());
        if (got < 0 || file.error() != QFileDevice::NoError) {
            qDebug() << "TwContentDigest::contentDigest: cannot read" << path;
            return QByteArray();
        }
        if (got == 0)
            break;
        digest.add(chunk.constData(), got);
    }
    return digest.result();
}
