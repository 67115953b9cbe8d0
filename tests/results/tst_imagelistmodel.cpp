#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QtTest>

#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "results/hiddenfiles.h"
#include "results/imagelistmodel.h"
#include "results/qbaseitem.h"
#include "results/qgroupitem.h"
#include "tests/results/resultfixture.h"

class TestImageListModel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void loadsGroupsPerCategoryAndMode();
    void listsMembersPerMode();
    void comparatorOrdersByColumnAndDirection();
    void sortsSizesBeyondThirtyTwoBits();
    void filtersNamesIgnoringCase();
    void dataCarriesSnapshotsOnlyForDisplay();
    void hidingDropsFilesAndReportsWhatIsLeft();
    void applySelectionCountsByScope();
    void marksReachTheFileItems();
    void passesTheItemModelTester();

private:
    int groupsIn(const QString &category) const;

    TempTree m_tree;
    std::unique_ptr<ScanEngine> m_engine;
    TwSearchResult *m_result = nullptr;
};

void TestImageListModel::initTestCase()
{
    QVERIFY(m_tree.isValid());
    ResultFixture::isolate(m_tree);
    QVERIFY(ResultFixture::writeSampleFolder(m_tree, QStringLiteral("sample")));
    m_engine = ResultFixture::scan(m_tree.path(QStringLiteral("sample")));
    QVERIFY(m_engine);
    m_result = m_engine->searchResult();
    QVERIFY(!m_result->containers().isEmpty());
}

void TestImageListModel::cleanupTestCase()
{
    m_engine.reset();
    TwPreferences::destroyInstance();
}

int TestImageListModel::groupsIn(const QString &category) const
{
    TwCatalogContainer *container = m_result->containers().value(category);
    return container ? container->groups().size() : 0;
}

void TestImageListModel::loadsGroupsPerCategoryAndMode()
{
    ImageListModel model(m_result);
    int total = 0;
    for (TwCatalogContainer *container : m_result->containers())
        total += container->groups().size();

    QCOMPARE(model.loadAndSortGroups(QStringLiteral("All"), 0, ResultMode::Ordinary), total);
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Documents"), 0, ResultMode::Ordinary), 2);
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Musics"), 0, ResultMode::Ordinary), 1);
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Others"), 0, ResultMode::Ordinary), 1);
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Videos"), 0, ResultMode::Ordinary), 0);

    // Images: mode 1 lists groups with exact twins, mode 2 groups of several
    // contents; the ordinary mode lists nothing there.
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Images"), 0, ResultMode::DuplicateImages), 1);
    QCOMPARE(QFileInfo(model.groupAt(0)->path).fileName(), QStringLiteral("photo.png"));
    QCOMPARE(model.groupAt(0)->fileCount, 2);
    QVERIFY(model.groupAt(0)->isImage);
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Images"), 0, ResultMode::SimilarImages), 1);
    QVERIFY(QFileInfo(model.groupAt(0)->path).fileName().startsWith(QLatin1String("sunset")));
    QCOMPARE(model.groupAt(0)->fileCount, 2);
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Images"), 0, ResultMode::Ordinary), 0);
    QVERIFY(groupsIn(QStringLiteral("Images")) >= 2);

    // Size and Count sort largest first by default, Name alphabetically.
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Documents"), 1, ResultMode::Ordinary), 2);
    QCOMPARE(model.groupAt(0)->size, qint64(5000));
    QCOMPARE(model.groupAt(0)->fileCount, 3);
    QCOMPARE(model.groupAt(0)->sizeText, TwFileItem::sizeString(5000));
    QCOMPARE(model.loadAndSortGroups(QStringLiteral("Documents"), 0, ResultMode::Ordinary), 2);
    QCOMPARE(QFileInfo(model.groupAt(0)->path).fileName(), QStringLiteral("notes.pdf"));
    QCOMPARE(model.groupAt(0)->suffix, QStringLiteral("pdf"));
    QCOMPARE(model.groupAt(0)->fileName, QStringLiteral("notes.pdf"));
}

void TestImageListModel::listsMembersPerMode()
{
    ImageListModel groups(m_result);
    ImageListModel files(m_result);
    files.setKind(ImageListModel::FileRows);

    groups.loadAndSortGroups(QStringLiteral("Documents"), 1, ResultMode::Ordinary);
    const QString reportGroup = groups.groupAt(0)->name;
    TwFileItemGroup *group = groups.groupByName(reportGroup);
    QVERIFY(group);
    const QList<TwFileItem *> inGroup = group->items();
    QCOMPARE(inGroup.size(), 3);

    // Mode 0: the twins of a content come first, in reverse, its first copy last.
    files.loadMembers(reportGroup, QStringLiteral("Documents"), ResultMode::Ordinary);
    QCOMPARE(files.rowCount(), 3);
    QCOMPARE(files.fileAt(0)->path, inGroup.at(2)->filePath());
    QCOMPARE(files.fileAt(1)->path, inGroup.at(1)->filePath());
    QCOMPARE(files.fileAt(2)->path, inGroup.at(0)->filePath());
    QCOMPARE(files.fileAt(0)->size, qint64(5000));
    QVERIFY(!files.fileAt(0)->created.isEmpty());
    QCOMPARE(files.fileAt(0)->pathId, inGroup.at(2)->pathId());
    QVERIFY(!files.fileAt(0)->isImage);

    // The same group is found through "All" too.
    files.loadMembers(reportGroup, QStringLiteral("All"), ResultMode::Ordinary);
    QCOMPARE(files.rowCount(), 3);

    // Mode 2: one file per distinct content.
    groups.loadAndSortGroups(QStringLiteral("Images"), 0, ResultMode::SimilarImages);
    files.loadMembers(groups.groupAt(0)->name, QStringLiteral("Images"), ResultMode::SimilarImages);
    QCOMPARE(files.rowCount(), 2);
    QVERIFY(files.fileAt(0)->isImage);
    QVERIFY(files.fileAt(0)->path != files.fileAt(1)->path);

    // Mode 1 only shows keys with twins; the similar group has none.
    files.loadMembers(
        groups.groupAt(0)->name, QStringLiteral("Images"), ResultMode::DuplicateImages);
    QCOMPARE(files.rowCount(), 0);

    // An unknown or empty name empties the rows.
    files.loadMembers(QString(), QStringLiteral("Documents"), ResultMode::Ordinary);
    QCOMPARE(files.rowCount(), 0);
    files.loadMembers(
        QStringLiteral("Documents_999"), QStringLiteral("Documents"), ResultMode::Ordinary);
    QCOMPARE(files.rowCount(), 0);
}

void TestImageListModel::comparatorOrdersByColumnAndDirection()
{
    QGroupItem a;
    QGroupItem b;
    a.path = QStringLiteral("/x/alpha.txt");
    b.path = QStringLiteral("/y/beta.doc");
    a.fileName = QStringLiteral("alpha.txt");
    b.fileName = QStringLiteral("beta.doc");
    a.suffix = QStringLiteral("txt");
    b.suffix = QStringLiteral("doc");
    a.size = 10;
    b.size = 20;
    a.fileCount = 5;
    b.fileCount = 2;

    QVERIFY(ImageListModel::lessThan(&a, &b, { 0, ResultMode::Ordinary, false }));
    QVERIFY(!ImageListModel::lessThan(&b, &a, { 0, ResultMode::Ordinary, false }));
    QVERIFY(ImageListModel::lessThan(&b, &a, { 0, ResultMode::Ordinary, true }));
    QVERIFY(ImageListModel::lessThan(&a, &b, { 1, ResultMode::Ordinary, false }));
    QVERIFY(ImageListModel::lessThan(&b, &a, { 1, ResultMode::Ordinary, true }));
    QVERIFY(ImageListModel::lessThan(&b, &a, { 2, ResultMode::Ordinary, false }));
    QVERIFY(ImageListModel::lessThan(&a, &b, { 2, ResultMode::Ordinary, true }));
    QVERIFY(ImageListModel::lessThan(&b, &a, { 3, ResultMode::Ordinary, false }));
    // Equal keys and unknown columns never order.
    QVERIFY(!ImageListModel::lessThan(&a, &a, { 1, ResultMode::Ordinary, false }));
    QVERIFY(!ImageListModel::lessThan(&a, &a, { 1, ResultMode::Ordinary, true }));
    QVERIFY(!ImageListModel::lessThan(&a, &b, { 7, ResultMode::Ordinary, false }));
    QVERIFY(!ImageListModel::lessThan(&b, &a, { 7, ResultMode::Ordinary, true }));
    // Names compare case-sensitively: upper case sorts first.
    b.fileName = QStringLiteral("Zeta.txt");
    QVERIFY(ImageListModel::lessThan(&b, &a, { 0, ResultMode::Ordinary, false }));
}

void TestImageListModel::sortsSizesBeyondThirtyTwoBits()
{
    QGroupItem five;
    QGroupItem three;
    QGroupItem small;
    five.size = 5LL * 1024 * 1024 * 1024;
    three.size = 3LL * 1024 * 1024 * 1024;
    // Differs from 5 GiB by exactly 2^32: a truncated difference would call them equal.
    small.size = five.size - (1LL << 32);
    QVERIFY(ImageListModel::lessThan(&five, &three, { 1, ResultMode::Ordinary, true }));
    QVERIFY(!ImageListModel::lessThan(&three, &five, { 1, ResultMode::Ordinary, true }));
    QVERIFY(ImageListModel::lessThan(&five, &small, { 1, ResultMode::Ordinary, true }));
    QVERIFY(ImageListModel::lessThan(&small, &five, { 1, ResultMode::Ordinary, false }));

    // The toggle through sortGroups flips a real list both ways.
    ImageListModel model(m_result);
    const int rows = model.loadAndSortGroups(QStringLiteral("All"), 1, ResultMode::Ordinary);
    QVERIFY(rows >= 4);
    model.sortGroups(1, false, ResultMode::Ordinary);
    for (int i = 1; i < rows; ++i)
        QVERIFY(model.groupAt(i - 1)->size <= model.groupAt(i)->size);
    model.sortGroups(1, true, ResultMode::Ordinary);
    for (int i = 1; i < rows; ++i)
        QVERIFY(model.groupAt(i - 1)->size >= model.groupAt(i)->size);
    model.sortGroups(2, true, ResultMode::Ordinary);
    QCOMPARE(model.groupAt(0)->fileCount, 3);
}

void TestImageListModel::filtersNamesIgnoringCase()
{
    ImageListModel model(m_result);
    QCOMPARE(model.filterGroups(
                 QStringLiteral("REPORT"), QStringLiteral("All"), false, 0, ResultMode::Ordinary),
        1);
    QVERIFY(QFileInfo(model.groupAt(0)->path).fileName().startsWith(QLatin1String("report")));
    QCOMPARE(model.filterGroups(QStringLiteral("Pdf"), QStringLiteral("Documents"), false, 0,
                 ResultMode::Ordinary),
        1);
    QCOMPARE(model.filterGroups(QStringLiteral("nothing-like-it"), QStringLiteral("All"), false, 0,
                 ResultMode::Ordinary),
        0);
    // The folder is not part of the name.
    QCOMPARE(model.filterGroups(
                 QStringLiteral("backup"), QStringLiteral("All"), false, 0, ResultMode::Ordinary),
        0);
    const int all = model.loadAndSortGroups(QStringLiteral("All"), 0, ResultMode::Ordinary);
    QCOMPARE(
        model.filterGroups(QString(), QStringLiteral("All"), true, 0, ResultMode::Ordinary), all);
    // Descending by name: the later name first.
    for (int i = 1; i < all; ++i) {
        QVERIFY(QFileInfo(model.groupAt(i - 1)->path).fileName()
            >= QFileInfo(model.groupAt(i)->path).fileName());
    }
}

void TestImageListModel::dataCarriesSnapshotsOnlyForDisplay()
{
    ImageListModel groups(m_result);
    groups.loadAndSortGroups(QStringLiteral("All"), 0, ResultMode::Ordinary);
    const QModelIndex index = groups.index(0, 0);
    QCOMPARE(groups.data(index).value<QGroupItem *>(), groups.groupAt(0));
    QVERIFY(!groups.data(index, Qt::DecorationRole).isValid());
    QVERIFY(!groups.data(index, Qt::ToolTipRole).isValid());
    QVERIFY(!groups.data(QModelIndex()).isValid());
    QCOMPARE(groups.columnCount(), 1);
    QCOMPARE(groups.rowCount(index), 0);

    ImageListModel files(m_result);
    files.setKind(ImageListModel::FileRows);
    files.loadMembers(groups.groupAt(0)->name, QStringLiteral("All"), ResultMode::Ordinary);
    QVERIFY(files.rowCount() >= 2);
    QCOMPARE(files.data(files.index(1, 0)).value<QBaseItem *>(), files.fileAt(1));
    QVERIFY(!files.data(files.index(1, 0)).value<QGroupItem *>());
}

void TestImageListModel::hidingDropsFilesAndReportsWhatIsLeft()
{
    // A result of its own: hiding changes what the lists show.
    TempTree tree;
    const QByteArray content = ResultFixture::bytes('h', 4000);
    QStringList paths;
    for (const QString &name : { QStringLiteral("a/keep.doc"), QStringLiteral("b/keep.doc"),
             QStringLiteral("c/keep.doc") })
        paths << tree.writeFile(name, content);
    TwSearchResult result;
    QVERIFY(result.addSameSizeGroup(paths, ScanSettings()).isEmpty());

    ImageListModel groups(&result);
    ImageListModel files(&result);
    files.setKind(ImageListModel::FileRows);
    files.shareHiddenFiles(groups);
    QCOMPARE(groups.loadAndSortGroups(QStringLiteral("Documents"), 0, ResultMode::Ordinary), 1);
    const QString name = groups.groupAt(0)->name;
    files.loadMembers(name, QStringLiteral("Documents"), ResultMode::Ordinary);
    QCOMPARE(files.rowCount(), 3);
    // A marked file that is hidden must not be removed unseen.
    TwFileItemGroup *group = files.groupByName(name);
    for (TwFileItem *item : group->items()) {
        item->setChecked(true);
        group->itemCheckedChanged(true, item->fileSize());
    }

    QCOMPARE(files.hideFile(QStringLiteral("Documents_404"), files.fileAt(0)->pathId), -1);
    const QString firstHidden = files.fileAt(0)->pathId;
    QCOMPARE(files.hideFile(name, firstHidden), 2);
    QCOMPARE(group->checkedCount(), 2);
    QCOMPARE(files.fileByPathId(name, firstHidden), nullptr);
    files.loadMembers(name, QStringLiteral("Documents"), ResultMode::Ordinary);
    QCOMPARE(files.rowCount(), 2);
    QVERIFY(files.fileAt(0)->pathId != firstHidden && files.fileAt(1)->pathId != firstHidden);
    QCOMPARE(groups.loadAndSortGroups(QStringLiteral("Documents"), 0, ResultMode::Ordinary), 1);
    QCOMPARE(groups.groupAt(0)->fileCount, 2);
    QCOMPARE(groups.groupAt(0)->markedCount, 2);
    // The hidden file stays on disk and in its group; it only leaves the lists.
    for (const QString &path : paths)
        QVERIFY(QFileInfo::exists(path));
    QCOMPARE(group->allItemCount(), 3);

    // One file shown is no group, and its mark goes with it.
    QCOMPARE(files.hideFile(name, files.fileAt(0)->pathId), 1);
    QCOMPARE(group->checkedCount(), 0);
    result.removeEmptyGroups();
    QCOMPARE(groups.loadAndSortGroups(QStringLiteral("Documents"), 0, ResultMode::Ordinary), 0);
    QCOMPARE(groups.loadAndSortGroups(QStringLiteral("All"), 0, ResultMode::Ordinary), 0);
    QCOMPARE(files.hiddenFiles()->count(), 2);

    // A rule run over the group never marks what is hidden.
    files.hiddenFiles()->clear();
    files.hideFile(name, firstHidden);
    QCOMPARE(groups.loadAndSortGroups(QStringLiteral("Documents"), 0, ResultMode::Ordinary), 1);
    files.loadMembers(name, QStringLiteral("Documents"), ResultMode::Ordinary);
    const int marked = files.applySelection(name, SmartAction::Oldest);
    int shownMarked = 0;
    for (TwFileItem *item : group->items()) {
        if (item->pathId() == firstHidden)
            QVERIFY(!item->isChecked());
        else
            shownMarked += item->isChecked() ? 1 : 0;
    }
    QVERIFY(marked >= 1);
    QCOMPARE(marked, shownMarked);
    QCOMPARE(group->checkedCount(), shownMarked);
}

void TestImageListModel::applySelectionCountsByScope()
{
    TempTree tree;
    const QByteArray content = ResultFixture::bytes('k', 3500);
    QStringList paths;
    for (const QString &name : { QStringLiteral("photo.txt"), QStringLiteral("x/photo (2).txt"),
             QStringLiteral("y/photo copy.txt") })
        paths << tree.writeFile(name, content);
    TwSearchResult result;
    result.addSameSizeGroup(paths, ScanSettings());

    ImageListModel groups(&result);
    groups.loadAndSortGroups(QStringLiteral("Documents"), 0, ResultMode::Ordinary);
    const QString name = groups.groupAt(0)->name;
    // Mode 0 considers every file: two of three marked, the shortest name kept.
    QCOMPARE(groups.applySelection(name, SmartAction::SmartSelect), 2);
    ImageListModel files(&result);
    files.setKind(ImageListModel::FileRows);
    files.loadMembers(name, QStringLiteral("Documents"), ResultMode::Ordinary);
    for (int row = 0; row < files.rowCount(); ++row)
        QCOMPARE(files.fileAt(row)->checked, !files.fileAt(row)->path.endsWith("/photo.txt"));
    QCOMPARE(groups.applySelection(name, SmartAction::Deselect), 0);
    QCOMPARE(groups.applySelection(name, SmartAction::Largest), 2);
    QCOMPARE(groups.applySelection(QStringLiteral("Documents_77"), SmartAction::SmartSelect), 0);

    // The scan's image groups: mode 1 counts marked twins, mode 2 marked heads.
    ImageListModel images(m_result);
    images.loadAndSortGroups(QStringLiteral("Images"), 0, ResultMode::DuplicateImages);
    QCOMPARE(images.applySelection(images.groupAt(0)->name, SmartAction::Newest), 1);
    QCOMPARE(images.applySelection(images.groupAt(0)->name, SmartAction::Deselect), 0);
    images.loadAndSortGroups(QStringLiteral("Images"), 0, ResultMode::SimilarImages);
    const QString similar = images.groupAt(0)->name;
    QCOMPARE(images.applySelection(similar, SmartAction::HighestResolution), 1);
    QCOMPARE(images.groupByName(similar)->checkedHeadCount(), 1);
    // "Select Highest Resolution" marks the larger picture and keeps the smaller.
    ImageListModel members(m_result);
    members.setKind(ImageListModel::FileRows);
    members.loadMembers(similar, QStringLiteral("Images"), ResultMode::SimilarImages);
    for (int row = 0; row < members.rowCount(); ++row)
        QCOMPARE(members.fileAt(row)->checked,
            !members.fileAt(row)->path.endsWith(QLatin1String("sunset_small.jpg")));
    QCOMPARE(images.applySelection(similar, SmartAction::Deselect), 0);
}

void TestImageListModel::marksReachTheFileItems()
{
    ImageListModel groups(m_result);
    ImageListModel files(m_result);
    files.setKind(ImageListModel::FileRows);
    groups.loadAndSortGroups(QStringLiteral("Musics"), 0, ResultMode::Ordinary);
    const QString name = groups.groupAt(0)->name;
    QCOMPARE(groups.applySelection(name, SmartAction::Deselect), 0);
    files.loadMembers(name, QStringLiteral("Musics"), ResultMode::Ordinary);
    const QString pathId = files.fileAt(0)->pathId;
    files.setFileChecked(name, pathId, true);
    QVERIFY(files.fileByPathId(name, pathId)->isChecked());
    QVERIFY(!files.fileAt(0)->checked);
    files.refreshChecks();
    QVERIFY(files.fileAt(0)->checked);
    QVERIFY(!files.fileAt(1)->checked);
    QVERIFY(!files.fileByPathId(name, QStringLiteral("not-an-id")));
    files.setFileChecked(name, pathId, false);
    files.refreshChecks();
    QVERIFY(!files.fileAt(0)->checked);
}

void TestImageListModel::passesTheItemModelTester()
{
    ImageListModel groups(m_result);
    QAbstractItemModelTester groupTester(
        &groups, QAbstractItemModelTester::FailureReportingMode::QtTest);
    ImageListModel files(m_result);
    files.setKind(ImageListModel::FileRows);
    QAbstractItemModelTester fileTester(
        &files, QAbstractItemModelTester::FailureReportingMode::QtTest);
    groups.loadAndSortGroups(QStringLiteral("All"), 0, ResultMode::Ordinary);
    groups.sortGroups(1, true, ResultMode::Ordinary);
    groups.filterGroups(QStringLiteral("o"), QStringLiteral("All"), false, 3, ResultMode::Ordinary);
    files.loadMembers(groups.groupAt(0)->name, QStringLiteral("All"), ResultMode::Ordinary);
    groups.loadAndSortGroups(QStringLiteral("Images"), 2, ResultMode::SimilarImages);
    files.loadMembers(groups.groupAt(0)->name, QStringLiteral("Images"), ResultMode::SimilarImages);
    files.loadMembers(QString(), QStringLiteral("Images"), ResultMode::SimilarImages);
}

QTEST_MAIN(TestImageListModel)
#include "tst_imagelistmodel.moc"
