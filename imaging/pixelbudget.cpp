#include "imaging/pixelbudget.h"

#include <algorithm>

PixelBudget::PixelBudget(qint64 total)
    : m_total(std::max<qint64>(total, 1))
{
}

PixelBudget &PixelBudget::decoding()
{
    static PixelBudget budget(DecodingBytes);
    return budget;
}

qint64 PixelBudget::acquire(qint64 bytes)
{
    const qint64 wanted = std::clamp<qint64>(bytes, 0, m_total);
    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 ticket = m_nextTicket++;
    m_changed.wait(lock, [&] { return ticket == m_serving && m_used + wanted <= m_total; });
    ++m_serving;
    m_used += wanted;
    m_peak = std::max(m_peak, m_used);
    lock.unlock();
    // The next in line may fit as well.
    m_changed.notify_all();
    return wanted;
}

void PixelBudget::release(qint64 taken)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_used -= taken;
    }
    m_changed.notify_all();
}

qint64 PixelBudget::inUse() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_used;
}

qint64 PixelBudget::peak() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peak;
}
