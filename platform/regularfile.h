#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Opens files that the program only means to read, refusing anything that is
// not a regular file. A FIFO put where a photo was blocks a plain open() until
// a writer comes, and a device never ends; both would hang a worker (and the
// Stop that waits for it), or the program's start.
class RegularFile {
public:
    // Opens `path` read-only into `file` (which must not be open). False, with
    // a log line naming the file and the reason, when it cannot be opened or
    // is not a regular file. `file` is opened by descriptor and so has no
    // file name afterwards.
    static bool open(QFile &file, const QString &path);

};
