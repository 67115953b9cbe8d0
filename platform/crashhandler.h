#pragma once

#include <QString>

class QDateTime;

// Turns a fatal signal (or, on Windows, an unhandled exception) into a crash
// report "log/crash_<yyyyMMddhhmmss>.dmp" under the working directory, tells
// the user on the standard error stream, and lets the process end as it would
// have without us (the signal is re-raised with its default action).
//
// Everything the handler does is async-signal-safe: the dump is written with
// open/write, the backtrace with backtrace_symbols_fd, and the local time is
// derived from time() and an offset measured beforehand.
class CrashHandler {
public:
    // Called inside the signal handler after the report is written; it must be
    // async-signal-safe itself (no locks, no allocation, no Qt).
    using Hook = void (*)(int signalNumber, const char *dumpPath);

    static bool install();
    static void setHook(Hook hook);

    // Measures the local time offset again (after a daylight-saving change).
    // Cheap; the log calls it once an hour.
    static void refreshLocalTimeOffset();

    // The dump path for a local time, as the handler builds it.
    static QString dumpPath(const QDateTime &localTime);

    // Writes "yyyyMMddhhmmss" and a terminating zero for a count of seconds
    // since 1970-01-01 00:00 of the same clock; no locale or time zone lookups
    // (those are not signal-safe).
    static void formatStamp(long long seconds, char out[15]);

    static const char *crashTitle();
    static const char *crashText();
};
