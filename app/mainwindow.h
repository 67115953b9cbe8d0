#pragma once

#include <memory>

#include <QMainWindow>
#include <QModelIndexList>
#include <QPointer>
#include <QStringList>
#include <QTime>
#include <QUrl>

class FolderStrip;
class QCheckBox;
class QMenu;
class QProgressDialog;
class QScreen;
class QPushButton;
class QStackedWidget;
class ResultForm;
class ScanProgressPage;
class ScanEngine;
class TwPreferencesDialog;
class TwSearchResult;

// The first window: the folders to scan, the scan with its live figures, and
// the way out to the results window, the preferences and the help pages.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // What the scan button does.
    enum ScanState { Idle = 1, Scanning = 2, ResultsReady = 3, NoResults = 4 };
    Q_ENUM(ScanState)

    // Entries of the system menu, kept in each action's data.
    enum MenuEntry { UserGuide = 1, ProductFaq = 2, Support = 3, About = 4, Setting = 9 };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Web pages of the system menu: the native settings store may override
    // the built-in addresses ("user_guide_url", "faq_url", "support_url").
    static QUrl webPage(MenuEntry entry);

    // Adds a folder unless it is ignored or already covered; true when added.
    bool appendFolder(const QString &path);
    bool isFolderAdded(const QString &path) const;
    QStringList folderList() const;
    ScanState scanState() const { return m_scanState; }
    ScanEngine *engine() const { return m_engine.get(); }
    TwSearchResult *searchResult() const;
    ResultForm *resultWindow() const;
    QProgressDialog *progressDialog() const;
    QMenu *systemMenu() const { return m_sysMenu; }
    TwPreferencesDialog *preferencesDialog() const { return m_preferencesDialog; }
    // The next scan looks for exact copies only, without the similar-image
    // pass; the choice is kept between starts.
    bool exactOnly() const;
    void setExactOnly(bool exactOnly);

signals:
    void stopTask();

public slots:
    void on_btn_scan_clicked();
    void on_btn_pre_clicked();
    void on_btn_next_clicked();
    void on_listview_path_indexesMoved(const QModelIndexList &indexes);
    void on_btn_add_clicked();
    void on_btn_set_clicked();
    void setTitle();
    void processStart(const QString &text);
    void processEnd(const QString &text);
    void onAddScanFile(qlonglong fileCount, const QString &path);
    void onSearchProgress(int sum, double total);
    void onProgressFraction(double fraction);
    void onReadingFolder(const QString &folder);
    void onScanEnded(bool userStop, bool duplicatesFound, qint64 elapsedMs);
    void onResultWindowClose();
    void deleteSelectPath(const QModelIndex &index);
    void setPushButtonEnable();
    void numberOfDuplicateFilesChanged(qlonglong newValue);
    void bytesOfDuplicateFilesChanged(qlonglong newValue);
    void numberOfFileScannedChanged(qlonglong newValue);
    void onSystemMenuEvent();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildForm();
    void buildSystemMenu();
    void setScanState(ScanState state);
    void updateFolderView();
    void openResultWindow();
    void openPreferences();
    void openAbout();
    void openWebPage(MenuEntry entry);
    void showCurrentTotals();
    void keepOnScreen(const QScreen *screen);

    // Form
    QPushButton *btn_scan = nullptr;
    QPushButton *btn_add = nullptr;
    QPushButton *btn_set = nullptr;
    QCheckBox *check_exactOnly = nullptr;
    QStackedWidget *stackedWidget = nullptr;
    FolderStrip *m_folderStrip = nullptr;
    ScanProgressPage *m_progressPage = nullptr;

    ScanState m_scanState = Idle;
    QTime scanStartTime;
    std::unique_ptr<ScanEngine> m_engine;
    QPointer<QProgressDialog> m_progressDialog;
    QMenu *m_sysMenu = nullptr;
    TwPreferencesDialog *m_preferencesDialog = nullptr;
    QPointer<ResultForm> m_resultWindow;
    bool m_closing = false;
};
