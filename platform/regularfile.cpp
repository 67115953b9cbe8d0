#include "platform/regularfile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/nativepath.h"

namespace {

#ifndef Q_OS_WIN
const char *kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "not a regular file";
}

int openDescriptor(const QString &path)
{
    // O_NONBLOCK only for the open itself: it is what keeps a FIFO without a
    // writer from blocking here. Interrupted opens are retried.
    const QByteArray name = NativePath::encode(path);
    int fd = -1;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool isRegular(int fd, const QString &path)
{
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        qDebug() << "RegularFile::open: cannot stat" << path << qt_error_string(error);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        qDebug() << "RegularFile::open: refused" << path << "- it is" << kindOf(status.st_mode);
        return false;
    }
    return true;
}

bool clearNonBlocking(int fd, const QString &path)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        qDebug() << "RegularFile::open: cannot set blocking reads on" << path
                 << qt_error_string(error);
        return false;
    }
    return true;
}
#endif

} // namespace

bool RegularFile::open(QFile &file, const QString &path)
{
#ifdef Q_OS_WIN
    file.setFileName(path);
    // Windows has no FIFOs in the file namespace; a folder or a device name
    // is refused by its type.
    if (!QFileInfo(path).isFile()) {
        qDebug() << "RegularFile::open: refused" << path << "- not a regular file";
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "RegularFile::open: cannot open" << path << file.errorString();
        return false;
    }
    return true;
#else
    const int fd = openDescriptor(path);
    if (fd < 0) {
        const int error = errno;
        qDebug() << "RegularFile::open: cannot open" << path << qt_error_string(error);
        return false;
    }
    if (!isRegular(fd, path) || !clearNonBlocking(fd, path)) {
        ::close(fd);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        qDebug() << "RegularFile::open: cannot attach" << path << file.errorString();
        ::close(fd);
        return false;
    }
    return true;
#endif
}
