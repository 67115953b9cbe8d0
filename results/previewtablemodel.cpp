#include "results/previewtablemodel.h"

#include "results/imagelistmodel.h"
#include "results/qbaseitem.h"

PreviewTableModel::PreviewTableModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_hideIcon(QStringLiteral(":/resource/hideFile.png"))
    , m_openIcon(QStringLiteral(":/resource/openInFinder.png"))
{
}

void PreviewTableModel::setFilesModel(ImageListModel *files)
{
    if (files == m_files)
        return;
    beginResetModel();
    if (m_files)
        disconnect(m_files, nullptr, this, nullptr);
    m_files = files;
    if (m_files) {
        connect(m_files, &QAbstractItemModel::modelAboutToBeReset, this,
            &PreviewTableModel::beginResetModel);
        connect(m_files, &QAbstractItemModel::modelReset, this, &PreviewTableModel::endResetModel);
        connect(m_files, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_files = nullptr;
            endResetModel();
        });
    }
    endResetModel();
}

const QBaseItem *PreviewTableModel::fileAt(int row) const
{
    return m_files ? m_files->fileAt(row) : nullptr;
}

int PreviewTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_files ? 0 : m_files->rowCount();
}

int PreviewTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString PreviewTableModel::pathText(const QBaseItem &file)
{
    return file.path;
}

QVariant PreviewTableModel::data(const QModelIndex &index, int role) const
{
    const QBaseItem *file = index.isValid() ? fileAt(index.row()) : nullptr;
    if (!file)
        return QVariant();
    switch (index.column()) {
    case MarkColumn:
        if (role == Qt::CheckStateRole)
            return file->checked ? Qt::Checked : Qt::Unchecked;
        break;
    case PathColumn:
        if (role == Qt::DisplayRole)
            return pathText(*file);
        if (role == Qt::ToolTipRole)
            return file->path;
        break;
    case CreatedColumn:
        if (role == Qt::DisplayRole)
            return file->created;
        break;
    case HideColumn:
        if (role == Qt::DecorationRole)
            return m_hideIcon;
        if (role == Qt::ToolTipRole)
            return tr("Hide this file from the results");
        break;
    case OpenColumn:
        if (role == Qt::DecorationRole)
            return m_openIcon;
        if (role == Qt::ToolTipRole)
            return tr("Open the containing folder");
        break;
    default:
        break;
    }
    return QVariant();
}

Qt::ItemFlags PreviewTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == MarkColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool PreviewTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const QBaseItem *file = index.isValid() ? fileAt(index.row()) : nullptr;
    if (!file || index.column() != MarkColumn || role != Qt::CheckStateRole)
        return false;
    const bool wanted = value.toInt() == Qt::Checked;
    if (wanted == file->checked)
        return true;
    emit checkToggled(index.row());
    return true;
}

void PreviewTableModel::rowChanged(int row)
{
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void PreviewTableModel::allRowsChanged()
{
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, ColumnCount - 1));
}
