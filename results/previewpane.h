#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QWidget>

class ImageListModel;
class PreviewTableModel;
class QLabel;
class QSplitter;
class QTableView;

// The flow presentation: a large preview of the current file above a table of
// the group's files, each row with its mark, path, creation time and the hide
// and open icons. The table is a view over the file rows (nothing is built
// per row) and the preview decodes on the thread pool, so a group of
// thousands of files opens at once.
class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget *parent = nullptr);
    ~PreviewPane() override;

    // The file rows shown; not owned.
    void setFilesModel(ImageListModel *files);
    // Shows the file rows as they are now and previews the first.
    void fill();
    // The marks of the file rows changed under the table.
    void refreshMarks();
    // Previews the table's current row.
    void showCurrent();
    // Nothing selected: an empty table and the no-selection picture.
    void showNoSelection();
    // The pane is no longer shown: the preview picture is let go.
    void release();
    PreviewTableModel *tableModel() const { return m_tableModel; }
    // A preview is being decoded or waits to be.
    bool isLoading() const;

signals:
    void checkToggled(int row);
    void hideRequested(int row);
    void openRequested(const QString &path);
    // The preview picture of a row is on screen (tests and benchmarks wait on it).
    void previewShown(int row);

private:
    struct Request {
        int row = -1;
        QString path;
        QSize box;
    };

    void prepareTable();
    void onClicked(const QModelIndex &index);
    void onEntered(const QModelIndex &index);
    void startLoad(const Request &request);
    void onLoaded();
    void showPicture(const QImage &image, int row);
    static QImage decode(const Request &request);

    PreviewTableModel *m_tableModel = nullptr;
    QSplitter *splitter_2 = nullptr;
    QLabel *labImage = nullptr;
    QTableView *tableView = nullptr;
    // The path column's width once the table was shown; 0 before.
    int m_pathWidth = 0;
    // One decode at a time; a request made meanwhile waits, and only the
    // newest one, so holding an arrow key down never queues hundreds.
    QFutureWatcher<QImage> m_loader;
    Request m_running;
    Request m_waiting;
};
