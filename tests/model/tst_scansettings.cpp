#include <QStandardPaths>
#include <QtTest>

#include <limits>

#include "model/scansettings.h"
#include "preferences/twpreferences.h"
#include "tests/support/temptree.h"

class TestScanSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void defaultsAreThoseOfANewStore();
    void takesWhatTheScanReads();
    void sizeLimitsSaturate();
};

void TestScanSettings::defaultsAreThoseOfANewStore()
{
    const TwPreferences store;
    const ScanSettings taken = ScanSettings::fromPreferences(store);
    const ScanSettings defaults;
    QCOMPARE(defaults.ignoreSystemHidden, taken.ignoreSystemHidden);
    QCOMPARE(defaults.ignorePaths, taken.ignorePaths);
    QCOMPARE(defaults.ignoreExtensions, taken.ignoreExtensions);
    QCOMPARE(defaults.minimumBytes, taken.minimumBytes);
    QCOMPARE(defaults.maximumBytes, taken.maximumBytes);
    QCOMPARE(defaults.scanMethod, taken.scanMethod);
    QCOMPARE(defaults.imageSimilarity, taken.imageSimilarity);
    QCOMPARE(defaults.featureSimilarity, taken.featureSimilarity);
    QCOMPARE(defaults.duplicateRule, taken.duplicateRule);
    QCOMPARE(defaults.similarRule, taken.similarRule);
    QCOMPARE(defaults.priorities, taken.priorities);
}

void TestScanSettings::takesWhatTheScanReads()
{
    TempTree tree;
    QVERIFY(tree.makeDir("A/deep"));
    TwPreferences store;
    store.ignoreList()->setIgnoreSystemHidden(false);
    store.ignoreList()->setIgnorePaths({ "/x/old", "/x/tmp" });
    store.ignoreList()->setIgnoreExtensions({ " avi", "\tgz  ", "MKV" });
    store.general()->setMinimumFileSize(2);
    store.general()->setMaximumFileSize(3);
    store.general()->setScanMethod(TwGenernalPreferences::ScanByFileName);
    store.general()->setImageSimilarity(0.6f);
    store.general()->setFeatureSimilarity(0.42f);
    store.selection()->setDuplicateRule(TwSelectionPreferences::SelectByPriority);
    store.selection()->setSimilarRule(TwSelectionPreferences::SelectLowQuality);
    store.selection()->setPriority(tree.path("A"), 5);

    const ScanSettings settings = ScanSettings::fromPreferences(store);
    QVERIFY(!settings.ignoreSystemHidden);
    QCOMPARE(settings.ignorePaths, QSet<QString>({ "/x/old", "/x/tmp" }));
    // Blanks around typed entries go; letter case stays.
    QCOMPARE(settings.ignoreExtensions, QStringList({ "avi", "gz", "MKV" }));
    QCOMPARE(settings.minimumBytes, qint64(2048));
    QCOMPARE(settings.maximumBytes, qint64(3 * 1048576));
    QCOMPARE(settings.scanMethod, TwGenernalPreferences::ScanByFileName);
    // Widened from the stored floats, not rounded to the percentages.
    QCOMPARE(settings.imageSimilarity, double(0.6f));
    QCOMPARE(settings.featureSimilarity, double(0.42f));
    QCOMPARE(settings.duplicateRule, int(TwSelectionPreferences::SelectByPriority));
    QCOMPARE(settings.similarRule, int(TwSelectionPreferences::SelectLowQuality));
    QCOMPARE(settings.priorityForPath(tree.path("A/deep")), 5);
    QCOMPARE(settings.priorityForPath(tree.root()), -1);
}

void TestScanSettings::sizeLimitsSaturate()
{
    TwPreferences store;
    store.general()->setMinimumFileSize(std::numeric_limits<qint64>::max() / 16);
    QCOMPARE(ScanSettings::fromPreferences(store).minimumBytes, std::numeric_limits<qint64>::max());
    store.general()->setMinimumFileSize(std::numeric_limits<qint64>::min() / 16);
    QCOMPARE(ScanSettings::fromPreferences(store).minimumBytes, std::numeric_limits<qint64>::min());
}

QTEST_GUILESS_MAIN(TestScanSettings)
#include "tst_scansettings.moc"
