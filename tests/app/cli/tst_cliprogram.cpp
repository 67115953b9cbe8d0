#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temptree.h"

// The built program itself, where the in-process runner cannot stand in: a
// real terminal to answer on, and a real (temporary) user's trash.
class TestCliProgram : public QObject {
    Q_OBJECT

private slots:
    void asksOnATerminal_data();
    void asksOnATerminal();
    void trashGoesToTheUsersTrash();
};

namespace {

struct Run {
    bool started = false;
    int status = -1;
    QByteArray output;
};

QByteArray content()
{
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes.append(char((i * 7919) >> 3));
    return bytes;
}

// An environment of its own: the program must not read or write the real
// user's preferences, cache or trash.
QStringList environmentFor(const QString &home)
{
    QStringList environment;
    for (const QString &entry : QProcess::systemEnvironment()) {
        if (!entry.startsWith(QLatin1String("HOME=")) && !entry.startsWith(QLatin1String("XDG_")))
            environment << entry;
    }
    environment << QStringLiteral("HOME=") + home
                << QStringLiteral("XDG_DATA_HOME=") + home + QStringLiteral("/.local/share")
                << QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/.config")
                << QStringLiteral("XDG_CACHE_HOME=") + home + QStringLiteral("/.cache");
    return environment;
}

bool readUntil(int fd, QByteArray &output, const QByteArray &wanted, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (wanted.isEmpty() || !output.contains(wanted)) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0)
            return false;
        pollfd ready { fd, POLLIN, 0 };
        if (::poll(&ready, 1, left) <= 0)
            return false;
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) // EIO once the program has closed its side
            return wanted.isEmpty();
        output.append(buffer, int(got));
    }
    return true;
}

// Runs the program on a new pseudo-terminal and types `answer` once it asks.
Run runOnTerminal(const QStringList &arguments, const QString &home, const QByteArray &answer)
{
    std::vector<QByteArray> argBytes { QByteArray(TW_CLI_PROGRAM) };
    for (const QString &argument : arguments)
        argBytes.push_back(QFile::encodeName(argument));
    std::vector<QByteArray> envBytes;
    for (const QString &entry : environmentFor(home))
        envBytes.push_back(QFile::encodeName(entry));
    // Built before the fork: the child may only call async-signal-safe functions.
    std::vector<char *> argv;
    for (QByteArray &bytes : argBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (QByteArray &bytes : envBytes)
        envp.push_back(bytes.data());
    envp.push_back(nullptr);

    Run run;
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return run;
    run.started = true;
    if (child == 0) {
        ::execve(argv.front(), argv.data(), envp.data());
        ::_exit(127);
    }
    if (readUntil(terminal, run.output, "[y/N]", 60000))
        (void)!::write(terminal, answer.constData(), size_t(answer.size()));
    readUntil(terminal, run.output, QByteArray(), 60000);
    ::close(terminal);
    int status = 0;
    if (::waitpid(child, &status, 0) == child && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

void TestCliProgram::asksOnATerminal_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("left");
    QTest::newRow("no") << QByteArray("n\r") << 3 << 2;
    QTest::newRow("empty means no") << QByteArray("\r") << 3 << 2;
    QTest::newRow("yes") << QByteArray("y\r") << 0 << 1;
}

void TestCliProgram::asksOnATerminal()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    QFETCH(int, left);
    TempTree tree;
    QVERIFY(!tree.writeFile("tree/a.bin", content()).isEmpty());
    QVERIFY(!tree.writeFile("tree/b.bin", content()).isEmpty());

    const Run run = runOnTerminal(
        { QStringLiteral("--delete"), tree.path("tree") }, tree.path("home"), answer);
    if (!run.started)
        QSKIP("no pseudo-terminal to be had here");
    QVERIFY2(run.output.contains("[y/N]"), run.output.constData());
    QCOMPARE(run.status, status);
    QCOMPARE(filesIn(tree.path("tree")).size(), left);
}

void TestCliProgram::trashGoesToTheUsersTrash()
{
    TempTree tree;
    QVERIFY(!tree.writeFile("tree/a.bin", content()).isEmpty());
    QVERIFY(!tree.writeFile("tree/b.bin", content()).isEmpty());
    QVERIFY(tree.makeDir("home"));

    QProcess program;
    program.setEnvironment(environmentFor(tree.path("home")));
    program.start(QStringLiteral(TW_CLI_PROGRAM),
        { QStringLiteral("--trash"), QStringLiteral("--yes"), tree.path("tree") });
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 0);

    const QStringList left = filesIn(tree.path("tree"));
    QCOMPARE(left.size(), 1);
    const QString gone = left.first() == QLatin1String("a.bin") ? QStringLiteral("b.bin")
                                                                : QStringLiteral("a.bin");
    const QString trash = tree.path("home/.local/share/Trash");
    QCOMPARE(filesIn(trash + QStringLiteral("/files")), QStringList { gone });
    QFile moved(trash + QStringLiteral("/files/") + gone);
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), content());
    // The record the desktop's trash uses to put the file back.
    QFile info(trash + QStringLiteral("/info/") + gone + QStringLiteral(".trashinfo"));
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QByteArray record = info.readAll();
    QVERIFY2(record.contains("Path=" + QFile::encodeName(tree.path("tree/") + gone)),
        record.constData());
}

QTEST_GUILESS_MAIN(TestCliProgram)
#include "tst_cliprogram.moc"
