#include "model/filecache.h"

#include <algorithm>

#include <QDataStream>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include "imaging/featureextractor.h"
#include "preferences/filecachesetting.h"

namespace {

// Raised whenever the table or TwContentDigest's fingerprint changes: a file
// of another version is emptied.
constexpr int SchemaVersion = 1;
// Raised whenever FeatureExtractor or PerceptualHash compute something else:
// features of another version are misses.
constexpr quint32 FeaturesVersion = 1;
// The same for what OrbVerifier takes of an image.
constexpr quint32 DescriptorsVersion = 1;
// Pending writes committed together: one transaction per this many files.
constexpr std::size_t BatchSize = 2048;
// An entry's last-seen day is rewritten at most this often.
constexpr qint64 TouchAfterSeconds = 24 * 3600;
// SQLite's codes for a file held by another connection: not damage.
const QString Busy = QStringLiteral("5");
const QString Locked = QStringLiteral("6");

qint64 nowSeconds()
{
    return QDateTime::currentSecsSinceEpoch();
}

QVariant signedValue(quint64 value)
{
    return QVariant(qint64(value));
}

bool isContention(const QSqlError &error)
{
    return error.nativeErrorCode() == Busy || error.nativeErrorCode() == Locked;
}

// Readers of a write-ahead log can be told "busy" without waiting while
// another connection opens or recovers it; a short wait is enough then.
bool execRetrying(QSqlQuery &query)
{
    for (int attempt = 0;; ++attempt) {
        if (query.exec())
            return true;
        if (attempt == 3 || !isContention(query.lastError()))
            return false;
        QThread::msleep(5UL << attempt);
    }
}

const char *const CreateTable = "CREATE TABLE IF NOT EXISTS files ("
                                "id INTEGER PRIMARY KEY, device INTEGER NOT NULL, "
                                "inode INTEGER NOT NULL, size INTEGER NOT NULL, "
                                "mtime INTEGER NOT NULL, ctime INTEGER NOT NULL, "
                                "fingerprint TEXT, digest BLOB, features BLOB, descriptors BLOB, "
                                "seen INTEGER NOT NULL, UNIQUE (device, inode))";

// A stored value survives a new store only while the file is the same version.
const char *const Upsert
    = "INSERT INTO files (device, inode, size, mtime, ctime, fingerprint, digest, features, "
      "descriptors, seen) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
      "ON CONFLICT (device, inode) DO UPDATE SET "
      "fingerprint = coalesce(excluded.fingerprint, CASE WHEN size = excluded.size AND "
      "mtime = excluded.mtime AND ctime = excluded.ctime THEN fingerprint END), "
      "digest = coalesce(excluded.digest, CASE WHEN size = excluded.size AND "
      "mtime = excluded.mtime AND ctime = excluded.ctime THEN digest END), "
      "features = coalesce(excluded.features, CASE WHEN size = excluded.size AND "
      "mtime = excluded.mtime AND ctime = excluded.ctime THEN features END), "
      "descriptors = coalesce(excluded.descriptors, CASE WHEN size = excluded.size AND "
      "mtime = excluded.mtime AND ctime = excluded.ctime THEN descriptors END), "
      "size = excluded.size, mtime = excluded.mtime, ctime = excluded.ctime, seen = excluded.seen";

} // namespace

struct FileCache::Connection {
    QString name;
    QSqlDatabase database;
    std::unique_ptr<QSqlQuery> entry;
    std::unique_ptr<QSqlQuery> features;
    std::unique_ptr<QSqlQuery> descriptors;
    std::unique_ptr<QSqlQuery> upsert;
    std::unique_ptr<QSqlQuery> touch;

    ~Connection()
    {
        entry.reset();
        features.reset();
        descriptors.reset();
        upsert.reset();
        touch.reset();
        database.close();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
};

FileCache::FileCache(const Options &options)
    : m_options(options)
    , m_prefix(QStringLiteral("twcache-%1-").arg(quintptr(this), 0, 16))
{
}

FileCache::~FileCache()
{
    flush();
    closeConnections();
}

QString FileCache::defaultPath()
{
    return FileCacheSetting::cacheFile();
}

bool FileCache::remove(const QString &path)
{
    bool removed = true;
    for (const QString &name :
        { path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm") }) {
        if (QFileInfo::exists(name) && !QFile::remove(name))
            removed = false;
    }
    return removed;
}

bool FileCache::open()
{
    std::call_once(m_opened, [this] {
        if (openFile())
            m_usable = true;
    });
    return m_usable;
}

bool FileCache::openFile()
{
    if (m_options.path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(m_options.path).absolutePath());
    const QString name = m_prefix + QStringLiteral("setup");
    if (prepareFile(name))
        return true;
    moveAside();
    if (prepareFile(name))
        return true;
    qWarning().noquote() << "File cache: cannot make" << m_options.path
                         << "anew; this scan reads every file";
    return false;
}

// Opens the file, checks it, sets it up and prunes it; false on any failure.
bool FileCache::prepareFile(const QString &connectionName)
{
    bool ok = false;
    {
        QSqlDatabase database
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        database.setDatabaseName(m_options.path);
        database.setConnectOptions(
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_options.busyTimeoutMs));
        QString error;
        auto run = [&](const QString &statement, QVariant *answer = nullptr) {
            QSqlQuery query(database);
            if (!query.exec(statement)) {
                error = statement + QStringLiteral(": ") + query.lastError().text();
                return false;
            }
            if (answer)
                *answer = query.next() ? query.value(0) : QVariant();
            return true;
        };
        QVariant answer;
        ok = database.open() || (error = database.lastError().text(), false);
        // Set before the first table exists, so pruning can give pages back.
        ok = ok && run(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL"));
        ok = ok && run(QStringLiteral("PRAGMA journal_mode = WAL"), &answer);
        if (ok && answer.toString().toLower() != QLatin1String("wal")) {
            error = QStringLiteral("no write-ahead log");
            ok = false;
        }
        ok = ok && run(QStringLiteral("PRAGMA quick_check(1)"), &answer);
        if (ok && answer.toString() != QLatin1String("ok")) {
            error = answer.toString();
            ok = false;
        }
        ok = ok && run(QStringLiteral("PRAGMA user_version"), &answer);
        if (ok && answer.toInt() != SchemaVersion) {
            ok = run(QStringLiteral("DROP TABLE IF EXISTS files"))
                && run(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        }
        ok = ok && run(QString::fromLatin1(CreateTable))
            && run(QStringLiteral("CREATE INDEX IF NOT EXISTS files_seen ON files (seen)"))
            && run(QStringLiteral("PRAGMA journal_size_limit = %1").arg(64 * 1024 * 1024));
        const qint64 oldest = nowSeconds() - qint64(m_options.maximumAgeDays) * 86400;
        ok = ok && run(QStringLiteral("DELETE FROM files WHERE seen < %1").arg(oldest));
        // The oldest entries go until the pages in use fit the bound.
        for (int round = 0; ok && round < 8; ++round) {
            QVariant pages, free, pageSize, rows;
            ok = run(QStringLiteral("PRAGMA page_count"), &pages)
                && run(QStringLiteral("PRAGMA freelist_count"), &free)
                && run(QStringLiteral("PRAGMA page_size"), &pageSize)
                && run(QStringLiteral("SELECT count(*) FROM files"), &rows);
            const qint64 used = (pages.toLongLong() - free.toLongLong()) * pageSize.toLongLong();
            if (!ok || used <= m_options.maximumBytes || rows.toLongLong() == 0)
                break;
            const double excess = double(used - m_options.maximumBytes * 9 / 10) / double(used);
            const qint64 drop = std::max<qint64>(1, qint64(double(rows.toLongLong()) * excess));
            ok = run(QStringLiteral(
                "DELETE FROM files WHERE id IN (SELECT id FROM files ORDER BY seen LIMIT %1)")
                         .arg(drop));
        }
        ok = ok && run(QStringLiteral("PRAGMA incremental_vacuum"));
        if (!ok)
            qWarning().noquote() << "File cache:" << m_options.path << "is not usable:" << error;
        database.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return ok;
}

void FileCache::moveAside()
{
    // One damaged file is kept for a look, never more.
    const QString aside = m_options.path + QStringLiteral(".damaged");
    remove(aside);
    if (QFileInfo::exists(m_options.path) && !QFile::rename(m_options.path, aside))
        QFile::remove(m_options.path);
    // A journal left beside a new file would be replayed into it.
    QFile::remove(m_options.path + QStringLiteral("-wal"));
    QFile::remove(m_options.path + QStringLiteral("-shm"));
    qWarning().noquote() << "File cache: moved" << m_options.path << "aside to" << aside
                         << "and started a new one";
}

FileCache::Connection *FileCache::connection()
{
    if (!open())
        return nullptr;
    QMutexLocker locker(&m_connectionsMutex);
    std::unique_ptr<Connection> &slot = m_connections[QThread::currentThread()];
    if (slot)
        return slot.get();
    auto made = std::make_unique<Connection>();
    made->name = m_prefix + QString::number(quintptr(QThread::currentThread()), 16);
    made->database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), made->name);
    made->database.setDatabaseName(m_options.path);
    made->database.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_options.busyTimeoutMs));
    if (!made->database.open()) {
        locker.unlock();
        fail(made->database.lastError().text());
        return nullptr;
    }
    // With the write-ahead log this loses at most the last batches on a power
    // cut, never the file, and spares a disk flush per batch.
    QSqlQuery(made->database).exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    // Batches touch pages all over the table: a larger log is copied back
    // (and flushed to disk) less often.
    QSqlQuery(made->database).exec(QStringLiteral("PRAGMA wal_autocheckpoint = 8192"));
    auto prepared = [&](const QString &statement) {
        auto query = std::make_unique<QSqlQuery>(made->database);
        query->setForwardOnly(true);
        return query->prepare(statement) ? std::move(query) : nullptr;
    };
    made->entry = prepared(QStringLiteral("SELECT id, size, mtime, ctime, fingerprint, digest, "
                                          "seen FROM files WHERE device = ? AND inode = ?"));
    made->features = prepared(QStringLiteral(
        "SELECT size, mtime, ctime, features FROM files WHERE device = ? AND inode = ?"));
    made->descriptors = prepared(QStringLiteral(
        "SELECT size, mtime, ctime, descriptors FROM files WHERE device = ? AND inode = ?"));
    made->upsert = prepared(QString::fromLatin1(Upsert));
    made->touch = prepared(QStringLiteral("UPDATE files SET seen = ? WHERE id = ?"));
    if (!made->entry || !made->features || !made->descriptors || !made->upsert || !made->touch) {
        locker.unlock();
        fail(QStringLiteral("cannot prepare the queries"));
        return nullptr;
    }
    slot = std::move(made);
    return slot.get();
}

void FileCache::closeConnections()
{
    QMutexLocker locker(&m_connectionsMutex);
    m_connections.clear();
}

void FileCache::fail(const QString &what)
{
    if (m_usable.exchange(false))
        qWarning().noquote() << "File cache:" << m_options.path << "failed:" << what
                             << "; the rest of this scan reads every file";
}

bool FileCache::findVersion(QSqlQuery &query, const FileIdentity &identity, int firstColumn)
{
    query.addBindValue(signedValue(identity.device()));
    query.addBindValue(signedValue(identity.inode()));
    if (!execRetrying(query)) {
        if (!isContention(query.lastError()))
            fail(query.lastError().text());
        else
            qDebug() << "FileCache: busy, looked up nothing:" << query.lastError().text();
        return false;
    }
    return query.next() && query.value(firstColumn).toLongLong() == identity.size()
        && query.value(firstColumn + 1).toLongLong() == identity.modifiedNs()
        && query.value(firstColumn + 2).toLongLong() == identity.changedNs();
}

FileCache::Entry FileCache::lookup(const FileIdentity &identity)
{
    Entry entry;
    Connection *c = identity.isValid() ? connection() : nullptr;
    if (!c)
        return entry;
    QSqlQuery &query = *c->entry;
    if (findVersion(query, identity, 1)) {
        entry.fingerprint = query.value(4).toString();
        entry.digest = query.value(5).toByteArray();
        if (query.value(6).toLongLong() < nowSeconds() - TouchAfterSeconds)
            enqueueTouch(query.value(0).toLongLong());
    }
    query.finish();
    ++(entry.found() ? m_hits : m_misses);
    return entry;
}

QByteArray FileCache::lookupBlob(const FileIdentity &identity, Blob blob)
{
    Connection *c = identity.isValid() ? connection() : nullptr;
    if (!c)
        return QByteArray();
    QSqlQuery &query = blob == Blob::Features ? *c->features : *c->descriptors;
    const QByteArray found
        = findVersion(query, identity, 0) ? query.value(3).toByteArray() : QByteArray();
    query.finish();
    return found;
}

bool FileCache::lookupFeatures(const FileIdentity &identity, ImageFeatures *features)
{
    ImageFeatures found = decodeFeatures(lookupBlob(identity, Blob::Features));
    if (!found.isValid()) {
        ++m_misses;
        return false;
    }
    ++m_hits;
    *features = std::move(found);
    return true;
}

bool FileCache::lookupDescriptors(const FileIdentity &identity, cv::Mat *descriptors)
{
    const QByteArray blob = lookupBlob(identity, Blob::Descriptors);
    if (blob.isEmpty() || !decodeDescriptors(blob, descriptors)) {
        ++m_misses;
        return false;
    }
    ++m_hits;
    return true;
}

bool FileCache::storable(const FileIdentity &identity)
{
    return identity.isValid() && identity.settledFor(m_options.quietNs) && open();
}

void FileCache::storeFingerprint(const FileIdentity &identity, const QString &fingerprint)
{
    if (storable(identity) && !fingerprint.isEmpty())
        enqueue(Pending { identity, fingerprint, QByteArray(), QByteArray(), QByteArray() });
}

void FileCache::storeDigest(const FileIdentity &identity, const QByteArray &digest)
{
    // Where change times are invented, an equal identity proves nothing.
    if (storable(identity) && identity.hasRealChangeTime() && !digest.isEmpty())
        enqueue(Pending { identity, QString(), digest, QByteArray(), QByteArray() });
}

void FileCache::storeFeatures(const FileIdentity &identity, const ImageFeatures &features)
{
    const QByteArray blob = storable(identity) ? encodeFeatures(features) : QByteArray();
    if (!blob.isEmpty())
        enqueue(Pending { identity, QString(), QByteArray(), blob, QByteArray() });
}

void FileCache::storeDescriptors(const FileIdentity &identity, const cv::Mat &descriptors)
{
    const QByteArray blob = storable(identity) ? encodeDescriptors(descriptors) : QByteArray();
    if (!blob.isEmpty())
        enqueue(Pending { identity, QString(), QByteArray(), QByteArray(), blob });
}

void FileCache::enqueue(Pending pending)
{
    bool full = false;
    {
        QMutexLocker locker(&m_pendingMutex);
        m_pending.push_back(std::move(pending));
        full = m_pending.size() >= BatchSize;
    }
    if (full)
        writePending(false);
}

void FileCache::enqueueTouch(qint64 row)
{
    bool full = false;
    {
        QMutexLocker locker(&m_pendingMutex);
        m_touched.push_back(row);
        full = m_touched.size() >= BatchSize;
    }
    if (full)
        writePending(false);
}

void FileCache::flush()
{
    writePending(true);
}

// A scan thread that finds a batch full while another one is being written
// goes on scanning; the batch waits for the next one.
void FileCache::writePending(bool wait)
{
    if (wait)
        m_writeMutex.lock();
    else if (!m_writeMutex.tryLock())
        return;
    std::vector<Pending> batch;
    std::vector<qint64> touched;
    {
        QMutexLocker locker(&m_pendingMutex);
        batch.swap(m_pending);
        touched.swap(m_touched);
    }
    if (!batch.empty() || !touched.empty())
        write(batch, touched);
    m_writeMutex.unlock();
}

void FileCache::close()
{
    flush();
    closeConnections();
}

void FileCache::write(const std::vector<Pending> &batch, const std::vector<qint64> &touched)
{
    Connection *c = m_usable ? connection() : nullptr;
    if (!c)
        return;
    QSqlQuery control(c->database);
    // Immediate: the write lock is taken (or waited for) at once, never
    // upgraded halfway, so two programs writing cannot deadlock.
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        if (isContention(control.lastError()))
            qInfo().noquote() << "File cache: busy, dropped" << batch.size() << "entries";
        else
            fail(control.lastError().text());
        return;
    }
    const qint64 now = nowSeconds();
    bool ok = true;
    QSqlQuery &upsert = *c->upsert;
    for (const Pending &pending : batch) {
        const FileIdentity &id = pending.identity;
        upsert.addBindValue(signedValue(id.device()));
        upsert.addBindValue(signedValue(id.inode()));
        upsert.addBindValue(id.size());
        upsert.addBindValue(id.modifiedNs());
        upsert.addBindValue(id.changedNs());
        upsert.addBindValue(
            pending.fingerprint.isEmpty() ? QVariant(QVariant::String) : pending.fingerprint);
        upsert.addBindValue(
            pending.digest.isEmpty() ? QVariant(QVariant::ByteArray) : pending.digest);
        upsert.addBindValue(
            pending.features.isEmpty() ? QVariant(QVariant::ByteArray) : pending.features);
        upsert.addBindValue(
            pending.descriptors.isEmpty() ? QVariant(QVariant::ByteArray) : pending.descriptors);
        upsert.addBindValue(now);
        if (!upsert.exec()) {
            ok = false;
            break;
        }
    }
    QSqlQuery &touch = *c->touch;
    for (std::size_t i = 0; ok && i < touched.size(); ++i) {
        touch.addBindValue(now);
        touch.addBindValue(touched[i]);
        ok = touch.exec();
    }
    const QSqlError error = ok
        ? QSqlError()
        : (upsert.lastError().isValid() ? upsert.lastError() : touch.lastError());
    if (!ok || !control.exec(QStringLiteral("COMMIT"))) {
        control.exec(QStringLiteral("ROLLBACK"));
        fail(ok ? control.lastError().text() : error.text());
    }
}

QByteArray FileCache::encodeFeatures(const ImageFeatures &features)
{
    if (!features.isValid())
        return QByteArray();
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << FeaturesVersion;
    for (int turn = 0; turn < 4; ++turn)
        out << quint64(features.hash.rotated(turn));
    out << quint32(features.colour.size());
    for (const float value : features.colour)
        out << value;
    out << quint32(features.luminance.size());
    for (const float value : features.luminance)
        out << value;
    out << features.grey << qint32(features.width) << qint32(features.height);
    return blob;
}

ImageFeatures FileCache::decodeFeatures(const QByteArray &blob)
{
    QDataStream in(blob);
    in.setVersion(QDataStream::Qt_5_15);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    quint32 version = 0;
    in >> version;
    if (version != FeaturesVersion)
        return {};
    std::array<std::uint64_t, 4> hashes {};
    for (std::uint64_t &hash : hashes) {
        quint64 value = 0;
        in >> value;
        hash = value;
    }
    // Bins of another count come from another extractor: not comparable.
    auto readValues = [&in](std::vector<float> &values, std::size_t expected) {
        quint32 count = 0;
        in >> count;
        if (count != expected)
            return false;
        values.resize(count);
        for (float &value : values)
            in >> value;
        return true;
    };
    ImageFeatures features;
    if (!readValues(features.colour,
            std::size_t(FeatureExtractor::HueBins * FeatureExtractor::SaturationBins))
        || !readValues(features.luminance, std::size_t(FeatureExtractor::LuminanceBins)))
        return {};
    qint32 width = 0, height = 0;
    in >> features.grey >> width >> height;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return {};
    features.hash = PerceptualHash::fromHashes(hashes);
    features.width = width;
    features.height = height;
    return features;
}

QByteArray FileCache::encodeDescriptors(const cv::Mat &descriptors)
{
    // An image without corners has none, and is stored as such.
    if (!descriptors.empty() && (descriptors.type() != CV_8UC1 || !descriptors.isContinuous()))
        return QByteArray();
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out << DescriptorsVersion << qint32(descriptors.rows) << qint32(descriptors.cols);
    if (!descriptors.empty())
        out.writeRawData(reinterpret_cast<const char *>(descriptors.data),
            int(descriptors.total() * descriptors.elemSize()));
    return blob;
}

bool FileCache::decodeDescriptors(const QByteArray &blob, cv::Mat *descriptors)
{
    QDataStream in(blob);
    quint32 version = 0;
    qint32 rows = 0, cols = 0;
    in >> version >> rows >> cols;
    if (in.status() != QDataStream::Ok || version != DescriptorsVersion || rows < 0 || cols < 0
        || qint64(rows) * cols != blob.size() - 12)
        return false;
    cv::Mat made(rows, cols, CV_8UC1);
    if (rows > 0 && cols > 0
        && in.readRawData(reinterpret_cast<char *>(made.data), rows * cols) != rows * cols)
        return false;
    *descriptors = rows > 0 && cols > 0 ? made : cv::Mat();
    return true;
}
