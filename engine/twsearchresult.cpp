#include "engine/twsearchresult.h"

#include <QDebug>
#include <QLocale>
#include <QMutexLocker>

#include "model/scansettings.h"
#include "model/twcatalog.h"
#include "model/twcatalogcontainer.h"
#include "model/twphotoitem.h"
#include "model/twshared.h"

TwSearchResult::TwSearchResult(QObject *parent)
    : QObject(parent)
{
}

TwSearchResult::~TwSearchResult()
{
    qDeleteAll(m_containers);
}

void TwSearchResult::clear()
{
    QMutexLocker locker(&m_mutex);
    qDeleteAll(m_containers);
    m_containers.clear();
    m_numberOfFileScanned = 0;
    m_numberOfDuplicateFiles = 0;
    m_bytesOfDuplicateFiles = 0;
}

TwCatalogContainer *TwSearchResult::containerFor(const QString &path)
{
    TwCatalog *catalog = TwCatalog::catalogForFile(path);
    const QString name = catalog ? catalog->catalogKey() : TwShared::othersName();
    TwCatalogContainer *&container = m_containers[name];
    if (!container)
        container = new TwCatalogContainer(catalog);
    return container;
}

void TwSearchResult::addTotals(int count, qint64 bytes, int scanned)
{
    m_bytesOfDuplicateFiles += bytes;
    emit bytesOfDuplicateFilesChanged(m_bytesOfDuplicateFiles);
    m_numberOfDuplicateFiles += count;
    emit numberOfDuplicateFilesChanged(m_numberOfDuplicateFiles);
    m_numberOfFileScanned += scanned;
    emit numberOfFileScannedChanged(m_numberOfFileScanned);
}

QStringList TwSearchResult::addSameSizeGroup(
    const NativeFilePaths &paths, const ScanSettings &settings, const CancelToken *cancel)
{
    if (paths.isEmpty())
        return QStringList();
    int count = 0;
    qint64 bytes = 0;
    QStringList unique;
    if (m_hashOutsideLock) {
        // The files are read and fingerprinted before the lock, so the eight
        // tasks read in parallel; only the filing into groups is exclusive.
        TwDuplicateCandidates candidates
            = TwCatalogContainer::prepareDuplicateCandidates(paths, settings, cancel);
        QMutexLocker locker(&m_mutex);
        unique
            = containerFor(paths.first().path())->fileDuplicateCandidates(candidates, count, bytes);
        addTotals(count, bytes, paths.size() - unique.size());
    } else {
        QMutexLocker locker(&m_mutex);
        unique = containerFor(paths.first().path())
                     ->buildDuplicateGroups(paths, settings, count, bytes, cancel);
        addTotals(count, bytes, paths.size() - unique.size());
    }
    return unique;
}

bool TwSearchResult::addSimilarImage(
    TwPhotoItem *item, const ScanSettings &settings, const CancelToken &cancel)
{
    QMutexLocker locker(&m_mutex);
    const qint64 size = item->fileSize();
    TwCatalogContainer *container = containerFor(item->filePath());
    ++m_numberOfFileScanned;
    emit numberOfFileScannedChanged(m_numberOfFileScanned);
    if (container->addSimilarPhoto(item, settings, cancel)) {
        m_bytesOfDuplicateFiles += size;
        emit bytesOfDuplicateFilesChanged(m_bytesOfDuplicateFiles);
        ++m_numberOfDuplicateFiles;
        emit numberOfDuplicateFilesChanged(m_numberOfDuplicateFiles);
    }
    return true;
}

QVector<TwFileItemGroup *> TwSearchResult::exactImageGroups() const
{
    QMutexLocker locker(&m_mutex);
    QVector<TwFileItemGroup *> groups;
    for (const TwCatalogContainer *container : m_containers)
        for (TwFileItemGroup *group : container->groups()) {
            const TwFileItem *first = group->firstItem();
            if (first && first->isPhoto() && TwPhotoItem::isPhotoFile(first->filePath()))
                groups.append(group);
        }
    return groups;
}

void TwSearchResult::fileSimilarSets(const QStringList &paths,
    const QVector<TwFileItemGroup *> &standsFor, const QVector<QSize> &sizes,
    const std::vector<std::vector<int>> &sets)
{
    QMutexLocker locker(&m_mutex);
    int lone = 0;
    for (int i = 0; i < paths.size(); ++i)
        if (!standsFor.value(i))
            ++lone;
    int count = 0;
    qint64 bytes = 0;
    for (const std::vector<int> &set : sets) {
        if (set.empty())
            continue;
        TwCatalogContainer *container = containerFor(paths.at(set.front()));
        QVector<TwFileItemGroup *> groups;
        QVector<TwPhotoItem *> images;
        for (const int index : set) {
            if (TwFileItemGroup *group = standsFor.value(index)) {
                groups.append(group);
            } else {
                const QSize size = sizes.value(index);
                images.append(
                    new TwPhotoItem(paths.at(index), false, cv::Size(size.width(), size.height())));
            }
        }
        int joined = 0;
        qint64 joinedBytes = 0;
        container->fileSimilarSet(groups, images, joined, joinedBytes);
        count += joined;
        bytes += joinedBytes;
    }
    addTotals(count, bytes, lone);
}

void TwSearchResult::orderGroupsByPath()
{
    QMutexLocker locker(&m_mutex);
    for (TwCatalogContainer *container : qAsConst(m_containers))
        container->sortGroupsByPath();
}

void TwSearchResult::removeEmptyGroups()
{
    for (TwCatalogContainer *container : qAsConst(m_containers))
        container->removeSmallGroups();
    for (auto it = m_containers.begin(); it != m_containers.end();) {
        if (it.value()->duplicateCount() == 0) {
            delete it.value();
            it = m_containers.erase(it);
        } else {
            ++it;
        }
    }
}

void TwSearchResult::applySelection(int rule, const ScanSettings &settings)
{
    for (TwCatalogContainer *container : qAsConst(m_containers))
        container->applySelectionRule(rule, settings);
}

void TwSearchResult::removeCheckedItems(TwFileItemGroup::RemovalMethod method,
    const QString &targetFolder, const TwFileItemGroup::RemovalProgress &progress)
{
    int handled = 0;
    m_keptChangedCount = 0;
    m_failures.clear();
    const MoveTarget target(targetFolder, m_scanRoots);
    for (TwCatalogContainer *container : qAsConst(m_containers)) {
        const int before = handled;
        const bool finished = container->removeChecked(method, target, [&](int done) {
            handled = before + done;
            return !progress || progress(handled);
        });
        m_keptChangedCount += container->keptChangedCount();
        m_failures += container->removalFailures();
        if (!finished)
            break;
    }
    removeEmptyGroups();
    emit ItemDeletedComplated();
}

int TwSearchResult::checkedCount(bool refresh)
{
    int sum = 0;
    for (TwCatalogContainer *container : qAsConst(m_containers))
        sum += container->checkedCount(refresh);
    return sum;
}

qint64 TwSearchResult::checkedBytes(bool refresh)
{
    qint64 sum = 0;
    for (TwCatalogContainer *container : qAsConst(m_containers))
        sum += container->checkedBytes(refresh);
    return sum;
}

QMap<QString, TwCatalogContainer *> TwSearchResult::containers() const
{
    return m_containers;
}

void TwSearchResult::countDuplicates(qint64 *files, qint64 *bytes) const
{
    qint64 count = 0;
    qint64 size = 0;
    for (const TwCatalogContainer *container : qAsConst(m_containers)) {
        for (const TwFileItemGroup *group : container->groups()) {
            const QList<TwFileItem *> items = group->items();
            for (int i = 1; i < items.size(); ++i) {
                ++count;
                size += items.at(i)->fileSize();
            }
        }
    }
    if (files)
        *files = count;
    if (bytes)
        *bytes = size;
}

qint64 TwSearchResult::numberOfFileScanned() const
{
    QMutexLocker locker(&m_mutex);
    return m_numberOfFileScanned;
}

qint64 TwSearchResult::numberOfDuplicateFiles() const
{
    QMutexLocker locker(&m_mutex);
    return m_numberOfDuplicateFiles;
}

qint64 TwSearchResult::bytesOfDuplicateFiles() const
{
    QMutexLocker locker(&m_mutex);
    return m_bytesOfDuplicateFiles;
}

QString TwSearchResult::sizeText(qint64 bytes)
{
    if (bytes <= 1024)
        return tr("%1 Bytes").arg(bytes);
    // The decimal mark of the language the windows speak.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (bytes <= 1048576)
        return tr("%1 KB").arg(locale.toString(double(bytes) / 1024.0, 'f', 2));
    if (bytes <= 1073741824)
        return tr("%1 MB").arg(locale.toString(double(bytes) / 1048576.0, 'f', 2));
    return tr("%1 GB").arg(locale.toString(double(bytes) / 1073741824.0, 'f', 2));
}
