#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

#include <unistd.h>

#include "app/cli/clirunner.h"
#include "platform/nativepath.h"

namespace {

// stdout carries only the report; diagnostics below warning level are dropped.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("twinscan-cli"));
    qInstallMessageHandler(quietMessages);
    // Scripts read the output: numbers stay as C writes them, whatever the
    // user's language.
    QLocale::setDefault(QLocale::c());

    QCoreApplication::setApplicationVersion(QStringLiteral(TW_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Arguments are file names as much as text: bytes that are not UTF-8
    // are kept, so such a folder can be named.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(NativePath::decode(QByteArray(argv[i])));
    QTextStream in(stdin);
    CliRunner runner;
    runner.setInput(&in, isatty(STDIN_FILENO) != 0);
    return runner.run(arguments, out, err, isatty(STDERR_FILENO) != 0);
}
