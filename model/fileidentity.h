#pragma once

#include <QtGlobal>

class QString;
struct stat;

// What identifies one version of a file's contents without reading them:
// where it lives (device, inode), its size and its modification and change
// times. Any write changes the change time, so an equal identity means the
// same contents, except for a write within the same tick of the clock, or on
// a file system whose change times are made up.
class FileIdentity {
public:
    // An invalid identity when the file cannot be examined or is no regular file.
    static FileIdentity of(const QString &path);
    // The same for a file already open, so the identity is that of what is read.
    static FileIdentity ofDescriptor(int descriptor);
    // Built from stored fields, for the cache and the tests.
    static FileIdentity fromFields(
        quint64 device, quint64 inode, qint64 size, qint64 modifiedNs, qint64 changedNs);

    bool isValid() const { return m_valid; }
    quint64 device() const { return m_device; }
    quint64 inode() const { return m_inode; }
    qint64 size() const { return m_size; }
    qint64 modifiedNs() const { return m_modifiedNs; }
    qint64 changedNs() const { return m_changedNs; }
    // When the identity was taken (real time in nanoseconds).
    qint64 observedNs() const { return m_observedNs; }
    // The file system keeps true change times (ext4, XFS, Btrfs, tmpfs...).
    bool hasRealChangeTime() const { return m_realChangeTime; }
    // Neither time moved within `quietNs` before the identity was taken, so a
    // later write cannot hide in the same clock tick.
    bool settledFor(qint64 quietNs) const;

    // Device, inode, size and both times are equal.
    bool sameVersionAs(const FileIdentity &other) const;

private:
    void setFile(const struct stat &file);

    bool m_valid = false;
    bool m_realChangeTime = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    qint64 m_modifiedNs = 0;
    qint64 m_changedNs = 0;
    qint64 m_observedNs = 0;
};
