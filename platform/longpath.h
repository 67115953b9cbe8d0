#pragma once

#include <QByteArray>

// Opens paths of any length. The system refuses a path of PATH_MAX bytes or
// more in one call, though every folder on it can still be reached from its
// parent; such paths are opened a piece at a time, each piece relative to the
// folder the one before opened.
class LongPath {
public:
    // ::open(path, flags) whatever the length of `path` (a native, absolute
    // path for long ones). -1 with errno set on failure.
    static int open(const QByteArray &path, int flags);
    // Whether `path` is too long for a single system call.
    static bool isLong(const QByteArray &path);
};
