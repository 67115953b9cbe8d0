// The main window in each of its states.

#include <QApplication>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QWidget>

#include "app/mainwindow.h"
#include "engine/scanengine.h"
#include "results/resultform.h"
#include "tools/screenshots/screenshotcontext.h"
#include "tools/screenshots/screenshotregistry.h"

namespace {

MainWindow *newMainWindow(ScreenshotContext &context)
{
    auto *window = new MainWindow;
    context.keep(window);
    window->show();
    return window;
}

void addFolders(ScreenshotContext &context, MainWindow *window, const QStringList &names)
{
    for (const QString &name : names)
        window->appendFolder(context.makeFolder(name));
}

// Two identical photos and a lone document, enough for a finding.
void writeDuplicates(ScreenshotContext &context, const QString &folder)
{
    QByteArray photo(64 * 1024, '\0');
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char((i * 31) % 251);
    context.writeFile(folder + "/holiday.dat", photo);
    context.writeFile(folder + "/copy of holiday.dat", photo);
    context.writeFile(folder + "/notes.txt", "a single file");
}

bool waitForEnd(MainWindow *window)
{
    return ScreenshotContext::waitUntil([window] {
        return window->scanState() == MainWindow::ResultsReady
            || window->scanState() == MainWindow::NoResults;
    });
}

// A stand-in that shows a picture taken mid-scan, once the scan has ended.
QWidget *frozenPicture(ScreenshotContext &context, const QPixmap &picture)
{
    auto *frozen = new QWidget;
    frozen->setFixedSize(picture.size());
    frozen->setAutoFillBackground(true);
    QPalette palette = frozen->palette();
    palette.setBrush(QPalette::Window, picture);
    frozen->setPalette(palette);
    context.keep(frozen);
    return frozen;
}

} // namespace

TW_SCREENSHOT(main_empty)
{
    return newMainWindow(context);
}

TW_SCREENSHOT(main_folders_added)
{
    MainWindow *window = newMainWindow(context);
    addFolders(context, window, { "Photos", "Documents" });
    return window;
}

TW_SCREENSHOT(main_folders_paging)
{
    MainWindow *window = newMainWindow(context);
    addFolders(context, window, { "Photos", "Documents", "Music", "Downloads", "Videos" });
    window->findChild<QPushButton *>("btn_pre")->click();
    return window;
}

TW_SCREENSHOT(main_scanning)
{
    MainWindow *window = newMainWindow(context);
    addFolders(context, window, { "Photos" });
    window->on_btn_scan_clicked();
    // Figures of a scan well under way; the picture is taken before the
    // real (tiny) scan reports anything.
    window->onAddScanFile(18342, QString());
    window->onSearchProgress(6875, 10000);
    window->numberOfDuplicateFilesChanged(264);
    window->bytesOfDuplicateFilesChanged(qlonglong(1.73 * 1024 * 1024 * 1024));
    const QPixmap picture = window->grab();
    waitForEnd(window);
    return frozenPicture(context, picture);
}

// Early in a walk of a large tree: files found and the folder being read,
// nothing compared yet.
TW_SCREENSHOT(main_walking)
{
    MainWindow *window = newMainWindow(context);
    const QString photos = context.makeFolder("Photos");
    addFolders(context, window, { "Photos" });
    window->on_btn_scan_clicked();
    window->onAddScanFile(412337, QString());
    window->onReadingFolder(
        photos + "/2019/Family archive from the old laptop/Summer holiday by the sea/raw");
    const QPixmap picture = window->grab();
    waitForEnd(window);
    return frozenPicture(context, picture);
}

TW_SCREENSHOT(main_results_ready)
{
    MainWindow *window = newMainWindow(context);
    const QString folder = context.makeFolder("Photos");
    writeDuplicates(context, "Photos");
    window->appendFolder(folder);
    window->on_btn_scan_clicked();
    if (!waitForEnd(window))
        return nullptr;
    // The results window opened by itself; come back as the user would.
    if (ResultForm *results = window->resultWindow())
        results->close();
    ScreenshotContext::waitUntil([window] { return window->isVisible(); }, 5000);
    return window;
}

TW_SCREENSHOT(main_no_duplicates)
{
    MainWindow *window = newMainWindow(context);
    addFolders(context, window, { "Empty" });
    window->on_btn_scan_clicked();
    if (!waitForEnd(window))
        return nullptr;
    return window;
}

TW_SCREENSHOT(main_system_menu)
{
    MainWindow *window = newMainWindow(context);
    QMenu *menu = window->systemMenu();
    menu->popup(window->mapToGlobal(QPoint(420, 50)));
    ScreenshotContext::settle();
    return menu;
}

TW_SCREENSHOT(main_drag_over)
{
    MainWindow *window = newMainWindow(context);
    // The mime data must outlive the picture: the window only looks at it.
    auto *mime = new QMimeData;
    mime->setParent(window);
    mime->setUrls({ QUrl::fromLocalFile(context.makeFolder("Dropped")) });
    QDragEnterEvent enter(
        QPoint(300, 200), Qt::CopyAction | Qt::LinkAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    return window;
}
