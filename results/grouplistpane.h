#pragma once

#include <QFrame>
#include <QString>

#include "results/resultmode.h"

class ImageListModel;
class ImageListView;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;

// The left side of the lists page: the Duplicate / Similar switch of the
// Images category, the list of groups, the search field and the sort box.
class GroupListPane : public QFrame {
    Q_OBJECT
public:
    explicit GroupListPane(QWidget *parent = nullptr);

    // The group rows shown; not owned.
    void setGroupsModel(ImageListModel *groups);
    void applyStyle();
    ImageListView *listView() const { return listView_; }
    // The controls in the order Tab visits them.
    QList<QWidget *> tabChain() const;

    // Shows the Duplicate / Similar switch (Duplicate checked) or hides it.
    void showModeSwitch(bool shown);
    // Only words the counts' tooltip.
    void setResultMode(ResultMode mode) { m_mode = mode; }
    int sortColumn() const;
    // Shows a sort entry without running it.
    void setSortColumn(int column);
    // Puts the sort box on @p column and marks the entry with the direction
    // the groups are listed in; the other entries show none.
    void showSortDirection(int column, bool descending);
    // Empties the search field without filtering.
    void clearSearch();
    QString searchText() const;
    // Quiet time after the last keystroke before the search runs.
    static constexpr int SearchDelayMs = 200;
    void focusSearch();
    // What the two numbers of a group row mean, for a point of the list's
    // viewport over them; empty elsewhere.
    QString countsToolTipAt(const QPoint &viewportPos) const;

signals:
    void modeChosen(ResultMode mode);
    void searchChanged(const QString &text);
    void sortActivated(int column);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildModeSwitch();
    QWidget *buildSearchRow();

    ImageListModel *m_groups = nullptr;
    ResultMode m_mode = ResultMode::Ordinary;
    QFrame *frame_top_img = nullptr;
    QPushButton *btn_duplicate = nullptr;
    QPushButton *pushButton_4 = nullptr;
    ImageListView *listView_ = nullptr;
    QLineEdit *lineEdit = nullptr;
    QComboBox *comboBox = nullptr;
    QStringList m_sortNames;
    // Typing restarts it; the search runs once the user pauses.
    QTimer *m_searchDelay = nullptr;
};
