#include "engine/qscanresult.h"

#include <QDebug>
#include <QMutexLocker>

#include <algorithm>
#include <numeric>

#include "model/twcatalog.h"
#include "model/twphotoitem.h"
#include "model/twshared.h"

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

void QScanResult::addToBucket(qint64 size, const QString &path)
{
    // The key is built before locking: the category table is only read
    // during a walk (clear() builds it before any task starts).
    const QString key = bucketKey(path, size);
    QMutexLocker locker(&m_mutex);
    m_sizeBuckets[key].append(path);
    ++m_fileCount;
}

void QScanResult::collectFile(qint64 size, const QString &path)
{
    addToBucket(size, path);
}

bool QScanResult::collectFile(qint64 size, const QString &path, const FileId &id)
{
    const QString key = bucketKey(path, size);
    QMutexLocker locker(&m_mutex);
    const auto identity = qMakePair(id.device, id.inode);
    if (m_collectedIds.contains(identity))
        return false;
    m_collectedIds.insert(identity);
    m_sizeBuckets[key].append(path);
    ++m_fileCount;
    return true;
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

QList<QStringList> QScanResult::balancedOrder(
    const QList<QStringList> &groups, const QVector<qint64> &costs, int taskCount)
{
    // The comparison tasks take contiguous slices of the list: n / taskCount
    // groups each, the last one also the remainder. Groups are dealt, most
    // expensive first, to the slice with the least work that still has room,
    // so one task does not end up reading all the large files alone.
    const int n = groups.size();
    if (n <= taskCount || taskCount < 2)
        return groups;
    QVector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(
        order.begin(), order.end(), [&costs](int a, int b) { return costs[a] > costs[b]; });
    const int share = n / taskCount;
    QVector<QVector<int>> slices(taskCount);
    QVector<qint64> load(taskCount, 0);
    for (int index : qAsConst(order)) {
        int best = -1;
        for (int t = 0; t < taskCount; ++t) {
            const int room = t == taskCount - 1 ? share + n % taskCount : share;
            if (slices[t].size() < room && (best < 0 || load[t] < load[best]))
                best = t;
        }
        slices[best].append(index);
        load[best] += costs[index];
    }
    QList<QStringList> ordered;
    ordered.reserve(n);
    for (const QVector<int> &slice : qAsConst(slices))
        for (int index : slice)
            ordered.append(groups.at(index));
    return ordered;
}

void QScanResult::removeDiffSizeItem(QFlags<TwGenernalPreferences::TwScanMethodFlag> method)
{
    Q_UNUSED(method)
    // Rebuilt from the buckets each time, so a second call adds nothing twice.
    m_sameSizeGroups.clear();
    m_singleImages.clear();
    qint64 candidates = 0;
    qint64 bytes = 0;
    QVector<qint64> costs;
    for (auto it = m_sizeBuckets.cbegin(); it != m_sizeBuckets.cend(); ++it) {
        const QStringList &paths = it.value();
        if (paths.size() == 1) {
            if (TwPhotoItem::isPhotoFile(paths.first())) {
                m_singleImages.append(paths.first());
                ++candidates;
            }
        } else if (paths.size() > 1) {
            m_sameSizeGroups.append(paths);
            candidates += paths.size();
            // The key ends with the size in decimal.
            const QString &key = it.key();
            int digits = key.size();
            while (digits > 0 && key.at(digits - 1).isDigit())
                --digits;
            costs.append(key.midRef(digits).toLongLong() * paths.size());
            bytes += costs.last();
        }
    }
    m_sameSizeGroups = balancedOrder(m_sameSizeGroups, costs, BalancedTaskCount);
    m_candidateCount = candidates;
    m_candidateBytes = bytes;
    qDebug() << "QScanResult::removeDiffSizeItem"
             << QStringLiteral("scan file count:%1, size count:%2 sign image count:%3")
                    .arg(m_fileCount.load())
                    .arg(m_sameSizeGroups.size())
                    .arg(m_singleImages.size());
}

QList<QStringList> QScanResult::sameSizeGroups() const
{
    QMutexLocker locker(&m_mutex);
    return m_sameSizeGroups;
}

QStringList QScanResult::singleImages() const
{
    QMutexLocker locker(&m_mutex);
    return m_singleImages;
}

void QScanResult::appendSingleImages(const QStringList &paths)
{
    QMutexLocker locker(&m_mutex);
    m_singleImages.append(paths);
}

void QScanResult::clear()
{
    QMutexLocker locker(&m_mutex);
    m_fileCount = 0;
    m_candidateCount = 0;
    m_candidateBytes = 0;
    m_sameSizeGroups.clear();
    m_singleImages.clear();
    m_sizeBuckets.clear();
    m_walkedFolderIds.clear();
    m_collectedIds.clear();
    for (std::atomic<qint64> &count : m_skipped)
        count = 0;
    TwCatalog::releaseCatalogs();
    // Build the table now, on this thread, so that the walk tasks only read it.
    TwCatalog::catalogs();
}
