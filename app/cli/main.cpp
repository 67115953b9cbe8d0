#include <QCoreApplication>
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

    QTextStream out(stdout);
    QTextStream err(stderr);
    // Arguments are file names as much as text: bytes that are not UTF-8
    // are kept, so such a folder can be named.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(NativePath::decode(QByteArray(argv[i])));
    CliRunner runner;
    return runner.run(arguments, out, err, isatty(STDERR_FILENO) != 0);
}
