#pragma once

#include <QObject>
#include <QStringList>

class CliActions;
class QTextStream;
class ScanSettings;
class TwSearchResult;

// The command-line scanner: checks the folders, runs one scan through the
// engine with the saved preferences and prints the groups; with an action
// given, hands the selected files to CliActions.
class CliRunner : public QObject {
    Q_OBJECT
public:
    enum ExitStatus { Success = 0, Failure = 1, BadInput = 2, NotConfirmed = 3, KeptChanged = 4 };

    explicit CliRunner(QObject *parent = nullptr);

    // Where the answer to the confirmation comes from; without a terminal
    // there (the default), an action needs --yes.
    void setInput(QTextStream *in, bool isTerminal);

    // `arguments` as QCoreApplication::arguments() gives them (program first).
    // Groups go to `out`; messages and progress go to `err`, progress only
    // when `progressLine` is true (stderr is a terminal).
    int run(const QStringList &arguments, QTextStream &out, QTextStream &err,
        bool progressLine = false);

    // The folders as absolute clean paths; `problem` names the first one
    // that does not exist or cannot be listed.
    static QStringList checkedFolders(const QStringList &folders, QString *problem);

private:
    int act(CliActions &actions, TwSearchResult &result, const QStringList &folders,
        const ScanSettings &settings, QTextStream &err);

    QTextStream *m_in = nullptr;
    bool m_inIsTerminal = false;
};
