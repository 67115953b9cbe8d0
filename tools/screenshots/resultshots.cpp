// The results window in each of its states, on a real scan of a generated folder.

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QTableView>

#include <memory>

#include "engine/scanengine.h"
#include "engine/twsearchresult.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitem.h"
#include "model/twfileitemgroup.h"
#include "preferences/twpreferences.h"
#include "results/imagelistmodel.h"
#include "results/imagelistview.h"
#include "results/previewpane.h"
#include "results/removalconfirmdialog.h"
#include "results/resultform.h"
#include "tools/screenshots/screenshotcontext.h"
#include "tools/screenshots/screenshotregistry.h"
#include "widgets/desktopprompts.h"

namespace {

// A small landscape: the seed picks the colours and the shapes, so the same
// seed at another size is a look-alike rather than a copy.
QImage drawLandscape(quint32 seed, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size.width() / 640.0, size.height() / 480.0);
    QRandomGenerator random(seed);
    const int hue = random.bounded(360);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor::fromHsv(hue, 140, 250));
    sky.setColorAt(1, QColor::fromHsv((hue + 30) % 360, 50, 255));
    painter.fillRect(QRect(0, 0, 640, 480), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 236, 160));
    painter.drawEllipse(QPoint(120 + random.bounded(400), 70 + random.bounded(80)), 42, 42);
    for (int layer = 0; layer < 3; ++layer) {
        QPainterPath hill;
        const int base = 250 + layer * 70;
        hill.moveTo(0, 480);
        hill.lineTo(0, base);
        for (int x = 0; x <= 640; x += 80)
            hill.lineTo(x, base - random.bounded(90));
        hill.lineTo(640, 480);
        painter.setBrush(
            QColor::fromHsv((hue + 120 + layer * 15) % 360, 110 + layer * 40, 170 - layer * 40));
        painter.drawPath(hill);
    }
    for (int i = 0; i < 14; ++i) {
        const int x = random.bounded(620);
        const int y = 330 + random.bounded(120);
        painter.setBrush(QColor(60, 40, 30));
        painter.drawRect(x + 6, y, 6, 22);
        painter.setBrush(QColor::fromHsv(100 + random.bounded(40), 160, 90 + random.bounded(60)));
        painter.drawEllipse(QPoint(x + 9, y - 4), 14, 18);
    }
    return image;
}

QByteArray filler(char seed, int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((seed * 131 + i * 17 + i / 7) & 0xff);
    return data;
}

void writeCopies(ScreenshotContext &context, const QStringList &paths, const QByteArray &content)
{
    for (const QString &path : paths)
        context.writeFile(QStringLiteral("Library/") + path, content);
}

void savePicture(ScreenshotContext &context, const QString &path, const QImage &image,
    const char *format = nullptr, int quality = -1)
{
    const QString target = context.root() + QStringLiteral("/Library/") + path;
    context.makeFolder(QStringLiteral("Library/") + path.section(QLatin1Char('/'), 0, -2));
    image.save(target, format, quality);
}

// Photos with copies and look-alikes, documents, music, video, archives and
// packages: every category of the window has something to show.
void writeLibrary(ScreenshotContext &context)
{
    const char *trips[] = { "Beach", "Mountains", "Lake", "Forest", "Desert", "Harbour" };
    for (int i = 0; i < 6; ++i) {
        const QImage photo = drawLandscape(quint32(11 + i), QSize(640, 480));
        const QString name = QStringLiteral("%1_%2.jpg").arg(trips[i]).arg(2019 + i);
        savePicture(context, QStringLiteral("Photos/") + name, photo, "JPG", 90);
        savePicture(context, QStringLiteral("Backup/Photos/") + name, photo, "JPG", 90);
        if (i % 2 == 0)
            savePicture(context, QStringLiteral("Phone/DCIM/") + name, photo, "JPG", 90);
    }
    for (int i = 0; i < 4; ++i) {
        const quint32 seed = quint32(40 + i);
        savePicture(context, QStringLiteral("Camera/IMG_%1.jpg").arg(1040 + i),
            drawLandscape(seed, QSize(800, 600)), "JPG", 92);
        savePicture(context, QStringLiteral("Shared/IMG_%1_small.jpg").arg(1040 + i),
            drawLandscape(seed, QSize(560, 420)), "JPG", 80);
    }
    // A wallpaper that ended up in many folders: the largest group.
    const QImage wallpaper = drawLandscape(5, QSize(640, 400));
    for (const char *place : { "Pictures", "Desktop", "Downloads", "Backup/Pictures",
             "Phone/Pictures", "Old laptop/Pictures", "Shared/Family" })
        savePicture(
            context, QStringLiteral("%1/Wallpaper.png").arg(QLatin1String(place)), wallpaper);
    const QImage shot = drawLandscape(77, QSize(400, 300));
    savePicture(context, QStringLiteral("Screens/panorama.png"), shot);
    savePicture(context, QStringLiteral("Screens/old/panorama.png"), shot);

    writeCopies(context,
        { "Documents/Annual report 2023.pdf", "Downloads/Annual report 2023.pdf",
            "Desktop/Annual report 2023 (1).pdf" },
        filler('a', 420 * 1024));
    writeCopies(context, { "Documents/Budget.xlsx", "Backup/Budget.xlsx" }, filler('b', 96 * 1024));
    writeCopies(
        context, { "Documents/Letter.docx", "Desktop/Letter copy.docx" }, filler('c', 28 * 1024));
    writeCopies(context, { "Music/Evening Walk.mp3", "Downloads/Evening Walk.mp3" },
        filler('d', 3 * 1024 * 1024 + 1234));
    writeCopies(context, { "Music/Morning Song.flac", "Backup/Music/Morning Song.flac" },
        filler('e', 5 * 1024 * 1024));
    writeCopies(context, { "Videos/Birthday.mp4", "Phone/Videos/Birthday.mp4" },
        filler('f', 8 * 1024 * 1024));
    writeCopies(
        context, { "Downloads/photos.zip", "Backup/photos.zip" }, filler('g', 2 * 1024 * 1024));
    writeCopies(context, { "Downloads/setup.exe", "Desktop/setup.exe" }, filler('h', 700 * 1024));
    writeCopies(context, { "Notes/todo.md", "Backup/todo.md" }, filler('i', 4096));
}

ScanEngine *scanLibrary(ScreenshotContext &context)
{
    writeLibrary(context);
    auto *engine = new ScanEngine;
    bool ended = false;
    QObject::connect(engine, &ScanEngine::scanEnded, engine, [&ended] { ended = true; });
    engine->BeginScanCatalogue({ context.root() + QStringLiteral("/Library") },
        ScanSettings::fromPreferences(*TwPreferences::instance()));
    ScreenshotContext::waitUntil([&ended] { return ended; }, 120000);
    return engine;
}

// A results window on the scan; the engine lives as long as the window.
ResultForm *openResults(ScreenshotContext &context, ScanEngine **scanned = nullptr)
{
    ScanEngine *engine = scanLibrary(context);
    if (scanned)
        *scanned = engine;
    auto *form = new ResultForm(engine->searchResult());
    engine->setParent(form);
    context.keep(form);
    form->show();
    ScreenshotContext::settle();
    return form;
}

template <typename T> T *child(QWidget *form, const char *name)
{
    return form->findChild<T *>(QLatin1String(name));
}

// Gives the thumbnail loaders time to deliver what is on screen.
void waitForThumbnails(ResultForm *form)
{
    for (const char *name : { "listView", "listImageView" }) {
        auto *view = child<ImageListView>(form, name);
        ScreenshotContext::waitUntil([view] { return !view->isLoading(); }, 5000);
    }
    const auto *preview = form->findChild<PreviewPane *>();
    ScreenshotContext::waitUntil([preview] { return !preview || !preview->isLoading(); }, 5000);
    ScreenshotContext::waitUntil([] { return false; }, 200);
    ScreenshotContext::settle();
}

} // namespace

TW_SCREENSHOT(results_overview)
{
    ResultForm *form = openResults(context);
    child<QPushButton>(form, "btn_over")->click();
    // The chart animates its slices in.
    ScreenshotContext::waitUntil([] { return false; }, 1500);
    return form;
}

TW_SCREENSHOT(results_all)
{
    ResultForm *form = openResults(context);
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_images_duplicate)
{
    ResultForm *form = openResults(context);
    child<QPushButton>(form, "btn_image")->click();
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_images_similar)
{
    ResultForm *form = openResults(context);
    child<QPushButton>(form, "btn_image")->click();
    child<QPushButton>(form, "pushButton_4")->click();
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_grid)
{
    ResultForm *form = openResults(context);
    child<QPushButton>(form, "btn_image")->click();
    // Largest group first: the wallpaper's seven copies.
    child<QComboBox>(form, "comboBox")->setCurrentIndex(2);
    form->on_comboBox_activated(2);
    child<QSlider>(form, "horizontalSlider")->setValue(4);
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_compare_list)
{
    ResultForm *form = openResults(context);
    child<QPushButton>(form, "btn_image")->click();
    child<QPushButton>(form, "pushButton_4")->click();
    child<QPushButton>(form, "btn_right_list")->click();
    child<ImageListView>(form, "listImageView")->setCurrentIndex(form->filesModel()->index(0, 0));
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_preview_table)
{
    ResultForm *form = openResults(context);
    child<QPushButton>(form, "btn_image")->click();
    child<QPushButton>(form, "btn_right_flow")->click();
    waitForThumbnails(form);
    return form;
}

namespace {

// Ends a removal picture: prompts go quiet again and `picture` is shown.
QWidget *pictureOfRemoval(ScreenshotContext &context, const QImage &picture)
{
    DesktopPrompts::setOverride(
        [](const DesktopPrompts::Request &) { return DesktopPrompts::Answer(); });
    auto *label = new QLabel;
    label->setPixmap(QPixmap::fromImage(picture));
    label->resize(picture.size());
    context.keep(label);
    return label;
}

} // namespace

TW_SCREENSHOT(results_delete_progress)
{
    ResultForm *form = openResults(context);
    // Moved into a scratch folder: nothing reaches a real recycle bin.
    TwPreferences::instance()->general()->setRemovalMethod(TwGenernalPreferences::MoveToFolder);
    TwPreferences::instance()->general()->setMoveToFolderPath(
        context.makeFolder(QStringLiteral("Removed")));
    waitForThumbnails(form);
    DesktopPrompts::setOverride([](const DesktopPrompts::Request &request) {
        DesktopPrompts::Answer answer;
        if (request.kind == DesktopPrompts::Kind::ConfirmRemoval)
            answer.button = QMessageBox::Yes;
        return answer;
    });

    // The dialog lives only while the delete runs: picture window and dialog
    // together at the fourth file, then cancel.
    QImage composite;
    QObject::connect(form, &ResultForm::deleteProgressed, form, [form, &composite](int handled) {
        auto *dialog = form->findChild<QProgressDialog *>();
        if (!dialog || handled != 4 || !composite.isNull())
            return;
        ScreenshotContext::settle();
        composite = form->grab().toImage();
        QPainter painter(&composite);
        painter.fillRect(composite.rect(), QColor(0, 0, 0, 60));
        const QImage box = dialog->grab().toImage();
        const QPoint at(
            (composite.width() - box.width()) / 2, (composite.height() - box.height()) / 2);
        painter.fillRect(QRect(at, box.size()).adjusted(-1, -1, 1, 1), QColor(120, 120, 120));
        painter.drawImage(at, box);
        painter.end();
        dialog->cancel();
    });
    form->on_btn_delete_clicked();
    return pictureOfRemoval(context, composite);
}

namespace {

// The confirmation as it stands when the removal is asked for; with
// `everyMember` every file of the first group is marked as well, with
// `moveTo` the files go into that folder of the scratch space.
QWidget *confirmation(ScreenshotContext &context, bool everyMember, const QString &moveTo = {})
{
    ScanEngine *engine = nullptr;
    ResultForm *form = openResults(context, &engine);
    TwPreferences::instance()->general()->setRemovalMethod(moveTo.isEmpty()
            ? TwGenernalPreferences::RemovePermanently
            : TwGenernalPreferences::MoveToFolder);
    if (!moveTo.isEmpty())
        TwPreferences::instance()->general()->setMoveToFolderPath(context.makeFolder(moveTo));
    TwFileItemGroup *group = nullptr;
    const auto containers = engine->searchResult()->containers();
    for (TwCatalogContainer *container : containers) {
        if (!group && !container->groups().isEmpty())
            group = container->groups().first();
    }
    if (everyMember && group) {
        for (TwFileItem *item : group->items()) {
            if (!item->isChecked()) {
                item->setChecked(true);
                group->itemCheckedChanged(true, item->fileSize());
            }
        }
    }
    QImage picture;
    DesktopPrompts::setOverride([&picture](const DesktopPrompts::Request &request) {
        if (request.kind == DesktopPrompts::Kind::ConfirmRemoval && request.parent) {
            if (auto *dialog = request.parent->findChild<RemovalConfirmDialog *>()) {
                dialog->show();
                ScreenshotContext::settle();
                picture = dialog->grab().toImage();
            }
        }
        return DesktopPrompts::Answer();
    });
    form->on_btn_delete_clicked();
    return pictureOfRemoval(context, picture);
}

} // namespace

TW_SCREENSHOT(results_confirm_removal)
{
    return confirmation(context, false);
}

TW_SCREENSHOT(results_last_copy_warning)
{
    return confirmation(context, true);
}

TW_SCREENSHOT(results_confirm_move)
{
    return confirmation(context, false, QStringLiteral("Removed"));
}

// The end of a move whose target went away meanwhile: every marked file is
// listed with the reason it stayed.
TW_SCREENSHOT(results_removal_failures)
{
    ResultForm *form = openResults(context);
    TwPreferences::instance()->general()->setRemovalMethod(TwGenernalPreferences::MoveToFolder);
    TwPreferences::instance()->general()->setMoveToFolderPath(
        context.makeFolder(QStringLiteral("Removed")) + QStringLiteral("/unplugged drive"));
    waitForThumbnails(form);
    QImage picture;
    DesktopPrompts::setOverride([&picture](const DesktopPrompts::Request &request) {
        DesktopPrompts::Answer answer;
        if (request.kind == DesktopPrompts::Kind::ConfirmRemoval)
            answer.button = QMessageBox::Yes;
        if (request.kind == DesktopPrompts::Kind::Information && !request.items.isEmpty()) {
            const auto dialog = DesktopPrompts::listDialog(
                request.parent, request.title, request.text, request.items);
            dialog->show();
            ScreenshotContext::settle();
            picture = dialog->grab().toImage();
        }
        return answer;
    });
    form->on_btn_delete_clicked();
    return pictureOfRemoval(context, picture);
}

namespace {

// Copies deep in a photo archive that differ only in one folder halfway down:
// a start-shortened path would read the same for all of them.
ResultForm *openDeepCopies(ScreenshotContext &context)
{
    const QString archive = QStringLiteral("Archive/Family photos/2019/Summer holidays/");
    const char *sources[] = { "Camera A", "Camera B", "Phone of Ann" };
    const char *trips[] = { "Beach_2019.jpg", "Harbour_2019.jpg", "Dunes_2019.jpg" };
    for (int i = 0; i < 3; ++i) {
        const QImage photo = drawLandscape(quint32(90 + i), QSize(640, 480));
        for (const char *source : sources) {
            savePicture(context,
                archive + QLatin1String(source) + QStringLiteral("/Export/Full size/")
                    + QLatin1String(trips[i]),
                photo, "JPG", 90);
        }
    }
    auto *engine = new ScanEngine;
    bool ended = false;
    QObject::connect(engine, &ScanEngine::scanEnded, engine, [&ended] { ended = true; });
    engine->BeginScanCatalogue({ context.root() + QStringLiteral("/Library") },
        ScanSettings::fromPreferences(*TwPreferences::instance()));
    ScreenshotContext::waitUntil([&ended] { return ended; }, 120000);
    auto *form = new ResultForm(engine->searchResult());
    engine->setParent(form);
    context.keep(form);
    form->show();
    ScreenshotContext::settle();
    child<QPushButton>(form, "btn_image")->click();
    return form;
}

} // namespace

TW_SCREENSHOT(results_deep_preview_table)
{
    ResultForm *form = openDeepCopies(context);
    child<QPushButton>(form, "btn_right_flow")->click();
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_deep_compare_list)
{
    ResultForm *form = openDeepCopies(context);
    child<QPushButton>(form, "btn_right_list")->click();
    child<ImageListView>(form, "listImageView")->setCurrentIndex(form->filesModel()->index(0, 0));
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_deep_grid)
{
    ResultForm *form = openDeepCopies(context);
    child<QSlider>(form, "horizontalSlider")->setValue(4);
    waitForThumbnails(form);
    return form;
}

TW_SCREENSHOT(results_export_dialog)
{
    ResultForm *form = openResults(context);
    waitForThumbnails(form);
    // The picker as the button opens it, drawn by Qt itself so the picture
    // does not depend on the desktop's own dialog; answered with cancel.
    QImage composite;
    DesktopPrompts::setOverride([form, &composite](const DesktopPrompts::Request &request) {
        if (request.kind != DesktopPrompts::Kind::ChooseSaveFile)
            return DesktopPrompts::Answer();
        std::unique_ptr<QFileDialog> dialog(DesktopPrompts::saveFileDialog(request));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->resize(640, 420);
        dialog->show();
        ScreenshotContext::settle();
        composite = form->grab().toImage();
        QPainter painter(&composite);
        painter.fillRect(composite.rect(), QColor(0, 0, 0, 60));
        const QImage box = dialog->grab().toImage();
        const QPoint at(
            (composite.width() - box.width()) / 2, (composite.height() - box.height()) / 2);
        painter.fillRect(QRect(at, box.size()).adjusted(-1, -1, 1, 1), QColor(120, 120, 120));
        painter.drawImage(at, box);
        painter.end();
        return DesktopPrompts::Answer();
    });
    child<QPushButton>(form, "btn_export")->click();
    return pictureOfRemoval(context, composite);
}
