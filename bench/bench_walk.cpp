// The folder walk over one tree with an empty ignore list and with 200,000
// ignored paths: the lookup of each entry should cost the same either way.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "engine/qscanresult.h"
#include "engine/qscanthread.h"
#include "model/canceltoken.h"
#include "model/scansettings.h"

namespace {

constexpr int Folders = 20;
constexpr int FilesPerFolder = 100;

bool makeTree(const QTemporaryDir &dir)
{
    for (int f = 0; f < Folders; ++f) {
        const QString folder = dir.filePath(QStringLiteral("folder%1").arg(f));
        if (!QDir().mkpath(folder))
            return false;
        for (int i = 0; i < FilesPerFolder; ++i) {
            QFile file(folder + QStringLiteral("/file%1.txt").arg(i));
            if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(i % 7) + "data") <= 0)
                return false;
        }
    }
    return true;
}

// One task per folder, in order on this thread, as the engine runs them.
qint64 walk(const QString &root, const ScanSettings &settings)
{
    QScanResult result;
    const auto cancel = std::make_shared<CancelToken>();
    QStringList queue { root };
    while (!queue.isEmpty()) {
        QScanThread task(queue.takeFirst(), &result, settings, cancel);
        task.setAutoDelete(false);
        QObject::connect(&task, &QScanThread::addNewThread,
            [&](const QString &path) { queue.append(path); });
        task.run();
    }
    return result.fileCount();
}

void BM_WalkWithIgnoreList(benchmark::State &state)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !makeTree(dir))
        return state.SkipWithError("could not write the tree");
    ScanSettings settings;
    // Paths beside the tree's own, so none matches and every entry is looked up.
    for (int i = 0; i < state.range(0); ++i) {
        const QString path = dir.filePath(QStringLiteral("folder%1/other%2.txt").arg(i % Folders).arg(i));
        settings.ignorePaths.insert(path);
    }
    qint64 files = 0;
    for (auto _ : state)
        files += walk(dir.path(), settings);
    state.SetItemsProcessed(files);
}

} // namespace

BENCHMARK(BM_WalkWithIgnoreList)->Arg(0)->Arg(200000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
