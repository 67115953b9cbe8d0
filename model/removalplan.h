#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include "model/scansettings.h"

class TwFileItem;
class TwFileItemGroup;

// What a removal is about to do: the marked files of the given groups, their
// bytes, the groups they touch, and the groups in which every member is
// marked, each with the member the smart selection would keep.
class RemovalPlan {
public:
    struct File {
        TwFileItem *item = nullptr;
        TwFileItemGroup *group = nullptr;
        QString path;
        qint64 size = 0;
    };
    struct WholeGroup {
        TwFileItemGroup *group = nullptr;
        QString name;
        // One match key: every member is an exact copy of the others.
        bool exactCopies = true;
        TwFileItem *keeper = nullptr;
        QString keeperPath;
        QStringList members;
    };

    RemovalPlan() = default;
    RemovalPlan(const QVector<TwFileItemGroup *> &groups, const ScanSettings &settings);

    const QVector<File> &files() const { return m_files; }
    const QVector<WholeGroup> &wholeGroups() const { return m_wholeGroups; }
    bool hasWholeGroups() const { return !m_wholeGroups.isEmpty(); }
    bool isEmpty() const { return m_files.isEmpty(); }

    // The figures with or without one keeper per whole group left out.
    int fileCount(bool keepOnePerWholeGroup = false) const;
    qint64 totalBytes(bool keepOnePerWholeGroup = false) const;
    int groupCount() const { return m_groupCount; }
    // Whether `path` is the keeper of a whole group.
    bool isKeeper(const QString &path) const;

    // Unmarks the keeper of every whole group (the group's counters follow)
    // and drops it from the plan.
    void keepOnePerWholeGroup();

    // The member selection rule `rule` keeps when it runs over every member
    // of `group`: a trial run of the group's own selection, marks restored after.
    static TwFileItem *keeperOf(TwFileItemGroup *group, int rule, const ScanSettings &settings);

private:
    qint64 keeperBytes() const;

    QVector<File> m_files;
    QVector<WholeGroup> m_wholeGroups;
    // Looked up for every listed file, so a set rather than a walk of the groups.
    QSet<QString> m_keeperPaths;
    int m_groupCount = 0;
};
