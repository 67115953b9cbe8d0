#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <QStringList>

// Named pipes put where code expects files. Code that opens one the usual way
// blocks until a writer comes; the helpers below let a test see that as a
// failure instead of hanging.
namespace Fifo {

inline bool make(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Opens and closes the write end: a reader blocked in open() goes on and then
// reads the end of the stream.
inline void release(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
}

// Runs `work` on a thread of its own. True when it ended within `timeout`;
// otherwise the pipes are released until it ends, and the result is false.
inline bool finishesWithin(
    std::chrono::milliseconds timeout, const QStringList &pipes, const std::function<void()> &work)
{
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    const bool inTime = done.wait_for(timeout) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        for (const QString &pipe : pipes)
            release(pipe);
    }
    runner.join();
    return inTime;
}

} // namespace Fifo
