#include "engine/qscanresult.h"

#include <QDebug>
#include <QHash>
#include <QMutexLocker>

#include <algorithm>
#include <numeric>

#include "model/twcatalog.h"
#include "model/twphotoitem.h"
#include "model/twshared.h"
#include "platform/nativepath.h"

QScanResult::QScanResult(QObject *parent)
    : QObject(parent)
{
}

QScanResult::~QScanResult() = default;

QString QScanResult::bucketKey(const QString &path, qint64 size)
{
    const TwCatalog *catalog = TwCatalog::catalogForFile(path);
    const QString name = catalog ? catalog->catalogKey() : TwShared::othersName();
    return name + QString::number(size);
}

FileRecordStore::Record QScanResult::recordFor(const QString &name, qint64 size, const FileId *id)
{
    // Worked out before locking: the category table is only read during a
    // walk (clear() builds it before any task starts). Categories are
    // numbered in table order from 1; 0 is "Others".
    FileRecordStore::Record record;
    record.size = size;
    if (const TwCatalog *catalog = TwCatalog::catalogForFile(name)) {
        quint8 number = 1;
        for (const TwCatalog *known : TwCatalog::catalogs()) {
            if (known == catalog)
                break;
            ++number;
        }
        record.category = number;
    }
    if (TwPhotoItem::isPhotoFile(name))
        record.flags |= FileRecordStore::Image;
    if (id) {
        record.device = id->device;
        record.inode = id->inode;
        record.flags |= FileRecordStore::HasIdentity;
    }
    return record;
}

bool QScanResult::addRecord(quint32 folder, const QByteArray &name, FileRecordStore::Record record)
{
    record.folder = folder;
    if (m_records.add(record, name.constData(), name.size()) < 0)
        return false;
    ++m_fileCount;
    return true;
}

bool QScanResult::addPath(const QString &path, const FileRecordStore::Record &record)
{
    const QByteArray native = NativePath::encode(path);
    const int slash = native.lastIndexOf('/');
    QMutexLocker locker(&m_mutex);
    return addRecord(m_records.folderOf(native), native.mid(slash + 1), record);
}

void QScanResult::collectFile(qint64 size, const QString &path)
{
    addPath(path, recordFor(path, size));
}

bool QScanResult::collectFile(qint64 size, const QString &path, const FileId &id)
{
    return addPath(path, recordFor(path, size, &id));
}

quint32 QScanResult::addFolder(const QString &prefix)
{
    const QByteArray native = NativePath::encode(prefix);
    QMutexLocker locker(&m_mutex);
    return m_records.addFolder(native);
}

bool QScanResult::collectFile(
    quint32 folder, const QByteArray &name, const QString &shown, qint64 size, const FileId &id)
{
    const FileRecordStore::Record record = recordFor(shown, size, &id);
    QMutexLocker locker(&m_mutex);
    return addRecord(folder, name, record);
}

void QScanResult::countSkip(Skip reason)
{
    ++m_skipped[int(reason)];
}

SkipCounts QScanResult::skipCounts() const
{
    SkipCounts counts;
    counts.unreadableFolders = m_skipped[int(Skip::UnreadableFolder)].load();
    counts.unreadableFiles = m_skipped[int(Skip::UnreadableFile)].load();
    counts.specialFiles = m_skipped[int(Skip::SpecialFile)].load();
    counts.tooLong = m_skipped[int(Skip::TooLong)].load();
    return counts;
}

bool QScanResult::claimFolder(const FileId &id)
{
    QMutexLocker locker(&m_mutex);
    const auto identity = qMakePair(id.device, id.inode);
    if (m_walkedFolderIds.contains(identity))
        return false;
    m_walkedFolderIds.insert(identity);
    return true;
}

std::vector<int> QScanResult::balancedPermutation(const QVector<qint64> &costs, int taskCount)
{
    // The comparison tasks take contiguous slices of the list: n / taskCount
    // groups each, the last one also the remainder. Groups are dealt, most
    // expensive first, to the slice with the least work that still has room,
    // so one task does not end up reading all the large files alone.
    const int n = costs.size();
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (n <= taskCount || taskCount < 2)
        return order;
    std::stable_sort(
        order.begin(), order.end(), [&costs](int a, int b) { return costs[a] > costs[b]; });
    const int share = n / taskCount;
    std::vector<std::vector<int>> slices(static_cast<size_t>(taskCount));
    std::vector<qint64> load(static_cast<size_t>(taskCount), 0);
    for (int index : order) {
        int best = -1;
        for (int t = 0; t < taskCount; ++t) {
            const int room = t == taskCount - 1 ? share + n % taskCount : share;
            if (int(slices[t].size()) < room && (best < 0 || load[t] < load[best]))
                best = t;
        }
        slices[best].push_back(index);
        load[best] += costs[index];
    }
    order.clear();
    for (const std::vector<int> &slice : slices)
        order.insert(order.end(), slice.begin(), slice.end());
    return order;
}

QList<QStringList> QScanResult::balancedOrder(
    const QList<QStringList> &groups, const QVector<qint64> &costs, int taskCount)
{
    QList<QStringList> ordered;
    ordered.reserve(groups.size());
    for (int index : balancedPermutation(costs, taskCount))
        ordered.append(groups.at(index));
    return ordered;
}

void QScanResult::removeDiffSizeItem(QFlags<TwGenernalPreferences::TwScanMethodFlag> method)
{
    Q_UNUSED(method)
    // Rebuilt from the records each time, so a second call adds nothing twice.
    // Records of one category and size end up side by side, each run in the
    // order the files were collected.
    std::vector<quint32> order(m_records.count());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [this](quint32 a, quint32 b) {
        const FileRecordStore::Record &left = m_records.at(a);
        const FileRecordStore::Record &right = m_records.at(b);
        return left.category != right.category ? left.category < right.category
                                               : left.size < right.size;
    });
    std::vector<GroupRange> runs;
    QVector<qint64> costs;
    m_singleImages.clear();
    qint64 candidates = 0;
    qint64 bytes = 0;
    for (size_t start = 0; start < order.size();) {
        const FileRecordStore::Record &first = m_records.at(order[start]);
        size_t end = start + 1;
        while (end < order.size() && m_records.at(order[end]).category == first.category
            && m_records.at(order[end]).size == first.size)
            ++end;
        const quint32 count = quint32(end - start);
        if (count == 1 && first.flags & FileRecordStore::Image) {
            m_singleImages.push_back(order[start]);
            ++candidates;
        } else if (count > 1) {
            runs.push_back(GroupRange { quint32(start), count });
            costs.append(first.size * count);
            candidates += count;
            bytes += costs.last();
        }
        start = end;
    }
    // Only the groups' members stay, in the balanced order of the groups.
    m_groupMembers.clear();
    m_groupMembers.reserve(size_t(candidates) - m_singleImages.size());
    m_groups.clear();
    m_groups.reserve(runs.size());
    for (int index : balancedPermutation(costs, BalancedTaskCount)) {
        const GroupRange &run = runs[size_t(index)];
        m_groups.push_back(GroupRange { quint32(m_groupMembers.size()), run.count });
        m_groupMembers.insert(
            m_groupMembers.end(), order.begin() + run.start, order.begin() + run.start + run.count);
    }
    m_candidateCount = candidates;
    m_candidateBytes = bytes;
    qDebug() << "QScanResult::removeDiffSizeItem"
             << QStringLiteral("scan file count:%1, size count:%2 sign image count:%3")
                    .arg(m_fileCount.load())
                    .arg(m_groups.size())
                    .arg(m_singleImages.size());
}

QList<QStringList> QScanResult::sameSizeGroups() const
{
    QList<QStringList> groups;
    const int count = sameSizeGroupCount();
    for (int i = 0; i < count; ++i) {
        QStringList paths;
        for (const NativeFilePath &file : sameSizeGroup(i))
            paths.append(file.path());
        groups.append(paths);
    }
    return groups;
}

int QScanResult::sameSizeGroupCount() const
{
    QMutexLocker locker(&m_mutex);
    return int(m_groups.size());
}

NativeFilePaths QScanResult::sameSizeGroup(int index, std::vector<quint32> *records) const
{
    QMutexLocker locker(&m_mutex);
    NativeFilePaths paths;
    if (index < 0 || size_t(index) >= m_groups.size())
        return paths;
    const GroupRange &group = m_groups[size_t(index)];
    paths.reserve(int(group.count));
    if (records)
        records->clear();
    for (quint32 i = group.start; i < group.start + group.count; ++i) {
        paths.append(m_records.filePath(m_groupMembers[i]));
        if (records)
            records->push_back(m_groupMembers[i]);
    }
    return paths;
}

qint64 QScanResult::sameSizeGroupFileSize(int index) const
{
    QMutexLocker locker(&m_mutex);
    if (index < 0 || size_t(index) >= m_groups.size() || m_groups[size_t(index)].count == 0)
        return 0;
    return m_records.at(m_groupMembers[m_groups[size_t(index)].start]).size;
}

QStringList QScanResult::singleImages() const
{
    QMutexLocker locker(&m_mutex);
    QStringList paths;
    paths.reserve(int(m_singleImages.size()));
    for (const quint32 record : m_singleImages)
        paths.append(m_records.path(record));
    return paths;
}

int QScanResult::singleImageCount() const
{
    QMutexLocker locker(&m_mutex);
    return int(m_singleImages.size());
}

QString QScanResult::singleImage(int index) const
{
    QMutexLocker locker(&m_mutex);
    if (index < 0 || size_t(index) >= m_singleImages.size())
        return QString();
    return m_records.path(m_singleImages[size_t(index)]);
}

void QScanResult::appendSingleImages(const QStringList &paths)
{
    // Paths from elsewhere become records of their own, outside the count of
    // collected files.
    QMutexLocker locker(&m_mutex);
    for (const QString &path : paths) {
        const QByteArray native = NativePath::encode(path);
        const int slash = native.lastIndexOf('/');
        FileRecordStore::Record record;
        record.folder = m_records.folderOf(native);
        const QByteArray name = native.mid(slash + 1);
        m_singleImages.push_back(quint32(m_records.add(record, name.constData(), name.size())));
    }
}

void QScanResult::appendSingleImages(const std::vector<quint32> &records)
{
    QMutexLocker locker(&m_mutex);
    m_singleImages.insert(m_singleImages.end(), records.begin(), records.end());
}

void QScanResult::clear()
{
    QMutexLocker locker(&m_mutex);
    m_fileCount = 0;
    m_candidateCount = 0;
    m_candidateBytes = 0;
    m_records.clear();
    m_groupMembers = std::vector<quint32>();
    m_groups = std::vector<GroupRange>();
    m_singleImages = std::vector<quint32>();
    m_walkedFolderIds.clear();
    for (std::atomic<qint64> &count : m_skipped)
        count = 0;
    TwCatalog::releaseCatalogs();
    // Build the table now, on this thread, so that the walk tasks only read it.
    TwCatalog::catalogs();
}
