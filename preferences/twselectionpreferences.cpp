#include "preferences/twselectionpreferences.h"

#include <algorithm>

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMultiMap>

namespace {

// A rule number that names no rule would select nothing, or everything.
int checkedRule(const char *field, qint32 stored, int highest, int fallback)
{
    if (stored >= 0 && stored <= highest)
        return stored;
    qWarning().noquote() << "TwSelectionPreferences::readSection:" << field << "holds" << stored
                         << "which is no rule; the default" << fallback << "is used";
    return fallback;
}

} // namespace

TwSelectionPreferences::TwSelectionPreferences(QObject *parent)
    : QObject(parent)
{
}

TwSelectionPreferences &TwSelectionPreferences::operator=(const TwSelectionPreferences &other)
{
    if (this == &other)
        return *this;
    m_duplicateRule = other.m_duplicateRule;
    m_similarRule = other.m_similarRule;
    m_priorities = other.m_priorities;
    return *this;
}

QStringList TwSelectionPreferences::priorityFolders() const
{
    QStringList folders = m_priorities.keys();
    folders.removeDuplicates();
    return folders;
}

int TwSelectionPreferences::nextPriority() const
{
    int largest = 0;
    for (auto it = m_priorities.cbegin(); it != m_priorities.cend(); ++it)
        largest = std::max(largest, it.value());
    return largest + 1;
}

int TwSelectionPreferences::priorityOf(const QString &path) const
{
    return m_priorities.value(path, -1);
}

bool TwSelectionPreferences::isPriorityUsed(int value) const
{
    for (auto it = m_priorities.cbegin(); it != m_priorities.cend(); ++it) {
        if (it.value() == value)
            return true;
    }
    return false;
}

int TwSelectionPreferences::priorityForPath(const QString &path) const
{
    return priorityForPath(m_priorities, path);
}

int TwSelectionPreferences::priorityForPath(
    const QMap<QString, int> &priorities, const QString &path)
{
    if (priorities.isEmpty() || path.isEmpty())
        return -1;
    QFileInfo info(path);
    // Keys come from the folder picker: absolute, forward slashes, no trailing slash.
    QString candidate = QDir::cleanPath(QDir::fromNativeSeparators(info.absoluteFilePath()));
    while (QFileInfo(candidate).isDir()) {
        const auto found = priorities.constFind(candidate);
        if (found != priorities.cend())
            return found.value();
        const QDir dir(candidate);
        if (dir.isRoot())
            break;
        const QString parent = QFileInfo(candidate).absolutePath();
        if (parent == candidate)
            break;
        candidate = parent;
    }
    return -1;
}

bool TwSelectionPreferences::readSection(QDataStream &in)
{
    quint32 magic = 0;
    in >> magic;
    if (in.status() != QDataStream::Ok || magic != Magic)
        return false;

    qint32 duplicateRule = 0;
    qint32 similarRule = 0;
    quint32 count = 0;
    QMultiMap<QString, int> priorities;
    in >> duplicateRule >> similarRule >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString folder;
        qint32 priority = 0;
        in >> folder >> priority;
        // Repeated keys are kept, as the stream's own map reader does.
        if (in.status() == QDataStream::Ok)
            priorities.insert(folder, priority);
    }
    if (in.status() != QDataStream::Ok) {
        qDebug() << Q_FUNC_INFO << "incomplete section, defaults kept";
        return false;
    }

    const TwSelectionPreferences defaults;
    m_duplicateRule
        = checkedRule("duplicateRule", duplicateRule, SelectByPriority, defaults.m_duplicateRule);
    m_similarRule
        = checkedRule("similarRule", similarRule, SelectLowQuality, defaults.m_similarRule);
    m_priorities = priorities;
    return true;
}

void TwSelectionPreferences::writeSection(QDataStream &out) const
{
    out << Magic << static_cast<qint32>(m_duplicateRule) << static_cast<qint32>(m_similarRule);
    out << static_cast<quint32>(m_priorities.size());
    // Greatest key first, the order the stream's map writer uses.
    auto it = m_priorities.cend();
    while (it != m_priorities.cbegin()) {
        --it;
        out << it.key() << static_cast<qint32>(it.value());
    }
}
