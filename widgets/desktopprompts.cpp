#include "widgets/desktopprompts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "platform/nativepath.h"
#include <QFileInfo>

#include <memory>

namespace {

DesktopPrompts::Override &currentOverride()
{
    static DesktopPrompts::Override answer;
    return answer;
}

} // namespace

bool DesktopPrompts::answer(const Request &request, Answer *result)
{
    if (!currentOverride())
        return false;
    *result = currentOverride()(request);
    return !result->real;
}

QMessageBox::StandardButton DesktopPrompts::question(QWidget *parent, const QString &title,
    const QString &text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    Request request;
    request.kind = Kind::Question;
    request.parent = parent;
    request.title = title;
    request.text = text;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    Answer given;
    if (answer(request, &given))
        return given.button;
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

void DesktopPrompts::inform(QWidget *parent, const QString &title, const QString &text)
{
    informWithList(parent, title, text, QStringList());
}

void DesktopPrompts::informWithList(
    QWidget *parent, const QString &title, const QString &text, const QStringList &items)
{
    Request request;
    request.kind = Kind::Information;
    request.parent = parent;
    request.title = title;
    request.text = text;
    request.items = items;
    Answer given;
    if (answer(request, &given))
        return;
    if (items.isEmpty())
        QMessageBox::information(parent, title, text);
    else
        listDialog(parent, title, text, items)->exec();
}

std::unique_ptr<QDialog> DesktopPrompts::listDialog(
    QWidget *parent, const QString &title, const QString &text, const QStringList &items)
{
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setObjectName(QStringLiteral("listedInformation"));
    dialog->setWindowTitle(title);
    auto *layout = new QVBoxLayout(dialog.get());
    auto *label = new QLabel(text, dialog.get());
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto *list = new QListWidget(dialog.get());
    list->setObjectName(QStringLiteral("lw_items"));
    list->addItems(items);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(list, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog.get());
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
    layout->addWidget(buttons);
    // Wide enough for deep paths and their reasons.
    dialog->resize(qMax(dialog->sizeHint().width(), 820), qMax(dialog->sizeHint().height(), 380));
    return dialog;
}

void DesktopPrompts::error(QWidget *parent, const QString &text)
{
    Request request;
    request.kind = Kind::Error;
    request.parent = parent;
    request.title = QCoreApplication::translate("DesktopPrompts", "Error");
    request.text = text;
    Answer given;
    if (!answer(request, &given))
        QMessageBox::critical(parent, request.title, text, QMessageBox::Ok);
}

QString DesktopPrompts::chooseFolder(QWidget *parent, const QString &caption, const QString &start)
{
    Request request;
    request.kind = Kind::ChooseFolder;
    request.parent = parent;
    request.title = caption;
    request.folder = start;
    Answer given;
    if (answer(request, &given))
        return given.folder;
    return QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
}

QFileDialog *DesktopPrompts::saveFileDialog(const Request &request)
{
    auto *dialog = new QFileDialog(request.parent, request.title);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(request.nameFilters);
    const QFileInfo proposed(request.file);
    dialog->setDirectory(proposed.absolutePath());
    dialog->selectFile(proposed.fileName());
    return dialog;
}

QString DesktopPrompts::chooseSaveFile(QWidget *parent, const QString &caption, const QString &file,
    const QStringList &nameFilters, QString *chosenFilter)
{
    Request request;
    request.kind = Kind::ChooseSaveFile;
    request.parent = parent;
    request.title = caption;
    request.file = file;
    request.nameFilters = nameFilters;
    Answer given;
    if (answer(request, &given)) {
        *chosenFilter = given.nameFilter;
        return given.file;
    }
    std::unique_ptr<QFileDialog> dialog(saveFileDialog(request));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    *chosenFilter = dialog->selectedNameFilter();
    return dialog->selectedFiles().first();
}

bool DesktopPrompts::openUrl(const QUrl &url)
{
    Request request;
    request.kind = Kind::OpenUrl;
    request.url = url;
    Answer given;
    if (answer(request, &given))
        return given.opened;
    return QDesktopServices::openUrl(url);
}

bool DesktopPrompts::openFolder(const QString &folder)
{
    Request request;
    request.kind = Kind::OpenFolder;
    request.folder = folder;
    request.url = NativePath::fileUrl(folder);
    Answer given;
    if (answer(request, &given))
        return given.opened;
    return QDesktopServices::openUrl(request.url);
}

void DesktopPrompts::setOverride(Override answer)
{
    currentOverride() = std::move(answer);
}
