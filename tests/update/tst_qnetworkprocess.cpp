#include <memory>

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QUuid>

#include "platform/product.h"
#include "tests/support/cannedhttpserver.h"
#include "update/qnetworkprocess.h"

namespace {

QByteArray updateBody(int code, const QString &version,
    const QString &url = QStringLiteral("https://example.org/twinscan.exe"))
{
    QJsonObject object;
    object.insert(QStringLiteral("code"), code);
    object.insert(QStringLiteral("version"), version);
    object.insert(QStringLiteral("download_url"), url);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Reaches the reply slot so a test can hand it replies the client never asked for.
class ExposedProcess : public QNetWorkProcess {
public:
    using QNetWorkProcess::finishedConnected;
};

const QString UpdatePath = QString::fromLatin1(QNetWorkProcess::UpdatePath);
const QString InstallPath = QString::fromLatin1(QNetWorkProcess::InstallPath);
const int Timeout = 20000;

} // namespace

class TestNetWorkProcess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartReportsOnceAndCounts();
    void storedDeviceIdIsSentAndKept();
    void baseUrlComesFromTheSettings();
    void deviceIdIsAnAddressOrAUuid();

    void offerFollowsTheIgnoredVersion_data();
    void offerFollowsTheIgnoredVersion();
    void answersDecideWhatIsStored();
    void yesOpensTheDownloadAddress();
    void unsafeDownloadAddressIsNeverOffered();

    void repliesThatAreNoOfferDoNothing_data();
    void repliesThatAreNoOfferDoNothing();
    void httpErrorLogsTheWarning();
    void refusedConnectionLogsTheWarning();

private:
    static QSettings *store();
    // A client that is not on its first run, so it sends nothing by itself.
    std::unique_ptr<ExposedProcess> startedClient();
    bool waitForReplies(QSignalSpy &spy, int count);

    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<CannedHttpServer> m_server;
    QStringList m_questions;
    QNetWorkProcess::UpdateAnswer m_answer = QNetWorkProcess::AnswerNo;
    QList<QUrl> m_opened;
};

void TestNetWorkProcess::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The canned server is local; a proxy from the environment must not see it.
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void TestNetWorkProcess::init()
{
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_settingsDir->isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir->path());

    m_server = std::make_unique<CannedHttpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost));
    std::unique_ptr<QSettings> settings(store());
    settings->setValue(QStringLiteral("update_base_url"), m_server->baseUrl());
    settings->sync();

    m_questions.clear();
    m_opened.clear();
    m_answer = QNetWorkProcess::AnswerNo;
}

void TestNetWorkProcess::cleanup()
{
    m_server.reset();
    m_settingsDir.reset();
}

QSettings *TestNetWorkProcess::store()
{
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation),
        QString::fromLatin1(Product::Name));
}

std::unique_ptr<ExposedProcess> TestNetWorkProcess::startedClient()
{
    {
        std::unique_ptr<QSettings> settings(store());
        if (!settings->contains(QStringLiteral("run_times")))
            settings->setValue(QStringLiteral("run_times"), 1);
        settings->sync();
    }
    auto client = std::make_unique<ExposedProcess>();
    client->setAsker([this](const QString &title, const QString &text) {
        m_questions.append(title + QLatin1Char('|') + text);
        return m_answer;
    });
    client->setUrlOpener([this](const QUrl &url) {
        m_opened.append(url);
        return true;
    });
    return client;
}

bool TestNetWorkProcess::waitForReplies(QSignalSpy &spy, int count)
{
    for (int i = 0; i < 100 && spy.count() < count; ++i)
        spy.wait(Timeout / 100);
    return spy.count() == count;
}

void TestNetWorkProcess::firstStartReportsOnceAndCounts()
{
    QString firstDeviceId;
    {
        QNetWorkProcess client;
        QSignalSpy handled(&client, &QNetWorkProcess::replyHandled);
        QVERIFY(waitForReplies(handled, 1));
        QCOMPARE(handled.at(0).at(0).toString(), InstallPath);
        firstDeviceId = client.deviceId();
    }
    QVERIFY(!firstDeviceId.isEmpty());
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Orvane"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Orvane Twinscan"));
    {
        std::unique_ptr<QSettings> settings(store());
        QCOMPARE(settings->value(QStringLiteral("run_times")).toInt(), 1);
        QCOMPARE(settings->value(QStringLiteral("device_id")).toString(), firstDeviceId);
    }
    QCOMPARE(m_server->requests.size(), 1);
    const QUrlQuery query(m_server->requests.first());
    QCOMPARE(query.queryItemValue(QStringLiteral("product_id")), QStringLiteral("72"));
    QCOMPARE(query.queryItemValue(QStringLiteral("version")), QStringLiteral("2.0.0"));
    QCOMPARE(query.queryItemValue(QStringLiteral("device_id")), firstDeviceId);

    // Second start: the counter moves on, the identifier stays, no report.
    {
        QNetWorkProcess client;
        QSignalSpy handled(&client, &QNetWorkProcess::replyHandled);
        client.checkUpdate();
        QVERIFY(waitForReplies(handled, 1));
        QCOMPARE(handled.at(0).at(0).toString(), UpdatePath);
        QCOMPARE(client.deviceId(), firstDeviceId);
    }
    std::unique_ptr<QSettings> settings(store());
    QCOMPARE(settings->value(QStringLiteral("run_times")).toInt(), 2);
    QCOMPARE(m_server->requestCount(InstallPath), 1);
    QCOMPARE(m_server->requestCount(UpdatePath), 1);
}

void TestNetWorkProcess::storedDeviceIdIsSentAndKept()
{
    {
        std::unique_ptr<QSettings> settings(store());
        settings->setValue(QStringLiteral("device_id"), QStringLiteral("{a-stored-device}"));
    }
    auto client = startedClient();
    QCOMPARE(client->deviceId(), QStringLiteral("{a-stored-device}"));
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(m_server->requests.size(), 1);
    QCOMPARE(QUrlQuery(m_server->requests.first())
                 .queryItemValue(QStringLiteral("device_id"), QUrl::FullyDecoded),
        QStringLiteral("{a-stored-device}"));
    std::unique_ptr<QSettings> settings(store());
    QCOMPARE(settings->value(QStringLiteral("run_times")).toInt(), 2);
}

void TestNetWorkProcess::baseUrlComesFromTheSettings()
{
    {
        std::unique_ptr<QSettings> settings(store());
        settings->setValue(
            QStringLiteral("update_base_url"), QStringLiteral("http://10.1.2.3:81/"));
    }
    auto client = startedClient();
    QCOMPARE(client->endpointUrl(QNetWorkProcess::UpdatePath),
        QStringLiteral("http://10.1.2.3:81/API/update_information/"));
    {
        std::unique_ptr<QSettings> settings(store());
        settings->remove(QStringLiteral("update_base_url"));
    }
    QNetWorkProcess unconfigured;
    const QUrl fallback(unconfigured.endpointUrl(QNetWorkProcess::InstallPath));
    QCOMPARE(fallback.scheme(), QStringLiteral("https"));
    QVERIFY(!fallback.host().isEmpty());
    QCOMPARE(fallback.path(), InstallPath);
}

void TestNetWorkProcess::deviceIdIsAnAddressOrAUuid()
{
    const QString id = QNetWorkProcess::get_device_id();
    const QRegularExpression hardware(QStringLiteral("^[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5,}$"));
    const bool isUuid = !QUuid::fromString(id).isNull() && id.startsWith(QLatin1Char('{'));
    QVERIFY2(hardware.match(id).hasMatch() || isUuid, qPrintable(id));
    // Never the loopback's address, which every machine shares.
    QVERIFY(id != QLatin1String("00:00:00:00:00:00"));
    for (const QNetworkInterface &networkInterface : QNetworkInterface::allInterfaces()) {
        if (networkInterface.flags().testFlag(QNetworkInterface::IsLoopBack))
            QVERIFY(id != networkInterface.hardwareAddress() || isUuid);
    }
    // A hardware address does not change between calls; a fallback would.
    if (!isUuid)
        QCOMPARE(QNetWorkProcess::get_device_id(), id);
}

void TestNetWorkProcess::offerFollowsTheIgnoredVersion_data()
{
    QTest::addColumn<QString>("ignored");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<bool>("asked");

    QTest::newRow("nothing ignored") << QString() << "2.1.0" << true;
    QTest::newRow("same as ignored") << "2.1.0"
                                     << "2.1.0" << false;
    QTest::newRow("newer than ignored") << "2.1.0"
                                        << "2.2.0" << true;
    QTest::newRow("older than ignored") << "2.2.0"
                                        << "2.1.0" << false;
    QTest::newRow("2.10.0 after ignored 2.9.0") << "2.9.0"
                                                << "2.10.0" << true;
    QTest::newRow("2.9.0 after ignored 2.10.0") << "2.10.0"
                                                << "2.9.0" << false;
    QTest::newRow("trailing zero is the same") << "2.1"
                                               << "2.1.0" << false;
}

void TestNetWorkProcess::offerFollowsTheIgnoredVersion()
{
    QFETCH(QString, ignored);
    QFETCH(QString, offered);
    QFETCH(bool, asked);

    if (!ignored.isEmpty()) {
        std::unique_ptr<QSettings> settings(store());
        settings->setValue(QStringLiteral("Ignore_version"), ignored);
    }
    m_server->setReply(UpdatePath, 200, updateBody(400, offered));
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));

    if (!asked) {
        QVERIFY(m_questions.isEmpty());
        return;
    }
    QCOMPARE(m_questions.size(), 1);
    QCOMPARE(m_questions.first(),
        QStringLiteral("Software Update|A new version of Orvane Twinscan is available! \r\n"
                       "Orvane Twinscan %1 is now available---you have 2.0.0. Would you like "
                       "to download it now?")
            .arg(offered));
}

void TestNetWorkProcess::answersDecideWhatIsStored()
{
    m_server->setReply(UpdatePath, 200, updateBody(400, QStringLiteral("2.3.0")));

    // No stores nothing, so the next start asks again.
    m_answer = QNetWorkProcess::AnswerNo;
    for (int start = 1; start <= 2; ++start) {
        auto client = startedClient();
        QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
        client->checkUpdate();
        QVERIFY(waitForReplies(handled, 1));
        QCOMPARE(m_questions.size(), start);
        std::unique_ptr<QSettings> settings(store());
        QVERIFY(!settings->contains(QStringLiteral("Ignore_version")));
    }
    QVERIFY(m_opened.isEmpty());

    // Ignore stores the offered version, and the next start stays silent.
    m_answer = QNetWorkProcess::AnswerIgnore;
    for (int start = 3; start <= 4; ++start) {
        auto client = startedClient();
        QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
        client->checkUpdate();
        QVERIFY(waitForReplies(handled, 1));
        QCOMPARE(m_questions.size(), 3);
        std::unique_ptr<QSettings> settings(store());
        QCOMPARE(
            settings->value(QStringLiteral("Ignore_version")).toString(), QStringLiteral("2.3.0"));
    }
    QVERIFY(m_opened.isEmpty());
}

void TestNetWorkProcess::yesOpensTheDownloadAddress()
{
    m_server->setReply(UpdatePath, 200,
        updateBody(400, QStringLiteral("2.4.0"),
            QStringLiteral("https://example.org/get/twinscan-2.4.0.exe")));
    m_answer = QNetWorkProcess::AnswerYes;
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(m_questions.size(), 1);
    QCOMPARE(m_opened,
        QList<QUrl> { QUrl(QStringLiteral("https://example.org/get/twinscan-2.4.0.exe")) });
    std::unique_ptr<QSettings> settings(store());
    QVERIFY(!settings->contains(QStringLiteral("Ignore_version")));
}

void TestNetWorkProcess::unsafeDownloadAddressIsNeverOffered()
{
    const QStringList addresses { QStringLiteral("file:///etc/passwd"),
        QStringLiteral("smb://server/share/setup.exe"), QStringLiteral("not an address"),
        QString() };
    m_answer = QNetWorkProcess::AnswerYes;
    for (const QString &address : addresses) {
        m_server->setReply(UpdatePath, 200, updateBody(400, QStringLiteral("2.5.0"), address));
        auto client = startedClient();
        QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
        client->checkUpdate();
        QVERIFY(waitForReplies(handled, 1));
        QVERIFY2(m_questions.isEmpty(), qPrintable(address));
        QVERIFY2(m_opened.isEmpty(), qPrintable(address));
    }
}

void TestNetWorkProcess::repliesThatAreNoOfferDoNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("not json") << UpdatePath << QByteArray("<html>maintenance</html>");
    QTest::newRow("json array") << UpdatePath << QByteArray("[400]");
    QTest::newRow("code 200") << UpdatePath << updateBody(200, QStringLiteral("9.0.0"));
    QTest::newRow("code 401") << UpdatePath << updateBody(401, QStringLiteral("9.0.0"));
    QTest::newRow("code as text") << UpdatePath
                                  << QByteArray("{\"code\":\"400\",\"version\":\"9.0.0\","
                                                "\"download_url\":\"https://example.org/a\"}");
    QTest::newRow("no code") << UpdatePath << QByteArray("{\"version\":\"9.0.0\"}");
    // The first-run report has no handler, even for a reply that looks like an offer.
    QTest::newRow("install endpoint") << InstallPath << updateBody(400, QStringLiteral("9.0.0"));
    QTest::newRow("unknown endpoint")
        << QStringLiteral("/API/other/") << updateBody(400, QStringLiteral("9.0.0"));
}

void TestNetWorkProcess::repliesThatAreNoOfferDoNothing()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, body);

    m_server->setReply(path, 200, body);
    m_answer = QNetWorkProcess::AnswerIgnore;
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    if (path == UpdatePath)
        client->checkUpdate();
    else if (path == InstallPath)
        client->installSuccess();
    else {
        // The client only asks its own endpoints; hand it a reply from elsewhere.
        QNetworkAccessManager manager;
        connect(&manager, &QNetworkAccessManager::finished, client.get(),
            [&client](QNetworkReply *reply) { client->finishedConnected(reply); });
        manager.get(QNetworkRequest(QUrl(m_server->baseUrl() + path)));
        QVERIFY(waitForReplies(handled, 1));
        QCOMPARE(handled.at(0).at(0).toString(), path);
        QVERIFY(m_questions.isEmpty());
        return;
    }
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(handled.at(0).at(0).toString(), path);
    QVERIFY(m_questions.isEmpty());
    std::unique_ptr<QSettings> settings(store());
    QVERIFY(!settings->contains(QStringLiteral("Ignore_version")));
}

void TestNetWorkProcess::httpErrorLogsTheWarning()
{
    m_server->setReply(UpdatePath, 500, updateBody(400, QStringLiteral("9.0.0")));
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("get return data is failed!")));
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QVERIFY(m_questions.isEmpty());
}

void TestNetWorkProcess::refusedConnectionLogsTheWarning()
{
    quint16 deadPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        deadPort = probe.serverPort();
    }
    {
        std::unique_ptr<QSettings> settings(store());
        settings->setValue(
            QStringLiteral("update_base_url"), QStringLiteral("http://127.0.0.1:%1").arg(deadPort));
    }
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("get return data is failed!")));
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QVERIFY(m_questions.isEmpty());
    QVERIFY(m_server->requests.isEmpty());
}

QTEST_GUILESS_MAIN(TestNetWorkProcess)
#include "tst_qnetworkprocess.moc"
