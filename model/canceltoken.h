#pragma once

#include <atomic>

// The stop of one job (a scan), shared by its tasks and polled between
// items. Set on the GUI thread and read on pool threads, hence atomic; it
// publishes nothing else, so relaxed ordering is enough.
class CancelToken {
public:
    CancelToken() = default;
    CancelToken(const CancelToken &) = delete;
    CancelToken &operator=(const CancelToken &) = delete;

    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

private:
    std::atomic_bool m_cancelled { false };
};
