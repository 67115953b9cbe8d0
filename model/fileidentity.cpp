#include "model/fileidentity.h"

#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>

#include <algorithm>

#include <QString>

#include "platform/nativepath.h"

namespace {

qint64 nanoseconds(const struct timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

qint64 nowNs()
{
    struct timespec now { };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

// File systems known to set the change time on every write. FAT, exFAT,
// NTFS through FUSE and many network file systems invent or cache it.
bool keepsChangeTimes(long type)
{
    switch (static_cast<unsigned long>(type)) {
    case 0xEF53: // ext2, ext3, ext4
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0x01021994: // tmpfs
    case 0xF2F52010: // F2FS
    case 0x2FC12FC1: // ZFS
    case 0x794C7630: // overlayfs
    case 0x3153464A: // JFS
    case 0x52654973: // ReiserFS
        return true;
    default:
        return false;
    }
}

} // namespace

FileIdentity FileIdentity::of(const QString &path)
{
    FileIdentity identity;
    const QByteArray native = NativePath::encode(path);
    struct stat file { };
    if (::stat(native.constData(), &file) != 0 || !S_ISREG(file.st_mode))
        return identity;
    identity.setFile(file);
    struct statfs system { };
    identity.m_realChangeTime
        = ::statfs(native.constData(), &system) == 0 && keepsChangeTimes(system.f_type);
    return identity;
}

FileIdentity FileIdentity::ofDescriptor(int descriptor)
{
    FileIdentity identity;
    struct stat file { };
    if (descriptor < 0 || ::fstat(descriptor, &file) != 0 || !S_ISREG(file.st_mode))
        return identity;
    identity.setFile(file);
    struct statfs system { };
    identity.m_realChangeTime
        = ::fstatfs(descriptor, &system) == 0 && keepsChangeTimes(system.f_type);
    return identity;
}

FileIdentity FileIdentity::fromFields(
    quint64 device, quint64 inode, qint64 size, qint64 modifiedNs, qint64 changedNs)
{
    FileIdentity identity;
    identity.m_valid = true;
    identity.m_device = device;
    identity.m_inode = inode;
    identity.m_size = size;
    identity.m_modifiedNs = modifiedNs;
    identity.m_changedNs = changedNs;
    identity.m_observedNs = nowNs();
    return identity;
}

void FileIdentity::setFile(const struct stat &file)
{
    m_valid = true;
    m_device = file.st_dev;
    m_inode = file.st_ino;
    m_size = file.st_size;
    m_modifiedNs = nanoseconds(file.st_mtim);
    m_changedNs = nanoseconds(file.st_ctim);
    m_observedNs = nowNs();
}

bool FileIdentity::settledFor(qint64 quietNs) const
{
    // A time in the future (a clock set back, a server's clock) never settles.
    return m_valid && m_observedNs - std::max(m_modifiedNs, m_changedNs) >= quietNs;
}

bool FileIdentity::sameVersionAs(const FileIdentity &other) const
{
    return m_valid && other.m_valid && m_device == other.m_device && m_inode == other.m_inode
        && m_size == other.m_size && m_modifiedNs == other.m_modifiedNs
        && m_changedNs == other.m_changedNs;
}
