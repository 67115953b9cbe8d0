#pragma once

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QVector>

#include <vector>

#include "model/twfileitemgroup.h"
#include "platform/nativefilepaths.h"

class CancelToken;
class ScanSettings;
class TwCatalogContainer;
class TwPhotoItem;

/**
 * The findings of one scan: one container of groups per category, and the
 * three running totals shown while the comparison runs.
 *
 * addSameSizeGroup(), addSimilarImage() and clear() are thread-safe; the
 * other operations run only when no comparison task is running.
 */
class TwSearchResult : public QObject {
    Q_OBJECT
public:
    explicit TwSearchResult(QObject *parent = nullptr);
    ~TwSearchResult() override;

    /** Destroys every container and zeroes the totals; emits nothing. */
    void clear();
    /**
     * Groups the equal files of @p paths (one size, one category) and
     * returns the images among them that have no exact copy. @p settings
     * are those of the scan the group belongs to; once @p cancel is set the
     * comparison stops between two chunks and files it had not confirmed are
     * filed as copies of nothing.
     */
    QStringList addSameSizeGroup(const NativeFilePaths &paths, const ScanSettings &settings,
        const CancelToken *cancel = nullptr);
    /**
     * Places @p item (ownership taken) in the first alike group of its
     * category by the thresholds of @p settings, or in a new one; once
     * @p cancel is set it is compared with nothing.
     */
    bool addSimilarImage(
        TwPhotoItem *item, const ScanSettings &settings, const CancelToken &cancel);

    /**
     * The exact-copy groups of images, each standing for its set in the
     * accurate similar-image pass by its first file. Called between passes.
     */
    QVector<TwFileItemGroup *> exactImageGroups() const;
    /**
     * Files the connected sets of similar images that the accurate pass
     * found. @p paths are the images it compared; @p standsFor gives the
     * exact-copy group an image stands for (null for an image without a
     * copy); @p sizes the images' pixel sizes; @p sets index into @p paths.
     * Every image without a copy counts as scanned.
     */
    void fileSimilarSets(const QStringList &paths, const QVector<TwFileItemGroup *> &standsFor,
        const QVector<QSize> &sizes, const std::vector<std::vector<int>> &sets);

    /** Drops groups of fewer than two files, then containers that never had a duplicate. */
    void removeEmptyGroups();
    /**
     * Orders and numbers the groups of every container by path: the passes
     * file them in whatever order their threads finish.
     */
    void orderGroupsByPath();
    /** Applies selection rule @p rule to every group of every container. */
    void applySelection(int rule, const ScanSettings &settings);
    /**
     * Removes the checked files of every container by @p method (Move to
     * Folder below @p targetFolder by the scan roots), then
     * prunes and emits ItemDeletedComplated(). @p progress hears of every
     * file handled, counted over the whole run, and may end the run.
     */
    void removeCheckedItems(TwFileItemGroup::RemovalMethod method, const QString &targetFolder,
        const TwFileItemGroup::RemovalProgress &progress);
    /** Files the last removal run kept because they changed since the scan. */
    int keptChangedCount() const { return m_keptChangedCount; }
    /** Files the last removal run tried and failed to remove, with the reason. */
    const QVector<TwFileItemGroup::Failure> &removalFailures() const { return m_failures; }
    /**
     * The folders the scan was given (nested ones dropped); Move to Folder
     * recreates each file's place below the target relative to its folder.
     */
    void setScanRoots(const QStringList &roots) { m_scanRoots = roots; }
    QStringList scanRoots() const { return m_scanRoots; }
    int checkedCount(bool refresh);
    qint64 checkedBytes(bool refresh);
    /** Category name → container; the pointers stay owned by this object. */
    QMap<QString, TwCatalogContainer *> containers() const;

    /**
     * The duplicates the groups hold now, counted as during the scan (every
     * member beyond a group's first) with their bytes: after a removal these
     * differ from the running totals.
     */
    void countDuplicates(qint64 *files, qint64 *bytes) const;
    qint64 numberOfFileScanned() const;
    qint64 numberOfDuplicateFiles() const;
    qint64 bytesOfDuplicateFiles() const;

    /**
     * Reading and fingerprinting a group's files happens before the lock is
     * taken (the default); off, the whole group is handled under the lock.
     */
    void setHashOutsideLock(bool outside) { m_hashOutsideLock = outside; }

    /** A size for display: "%1 Bytes" up to 1024, else KB/MB/GB with two decimals. */
    static QString sizeText(qint64 bytes);

signals:
    void numberOfFileScannedChanged(qlonglong newValue);
    void numberOfDuplicateFilesChanged(qlonglong newValue);
    void bytesOfDuplicateFilesChanged(qlonglong newValue);
    void ItemDeletedComplated();

private:
    TwCatalogContainer *containerFor(const QString &path);
    void addTotals(int count, qint64 bytes, int scanned);

    qint64 m_numberOfFileScanned = 0;
    qint64 m_numberOfDuplicateFiles = 0;
    qint64 m_bytesOfDuplicateFiles = 0;
    QMap<QString, TwCatalogContainer *> m_containers;
    mutable QMutex m_mutex;
    bool m_hashOutsideLock = true;
    int m_keptChangedCount = 0;
    QVector<TwFileItemGroup::Failure> m_failures;
    QStringList m_scanRoots;
};
