#pragma once

#include <QString>
#include <QStringList>

// Where Move to Folder puts a file: below the target folder, under the name
// of the scanned folder it was found in and then its own folders inside that
// one, so copies never meet in one folder and where each came from can be
// read off the target tree. A file under no scanned folder goes straight
// into the target.
class MoveTarget {
public:
    MoveTarget() = default;
    // `scanRoots` as the scan was given them (after nested ones were dropped):
    // the walk builds every path from one of them.
    explicit MoveTarget(const QString &folder, const QStringList &scanRoots = QStringList());

    bool isEmpty() const { return m_folder.isEmpty(); }
    QString folder() const { return m_folder; }

    // The folder `path` belongs in below the target.
    QString folderFor(const QString &path) const;
    // Creates folderFor(`path`) as far as it is missing, each new level with
    // the permissions of the folder it stands for; false with `reason`.
    // `created` receives the folders made, deepest last.
    bool makeFolderFor(const QString &path, QStringList *created, QString *reason) const;

private:
    struct Place {
        // The scanned folder, ending in a slash; empty when none holds the file.
        QString root;
        // Below the target: the root's own name, then the file's folders.
        QStringList levels;
    };
    Place placeOf(const QString &path) const;

    QString m_folder;
    QStringList m_roots;
};
