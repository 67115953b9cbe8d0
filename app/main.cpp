#include <QApplication>

#include "app/mainwindow.h"
#include "platform/crashhandler.h"
#include "platform/product.h"
#include "resources/twresources.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Product::DesktopId));
    CrashHandler::install();
    initTwResources();

    int exitCode = 0;
    {
        // The window goes before the application object does.
        MainWindow window;
        window.show();
        exitCode = application.exec();
    }
    return exitCode;
}
