#include "preferences/dialog/twpreferencespage.h"

#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "platform/product.h"
#include "widgets/desktopprompts.h"
#include "widgets/flatui.h"

namespace {

// Without it a disabled button keeps its colours and looks clickable.
QString disabledButtonStyle()
{
    return QStringLiteral(
        "QPushButton:disabled{background:#f3f5f7;color:#a9b1ba;border-color:#dde2e7;}");
}

} // namespace

TwPreferencesPage::TwPreferencesPage(QWidget *parent)
    : QWidget(parent)
{
    setFont(pageFont());
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(pageStyleSheet());
}

void TwPreferencesPage::showError(const QString &text)
{
    DesktopPrompts::error(this, text);
}

QString TwPreferencesPage::chooseFolder(const QString &caption, const QString &start)
{
    return DesktopPrompts::chooseFolder(this, caption, start);
}

bool TwPreferencesPage::openUrl(const QUrl &url)
{
    return DesktopPrompts::openUrl(url);
}

const char *TwPreferencesPage::accentColor()
{
    return Product::AccentColor;
}

QLabel *TwPreferencesPage::sectionLabel(const QString &text)
{
    auto *label = new QLabel(text, this);
    label->setProperty("section", true);
    label->setWordWrap(true);
    return label;
}

void TwPreferencesPage::stylePrimaryButton(QPushButton *button)
{
    button->setStyleSheet(FlatUI::buttonStyleSheet(4, 5, QString::fromLatin1(accentColor()),
        QStringLiteral("#ffffff"), QString::fromLatin1(accentColor()), QStringLiteral("#5aaaff"),
        QStringLiteral("#ffffff"), QStringLiteral("#5aaaff"), QStringLiteral("#2a80d8"),
        QStringLiteral("#ffffff"), QStringLiteral("#2a80d8")));
    button->setStyleSheet(button->styleSheet() + disabledButtonStyle());
    button->setMinimumWidth(80);
    button->setCursor(Qt::PointingHandCursor);
}

void TwPreferencesPage::styleSecondaryButton(QPushButton *button)
{
    button->setStyleSheet(FlatUI::buttonStyleSheet(4, 5, QStringLiteral("#ffffff"),
        QStringLiteral("#33404d"), QStringLiteral("#c5ccd4"), QStringLiteral("#eef5ff"),
        QString::fromLatin1(accentColor()), QString::fromLatin1(accentColor()),
        QStringLiteral("#dcebfd"), QString::fromLatin1(accentColor()),
        QString::fromLatin1(accentColor())));
    button->setStyleSheet(button->styleSheet() + disabledButtonStyle());
    button->setMinimumWidth(80);
    button->setCursor(Qt::PointingHandCursor);
}

void TwPreferencesPage::styleIconButton(QPushButton *button)
{
    button->setStyleSheet(QStringLiteral("QPushButton{background:transparent;border:none;}"
                                         "QPushButton:hover{background:#e6f0fb;border-radius:3px;}"
                                         "QPushButton:pressed{background:#cfe3fb;}"));
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(16, 16));
}

void TwPreferencesPage::styleSlider(QSlider *slider)
{
    slider->setStyleSheet(FlatUI::sliderStyleSheet(6, QStringLiteral("#dde3ea"),
        QString::fromLatin1(accentColor()), QString::fromLatin1(accentColor())));
}

void TwPreferencesPage::styleLineEdit(QLineEdit *lineEdit)
{
    lineEdit->setStyleSheet(FlatUI::lineEditStyleSheet(
                                4, 1, QStringLiteral("#c5ccd4"), QString::fromLatin1(accentColor()))
        + QStringLiteral("QLineEdit:disabled{color:#9aa4ae;background:#f2f4f7;}"));
}

QFont TwPreferencesPage::pageFont()
{
    // The fixed dialog size is laid out for Arial. Where it is missing, a face
    // of about its width keeps the longer radio button texts whole; the usual
    // fallback is much wider.
    static const QString family = [] {
        const QStringList installed = QFontDatabase().families();
        for (const char *candidate :
            { "Arial", "Liberation Sans", "Arimo", "Helvetica", "DejaVu Sans Condensed" }) {
            if (installed.contains(QLatin1String(candidate), Qt::CaseInsensitive))
                return QString::fromLatin1(candidate);
        }
        return QStringLiteral("Arial");
    }();
    QFont font(family, 10);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QString TwPreferencesPage::pageStyleSheet()
{
    // A style sheet on a widget stops its font from reaching the children,
    // so the font is part of the sheet.
    const QString font = QStringLiteral("TwPreferencesPage,TwPreferencesPage *{font-family:\"%1\";"
                                        "font-size:%2pt;}")
                             .arg(pageFont().family())
                             .arg(pageFont().pointSize());
    return font
        + QStringLiteral(
            "TwPreferencesPage{background:#ffffff;}"
            "QLabel{color:#33404d;}"
            "QLabel[section=\"true\"]{color:#1f2d3a;font-weight:bold;padding-top:2px;}"
            "QLabel[hint=\"true\"]{color:#7a8691;}"
            "QRadioButton,QCheckBox{color:#33404d;spacing:6px;}"
            "QListWidget,QTableWidget,QPlainTextEdit{border:1px solid #c5ccd4;border-radius:4px;"
            "background:#ffffff;alternate-background-color:#f5f8fc;"
            "selection-background-color:#3b99fc;selection-color:#ffffff;}"
            "QListWidget::item{padding:3px 2px;}"
            "QListWidget:focus,QTableWidget:focus,QPlainTextEdit:focus{border-color:#3b99fc;}"
            "QHeaderView::section{background:#f0f3f7;color:#33404d;border:none;"
            "border-bottom:1px solid #d8dde3;padding:4px;font-weight:bold;}");
}
