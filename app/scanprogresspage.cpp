#include "app/scanprogresspage.h"

#include <QFontMetrics>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QVariant>

#include "engine/twsearchresult.h"
#include "widgets/crotatelabel.h"

namespace {

const char *const FilesScannedText = QT_TRANSLATE_NOOP("ScanProgressPage", "Files Scanned");

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry,
    Qt::Alignment alignment = Qt::AlignCenter)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

// A white card with a caption above its figure; returns the figure.
QLabel *makeCard(
    QWidget *parent, const QRect &geometry, const QString &caption, const char *valueName)
{
    auto *card = new QFrame(parent);
    card->setProperty("class", QStringLiteral("card"));
    card->setGeometry(geometry);
    auto *captionLabel = makeLabel(
        card, "", QRect(14, 14, geometry.width() - 24, 18), Qt::AlignLeft | Qt::AlignVCenter);
    captionLabel->setProperty("class", QStringLiteral("caption"));
    captionLabel->setText(caption);
    return makeLabel(card, valueName, QRect(14, 38, geometry.width() - 20, 40),
        Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

ScanProgressPage::ScanProgressPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("page_2"));
    const QPixmap done(QStringLiteral(":/resource/scan_ring_done.png"));
    lab_ringDone = makeLabel(this, "lab_ringDone", QRect(QPoint(64, 54), done.size()));
    lab_ringDone->setPixmap(done);
    lab_ringDone->hide();
    lag_imgAnimation = new CRotateLabel(this);
    lag_imgAnimation->setObjectName(QStringLiteral("lag_imgAnimation"));
    lag_imgAnimation->setGeometry(64, 54, 150, 150);
    lag_imgAnimation->setPixmap(QPixmap(QStringLiteral(":/resource/scan_ring.png")));
    lab_fileNumber = makeLabel(this, "lab_fileNumber", QRect(64, 100, 150, 36));
    lab_fileNumber->setText(QStringLiteral("0"));
    auto *fileCaption = makeLabel(this, "lab_fileCaption", QRect(64, 134, 150, 20));
    fileCaption->setText(tr("Files Found"));
    lab_progress = makeLabel(
        this, "lab_progress", QRect(256, 52, 286, 24), Qt::AlignLeft | Qt::AlignVCenter);
    lab_progress->setText(tr("Files Scanned  0.00%"));
    bar_progress = new QProgressBar(this);
    bar_progress->setObjectName(QStringLiteral("bar_progress"));
    bar_progress->setGeometry(256, 82, 286, 6);
    bar_progress->setRange(0, 1000);
    bar_progress->setValue(0);
    bar_progress->setTextVisible(false);
    lab_findNumber
        = makeCard(this, QRect(256, 108, 139, 92), tr("Duplicates Found"), "lab_findNumber");
    lab_findNumber->setText(QStringLiteral("0"));
    lab_findSize
        = makeCard(this, QRect(403, 108, 139, 92), tr("Size of Duplicates"), "lab_findSize");
    setSizeText(QStringLiteral("0M"));
    lab_folder
        = makeLabel(this, "lab_folder", QRect(64, 216, 478, 18), Qt::AlignLeft | Qt::AlignVCenter);
    lab_folder->setProperty("class", QStringLiteral("caption"));
}

void ScanProgressPage::start()
{
    lag_imgAnimation->startRotation();
    lab_ringDone->hide();
    lab_progress->setText(QStringLiteral("%1 0%").arg(tr(FilesScannedText)));
    bar_progress->setValue(0);
    m_filesFound = 0;
    lab_fileNumber->setText(QStringLiteral("0"));
    setSizeText(QStringLiteral("0M"));
    lab_findNumber->setText(QStringLiteral("0"));
    setFolder(QString());
}

void ScanProgressPage::finish()
{
    setFolder(QString());
    lag_imgAnimation->stopRotation();
    lab_ringDone->show();
    bar_progress->setValue(bar_progress->maximum());
}

void ScanProgressPage::stopAnimation()
{
    lag_imgAnimation->stopRotation();
}

void ScanProgressPage::setFilesFound(qlonglong count)
{
    if (count <= m_filesFound)
        return;
    m_filesFound = count;
    lab_fileNumber->setText(QString::number(count));
}

void ScanProgressPage::setProgress(double percent)
{
    percent = qBound(0.0, percent, 100.0);
    lab_progress->setText(
        QStringLiteral("%1 %2%").arg(tr(FilesScannedText), QLocale().toString(percent, 'f', 2)));
    bar_progress->setValue(int(percent * 10));
}

void ScanProgressPage::setDuplicates(qlonglong count)
{
    lab_findNumber->setText(QString::number(count));
}

void ScanProgressPage::setDuplicateBytes(qlonglong bytes)
{
    setSizeText(TwSearchResult::sizeText(bytes));
}

void ScanProgressPage::setSizeText(const QString &text)
{
    // "1023.99 MB" is wider than the card at the figures' size: the text
    // gets smaller rather than cut.
    int pixels = FigurePixels;
    QFont font = lab_findSize->font();
    font.setBold(true);
    for (; pixels > MinimumFigurePixels; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= lab_findSize->width())
            break;
    }
    m_sizePixels = pixels;
    lab_findSize->setStyleSheet(QStringLiteral("font-size:%1px;").arg(pixels));
    lab_findSize->setText(text);
}

void ScanProgressPage::setFolder(const QString &folder)
{
    m_folder = folder;
    if (folder.isEmpty()) {
        lab_folder->clear();
        return;
    }
    const QString text = tr("Reading %1").arg(QDir::toNativeSeparators(folder));
    // Deep trees make long paths: the middle goes, both ends stay readable.
    lab_folder->setText(
        lab_folder->fontMetrics().elidedText(text, Qt::ElideMiddle, lab_folder->width()));
    lab_folder->setToolTip(folder);
}
