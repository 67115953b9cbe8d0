#pragma once

#include <QByteArray>
#include <QString>

struct stat;

// The folder of one file, held open while the file is checked and removed,
// so both happen in the same folder even if the folder's path is made to lead
// elsewhere in between (a scanned folder swapped for a link). Whether the
// folder held is the one the scan saw is for the caller to compare
// (FileStamp does, by device and inode): the path is followed on opening, as
// the scan itself followed folder links.
class HeldFolder {
public:
    explicit HeldFolder(const QString &filePath);
    ~HeldFolder();
    HeldFolder(const HeldFolder &) = delete;
    HeldFolder &operator=(const HeldFolder &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Why the folder could not be opened.
    QString error() const { return m_error; }
    // The folder itself; false when it is not open or cannot be read.
    bool statFolder(struct stat *info) const;
    // The file's entry in it, not followed.
    bool statEntry(struct stat *info) const;
    // Unlinks the entry relative to the folder held; false with `reason`.
    bool removeEntry(QString *reason) const;

private:
    int m_fd = -1;
    QByteArray m_name;
    QString m_error;
};
