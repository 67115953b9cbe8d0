#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QFontMetrics;

// Copies in one group often share all of their path but one folder in the
// middle. Shortening a path from its start (or its middle) cuts exactly that
// folder away, so the members read alike. This finds, for each member, where
// its path stops agreeing with the others and where the shared ending
// begins, and fits a path to a width by giving up the shared beginning
// first, then the shared folders after the difference, never the folders
// that differ.
class PathDisplay {
public:
    // Offsets into one member's path: [differStart, differEnd) holds the
    // folders that differ between members; before it is the shared beginning,
    // from differEnd on the shared folders and the file name.
    struct Span {
        int differStart = 0;
        int differEnd = 0;
    };

    // One span per path, in order. Paths use '/' between folders; the last
    // piece of each is its name (for a folder's path: the folder itself).
    static QVector<Span> spans(const QStringList &paths);

    // The path as it fits `width` under `metrics`; "…" stands for what was
    // left out. The differing folders and the file name go last.
    static QString fitted(
        const QString &path, const Span &span, const QFontMetrics &metrics, int width);
};
