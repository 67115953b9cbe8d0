#include "platform/longpath.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <unistd.h>

namespace {

int openAt(int folder, const char *name, int flags)
{
    int fd = -1;
    do
        fd = ::openat(folder, name, flags, 0);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// End of the longest piece of `path` from `start` that fits one call and
// ends at a separator (or at the end of the path); -1 when a single name is
// already too long.
int pieceEnd(const QByteArray &path, int start)
{
    if (path.size() - start < PATH_MAX)
        return path.size();
    const int limit = start + PATH_MAX - 1;
    const int slash = path.lastIndexOf('/', limit);
    return slash > start ? slash : -1;
}

} // namespace

bool LongPath::isLong(const QByteArray &path)
{
    return path.size() >= PATH_MAX;
}

int LongPath::open(const QByteArray &path, int flags)
{
    if (!isLong(path))
        return openAt(AT_FDCWD, path.constData(), flags);
    if (!path.startsWith('/')) {
        errno = ENAMETOOLONG;
        return -1;
    }
    // Folders on the way are only passed through: O_PATH needs no read
    // permission, as a plain path lookup needs none.
    int folder = openAt(AT_FDCWD, "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    int start = 1;
    while (folder >= 0) {
        const int end = pieceEnd(path, start);
        if (end < 0) {
            ::close(folder);
            errno = ENAMETOOLONG;
            return -1;
        }
        const QByteArray piece = path.mid(start, end - start);
        const bool last = end >= path.size();
        const int next
            = openAt(folder, piece.constData(), last ? flags : O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int error = errno;
        ::close(folder);
        if (last || next < 0) {
            errno = error;
            return next;
        }
        folder = next;
        start = end + 1;
    }
    return -1;
}
