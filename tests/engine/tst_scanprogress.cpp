#include <QtTest>

#include "engine/scanprogress.h"

class TestScanProgress : public QObject {
    Q_OBJECT

private slots:
    void largeFilesWeighWhatTheyTakeToRead();
    void similarPassSpreadsWhatIsLeft();
    void wrongEstimatesNeverMoveTheBarBack();
};

void TestScanProgress::largeFilesWeighWhatTheyTakeToRead()
{
    constexpr qint64 small = 1000;
    constexpr qint64 large = qint64(2) * 1024 * 1024 * 1024;
    ScanProgress progress;
    progress.start(1002, 1000 * small + 2 * large, 0);
    QCOMPARE(progress.fraction(), 0.0);
    // A thousand small files done out of a thousand and two: by count 99.8 %,
    // by what is left to read hardly begun.
    progress.addCompared(1000, 1000 * small);
    QVERIFY(progress.fraction() > 0.0);
    QVERIFY2(progress.fraction() < 0.05, qPrintable(QString::number(progress.fraction())));
    progress.addCompared(1, large);
    QVERIFY(progress.fraction() > 0.45 && progress.fraction() < 0.55);
    progress.addCompared(1, large);
    QCOMPARE(progress.fraction(), 1.0);
}

void TestScanProgress::similarPassSpreadsWhatIsLeft()
{
    ScanProgress progress;
    // Four images expected, each costing what a few MiB of reading does.
    progress.start(10, 10 * 1024 * 1024, 4);
    progress.addCompared(10, 10 * 1024 * 1024);
    const double afterDuplicates = progress.fraction();
    QVERIFY(afterDuplicates > 0.1 && afterDuplicates < 0.9);

    // Twenty turn up (images of the groups that had no twin): the bar does
    // not jump either way, the rest is shared among the twenty.
    progress.startSimilar(20);
    QCOMPARE(progress.fraction(), afterDuplicates);
    progress.addImages(10);
    QVERIFY(qAbs(progress.fraction() - (afterDuplicates + (1 - afterDuplicates) / 2)) < 1e-9);
    // Late reports of the duplicate pass no longer count.
    progress.addCompared(10, 10 * 1024 * 1024);
    QVERIFY(qAbs(progress.fraction() - (afterDuplicates + (1 - afterDuplicates) / 2)) < 1e-9);
    progress.addImages(10);
    QCOMPARE(progress.fraction(), 1.0);
}

void TestScanProgress::wrongEstimatesNeverMoveTheBarBack()
{
    ScanProgress progress;
    progress.start(2, 2000, 3);
    // Files grew between the walk and the comparison: the duplicate pass
    // never takes the images' share.
    progress.addCompared(2, 1000000000);
    const double duplicates = progress.fraction();
    QVERIFY(duplicates < 1.0);
    // Fewer images than expected, and more reported than there are.
    progress.startSimilar(1);
    QCOMPARE(progress.fraction(), duplicates);
    progress.addImages(5);
    QCOMPARE(progress.fraction(), 1.0);
    progress.addImages(1);
    QCOMPARE(progress.fraction(), 1.0);

    // Nothing to compare at all: the bar fills only at the end.
    ScanProgress empty;
    empty.start(0, 0, 0);
    empty.addCompared(0, 0);
    empty.startSimilar(0);
    empty.addImages(0);
    QCOMPARE(empty.fraction(), 0.0);
    empty.finish();
    QCOMPARE(empty.fraction(), 1.0);
}

QTEST_GUILESS_MAIN(TestScanProgress)
#include "tst_scanprogress.moc"
