#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

#include "model/scansettings.h"
#include "model/twcatalog.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "model/twphotoitem.h"
#include "model/twshared.h"
#include "preferences/twpreferences.h"
#include "tests/support/fifo.h"
#include "tests/support/temptree.h"
#include "tests/support/testdata.h"

namespace {

// A scan at the defaults of a new store.
const ScanSettings defaultSettings;

QStringList memberPaths(const TwFileItemGroup *group)
{
    QStringList paths;
    for (const TwFileItem *item : group->items())
        paths << item->filePath();
    paths.sort();
    return paths;
}

} // namespace

class TestCatalogContainer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void categoryTable();
    void extensionListsKeepTheirOddEntries();
    void catalogForFile_data();
    void catalogForFile();
    void releasedTableIsRebuilt();
    void tableIsBuiltOnceUnderConcurrentLookups();
    void containerNames();
    void nearMissesAreNeverCopies_data();
    void nearMissesAreNeverCopies();
    void windowCollisionSplitsIntoContentClasses();
    void sizesDifferButWindowsMatch();
    void manyLargeLookalikes();
    void buildGroupsCopiesAndLoneImage();
    void allDifferentFilesMakeNoGroup();
    void unreadableFilesNeverGroup();
    void pipeInPlaceOfACopyBlocksNothing();
    void samePathTwiceIsNotACopy();
    void preparedAndFiledInTwoSteps();
    void copySetsDoNotDependOnArrivalOrder();
    void groupNumbersAreNotReused();
    void countersFollowSelection();

private:
    TempTree m_tree;
};

void TestCatalogContainer::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_tree.isValid());
    TwPreferences::setFilePath(m_tree.path("preferences.cfg"));
}

void TestCatalogContainer::categoryTable()
{
    const QMap<QString, TwCatalog *> &table = TwCatalog::catalogs();
    QCOMPARE(table.keys(),
        QStringList({ "Archives", "Documents", "Images", "Musics", "Packages", "Videos" }));
    struct Expected {
        const char *key;
        const char *name;
        int type;
        QColor color;
        int entries;
    };
    const Expected expected[] = {
        { "Archives", "Archives", 16, QColor(250, 223, 98), 19 },
        { "Documents", "Documents", 1, QColor(91, 143, 230), 59 },
        { "Images", "Images", 2, QColor(241, 161, 85), 36 },
        { "Musics", "Musics", 4, QColor(236, 86, 76), 20 },
        { "Packages", "Package", 32, QColor(110, 85, 221), 2 },
        { "Videos", "Videos", 8, QColor(113, 219, 206), 27 },
    };
    for (const Expected &row : expected) {
        const TwCatalog *catalog = table.value(QString::fromLatin1(row.key));
        QVERIFY2(catalog, row.key);
        QCOMPARE(catalog->catalogKey(), QString::fromLatin1(row.key));
        QCOMPARE(catalog->catalogName(), QString::fromLatin1(row.name));
        QCOMPARE(catalog->catalogType(), row.type);
        QCOMPARE(catalog->catalogColor(), row.color);
        QCOMPARE(catalog->extensions().size(), row.entries);
    }
    QCOMPARE(TwCatalog::othersColor(), QColor(155, 155, 155));
    QCOMPARE(TwShared::categoryNames().size(), 7);
}

void TestCatalogContainer::extensionListsKeepTheirOddEntries()
{
    const QStringList documents = TwCatalog::catalogs().value("Documents")->extensions();
    QVERIFY(documents.contains(QStringLiteral("         pages")));
    QVERIFY(documents.contains(QStringLiteral(" \t\tpps")));
    QVERIFY(!documents.contains(QStringLiteral("pages")));
    const QStringList images = TwCatalog::catalogs().value("Images")->extensions();
    QVERIFY(images.contains(QStringLiteral("\t\t jif")));
    QCOMPARE(images.count(QStringLiteral("png")), 2);
}

void TestCatalogContainer::catalogForFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("category");
    QTest::newRow("jar goes to archives first") << "/a/archive.JAR"
                                                << "Archives";
    QTest::newRow("pages never matches") << "/a/report.Pages"
                                         << "Others";
    QTest::newRow("pps never matches") << "/a/show.pps"
                                       << "Others";
    QTest::newRow("jif never matches") << "/a/old.jif"
                                       << "Others";
    QTest::newRow("no dot") << "/a/README"
                            << "Others";
    QTest::newRow("dot in folder") << "/a/photos.jpg/README"
                                   << "Others";
    QTest::newRow("ppm is an image item but no category") << "/a/picture.ppm"
                                                          << "Others";
    QTest::newRow("capital JPEG") << "/a/IMG_0001.JPEG"
                                  << "Images";
    QTest::newRow("mixed case Tiff") << "/a/scan.TiFf"
                                     << "Images";
    QTest::newRow("exe") << "/a/setup.exe"
                         << "Packages";
    QTest::newRow("dll upper") << "/a/lib.DLL"
                               << "Packages";
    QTest::newRow("mp3") << "/a/song.Mp3"
                         << "Musics";
    QTest::newRow("mkv") << "/a/film.mkv"
                         << "Videos";
    QTest::newRow("swf") << "/a/anim.swf"
                         << "Videos";
    QTest::newRow("pdf") << "/a/paper.PDF"
                         << "Documents";
    QTest::newRow("last suffix decides") << "/a/backup.pdf.gz"
                                         << "Archives";
    QTest::newRow("unknown") << "/a/data.xyz"
                             << "Others";
    QTest::newRow("trailing dot") << "/a/name."
                                  << "Others";
}

void TestCatalogContainer::catalogForFile()
{
    QFETCH(QString, path);
    QFETCH(QString, category);
    const TwCatalog *catalog = TwCatalog::catalogForFile(path);
    QCOMPARE(catalog ? catalog->catalogKey() : TwShared::othersName(), category);
}

void TestCatalogContainer::releasedTableIsRebuilt()
{
    TwCatalog *before = TwCatalog::catalogForFile("x.zip");
    QVERIFY(before);
    TwCatalogContainer container(before);
    TwCatalog::releaseCatalogs();
    // The container keeps its own name and colour after the table is gone.
    QCOMPARE(container.containerName(), QStringLiteral("Archives"));
    QCOMPARE(container.containerColor(), QColor(250, 223, 98));
    TwCatalog *after = TwCatalog::catalogForFile("x.zip");
    QVERIFY(after);
    QCOMPARE(after->catalogKey(), QStringLiteral("Archives"));
    QCOMPARE(TwCatalog::catalogs().size(), 6);
}

void TestCatalogContainer::tableIsBuiltOnceUnderConcurrentLookups()
{
    TwCatalog::releaseCatalogs();
    constexpr int Threads = 4;
    std::atomic_int ready { 0 };
    std::vector<TwCatalog *> seen(Threads, nullptr);
    std::vector<char> mismatch(Threads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t]() {
            ++ready;
            while (ready.load() < Threads) { }
            for (int i = 0; i < 2000; ++i) {
                TwCatalog *catalog = TwCatalog::catalogForFile(QStringLiteral("/x/f%1.ZIP").arg(i));
                if (!seen[t])
                    seen[t] = catalog;
                else if (seen[t] != catalog)
                    mismatch[t] = 1;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int t = 0; t < Threads; ++t) {
        QVERIFY(seen[t]);
        QVERIFY(!mismatch[t]);
        QCOMPARE(seen[t], seen.front());
    }
    QCOMPARE(seen.front(), TwCatalog::catalogs().value("Archives"));
}

void TestCatalogContainer::containerNames()
{
    TwCatalogContainer packages(TwCatalog::catalogForFile("setup.exe"));
    QCOMPARE(packages.containerName(), QStringLiteral("Packages"));
    TwCatalogContainer others(nullptr);
    QCOMPARE(others.containerName(), QStringLiteral("Others"));
    QCOMPARE(others.containerColor(), QColor(155, 155, 155));
    QVERIFY(others.countsDirty());

    const QByteArray content = patterned(4000, 7);
    const QString a = m_tree.writeFile("names/a.exe", content);
    const QString b = m_tree.writeFile("names/b.exe", content);
    const QString c = m_tree.writeFile("names/c.exe", patterned(4000, 8));
    const QString d = m_tree.writeFile("names/d.exe", patterned(4000, 8));
    int count = 0;
    qint64 bytes = 0;
    QVERIFY(packages.buildDuplicateGroups({ a, b, c, d }, defaultSettings, count, bytes).isEmpty());
    QCOMPARE(count, 2);
    QCOMPARE(bytes, qint64(8000));
    QCOMPARE(packages.groups().size(), 2);
    QCOMPARE(packages.groups().at(0)->groupName(), QStringLiteral("Packages_1"));
    QCOMPARE(packages.groups().at(1)->groupName(), QStringLiteral("Packages_2"));
}

void TestCatalogContainer::nearMissesAreNeverCopies_data()
{
    // Offsets outside the three windows of the size; sizes on both sides of
    // the limit under which files are compared from memory.
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("offsets");
    QTest::newRow("10 KB") << 10000 << QList<int>({ 1024, 2000, 4487, 5512, 8975 });
    QTest::newRow("200 KB") << 200000 << QList<int>({ 1024, 50000, 99487, 100512, 198975 });
    QTest::newRow("3 MB") << 3000000 << QList<int>({ 5000, 1499487, 1500512, 2998975 });
}

void TestCatalogContainer::nearMissesAreNeverCopies()
{
    QFETCH(int, size);
    QFETCH(QList<int>, offsets);
    const QString folder = QStringLiteral("nearmiss%1/").arg(size);
    const QByteArray original = patterned(size, size);
    QStringList paths;
    paths << m_tree.writeFile(folder + "original.bin", original);
    for (int offset : offsets)
        paths << m_tree.writeFile(
            folder + QStringLiteral("miss%1.bin").arg(offset), flipped(original, offset));
    for (const QString &path : paths) {
        QVERIFY(!path.isEmpty());
        // They all look alike to the cheap fingerprint...
        QCOMPARE(TwFileItem::fileFingerprint(path), TwFileItem::fileFingerprint(paths.first()));
    }

    // ...but no two of them are filed together.
    TwCatalogContainer container(nullptr);
    int count = -1;
    qint64 bytes = -1;
    container.buildDuplicateGroups(paths, defaultSettings, count, bytes);
    QCOMPARE(count, 0);
    QCOMPARE(bytes, qint64(0));
    QVERIFY(container.groups().isEmpty());

    // A true copy of the original is still found, and only it.
    const QString copy = m_tree.writeFile(folder + "copy.bin", original);
    container.buildDuplicateGroups(paths + QStringList(copy), defaultSettings, count, bytes);
    QCOMPARE(count, 1);
    QCOMPARE(bytes, qint64(size));
    QCOMPARE(container.groups().size(), 1);
    QCOMPARE(memberPaths(container.groups().first()), QStringList({ copy, paths.first() }));
}

void TestCatalogContainer::windowCollisionSplitsIntoContentClasses()
{
    // Two contents that share a fingerprint, each present twice: two groups,
    // each holding only true copies, under different keys.
    const QByteArray first = patterned(70000, 11);
    const QByteArray second = flipped(first, 30000);
    const QString a1 = m_tree.writeFile("classes/a1.bin", first);
    const QString b1 = m_tree.writeFile("classes/b1.bin", second);
    const QString a2 = m_tree.writeFile("classes/a2.bin", first);
    const QString b2 = m_tree.writeFile("classes/b2.bin", second);
    const QString lone = m_tree.writeFile("classes/c.bin", flipped(first, 40000));

    TwCatalogContainer container(nullptr);
    int count = 0;
    qint64 bytes = 0;
    container.buildDuplicateGroups({ a1, b1, lone, a2, b2 }, defaultSettings, count, bytes);
    QCOMPARE(count, 2);
    QCOMPARE(bytes, qint64(140000));
    QCOMPARE(container.groups().size(), 2);
    QStringList groups;
    for (const TwFileItemGroup *group : container.groups()) {
        QCOMPARE(group->allItemCount(), 2);
        QCOMPARE(group->keyCount(), 1);
        // Every item is filed under its own key.
        const auto &byKey = group->itemsByKey();
        for (auto it = byKey.cbegin(); it != byKey.cend(); ++it) {
            for (const TwFileItem *item : it.value())
                QCOMPARE(item->matchKey(), it.key());
        }
        groups << memberPaths(group).join(QLatin1Char('+'));
    }
    groups.sort();
    QCOMPARE(groups, QStringList({ a1 + "+" + a2, b1 + "+" + b2 }));
    QVERIFY(container.groups().at(0)->firstItem()->matchKey()
        != container.groups().at(1)->firstItem()->matchKey());
}

void TestCatalogContainer::sizesDifferButWindowsMatch()
{
    // Same windows, different sizes: equal fingerprints, different files.
    const QByteArray start = patterned(1024, 12);
    const QByteArray middle = patterned(1024, 13);
    const QByteArray end = patterned(1024, 14);
    auto build = [&](int size) {
        const int middleAt = size / 2 - 512;
        return start + QByteArray(middleAt - 1024, 'a') + middle
            + QByteArray(size - 1024 - middleAt - 1024, 'b') + end;
    };
    const QString a = m_tree.writeFile("sizes/a.bin", build(8192));
    const QString b = m_tree.writeFile("sizes/b.bin", build(8194));
    QCOMPARE(QFileInfo(b).size(), qint64(8194));
    QCOMPARE(TwFileItem::fileFingerprint(a), TwFileItem::fileFingerprint(b));
    TwCatalogContainer container(nullptr);
    int count = 0;
    qint64 bytes = 0;
    container.buildDuplicateGroups({ a, b }, defaultSettings, count, bytes);
    QCOMPARE(count, 0);
}

void TestCatalogContainer::manyLargeLookalikes()
{
    // More large lookalikes of one size than are compared side by side.
    const QByteArray first = patterned(70000, 61);
    const QByteArray second = flipped(first, 20000);
    QStringList paths;
    QStringList firstCopies;
    for (int i = 0; i < 80; ++i) {
        const bool isFirst = i % 3 != 1;
        paths << m_tree.writeFile(QStringLiteral("many/f%1.bin").arg(i, 2, 10, QLatin1Char('0')),
            isFirst ? first : second);
        if (isFirst)
            firstCopies << paths.last();
    }
    TwCatalogContainer container(nullptr);
    int count = 0;
    qint64 bytes = 0;
    container.buildDuplicateGroups(paths, defaultSettings, count, bytes);
    QCOMPARE(container.groups().size(), 2);
    // Every file but the first of each content is a duplicate.
    QCOMPARE(count, paths.size() - 2);
    QCOMPARE(bytes, qint64(paths.size() - 2) * 70000);
    QStringList found;
    for (const TwFileItemGroup *group : container.groups()) {
        if (group->allItemCount() == firstCopies.size())
            found = memberPaths(group);
    }
    QCOMPARE(found, firstCopies);
}

void TestCatalogContainer::buildGroupsCopiesAndLoneImage()
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    QVERIFY(QDir().mkpath(m_tree.path("images")));
    const QString a = m_tree.path("images/a.png");
    const QString b = m_tree.path("images/b.png");
    QVERIFY(image.save(a));
    QVERIFY(QFile::copy(a, b));
    image.fill(QColor(40, 40, 200));
    const QString lone = m_tree.path("images/lone.png");
    QVERIFY(image.save(lone));

    TwCatalogContainer container(TwCatalog::catalogForFile(a));
    // An earlier group, so the new one takes number n + 1.
    const QString x1 = m_tree.writeFile("images/x1.jpg", "same bytes");
    const QString x2 = m_tree.writeFile("images/x2.jpg", "same bytes");
    int count = 0;
    qint64 bytes = 0;
    container.buildDuplicateGroups({ x1, x2 }, defaultSettings, count, bytes);
    QCOMPARE(container.groups().size(), 1);

    const QStringList unique
        = container.buildDuplicateGroups({ a, lone, b }, defaultSettings, count, bytes);
    QCOMPARE(unique, QStringList({ lone }));
    QCOMPARE(count, 1);
    QCOMPARE(bytes, QFileInfo(b).size());
    QCOMPARE(container.duplicateCount(), 2);
    QCOMPARE(container.duplicateBytes(), QFileInfo(b).size() + 10);
    QCOMPARE(container.groups().size(), 2);
    const TwFileItemGroup *group = container.groups().at(1);
    QCOMPARE(group->groupName(), QStringLiteral("Images_2"));
    QCOMPARE(memberPaths(group), QStringList({ a, b }));
    QVERIFY(group->firstItem()->isPhoto());
    // The head keeps its histogram for the classic method's comparisons; the
    // copy drops it. The accurate method takes features of its own.
    const auto *head = static_cast<const TwPhotoItem *>(group->firstItem());
    const auto *copy = static_cast<const TwPhotoItem *>(group->items().at(1));
    QCOMPARE(head->histogram().histogram().empty(),
        defaultSettings.similarMethod == SimilarMethodSetting::Accurate);
    QVERIFY(copy->histogram().histogram().empty());
    QCOMPARE(copy->imageWidth(), 40);
    QCOMPARE(head->imageWidth(), 40);
    ScanSettings classic = defaultSettings;
    classic.similarMethod = SimilarMethodSetting::Classic;
    TwCatalogContainer classicContainer(TwCatalog::catalogForFile(a));
    classicContainer.buildDuplicateGroups({ a, b }, classic, count, bytes);
    QCOMPARE(classicContainer.groups().size(), 1);
    const auto *classicHead
        = static_cast<const TwPhotoItem *>(classicContainer.groups().first()->firstItem());
    QVERIFY(!classicHead->histogram().histogram().empty());

    // JPEG copies are sized from their headers alone, and still right.
    const QString photo = m_tree.path("images/photo.jpg");
    const QString photoCopy = m_tree.path("images/photo copy.jpg");
    QVERIFY(image.save(photo, "JPEG"));
    QVERIFY(QFile::copy(photo, photoCopy));
    container.buildDuplicateGroups({ photo, photoCopy }, classic, count, bytes);
    QCOMPARE(container.groups().size(), 3);
    const TwFileItemGroup *photos = container.groups().at(2);
    const auto *photoHead = static_cast<const TwPhotoItem *>(photos->firstItem());
    const auto *photoDuplicate = static_cast<const TwPhotoItem *>(photos->items().at(1));
    QVERIFY(!photoHead->histogram().histogram().empty());
    QCOMPARE(photoDuplicate->imageWidth(), 40);
    QCOMPARE(photoDuplicate->imageHeight(), 30);
    QCOMPARE(photoDuplicate->imageWidth(), photoHead->imageWidth());
}

void TestCatalogContainer::allDifferentFilesMakeNoGroup()
{
    const QString doc = m_tree.writeFile("different/a.txt", patterned(5000, 21));
    const QString png = m_tree.writeFile("different/b.png", patterned(5000, 22));
    const QString jpg = m_tree.writeFile("different/c.JPG", patterned(5000, 23));
    TwCatalogContainer container(nullptr);
    int count = 7;
    qint64 bytes = 7;
    QStringList unique
        = container.buildDuplicateGroups({ doc, png, jpg }, defaultSettings, count, bytes);
    unique.sort();
    QStringList expected({ png, jpg });
    expected.sort();
    QCOMPARE(unique, expected);
    QCOMPARE(count, 0);
    QCOMPARE(bytes, qint64(0));
    QVERIFY(container.groups().isEmpty());
    QCOMPARE(container.duplicateCount(), 0);
}

void TestCatalogContainer::unreadableFilesNeverGroup()
{
    TwCatalogContainer container(nullptr);
    int count = 0;
    qint64 bytes = 0;
    const QStringList unique = container.buildDuplicateGroups(
        { m_tree.path("gone/a.png"), m_tree.path("gone/b.png") }, defaultSettings, count, bytes);
    QCOMPARE(unique.size(), 2);
    QCOMPARE(count, 0);
}

void TestCatalogContainer::pipeInPlaceOfACopyBlocksNothing()
{
    // One of four same-size photos became a pipe after the walk saw it.
    QImage image(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QVERIFY(QDir().mkpath(m_tree.path("piped")));
    const QString a = m_tree.path("piped/a.jpg");
    const QString b = m_tree.path("piped/b.jpg");
    const QString c = m_tree.path("piped/c.jpg");
    const QString pipe = m_tree.path("piped/d.jpg");
    QVERIFY(image.save(a, "JPEG"));
    QVERIFY(QFile::copy(a, b));
    QVERIFY(QFile::copy(a, c));
    QVERIFY(Fifo::make(pipe));

    TwCatalogContainer container(TwCatalog::catalogForFile(a));
    QStringList lone;
    int count = 0;
    qint64 bytes = 0;
    QVERIFY(Fifo::finishesWithin(std::chrono::seconds(5), { pipe }, [&] {
        lone = container.buildDuplicateGroups({ a, pipe, b, c }, defaultSettings, count, bytes);
    }));
    QCOMPARE(container.groups().size(), 1);
    QCOMPARE(memberPaths(container.groups().first()), QStringList({ a, b, c }));
    QCOMPARE(count, 2);
    QCOMPARE(bytes, 2 * QFileInfo(a).size());
    // The pipe goes on to the similar-image pass, which must not block on it either.
    QCOMPARE(lone, QStringList { pipe });
    std::unique_ptr<TwPhotoItem> item;
    QVERIFY(Fifo::finishesWithin(std::chrono::seconds(5), { pipe },
        [&] { item = std::make_unique<TwPhotoItem>(pipe, false); }));
    QVERIFY(item->histogram().histogram().empty());
    QCOMPARE(item->imageWidth(), 0);
}

void TestCatalogContainer::samePathTwiceIsNotACopy()
{
    const QString path = m_tree.writeFile("twice/a.bin", patterned(9000, 31));
    TwCatalogContainer container(nullptr);
    int count = 0;
    qint64 bytes = 0;
    container.buildDuplicateGroups({ path, path }, defaultSettings, count, bytes);
    QCOMPARE(count, 0);
    QVERIFY(container.groups().isEmpty());
}

void TestCatalogContainer::preparedAndFiledInTwoSteps()
{
    const QByteArray content = patterned(100000, 41);
    const QString a = m_tree.writeFile("twostep/a.doc", content);
    const QString b = m_tree.writeFile("twostep/b.doc", content);
    const QString c = m_tree.writeFile("twostep/c.doc", content);
    const QString d = m_tree.writeFile("twostep/d.doc", flipped(content, 70000));

    TwDuplicateCandidates candidates
        = TwCatalogContainer::prepareDuplicateCandidates({ a, b, c, d }, defaultSettings);
    QCOMPARE(int(candidates.copySets.size()), 1);
    QCOMPARE(int(candidates.copySets.front().size()), 3);

    TwCatalogContainer container(TwCatalog::catalogForFile(a));
    QVERIFY(container.groups().isEmpty());
    int count = 0;
    qint64 bytes = 0;
    QVERIFY(container.fileDuplicateCandidates(candidates, count, bytes).isEmpty());
    QCOMPARE(count, 2);
    QCOMPARE(bytes, qint64(200000));
    QCOMPARE(container.groups().size(), 1);
    QCOMPARE(container.groups().first()->groupName(), QStringLiteral("Documents_1"));
    QCOMPARE(memberPaths(container.groups().first()), QStringList({ a, b, c }));
}

void TestCatalogContainer::copySetsDoNotDependOnArrivalOrder()
{
    // Two sets that share their fingerprint windows, so their keys are told
    // apart by the order in which they are found.
    const QByteArray content = patterned(100000, 43);
    QStringList paths;
    for (const char *name : { "e", "b", "d", "a", "c" })
        paths << m_tree.writeFile(QStringLiteral("order/%1.doc").arg(QLatin1String(name)),
            QByteArray("bd").contains(*name) ? flipped(content, 70000) : content);

    auto outcome = [](const QStringList &order) {
        QStringList members;
        const TwDuplicateCandidates candidates
            = TwCatalogContainer::prepareDuplicateCandidates(order, defaultSettings);
        for (const TwDuplicateCandidates::CopySet &set : candidates.copySets)
            for (const TwDuplicateCandidates::Member &member : set)
                members << member.item->matchKey() + QLatin1Char(' ') + member.item->filePath();
        return members;
    };
    const QStringList first = outcome(paths);
    QCOMPARE(first.size(), 5);
    QVERIFY2(first.at(0).endsWith("/a.doc") && first.at(1).endsWith("/c.doc")
            && first.at(2).endsWith("/e.doc"),
        qPrintable(first.join(", ")));
    QStringList order = paths;
    for (int i = 0; i < 6; ++i) {
        std::rotate(order.begin(), order.begin() + 1, order.end());
        if (i % 2)
            std::reverse(order.begin(), order.end());
        QCOMPARE(outcome(order), first);
    }
}

void TestCatalogContainer::groupNumbersAreNotReused()
{
    TwCatalogContainer container(nullptr);
    int count = 0;
    qint64 bytes = 0;
    for (int i = 0; i < 3; ++i) {
        QStringList paths;
        const int copies = i == 1 ? 3 : 2;
        for (int j = 0; j < copies; ++j)
            paths << m_tree.writeFile(
                QStringLiteral("numbers/%1_%2.bin").arg(i).arg(j), patterned(500, 100 + i));
        container.buildDuplicateGroups(paths, defaultSettings, count, bytes);
    }
    QCOMPARE(container.groups().size(), 3);
    // Shrink groups 1 and 3 below two members; pruning keeps only group 2.
    for (int index : { 0, 2 }) {
        TwFileItemGroup *group = container.groups().at(index);
        QCOMPARE(group->removeItem(group->firstItem()), 1);
    }
    container.removeSmallGroups();
    QCOMPARE(container.groups().size(), 1);
    QCOMPARE(container.groups().first()->groupName(), QStringLiteral("Others_2"));
    QCOMPARE(container.groups().first()->allItemCount(), 3);
    // The next group takes the new length as its number, repeating "2".
    container.buildDuplicateGroups(
        { m_tree.writeFile("numbers/n1.bin", "n"), m_tree.writeFile("numbers/n2.bin", "n") },
        defaultSettings, count, bytes);
    QCOMPARE(container.groups().last()->groupName(), QStringLiteral("Others_2"));
}

void TestCatalogContainer::countersFollowSelection()
{
    const QByteArray content = patterned(2000, 51);
    QStringList paths;
    for (int i = 0; i < 3; ++i)
        paths << m_tree.writeFile(QStringLiteral("counters/copy%1.txt").arg(i), content);
    TwCatalogContainer container(TwCatalog::catalogForFile(paths.first()));
    int count = 0;
    qint64 bytes = 0;
    container.buildDuplicateGroups(paths, defaultSettings, count, bytes);
    QCOMPARE(container.checkedCount(true), 0);
    QVERIFY(!container.countsDirty());

    TwFileItemGroup *group = container.groups().first();
    group->selectBy(TwFileItemGroup::byNameLength, TwFileItemGroup::AllItems, true);
    QVERIFY(container.countsDirty());
    // Without refresh the stored value stays until a recount.
    QCOMPARE(container.checkedCount(false), 0);
    QCOMPARE(container.checkedCount(true), 2);
    QCOMPARE(container.checkedBytes(false), qint64(4000));

    container.applySelectionRule(2, defaultSettings);
    QVERIFY(!container.countsDirty());
    QCOMPARE(container.checkedCount(false), 2);
}

QTEST_MAIN(TestCatalogContainer)
#include "tst_catalogcontainer.moc"
