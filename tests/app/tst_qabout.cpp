#include <memory>

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/qabout.h"
#include "resources/twresources.h"

// Stands in for the browser: QDesktopServices hands it every web address.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsNameVersionNoticeAndIcon();
    void moreInfoOpensTheConfiguredPage();
    void moreInfoFallsBackToTheBuiltInPage();

private:
    static void setProductUrl(const QString &url);
    std::unique_ptr<QTemporaryDir> m_settingsDir;
    UrlCatcher m_browser;
};

void TestAbout::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    initTwResources();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_browser, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_browser, "open");
}

void TestAbout::init()
{
    m_settingsDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_settingsDir->isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    m_browser.urls.clear();
}

void TestAbout::cleanup()
{
    m_settingsDir.reset();
}

void TestAbout::setProductUrl(const QString &url)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
        QStringLiteral("Orvane Twinscan"));
    settings.setValue(QStringLiteral("product_url"), url);
}

void TestAbout::showsNameVersionNoticeAndIcon()
{
    QAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    QStringList texts;
    const auto labels = about.findChildren<QLabel *>();
    const QLabel *iconLabel = nullptr;
    for (const QLabel *label : labels) {
        texts << label->text();
        if (!label->pixmap(Qt::ReturnByValue).isNull())
            iconLabel = label;
    }
    QVERIFY2(texts.contains(QStringLiteral("Orvane Twinscan")), qPrintable(texts.join('|')));
    QVERIFY(texts.contains(QStringLiteral("Version 2.0.0")));
    const QString year = QString::number(QDate::currentDate().year());
    QVERIFY(std::any_of(texts.cbegin(), texts.cend(),
        [&year](const QString &text) { return text.contains(year); }));

    QVERIFY2(iconLabel, "the icon was not loaded from the resource bundle");
    QVERIFY(iconLabel->isVisible());
    QVERIFY(iconLabel->pixmap(Qt::ReturnByValue).width() >= 64);

    // Every text fits the fixed box, none is cut off.
    for (const QLabel *label : labels) {
        if (label->text().isEmpty())
            continue;
        QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text())
                || label->wordWrap(),
            qPrintable(label->text()));
    }
}

void TestAbout::moreInfoOpensTheConfiguredPage()
{
    setProductUrl(QStringLiteral("http://127.0.0.1:8080/product"));
    QAbout about;
    auto *button = about.findChild<QPushButton *>(QStringLiteral("btn_moreInfo"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("More Info"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_browser.urls, QList<QUrl> { QUrl(QStringLiteral("http://127.0.0.1:8080/product")) });
}

void TestAbout::moreInfoFallsBackToTheBuiltInPage()
{
    QAbout about;
    auto *button = about.findChild<QPushButton *>(QStringLiteral("btn_moreInfo"));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_browser.urls.size(), 1);
    QCOMPARE(m_browser.urls.first().scheme(), QStringLiteral("https"));
    QCOMPARE(m_browser.urls.first(), QUrl(QString::fromLatin1(QAbout::DefaultProductUrl)));
}

QTEST_MAIN(TestAbout)
#include "tst_qabout.moc"
