#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder that tests fill with real files; removed with the object.
class TempTree {
public:
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    bool makeDir(const QString &relative) const { return QDir().mkpath(path(relative)); }

    // Writes the file, creating its folder first; returns the absolute path or
    // an empty string when the file could not be written.
    QString writeFile(const QString &relative, const QByteArray &content) const
    {
        const QString target = path(relative);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return QString();
        return target;
    }

private:
    QTemporaryDir m_dir;
};

// Every file below `root`, hidden ones too, sorted: what a test compares
// before and after an action.
inline QStringList filesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}
