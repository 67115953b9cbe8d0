#include <QtTest>

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "preferences/dialog/twgeneralwidget.h"
#include "preferences/dialog/twignorelistwidget.h"
#include "preferences/dialog/twpreferencesdialog.h"
#include "preferences/dialog/twselectionwidget.h"
#include "preferences/filecachesetting.h"
#include "preferences/twpreferences.h"
#include "resources/twresources.h"
#include "update/qnetworkprocess.h"
#include "widgets/desktopprompts.h"
#include "widgets/twunfocuseditemdelegate.h"

// Drives one dialog against a store bound to a temporary file; messages and
// pickers are answered by the test.
class DialogFixture {
public:
    DialogFixture()
    {
        TwPreferences::setFilePath(dir.filePath(QStringLiteral("preferences.cfg")));
        DesktopPrompts::setOverride([this](const DesktopPrompts::Request &request) {
            DesktopPrompts::Answer answer;
            switch (request.kind) {
            case DesktopPrompts::Kind::Error:
                if (request.title != QLatin1String("Error"))
                    qWarning() << "error box titled" << request.title;
                messages.append(request.text);
                break;
            case DesktopPrompts::Kind::ChooseFolder:
                captions.append(request.title);
                starts.append(request.folder);
                answer.folder = folders.isEmpty() ? QString() : folders.takeFirst();
                break;
            case DesktopPrompts::Kind::OpenUrl:
                openedUrls.append(request.url);
                break;
            default:
                qWarning() << "unexpected prompt" << request.text;
                break;
            }
            return answer;
        });
        dialog.ignoreListWidget()->setPathsPicker([this](QWidget *) {
            const QStringList chosen = pickedPaths;
            pickedPaths.clear();
            return chosen;
        });
    }

    ~DialogFixture()
    {
        DesktopPrompts::setOverride({});
        TwPreferences::destroyInstance();
    }

    void open()
    {
        dialog.loadFromStore();
        dialog.setModal(true);
        dialog.show();
    }

    template <typename T> T *find(const char *name)
    {
        T *child = dialog.findChild<T *>(QLatin1String(name));
        if (!child)
            qWarning() << "missing control" << name;
        return child;
    }

    void click(const char *name) { find<QPushButton>(name)->click(); }
    void check(const char *name) { find<QRadioButton>(name)->click(); }
    QString filePath() const { return dir.filePath(QStringLiteral("preferences.cfg")); }
    bool fileExists() const { return QFileInfo::exists(filePath()); }

    QTemporaryDir dir;
    TwPreferencesDialog dialog;
    QStringList messages;
    QStringList captions;
    QStringList starts;
    QStringList folders;
    QStringList pickedPaths;
    QList<QUrl> openedUrls;
};

class TestTwPreferencesDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void construction();
    void defaultsWithoutFile();
    void cancelDiscardsEveryEdit();
    void okWritesEveryPageToStoreAndFile();
    void sizeLimits_data();
    void sizeLimits();
    void moveToFolderNeedsFolder();
    void folderButtons();
    void thresholdsOnSliders();
    void unknownMethodsFollowTheButtonsShown();
    void ignoreListEditing();
    void focusedListsShowNoChoice();
    void extensionsAreCleanedOnReopen();
    void priorityTableAddAndRemove();
    void priorityTableEdits();
    void followDuplicateRuleTakesCurrentRule();
    void unknownRulesShowNoDuplicateChoice();
    void errorIsAModalCriticalBox();
    void updateCheckSwitchIsKeptInTheSettingsStore();
    void cacheSwitchAndClearButton();

private:
    QTemporaryDir m_settingsDir;
};

void TestTwPreferencesDialog::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    initTwResources();
}

void TestTwPreferencesDialog::cleanup()
{
    TwPreferences::destroyInstance();
    TwPreferences::setFilePath(QString());
}

void TestTwPreferencesDialog::construction()
{
    DialogFixture f;
    QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Preferences"));
    QCOMPARE(f.dialog.size(), QSize(500, 650));
    QCOMPARE(f.dialog.minimumSize(), f.dialog.maximumSize());
    QVERIFY(!(f.dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    auto *tabs = f.find<QTabWidget>("tabPreference");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("General"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Ignore List"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Selection"));
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("tabGeneral"));
    QCOMPARE(tabs->widget(1)->objectName(), QStringLiteral("tabIgnoreList"));
    QCOMPARE(tabs->widget(2)->objectName(), QStringLiteral("tabSelection"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(f.find<QPushButton>("btnOK")->text(), QStringLiteral("OK"));
    QCOMPARE(f.find<QPushButton>("btnCancel")->text(), QStringLiteral("Cancel"));
    // Arial where installed, else a face of about its width.
    if (QFontDatabase().families().contains(QStringLiteral("Arial")))
        QCOMPARE(f.dialog.font().family(), QStringLiteral("Arial"));
    QCOMPARE(f.dialog.font().pointSize(), 10);
    QCOMPARE(f.dialog.generalWidget()->font().pointSize(), 10);

    // The pictures of the folder buttons come from the bundle.
    QVERIFY(!f.find<QPushButton>("btn_selectPath")->icon().isNull());
    QVERIFY(!f.find<QPushButton>("btn_openFolder")->icon().isNull());
    QVERIFY(f.find<QPushButton>("btn_selectPath")->maximumWidth() <= 20);
    QCOMPARE(f.find<QSlider>("hsSimilarity_2")->minimum(), 20);
    QCOMPARE(f.find<QSlider>("hsSimilarity_2")->maximum(), 60);
    QCOMPARE(f.find<QSpinBox>("sbMinimumFileSize")->maximum(), 10000000);
    QCOMPARE(f.find<QSpinBox>("sbMaximumFileSize")->minimum(), 1);
    QCOMPARE(f.find<QSpinBox>("sbMaximumFileSize")->maximum(), 100000);
    QCOMPARE(f.find<QPlainTextEdit>("pxtFileTypes")->height(), 100);

    auto *table = f.find<QTableWidget>("tableWidget");
    QCOMPARE(table->columnCount(), 2);
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("Priority"));
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Path"));
    QVERIFY(!f.find<QPushButton>("btnRemovePrior")->isEnabled());
}

void TestTwPreferencesDialog::defaultsWithoutFile()
{
    DialogFixture f;
    QVERIFY(!f.fileExists());
    f.open();
    QVERIFY(f.find<QRadioButton>("rbFileContent")->isChecked());
    QVERIFY(!f.find<QRadioButton>("rbFileName")->isChecked());
    QVERIFY(f.find<QRadioButton>("rbMoveToTrash")->isChecked());
    QVERIFY(!f.find<QLineEdit>("lineEdit")->isEnabled());
    QCOMPARE(f.find<QSlider>("hsSimilarity")->value(), 75);
    QCOMPARE(f.find<QLabel>("lblSimilarity")->text(), QStringLiteral("75%"));
    // 0.45 as a float is just below 0.45; single precision still shows 45.
    QCOMPARE(f.find<QSlider>("hsSimilarity_2")->value(), 45);
    QCOMPARE(f.find<QLabel>("lblSimilarity_2")->text(), QStringLiteral("45%"));
    QCOMPARE(f.find<QSpinBox>("sbMinimumFileSize")->value(), 0);
    QCOMPARE(f.find<QSpinBox>("sbMaximumFileSize")->value(), 100000);
    QVERIFY(f.find<QCheckBox>("chkIgnoreSystemHidden")->isChecked());
    QCOMPARE(f.find<QListWidget>("lwIgnoreList")->count(), 0);
    QVERIFY(!f.find<QPushButton>("btnClear")->isEnabled());
    QVERIFY(f.find<QRadioButton>("rbAutoSelection")->isChecked());
    QVERIFY(f.find<QRadioButton>("rbFollowDuplicateRules")->isChecked());
    QCOMPARE(f.find<QTableWidget>("tableWidget")->rowCount(), 0);
    // Showing alone writes nothing.
    QVERIFY(!f.fileExists());
}

void TestTwPreferencesDialog::cancelDiscardsEveryEdit()
{
    DialogFixture f;
    f.open();
    f.check("rbFileName");
    f.check("rbRemovePermanently");
    f.find<QSlider>("hsSimilarity")->setValue(12);
    f.find<QSlider>("hsSimilarity_2")->setValue(58);
    f.find<QSpinBox>("sbMinimumFileSize")->setValue(5);
    f.find<QSpinBox>("sbMaximumFileSize")->setValue(9);
    f.pickedPaths = QStringList { QStringLiteral("/tmp/skip") };
    f.click("btnAddIgnore");
    f.find<QPlainTextEdit>("pxtFileTypes")->setPlainText(QStringLiteral("iso"));
    f.find<QCheckBox>("chkIgnoreSystemHidden")->setChecked(false);
    f.check("rbSelectionNewest");
    f.check("rbLowQuality");
    f.folders = QStringList { QStringLiteral("/data") };
    f.click("btnAddPrior");
    QCOMPARE(f.find<QTableWidget>("tableWidget")->rowCount(), 1);

    f.click("btnCancel");
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QVERIFY(!f.fileExists());
    TwPreferences *store = TwPreferences::instance();
    QCOMPARE(store->general()->scanMethod(), TwGenernalPreferences::ScanByFileContent);
    QCOMPARE(store->ignoreList()->ignorePathCount(), 0);
    QVERIFY(store->selection()->priorities().isEmpty());

    // Reopened: the controls show the stored values again.
    f.open();
    QVERIFY(f.find<QRadioButton>("rbFileContent")->isChecked());
    QVERIFY(f.find<QRadioButton>("rbMoveToTrash")->isChecked());
    QCOMPARE(f.find<QSlider>("hsSimilarity")->value(), 75);
    QCOMPARE(f.find<QSlider>("hsSimilarity_2")->value(), 45);
    QCOMPARE(f.find<QSpinBox>("sbMinimumFileSize")->value(), 0);
    QCOMPARE(f.find<QSpinBox>("sbMaximumFileSize")->value(), 100000);
    QCOMPARE(f.find<QListWidget>("lwIgnoreList")->count(), 0);
    QCOMPARE(f.find<QPlainTextEdit>("pxtFileTypes")->toPlainText(), QString());
    QVERIFY(f.find<QCheckBox>("chkIgnoreSystemHidden")->isChecked());
    QVERIFY(f.find<QRadioButton>("rbAutoSelection")->isChecked());
    QVERIFY(f.find<QRadioButton>("rbFollowDuplicateRules")->isChecked());
    QCOMPARE(f.find<QTableWidget>("tableWidget")->rowCount(), 0);
    QCOMPARE(f.dialog.selectionWidget()->preferences().similarRule(), 2);
}

void TestTwPreferencesDialog::okWritesEveryPageToStoreAndFile()
{
    DialogFixture f;
    TwPreferences *store = TwPreferences::instance();
    TwGenernalPreferences *general = store->general();
    // Changes made elsewhere in memory are what the next showing starts from.
    store->ignoreList()->addIgnorePath(QStringLiteral("/from/results"));

    f.open();
    QCOMPARE(f.find<QListWidget>("lwIgnoreList")->count(), 1);
    f.check("rbFileName");
    f.check("rbMoveToFolder");
    f.folders = QStringList { QStringLiteral("/srv/bin"), QStringLiteral("/photos") };
    f.click("btn_selectPath");
    f.find<QSlider>("hsSimilarity")->setValue(90);
    f.find<QSlider>("hsSimilarity_2")->setValue(33);
    f.find<QSpinBox>("sbMinimumFileSize")->setValue(64);
    f.find<QSpinBox>("sbMaximumFileSize")->setValue(2048);
    f.find<QPlainTextEdit>("pxtFileTypes")->setPlainText(QStringLiteral("tmp, log"));
    f.find<QCheckBox>("chkIgnoreSystemHidden")->setChecked(false);
    f.check("rbSelectionPriority");
    f.check("rbHighResolution");
    f.click("btnAddPrior");

    f.click("btnOK");
    QVERIFY(f.messages.isEmpty());
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(store->general(), general);

    // The file holds what the pages showed.
    TwPreferences reloaded;
    QVERIFY(reloaded.load(f.filePath()));
    const TwGenernalPreferences &g = *reloaded.general();
    QCOMPARE(g.scanMethod(), TwGenernalPreferences::ScanByFileName);
    QCOMPARE(g.removalMethod(), TwGenernalPreferences::MoveToFolder);
    QCOMPARE(g.moveToFolderPath(), QStringLiteral("/srv/bin"));
    QCOMPARE(g.imageSimilarity(), 0.90f);
    QCOMPARE(g.featureSimilarity(), 0.33f);
    QCOMPARE(g.minimumFileSize(), qint64(64));
    QCOMPARE(g.maximumFileSize(), qint64(2048));
    QCOMPARE(reloaded.ignoreList()->ignorePaths(), (QVector<QString> { "/from/results" }));
    QCOMPARE(reloaded.ignoreList()->ignoreExtensions(), (QVector<QString> { "tmp", "log" }));
    QVERIFY(!reloaded.ignoreList()->ignoreSystemHidden());
    QCOMPARE(reloaded.selection()->duplicateRule(), 3);
    QCOMPARE(reloaded.selection()->similarRule(), 4);
    QCOMPARE(reloaded.selection()->priorityOf(QStringLiteral("/photos")), 1);
    QCOMPARE(store->selection()->priorityOf(QStringLiteral("/photos")), 1);
}

void TestTwPreferencesDialog::sizeLimits_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one MB minimum against one MB maximum") << 1024 << 1 << false;
    QTest::newRow("just below") << 1023 << 1 << true;
    QTest::newRow("far above") << 10000000 << 100 << false;
    QTest::newRow("largest both") << 10000000 << 100000 << true;
}

void TestTwPreferencesDialog::sizeLimits()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(bool, accepted);
    DialogFixture f;
    f.open();
    f.find<QSpinBox>("sbMinimumFileSize")->setValue(minimum);
    f.find<QSpinBox>("sbMaximumFileSize")->setValue(maximum);
    f.click("btnOK");
    TwPreferences *store = TwPreferences::instance();
    if (accepted) {
        QVERIFY(f.messages.isEmpty());
        QVERIFY(!f.dialog.isVisible());
        QCOMPARE(store->general()->minimumFileSize(), qint64(minimum));
        QCOMPARE(store->general()->maximumFileSize(), qint64(maximum));
        QVERIFY(f.fileExists());
    } else {
        QCOMPARE(f.messages,
            QStringList { "The maximum file size cannot be less than the minimum file size." });
        QVERIFY(f.dialog.isVisible());
        QCOMPARE(store->general()->minimumFileSize(), qint64(0));
        QCOMPARE(store->general()->maximumFileSize(), qint64(100000));
        // Nothing of the refused try reaches the page's copy either.
        QCOMPARE(f.dialog.generalWidget()->preferences().minimumFileSize(), qint64(0));
        QVERIFY(!f.fileExists());
    }
}

void TestTwPreferencesDialog::moveToFolderNeedsFolder()
{
    DialogFixture f;
    f.open();
    f.check("rbMoveToFolder");
    QVERIFY(f.find<QLineEdit>("lineEdit")->isEnabled());
    f.find<QSpinBox>("sbMinimumFileSize")->setValue(10);
    f.find<QSpinBox>("sbMaximumFileSize")->setValue(20);
    f.click("btnOK");
    QCOMPARE(f.messages,
        QStringList { "Please select the folder where the deleted files will be moved to." });
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(f.dialog.generalWidget()->preferences().minimumFileSize(), qint64(10));
    QCOMPARE(f.dialog.generalWidget()->preferences().maximumFileSize(), qint64(20));
    QCOMPARE(
        TwPreferences::instance()->general()->removalMethod(), TwGenernalPreferences::MoveToTrash);
    QCOMPARE(TwPreferences::instance()->general()->maximumFileSize(), qint64(100000));
    QVERIFY(!f.fileExists());

    // Any other removal method does not need the folder.
    f.check("rbRemovePermanently");
    QVERIFY(!f.find<QLineEdit>("lineEdit")->isEnabled());
    f.click("btnOK");
    QCOMPARE(f.messages.size(), 1);
    QCOMPARE(TwPreferences::instance()->general()->removalMethod(),
        TwGenernalPreferences::RemovePermanently);
}

void TestTwPreferencesDialog::folderButtons()
{
    DialogFixture f;
    f.open();
    auto *lineEdit = f.find<QLineEdit>("lineEdit");
    QVERIFY(lineEdit->isReadOnly());

    // Nothing to open yet, and the button says so.
    QVERIFY(!f.find<QPushButton>("btn_openFolder")->isEnabled());
    f.click("btn_openFolder");
    QVERIFY(f.openedUrls.isEmpty());

    f.folders = QStringList { QStringLiteral("/srv/removed files") };
    f.click("btn_selectPath");
    QCOMPARE(f.captions, QStringList { "Select folder" });
    QCOMPARE(f.starts, QStringList { "/" });
    QCOMPARE(lineEdit->text(), QStringLiteral("/srv/removed files"));
    QCOMPARE(f.dialog.generalWidget()->preferences().moveToFolderPath(),
        QStringLiteral("/srv/removed files"));
    QVERIFY(f.find<QPushButton>("btn_openFolder")->isEnabled());

    // A cancelled picker changes nothing.
    f.click("btn_selectPath");
    QCOMPARE(lineEdit->text(), QStringLiteral("/srv/removed files"));

    f.click("btn_openFolder");
    QCOMPARE(f.openedUrls, QList<QUrl> { QUrl::fromLocalFile("/srv/removed files") });
}

void TestTwPreferencesDialog::thresholdsOnSliders()
{
    DialogFixture f;
    TwGenernalPreferences *general = TwPreferences::instance()->general();

    // A full image similarity shows 100% and stays exact.
    general->setImageSimilarity(1.0f);
    // Out of the features slider's range: clamped on the page.
    general->setFeatureSimilarity(0.10f);
    f.open();
    QCOMPARE(f.find<QSlider>("hsSimilarity")->value(), 100);
    QCOMPARE(f.find<QLabel>("lblSimilarity")->text(), QStringLiteral("100%"));
    QCOMPARE(f.find<QSlider>("hsSimilarity_2")->value(), 20);
    QCOMPARE(f.find<QLabel>("lblSimilarity_2")->text(), QStringLiteral("20%"));
    QCOMPARE(f.dialog.generalWidget()->preferences().featureSimilarity(), 0.20f);

    // Clamped also when the slider already stands at its end.
    general->setFeatureSimilarity(0.05f);
    f.open();
    QCOMPARE(f.dialog.generalWidget()->preferences().featureSimilarity(), 0.20f);

    // A value at the slider's current position keeps its precision.
    general->setImageSimilarity(1.0f);
    general->setFeatureSimilarity(0.205f);
    f.open();
    QCOMPARE(f.find<QSlider>("hsSimilarity_2")->value(), 20);
    QCOMPARE(f.dialog.generalWidget()->preferences().featureSimilarity(), 0.205f);

    f.click("btnOK");
    QCOMPARE(general->imageSimilarity(), 1.0f);
    QCOMPARE(general->featureSimilarity(), 0.205f);

    // Moving a slider stores hundredths.
    f.open();
    f.find<QSlider>("hsSimilarity")->setValue(0);
    QCOMPARE(f.dialog.generalWidget()->preferences().imageSimilarity(), 0.0f);
    QCOMPARE(f.find<QLabel>("lblSimilarity")->text(), QStringLiteral("0%"));
}

void TestTwPreferencesDialog::unknownMethodsFollowTheButtonsShown()
{
    DialogFixture f;
    TwGenernalPreferences *general = TwPreferences::instance()->general();
    general->setScanMethod(static_cast<TwGenernalPreferences::TwScanMethodFlag>(5));
    general->setRemovalMethod(static_cast<TwGenernalPreferences::TwRemovalMethodFlag>(-3));
    general->setMaximumFileSize(0);
    f.open();
    QVERIFY(f.find<QRadioButton>("rbFileName")->isChecked());
    QVERIFY(f.find<QRadioButton>("rbRemovePermanently")->isChecked());
    QCOMPARE(f.dialog.generalWidget()->preferences().scanMethod(),
        TwGenernalPreferences::ScanByFileName);
    QCOMPARE(f.dialog.generalWidget()->preferences().removalMethod(),
        TwGenernalPreferences::RemovePermanently);
    // A zero maximum cannot be shown; OK stores the smallest the box allows.
    QCOMPARE(f.find<QSpinBox>("sbMaximumFileSize")->value(), 1);
    f.click("btnOK");
    QCOMPARE(general->maximumFileSize(), qint64(1));
}

void TestTwPreferencesDialog::ignoreListEditing()
{
    DialogFixture f;
    f.open();
    auto *list = f.find<QListWidget>("lwIgnoreList");
    auto *remove = f.find<QPushButton>("btnRemoveIgnore");
    auto *clear = f.find<QPushButton>("btnClear");

    f.pickedPaths = QStringList { QStringLiteral("/b"), QStringLiteral("/a") };
    f.click("btnAddIgnore");
    f.pickedPaths = QStringList { QStringLiteral("/b") };
    f.click("btnAddIgnore");
    // A cancelled dialog adds nothing.
    f.click("btnAddIgnore");
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("/b"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("/a"));
    QCOMPARE(list->item(2)->text(), QStringLiteral("/b"));
    QVERIFY(clear->isEnabled());
    QVERIFY(!remove->isEnabled());

    list->setCurrentRow(1);
    QVERIFY(remove->isEnabled());
    f.click("btnRemoveIgnore");
    QCOMPARE(f.dialog.ignoreListWidget()->preferences().ignorePaths(),
        (QVector<QString> { "/b", "/b" }));
    QVERIFY(!remove->isEnabled());

    f.click("btnClear");
    QCOMPARE(list->count(), 0);
    QCOMPARE(f.dialog.ignoreListWidget()->preferences().ignorePathCount(), 0);
    QVERIFY(!clear->isEnabled());

    auto *hidden = f.find<QCheckBox>("chkIgnoreSystemHidden");
    hidden->setChecked(false);
    QVERIFY(!f.dialog.ignoreListWidget()->preferences().ignoreSystemHidden());
    hidden->setChecked(true);
    QVERIFY(f.dialog.ignoreListWidget()->preferences().ignoreSystemHidden());
}

void TestTwPreferencesDialog::extensionsAreCleanedOnReopen()
{
    DialogFixture f;
    f.open();
    auto *box = f.find<QPlainTextEdit>("pxtFileTypes");
    // Every keystroke is taken, whatever is typed.
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("txt, avi,, dll "));
    QCOMPARE(f.dialog.ignoreListWidget()->preferences().ignoreExtensions(),
        (QVector<QString> { "txt", "avi", "dll" }));
    box->moveCursor(QTextCursor::End);
    box->insertPlainText(QStringLiteral(",\u00e9 #!"));
    f.click("btnOK");
    QCOMPARE(TwPreferences::instance()->ignoreList()->extensionsText(QLatin1Char(',')),
        QStringLiteral("txt,avi,dll,\u00e9#!"));

    f.open();
    QCOMPARE(box->toPlainText(), QStringLiteral("txt,avi,dll,\u00e9#!"));
}

void TestTwPreferencesDialog::priorityTableAddAndRemove()
{
    DialogFixture f;
    f.open();
    auto *table = f.find<QTableWidget>("tableWidget");
    auto *remove = f.find<QPushButton>("btnRemovePrior");
    const TwSelectionWidget *page = f.dialog.selectionWidget();

    // A cancelled picker does nothing.
    f.click("btnAddPrior");
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(f.captions, QStringList { "Select Folder" });
    QCOMPARE(f.starts, QStringList { QString() });

    f.folders = QStringList { QStringLiteral("/one"), QStringLiteral("/one"),
        QStringLiteral("/two"), QStringLiteral("/three") };
    f.click("btnAddPrior");
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("1"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("/one"));
    QVERIFY(table->item(0, 0)->flags() & Qt::ItemIsEditable);
    QVERIFY(!(table->item(0, 1)->flags() & Qt::ItemIsEditable));

    f.click("btnAddPrior");
    QCOMPARE(f.messages, QStringList { "The folder has been added." });
    QCOMPARE(table->rowCount(), 1);

    f.click("btnAddPrior");
    f.click("btnAddPrior");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(page->preferences().priorityOf(QStringLiteral("/three")), 3);

    // Removing the highest frees its number for the next folder.
    QVERIFY(!remove->isEnabled());
    table->selectRow(2);
    QVERIFY(remove->isEnabled());
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("/three"));
    f.click("btnRemovePrior");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(page->preferences().priorityOf(QStringLiteral("/three")), -1);
    QVERIFY(!remove->isEnabled());
    f.folders = QStringList { QStringLiteral("/four") };
    f.click("btnAddPrior");
    QCOMPARE(page->preferences().priorityOf(QStringLiteral("/four")), 3);
}

void TestTwPreferencesDialog::priorityTableEdits()
{
    DialogFixture f;
    TwSelectionPreferences *stored = TwPreferences::instance()->selection();
    stored->setPriority(QStringLiteral("/seven"), 7);
    stored->setPriority(QStringLiteral("/three"), 3);
    stored->setPriority(QStringLiteral("/ten"), 10);
    f.open();
    auto *table = f.find<QTableWidget>("tableWidget");
    const TwSelectionWidget *page = f.dialog.selectionWidget();

    // Rows in ascending priority, not in path order.
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("/three"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("/seven"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("/ten"));
    QTableWidgetItem *seven = table->item(1, 0);

    // "007" is the number 7, which is in use (by this very folder).
    seven->setText(QStringLiteral("007"));
    QCOMPARE(f.messages, QStringList { "7 is added." });
    QCOMPARE(seven->text(), QStringLiteral("7"));

    seven->setText(QStringLiteral("word"));
    QCOMPARE(f.messages, (QStringList { "7 is added.", "word is not a number." }));
    QCOMPARE(seven->text(), QStringLiteral("7"));

    seven->setText(QString());
    QCOMPARE(f.messages.last(), QStringLiteral(" is not a number."));
    QCOMPARE(seven->text(), QStringLiteral("7"));

    seven->setText(QStringLiteral("3"));
    QCOMPARE(f.messages.last(), QStringLiteral("3 is added."));
    QCOMPARE(page->preferences().priorityOf(QStringLiteral("/seven")), 7);
    const int messageCount = f.messages.size();

    // A free number is stored; the row keeps its place until the next rebuild.
    seven->setText(QStringLiteral("12"));
    QCOMPARE(f.messages.size(), messageCount);
    QCOMPARE(page->preferences().priorityOf(QStringLiteral("/seven")), 12);
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("/seven"));
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("12"));
    // Editing the path column is not a priority edit.
    table->item(0, 1)->setText(QStringLiteral("/elsewhere"));
    QCOMPARE(f.messages.size(), messageCount);

    f.folders = QStringList { QStringLiteral("/new") };
    f.click("btnAddPrior");
    QCOMPARE(page->preferences().priorityOf(QStringLiteral("/new")), 13);
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("/seven"));
    QCOMPARE(table->item(3, 1)->text(), QStringLiteral("/new"));

    // The store keeps its numbers until OK.
    QCOMPARE(stored->priorityOf(QStringLiteral("/seven")), 7);
    f.click("btnOK");
    QCOMPARE(stored->priorityOf(QStringLiteral("/seven")), 12);
    QCOMPARE(stored->priorityOf(QStringLiteral("/new")), 13);
}

void TestTwPreferencesDialog::followDuplicateRuleTakesCurrentRule()
{
    DialogFixture f;
    f.open();
    const TwSelectionWidget *page = f.dialog.selectionWidget();
    f.check("rbSelectionOldest");
    QCOMPARE(page->preferences().duplicateRule(), 1);
    f.check("rbHighQuality");
    QCOMPARE(page->preferences().similarRule(), 6);
    f.check("rbFollowDuplicateRules");
    QCOMPARE(page->preferences().similarRule(), 1);
    // Taken over once: a later duplicate rule does not reach it.
    f.check("rbSelectionNewest");
    QCOMPARE(page->preferences().duplicateRule(), 0);
    QCOMPARE(page->preferences().similarRule(), 1);

    f.check("rbLowResolution");
    QCOMPARE(page->preferences().similarRule(), 5);
    f.check("rbLowQuality");
    QCOMPARE(page->preferences().similarRule(), 7);
    f.check("rbHighResolution");
    QCOMPARE(page->preferences().similarRule(), 4);

    // Reopening with a stored similar rule of 4 or more and the follow button
    // currently off: showing it turns the follow button on with the current
    // duplicate rule.
    TwSelectionPreferences *stored = TwPreferences::instance()->selection();
    stored->setDuplicateRule(3);
    stored->setSimilarRule(1);
    f.open();
    QVERIFY(f.find<QRadioButton>("rbSelectionPriority")->isChecked());
    QVERIFY(f.find<QRadioButton>("rbFollowDuplicateRules")->isChecked());
    QCOMPARE(page->preferences().similarRule(), 3);
}

void TestTwPreferencesDialog::unknownRulesShowNoDuplicateChoice()
{
    DialogFixture f;
    f.open();
    TwSelectionPreferences *stored = TwPreferences::instance()->selection();
    stored->setDuplicateRule(9);
    stored->setSimilarRule(-1);
    f.open();
    for (const char *name :
        { "rbSelectionNewest", "rbSelectionOldest", "rbAutoSelection", "rbSelectionPriority" })
        QVERIFY2(!f.find<QRadioButton>(name)->isChecked(), name);
    QVERIFY(f.find<QRadioButton>("rbFollowDuplicateRules")->isChecked());
    QCOMPARE(f.dialog.selectionWidget()->preferences().duplicateRule(), 9);
    // Choosing a rule again works normally.
    f.check("rbSelectionOldest");
    QCOMPARE(f.dialog.selectionWidget()->preferences().duplicateRule(), 1);
}

void TestTwPreferencesDialog::errorIsAModalCriticalBox()
{
    TwPreferences::setFilePath(QDir::temp().filePath(QStringLiteral("unused.cfg")));
    TwPreferencesDialog dialog;
    QTemporaryDir dir;
    TwPreferences store(dir.filePath(QStringLiteral("preferences.cfg")));
    dialog.setStore(&store);
    dialog.loadFromStore();
    dialog.show();
    dialog.findChild<QSpinBox *>(QStringLiteral("sbMinimumFileSize"))->setValue(2048);
    dialog.findChild<QSpinBox *>(QStringLiteral("sbMaximumFileSize"))->setValue(2);

    // Answers the box once it is up; the nested loop of the box keeps running
    // the timer.
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    bool modal = false;
    QWidget *parent = nullptr;
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttonCount = box->buttons().size();
            modal = box->isModal();
            parent = box->parentWidget();
            answer.stop();
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start();
    dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    answer.stop();

    QCOMPARE(title, QStringLiteral("Error"));
    QCOMPARE(
        text, QStringLiteral("The maximum file size cannot be less than the minimum file size."));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttonCount, 1);
    QVERIFY(modal);
    QCOMPARE(parent, static_cast<QWidget *>(dialog.generalWidget()));
    QVERIFY(dialog.isVisible());
    QVERIFY(!QFileInfo::exists(store.filePath()));
}

void TestTwPreferencesDialog::focusedListsShowNoChoice()
{
    // Only a chosen row keeps its focus frame: a list that merely has the
    // keyboard focus must not look as if its first row were picked.
    using State = QStyle::State;
    const State focusedRow = State(QStyle::State_Enabled) | QStyle::State_HasFocus;
    QVERIFY(!(TwUnfocusedItemDelegate::paintedState(focusedRow) & QStyle::State_HasFocus));
    QVERIFY(TwUnfocusedItemDelegate::paintedState(focusedRow) & QStyle::State_Enabled);
    const State chosenRow = focusedRow | QStyle::State_Selected;
    QCOMPARE(TwUnfocusedItemDelegate::paintedState(chosenRow), chosenRow);

    DialogFixture f;
    TwIgnoreListPreferences ignore;
    ignore.setIgnorePaths({ QStringLiteral("/a"), QStringLiteral("/b") });
    TwPreferences::instance()->setIgnoreList(ignore);
    f.open();
    auto *list = f.find<QListWidget>("lwIgnoreList");
    QVERIFY(dynamic_cast<TwUnfocusedItemDelegate *>(list->itemDelegate()));
    QVERIFY(dynamic_cast<TwUnfocusedItemDelegate *>(
        f.find<QTableWidget>("tableWidget")->itemDelegate()));
    QCOMPARE(list->currentRow(), -1);
    QVERIFY(list->selectedItems().isEmpty());
    QVERIFY(!f.find<QPushButton>("btnRemoveIgnore")->isEnabled());
}

void TestTwPreferencesDialog::updateCheckSwitchIsKeptInTheSettingsStore()
{
    DialogFixture f;
    f.open();
    auto *check = f.find<QCheckBox>("chkCheckUpdates");
    QVERIFY(check);
    QCOMPARE(check->text(), QStringLiteral("Check for updates at start"));
    QVERIFY(check->isChecked());

    check->setChecked(false);
    f.click("btnCancel");
    QVERIFY(QNetWorkProcess::checkAtStart());
    f.open();
    QVERIFY(check->isChecked());

    check->setChecked(false);
    f.click("btnOK");
    QVERIFY(!QNetWorkProcess::checkAtStart());
    // "preferences.cfg" keeps its format: the switch is not in it.
    TwPreferences defaults(f.dir.filePath(QStringLiteral("defaults.cfg")));
    QVERIFY(defaults.save());
    QFile saved(f.filePath());
    QFile expected(defaults.filePath());
    QVERIFY(saved.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().toHex(), expected.readAll().toHex());

    f.open();
    QVERIFY(!check->isChecked());
    check->setChecked(true);
    f.click("btnOK");
    QVERIFY(QNetWorkProcess::checkAtStart());
}

void TestTwPreferencesDialog::cacheSwitchAndClearButton()
{
    const QString cache = FileCacheSetting::cacheFile();
    QVERIFY(QDir().mkpath(QFileInfo(cache).absolutePath()));
    for (const QString &name : { cache, cache + "-wal" }) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'x'));
    }
    DialogFixture f;
    f.open();
    auto *use = f.find<QCheckBox>("chkUseCache");
    auto *clear = f.find<QPushButton>("btnClearCache");
    auto *size = f.find<QLabel>("lblCacheSize");
    QVERIFY(use && clear && size);
    QVERIFY(use->isChecked());
    QVERIFY(clear->isEnabled());
    QVERIFY(size->text().contains("KiB"));
    // Clearing takes effect at once, whatever the dialog's answer.
    clear->click();
    QVERIFY(!QFileInfo::exists(cache));
    QVERIFY(!QFileInfo::exists(cache + "-wal"));
    QVERIFY(!clear->isEnabled());
    QCOMPARE(size->text(), QStringLiteral("Empty"));

    use->setChecked(false);
    f.click("btnCancel");
    QVERIFY(FileCacheSetting::enabled());
    f.open();
    QVERIFY(use->isChecked());
    use->setChecked(false);
    f.click("btnOK");
    QVERIFY(!FileCacheSetting::enabled());
    f.open();
    QVERIFY(!use->isChecked());
    use->setChecked(true);
    f.click("btnOK");
    QVERIFY(FileCacheSetting::enabled());
}

QTEST_MAIN(TestTwPreferencesDialog)
#include "tst_twpreferencesdialog.moc"
