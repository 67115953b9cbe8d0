// Throughput of the content fingerprint that keys exact duplicates: small
// files are hashed whole, larger ones over three 1 KiB windows, so the cost
// per file should not grow with the size. Files sit in the page cache after
// the first round; the figures are for warm reads.

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "model/twfileitem.h"

namespace {

constexpr int FilesPerSize = 200;

// FilesPerSize files of `size` bytes each. Files above 64 KiB get random
// bytes only at both ends and a hole between, which reads as zeros and keeps
// the benchmark from filling the disk.
bool makeFiles(const QTemporaryDir &dir, qint64 size, QStringList *paths)
{
    QRandomGenerator random { quint32(size) };
    const qint64 written = qMin<qint64>(size, 64 << 10);
    for (int i = 0; i < FilesPerSize; ++i) {
        const QString path = dir.filePath(QStringLiteral("f%1-%2.bin").arg(size).arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        QByteArray content(int(written), Qt::Uninitialized);
        for (char &byte : content)
            byte = char(random.bounded(256));
        if (file.write(content) != written)
            return false;
        if (size > written) {
            if (!file.resize(size) || !file.seek(size - written) || file.write(content) != written)
                return false;
        }
        paths->append(path);
    }
    return true;
}

void BM_FileFingerprint(benchmark::State &state)
{
    const qint64 size = state.range(0);
    QTemporaryDir dir;
    QStringList paths;
    if (!dir.isValid() || !makeFiles(dir, size, &paths))
        return state.SkipWithError("could not write the files");

    qint64 files = 0;
    for (auto _ : state) {
        for (const QString &path : qAsConst(paths))
            benchmark::DoNotOptimize(TwFileItem::fileFingerprint(path));
        files += paths.size();
    }
    state.SetItemsProcessed(files);
    state.counters["read per file"] = double(qMin<qint64>(size, 3072));
}
// Small: up to 3 KiB, hashed whole. Large: three windows whatever the size.
BENCHMARK(BM_FileFingerprint)
    ->Arg(100)
    ->Arg(1024)
    ->Arg(3072)
    ->Arg(3073)
    ->Arg(1 << 20)
    ->Arg(qint64(1) << 30)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
