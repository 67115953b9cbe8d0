#include <unistd.h>

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include "platform/stayawake.h"

// Stand-ins for the desktop's screen saver and logind on a private bus; they
// run on their own thread because the request blocks the test's thread.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    QStringList calls() const
    {
        QMutexLocker locker(&m_mutex);
        return m_calls;
    }

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        QMutexLocker locker(&m_mutex);
        m_calls << application + QLatin1Char('|') + reason;
        return 42;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
};

class FakeLogin : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLogin() override
    {
        for (const int fd : m_readEnds)
            ::close(fd);
    }

    QStringList calls() const
    {
        QMutexLocker locker(&m_mutex);
        return m_calls;
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(
        const QString &what, const QString &who, const QString &why, const QString &mode)
    {
        QMutexLocker locker(&m_mutex);
        m_calls << QStringList({ what, who, why, mode }).join(QLatin1Char('|'));
        int ends[2];
        if (::pipe(ends) != 0)
            return QDBusUnixFileDescriptor();
        m_readEnds << ends[0];
        QDBusUnixFileDescriptor handed(ends[1]); // keeps its own duplicate
        ::close(ends[1]);
        return handed;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
    QList<int> m_readEnds;
};

class TestStayAwake : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void noBusIsSkipped();
    void busWithoutServicesIsSkipped();
    void screenSaverOnly();
    void loginOnly();
    void bothInhibitors();

private:
    QDBusConnection client(const QString &name) const
    {
        return QDBusConnection::connectToBus(m_address, name);
    }

    QProcess m_daemon;
    QString m_address;
    QThread m_serviceThread;
    FakeScreenSaver *m_screenSaver = nullptr;
    FakeLogin *m_login = nullptr;
};

void TestStayAwake::initTestCase()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    m_daemon.start(daemon,
        { QStringLiteral("--session"), QStringLiteral("--nofork"),
            QStringLiteral("--print-address=1") });
    QVERIFY(m_daemon.waitForStarted(30000));
    while (!m_daemon.canReadLine())
        QVERIFY(m_daemon.waitForReadyRead(30000));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
    m_serviceThread.start();
}

void TestStayAwake::cleanupTestCase()
{
    m_serviceThread.quit();
    m_serviceThread.wait();
    delete m_screenSaver;
    delete m_login;
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(30000))
            m_daemon.kill();
    }
}

void TestStayAwake::noBusIsSkipped()
{
    const int before = StayAwake::heldCount();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/twinscan-test-bus"), QStringLiteral("none"));
    QVERIFY(!none.isConnected());
    QVERIFY(!StayAwake::request(none, none));
    QCOMPARE(StayAwake::heldCount(), before);
}

void TestStayAwake::busWithoutServicesIsSkipped()
{
    const int before = StayAwake::heldCount();
    const QDBusConnection bus = client(QStringLiteral("empty"));
    QVERIFY(bus.isConnected());
    QVERIFY(!StayAwake::request(bus, bus));
    QCOMPARE(StayAwake::heldCount(), before);

    // Now the services appear for the remaining cases.
    QDBusConnection services = client(QStringLiteral("services"));
    m_screenSaver = new FakeScreenSaver;
    m_login = new FakeLogin;
    m_screenSaver->moveToThread(&m_serviceThread);
    m_login->moveToThread(&m_serviceThread);
    QVERIFY(services.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), m_screenSaver,
        QDBusConnection::ExportAllSlots));
    QVERIFY(services.registerObject(
        QStringLiteral("/org/freedesktop/login1"), m_login, QDBusConnection::ExportAllSlots));
    QVERIFY(services.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    QVERIFY(services.registerService(QStringLiteral("org.freedesktop.login1")));
}

void TestStayAwake::screenSaverOnly()
{
    QVERIFY(m_screenSaver);
    const int before = StayAwake::heldCount();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/twinscan-test-bus"), QStringLiteral("none"));
    QVERIFY(StayAwake::request(client(QStringLiteral("session")), none));
    QCOMPARE(StayAwake::heldCount(), before + 1);
    QCOMPARE(m_screenSaver->calls().size(), 1);
    QVERIFY(m_screenSaver->calls().first().startsWith(QStringLiteral("Twinscan|")));
    QVERIFY(m_login->calls().isEmpty());
}

void TestStayAwake::loginOnly()
{
    QVERIFY(m_login);
    const int before = StayAwake::heldCount();
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/twinscan-test-bus"), QStringLiteral("none"));
    QVERIFY(StayAwake::request(none, client(QStringLiteral("system"))));
    QCOMPARE(StayAwake::heldCount(), before + 1);
    QCOMPARE(m_login->calls().size(), 1);
    const QStringList arguments = m_login->calls().first().split(QLatin1Char('|'));
    QCOMPARE(arguments.size(), 4);
    QCOMPARE(arguments.at(0), QStringLiteral("sleep:idle"));
    QCOMPARE(arguments.at(1), QStringLiteral("Twinscan"));
    QVERIFY(!arguments.at(2).isEmpty());
    QCOMPARE(arguments.at(3), QStringLiteral("block"));
}

void TestStayAwake::bothInhibitors()
{
    QVERIFY(m_login);
    const int before = StayAwake::heldCount();
    const QDBusConnection bus = client(QStringLiteral("session"));
    QVERIFY(StayAwake::request(bus, bus));
    QCOMPARE(StayAwake::heldCount(), before + 2);
    QCOMPARE(m_screenSaver->calls().size(), 2);
    QCOMPARE(m_login->calls().size(), 2);
}

QTEST_GUILESS_MAIN(TestStayAwake)
#include "tst_stayawake.moc"
