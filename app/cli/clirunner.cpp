#include "app/cli/clirunner.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

#include "app/cli/cliactions.h"
#include "app/cli/clireport.h"
#include "engine/resultwriter.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "platform/nativepath.h"
#include "preferences/similarmethodsetting.h"
#include "preferences/twpreferences.h"

namespace {

// The process's peak resident memory so far, for the phase timings.
qint64 peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

CliRunner::CliRunner(QObject *parent)
    : QObject(parent)
{
}

void CliRunner::setInput(QTextStream *in, bool isTerminal)
{
    m_in = in;
    m_inIsTerminal = in && isTerminal;
}

QStringList CliRunner::checkedFolders(const QStringList &folders, QString *problem)
{
    QStringList checked;
    for (const QString &folder : folders) {
        const QFileInfo info(folder);
        const QString shown = NativePath::escapedText(folder);
        if (!info.exists()) {
            *problem = QStringLiteral("%1: no such folder").arg(shown);
            return QStringList();
        }
        if (!info.isDir()) {
            *problem = QStringLiteral("%1: not a folder").arg(shown);
            return QStringList();
        }
        if (!info.isReadable() || !info.isExecutable()) {
            *problem = QStringLiteral("%1: the folder cannot be read").arg(shown);
            return QStringList();
        }
        checked.append(QDir::cleanPath(info.absoluteFilePath()));
    }
    return checked;
}

int CliRunner::run(
    const QStringList &arguments, QTextStream &out, QTextStream &err, bool progressLine)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Finds duplicate files and similar images and lists them by group.\n"
                       "Nothing is changed unless an action is given; actions apply to the\n"
                       "automatically selected copies of exact groups.\n"
                       "\n"
                       "Exit status: 0 done; 1 the scan could not start or was stopped, or an\n"
                       "action failed on a file; 2 wrong command line or folder; 3 an action was\n"
                       "not confirmed, nothing changed; 4 done, but files that changed since the\n"
                       "scan were kept."));
    parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption preferencesOption(QStringLiteral("preferences"),
        QStringLiteral("Read the settings from <file> instead of the saved preferences."),
        QStringLiteral("file"));
    const QCommandLineOption noSimilarOption(
        QStringLiteral("no-similar"), QStringLiteral("Skip the similar-image pass."));
    const QCommandLineOption methodOption(QStringLiteral("similar-method"),
        QStringLiteral("Compare images by <method>: accurate or classic (default: the saved "
                       "setting, else accurate)."),
        QStringLiteral("method"));
    const QCommandLineOption noCacheOption(QStringLiteral("no-cache"),
        QStringLiteral("Neither read nor write the cache of earlier scans."));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"), QStringLiteral("Print one JSON document."));
    // Kept for measuring: the slower way of fingerprinting under the lock.
    const QCommandLineOption lockedOption(
        QStringLiteral("hash-under-lock"), QStringLiteral("Read files under the result's lock."));
    const QCommandLineOption timingsOption(
        QStringLiteral("timings"), QStringLiteral("Print how long each phase took."));
    parser.addOptions({ preferencesOption, noSimilarOption, methodOption, noCacheOption, jsonOption,
        lockedOption, timingsOption });
    parser.addOptions(CliActions::options());
    parser.addPositionalArgument(
        QStringLiteral("folder"), QStringLiteral("Folders to scan."), QStringLiteral("FOLDER..."));

    if (!parser.parse(arguments)) {
        err << parser.errorText() << "\n";
        err.flush();
        return BadInput;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        out.flush();
        return Success;
    }
    if (parser.isSet(versionOption)) {
        out << QCoreApplication::applicationName() << " " << QStringLiteral(TW_VERSION) << "\n";
        out.flush();
        return Success;
    }
    CliActions actions;
    QString actionProblem;
    if (!actions.configure(parser, &actionProblem)) {
        err << "twinscan-cli: " << actionProblem << "\n";
        err.flush();
        return BadInput;
    }
    if (parser.positionalArguments().isEmpty()) {
        err << "twinscan-cli: no folder given\n" << parser.helpText();
        err.flush();
        return BadInput;
    }

    SimilarMethodSetting::Method method = SimilarMethodSetting::load();
    if (parser.isSet(methodOption)
        && !SimilarMethodSetting::parse(parser.value(methodOption), &method)) {
        err << "twinscan-cli: " << parser.value(methodOption)
            << ": unknown similar-image method (accurate or classic)\n";
        err.flush();
        return BadInput;
    }

    QString problem;
    const QStringList folders = checkedFolders(parser.positionalArguments(), &problem);
    if (folders.isEmpty()) {
        err << "twinscan-cli: " << problem << "\n";
        err.flush();
        return BadInput;
    }

    if (parser.isSet(preferencesOption)) {
        const QString file = parser.value(preferencesOption);
        if (!QFileInfo(file).isFile()) {
            err << "twinscan-cli: " << file << ": no such preferences file\n";
            err.flush();
            return BadInput;
        }
        TwPreferences::setFilePath(file);
        TwPreferences::instance()->load(file);
    }

    ScanEngine engine;
    engine.setSimilarPassEnabled(!parser.isSet(noSimilarOption));
    engine.searchResult()->setHashOutsideLock(!parser.isSet(lockedOption));

    if (progressLine) {
        // The engine reports the walk at most ten times a second.
        connect(&engine, &ScanEngine::filesFound, this, [&err](qlonglong count, const QString &) {
            err << "\rFiles found: " << count;
            err.flush();
        });
        connect(&engine, &ScanEngine::progressFractionChanged, this, [&err](double fraction) {
            err << "\rFiles Scanned  " << QString::number(fraction * 100.0, 'f', 2) << "%   ";
            err.flush();
        });
    }

    if (parser.isSet(timingsOption)) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        connect(&engine, &ScanEngine::phaseChanged, this, [&err, clock](ScanEngine::Phase phase) {
            err << "phase " << int(phase) << " at " << clock->elapsed() << " ms, "
                << peakMemoryKiB() << " KiB peak\n";
            err.flush();
        });
    }

    QEventLoop loop;
    bool stopped = false;
    connect(&engine, &ScanEngine::scanEnded, &loop, [&](bool userStop, bool, qint64) {
        stopped = userStop;
        loop.quit();
    });
    ScanSettings settings = ScanSettings::fromPreferences(*TwPreferences::instance());
    settings.similarMethod = method;
    if (parser.isSet(noCacheOption))
        settings.cacheEnabled = false;
    if (!engine.BeginScanCatalogue(folders, settings)) {
        err << "twinscan-cli: the scan could not start\n";
        err.flush();
        return Failure;
    }
    loop.exec();
    if (parser.isSet(timingsOption) && engine.fileCache())
        err << "cache: " << engine.fileCache()->hits() << " answered, "
            << engine.fileCache()->misses() << " computed\n";
    if (progressLine) {
        err << "\n";
        err.flush();
    }

    TwSearchResult &result = *engine.searchResult();
    if (parser.isSet(jsonOption))
        ResultWriter::writeJson(result, out);
    else
        CliReport::write(result, out);
    out.flush();
    err << result.numberOfDuplicateFiles() << " duplicate files, "
        << TwSearchResult::sizeText(result.bytesOfDuplicateFiles()) << "\n";
    err << engine.skipCounts().summary() << "\n";
    err.flush();
    if (stopped)
        return Failure;
    return actions.hasAction() ? act(actions, result, engine.scannedFolders(), settings, err)
                               : Success;
}

int CliRunner::act(CliActions &actions, TwSearchResult &result, const QStringList &folders,
    const ScanSettings &settings, QTextStream &err)
{
    actions.plan(result, folders, settings);
    if (actions.plannedCount() == 0) {
        err << "Nothing selected to act on.\n";
        err.flush();
        return Success;
    }
    if (actions.needsConfirmation()) {
        if (!m_inIsTerminal) {
            err << "twinscan-cli: nothing done: standard input is not a terminal to ask on;"
                   " give --yes to act without asking\n";
            err.flush();
            return NotConfirmed;
        }
        if (!actions.confirm(*m_in, err)) {
            err << "Nothing done.\n";
            err.flush();
            return NotConfirmed;
        }
    }
    const CliActions::Summary summary = actions.run(err);
    err << actions.summaryText(summary) << "\n";
    err.flush();
    if (summary.failed > 0)
        return Failure;
    return summary.keptChanged > 0 ? KeptChanged : Success;
}
