#include <QSignalSpy>
#include <QtTest>

#include "engine/qscanresult.h"
#include "engine/qsearchthread.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "model/canceltoken.h"
#include "model/scansettings.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/temptree.h"

class TestQSearchThread : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }

    void slices_data();
    void slices();
    void slicedRunHandlesEveryGroupOnce_data();
    void slicedRunHandlesEveryGroupOnce();
    void uniqueImageGoesToSimilarPass();
    void similarPassCountsEveryImage();
    void stopEndsBeforeNextGroup();
};

void TestQSearchThread::slices_data()
{
    QTest::addColumn<int>("elements");
    QTest::addColumn<QVector<int>>("counts");
    QTest::newRow("none") << 0 << QVector<int> { 0, 0, 0, 0, 0, 0, 0, 0 };
    QTest::newRow("three") << 3 << QVector<int> { 0, 0, 0, 0, 0, 0, 0, 3 };
    QTest::newRow("eight") << 8 << QVector<int> { 1, 1, 1, 1, 1, 1, 1, 1 };
    QTest::newRow("seventeen") << 17 << QVector<int> { 2, 2, 2, 2, 2, 2, 2, 3 };
    QTest::newRow("many") << 1007 << QVector<int> { 125, 125, 125, 125, 125, 125, 125, 132 };
}

void TestQSearchThread::slices()
{
    QFETCH(int, elements);
    QFETCH(QVector<int>, counts);
    const QVector<QPair<int, int>> slices = ScanEngine::taskSlices(elements);
    QCOMPARE(slices.size(), 8);
    int next = 0;
    for (int i = 0; i < 8; ++i) {
        // Contiguous and covering every element exactly once.
        if (slices[i].second > 0)
            QCOMPARE(slices[i].first, next);
        QCOMPARE(slices[i].second, counts[i]);
        next += slices[i].second;
    }
    QCOMPARE(next, elements);
}

void TestQSearchThread::slicedRunHandlesEveryGroupOnce_data()
{
    QTest::addColumn<int>("groups");
    QTest::newRow("three") << 3;
    QTest::newRow("seventeen") << 17;
}

void TestQSearchThread::slicedRunHandlesEveryGroupOnce()
{
    QFETCH(int, groups);
    TempTree tree;
    QScanResult scan;
    for (int g = 0; g < groups; ++g) {
        const QByteArray content = randomBytes(quint32(g), 100 + g);
        for (const char *copy : { "a", "b" })
            scan.collectFile(content.size(),
                tree.writeFile(QStringLiteral("g%1/%2.bin").arg(g).arg(copy), content));
    }
    scan.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(scan.sameSizeGroups().size(), groups);

    TwSearchResult search;
    const QVector<QPair<int, int>> slices = ScanEngine::taskSlices(groups);
    QVector<int> handled;
    for (const QPair<int, int> &slice : slices) {
        QSearchThread task(&scan, &search, slice.first, slice.second, true, ScanSettings(),
            std::make_shared<CancelToken>());
        task.setAutoDelete(false);
        QSignalSpy progress(&task, &QSearchThread::addItemFile);
        QSignalSpy finished(&task, &QSearchThread::finished);
        task.run();
        QCOMPARE(finished.count(), 1);
        handled.append(progress.count());
        for (const QList<QVariant> &arguments : progress)
            QCOMPARE(arguments.first().toInt(), 2);
    }
    QVector<int> expected(8, groups / 8);
    expected[7] += groups % 8;
    QCOMPARE(handled, expected);
    QCOMPARE(search.numberOfDuplicateFiles(), qint64(groups));
    QCOMPARE(search.numberOfFileScanned(), qint64(2 * groups));
}

void TestQSearchThread::uniqueImageGoesToSimilarPass()
{
    TempTree tree;
    const QByteArray picture = drawnPng(1);
    QByteArray other = drawnPng(2);
    // Same size as the copies, so all three share a bucket.
    other = other.left(picture.size()).leftJustified(picture.size(), '\0');
    QScanResult scan;
    for (const char *name : { "a.png", "b.png" })
        scan.collectFile(picture.size(), tree.writeFile(name, picture));
    const QString different = tree.writeFile("c.png", other);
    scan.collectFile(other.size(), different);
    scan.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(scan.sameSizeGroups().size(), 1);

    TwSearchResult search;
    QSearchThread task(&scan, &search, 0, 1, true, ScanSettings(), std::make_shared<CancelToken>());
    task.setAutoDelete(false);
    QSignalSpy progress(&task, &QSearchThread::addItemFile);
    task.run();
    QCOMPARE(progress.count(), 1);
    QCOMPARE(progress.first().first().toInt(), 2);
    // All three files were read, the one without a twin too.
    QCOMPARE(progress.first().at(1).toLongLong(), 3 * qint64(picture.size()));
    QCOMPARE(scan.singleImages(), QStringList { different });
}

void TestQSearchThread::similarPassCountsEveryImage()
{
    TempTree tree;
    QScanResult scan;
    QStringList images;
    for (int i = 0; i < 3; ++i)
        images.append(tree.writeFile(QStringLiteral("p%1.png").arg(i), drawnPng(quint32(10 + i))));
    scan.appendSingleImages(images);
    TwSearchResult search;
    QSearchThread task(
        &scan, &search, 0, 3, false, ScanSettings(), std::make_shared<CancelToken>());
    task.setAutoDelete(false);
    QSignalSpy progress(&task, &QSearchThread::addItemFile);
    QSignalSpy finished(&task, &QSearchThread::finished);
    task.run();
    QCOMPARE(progress.count(), 3);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(search.numberOfFileScanned(), qint64(3));
}

void TestQSearchThread::stopEndsBeforeNextGroup()
{
    TempTree tree;
    QScanResult scan;
    for (int g = 0; g < 5; ++g) {
        const QByteArray content = randomBytes(quint32(100 + g), 50 + g);
        for (const char *copy : { "a", "b" })
            scan.collectFile(content.size(),
                tree.writeFile(QStringLiteral("g%1/%2.txt").arg(g).arg(copy), content));
    }
    scan.removeDiffSizeItem(TwGenernalPreferences::ScanByFileContent);
    TwSearchResult search;
    // The scan's token: stopping one task stops every task that shares it.
    const auto cancel = std::make_shared<CancelToken>();
    QSearchThread task(&scan, &search, 0, 5, true, ScanSettings(), cancel);
    task.setAutoDelete(false);
    connect(&task, &QSearchThread::addItemFile, &task, [&task](int) { task.stopThread(); });
    QSignalSpy progress(&task, &QSearchThread::addItemFile);
    QSignalSpy finished(&task, &QSearchThread::finished);
    task.run();
    QCOMPARE(progress.count(), 1);
    QCOMPARE(finished.count(), 1);
    QVERIFY(cancel->isCancelled());
    QCOMPARE(search.numberOfDuplicateFiles(), qint64(1));
}

QTEST_GUILESS_MAIN(TestQSearchThread)
#include "tst_qsearchthread.moc"
