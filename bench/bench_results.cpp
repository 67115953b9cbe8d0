// The results window on a large result: 10,000 groups holding 50,000 files,
// images among them. Measures opening, category and sort switches, the cost of
// one frame of the group list and the thumbnail grid, the longest stall of the
// GUI thread while scrolling through everything, the memory the thumbnail
// cache holds, the GUI-thread time a search keystroke costs, and the preview
// presentation of one group of 2,000 files with the memory it leaves behind.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <memory>

#include "engine/twsearchresult.h"
#include "model/scansettings.h"
#include "preferences/twpreferences.h"
#include "resources/twresources.h"
#include "results/imagelistmodel.h"
#include "results/imagelistview.h"
#include "results/resultform.h"

namespace {

constexpr int groupCount = 10000;
constexpr int copiesPerGroup = 5;
constexpr int imageGroups = 600;

const char *suffixes[] = { "txt", "pdf", "mp3", "mp4", "zip", "exe", "dat" };

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void waitForLoads(ImageListView *view)
{
    QElapsedTimer timer;
    timer.start();
    while (view->isLoading() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        usleep(1000);
    }
}

// One result for every benchmark. Copies are hard links: 50,000 paths with
// real, equal content at the disk cost of 10,000 files.
struct LargeResult {
    QTemporaryDir dir;
    TwSearchResult result;
    qint64 rssBeforeWindowKiB = 0;

    bool build()
    {
        if (!dir.isValid())
            return false;
        const ScanSettings settings;
        for (int g = 0; g < groupCount; ++g) {
            const bool image = g < imageGroups;
            const QString folder = dir.filePath(QStringLiteral("g%1").arg(g / 100));
            QDir().mkpath(folder);
            const QString first = image
                ? QStringLiteral("%1/photo_%2.png").arg(folder).arg(g)
                : QStringLiteral("%1/file_%2.%3").arg(folder).arg(g).arg(suffixes[g % 7]);
            if (image) {
                QImage picture(320, 240, QImage::Format_RGB32);
                picture.fill(QColor::fromHsv(g % 360, 120 + g % 100, 200));
                QPainter painter(&picture);
                painter.setBrush(QColor::fromHsv((g * 7) % 360, 200, 120));
                painter.drawEllipse(QPoint(60 + g % 200, 120), 40, 30 + g % 50);
                painter.end();
                if (!picture.save(first))
                    return false;
            } else {
                QFile file(first);
                if (!file.open(QIODevice::WriteOnly))
                    return false;
                // Sizes spread over several orders so sorting by size has work to do.
                QByteArray content(64 + (g * 37) % 4000, char(g % 251));
                content.append(QByteArray::number(g));
                file.write(content);
            }
            QStringList paths { first };
            for (int c = 1; c < copiesPerGroup; ++c) {
                const QString copy = QStringLiteral("%1/copy%2_%3")
                                         .arg(folder)
                                         .arg(c)
                                         .arg(QFileInfo(first).fileName());
                if (::link(
                        QFile::encodeName(first).constData(), QFile::encodeName(copy).constData())
                    != 0)
                    return false;
                paths << copy;
            }
            result.addSameSizeGroup(paths, settings);
        }
        result.applySelection(2, settings);
        return true;
    }

    static LargeResult &instance()
    {
        static LargeResult large;
        return large;
    }
};

// One group of 2,000 copies of a photograph, as a camera folder copied twice
// over would give. Hard links again: one picture's disk cost.
struct LargeGroup {
    static constexpr int files = 2000;
    QTemporaryDir dir;
    TwSearchResult result;

    bool build()
    {
        if (!dir.isValid())
            return false;
        QImage picture(1600, 1200, QImage::Format_RGB32);
        picture.fill(QColor(90, 140, 200));
        QPainter painter(&picture);
        for (int i = 0; i < 40; ++i) {
            painter.setBrush(QColor::fromHsv((i * 37) % 360, 160, 220));
            painter.drawEllipse(QPoint(40 * i, 30 * (i % 40)), 120, 90);
        }
        painter.end();
        const QString first = dir.filePath(QStringLiteral("photo.jpg"));
        if (!picture.save(first, "JPEG", 90))
            return false;
        QStringList paths { first };
        for (int c = 1; c < files; ++c) {
            const QString copy
                = dir.filePath(QStringLiteral("folder%1/copy%2_photo.jpg").arg(c % 40).arg(c));
            QDir().mkpath(QFileInfo(copy).absolutePath());
            if (::link(QFile::encodeName(first).constData(), QFile::encodeName(copy).constData())
                != 0)
                return false;
            paths << copy;
        }
        result.addSameSizeGroup(paths, ScanSettings());
        return true;
    }

    static LargeGroup &instance()
    {
        static LargeGroup group;
        static const bool built = group.build();
        if (!built)
            fprintf(stderr, "could not build the 2,000-file group\n");
        return group;
    }
};

void BM_OpenWindow(benchmark::State &state)
{
    TwSearchResult *result = &LargeResult::instance().result;
    for (auto _ : state) {
        auto form = std::make_unique<ResultForm>(result);
        form->show();
        settle();
        state.PauseTiming();
        form.reset();
        settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SwitchCategory(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    settle();
    bool toAll = false;
    for (auto _ : state) {
        if (toAll)
            form.on_btn_all_clicked();
        else
            form.on_btn_document_clicked();
        toAll = !toAll;
        settle();
    }
    state.counters["rows"] = form.groupsModel()->rowCount();
}
BENCHMARK(BM_SwitchCategory)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SwitchImageMode(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    form.on_btn_image_clicked();
    settle();
    bool similar = false;
    for (auto _ : state) {
        if (similar)
            form.on_pushButton_4_clicked();
        else
            form.on_btn_duplicate_clicked();
        similar = !similar;
        settle();
    }
}
BENCHMARK(BM_SwitchImageMode)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SortAllGroups(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    settle();
    int column = 0;
    for (auto _ : state) {
        form.on_comboBox_activated(column);
        column = (column + 1) % 4;
        settle();
    }
    state.counters["rows"] = form.groupsModel()->rowCount();
}
BENCHMARK(BM_SortAllGroups)->Unit(benchmark::kMillisecond)->Iterations(12);

void BM_SearchAllGroups(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    settle();
    auto *edit = form.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    int i = 0;
    for (auto _ : state) {
        form.on_lineEdit_textChanged(QString::number(i++ % 10));
        settle();
    }
    Q_UNUSED(edit)
}
BENCHMARK(BM_SearchAllGroups)->Unit(benchmark::kMillisecond)->Iterations(10);

// Typing into the search field, one key at a time as a user does. The time
// reported is what the GUI thread spends busy for one keystroke, including
// the filtering it leads to, however late that runs; idle waiting between
// events is not counted.
void BM_SearchKeystroke(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    settle();
    auto *edit = form.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    int resets = 0;
    QObject::connect(
        form.groupsModel(), &QAbstractItemModel::modelReset, &form, [&resets] { ++resets; });
    const QStringList typed = { QStringLiteral("f"), QStringLiteral("fi"), QStringLiteral("fil"),
        QStringLiteral("file"), QStringLiteral("file_"), QStringLiteral("file_1"),
        QStringLiteral("file_12"), QStringLiteral("file_1"), QStringLiteral("file_"),
        QStringLiteral("file"), QStringLiteral("fil"), QStringLiteral("fi"), QStringLiteral("f"),
        QString() };
    int key = 0;
    double worstMs = 0;
    for (auto _ : state) {
        const int resetsBefore = resets;
        QElapsedTimer busy;
        busy.start();
        edit->setText(typed.at(key++ % typed.size()));
        qint64 busyNs = busy.nsecsElapsed();
        QElapsedTimer wall;
        wall.start();
        // Until the list shows the new filter (or long past any delay).
        while (resets == resetsBefore && wall.elapsed() < 1000) {
            busy.restart();
            QCoreApplication::processEvents();
            busyNs += busy.nsecsElapsed();
            QThread::usleep(500);
        }
        busy.restart();
        settle();
        busyNs += busy.nsecsElapsed();
        state.SetIterationTime(busyNs / 1e9);
        worstMs = qMax(worstMs, busyNs / 1e6);
    }
    state.counters["worst_ms"] = worstMs;
    state.counters["rows"] = form.groupsModel()->rowCount();
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(28);

// Switching to the preview presentation on the 2,000-file group, until the
// window has painted it; the way back to the grid is not timed. The counters
// say how much resident memory the first preview left behind and how much
// more ten further previews added.
void BM_PreviewLargeGroup(benchmark::State &state)
{
    ResultForm form(&LargeGroup::instance().result);
    form.show();
    settle();
    const qint64 before = residentKiB();
    qint64 afterFirst = -1;
    for (auto _ : state) {
        form.on_btn_right_flow_clicked();
        settle();
        state.PauseTiming();
        form.on_btn_right_grid_clicked();
        settle();
        if (afterFirst < 0)
            afterFirst = residentKiB();
        state.ResumeTiming();
    }
    state.counters["files"] = form.filesModel()->rowCount();
    state.counters["first_left_kib"] = afterFirst - before;
    state.counters["later_added_kib"] = residentKiB() - afterFirst;
}
BENCHMARK(BM_PreviewLargeGroup)->Unit(benchmark::kMillisecond)->Iterations(11);

// One frame of the group list while scrolling, thumbnails loading behind it.
// Reports the longest single step: the GUI thread never waits for a decode.
void BM_ScrollGroupList(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    form.on_btn_image_clicked();
    settle();
    auto *view = form.findChild<ImageListView *>(QStringLiteral("listView"));
    QScrollBar *bar = view->verticalScrollBar();
    double worstMs = 0;
    int value = 0;
    for (auto _ : state) {
        QElapsedTimer step;
        step.start();
        value = value + bar->pageStep() > bar->maximum() ? 0 : value + bar->pageStep();
        bar->setValue(value);
        view->viewport()->repaint();
        QCoreApplication::processEvents();
        worstMs = qMax(worstMs, step.nsecsElapsed() / 1e6);
    }
    waitForLoads(view);
    state.counters["worst_step_ms"] = worstMs;
    state.counters["cached"] = view->cachedImageCount();
    state.counters["cache_bound"] = view->cacheCapacity();
}
BENCHMARK(BM_ScrollGroupList)->Unit(benchmark::kMillisecond)->Iterations(200);

// One full repaint of a grid of cached thumbnails (the cost of a frame).
void BM_PaintGrid(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    form.on_btn_image_clicked();
    settle();
    auto *grid = form.findChild<ImageListView *>(QStringLiteral("listImageView"));
    waitForLoads(grid);
    for (auto _ : state)
        grid->viewport()->repaint();
    state.counters["cells"] = grid->model()->rowCount();
}
BENCHMARK(BM_PaintGrid)->Unit(benchmark::kMillisecond)->Iterations(50);

// One full repaint of the group list in "All" (mostly type icons).
void BM_PaintGroupList(benchmark::State &state)
{
    ResultForm form(&LargeResult::instance().result);
    form.show();
    settle();
    auto *list = form.findChild<ImageListView *>(QStringLiteral("listView"));
    waitForLoads(list);
    for (auto _ : state)
        list->viewport()->repaint();
}
BENCHMARK(BM_PaintGroupList)->Unit(benchmark::kMillisecond)->Iterations(50);

// Memory: scroll the whole image list and let every load finish; the cache
// holds at most its bound however many pictures went by.
void BM_MemoryAfterFullScroll(benchmark::State &state)
{
    const qint64 before = residentKiB();
    ResultForm form(&LargeResult::instance().result);
    form.show();
    form.on_btn_image_clicked();
    settle();
    auto *view = form.findChild<ImageListView *>(QStringLiteral("listView"));
    QScrollBar *bar = view->verticalScrollBar();
    for (auto _ : state) {
        for (int value = 0; value <= bar->maximum(); value += bar->pageStep()) {
            bar->setValue(value);
            QCoreApplication::processEvents();
            waitForLoads(view);
        }
    }
    state.counters["window_rss_kib"] = residentKiB() - before;
    state.counters["cached"] = view->cachedImageCount();
    state.counters["cache_bound"] = view->cacheCapacity();
}
BENCHMARK(BM_MemoryAfterFullScroll)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initTwResources();
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings;
    TwPreferences::setFilePath(settings.filePath(QStringLiteral("preferences.cfg")));

    QElapsedTimer timer;
    timer.start();
    if (!LargeResult::instance().build()) {
        fprintf(stderr, "could not build the result\n");
        return 1;
    }
    fprintf(stderr, "result of %d groups, %d files built in %lld ms, RSS %lld KiB\n", groupCount,
        groupCount * copiesPerGroup, timer.elapsed(), residentKiB());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
