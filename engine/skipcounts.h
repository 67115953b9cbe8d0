#pragma once

#include <QString>

// What a scan passed over and why, for the line that tells the user.
struct SkipCounts {
    qint64 unreadableFolders = 0;
    qint64 unreadableFiles = 0;
    // Pipes, devices, sockets and links that lead nowhere.
    qint64 specialFiles = 0;
    qint64 tooLong = 0;
    qint64 refusedImages = 0;

    bool isEmpty() const;
    // One line naming each non-zero count, "Nothing skipped" without any.
    QString summary() const;
};
