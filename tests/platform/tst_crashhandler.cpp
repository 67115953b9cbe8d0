#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include "platform/crashhandler.h"
#include "tests/support/temptree.h"

// The test program doubles as the crashing child: run with "--crash-child
// <fault> [marker file]" it installs the handler and fails on purpose.
namespace {

char markerPath[4096];

void markerHook(int, const char *dumpPath)
{
    const int fd = ::open(markerPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    const ssize_t written = ::write(fd, dumpPath, std::strlen(dumpPath));
    Q_UNUSED(written)
    ::close(fd);
}

volatile std::uintptr_t nullAddress = 0;
volatile int recurseForever = 1;

int overflowStack(int depth)
{
    volatile char frame[512];
    frame[0] = char(depth);
    if (recurseForever)
        return overflowStack(depth + 1) + frame[0];
    return frame[0];
}

// A real fault rather than one the sanitizers report first: the handler under
// test must be the one that sees the signal.
__attribute__((no_sanitize("address", "undefined"))) void writeToNull()
{
    *reinterpret_cast<volatile int *>(nullAddress) = 1;
}

int crashChild(const char *fault, const char *marker)
{
    if (!CrashHandler::install())
        return 10;
    if (marker) {
        std::strncpy(markerPath, marker, sizeof(markerPath) - 1);
        CrashHandler::setHook(markerHook);
    }
    if (std::strcmp(fault, "segv") == 0)
        writeToNull();
    else if (std::strcmp(fault, "abort") == 0)
        std::abort();
    else if (std::strcmp(fault, "stack") == 0)
        return overflowStack(0);
    else if (std::strcmp(fault, "fpe") == 0)
        std::raise(SIGFPE);
    else if (std::strcmp(fault, "bus") == 0)
        std::raise(SIGBUS);
    else if (std::strcmp(fault, "ill") == 0)
        std::raise(SIGILL);
    return 11;
}

struct ChildResult {
    bool started = false;
    int status = 0;
    QString errorOutput;
};

// Runs this program as a crashing child in `workDir`; fork and exec rather
// than QProcess because the test needs the exact terminating signal.
ChildResult runChild(
    const QString &workDir, const QString &fault, const QString &marker = QString())
{
    ChildResult result;
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    const QByteArray dir = QFile::encodeName(workDir);
    const QByteArray errorFile = QFile::encodeName(workDir + QStringLiteral("/stderr.txt"));
    const QByteArray faultArg = fault.toLatin1();
    const QByteArray markerArg = QFile::encodeName(marker);
    char *argv[] = { const_cast<char *>(program.constData()), const_cast<char *>("--crash-child"),
        const_cast<char *>(faultArg.constData()),
        marker.isEmpty() ? nullptr : const_cast<char *>(markerArg.constData()), nullptr };

    const pid_t pid = ::fork();
    if (pid < 0)
        return result;
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const struct rlimit noCore = { 0, 0 };
        ::setrlimit(RLIMIT_CORE, &noCore);
        const int fd = ::open(errorFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::chdir(dir.constData()) != 0)
            ::_exit(12);
        ::dup2(fd, STDERR_FILENO);
        ::execv(program.constData(), argv);
        ::_exit(13);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    result.started = true;
    result.status = status;
    QFile errors(QString::fromLocal8Bit(errorFile));
    if (errors.open(QIODevice::ReadOnly))
        result.errorOutput = QString::fromUtf8(errors.readAll());
    return result;
}

} // namespace

class TestCrashHandler : public QObject {
    Q_OBJECT

private slots:
    void fatalSignalWritesDumpAndEndsBySignal_data();
    void fatalSignalWritesDumpAndEndsBySignal();
    void missingLogFolderStillTellsUserAndEnds();
    void hookRunsWithDumpPath();
    void stampMatchesCalendar_data();
    void stampMatchesCalendar();
    void dumpPathPattern();
};

void TestCrashHandler::fatalSignalWritesDumpAndEndsBySignal_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("name");
    QTest::newRow("null write") << "segv" << int(SIGSEGV) << "SIGSEGV";
    QTest::newRow("stack overflow") << "stack" << int(SIGSEGV) << "SIGSEGV";
    QTest::newRow("abort") << "abort" << int(SIGABRT) << "SIGABRT";
    QTest::newRow("fpe") << "fpe" << int(SIGFPE) << "SIGFPE";
    QTest::newRow("bus") << "bus" << int(SIGBUS) << "SIGBUS";
    QTest::newRow("ill") << "ill" << int(SIGILL) << "SIGILL";
}

void TestCrashHandler::fatalSignalWritesDumpAndEndsBySignal()
{
    QFETCH(QString, fault);
    QFETCH(int, signalNumber);
    QFETCH(QString, name);
    TempTree tree;
    QVERIFY(tree.makeDir(QStringLiteral("log")));

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const ChildResult child = runChild(tree.root(), fault);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QVERIFY(child.started);
    QVERIFY2(WIFSIGNALED(child.status), qPrintable(QString::number(child.status)));
    QCOMPARE(WTERMSIG(child.status), signalNumber);

    const QStringList dumps = QDir(tree.path(QStringLiteral("log"))).entryList(QDir::Files);
    QCOMPARE(dumps.size(), 1);
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("^crash_(\\d{14})\\.dmp$")).match(dumps.first());
    QVERIFY2(match.hasMatch(), qPrintable(dumps.first()));
    const QDateTime stamp
        = QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMddhhmmss"));
    QVERIFY(stamp.isValid());
    // Local time, not UTC: the name must fall between the clock readings.
    QVERIFY2(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after,
        qPrintable(match.captured(1)));

    QFile dump(tree.path(QStringLiteral("log/") + dumps.first()));
    QVERIFY(dump.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(dump.readAll());
    QVERIFY2(report.contains(QStringLiteral("Signal: %1 (%2)").arg(signalNumber).arg(name)),
        qPrintable(report));
    const int backtraceAt = report.indexOf(QStringLiteral("Backtrace:\n"));
    QVERIFY(backtraceAt > 0);
    QVERIFY2(report.indexOf(QStringLiteral("[0x"), backtraceAt) > 0, qPrintable(report));

    QVERIFY2(child.errorOutput.contains(QStringLiteral("The program gets crashed.")),
        qPrintable(child.errorOutput));
    QVERIFY2(child.errorOutput.contains(
                 QStringLiteral("Please send the crash report to the developer.(log/%1)")
                     .arg(dumps.first())),
        qPrintable(child.errorOutput));
}

void TestCrashHandler::missingLogFolderStillTellsUserAndEnds()
{
    TempTree tree;
    const ChildResult child = runChild(tree.root(), QStringLiteral("segv"));
    QVERIFY(child.started);
    QVERIFY(WIFSIGNALED(child.status));
    QCOMPARE(WTERMSIG(child.status), SIGSEGV);
    QVERIFY(!QFileInfo::exists(tree.path(QStringLiteral("log"))));
    QVERIFY2(child.errorOutput.contains(QRegularExpression(QStringLiteral(
                 "Please send the crash report to the developer\\.\\(log/crash_\\d{14}\\.dmp\\)"))),
        qPrintable(child.errorOutput));
}

void TestCrashHandler::hookRunsWithDumpPath()
{
    TempTree tree;
    QVERIFY(tree.makeDir(QStringLiteral("log")));
    const QString marker = tree.path(QStringLiteral("marker.txt"));
    const ChildResult child = runChild(tree.root(), QStringLiteral("abort"), marker);
    QVERIFY(WIFSIGNALED(child.status));
    QCOMPARE(WTERMSIG(child.status), SIGABRT);

    QFile file(marker);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString reported = QString::fromUtf8(file.readAll());
    const QStringList dumps = QDir(tree.path(QStringLiteral("log"))).entryList(QDir::Files);
    QCOMPARE(dumps.size(), 1);
    QCOMPARE(reported, QStringLiteral("log/") + dumps.first());
}

void TestCrashHandler::stampMatchesCalendar_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("epoch") << qint64(0);
    QTest::newRow("end of 1999")
        << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59), Qt::UTC).toSecsSinceEpoch();
    QTest::newRow("leap day 2000")
        << QDateTime(QDate(2000, 2, 29), QTime(12, 0, 1), Qt::UTC).toSecsSinceEpoch();
    QTest::newRow("no leap 2100")
        << QDateTime(QDate(2100, 3, 1), QTime(0, 0, 0), Qt::UTC).toSecsSinceEpoch();
    QTest::newRow("leap day 2028")
        << QDateTime(QDate(2028, 2, 29), QTime(23, 0, 0), Qt::UTC).toSecsSinceEpoch();
    QTest::newRow("new year 2027")
        << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0), Qt::UTC).toSecsSinceEpoch();
    QTest::newRow("before epoch")
        << QDateTime(QDate(1969, 12, 31), QTime(22, 30, 5), Qt::UTC).toSecsSinceEpoch();
}

void TestCrashHandler::stampMatchesCalendar()
{
    QFETCH(qint64, seconds);
    char stamp[15];
    std::memset(stamp, 'z', sizeof(stamp));
    CrashHandler::formatStamp(seconds, stamp);
    QCOMPARE(stamp[14], '\0');
    QCOMPARE(QString::fromLatin1(stamp),
        QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(QStringLiteral("yyyyMMddhhmmss")));
}

void TestCrashHandler::dumpPathPattern()
{
    QCOMPARE(CrashHandler::dumpPath(QDateTime(QDate(2026, 12, 7), QTime(9, 4, 3))),
        QStringLiteral("log/crash_20261207090403.dmp"));
    QCOMPARE(QString::fromLatin1(CrashHandler::crashText()).arg(QStringLiteral("x")),
        QStringLiteral("Please send the crash report to the developer.(x)"));
}

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--crash-child") == 0)
        return crashChild(argv[2], argc >= 4 ? argv[3] : nullptr);
    QCoreApplication app(argc, argv);
    TestCrashHandler test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashhandler.moc"
