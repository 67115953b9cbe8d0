#pragma once

#include <QItemSelection>
#include <QModelIndexList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressDialog;
class QPushButton;
class QSlider;
class QSplitter;
class QStackedWidget;
class QStandardItemModel;
class QTableView;
namespace QtCharts {
class QChartView;
}

class ImageListModel;
class ImageListView;
class QGroupItem;
class TwSearchResult;

// The window in which the user works through the outcome of a scan: the
// overview chart, the groups of each category, their files in three
// presentations, marks, the smart-select menu and the removal of marked files.
class ResultForm : public QWidget {
    Q_OBJECT
public:
    ResultForm(TwSearchResult *result, QWidget *parent = nullptr);
    ~ResultForm() override;

    QString currentCategory() const { return m_category; }
    int resultMode() const { return m_resultMode; }
    // What the two numbers of a group row mean, for a point of the group
    // list's viewport over them; empty elsewhere.
    QString countsToolTipAt(const QPoint &viewportPos) const;
    ImageListModel *groupsModel() const { return m_groupsModel; }
    ImageListModel *filesModel() const { return m_filesModel; }
    QStandardItemModel *tableModel() const { return m_tableModel; }
    QMenu *smartMenu() const { return m_smartMenu; }

    // Runs the smart-select rule of the menu entry with this number (1..9).
    void runSmartAction(int number);

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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWidgetTree();
    void connectSignals();
    void switchCategory(const QString &category);
    void switchResultMode(int mode);
    void reloadGroups();
    void afterLoad(int rows);
    void fillTable();
    void updateStatus(bool recount);
    void hideFileAt(int row, bool refillTable);
    void openFolderOf(const QString &path);
    QModelIndex currentGroupIndex() const;
    QGroupItem *currentGroupRow() const;
    int fileMode() const;
    bool previewShowing() const;

    TwSearchResult *m_result;
    ImageListModel *m_groupsModel = nullptr;
    ImageListModel *m_filesModel = nullptr;
    QStandardItemModel *m_tableModel = nullptr;
    QMenu *m_smartMenu = nullptr;
    QButtonGroup *m_categoryGroup = nullptr;
    QString m_category;
    int m_resultMode = 0;
    int m_deletedCount = 0;
    QPointer<QProgressDialog> m_progress;
    QModelIndexList m_selectedGroups;
    int m_sortToggle = 0;

    QPushButton *btnClose = nullptr;
    QPushButton *btn_over = nullptr;
    QWidget *widget_4 = nullptr;
    QPushButton *btn_all = nullptr;
    QPushButton *btn_document = nullptr;
    QPushButton *btn_image = nullptr;
    QPushButton *btn_music = nullptr;
    QPushButton *btn_videos = nullptr;
    QPushButton *btn_archives = nullptr;
    QPushButton *btn_packages = nullptr;
    QPushButton *btn_others = nullptr;
    QStackedWidget *stackview_main = nullptr;
    QFrame *frame = nullptr;
    QSplitter *splitter = nullptr;
    QFrame *frame_top_img = nullptr;
    QPushButton *btn_duplicate = nullptr;
    QPushButton *pushButton_4 = nullptr;
    ImageListView *listView = nullptr;
    QLineEdit *lineEdit = nullptr;
    QComboBox *comboBox = nullptr;
    QPushButton *btnMenu = nullptr;
    QSlider *horizontalSlider = nullptr;
    QPushButton *btn_right_grid = nullptr;
    QPushButton *btn_right_flow = nullptr;
    QPushButton *btn_right_list = nullptr;
    QStackedWidget *stackedWidget = nullptr;
    ImageListView *listImageView = nullptr;
    QSplitter *splitter_2 = nullptr;
    QLabel *labImage = nullptr;
    QTableView *tableView = nullptr;
    QtCharts::QChartView *chartView = nullptr;
    QLabel *lab_select = nullptr;
    QLabel *lab_size = nullptr;
    QPushButton *btn_delete = nullptr;
};
