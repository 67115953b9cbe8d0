#include <thread>
#include <vector>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>

#include "app/log/loghandler.h"
#include "app/log/logheader.h"
#include "app/log/startupdiagnostics.h"
#include "platform/applocations.h"
#include "platform/debugoutput.h"
#include "tests/support/temptree.h"

namespace {

QDateTime fakeNow;
QDateTime fakeClock()
{
    return fakeNow;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray line(char letter, const QString &stamp, const QString &text)
{
    return QStringLiteral("<div class=\"%1\">%2 %3</div>\r\n")
        .arg(QLatin1Char(letter))
        .arg(stamp, text)
        .toUtf8();
}

QByteArray headerBytes()
{
    return (logHtmlHeader() + QStringLiteral("\r\n")).toUtf8();
}

} // namespace

class TestLogHandler : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newFileStartsWithHeaderThenLines();
    void existingFileIsAppendedWithoutHeader();
    void createsMissingFolderWithParents();
    void typeLetters_data();
    void typeLetters();
    void sameHourSharesFileNewHourStartsNewFile();
    void pruneKeepsNewestHundred();
    void pruneSortsCaseSensitiveAndIgnoresFolders();
    void pruneKeepsAllWhenUnderLimit();
    void messageTextIsEscaped();
    void debuggerOutputGetsStampedPlainText();
    void concurrentThreadsNeverInterleave();
    void reopeningAfterManyCharactersKeepsAppending();
    void unwritableAppFolderFallsBackToDataLocation();
    void startupDiagnosticsOrder();

private:
    QString hourFile(const QString &hour) const
    {
        return logFolderPath() + QLatin1Char('/') + hour + QStringLiteral("_log.html");
    }

    std::unique_ptr<TempTree> m_tree;
    QtMessageHandler m_previous = nullptr;
};

void TestLogHandler::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The stay-awake request must not reach the machine's real buses.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/twinscan-test-bus");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/twinscan-test-bus");
    setLogClock(fakeClock);
}

void TestLogHandler::init()
{
    m_tree = std::make_unique<TempTree>();
    QVERIFY(m_tree->isValid());
    QVERIFY(m_tree->makeDir(QStringLiteral("app")));
    AppLocations::setApplicationFolderOverride(m_tree->path(QStringLiteral("app")));
    fakeNow = QDateTime(QDate(2026, 12, 7), QTime(16, 5, 0));
    m_previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(m_previous);
}

void TestLogHandler::cleanup()
{
    qInstallMessageHandler(m_previous);
    AppLocations::setApplicationFolderOverride(QString());
    DebugOutput::setDescriptor(-1);
    m_tree.reset();
}

void TestLogHandler::newFileStartsWithHeaderThenLines()
{
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    QCOMPARE(logFolderPath(), m_tree->path(QStringLiteral("app/Log")));
    qDebug("first message");
    fakeNow = fakeNow.addSecs(7);
    qDebug("second message");

    const QByteArray content = readAll(hourFile(QStringLiteral("2026-12-07_16")));
    QVERIFY(content.startsWith("\n<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"));
    QCOMPARE(content,
        headerBytes()
            + line('d', QStringLiteral("2026-12-07 16:05:00"), QStringLiteral("first message"))
            + line('d', QStringLiteral("2026-12-07 16:05:07"), QStringLiteral("second message")));
    QVERIFY(content.contains("<title>Orvane duplicate for Windows Log</title>"));
    QVERIFY(content.contains("id=\"logCss\""));
    QVERIFY(content.contains("id=\"typeSelect\""));
    QVERIFY(content.contains("selectType()"));
    QVERIFY(!content.contains("</html>"));
}

void TestLogHandler::existingFileIsAppendedWithoutHeader()
{
    const QByteArray earlier = "<div class=\"d\">2026-12-07 16:00:00 earlier run</div>\r\n";
    QVERIFY(
        !m_tree->writeFile(QStringLiteral("app/Log/2026-12-07_16_log.html"), earlier).isEmpty());
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    qWarning("later run");

    QCOMPARE(readAll(hourFile(QStringLiteral("2026-12-07_16"))),
        earlier + line('w', QStringLiteral("2026-12-07 16:05:00"), QStringLiteral("later run")));
}

void TestLogHandler::createsMissingFolderWithParents()
{
    QVERIFY(installLogHandler(QStringLiteral("deep/er/Log"), 100));
    QVERIFY(QFileInfo(m_tree->path(QStringLiteral("app/deep/er/Log"))).isDir());
    qInfo("into the deep");
    QVERIFY(QFileInfo::exists(hourFile(QStringLiteral("2026-12-07_16"))));
}

void TestLogHandler::typeLetters_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("letter");
    QTest::newRow("debug") << int(QtDebugMsg) << "d";
    QTest::newRow("warning") << int(QtWarningMsg) << "w";
    QTest::newRow("critical") << int(QtCriticalMsg) << "c";
    QTest::newRow("fatal") << int(QtFatalMsg) << "f";
    QTest::newRow("info") << int(QtInfoMsg) << "i";
}

void TestLogHandler::typeLetters()
{
    QFETCH(int, type);
    QFETCH(QString, letter);
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    // A fatal message through qFatal would end the test; the handler alone
    // is what writes the line.
    logMessageHandler(QtMsgType(type), QMessageLogContext(), QStringLiteral("typed"));
    const QByteArray content = readAll(hourFile(QStringLiteral("2026-12-07_16")));
    QVERIFY(content.endsWith(line(
        letter.at(0).toLatin1(), QStringLiteral("2026-12-07 16:05:00"), QStringLiteral("typed"))));
}

void TestLogHandler::sameHourSharesFileNewHourStartsNewFile()
{
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    qDebug("a");
    fakeNow = QDateTime(QDate(2026, 12, 7), QTime(16, 59, 59));
    qDebug("b");
    fakeNow = QDateTime(QDate(2026, 12, 7), QTime(17, 0, 0));
    qDebug("c");
    fakeNow = QDateTime(QDate(2026, 12, 8), QTime(0, 30, 0));
    qDebug("d");

    QCOMPARE(readAll(hourFile(QStringLiteral("2026-12-07_16"))),
        headerBytes() + line('d', QStringLiteral("2026-12-07 16:05:00"), QStringLiteral("a"))
            + line('d', QStringLiteral("2026-12-07 16:59:59"), QStringLiteral("b")));
    QCOMPARE(readAll(hourFile(QStringLiteral("2026-12-07_17"))),
        headerBytes() + line('d', QStringLiteral("2026-12-07 17:00:00"), QStringLiteral("c")));
    QCOMPARE(readAll(hourFile(QStringLiteral("2026-12-08_00"))),
        headerBytes() + line('d', QStringLiteral("2026-12-08 00:30:00"), QStringLiteral("d")));
    QCOMPARE(QDir(logFolderPath()).entryList(QDir::Files).size(), 3);
}

void TestLogHandler::pruneKeepsNewestHundred()
{
    QStringList names;
    QDateTime hour(QDate(2026, 11, 30), QTime(20, 0));
    for (int i = 0; i < 103; ++i) {
        names << hour.toString(QStringLiteral("yyyy-MM-dd_hh")) + QStringLiteral("_log.html");
        hour = hour.addSecs(3600);
    }
    // Written newest first, so creation order cannot stand in for name order.
    for (int i = names.size() - 1; i >= 0; --i)
        QVERIFY(!m_tree->writeFile(QStringLiteral("app/Log/") + names.at(i), "x").isEmpty());

    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    const QStringList left = QDir(logFolderPath()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(left, names.mid(3));
}

void TestLogHandler::pruneSortsCaseSensitiveAndIgnoresFolders()
{
    for (int i = 0; i < 100; ++i)
        QVERIFY(!m_tree
                     ->writeFile(
                         QStringLiteral("app/Log/x%1.html").arg(i, 3, 10, QLatin1Char('0')), "x")
                     .isEmpty());
    for (const char *name : { "Y1.html", "Y2.html", "Y3.html" })
        QVERIFY(
            !m_tree->writeFile(QStringLiteral("app/Log/") + QLatin1String(name), "y").isEmpty());
    QVERIFY(m_tree->makeDir(QStringLiteral("app/Log/Archive")));

    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    const QDir dir(logFolderPath());
    const QStringList left = dir.entryList(QDir::Files, QDir::Name);
    QCOMPARE(left.size(), 100);
    // Upper case sorts before lower case, so the Y files go, not x000..x002.
    QVERIFY(!left.contains(QStringLiteral("Y1.html")));
    QVERIFY(!left.contains(QStringLiteral("Y3.html")));
    QVERIFY(left.contains(QStringLiteral("x000.html")));
    QVERIFY(dir.exists(QStringLiteral("Archive")));
}

void TestLogHandler::pruneKeepsAllWhenUnderLimit()
{
    for (int i = 0; i < 5; ++i)
        QVERIFY(!m_tree->writeFile(QStringLiteral("app/Log/f%1").arg(i), "x").isEmpty());
    QVERIFY(installLogHandler(QStringLiteral("Log"), 5));
    QCOMPARE(QDir(logFolderPath()).entryList(QDir::Files).size(), 5);
    QVERIFY(installLogHandler(QStringLiteral("Log"), 2));
    QCOMPARE(QDir(logFolderPath()).entryList(QDir::Files, QDir::Name),
        QStringList({ QStringLiteral("f3"), QStringLiteral("f4") }));
}

void TestLogHandler::messageTextIsEscaped()
{
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    qDebug("%s", "<b>bold</b> & \"quoted\" 'single' %1 &amp;");
    const QByteArray content = readAll(hourFile(QStringLiteral("2026-12-07_16")));
    QVERIFY(content.endsWith("<div class=\"d\">2026-12-07 16:05:00 &lt;b&gt;bold&lt;/b&gt; &amp; "
                             "\"quoted\" 'single' %1 &amp;amp;</div>\r\n"));
    QVERIFY(!content.contains("<b>"));
    QCOMPARE(escapeLogText(QStringLiteral("a<b>c&d")), QStringLiteral("a&lt;b&gt;c&amp;d"));
}

void TestLogHandler::debuggerOutputGetsStampedPlainText()
{
    QTemporaryFile capture;
    QVERIFY(capture.open());
    DebugOutput::setDescriptor(capture.handle());
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    qDebug("<i>plain</i> ünïcode");
    DebugOutput::setDescriptor(-1);

    QFile written(capture.fileName());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()),
        QStringLiteral("2026-12-07 16:05:00 <i>plain</i> ünïcode\r\n"));
    QVERIFY(readAll(hourFile(QStringLiteral("2026-12-07_16")))
                .contains(u8"&lt;i&gt;plain&lt;/i&gt; ünïcode"));
}

void TestLogHandler::concurrentThreadsNeverInterleave()
{
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    const int threadCount = 6;
    const int perThread = 150;
    const QString padding(200, QLatin1Char('x'));
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([t, padding] {
            for (int i = 0; i < perThread; ++i)
                qDebug("T%d-%d %s", t, i, qPrintable(padding));
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    QByteArray content = readAll(hourFile(QStringLiteral("2026-12-07_16")));
    QVERIFY(content.startsWith(headerBytes()));
    content.remove(0, headerBytes().size());
    const QList<QByteArray> lines = content.split('\n');
    QCOMPARE(lines.size(), threadCount * perThread + 1);
    QVERIFY(lines.last().isEmpty());
    const QRegularExpression pattern(
        QStringLiteral("^<div class=\"d\">2026-12-07 16:05:00 (T\\d+-\\d+) x{200}</div>\r$"));
    QSet<QString> seen;
    for (int i = 0; i < lines.size() - 1; ++i) {
        const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(lines.at(i)));
        QVERIFY2(match.hasMatch(), lines.at(i).constData());
        seen.insert(match.captured(1));
    }
    QCOMPARE(seen.size(), threadCount * perThread);
}

void TestLogHandler::reopeningAfterManyCharactersKeepsAppending()
{
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    QByteArray expected = headerBytes();
    // Well past 512 characters, so the file is closed and reopened many times.
    for (int i = 0; i < 40; ++i) {
        const QString text = QStringLiteral("message %1 ").arg(i) + QString(40, QLatin1Char('m'));
        qDebug("%s", qPrintable(text));
        expected += line('d', QStringLiteral("2026-12-07 16:05:00"), text);
        QCOMPARE(readAll(hourFile(QStringLiteral("2026-12-07_16"))), expected);
    }
    // A file removed behind the log's back comes back with the next reopen,
    // so later lines are not lost with it.
    fakeNow = fakeNow.addSecs(3600);
    qDebug("next hour");
    QVERIFY(QFile::remove(hourFile(QStringLiteral("2026-12-07_17"))));
    qDebug("lost with the removed file");
    qDebug("after removal");
    const QByteArray recreated = readAll(hourFile(QStringLiteral("2026-12-07_17")));
    QVERIFY(recreated.endsWith(
        line('d', QStringLiteral("2026-12-07 17:05:00"), QStringLiteral("after removal"))));
}

void TestLogHandler::unwritableAppFolderFallsBackToDataLocation()
{
    // A folder below a plain file can be created by nobody, not even root.
    QVERIFY(!m_tree->writeFile(QStringLiteral("blocker"), "file").isEmpty());
    AppLocations::setApplicationFolderOverride(m_tree->path(QStringLiteral("blocker/app")));
    const QString standard = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Orvane/Orvane Twinscan") + QStringLiteral("/Log");
    QDir(standard).removeRecursively();

    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    QCOMPARE(logFolderPath(), standard);
    qDebug("fallback line");
    QVERIFY(
        readAll(standard + QStringLiteral("/2026-12-07_16_log.html")).startsWith(headerBytes()));
    qInstallMessageHandler(m_previous);
    QVERIFY(QDir(standard).removeRecursively());
}

void TestLogHandler::startupDiagnosticsOrder()
{
    QVERIFY(installLogHandler(QStringLiteral("Log"), 100));
    StartupDiagnostics::run();
    const QString content = QString::fromUtf8(readAll(hourFile(QStringLiteral("2026-12-07_16"))));
    const QStringList labels = { QStringLiteral("run.................."),
        QStringLiteral("WindowsVersion: "), QStringLiteral("buildAbi: ") + QSysInfo::buildAbi(),
        QStringLiteral("buildCpuArchitecture: "), QStringLiteral("currentCpuArchitecture: "),
        QStringLiteral("kernelType: ") + QSysInfo::kernelType(), QStringLiteral("kernelVersion: "),
        QStringLiteral("machineHostName: "), QStringLiteral("prettyProductName: "),
        QStringLiteral("productType: "), QStringLiteral("productVersion: "),
        QStringLiteral("Windows Version: "),
        QStringLiteral("2026-12-07 16:05:00 ") + escapeLogText(AppLocations::applicationFolder())
            + QStringLiteral("</div>") };
    int from = 0;
    for (const QString &label : labels) {
        const int at = content.indexOf(label, from);
        QVERIFY2(at >= 0, qPrintable(label));
        from = at + label.size();
    }
}

QTEST_GUILESS_MAIN(TestLogHandler)
#include "tst_loghandler.moc"
