#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QFont;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// What the three preference pages share: the font, the flat look, the error
// message and the folder picker (both through the desktop prompts).
class TwPreferencesPage : public QWidget {
    Q_OBJECT

public:
    explicit TwPreferencesPage(QWidget *parent = nullptr);

    static const char *accentColor();
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
};
