#include "model/removalplan.h"

#include <QHash>
#include <QSet>

#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"

namespace {

// Exact copies follow the duplicate rule, groups of look-alikes the similar one.
int ruleFor(const TwFileItemGroup *group, const ScanSettings &settings)
{
    return group->hasSeveralKeys() ? settings.similarRule : settings.duplicateRule;
}

} // namespace

RemovalPlan::RemovalPlan(const QVector<TwFileItemGroup *> &groups, const ScanSettings &settings)
{
    for (TwFileItemGroup *group : groups) {
        if (!group)
            continue;
        const QList<TwFileItem *> members = group->items();
        int marked = 0;
        for (TwFileItem *item : members) {
            if (!item->isChecked())
                continue;
            ++marked;
            m_files.append({ item, group, item->filePath(), item->fileSize() });
        }
        if (marked == 0)
            continue;
        ++m_groupCount;
        if (marked < members.size() || members.size() < 2)
            continue;
        WholeGroup whole;
        whole.group = group;
        whole.name = group->groupName();
        whole.exactCopies = !group->hasSeveralKeys();
        whole.keeper = keeperOf(group, ruleFor(group, settings), settings);
        if (!whole.keeper)
            whole.keeper = members.first();
        whole.keeperPath = whole.keeper->filePath();
        m_keeperPaths.insert(whole.keeperPath);
        for (const TwFileItem *item : members)
            whole.members << item->filePath();
        m_wholeGroups.append(whole);
    }
}

TwFileItem *RemovalPlan::keeperOf(TwFileItemGroup *group, int rule, const ScanSettings &settings)
{
    if (!group)
        return nullptr;
    const QList<TwFileItem *> members = group->items();
    QHash<TwFileItem *, bool> marks;
    for (TwFileItem *item : members)
        marks.insert(item, item->isChecked());

    group->applySelectionRule(rule, settings, TwFileItemGroup::AllItems);
    TwFileItem *keeper = nullptr;
    for (TwFileItem *item : members) {
        if (!keeper && !item->isChecked())
            keeper = item;
    }
    // Back to the user's marks, through the group so its counters agree.
    for (TwFileItem *item : members) {
        const bool wanted = marks.value(item);
        if (item->isChecked() == wanted)
            continue;
        item->setChecked(wanted);
        group->itemCheckedChanged(wanted, item->fileSize());
    }
    return keeper;
}

bool RemovalPlan::isKeeper(const QString &path) const
{
    return m_keeperPaths.contains(path);
}

qint64 RemovalPlan::keeperBytes() const
{
    qint64 bytes = 0;
    for (const File &file : m_files) {
        if (isKeeper(file.path))
            bytes += file.size;
    }
    return bytes;
}

int RemovalPlan::fileCount(bool keepOnePerWholeGroup) const
{
    return m_files.size() - (keepOnePerWholeGroup ? m_wholeGroups.size() : 0);
}

qint64 RemovalPlan::totalBytes(bool keepOnePerWholeGroup) const
{
    qint64 bytes = 0;
    for (const File &file : m_files)
        bytes += file.size;
    return keepOnePerWholeGroup ? bytes - keeperBytes() : bytes;
}

void RemovalPlan::keepOnePerWholeGroup()
{
    QSet<TwFileItem *> keepers;
    for (const WholeGroup &whole : qAsConst(m_wholeGroups)) {
        if (!whole.keeper->isChecked())
            continue;
        whole.keeper->setChecked(false);
        whole.group->itemCheckedChanged(false, whole.keeper->fileSize());
        keepers.insert(whole.keeper);
    }
    QVector<File> kept;
    for (const File &file : qAsConst(m_files)) {
        if (!keepers.contains(file.item))
            kept.append(file);
    }
    m_files = kept;
    m_wholeGroups.clear();
    m_keeperPaths.clear();
}
