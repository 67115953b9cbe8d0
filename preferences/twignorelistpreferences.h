#pragma once

#include <QChar>
#include <QDataStream>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// Paths, extensions and hidden/system entries that a scan skips.
class TwIgnoreListPreferences : public QObject {
    Q_OBJECT

public:
    static constexpr quint32 Magic = 0x00FFFF00;

    explicit TwIgnoreListPreferences(QObject *parent = nullptr);
    TwIgnoreListPreferences &operator=(const TwIgnoreListPreferences &other);

    QVector<QString> ignorePaths() const { return m_ignorePaths; }
    void setIgnorePaths(const QVector<QString> &paths) { m_ignorePaths = paths; }
    // Appends without a duplicate check.
    void addIgnorePath(const QString &path) { m_ignorePaths.append(path); }
    void addIgnorePaths(const QStringList &paths);
    // Out-of-range indexes are ignored (removal) or read as an empty string.
    void removeIgnorePathAt(int index);
    void clearIgnorePaths() { m_ignorePaths.clear(); }
    int ignorePathCount() const { return m_ignorePaths.size(); }
    QString ignorePathAt(int index) const { return m_ignorePaths.value(index); }

    // Extensions without the dot.
    QVector<QString> ignoreExtensions() const { return m_ignoreExtensions; }
    void setIgnoreExtensions(const QVector<QString> &extensions)
    {
        m_ignoreExtensions = extensions;
    }
    QString extensionsText(QChar separator) const;
    // Replaces the list with the non-empty parts of `text`, blanks removed.
    void setExtensionsText(const QString &text, QChar separator);

    bool ignoreSystemHidden() const { return m_ignoreSystemHidden; }
    void setIgnoreSystemHidden(bool ignore) { m_ignoreSystemHidden = ignore; }

    // A section that cannot be read completely, or whose magic differs,
    // leaves the object unchanged.
    bool readSection(QDataStream &in);
    void writeSection(QDataStream &out) const;

private:
    QVector<QString> m_ignorePaths;
    QVector<QString> m_ignoreExtensions;
    bool m_ignoreSystemHidden = true;
    bool m_spareFlag = false;
};
