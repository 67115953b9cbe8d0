#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QSettings;

// The program's single client of its maker's web service: keeps the device
// identifier, the run counter and the ignored version in the native settings
// store, reports the first run and offers newer versions. Everything runs on
// the GUI thread; requests are asynchronous GETs answered in one slot.
//
// This library has no widgets: the question box and the browser are reached
// through the asker and the URL opener that the GUI installs (QUpdatePrompt).
class QNetWorkProcess : public QObject {
    Q_OBJECT
public:
    enum UpdateAnswer { AnswerYes, AnswerNo, AnswerIgnore };
    using Asker = std::function<UpdateAnswer(const QString &title, const QString &text)>;
    using UrlOpener = std::function<bool(const QUrl &url)>;

    static constexpr const char *ProductId = "72";
    static constexpr const char *DefaultBaseUrl = "https://update.orvane.com";
    static constexpr const char *UpdatePath = "/API/update_information/";
    static constexpr const char *InstallPath = "/API/install_success/";

    // The process-wide instance, created on the first call with that caller as
    // parent; it lives as long as that parent.
    static QNetWorkProcess *instance(QObject *parent = nullptr);

    // Public so that tests can build one against their own settings location.
    explicit QNetWorkProcess(QObject *parent = nullptr);

    void checkUpdate();
    void installSuccess();
    static QString get_device_id();

    void setAsker(Asker asker) { m_asker = std::move(asker); }
    void setUrlOpener(UrlOpener opener) { m_urlOpener = std::move(opener); }

    QString deviceId() const { return device_id; }
    // Scheme and host of the service, "update_base_url" in the settings store.
    QString baseUrl() const;
    QString endpointUrl(const char *path) const;

    // Whether an offered version is to be shown, given the ignored one.
    static bool shouldOffer(const QString &ignoredVersion, const QString &offeredVersion);
    static QString updateQuestion(const QString &offeredVersion);

signals:
    // Emitted after every reply was handled, with the reply URL's path.
    void replyHandled(const QString &path);

protected slots:
    void finishedConnected(QNetworkReply *reply);

private:
    void sendQuery(const char *path, const char *logPrefix);
    void handleUpdateReply(const QString &body);

    QString device_id;
    QNetworkAccessManager *m_manager = nullptr;
    QSettings *m_settings = nullptr;
    Asker m_asker;
    UrlOpener m_urlOpener;

    static QPointer<QNetWorkProcess> s_instance;
};
