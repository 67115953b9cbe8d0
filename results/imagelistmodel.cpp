#include "results/imagelistmodel.h"

#include <algorithm>

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>

#include "engine/twsearchresult.h"
#include "model/scansettings.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "model/twphotoitem.h"
#include "preferences/twpreferences.h"
#include "preferences/twselectionpreferences.h"
#include "results/hiddenfiles.h"
#include "results/qbaseitem.h"
#include "results/qgroupitem.h"

namespace {

const QString allCategoryKey = QStringLiteral("All");
const QString imagesCategory = QStringLiteral("Images");

// Calls fn(list) for each content key's file list, in key order.
template <typename Fn>
void forEachKeyList(const TwFileItemGroup *group, const HiddenFiles *hidden, Fn fn)
{
    const auto byKey = group->itemsByKey();
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it) {
        if (!hidden || hidden->isEmpty()) {
            fn(it.value());
            continue;
        }
        TwFileItemGroup::ItemList shown;
        for (TwFileItem *item : it.value()) {
            if (!hidden->contains(item->pathId()))
                shown.append(item);
        }
        fn(shown);
    }
}

void uncheck(TwFileItemGroup *group, TwFileItem *file)
{
    if (!file->isChecked())
        return;
    file->setChecked(false);
    group->itemCheckedChanged(false, file->fileSize());
}

} // namespace

ImageListModel::ImageListModel(TwSearchResult *result, QObject *parent)
    : QAbstractTableModel(parent)
    , m_result(result)
    , m_hidden(std::make_shared<HiddenFiles>())
{
    // Generic views and model checkers expect the display role to read as
    // text; the snapshots answer with their path.
    static const bool registered = [] {
        QMetaType::registerConverter<QBaseItem *, QString>(
            [](QBaseItem *item) { return item ? item->path : QString(); });
        QMetaType::registerConverter<QGroupItem *, QString>(
            [](QGroupItem *item) { return item ? item->path : QString(); });
        return true;
    }();
    Q_UNUSED(registered)
}

QString ImageListModel::allCategory()
{
    return allCategoryKey;
}

ImageListModel::~ImageListModel()
{
    qDebug() << "~ImageListModel()";
    clearRows();
}

void ImageListModel::setKind(int kind)
{
    beginResetModel();
    m_kind = kind;
    endResetModel();
}

int ImageListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_kind == GroupRows ? m_groups.size() : m_files.size();
}

int ImageListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant ImageListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.column() != 0)
        return QVariant();
    if (m_kind == GroupRows) {
        if (QGroupItem *group = groupAt(index.row()))
            return QVariant::fromValue(group);
    } else if (QBaseItem *file = fileAt(index.row())) {
        return QVariant::fromValue(file);
    }
    return QVariant();
}

QGroupItem *ImageListModel::groupAt(int row) const
{
    return row >= 0 && row < m_groups.size() ? m_groups.at(row) : nullptr;
}

QBaseItem *ImageListModel::fileAt(int row) const
{
    return row >= 0 && row < m_files.size() ? m_files.at(row) : nullptr;
}

void ImageListModel::clearRows()
{
    qDeleteAll(m_loadOrder);
    m_loadOrder.clear();
    m_allGroups.clear();
    m_groups.clear();
    m_groupsLoaded = false;
    m_filter.clear();
    qDeleteAll(m_files);
    m_files.clear();
}

bool ImageListModel::groupListed(const TwFileItemGroup *group, const QString &category,
    ResultMode mode, int *markedCount, int *fileCount, const HiddenFiles *hidden)
{
    if (!group)
        return false;
    const bool images = category == imagesCategory;
    if (images && mode == ResultMode::Ordinary)
        return false;
    int marked = 0;
    int files = 0;
    int shown = 0;
    forEachKeyList(group, hidden, [&](const TwFileItemGroup::ItemList &list) {
        shown += list.size();
        if (!images) {
            files += list.size();
            for (const TwFileItem *item : list)
                marked += item->isChecked() ? 1 : 0;
        } else if (mode == ResultMode::DuplicateImages) {
            if (list.size() < 2)
                return;
            files += list.size();
            for (const TwFileItem *item : list)
                marked += item->isChecked() ? 1 : 0;
        } else if (!list.isEmpty()) {
            ++files;
            marked += list.first()->isChecked() ? 1 : 0;
        }
    });
    // One file shown is no group, whatever else it holds.
    if (shown < 2 || (images && mode == ResultMode::DuplicateImages && files <= 0)
        || (images && mode == ResultMode::SimilarImages && files < 2))
        return false;
    if (markedCount)
        *markedCount = marked;
    if (fileCount)
        *fileCount = files;
    return true;
}

QGroupItem *ImageListModel::makeGroupRow(TwFileItemGroup *group, int markedCount, int fileCount)
{
    TwFileItem *first = group->firstItem();
    if (!first)
        return nullptr;
    auto *row = new QGroupItem;
    row->markedCount = markedCount;
    row->fileCount = fileCount;
    row->isImage = first->isPhoto();
    row->path = first->filePath();
    const QFileInfo info(row->path);
    row->fileName = info.fileName();
    row->size = info.exists() ? info.size() : 0;
    row->suffix = info.suffix();
    row->sizeText = TwFileItem::sizeString(row->size);
    row->name = group->groupName();
    return row;
}

QBaseItem *ImageListModel::makeFileRow(TwFileItem *file)
{
    auto *row = new QBaseItem;
    row->path = file->filePath();
    // One QFileInfo for size and date: painting must never reach the disk.
    const QFileInfo info(row->path);
    row->size = info.exists() ? info.size() : 0;
    const QDateTime born = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
    row->created = born.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
    row->isImage = file->isPhoto();
    row->checked = file->isChecked();
    row->sizeText = TwFileItem::sizeString(row->size);
    row->pathId = file->pathId();
    return row;
}

void ImageListModel::loadGroups(const QString &category, ResultMode mode)
{
    clearRows();
    m_mode = mode;
    m_category = category;
    m_groupsLoaded = true;
    // Rows come in the containers' order until the first sort.
    m_sortKey = GroupSortKey { -1, mode, false };
    if (!m_result)
        return;
    const auto containers = m_result->containers();
    auto append = [this](TwFileItemGroup *group, int marked, int files) {
        if (QGroupItem *row = makeGroupRow(group, marked, files))
            m_loadOrder.append(row);
    };
    auto appendListed = [&](TwFileItemGroup *group) {
        int marked = 0;
        int files = 0;
        if (groupListed(group, category, mode, &marked, &files, m_hidden.get()))
            append(group, marked, files);
    };
    if (category == allCategoryKey) {
        for (TwCatalogContainer *container : containers) {
            for (TwFileItemGroup *group : container->groups())
                appendListed(group);
        }
    } else if (TwCatalogContainer *container = containers.value(category)) {
        for (TwFileItemGroup *group : container->groups())
            appendListed(group);
    }
    m_allGroups = m_loadOrder;
    m_groups = m_allGroups;
}

bool ImageListModel::lessThan(const QGroupItem *a, const QGroupItem *b, const GroupSortKey &key)
{
    int d = 0;
    switch (key.column) {
    case 0:
        d = QString::compare(a->fileName, b->fileName, Qt::CaseSensitive);
        break;
    case 1:
        // Sizes beyond 2 GiB must not wrap: compare the 64-bit values, not their difference.
        d = a->size < b->size ? -1 : (a->size > b->size ? 1 : 0);
        break;
    case 2:
        d = a->fileCount - b->fileCount;
        break;
    case 3:
        d = QString::compare(a->suffix, b->suffix, Qt::CaseSensitive);
        break;
    default:
        return false;
    }
    if (d == 0)
        return false;
    return key.descending ? d > 0 : d < 0;
}

void ImageListModel::sortRows(const GroupSortKey &key)
{
    if (key.column != m_sortKey.column || key.descending != m_sortKey.descending) {
        m_allGroups = m_loadOrder;
        std::stable_sort(m_allGroups.begin(), m_allGroups.end(),
            [&key](const QGroupItem *a, const QGroupItem *b) { return lessThan(a, b, key); });
        m_sortKey = key;
    }
    applyFilter();
}

void ImageListModel::applyFilter()
{
    if (m_filter.isEmpty()) {
        m_groups = m_allGroups;
        return;
    }
    m_groups.clear();
    for (QGroupItem *row : qAsConst(m_allGroups)) {
        if (row->fileName.contains(m_filter, Qt::CaseInsensitive))
            m_groups.append(row);
    }
}

int ImageListModel::loadAndSortGroups(const QString &category, int column, ResultMode mode)
{
    return loadAndSortGroups(category, column, mode, defaultDescending(column));
}

int ImageListModel::loadAndSortGroups(
    const QString &category, int column, ResultMode mode, bool descending)
{
    beginResetModel();
    loadGroups(category, mode);
    sortRows(GroupSortKey { column, mode, descending });
    endResetModel();
    return m_groups.size();
}

int ImageListModel::filterGroups(
    const QString &text, const QString &category, bool descending, int column, ResultMode mode)
{
    beginResetModel();
    if (!m_groupsLoaded || m_kind != GroupRows || category != m_category || mode != m_mode)
        loadGroups(category, mode);
    m_filter = text;
    sortRows(GroupSortKey { column, mode, descending });
    endResetModel();
    return m_groups.size();
}

void ImageListModel::sortGroups(int column, bool descending, ResultMode mode)
{
    beginResetModel();
    // Counts may have changed since the last sort (hidden files).
    m_sortKey.column = -1;
    sortRows(GroupSortKey { column, mode, descending });
    endResetModel();
}

void ImageListModel::loadMembers(const QString &groupName, const QString &category, ResultMode mode)
{
    beginResetModel();
    m_groupName = groupName;
    clearRows();
    m_mode = mode;
    m_category = category;
    if (TwFileItemGroup *group = groupByName(groupName)) {
        forEachKeyList(group, m_hidden.get(), [this, mode](const auto &list) {
            if (mode == ResultMode::Ordinary) {
                // The first copy of each content goes last, its twins to the front.
                for (int i = 0; i < list.size(); ++i) {
                    QBaseItem *row = makeFileRow(list.at(i));
                    if (i == 0)
                        m_files.append(row);
                    else
                        m_files.prepend(row);
                }
            } else if (mode == ResultMode::DuplicateImages) {
                if (list.size() >= 2) {
                    for (TwFileItem *file : list)
                        m_files.append(makeFileRow(file));
                }
            } else if (mode == ResultMode::SimilarImages) {
                if (!list.isEmpty())
                    m_files.append(makeFileRow(list.first()));
            }
        });
    }
    endResetModel();
}

TwFileItemGroup *ImageListModel::groupByName(const QString &name) const
{
    if (name.isEmpty() || !m_result)
        return nullptr;
    const auto containers = m_result->containers();
    if (m_category == allCategoryKey) {
        for (TwCatalogContainer *container : containers) {
            for (TwFileItemGroup *group : container->groups()) {
                if (group->groupName() == name)
                    return group;
            }
        }
        return nullptr;
    }
    TwCatalogContainer *container = containers.value(m_category);
    if (!container)
        return nullptr;
    for (TwFileItemGroup *group : container->groups()) {
        if (group->groupName() == name
            && groupListed(group, m_category, m_mode, nullptr, nullptr, m_hidden.get()))
            return group;
    }
    return nullptr;
}

TwFileItem *ImageListModel::fileByPathId(const QString &groupName, const QString &pathId) const
{
    TwFileItemGroup *group = groupByName(groupName);
    if (!group)
        return nullptr;
    TwFileItem *found = nullptr;
    const ResultMode mode = m_mode;
    forEachKeyList(group, m_hidden.get(), [&](const auto &list) {
        if (found)
            return;
        if (mode == ResultMode::DuplicateImages && list.size() < 2)
            return;
        const int count
            = mode == ResultMode::SimilarImages ? qMin(1, int(list.size())) : int(list.size());
        for (int i = 0; i < count; ++i) {
            if (list.at(i)->pathId() == pathId) {
                found = list.at(i);
                return;
            }
        }
    });
    return found;
}

int ImageListModel::hideFile(const QString &groupName, const QString &pathId)
{
    TwFileItemGroup *group = groupByName(groupName);
    if (!group)
        return -1;
    if (TwFileItem *file = fileByPathId(groupName, pathId)) {
        uncheck(group, file);
        m_hidden->hide(pathId);
    }
    int shown = 0;
    forEachKeyList(group, m_hidden.get(), [&shown](const auto &list) { shown += list.size(); });
    if (shown < 2) {
        for (TwFileItem *item : group->items())
            uncheck(group, item);
    }
    return shown;
}

void ImageListModel::setFileChecked(const QString &groupName, const QString &pathId, bool checked)
{
    if (TwFileItem *file = fileByPathId(groupName, pathId))
        file->setChecked(checked);
}

void ImageListModel::refreshChecks()
{
    for (QBaseItem *row : qAsConst(m_files)) {
        if (TwFileItem *file = fileByPathId(m_groupName, row->pathId))
            row->checked = file->isChecked();
    }
}

int ImageListModel::applySelection(const QString &groupName, SmartAction action)
{
    TwFileItemGroup *group = groupByName(groupName);
    if (!group)
        return 0;
    // Each menu entry is one of the selection rules; the scope follows what
    // the list shows.
    struct Entry {
        SmartAction action;
        TwSelectionPreferences::TwSelectionRule rule;
    };
    const Entry entries[] = {
        { SmartAction::SmartSelect, TwSelectionPreferences::SelectByFileName },
        { SmartAction::ByPriority, TwSelectionPreferences::SelectByPriority },
        { SmartAction::Newest, TwSelectionPreferences::SelectNewest },
        { SmartAction::Oldest, TwSelectionPreferences::SelectOldest },
        { SmartAction::Largest, TwSelectionPreferences::SelectHighQuality },
        { SmartAction::Smallest, TwSelectionPreferences::SelectLowQuality },
        { SmartAction::HighestResolution, TwSelectionPreferences::SelectHighResolution },
        { SmartAction::LowestResolution, TwSelectionPreferences::SelectLowResolution },
    };
    const auto scope = m_mode == ResultMode::DuplicateImages ? TwFileItemGroup::ExactDuplicates
        : m_mode == ResultMode::SimilarImages                ? TwFileItemGroup::FirstOfEachKey
                                                             : TwFileItemGroup::AllItems;
    if (action == SmartAction::Deselect)
        group->deselectAll();
    for (const Entry &entry : entries) {
        if (entry.action == action) {
            // Priorities as they are stored now, not as the scan saw them.
            group->applySelectionRule(
                entry.rule, ScanSettings::fromPreferences(*TwPreferences::instance()), scope);
        }
    }
    // The rules see every member; a hidden one is never marked by them.
    for (TwFileItem *item : group->items()) {
        if (m_hidden->contains(item->pathId()))
            uncheck(group, item);
    }
    int marked = 0;
    groupListed(group, m_category, m_mode, &marked, nullptr, m_hidden.get());
    return marked;
}
