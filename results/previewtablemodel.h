#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QVector>

#include "results/pathdisplay.h"

class ImageListModel;
class QBaseItem;

// The preview presentation's table over the file rows of the current group:
// a mark, the path, the creation time and the hide and open icons per row.
// It holds no rows of its own; it reads the file snapshots and follows the
// file model's resets, so a group of thousands of files costs nothing but the
// rows on screen.
class PreviewTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { MarkColumn, PathColumn, CreatedColumn, HideColumn, OpenColumn, ColumnCount };

    explicit PreviewTableModel(QObject *parent = nullptr);

    // The file rows shown; not owned. Their resets become this model's resets.
    void setFilesModel(ImageListModel *files);
    const QBaseItem *fileAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A mark set through the check role is only asked for: the owner decides
    // and calls rowChanged() once the file's mark changed.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The snapshots of @p row (or of every row) changed under the model.
    void rowChanged(int row);
    void allRowsChanged();

    // What the path column shows for a file.
    static QString pathText(const QBaseItem &file);

signals:
    void checkToggled(int row);

private:
    // Where each row's path differs from the others', found once per reset
    // and only when the path column is first painted.
    const PathDisplay::Span &spanOf(int row) const;

    ImageListModel *m_files = nullptr;
    mutable QVector<PathDisplay::Span> m_spans;
    mutable bool m_spansKnown = false;
    QIcon m_hideIcon;
    QIcon m_openIcon;
};
