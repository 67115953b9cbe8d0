// twinscan-screenshots OUTDIR [STATE...]: renders the windows of the program
// offscreen, one PNG per state, named after the state.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>

#include "platform/appsettings.h"
#include "preferences/twpreferences.h"
#include "resources/twresources.h"
#include "tools/screenshots/screenshotcontext.h"
#include "tools/screenshots/screenshotregistry.h"
#include "widgets/desktopprompts.h"

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        err << "usage: twinscan-screenshots OUTDIR [STATE...]\nstates:";
        for (const auto &entry : ScreenshotRegistry::entries())
            err << ' ' << entry.name;
        err << '\n';
        return 2;
    }
    const QString outDir = args.at(1);
    const QStringList wanted = args.mid(2);
    if (!QDir().mkpath(outDir)) {
        err << "cannot create " << outDir << '\n';
        return 1;
    }

    initTwResources();
    // Nothing the pictures need may reach the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settingsDir;
    TwPreferences::setFilePath(settingsDir.filePath(QStringLiteral("preferences.cfg")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    // No message box, picker or browser may interrupt a picture.
    DesktopPrompts::setOverride(
        [](const DesktopPrompts::Request &) { return DesktopPrompts::Answer(); });

    int failures = 0;
    for (const auto &entry : ScreenshotRegistry::entries()) {
        if (!wanted.isEmpty() && !wanted.contains(entry.name))
            continue;
        // Every picture starts from a first start: no remembered window.
        AppSettings::open()->clear();
        ScreenshotContext context;
        QWidget *widget = entry.build(context);
        if (!widget) {
            err << entry.name << ": not built\n";
            ++failures;
            continue;
        }
        ScreenshotContext::settle();
        const QString file = QDir(outDir).filePath(entry.name + QStringLiteral(".png"));
        if (!widget->grab().save(file)) {
            err << entry.name << ": cannot write " << file << '\n';
            ++failures;
            continue;
        }
        err << file << '\n';
    }
    return failures == 0 ? 0 : 1;
}
