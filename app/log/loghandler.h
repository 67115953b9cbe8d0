#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

class QMessageLogContext;

// The program's HTML log: every message of the process becomes one
// `<div class="<letter>">` line in an hourly file "<yyyy-MM-dd_hh>_log.html".

// Points the log at the folder `folderName` next to the executable (or under
// the user's data location when that folder cannot be written), creates it,
// keeps only the `maxFiles` files whose names sort last, and installs
// logMessageHandler. Returns false when the folder cannot be made; messages
// then only reach the debugger output.
bool installLogHandler(QString folderName, int maxFiles);

// The installed handler; callable from any thread.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

// The folder the log writes to (empty before installLogHandler).
QString logFolderPath();

// Replaces the clock that stamps the lines and picks the hourly file;
// nullptr restores the local time. Lets tests cross an hour.
using LogClock = QDateTime (*)();
void setLogClock(LogClock clock);

// Message text made safe to place between HTML tags.
QString escapeLogText(const QString &text);
