#pragma once

#include <QItemSelection>
#include <QModelIndexList>
#include <QString>
#include <QWidget>

#include "results/resultmode.h"
#include "results/smartaction.h"

class CategoryBar;
class FilePresentationPane;
class GroupListPane;
class ImageListModel;
class ImageListView;
class OverviewChart;
class PreviewTableModel;
class QFrame;
class QGroupItem;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class RemovalController;
class SmartSelectMenu;
class TwSearchResult;

// The window in which the user works through the outcome of a scan. It holds
// the two models and ties its panes together: the category bar, the overview
// chart, the group list, the file presentations, the smart-select menu, the
// status line and the removal of marked files.
class ResultForm : public QWidget {
    Q_OBJECT
public:
    ResultForm(TwSearchResult *result, QWidget *parent = nullptr);
    ~ResultForm() override;

    QString currentCategory() const { return m_category; }
    ResultMode resultMode() const { return m_resultMode; }
    // What the two numbers of a group row mean, for a point of the group
    // list's viewport over them; empty elsewhere.
    QString countsToolTipAt(const QPoint &viewportPos) const;
    ImageListModel *groupsModel() const { return m_groupsModel; }
    ImageListModel *filesModel() const { return m_filesModel; }
    PreviewTableModel *tableModel() const;
    QMenu *smartMenu() const;

    // Re-marks the selected groups by one entry of the smart-select menu.
    void runSmartAction(SmartAction action);
    // Hides a file of the current group from these results only.
    void hideFileAt(int row, bool refillTable = false);
    // Adds a file of the current group to the preferences' ignore list, for
    // every later scan, and hides it from these results.
    void alwaysIgnoreFileAt(int row);
    // Shows every file hidden from these results again.
    void showHiddenFiles();
    int hiddenFileCount() const;
    // Shows the window as the user left it last time (size, maximised), or
    // centred on the screen at its first opening.
    void showRemembered();
    // Where the window keeps its size, presentation and sort between runs.
    static constexpr const char *SettingsGroup = "results_window";

signals:
    void closeWindows();
    // One more file handled by the running delete (removed or not).
    void deleteProgressed(int handled);

public slots:
    void initUI();
    void on_btn_over_clicked();
    void on_btn_all_clicked();
    void on_btn_document_clicked();
    void on_btn_image_clicked();
    void on_btn_music_clicked();
    void on_btn_videos_clicked();
    void on_btn_archives_clicked();
    void on_btn_packages_clicked();
    void on_btn_others_clicked();
    void on_btn_duplicate_clicked();
    void on_pushButton_4_clicked();
    void onListViewSelectChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void onIconViewSelectChanged();
    void on_horizontalSlider_valueChanged(int value);
    void on_btn_right_grid_clicked();
    void on_btn_right_flow_clicked();
    void on_btn_right_list_clicked();
    void onTableViewSelectChanged();
    void onStateChanged(int state);
    void onIgnoreBtnClicked();
    void onOpenBtnClicked();
    void onBtnHideFileClick(const QModelIndex &index);
    void onBtnOpenFinderClick(const QModelIndex &index);
    void onCheckedChange(const QModelIndex &index);
    void on_splitter_2_splitterMoved(int pos, int index);
    void on_comboBox_activated(int index);
    void on_comboBox_currentIndexChanged(int index);
    void on_lineEdit_textChanged(const QString &arg1);
    void on_btn_delete_clicked();
    void on_btn_export_clicked();
    void onItemFileDeleted(int complate);
    void onItemDeletedComplated();
    void bulidPieChart();
    void initMenu();
    void onTaskContextMenuEvent();
    void on_btnClose_clicked();
    void setTitle();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildWidgetTree();
    QWidget *buildStatusLine();
    void connectPanes();
    void switchCategory(const QString &category);
    void switchResultMode(ResultMode mode);
    void reloadGroups();
    void adoptSortColumn();
    void afterLoad(int rows);
    void fillTable();
    void updateStatus(bool recount);
    void updateHiddenButton();
    void restoreViewState();
    void saveWindowState() const;
    void showFileMenu(const QPoint &viewportPos);
    void openFolderOf(const QString &path);
    void updateMenuEntries();
    QModelIndex currentGroupIndex() const;
    QGroupItem *currentGroupRow() const;
    ResultMode fileMode() const;
    bool previewShowing() const;

    TwSearchResult *m_result;
    ImageListModel *m_groupsModel = nullptr;
    ImageListModel *m_filesModel = nullptr;
    SmartSelectMenu *m_smartMenu = nullptr;
    RemovalController *m_removal = nullptr;
    QString m_category;
    ResultMode m_resultMode = ResultMode::Ordinary;
    QModelIndexList m_selectedGroups;
    // The order of the group list: the sort box's column and its direction.
    int m_sortColumn = 0;
    bool m_sortDescending = false;

    CategoryBar *m_categoryBar = nullptr;
    QStackedWidget *stackview_main = nullptr;
    QFrame *frame = nullptr;
    GroupListPane *m_groupList = nullptr;
    FilePresentationPane *m_files = nullptr;
    OverviewChart *m_overview = nullptr;
    ImageListView *listView = nullptr;
    ImageListView *listImageView = nullptr;
    QLabel *lab_select = nullptr;
    QLabel *lab_size = nullptr;
    QLabel *lab_found = nullptr;
    QPushButton *btn_export = nullptr;
    QPushButton *btn_delete = nullptr;
    QPushButton *btn_showHidden = nullptr;
};
