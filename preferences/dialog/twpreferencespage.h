#pragma once

#include <functional>

#include <QString>
#include <QUrl>
#include <QWidget>

class QFont;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// What the three preference pages share: the font, the flat look, the error
// message and the folder picker. The message and the pickers can be replaced,
// so the pages can be driven without a person at the screen.
class TwPreferencesPage : public QWidget {
    Q_OBJECT

public:
    using ErrorReporter = std::function<void(QWidget *parent, const QString &text)>;
    using FolderPicker
        = std::function<QString(QWidget *parent, const QString &caption, const QString &start)>;
    using UrlOpener = std::function<bool(const QUrl &url)>;

    explicit TwPreferencesPage(QWidget *parent = nullptr);

    // Empty functions restore the interactive defaults.
    void setErrorReporter(ErrorReporter reporter);
    void setFolderPicker(FolderPicker picker);
    void setUrlOpener(UrlOpener opener);

    static const char *accentColor() { return "#3b99fc"; }
    static void stylePrimaryButton(QPushButton *button);
    static void styleSecondaryButton(QPushButton *button);
    static void styleIconButton(QPushButton *button);
    static void styleSlider(QSlider *slider);
    static void styleLineEdit(QLineEdit *lineEdit);
    // The style sheet of the pages' lists, tables, spin boxes and labels.
    static QString pageStyleSheet();
    // Arial 10 points; where Arial is missing, a face of similar width.
    static QFont pageFont();

protected:
    // A modal critical box titled "Error" with a single OK button.
    void showError(const QString &text);
    // A directories-only picker; empty when cancelled.
    QString chooseFolder(const QString &caption, const QString &start);
    bool openUrl(const QUrl &url);
    QLabel *sectionLabel(const QString &text);

private:
    ErrorReporter m_errorReporter;
    FolderPicker m_folderPicker;
    UrlOpener m_urlOpener;
};
