#pragma once

#include <QObject>
#include <QStringList>

class QTextStream;

// The command-line scanner: checks the folders, runs one scan through the
// engine with the saved preferences and prints the groups. It never removes
// anything.
class CliRunner : public QObject {
    Q_OBJECT
public:
    enum ExitStatus { Success = 0, Failure = 1, BadInput = 2 };

    explicit CliRunner(QObject *parent = nullptr);

    // `arguments` as QCoreApplication::arguments() gives them (program first).
    // Groups go to `out`; messages and progress go to `err`, progress only
    // when `progressLine` is true (stderr is a terminal).
    int run(const QStringList &arguments, QTextStream &out, QTextStream &err,
        bool progressLine = false);

    // The folders as absolute clean paths; `problem` names the first one
    // that does not exist or cannot be listed.
    static QStringList checkedFolders(const QStringList &folders, QString *problem);
};
