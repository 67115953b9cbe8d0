#include <QtConcurrent>
#include <QtTest>

#include "engine/qscanresult.h"
#include "tests/engine/enginetestsupport.h"

class TestQScanResult : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }

    void bucketKeys_data();
    void bucketKeys();
    void sameContentDifferentCategoryNeverMeets();
    void sameSizeGroupKeepsCollectionOrder();
    void loneFiles();
    void narrowingTwiceChangesNothing();
    void fileIdentityCollectedOnce();
    void foldersClaimedOnce();
    void clearEmptiesEverything();
    void concurrentCollection();
    void slicesCarryBalancedWork();
};

void TestQScanResult::bucketKeys_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("key");
    QTest::newRow("photo") << "/d/photo.jpg" << qint64(2048) << "Images2048";
    QTest::newRow("capitals") << "/d/PHOTO.JPG" << qint64(7) << "Images7";
    QTest::newRow("unknown") << "/d/notes.xyz" << qint64(10) << "Others10";
    QTest::newRow("no suffix") << "/d/README" << qint64(10) << "Others10";
    QTest::newRow("jar is an archive") << "/d/lib.jar" << qint64(3) << "Archives3";
    QTest::newRow("package") << "/d/setup.exe" << qint64(100000000000) << "Packages100000000000";
}

void TestQScanResult::bucketKeys()
{
    QFETCH(QString, path);
    QFETCH(qint64, size);
    QFETCH(QString, key);
    QCOMPARE(QScanResult::bucketKey(path, size), key);
}

void TestQScanResult::sameContentDifferentCategoryNeverMeets()
{
    QScanResult result;
    result.collectFile(2048, "/d/photo.jpg");
    result.collectFile(2048, "/d/photo.txt");
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QVERIFY(result.sameSizeGroups().isEmpty());
    // The image stays as a lone image, the text is dropped.
    QCOMPARE(result.singleImages(), QStringList { "/d/photo.jpg" });
    QCOMPARE(result.candidateCount(), qint64(1));
}

void TestQScanResult::sameSizeGroupKeepsCollectionOrder()
{
    QScanResult result;
    const QStringList videos { "/v/c.mp4", "/v/a.mp4", "/v/b.mp4" };
    for (const QString &path : videos)
        result.collectFile(5000, path);
    result.collectFile(5001, "/v/d.mp4");
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(result.sameSizeGroups(), QList<QStringList> { videos });
    QCOMPARE(result.candidateCount(), qint64(3));
    QCOMPARE(result.fileCount(), qint64(4));
}

void TestQScanResult::loneFiles()
{
    QScanResult result;
    result.collectFile(5000000, "/p/big.png");
    result.collectFile(5000001, "/p/anim.gif");
    result.collectFile(5000002, "/p/doc.pdf");
    result.collectFile(5000003, "/p/raw.PPM");
    result.collectFile(10, "/p/x.jpg");
    result.collectFile(10, "/p/y.jpg");
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QStringList singles = result.singleImages();
    singles.sort();
    QCOMPARE(singles, (QStringList { "/p/big.png", "/p/raw.PPM" }));
    QCOMPARE(result.sameSizeGroups().size(), 1);
    QCOMPARE(result.candidateCount(), qint64(4));

    QScanResult empty;
    empty.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(empty.candidateCount(), qint64(0));
}

void TestQScanResult::narrowingTwiceChangesNothing()
{
    QScanResult result;
    result.collectFile(10, "/a/1.txt");
    result.collectFile(10, "/a/2.txt");
    result.collectFile(99, "/a/3.png");
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileName);
    QCOMPARE(result.sameSizeGroups().size(), 1);
    QCOMPARE(result.singleImages().size(), 1);
    QCOMPARE(result.candidateCount(), qint64(3));
}

void TestQScanResult::fileIdentityCollectedOnce()
{
    QScanResult result;
    QScanResult::FileId id;
    id.device = 5;
    id.inode = 77;
    QVERIFY(result.collectFile(10, "/a/one.txt", id));
    QVERIFY(!result.collectFile(10, "/b/link-to-one.txt", id));
    id.device = 6; // same inode number on another device is another file
    QVERIFY(result.collectFile(10, "/mnt/one.txt", id));
    QCOMPARE(result.fileCount(), qint64(2));
    result.clear();
    id.device = 5;
    QVERIFY(result.collectFile(10, "/a/one.txt", id));
}

void TestQScanResult::foldersClaimedOnce()
{
    QScanResult result;
    const QScanResult::FileId data { 1, 20 };
    const QScanResult::FileId other { 1, 21 };
    QVERIFY(result.claimFolder(data));
    QVERIFY(!result.claimFolder(data));
    QVERIFY(result.claimFolder(other));
    result.clear();
    QVERIFY(result.claimFolder(data));
}

void TestQScanResult::clearEmptiesEverything()
{
    QScanResult result;
    result.collectFile(10, "/a/1.txt");
    result.collectFile(10, "/a/2.txt");
    result.collectFile(20, "/a/3.png");
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    result.appendSingleImages({ "/a/4.png" });
    result.clear();
    QCOMPARE(result.fileCount(), qint64(0));
    QCOMPARE(result.candidateCount(), qint64(0));
    QVERIFY(result.sameSizeGroups().isEmpty());
    QVERIFY(result.singleImages().isEmpty());
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(result.candidateCount(), qint64(0));
}

void TestQScanResult::concurrentCollection()
{
    QScanResult result;
    QVector<int> workers(8);
    std::iota(workers.begin(), workers.end(), 0);
    QtConcurrent::blockingMap(workers, [&result](int worker) {
        for (int i = 0; i < 2000; ++i) {
            QScanResult::FileId id;
            id.device = 1;
            id.inode = quint64(worker * 100000 + i);
            result.collectFile(i % 50 + 1, QStringLiteral("/w%1/f%2.txt").arg(worker).arg(i), id);
        }
    });
    QCOMPARE(result.fileCount(), qint64(16000));
    result.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    const QList<QStringList> groups = result.sameSizeGroups();
    QCOMPARE(groups.size(), 50);
    int paths = 0;
    for (const QStringList &group : groups)
        paths += group.size();
    QCOMPARE(paths, 16000);
    QCOMPARE(result.candidateCount(), qint64(16000));
}

void TestQScanResult::slicesCarryBalancedWork()
{
    // 40 groups: four very large ones that hash order could put in one slice.
    QList<QStringList> groups;
    QVector<qint64> costs;
    for (int i = 0; i < 40; ++i) {
        groups.append(
            QStringList { QStringLiteral("/g%1/a").arg(i), QStringLiteral("/g%1/b").arg(i) });
        costs.append(i < 4 ? 1000000 : 10 + i);
    }
    const QList<QStringList> ordered = QScanResult::balancedOrder(groups, costs, 8);
    // A permutation: every group exactly once.
    QCOMPARE(ordered.size(), groups.size());
    QSet<QString> heads;
    for (const QStringList &group : ordered)
        heads.insert(group.first());
    QCOMPARE(heads.size(), groups.size());
    // No slice of five holds two of the large groups.
    for (int slice = 0; slice < 8; ++slice) {
        int large = 0;
        for (int i = slice * 5; i < slice * 5 + 5; ++i)
            large += ordered[i].first().mid(2).section('/', 0, 0).toInt() < 4 ? 1 : 0;
        QVERIFY2(large <= 1, qPrintable(QString::number(slice)));
    }
    // Too few groups to share: the order is kept.
    QCOMPARE(QScanResult::balancedOrder(groups.mid(0, 5), costs.mid(0, 5), 8), groups.mid(0, 5));
}

QTEST_GUILESS_MAIN(TestQScanResult)
#include "tst_qscanresult.moc"
