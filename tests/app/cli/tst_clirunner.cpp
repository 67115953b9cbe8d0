#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QtTest>

#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/cli/clirunner.h"
#include "platform/nativepath.h"
#include "tests/engine/enginetestsupport.h"
#include "tests/support/fifo.h"
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

bool writeAt(int folder, const QByteArray &name, const QByteArray &content)
{
    const int fd
        = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return written;
}

// The JSON string literal that follows `key` in `text`, unescaped the way a
// reader does it: \uXXXX becomes that UTF-16 unit, paired or not.
QStringList jsonStrings(const QString &text, const QString &key)
{
    QStringList found;
    const QString opening = QStringLiteral("\"%1\":\"").arg(key);
    for (int at = text.indexOf(opening); at >= 0; at = text.indexOf(opening, at + 1)) {
        QString value;
        for (int i = at + opening.size(); i < text.size() && text.at(i) != '"'; ++i) {
            if (text.at(i) != '\\') {
                value += text.at(i);
            } else if (text.at(++i) == 'u') {
                value += QChar(ushort(text.mid(i + 1, 4).toUInt(nullptr, 16)));
                i += 4;
            } else {
                value += text.at(i);
            }
        }
        found.append(value);
    }
    return found;
}

// A small valid PNG whose header declares 30000x30000 pixels.
QByteArray pngBomb()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");
    const auto put32 = [&png](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = char(value >> (24 - 8 * i));
    };
    put32(16, 30000);
    put32(20, 30000);
    // The CRC of the header chunk covers its type and its 13 data bytes.
    quint32 crc = 0xFFFFFFFFu;
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(png[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    put32(29, ~crc);
    return png;
}

// Folders of 200-byte names nested beyond the system's path limit, each made
// relative to the one above; removes what it made, deepest first.
class DeepChain {
public:
    explicit DeepChain(const QString &root)
    {
        m_fds.append(::open(NativePath::encode(root).constData(), O_RDONLY | O_DIRECTORY));
        const QByteArray name(200, 'd');
        int length = NativePath::encode(root).size();
        while (m_fds.last() >= 0 && length < PATH_MAX + 300) {
            if (::mkdirat(m_fds.last(), name.constData(), 0700) != 0)
                break;
            m_fds.append(::openat(m_fds.last(), name.constData(), O_RDONLY | O_DIRECTORY));
            length += name.size() + 1;
        }
        m_depthBytes = length;
    }
    ~DeepChain()
    {
        const QByteArray name(200, 'd');
        for (const QByteArray &file : qAsConst(m_files))
            ::unlinkat(deepest(), file.constData(), 0);
        for (int i = m_fds.size() - 1; i > 0; --i) {
            ::close(m_fds.at(i));
            ::unlinkat(m_fds.at(i - 1), name.constData(), AT_REMOVEDIR);
        }
        ::close(m_fds.first());
    }
    bool isValid() const { return m_fds.last() >= 0 && m_depthBytes > PATH_MAX; }
    int deepest() const { return m_fds.last(); }
    bool write(const QByteArray &name, const QByteArray &content)
    {
        m_files.append(name);
        return writeAt(deepest(), name, content);
    }

private:
    QVector<int> m_fds;
    QVector<QByteArray> m_files;
    int m_depthBytes = 0;
};

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
    void namesThatAreNotText();
    void summaryCountsSpecialAndTooLong();
    void summaryCountsUnreadableFolders();
    void versionAndHelpReturn();
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
    QTest::newRow("two actions") << QStringList { "--delete", "--trash", "%1" };
    QTest::newRow("link similar") << QStringList { "--link", "--include-similar", "%1" };
    QTest::newRow("script exists") << QStringList { "--script", "%1/file.txt", "%1" };
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
    const QStringList before = filesBelow(tree.root());
    QCOMPARE(runCli({ tree.root() }).status, int(CliRunner::Success));
    QCOMPARE(filesBelow(tree.root()), before);
}

void TestCliRunner::namesThatAreNotText()
{
    TempTree tree;
    const QByteArray folder = NativePath::encode(tree.root()) + "/caf\xe9";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    const QByteArray content = randomBytes(21, 4000);
    const bool written = writeAt(fd, "na\xefve.txt", content) && writeAt(fd, "\xff.txt", content);
    ::close(fd);
    QVERIFY(written);
    // The folder is named by its bytes, as a shell passes them.
    const QString argument = NativePath::decode(folder);

    const Outcome json = runCli({ "--json", "--no-similar", argument });
    QCOMPARE(json.status, int(CliRunner::Success));
    QVERIFY2(json.out.contains("caf\\udce9/na\\udcefve.txt"), qPrintable(json.out));
    QSet<QByteArray> reported;
    for (const QString &path : jsonStrings(json.out, "path"))
        reported.insert(NativePath::encode(path));
    QCOMPARE(reported, (QSet<QByteArray> { folder + "/na\xefve.txt", folder + "/\xff.txt" }));
    QCOMPARE(
        QJsonDocument::fromJson(json.out.toUtf8()).object().value("groups").toArray().size(), 1);

    const Outcome text = runCli({ "--no-similar", argument });
    QCOMPARE(text.status, int(CliRunner::Success));
    QVERIFY2(text.out.contains("caf\\xe9/na\\xefve.txt"), qPrintable(text.out));
    QVERIFY(text.out.contains("caf\\xe9/\\xff.txt"));
    QVERIFY(!NativePath::hasRawBytes(text.out));
}

void TestCliRunner::summaryCountsSpecialAndTooLong()
{
    TempTree tree;
    fillTree(tree);
    QVERIFY(Fifo::make(tree.path("docs/waiting.txt")));
    QVERIFY(
        ::symlink("nowhere", QFile::encodeName(tree.path("docs/dangling.txt")).constData()) == 0);
    DeepChain chain(tree.root());
    QVERIFY(chain.isValid());
    const QByteArray content = randomBytes(31, 3000);
    QVERIFY(chain.write("deep-a.bin", content));
    QVERIFY(chain.write("deep-b.bin", content));
    QVERIFY(!tree.writeFile("pics/huge.png", pngBomb()).isEmpty());

    Outcome outcome;
    QVERIFY(Fifo::finishesWithin(std::chrono::seconds(60), { tree.path("docs/waiting.txt") },
        [&] { outcome = runCli({ tree.root() }); }));
    QCOMPARE(outcome.status, int(CliRunner::Success));
    // The rest of the tree is still found.
    QCOMPARE(outcome.out.trimmed().split("\n\n").size(), 2);
    const QString summary = outcome.err.trimmed().split('\n').last();
    QCOMPARE(summary,
        QString("Skipped: 2 special files, 2 files skipped: path too long, 1 refused image"));
}

void TestCliRunner::summaryCountsUnreadableFolders()
{
    if (::geteuid() == 0)
        QSKIP("running as root: permission bits do not block reading");
    TempTree tree;
    fillTree(tree);
    QVERIFY(tree.writeFile("closed/inside.txt", "hidden away").size() > 0);
    QVERIFY(tree.writeFile("docs/sealed.txt", randomBytes(1, 6000)).size() > 0);
    QVERIFY(QFile::setPermissions(tree.path("closed"), QFileDevice::Permissions()));
    QVERIFY(QFile::setPermissions(tree.path("docs/sealed.txt"), QFileDevice::Permissions()));
    const Outcome outcome = runCli({ "--no-similar", tree.root() });
    QFile::setPermissions(tree.path("closed"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(outcome.status, int(CliRunner::Success));
    QCOMPARE(outcome.err.trimmed().split('\n').last(),
        QString("Skipped: 1 unreadable folder, 1 unreadable file"));
}

void TestCliRunner::versionAndHelpReturn()
{
    // The parser's own version and help handling would end the process.
    const Outcome version = runCli({ "--version" });
    QCOMPARE(version.status, int(CliRunner::Success));
    QVERIFY2(version.out.contains(TW_VERSION), qPrintable(version.out));
    const Outcome help = runCli({ "--help" });
    QCOMPARE(help.status, int(CliRunner::Success));
    QVERIFY(help.out.contains("Exit status"));
}

QTEST_GUILESS_MAIN(TestCliRunner)
#include "tst_clirunner.moc"
