#include "results/imagelistview.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QThreadPool>
#include <QToolTip>
#include <QHelpEvent>
#include <QTimer>
#include <QtConcurrent>

#include "platform/nativepath.h"
#include "results/imagelistmodel.h"
#include "results/qbaseitem.h"
#include "results/qgroupitem.h"
#include "widgets/filetypeicon.h"

namespace {

const QColor accent(QStringLiteral("#3b99fc"));
const QColor grey(QStringLiteral("#9c9c9c"));
constexpr int debounceMs = 20;
// Grid captions: the name, and a pixel smaller the folder under it.
constexpr int CaptionPixels = 12;

const QImage &defaultPicture()
{
    static const QImage picture(QStringLiteral(":/resource/default.png"));
    return picture;
}

} // namespace

ImageListView::ImageListView(QWidget *parent)
    : QAbstractItemView(parent)
    , m_loadTimer(new QTimer(this))
    , m_repaintTimer(new QTimer(this))
    , m_uncheckedIcon(QStringLiteral(":/resource/unchkImage.png"))
    , m_checkedIcon(QStringLiteral(":/resource/chkImage.png"))
    , m_openIcon(QStringLiteral(":/resource/openInFinder.png"))
    , m_hideIcon(QStringLiteral(":/resource/hideFile.png"))
{
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectItems);
    // Only the hit-tested buttons use the edit path; nothing is ever edited.
    setEditTriggers(SelectedClicked);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    setMouseTracking(true);

    m_loadTimer->setSingleShot(true);
    m_loadTimer->setInterval(debounceMs);
    connect(m_loadTimer, &QTimer::timeout, this, &ImageListView::startAsyncImageLoading);
    m_repaintTimer->setSingleShot(true);
    m_repaintTimer->setInterval(debounceMs);
    connect(m_repaintTimer, &QTimer::timeout, this, &ImageListView::repaintPendingRows);
    connect(&m_watcher, &QFutureWatcher<ImageLoadingTaskPtr>::resultsReadyAt, this,
        &ImageListView::onResultsReady);
}

ImageListView::~ImageListView()
{
    // Running loaders only touch their own tasks; there is nothing to wait for.
    m_watcher.cancel();
}

bool ImageListView::isLoading() const
{
    return m_loadTimer->isActive() || m_watcher.isRunning() || m_repaintTimer->isActive();
}

void ImageListView::setViewMode(int mode)
{
    m_viewMode = mode;
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void ImageListView::setColumns(int columns)
{
    m_columns = qMax(1, columns);
    reset();
}

int ImageListView::margin() const
{
    return m_viewMode == GroupList ? 1 : 10;
}

int ImageListView::rowHeightFor(int cellWidth) const
{
    switch (m_viewMode) {
    case GroupList:
        return 60;
    case CompareList:
        return 300;
    default:
        // A cell is square but never taller than one screen.
        return qMin(cellWidth, contentsRect().height());
    }
}

// The width the cells share: the whole inner width, less the scroll bar when
// the rows do not fit. Computed from the frame rather than the viewport so the
// result does not depend on whether the bar happens to be shown yet.
int ImageListView::cellWidth() const
{
    const int columns = qMax(1, m_columns);
    const int fullWidth = contentsRect().width();
    const int rows = model() ? (model()->rowCount(rootIndex()) + columns - 1) / columns : 0;
    const int width = fullWidth / columns;
    if (rows * rowHeightFor(width) > contentsRect().height()) {
        const int bar
            = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
        return qMax(0, (fullWidth - bar) / columns);
    }
    return width;
}

int ImageListView::rowHeight() const
{
    return rowHeightFor(cellWidth());
}

QBaseItem *ImageListView::fileItem(const QModelIndex &index) const
{
    return index.isValid() ? index.data(Qt::DisplayRole).value<QBaseItem *>() : nullptr;
}

QGroupItem *ImageListView::groupItem(const QModelIndex &index) const
{
    return index.isValid() ? index.data(Qt::DisplayRole).value<QGroupItem *>() : nullptr;
}

bool ImageListView::toggleChecked(const QModelIndex &index, const QString &groupName)
{
    QBaseItem *item = fileItem(index);
    if (!item)
        return false;
    item->checked = !item->checked;
    if (auto *listModel = qobject_cast<ImageListModel *>(model()))
        listModel->setFileChecked(groupName, item->pathId, item->checked);
    viewport()->update(visualRect(index));
    return item->checked;
}

void ImageListView::updateGroupRow(const QModelIndex &index)
{
    const QRect rect = visualRect(index);
    if (rect.isValid() && rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

QRect ImageListView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid())
        return QRect();
    const int columns = qMax(1, m_columns);
    const int width = cellWidth();
    const int height = rowHeightFor(width);
    const int m = margin();
    const int row = index.row();
    return QRect((row % columns) * width + m - horizontalOffset(),
        (row / columns) * height + m - verticalOffset(), width - 2 * m, height - 2 * m);
}

void ImageListView::scrollTo(const QModelIndex &index, ScrollHint)
{
    const QRect area = viewport()->rect();
    const QRect rect = visualRect(index);
    if (!rect.isValid())
        return;
    if (rect.top() < area.top()) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() + rect.top() - area.top());
    } else if (rect.bottom() > area.bottom()) {
        verticalScrollBar()->setValue(verticalScrollBar()->value()
            + qMin(rect.bottom() - area.bottom(), rect.top() - area.top()));
    }
}

QModelIndex ImageListView::indexAt(const QPoint &point) const
{
    if (!model())
        return QModelIndex();
    const int width = cellWidth();
    const int height = rowHeightFor(width);
    const int columns = qMax(1, m_columns);
    const int x = point.x() + horizontalOffset();
    const int y = point.y() + verticalOffset();
    if (width <= 0 || height <= 0 || x < 0 || y < 0)
        return QModelIndex();
    // The strip right of the last column belongs to no cell (it is not the next row's first).
    const int column = x / width;
    if (column >= columns)
        return QModelIndex();
    const int row = column + columns * (y / height);
    if (row < 0 || row >= model()->rowCount(rootIndex()))
        return QModelIndex();
    return model()->index(row, 0, rootIndex());
}

QModelIndex ImageListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !model())
        return current;
    const int count = model()->rowCount(rootIndex());
    const int columns = qMax(1, m_columns);
    const int row = current.row();
    const int width = qMax(1, cellWidth());
    const int viewHeight = viewport()->height();
    const int page
        = (viewport()->width() / width) * (viewHeight / qMax(1, qMin(width, viewHeight)));

    int step = 0;
    switch (cursorAction) {
    case MoveUp:
        step = row + 1 > columns ? -columns : 0;
        break;
    case MoveDown:
        step = row + columns < count ? columns : 0;
        break;
    case MoveLeft:
    case MovePrevious:
        step = -1;
        break;
    case MoveRight:
    case MoveNext:
        step = 1;
        break;
    case MoveHome:
        step = -row;
        break;
    case MoveEnd:
        step = qMax(0, count - row - 1);
        break;
    case MovePageUp:
        step = -page;
        break;
    case MovePageDown:
        step = page;
        break;
    }
    int target = qMin(row + step, count - 1);
    if (target < 0)
        target = 0;
    return model()->index(target, current.column(), rootIndex());
}

int ImageListView::horizontalOffset() const
{
    return 0;
}

int ImageListView::verticalOffset() const
{
    return verticalScrollBar()->value();
}

bool ImageListView::isIndexHidden(const QModelIndex &) const
{
    return false;
}

QPair<int, int> ImageListView::visibleRange(const QRect &rect) const
{
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    const QRect area = rect.normalized();
    const QModelIndex first = indexAt(area.topLeft());
    const QModelIndex last = indexAt(area.bottomRight());
    return qMakePair(first.isValid() ? first.row() : 0, last.isValid() ? last.row() + 1 : count);
}

void ImageListView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    if (!model() || !selectionModel())
        return;
    const QRect area = rect.normalized();
    const auto range = visibleRange(area);
    QItemSelection selection;
    int start = -1;
    int previous = -2;
    auto flush = [&]() {
        if (start >= 0)
            selection.select(
                model()->index(start, 0, rootIndex()), model()->index(previous, 0, rootIndex()));
    };
    for (int row = range.first; row < range.second; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        if (!visualRect(index).intersects(area))
            continue;
        if (row != previous + 1) {
            flush();
            start = row;
        }
        previous = row;
    }
    flush();
    selectionModel()->select(selection, command);
}

QRegion ImageListView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    for (const QModelIndex &index : selection.indexes())
        region += visualRect(index);
    return region;
}

void ImageListView::updateGeometries()
{
    if (!model())
        return;
    const int count = model()->rowCount(rootIndex());
    const int columns = qMax(1, m_columns);
    const int rows = (count + columns - 1) / columns;
    const int viewHeight = contentsRect().height();
    const int width = cellWidth();
    const int height = rowHeightFor(width);
    if (height > 0) {
        // Twice the pictures of one screen plus a row: scrolling back is free.
        m_cache.setMaxCost(2 * (viewHeight / height + 1) * columns);
    }
    const int total = rows * height;
    if (height > 0 && rows * rowHeightFor(contentsRect().width() / columns) > viewHeight) {
        verticalScrollBar()->setRange(0, total < viewHeight ? 1 : total - viewHeight);
        verticalScrollBar()->setPageStep(qMax(1, (viewHeight / height) * height));
        verticalScrollBar()->setSingleStep(height);
    } else {
        verticalScrollBar()->setRange(0, 0);
    }
    QAbstractItemView::updateGeometries();
}

void ImageListView::resizeEvent(QResizeEvent *event)
{
    QAbstractItemView::resizeEvent(event);
    restartLoading();
}

void ImageListView::verticalScrollbarValueChanged(int value)
{
    QAbstractItemView::verticalScrollbarValueChanged(value);
    restartLoading();
}

void ImageListView::reset()
{
    m_cache.clear();
    m_pendingRows.clear();
    updatePathSpans();
    QAbstractItemView::reset();
    restartLoading();
}

void ImageListView::updatePathSpans()
{
    m_paths.clear();
    m_folders.clear();
    const int count = model() && m_viewMode != GroupList ? model()->rowCount(rootIndex()) : 0;
    for (int row = 0; row < count; ++row) {
        const QBaseItem *file = fileItem(model()->index(row, 0, rootIndex()));
        const QString path = file ? NativePath::displayText(file->path) : QString();
        m_paths.append(path);
        m_folders.append(path.left(qMax(0, path.lastIndexOf(QLatin1Char('/')))));
    }
    m_pathSpans = PathDisplay::spans(m_paths);
    m_folderSpans = PathDisplay::spans(m_folders);
}

void ImageListView::restartLoading()
{
    m_repaintTimer->stop();
    m_watcher.cancel();
    m_loadTimer->start();
}

void ImageListView::startAsyncImageLoading()
{
    m_watcher.cancel();
    if (!model())
        return;
    const auto range = visibleRange(viewport()->rect());
    QList<ImageLoadingTaskPtr> tasks;
    for (int row = range.first; row < range.second; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        QString path;
        bool isImage = false;
        if (m_viewMode == GroupList) {
            if (const QGroupItem *group = groupItem(index)) {
                path = group->path;
                isImage = group->isImage;
            }
        } else if (const QBaseItem *file = fileItem(index)) {
            path = file->path;
            isImage = file->isImage;
        }
        // Other files are drawn with their type's icon; nothing to load.
        if (path.isEmpty() || !isImage)
            continue;
        auto task = ImageLoadingTaskPtr::create();
        task->row = row;
        task->path = path;
        // A cached picture rides along (a shallow copy) so it stays drawable meanwhile.
        if (const Thumbnail *cached = m_cache.object(path)) {
            task->image = std::make_unique<QImage>(cached->image);
            task->fullSize = cached->fullSize;
        }
        tasks.append(task);
    }
    if (tasks.isEmpty())
        return;
    m_watcher.setFuture(QtConcurrent::mapped(tasks, ImageLoader()));
}

void ImageListView::onResultsReady(int begin, int end)
{
    int arrived = 0;
    for (int i = begin; i < end; ++i) {
        const ImageLoadingTaskPtr task = m_watcher.resultAt(i);
        if (!task)
            continue;
        m_pendingRows.append(task->row);
        if (task->image && m_cache.maxCost() >= 1) {
            auto *thumbnail = new Thumbnail { std::move(*task->image), task->fullSize };
            task->image.reset();
            // QCache owns the entry from here, also when it refuses it.
            m_cache.insert(task->path, thumbnail, 1);
            ++arrived;
        }
    }
    if (!m_repaintTimer->isActive())
        m_repaintTimer->start();
    emit thumbnailsArrived(arrived);
}

void ImageListView::repaintPendingRows()
{
    if (!model())
        return;
    QRect area;
    for (int row : qAsConst(m_pendingRows))
        area |= visualRect(model()->index(row, 0, rootIndex()));
    if (area.intersects(viewport()->rect()))
        viewport()->update(area);
}

QImage ImageListView::pictureFor(const QString &path, bool isImage, QSize *fullSize) const
{
    if (isImage) {
        if (const Thumbnail *cached = m_cache.object(path)) {
            if (!cached->image.isNull()) {
                if (fullSize)
                    *fullSize
                        = cached->fullSize.isValid() ? cached->fullSize : cached->image.size();
                return cached->image;
            }
        }
    }
    const QImage icon = FileTypeIcon::largeImage(path);
    return icon.isNull() ? defaultPicture() : icon;
}

QRect ImageListView::fitted(const QRect &box, const QSize &image)
{
    if (image.isEmpty())
        return box;
    QRect result = box;
    if (image.width() < image.height()) {
        const int width = box.width() * image.width() / image.height();
        result.setLeft(box.left() + (box.width() - width) / 2);
        result.setWidth(width);
    } else {
        const int height = box.height() * image.height() / image.width();
        result.setTop(box.top() + (box.height() - height) / 2);
        result.setHeight(height);
    }
    return result;
}

QRect ImageListView::fittedExact(const QRect &area, const QSize &image)
{
    if (image.isEmpty() || area.isEmpty())
        return area;
    const QSize size = image.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.left() + (area.width() - size.width()) / 2,
        area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
}

void ImageListView::paintEvent(QPaintEvent *event)
{
    m_pendingRows.clear();
    if (!model())
        return;
    QPainter painter(viewport());
    painter.setRenderHints(
        QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    const int viewHeight = viewport()->height();
    const auto range = visibleRange(event->rect());
    for (int row = range.first; row < range.second; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        if (!index.isValid())
            continue;
        const QRect rect = visualRect(index);
        if (!rect.isValid() || rect.bottom() < 0 || rect.top() > viewHeight)
            continue;
        painter.save();
        switch (m_viewMode) {
        case GroupList:
            paintGroupRow(painter, index, rect);
            break;
        case CompareList:
            paintCompareRow(painter, index, rect);
            break;
        default:
            paintGridCell(painter, index, rect);
            break;
        }
        painter.restore();
    }
}

void ImageListView::paintGroupRow(QPainter &painter, const QModelIndex &index, const QRect &r)
{
    const QGroupItem *group = groupItem(index);
    if (!group)
        return;
    const bool selected = selectionModel() && selectionModel()->isSelected(index);
    if (selected)
        painter.fillRect(r, accent);
    else
        painter.fillRect(
            QRect(r.left() + 6, r.bottom(), r.width() - 12, 1), QColor(0xeb, 0xeb, 0xeb));

    const QImage image = pictureFor(group->path, group->isImage);
    const QRect box = fitted(r.adjusted(6, 6, 54 - r.width(), -4), image.size());
    painter.drawImage(box, image);

    const QColor text = selected ? Qt::white : Qt::black;
    const QColor secondary = selected ? Qt::white : grey;
    const QRect nameRect(r.left() + 65, r.top() + 10, r.width() - r.left() - 130, 20);
    painter.setPen(text);
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(group->fileName, Qt::ElideRight, nameRect.width()));
    painter.setPen(secondary);
    painter.drawText(QRect(r.left() + 65, r.top() + 35, 100, 20), Qt::AlignLeft | Qt::AlignVCenter,
        group->sizeText);
    painter.drawText(QRect(r.right() - 40, r.top() + 25, 30, 20), Qt::AlignLeft | Qt::AlignVCenter,
        QString::number(group->fileCount));
    painter.setPen(selected ? Qt::white : accent);
    painter.drawText(QRect(r.right() - 80, r.top() + 25, 30, 20), Qt::AlignRight | Qt::AlignVCenter,
        QString::number(group->markedCount));
    // A faint slash between them reads as "marked of total".
    painter.setPen(selected ? QColor(255, 255, 255, 160) : QColor(0xc8, 0xc8, 0xc8));
    painter.drawText(
        QRect(r.right() - 50, r.top() + 25, 10, 20), Qt::AlignCenter, QStringLiteral("/"));
}

void ImageListView::paintGridCell(QPainter &painter, const QModelIndex &index, const QRect &c)
{
    const QBaseItem *file = fileItem(index);
    if (!file)
        return;
    const QImage image = pictureFor(file->path, file->isImage);
    const int captionHeight = 2 * captionLineHeight() + 4;
    const QRect box = fitted(c.adjusted(12, 2, -12, -captionHeight), image.size());
    painter.drawImage(box, image);

    const bool selected = selectionModel() && selectionModel()->isSelected(index);
    if (selected || index == currentIndex()) {
        painter.setPen(QPen(accent, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(c.adjusted(1, 1, -1, -1));
    }
    // Name, then the folder it sits in: copies mostly share the name.
    QFont nameFont = painter.font();
    nameFont.setPixelSize(CaptionPixels);
    const QFontMetrics metrics(nameFont);
    const int line = metrics.height() + 2;
    const QImage &check = file->checked ? m_checkedIcon : m_uncheckedIcon;
    const QRect nameRect(c.left() + 28, c.bottom() - 2 * line - 2, c.width() - 32, line);
    if (!check.isNull())
        painter.drawImage(gridCheckRect(c), check);
    painter.setFont(nameFont);
    painter.setPen(QColor(QStringLiteral("#000000")));
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
        metrics.elidedText(NativePath::displayText(QFileInfo(file->path).fileName()),
            Qt::ElideMiddle, nameRect.width()));
    QFont folderFont = nameFont;
    folderFont.setPixelSize(CaptionPixels - 1);
    const QRect folderRect(c.left() + 4, nameRect.bottom() + 1, c.width() - 8, line);
    painter.setFont(folderFont);
    painter.setPen(grey);
    painter.drawText(folderRect, Qt::AlignHCenter | Qt::AlignVCenter,
        PathDisplay::fitted(m_folders.value(index.row()), m_folderSpans.value(index.row()),
            QFontMetrics(folderFont), folderRect.width()));
}

void ImageListView::paintCompareRow(QPainter &painter, const QModelIndex &index, const QRect &c)
{
    const QBaseItem *file = fileItem(index);
    if (!file)
        return;
    const int w = c.width();
    const QRect t = c.adjusted(2, 2, -w / 2, -2);
    painter.fillRect(t, QColor(0xf4, 0xf4, 0xf4));
    QSize fullSize;
    const QImage image = pictureFor(file->path, file->isImage, &fullSize);
    painter.drawImage(fittedExact(t, image.size()), image);

    const QRect bar(t.right() + 5, t.top(), w / 2 - 10, 30);
    const bool current = index == currentIndex();
    const bool selected = selectionModel() && selectionModel()->isSelected(index);
    if (selected || current) {
        painter.setPen(QPen(accent, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(t.adjusted(1, 1, -1, -1));
        painter.fillRect(bar, accent);
    }

    const QFileInfo info(file->path);
    const QString resolution = file->isImage && fullSize.isValid()
        ? QStringLiteral("%1x%2").arg(fullSize.width()).arg(fullSize.height())
        : QStringLiteral("-");
    const QStringList labels { tr("Date Created:"), tr("Size:"), tr("Resolution:"), tr("Tag:"),
        tr("Path:") };
    const int valueWidth = w / 2 - 100;
    QFont detailFont = painter.font();
    detailFont.setPixelSize(12);
    painter.setFont(detailFont);
    const QStringList values { file->created, file->sizeText, resolution, QStringLiteral("-"),
        PathDisplay::fitted(m_paths.value(index.row(), NativePath::displayText(file->path)),
            m_pathSpans.value(index.row()), QFontMetrics(detailFont), valueWidth - 10) };
    painter.setPen(grey);
    for (int k = 0; k < labels.size(); ++k) {
        const QRect labelRect(t.right(), t.top() + 35 + 22 * k, 100, 20);
        painter.drawText(labelRect, Qt::AlignRight | Qt::AlignVCenter, labels.at(k));
        painter.drawText(labelRect.adjusted(110, 0, valueWidth, 0),
            Qt::AlignLeft | Qt::AlignVCenter, values.at(k));
    }
    if (!m_openIcon.isNull())
        painter.drawImage(QRect(t.right() + 110, t.top() + 148, 12, 12), m_openIcon);
    if (!m_hideIcon.isNull())
        painter.drawImage(QRect(t.right() + 126, t.top() + 148, 14, 11), m_hideIcon);
    const QImage &check = file->checked ? m_checkedIcon : m_uncheckedIcon;
    if (!check.isNull())
        painter.drawImage(QRect(t.right() + 10, t.top() + 8, 14, 14), check);

    QFont titleFont = painter.font();
    titleFont.setWeight(75);
    titleFont.setPointSize(12);
    painter.setFont(titleFont);
    painter.setPen(current ? Qt::white : Qt::black);
    const QRect titleRect(t.right() + 35, t.top(), w / 2 - 10, 25);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(titleFont).elidedText(
            NativePath::displayText(info.baseName()), Qt::ElideMiddle, bar.width() - 10));
}

bool ImageListView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (m_viewMode != GroupList && index.isValid() && trigger == SelectedClicked && event
        && (event->type() == QEvent::MouseButtonRelease
            || event->type() == QEvent::MouseButtonPress)) {
        const QRect rect = visualRect(index);
        if (rect.isValid() && rect.bottom() > 0 && rect.top() < viewport()->height()) {
            const QPoint pos = static_cast<QMouseEvent *>(event)->pos();
            // The press already toggled the check box.
            if (hitsCheckBox(index, pos))
                return false;
            if (m_viewMode != Grid) {
                const QRect t = rect.adjusted(2, 2, -rect.width() / 2, -2);
                if (QRect(t.right() + 110, t.top() + 148, 12, 12).contains(pos)) {
                    emit btnOpenFinderClick(index);
                    return false;
                }
                if (QRect(t.right() + 126, t.top() + 148, 14, 11).contains(pos)) {
                    emit btnHideFileClick(index);
                    return false;
                }
            }
        }
    }
    return QAbstractItemView::edit(index, trigger, event);
}

int ImageListView::captionLineHeight() const
{
    QFont caption = font();
    caption.setPixelSize(CaptionPixels);
    return QFontMetrics(caption).height() + 2;
}

QRect ImageListView::gridCheckRect(const QRect &cell) const
{
    // Beside the file name, the upper of the two caption lines.
    const int line = captionLineHeight();
    const int middle = cell.bottom() - 2 * line - 2 + line / 2;
    return QRect(cell.left() + 10, middle - 7, 14, 14);
}

QString ImageListView::buttonToolTipAt(const QModelIndex &index, const QPoint &pos) const
{
    if (m_viewMode != CompareList || !index.isValid())
        return QString();
    const QRect rect = visualRect(index);
    const QRect t = rect.adjusted(2, 2, -rect.width() / 2, -2);
    if (QRect(t.right() + 110, t.top() + 148, 12, 12).contains(pos))
        return tr("Open the containing folder");
    if (QRect(t.right() + 126, t.top() + 148, 14, 11).contains(pos))
        return tr("Hide this file from these results only; later scans find it again");
    return QString();
}

bool ImageListView::hitsCheckBox(const QModelIndex &index, const QPoint &pos) const
{
    if (m_viewMode == GroupList || !index.isValid())
        return false;
    const QRect rect = visualRect(index);
    if (m_viewMode == Grid)
        return gridCheckRect(rect).adjusted(-3, -3, 3, 3).contains(pos);
    const QRect t = rect.adjusted(2, 2, -rect.width() / 2, -2);
    return QRect(t.right() + 10, t.top() + 8, 20, 20).contains(pos);
}

void ImageListView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    if (event->button() == Qt::LeftButton && hitsCheckBox(index, event->pos())) {
        setCurrentIndex(index);
        viewport()->update();
        emit onCheckedChange(index);
        event->accept();
        return;
    }
    QAbstractItemView::mousePressEvent(event);
}

void ImageListView::keyPressEvent(QKeyEvent *event)
{
    // Marks change only on purpose: Space on the current file, never the cursor keys.
    if (m_viewMode != GroupList && event->key() == Qt::Key_Space
        && event->modifiers() == Qt::NoModifier) {
        const QModelIndex index = currentIndex();
        if (index.isValid()) {
            viewport()->update(visualRect(index));
            emit onCheckedChange(index);
        }
        event->accept();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

bool ImageListView::viewportEvent(QEvent *event)
{
    // Copies often share a name; the full path tells them apart.
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString button = buttonToolTipAt(index, help->pos());
        if (!button.isEmpty()) {
            QToolTip::showText(help->globalPos(), button, viewport());
            return true;
        }
        QString path;
        if (const QGroupItem *group = m_viewMode == GroupList ? groupItem(index) : nullptr)
            path = group->path;
        else if (const QBaseItem *file = m_viewMode != GroupList ? fileItem(index) : nullptr)
            path = file->path;
        if (path.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(),
                NativePath::displayText(QDir::toNativeSeparators(path)), viewport(),
                visualRect(index));
        return true;
    }
    return QAbstractItemView::viewportEvent(event);
}
