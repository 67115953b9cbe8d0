#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTextStream>
#include <QtTest>

#include <sys/stat.h>

#include "app/cli/cliactions.h"
#include "app/cli/clirunner.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "model/scansettings.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/temptree.h"

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// The runner in-process; `answer`, when given, is typed on a terminal.
Outcome runCli(const QStringList &arguments, const QString *answer = nullptr)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    QString typed = answer ? *answer : QString();
    QTextStream in(&typed);
    CliRunner runner;
    if (answer)
        runner.setInput(&in, true);
    outcome.status = runner.run(QStringList { "twinscan-cli" } + arguments, out, err);
    return outcome;
}

// One scan whose result the test changes files behind before acting on it.
class Scan {
public:
    explicit Scan(const QStringList &folders)
        : m_settings(ScanSettings::fromPreferences(*TwPreferences::instance()))
    {
        m_engine.setSimilarPassEnabled(false);
        QSignalSpy ended(&m_engine, &ScanEngine::scanEnded);
        m_started = m_engine.BeginScanCatalogue(folders, m_settings) && ended.wait(60000);
    }
    bool finished() const { return m_started; }

    // Plans `arguments` (the action options) against this scan.
    bool plan(CliActions &actions, const QStringList &arguments)
    {
        QCommandLineParser parser;
        parser.addOptions(CliActions::options());
        QString problem;
        if (!parser.parse(QStringList { "twinscan-cli" } + arguments)
            || !actions.configure(parser, &problem))
            return false;
        actions.plan(*m_engine.searchResult(), m_engine.scannedFolders(), m_settings);
        return true;
    }

    // The selected and the kept members of every group, as the scan marked them.
    QStringList members(bool checked) const
    {
        QStringList paths;
        for (TwCatalogContainer *container : m_engine.searchResult()->containers())
            for (TwFileItemGroup *group : container->groups())
                for (const TwFileItem *item : group->items())
                    if (item->isChecked() == checked)
                        paths << item->filePath();
        paths.sort();
        return paths;
    }

private:
    ScanEngine m_engine;
    ScanSettings m_settings;
    bool m_started = false;
};

struct Acted {
    CliActions::Summary summary;
    QString err;
};

Acted act(Scan &scan, const QStringList &arguments)
{
    Acted acted;
    CliActions actions;
    if (!scan.plan(actions, arguments))
        return acted;
    QTextStream err(&acted.err);
    acted.summary = actions.run(err);
    return acted;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct stat statOf(const QString &path)
{
    struct stat info { };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Same length, other bytes, and an hour later: a change that size and time
// both show.
bool rewrite(const QString &path)
{
    QByteArray content = contentOf(path);
    content[0] = char(content[0] ^ 0x55);
    QFile file(path);
    // Flushed first: a write after setting the time would set it again.
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.flush())
        return false;
    return file.setFileTime(
        QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
}

} // namespace

class TestCliActions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }
    void init() { TestPreferences::reset(); }

    void linkLeavesOneFileUnderEveryName();
    void linkAcrossFileSystemsLeavesBothFiles();
    void changedFileIsKeptAndReported_data();
    void changedFileIsKeptAndReported();
    void lastMemberIsNeverTouched_data();
    void lastMemberIsNeverTouched();
    void moveKeepsTheFolderStructure();
    void nothingHappensWithoutConfirmation();
    void scriptRemovesWhatTheActionWouldAndRefusesChangedFiles();
};

void TestCliActions::linkLeavesOneFileUnderEveryName()
{
    TempTree tree;
    const QByteArray text = randomBytes(21, 7000);
    const QStringList paths { tree.writeFile("a/one.txt", text), tree.writeFile("b/two.txt", text),
        tree.writeFile("b/c/three.txt", text) };
    Scan scan({ tree.root() });
    QVERIFY(scan.finished());
    QCOMPARE(scan.members(true).size(), 2);

    const Acted acted = act(scan, { "--link" });
    QCOMPARE(acted.summary.actedOn, 2);
    QCOMPARE(acted.summary.failed, 0);
    QCOMPARE(acted.summary.bytesFreed, qint64(2 * text.size()));
    const struct stat first = statOf(paths.first());
    for (const QString &path : paths) {
        const struct stat info = statOf(path);
        QVERIFY2(S_ISREG(info.st_mode), qPrintable(path));
        QCOMPARE(info.st_ino, first.st_ino);
        QCOMPARE(info.st_dev, first.st_dev);
        QCOMPARE(info.st_nlink, nlink_t(3));
        QCOMPARE(contentOf(path), text);
    }
    // No temporary name is left behind.
    QCOMPARE(filesBelow(tree.root()).size(), 3);

    // A second run over the same names finds nothing more to free.
    Scan again({ tree.root() });
    QVERIFY(again.finished());
    const Acted second = act(again, { "--link" });
    QCOMPARE(second.summary.actedOn, 0);
    QCOMPARE(second.summary.bytesFreed, qint64(0));
    QCOMPARE(statOf(paths.last()).st_nlink, nlink_t(3));
}

void TestCliActions::linkAcrossFileSystemsLeavesBothFiles()
{
    TempTree tree;
    QTemporaryDir memory(QStringLiteral("/dev/shm/tst_cliactions-XXXXXX"));
    if (!memory.isValid() || statOf(memory.path()).st_dev == statOf(tree.root()).st_dev)
        QSKIP("needs a second file system at /dev/shm");
    const QByteArray text = randomBytes(30, 3000);
    const QString here = tree.writeFile("a.txt", text);
    const QString there = memory.filePath("a.txt");
    QFile file(there);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    Scan scan({ tree.root(), memory.path() });
    QVERIFY(scan.finished());
    QCOMPARE(scan.members(true).size(), 1);

    const Acted acted = act(scan, { "--link" });
    QCOMPARE(acted.summary.actedOn, 0);
    QCOMPARE(acted.summary.failed, 1);
    QVERIFY2(acted.err.contains("same file system"), qPrintable(acted.err));
    for (const QString &path : { here, there }) {
        QCOMPARE(contentOf(path), text);
        QCOMPARE(statOf(path).st_nlink, nlink_t(1));
    }
    QCOMPARE(filesBelow(tree.root()).size() + filesBelow(memory.path()).size(), 2);
}

void TestCliActions::changedFileIsKeptAndReported_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("delete") << QStringList { "--delete" };
    QTest::newRow("move") << QStringList { "--move-to", "%1/moved" };
    QTest::newRow("link") << QStringList { "--link" };
    QTest::newRow("script") << QStringList { "--script", "%1/remove.sh" };
}

void TestCliActions::changedFileIsKeptAndReported()
{
    QFETCH(QStringList, arguments);
    TempTree tree;
    TempTree elsewhere;
    for (QString &argument : arguments)
        argument = argument.arg(elsewhere.root());
    const QByteArray text = randomBytes(22, 5000);
    tree.writeFile("x/a.txt", text);
    tree.writeFile("y/a.txt", text);
    tree.writeFile("z/a.txt", text);
    Scan scan({ tree.root() });
    QVERIFY(scan.finished());
    const QStringList selected = scan.members(true);
    QCOMPARE(selected.size(), 2);

    const QString changed = selected.first();
    QVERIFY(rewrite(changed));
    const QByteArray changedContent = contentOf(changed);
    const Acted acted = act(scan, arguments);
    QCOMPARE(acted.summary.keptChanged, 1);
    QCOMPARE(acted.summary.actedOn, 1);
    QCOMPARE(acted.summary.failed, 0);
    QVERIFY2(acted.err.contains(changed), qPrintable(acted.err));
    QCOMPARE(contentOf(changed), changedContent);
    QCOMPARE(statOf(changed).st_nlink, nlink_t(1));
}

void TestCliActions::lastMemberIsNeverTouched_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("actedOn");
    // A link to the edited member would lose the trio's content as well.
    QTest::newRow("delete") << QStringList { "--delete" } << 1;
    QTest::newRow("move") << QStringList { "--move-to", "%1/moved" } << 1;
    QTest::newRow("link") << QStringList { "--link" } << 0;
}

void TestCliActions::lastMemberIsNeverTouched()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, actedOn);
    TempTree tree;
    TempTree elsewhere;
    for (QString &argument : arguments)
        argument = argument.arg(elsewhere.root());
    // A pair whose kept member goes after the scan, and a trio whose kept
    // member is edited: no content may be lost with it.
    const QByteArray pair = randomBytes(23, 4000);
    const QByteArray trio = randomBytes(24, 6000);
    tree.writeFile("p/1.txt", pair);
    tree.writeFile("p/2.txt", pair);
    tree.writeFile("t/1.dat", trio);
    tree.writeFile("t/2.dat", trio);
    tree.writeFile("t/3.dat", trio);
    Scan scan({ tree.root() });
    QVERIFY(scan.finished());
    const QStringList kept = scan.members(false);
    QCOMPARE(kept.size(), 2);
    for (const QString &path : kept) {
        if (path.endsWith(".txt"))
            QVERIFY(QFile::remove(path));
        else
            QVERIFY(rewrite(path));
    }

    const Acted acted = act(scan, arguments);
    QCOMPARE(acted.summary.actedOn, actedOn);
    QCOMPARE(acted.summary.keptChanged, 3 - actedOn);
    int pairLeft = 0;
    int trioLeft = 0;
    for (const QString &path : filesBelow(tree.root())) {
        pairLeft += contentOf(path) == pair ? 1 : 0;
        trioLeft += contentOf(path) == trio ? 1 : 0;
    }
    QCOMPARE(pairLeft, 1);
    QCOMPARE(trioLeft, 2 - actedOn);
}

void TestCliActions::moveKeepsTheFolderStructure()
{
    TempTree tree;
    TempTree target;
    const QByteArray text = randomBytes(25, 3000);
    const QByteArray other = randomBytes(26, 3000);
    // Same file name in both places: only the folders tell the moved ones apart.
    tree.writeFile("photos/2024/june/a.txt", text);
    tree.writeFile("photos/old/a.txt", text);
    tree.writeFile("music/a.txt", other);
    tree.writeFile("music/deep/er/a.txt", other);
    Scan scan({ tree.path("photos"), tree.path("music") });
    QVERIFY(scan.finished());
    const QStringList selected = scan.members(true);
    const QStringList kept = scan.members(false);
    QCOMPARE(selected.size(), 2);

    const Acted acted = act(scan, { "--move-to", target.path("removed") });
    QCOMPARE(acted.summary.actedOn, 2);
    QCOMPARE(acted.summary.failed, 0);
    QStringList expected;
    for (const QString &path : selected) {
        QVERIFY(!QFileInfo::exists(path));
        expected << target.path("removed/") + path.mid(tree.root().size() + 1);
    }
    expected.sort();
    QCOMPARE(filesBelow(target.root()), expected);
    for (const QString &path : expected)
        QCOMPARE(contentOf(path), path.contains("/photos/") ? text : other);
    for (const QString &path : kept)
        QVERIFY(QFileInfo::exists(path));
}

void TestCliActions::nothingHappensWithoutConfirmation()
{
    TempTree tree;
    const QByteArray text = randomBytes(27, 2000);
    tree.writeFile("a.txt", text);
    tree.writeFile("b.txt", text);
    const QStringList before = filesBelow(tree.root());

    const Outcome refused = runCli({ "--delete", tree.root() });
    QCOMPARE(refused.status, int(CliRunner::NotConfirmed));
    QVERIFY2(refused.err.contains("--yes"), qPrintable(refused.err));
    QCOMPARE(filesBelow(tree.root()), before);

    const QString no = QStringLiteral("n\n");
    const Outcome declined = runCli({ "--trash", tree.root() }, &no);
    QCOMPARE(declined.status, int(CliRunner::NotConfirmed));
    QVERIFY(declined.err.contains("[y/N]"));
    QCOMPARE(filesBelow(tree.root()), before);

    const QString yes = QStringLiteral("yes\n");
    const Outcome confirmed = runCli({ "--delete", tree.root() }, &yes);
    QCOMPARE(confirmed.status, int(CliRunner::Success));
    QCOMPARE(filesBelow(tree.root()).size(), 1);
    QVERIFY2(confirmed.err.contains("Deleted 1 file"), qPrintable(confirmed.err));
}

void TestCliActions::scriptRemovesWhatTheActionWouldAndRefusesChangedFiles()
{
    if (QStandardPaths::findExecutable("sh").isEmpty()
        || QStandardPaths::findExecutable("stat").isEmpty())
        QSKIP("needs sh and stat");
    TempTree tree;
    TempTree scripts;
    const QByteArray text = randomBytes(28, 4000);
    const QByteArray other = randomBytes(29, 5000);
    // Names a shell would split, expand or end a quote on.
    for (const char *name : { "it's.txt", "two words.txt", "$HOME.txt", "new\nline.txt",
             "`date`.txt", "back\\slash.txt" })
        QVERIFY(!tree.writeFile(QStringLiteral("t/") + QString::fromUtf8(name), text).isEmpty());
    tree.writeFile("o/1.bin", other);
    tree.writeFile("o/2.bin", other);
    tree.writeFile("o/3.bin", other);
    const QString script = scripts.path("remove.sh");
    const Outcome written = runCli({ "--json", "--script", script, tree.root() });
    QCOMPARE(written.status, int(CliRunner::Success));
    QVERIFY(QFileInfo(script).isFile());

    QStringList selected;
    QStringList kept;
    const QJsonArray groups
        = QJsonDocument::fromJson(written.out.toUtf8()).object().value("groups").toArray();
    for (const QJsonValue &group : groups)
        for (const QJsonValue &member : group.toObject().value("members").toArray())
            (member.toObject().value("checked").toBool() ? selected : kept)
                << member.toObject().value("path").toString();
    QCOMPARE(selected.size(), 7);
    QCOMPARE(kept.size(), 2);

    // One selected file grows, one keeps its size but not its time.
    const QString grown = selected.at(0);
    const QString touched = selected.at(1);
    QFile growing(grown);
    QVERIFY(growing.open(QIODevice::Append));
    growing.write("more");
    growing.close();
    QVERIFY(rewrite(touched));

    QProcess shell;
    shell.start("sh", { script });
    QVERIFY(shell.waitForFinished(30000));
    QCOMPARE(shell.exitCode(), int(CliRunner::KeptChanged));
    const QString report = QString::fromUtf8(shell.readAllStandardError());
    QVERIFY2(report.contains("5 removed, 2 kept"), qPrintable(report));
    for (const QString &path : selected) {
        const bool changed = path == grown || path == touched;
        QVERIFY2(QFileInfo::exists(path) == changed, qPrintable(path));
    }
    for (const QString &path : kept)
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));

    // Run again, nothing is left that matches the scan's view.
    QProcess again;
    again.start("sh", { script });
    QVERIFY(again.waitForFinished(30000));
    QVERIFY(QFileInfo::exists(grown) && QFileInfo::exists(touched));
    for (const QString &path : kept)
        QVERIFY(QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestCliActions)
#include "tst_cliactions.moc"
