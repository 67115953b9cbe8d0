#include <fcntl.h>
#include <sys/stat.h>

#include <thread>

#include <QDataStream>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include "model/canceltoken.h"
#include "model/filecache.h"
#include "model/fileidentity.h"
#include "model/twduplicatecandidates.h"
#include "platform/nativepath.h"
#include "tests/support/temptree.h"

namespace {

QByteArray bytesOf(quint32 seed, int size)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    return bytes;
}

FileCache::Options optionsFor(const QString &path)
{
    FileCache::Options options;
    options.path = path;
    // Files written a moment ago count as settled, so the tests need not wait.
    options.quietNs = 0;
    options.busyTimeoutMs = 200;
    // Small files too, so the tests stay small.
    options.smallestFile = 0;
    return options;
}

// Each set of copies as its sorted paths.
QStringList copySets(const QStringList &paths, FileCache *cache)
{
    TwDuplicateCandidates found = TwDuplicateCandidates::prepare(
        paths, TwGrayHistogram::Contents::SizeOnly, nullptr, cache);
    QStringList sets;
    for (const TwDuplicateCandidates::CopySet &set : found.copySets) {
        QStringList members;
        for (const TwDuplicateCandidates::Member &member : set)
            members.append(member.item->filePath());
        members.sort();
        sets.append(members.join(QLatin1Char(',')));
    }
    sets.sort();
    return sets;
}

bool setModified(const QString &path, const struct timespec &modified)
{
    const struct timespec times[2] = { { 0, UTIME_OMIT }, modified };
    return ::utimensat(AT_FDCWD, NativePath::encode(path).constData(), times, 0) == 0;
}

struct timespec modifiedOf(const QString &path)
{
    struct stat file { };
    ::stat(NativePath::encode(path).constData(), &file);
    return file.st_mtim;
}

// Rewrites `path` in place (same inode, same size) with other bytes.
bool overwrite(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.write(content) == content.size();
}

} // namespace

class TestFileCache : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void changedFilesAreRecomputed_data();
    void changedFilesAreRecomputed();
    void unsettledFilesAreNotKept();
    void smallFilesAreReadNotLookedUp();
    void damagedFileIsRebuilt_data();
    void damagedFileIsRebuilt();
    void twoProgramsShareOneFile();
    void featuresSurviveTheirStoredForm();
    void descriptorsSurviveTheirStoredForm();
    void oldEntriesArePruned();
    void sizeIsBoundedOldestFirst();
};

void TestFileCache::changedFilesAreRecomputed_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("stillCopies");
    QTest::addColumn<int>("size");
    // Small files are compared from memory, large ones streamed side by side.
    for (const int size : { 20000, 300000 }) {
        const QByteArray kind = size < 65536 ? "small, " : "large, ";
        QTest::newRow((kind + "unchanged").constData()) << "none" << true << size;
        // Same contents, another modification time.
        QTest::newRow((kind + "touched").constData()) << "touch" << true << size;
        // Another file of the same size put in its place, its time set back.
        QTest::newRow((kind + "replaced, time restored").constData()) << "replace" << false << size;
        // Written in place, its time set back: only the change time tells.
        QTest::newRow((kind + "edited in place, time restored").constData())
            << "edit" << false << size;
    }
}

void TestFileCache::changedFilesAreRecomputed()
{
    QFETCH(QString, change);
    QFETCH(bool, stillCopies);
    QFETCH(int, size);
    TempTree tree;
    const QByteArray content = bytesOf(1, size);
    const QString a = tree.writeFile("a.bin", content);
    const QString b = tree.writeFile("b.bin", content);
    const QStringList paths { a, b };
    const QString cachePath = tree.path("cache/cache.sqlite");
    {
        FileCache cache(optionsFor(cachePath));
        QCOMPARE(copySets(paths, &cache), QStringList { a + "," + b });
        QCOMPARE(cache.hits(), 0);
    }
    const FileIdentity before = FileIdentity::of(b);
    // The clock must move on, or a change could keep every time as it was.
    QThread::msleep(50);
    const QByteArray other = bytesOf(2, size);
    const struct timespec modified = modifiedOf(b);
    if (change == "touch") {
        struct timespec earlier = modified;
        earlier.tv_sec -= 5;
        QVERIFY(setModified(b, earlier));
    } else if (change == "replace") {
        const QString fresh = tree.writeFile("fresh.bin", other);
        QVERIFY(setModified(fresh, modified));
        QVERIFY(::rename(NativePath::encode(fresh).constData(), NativePath::encode(b).constData())
            == 0);
    } else if (change == "edit") {
        QVERIFY(overwrite(b, other));
        QVERIFY(setModified(b, modified));
        QCOMPARE(FileIdentity::of(b).inode(), before.inode());
        QCOMPARE(FileIdentity::of(b).modifiedNs(), before.modifiedNs());
    }
    const FileIdentity after = FileIdentity::of(b);
    QCOMPARE(after.sameVersionAs(before), change == "none");

    FileCache cache(optionsFor(cachePath));
    QCOMPARE(cache.lookup(after).found(), change == "none");
    QCOMPARE(copySets(paths, &cache), stillCopies ? QStringList { a + "," + b } : QStringList());
    // The unchanged copy is always answered from the cache, with its digest.
    const FileCache::Entry kept = cache.lookup(FileIdentity::of(a));
    QVERIFY(kept.found());
    QCOMPARE(kept.digest, QCryptographicHash::hash(content, QCryptographicHash::Sha256));
    cache.flush();
    // What was recomputed replaced the old entry.
    const FileCache::Entry renewed = cache.lookup(after);
    QVERIFY(renewed.found());
    QCOMPARE(renewed.digest.isEmpty(), !stillCopies);
}

void TestFileCache::unsettledFilesAreNotKept()
{
    TempTree tree;
    const QByteArray content = bytesOf(3, 9000);
    const QStringList paths { tree.writeFile("a", content), tree.writeFile("b", content) };
    FileCache::Options options = optionsFor(tree.path("cache.sqlite"));
    // Written just now: another write in the same clock tick could follow unseen.
    options.quietNs = qint64(3600) * 1000000000;
    FileCache cache(options);
    QCOMPARE(copySets(paths, &cache).size(), 1);
    cache.flush();
    QVERIFY(!cache.lookup(FileIdentity::of(paths.first())).found());
}

void TestFileCache::smallFilesAreReadNotLookedUp()
{
    TempTree tree;
    const QByteArray small = bytesOf(5, 20000);
    const QByteArray large = bytesOf(6, 70000);
    const QStringList smallPair { tree.writeFile("s1", small), tree.writeFile("s2", small) };
    const QStringList largePair { tree.writeFile("l1", large), tree.writeFile("l2", large) };
    FileCache::Options options = optionsFor(tree.path("cache.sqlite"));
    options.smallestFile = FileCache::Options().smallestFile;
    for (int scan = 0; scan < 2; ++scan) {
        FileCache cache(options);
        QCOMPARE(copySets(smallPair, &cache).size(), 1);
        QCOMPARE(copySets(largePair, &cache).size(), 1);
        QCOMPARE(cache.hits(), scan == 0 ? 0 : 2);
        cache.flush();
        QVERIFY(!cache.lookup(FileIdentity::of(smallPair.first())).found());
        QVERIFY(cache.lookup(FileIdentity::of(largePair.first())).found());
    }
}

void TestFileCache::damagedFileIsRebuilt_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("truncated") << "truncate";
    QTest::newRow("random bytes") << "random";
    QTest::newRow("locked by another connection") << "lock";
}

void TestFileCache::damagedFileIsRebuilt()
{
    QFETCH(QString, damage);
    TempTree tree;
    QStringList paths;
    for (int i = 0; i < 40; ++i)
        paths.append(tree.writeFile(QStringLiteral("f%1").arg(i), bytesOf(quint32(i % 13), 5000)));
    const QStringList expected = copySets(paths, nullptr);
    QCOMPARE(expected.size(), 13);
    const QString cachePath = tree.path("cache.sqlite");
    {
        FileCache cache(optionsFor(cachePath));
        QCOMPARE(copySets(paths, &cache), expected);
    }
    QVERIFY(QFileInfo(cachePath).size() > 8192);

    const QString lockName = QStringLiteral("locker");
    {
        QFile file(cachePath);
        if (damage == "truncate") {
            QVERIFY(file.resize(file.size() / 2 + 100));
        } else if (damage == "random") {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytesOf(7, 16384));
        } else {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
            locker.setDatabaseName(cachePath);
            QVERIFY(locker.open());
            QSqlQuery query(locker);
            QVERIFY(query.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")));
            QVERIFY(query.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(query.exec(QStringLiteral("DELETE FROM files WHERE id = 1")));
        }
    }
    {
        FileCache cache(optionsFor(cachePath));
        QVERIFY(cache.open());
        QCOMPARE(copySets(paths, &cache), expected);
        QCOMPARE(cache.hits(), 0);
    }
    QVERIFY(QFileInfo::exists(cachePath + ".damaged"));
    if (damage == "lock")
        QSqlDatabase::removeDatabase(lockName);
    // The new file works: the next scan reads nothing again.
    FileCache cache(optionsFor(cachePath));
    QCOMPARE(copySets(paths, &cache), expected);
    QCOMPARE(cache.misses(), 0);
    QCOMPARE(cache.hits(), paths.size());
}

void TestFileCache::twoProgramsShareOneFile()
{
    TempTree tree;
    QStringList paths;
    // Enough files that both write several batches while the other reads.
    for (int i = 0; i < 1400; ++i)
        paths.append(tree.writeFile(
            QStringLiteral("d%1/f%2").arg(i % 7).arg(i), bytesOf(quint32(i / 2), 4000 + i / 2)));
    const QStringList expected = copySets(paths, nullptr);
    QCOMPARE(expected.size(), 700);
    const QString cachePath = tree.path("cache.sqlite");
    FileCache first(optionsFor(cachePath));
    FileCache second(optionsFor(cachePath));
    QStringList firstSets, secondSets;
    std::thread one([&] {
        firstSets = copySets(paths, &first);
        first.flush();
    });
    std::thread two([&] {
        secondSets = copySets(paths, &second);
        second.flush();
    });
    one.join();
    two.join();
    QCOMPARE(firstSets, expected);
    QCOMPARE(secondSets, expected);

    FileCache third(optionsFor(cachePath));
    QCOMPARE(copySets(paths, &third), expected);
    QCOMPARE(third.hits(), paths.size());
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
    check.setDatabaseName(cachePath);
    QVERIFY(check.open());
    QSqlQuery query(check);
    QVERIFY(query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("ok"));
    QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM files")) && query.next());
    QCOMPARE(query.value(0).toInt(), paths.size());
}

void TestFileCache::featuresSurviveTheirStoredForm()
{
    ImageFeatures features;
    features.hash = PerceptualHash::fromHashes({ 1, 0x8000000000000000ull, 3, 0xFFFFFFFFull });
    features.colour.assign(30 * 32, 0.f);
    features.colour[5] = 0.25f;
    features.colour[959] = 0.75f;
    features.luminance.assign(32, 1.f / 32);
    features.grey = true;
    features.width = 4000;
    features.height = 3000;
    const QByteArray blob = FileCache::encodeFeatures(features);
    const ImageFeatures back = FileCache::decodeFeatures(blob);
    QVERIFY(back.isValid());
    for (int turn = 0; turn < 4; ++turn)
        QCOMPARE(back.hash.rotated(turn), features.hash.rotated(turn));
    QCOMPARE(back.colour, features.colour);
    QCOMPARE(back.luminance, features.luminance);
    QCOMPARE(back.grey, true);
    QCOMPARE(back.width, 4000);
    QCOMPARE(back.height, 3000);

    // A cut blob, another version or bins of another count are misses.
    QVERIFY(!FileCache::decodeFeatures(blob.left(blob.size() - 1)).isValid());
    QByteArray otherVersion = blob;
    otherVersion[3] = char(otherVersion[3] + 1);
    QVERIFY(!FileCache::decodeFeatures(otherVersion).isValid());
    ImageFeatures otherBins = features;
    otherBins.luminance.assign(64, 1.f / 64);
    QVERIFY(!FileCache::decodeFeatures(FileCache::encodeFeatures(otherBins)).isValid());
    QVERIFY(FileCache::encodeFeatures(ImageFeatures()).isEmpty());
}

void TestFileCache::descriptorsSurviveTheirStoredForm()
{
    cv::Mat descriptors(3, 32, CV_8UC1);
    cv::randu(descriptors, 0, 256);
    cv::Mat back;
    QVERIFY(FileCache::decodeDescriptors(FileCache::encodeDescriptors(descriptors), &back));
    QCOMPARE(back.rows, 3);
    QCOMPARE(back.cols, 32);
    QCOMPARE(cv::norm(back, descriptors, cv::NORM_L1), 0.0);
    // An image without corners is remembered as such.
    back = descriptors;
    QVERIFY(FileCache::decodeDescriptors(FileCache::encodeDescriptors(cv::Mat()), &back));
    QVERIFY(back.empty());
    const QByteArray blob = FileCache::encodeDescriptors(descriptors);
    QVERIFY(!FileCache::decodeDescriptors(blob.left(blob.size() - 5), &back));
}

void TestFileCache::oldEntriesArePruned()
{
    TempTree tree;
    const QString file = tree.writeFile("a", bytesOf(4, 100));
    const QString cachePath = tree.path("cache.sqlite");
    {
        FileCache cache(optionsFor(cachePath));
        cache.storeFingerprint(FileIdentity::of(file), QStringLiteral("AB"));
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "age");
        db.setDatabaseName(cachePath);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("UPDATE files SET seen = seen - 91 * 86400")));
    }
    QSqlDatabase::removeDatabase("age");
    FileCache cache(optionsFor(cachePath));
    QVERIFY(cache.open());
    QVERIFY(!cache.lookup(FileIdentity::of(file)).found());
}

void TestFileCache::sizeIsBoundedOldestFirst()
{
    TempTree tree;
    const QString cachePath = tree.path("cache.sqlite");
    {
        FileCache cache(optionsFor(cachePath));
        for (int i = 0; i < 6000; ++i)
            cache.storeFingerprint(FileIdentity::fromFields(1, quint64(i), 10, 1, 1),
                QStringLiteral("%1").arg(i, 32, 10, QLatin1Char('0')));
    }
    {
        // The first half was last seen a day before the second.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "size");
        db.setDatabaseName(cachePath);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(
            query.exec(QStringLiteral("UPDATE files SET seen = seen - 86400 WHERE inode < 3000")));
    }
    QSqlDatabase::removeDatabase("size");
    const qint64 before = QFileInfo(cachePath).size();
    FileCache::Options options = optionsFor(cachePath);
    options.maximumBytes = before / 2;
    FileCache cache(options);
    QVERIFY(cache.open());
    QVERIFY(!cache.lookup(FileIdentity::fromFields(1, 0, 10, 1, 1)).found());
    QVERIFY(!cache.lookup(FileIdentity::fromFields(1, 2999, 10, 1, 1)).found());
    QVERIFY(cache.lookup(FileIdentity::fromFields(1, 5999, 10, 1, 1)).found());
    cache.close();
    // The pages in use fit the bound; free ones are reused by later entries.
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "pages");
    db.setDatabaseName(cachePath);
    QVERIFY(db.open());
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("SELECT (SELECT page_count FROM pragma_page_count) - "
                                      "(SELECT freelist_count FROM pragma_freelist_count)")));
    QVERIFY(query.next());
    QVERIFY(query.value(0).toLongLong() * 4096 <= options.maximumBytes);
    QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM files")) && query.next());
    QVERIFY(query.value(0).toInt() >= 1000);
}

QTEST_GUILESS_MAIN(TestFileCache)
#include "tst_filecache.moc"
