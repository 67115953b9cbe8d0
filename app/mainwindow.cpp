#include "app/mainwindow.h"

#include <climits>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDebug>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>

#include "app/folderstrip.h"
#include "app/qabout.h"
#include "app/scanprogresspage.h"
#include "engine/qscanresult.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "platform/appsettings.h"
#include "platform/product.h"
#include "preferences/dialog/twpreferencesdialog.h"
#include "preferences/twpreferences.h"
#include "results/resultform.h"
#include "widgets/desktopprompts.h"

namespace {

const char *const ExactOnlyKey = "exact_duplicates_only";

const char *const WindowStyle = R"(
QMainWindow, QWidget#centralWidget { background:#f5f8fc; }
QFrame#frame_header { background:#ffffff; border:none; border-bottom:1px solid #e3e9f0; }
QLabel { color:#2c3e50; }
QLabel#lab_title { font-size:17px; font-weight:bold; color:#1f2d3d; }
QLabel#lab_subtitle { font-size:12px; color:#8a96a3; }
QLabel#lab_number { font-size:13px; color:#8a96a3; }
QLabel#lab_fileNumber { font-size:28px; font-weight:bold; color:#3b99fc; }
QLabel#lab_fileCaption, QLabel.caption { font-size:12px; color:#8a96a3; }
QLabel#lab_progress { font-size:14px; font-weight:bold; color:#2c3e50; }
QLabel#lab_findNumber, QLabel#lab_findSize { font-size:21px; font-weight:bold; color:#1f2d3d; }
QLabel#lab_noResultTitle { font-size:17px; font-weight:bold; color:#1f2d3d; }
QLabel#lab_noResultText { font-size:12px; color:#8a96a3; }
QFrame.card { background:#ffffff; border:1px solid #e3e9f0; border-radius:10px; }
QProgressBar#bar_progress { background:#e3eefb; border:none; border-radius:3px; }
QProgressBar#bar_progress::chunk { background:#3b99fc; border-radius:3px; }
QPushButton#btn_scan, QPushButton#btn_add { border:none; background:transparent; }
QPushButton#btn_scan:pressed, QPushButton#btn_add:pressed { padding-top:3px; }
QPushButton#btn_set { border:none; border-radius:16px; background:transparent; }
QPushButton#btn_set:hover { background:#eef4fb; }
QPushButton#btn_set::menu-indicator { image:none; }
QPushButton#btn_pre, QPushButton#btn_next { border:none; background:transparent; }
QListView#listview_path { background:transparent; border:none; outline:none; }
QListView#listview_path { font-size:12px; }
QListView#listview_path::item { color:#2c3e50; border-radius:8px; padding:0px; }
QListView#listview_path::item:hover { background:#e8f2fe; }
QListView#listview_path::item:selected { background:#d6e8fd; color:#1f2d3d; }
QCheckBox#check_exactOnly { font-size:12px; color:#5d6b79; }
QStatusBar { background:#f5f8fc; color:#8a96a3; font-size:11px; padding-left:12px; }
QStatusBar::item { border:none; }
)";

const char *const MenuStyle = R"(
QMenu#sysMenu { background:#ffffff; border:1px solid #dde4ec; border-radius:6px; padding:6px 0px; }
QMenu#sysMenu::item { padding:7px 28px 7px 22px; color:#2c3e50; font-size:13px; }
QMenu#sysMenu::item:selected { background:#eaf4ff; color:#3b99fc; }
QMenu#sysMenu::separator { height:1px; background:#e8edf3; margin:5px 10px; }
)";

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry,
    Qt::Alignment alignment = Qt::AlignCenter)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

QLabel *makePicture(
    QWidget *parent, const char *name, const QString &picture, const QPoint &topLeft)
{
    const QPixmap pixmap(picture);
    auto *label = makeLabel(parent, name, QRect(topLeft, pixmap.size()));
    label->setPixmap(pixmap);
    return label;
}

QPushButton *makeImageButton(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setIconSize(geometry.size());
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    buildForm();

    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    statusBar()->setSizeGripEnabled(false);

    m_engine = std::make_unique<ScanEngine>();
    connect(m_folderStrip, &FolderStrip::foldersChanged, this, &MainWindow::updateFolderView);

    ScanEngine *engine = m_engine.get();
    connect(engine, &ScanEngine::numberOfDuplicateFilesChanged, this,
        &MainWindow::numberOfDuplicateFilesChanged);
    connect(engine, &ScanEngine::bytesOfDuplicateFilesChanged, this,
        &MainWindow::bytesOfDuplicateFilesChanged);
    connect(engine, &ScanEngine::numberOfFileScannedChanged, this,
        &MainWindow::numberOfFileScannedChanged);
    connect(engine, &ScanEngine::filesFound, this, &MainWindow::onAddScanFile);
    connect(engine, &ScanEngine::readingFolder, this, &MainWindow::onReadingFolder);
    // The bar follows the bytes still to read, not the count of files.
    connect(engine, &ScanEngine::progressFractionChanged, this, &MainWindow::onProgressFraction);
    connect(engine, &ScanEngine::phaseChanged, this, [this](ScanEngine::Phase phase) {
        if (phase != ScanEngine::Walking)
            m_progressPage->setFolder(QString());
    });
    connect(engine, &ScanEngine::processStart, this, &MainWindow::processStart);
    connect(engine, &ScanEngine::processEnd, this, &MainWindow::processEnd);
    connect(engine, &ScanEngine::scanEnded, this, &MainWindow::onScanEnded);

    buildSystemMenu();

    connect(btn_scan, &QPushButton::clicked, this, &MainWindow::on_btn_scan_clicked);
    connect(btn_add, &QPushButton::clicked, this, &MainWindow::on_btn_add_clicked);
    connect(btn_set, &QPushButton::clicked, this, &MainWindow::on_btn_set_clicked);

    stackedWidget->setCurrentIndex(0);
    setScanState(Idle);
    updateFolderView();
    setTitle();
    setAcceptDrops(true);
}

MainWindow::~MainWindow()
{
    qDebug() << Q_FUNC_INFO << "exit()..................";
    m_closing = true;
    // The results window reads the search result: it goes first.
    delete m_resultWindow.data();
    delete m_progressDialog.data();
    // Waits for every pool task and the process stage of a running scan.
    m_engine.reset();
    delete m_sysMenu;
    m_sysMenu = nullptr;
    TwPreferences::destroyInstance();
}

TwSearchResult *MainWindow::searchResult() const
{
    return m_engine->searchResult();
}

ResultForm *MainWindow::resultWindow() const
{
    return m_resultWindow.data();
}

QProgressDialog *MainWindow::progressDialog() const
{
    return m_progressDialog.data();
}

void MainWindow::buildForm()
{
    setObjectName(QStringLiteral("MainWindow"));
    setFixedSize(600, 430);
    setWindowIcon(QIcon(QStringLiteral(":/resource/twinscan32.png")));
    setStyleSheet(QString::fromLatin1(WindowStyle));

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);

    auto *header = new QFrame(central);
    header->setObjectName(QStringLiteral("frame_header"));
    header->setGeometry(0, 0, 600, 60);
    makePicture(header, "lab_logo", QStringLiteral(":/resource/twinscan32.png"), QPoint(22, 14));
    auto *title
        = makeLabel(header, "lab_title", QRect(64, 10, 300, 22), Qt::AlignLeft | Qt::AlignVCenter);
    title->setText(QString::fromLatin1(Product::Name));
    auto *subtitle = makeLabel(
        header, "lab_subtitle", QRect(64, 31, 320, 18), Qt::AlignLeft | Qt::AlignVCenter);
    subtitle->setText(tr("Find and remove duplicate files and similar images"));
    btn_set = makeImageButton(header, "btn_set", QRect(546, 14, 32, 32));
    btn_set->setIcon(QIcon(QStringLiteral(":/resource/sysmenu.png")));
    btn_set->setIconSize(QSize(22, 22));
    btn_set->setToolTip(tr("Menu"));

    stackedWidget = new QStackedWidget(central);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    stackedWidget->setGeometry(0, 60, 600, 262);

    // Page 0: the folders to scan.
    m_folderStrip = new FolderStrip;
    stackedWidget->addWidget(m_folderStrip);

    // Page 1: the running figures.
    m_progressPage = new ScanProgressPage;
    stackedWidget->addWidget(m_progressPage);

    // Page 2: nothing was found.
    auto *page_3 = new QWidget;
    page_3->setObjectName(QStringLiteral("page_3"));
    makePicture(page_3, "lab_noResultRing",
        QStringLiteral(":/resource/noduplicatesfound_ring_bg.png"), QPoint(215, 6));
    makePicture(page_3, "lab_noResult", QStringLiteral(":/resource/noduplicatesfound_bg.png"),
        QPoint(250, 41));
    auto *noTitle = makeLabel(page_3, "lab_noResultTitle", QRect(100, 204, 400, 26));
    noTitle->setText(tr("No duplicate files found"));
    auto *noText = makeLabel(page_3, "lab_noResultText", QRect(100, 230, 400, 20));
    noText->setText(tr("Your folders are tidy. Start a new scan to check other folders."));
    stackedWidget->addWidget(page_3);

    btn_add = makeImageButton(central, "btn_add", QRect(122, 336, 164, 52));
    btn_scan = makeImageButton(central, "btn_scan", QRect(314, 336, 164, 52));
    check_exactOnly = new QCheckBox(tr("Exact duplicates only"), central);
    check_exactOnly->setObjectName(QStringLiteral("check_exactOnly"));
    check_exactOnly->setGeometry(322, 388, 180, 22);
    check_exactOnly->setCursor(Qt::PointingHandCursor);
    check_exactOnly->setToolTip(tr("Find only files with the same content and skip the search "
                                   "for similar images, which takes longer"));
    check_exactOnly->setChecked(AppSettings::open()->value(QLatin1String(ExactOnlyKey)).toBool());
    connect(check_exactOnly, &QCheckBox::toggled, this,
        [](bool checked) { AppSettings::open()->setValue(QLatin1String(ExactOnlyKey), checked); });
}

bool MainWindow::exactOnly() const
{
    return check_exactOnly->isChecked();
}

void MainWindow::setExactOnly(bool exactOnly)
{
    check_exactOnly->setChecked(exactOnly);
}

void MainWindow::buildSystemMenu()
{
    m_sysMenu = new QMenu(this);
    m_sysMenu->setObjectName(QStringLiteral("sysMenu"));
    m_sysMenu->setWindowFlags(m_sysMenu->windowFlags() | Qt::FramelessWindowHint);
    m_sysMenu->setAttribute(Qt::WA_TranslucentBackground);
    m_sysMenu->setStyleSheet(QString::fromLatin1(MenuStyle));
    auto addEntry = [this](const QString &text, MenuEntry entry) {
        QAction *action = m_sysMenu->addAction(text);
        action->setData(int(entry));
        connect(action, &QAction::triggered, this, &MainWindow::onSystemMenuEvent);
    };
    addEntry(tr("Setting"), Setting);
    m_sysMenu->addSeparator();
    addEntry(tr("User Guide"), UserGuide);
    addEntry(tr("Product FAQ"), ProductFaq);
    addEntry(tr("Feedback and Support"), Support);
    m_sysMenu->addSeparator();
    addEntry(tr("About"), About);
    btn_set->setMenu(m_sysMenu);

    m_preferencesDialog = new TwPreferencesDialog(this);
}

void MainWindow::setTitle()
{
    setWindowTitle(QStringLiteral("%1").arg(QString::fromLatin1(Product::Name)));
}

void MainWindow::setScanState(ScanState state)
{
    m_scanState = state;
    m_folderStrip->setEditable(state == Idle);
    check_exactOnly->setEnabled(state != Scanning);
    switch (state) {
    case Idle:
        btn_scan->setIcon(QIcon(QStringLiteral(":/resource/btn_scan.png")));
        btn_scan->setEnabled(m_folderStrip->count() > 0);
        btn_add->setIcon(QIcon(QStringLiteral(":/resource/button_plus.png")));
        btn_add->setEnabled(true);
        m_progressPage->stopAnimation();
        break;
    case Scanning:
        btn_scan->setIcon(QIcon(QStringLiteral(":/resource/btn_stop.png")));
        btn_scan->setEnabled(true);
        btn_add->setIcon(QIcon(QStringLiteral(":/resource/button_plus.png")));
        btn_add->setEnabled(false);
        m_progressPage->start();
        break;
    case ResultsReady:
        btn_scan->setIcon(QIcon(QStringLiteral(":/resource/btn_showresults.png")));
        btn_scan->setEnabled(true);
        btn_add->setIcon(QIcon(QStringLiteral(":/resource/btn_newScan.png")));
        btn_add->setEnabled(true);
        m_progressPage->finish();
        break;
    case NoResults:
        btn_scan->setIcon(QIcon(QStringLiteral(":/resource/btn_scan.png")));
        btn_scan->setEnabled(false);
        btn_add->setIcon(QIcon(QStringLiteral(":/resource/btn_newScan.png")));
        btn_add->setEnabled(true);
        m_progressPage->stopAnimation();
        break;
    }
}

QStringList MainWindow::folderList() const
{
    return m_folderStrip->folders();
}

bool MainWindow::isFolderAdded(const QString &path) const
{
    return m_folderStrip->isFolderAdded(path);
}

bool MainWindow::appendFolder(const QString &path)
{
    return m_folderStrip->appendFolder(path);
}

void MainWindow::updateFolderView()
{
    if (m_folderStrip->count() > 0)
        btn_scan->setEnabled(
            m_scanState == Idle || m_scanState == Scanning || m_scanState == ResultsReady);
    else
        btn_scan->setEnabled(false);
}

void MainWindow::setPushButtonEnable()
{
    m_folderStrip->updatePaging();
}

void MainWindow::on_listview_path_indexesMoved(const QModelIndexList &)
{
    setPushButtonEnable();
}

void MainWindow::on_btn_next_clicked()
{
    m_folderStrip->showNext();
}

void MainWindow::on_btn_pre_clicked()
{
    m_folderStrip->showPrevious();
}

void MainWindow::deleteSelectPath(const QModelIndex &index)
{
    m_folderStrip->removeFolder(index);
}

void MainWindow::on_btn_add_clicked()
{
    if (m_scanState == ResultsReady || m_scanState == NoResults) {
        // Start over; the old results stay until the next scan clears them.
        stackedWidget->setCurrentIndex(0);
        setScanState(Idle);
        statusBar()->clearMessage();
        m_folderStrip->clear();
        return;
    }
    if (m_scanState != Idle)
        return;
    const QString folder
        = DesktopPrompts::chooseFolder(this, tr("Select Folder"), QStringLiteral("/"));
    if (!folder.isEmpty())
        appendFolder(folder);
}

void MainWindow::on_btn_set_clicked() { }

void MainWindow::on_btn_scan_clicked()
{
    switch (m_scanState) {
    case Idle: {
        scanStartTime = QTime::currentTime();
        const QStringList folders = m_folderStrip->folders();
        if (folders.isEmpty())
            return;
        m_engine->setSimilarPassEnabled(!check_exactOnly->isChecked());
        // The scan keeps this copy: preferences changed meanwhile count from the next scan.
        if (!m_engine->BeginScanCatalogue(
                folders, ScanSettings::fromPreferences(*TwPreferences::instance()))) {
            qWarning() << Q_FUNC_INFO << "the scan did not start";
            return;
        }
        stackedWidget->setCurrentIndex(1);
        setScanState(Scanning);
        break;
    }
    case Scanning:
        m_engine->stop();
        emit stopTask();
        break;
    case ResultsReady:
        openResultWindow();
        break;
    case NoResults:
        break;
    }
}

void MainWindow::onAddScanFile(qlonglong fileCount, const QString &path)
{
    m_progressPage->setFilesFound(fileCount);
    if (m_scanState == Scanning && !path.isEmpty()) {
        const QFontMetrics metrics(statusBar()->font());
        statusBar()->showMessage(
            metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, 560));
    }
}

void MainWindow::onSearchProgress(int sum, double total)
{
    // The similar-image pass counts images that the candidate total does not
    // include, and an empty scan has no total.
    m_progressPage->setProgress(total > 0 ? sum / total * 100.0 : 0.0);
}

void MainWindow::onProgressFraction(double fraction)
{
    m_progressPage->setProgress(fraction * 100.0);
}

void MainWindow::onReadingFolder(const QString &folder)
{
    if (m_scanState == Scanning)
        m_progressPage->setFolder(folder);
}

void MainWindow::numberOfDuplicateFilesChanged(qlonglong newValue)
{
    m_progressPage->setDuplicates(newValue);
}

void MainWindow::bytesOfDuplicateFilesChanged(qlonglong newValue)
{
    m_progressPage->setDuplicateBytes(newValue);
}

void MainWindow::numberOfFileScannedChanged(qlonglong) { }

void MainWindow::processStart(const QString &)
{
    if (m_closing)
        return;
    delete m_progressDialog.data();
    auto *dialog = new QProgressDialog(this);
    dialog->setObjectName(QStringLiteral("progressDialog"));
    dialog->setLabelText(tr("Data processing..."));
    dialog->setRange(0, 0);
    dialog->setCancelButton(nullptr);
    dialog->setModal(true);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowMinimizeButtonHint);
    dialog->resize(350, dialog->height());
    dialog->setStyleSheet(QStringLiteral("QProgressBar{text-align:center;margin-bottom:5px;}"));
    // A short process stage ends before anyone would notice the dialog.
    dialog->setMinimumDuration(1000);
    m_progressDialog = dialog;
    QTimer::singleShot(1000, dialog, [this, dialog] {
        if (m_progressDialog == dialog)
            dialog->show();
    });
}

void MainWindow::processEnd(const QString &)
{
    if (m_progressDialog) {
        m_progressDialog->close();
        delete m_progressDialog.data();
    }
}

void MainWindow::onScanEnded(bool userStop, bool duplicatesFound, qint64 elapsedMs)
{
    if (m_closing)
        return;
    qDebug() << Q_FUNC_INFO << "userStop" << userStop << "duplicates" << duplicatesFound << "ms"
             << elapsedMs;
    const QString seconds = QString::number(elapsedMs / 1000.0, 'f', 1);
    const TwSearchResult *result = m_engine->searchResult();
    const QString found = tr("%n duplicate(s) found (%1)", nullptr,
        int(qMin<qint64>(result->numberOfDuplicateFiles(), INT_MAX)))
                              .arg(TwSearchResult::sizeText(result->bytesOfDuplicateFiles()));
    statusBar()->showMessage(userStop ? tr("Scan stopped after %1 s: %2").arg(seconds, found)
                                      : tr("Scan finished in %1 s: %2").arg(seconds, found));
    if (duplicatesFound) {
        onAddScanFile(m_engine->scanResult()->fileCount(), QString());
        setScanState(ResultsReady);
        // After a stop the user decides when to look at the results.
        if (!userStop)
            openResultWindow();
        return;
    }
    stackedWidget->setCurrentIndex(2);
    setScanState(NoResults);
}

void MainWindow::openResultWindow()
{
    if (m_closing)
        return;
    auto *form = new ResultForm(m_engine->searchResult());
    form->setAttribute(Qt::WA_DeleteOnClose);
    connect(form, &ResultForm::closeWindows, this, &MainWindow::onResultWindowClose);
    m_resultWindow = form;
    hide();
    form->showRemembered();
}

void MainWindow::onResultWindowClose()
{
    if (m_closing)
        return;
    const ResultForm *form = m_resultWindow.data();
    const QScreen *screen = form && form->screen() ? form->screen() : this->screen();
    showCurrentTotals();
    show();
    keepOnScreen(screen);
    setTitle();
}

void MainWindow::showCurrentTotals()
{
    // Files removed in the results window no longer count as found.
    qint64 files = 0;
    qint64 bytes = 0;
    m_engine->searchResult()->countDuplicates(&files, &bytes);
    m_progressPage->setDuplicates(files);
    m_progressPage->setDuplicateBytes(bytes);
    statusBar()->showMessage(
        tr("%n duplicate(s) left (%1)", nullptr, int(qMin<qint64>(files, INT_MAX)))
            .arg(TwSearchResult::sizeText(bytes)));
}

void MainWindow::keepOnScreen(const QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Back where the user was looking: on the screen of the results window,
    // wholly inside it.
    const QRect desktop = screen->availableGeometry();
    QRect frame = frameGeometry();
    if (desktop.contains(frame))
        return;
    if (!desktop.intersects(frame) || frame.width() > desktop.width()
        || frame.height() > desktop.height()) {
        frame.moveCenter(desktop.center());
    } else {
        frame.moveLeft(qBound(desktop.left(), frame.left(), desktop.right() - frame.width() + 1));
        frame.moveTop(qBound(desktop.top(), frame.top(), desktop.bottom() - frame.height() + 1));
    }
    move(frame.topLeft());
}

void MainWindow::onSystemMenuEvent()
{
    const auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    switch (action->data().toInt()) {
    case Setting:
        openPreferences();
        break;
    case UserGuide:
        openWebPage(UserGuide);
        break;
    case ProductFaq:
        openWebPage(ProductFaq);
        break;
    case Support:
        openWebPage(Support);
        break;
    case About:
        openAbout();
        break;
    default:
        break;
    }
}

void MainWindow::openPreferences()
{
    m_preferencesDialog->setModal(true);
    // Always the stored values, never edits that were cancelled earlier.
    m_preferencesDialog->loadFromStore();
    m_preferencesDialog->showNormal();
}

void MainWindow::openAbout()
{
    const Qt::WindowFlags flags
        = windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    auto *about = new QAbout(this, flags);
    about->setObjectName(QStringLiteral("aboutDialog"));
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

QUrl MainWindow::webPage(MenuEntry entry)
{
    const char *key = nullptr;
    const char *fallback = nullptr;
    switch (entry) {
    case UserGuide:
        key = "user_guide_url";
        fallback = "https://www.orvane.com/twinscan/guide/";
        break;
    case ProductFaq:
        key = "faq_url";
        fallback = "https://www.orvane.com/twinscan/faq/";
        break;
    case Support:
        key = "support_url";
        fallback = "https://www.orvane.com/support/";
        break;
    default:
        return QUrl();
    }
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
    const QString configured = settings.value(QLatin1String(key)).toString().trimmed();
    const QUrl url(configured.isEmpty() ? QString::fromLatin1(fallback) : configured);
    return url.isValid() ? url : QUrl(QString::fromLatin1(fallback));
}

void MainWindow::openWebPage(MenuEntry entry)
{
    const QUrl url = webPage(entry);
    if (!DesktopPrompts::openUrl(url))
        qWarning() << Q_FUNC_INFO << "cannot open" << url.toString();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    m_folderStrip->dragEnter(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    m_folderStrip->dragMove(event);
}

void MainWindow::dragLeaveEvent(QDragLeaveEvent *event)
{
    m_folderStrip->dragLeave();
    QMainWindow::dragLeaveEvent(event);
}

void MainWindow::dropEvent(QDropEvent *event)
{
    m_folderStrip->drop(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_engine->isRunning()) {
        qDebug() << Q_FUNC_INFO << "closing during a scan: stopping it";
        m_closing = true;
        // Blocks until every task has left the file it was reading; the
        // results must not be destroyed under a running task.
        m_engine->stopAndWait();
        delete m_progressDialog.data();
    }
    QMainWindow::closeEvent(event);
}
