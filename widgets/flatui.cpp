#include "widgets/flatui.h"

#include <atomic>

#include <QComboBox>
#include <QLineEdit>
#include <QMutex>
#include <QMutexLocker>
#include <QPushButton>
#include <QSlider>
#include <QStringList>

namespace {
std::atomic<FlatUI *> s_instance { nullptr };
QMutex s_instanceMutex;
}

FlatUI::FlatUI(QObject *parent)
    : QObject(parent)
{
}

FlatUI *FlatUI::instance()
{
    // The lock is only needed while no instance exists yet.
    FlatUI *current = s_instance.load();
    if (current)
        return current;
    QMutexLocker locker(&s_instanceMutex);
    current = s_instance.load();
    if (!current) {
        current = new FlatUI;
        s_instance.store(current);
    }
    return current;
}

void FlatUI::destroyInstance()
{
    QMutexLocker locker(&s_instanceMutex);
    delete s_instance.exchange(nullptr);
}

QString FlatUI::buttonStyleSheet(int radius, int padding, const QString &normalBackground,
    const QString &normalText, const QString &normalBorder, const QString &hoverBackground,
    const QString &hoverText, const QString &hoverBorder, const QString &pressedBackground,
    const QString &pressedText, const QString &pressedBorder, int shape)
{
    QStringList rules;
    switch (shape) {
    case Rounded:
        rules << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;border-color:%5;"
                                "padding:%1px;border-radius:%2px;color:%3;background:%4;}")
                     .arg(padding)
                     .arg(radius)
                     .arg(normalText, normalBackground, normalBorder);
        break;
    case LeftRounded:
        rules << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;border-color:%5;"
                                "padding:%1px;border-top-left-radius:%2px;border-bottom-left-"
                                "radius:%2px;color:%3;background:%4;}")
                     .arg(padding)
                     .arg(radius)
                     .arg(normalText, normalBackground, normalBorder);
        break;
    case Square:
        rules << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;border-color:%4;"
                                "padding:%1px;color:%2;background:%3;}")
                     .arg(padding)
                     .arg(normalText, normalBackground, normalBorder);
        break;
    case RightRounded:
        rules << QStringLiteral("QPushButton{border-style:solid ;border-width:1px;border-color:%5;"
                                "padding:%1px;border-top-right-radius:%2px;border-bottom-right-"
                                "radius:%2px;color:%3;background:%4;}")
                     .arg(padding)
                     .arg(radius)
                     .arg(normalText, normalBackground, normalBorder);
        break;
    default:
        return QString();
    }
    rules << QStringLiteral("QPushButton:hover{color:%1;background:%2;border-color:%3}")
                 .arg(hoverText, hoverBackground, hoverBorder);
    rules << QStringLiteral("QPushButton:pressed{color:%1;background:%2;border-color:%3}")
                 .arg(pressedText, pressedBackground, pressedBorder);
    rules << QStringLiteral("QPushButton:checked{color:%1;background:%2;border-color:%3}")
                 .arg(pressedText, pressedBackground, pressedBorder);
    // Only the free-standing shape greys out; segmented bars keep their look.
    if (shape == Rounded)
        rules << QStringLiteral(
            "QPushButton:disabled{color:%1;background:#b2b2b2;border-color:#b2b2b2}")
                     .arg(normalText);
    return rules.join(QString());
}

QString FlatUI::lineEditStyleSheet(
    int radius, int borderWidth, const QString &normalColor, const QString &focusColor)
{
    QStringList rules;
    rules << QStringLiteral("QLineEdit{border-style:none;padding:3px;border-radius:%1px;"
                            "border:%2px solid %3;}")
                 .arg(radius)
                 .arg(borderWidth)
                 .arg(normalColor);
    rules << QStringLiteral("QLineEdit:focus{border:%1px solid %2;}")
                 .arg(borderWidth)
                 .arg(focusColor);
    return rules.join(QString());
}

QString FlatUI::comboBoxStyleSheet(
    int radius, int borderWidth, const QString &normalColor, const QString &focusColor)
{
    QStringList rules;
    rules << QStringLiteral("QComboBox{border-style:none;padding:3px;border-radius:%1px;"
                            "border:%2px solid %3;}")
                 .arg(radius)
                 .arg(borderWidth)
                 .arg(normalColor);
    rules << QStringLiteral("QComboBox:focus{border:%1px solid %2;}")
                 .arg(borderWidth)
                 .arg(focusColor);
    rules << QStringLiteral("QComboBox::drop-down { subcontrol-origin: padding; "
                            "subcontrol-position: top right; width: 20px; border-left-width: 0px; "
                            "border-left-color: darkgray; border-left-style: solid;  "
                            "border-top-right-radius: 5px; border-bottom-right-radius: 5px;}");
    rules << QStringLiteral("QComboBox::down-arrow { image: url(:/resource/down_arrow);}");
    return rules.join(QString());
}

QString FlatUI::sliderStyleSheet(
    int height, const QString &normalColor, const QString &grooveColor, const QString &handleColor)
{
    const int h = height;
    const int handle = h * 3 / 2 + h / 5;
    const QString gradient = QStringLiteral(
        "background:qradialgradient(spread:pad,cx:0.5,cy:0.5,radius:0.5,fx:0.5,fy:0.5,"
        "stop:0.6 #FFFFFF,stop:0.8 %1);}");
    QStringList rules;
    rules << QStringLiteral(
        "QSlider::groove:horizontal{background:%1;height:%2px;border-radius:%3px;}")
                 .arg(normalColor)
                 .arg(h)
                 .arg(h / 2);
    rules << QStringLiteral(
        "QSlider::add-page:horizontal{background:%1;height:%2px;border-radius:%3px;}")
                 .arg(normalColor)
                 .arg(h)
                 .arg(h / 2);
    rules << QStringLiteral(
        "QSlider::sub-page:horizontal{background:%1;height:%2px;border-radius:%3px;}")
                 .arg(grooveColor)
                 .arg(h)
                 .arg(h / 2);
    rules << QStringLiteral(
                 "QSlider::handle:horizontal{width:%1px;margin-top:-%2px;margin-bottom:-%2px;"
                 "border-radius:%3px;")
                 .arg(handle)
                 .arg(handle / 4)
                 .arg(handle / 2)
            + gradient.arg(handleColor);
    rules << QStringLiteral(
        "QSlider::groove:vertical{width:%2px;border-radius:%3px;background:%1;}")
                 .arg(normalColor)
                 .arg(h)
                 .arg(h / 2);
    rules << QStringLiteral(
        "QSlider::add-page:vertical{width:%2px;border-radius:%3px;background:%1;}")
                 .arg(grooveColor)
                 .arg(h)
                 .arg(h / 2);
    rules << QStringLiteral(
        "QSlider::sub-page:vertical{width:%2px;border-radius:%3px;background:%1;}")
                 .arg(normalColor)
                 .arg(h)
                 .arg(h / 2);
    // The vertical handle is one pixel taller than the horizontal one is wide.
    rules << QStringLiteral(
                 "QSlider::handle:vertical{height:%1px;margin-left:-%2px;margin-right:-%2px;"
                 "border-radius:%3px;")
                 .arg(handle + 1)
                 .arg(handle / 4)
                 .arg(handle / 2)
            + gradient.arg(handleColor);
    return rules.join(QString());
}

void FlatUI::applyButtonStyle(QPushButton *button, int radius, int padding,
    const QString &normalBackground, const QString &normalText, const QString &normalBorder,
    const QString &hoverBackground, const QString &hoverText, const QString &hoverBorder,
    const QString &pressedBackground, const QString &pressedText, const QString &pressedBorder,
    int shape)
{
    if (!button)
        return;
    button->setStyleSheet(buttonStyleSheet(radius, padding, normalBackground, normalText,
        normalBorder, hoverBackground, hoverText, hoverBorder, pressedBackground, pressedText,
        pressedBorder, shape));
}

void FlatUI::applyLineEditStyle(QLineEdit *lineEdit, int radius, int borderWidth,
    const QString &normalColor, const QString &focusColor)
{
    if (lineEdit)
        lineEdit->setStyleSheet(lineEditStyleSheet(radius, borderWidth, normalColor, focusColor));
}

void FlatUI::applyComboBoxStyle(QComboBox *comboBox, int radius, int borderWidth,
    const QString &normalColor, const QString &focusColor)
{
    if (comboBox)
        comboBox->setStyleSheet(comboBoxStyleSheet(radius, borderWidth, normalColor, focusColor));
}

void FlatUI::applySliderStyle(QSlider *slider, int height, const QString &normalColor,
    const QString &grooveColor, const QString &handleColor)
{
    if (slider)
        slider->setStyleSheet(sliderStyleSheet(height, normalColor, grooveColor, handleColor));
}
