#pragma once

#include <QDataStream>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

// The automatic selection rules and the priority folders.
class TwSelectionPreferences : public QObject {
    Q_OBJECT

public:
    // Rules 0..3 apply to duplicate groups and similar-image groups,
    // 4..7 to similar-image groups only.
    enum TwSelectionRule : qint32 {
        SelectNewest = 0,
        SelectOldest = 1,
        SelectByFileName = 2,
        SelectByPriority = 3,
        SelectHighResolution = 4,
        SelectLowResolution = 5,
        SelectHighQuality = 6,
        SelectLowQuality = 7
    };
    Q_ENUM(TwSelectionRule)

    static constexpr quint32 Magic = 0xFF00FF00;

    explicit TwSelectionPreferences(QObject *parent = nullptr);
    TwSelectionPreferences &operator=(const TwSelectionPreferences &other);

    int duplicateRule() const { return m_duplicateRule; }
    void setDuplicateRule(int rule) { m_duplicateRule = rule; }
    int similarRule() const { return m_similarRule; }
    void setSimilarRule(int rule) { m_similarRule = rule; }

    // Folder path to priority; a larger number is selected for removal first.
    QMap<QString, int> priorities() const { return m_priorities; }
    void setPriorities(const QMap<QString, int> &priorities) { m_priorities = priorities; }
    QStringList priorityFolders() const;
    // One above the largest priority in use, at least 1.
    int nextPriority() const;
    // -1 when the folder has no priority.
    int priorityOf(const QString &path) const;
    bool isPriorityUsed(int value) const;
    // The priority of the nearest listed folder among `path` and its
    // ancestors that exist as directories; -1 when none is listed.
    int priorityForPath(const QString &path) const;
    // The same lookup in a copy of the priorities, for code that must not
    // reach the store (a scan running on pool threads).
    static int priorityForPath(const QMap<QString, int> &priorities, const QString &path);
    void removePriorityFolder(const QString &path) { m_priorities.remove(path); }
    void setPriority(const QString &path, int value) { m_priorities.insert(path, value); }

    // A section that cannot be read completely, or whose magic differs,
    // leaves the object unchanged; a rule number that names no rule takes
    // its default, with a log line.
    bool readSection(QDataStream &in);
    void writeSection(QDataStream &out) const;

private:
    int m_duplicateRule = SelectByFileName;
    int m_similarRule = SelectByFileName;
    QMap<QString, int> m_priorities;
};
