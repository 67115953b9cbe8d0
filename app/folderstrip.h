#pragma once

#include <QModelIndex>
#include <QStringList>
#include <QWidget>

class CListViewDelegate;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QListView;
class QFrame;
class QPushButton;
class QStandardItemModel;
class QUrl;

// The main window's first page: the folders to scan as a strip of icons, the
// drop hint, the folder counter and the paging buttons. Its model is the one
// list of folders; folders come by the folder dialog (through the window) or
// by a drop on the window, which hands its drag events here.
class FolderStrip : public QWidget {
    Q_OBJECT
public:
    explicit FolderStrip(QWidget *parent = nullptr);

    // Adds a folder unless it is ignored or already covered (then says so);
    // true when added.
    bool appendFolder(const QString &path);
    // True when the path or one of its ancestors is listed.
    bool isFolderAdded(const QString &path) const;
    // The listed folders in the order added.
    QStringList folders() const;
    int count() const;
    void clear();
    // Rows are removed (and drops taken) only while the strip is editable.
    void setEditable(bool editable);
    void removeFolder(const QModelIndex &index);

    void showNext();
    void showPrevious();
    // Enables the paging buttons for the current row.
    void updatePaging();

    // The window's drag events: a drag is taken, as a link, only while the
    // strip is editable and at least one of its URLs is a local folder.
    void dragEnter(QDragEnterEvent *event);
    void dragMove(QDragMoveEvent *event);
    void dragLeave();
    void drop(QDropEvent *event);

signals:
    // After every change of the list.
    void foldersChanged(int count);

private:
    void buildPage();
    void place();
    void updateView();
    void setDropHighlight(bool on);
    bool accepts(const QDropEvent *event) const;
    static QStringList localFolders(const QList<QUrl> &urls);

    QLabel *lab_imgDrag = nullptr;
    QFrame *frame_strip = nullptr;
    QListView *listview_path = nullptr;
    QLabel *lab_number = nullptr;
    QPushButton *btn_pre = nullptr;
    QPushButton *btn_next = nullptr;
    QStandardItemModel *m_model = nullptr;
    CListViewDelegate *m_delegate = nullptr;
    bool m_editable = true;
};
