#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

#include "model/scansettings.h"
#include "preferences/twpreferences.h"
#include "tests/support/temptree.h"

class TestScanSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    }
    void defaultsAreThoseOfANewStore();
    void takesWhatTheScanReads();
    void sizeLimitsSaturate();
    void methodComesFromTheNativeStore();
    void defaultSlidersGiveTheDefaultThresholds();
    void slidersTowardsFullAreStricter();

private:
    QTemporaryDir m_settingsDir;
};

void TestScanSettings::methodComesFromTheNativeStore()
{
    const TwPreferences store;
    QCOMPARE(ScanSettings::fromPreferences(store).similarMethod, SimilarMethodSetting::Accurate);
    SimilarMethodSetting::save(SimilarMethodSetting::Classic);
    QCOMPARE(ScanSettings::fromPreferences(store).similarMethod, SimilarMethodSetting::Classic);
    // Beside the update service's address, in words a person can edit.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Orvane", "Orvane Twinscan");
    QCOMPARE(settings.value("similar_method").toString(), QStringLiteral("classic"));
    settings.setValue("similar_method", "Accurate ");
    settings.sync();
    QCOMPARE(SimilarMethodSetting::load(), SimilarMethodSetting::Accurate);
    settings.setValue("similar_method", "fastest");
    settings.sync();
    QCOMPARE(SimilarMethodSetting::load(), SimilarMethodSetting::Default);
    settings.remove("similar_method");
}

void TestScanSettings::defaultSlidersGiveTheDefaultThresholds()
{
    // The stored floats, widened as a scan reads them.
    const SimilarityThresholds mapped = ScanSettings().similarityThresholds();
    const SimilarityThresholds defaults;
    QVERIFY(mapped.enabled);
    QCOMPARE(mapped.lowDistance, defaults.lowDistance);
    QCOMPARE(mapped.bandRadius, defaults.bandRadius);
    QCOMPARE(mapped.histogram, defaults.histogram);
    QCOMPARE(mapped.orbRatio, defaults.orbRatio);
    QCOMPARE(mapped.orbMatches, defaults.orbMatches);
    QVERIFY(defaults.lowDistance < defaults.bandRadius);
}

void TestScanSettings::slidersTowardsFullAreStricter()
{
    const double feature = double(TwGenernalPreferences::DefaultFeatureSimilarity);
    SimilarityThresholds previous = SimilarityThresholds::fromSliders(0.0, feature);
    for (int percent = 1; percent < 100; ++percent) {
        const SimilarityThresholds next
            = SimilarityThresholds::fromSliders(double(float(percent) / 100.0f), feature);
        QVERIFY2(next.enabled, qPrintable(QString::number(percent)));
        QVERIFY(next.lowDistance <= previous.lowDistance);
        QVERIFY(next.bandRadius <= previous.bandRadius);
        QVERIFY(next.histogram >= previous.histogram);
        QVERIFY(next.lowDistance >= 0 && next.lowDistance <= next.bandRadius);
        // The band never reaches distances where unrelated photos are common.
        QVERIFY(next.bandRadius <= 24);
        previous = next;
    }
    QVERIFY(SimilarityThresholds::fromSliders(0.9, feature).lowDistance
        < SimilarityThresholds::fromSliders(0.75, feature).lowDistance);
    QVERIFY(!SimilarityThresholds::fromSliders(1.0, feature).enabled);

    const double image = double(TwGenernalPreferences::DefaultImageSimilarity);
    previous = SimilarityThresholds::fromSliders(image, 0.20);
    for (int percent = 21; percent <= 60; ++percent) {
        const SimilarityThresholds next
            = SimilarityThresholds::fromSliders(image, double(float(percent) / 100.0f));
        QVERIFY(next.orbMatches >= previous.orbMatches);
        QVERIFY(next.orbRatio >= previous.orbRatio);
        // The feature slider leaves the hash limits alone.
        QCOMPARE(next.lowDistance, previous.lowDistance);
        previous = next;
    }
    QVERIFY(SimilarityThresholds::fromSliders(image, 0.60).orbMatches
        > SimilarityThresholds::fromSliders(image, 0.45).orbMatches);
}

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
