#include "update/qnetworkprocess.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QSslSocket>
#include <QUuid>
#include <QVersionNumber>

#include "platform/product.h"

namespace {
const char *const KeyDeviceId = "device_id";
const char *const KeyRunTimes = "run_times";
const char *const KeyIgnoreVersion = "Ignore_version";
const char *const KeyBaseUrl = "update_base_url";
}

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

    if (!m_settings->contains(KeyDeviceId) || m_settings->value(KeyDeviceId).toString().isEmpty()) {
        device_id = get_device_id();
        m_settings->setValue(KeyDeviceId, device_id);
    } else {
        device_id = m_settings->value(KeyDeviceId).toString();
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
            return address;
    }
    qDebug() << "get_device_id() is failed!";
    return QUuid::createUuid().toString(QUuid::WithBraces);
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
    const QString text = QStringLiteral("%1?product_id=%2&version=%3&device_id=%4")
                             .arg(endpointUrl(path), QString::fromLatin1(ProductId),
                                 QStringLiteral(TW_VERSION), device_id);
    const QUrl url(text);
    QNetworkRequest request(url);
    request.setHeader(
        QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json;charset=utf-8"));
    qDebug().noquote() << QString::fromLatin1(logPrefix) + url.toString();
    m_manager->get(request);
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

    if (reply->error() != QNetworkReply::NoError) {
        qWarning() << Q_FUNC_INFO << "get return data is failed!" << reply->errorString();
    } else {
        const QString body = QString::fromUtf8(reply->readAll());
        qDebug() << Q_FUNC_INFO << body;
        // Compare paths rather than searching the URL text, so that an empty
        // or partial path never matches an endpoint by accident.
        if (!path.isEmpty() && QUrl(endpointUrl(UpdatePath)).path() == path)
            handleUpdateReply(body);
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
    return QStringLiteral("A new version of %1 is available! \r\n%1 %2 is now available---you "
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
        qWarning() << Q_FUNC_INFO << "download url rejected:" << downloadUrl;
        return;
    }

    if (!m_asker) {
        qWarning() << Q_FUNC_INFO << "no question box installed, update" << version
                   << "not offered";
        return;
    }
    const UpdateAnswer answer = m_asker(QStringLiteral("Software Update"), updateQuestion(version));
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
