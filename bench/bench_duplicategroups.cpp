// Cost of filing same-size candidates into exact-copy groups. Files first
// share a fingerprint (three 1 KiB windows); only those that do are then read
// in full to confirm the copy. "distinct" pairs never share a fingerprint, so
// they show the cost of the first filter alone; "copies" pairs are read whole.
// The figures are for warm reads (files in the page cache).

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "model/scansettings.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"

namespace {

constexpr int Pairs = 200;

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray content(size, Qt::Uninitialized);
    for (char &byte : content)
        byte = char(random.bounded(256));
    return content;
}

// Pairs of files of `size` bytes: copies, or two different contents.
bool makePairs(const QTemporaryDir &dir, int size, bool copies, QList<QStringList> *pairs)
{
    for (int i = 0; i < Pairs; ++i) {
        QStringList pair;
        for (int j = 0; j < 2; ++j) {
            const QString path
                = dir.filePath(QStringLiteral("p%1-%2-%3.bin").arg(size).arg(i).arg(j));
            QFile file(path);
            const QByteArray content = randomBytes(size, quint32(i * 2 + (copies ? 0 : j)));
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != size)
                return false;
            pair << path;
        }
        pairs->append(pair);
    }
    return true;
}

void run(benchmark::State &state, bool copies, bool fingerprintOnly)
{
    const int size = int(state.range(0));
    QTemporaryDir dir;
    QList<QStringList> pairs;
    if (!dir.isValid() || !makePairs(dir, size, copies, &pairs))
        return state.SkipWithError("could not write the files");

    qint64 files = 0;
    for (auto _ : state) {
        if (fingerprintOnly) {
            for (const QStringList &pair : qAsConst(pairs)) {
                for (const QString &path : pair)
                    benchmark::DoNotOptimize(TwFileItem::fileFingerprint(path));
            }
        } else {
            TwCatalogContainer container(nullptr);
            const ScanSettings settings;
            int count = 0;
            qint64 bytes = 0;
            for (const QStringList &pair : qAsConst(pairs))
                benchmark::DoNotOptimize(
                    container.buildDuplicateGroups(pair, settings, count, bytes));
        }
        files += 2 * pairs.size();
    }
    state.SetItemsProcessed(files);
}

void BM_FingerprintOnly(benchmark::State &state)
{
    run(state, true, true);
}

void BM_GroupDistinctPairs(benchmark::State &state)
{
    run(state, false, false);
}

void BM_GroupCopyPairs(benchmark::State &state)
{
    run(state, true, false);
}

BENCHMARK(BM_FingerprintOnly)
    ->Arg(2000)
    ->Arg(10000)
    ->Arg(200000)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupDistinctPairs)
    ->Arg(2000)
    ->Arg(10000)
    ->Arg(200000)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupCopyPairs)
    ->Arg(2000)
    ->Arg(10000)
    ->Arg(200000)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
