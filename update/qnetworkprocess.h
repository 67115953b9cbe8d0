#pragma once

#include <functional>

#include <QByteArray>
#include <QHash>
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

    // The answers are a few hundred bytes of JSON: a reply that is larger,
    // takes longer or is anything but a 200 is not from our service.
    static constexpr int DefaultReplyTimeoutMs = 30000;
    static constexpr qint64 MaximumReplySize = 16 * 1024;
    // How much of a reply the log keeps.
    static constexpr int LoggedReplyLength = 300;

    // The process-wide instance, created on the first call with that caller as
    // parent; it lives as long as that parent.
    static QNetWorkProcess *instance(QObject *parent = nullptr);

    // Public so that tests can build one against their own settings location.
    explicit QNetWorkProcess(QObject *parent = nullptr);

    // Neither sends anything while the check at start is switched off.
    void checkUpdate();
    void installSuccess();
    // A one-way digest of the first active network card's hardware address,
    // or a random braced UUID when there is none.
    static QString get_device_id();
    // The identifier sent for a hardware address: stable for one address,
    // and the address cannot be read back from it.
    static QString anonymisedId(const QString &hardwareAddress);

    // "Check for updates at start", kept in the settings store next to the
    // service address; on unless the user switched it off.
    static bool checkAtStart();
    static void setCheckAtStart(bool enabled);

    // The limit for a whole exchange, from sending to the last byte.
    void setReplyTimeout(int milliseconds) { m_replyTimeoutMs = milliseconds; }
    // Requests sent and not yet answered, failed or dropped.
    int pendingRequests() const { return m_bodies.size(); }

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
    void readReply(QNetworkReply *reply);
    void dropReply(QNetworkReply *reply, const char *reason);
    void handleUpdateReply(const QString &body);

    QString device_id;
    QNetworkAccessManager *m_manager = nullptr;
    QSettings *m_settings = nullptr;
    Asker m_asker;
    UrlOpener m_urlOpener;
    int m_replyTimeoutMs = DefaultReplyTimeoutMs;
    struct PendingReply {
        QByteArray body;
        bool dropped = false;
    };
    // What has been read so far of each reply in flight.
    QHash<QNetworkReply *, PendingReply> m_bodies;

    static QPointer<QNetWorkProcess> s_instance;
};
