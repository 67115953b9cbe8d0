#pragma once

#include <QByteArray>
#include <QString>

// A file's path as the system's bytes (see NativePath), kept as its folder,
// ending with '/', and its name. Copies of one folder's bytes are shared, so
// a scan that keeps many files of one folder holds that folder's path once.
class NativeFilePath {
public:
    NativeFilePath() = default;
    // Implicit, as any path string names a file: the folder is split off
    // at the last '/' and held by this path alone.
    NativeFilePath(const QString &path);
    NativeFilePath(const QByteArray &folder, const QByteArray &name)
        : m_folder(folder)
        , m_name(name)
    {
    }

    bool isEmpty() const { return m_folder.isEmpty() && m_name.isEmpty(); }
    const QByteArray &folder() const { return m_folder; }
    const QByteArray &name() const { return m_name; }
    QByteArray bytes() const { return m_folder + m_name; }
    QString path() const;

private:
    QByteArray m_folder;
    QByteArray m_name;
};
