#pragma once

#include <QFlags>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <vector>

#include "engine/filerecordstore.h"
#include "engine/skipcounts.h"
#include "platform/nativefilepaths.h"
#include "preferences/twgenernalpreferences.h"

/**
 * The candidates of one scan: every collected file as a compact record
 * (see FileRecordStore), narrowed after the walk to the same-size groups
 * (category and exact size) and the lone images that the comparison passes
 * look at. Paths are made from the records only when a pass asks for them.
 *
 * collectFile(), addFolder(), claimFolder() and the accessors are
 * thread-safe; removeDiffSizeItem() and clear() run only while no task of
 * the scan runs.
 */
class QScanResult : public QObject {
    Q_OBJECT
public:
    /** Identity of a file on its device; two paths with one identity are one file. */
    struct FileId {
        quint64 device = 0;
        quint64 inode = 0;
        bool operator==(const FileId &other) const
        {
            return device == other.device && inode == other.inode;
        }
    };

    explicit QScanResult(QObject *parent = nullptr);
    ~QScanResult() override;

    /** Adds @p path of @p size bytes to its bucket (category name + size). */
    void collectFile(qint64 size, const QString &path);
    /**
     * As collectFile(), unless a file with the same @p id was collected
     * already in this scan (a second hard link, or the same file reached
     * through a folder link): then nothing is added and false is returned.
     */
    bool collectFile(qint64 size, const QString &path, const FileId &id);
    /** The walk's way: the folder @p prefix (ending with '/') is stored once... */
    quint32 addFolder(const QString &prefix);
    /**
     * ...and each of its files by the native bytes of its @p name (@p shown
     * is the same name decoded), as collectFile() with an identity.
     */
    bool collectFile(quint32 folder, const QByteArray &name, const QString &shown, qint64 size,
        const FileId &id);
    /**
     * Marks the folder with device and inode @p id as walked; false when it
     * was walked already in this scan, so that folder links never loop.
     */
    bool claimFolder(const FileId &id);

    /** Files collected since the last clear(); read without the lock. */
    qint64 fileCount() const { return m_fileCount.load(); }
    /** Files kept for comparison by removeDiffSizeItem(); read without the lock. */
    qint64 candidateCount() const { return m_candidateCount.load(); }
    /** Bytes of the same-size groups' files, as removeDiffSizeItem() kept them. */
    qint64 candidateBytes() const { return m_candidateBytes.load(); }

    /**
     * Keeps the buckets of two or more files as same-size groups and the
     * lone comparable images; everything else is dropped. Running it twice
     * gives the same result as running it once.
     */
    void removeDiffSizeItem(QFlags<TwGenernalPreferences::TwScanMethodFlag> method);

    /** Every same-size group's paths; made anew on each call. */
    QList<QStringList> sameSizeGroups() const;
    int sameSizeGroupCount() const;
    /**
     * The paths of group @p index, sharing their folders' bytes with the
     * scan, and with @p records their record numbers.
     */
    NativeFilePaths sameSizeGroup(int index, std::vector<quint32> *records = nullptr) const;
    /** The size every file of group @p index had when it was collected. */
    qint64 sameSizeGroupFileSize(int index) const;

    QStringList singleImages() const;
    int singleImageCount() const;
    QString singleImage(int index) const;
    void appendSingleImages(const QStringList &paths);
    /** Adds collected files by their record numbers (see sameSizeGroup()). */
    void appendSingleImages(const std::vector<quint32> &records);
    void clear();

    /**
     * The order of @p costs.size() groups such that each of @p taskCount
     * contiguous slices (n / taskCount groups, the last also the remainder)
     * carries about the same total of @p costs.
     */
    static std::vector<int> balancedPermutation(const QVector<qint64> &costs, int taskCount);
    /** @p groups reordered by balancedPermutation(). */
    static QList<QStringList> balancedOrder(
        const QList<QStringList> &groups, const QVector<qint64> &costs, int taskCount);
    /** The slices removeDiffSizeItem() balances the same-size groups for. */
    static constexpr int BalancedTaskCount = 8;

    /** The bucket key of a file: its category name followed by the size in decimal. */
    static QString bucketKey(const QString &path, qint64 size);

    /** Why the walk passed over an entry. */
    enum class Skip { UnreadableFolder, UnreadableFile, SpecialFile, TooLong };
    /** Counts one entry passed over; thread-safe, without the lock. */
    void countSkip(Skip reason);
    /** The entries passed over since the last clear() (no refused images: the walk opens none). */
    SkipCounts skipCounts() const;

private:
    struct GroupRange {
        quint32 start = 0;
        quint32 count = 0;
    };

    // With `id`, the record carries the file's identity, so a second link to
    // it is refused.
    static FileRecordStore::Record recordFor(
        const QString &name, qint64 size, const FileId *id = nullptr);
    // Under the lock, the caller having worked out the record without it.
    bool addRecord(quint32 folder, const QByteArray &name, FileRecordStore::Record record);
    bool addPath(const QString &path, const FileRecordStore::Record &record);

    std::atomic<qint64> m_fileCount { 0 };
    std::atomic<qint64> m_candidateCount { 0 };
    std::atomic<qint64> m_candidateBytes { 0 };
    mutable QMutex m_mutex;
    FileRecordStore m_records;
    // Record numbers of the same-size groups, group after group.
    std::vector<quint32> m_groupMembers;
    std::vector<GroupRange> m_groups;
    std::vector<quint32> m_singleImages;
    QSet<QPair<quint64, quint64>> m_walkedFolderIds;
    std::atomic<qint64> m_skipped[4] = {};
};
