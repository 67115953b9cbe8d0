#include "app/qabout.h"

#include <QDate>
#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/product.h"
#include "widgets/desktopprompts.h"
#include "widgets/flatui.h"

namespace {
const char *const Accent = Product::AccentColor;
const char *const AccentHover = "#5aaafd";
const char *const AccentPressed = "#2a83e0";
}

QAbout::QAbout(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(QStringLiteral("QAbout"));
    setWindowTitle(tr("About"));
    setWindowIcon(QIcon(QStringLiteral(":/resource/twinscan32.png")));
    setFixedSize(380, 340);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QAbout{background:#ffffff;}"
                                 "QLabel#lab_name{color:#1f2d3d;font-size:20px;font-weight:600;}"
                                 "QLabel#lab_version{color:#6b7c8f;font-size:13px;}"
                                 "QLabel#lab_notice{color:#9aa7b4;font-size:11px;}"
                                 "QFrame#line_separator{background:#e6ebf0;border:none;}"));

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("lab_icon"));
    m_icon->setAlignment(Qt::AlignCenter);
    const QPixmap icon(QStringLiteral(":/resource/twinscan128.png"));
    if (icon.isNull())
        qDebug() << Q_FUNC_INFO << "icon :/resource/twinscan128.png is missing";
    else
        m_icon->setPixmap(icon.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_icon->setFixedHeight(104);

    m_name = new QLabel(QString::fromLatin1(Product::Name), this);
    m_name->setObjectName(QStringLiteral("lab_name"));
    m_name->setAlignment(Qt::AlignCenter);

    m_version = new QLabel(versionText(), this);
    m_version->setObjectName(QStringLiteral("lab_version"));
    m_version->setAlignment(Qt::AlignCenter);

    auto *separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("line_separator"));
    separator->setFixedSize(220, 1);

    m_notice = new QLabel(noticeText(), this);
    m_notice->setObjectName(QStringLiteral("lab_notice"));
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setWordWrap(true);

    m_moreInfo = new QPushButton(tr("More Info"), this);
    m_moreInfo->setObjectName(QStringLiteral("btn_moreInfo"));
    m_moreInfo->setCursor(Qt::PointingHandCursor);
    m_moreInfo->setFixedSize(132, 34);
    m_moreInfo->setDefault(true);
    QFont buttonFont = m_moreInfo->font();
    buttonFont.setPixelSize(13);
    buttonFont.setWeight(QFont::DemiBold);
    m_moreInfo->setFont(buttonFont);
    FlatUI::instance()->applyButtonStyle(m_moreInfo, 17, 4, QString::fromLatin1(Accent),
        QStringLiteral("#ffffff"), QString::fromLatin1(Accent), QString::fromLatin1(AccentHover),
        QStringLiteral("#ffffff"), QString::fromLatin1(AccentHover),
        QString::fromLatin1(AccentPressed), QStringLiteral("#ffffff"),
        QString::fromLatin1(AccentPressed), FlatUI::Rounded);
    auto *shadow = new QGraphicsDropShadowEffect(m_moreInfo);
    shadow->setBlurRadius(12);
    shadow->setOffset(0, 2);
    shadow->setColor(QColor(59, 153, 252, 90));
    m_moreInfo->setGraphicsEffect(shadow);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 26, 30, 30);
    layout->setSpacing(0);
    layout->addWidget(m_icon);
    layout->addSpacing(8);
    layout->addWidget(m_name);
    layout->addSpacing(4);
    layout->addWidget(m_version);
    layout->addSpacing(16);
    layout->addWidget(separator, 0, Qt::AlignHCenter);
    layout->addSpacing(14);
    layout->addWidget(m_notice);
    layout->addStretch(1);
    layout->addWidget(m_moreInfo, 0, Qt::AlignHCenter);

    // Connected by hand: the automatic connection needs setupUi().
    connect(m_moreInfo, &QPushButton::clicked, this, &QAbout::on_btn_moreInfo_clicked);
}

QString QAbout::productUrl()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QString::fromLatin1(Product::Organisation), QString::fromLatin1(Product::Name));
    const QString url = settings.value(QStringLiteral("product_url")).toString().trimmed();
    return url.isEmpty() ? QString::fromLatin1(DefaultProductUrl) : url;
}

QString QAbout::versionText()
{
    return tr("Version %1").arg(QStringLiteral(TW_VERSION));
}

QString QAbout::noticeText()
{
    return tr("Copyright © %1 %2. All rights reserved.")
        .arg(QDate::currentDate().year())
        .arg(QString::fromLatin1(Product::Organisation));
}

void QAbout::on_btn_moreInfo_clicked()
{
    const QUrl url(productUrl());
    if (!DesktopPrompts::openUrl(url))
        qWarning() << Q_FUNC_INFO << "cannot open" << url.toString();
}
