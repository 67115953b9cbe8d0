#include <QApplication>

#include "app/log/loghandler.h"
#include "app/log/startupdiagnostics.h"
#include "app/mainwindow.h"
#include "app/qupdateprompt.h"
#include "platform/crashhandler.h"
#include "platform/product.h"
#include "resources/twresources.h"
#include "translations/apptranslator.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Product::DesktopId));
    CrashHandler::install();
    initTwResources();
    // The process's own services start here, not in a window: a window built
    // by a test or the screenshot tool must not log to files or go online.
    installLogHandler(QStringLiteral("Log"), 100);
    StartupDiagnostics::run();
    // Before the first window: texts are read when widgets are built. The
    // language is the system's; LANGUAGE=de or LC_ALL=de_DE.UTF-8 chooses one.
    AppTranslator::install(AppTranslator::chosenLocale());

    int exitCode = 0;
    {
        // The window goes before the application object does.
        MainWindow window;
        window.show();
        QUpdatePrompt::checkUpdate(&window);
        exitCode = application.exec();
    }
    return exitCode;
}
