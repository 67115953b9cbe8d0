#include <memory>

#include <QApplication>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/qupdateprompt.h"
#include "tests/support/cannedhttpserver.h"
#include "update/qnetworkprocess.h"

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

// The update offer as the program shows it: a real question box on the
// window, answered by clicking one of its buttons.
class TestUpdatePrompt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttonsMapToTheAnswers_data();
    void buttonsMapToTheAnswers();

private:
    static QSettings *store();
    std::unique_ptr<QTemporaryDir> m_settingsDir;
    std::unique_ptr<CannedHttpServer> m_server;
    UrlCatcher m_browser;
};

void TestUpdatePrompt::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "open");
}

void TestUpdatePrompt::init()
{
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_settingsDir->isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    m_server = std::make_unique<CannedHttpServer>();
    QVERIFY(m_server->listen(QHostAddress::LocalHost));
    std::unique_ptr<QSettings> settings(store());
    settings->setValue(QStringLiteral("update_base_url"), m_server->baseUrl());
    settings->setValue(QStringLiteral("run_times"), 3);
    m_browser.urls.clear();
}

void TestUpdatePrompt::cleanup()
{
    m_server.reset();
    m_settingsDir.reset();
}

QSettings *TestUpdatePrompt::store()
{
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
        QStringLiteral("Orvane Twinscan"));
}

void TestUpdatePrompt::buttonsMapToTheAnswers_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("ignored");

    QTest::newRow("Yes") << int(QMessageBox::Yes) << true << QString();
    QTest::newRow("No") << int(QMessageBox::No) << false << QString();
    QTest::newRow("Ignore") << int(QMessageBox::Ignore) << false << QStringLiteral("3.1.0");
}

void TestUpdatePrompt::buttonsMapToTheAnswers()
{
    QFETCH(int, button);
    QFETCH(bool, opened);
    QFETCH(QString, ignored);

    QJsonObject offer;
    offer.insert(QStringLiteral("code"), 400);
    offer.insert(QStringLiteral("version"), QStringLiteral("3.1.0"));
    offer.insert(QStringLiteral("download_url"), QStringLiteral("https://example.org/3.1.0"));
    m_server->setReply(QString::fromLatin1(QNetWorkProcess::UpdatePath), 200,
        QJsonDocument(offer).toJson(QJsonDocument::Compact));

    QWidget window;
    window.show();
    QNetWorkProcess process;
    QUpdatePrompt::install(&process, &window);

    QString title;
    QString text;
    bool defaultIsYes = false;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, &window, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        defaultIsYes = box->defaultButton() == box->button(QMessageBox::Yes);
        QAbstractButton *choice = box->button(QMessageBox::StandardButton(button));
        if (choice)
            choice->click();
    });
    answerer.start(50);

    QSignalSpy handled(&process, &QNetWorkProcess::replyHandled);
    process.checkUpdate();
    QVERIFY(handled.wait(30000));
    answerer.stop();

    QCOMPARE(title, QStringLiteral("Software Update"));
    QVERIFY(
        text.contains(QStringLiteral("Orvane Twinscan 3.1.0 is now available---you have 2.0.0")));
    QVERIFY(defaultIsYes);
    QCOMPARE(m_browser.urls.size(), opened ? 1 : 0);
    if (opened)
        QCOMPARE(m_browser.urls.first(), QUrl(QStringLiteral("https://example.org/3.1.0")));
    std::unique_ptr<QSettings> settings(store());
    QCOMPARE(settings->value(QStringLiteral("Ignore_version")).toString(), ignored);
}

QTEST_MAIN(TestUpdatePrompt)
#include "tst_qupdateprompt.moc"
