#pragma once

#include <QString>

// Replaces a file by a hard link to another file of the same content. The
// link is made under a temporary name in the copy's own folder and renamed
// over the copy, so at every moment the copy's name holds either the old
// file or the kept one, never nothing.
class HardLink {
public:
    enum Outcome { Linked, AlreadyLinked, Failed };

    // Makes `copy` a second name of `kept`. Both must be regular files on the
    // same file system; `reason` says why not when the outcome is Failed.
    static Outcome replaceByLink(const QString &kept, const QString &copy, QString *reason);
};
