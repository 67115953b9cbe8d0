#pragma once

#include <QString>

class HeldFolder;
struct stat;

// What the scan saw of a file: its identity, size and modification time, and
// the identity of the folder holding it. Compared again just before the file
// is removed, so a file edited, replaced or moved behind a folder link after
// the scan is never removed on the scan's word.
class FileStamp {
public:
    // An invalid stamp when the file cannot be read.
    static FileStamp of(const QString &path);

    bool isValid() const { return m_valid; }
    qint64 size() const { return m_size; }
    // Modification time in nanoseconds since the epoch.
    qint64 modifiedNs() const { return m_modifiedNs; }
    // True when `path` is still the same file, unchanged, in the same folder.
    bool matches(const QString &path) const;
    // The same for the file's entry in its folder held open: the folder must
    // be the one the scan saw, however its path leads now.
    bool matches(const HeldFolder &folder) const;
    // True when both stamps name one file (one inode), wherever its names are.
    bool sameFileAs(const FileStamp &other) const
    {
        return m_valid && other.m_valid && m_device == other.m_device && m_inode == other.m_inode;
    }
    bool operator==(const FileStamp &other) const;

private:
    void setFile(const struct stat &file);

    bool m_valid = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    qint64 m_modifiedNs = 0;
    quint64 m_folderDevice = 0;
    quint64 m_folderInode = 0;
};
