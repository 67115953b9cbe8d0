#pragma once

#include <QByteArray>
#include <QString>

class FileStamp;

// A POSIX shell script that removes files for the user to review and run
// later. Before each removal it compares the size and modification time of
// the file, and of the copy that stays, with what the scan saw
// (`stat -c %s:%Y`), and leaves the file alone when either differs.
class CliScript {
public:
    // One removal of `path`, checked against `stamp`; `kept` is the copy that
    // stays, checked against `keptStamp`.
    void addRemoval(const QString &path, const FileStamp &stamp, const QString &kept,
        const FileStamp &keptStamp);
    int removalCount() const { return m_count; }

    // Writes the script to `file` (never replacing one), executable by its
    // owner; false with `problem` set when it could not.
    bool writeTo(const QString &file, QString *problem) const;

    // `path` as one single-quoted shell word, bytes as the system has them.
    static QByteArray shellQuoted(const QString &path);
    // What `stat -c %s:%Y` prints for a file as `stamp` saw it.
    static QByteArray statText(const FileStamp &stamp);

private:
    QByteArray m_removals;
    int m_count = 0;
};
