#include "model/twcontentdigest.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>

#include "platform/regularfile.h"

namespace {

QString hexUpper(const QByteArray &digest)
{
    return QString::fromLatin1(digest.toHex().toUpper());
}

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

QString TwContentDigest::fingerprint(QFile &file, qint64 size, QByteArray *whole, qint64 keepLimit)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (size <= WholeFileLimit || (whole && size <= keepLimit)) {
        const QByteArray content = file.read(size);
        if (content.size() != size)
            return QString();
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
        return hexUpper(hash.result());
    }

    char window[WindowSize];
    const qint64 offsets[] = { 0, size / 2 - WindowSize / 2, size - WindowSize };
    for (qint64 offset : offsets) {
        if (!file.seek(offset) || file.read(window, WindowSize) != WindowSize)
            return QString();
        hash.addData(window, WindowSize);
    }
    return hexUpper(hash.result());
}

QString TwContentDigest::pathDigest(const QString &path)
{
    return hexUpper(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Md5));
}

QByteArray TwContentDigest::contentDigest(const QString &path)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError) {
        qDebug() << "TwContentDigest::contentDigest: cannot read" << path;
        return QByteArray();
    }
    return hash.result();
}
