#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include "platform/applocations.h"
#include "tests/support/temptree.h"

class TestAppLocations : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { AppLocations::setApplicationFolderOverride(QString()); }

    void writableApplicationFolderIsUsed();
    void uncreatableApplicationFolderFallsBack();
    void readOnlyApplicationFolderFallsBack();
    void existingWritableEntriesBesideReadOnlyExecutableStay();
    void installedLayoutUsesUserFoldersEvenWhenWritable();
    void writableProbeLeavesNothingBehind();
    void overrideCanBeCleared();
};

void TestAppLocations::writableApplicationFolderIsUsed()
{
    TempTree tree;
    AppLocations::setApplicationFolderOverride(tree.root());
    QCOMPARE(AppLocations::dataFolder(QStringLiteral("Log")), tree.path(QStringLiteral("Log")));
    QCOMPARE(AppLocations::configFolder(), tree.root());
    QCOMPARE(AppLocations::configFile(QStringLiteral("preferences.cfg")),
        tree.path(QStringLiteral("preferences.cfg")));
    // Choosing a folder does not create the data folder itself.
    QVERIFY(!QFileInfo::exists(tree.path(QStringLiteral("Log"))));
}

void TestAppLocations::uncreatableApplicationFolderFallsBack()
{
    TempTree tree;
    // Below a plain file no folder can exist, whoever runs the test.
    QVERIFY(!tree.writeFile(QStringLiteral("file"), "x").isEmpty());
    AppLocations::setApplicationFolderOverride(tree.path(QStringLiteral("file/bin")));

    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Orvane/Orvane Twinscan");
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Orvane/Orvane Twinscan");
    QVERIFY(!data.isEmpty());
    QCOMPARE(AppLocations::dataFolder(QStringLiteral("Log")), data + QStringLiteral("/Log"));
    QCOMPARE(AppLocations::configFolder(), config);
    QCOMPARE(AppLocations::configFile(QStringLiteral("preferences.cfg")),
        config + QStringLiteral("/preferences.cfg"));
    QVERIFY(!AppLocations::isWritableFolder(tree.path(QStringLiteral("file/bin"))));

    // The command-line scanner runs under another application name and must
    // still find the program's preferences and log.
    const QString appName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("twinscan-cli"));
    QCOMPARE(AppLocations::configFolder(), config);
    QCOMPARE(AppLocations::dataFolder(QStringLiteral("Log")), data + QStringLiteral("/Log"));
    QCoreApplication::setApplicationName(appName);
    QCOMPARE(AppLocations::chooseFolder(tree.path(QStringLiteral("file/bin")), tree.root()),
        tree.root());
}

void TestAppLocations::readOnlyApplicationFolderFallsBack()
{
    TempTree tree;
    QVERIFY(tree.makeDir(QStringLiteral("bin")));
    const QString bin = tree.path(QStringLiteral("bin"));
    QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));
    const bool stillWritable = AppLocations::isWritableFolder(bin);
    if (stillWritable) {
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("permission bits do not stop this user (administrator)");
    }
    AppLocations::setApplicationFolderOverride(bin);
    QCOMPARE(AppLocations::dataFolder(QStringLiteral("Log")),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Orvane/Orvane Twinscan") + QStringLiteral("/Log"));
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestAppLocations::existingWritableEntriesBesideReadOnlyExecutableStay()
{
    TempTree tree;
    QVERIFY(tree.makeDir(QStringLiteral("bin/Log")));
    QVERIFY(!tree.writeFile(QStringLiteral("bin/preferences.cfg"), "cfg").isEmpty());
    const QString bin = tree.path(QStringLiteral("bin"));
    QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));
    if (AppLocations::isWritableFolder(bin)) {
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("permission bits do not stop this user (administrator)");
    }
    AppLocations::setApplicationFolderOverride(bin);
    QCOMPARE(AppLocations::dataFolder(QStringLiteral("Log")), bin + QStringLiteral("/Log"));
    QCOMPARE(AppLocations::configFile(QStringLiteral("preferences.cfg")),
        bin + QStringLiteral("/preferences.cfg"));
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestAppLocations::installedLayoutUsesUserFoldersEvenWhenWritable()
{
    TempTree tree;
    QVERIFY(!tree.writeFile(QStringLiteral("usr/share/applications/com.orvane.Twinscan.desktop"),
                     "[Desktop Entry]\n")
                 .isEmpty());
    QVERIFY(!tree.writeFile(QStringLiteral("usr/bin/preferences.cfg"), "cfg").isEmpty());
    QVERIFY(tree.makeDir(QStringLiteral("usr/bin/Log")));
    const QString bin = tree.path(QStringLiteral("usr/bin"));
    // As /usr/bin is for the administrator: writable, and both entries already there.
    QVERIFY(AppLocations::isWritableFolder(bin));
    AppLocations::setApplicationFolderOverride(bin);

    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Orvane/Orvane Twinscan");
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Orvane/Orvane Twinscan");
    QVERIFY(AppLocations::isInstalledLayout());
    QCOMPARE(AppLocations::dataFolder(QStringLiteral("Log")), data + QStringLiteral("/Log"));
    QCOMPARE(AppLocations::configFolder(), config);
    QCOMPARE(AppLocations::configFile(QStringLiteral("preferences.cfg")),
        config + QStringLiteral("/preferences.cfg"));

    // Another program's entry beside the folder does not make it ours.
    QVERIFY(!tree.writeFile(QStringLiteral("opt/share/applications/other.desktop"), "x").isEmpty());
    QVERIFY(tree.makeDir(QStringLiteral("opt/bin")));
    AppLocations::setApplicationFolderOverride(tree.path(QStringLiteral("opt/bin")));
    QVERIFY(!AppLocations::isInstalledLayout());
    QCOMPARE(
        AppLocations::dataFolder(QStringLiteral("Log")), tree.path(QStringLiteral("opt/bin/Log")));
}

void TestAppLocations::writableProbeLeavesNothingBehind()
{
    TempTree tree;
    const QString missing = tree.path(QStringLiteral("a/b/c"));
    QVERIFY(AppLocations::isWritableFolder(missing));
    QVERIFY(QFileInfo(missing).isDir());
    QCOMPARE(
        QDir(missing).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
    QVERIFY(!AppLocations::isWritableFolder(QString()));
}

void TestAppLocations::overrideCanBeCleared()
{
    AppLocations::setApplicationFolderOverride(QStringLiteral("/somewhere/else"));
    QCOMPARE(AppLocations::applicationFolder(), QStringLiteral("/somewhere/else"));
    AppLocations::setApplicationFolderOverride(QString());
    QCOMPARE(AppLocations::applicationFolder(), QCoreApplication::applicationDirPath());
}

QTEST_GUILESS_MAIN(TestAppLocations)
#include "tst_applocations.moc"
