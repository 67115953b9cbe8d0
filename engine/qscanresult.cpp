#include "qscanresult.h"

#include <QDebug>
#include <QMutexLocker>

#include "twcatalog.h"
#include "twphotoitem.h"
#include "twshared.h"

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
    {
        QMutexLocker locker(&m_mutex);
        if (m_collectedIds.contains(qMakePair(id.device, id.inode)))
            return false;
        m_collectedIds.insert(qMakePair(id.device, id.inode));
    }
    addToBucket(size, path);
    return true;
}

bool QScanResult::claimFolder(const QString &canonicalPath)
{
    QMutexLocker locker(&m_mutex);
    if (m_walkedFolders.contains(canonicalPath))
        return false;
    m_walkedFolders.insert(canonicalPath);
    return true;
}

void QScanResult::removeDiffSizeItem(QFlags<TwGenernalPreferences::TwScanMethodFlag> method)
{
    Q_UNUSED(method)
    // Rebuilt from the buckets each time, so a second call adds nothing twice.
    m_sameSizeGroups.clear();
    m_singleImages.clear();
    qint64 candidates = 0;
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
        }
    }
    m_candidateCount = candidates;
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
    m_sameSizeGroups.clear();
    m_singleImages.clear();
    m_sizeBuckets.clear();
    m_walkedFolders.clear();
    m_collectedIds.clear();
    TwCatalog::releaseCatalogs();
    // Build the table now, on this thread, so that the walk tasks only read it.
    TwCatalog::catalogs();
}
