#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QtTest>

#include <unistd.h>

#include "app/cli/clirunner.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/temptree.h"

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

Outcome runCli(const QStringList &arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    CliRunner runner;
    outcome.status = runner.run(QStringList { "twinscan-cli" } + arguments, out, err);
    return outcome;
}

QStringList listing(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

// Three copies of a text, two of a picture, a lone file and a near miss.
void fillTree(const TempTree &tree)
{
    const QByteArray text = randomBytes(1, 6000);
    tree.writeFile("docs/a.txt", text);
    tree.writeFile("docs/b.txt", text);
    tree.writeFile("old/c.txt", text);
    QByteArray nearMiss = text;
    nearMiss[2000] = char(nearMiss[2000] ^ 1);
    tree.writeFile("old/d.txt", nearMiss);
    const QByteArray picture = drawnPng(3);
    tree.writeFile("pics/one.png", picture);
    tree.writeFile("pics/two.png", picture);
    tree.writeFile("misc/lone.zip", randomBytes(2, 900));
}

} // namespace

class TestCliRunner : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestPreferences::setUp(); }
    void init() { TestPreferences::reset(); }

    void badFoldersExitWithStatusTwo_data();
    void badFoldersExitWithStatusTwo();
    void unreadableFolderExitsWithStatusTwo();
    void jsonDocument();
    void jsonKeepsAwkwardNames();
    void textBlocksMarkSelectedMembers();
    void preferencesFromAnotherFile();
    void nothingIsRemoved();
};

void TestCliRunner::badFoldersExitWithStatusTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("missing") << QStringList { "%1/missing" };
    QTest::newRow("a file") << QStringList { "%1/file.txt" };
    QTest::newRow("one of two") << QStringList { "%1", "%1/missing" };
    QTest::newRow("no folder") << QStringList {};
    QTest::newRow("unknown option") << QStringList { "--remove", "%1" };
    QTest::newRow("unknown similar method") << QStringList { "--similar-method", "fuzzy", "%1" };
    QTest::newRow("missing preferences") << QStringList { "--preferences", "%1/none.cfg", "%1" };
}

void TestCliRunner::badFoldersExitWithStatusTwo()
{
    QFETCH(QStringList, arguments);
    TempTree tree;
    tree.writeFile("file.txt", "x");
    for (QString &argument : arguments)
        argument = argument.arg(tree.root());
    const Outcome outcome = runCli(arguments);
    QCOMPARE(outcome.status, int(CliRunner::BadInput));
    QVERIFY(outcome.out.isEmpty());
    QVERIFY(!outcome.err.isEmpty());
}

void TestCliRunner::unreadableFolderExitsWithStatusTwo()
{
    if (::geteuid() == 0)
        QSKIP("running as root: permission bits do not block reading");
    TempTree tree;
    QVERIFY(tree.makeDir("closed"));
    QVERIFY(QFile::setPermissions(tree.path("closed"), QFileDevice::Permissions()));
    const Outcome outcome = runCli({ tree.path("closed") });
    QFile::setPermissions(tree.path("closed"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(outcome.status, int(CliRunner::BadInput));
    QVERIFY(outcome.err.contains("closed"));
}

void TestCliRunner::jsonDocument()
{
    TempTree tree;
    fillTree(tree);
    const Outcome outcome = runCli({ "--json", "--no-similar", tree.root() });
    QCOMPARE(outcome.status, int(CliRunner::Success));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject root = document.object();
    const QJsonArray groups = root.value("groups").toArray();
    QCOMPARE(groups.size(), 2);

    qint64 duplicates = 0, bytes = 0, members = 0;
    QSet<QString> categories;
    for (const QJsonValue &value : groups) {
        const QJsonObject group = value.toObject();
        categories.insert(group.value("category").toString());
        QVERIFY(
            group.value("name").toString().startsWith(group.value("category").toString() + "_"));
        QVERIFY(group.value("similar").isBool());
        QCOMPARE(group.value("similar").toBool(), false);
        const QJsonArray items = group.value("members").toArray();
        QVERIFY(items.size() >= 2);
        int checked = 0;
        const QString key = items.first().toObject().value("matchKey").toString();
        for (const QJsonValue &itemValue : items) {
            const QJsonObject item = itemValue.toObject();
            QVERIFY(QFileInfo(item.value("path").toString()).isFile());
            QCOMPARE(qint64(item.value("size").toDouble()),
                QFileInfo(item.value("path").toString()).size());
            QCOMPARE(item.value("matchKey").toString(), key);
            QVERIFY(item.value("checked").isBool());
            checked += item.value("checked").toBool() ? 1 : 0;
        }
        QCOMPARE(checked, items.size() - 1);
        members += items.size();
        duplicates += items.size() - 1;
        bytes += (items.size() - 1) * qint64(items.first().toObject().value("size").toDouble());
    }
    QCOMPARE(categories, (QSet<QString> { "Documents", "Images" }));
    QVERIFY(!outcome.out.contains("d.txt"));
    QVERIFY(!outcome.out.contains("lone.zip"));

    const QJsonObject totals = root.value("totals").toObject();
    QCOMPARE(qint64(totals.value("numberOfDuplicateFiles").toDouble()), duplicates);
    QCOMPARE(qint64(totals.value("bytesOfDuplicateFiles").toDouble()), bytes);
    QCOMPARE(qint64(totals.value("numberOfFileScanned").toDouble()), members + 1);
}

void TestCliRunner::jsonKeepsAwkwardNames()
{
    TempTree tree;
    const QByteArray content = randomBytes(11, 5000);
    const QStringList names { "quote\"d.txt", "back\\slash.txt", "tab\there.txt", "new\nline.txt",
        QString::fromUtf8("\xc3\xbcml\xc3\xa4ut \xe2\x82\xac.txt"),
        QString("bell") + QChar(7) + ".txt" };
    QSet<QString> written;
    for (const QString &name : names) {
        const QString path = tree.writeFile(name, content);
        QVERIFY2(!path.isEmpty(), qPrintable(name));
        written.insert(path);
    }
    const Outcome outcome = runCli({ "--json", "--no-similar", tree.root() });
    QCOMPARE(outcome.status, int(CliRunner::Success));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray groups = document.object().value("groups").toArray();
    QCOMPARE(groups.size(), 1);
    QSet<QString> reported;
    for (const QJsonValue &member : groups.first().toObject().value("members").toArray())
        reported.insert(member.toObject().value("path").toString());
    QCOMPARE(reported, written);
}

void TestCliRunner::textBlocksMarkSelectedMembers()
{
    TempTree tree;
    fillTree(tree);
    const Outcome outcome = runCli({ "--no-similar", tree.root() });
    QCOMPARE(outcome.status, int(CliRunner::Success));
    const QStringList blocks = outcome.out.trimmed().split("\n\n");
    QCOMPARE(blocks.size(), 2);
    for (const QString &block : blocks) {
        const QStringList lines = block.split('\n');
        QVERIFY(lines.first().startsWith('['));
        QVERIFY(lines.first().endsWith("(exact)"));
        int marked = 0;
        for (const QString &line : lines.mid(1)) {
            QVERIFY(QFileInfo(line.mid(4)).isFile());
            marked += line.startsWith("  * ") ? 1 : 0;
        }
        QCOMPARE(marked, lines.size() - 2);
    }
}

void TestCliRunner::preferencesFromAnotherFile()
{
    TempTree tree;
    fillTree(tree);
    TempTree settings;
    const QString file = settings.path("preferences.cfg");
    TwPreferences store(file);
    store.ignoreList()->setIgnoreExtensions({ " txt" });
    QVERIFY(store.saveTo(file));
    const Outcome outcome
        = runCli({ "--json", "--no-similar", "--preferences", file, tree.root() });
    QCOMPARE(outcome.status, int(CliRunner::Success));
    const QJsonArray groups
        = QJsonDocument::fromJson(outcome.out.toUtf8()).object().value("groups").toArray();
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups.first().toObject().value("category").toString(), QString("Images"));
}

void TestCliRunner::nothingIsRemoved()
{
    TempTree tree;
    fillTree(tree);
    const QStringList before = listing(tree.root());
    QCOMPARE(runCli({ tree.root() }).status, int(CliRunner::Success));
    QCOMPARE(listing(tree.root()), before);
}

QTEST_GUILESS_MAIN(TestCliRunner)
#include "tst_clirunner.moc"
