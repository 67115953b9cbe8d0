#include "results/categorybar.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

#include "model/twshared.h"
#include "platform/product.h"
#include "results/imagelistmodel.h"
#include "widgets/flatui.h"

CategoryBar::CategoryBar(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("frame_top"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 15, 10, 15);
    layout->setSpacing(0);
    btnClose = new QPushButton(tr("< Back"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setMinimumHeight(30);
    btnClose->setFont(QFont(QStringLiteral("Arial")));
    btnClose->setCursor(Qt::PointingHandCursor);
    btnClose->setStyleSheet(QStringLiteral(
        "QPushButton{background-color: rgba(255, 255, 255, 0);color: rgb(0, 0, 0);}\n\n\n"
        "QPushButton:hover{color: rgb(75, 132, 255);}\nQPushButton:pressed{color: rgb(75, 132, "
        "255);}\n"));
    btn_over = new QPushButton(tr("Overview"), this);
    btn_over->setObjectName(QStringLiteral("btn_over"));
    btn_over->setMinimumSize(80, 30);
    btn_over->setCheckable(true);
    btn_over->setCursor(Qt::PointingHandCursor);
    QFont overFont = btn_over->font();
    overFont.setPixelSize(13);
    btn_over->setFont(overFont);

    widget_4 = new QWidget(this);
    widget_4->setObjectName(QStringLiteral("widget_4"));
    widget_4->setMinimumSize(660, 30);
    btn_all = addCategoryButton("btn_all", tr("All"), ImageListModel::allCategory(), 20);
    btn_document
        = addCategoryButton("btn_document", tr("Documents"), TwShared::documentsName(), 99);
    btn_image = addCategoryButton("btn_image", tr("Images"), TwShared::imagesName(), 178);
    btn_music = addCategoryButton("btn_music", tr("Musics"), TwShared::musicsName(), 257);
    btn_videos = addCategoryButton("btn_videos", tr("Videos"), TwShared::videosName(), 336);
    btn_archives = addCategoryButton("btn_archives", tr("Archives"), TwShared::archivesName(), 415);
    btn_packages = addCategoryButton("btn_packages", tr("Packages"), TwShared::packagesName(), 494);
    btn_others = addCategoryButton("btn_others", tr("Others"), TwShared::othersName(), 573);
    btn_all->setChecked(true);

    layout->addWidget(btnClose);
    layout->addSpacing(10);
    layout->addWidget(btn_over);
    layout->addStretch(1);
    layout->addWidget(widget_4);
    layout->addStretch(1);

    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (QPushButton *button : { btn_over, btn_all, btn_document, btn_image, btn_videos,
             btn_archives, btn_packages, btn_music, btn_others })
        m_group->addButton(button);

    connect(btnClose, &QPushButton::clicked, this, &CategoryBar::backClicked);
    connect(btn_over, &QPushButton::clicked, this, &CategoryBar::overviewClicked);
}

QPushButton *CategoryBar::addCategoryButton(
    const char *name, const QString &text, const QString &category, int x)
{
    auto *button = new QPushButton(text, widget_4);
    button->setObjectName(QString::fromLatin1(name));
    button->setProperty(CategoryProperty, category);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setGeometry(x, 0, 80, 30);
    button->setCursor(Qt::PointingHandCursor);
    // Eighty pixels must hold "Documents" with room to its borders, whatever
    // the desktop's default font size.
    QFont font = button->font();
    font.setPixelSize(12);
    button->setFont(font);
    connect(button, &QPushButton::clicked, this,
        [this, button] { emit categoryClicked(categoryOf(button)); });
    return button;
}

QList<QWidget *> CategoryBar::tabChain() const
{
    return { btnClose, btn_over, btn_all, btn_document, btn_image, btn_music, btn_videos,
        btn_archives, btn_packages, btn_others };
}

QString CategoryBar::categoryOf(const QPushButton *button) const
{
    return button ? button->property(CategoryProperty).toString() : QString();
}

void CategoryBar::applyStyle()
{
    FlatUI *flat = FlatUI::instance();
    const QString nb = QStringLiteral("#efefef"), nt = QStringLiteral("#606060"),
                  nr = QStringLiteral("#9c9c9c"), hb = QStringLiteral("#e5f1fb"),
                  hr = QStringLiteral("#0078d7"), pb = QString::fromLatin1(Product::AccentColor),
                  pt = QStringLiteral("#ffffff");
    flat->applyButtonStyle(btn_over, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::Rounded);
    flat->applyButtonStyle(btn_all, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::LeftRounded);
    for (QPushButton *button :
        { btn_document, btn_image, btn_videos, btn_archives, btn_packages, btn_music })
        flat->applyButtonStyle(button, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::Square);
    flat->applyButtonStyle(
        btn_others, 5, 0, nb, nt, nr, hb, nt, hr, pb, pt, hr, FlatUI::RightRounded);
}
