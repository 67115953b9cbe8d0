#pragma once

#include <QString>

// Moves one file so that no failure can lose it: a rename on one file system;
// across file systems a copy under a temporary name beside the destination,
// flushed, checked for size and given the source's times and permissions,
// then put in place, and only then the source removed. Any failure removes
// the partial copy and leaves the source untouched.
class SafeMove {
public:
    // False with `reason` set when the file was not moved. `destination`
    // must not exist yet; it is never replaced.
    static bool move(const QString &source, const QString &destination, QString *reason);

private:
    static bool copyAcross(
        const QByteArray &source, const QByteArray &destination, QString *reason);
};
