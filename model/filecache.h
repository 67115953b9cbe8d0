#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <opencv2/core.hpp>

#include "imaging/imagefeatures.h"
#include "model/fileidentity.h"

class QSqlQuery;
class QThread;

/**
 * What earlier scans computed of each file, in an SQLite file in the user's
 * cache folder: the fingerprint, the whole-content digest where one was
 * taken, and the features of the similar-image pass. An entry answers only
 * for the version of the file it was made from (device, inode, size and both
 * times equal); anything else is a miss and is recomputed.
 *
 * Any thread may call any function: each thread reads through a connection
 * of its own, writes are gathered and committed in batches. The file opens
 * on first use; a file that cannot be opened or checked is moved aside and
 * made anew, and when that fails too every lookup misses and nothing is
 * written. Nothing here ever fails a scan.
 */
class FileCache {
public:
    struct Options {
        QString path;
        // How long a connection waits for another program's write.
        int busyTimeoutMs = 5000;
        // Entries not seen for this long are dropped when the file opens...
        int maximumAgeDays = 90;
        // ...and then the oldest ones until the file is at most this large.
        qint64 maximumBytes = qint64(512) * 1024 * 1024;
        // Files written less than this before they were read are not cached:
        // a second write in the same clock tick would leave the times unchanged.
        qint64 quietNs = qint64(2) * 1000 * 1000 * 1000;
        // Contents up to this size are read faster than looked up, so their
        // fingerprints and digests are not kept.
        qint64 smallestFile = 64 * 1024;
    };

    // What the cache knows of a file's contents.
    struct Entry {
        QString fingerprint;
        // Empty unless it may stand in for reading the file again.
        QByteArray digest;
        bool found() const { return !fingerprint.isEmpty(); }
    };

    explicit FileCache(const Options &options);
    ~FileCache();
    FileCache(const FileCache &) = delete;
    FileCache &operator=(const FileCache &) = delete;

    /** "cache.sqlite" in the user's cache folder (see FileCacheSetting). */
    static QString defaultPath();
    /** Whether contents of `size` bytes are worth a lookup (see Options::smallestFile). */
    bool covers(qint64 size) const { return size > m_options.smallestFile; }
    /** Removes the cache file and its journal files; false when one stays. */
    static bool remove(const QString &path);

    /** Opens the file now if not yet tried; false when the cache is not usable. */
    bool open();

    Entry lookup(const FileIdentity &identity);
    /** False (and @p features untouched) unless valid features of this version are stored. */
    bool lookupFeatures(const FileIdentity &identity, ImageFeatures *features);

    /** False unless this version's feature descriptors are stored (an empty set counts). */
    bool lookupDescriptors(const FileIdentity &identity, cv::Mat *descriptors);

    void storeFingerprint(const FileIdentity &identity, const QString &fingerprint);
    /** Kept only for files on a file system with true change times. */
    void storeDigest(const FileIdentity &identity, const QByteArray &digest);
    /** Invalid features are never kept: a failure is retried next time. */
    void storeFeatures(const FileIdentity &identity, const ImageFeatures &features);
    /** Descriptors as OrbVerifier makes them: one row of bytes per keypoint. */
    void storeDescriptors(const FileIdentity &identity, const cv::Mat &descriptors);

    /** Commits what is waiting; also done in batches while storing and when destroyed. */
    void flush();
    /**
     * Commits what is waiting and closes every thread's connection, so no
     * file stays open between scans. Only while no other thread uses the
     * cache; a later call opens connections again.
     */
    void close();

    /** Lookups answered and missed so far, for the log. */
    qint64 hits() const { return m_hits.load(); }
    qint64 misses() const { return m_misses.load(); }

    /** The stored form of features; empty for invalid ones. */
    static QByteArray encodeFeatures(const ImageFeatures &features);
    /** Invalid features unless @p blob is of the current version and shape. */
    static ImageFeatures decodeFeatures(const QByteArray &blob);
    static QByteArray encodeDescriptors(const cv::Mat &descriptors);
    static bool decodeDescriptors(const QByteArray &blob, cv::Mat *descriptors);

private:
    struct Connection;
    struct Pending {
        FileIdentity identity;
        QString fingerprint;
        QByteArray digest;
        QByteArray features;
        QByteArray descriptors;
    };
    enum class Blob { Features, Descriptors };

    bool openFile();
    bool prepareFile(const QString &connectionName);
    void moveAside();
    Connection *connection();
    void closeConnections();
    QByteArray lookupBlob(const FileIdentity &identity, Blob blob);
    // Runs `query` for the row of `identity`'s file; true when there is one
    // for this very version (its size and times from `firstColumn` on), the
    // query then standing on it.
    bool findVersion(QSqlQuery &query, const FileIdentity &identity, int firstColumn);
    bool storable(const FileIdentity &identity);
    void enqueue(Pending pending);
    void enqueueTouch(qint64 row);
    void writePending(bool wait);
    void write(const std::vector<Pending> &batch, const std::vector<qint64> &touched);
    void fail(const QString &what);

    const Options m_options;
    const QString m_prefix;
    std::once_flag m_opened;
    std::atomic_bool m_usable { false };

    QMutex m_connectionsMutex;
    std::map<QThread *, std::unique_ptr<Connection>> m_connections;

    QMutex m_pendingMutex;
    std::vector<Pending> m_pending;
    std::vector<qint64> m_touched;
    // One batch is committed at a time; held while writing.
    QMutex m_writeMutex;

    std::atomic<qint64> m_hits { 0 };
    std::atomic<qint64> m_misses { 0 };
};
