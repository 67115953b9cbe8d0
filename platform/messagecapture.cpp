#include "platform/messagecapture.h"

#include <QStringList>

#include <cstdio>
#include <mutex>

#include <unistd.h>

namespace {

thread_local MessageCapture *current = nullptr;
QtMessageHandler previousHandler = nullptr;

void messageFilter(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (MessageCapture::takeMessage(message))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

#ifdef __GLIBC__
ssize_t writeOutput(void *, const char *bytes, size_t size)
{
    if (MessageCapture::takeOutput(bytes, size))
        return ssize_t(size);
    size_t written = 0;
    while (written < size) {
        const ssize_t step = ::write(STDERR_FILENO, bytes + written, size - written);
        if (step < 0)
            return written > 0 ? ssize_t(written) : -1;
        written += size_t(step);
    }
    return ssize_t(written);
}
#endif

// Once per process: Qt messages pass through the filter, and C's stderr
// becomes a stream that writes to the same descriptor unless the writing
// thread is capturing. The GNU C library lets the stream be replaced; code
// writing to the descriptor itself (the crash report) is not affected.
void installHooks()
{
    static std::once_flag once;
    std::call_once(once, [] {
        previousHandler = qInstallMessageHandler(messageFilter);
#ifdef __GLIBC__
        cookie_io_functions_t functions = {};
        functions.write = writeOutput;
        if (FILE *stream = fopencookie(nullptr, "w", functions)) {
            setvbuf(stream, nullptr, _IONBF, 0);
            fflush(stderr);
            stderr = stream;
        }
#endif
    });
}

} // namespace

MessageCapture::MessageCapture()
    : m_outer(current)
{
    installHooks();
    current = this;
}

MessageCapture::~MessageCapture()
{
    current = m_outer;
}

bool MessageCapture::takeMessage(const QString &message)
{
    if (!current)
        return false;
    current->m_messages.append(message);
    return true;
}

bool MessageCapture::takeOutput(const char *bytes, size_t size)
{
    if (!current)
        return false;
    current->m_output.append(bytes, int(size));
    return true;
}

QString MessageCapture::text() const
{
    QStringList lines = m_messages;
    for (const QByteArray &line : m_output.split('\n'))
        lines.append(QString::fromUtf8(line));
    QStringList kept;
    for (const QString &line : qAsConst(lines)) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !kept.contains(trimmed))
            kept.append(trimmed);
    }
    return kept.join(QStringLiteral("; "));
}
