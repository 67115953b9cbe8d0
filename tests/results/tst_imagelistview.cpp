#include <QAbstractListModel>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include "platform/nativepath.h"
#include "resources/twresources.h"
#include "results/imagelistview.h"
#include "results/imageloadingtask.h"
#include "results/qbaseitem.h"
#include "tests/results/resultfixture.h"
#include "tests/support/fifo.h"

namespace {

// Exposes the protected cursor and selection entry points.
class ProbeView : public ImageListView {
public:
    using ImageListView::CursorAction;
    using ImageListView::moveCursor;
    using ImageListView::MoveDown;
    using ImageListView::MoveEnd;
    using ImageListView::MoveHome;
    using ImageListView::MoveLeft;
    using ImageListView::MoveNext;
    using ImageListView::MovePageDown;
    using ImageListView::MovePageUp;
    using ImageListView::MovePrevious;
    using ImageListView::MoveRight;
    using ImageListView::MoveUp;
    using ImageListView::setSelection;
    using ImageListView::updateGeometries;
};

// File rows as the results window hands them to the view.
class SnapshotModel : public QAbstractListModel {
public:
    void add(const QString &path, bool isImage)
    {
        auto *row = new QBaseItem(this);
        row->path = path;
        row->isImage = isImage;
        row->sizeText = QStringLiteral("1 KB");
        beginInsertRows(QModelIndex(), m_rows.size(), m_rows.size());
        m_rows.append(row);
        endInsertRows();
    }
    QBaseItem *at(int row) const { return m_rows.value(row); }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_rows.size();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return QVariant();
        return QVariant::fromValue(m_rows.value(index.row()));
    }

private:
    QList<QBaseItem *> m_rows;
};

QStandardItemModel *plainRows(int count, QObject *parent)
{
    auto *model = new QStandardItemModel(parent);
    for (int i = 0; i < count; ++i)
        model->appendRow(new QStandardItem(QString::number(i)));
    return model;
}

// A view whose inner area is exactly width × height.
void shape(ImageListView &view, int mode, int columns, int width, int height)
{
    view.setFrameShape(QFrame::NoFrame);
    view.setViewMode(mode);
    view.setColumns(columns);
    view.resize(width, height);
}

} // namespace

class TestImageListView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void gridPlacesRowsInCells();
    void gapsBelongToTheirCell();
    void gridCellsNeverExceedTheScreen();
    void groupListRowsAreSixtyHigh();
    void scrollRangesFollowTheRows();
    void cursorMovesWithinTheGrid();
    void rubberBandSelectsIntersectedCells();
    void loaderDecodesOnlyKnownSuffixes();
    void loaderPassesOverPipesAndKeepsRawNames();
    void thumbnailsLoadForVisibleRowsWithinTheCacheBound();
    void buttonsAreHitTestedOnSelectedCells();
    void paintsLoadedPicturesAndFallbacks();

private:
    TempTree m_tree;
};

void TestImageListView::initTestCase()
{
    QVERIFY(m_tree.isValid());
    ResultFixture::isolate(m_tree);
}

void TestImageListView::gridPlacesRowsInCells()
{
    ProbeView view;
    view.setModel(plainRows(7, &view));
    shape(view, ImageListView::Grid, 3, 300, 600);
    QCOMPARE(view.cellWidth(), 100);
    QCOMPARE(view.rowHeight(), 100);
    QCOMPARE(view.visualRect(view.model()->index(0, 0)), QRect(10, 10, 80, 80));
    QCOMPARE(view.visualRect(view.model()->index(4, 0)), QRect(110, 110, 80, 80));
    // Seven rows in three columns make three rows; row 6 opens the third.
    QCOMPARE(view.visualRect(view.model()->index(6, 0)), QRect(10, 210, 80, 80));
    QCOMPARE(view.visualRect(QModelIndex()), QRect());
    QCOMPARE(view.indexAt(QPoint(150, 250)), QModelIndex());
    QCOMPARE(view.indexAt(QPoint(50, 250)).row(), 6);
}

void TestImageListView::gapsBelongToTheirCell()
{
    ProbeView view;
    view.setModel(plainRows(7, &view));
    shape(view, ImageListView::Grid, 3, 302, 600);
    // The 10-pixel margins around an item are still its cell.
    QCOMPARE(view.indexAt(QPoint(3, 3)).row(), 0);
    QCOMPARE(view.indexAt(QPoint(95, 95)).row(), 0);
    QCOMPARE(view.indexAt(QPoint(105, 5)).row(), 1);
    QCOMPARE(view.indexAt(QPoint(5, 205)).row(), 6);
    QCOMPARE(view.indexAt(QPoint(299, 150)).row(), 5);
    // The two pixels right of the last column are no cell, not the next row's first.
    QVERIFY(!view.indexAt(QPoint(301, 5)).isValid());
    QVERIFY(!view.indexAt(QPoint(-1, 5)).isValid());
}

void TestImageListView::gridCellsNeverExceedTheScreen()
{
    ProbeView view;
    view.setModel(plainRows(2, &view));
    shape(view, ImageListView::Grid, 2, 600, 200);
    QCOMPARE(view.cellWidth(), 300);
    QCOMPARE(view.rowHeight(), 200);
    QCOMPARE(view.visualRect(view.model()->index(1, 0)), QRect(310, 10, 280, 180));

    view.setViewMode(ImageListView::CompareList);
    view.setColumns(1);
    QCOMPARE(view.rowHeight(), 300);
}

void TestImageListView::groupListRowsAreSixtyHigh()
{
    ProbeView view;
    view.setModel(plainRows(3, &view));
    shape(view, ImageListView::GroupList, 1, 250, 600);
    QCOMPARE(view.visualRect(view.model()->index(2, 0)), QRect(1, 121, 248, 58));
    QCOMPARE(view.indexAt(QPoint(100, 179)).row(), 2);
    QVERIFY(!view.indexAt(QPoint(100, 181)).isValid());
}

void TestImageListView::scrollRangesFollowTheRows()
{
    ProbeView view;
    QStandardItemModel *model = plainRows(5, &view);
    view.setModel(model);
    shape(view, ImageListView::GroupList, 1, 250, 600);
    view.updateGeometries();
    QCOMPARE(view.verticalScrollBar()->minimum(), 0);
    QCOMPARE(view.verticalScrollBar()->maximum(), 0);

    for (int i = 5; i < 20; ++i)
        model->appendRow(new QStandardItem(QString::number(i)));
    view.updateGeometries();
    QCOMPARE(view.verticalScrollBar()->maximum(), 20 * 60 - 600);
    QCOMPARE(view.verticalScrollBar()->pageStep(), 600);
    QCOMPARE(view.verticalScrollBar()->singleStep(), 60);
    // Scrolled, the rectangles move up by the offset.
    view.verticalScrollBar()->setValue(120);
    QCOMPARE(view.visualRect(model->index(2, 0)).top(), 1);
    QCOMPARE(view.indexAt(QPoint(10, 10)).row(), 2);

    // A grid that needs the scroll bar narrows its cells by the bar's width.
    ProbeView grid;
    grid.setModel(plainRows(30, &grid));
    shape(grid, ImageListView::Grid, 3, 300, 200);
    grid.updateGeometries();
    const int bar
        = grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid.verticalScrollBar());
    QCOMPARE(grid.cellWidth(), (300 - bar) / 3);
    QCOMPARE(grid.verticalScrollBar()->maximum(), 10 * grid.rowHeight() - 200);
    QCOMPARE(grid.cacheCapacity(), 2 * (200 / grid.rowHeight() + 1) * 3);
}

void TestImageListView::cursorMovesWithinTheGrid()
{
    ProbeView view;
    view.setModel(plainRows(7, &view));
    shape(view, ImageListView::Grid, 3, 300, 600);
    auto row = [&](ProbeView::CursorAction action) {
        return view.moveCursor(action, Qt::NoModifier).row();
    };
    QVERIFY(!view.moveCursor(ProbeView::MoveDown, Qt::NoModifier).isValid());

    view.setCurrentIndex(view.model()->index(6, 0));
    QCOMPARE(row(ProbeView::MoveDown), 6);
    QCOMPARE(row(ProbeView::MoveRight), 6);
    QCOMPARE(row(ProbeView::MoveUp), 3);
    QCOMPARE(row(ProbeView::MoveHome), 0);
    QCOMPARE(row(ProbeView::MoveEnd), 6);

    view.setCurrentIndex(view.model()->index(4, 0));
    // Row 4 sits on the second line; below it there is no seventh column-1 cell.
    QCOMPARE(row(ProbeView::MoveDown), 4);
    QCOMPARE(row(ProbeView::MoveUp), 1);
    QCOMPARE(row(ProbeView::MoveLeft), 3);
    QCOMPARE(row(ProbeView::MovePageDown), 6);
    QCOMPARE(row(ProbeView::MovePageUp), 0);

    view.setCurrentIndex(view.model()->index(1, 0));
    QCOMPARE(row(ProbeView::MoveUp), 1);
    QCOMPARE(row(ProbeView::MoveDown), 4);
    view.setCurrentIndex(view.model()->index(0, 0));
    QCOMPARE(row(ProbeView::MovePrevious), 0);
    QCOMPARE(row(ProbeView::MoveNext), 1);

    // The keyboard reaches the same moves.
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setCurrentIndex(view.model()->index(0, 0));
    QTest::keyClick(view.viewport(), Qt::Key_End);
    QCOMPARE(view.currentIndex().row(), 6);
    QTest::keyClick(view.viewport(), Qt::Key_Down);
    QCOMPARE(view.currentIndex().row(), 6);
    QTest::keyClick(view.viewport(), Qt::Key_Home);
    QCOMPARE(view.currentIndex().row(), 0);
}

void TestImageListView::rubberBandSelectsIntersectedCells()
{
    ProbeView view;
    view.setModel(plainRows(7, &view));
    shape(view, ImageListView::Grid, 3, 300, 600);
    // Touches rows 0, 1 (first line) and 3, 4 (second), not the margins of 2 or 5.
    view.setSelection(QRect(QPoint(50, 50), QPoint(150, 150)), QItemSelectionModel::ClearAndSelect);
    QModelIndexList selected = view.selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end());
    QCOMPARE(selected.size(), 4);
    QCOMPARE(selected.at(0).row(), 0);
    QCOMPARE(selected.at(1).row(), 1);
    QCOMPARE(selected.at(2).row(), 3);
    QCOMPARE(selected.at(3).row(), 4);
    // A rectangle inside a gap only selects nothing.
    view.setSelection(QRect(QPoint(92, 92), QPoint(108, 108)), QItemSelectionModel::ClearAndSelect);
    QVERIFY(view.selectionModel()->selectedIndexes().isEmpty());
}

void TestImageListView::loaderDecodesOnlyKnownSuffixes()
{
    const QImage big = ResultFixture::drawPicture(5, QSize(1200, 900), 30);
    QVERIFY(big.save(m_tree.path(QStringLiteral("BIG.JPG")), "JPG"));
    QVERIFY(big.save(m_tree.path(QStringLiteral("moving.gif")), "PNG"));

    auto task = ImageLoadingTaskPtr::create();
    task->path = m_tree.path(QStringLiteral("BIG.JPG"));
    ImageLoader()(task);
    QVERIFY(task->image);
    QVERIFY(!task->image->isNull());
    QCOMPARE(task->fullSize, QSize(1200, 900));
    QCOMPARE(qMax(task->image->width(), task->image->height()), ImageLoader::maxSide);

    auto gif = ImageLoadingTaskPtr::create();
    gif->path = m_tree.path(QStringLiteral("moving.gif"));
    ImageLoader()(gif);
    QVERIFY(gif->image);
    QVERIFY(gif->image->isNull());

    auto missing = ImageLoadingTaskPtr::create();
    missing->path = m_tree.path(QStringLiteral("gone.png"));
    ImageLoader()(missing);
    QVERIFY(missing->image->isNull());

    // A picture already at hand is not decoded again.
    auto cached = ImageLoadingTaskPtr::create();
    cached->path = m_tree.path(QStringLiteral("BIG.JPG"));
    cached->image = std::make_unique<QImage>(8, 8, QImage::Format_RGB32);
    ImageLoader()(cached);
    QCOMPARE(cached->image->size(), QSize(8, 8));
}

void TestImageListView::loaderPassesOverPipesAndKeepsRawNames()
{
    const QString pipe = m_tree.path(QStringLiteral("waiting.jpg"));
    QVERIFY(Fifo::make(pipe));
    auto task = ImageLoadingTaskPtr::create();
    task->path = pipe;
    QImage preview;
    QVERIFY(Fifo::finishesWithin(std::chrono::seconds(10), { pipe }, [&] {
        ImageLoader()(task);
        preview = ImageLoader::readFitted(pipe, QSize(300, 300));
    }));
    QVERIFY(task->image->isNull());
    QVERIFY(preview.isNull());

    // A name that is not UTF-8 is read by its own bytes.
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(ResultFixture::drawPicture(6, QSize(640, 480), 10).save(&buffer, "JPG"));
    const QByteArray raw = NativePath::encode(m_tree.root()) + "/caf\xe9.jpg";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, jpeg.constData(), size_t(jpeg.size())), ssize_t(jpeg.size()));
    ::close(fd);
    QSize fullSize;
    const QImage image
        = ImageLoader::readFitted(NativePath::decode(raw), QSize(320, 320), &fullSize);
    ::unlink(raw.constData());
    QCOMPARE(fullSize, QSize(640, 480));
    QCOMPARE(image.size(), QSize(320, 240));
}

void TestImageListView::thumbnailsLoadForVisibleRowsWithinTheCacheBound()
{
    SnapshotModel model;
    for (int i = 0; i < 60; ++i) {
        const QString path = m_tree.path(QStringLiteral("thumbs/p%1.png").arg(i));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(ResultFixture::drawPicture(quint32(i), QSize(160, 120), (i * 37) % 360).save(path));
        model.add(path, true);
    }
    model.add(m_tree.path(QStringLiteral("thumbs/readme.txt")), false);

    ImageListView view;
    view.setModel(&model);
    shape(view, ImageListView::Grid, 3, 320, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int visible = 3 * (300 / view.rowHeight() + 1);
    QTRY_VERIFY_WITH_TIMEOUT(view.cachedImageCount() >= visible - 3, 20000);
    QVERIFY(view.cachedImageCount() <= visible);
    QVERIFY(view.cachedImageCount() <= view.cacheCapacity());

    // Scrolling through everything never lets the cache outgrow its bound.
    for (int value = 0; value <= view.verticalScrollBar()->maximum(); value += view.rowHeight()) {
        view.verticalScrollBar()->setValue(value);
        QTRY_VERIFY_WITH_TIMEOUT(!view.isLoading(), 20000);
        QVERIFY(view.cachedImageCount() <= view.cacheCapacity());
        // What is on screen now has arrived.
        QVERIFY(view.cachedImageCount() >= 3);
    }
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    QTRY_VERIFY_WITH_TIMEOUT(!view.isLoading() && view.cachedImageCount() > 0, 20000);

    // A new column count resets the view and drops every cached picture.
    view.setColumns(2);
    QCOMPARE(view.cachedImageCount(), 0);
}

void TestImageListView::buttonsAreHitTestedOnSelectedCells()
{
    SnapshotModel model;
    for (int i = 0; i < 3; ++i)
        model.add(m_tree.path(QStringLiteral("cells/f%1.txt").arg(i)), false);
    ImageListView view;
    view.setModel(&model);
    shape(view, ImageListView::Grid, 3, 300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy checks(&view, &ImageListView::onCheckedChange);
    QSignalSpy opens(&view, &ImageListView::btnOpenFinderClick);
    QSignalSpy hides(&view, &ImageListView::btnHideFileClick);

    const QRect cell = view.visualRect(model.index(1, 0));
    const QPoint checkBox = view.gridCheckRect(cell).center();
    // A click on the check box toggles at once, also on a cell not yet current, and once only.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, checkBox);
    QCOMPARE(view.currentIndex().row(), 1);
    QCOMPARE(checks.count(), 1);
    QCOMPARE(checks.at(0).at(0).value<QModelIndex>().row(), 1);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, checkBox, 600);
    QCOMPARE(checks.count(), 2);
    // Elsewhere in a selected cell is no button.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center(), 600);
    QCOMPARE(checks.count(), 2);
    // Cursor keys move without a mark; Space marks the current cell.
    view.setFocus();
    QTest::keyClick(view.viewport(), Qt::Key_Right);
    QCOMPARE(view.currentIndex().row(), 2);
    QCOMPARE(checks.count(), 2);
    QTest::keyClick(view.viewport(), Qt::Key_Space);
    QCOMPARE(checks.count(), 3);
    QCOMPARE(checks.at(2).at(0).value<QModelIndex>().row(), 2);
    checks.clear();

    // toggleChecked flips the snapshot (no file model behind this one).
    QVERIFY(view.toggleChecked(model.index(1, 0), QString()));
    QVERIFY(model.at(1)->checked);
    QVERIFY(!view.toggleChecked(model.index(1, 0), QString()));

    view.setViewMode(ImageListView::CompareList);
    view.setColumns(1);
    view.resize(600, 320);
    view.setCurrentIndex(model.index(0, 0));
    const QRect row = view.visualRect(model.index(0, 0));
    const QRect thumb = row.adjusted(2, 2, -row.width() / 2, -2);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
        QPoint(thumb.right() + 115, thumb.top() + 153), 600);
    QCOMPARE(opens.count(), 1);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
        QPoint(thumb.right() + 132, thumb.top() + 153), 600);
    QCOMPARE(hides.count(), 1);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
        QPoint(thumb.right() + 15, thumb.top() + 12), 600);
    QCOMPARE(checks.count(), 1);
    QCOMPARE(opens.count(), 1);
}

void TestImageListView::paintsLoadedPicturesAndFallbacks()
{
    initTwResources();
    QImage red(200, 100, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString picture = m_tree.path(QStringLiteral("paint/red.PNG"));
    QDir().mkpath(QFileInfo(picture).absolutePath());
    QVERIFY(red.save(picture, "PNG"));

    SnapshotModel model;
    model.add(picture, true);
    model.add(m_tree.path(QStringLiteral("paint/missing.png")), true);
    ImageListView view;
    view.setModel(&model);
    shape(view, ImageListView::Grid, 2, 400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTRY_VERIFY_WITH_TIMEOUT(!view.isLoading(), 20000);

    const QImage frame = view.viewport()->grab().toImage();
    // The wide picture is fitted into its box keeping its shape: red in the middle...
    const QRect first = view.visualRect(model.index(0, 0)).adjusted(12, 2, -12, -22);
    const QColor middle = frame.pixelColor(first.center());
    QVERIFY2(middle.red() > 200 && middle.green() < 60, qPrintable(middle.name()));
    // ...and nothing above it, since a 2:1 picture leaves bands in a square box.
    const QColor above = frame.pixelColor(first.center().x(), first.top() + 3);
    QVERIFY2(!(above.red() > 200 && above.green() < 60), qPrintable(above.name()));
    // A picture that cannot be read still shows something (icon or the default).
    const QRect second = view.visualRect(model.index(1, 0)).adjusted(12, 2, -12, -22);
    bool drawn = false;
    for (int y = second.top(); y < second.bottom() && !drawn; y += 4) {
        for (int x = second.left(); x < second.right() && !drawn; x += 4)
            drawn = frame.pixelColor(x, y) != frame.pixelColor(1, 1);
    }
    QVERIFY(drawn);
}

QTEST_MAIN(TestImageListView)
#include "tst_imagelistview.moc"
