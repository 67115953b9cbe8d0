#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include <QtTest>

#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include "platform/applocations.h"
#include "preferences/twpreferences.h"
#include "tests/support/fifo.h"
#include "tests/support/temptree.h"

namespace {

// The file is built here byte by byte, independently of QDataStream, so a
// change of stream settings in the store shows up as a difference.
QByteArray be32(quint32 value)
{
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char((value >> shift) & 0xFF));
    return bytes;
}

QByteArray be64(quint64 value)
{
    return be32(quint32(value >> 32)) + be32(quint32(value & 0xFFFFFFFFu));
}

QByteArray beDouble(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return be64(bits);
}

QByteArray nullString()
{
    return be32(0xFFFFFFFFu);
}

QByteArray utf16String(const QString &text)
{
    QByteArray bytes = be32(quint32(text.size() * 2));
    for (const QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return bytes;
}

QByteArray boolByte(bool value)
{
    return QByteArray(1, value ? '\x01' : '\x00');
}

struct GeneralBytes {
    quint32 magic = 0x00FF00FF;
    qint32 scanMethod = 0;
    qint32 removalMethod = 0;
    double imageSimilarity = 0.75;
    qint64 minimum = 0;
    qint64 maximum = 100000;
    QByteArray spare1 = nullString();
    QByteArray spare2 = nullString();
    QByteArray moveTo = utf16String(QString());
    double featureSimilarity = double(0.45f);

    QByteArray bytes() const
    {
        return be32(magic) + be32(quint32(scanMethod)) + be32(quint32(removalMethod))
            + beDouble(imageSimilarity) + be64(quint64(minimum)) + be64(quint64(maximum)) + spare1
            + spare2 + moveTo + beDouble(featureSimilarity);
    }
};

QByteArray ignoreBytes(bool spare, bool hidden, const QStringList &extensions,
    const QStringList &paths, quint32 magic = 0x00FFFF00)
{
    QByteArray bytes = be32(magic) + boolByte(spare) + boolByte(hidden);
    bytes += be32(quint32(extensions.size()));
    for (const QString &e : extensions)
        bytes += utf16String(e);
    bytes += be32(quint32(paths.size()));
    for (const QString &p : paths)
        bytes += utf16String(p);
    return bytes;
}

// `pairs` in stream order (greatest key first).
QByteArray selectionBytes(qint32 duplicateRule, qint32 similarRule,
    const QVector<QPair<QString, qint32>> &pairs, quint32 magic = 0xFF00FF00)
{
    QByteArray bytes = be32(magic) + be32(quint32(duplicateRule)) + be32(quint32(similarRule));
    bytes += be32(quint32(pairs.size()));
    for (const auto &pair : pairs)
        bytes += utf16String(pair.first) + be32(quint32(pair.second));
    return bytes;
}

QByteArray defaultFileBytes()
{
    return GeneralBytes().bytes() + ignoreBytes(false, true, {}, {}) + selectionBytes(2, 2, {});
}

// A file in which every field, spare ones included, differs from its default.
GeneralBytes customGeneral()
{
    GeneralBytes general;
    general.scanMethod = 1;
    general.removalMethod = 2;
    general.imageSimilarity = double(0.83f);
    general.minimum = 12;
    general.maximum = 4096;
    general.spare1 = utf16String(QStringLiteral("first spare"));
    general.spare2 = utf16String(QStringLiteral("zweite Ersatz\u00e9"));
    general.moveTo = utf16String(QStringLiteral("/srv/removed"));
    general.featureSimilarity = double(0.31f);
    return general;
}

QByteArray customIgnore()
{
    return ignoreBytes(true, false, { QStringLiteral("tmp"), QStringLiteral("bak") },
        { QStringLiteral("/home/u/cache"), QStringLiteral("/home/u/cache"),
            QStringLiteral("/mnt/\u30c7\u30fc\u30bf") });
}

QByteArray customSelection()
{
    return selectionBytes(3, 6,
        { { QStringLiteral("/z/last"), 9 }, { QStringLiteral("/m/middle"), 4 },
            { QStringLiteral("/a/first"), 1 } });
}

QByteArray customFileBytes()
{
    return customGeneral().bytes() + customIgnore() + customSelection();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray storeBytes(const TwPreferences &store)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    TwPreferences::prepareStream(out);
    store.write(out);
    return bytes;
}

void loadBytes(TwPreferences &store, const QByteArray &bytes)
{
    QDataStream in(bytes);
    TwPreferences::prepareStream(in);
    store.read(in);
}

bool isDefaultGeneral(const TwGenernalPreferences &g)
{
    return g.scanMethod() == TwGenernalPreferences::ScanByFileContent
        && g.removalMethod() == TwGenernalPreferences::MoveToTrash && g.imageSimilarity() == 0.75f
        && g.featureSimilarity() == 0.45f && g.maximumFileSize() == 100000
        && g.minimumFileSize() == 0 && g.moveToFolderPath().isEmpty();
}

bool isDefaultIgnore(const TwIgnoreListPreferences &i)
{
    return i.ignorePaths().isEmpty() && i.ignoreExtensions().isEmpty() && i.ignoreSystemHidden();
}

bool isDefaultSelection(const TwSelectionPreferences &s)
{
    return s.duplicateRule() == 2 && s.similarRule() == 2 && s.priorities().isEmpty();
}

} // namespace

class TestTwPreferences : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void defaultFileMatchesFormatByteForByte();
    void customFileLoadsEveryField();
    void saveAndReloadKeepEveryField();
    void copyAssignmentCopiesEveryField();
    void unknownNumbersFallBackToDefaults();
    void outOfRangeValuesFallBackToDefaults_data();
    void outOfRangeValuesFallBackToDefaults();
    void loadingNeverRewritesTheFile();
    void pipeAsFileLoadsDefaults();
    void wrongMagicKeepsDefaults();
    void truncatedFileKeepsDefaultsOfIncompleteSections();
    void randomBytesNeverCrash();
    void hugeCountsDoNotExhaustMemory();
    void saveReplacesWholeFileAndReportsFailure();

    void maximumFileSizeIsClamped_data();
    void maximumFileSizeIsClamped();
    void storedMaximumIsClampedOnLoad();

    void extensionsText_data();
    void extensionsText();
    void ignorePathEditing();

    void priorityNumbers();
    void priorityForPath();

    void sharedInstanceLoadsOnceAndKeepsGroups();
    void sharedInstanceFromManyThreads();
    void fallsBackToConfigFolderWhenAppFolderIsReadOnly();
};

void TestTwPreferences::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestTwPreferences::cleanup()
{
    TwPreferences::destroyInstance();
    TwPreferences::setFilePath(QString());
    AppLocations::setApplicationFolderOverride(QString());
}

void TestTwPreferences::defaultFileMatchesFormatByteForByte()
{
    TempTree tree;
    const QString path = tree.path(QStringLiteral("preferences.cfg"));
    TwPreferences store(path);
    QVERIFY(store.save());
    const QByteArray expected = defaultFileBytes();
    QCOMPARE(readAll(path).toHex(), expected.toHex());
    // The feature default is the float 0x3EE66666 widened, not the double 0.45.
    QVERIFY(expected.contains(QByteArray::fromHex("3FDCCCCCC0000000")));
}

void TestTwPreferences::customFileLoadsEveryField()
{
    TempTree tree;
    const QString path = tree.writeFile(QStringLiteral("preferences.cfg"), customFileBytes());
    TwPreferences store;
    QVERIFY(store.load(path));

    const TwGenernalPreferences &g = *store.general();
    QCOMPARE(g.scanMethod(), TwGenernalPreferences::ScanByFileName);
    QCOMPARE(g.removalMethod(), TwGenernalPreferences::MoveToFolder);
    QCOMPARE(g.imageSimilarity(), 0.83f);
    QCOMPARE(g.featureSimilarity(), 0.31f);
    QCOMPARE(g.minimumFileSize(), qint64(12));
    QCOMPARE(g.maximumFileSize(), qint64(4096));
    QCOMPARE(g.minimumFileSizeBytes(), qint64(12 * 1024));
    QCOMPARE(g.maximumFileSizeBytes(), qint64(4096) * 1024 * 1024);
    QCOMPARE(g.moveToFolderPath(), QStringLiteral("/srv/removed"));

    const TwIgnoreListPreferences &i = *store.ignoreList();
    QCOMPARE(i.ignoreSystemHidden(), false);
    QCOMPARE(i.ignoreExtensions(), (QVector<QString> { "tmp", "bak" }));
    QCOMPARE(i.ignorePathCount(), 3);
    QCOMPARE(i.ignorePathAt(1), QStringLiteral("/home/u/cache"));
    QCOMPARE(i.ignorePathAt(2), QStringLiteral("/mnt/\u30c7\u30fc\u30bf"));

    const TwSelectionPreferences &s = *store.selection();
    QCOMPARE(s.duplicateRule(), int(TwSelectionPreferences::SelectByPriority));
    QCOMPARE(s.similarRule(), int(TwSelectionPreferences::SelectHighQuality));
    QCOMPARE(s.priorityFolders(), (QStringList { "/a/first", "/m/middle", "/z/last" }));
    QCOMPARE(s.priorityOf(QStringLiteral("/m/middle")), 4);
}

void TestTwPreferences::saveAndReloadKeepEveryField()
{
    TempTree tree;
    const QString source = tree.writeFile(QStringLiteral("in.cfg"), customFileBytes());
    const QString target = tree.path(QStringLiteral("out.cfg"));

    // Spare texts and the spare flag have no setters: they survive only if
    // loading and saving carry them along.
    TwPreferences store(target);
    QVERIFY(store.load(source));
    QVERIFY(store.save());
    QCOMPARE(readAll(target).toHex(), customFileBytes().toHex());

    // Values set through the accessors come back from a fresh store.
    store.general()->setScanMethod(TwGenernalPreferences::ScanByFileContent);
    store.general()->setRemovalMethod(TwGenernalPreferences::RemovePermanently);
    store.general()->setImageSimilarity(1.0f);
    store.general()->setFeatureSimilarity(0.2f);
    store.general()->setMinimumFileSize(10000000);
    store.general()->setMaximumFileSize(1);
    store.general()->setMoveToFolderPath(QString());
    store.ignoreList()->setIgnoreSystemHidden(true);
    store.ignoreList()->setExtensionsText(QStringLiteral("iso"), QLatin1Char(','));
    store.ignoreList()->addIgnorePath(QStringLiteral("/x"));
    store.selection()->setDuplicateRule(0);
    store.selection()->setSimilarRule(7);
    store.selection()->setPriority(QStringLiteral("/b"), -3);
    QVERIFY(store.save());

    TwPreferences reloaded;
    QVERIFY(reloaded.load(target));
    QCOMPARE(storeBytes(reloaded), storeBytes(store));
    QCOMPARE(reloaded.general()->removalMethod(), TwGenernalPreferences::RemovePermanently);
    QCOMPARE(reloaded.general()->featureSimilarity(), 0.2f);
    QCOMPARE(reloaded.general()->minimumFileSize(), qint64(10000000));
    QCOMPARE(reloaded.general()->maximumFileSize(), qint64(1));
    QCOMPARE(reloaded.ignoreList()->ignorePathCount(), 4);
    QCOMPARE(reloaded.selection()->similarRule(), 7);
    QCOMPARE(reloaded.selection()->priorityOf(QStringLiteral("/b")), -3);
    // The spare texts were still written after the accessor changes.
    QVERIFY(readAll(target).contains(utf16String(QStringLiteral("first spare"))));
}

void TestTwPreferences::copyAssignmentCopiesEveryField()
{
    TwPreferences loaded;
    loadBytes(loaded, customFileBytes());

    TwPreferences store;
    TwGenernalPreferences *general = store.general();
    TwIgnoreListPreferences *ignoreList = store.ignoreList();
    TwSelectionPreferences *selection = store.selection();
    general->setObjectName(QStringLiteral("kept"));

    store.setGeneral(*loaded.general());
    store.setIgnoreList(*loaded.ignoreList());
    store.setSelection(*loaded.selection());
    QCOMPARE(storeBytes(store).toHex(), customFileBytes().toHex());
    // Same objects as before: pointers handed out earlier stay valid.
    QCOMPARE(store.general(), general);
    QCOMPARE(store.ignoreList(), ignoreList);
    QCOMPARE(store.selection(), selection);
    QCOMPARE(general->objectName(), QStringLiteral("kept"));

    // A copy is independent of its source.
    TwSelectionPreferences copy;
    copy = *loaded.selection();
    copy.setPriority(QStringLiteral("/new"), 50);
    QCOMPARE(loaded.selection()->priorityOf(QStringLiteral("/new")), -1);
}

void TestTwPreferences::unknownNumbersFallBackToDefaults()
{
    // A method or rule that names nothing would make Delete, or the automatic
    // selection, silently do nothing: each takes its default, with a log line.
    GeneralBytes general = customGeneral();
    general.scanMethod = 5;
    general.removalMethod = -3;
    const QByteArray bytes = general.bytes() + customIgnore() + selectionBytes(9, -1, {});
    for (const char *field : { "scanMethod", "removalMethod", "duplicateRule", "similarRule" })
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QLatin1String(field)));
    TwPreferences store;
    loadBytes(store, bytes);
    QCOMPARE(store.general()->scanMethod(), TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(store.general()->removalMethod(), TwGenernalPreferences::MoveToTrash);
    QCOMPARE(store.selection()->duplicateRule(), int(TwSelectionPreferences::SelectByFileName));
    QCOMPARE(store.selection()->similarRule(), int(TwSelectionPreferences::SelectByFileName));
    // Only the bad fields: the rest of each section is kept.
    QCOMPARE(store.general()->imageSimilarity(), 0.83f);
    QCOMPARE(store.general()->moveToFolderPath(), QStringLiteral("/srv/removed"));
    QCOMPARE(store.ignoreList()->ignorePathCount(), 3);

    // The highest known numbers are still numbers that name something.
    TwPreferences highest;
    loadBytes(highest,
        customFileBytes().left(customGeneral().bytes().size()) + customIgnore()
            + selectionBytes(3, 7, {}));
    QCOMPARE(highest.general()->removalMethod(), TwGenernalPreferences::MoveToFolder);
    QCOMPARE(highest.selection()->duplicateRule(), 3);
    QCOMPARE(highest.selection()->similarRule(), 7);
}

void TestTwPreferences::outOfRangeValuesFallBackToDefaults_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("stored");
    QTest::addColumn<bool>("kept");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();

    QTest::newRow("image NaN") << "imageSimilarity" << nan << false;
    QTest::newRow("image infinite") << "imageSimilarity" << -infinity << false;
    QTest::newRow("image beyond float") << "imageSimilarity" << 1e300 << false;
    QTest::newRow("image above 1") << "imageSimilarity" << 1.01 << false;
    QTest::newRow("image below 0") << "imageSimilarity" << -0.01 << false;
    QTest::newRow("image 0") << "imageSimilarity" << 0.0 << true;
    QTest::newRow("image 1") << "imageSimilarity" << 1.0 << true;
    QTest::newRow("feature NaN") << "featureSimilarity" << nan << false;
    QTest::newRow("feature 0.10") << "featureSimilarity" << double(0.10f) << false;
    QTest::newRow("feature 0.61") << "featureSimilarity" << double(0.61f) << false;
    QTest::newRow("feature 0.20") << "featureSimilarity" << double(0.20f) << true;
    QTest::newRow("feature 0.60 as double") << "featureSimilarity" << 0.6 << true;
    QTest::newRow("minimum negative") << "minimumFileSize" << -1.0 << false;
    QTest::newRow("minimum above spin box") << "minimumFileSize" << 10000001.0 << false;
    QTest::newRow("minimum at spin box top") << "minimumFileSize" << 10000000.0 << true;
    // Zero lets no file through; above the limit is clamped as by the setter.
    QTest::newRow("maximum zero") << "maximumFileSize" << 0.0 << false;
    QTest::newRow("maximum one") << "maximumFileSize" << 1.0 << true;
}

void TestTwPreferences::outOfRangeValuesFallBackToDefaults()
{
    QFETCH(QString, field);
    QFETCH(double, stored);
    QFETCH(bool, kept);

    GeneralBytes general = customGeneral();
    if (field == QLatin1String("imageSimilarity"))
        general.imageSimilarity = stored;
    else if (field == QLatin1String("featureSimilarity"))
        general.featureSimilarity = stored;
    else if (field == QLatin1String("minimumFileSize"))
        general.minimum = qint64(stored);
    else
        general.maximum = qint64(stored);
    if (!kept)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(field + QStringLiteral(".*default")));
    TwPreferences store;
    loadBytes(store, general.bytes());

    const auto valueOf = [&field](const TwGenernalPreferences &g) {
        if (field == QLatin1String("imageSimilarity"))
            return double(g.imageSimilarity());
        if (field == QLatin1String("featureSimilarity"))
            return double(g.featureSimilarity());
        if (field == QLatin1String("minimumFileSize"))
            return double(g.minimumFileSize());
        return double(g.maximumFileSize());
    };
    const TwGenernalPreferences &g = *store.general();
    // Every stored value of the table is exact as a float.
    QCOMPARE(valueOf(g), kept ? double(float(stored)) : valueOf(TwGenernalPreferences()));
    // The other fields of the section stay as stored.
    QCOMPARE(g.moveToFolderPath(), QStringLiteral("/srv/removed"));
    QCOMPARE(g.removalMethod(), TwGenernalPreferences::MoveToFolder);
    if (field != QLatin1String("maximumFileSize"))
        QCOMPARE(g.maximumFileSize(), qint64(4096));
}

void TestTwPreferences::loadingNeverRewritesTheFile()
{
    // Bad values are replaced in memory only; the file changes when the user
    // confirms the dialog.
    GeneralBytes general = customGeneral();
    general.imageSimilarity = std::numeric_limits<double>::quiet_NaN();
    general.removalMethod = 7;
    const QByteArray bytes = general.bytes() + customIgnore() + selectionBytes(-2, 8, {});
    TempTree tree;
    const QString path = tree.writeFile(QStringLiteral("preferences.cfg"), bytes);
    const QDateTime modified = QFileInfo(path).lastModified();
    TwPreferences::setFilePath(path);

    TwPreferences *store = TwPreferences::instance();
    QCOMPARE(store->general()->imageSimilarity(), 0.75f);
    QCOMPARE(store->selection()->similarRule(), 2);
    TwPreferences::destroyInstance();
    QCOMPARE(readAll(path).toHex(), bytes.toHex());
    QCOMPARE(QFileInfo(path).lastModified(), modified);
}

void TestTwPreferences::pipeAsFileLoadsDefaults()
{
    TempTree tree;
    const QString path = tree.path(QStringLiteral("preferences.cfg"));
    QVERIFY(Fifo::make(path));
    TwPreferences::setFilePath(path);

    // The start reads this file first: a plain open would wait for a writer.
    TwPreferences *store = nullptr;
    QVERIFY(Fifo::finishesWithin(
        std::chrono::seconds(5), { path }, [&store] { store = TwPreferences::instance(); }));
    QVERIFY(isDefaultGeneral(*store->general()));
    QVERIFY(isDefaultIgnore(*store->ignoreList()));
    QVERIFY(isDefaultSelection(*store->selection()));
}

void TestTwPreferences::wrongMagicKeepsDefaults()
{
    // A whole general section under a wrong magic: the ignore list then reads
    // its magic from the scan method field and keeps its defaults, and so on.
    {
        GeneralBytes general = customGeneral();
        general.magic = 0x00FF00FE;
        TwPreferences store;
        loadBytes(store, general.bytes() + customIgnore() + customSelection());
        QVERIFY(isDefaultGeneral(*store.general()));
        QVERIFY(isDefaultIgnore(*store.ignoreList()));
    }
    // Reading goes on right after the wrong magic, so sections that follow it
    // directly are still read.
    {
        TwPreferences store;
        loadBytes(store, be32(0x12345678) + customIgnore() + customSelection());
        QVERIFY(isDefaultGeneral(*store.general()));
        QCOMPARE(store.ignoreList()->ignorePathCount(), 3);
        QCOMPARE(store.selection()->duplicateRule(), 3);
    }
    // A wrong selection magic only affects the selection.
    {
        TwPreferences store;
        loadBytes(
            store, customGeneral().bytes() + customIgnore() + selectionBytes(0, 5, {}, 0xFF00FF01));
        QCOMPARE(store.general()->maximumFileSize(), qint64(4096));
        QCOMPARE(store.ignoreList()->ignoreSystemHidden(), false);
        QVERIFY(isDefaultSelection(*store.selection()));
    }
    // Foreign content.
    {
        TempTree tree;
        const QString path = tree.writeFile(QStringLiteral("p.cfg"), "<?xml version=\"1.0\"?>");
        TwPreferences store;
        QVERIFY(!store.load(path));
        QVERIFY(isDefaultGeneral(*store.general()));
        QVERIFY(isDefaultIgnore(*store.ignoreList()));
        QVERIFY(isDefaultSelection(*store.selection()));
    }
}

void TestTwPreferences::truncatedFileKeepsDefaultsOfIncompleteSections()
{
    const QByteArray general = customGeneral().bytes();
    const QByteArray ignore = customIgnore();
    const QByteArray full = customFileBytes();
    TempTree tree;
    const QString path = tree.path(QStringLiteral("preferences.cfg"));

    for (int length = 0; length <= full.size(); ++length) {
        QVERIFY(writeAll(path, full.left(length)));
        TwPreferences store;
        // Starting from non-default values proves that load() resets first.
        store.general()->setMaximumFileSize(7);
        const bool complete = store.load(path);
        QCOMPARE(complete, length == full.size());

        const bool hasGeneral = length >= general.size();
        const bool hasIgnore = length >= general.size() + ignore.size();
        const bool hasSelection = length == full.size();
        if (hasGeneral) {
            QCOMPARE(store.general()->maximumFileSize(), qint64(4096));
            QCOMPARE(store.general()->featureSimilarity(), 0.31f);
        } else {
            // Never zero sizes or thresholds from a short read.
            QVERIFY2(isDefaultGeneral(*store.general()), qPrintable(QString::number(length)));
        }
        if (hasIgnore)
            QCOMPARE(store.ignoreList()->ignorePathCount(), 3);
        else
            QVERIFY2(isDefaultIgnore(*store.ignoreList()), qPrintable(QString::number(length)));
        if (hasSelection)
            QCOMPARE(store.selection()->priorities().size(), 3);
        else
            QVERIFY2(isDefaultSelection(*store.selection()), qPrintable(QString::number(length)));
    }
}

void TestTwPreferences::randomBytesNeverCrash()
{
    // Thousands of fallback warnings are expected here and say nothing.
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QRandomGenerator random(20261208);
    const QByteArray magics[] = { be32(0x00FF00FF), be32(0x00FFFF00), be32(0xFF00FF00) };
    const QByteArray full = customFileBytes();
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int mode = round % 3;
        if (mode == 1) {
            // Valid magics make the reader go deep into the sections.
            bytes = magics[random.bounded(3)];
        } else if (mode == 2) {
            // A real file with a few bytes flipped.
            bytes = full;
            for (int flips = random.bounded(1, 6); flips > 0; --flips)
                bytes[random.bounded(bytes.size())] = char(random.bounded(256));
        }
        if (mode != 2) {
            const int length = random.bounded(300);
            for (int i = 0; i < length; ++i)
                bytes.append(char(random.bounded(256)));
        }
        TwPreferences store;
        loadBytes(store, bytes);
        const qint64 maximum = store.general()->maximumFileSize();
        QVERIFY(maximum >= 0 && maximum <= 100000);
    }
    qInstallMessageHandler(previous);
}

void TestTwPreferences::hugeCountsDoNotExhaustMemory()
{
    // Counts near 2^32 with almost no data behind them.
    TwPreferences store;
    loadBytes(store,
        customGeneral().bytes() + be32(0x00FFFF00) + boolByte(true) + boolByte(false)
            + be32(0xFFFFFFF0u) + utf16String(QStringLiteral("iso")));
    QCOMPARE(store.general()->maximumFileSize(), qint64(4096));
    QVERIFY(isDefaultIgnore(*store.ignoreList()));

    TwPreferences second;
    loadBytes(second,
        defaultFileBytes().left(defaultFileBytes().size() - 4) + be32(0x7FFFFFFF)
            + utf16String(QStringLiteral("/a")) + be32(1));
    QVERIFY(isDefaultSelection(*second.selection()));

    // A string whose byte length is huge and odd.
    GeneralBytes general;
    general.spare1 = be32(0xFFFFFFFDu);
    TwPreferences third;
    loadBytes(third, general.bytes());
    QVERIFY(isDefaultGeneral(*third.general()));
}

void TestTwPreferences::saveReplacesWholeFileAndReportsFailure()
{
    TempTree tree;
    const QString path = tree.path(QStringLiteral("preferences.cfg"));
    // A longer old file must not leave a tail behind the new content.
    const QByteArray old = customFileBytes() + QByteArray(500, 'x');
    QVERIFY(writeAll(path, old));
    TwPreferences store(path);
    QVERIFY(store.save());
    QCOMPARE(readAll(path).toHex(), defaultFileBytes().toHex());

    // A folder that cannot exist: a failure is reported and nothing is left.
    const QString blocker = tree.writeFile(QStringLiteral("blocker"), "file");
    TwPreferences broken(blocker + QStringLiteral("/sub/preferences.cfg"));
    QVERIFY(!broken.save());
    QCOMPARE(readAll(blocker), QByteArray("file"));

    // The target is a folder: the old content is untouched.
    QVERIFY(tree.makeDir(QStringLiteral("folder.cfg")));
    TwPreferences onFolder(tree.path(QStringLiteral("folder.cfg")));
    QVERIFY(!onFolder.save());
    QVERIFY(QFileInfo(tree.path(QStringLiteral("folder.cfg"))).isDir());

    QVERIFY(!TwPreferences().save());
}

void TestTwPreferences::maximumFileSizeIsClamped_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<qint64>("stored");
    QTest::newRow("zero") << qint64(0) << qint64(0);
    QTest::newRow("one") << qint64(1) << qint64(1);
    QTest::newRow("limit") << qint64(100000) << qint64(100000);
    QTest::newRow("above") << qint64(100001) << qint64(100000);
    QTest::newRow("huge") << std::numeric_limits<qint64>::max() << qint64(100000);
    QTest::newRow("minus one") << qint64(-1) << qint64(100000);
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << qint64(100000);
}

void TestTwPreferences::maximumFileSizeIsClamped()
{
    QFETCH(qint64, value);
    QFETCH(qint64, stored);
    TwGenernalPreferences general;
    general.setMaximumFileSize(value);
    QCOMPARE(general.maximumFileSize(), stored);
}

void TestTwPreferences::storedMaximumIsClampedOnLoad()
{
    for (const qint64 value : { qint64(250000), qint64(-5), qint64(99999) }) {
        GeneralBytes general;
        general.maximum = value;
        TwPreferences store;
        loadBytes(store, general.bytes());
        QCOMPARE(store.general()->maximumFileSize(), value == 99999 ? value : qint64(100000));
    }
}

void TestTwPreferences::extensionsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("joined");
    QTest::newRow("hint with empty part and trailing blank")
        << "txt, avi,, dll " << QStringList { "txt", "avi", "dll" } << "txt,avi,dll";
    QTest::newRow("blank-only part")
        << "txt, ,avi" << QStringList { "txt", "", "avi" } << "txt,,avi";
    QTest::newRow("blanks inside") << " m p 3 " << QStringList { "mp3" } << "mp3";
    QTest::newRow("other white space stays")
        << "a\t,b\nc" << QStringList { "a\t", "b\nc" } << "a\t,b\nc";
    QTest::newRow("only separators") << ",,," << QStringList {} << "";
    QTest::newRow("empty") << "" << QStringList {} << "";
    QTest::newRow("dots kept") << ".tar.gz" << QStringList { ".tar.gz" } << ".tar.gz";
}

void TestTwPreferences::extensionsText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, stored);
    QFETCH(QString, joined);
    TwIgnoreListPreferences ignore;
    ignore.setExtensionsText(QStringLiteral("old"), QLatin1Char(','));
    ignore.setExtensionsText(text, QLatin1Char(','));
    QCOMPARE(ignore.ignoreExtensions(), stored.toVector());
    QCOMPARE(ignore.extensionsText(QLatin1Char(',')), joined);
}

void TestTwPreferences::ignorePathEditing()
{
    TwIgnoreListPreferences ignore;
    ignore.addIgnorePath(QStringLiteral("/a"));
    ignore.addIgnorePaths({ QStringLiteral("/b"), QStringLiteral("/a"), QStringLiteral("/c") });
    QCOMPARE(ignore.ignorePaths(), (QVector<QString> { "/a", "/b", "/a", "/c" }));
    ignore.removeIgnorePathAt(2);
    ignore.removeIgnorePathAt(-1);
    ignore.removeIgnorePathAt(3);
    QCOMPARE(ignore.ignorePaths(), (QVector<QString> { "/a", "/b", "/c" }));
    QCOMPARE(ignore.ignorePathAt(9), QString());
    ignore.clearIgnorePaths();
    QCOMPARE(ignore.ignorePathCount(), 0);
}

void TestTwPreferences::priorityNumbers()
{
    TwSelectionPreferences selection;
    QCOMPARE(selection.nextPriority(), 1);
    QCOMPARE(selection.priorityOf(QStringLiteral("/x")), -1);
    QVERIFY(!selection.isPriorityUsed(0));

    selection.setPriority(QStringLiteral("/a"), 3);
    selection.setPriority(QStringLiteral("/b"), 7);
    QCOMPARE(selection.nextPriority(), 8);
    QVERIFY(selection.isPriorityUsed(7));
    QVERIFY(!selection.isPriorityUsed(5));

    // Removing the top folder frees its number for the next one.
    selection.removePriorityFolder(QStringLiteral("/b"));
    QCOMPARE(selection.nextPriority(), 4);

    // Only zero or negative numbers in use: the first free one is still 1.
    TwSelectionPreferences nonPositive;
    nonPositive.setPriority(QStringLiteral("/n"), -4);
    nonPositive.setPriority(QStringLiteral("/z"), 0);
    QCOMPARE(nonPositive.nextPriority(), 1);

    selection.setPriority(QStringLiteral("/a"), 12);
    QCOMPARE(selection.priorityOf(QStringLiteral("/a")), 12);
    QVERIFY(!selection.isPriorityUsed(3));
    // Keys are exact strings.
    QCOMPARE(selection.priorityOf(QStringLiteral("/a/")), -1);
}

void TestTwPreferences::priorityForPath()
{
    TempTree tree;
    QVERIFY(tree.makeDir(QStringLiteral("top/middle/leaf")));
    QVERIFY(tree.makeDir(QStringLiteral("other")));
    const QString file = tree.writeFile(QStringLiteral("top/middle/leaf/photo.jpg"), "jpg");
    const QString top = QDir::cleanPath(tree.path(QStringLiteral("top")));
    const QString leaf = QDir::cleanPath(tree.path(QStringLiteral("top/middle/leaf")));

    TwSelectionPreferences selection;
    QCOMPARE(selection.priorityForPath(leaf), -1);
    selection.setPriority(top, 5);
    QCOMPARE(selection.priorityForPath(leaf), 5);
    QCOMPARE(selection.priorityForPath(top), 5);
    QCOMPARE(selection.priorityForPath(tree.path(QStringLiteral("other"))), -1);

    // The nearest listed folder wins over a farther one.
    selection.setPriority(QDir::cleanPath(tree.path(QStringLiteral("top/middle"))), 2);
    QCOMPARE(selection.priorityForPath(leaf), 2);

    // Paths that are not existing folders give no candidates at all.
    QCOMPARE(selection.priorityForPath(file), -1);
    QCOMPARE(selection.priorityForPath(leaf + QStringLiteral("/missing")), -1);
    QCOMPARE(selection.priorityForPath(QString()), -1);

    // The root is a candidate too.
    selection.setPriority(QStringLiteral("/"), 1);
    QCOMPARE(selection.priorityForPath(tree.path(QStringLiteral("other"))), 1);
}

void TestTwPreferences::sharedInstanceLoadsOnceAndKeepsGroups()
{
    TempTree tree;
    const QString path = tree.writeFile(QStringLiteral("preferences.cfg"), customFileBytes());
    TwPreferences::setFilePath(path);

    TwPreferences *store = TwPreferences::instance();
    QVERIFY(store);
    QCOMPARE(TwPreferences::instance(), store);
    QCOMPARE(store->filePath(), path);
    QCOMPARE(store->general()->maximumFileSize(), qint64(4096));

    // Loaded once: later file changes do not reach the running store.
    QVERIFY(writeAll(path, defaultFileBytes()));
    QCOMPARE(TwPreferences::instance()->general()->maximumFileSize(), qint64(4096));

    TwIgnoreListPreferences *ignore = store->ignoreList();
    TwIgnoreListPreferences edited;
    edited = *ignore;
    edited.addIgnorePath(QStringLiteral("/added"));
    store->setIgnoreList(edited);
    QCOMPARE(store->ignoreList(), ignore);
    QCOMPARE(ignore->ignorePathCount(), 4);
    QVERIFY(store->save());

    TwPreferences::destroyInstance();
    QCOMPARE(TwPreferences::instance()->ignoreList()->ignorePathAt(3), QStringLiteral("/added"));
}

void TestTwPreferences::sharedInstanceFromManyThreads()
{
    TempTree tree;
    TwPreferences::setFilePath(tree.path(QStringLiteral("preferences.cfg")));
    std::vector<TwPreferences *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = TwPreferences::instance(); });
    for (auto &thread : threads)
        thread.join();
    for (TwPreferences *store : seen)
        QCOMPARE(store, TwPreferences::instance());
    QVERIFY(isDefaultGeneral(*seen.front()->general()));
}

void TestTwPreferences::fallsBackToConfigFolderWhenAppFolderIsReadOnly()
{
    TempTree tree;
    const QString appFolder = tree.path(QStringLiteral("bin"));
    QVERIFY(tree.makeDir(QStringLiteral("bin")));
    AppLocations::setApplicationFolderOverride(appFolder);
    QCOMPARE(TwPreferences::defaultFilePath(), appFolder + QStringLiteral("/preferences.cfg"));

    // A folder below a plain file can never be written, even by root.
    const QString blocker = tree.writeFile(QStringLiteral("blocker"), "file");
    AppLocations::setApplicationFolderOverride(blocker + QStringLiteral("/bin"));
    const QString configFolder
        = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Orvane/Orvane Twinscan");
    QCOMPARE(TwPreferences::defaultFilePath(), configFolder + QStringLiteral("/preferences.cfg"));

    // The shared store then writes there, same name and format.
    TwPreferences *store = TwPreferences::instance();
    QCOMPARE(store->filePath(), configFolder + QStringLiteral("/preferences.cfg"));
    const QByteArray before = readAll(store->filePath());
    QVERIFY(store->save());
    QCOMPARE(readAll(store->filePath()).size(), defaultFileBytes().size());
    // Leave the test-mode folder as it was found.
    if (before.isEmpty())
        QFile::remove(store->filePath());
    else
        QVERIFY(writeAll(store->filePath(), before));
}

QTEST_GUILESS_MAIN(TestTwPreferences)
#include "tst_twpreferences.moc"
