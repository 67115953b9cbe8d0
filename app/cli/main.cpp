#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include <unistd.h>

#include "app/cli/clirunner.h"

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

    QCoreApplication::setApplicationVersion(QStringLiteral(TW_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    CliRunner runner;
    runner.setInput(&in, isatty(STDIN_FILENO) != 0);
    return runner.run(QCoreApplication::arguments(), out, err, isatty(STDERR_FILENO) != 0);
}
