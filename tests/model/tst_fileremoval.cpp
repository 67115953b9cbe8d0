#include <QDirIterator>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include <sys/mount.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/filestamp.h"
#include "model/movetarget.h"
#include "model/removalplan.h"
#include "model/scansettings.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "platform/nativepath.h"
#include "tests/support/temptree.h"

// Stands in for the results window's progress dialog: counts the reports and
// ends the run after a given number of them, as the dialog's Cancel does.
struct DeletionProgress {
    int calls = 0;
    int stopAfter = -1;
    // Reports whose running count was not one more than the one before.
    int miscounted = 0;

    TwFileItemGroup::RemovalProgress callback()
    {
        return [this](int done) {
            if (done != ++calls)
                ++miscounted;
            return calls != stopAfter;
        };
    }
};

class TestFileRemoval : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void removePermanently();
    void moveToTrash();
    void moveToFolderAvoidsNameClashes();
    void moveToFolderWithoutTargetUsesTrash();
    void failingMoveLeavesSource_data();
    void failingMoveLeavesSource();
    void unknownMethodFails();
    void uniqueTargetPathKeepsTheName_data();
    void uniqueTargetPathKeepsTheName();
    void removeCheckedRemovesOnlyChecked();
    void removeCheckedWithNothingChecked();
    void failedRemovalStaysChecked();
    void cancelStopsAfterThirdFile();
    void secondRunDoesNotConnectTwice();
    void removeItemAdjustsCounters();
    void itemCheckedChangedNeverGoesNegative();
    void filesChangedSinceTheScanAreKept_data();
    void filesChangedSinceTheScanAreKept();
    void folderReplacedByLinkIsNotFollowed();
    void moveIntoOwnFolderIsRefused();
    void moveAcrossFileSystems();
    void planKeepsOneOfEveryFullyMarkedGroup();
    void moveKeepsWhereFilesCameFrom();
    void moveClashesOnlyAcrossRootsOfOneName();
    void moveTargetAboveTheScannedFolderIsRefused();
    void folderSwappedForLinkAfterTheCheck_data();
    void folderSwappedForLinkAfterTheCheck();
    void failedRemovalsNameFileAndReason();
    void namesThatAreNotText_data();
    void namesThatAreNotText();

private:
    // A group of `count` copies named copy0.. under `folder`; the first
    // `checked` items (in group order) are checked.
    std::unique_ptr<TwFileItemGroup> copies(const QString &folder, int count, int checked);
    bool removeChecked(TwFileItemGroup *group, DeletionProgress &progress)
    {
        return group->removeChecked(m_method, m_targetFolder, progress.callback());
    }
    QStringList trashedFiles() const;

    TwFileItemGroup::RemovalMethod m_method;
    QString m_targetFolder;

    std::unique_ptr<TempTree> m_home;
    std::unique_ptr<TempTree> m_tree;
};

void TestFileRemoval::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The trash lives under the home folder; point it at a temporary one.
    m_home = std::make_unique<TempTree>();
    QVERIFY(m_home->isValid());
    qputenv("HOME", QFile::encodeName(m_home->root()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home->path("share")));
}

void TestFileRemoval::init()
{
    m_tree = std::make_unique<TempTree>();
    QVERIFY(m_tree->isValid());
    m_method = TwGenernalPreferences::MoveToTrash;
    m_targetFolder.clear();
}

void TestFileRemoval::cleanup()
{
    m_tree.reset();
}

std::unique_ptr<TwFileItemGroup> TestFileRemoval::copies(
    const QString &folder, int count, int checked)
{
    std::unique_ptr<TwFileItemGroup> group;
    for (int i = 0; i < count; ++i) {
        const QString path = m_tree->writeFile(
            QStringLiteral("%1/copy%2.bin").arg(folder).arg(i), QByteArray(100, 'c'));
        auto *item = new TwFileItem(path, true);
        if (!group)
            group = std::make_unique<TwFileItemGroup>(item);
        else
            group->addItem(item);
    }
    const QList<TwFileItem *> items = group->items();
    for (int i = 0; i < checked; ++i) {
        items.at(i)->setChecked(true);
        group->itemCheckedChanged(true, items.at(i)->fileSize());
    }
    return group;
}

QStringList TestFileRemoval::trashedFiles() const
{
    QStringList names;
    QDirIterator it(m_home->root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.filePath().contains(QLatin1String("/Trash/files/")))
            names << it.fileName();
    }
    return names;
}

void TestFileRemoval::removePermanently()
{
    const QString path = m_tree->writeFile("gone.txt", "bye");
    QVERIFY(
        TwFileItemGroup::dealWithFile(path, TwGenernalPreferences::RemovePermanently, QString()));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!trashedFiles().contains(QStringLiteral("gone.txt")));

    // Removing what is no longer there is a failure, and says so.
    QTest::ignoreMessage(
        QtInfoMsg, qPrintable(QStringLiteral("dealWithFile:Delete file is failed ! file=") + path));
    QVERIFY(
        !TwFileItemGroup::dealWithFile(path, TwGenernalPreferences::RemovePermanently, QString()));
}

void TestFileRemoval::moveToTrash()
{
    const QString path = m_tree->writeFile("trash-me.txt", "later");
    QVERIFY(TwFileItemGroup::dealWithFile(path, TwGenernalPreferences::MoveToTrash, QString()));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(trashedFiles().contains(QStringLiteral("trash-me.txt")));
}

void TestFileRemoval::moveToFolderAvoidsNameClashes()
{
    const QString target = m_tree->path("target");
    m_tree->writeFile("target/IMG.JPG", "old");
    m_tree->writeFile("target/IMG_1.JPG", "older");
    const QString source = m_tree->writeFile("source/IMG.JPG", "new picture");
    QVERIFY(TwFileItemGroup::dealWithFile(source, TwGenernalPreferences::MoveToFolder, target));
    QVERIFY(!QFileInfo::exists(source));
    QFile arrived(m_tree->path("target/IMG_2.JPG"));
    QVERIFY(arrived.open(QIODevice::ReadOnly));
    QCOMPARE(arrived.readAll(), QByteArray("new picture"));
    // The files already there are untouched.
    QFile old(m_tree->path("target/IMG.JPG"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));

    // Without a clash the name stays as it is.
    const QString plain = m_tree->writeFile("source/other.png", "x");
    QVERIFY(TwFileItemGroup::dealWithFile(plain, TwGenernalPreferences::MoveToFolder, target));
    QVERIFY(QFileInfo::exists(m_tree->path("target/other.png")));
}

void TestFileRemoval::moveToFolderWithoutTargetUsesTrash()
{
    const QString path = m_tree->writeFile("no-target.txt", "t");
    QVERIFY(TwFileItemGroup::dealWithFile(path, TwGenernalPreferences::MoveToFolder, QString()));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(trashedFiles().contains(QStringLiteral("no-target.txt")));
}

void TestFileRemoval::failingMoveLeavesSource_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder missing") << "missing/folder";
    QTest::newRow("target is a file") << "blocker.txt";
}

void TestFileRemoval::failingMoveLeavesSource()
{
    QFETCH(QString, target);
    m_tree->writeFile("blocker.txt", "i am a file");
    const QString source = m_tree->writeFile("keep/precious.doc", "only copy");
    QTest::ignoreMessage(QtInfoMsg,
        qPrintable(QStringLiteral("dealWithFile:Delete file is failed ! file=") + source));
    QVERIFY(!TwFileItemGroup::dealWithFile(
        source, TwGenernalPreferences::MoveToFolder, m_tree->path(target)));
    QFile kept(source);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("only copy"));
}

void TestFileRemoval::unknownMethodFails()
{
    const QString path = m_tree->writeFile("stays.txt", "s");
    QTest::ignoreMessage(
        QtInfoMsg, qPrintable(QStringLiteral("dealWithFile:Delete file is failed ! file=") + path));
    QVERIFY(!TwFileItemGroup::dealWithFile(
        path, QFlags<TwGenernalPreferences::TwRemovalMethodFlag>(7), QString()));
    QVERIFY(QFileInfo::exists(path));
}

void TestFileRemoval::uniqueTargetPathKeepsTheName_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << QStringList() << "IMG.JPG"
                          << "IMG"
                          << "IMG.JPG";
    QTest::newRow("two taken") << QStringList({ "IMG.JPG", "IMG_1.JPG" }) << "IMG.JPG"
                               << "IMG"
                               << "IMG_2.JPG";
    QTest::newRow("gap is used") << QStringList({ "IMG.JPG", "IMG_2.JPG" }) << "IMG.JPG"
                                 << "IMG"
                                 << "IMG_1.JPG";
    QTest::newRow("double suffix kept") << QStringList({ "a.tar.gz" }) << "a.tar.gz"
                                        << "a"
                                        << "a_1.tar.gz";
    QTest::newRow("no suffix, no trailing dot") << QStringList({ "README" }) << "README"
                                                << "README"
                                                << "README_1";
    QTest::newRow("dotted name kept whole") << QStringList({ "my.trip.jpg" }) << "my.trip.jpg"
                                            << "my"
                                            << "my_1.trip.jpg";
}

void TestFileRemoval::uniqueTargetPathKeepsTheName()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(QString, baseName);
    QFETCH(QString, expected);
    for (const QString &file : existing)
        QVERIFY(!m_tree->writeFile("clash/" + file, "x").isEmpty());
    QVERIFY(m_tree->makeDir("clash"));
    QCOMPARE(TwFileItemGroup::uniqueTargetPath(m_tree->path("clash/" + name), baseName, 1),
        m_tree->path("clash/" + expected));
}

void TestFileRemoval::removeCheckedRemovesOnlyChecked()
{
    auto group = copies("three", 3, 2);
    QCOMPARE(group->checkedCount(), 2);
    QCOMPARE(group->checkedBytes(), qint64(200));
    const QList<TwFileItem *> before = group->items();
    const QString survivor = before.at(2)->filePath();

    DeletionProgress progress;
    QVERIFY(removeChecked(group.get(), progress));
    QCOMPARE(progress.calls, 2);
    QCOMPARE(progress.miscounted, 0);
    QCOMPARE(group->allItemCount(), 1);
    QCOMPARE(group->firstItem()->filePath(), survivor);
    QCOMPARE(group->checkedCount(), 0);
    QCOMPARE(group->checkedBytes(), qint64(0));
    QCOMPARE(group->keyCount(), 1);
    QVERIFY(QFileInfo::exists(survivor));
    QCOMPARE(trashedFiles().filter(QStringLiteral("copy")).size(), 2);
}

void TestFileRemoval::removeCheckedWithNothingChecked()
{
    auto group = copies("none", 3, 0);
    QSignalSpy spy(group.get(), &TwFileItemGroup::deleteItemFile);
    DeletionProgress progress;
    removeChecked(group.get(), progress);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(progress.calls, 0);
    QCOMPARE(group->allItemCount(), 3);
    QCOMPARE(group->checkedCount(), 0);
}

void TestFileRemoval::failedRemovalStaysChecked()
{
    m_method = TwGenernalPreferences::MoveToFolder;
    m_targetFolder = m_tree->path("does/not/exist");
    auto group = copies("fails", 3, 2);
    DeletionProgress progress;
    for (int i = 0; i < 2; ++i)
        QTest::ignoreMessage(
            QtInfoMsg, QRegularExpression(QStringLiteral("^dealWithFile:Delete file is failed")));
    removeChecked(group.get(), progress);
    // Every checked file is reported, but nothing was removed or uncounted.
    QCOMPARE(progress.calls, 2);
    QCOMPARE(group->allItemCount(), 3);
    QCOMPARE(group->checkedCount(), 2);
    QCOMPARE(group->checkedBytes(), qint64(200));
    for (const TwFileItem *item : group->items())
        QVERIFY(QFileInfo::exists(item->filePath()));
}

void TestFileRemoval::cancelStopsAfterThirdFile()
{
    m_method = TwGenernalPreferences::RemovePermanently;
    auto group = copies("ten", 10, 10);
    DeletionProgress progress;
    progress.stopAfter = 3;
    QVERIFY(!removeChecked(group.get(), progress));
    QCOMPARE(progress.calls, 3);
    QCOMPARE(group->allItemCount(), 7);
    QCOMPARE(group->checkedCount(), 7);
    QCOMPARE(group->checkedBytes(), qint64(700));
    int present = 0;
    for (int i = 0; i < 10; ++i)
        present += QFileInfo::exists(m_tree->path(QStringLiteral("ten/copy%1.bin").arg(i))) ? 1 : 0;
    QCOMPARE(present, 7);
    for (const TwFileItem *item : group->items()) {
        QVERIFY(item->isChecked());
        QVERIFY(QFileInfo::exists(item->filePath()));
    }
}

void TestFileRemoval::secondRunDoesNotConnectTwice()
{
    m_method = TwGenernalPreferences::RemovePermanently;
    auto group = copies("twice", 4, 1);
    QSignalSpy spy(group.get(), &TwFileItemGroup::deleteItemFile);
    DeletionProgress first;
    removeChecked(group.get(), first);
    QCOMPARE(first.calls, 1);
    group->items().first()->setChecked(true);
    DeletionProgress second;
    removeChecked(group.get(), second);
    QCOMPARE(second.calls, 1);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(group->allItemCount(), 2);
}

void TestFileRemoval::removeItemAdjustsCounters()
{
    // Two keys: a pair of copies and one lone item.
    auto group = copies("remove", 2, 0);
    const QString lonePath = m_tree->writeFile("remove/lone.bin", QByteArray(40, 'l'));
    auto *lone = new TwFileItem(lonePath, true);
    group->addItem(lone);
    QCOMPARE(group->keyCount(), 2);
    QCOMPARE(group->duplicateItemCount(), 2);

    lone->setChecked(true);
    group->itemCheckedChanged(true, 40);
    TwFileItem *copy = nullptr;
    for (const TwFileItemGroup::ItemList &items : group->itemsByKey()) {
        if (items.size() == 2)
            copy = items.first();
    }
    QVERIFY(copy);
    copy->setChecked(true);
    group->itemCheckedChanged(true, 100);
    QCOMPARE(group->checkedCount(), 2);
    QCOMPARE(group->checkedBytes(), qint64(140));
    QCOMPARE(group->checkedDuplicateCount(), 1);

    QCOMPARE(group->removeItem(lone), 2);
    QCOMPARE(group->keyCount(), 1);
    QCOMPARE(group->checkedCount(), 1);
    QCOMPARE(group->checkedBytes(), qint64(100));
    // The file itself stays on disk.
    QVERIFY(QFileInfo::exists(lonePath));

    // An unchecked member leaves the counters alone.
    TwFileItem *other = group->items().at(0) == copy ? group->items().at(1) : group->items().at(0);
    QVERIFY(!other->isChecked());
    QCOMPARE(group->removeItem(other), 1);
    QCOMPARE(group->checkedCount(), 1);
    QCOMPARE(group->checkedBytes(), qint64(100));

    // Something that is not a member changes nothing.
    TwFileItem stranger(lonePath, false);
    QCOMPARE(group->removeItem(&stranger), 1);

    QCOMPARE(group->removeItem(group->firstItem()), 0);
    QCOMPARE(group->checkedCount(), 0);
    QCOMPARE(group->checkedBytes(), qint64(0));
    QVERIFY(!group->firstItem());
}

void TestFileRemoval::itemCheckedChangedNeverGoesNegative()
{
    auto group = copies("clamp", 2, 0);
    group->itemCheckedChanged(false, 500);
    QCOMPARE(group->checkedCount(), 0);
    QCOMPARE(group->checkedBytes(), qint64(0));
    group->itemCheckedChanged(true, 100);
    group->itemCheckedChanged(false, 300);
    QCOMPARE(group->checkedCount(), 0);
    QCOMPARE(group->checkedBytes(), qint64(0));
}

namespace {

// Gives `path` other content of the same size and a later modification time.
void rewrite(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    file.write(QByteArray(int(size), 'x'));
    file.close();
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(
        QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
}

} // namespace

void TestFileRemoval::filesChangedSinceTheScanAreKept_data()
{
    QTest::addColumn<int>("changed");
    QTest::newRow("the marked copy") << 0;
    QTest::newRow("the copy that stays") << 1;
}

// A marked copy edited after the scan is no copy any more; and when the copy
// that stays was edited, the marked one holds the only original content.
void TestFileRemoval::filesChangedSinceTheScanAreKept()
{
    QFETCH(int, changed);
    m_method = TwGenernalPreferences::RemovePermanently;
    auto group = copies("edited", 2, 1);
    const QList<TwFileItem *> items = group->items();
    const QString marked = items.at(0)->filePath();
    rewrite(items.at(changed)->filePath());
    DeletionProgress progress;
    QTest::ignoreMessage(QtInfoMsg,
        QRegularExpression(QStringLiteral("changed since the scan, kept: .*")
            + QRegularExpression::escape(QFileInfo(marked).fileName())));
    QVERIFY(removeChecked(group.get(), progress));
    QCOMPARE(progress.calls, 1);
    QCOMPARE(group->keptChangedCount(), 1);
    QCOMPARE(group->allItemCount(), 2);
    QCOMPARE(group->checkedCount(), 1);
    for (const TwFileItem *item : items)
        QVERIFY(QFileInfo::exists(item->filePath()));
}

void TestFileRemoval::folderReplacedByLinkIsNotFollowed()
{
    m_method = TwGenernalPreferences::RemovePermanently;
    auto group = copies("scanned", 2, 1);
    const QString marked = group->items().at(0)->filePath();
    // The scanned folder moves away and a link to a look-alike elsewhere
    // takes its place: the marked name now reaches a file outside the scan.
    QVERIFY(QDir().rename(m_tree->path("scanned"), m_tree->path("moved")));
    m_tree->writeFile(QStringLiteral("elsewhere/copy0.bin"), QByteArray(100, 'c'));
    m_tree->writeFile(QStringLiteral("elsewhere/copy1.bin"), QByteArray(100, 'c'));
    QVERIFY(QFile::link(m_tree->path("elsewhere"), m_tree->path("scanned")));
    DeletionProgress progress;
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("changed since the scan, kept")));
    removeChecked(group.get(), progress);
    QCOMPARE(group->keptChangedCount(), 1);
    QVERIFY(QFileInfo::exists(m_tree->path("elsewhere/copy0.bin")));
    QVERIFY(QFileInfo::exists(m_tree->path("moved/copy0.bin")));
    QVERIFY(QFileInfo::exists(marked));
}

void TestFileRemoval::moveIntoOwnFolderIsRefused()
{
    const QString path = m_tree->writeFile(QStringLiteral("here/x.txt"), "x");
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("not moved into its own folder")));
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("^dealWithFile:Delete file is failed")));
    QVERIFY(!TwFileItemGroup::dealWithFile(
        path, TwGenernalPreferences::MoveToFolder, m_tree->path("here/.")));
    QCOMPARE(
        QDir(m_tree->path("here")).entryList(QDir::Files | QDir::Hidden), QStringList { "x.txt" });
}

// Onto a small file system of its own: a file that does not fit stays where
// it was and leaves no part behind; one that fits arrives with its times.
void TestFileRemoval::moveAcrossFileSystems()
{
    const QString mountPoint = m_tree->path("small");
    QDir().mkpath(mountPoint);
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("needs a tmpfs mount (run as root)");
    struct Unmount {
        QByteArray point;
        ~Unmount() { ::umount(point.constData()); }
    } unmount { QFile::encodeName(mountPoint) };

    const QByteArray big(1 << 20, 'b');
    const QString large = m_tree->writeFile(QStringLiteral("from/large.bin"), big);
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("not moved \\(copy failed")));
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("^dealWithFile:Delete file is failed")));
    QVERIFY(!TwFileItemGroup::dealWithFile(large, TwGenernalPreferences::MoveToFolder, mountPoint));
    QFile source(large);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QCOMPARE(source.readAll(), big);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList());

    const QString small = m_tree->writeFile(QStringLiteral("from/small.txt"), "small");
    const QDateTime then = QDateTime::fromSecsSinceEpoch(1500000000);
    {
        QFile file(small);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(then, QFileDevice::FileModificationTime));
    }
    QVERIFY(TwFileItemGroup::dealWithFile(small, TwGenernalPreferences::MoveToFolder, mountPoint));
    QVERIFY(!QFileInfo::exists(small));
    const QFileInfo moved(mountPoint + QStringLiteral("/small.txt"));
    QVERIFY(moved.exists());
    QCOMPARE(moved.lastModified(), then);
    QCOMPARE(moved.size(), qint64(5));
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList { "small.txt" });
}

// Marking every copy of a file and confirming keeps one of them by default:
// the one the selection rule keeps, with the user's other marks untouched.
void TestFileRemoval::planKeepsOneOfEveryFullyMarkedGroup()
{
    auto whole = copies("whole", 3, 3);
    auto partial = copies("partial", 3, 1);
    const ScanSettings settings;
    RemovalPlan plan({ whole.get(), partial.get() }, settings);
    QCOMPARE(plan.fileCount(), 4);
    QCOMPARE(plan.groupCount(), 2);
    QCOMPARE(plan.wholeGroups().size(), 1);
    const RemovalPlan::WholeGroup &guarded = plan.wholeGroups().first();
    QCOMPARE(guarded.group, whole.get());
    QVERIFY(guarded.keeper);
    QVERIFY(whole->items().contains(guarded.keeper));
    // Finding the keeper must not change what the user marked.
    for (const TwFileItem *item : whole->items())
        QVERIFY(item->isChecked());
    QCOMPARE(plan.fileCount(true), 3);

    const QString keeper = guarded.keeperPath;
    plan.keepOnePerWholeGroup();
    QCOMPARE(whole->checkedCount(), 2);
    QCOMPARE(partial->checkedCount(), 1);
    DeletionProgress progress;
    m_method = TwGenernalPreferences::RemovePermanently;
    removeChecked(whole.get(), progress);
    QCOMPARE(whole->allItemCount(), 1);
    QCOMPARE(whole->firstItem()->filePath(), keeper);
    QVERIFY(QFileInfo::exists(keeper));
}

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Below the target each file gets the scanned folder's name and its own
// folders: nested paths are made, equal names in different folders never
// meet, and a folder that is already there is used as it is.
void TestFileRemoval::moveKeepsWhereFilesCameFrom()
{
    const QString root = m_tree->path("Photos");
    const QString target = m_tree->path("target");
    QVERIFY(m_tree->makeDir("target/Photos/2019"));
    const QString resident = m_tree->writeFile("target/Photos/2019/resident.txt", "was here");
    const QString deep = m_tree->writeFile("Photos/2019/summer/beach/IMG.JPG", "deep");
    const QString first = m_tree->writeFile("Photos/2019/IMG.JPG", "first");
    const QString second = m_tree->writeFile("Photos/2020/IMG.JPG", "second");
    const QString top = m_tree->writeFile("Photos/top.txt", "top");
    QVERIFY(::chmod(QFile::encodeName(m_tree->path("Photos/2020")).constData(), 0750) == 0);

    const MoveTarget moveTarget(target, { m_tree->path("Other"), root });
    for (const QString &path : { deep, first, second, top })
        QVERIFY2(
            TwFileItemGroup::dealWithFile(path, TwGenernalPreferences::MoveToFolder, moveTarget),
            qPrintable(path));
    QCOMPARE(contentOf(target + "/Photos/2019/summer/beach/IMG.JPG"), QByteArray("deep"));
    QCOMPARE(contentOf(target + "/Photos/2019/IMG.JPG"), QByteArray("first"));
    QCOMPARE(contentOf(target + "/Photos/2020/IMG.JPG"), QByteArray("second"));
    QCOMPARE(contentOf(target + "/Photos/top.txt"), QByteArray("top"));
    QCOMPARE(contentOf(resident), QByteArray("was here"));
    for (const QString &path : { deep, first, second, top })
        QVERIFY(!QFileInfo::exists(path));
    // Nothing was renamed, and nothing landed flat in the target.
    QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(target + "/Photos/2019").entryList(QDir::Files),
        QStringList({ "IMG.JPG", "resident.txt" }));
    struct stat made { };
    QVERIFY(::stat(QFile::encodeName(target + "/Photos/2020").constData(), &made) == 0);
    QCOMPARE(int(made.st_mode & 0777), 0750);

    // A file under no scanned folder still goes into the target itself.
    const QString stray = m_tree->writeFile("elsewhere/stray.txt", "stray");
    QVERIFY(TwFileItemGroup::dealWithFile(stray, TwGenernalPreferences::MoveToFolder, moveTarget));
    QCOMPARE(contentOf(target + "/stray.txt"), QByteArray("stray"));
}

// Two scanned folders of one name share their first level below the target:
// what still clashes there is renamed, never replaced.
void TestFileRemoval::moveClashesOnlyAcrossRootsOfOneName()
{
    const QString target = m_tree->path("target");
    QVERIFY(m_tree->makeDir("target"));
    const QString one = m_tree->writeFile("disk1/photos/a.jpg", "one");
    const QString two = m_tree->writeFile("disk2/photos/a.jpg", "two");
    // A root given with a trailing slash names the same folder.
    const MoveTarget moveTarget(
        target, { m_tree->path("disk1/photos/"), m_tree->path("disk2/photos") });
    QVERIFY(TwFileItemGroup::dealWithFile(one, TwGenernalPreferences::MoveToFolder, moveTarget));
    QVERIFY(TwFileItemGroup::dealWithFile(two, TwGenernalPreferences::MoveToFolder, moveTarget));
    QCOMPARE(contentOf(target + "/photos/a.jpg"), QByteArray("one"));
    QCOMPARE(contentOf(target + "/photos/a_1.jpg"), QByteArray("two"));
}

// With the target just above the scanned folder a file's place below the
// target is where it already is: moving would only rename it there.
void TestFileRemoval::moveTargetAboveTheScannedFolderIsRefused()
{
    const QString path = m_tree->writeFile("scan/sub/x.txt", "x");
    const MoveTarget moveTarget(m_tree->root(), { m_tree->path("scan") });
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("not moved into its own folder")));
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("^dealWithFile:Delete file is failed")));
    QString reason;
    QVERIFY(!TwFileItemGroup::dealWithFile(
        path, TwGenernalPreferences::MoveToFolder, moveTarget, &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(QDir(m_tree->path("scan/sub")).entryList(QDir::Files | QDir::Hidden),
        QStringList { "x.txt" });
}

void TestFileRemoval::folderSwappedForLinkAfterTheCheck_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("permanent") << int(TwGenernalPreferences::RemovePermanently);
    QTest::newRow("trash") << int(TwGenernalPreferences::MoveToTrash);
    QTest::newRow("folder") << int(TwGenernalPreferences::MoveToFolder);
}

// The scan saw the file; then its folder is swapped for a link to a
// look-alike elsewhere. Whatever the method, the file reached through the
// link is not the one the scan saw and stays.
void TestFileRemoval::folderSwappedForLinkAfterTheCheck()
{
    QFETCH(int, method);
    const QString path = m_tree->writeFile("scanned/copy.bin", QByteArray(100, 'c'));
    const FileStamp stamp = FileStamp::of(path);
    QVERIFY(stamp.isValid());
    QVERIFY(QDir().rename(m_tree->path("scanned"), m_tree->path("moved")));
    const QString outside = m_tree->writeFile("elsewhere/copy.bin", QByteArray(100, 'c'));
    QVERIFY(QFile::link(m_tree->path("elsewhere"), m_tree->path("scanned")));
    QVERIFY(m_tree->makeDir("target"));

    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("^dealWithFile:Delete file is failed")));
    QString reason;
    QVERIFY(!TwFileItemGroup::dealWithFile(path, TwGenernalPreferences::TwRemovalMethodFlag(method),
        MoveTarget(m_tree->path("target")), &reason, &stamp));
    QVERIFY(reason.contains(QLatin1String("changed since the scan")));
    QCOMPARE(contentOf(outside), QByteArray(100, 'c'));
    QVERIFY(QFileInfo::exists(m_tree->path("moved/copy.bin")));
    QVERIFY(!trashedFiles().contains(QStringLiteral("copy.bin")));
    QVERIFY(!QFileInfo::exists(m_tree->path("target/copy.bin")));

    // The same folder reached through a link the scan itself went through
    // is still the folder it saw.
    const QString viaLink = m_tree->path("link/copy.bin");
    QVERIFY(QFile::link(m_tree->path("moved"), m_tree->path("link")));
    const FileStamp seen = FileStamp::of(viaLink);
    QVERIFY(TwFileItemGroup::dealWithFile(
        viaLink, TwGenernalPreferences::RemovePermanently, MoveTarget(), nullptr, &seen));
    QVERIFY(!QFileInfo::exists(m_tree->path("moved/copy.bin")));
}

// A file that cannot go is named with the reason, for the report at the end
// of the run; files kept because they changed are not failures.
void TestFileRemoval::failedRemovalsNameFileAndReason()
{
    m_method = TwGenernalPreferences::RemovePermanently;
    QVERIFY(m_tree->makeDir("locked"));
    const QString lockedFolder = m_tree->path("locked");
    struct Mounted {
        QByteArray point;
        ~Mounted()
        {
            if (!point.isEmpty())
                ::umount(point.constData());
        }
    } mounted;
    std::unique_ptr<TwFileItemGroup> group;
    if (::geteuid() == 0) {
        // Permissions do not stop the superuser; a read-only mount does.
        if (::mount("tmpfs", QFile::encodeName(lockedFolder).constData(), "tmpfs", 0, "size=64k")
            != 0)
            QSKIP("needs a tmpfs mount");
        mounted.point = QFile::encodeName(lockedFolder);
        group = copies("locked", 3, 2);
        QVERIFY(
            ::mount(nullptr, mounted.point.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr)
            == 0);
    } else {
        group = copies("locked", 3, 2);
        QVERIFY(::chmod(QFile::encodeName(lockedFolder).constData(), 0555) == 0);
    }
    const auto unlock
        = qScopeGuard([&] { ::chmod(QFile::encodeName(lockedFolder).constData(), 0755); });
    const QList<TwFileItem *> items = group->items();
    QStringList marked;
    for (const TwFileItem *item : items) {
        if (item->isChecked())
            marked << item->filePath();
    }
    for (int i = 0; i < 2; ++i)
        QTest::ignoreMessage(
            QtInfoMsg, QRegularExpression(QStringLiteral("^dealWithFile:Delete file is failed")));
    DeletionProgress progress;
    QVERIFY(removeChecked(group.get(), progress));
    QCOMPARE(group->keptChangedCount(), 0);
    QCOMPARE(group->failures().size(), 2);
    QStringList failed;
    for (const TwFileItemGroup::Failure &failure : group->failures()) {
        failed << failure.path;
        QVERIFY2(!failure.reason.isEmpty(), qPrintable(failure.path));
    }
    failed.sort();
    marked.sort();
    QCOMPARE(failed, marked);
    QCOMPARE(group->allItemCount(), 3);

    // The next run starts its list afresh.
    for (TwFileItem *item : group->items())
        item->setChecked(false);
    DeletionProgress again;
    removeChecked(group.get(), again);
    QVERIFY(group->failures().isEmpty());
}

namespace {

bool writeRaw(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return written;
}

bool existsRaw(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

} // namespace

void TestFileRemoval::namesThatAreNotText_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("permanently") << int(TwGenernalPreferences::RemovePermanently);
    QTest::newRow("trash") << int(TwGenernalPreferences::MoveToTrash);
    QTest::newRow("folder") << int(TwGenernalPreferences::MoveToFolder);
}

void TestFileRemoval::namesThatAreNotText()
{
    QFETCH(int, method);
    const QByteArray root = NativePath::encode(m_tree->root());
    const QByteArray kept = root + "/caf\xe9-0.bin";
    const QByteArray marked = root + "/caf\xe9-1.bin";
    // What a lossy conversion would turn the marked name into.
    const QByteArray lookalike = root + "/caf\xef\xbf\xbd-1.bin";
    const QByteArray content(300, 'n');
    QVERIFY(writeRaw(kept, content) && writeRaw(marked, content) && writeRaw(lookalike, content));
    const QByteArray target = root + "/moved\xe9";
    QCOMPARE(::mkdir(target.constData(), 0700), 0);

    auto group = std::make_unique<TwFileItemGroup>(new TwFileItem(NativePath::decode(kept), true));
    auto *item = new TwFileItem(NativePath::decode(marked), true);
    group->addItem(item);
    QCOMPARE(group->items().first()->matchKey(), item->matchKey());
    QVERIFY(!item->matchKey().isEmpty());
    item->setChecked(true);
    group->itemCheckedChanged(true, item->fileSize());
    QCOMPARE(item->fileSize(), qint64(content.size()));

    DeletionProgress progress;
    QVERIFY(group->removeChecked(
        TwFileItemGroup::RemovalMethod(method), NativePath::decode(target), progress.callback()));
    QVERIFY(!existsRaw(marked));
    QVERIFY(existsRaw(kept));
    QVERIFY(existsRaw(lookalike));
    if (method == TwGenernalPreferences::MoveToFolder)
        QVERIFY(existsRaw(target + "/caf\xe9-1.bin"));
    if (method == TwGenernalPreferences::MoveToTrash) {
        QStringList trashed;
        for (const QString &name : trashedFiles())
            if (NativePath::encode(name) == "caf\xe9-1.bin")
                trashed << name;
        QCOMPARE(trashed.size(), 1);
    }
}

QTEST_GUILESS_MAIN(TestFileRemoval)
#include "tst_fileremoval.moc"
