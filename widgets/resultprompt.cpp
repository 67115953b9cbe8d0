#include "widgets/resultprompt.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

ResultPrompt::Answerer &currentAnswerer()
{
    static ResultPrompt::Answerer answerer;
    return answerer;
}

ResultPrompt::FolderOpener &currentOpener()
{
    static ResultPrompt::FolderOpener opener;
    return opener;
}

} // namespace

QMessageBox::StandardButton ResultPrompt::question(QWidget *parent, const QString &title,
    const QString &text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    if (currentAnswerer())
        return currentAnswerer()(title, text);
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

bool ResultPrompt::openFolder(const QString &folder)
{
    if (currentOpener())
        return currentOpener()(folder);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void ResultPrompt::setAnswerer(Answerer answerer)
{
    currentAnswerer() = std::move(answerer);
}

void ResultPrompt::setFolderOpener(FolderOpener opener)
{
    currentOpener() = std::move(opener);
}
