#include <memory>

#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QLinearGradient>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/log/loghandler.h"
#include "app/log/startupdiagnostics.h"
#include "app/mainwindow.h"
#include "app/qabout.h"
#include "app/qupdateprompt.h"
#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "platform/applocations.h"
#include "preferences/dialog/twpreferencesdialog.h"
#include "preferences/twpreferences.h"
#include "resources/twresources.h"
#include "results/imagelistmodel.h"
#include "results/removalconfirmdialog.h"
#include "results/resultform.h"
#include "tests/support/cannedhttpserver.h"
#include "tests/support/temptree.h"
#include "update/qnetworkprocess.h"
#include "widgets/desktopprompts.h"

namespace {

const int ScanTimeout = 180000;

// A scene with enough corners for feature matching and colours near one hue,
// as a photo has them; scenes of distant hues have unlike colour histograms.
QImage drawScene(quint32 seed, int hue, const QSize &size = QSize(640, 480))
{
    QRandomGenerator random(seed);
    const auto colour = [&random, hue] {
        return QColor::fromHsv((hue + int(random.bounded(17)) - 8 + 360) % 360,
            90 + int(random.bounded(166)), 60 + int(random.bounded(196)));
    };
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, colour());
    sky.setColorAt(1, colour());
    painter.fillRect(image.rect(), sky);
    const int w = size.width();
    const int h = size.height();
    for (int i = 0; i < 160; ++i) {
        const QColor fill = colour();
        painter.setBrush(fill);
        painter.setPen(QPen(colour(), 1 + int(random.bounded(4))));
        const QRectF box(random.bounded(w), random.bounded(h), 8 + random.bounded(w / 8),
            8 + random.bounded(h / 8));
        switch (i % 3) {
        case 0:
            painter.drawEllipse(box);
            break;
        case 1:
            painter.drawRect(box);
            break;
        default:
            painter.drawLine(box.topLeft(), QPointF(random.bounded(w), random.bounded(h)));
        }
    }
    return image;
}

QByteArray randomBytes(quint32 seed, int size)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

QByteArray contentDigest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
}

} // namespace

// The whole program as a user meets it: start with the update check against
// a local service, add a folder, scan, work in the results window, move the
// marked copies away, go back, open the results again.
class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void scanMarkMoveAndReturn();
    void secondStartMenuAboutAndSettings();

private:
    void writeSampleTree();
    void answerMessageBoxes();

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<TempTree> m_tree;
    std::unique_ptr<QTemporaryDir> m_target;
    CannedHttpServer m_server;
    QTimer m_answerer;
    QStringList m_boxesSeen;
    // What the removal confirmation said and listed when it was agreed to.
    QString m_confirmedSummary;
    QStringList m_confirmedFiles;
    QStringList m_notices;

    // digests of the files that must end up as one group each
    QStringList m_documentCopies;
    QStringList m_photoCopies;
    QStringList m_similarPhotos;
    QStringList m_loners;
};

void TestEndToEnd::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    initTwResources();

    m_home = std::make_unique<QTemporaryDir>();
    m_target = std::make_unique<QTemporaryDir>();
    m_tree = std::make_unique<TempTree>();
    QVERIFY(m_home->isValid() && m_target->isValid() && m_tree->isValid());

    // The log, preferences.cfg and the native settings all live in the
    // temporary home, never next to the build or in the user's store.
    AppLocations::setApplicationFolderOverride(m_home->path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home->filePath("config"));

    QVERIFY(m_server.listen(QHostAddress::LocalHost));
    QJsonObject offer;
    offer.insert(QStringLiteral("code"), 400);
    offer.insert(QStringLiteral("version"), QStringLiteral("2.10.0"));
    offer.insert(QStringLiteral("download_url"), QStringLiteral("https://example.org/tw-2.10.0"));
    m_server.setReply(QStringLiteral("/API/update_information/"), 200,
        QJsonDocument(offer).toJson(QJsonDocument::Compact));
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
            QStringLiteral("Orvane Twinscan"));
        settings.setValue(QStringLiteral("update_base_url"), m_server.baseUrl());
        // An ignored 2.9.0 must not hide the offer of 2.10.0.
        settings.setValue(QStringLiteral("Ignore_version"), QStringLiteral("2.9.0"));
    }

    TwPreferences preferences(TwPreferences::defaultFilePath());
    QVERIFY2(preferences.filePath().startsWith(m_home->path()), qPrintable(preferences.filePath()));
    preferences.general()->setRemovalMethod(TwGenernalPreferences::MoveToFolder);
    preferences.general()->setMoveToFolderPath(m_target->path());
    QVERIFY(preferences.save());
    TwPreferences::destroyInstance();

    // Notices are collected; questions go to real boxes, answered by the timer.
    DesktopPrompts::setOverride([this](const DesktopPrompts::Request &request) {
        DesktopPrompts::Answer answer;
        if (request.kind == DesktopPrompts::Kind::Information) {
            m_notices << request.title + ": " + request.text;
        } else
            answer.real = true;
        return answer;
    });
    writeSampleTree();

    connect(&m_answerer, &QTimer::timeout, this, &TestEndToEnd::answerMessageBoxes);
    m_answerer.start(50);
}

void TestEndToEnd::cleanupTestCase()
{
    m_answerer.stop();
    DesktopPrompts::setOverride({});
    AppLocations::setApplicationFolderOverride(QString());
}

void TestEndToEnd::answerMessageBoxes()
{
    // The removal confirmation is the real dialog: read, then agreed to.
    if (auto *confirm = qobject_cast<RemovalConfirmDialog *>(QApplication::activeModalWidget())) {
        if (!confirm->isVisible())
            return;
        m_confirmedSummary = confirm->summaryText();
        m_confirmedFiles.clear();
        if (auto *list = confirm->findChild<QListWidget *>(QStringLiteral("lw_files"))) {
            for (int row = 0; row < list->count(); ++row)
                m_confirmedFiles << list->item(row)->toolTip();
        }
        if (auto *remove = confirm->findChild<QPushButton *>(QStringLiteral("btn_remove")))
            remove->click();
        return;
    }
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    m_boxesSeen << box->windowTitle();
    // The update offer is declined for good; nothing else is expected to ask.
    QAbstractButton *button = box->button(QMessageBox::Ignore);
    if (!button)
        button = box->button(QMessageBox::No);
    if (button)
        button->click();
    else
        box->reject();
}

void TestEndToEnd::writeSampleTree()
{
    // Three copies of one document, one of them in a sub-folder, and a file
    // of the same size and first bytes that differs further in.
    const QByteArray report = randomBytes(1, 9000);
    QByteArray nearMiss = report;
    nearMiss[8500] = char(nearMiss[8500] ^ 0x5a);
    m_documentCopies << m_tree->writeFile("docs/report.txt", report)
                     << m_tree->writeFile("docs/report copy.txt", report)
                     << m_tree->writeFile("docs/old/report.txt", report);
    m_loners << m_tree->writeFile("docs/draft.txt", nearMiss);

    // One photo and its exact copy.
    QByteArray photo;
    {
        QImage image = drawScene(7, 30);
        QBuffer buffer(&photo);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "PNG"));
    }
    m_photoCopies << m_tree->writeFile("photos/beach.png", photo)
                  << m_tree->writeFile("photos/backup/beach.png", photo);

    // Another scene twice: once as PNG, once smaller as JPEG, alike but not equal.
    const QImage harbour = drawScene(8, 210);
    const QString harbourPng = m_tree->path("photos/harbour.png");
    const QString harbourJpg = m_tree->path("photos/harbour_small.jpg");
    QVERIFY(harbour.save(harbourPng, "PNG"));
    QVERIFY(harbour.scaled(480, 360, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .save(harbourJpg, "JPG", 92));
    m_similarPhotos << harbourPng << harbourJpg;

    // A third scene without any relative.
    QImage alone(480, 360, QImage::Format_RGB32);
    alone.fill(QColor(20, 160, 90));
    {
        QPainter painter(&alone);
        painter.setPen(QPen(Qt::white, 6));
        for (int x = 0; x < 480; x += 37)
            painter.drawLine(x, 0, 480 - x, 360);
    }
    const QString alonePath = m_tree->path("photos/meadow.png");
    QVERIFY(alone.save(alonePath, "PNG"));
    m_loners << alonePath;
}

void TestEndToEnd::scanMarkMoveAndReturn()
{
    const QStringList before = filesBelow(m_tree->root());
    QCOMPARE(before.size(), 9);

    // As main() starts the program.
    installLogHandler(QStringLiteral("Log"), 100);
    StartupDiagnostics::run();
    MainWindow window;
    window.show();
    QUpdatePrompt::checkUpdate(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Start: one first-run report, one update query, the offer of 2.10.0
    // despite the ignored 2.9.0, answered with Ignore.
    QTRY_VERIFY_WITH_TIMEOUT(m_boxesSeen.contains(QStringLiteral("Software Update")), 60000);
    QTRY_COMPARE_WITH_TIMEOUT(
        m_server.requestCount(QStringLiteral("/API/install_success/")), 1, 30000);
    QCOMPARE(m_server.requestCount(QStringLiteral("/API/update_information/")), 1);
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
            QStringLiteral("Orvane Twinscan"));
        QTRY_COMPARE_WITH_TIMEOUT(settings.value(QStringLiteral("Ignore_version")).toString(),
            QStringLiteral("2.10.0"), 30000);
        QCOMPARE(settings.value(QStringLiteral("run_times")).toInt(), 1);
    }
    // The log went to the temporary home.
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(m_home->filePath("Log"))
                                  .entryList({ QStringLiteral("*_log.html") }, QDir::Files)
                                  .isEmpty(),
        30000);

    // Add the folder and scan; the results window opens by itself.
    QVERIFY(window.appendFolder(m_tree->root()));
    QCOMPARE(window.folderList(), QStringList { m_tree->root() });
    auto *scan = window.findChild<QPushButton *>(QStringLiteral("btn_scan"));
    QVERIFY(scan && scan->isEnabled());
    QTest::mouseClick(scan, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.resultWindow() != nullptr, ScanTimeout);
    QPointer<ResultForm> results = window.resultWindow();
    QVERIFY(QTest::qWaitForWindowExposed(results.data()));
    QCOMPARE(window.scanState(), MainWindow::ResultsReady);
    QVERIFY(!window.isVisible());
    QVERIFY2(m_notices.isEmpty(), qPrintable(m_notices.join('\n')));

    // The automatic selection keeps one file of every group of exact copies
    // (the shortest name) and leaves the likeness groups to the user.
    TwSearchResult *found = window.searchResult();
    QVERIFY(found);
    const auto groupsNow = [found] {
        QList<QStringList> groups;
        const auto containers = found->containers();
        for (TwCatalogContainer *container : containers) {
            for (TwFileItemGroup *group : container->groups()) {
                QStringList members;
                for (TwFileItem *item : group->items())
                    members << item->filePath();
                members.sort();
                groups << members;
            }
        }
        return groups;
    };
    QStringList marked;
    QStringList grouped;
    const auto containers = found->containers();
    for (TwCatalogContainer *container : containers) {
        for (TwFileItemGroup *group : container->groups()) {
            int kept = 0;
            for (TwFileItem *item : group->items()) {
                grouped << item->filePath();
                if (item->isChecked())
                    marked << item->filePath();
                else
                    ++kept;
            }
            QCOMPARE(kept, group->hasSeveralKeys() ? group->allItemCount() : 1);
        }
    }
    auto sorted = [](QStringList list) {
        list.sort();
        return list;
    };
    const QList<QStringList> groups = groupsNow();
    QVERIFY2(groups.contains(sorted(m_documentCopies)), qPrintable(grouped.join('\n')));
    QVERIFY2(groups.contains(sorted(m_photoCopies)), qPrintable(grouped.join('\n')));
    QVERIFY2(groups.contains(sorted(m_similarPhotos)), qPrintable(grouped.join('\n')));
    QCOMPARE(groups.size(), 3);
    for (const QString &loner : qAsConst(m_loners))
        QVERIFY2(!grouped.contains(loner), qPrintable(loner));
    QCOMPARE(marked.size(), 3);
    QVERIFY(marked.contains(m_tree->path("docs/report copy.txt")));
    for (const QString &photo : qAsConst(m_similarPhotos))
        QVERIFY(!marked.contains(photo));
    QCOMPARE(found->checkedCount(true), 3);

    // The status line shows the marks.
    auto *selectedLabel = results->findChild<QLabel *>(QStringLiteral("lab_select"));
    QVERIFY(selectedLabel);
    QTRY_COMPARE(selectedLabel->text(), QStringLiteral("3"));

    // Delete with "Move to Folder": the marked files arrive in the target and
    // leave the source; nothing else moves.
    QMultiMap<QByteArray, QString> markedDigests;
    for (const QString &path : qAsConst(marked))
        markedDigests.insert(contentDigest(path), path);
    auto *remove = results->findChild<QPushButton *>(QStringLiteral("btn_delete"));
    QVERIFY(remove && remove->isEnabled());
    QTest::mouseClick(remove, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(results->findChild<QProgressDialog *>() == nullptr, 60000);
    // The confirmation listed exactly the marked files, with the way they go.
    QCOMPARE(sorted(m_confirmedFiles), sorted(marked));
    QVERIFY2(m_confirmedSummary.contains(m_target->path())
            || m_confirmedSummary.contains(QDir::toNativeSeparators(m_target->path())),
        qPrintable(m_confirmedSummary));
    QVERIFY2(m_confirmedSummary.contains(QLatin1String("3 file")), qPrintable(m_confirmedSummary));

    for (const QString &path : qAsConst(marked))
        QVERIFY2(!QFile::exists(path), qPrintable(path));
    const QStringList arrived = filesBelow(m_target->path());
    QCOMPARE(arrived.size(), marked.size());
    QMultiMap<QByteArray, QString> arrivedDigests;
    for (const QString &path : arrived)
        arrivedDigests.insert(contentDigest(path), path);
    QCOMPARE(arrivedDigests.uniqueKeys(), markedDigests.uniqueKeys());
    for (const QByteArray &digest : arrivedDigests.uniqueKeys())
        QCOMPARE(arrivedDigests.count(digest), markedDigests.count(digest));
    QStringList remaining = before;
    for (const QString &path : qAsConst(marked))
        remaining.removeAll(path);
    QCOMPARE(filesBelow(m_tree->root()), remaining);
    QCOMPARE(found->checkedCount(true), 0);
    QTRY_COMPARE(selectedLabel->text(), QStringLiteral("0"));
    // Groups left with one file are gone; the likeness group stays.
    QCOMPARE(groupsNow(), QList<QStringList> { sorted(m_similarPhotos) });

    // Back to the main window, which still holds the results.
    auto *back = results->findChild<QPushButton *>(QStringLiteral("btnClose"));
    QVERIFY(back);
    QTest::mouseClick(back, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(results.isNull(), 30000);
    QTRY_VERIFY(window.isVisible());
    QCOMPARE(window.scanState(), MainWindow::ResultsReady);

    // The scan button opens a new results window on the same search result.
    QTest::mouseClick(scan, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(window.resultWindow() != nullptr, 30000);
    QPointer<ResultForm> again = window.resultWindow();
    QVERIFY(QTest::qWaitForWindowExposed(again.data()));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.searchResult(), found);
    QCOMPARE(found->checkedCount(true), 0);
    again->close();
    QTRY_VERIFY_WITH_TIMEOUT(again.isNull(), 30000);
    QTRY_VERIFY(window.isVisible());

    // The program only ever asked about the update.
    QCOMPARE(m_boxesSeen, QStringList { QStringLiteral("Software Update") });
    QCOMPARE(m_server.requestCount(QStringLiteral("/API/install_success/")), 1);
}

// Runs after the first start: the program starts again, counts the start,
// sends no first-run report and, 2.10.0 being ignored now, asks nothing. The
// system menu opens the About box and the preferences with the stored values.
void TestEndToEnd::secondStartMenuAboutAndSettings()
{
    const int queriesBefore = m_server.requestCount(QStringLiteral("/API/update_information/"));
    m_boxesSeen.clear();

    MainWindow window;
    window.show();
    QUpdatePrompt::checkUpdate(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requestCount(QStringLiteral("/API/update_information/")),
        queriesBefore + 1, 30000);
    // Every reply handled and released: a box, if any, has been shown by now.
    QTRY_VERIFY_WITH_TIMEOUT(
        QNetWorkProcess::instance()->findChildren<QNetworkReply *>().isEmpty(), 30000);
    QCOMPARE(m_server.requestCount(QStringLiteral("/API/install_success/")), 1);
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
            QStringLiteral("Orvane Twinscan"));
        QCOMPARE(settings.value(QStringLiteral("run_times")).toInt(), 2);
    }

    QMenu *menu = window.systemMenu();
    QVERIFY(menu);
    const auto entry = [menu](int data) -> QAction * {
        const auto actions = menu->actions();
        for (QAction *action : actions) {
            if (!action->isSeparator() && action->data().toInt() == data)
                return action;
        }
        return nullptr;
    };

    // "About": a child window of the main window without minimise and maximise buttons.
    QAction *about = entry(MainWindow::About);
    QVERIFY(about);
    QCOMPARE(about->text(), QStringLiteral("About"));
    about->trigger();
    QTRY_VERIFY(window.findChild<QAbout *>() != nullptr);
    QAbout *box = window.findChild<QAbout *>();
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QVERIFY(!box->isModal());
    QVERIFY(!box->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!box->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QStringList texts;
    for (const QLabel *label : box->findChildren<QLabel *>())
        texts << label->text();
    QVERIFY(texts.contains(QStringLiteral("Version 2.0.0")));
    box->close();
    QTRY_VERIFY(window.findChild<QAbout *>() == nullptr);

    // "Setting": the stored removal method and target folder of the first run.
    QAction *setting = entry(MainWindow::Setting);
    QVERIFY(setting);
    setting->trigger();
    TwPreferencesDialog *dialog = window.preferencesDialog();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    auto *moveToFolder = dialog->findChild<QRadioButton *>(QStringLiteral("rbMoveToFolder"));
    QVERIFY(moveToFolder);
    QVERIFY(moveToFolder->isChecked());
    bool targetShown = false;
    for (const QLineEdit *edit : dialog->findChildren<QLineEdit *>())
        targetShown = targetShown || edit->text() == m_target->path();
    QVERIFY(targetShown);
    dialog->reject();

    QVERIFY(m_boxesSeen.isEmpty());
    QVERIFY2(m_notices.isEmpty(), qPrintable(m_notices.join('\n')));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
