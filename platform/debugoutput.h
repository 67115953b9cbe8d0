#pragma once

#include <QString>

// The platform's debugger channel: OutputDebugStringW on Windows, the
// standard error stream elsewhere. Safe to call from any thread.
class DebugOutput {
public:
    static void write(const QString &text);

    // Sends the text to another descriptor instead of standard error (-1
    // restores it); lets tests read what was written.
    static void setDescriptor(int fd);
};
