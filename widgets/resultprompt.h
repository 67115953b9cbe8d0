#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every question the results window asks, and every hand-off to the desktop,
// goes through here, so a test (or a scripted screenshot run) can answer it
// without a modal loop or a file manager popping up.
class ResultPrompt {
public:
    using Answerer
        = std::function<QMessageBox::StandardButton(const QString &title, const QString &text)>;
    using FolderOpener = std::function<bool(const QString &folder)>;

    static QMessageBox::StandardButton question(QWidget *parent, const QString &title,
        const QString &text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton);
    // Shows the folder in the desktop's file manager.
    static bool openFolder(const QString &folder);

    // Empty functions restore the real message box and file manager.
    static void setAnswerer(Answerer answerer);
    static void setFolderOpener(FolderOpener opener);
};
