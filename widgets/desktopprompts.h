#pragma once

#include <functional>
#include <memory>

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

class QDialog;
class QFileDialog;
class QWidget;

// Every modal question, message, folder picker and hand-off to the desktop
// (browser, file manager) that a window makes goes through here. One override
// answers all of them, so tests and the screenshot tool can drive the windows
// without a modal loop, a dialog or a browser popping up.
class DesktopPrompts {
public:
    enum class Kind {
        Question,
        Information,
        Error,
        ChooseFolder,
        OpenUrl,
        OpenFolder,
        ConfirmRemoval,
        ChooseSaveFile
    };

    struct Request {
        Kind kind = Kind::Information;
        QWidget *parent = nullptr;
        QString title;
        QString text;
        // The picker's start folder, or the folder handed to the file manager.
        QString folder;
        QUrl url;
        // The lines a confirmation or a report lists (the files of a removal).
        QStringList items;
        // The file types a save picker offers, and its proposed file.
        QStringList nameFilters;
        QString file;
        QMessageBox::StandardButtons buttons = QMessageBox::NoButton;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    // What an override gives back: the button of a question, the chosen folder
    // (empty: cancelled), whether the desktop took a URL or folder. With
    // `real` set the real box, picker or desktop is used after all.
    struct Answer {
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        QString folder;
        bool opened = true;
        // A removal confirmed with every copy of the wholly marked groups.
        bool removeEveryCopy = false;
        // The file a save picker chose (empty: cancelled) and its file type.
        QString file;
        QString nameFilter;
        bool real = false;
    };

    using Override = std::function<Answer(const Request &request)>;

    static QMessageBox::StandardButton question(QWidget *parent, const QString &title,
        const QString &text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton);
    static void inform(QWidget *parent, const QString &title, const QString &text);
    // An information box with `items` in a scrollable list below the text
    // (kind Information, the lines in Request::items).
    static void informWithList(
        QWidget *parent, const QString &title, const QString &text, const QStringList &items);
    // The box informWithList() shows, for those who show it themselves.
    static std::unique_ptr<QDialog> listDialog(
        QWidget *parent, const QString &title, const QString &text, const QStringList &items);
    // A critical box titled "Error" with a single OK button.
    static void error(QWidget *parent, const QString &text);
    // A directories-only picker; empty when cancelled.
    static QString chooseFolder(QWidget *parent, const QString &caption, const QString &start);
    // A save picker starting at `file`, offering `nameFilters`; empty when
    // cancelled, else the file with the chosen type in `chosenFilter`.
    static QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &file,
        const QStringList &nameFilters, QString *chosenFilter);
    // The save picker as chooseSaveFile() shows it; owned by the caller.
    static QFileDialog *saveFileDialog(const Request &request);
    static bool openUrl(const QUrl &url);
    // Shows the folder in the desktop's file manager.
    static bool openFolder(const QString &folder);

    // For dialogs built elsewhere: true when the override answered `request`.
    static bool intercept(const Request &request, Answer *result)
    {
        return answer(request, result);
    }

    // An empty function restores the real boxes, pickers and desktop.
    static void setOverride(Override answer);

private:
    static bool answer(const Request &request, Answer *result);
};
