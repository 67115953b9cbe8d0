#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <mutex>

// A semaphore on decoded bytes: how much pixel data the decoders may hold at
// once, whatever the number of threads. A few small files can declare
// pictures of gigabytes; with a budget they decode one after another instead
// of together. Requests are served in the order they come, so a large one is
// never overtaken for ever by small ones.
class PixelBudget {
public:
    // What the decoders of a scan share: 400 million bytes, about five
    // 24-megapixel photos decoded in full at once.
    static constexpr qint64 DecodingBytes = 400'000'000;

    explicit PixelBudget(qint64 total);
    PixelBudget(const PixelBudget &) = delete;
    PixelBudget &operator=(const PixelBudget &) = delete;

    // The budget every image decoder takes its share from.
    static PixelBudget &decoding();

    // Blocks until `bytes` fit, then takes them; a request above the whole
    // budget waits until nothing else is held and then takes all of it.
    // Returns what was taken, for release().
    qint64 acquire(qint64 bytes);
    void release(qint64 taken);

    qint64 total() const { return m_total; }
    qint64 inUse() const;
    // The most ever held at once, to check the bound.
    qint64 peak() const;

    // Holds a share for its lifetime.
    class Share {
    public:
        Share(PixelBudget &budget, qint64 bytes)
            : m_budget(budget)
            , m_taken(budget.acquire(bytes))
        {
        }
        ~Share() { m_budget.release(m_taken); }
        Share(const Share &) = delete;
        Share &operator=(const Share &) = delete;

    private:
        PixelBudget &m_budget;
        qint64 m_taken;
    };

private:
    const qint64 m_total;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    qint64 m_used = 0;
    qint64 m_peak = 0;
    quint64 m_nextTicket = 0;
    quint64 m_serving = 0;
};
