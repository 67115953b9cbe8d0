#include "debugoutput.h"

#include <atomic>

#include <QByteArray>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::atomic<int> targetDescriptor { -1 };

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
    // One write() per text, so lines of different threads stay whole.
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const auto written = ::write(fd, data, size_t(left));
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
