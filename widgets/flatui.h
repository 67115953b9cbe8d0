#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QMutex;
class QPushButton;
class QSlider;

// Turns a few colours and sizes into style sheets, so every window of the
// program shares one flat look.
class FlatUI : public QObject {
    Q_OBJECT
public:
    // Adjacent buttons with the one-sided shapes form a segmented bar.
    enum ButtonShape { Rounded = 0, LeftRounded = 1, Square = 2, RightRounded = 3 };
    Q_ENUM(ButtonShape)

    static FlatUI *instance();
    // Deletes the shared instance; the next instance() call makes a fresh one.
    static void destroyInstance();

    void applyButtonStyle(QPushButton *button, int radius, int padding,
        const QString &normalBackground, const QString &normalText, const QString &normalBorder,
        const QString &hoverBackground, const QString &hoverText, const QString &hoverBorder,
        const QString &pressedBackground, const QString &pressedText, const QString &pressedBorder,
        int shape = Rounded);
    void applyLineEditStyle(QLineEdit *lineEdit, int radius, int borderWidth,
        const QString &normalColor, const QString &focusColor);
    void applyComboBoxStyle(QComboBox *comboBox, int radius, int borderWidth,
        const QString &normalColor, const QString &focusColor);
    void applySliderStyle(QSlider *slider, int height, const QString &normalColor,
        const QString &grooveColor, const QString &handleColor);

    // The same texts without a widget, for callers that style by selector.
    static QString buttonStyleSheet(int radius, int padding, const QString &normalBackground,
        const QString &normalText, const QString &normalBorder, const QString &hoverBackground,
        const QString &hoverText, const QString &hoverBorder, const QString &pressedBackground,
        const QString &pressedText, const QString &pressedBorder, int shape = Rounded);
    static QString lineEditStyleSheet(
        int radius, int borderWidth, const QString &normalColor, const QString &focusColor);
    static QString comboBoxStyleSheet(
        int radius, int borderWidth, const QString &normalColor, const QString &focusColor);
    static QString sliderStyleSheet(int height, const QString &normalColor,
        const QString &grooveColor, const QString &handleColor);

private:
    explicit FlatUI(QObject *parent = nullptr);
};
