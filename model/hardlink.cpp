#include "model/hardlink.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QRandomGenerator>

#include "platform/nativepath.h"

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(
        QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// A name beside `copy` that nothing uses; hidden, and marked as ours.
QByteArray temporaryNameBeside(const QString &copy)
{
    const QFileInfo info(copy);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.twlink-%3")
                                 .arg(info.absolutePath(), info.fileName(),
                                     QString::number(QRandomGenerator::global()->generate(), 16));
        const QByteArray encoded = NativePath::encode(name);
        struct stat taken { };
        if (::lstat(encoded.constData(), &taken) != 0 && errno == ENOENT)
            return encoded;
    }
    return QByteArray();
}

} // namespace

HardLink::Outcome HardLink::replaceByLink(const QString &kept, const QString &copy, QString *reason)
{
    const QByteArray from = NativePath::encode(kept);
    const QByteArray to = NativePath::encode(copy);
    struct stat keptInfo { };
    struct stat copyInfo { };
    if (::lstat(from.constData(), &keptInfo) != 0 || !S_ISREG(keptInfo.st_mode)) {
        *reason = QStringLiteral("the kept file is not a regular file");
        return Failed;
    }
    if (::lstat(to.constData(), &copyInfo) != 0 || !S_ISREG(copyInfo.st_mode)) {
        *reason = QStringLiteral("the copy is not a regular file");
        return Failed;
    }
    if (keptInfo.st_dev == copyInfo.st_dev && keptInfo.st_ino == copyInfo.st_ino)
        return AlreadyLinked;
    if (keptInfo.st_dev != copyInfo.st_dev) {
        *reason = QStringLiteral("not on the same file system");
        return Failed;
    }
    const QByteArray temporary = temporaryNameBeside(copy);
    if (temporary.isEmpty()) {
        *reason = QStringLiteral("no free temporary name");
        return Failed;
    }
    if (::link(from.constData(), temporary.constData()) != 0) {
        *reason = systemError("cannot link");
        return Failed;
    }
    // rename() replaces the copy in one step; a failure leaves it as it was.
    if (::rename(temporary.constData(), to.constData()) != 0) {
        *reason = systemError("cannot replace the copy");
        ::unlink(temporary.constData());
        return Failed;
    }
    return Linked;
}
