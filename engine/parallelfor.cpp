#include "engine/parallelfor.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include <QMutex>
#include <QMutexLocker>
#include <QRunnable>
#include <QThreadPool>
#include <QWaitCondition>

namespace {

// Shared with the helper tasks, which may start after run() returned (the
// caller did all the work); they then find nothing left to claim.
struct Range {
    std::atomic<int> next { 0 };
    int count = 0;
    std::function<void(int)> work;
    QMutex mutex;
    QWaitCondition allDone;
    int done = 0;
};

void workThrough(Range &range)
{
    for (;;) {
        const int index = range.next.fetch_add(1);
        if (index >= range.count)
            return;
        range.work(index);
        QMutexLocker locker(&range.mutex);
        if (++range.done == range.count)
            range.allDone.wakeAll();
    }
}

} // namespace

void ParallelFor::run(QThreadPool *pool, int count, const std::function<void(int)> &work)
{
    if (count <= 0)
        return;
    auto range = std::make_shared<Range>();
    range->count = count;
    range->work = work;
    const int helpers = pool ? std::min(pool->maxThreadCount(), count) - 1 : 0;
    for (int i = 0; i < helpers; ++i)
        pool->start(QRunnable::create([range] { workThrough(*range); }));
    workThrough(*range);
    QMutexLocker locker(&range->mutex);
    while (range->done < range->count)
        range->allDone.wait(&range->mutex);
}
