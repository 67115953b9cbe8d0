#include "platform/debugoutput.h"

#include <atomic>

#include <QByteArray>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::atomic<int> targetDescriptor { -1 };

long long writeSome(int fd, const char *data, long long size)
{
#ifdef Q_OS_WIN
    return ::_write(fd, data, unsigned(size));
#else
    return ::write(fd, data, size_t(size));
#endif
}

} // namespace

void DebugOutput::write(const QString &text)
{
#ifdef Q_OS_WIN
    if (targetDescriptor.load() < 0) {
        OutputDebugStringW(reinterpret_cast<const wchar_t *>(text.utf16()));
        return;
    }
#endif
    const int fd = targetDescriptor.load() >= 0 ? targetDescriptor.load() : 2;
    const QByteArray bytes = text.toUtf8();
    // Usually one write() per text, so lines of different threads stay whole.
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const long long written = writeSome(fd, data, left);
        if (written <= 0)
            return;
        data += written;
        left -= written;
    }
}

void DebugOutput::setDescriptor(int fd)
{
    targetDescriptor.store(fd);
}
