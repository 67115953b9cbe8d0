#include "update/qnetworkprocess.h"

#include <memory>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSettings>
#include <QSslSocket>
#include <QTimer>
#include <QUuid>
#include <QVersionNumber>

#include "platform/product.h"

namespace {
const char *const KeyDeviceId = "device_id";
const char *const KeyRunTimes = "run_times";
const char *const KeyIgnoreVersion = "Ignore_version";
const char *const KeyBaseUrl = "update_base_url";
const char *const KeyCheckAtStart = "check_updates_at_start";

// Never change the salt: every installation's identifier would change with it.
// It keeps our digest of a card from matching any other program's digest of
// the same address.
const char *const DeviceIdSalt = "Orvane Twinscan device identifier/1:";
// 128 bits of the digest tell installations apart well enough.
const int DeviceIdLength = 32;

// Earlier versions stored, and sent, the card's address itself.
bool isHardwareAddress(const QString &id)
{
    static const QRegularExpression address(
        QStringLiteral("^[0-9A-Fa-f]{2}([:-][0-9A-Fa-f]{2}){5,}$"));
    return address.match(id).hasMatch();
}

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
}

// The log is HTML that shows messages as they are: text from the network is
// cut short and escaped, so that neither its size nor its markup reaches it.
QString forLog(const QString &text)
{
    QString excerpt = text.left(QNetWorkProcess::LoggedReplyLength);
    excerpt.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"));
    if (text.size() > QNetWorkProcess::LoggedReplyLength)
        excerpt += QStringLiteral(" ... (%1 characters)").arg(text.size());
    return excerpt;
}
} // namespace

QPointer<QNetWorkProcess> QNetWorkProcess::s_instance;

QNetWorkProcess *QNetWorkProcess::instance(QObject *parent)
{
    if (!s_instance)
        s_instance = new QNetWorkProcess(parent);
    return s_instance;
}

QNetWorkProcess::QNetWorkProcess(QObject *parent)
    : QObject(parent)
{
    qDebug() << "QNetWorkProcess::QNetWorkProcess()";
    qDebug() << "QSslSocket=" << QSslSocket::sslLibraryBuildVersionString();
    qDebug() << "OpenSSL support:" << QSslSocket::supportsSsl();

    m_manager = new QNetworkAccessManager(this);
    QCoreApplication::setOrganizationName(QString::fromLatin1(Product::Organisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(Product::Name));
    m_settings = new QSettings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name), this);

    const QString storedId = m_settings->value(KeyDeviceId).toString();
    if (storedId.isEmpty()) {
        device_id = get_device_id();
        m_settings->setValue(KeyDeviceId, device_id);
    } else if (isHardwareAddress(storedId)) {
        // The same digest that a fresh start computes, so the service keeps
        // seeing one identifier for this machine.
        device_id = anonymisedId(storedId);
        m_settings->setValue(KeyDeviceId, device_id);
    } else {
        device_id = storedId;
    }

    if (!m_settings->contains(KeyRunTimes)) {
        m_settings->setValue(KeyRunTimes, 1);
        m_settings->sync();
        installSuccess();
    } else {
        const int runTimes = m_settings->value(KeyRunTimes).toInt() + 1;
        m_settings->setValue(KeyRunTimes, runTimes);
        m_settings->sync();
    }

    connect(m_manager, &QNetworkAccessManager::finished, this, &QNetWorkProcess::finishedConnected);
}

QString QNetWorkProcess::get_device_id()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &networkInterface : interfaces) {
        const auto flags = networkInterface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp)
            || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (networkInterface.addressEntries().isEmpty())
            continue;
        const QString address = networkInterface.hardwareAddress();
        if (!address.isEmpty())
            return anonymisedId(address);
    }
    qDebug() << "get_device_id() is failed!";
    return QUuid::createUuid().toString(QUuid::WithBraces);
}

QString QNetWorkProcess::anonymisedId(const QString &hardwareAddress)
{
    QString normalised = hardwareAddress.toUpper();
    normalised.replace(QLatin1Char('-'), QLatin1Char(':'));
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(DeviceIdSalt) + normalised.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().left(DeviceIdLength));
}

bool QNetWorkProcess::checkAtStart()
{
    return openSettings()->value(KeyCheckAtStart, true).toBool();
}

void QNetWorkProcess::setCheckAtStart(bool enabled)
{
    const auto settings = openSettings();
    settings->setValue(KeyCheckAtStart, enabled);
    settings->sync();
}

QString QNetWorkProcess::baseUrl() const
{
    QString base = m_settings->value(KeyBaseUrl).toString().trimmed();
    if (base.isEmpty())
        base = QString::fromLatin1(DefaultBaseUrl);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QString QNetWorkProcess::endpointUrl(const char *path) const
{
    return baseUrl() + QString::fromLatin1(path);
}

void QNetWorkProcess::sendQuery(const char *path, const char *logPrefix)
{
    if (!checkAtStart()) {
        qDebug() << Q_FUNC_INFO << logPrefix << "not sent: checking at start is off";
        return;
    }
    const QString text = QStringLiteral("%1?product_id=%2&version=%3&device_id=%4")
                             .arg(endpointUrl(path), QString::fromLatin1(ProductId),
                                 QStringLiteral(TW_VERSION), device_id);
    const QUrl url(text);
    QNetworkRequest request(url);
    request.setHeader(
        QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json;charset=utf-8"));
    // Not followed: only the service itself answers, and only with a 200.
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    qDebug().noquote() << QString::fromLatin1(logPrefix) + url.toString();

    QNetworkReply *reply = m_manager->get(request);
    m_bodies.insert(reply, PendingReply());
    // Bounds what the reply buffers between two reads as well.
    reply->setReadBufferSize(MaximumReplySize + 1);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > MaximumReplySize)
            dropReply(reply, "announces a body above the size limit");
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { readReply(reply); });
    QTimer::singleShot(m_replyTimeoutMs, reply, [this, reply] { dropReply(reply, "timed out"); });
}

void QNetWorkProcess::readReply(QNetworkReply *reply)
{
    const auto pending = m_bodies.find(reply);
    if (pending == m_bodies.end() || pending->dropped)
        return;
    // One byte past the limit is enough to know that the reply is too large.
    pending->body += reply->read(MaximumReplySize + 1 - pending->body.size());
    if (pending->body.size() > MaximumReplySize)
        dropReply(reply, "exceeds the size limit");
}

void QNetWorkProcess::dropReply(QNetworkReply *reply, const char *reason)
{
    const auto pending = m_bodies.find(reply);
    if (pending == m_bodies.end() || pending->dropped)
        return;
    qWarning() << Q_FUNC_INFO << reply->url().path() << reason << "- reply dropped";
    pending->dropped = true;
    pending->body.clear();
    // Ends with finished(), handled as a failure.
    reply->abort();
}

void QNetWorkProcess::checkUpdate()
{
    sendQuery(UpdatePath, "checkUpdate=");
}

void QNetWorkProcess::installSuccess()
{
    sendQuery(InstallPath, "installSuccess=");
}

void QNetWorkProcess::finishedConnected(QNetworkReply *reply)
{
    const QString path = reply->url().path();
    qDebug() << Q_FUNC_INFO << path;

    PendingReply pending = m_bodies.take(reply);
    if (!pending.dropped && reply->error() == QNetworkReply::NoError) {
        pending.body += reply->read(MaximumReplySize + 1 - pending.body.size());
        if (pending.body.size() > MaximumReplySize) {
            qWarning() << Q_FUNC_INFO << path << "exceeds the size limit - reply dropped";
            pending.dropped = true;
        }
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();

    if (pending.dropped) {
        qWarning() << Q_FUNC_INFO << "get return data is failed!"
                   << "the reply was dropped";
    } else if (reply->error() != QNetworkReply::NoError) {
        // The error text quotes the server's status line.
        qWarning() << Q_FUNC_INFO << "get return data is failed!" << forLog(reply->errorString());
    } else if (status != 200) {
        // A redirect or an empty answer carries no offer, whatever its body says.
        qWarning() << Q_FUNC_INFO << "get return data is failed!"
                   << "HTTP status" << status;
    } else {
        qDebug().noquote() << Q_FUNC_INFO << forLog(QString::fromUtf8(pending.body));
        // Compare paths rather than searching the URL text, so that an empty
        // or partial path never matches an endpoint by accident.
        if (!path.isEmpty() && QUrl(endpointUrl(UpdatePath)).path() == path)
            handleUpdateReply(QString::fromUtf8(pending.body));
    }
    reply->deleteLater();
    emit replyHandled(path);
}

bool QNetWorkProcess::shouldOffer(const QString &ignoredVersion, const QString &offeredVersion)
{
    if (ignoredVersion.isEmpty())
        return true;
    // As version numbers, so that an ignored 2.9.0 does not hide 2.10.0.
    const QVersionNumber ignored = QVersionNumber::fromString(ignoredVersion).normalized();
    const QVersionNumber offered = QVersionNumber::fromString(offeredVersion).normalized();
    return ignored < offered;
}

QString QNetWorkProcess::updateQuestion(const QString &offeredVersion)
{
    return tr("A new version of %1 is available! \r\n%1 %2 is now available---you "
              "have %3. Would you like to download it now?")
        .arg(QString::fromLatin1(Product::Name), offeredVersion, QStringLiteral(TW_VERSION));
}

void QNetWorkProcess::handleUpdateReply(const QString &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body.toUtf8());
    if (!document.isObject())
        return;
    const QJsonObject object = document.object();
    if (object.value(QStringLiteral("code")).toInt() != 400)
        return;

    const QString downloadUrl = object.value(QStringLiteral("download_url")).toString();
    const QString version = object.value(QStringLiteral("version")).toString();
    const QString ignored = m_settings->value(KeyIgnoreVersion).toString();
    if (!shouldOffer(ignored, version))
        return;

    // The address comes from the network and goes to the desktop's URL
    // handler: only a web address may be offered, never a local file or
    // another scheme's handler.
    const QUrl url(downloadUrl, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        qWarning() << Q_FUNC_INFO << "download url rejected:" << forLog(downloadUrl);
        return;
    }

    if (!m_asker) {
        qWarning() << Q_FUNC_INFO << "no question box installed, update" << version
                   << "not offered";
        return;
    }
    const UpdateAnswer answer = m_asker(tr("Software Update"), updateQuestion(version));
    switch (answer) {
    case AnswerYes:
        if (!m_urlOpener || !m_urlOpener(url))
            qWarning() << Q_FUNC_INFO << "cannot open" << url.toString();
        break;
    case AnswerIgnore:
        m_settings->setValue(KeyIgnoreVersion, version);
        m_settings->sync();
        break;
    case AnswerNo:
        break;
    }
}
