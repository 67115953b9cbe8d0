#pragma once

#include <QAbstractItemView>
#include <QCache>
#include <QFutureWatcher>
#include <QImage>
#include <QList>
#include <QSize>

#include "results/imageloadingtask.h"
#include "results/pathdisplay.h"

class QBaseItem;
class QGroupItem;
class QTimer;

// Lays the rows of an ImageListModel out in a grid of equal cells and paints
// each cell itself: the group list (mode 1), the thumbnail grid (mode 2) and
// the compare list (mode 3). Thumbnails load on the thread pool for the
// visible rows only; nothing here touches a widget off the GUI thread.
class ImageListView : public QAbstractItemView {
    Q_OBJECT
public:
    enum ViewMode { GroupList = 1, Grid = 2, CompareList = 3 };

    explicit ImageListView(QWidget *parent = nullptr);
    ~ImageListView() override;

    void setViewMode(int mode);
    int viewMode() const { return m_viewMode; }
    void setColumns(int columns);
    int columns() const { return m_columns; }

    int cellWidth() const;
    int rowHeight() const;

    QBaseItem *fileItem(const QModelIndex &index) const;
    QGroupItem *groupItem(const QModelIndex &index) const;
    bool toggleChecked(const QModelIndex &index, const QString &groupName);
    void updateGroupRow(const QModelIndex &index);

    // Rows whose thumbnail is in the cache right now; the cache's bound.
    int cachedImageCount() const { return m_cache.count(); }
    int cacheCapacity() const { return m_cache.maxCost(); }
    // A load is scheduled, running, or its pictures are not painted yet.
    bool isLoading() const;
    // Where a grid cell's check box is painted, in viewport coordinates.
    QRect gridCheckRect(const QRect &cell) const;
    int captionLineHeight() const;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

public slots:
    void reset() override;

signals:
    void btnOpenFinderClick(const QModelIndex &index);
    void btnHideFileClick(const QModelIndex &index);
    void onCheckedChange(const QModelIndex &index);
    // Every batch of thumbnails that reached the cache (benchmarks and tests wait on it).
    void thumbnailsArrived(int count);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;

protected slots:
    void verticalScrollbarValueChanged(int value) override;

private:
    bool hitsCheckBox(const QModelIndex &index, const QPoint &pos) const;
    // What the painted button under pos does; empty off the buttons.
    QString buttonToolTipAt(const QModelIndex &index, const QPoint &pos) const;

    struct Thumbnail {
        QImage image;
        QSize fullSize;
    };

    int margin() const;
    int rowHeightFor(int cellWidth) const;
    // [first, last) of the rows under a rectangle of the viewport.
    QPair<int, int> visibleRange(const QRect &rect) const;
    void restartLoading();
    void startAsyncImageLoading();
    void onResultsReady(int begin, int end);
    void repaintPendingRows();
    void updatePathSpans();

    QImage pictureFor(const QString &path, bool isImage, QSize *fullSize = nullptr) const;
    static QRect fitted(const QRect &box, const QSize &image);
    static QRect fittedExact(const QRect &area, const QSize &image);
    void paintGroupRow(QPainter &painter, const QModelIndex &index, const QRect &rect);
    void paintGridCell(QPainter &painter, const QModelIndex &index, const QRect &rect);
    void paintCompareRow(QPainter &painter, const QModelIndex &index, const QRect &rect);

    int m_columns = 5;
    int m_viewMode = Grid;
    QTimer *m_loadTimer;
    QTimer *m_repaintTimer;
    QFutureWatcher<ImageLoadingTaskPtr> m_watcher;
    QList<int> m_pendingRows;
    QCache<QString, Thumbnail> m_cache;
    QImage m_uncheckedIcon;
    QImage m_checkedIcon;
    QImage m_openIcon;
    QImage m_hideIcon;
    // Per file row, from the last reset: the paths and the parent folders.
    QStringList m_paths;
    QVector<PathDisplay::Span> m_pathSpans;
    QStringList m_folders;
    QVector<PathDisplay::Span> m_folderSpans;
};
