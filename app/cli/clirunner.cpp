#include "app/cli/clirunner.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

#include "app/cli/clireport.h"
#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
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

QStringList CliRunner::checkedFolders(const QStringList &folders, QString *problem)
{
    QStringList checked;
    for (const QString &folder : folders) {
        const QFileInfo info(folder);
        if (!info.exists()) {
            *problem = QStringLiteral("%1: no such folder").arg(folder);
            return QStringList();
        }
        if (!info.isDir()) {
            *problem = QStringLiteral("%1: not a folder").arg(folder);
            return QStringList();
        }
        if (!info.isReadable() || !info.isExecutable()) {
            *problem = QStringLiteral("%1: the folder cannot be read").arg(folder);
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
                       "Nothing is ever removed."));
    parser.addHelpOption();
    const QCommandLineOption preferencesOption(QStringLiteral("preferences"),
        QStringLiteral("Read the settings from <file> instead of the saved preferences."),
        QStringLiteral("file"));
    const QCommandLineOption noSimilarOption(
        QStringLiteral("no-similar"), QStringLiteral("Skip the similar-image pass."));
    const QCommandLineOption methodOption(QStringLiteral("similar-method"),
        QStringLiteral("Compare images by <method>: accurate or classic (default: the saved "
                       "setting, else accurate)."),
        QStringLiteral("method"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"), QStringLiteral("Print one JSON document."));
    // Kept for measuring: the slower way of fingerprinting under the lock.
    const QCommandLineOption lockedOption(
        QStringLiteral("hash-under-lock"), QStringLiteral("Read files under the result's lock."));
    const QCommandLineOption timingsOption(
        QStringLiteral("timings"), QStringLiteral("Print how long each phase took."));
    parser.addOptions(
        { preferencesOption, noSimilarOption, methodOption, jsonOption, lockedOption, timingsOption });
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
        connect(&engine, &ScanEngine::filesFound, this, [&err](qlonglong count, const QString &) {
            if (count % 256 == 0) {
                err << "\rFiles found: " << count;
                err.flush();
            }
        });
        connect(&engine, &ScanEngine::progressChanged, this, [&err](int sum, double total) {
            const double percent = total > 0 ? sum / total * 100.0 : 100.0;
            err << "\rFiles Scanned  " << QString::number(percent, 'f', 2) << "%   ";
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
    if (!engine.BeginScanCatalogue(folders, settings)) {
        err << "twinscan-cli: the scan could not start\n";
        err.flush();
        return Failure;
    }
    loop.exec();
    if (progressLine) {
        err << "\n";
        err.flush();
    }

    const TwSearchResult &result = *engine.searchResult();
    if (parser.isSet(jsonOption))
        CliReport::writeJson(result, out);
    else
        out << CliReport::text(result);
    out.flush();
    err << result.numberOfDuplicateFiles() << " duplicate files, "
        << TwSearchResult::sizeText(result.bytesOfDuplicateFiles()) << "\n";
    err.flush();
    return stopped ? Failure : Success;
}
