#include "platform/crashhandler.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

#include <QDateTime>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <dbghelp.h>
#else
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const char kTitle[] = "The program gets crashed.";
const char kText[] = "Please send the crash report to the developer.(%1)";

std::atomic<CrashHandler::Hook> crashHook { nullptr };
std::atomic<long> localOffsetSeconds { 0 };

} // namespace

void CrashHandler::formatStamp(long long seconds, char out[15])
{
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Civil date from a day count (H. Hinnant's algorithm).
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const long long fields[] = { year, month, day, rest / 3600, rest / 60 % 60, rest % 60 };
    const int widths[] = { 4, 2, 2, 2, 2, 2 };
    int pos = 0;
    for (int i = 0; i < 6; ++i) {
        long long value = fields[i];
        for (int digit = widths[i] - 1; digit >= 0; --digit) {
            out[pos + digit] = char('0' + value % 10);
            value /= 10;
        }
        pos += widths[i];
    }
    out[14] = '\0';
}

namespace {

#ifndef Q_OS_WIN

const int kSignals[] = { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT };

void writeText(int fd, const char *text)
{
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = ::write(fd, text, left);
        if (written <= 0)
            return;
        text += written;
        left -= size_t(written);
    }
}

void writeNumber(int fd, long value)
{
    char buffer[24];
    int pos = sizeof(buffer) - 1;
    buffer[pos] = '\0';
    const bool negative = value < 0;
    unsigned long magnitude
        = negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        buffer[--pos] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0 && pos > 1);
    if (negative)
        buffer[--pos] = '-';
    writeText(fd, buffer + pos);
}

const char *signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

void onFatalSignal(int signalNumber, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    char stamp[15];
    CrashHandler::formatStamp(
        static_cast<long long>(::time(nullptr)) + localOffsetSeconds.load(), stamp);
    char path[40] = "log/crash_";
    std::strcat(path, stamp);
    std::strcat(path, ".dmp");

    writeText(STDERR_FILENO, "Soft is Crash!...\n");

    // A missing "log" folder just means no report; the user is still told.
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        writeText(fd, "Signal: ");
        writeNumber(fd, signalNumber);
        writeText(fd, " (");
        writeText(fd, signalName(signalNumber));
        writeText(fd, ")\nCode: ");
        writeNumber(fd, info ? info->si_code : 0);
        writeText(fd, "\nPid: ");
        writeNumber(fd, long(::getpid()));
        writeText(fd, "\nLocal time: ");
        writeText(fd, stamp);
        writeText(fd, "\nBacktrace:\n");
        void *frames[64];
        const int count = ::backtrace(frames, 64);
        ::backtrace_symbols_fd(frames, count, fd);
        ::close(fd);
    }

    writeText(STDERR_FILENO, kTitle);
    writeText(STDERR_FILENO, "\nPlease send the crash report to the developer.(");
    writeText(STDERR_FILENO, path);
    writeText(STDERR_FILENO, ")\n");

    if (const CrashHandler::Hook hook = crashHook.load())
        hook(signalNumber, path);

    // End the way the signal would have ended us: exit status, core dump.
    struct sigaction defaults;
    std::memset(&defaults, 0, sizeof(defaults));
    defaults.sa_handler = SIG_DFL;
    sigemptyset(&defaults.sa_mask);
    ::sigaction(signalNumber, &defaults, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    errno = savedErrno;
    ::raise(signalNumber);
}

#else

LONG WINAPI applicationCrashHandler(EXCEPTION_POINTERS *pointers)
{
    qDebug("Soft is Crash!...");
    const QString path = CrashHandler::dumpPath(QDateTime::currentDateTime());
    const HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_WRITE, 0,
        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION exception;
        exception.ThreadId = GetCurrentThreadId();
        exception.ExceptionPointers = pointers;
        exception.ClientPointers = TRUE;
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
            &exception, nullptr, nullptr);
    }
    const QString text = QString::fromLatin1(kText).arg(path);
    MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(text.utf16()), L"The program gets crashed.",
        MB_OK | MB_ICONERROR);
    return EXCEPTION_EXECUTE_HANDLER;
}

#endif

} // namespace

bool CrashHandler::install()
{
    refreshLocalTimeOffset();
#ifdef Q_OS_WIN
    SetUnhandledExceptionFilter(applicationCrashHandler);
    return true;
#else
    // backtrace() loads its unwinder on first use, which allocates: do that now.
    void *warmUp[1];
    ::backtrace(warmUp, 1);

    // A stack overflow leaves no stack for the handler; the installing (main)
    // thread, where deep recursion is likeliest, gets a spare one.
    static char alternateStack[64 * 1024];
    stack_t stack;
    std::memset(&stack, 0, sizeof(stack));
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof(alternateStack);
    ::sigaltstack(&stack, nullptr);

    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    bool ok = true;
    for (const int signalNumber : kSignals)
        ok = ::sigaction(signalNumber, &action, nullptr) == 0 && ok;
    return ok;
#endif
}

void CrashHandler::setHook(Hook hook)
{
    crashHook.store(hook);
}

void CrashHandler::refreshLocalTimeOffset()
{
    localOffsetSeconds.store(long(QDateTime::currentDateTime().offsetFromUtc()));
}

QString CrashHandler::dumpPath(const QDateTime &localTime)
{
    return QStringLiteral("log/crash_%1.dmp")
        .arg(localTime.toString(QStringLiteral("yyyyMMddhhmmss")));
}

const char *CrashHandler::crashTitle()
{
    return kTitle;
}

const char *CrashHandler::crashText()
{
    return kText;
}
