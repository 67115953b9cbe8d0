#include "preferences/dialog/twgeneralwidget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include "preferences/filecachesetting.h"

namespace {

QString percentText(int value)
{
    return QStringLiteral("%1%").arg(value);
}

// Single precision on purpose: 0.45f * 100 is 45 in float, 44.99... in double.
int sliderPosition(float fraction)
{
    const float product = fraction * 100.0f;
    return static_cast<int>(product);
}

// The page is taller than its controls: the sections share the spare
// height instead of leaving it all below the last one.
void addSectionGap(QVBoxLayout *layout)
{
    layout->addSpacing(10);
    layout->addStretch(1);
}

} // namespace

TwGeneralWidget::TwGeneralWidget(QWidget *parent)
    : TwPreferencesPage(parent)
{
    buildControls();
    connectControls();
    refresh();
}

void TwGeneralWidget::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 12, 18, 12);
    layout->setSpacing(6);

    layout->addWidget(sectionLabel(tr("Scan Method")));
    rbFileContent = new QRadioButton(tr("File Content"), this);
    rbFileContent->setObjectName(QStringLiteral("rbFileContent"));
    rbFileName = new QRadioButton(tr("File Name"), this);
    rbFileName->setObjectName(QStringLiteral("rbFileName"));
    m_scanGroup = new QButtonGroup(this);
    m_scanGroup->addButton(rbFileContent);
    m_scanGroup->addButton(rbFileName);
    auto *scanRow = new QHBoxLayout;
    scanRow->setContentsMargins(12, 0, 0, 0);
    scanRow->addWidget(rbFileContent);
    scanRow->addSpacing(24);
    scanRow->addWidget(rbFileName);
    scanRow->addStretch();
    layout->addLayout(scanRow);

    addSectionGap(layout);
    layout->addWidget(sectionLabel(tr("Remove Method")));
    rbMoveToTrash = new QRadioButton(tr("Move to Trash"), this);
    rbMoveToTrash->setObjectName(QStringLiteral("rbMoveToTrash"));
    rbRemovePermanently = new QRadioButton(tr("Remove Permanently"), this);
    rbRemovePermanently->setObjectName(QStringLiteral("rbRemovePermanently"));
    rbMoveToFolder = new QRadioButton(tr("Move to Folder"), this);
    rbMoveToFolder->setObjectName(QStringLiteral("rbMoveToFolder"));
    m_removalGroup = new QButtonGroup(this);
    m_removalGroup->addButton(rbMoveToTrash);
    m_removalGroup->addButton(rbRemovePermanently);
    m_removalGroup->addButton(rbMoveToFolder);

    lineEdit = new QLineEdit(this);
    lineEdit->setObjectName(QStringLiteral("lineEdit"));
    lineEdit->setReadOnly(true);
    lineEdit->setPlaceholderText(tr("Choose a folder for the removed files"));
    styleLineEdit(lineEdit);
    // The page is of fixed size; without a floor the folder row is the one
    // squeezed, down to a field that cuts its text in half.
    lineEdit->setMinimumHeight(lineEdit->sizeHint().height());
    btn_selectPath = new QPushButton(this);
    btn_selectPath->setObjectName(QStringLiteral("btn_selectPath"));
    btn_selectPath->setIcon(QIcon(QStringLiteral(":/resource/setting.png")));
    btn_selectPath->setToolTip(tr("Choose the folder that receives the removed files"));
    btn_selectPath->setMinimumHeight(20);
    btn_selectPath->setMaximumWidth(20);
    styleIconButton(btn_selectPath);
    btn_openFolder = new QPushButton(this);
    btn_openFolder->setObjectName(QStringLiteral("btn_openFolder"));
    btn_openFolder->setIcon(QIcon(QStringLiteral(":/resource/openInFinder.png")));
    btn_openFolder->setToolTip(tr("Show this folder in the file browser"));
    btn_openFolder->setMinimumHeight(20);
    btn_openFolder->setMaximumWidth(20);
    styleIconButton(btn_openFolder);
    // There is nothing to show until a folder has been chosen.
    btn_openFolder->setEnabled(false);
    connect(lineEdit, &QLineEdit::textChanged, btn_openFolder,
        [this](const QString &text) { btn_openFolder->setEnabled(!text.isEmpty()); });
    // The folder row belongs to "Move to Folder": it sits on its own line
    // below it, indented to the button's text, so the whole path fits.
    auto *removal = new QGridLayout;
    removal->setContentsMargins(12, 0, 0, 0);
    removal->setHorizontalSpacing(24);
    removal->setVerticalSpacing(4);
    removal->addWidget(rbMoveToTrash, 0, 0);
    removal->addWidget(rbRemovePermanently, 0, 1);
    removal->addWidget(rbMoveToFolder, 1, 0, 1, 2);
    removal->setColumnStretch(2, 1);
    auto *folderRow = new QHBoxLayout;
    folderRow->setContentsMargins(22, 0, 0, 0);
    folderRow->setSpacing(6);
    folderRow->addWidget(lineEdit, 1);
    folderRow->addWidget(btn_selectPath);
    folderRow->addWidget(btn_openFolder);
    removal->addLayout(folderRow, 2, 0, 1, 3);
    layout->addLayout(removal);

    addSectionGap(layout);
    layout->addWidget(sectionLabel(tr("Similar Image Method")));
    rbAccurate = new QRadioButton(tr("Accurate"), this);
    rbAccurate->setObjectName(QStringLiteral("rbAccurate"));
    rbAccurate->setToolTip(tr("Compares every photo with its likely matches; finds resized, "
                              "recompressed, rotated and greyscale copies"));
    rbClassic = new QRadioButton(tr("Classic"), this);
    rbClassic->setObjectName(QStringLiteral("rbClassic"));
    rbClassic->setToolTip(tr("The earlier method: colour histogram and feature matching "
                             "against the first image of each group"));
    m_similarGroup = new QButtonGroup(this);
    m_similarGroup->addButton(rbAccurate);
    m_similarGroup->addButton(rbClassic);
    rbAccurate->setChecked(true);
    auto *similarRow = new QHBoxLayout;
    similarRow->setContentsMargins(12, 0, 0, 0);
    similarRow->addWidget(rbAccurate);
    similarRow->addSpacing(24);
    similarRow->addWidget(rbClassic);
    similarRow->addStretch();
    layout->addLayout(similarRow);

    auto addSliderRow = [this, layout](const QString &title, const QString &name, int min, int max,
                            QSlider *&slider, QLabel *&valueLabel) {
        addSectionGap(layout);
        layout->addWidget(sectionLabel(title));
        slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(name);
        slider->setRange(min, max);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setPageStep(5);
        styleSlider(slider);
        valueLabel = new QLabel(this);
        valueLabel->setObjectName(QStringLiteral("lblSimilarity") + name.mid(12));
        valueLabel->setMinimumWidth(40);
        valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *row = new QHBoxLayout;
        row->setContentsMargins(12, 0, 0, 0);
        row->addWidget(slider, 1);
        row->addWidget(valueLabel);
        layout->addLayout(row);
    };
    addSliderRow(tr("Image Similarity"), QStringLiteral("hsSimilarity"), 0, 100, hsSimilarity,
        lblSimilarity);
    addSliderRow(tr("Features Similarity"), QStringLiteral("hsSimilarity_2"), 20, 60,
        hsSimilarity_2, lblSimilarity_2);

    addSectionGap(layout);
    layout->addWidget(sectionLabel(tr("Select Minimum and Maximum file size")));
    sbMinimumFileSize = new QSpinBox(this);
    sbMinimumFileSize->setObjectName(QStringLiteral("sbMinimumFileSize"));
    sbMinimumFileSize->setRange(0, 10000000);
    sbMaximumFileSize = new QSpinBox(this);
    sbMaximumFileSize->setObjectName(QStringLiteral("sbMaximumFileSize"));
    sbMaximumFileSize->setRange(1, 100000);
    auto *sizes = new QGridLayout;
    sizes->setContentsMargins(12, 0, 0, 0);
    sizes->setHorizontalSpacing(8);
    sizes->addWidget(new QLabel(tr("Minimum file  size"), this), 0, 0);
    sizes->addWidget(sbMinimumFileSize, 0, 1);
    sizes->addWidget(new QLabel(tr("KB"), this), 0, 2);
    sizes->addWidget(new QLabel(tr("Maximum file size"), this), 1, 0);
    sizes->addWidget(sbMaximumFileSize, 1, 1);
    sizes->addWidget(new QLabel(tr("MB"), this), 1, 2);
    sizes->setColumnMinimumWidth(1, 140);
    sizes->setColumnStretch(3, 1);
    layout->addLayout(sizes);

    addSectionGap(layout);
    chkCheckUpdates = new QCheckBox(tr("Check for updates at start"), this);
    chkCheckUpdates->setObjectName(QStringLiteral("chkCheckUpdates"));
    chkCheckUpdates->setChecked(true);
    layout->addWidget(chkCheckUpdates);

    chkUseCache = new QCheckBox(tr("Remember unchanged files for the next scan"), this);
    chkUseCache->setObjectName(QStringLiteral("chkUseCache"));
    chkUseCache->setToolTip(tr("Fingerprints and image features of files that have not changed "
                               "are kept, so the next scan does not read them again"));
    chkUseCache->setChecked(FileCacheSetting::Default);
    btnClearCache = new QPushButton(tr("Clear Cache"), this);
    btnClearCache->setObjectName(QStringLiteral("btnClearCache"));
    lblCacheSize = new QLabel(this);
    lblCacheSize->setObjectName(QStringLiteral("lblCacheSize"));
    layout->addWidget(chkUseCache);
    auto *cacheRow = new QHBoxLayout;
    cacheRow->setContentsMargins(22, 0, 0, 0);
    cacheRow->setSpacing(8);
    cacheRow->addWidget(btnClearCache);
    cacheRow->addWidget(lblCacheSize);
    cacheRow->addStretch();
    layout->addLayout(cacheRow);
    showCacheSize();
    layout->addStretch(1);
}

void TwGeneralWidget::showCacheSize()
{
    const qint64 bytes = FileCacheSetting::cacheBytes();
    lblCacheSize->setText(
        bytes > 0 ? tr("%1 in use").arg(locale().formattedDataSize(bytes)) : tr("Empty"));
    btnClearCache->setEnabled(bytes > 0);
}

void TwGeneralWidget::on_btnClearCache_clicked()
{
    if (!FileCacheSetting::clearCache())
        qWarning() << "TwGeneralWidget: the cache could not be removed"
                   << FileCacheSetting::cacheFile();
    showCacheSize();
}

bool TwGeneralWidget::cacheEnabled() const
{
    return chkUseCache->isChecked();
}

void TwGeneralWidget::setCacheEnabled(bool enabled)
{
    chkUseCache->setChecked(enabled);
    // Scans since the page was made may have grown the cache.
    showCacheSize();
}

bool TwGeneralWidget::checkUpdatesAtStart() const
{
    return chkCheckUpdates->isChecked();
}

void TwGeneralWidget::setCheckUpdatesAtStart(bool enabled)
{
    chkCheckUpdates->setChecked(enabled);
}

SimilarMethodSetting::Method TwGeneralWidget::similarMethod() const
{
    return rbClassic->isChecked() ? SimilarMethodSetting::Classic : SimilarMethodSetting::Accurate;
}

void TwGeneralWidget::setSimilarMethod(SimilarMethodSetting::Method method)
{
    (method == SimilarMethodSetting::Classic ? rbClassic : rbAccurate)->setChecked(true);
}

void TwGeneralWidget::connectControls()
{
    connect(
        rbFileContent, &QRadioButton::toggled, this, &TwGeneralWidget::on_rbFileContent_toggled);
    connect(rbFileName, &QRadioButton::toggled, this, &TwGeneralWidget::on_rbFileName_toggled);
    connect(
        rbMoveToTrash, &QRadioButton::toggled, this, &TwGeneralWidget::on_rbMoveToTrash_toggled);
    connect(rbRemovePermanently, &QRadioButton::toggled, this,
        &TwGeneralWidget::on_rbRemovePermanently_toggled);
    connect(
        rbMoveToFolder, &QRadioButton::toggled, this, &TwGeneralWidget::on_rbMoveToFolder_toggled);
    connect(
        btn_selectPath, &QPushButton::clicked, this, &TwGeneralWidget::on_btn_selectPath_clicked);
    connect(btnClearCache, &QPushButton::clicked, this, &TwGeneralWidget::on_btnClearCache_clicked);
    connect(
        btn_openFolder, &QPushButton::clicked, this, &TwGeneralWidget::on_btn_openFolder_clicked);
    connect(
        hsSimilarity, &QSlider::valueChanged, this, &TwGeneralWidget::on_hsSimilarity_valueChanged);
    connect(hsSimilarity_2, &QSlider::valueChanged, this,
        &TwGeneralWidget::on_hsSimilarity_2_valueChanged);
    connect(
        hsSimilarity, &QSlider::rangeChanged, this, &TwGeneralWidget::on_hsSimilarity_rangeChanged);
    connect(sbMinimumFileSize, QOverload<int>::of(&QSpinBox::valueChanged), this,
        &TwGeneralWidget::on_sbMinimumFileSize_valueChanged);
    connect(sbMaximumFileSize, QOverload<int>::of(&QSpinBox::valueChanged), this,
        &TwGeneralWidget::on_sbMaximumFileSize_valueChanged);
}

void TwGeneralWidget::setPreferences(const TwGenernalPreferences &preferences)
{
    m_preferences = preferences;
    refresh();
}

void TwGeneralWidget::refresh()
{
    // Copy the values first: the control setters below write back into the copy.
    TwGenernalPreferences shown;
    shown = m_preferences;

    if (shown.scanMethod() != TwGenernalPreferences::ScanByFileContent)
        rbFileName->setChecked(true);
    else
        rbFileContent->setChecked(true);

    const int removal = shown.removalMethod();
    if (removal == TwGenernalPreferences::MoveToFolder)
        rbMoveToFolder->setChecked(true);
    else if (removal != TwGenernalPreferences::MoveToTrash)
        rbRemovePermanently->setChecked(true);
    else
        rbMoveToTrash->setChecked(true);
    lineEdit->setEnabled(rbMoveToFolder->isChecked());
    // An unknown stored method is shown as the nearest button; keep the copy in
    // step with what the page shows so OK writes what the user saw.
    m_preferences.setScanMethod(rbFileName->isChecked() ? TwGenernalPreferences::ScanByFileName
                                                        : TwGenernalPreferences::ScanByFileContent);
    m_preferences.setRemovalMethod(rbMoveToFolder->isChecked() ? TwGenernalPreferences::MoveToFolder
            : rbRemovePermanently->isChecked() ? TwGenernalPreferences::RemovePermanently
                                               : TwGenernalPreferences::MoveToTrash);

    showThreshold(
        hsSimilarity, shown.imageSimilarity(), &TwGenernalPreferences::setImageSimilarity);
    showThreshold(
        hsSimilarity_2, shown.featureSimilarity(), &TwGenernalPreferences::setFeatureSimilarity);
    lblSimilarity->setText(percentText(hsSimilarity->value()));
    lblSimilarity_2->setText(percentText(hsSimilarity_2->value()));

    lineEdit->setText(shown.moveToFolderPath());
    sbMinimumFileSize->setValue(static_cast<int>(qBound<qint64>(
        sbMinimumFileSize->minimum(), shown.minimumFileSize(), sbMinimumFileSize->maximum())));
    sbMaximumFileSize->setValue(static_cast<int>(qBound<qint64>(
        sbMaximumFileSize->minimum(), shown.maximumFileSize(), sbMaximumFileSize->maximum())));
}

void TwGeneralWidget::showThreshold(
    QSlider *slider, float value, void (TwGenernalPreferences::*set)(float))
{
    const int position = sliderPosition(value);
    slider->setValue(position);
    // A value equal to the slider's position fires nothing and keeps its
    // precision; one outside the range must not survive unseen.
    if (slider->value() != position)
        (m_preferences.*set)(static_cast<float>(slider->value()) / 100.0f);
}

bool TwGeneralWidget::validate()
{
    const qint64 minimum = sbMinimumFileSize->value();
    const qint64 maximum = sbMaximumFileSize->value();
    if (minimum >= maximum * 1024) {
        showError(tr("The maximum file size cannot be less than the minimum file size."));
        return false;
    }
    m_preferences.setMaximumFileSize(maximum);
    m_preferences.setMinimumFileSize(minimum);
    if (rbMoveToFolder->isChecked() && lineEdit->text().isEmpty()) {
        showError(tr("Please select the folder where the deleted files will be moved to."));
        return false;
    }
    return true;
}

void TwGeneralWidget::on_rbFileContent_toggled(bool checked)
{
    if (checked)
        m_preferences.setScanMethod(TwGenernalPreferences::ScanByFileContent);
}

void TwGeneralWidget::on_rbFileName_toggled(bool checked)
{
    if (checked)
        m_preferences.setScanMethod(TwGenernalPreferences::ScanByFileName);
}

void TwGeneralWidget::on_rbMoveToTrash_toggled(bool checked)
{
    if (!checked)
        return;
    m_preferences.setRemovalMethod(TwGenernalPreferences::MoveToTrash);
    lineEdit->setEnabled(false);
}

void TwGeneralWidget::on_rbRemovePermanently_toggled(bool checked)
{
    if (!checked)
        return;
    m_preferences.setRemovalMethod(TwGenernalPreferences::RemovePermanently);
    lineEdit->setEnabled(false);
}

void TwGeneralWidget::on_rbMoveToFolder_toggled(bool checked)
{
    if (!checked)
        return;
    m_preferences.setRemovalMethod(TwGenernalPreferences::MoveToFolder);
    lineEdit->setEnabled(true);
}

void TwGeneralWidget::on_btn_selectPath_clicked()
{
    const QString folder = chooseFolder(tr("Select folder"), QStringLiteral("/"));
    if (folder.isEmpty())
        return;
    m_preferences.setMoveToFolderPath(folder);
    lineEdit->setText(folder);
}

void TwGeneralWidget::on_btn_openFolder_clicked()
{
    const QString folder = lineEdit->text();
    if (folder.isEmpty())
        return;
    if (!openUrl(QUrl::fromLocalFile(folder)))
        qDebug() << Q_FUNC_INFO << "cannot open" << folder;
}

void TwGeneralWidget::on_hsSimilarity_valueChanged(int value)
{
    m_preferences.setImageSimilarity(static_cast<float>(value) / 100.0f);
    lblSimilarity->setText(percentText(value));
}

void TwGeneralWidget::on_hsSimilarity_2_valueChanged(int value)
{
    m_preferences.setFeatureSimilarity(static_cast<float>(value) / 100.0f);
    lblSimilarity_2->setText(percentText(value));
}

void TwGeneralWidget::on_hsSimilarity_rangeChanged(int, int) { }

// The sizes are taken by validate() when OK is pressed.
void TwGeneralWidget::on_sbMinimumFileSize_valueChanged(int) { }

void TwGeneralWidget::on_sbMaximumFileSize_valueChanged(int) { }
