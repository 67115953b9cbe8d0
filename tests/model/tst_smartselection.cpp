#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include "model/scansettings.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "model/twphotoitem.h"
#include "tests/support/temptree.h"

namespace {

QStringList checkedNames(const TwFileItemGroup &group)
{
    QStringList names;
    for (const TwFileItem *item : group.items()) {
        if (item->isChecked())
            names << QFileInfo(item->filePath()).fileName();
    }
    return names;
}

QStringList uncheckedNames(const TwFileItemGroup &group)
{
    QStringList names;
    for (const TwFileItem *item : group.items()) {
        if (!item->isChecked())
            names << QFileInfo(item->filePath()).fileName();
    }
    return names;
}

} // namespace

class TestSmartSelection : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void creationRules();
    void equalCreationTimeTies();
    void nameLengthKeepsShortestName();
    void priorityWithoutFoldersKeepsFirst();
    void priorityKeepsLeastPreferredForRemoval();
    void resolutionRules();
    void resolutionOnDocumentsKeepsFirst();
    void sizeRulesAndTies();
    void exactDuplicatesKeepsOneFileOfWholeGroup();
    void exactDuplicatesSkipsSingleKeys();
    void firstOfEachKeyLeavesOtherItemsAlone();
    void selectionReplacesEarlierMarks();
    void deselectAllEmitsNothing();
    void unknownRuleDoesNothing();

private:
    // Writes `name` (in creation order: each file is created strictly later
    // than the previous one) and returns its path.
    QString createLater(const QString &name, const QByteArray &content);
    QString drawImage(const QString &name, int width, int height);
    // Items of `paths` filed under one key, in this order.
    std::unique_ptr<TwFileItemGroup> oneKeyGroup(const QStringList &paths, bool photos = false);

    std::unique_ptr<TempTree> m_tree;
    QDateTime m_lastCreated;
    // Where the priority rule looks folders up.
    ScanSettings m_settings;
};

void TestSmartSelection::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSmartSelection::init()
{
    m_tree = std::make_unique<TempTree>();
    QVERIFY(m_tree->isValid());
    m_settings = ScanSettings();
}

void TestSmartSelection::cleanup()
{
    m_tree.reset();
}

QString TestSmartSelection::createLater(const QString &name, const QByteArray &content)
{
    QString path;
    // Birth times come from a coarse clock; rewrite until this one is later.
    // Modification times follow the same order for file systems without one.
    auto created = [&]() {
        QFile::remove(m_tree->path(name));
        path = m_tree->writeFile(name, content);
        const QDateTime time = TwFileItem(path, false).createdTime();
        if (m_lastCreated.isValid() && time <= m_lastCreated)
            return false;
        m_lastCreated = time;
        return true;
    };
    if (!QTest::qWaitFor(created, 10000))
        return QString();
    return path;
}

QString TestSmartSelection::drawImage(const QString &name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    const QString path = m_tree->path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path) ? path : QString();
}

std::unique_ptr<TwFileItemGroup> TestSmartSelection::oneKeyGroup(
    const QStringList &paths, bool photos)
{
    std::unique_ptr<TwFileItemGroup> group;
    for (const QString &path : paths) {
        TwFileItem *item = photos ? new TwPhotoItem(path, false) : new TwFileItem(path, false);
        item->setMatchKey(QStringLiteral("K"));
        if (group)
            group->addItem(item);
        else
            group = std::make_unique<TwFileItemGroup>(item);
    }
    return group;
}

void TestSmartSelection::creationRules()
{
    const QByteArray content(300, 'c');
    // Created in the order middle, oldest, newest (the names say which is kept).
    const QString middle = createLater("b/middle.txt", content);
    const QString oldest = createLater("a/oldest.txt", content);
    const QString newest = createLater("c/newest.txt", content);
    QVERIFY(!middle.isEmpty() && !oldest.isEmpty() && !newest.isEmpty());
    // Visit order differs from creation order.
    auto group = oneKeyGroup({ oldest, newest, middle });
    QSignalSpy changed(group.get(), &TwFileItemGroup::markDuplicateChanged);

    group->applySelectionRule(0, m_settings); // keep the earliest created
    QCOMPARE(uncheckedNames(*group), QStringList({ "middle.txt" }));
    QCOMPARE(group->checkedCount(), 2);
    QCOMPARE(group->checkedBytes(), qint64(600));
    QCOMPARE(changed.count(), 1);

    group->applySelectionRule(1, m_settings); // keep the latest created
    QCOMPARE(uncheckedNames(*group), QStringList({ "newest.txt" }));
    QCOMPARE(group->checkedCount(), 2);
    QCOMPARE(changed.count(), 2);

    // A later modification does not count as a later creation.
    QFile touched(middle);
    QVERIFY(touched.open(QIODevice::ReadWrite));
    QVERIFY(touched.setFileTime(
        QDateTime::currentDateTime().addYears(1), QFileDevice::FileModificationTime));
    touched.close();
    if (QFileInfo(middle).birthTime().isValid()) {
        group->applySelectionRule(1, m_settings);
        QCOMPARE(uncheckedNames(*group), QStringList({ "newest.txt" }));
    }
}

void TestSmartSelection::equalCreationTimeTies()
{
    // Two items of one file have the same creation time by construction.
    const QString path = m_tree->writeFile("tie/same.txt", "same");
    auto group = oneKeyGroup({ path, path });
    const QList<TwFileItem *> items = group->items();

    group->applySelectionRule(1, m_settings); // inclusive: the later visited takes over
    QVERIFY(items.at(0)->isChecked());
    QVERIFY(!items.at(1)->isChecked());

    group->applySelectionRule(0, m_settings); // strict: the first visited stays
    QVERIFY(!items.at(0)->isChecked());
    QVERIFY(items.at(1)->isChecked());
    QCOMPARE(group->checkedCount(), 1);
}

void TestSmartSelection::nameLengthKeepsShortestName()
{
    const QString longer = m_tree->writeFile("n/photo (2).jpg", "p");
    const QString shorter = m_tree->writeFile("n/photo.jpg", "p");
    const QString tie = m_tree->writeFile("m/photo.jpg", "p");
    auto group = oneKeyGroup({ longer, shorter, tie });

    // "Smart Select": the shortest base name stays; on a tie the first one.
    group->selectBy(TwFileItemGroup::byNameLength, TwFileItemGroup::AllItems, true);
    QCOMPARE(group->items().at(1)->isChecked(), false);
    QCOMPARE(group->items().at(0)->isChecked(), true);
    QCOMPARE(group->items().at(2)->isChecked(), true);

    group->selectBy(TwFileItemGroup::byNameLength, TwFileItemGroup::AllItems, false);
    QCOMPARE(uncheckedNames(*group), QStringList({ "photo (2).jpg" }));
}

void TestSmartSelection::priorityWithoutFoldersKeepsFirst()
{
    const QString a = m_tree->writeFile("A/x.bin", "x");
    const QString b = m_tree->writeFile("B/x.bin", "x");
    auto group = oneKeyGroup({ a, b });
    group->applySelectionRule(3, m_settings);
    QVERIFY(!group->items().at(0)->isChecked());
    QVERIFY(group->items().at(1)->isChecked());
    // The flag-false form never replaces the keeper.
    group->selectBy(
        TwFileItemGroup::byPriority(m_settings.priorities), TwFileItemGroup::AllItems, false);
    QVERIFY(!group->items().at(0)->isChecked());
}

void TestSmartSelection::priorityKeepsLeastPreferredForRemoval()
{
    const QString inA = m_tree->writeFile("A/deep/x.bin", "x");
    const QString inB = m_tree->writeFile("B/x.bin", "x");
    const QString elsewhere = m_tree->writeFile("C/x.bin", "x");
    m_settings.priorities.insert(m_tree->path("A"), 5);
    m_settings.priorities.insert(m_tree->path("B"), 2);

    auto listed = oneKeyGroup({ inA, inB });
    listed->applySelectionRule(3, m_settings);
    QCOMPARE(checkedNames(*listed).size(), 1);
    QVERIFY(listed->items().at(0)->isChecked()); // A, via its ancestor
    QVERIFY(!listed->items().at(1)->isChecked());

    // A file outside every listed folder (-1) is kept before any listed one.
    auto mixed = oneKeyGroup({ inB, elsewhere, inA });
    mixed->applySelectionRule(3, m_settings);
    QVERIFY(mixed->items().at(0)->isChecked());
    QVERIFY(!mixed->items().at(1)->isChecked());
    QVERIFY(mixed->items().at(2)->isChecked());
}

void TestSmartSelection::resolutionRules()
{
    const QString small = drawImage("r/small.png", 40, 30);
    const QString large = drawImage("r/large.png", 80, 60);
    const QString sameAsSmall = drawImage("r/same.png", 30, 40);
    QVERIFY(!small.isEmpty() && !large.isEmpty() && !sameAsSmall.isEmpty());
    auto group = oneKeyGroup({ large, small, sameAsSmall }, true);

    group->applySelectionRule(4, m_settings); // keep the smallest area, strict
    QCOMPARE(uncheckedNames(*group), QStringList({ "small.png" }));
    QCOMPARE(group->checkedCount(), 2);

    group->applySelectionRule(5, m_settings); // keep the largest area, inclusive
    QCOMPARE(uncheckedNames(*group), QStringList({ "large.png" }));

    // Inclusive ties: of two equal areas the later visited is kept.
    auto tie = oneKeyGroup({ small, sameAsSmall }, true);
    tie->applySelectionRule(5, m_settings);
    QCOMPARE(uncheckedNames(*tie), QStringList({ "same.png" }));
    tie->applySelectionRule(4, m_settings);
    QCOMPARE(uncheckedNames(*tie), QStringList({ "small.png" }));
}

void TestSmartSelection::resolutionOnDocumentsKeepsFirst()
{
    const QString a = m_tree->writeFile("d/a.pdf", "doc");
    const QString b = m_tree->writeFile("d/b.pdf", "doc");
    const QString c = m_tree->writeFile("d/c.pdf", "doc");
    for (int rule : { 4, 5 }) {
        auto group = oneKeyGroup({ a, b, c });
        group->applySelectionRule(rule, m_settings);
        QCOMPARE(uncheckedNames(*group), QStringList({ "a.pdf" }));
        QCOMPARE(group->checkedCount(), 2);
    }
    // A document keeper is never replaced by an image either.
    const QString image = drawImage("d/big.png", 90, 90);
    TwFileItemGroup group(new TwFileItem(a, false));
    auto *photo = new TwPhotoItem(image, false);
    photo->setMatchKey(group.firstItem()->matchKey());
    group.addItem(photo);
    group.applySelectionRule(5, m_settings);
    QCOMPARE(uncheckedNames(group), QStringList({ "a.pdf" }));
}

void TestSmartSelection::sizeRulesAndTies()
{
    const QString mid = m_tree->writeFile("s/mid.bin", QByteArray(200, 'm'));
    const QString big = m_tree->writeFile("s/big.bin", QByteArray(300, 'b'));
    const QString tiny = m_tree->writeFile("s/tiny.bin", QByteArray(100, 't'));
    const QString tinyToo = m_tree->writeFile("s/tiny2.bin", QByteArray(100, 'u'));
    auto group = oneKeyGroup({ mid, big, tiny, tinyToo });

    group->applySelectionRule(6, m_settings); // keep the smallest; strict, so the first tiny one
    QCOMPARE(uncheckedNames(*group), QStringList({ "tiny.bin" }));
    QCOMPARE(group->checkedCount(), 3);
    QCOMPARE(group->checkedBytes(), qint64(600));

    group->applySelectionRule(7, m_settings); // keep the largest
    QCOMPARE(uncheckedNames(*group), QStringList({ "big.bin" }));
    QCOMPARE(group->checkedBytes(), qint64(400));

    // Menu "Select Largest" / "Select Smallest" use the same comparison.
    group->selectBy(TwFileItemGroup::bySize, TwFileItemGroup::AllItems, false);
    QCOMPARE(uncheckedNames(*group), QStringList({ "big.bin" }));
}

void TestSmartSelection::exactDuplicatesKeepsOneFileOfWholeGroup()
{
    // Two sets of exact copies in one group (different keys).
    QStringList paths;
    for (const char *name : { "s1a.txt", "s1b.txt" })
        paths << m_tree->writeFile(QStringLiteral("x/") + name, "first content");
    for (const char *name : { "s2.txt", "s2b.txt", "s2c.txt" })
        paths << m_tree->writeFile(QStringLiteral("x/") + name, "second");
    TwFileItemGroup group(new TwFileItem(paths.at(0), true));
    for (int i = 1; i < paths.size(); ++i)
        group.addItem(new TwFileItem(paths.at(i), true));
    QCOMPARE(group.keyCount(), 2);

    group.applySelectionRule(2, m_settings);
    // The shortest base name of the whole group is the only one kept.
    QCOMPARE(uncheckedNames(group), QStringList({ "s2.txt" }));
    QCOMPARE(group.checkedCount(), 4);
    QCOMPARE(group.checkedDuplicateCount(), 4);
    QCOMPARE(group.duplicateItemCount(), 5);
}

void TestSmartSelection::exactDuplicatesSkipsSingleKeys()
{
    // A similar-image group: every key holds one item.
    const QString a = m_tree->writeFile("sim/a.bin", "aaa");
    const QString b = m_tree->writeFile("sim/b.bin", "bbbb");
    TwFileItemGroup group(new TwFileItem(a, false));
    group.addItem(new TwFileItem(b, false));
    QVERIFY(group.hasSeveralKeys());
    group.items().at(0)->setChecked(true);
    group.itemCheckedChanged(true, 3);

    QSignalSpy changed(&group, &TwFileItemGroup::markDuplicateChanged);
    group.applySelectionRule(2, m_settings);
    QCOMPARE(changed.count(), 1);
    // Nothing visited: marks stay, counters restart from zero.
    QVERIFY(group.items().at(0)->isChecked());
    QVERIFY(!group.items().at(1)->isChecked());
    QCOMPARE(group.checkedCount(), 0);
    QCOMPARE(group.checkedBytes(), qint64(0));

    group.selectBy(TwFileItemGroup::bySize, TwFileItemGroup::AllItems, true);
    QCOMPARE(uncheckedNames(group), QStringList({ "a.bin" }));
    QCOMPARE(group.checkedCount(), 1);
    QCOMPARE(group.checkedBytes(), qint64(4));
}

void TestSmartSelection::firstOfEachKeyLeavesOtherItemsAlone()
{
    QStringList copies;
    for (const char *name : { "long-name.txt", "copy.txt" })
        copies << m_tree->writeFile(QStringLiteral("f/") + name, "copied");
    const QString other = m_tree->writeFile("f/other-one.txt", "different");
    TwFileItemGroup group(new TwFileItem(copies.at(0), true));
    group.addItem(new TwFileItem(copies.at(1), true));
    group.addItem(new TwFileItem(other, true));

    TwFileItem *second = nullptr;
    QList<TwFileItem *> heads;
    for (const TwFileItemGroup::ItemList &items : group.itemsByKey()) {
        heads << items.first();
        if (items.size() == 2)
            second = items.at(1);
    }
    QVERIFY(second);
    second->setChecked(true);

    group.selectBy(TwFileItemGroup::byNameLength, TwFileItemGroup::FirstOfEachKey, true);
    // Only the heads compete; the second copy keeps its mark but is not counted.
    QVERIFY(second->isChecked());
    QCOMPARE(int(heads.at(0)->isChecked()) + int(heads.at(1)->isChecked()), 1);
    QCOMPARE(group.checkedCount(), 1);
    QCOMPARE(group.checkedHeadCount(), 1);
    // long-name.txt is longer than other-one.txt, so other-one is kept.
    for (TwFileItem *head : heads)
        QCOMPARE(head->isChecked(), head->filePath() == copies.at(0));
}

void TestSmartSelection::selectionReplacesEarlierMarks()
{
    const QString a = m_tree->writeFile("e/aa.txt", "z");
    const QString b = m_tree->writeFile("e/b.txt", "z");
    auto group = oneKeyGroup({ a, b });
    for (TwFileItem *item : group->items())
        item->setChecked(true);
    group->applySelectionRule(2, m_settings);
    QCOMPARE(uncheckedNames(*group), QStringList({ "b.txt" }));
    QCOMPARE(group->checkedCount(), 1);
    QCOMPARE(group->checkedBytes(), qint64(1));
}

void TestSmartSelection::deselectAllEmitsNothing()
{
    const QString a = m_tree->writeFile("g/a.txt", "q");
    const QString b = m_tree->writeFile("g/bb.txt", "q");
    auto group = oneKeyGroup({ a, b });
    group->applySelectionRule(2, m_settings);
    QCOMPARE(group->checkedCount(), 1);
    QSignalSpy changed(group.get(), &TwFileItemGroup::markDuplicateChanged);
    group->deselectAll();
    QCOMPARE(changed.count(), 0);
    QVERIFY(checkedNames(*group).isEmpty());
    QCOMPARE(group->checkedCount(), 0);
    QCOMPARE(group->checkedBytes(), qint64(0));
}

void TestSmartSelection::unknownRuleDoesNothing()
{
    const QString a = m_tree->writeFile("u/a.txt", "q");
    const QString b = m_tree->writeFile("u/b.txt", "q");
    auto group = oneKeyGroup({ a, b });
    QSignalSpy changed(group.get(), &TwFileItemGroup::markDuplicateChanged);
    group->applySelectionRule(8, m_settings);
    group->applySelectionRule(-1, m_settings);
    QCOMPARE(changed.count(), 0);
    QVERIFY(checkedNames(*group).isEmpty());
}

QTEST_MAIN(TestSmartSelection)
#include "tst_smartselection.moc"
