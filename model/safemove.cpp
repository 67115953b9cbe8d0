#include "model/safemove.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>

#include "platform/nativepath.h"

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(
        QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool writeAll(int fd, const char *data, ssize_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= written;
    }
    return true;
}

// Without replacing anything: a hard link where the file system has them,
// a rename after a last look where it has none (FAT drives).
bool putInPlace(const QByteArray &partial, const QByteArray &to)
{
    if (::link(partial.constData(), to.constData()) == 0)
        return true;
    if (errno != EPERM && errno != EOPNOTSUPP)
        return false;
    struct stat taken { };
    if (::lstat(to.constData(), &taken) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(partial.constData(), to.constData()) == 0;
}

} // namespace

bool SafeMove::move(const QString &source, const QString &destination, QString *reason)
{
    const QByteArray from = NativePath::encode(source);
    const QByteArray to = NativePath::encode(destination);
    struct stat target { };
    if (::lstat(to.constData(), &target) == 0) {
        *reason = QStringLiteral("the destination already exists");
        return false;
    }
    // A hard link never replaces a file that appeared meanwhile.
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return true;
        *reason = systemError("cannot remove the source");
        ::unlink(to.constData());
        return false;
    }
    if (errno != EXDEV) {
        // File systems without hard links still rename.
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) {
            *reason = systemError("cannot move");
            return false;
        }
        if (::rename(from.constData(), to.constData()) == 0)
            return true;
        if (errno != EXDEV) {
            *reason = systemError("cannot move");
            return false;
        }
    }
    return copyAcross(from, to, reason);
}

bool SafeMove::copyAcross(const QByteArray &from, const QByteArray &to, QString *reason)
{
    Descriptor in;
    in.fd = ::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat sourceInfo { };
    if (in.fd < 0 || ::fstat(in.fd, &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) {
        *reason = systemError("cannot read the source");
        return false;
    }
    const QFileInfo destinationInfo(NativePath::decode(to));
    const QByteArray partial
        = NativePath::encode(QStringLiteral("%1/.%2.part")
                                 .arg(destinationInfo.absolutePath(), destinationInfo.fileName()));
    Descriptor out;
    out.fd = ::open(partial.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out.fd < 0) {
        *reason = systemError("cannot create the copy");
        return false;
    }
    bool ok = true;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || !writeAll(out.fd, buffer, got)) {
            *reason = systemError("copy failed");
            ok = false;
            break;
        }
        if (got == 0)
            break;
    }
    struct stat copyInfo { };
    if (ok && (::fsync(out.fd) != 0 || ::fstat(out.fd, &copyInfo) != 0)) {
        *reason = systemError("cannot flush the copy");
        ok = false;
    }
    if (ok && copyInfo.st_size != sourceInfo.st_size) {
        *reason = QStringLiteral("the copy is incomplete");
        ok = false;
    }
    const struct timespec times[2] = { sourceInfo.st_atim, sourceInfo.st_mtim };
    if (ok
        && (::fchmod(out.fd, sourceInfo.st_mode & 07777) != 0 || ::futimens(out.fd, times) != 0)) {
        *reason = systemError("cannot keep times and permissions");
        ok = false;
    }
    if (ok) {
        const int fd = out.fd;
        out.fd = -1;
        if (::close(fd) != 0) {
            *reason = systemError("cannot close the copy");
            ok = false;
        }
    }
    if (ok && !putInPlace(partial, to)) {
        *reason = systemError("cannot put the copy in place");
        ok = false;
    }
    ::unlink(partial.constData());
    if (!ok)
        return false;
    if (::unlink(from.constData()) != 0) {
        *reason = systemError("copied, but cannot remove the source");
        return false;
    }
    return true;
}
