#pragma once

#include <functional>

class QThreadPool;

// Runs a function for every index of a range on the threads of a pool and on
// the calling thread, which takes its share too: so it also finishes when
// called from a task of the same pool, even a pool of one thread.
class ParallelFor {
public:
    // Returns once `work` has run for every index in [0, count). The order in
    // which indices run is unspecified; `work` must only write what belongs
    // to its index.
    static void run(QThreadPool *pool, int count, const std::function<void(int)> &work);
};
