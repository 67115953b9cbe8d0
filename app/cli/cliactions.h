#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include "app/cli/cliscript.h"
#include "model/removalplan.h"

class QCommandLineParser;
class QTextStream;
class TwFileItem;
class TwSearchResult;

// What the command-line program does with the files the automatic selection
// marked after a scan: trash, delete, move below a folder, replace by hard
// links, or write a script that removes them. Acts on exact copies only
// unless similar images are asked for; re-checks every file against the scan
// right before touching it and never touches the last member of a group.
class CliActions {
public:
    enum class Action { None, Trash, Delete, MoveTo, Link, Script };

    struct Summary {
        int actedOn = 0;
        qint64 bytesFreed = 0;
        int keptChanged = 0;
        int failed = 0;
    };

    // The options of the actions, for the runner's parser.
    static QList<QCommandLineOption> options();
    // Reads the action from a parsed command line; false with `problem` set
    // for two actions at once or a combination that could lose data.
    bool configure(const QCommandLineParser &parser, QString *problem);

    Action action() const { return m_action; }
    bool hasAction() const { return m_action != Action::None; }
    // Writing a script changes no scanned file, so it needs no confirmation.
    bool needsConfirmation() const { return hasAction() && m_action != Action::Script && !m_yes; }

    // Collects the selected files of the groups the action applies to.
    // `scannedFolders` are those the scan walked (for the structure kept
    // below --move-to).
    void plan(
        TwSearchResult &result, const QStringList &scannedFolders, const ScanSettings &settings);
    int plannedCount() const { return m_targets.size(); }
    qint64 plannedBytes() const;

    // The question put before acting, e.g. "Delete 3 selected files (1.20 KB) permanently?".
    QString question() const;
    // Asks `question()` on `err` and reads the answer from `in`; true only
    // for "y" or "yes".
    bool confirm(QTextStream &in, QTextStream &err) const;

    // Acts on every planned file, telling `err` of every file kept or failed.
    Summary run(QTextStream &err);
    QString summaryText(const Summary &summary) const;

    // Where --move-to puts `path`: below `targetFolder`, under the name of
    // the scanned folder holding it, then its folders below that one.
    static QString moveDestination(
        const QString &path, const QStringList &scannedFolders, const QString &targetFolder);

private:
    struct Target {
        TwFileItem *item = nullptr;
        TwFileItemGroup *group = nullptr;
        // The member that stays, of the same content where there is one.
        TwFileItem *kept = nullptr;
    };

    bool otherMemberLeft(const Target &target) const;
    bool stillAsScanned(const Target &target) const;
    bool sharesItsFile(const Target &target) const;
    bool act(const Target &target, QString *reason);
    static TwFileItem *keptFor(const TwFileItem *item, const TwFileItemGroup *group);

    Action m_action = Action::None;
    QString m_target;
    bool m_includeSimilar = false;
    bool m_yes = false;
    QStringList m_scannedFolders;
    RemovalPlan m_plan;
    QVector<Target> m_targets;
    // Members this run already removed, moved or linked.
    QSet<const TwFileItem *> m_done;
    CliScript m_script;
};
