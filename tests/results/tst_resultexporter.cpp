#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTextStream>
#include <QtTest>

#include "app/cli/clirunner.h"
#include "engine/resultwriter.h"
#include "resources/twresources.h"
#include "results/resultexporter.h"
#include "results/resultform.h"
#include "tests/results/resultfixture.h"
#include "widgets/desktopprompts.h"

namespace {

// Groups keyed by their sorted member lists, names and marks left out: two
// scans of one folder may number the groups of a category in another order.
QMap<QString, QJsonObject> groupsByMembers(const QByteArray &json, QJsonObject *totals)
{
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    *totals = root.value("totals").toObject();
    QMap<QString, QJsonObject> groups;
    for (const QJsonValue &value : root.value("groups").toArray()) {
        QJsonObject group = value.toObject();
        // The walk's order of the members may differ between two scans too.
        QMap<QString, QJsonValue> members;
        for (const QJsonValue &member : group.value("members").toArray()) {
            QJsonObject entry = member.toObject();
            entry.remove("checked");
            members.insert(entry.value("path").toString(), entry);
        }
        const QStringList paths = members.keys();
        QJsonArray sorted;
        for (const QJsonValue &member : qAsConst(members))
            sorted.append(member);
        group.insert("members", sorted);
        group.remove("name");
        groups.insert(paths.join('|'), group);
    }
    return groups;
}

// An independent reading of RFC 4180: quoted fields may hold commas,
// doubled quotes and line breaks.
QVector<QStringList> parseCsv(const QString &text, bool *wellFormed)
{
    QVector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldWasQuoted = false;
    *wellFormed = true;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text.at(i + 1) == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            *wellFormed = *wellFormed && field.isEmpty() && !fieldWasQuoted;
            quoted = fieldWasQuoted = true;
        } else if (c == ',') {
            row << field;
            field.clear();
            fieldWasQuoted = false;
        } else if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            fieldWasQuoted = false;
            ++i;
        } else {
            // A bare line break outside quotes would split a row.
            *wellFormed = *wellFormed && c != '\n' && c != '\r' && !fieldWasQuoted;
            field += c;
        }
    }
    *wellFormed = *wellFormed && !quoted && field.isEmpty() && row.isEmpty();
    return rows;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestResultExporter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowJsonEqualsCliJson();
    void csvQuotesAwkwardNames();
    void failedExportTellsTheUser();

private:
    // Clicks "Export…" of a window on `engine`'s result, answering the
    // picker with `file` and `filter`; returns the prompts asked.
    QList<DesktopPrompts::Kind> exportFromWindow(
        ScanEngine &engine, const QString &file, const QString &filter);

    TempTree m_tree;
};

void TestResultExporter::initTestCase()
{
    QVERIFY(m_tree.isValid());
    ResultFixture::isolate(m_tree);
    initTwResources();
}

void TestResultExporter::cleanupTestCase()
{
    DesktopPrompts::setOverride({});
    TwPreferences::destroyInstance();
}

QList<DesktopPrompts::Kind> TestResultExporter::exportFromWindow(
    ScanEngine &engine, const QString &file, const QString &filter)
{
    QList<DesktopPrompts::Kind> asked;
    DesktopPrompts::setOverride([&](const DesktopPrompts::Request &request) {
        asked << request.kind;
        DesktopPrompts::Answer answer;
        if (request.kind == DesktopPrompts::Kind::ChooseSaveFile) {
            answer.file = file;
            answer.nameFilter = filter;
        }
        return answer;
    });
    ResultForm form(engine.searchResult());
    form.show();
    auto *button = form.findChild<QPushButton *>("btn_export");
    if (button)
        button->click();
    DesktopPrompts::setOverride({});
    return asked;
}

void TestResultExporter::windowJsonEqualsCliJson()
{
    QVERIFY(ResultFixture::writeSampleFolder(m_tree, "json"));
    std::unique_ptr<ScanEngine> engine = ResultFixture::scan(m_tree.path("json"));
    QVERIFY(engine);
    // No suffix typed: the chosen type adds it.
    const QList<DesktopPrompts::Kind> asked
        = exportFromWindow(*engine, m_tree.path("export"), ResultExporter::nameFilters().value(1));
    QCOMPARE(asked, QList<DesktopPrompts::Kind>({ DesktopPrompts::Kind::ChooseSaveFile }));
    const QByteArray exported = contentOf(m_tree.path("export.json"));
    QVERIFY(!exported.isEmpty());

    // What the command line prints for this very scan, byte for byte.
    QString sameScan;
    QTextStream sameScanOut(&sameScan);
    ResultWriter::writeJson(*engine->searchResult(), sameScanOut);
    sameScanOut.flush();
    QCOMPARE(QString::fromUtf8(exported), sameScan);

    // A scan of its own by the command line finds the same groups and
    // members. Marks are left out: the selection keeps the first of two
    // equally good copies, and the walk's order differs between scans.
    QString printed;
    QString messages;
    QTextStream out(&printed);
    QTextStream err(&messages);
    CliRunner runner;
    QCOMPARE(runner.run({ "twinscan-cli", "--json", m_tree.path("json") }, out, err),
        int(CliRunner::Success));

    QJsonObject windowTotals;
    QJsonObject cliTotals;
    const auto fromWindow = groupsByMembers(exported, &windowTotals);
    const auto fromCli = groupsByMembers(printed.toUtf8(), &cliTotals);
    QVERIFY(fromWindow.size() >= 5);
    QCOMPARE(fromWindow, fromCli);
    QCOMPARE(windowTotals, cliTotals);
    bool similarSeen = false;
    for (const QJsonObject &group : fromWindow)
        similarSeen = similarSeen || group.value("similar").toBool();
    QVERIFY(similarSeen);
}

void TestResultExporter::csvQuotesAwkwardNames()
{
    const QByteArray content = ResultFixture::bytes('q', 3000);
    const QStringList names { "plain.txt", "comma, here.txt", "quote\"d.txt", "two\nlines.txt",
        "cr\rreturn.txt", " leading.txt", "\"\".txt" };
    QSet<QString> written;
    for (const QString &name : names) {
        const QString path = m_tree.writeFile("csv/" + name, content);
        QVERIFY2(!path.isEmpty(), qPrintable(name));
        written.insert(path);
    }
    std::unique_ptr<ScanEngine> engine = ResultFixture::scan(m_tree.path("csv"));
    QVERIFY(engine);
    // The typed suffix wins over the type chosen in the picker.
    exportFromWindow(*engine, m_tree.path("found.csv"), ResultExporter::nameFilters().value(1));
    const QString text = QString::fromUtf8(contentOf(m_tree.path("found.csv")));

    bool wellFormed = false;
    const QVector<QStringList> rows = parseCsv(text, &wellFormed);
    QVERIFY2(wellFormed, qPrintable(text));
    QCOMPARE(rows.value(0),
        QStringList({ "category", "group", "match", "path", "size", "matchKey", "marked" }));
    QCOMPARE(rows.size(), names.size() + 1);
    QSet<QString> paths;
    int marked = 0;
    for (const QStringList &row : rows.mid(1)) {
        QCOMPARE(row.size(), 7);
        QCOMPARE(row.at(2), QString("exact"));
        QCOMPARE(row.at(4), QString::number(content.size()));
        QCOMPARE(row.at(5), rows.at(1).at(5));
        marked += row.at(6) == "true" ? 1 : 0;
        QVERIFY(row.at(6) == "true" || row.at(6) == "false");
        paths.insert(row.at(3));
    }
    QCOMPARE(paths, written);
    QCOMPARE(marked, names.size() - 1);
}

void TestResultExporter::failedExportTellsTheUser()
{
    QVERIFY(m_tree.writeFile("few/a.txt", "same bytes").size() > 0);
    QVERIFY(m_tree.writeFile("few/b.txt", "same bytes").size() > 0);
    std::unique_ptr<ScanEngine> engine = ResultFixture::scan(m_tree.path("few"));
    QVERIFY(engine);
    const QString file = m_tree.path("no/such/folder/out.csv");
    const QList<DesktopPrompts::Kind> asked
        = exportFromWindow(*engine, file, ResultExporter::nameFilters().value(0));
    QCOMPARE(asked,
        QList<DesktopPrompts::Kind>(
            { DesktopPrompts::Kind::ChooseSaveFile, DesktopPrompts::Kind::Error }));
    QVERIFY(!QFileInfo::exists(file));
}

QTEST_MAIN(TestResultExporter)
#include "tst_resultexporter.moc"
