#include "model/filestamp.h"

#include <sys/stat.h>

#include <QFileInfo>

#include "model/heldfolder.h"
#include "platform/nativepath.h"

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    struct stat file { };
    struct stat folder { };
    // The file itself is not followed (a link put in its place is another
    // file); its folder is, so a folder replaced by a link shows up as a
    // different folder.
    if (::lstat(NativePath::encode(path).constData(), &file) != 0 || !S_ISREG(file.st_mode))
        return stamp;
    if (::stat(NativePath::encode(QFileInfo(path).absolutePath()).constData(), &folder) != 0)
        return stamp;
    stamp.setFile(file);
    stamp.m_folderDevice = folder.st_dev;
    stamp.m_folderInode = folder.st_ino;
    return stamp;
}

void FileStamp::setFile(const struct stat &file)
{
    m_valid = true;
    m_device = file.st_dev;
    m_inode = file.st_ino;
    m_size = file.st_size;
    m_modifiedNs = qint64(file.st_mtim.tv_sec) * 1000000000 + file.st_mtim.tv_nsec;
}

bool FileStamp::matches(const HeldFolder &folder) const
{
    struct stat held { };
    struct stat file { };
    if (!m_valid || !folder.statFolder(&held) || !folder.statEntry(&file) || !S_ISREG(file.st_mode))
        return false;
    FileStamp now;
    now.setFile(file);
    now.m_folderDevice = held.st_dev;
    now.m_folderInode = held.st_ino;
    return *this == now;
}

bool FileStamp::matches(const QString &path) const
{
    return m_valid && *this == of(path);
}

bool FileStamp::operator==(const FileStamp &other) const
{
    return m_valid == other.m_valid && m_device == other.m_device && m_inode == other.m_inode
        && m_size == other.m_size && m_modifiedNs == other.m_modifiedNs
        && m_folderDevice == other.m_folderDevice && m_folderInode == other.m_folderInode;
}
