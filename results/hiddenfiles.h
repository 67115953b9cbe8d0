#pragma once

#include <QSet>
#include <QString>

// Files the user hid from the results on screen. They stay in their groups
// and on disk, and later scans find them again; the lists only leave them
// out. Kept by path id, so nothing dangles when a removal destroys items.
class HiddenFiles {
public:
    // True when the file was not hidden yet.
    bool hide(const QString &pathId);
    bool contains(const QString &pathId) const { return m_ids.contains(pathId); }
    int count() const { return m_ids.size(); }
    bool isEmpty() const { return m_ids.isEmpty(); }
    void clear() { m_ids.clear(); }
    // Forgets the files no longer in the results (removed meanwhile).
    void retain(const QSet<QString> &present);

private:
    QSet<QString> m_ids;
};
