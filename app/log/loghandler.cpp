#include "app/log/loghandler.h"

#include <atomic>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include "app/log/logheader.h"
#include "platform/applocations.h"
#include "platform/crashhandler.h"
#include "platform/debugoutput.h"

namespace {

const char kTypeLetters[] = "dwcfi";
// After this many characters the file is closed and reopened before the next
// line, so that a crash or a killed process loses nothing that was logged.
const qint64 kReopenCharacters = 512;

struct LogState {
    QMutex mutex;
    QString folder;
    int maxFiles = 0;
    QFile file;
    QString currentName;
    qint64 characters = 0;
};

// Messages can arrive while static objects are destroyed; the global static
// reports that instead of handing out a dead object.
Q_GLOBAL_STATIC(LogState, logState)

std::atomic<LogClock> logClock { nullptr };

QDateTime now()
{
    const LogClock clock = logClock.load();
    return clock ? clock() : QDateTime::currentDateTime();
}

void openForAppend(QFile &file)
{
    file.open(QIODevice::WriteOnly | QIODevice::Append);
}

void writeLine(LogState &state, const QString &fileName, const QString &line)
{
    if (fileName != state.currentName) {
        state.file.close();
        state.currentName = fileName;
        state.file.setFileName(fileName);
        const bool existed = QFile::exists(fileName);
        openForAppend(state.file);
        if (!existed && state.file.isOpen())
            state.file.write((logHtmlHeader() + QStringLiteral("\r\n")).toUtf8());
        // A new hour is also when a daylight-saving change shows.
        CrashHandler::refreshLocalTimeOffset();
    }
    if (state.file.isOpen()) {
        state.file.write(line.toUtf8());
        state.file.flush();
    }
    state.characters += line.size();
    if (state.characters >= kReopenCharacters) {
        state.file.close();
        openForAppend(state.file);
    }
}

} // namespace

bool installLogHandler(QString folderName, int maxFiles)
{
    LogState *state = logState();
    const QString folder = AppLocations::dataFolder(folderName);
    {
        // Set before the handler goes in, so no message sees an empty folder.
        QMutexLocker locker(&state->mutex);
        state->folder = folder;
        state->maxFiles = maxFiles;
    }
    qInstallMessageHandler(logMessageHandler);

    QDir dir(folder);
    if (!dir.exists() && !dir.mkpath(QStringLiteral("."))) {
        qWarning() << Q_FUNC_INFO << "cannot create" << folder;
        return false;
    }
    QStringList files = dir.entryList(QDir::Files, QDir::Name);
    while (files.size() > maxFiles) {
        QFile::remove(dir.filePath(files.first()));
        files.removeFirst();
    }
    return true;
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Q_UNUSED(context)
    // A message raised while writing one (a file warning) must not wait for
    // the lock this thread already holds.
    static thread_local bool writing = false;

    const QDateTime time = now();
    const QString hour = time.toString(QStringLiteral("yyyy-MM-dd_hh"));
    const QString stamp = time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    const int index = (type >= 0 && type < 5) ? int(type) : 0;
    const QString line = QStringLiteral("<div class=\"%1\">%2</div>\r\n")
                             .arg(QString(QLatin1Char(kTypeLetters[index])),
                                 stamp + QLatin1Char(' ') + escapeLogText(message));

    LogState *state = logState.isDestroyed() ? nullptr : logState();
    if (state && !writing) {
        writing = true;
        QMutexLocker locker(&state->mutex);
        if (!state->folder.isEmpty())
            writeLine(*state, state->folder + QLatin1Char('/') + hour + QStringLiteral("_log.html"),
                line);
        writing = false;
    }

    DebugOutput::write(stamp + QLatin1Char(' ') + message + QStringLiteral("\r\n"));
}

QString logFolderPath()
{
    if (logState.isDestroyed())
        return QString();
    QMutexLocker locker(&logState()->mutex);
    return logState()->folder;
}

void setLogClock(LogClock clock)
{
    logClock.store(clock);
}

QString escapeLogText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('&'))
            escaped += QStringLiteral("&amp;");
        else if (c == QLatin1Char('<'))
            escaped += QStringLiteral("&lt;");
        else if (c == QLatin1Char('>'))
            escaped += QStringLiteral("&gt;");
        else
            escaped += c;
    }
    return escaped;
}
