#pragma once

#include <QWidget>

class ImageListModel;
class QLabel;
class QSplitter;
class QStandardItemModel;
class QTableView;

// The flow presentation: a large preview of the current file above a table of
// the group's files, each row with its mark, path, creation time and the hide
// and open buttons.
class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget *parent = nullptr);

    // The file rows shown; not owned.
    void setFilesModel(const ImageListModel *files) { m_files = files; }
    // Refills the table from the file rows and previews the first.
    void fill();
    // Previews the table's current row.
    void showCurrent();
    // Nothing selected: an empty table and the no-selection picture.
    void showNoSelection();
    QStandardItemModel *tableModel() const { return m_tableModel; }

signals:
    void checkToggled(int row);
    void hideRequested(int row);
    void openRequested(const QString &path);

private:
    void prepareTable();
    void addRow(int row);
    void onCheckStateChanged();
    void onHideClicked();
    void onOpenClicked();

    const ImageListModel *m_files = nullptr;
    QStandardItemModel *m_tableModel = nullptr;
    QSplitter *splitter_2 = nullptr;
    QLabel *labImage = nullptr;
    QTableView *tableView = nullptr;
    // The path column's width once the table was shown; 0 before.
    int m_pathWidth = 0;
};
