#include <memory>

#include <QCryptographicHash>
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

// An offer padded with blanks (still valid JSON) to `size` bytes.
QByteArray paddedOffer(qint64 size)
{
    QByteArray body = updateBody(400, QStringLiteral("9.0.0"));
    return body + QByteArray(int(size - body.size()), ' ');
}

bool isHexDigest(const QString &id)
{
    static const QRegularExpression digest(QStringLiteral("^[0-9a-f]{32}$"));
    return digest.match(id).hasMatch();
}

// Every way a hardware address could show in a text: as given, or as bare hex.
bool revealsAddress(const QString &text, const QString &address)
{
    QString bare = address;
    bare.remove(QLatin1Char(':')).remove(QLatin1Char('-'));
    return text.contains(address, Qt::CaseInsensitive)
        || (!bare.isEmpty() && text.contains(bare, Qt::CaseInsensitive));
}

QStringList capturedMessages;

void captureMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    capturedMessages.append(message);
}

} // namespace

Q_DECLARE_METATYPE(CannedHttpServer::Reply)
Q_DECLARE_METATYPE(CannedHttpServer::Delivery)

class TestNetWorkProcess : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartReportsOnceAndCounts();
    void storedDeviceIdIsSentAndKept();
    void baseUrlComesFromTheSettings();
    void deviceIdIsADigestOrAUuid();
    void anonymisedIdHidesTheAddress();
    void storedAddressIsReplacedByItsDigest();
    void switchedOffSendsNothing();

    void offerFollowsTheIgnoredVersion_data();
    void offerFollowsTheIgnoredVersion();
    void answersDecideWhatIsStored();
    void yesOpensTheDownloadAddress();
    void unsafeDownloadAddressIsNeverOffered();

    void repliesThatAreNoOfferDoNothing_data();
    void repliesThatAreNoOfferDoNothing();
    void httpErrorLogsTheWarning();
    void refusedConnectionLogsTheWarning();

    void oversizedRepliesAreDropped_data();
    void oversizedRepliesAreDropped();
    void stalledRepliesTimeOut_data();
    void stalledRepliesTimeOut();
    void onlyStatus200IsAnAnswer_data();
    void onlyStatus200IsAnAnswer();
    void logKeepsAShortEscapedExcerpt();

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
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
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

void TestNetWorkProcess::deviceIdIsADigestOrAUuid()
{
    const QString id = QNetWorkProcess::get_device_id();
    const bool isUuid = !QUuid::fromString(id).isNull() && id.startsWith(QLatin1Char('{'));
    QVERIFY2(isHexDigest(id) || isUuid, qPrintable(id));
    // No card's address leaves the machine, in any spelling.
    for (const QNetworkInterface &networkInterface : QNetworkInterface::allInterfaces()) {
        const QString address = networkInterface.hardwareAddress();
        if (address.isEmpty() || address == QLatin1String("00:00:00:00:00:00"))
            continue;
        QVERIFY2(!revealsAddress(id, address), qPrintable(address));
    }
    // A digest of the hardware does not change between calls; a fallback would.
    if (!isUuid)
        QCOMPARE(QNetWorkProcess::get_device_id(), id);
}

void TestNetWorkProcess::anonymisedIdHidesTheAddress()
{
    const QString address = QStringLiteral("52:54:00:AB:CD:EF");
    const QString id = QNetWorkProcess::anonymisedId(address);
    QVERIFY2(isHexDigest(id), qPrintable(id));
    QVERIFY(!revealsAddress(id, address));
    // One machine, one identifier, however the address is spelt.
    QCOMPARE(QNetWorkProcess::anonymisedId(address), id);
    QCOMPARE(QNetWorkProcess::anonymisedId(QStringLiteral("52-54-00-ab-cd-ef")), id);
    // Neighbouring addresses give unrelated identifiers.
    const QString neighbour = QNetWorkProcess::anonymisedId(QStringLiteral("52:54:00:AB:CD:EE"));
    QVERIFY(neighbour != id);
    QVERIFY(neighbour.left(8) != id.left(8));
    // Not the plain digest either, which anyone could look up from the address.
    QVERIFY(!QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha256)
                 .toHex()
                 .startsWith(id.toLatin1()));
}

void TestNetWorkProcess::storedAddressIsReplacedByItsDigest()
{
    // Earlier versions stored the card's address itself.
    const QString address = QStringLiteral("52:54:00:12:34:56");
    {
        std::unique_ptr<QSettings> settings(store());
        settings->setValue(QStringLiteral("device_id"), address);
    }
    auto client = startedClient();
    QCOMPARE(client->deviceId(), QNetWorkProcess::anonymisedId(address));
    {
        std::unique_ptr<QSettings> settings(store());
        QCOMPARE(settings->value(QStringLiteral("device_id")).toString(), client->deviceId());
    }
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(m_server->requests.size(), 1);
    QVERIFY(!revealsAddress(
        QUrl::fromPercentEncoding(m_server->requests.first().toEncoded()), address));
    QCOMPARE(QUrlQuery(m_server->requests.first()).queryItemValue(QStringLiteral("device_id")),
        client->deviceId());
}

void TestNetWorkProcess::switchedOffSendsNothing()
{
    QVERIFY(QNetWorkProcess::checkAtStart());
    QNetWorkProcess::setCheckAtStart(false);
    {
        // Kept beside the service address, in the update check's own store.
        std::unique_ptr<QSettings> settings(store());
        QCOMPARE(settings->value(QStringLiteral("check_updates_at_start")).toBool(), false);
    }
    m_server->setReply(UpdatePath, 200, updateBody(400, QStringLiteral("9.0.0")));
    {
        // A first start: neither the report nor the query goes out.
        QNetWorkProcess client;
        client.checkUpdate();
        QCOMPARE(client.pendingRequests(), 0);
        QVERIFY(client.findChildren<QNetworkReply *>().isEmpty());
        QTest::qWait(200);
    }
    QVERIFY(m_server->requests.isEmpty());
    std::unique_ptr<QSettings> settings(store());
    QCOMPARE(settings->value(QStringLiteral("run_times")).toInt(), 1);

    // Switched on again, the next start asks.
    QNetWorkProcess::setCheckAtStart(true);
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(m_server->requestCount(UpdatePath), 1);
    QCOMPARE(m_questions.size(), 1);
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

void TestNetWorkProcess::oversizedRepliesAreDropped_data()
{
    using Delivery = CannedHttpServer::Delivery;
    QTest::addColumn<CannedHttpServer::Reply>("reply");
    QTest::addColumn<bool>("offered");
    const qint64 limit = QNetWorkProcess::MaximumReplySize;

    CannedHttpServer::Reply endless;
    endless.delivery = Delivery::Endless;
    endless.body = QByteArray(64 * 1024, ' ');
    QTest::newRow("endless body") << endless << false;

    CannedHttpServer::Reply announced = endless;
    announced.announcedLength = 300 * 1024 * 1024;
    QTest::newRow("announces 300 MB") << announced << false;

    CannedHttpServer::Reply over;
    over.body = paddedOffer(limit + 1);
    QTest::newRow("one byte over, announced") << over << false;
    over.sendLength = false;
    QTest::newRow("one byte over, unannounced") << over << false;

    CannedHttpServer::Reply atLimit;
    atLimit.body = paddedOffer(limit);
    QTest::newRow("at the limit") << atLimit << true;
    atLimit.sendLength = false;
    QTest::newRow("at the limit, unannounced") << atLimit << true;
}

void TestNetWorkProcess::oversizedRepliesAreDropped()
{
    QFETCH(CannedHttpServer::Reply, reply);
    QFETCH(bool, offered);
    m_server->setReply(UpdatePath, reply);
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    if (!offered) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("reply dropped")));
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(QStringLiteral("get return data is failed!")));
    }
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(m_questions.size(), offered ? 1 : 0);
    QCOMPARE(client->pendingRequests(), 0);
    if (reply.delivery == CannedHttpServer::Delivery::Endless) {
        // The client hung up long before the server ran out of body.
        QTRY_COMPARE_WITH_TIMEOUT(m_server->clientHangUps, 1, Timeout);
        QVERIFY2(m_server->bodyBytesSent < CannedHttpServer::EndlessLimit / 8,
            qPrintable(QString::number(m_server->bodyBytesSent)));
    }
}

void TestNetWorkProcess::stalledRepliesTimeOut_data()
{
    QTest::addColumn<CannedHttpServer::Delivery>("delivery");
    QTest::newRow("no answer") << CannedHttpServer::Delivery::StallBeforeHeaders;
    QTest::newRow("half a body") << CannedHttpServer::Delivery::StallInBody;
}

void TestNetWorkProcess::stalledRepliesTimeOut()
{
    QFETCH(CannedHttpServer::Delivery, delivery);
    CannedHttpServer::Reply reply;
    reply.body = updateBody(400, QStringLiteral("9.0.0"));
    reply.delivery = delivery;
    m_server->setReply(UpdatePath, reply);
    auto client = startedClient();
    client->setReplyTimeout(300);
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("timed out")));
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("get return data is failed!")));
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(client->pendingRequests(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(client->findChildren<QNetworkReply *>().isEmpty(), Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->clientHangUps, 1, Timeout);
    QVERIFY(m_questions.isEmpty());
}

void TestNetWorkProcess::onlyStatus200IsAnAnswer_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("302 found") << 302;
    QTest::newRow("301 moved") << 301;
    QTest::newRow("307 temporary") << 307;
    QTest::newRow("203 non-authoritative") << 203;
    QTest::newRow("206 partial") << 206;
}

void TestNetWorkProcess::onlyStatus200IsAnAnswer()
{
    QFETCH(int, status);
    // The body is an offer, and so is the page the redirect points to.
    const QString elsewhere = QStringLiteral("/API/elsewhere/");
    CannedHttpServer::Reply reply;
    reply.status = status;
    reply.body = updateBody(400, QStringLiteral("9.0.0"));
    reply.extraHeaders = "Location: " + (m_server->baseUrl() + elsewhere).toLatin1() + "\r\n";
    m_server->setReply(UpdatePath, reply);
    m_server->setReply(elsewhere, 200, updateBody(400, QStringLiteral("9.0.0")));

    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("get return data is failed!")));
    client->checkUpdate();
    QVERIFY(waitForReplies(handled, 1));
    QCOMPARE(handled.at(0).at(0).toString(), UpdatePath);
    QVERIFY(m_questions.isEmpty());
    QTest::qWait(100);
    QCOMPARE(m_server->requests.size(), 1);
}

void TestNetWorkProcess::logKeepsAShortEscapedExcerpt()
{
    // A reply that is no offer, carrying markup and a long tail.
    const QByteArray body = "{\"code\":200,\"note\":\"<script>alert(1)</script>\",\"tail\":\""
        + QByteArray(10000, 'x') + "\"}";
    m_server->setReply(UpdatePath, 200, body);
    auto client = startedClient();
    QSignalSpy handled(client.get(), &QNetWorkProcess::replyHandled);
    capturedMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    client->checkUpdate();
    const bool replied = waitForReplies(handled, 1);
    qInstallMessageHandler(previous);
    QVERIFY(replied);

    QStringList excerpts;
    for (const QString &message : qAsConst(capturedMessages)) {
        if (message.contains(QLatin1String("alert(1)")))
            excerpts.append(message);
    }
    QCOMPARE(excerpts.size(), 1);
    const QString &logged = excerpts.first();
    QVERIFY2(logged.size() < QNetWorkProcess::LoggedReplyLength * 2, qPrintable(logged.left(800)));
    QVERIFY(!logged.contains(QLatin1String("<script>")));
    QVERIFY(logged.contains(QLatin1String("&lt;script&gt;")));
}

QTEST_GUILESS_MAIN(TestNetWorkProcess)
#include "tst_qnetworkprocess.moc"
