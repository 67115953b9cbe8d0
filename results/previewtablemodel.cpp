#include "results/previewtablemodel.h"

#include "platform/nativepath.h"
#include "results/differingpathdelegate.h"
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
    m_spansKnown = false;
    if (m_files) {
        connect(m_files, &QAbstractItemModel::modelAboutToBeReset, this,
            &PreviewTableModel::beginResetModel);
        connect(m_files, &QAbstractItemModel::modelReset, this, [this] {
            m_spansKnown = false;
            endResetModel();
        });
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
    return NativePath::displayText(file.path);
}

const PathDisplay::Span &PreviewTableModel::spanOf(int row) const
{
    if (!m_spansKnown) {
        QStringList paths;
        const int rows = rowCount();
        paths.reserve(rows);
        for (int i = 0; i < rows; ++i)
            paths.append(fileAt(i) ? pathText(*fileAt(i)) : QString());
        m_spans = PathDisplay::spans(paths);
        m_spansKnown = true;
    }
    static const PathDisplay::Span none;
    return row >= 0 && row < m_spans.size() ? m_spans.at(row) : none;
}

QVariant PreviewTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == PathColumn)
        return tr("Path");
    if (section == CreatedColumn)
        return tr("Date Created");
    return QVariant();
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
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return pathText(*file);
        if (role == DifferingPathDelegate::DifferStartRole)
            return spanOf(index.row()).differStart;
        if (role == DifferingPathDelegate::DifferEndRole)
            return spanOf(index.row()).differEnd;
        break;
    case CreatedColumn:
        if (role == Qt::DisplayRole)
            return file->created;
        break;
    case HideColumn:
        if (role == Qt::DecorationRole)
            return m_hideIcon;
        if (role == Qt::ToolTipRole)
            return tr("Hide this file from these results only; later scans find it again");
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
