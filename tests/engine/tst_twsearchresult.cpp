#include <QSignalSpy>
#include <QtConcurrent>
#include <QtTest>

#include "engine/twsearchresult.h"
#include "model/canceltoken.h"
#include "model/scansettings.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "model/twphotoitem.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/temptree.h"

namespace {

// A scan at the defaults of a new store.
const ScanSettings defaultSettings;

// Each group as its sorted paths, with the key they share, in a stable order.
QStringList describeGroups(const TwSearchResult &result)
{
    QStringList described;
    const auto containers = result.containers();
    for (auto it = containers.cbegin(); it != containers.cend(); ++it)
        for (const TwFileItemGroup *group : it.value()->groups()) {
            QStringList members;
            for (const TwFileItem *item : group->items())
                members.append(item->filePath() + "=" + item->matchKey());
            members.sort();
            described.append(it.key() + ":" + members.join(","));
        }
    described.sort();
    return described;
}

} // namespace

class TestTwSearchResult : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }

    void identicalFilesAddToTotals_data();
    void identicalFilesAddToTotals();
    void differentImagesComeBack();
    void emptyGroupChangesNothing();
    void nearMissesNeverGroup();
    void lockedAndUnlockedHashingAgree();
    void concurrentGroups();
    void lonelySimilarImageOnlyCounted();
    void pruningKeepsContainersThatHadDuplicates();
    void sizeText_data();
    void sizeText();
};

void TestTwSearchResult::identicalFilesAddToTotals_data()
{
    QTest::addColumn<bool>("outsideLock");
    QTest::newRow("outside lock") << true;
    QTest::newRow("under lock") << false;
}

void TestTwSearchResult::identicalFilesAddToTotals()
{
    QFETCH(bool, outsideLock);
    TempTree tree;
    const QByteArray content = randomBytes(7, 300000);
    QStringList paths;
    for (int i = 0; i < 4; ++i)
        paths.append(tree.writeFile(QStringLiteral("v%1.mp4").arg(i), content));
    TwSearchResult result;
    result.setHashOutsideLock(outsideLock);
    QSignalSpy count(&result, &TwSearchResult::numberOfDuplicateFilesChanged);
    QSignalSpy bytes(&result, &TwSearchResult::bytesOfDuplicateFilesChanged);
    QSignalSpy scanned(&result, &TwSearchResult::numberOfFileScannedChanged);
    QVERIFY(result.addSameSizeGroup(paths, defaultSettings).isEmpty());
    QCOMPARE(result.numberOfDuplicateFiles(), qint64(3));
    QCOMPARE(result.bytesOfDuplicateFiles(), qint64(3) * content.size());
    QCOMPARE(result.numberOfFileScanned(), qint64(4));
    QCOMPARE(count.count(), 1);
    QCOMPARE(count.first().first().toLongLong(), qlonglong(3));
    QCOMPARE(bytes.first().first().toLongLong(), qlonglong(3) * content.size());
    QCOMPARE(scanned.first().first().toLongLong(), qlonglong(4));
    QCOMPARE(result.containers().keys(), QStringList { "Videos" });
}

void TestTwSearchResult::differentImagesComeBack()
{
    TempTree tree;
    QByteArray a = drawnPng(1), b = drawnPng(2);
    const int size = qMax(a.size(), b.size());
    a = a.leftJustified(size, '\0');
    b = b.leftJustified(size, '\0');
    const QStringList paths { tree.writeFile("a.png", a), tree.writeFile("b.png", b) };
    TwSearchResult result;
    QSignalSpy count(&result, &TwSearchResult::numberOfDuplicateFilesChanged);
    QSignalSpy scanned(&result, &TwSearchResult::numberOfFileScannedChanged);
    QStringList back = result.addSameSizeGroup(paths, defaultSettings);
    back.sort();
    QCOMPARE(back, paths);
    // Every total is announced on every call, changed or not.
    QCOMPARE(count.count(), 1);
    QCOMPARE(scanned.count(), 1);
    QCOMPARE(result.numberOfDuplicateFiles(), qint64(0));
    QCOMPARE(result.numberOfFileScanned(), qint64(0));
}

void TestTwSearchResult::emptyGroupChangesNothing()
{
    TwSearchResult result;
    QSignalSpy scanned(&result, &TwSearchResult::numberOfFileScannedChanged);
    QVERIFY(result.addSameSizeGroup({}, defaultSettings).isEmpty());
    QCOMPARE(scanned.count(), 0);
    QVERIFY(result.containers().isEmpty());
}

void TestTwSearchResult::nearMissesNeverGroup()
{
    // 10000 bytes: the fingerprint windows are [0,1024), [4488,5512), [8976,10000).
    TempTree tree;
    const QByteArray original = randomBytes(3, 10000);
    QStringList paths { tree.writeFile("orig.bin", original),
        tree.writeFile("copy.bin", original) };
    for (int offset : { 1500, 3000, 7000, 8975 }) {
        QByteArray trap = original;
        trap[offset] = char(trap[offset] ^ 0x5a);
        paths.append(tree.writeFile(QStringLiteral("trap%1.bin").arg(offset), trap));
    }
    TwSearchResult result;
    result.addSameSizeGroup(paths, defaultSettings);
    const QStringList groups = describeGroups(result);
    QCOMPARE(groups.size(), 1);
    QVERIFY(groups.first().contains("orig.bin"));
    QVERIFY(groups.first().contains("copy.bin"));
    QVERIFY(!groups.first().contains("trap"));
    QCOMPARE(result.numberOfDuplicateFiles(), qint64(1));
}

void TestTwSearchResult::lockedAndUnlockedHashingAgree()
{
    TempTree tree;
    QList<QStringList> buckets;
    for (int b = 0; b < 12; ++b) {
        const int size = 2000 + b * 700;
        QStringList bucket;
        for (int f = 0; f < 6; ++f) {
            // Contents repeat in a pattern so some buckets hold several sets.
            const QByteArray content = randomBytes(quint32(b * 10 + f % (b % 3 + 1)), size);
            bucket.append(tree.writeFile(QStringLiteral("b%1/f%2.dat").arg(b).arg(f), content));
        }
        buckets.append(bucket);
    }
    TwSearchResult outside, under;
    under.setHashOutsideLock(false);
    for (const QStringList &bucket : buckets) {
        QCOMPARE(outside.addSameSizeGroup(bucket, defaultSettings),
            under.addSameSizeGroup(bucket, defaultSettings));
    }
    QCOMPARE(describeGroups(outside), describeGroups(under));
    QCOMPARE(outside.numberOfDuplicateFiles(), under.numberOfDuplicateFiles());
    QCOMPARE(outside.bytesOfDuplicateFiles(), under.bytesOfDuplicateFiles());
    QCOMPARE(outside.numberOfFileScanned(), under.numberOfFileScanned());
    QVERIFY(outside.numberOfDuplicateFiles() > 0);
}

void TestTwSearchResult::concurrentGroups()
{
    TempTree tree;
    QList<QStringList> buckets;
    for (int b = 0; b < 64; ++b) {
        const QByteArray content = randomBytes(quint32(500 + b), 4000 + b);
        QStringList bucket;
        for (int f = 0; f < 3; ++f)
            bucket.append(tree.writeFile(QStringLiteral("c%1/%2.txt").arg(b).arg(f), content));
        buckets.append(bucket);
    }
    TwSearchResult result;
    QtConcurrent::blockingMap(buckets,
        [&result](const QStringList &bucket) { result.addSameSizeGroup(bucket, defaultSettings); });
    QCOMPARE(result.numberOfDuplicateFiles(), qint64(128));
    QCOMPARE(result.numberOfFileScanned(), qint64(192));
    QCOMPARE(describeGroups(result).size(), 64);
}

void TestTwSearchResult::lonelySimilarImageOnlyCounted()
{
    TempTree tree;
    TwSearchResult result;
    QSignalSpy count(&result, &TwSearchResult::numberOfDuplicateFilesChanged);
    QVERIFY(result.addSimilarImage(new TwPhotoItem(tree.writeFile("one.png", drawnPng(4)), false),
        defaultSettings, CancelToken()));
    QCOMPARE(result.numberOfFileScanned(), qint64(1));
    QCOMPARE(result.numberOfDuplicateFiles(), qint64(0));
    QCOMPARE(count.count(), 0);
}

void TestTwSearchResult::pruningKeepsContainersThatHadDuplicates()
{
    TempTree tree;
    const QByteArray doc = randomBytes(9, 5000);
    TwSearchResult result;
    result.addSameSizeGroup(
        { tree.writeFile("a.txt", doc), tree.writeFile("b.txt", doc) }, defaultSettings);
    result.addSameSizeGroup({ tree.writeFile("x.zip", randomBytes(1, 64)),
                                tree.writeFile("y.zip", randomBytes(2, 64)) },
        defaultSettings);
    QCOMPARE(result.containers().keys(), (QStringList { "Archives", "Documents" }));
    result.removeEmptyGroups();
    QCOMPARE(result.containers().keys(), QStringList { "Documents" });

    // Its only group losing a member leaves the container, with no group.
    TwCatalogContainer *documents = result.containers().value("Documents");
    TwFileItemGroup *group = documents->groups().first();
    group->removeItem(group->items().last());
    result.removeEmptyGroups();
    QCOMPARE(result.containers().keys(), QStringList { "Documents" });
    QVERIFY(result.containers().value("Documents")->groups().isEmpty());
}

void TestTwSearchResult::sizeText_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "C"
                          << "0 Bytes";
    QTest::newRow("1024") << qint64(1024) << "C"
                          << "1024 Bytes";
    QTest::newRow("1025") << qint64(1025) << "C"
                          << "1.00 KB";
    QTest::newRow("1536") << qint64(1536) << "C"
                          << "1.50 KB";
    QTest::newRow("MiB") << qint64(1048576) << "C"
                         << "1024.00 KB";
    QTest::newRow("MiB+1") << qint64(1048577) << "C"
                           << "1.00 MB";
    QTest::newRow("GiB") << qint64(1073741824) << "C"
                         << "1024.00 MB";
    QTest::newRow("GiB+1") << qint64(1073741825) << "C"
                           << "1.00 GB";
    QTest::newRow("TiB") << (qint64(1) << 40) << "C"
                         << "1024.00 GB";
    // The windows' language writes the decimal mark, never a group mark.
    QTest::newRow("German 1536") << qint64(1536) << "de_DE"
                                 << "1,50 KB";
    QTest::newRow("German TiB") << (qint64(1) << 40) << "de_DE"
                                << "1024,00 GB";
    QTest::newRow("US English TiB") << (qint64(1) << 40) << "en_US"
                                    << "1024.00 GB";
}

void TestTwSearchResult::sizeText()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const QString shown = TwSearchResult::sizeText(bytes);
    QLocale::setDefault(before);
    QCOMPARE(shown, text);
}

QTEST_GUILESS_MAIN(TestTwSearchResult)
#include "tst_twsearchresult.moc"
