#pragma once

#include <memory>

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QVector>

#include "results/resultmode.h"
#include "results/smartaction.h"

class HiddenFiles;
class QBaseItem;
class QGroupItem;
class TwFileItem;
class TwFileItemGroup;
class TwSearchResult;

// How group rows are ordered: column is the sort box's index (0 Name, 1 Size,
// 2 Count, 3 Type). The mode travels along but does not change the order.
struct GroupSortKey {
    int column = 0;
    ResultMode mode = ResultMode::Ordinary;
    bool descending = false;
};

// The rows the results window shows: duplicate groups (kind 1) or the files of
// one group (kind 2). Rows are snapshots taken at load time; the file model
// itself is only reached through the group operations below.
class ImageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Kind { GroupRows = 1, FileRows = 2 };

    explicit ImageListModel(TwSearchResult *result, QObject *parent = nullptr);

    // The category key that lists the groups of every category.
    static QString allCategory();
    ~ImageListModel() override;

    void setKind(int kind);
    int kind() const { return m_kind; }
    ResultMode resultMode() const { return m_mode; }
    QString category() const { return m_category; }
    QString groupName() const { return m_groupName; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    QGroupItem *groupAt(int row) const;
    QBaseItem *fileAt(int row) const;

    void clearRows();
    void loadGroups(const QString &category, ResultMode mode);
    // Loads the groups of a category afresh, unfiltered, in the column's own
    // direction (see defaultDescending()) or the one given.
    int loadAndSortGroups(const QString &category, int column, ResultMode mode);
    int loadAndSortGroups(const QString &category, int column, ResultMode mode, bool descending);
    // Shows the loaded groups whose first file's name holds text. The groups
    // are loaded once per category and mode and only filtered afterwards, so
    // a keystroke in the search field never reaches the disk.
    int filterGroups(
        const QString &text, const QString &category, bool descending, int column, ResultMode mode);
    void sortGroups(int column, bool descending, ResultMode mode);
    void loadMembers(const QString &groupName, const QString &category, ResultMode mode);

    TwFileItemGroup *groupByName(const QString &name) const;
    TwFileItem *fileByPathId(const QString &groupName, const QString &pathId) const;
    // Hides a file from the lists (never from disk or later scans) and clears
    // its mark; a group left with fewer than two files shown loses its marks
    // too, so nothing is removed that no list shows. Returns the files of the
    // group still shown, -1 for an unknown group.
    int hideFile(const QString &groupName, const QString &pathId);
    // The files hidden so far; shared by the models that share it.
    HiddenFiles *hiddenFiles() const { return m_hidden.get(); }
    void shareHiddenFiles(const ImageListModel &other) { m_hidden = other.m_hidden; }
    void setFileChecked(const QString &groupName, const QString &pathId, bool checked);
    void refreshChecks();
    int applySelection(const QString &groupName, SmartAction action);

    // Size and Count list the largest first, Name and Type from A.
    static bool defaultDescending(int column) { return column == 1 || column == 2; }
    // True when a comes before b under key.
    static bool lessThan(const QGroupItem *a, const QGroupItem *b, const GroupSortKey &key);
    // Whether a group of a category is listed in a result mode, with its
    // counts; files in `hidden` count as absent.
    static bool groupListed(const TwFileItemGroup *group, const QString &category, ResultMode mode,
        int *markedCount = nullptr, int *fileCount = nullptr, const HiddenFiles *hidden = nullptr);

private:
    void sortRows(const GroupSortKey &key);
    void applyFilter();
    QGroupItem *makeGroupRow(TwFileItemGroup *group, int markedCount, int fileCount);
    QBaseItem *makeFileRow(TwFileItem *file);

    TwSearchResult *m_result;
    int m_kind = GroupRows;
    // Every group row of the loaded category (owned) in the containers'
    // order, the same rows sorted by m_sortKey, and the ones the filter lets
    // through, in sorted order. Each sort starts from the containers' order,
    // so rows that tie keep one order whatever was sorted before.
    QVector<QGroupItem *> m_loadOrder;
    QVector<QGroupItem *> m_allGroups;
    QVector<QGroupItem *> m_groups;
    GroupSortKey m_sortKey;
    QString m_filter;
    bool m_groupsLoaded = false;
    QList<QBaseItem *> m_files;
    ResultMode m_mode = ResultMode::Ordinary;
    QString m_category;
    QString m_groupName;
    std::shared_ptr<HiddenFiles> m_hidden;
};
