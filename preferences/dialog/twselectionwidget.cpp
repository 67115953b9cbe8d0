#include "preferences/dialog/twselectionwidget.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QButtonGroup>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "widgets/twunfocuseditemdelegate.h"

TwSelectionWidget::TwSelectionWidget(QWidget *parent)
    : TwPreferencesPage(parent)
{
    buildControls();
    refresh();
}

void TwSelectionWidget::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    // Narrow side margins: the longer bold heading must fit on one line.
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(4);

    auto addRadio = [this](QVBoxLayout *target, QButtonGroup *group, const QString &text,
                        const QString &name, int id) {
        auto *button = new QRadioButton(text, this);
        button->setObjectName(name);
        group->addButton(button, id);
        target->addWidget(button);
        return button;
    };

    layout->addWidget(
        sectionLabel(tr("Select duplicates for removal following preset rules below:")));
    auto *duplicateRules = new QVBoxLayout;
    duplicateRules->setContentsMargins(12, 0, 0, 0);
    duplicateRules->setSpacing(2);
    m_duplicateGroup = new QButtonGroup(this);
    rbSelectionNewest
        = addRadio(duplicateRules, m_duplicateGroup, tr("Select newest duplicates for removal"),
            QStringLiteral("rbSelectionNewest"), TwSelectionPreferences::SelectNewest);
    rbSelectionOldest
        = addRadio(duplicateRules, m_duplicateGroup, tr("Select oldest duplicates for removal"),
            QStringLiteral("rbSelectionOldest"), TwSelectionPreferences::SelectOldest);
    rbAutoSelection = addRadio(duplicateRules, m_duplicateGroup,
        tr("Auto-select to remove duplicates by filename"), QStringLiteral("rbAutoSelection"),
        TwSelectionPreferences::SelectByFileName);
    rbSelectionPriority = addRadio(duplicateRules, m_duplicateGroup,
        tr("Select duplicates for removal from prioritized location"),
        QStringLiteral("rbSelectionPriority"), TwSelectionPreferences::SelectByPriority);
    layout->addLayout(duplicateRules);

    tableWidget = new QTableWidget(0, 2, this);
    tableWidget->setObjectName(QStringLiteral("tableWidget"));
    tableWidget->setHorizontalHeaderLabels({ tr("Priority"), tr("Path") });
    tableWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    tableWidget->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableWidget->setSortingEnabled(false);
    tableWidget->setAlternatingRowColors(true);
    tableWidget->setShowGrid(false);
    tableWidget->horizontalHeader()->setStretchLastSection(true);
    tableWidget->horizontalHeader()->setHighlightSections(false);
    tableWidget->horizontalHeader()->resizeSection(PriorityColumn, 80);
    tableWidget->verticalHeader()->setVisible(false);
    tableWidget->verticalHeader()->setDefaultSectionSize(24);
    tableWidget->setMinimumHeight(100);
    tableWidget->setMaximumHeight(300);
    tableWidget->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    tableWidget->setTextElideMode(Qt::ElideMiddle);
    tableWidget->setItemDelegate(new TwUnfocusedItemDelegate(tableWidget));
    tableWidget->setEditTriggers(QAbstractItemView::DoubleClicked
        | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    layout->addWidget(tableWidget);

    btnAddPrior = new QPushButton(tr("Add"), this);
    btnAddPrior->setObjectName(QStringLiteral("btnAddPrior"));
    btnRemovePrior = new QPushButton(tr("Remove"), this);
    btnRemovePrior->setObjectName(QStringLiteral("btnRemovePrior"));
    btnRemovePrior->setEnabled(false);
    stylePrimaryButton(btnAddPrior);
    styleSecondaryButton(btnRemovePrior);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAddPrior);
    buttons->addWidget(btnRemovePrior);
    layout->addLayout(buttons);

    lblTip = new QLabel(tr("The larger the value, the higher priority to delete. Double click to "
                           "change the value and it's priority."),
        this);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->setWordWrap(true);
    lblTip->setProperty("hint", true);
    layout->addWidget(lblTip);

    layout->addSpacing(8);
    // The longest heading of the dialog: set a little tighter so that it stays
    // on one line like the others.
    QLabel *similarHeading
        = sectionLabel(tr("Select similar images for removal following preset rules below:"));
    QFont tight = similarHeading->font();
    tight.setLetterSpacing(QFont::PercentageSpacing, 94);
    similarHeading->setFont(tight);
    layout->addWidget(similarHeading);
    auto *similarRules = new QVBoxLayout;
    similarRules->setContentsMargins(12, 0, 0, 0);
    similarRules->setSpacing(2);
    m_similarGroup = new QButtonGroup(this);
    // The "follow" button has no rule number of its own: it takes the
    // duplicate rule's value when chosen.
    rbFollowDuplicateRules = addRadio(similarRules, m_similarGroup,
        tr("Follow the duplicates removal rule"), QStringLiteral("rbFollowDuplicateRules"), -2);
    rbHighResolution = addRadio(similarRules, m_similarGroup,
        tr("Select high-resolution similar images for removal"), QStringLiteral("rbHighResolution"),
        TwSelectionPreferences::SelectHighResolution);
    rbLowResolution = addRadio(similarRules, m_similarGroup,
        tr("Select low-resolution similar images for removal"), QStringLiteral("rbLowResolution"),
        TwSelectionPreferences::SelectLowResolution);
    rbHighQuality = addRadio(similarRules, m_similarGroup,
        tr("Select high-quality similar images for removal"), QStringLiteral("rbHighQuality"),
        TwSelectionPreferences::SelectHighQuality);
    rbLowQuality = addRadio(similarRules, m_similarGroup,
        tr("Select low-quality similar images for removal"), QStringLiteral("rbLowQuality"),
        TwSelectionPreferences::SelectLowQuality);
    layout->addLayout(similarRules);
    layout->addStretch();

    for (QAbstractButton *button : m_duplicateGroup->buttons())
        connect(button, &QAbstractButton::toggled, this,
            &TwSelectionWidget::on_duplicateHint_valueChanged);
    for (QAbstractButton *button : m_similarGroup->buttons())
        connect(button, &QAbstractButton::toggled, this,
            &TwSelectionWidget::on_similarHint_valueChanged);
    connect(btnAddPrior, &QPushButton::clicked, this, &TwSelectionWidget::on_btnAddPrior_clicked);
    connect(
        btnRemovePrior, &QPushButton::clicked, this, &TwSelectionWidget::on_btnRemovePrior_clicked);
    connect(tableWidget, &QTableWidget::itemSelectionChanged, this,
        &TwSelectionWidget::on_tableWidget_itemSelectionChanged);
    connect(tableWidget, &QTableWidget::itemChanged, this,
        &TwSelectionWidget::on_tableWidget_itemChanged);
}

void TwSelectionWidget::setPreferences(const TwSelectionPreferences &preferences)
{
    m_preferences = preferences;
    refresh();
}

void TwSelectionWidget::refresh()
{
    const int duplicateRule = m_preferences.duplicateRule();
    if (QAbstractButton *button = m_duplicateGroup->button(duplicateRule)) {
        button->setChecked(true);
    } else if (QAbstractButton *checked = m_duplicateGroup->checkedButton()) {
        // An unknown rule shows no choice; an exclusive group cannot uncheck.
        m_duplicateGroup->setExclusive(false);
        checked->setChecked(false);
        m_duplicateGroup->setExclusive(true);
    }

    switch (m_preferences.similarRule()) {
    case TwSelectionPreferences::SelectHighResolution:
        rbHighResolution->setChecked(true);
        break;
    case TwSelectionPreferences::SelectLowResolution:
        rbLowResolution->setChecked(true);
        break;
    case TwSelectionPreferences::SelectHighQuality:
        rbHighQuality->setChecked(true);
        break;
    case TwSelectionPreferences::SelectLowQuality:
        rbLowQuality->setChecked(true);
        break;
    default:
        rbFollowDuplicateRules->setChecked(true);
        break;
    }
    rebuildTable();
}

void TwSelectionWidget::rebuildTable()
{
    updatingTable = true;
    tableWidget->clearContents();
    // Every folder gets its row, also when a damaged file gave two folders
    // the same number.
    std::vector<std::pair<int, QString>> rows;
    const QStringList folders = m_preferences.priorityFolders();
    for (const QString &folder : folders)
        rows.emplace_back(m_preferences.priorityOf(folder), folder);
    std::stable_sort(
        rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first < b.first; });

    tableWidget->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        auto *priority = new QTableWidgetItem(QString::number(rows[row].first));
        priority->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
        priority->setTextAlignment(Qt::AlignCenter);
        auto *path = new QTableWidgetItem(rows[row].second);
        path->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        path->setToolTip(rows[row].second);
        tableWidget->setItem(row, PriorityColumn, priority);
        tableWidget->setItem(row, PathColumn, path);
    }
    btnRemovePrior->setEnabled(!tableWidget->selectedItems().isEmpty());
    updatingTable = false;
}

void TwSelectionWidget::restoreCell(QTableWidgetItem *item, const QString &folder)
{
    updatingTable = true;
    item->setText(QString::number(m_preferences.priorityOf(folder)));
    updatingTable = false;
}

void TwSelectionWidget::on_duplicateHint_valueChanged(bool checked)
{
    if (!checked)
        return;
    const int rule = m_duplicateGroup->checkedId();
    if (rule >= 0)
        m_preferences.setDuplicateRule(rule);
}

void TwSelectionWidget::on_similarHint_valueChanged(bool checked)
{
    if (!checked)
        return;
    // Following takes the duplicate rule as it is now; later changes of the
    // duplicate rule do not reach it.
    if (rbFollowDuplicateRules->isChecked())
        m_preferences.setSimilarRule(m_preferences.duplicateRule());
    else if (m_similarGroup->checkedId() >= 0)
        m_preferences.setSimilarRule(m_similarGroup->checkedId());
}

void TwSelectionWidget::on_btnAddPrior_clicked()
{
    const QString folder = chooseFolder(tr("Select Folder"), QString());
    if (folder.isEmpty())
        return;
    if (m_preferences.priorities().contains(folder)) {
        showError(tr("The folder has been added."));
        return;
    }
    m_preferences.setPriority(folder, m_preferences.nextPriority());
    rebuildTable();
}

void TwSelectionWidget::on_btnRemovePrior_clicked()
{
    const QList<QTableWidgetItem *> selected = tableWidget->selectedItems();
    if (selected.isEmpty())
        return;
    const QTableWidgetItem *path = tableWidget->item(selected.first()->row(), PathColumn);
    if (!path)
        return;
    m_preferences.removePriorityFolder(path->text());
    rebuildTable();
}

void TwSelectionWidget::on_tableWidget_itemSelectionChanged()
{
    btnRemovePrior->setEnabled(!tableWidget->selectedItems().isEmpty());
}

void TwSelectionWidget::on_tableWidget_itemChanged(QTableWidgetItem *item)
{
    if (updatingTable || !item || item->column() != PriorityColumn)
        return;
    const QTableWidgetItem *path = tableWidget->item(item->row(), PathColumn);
    if (!path)
        return;
    const QString folder = path->text();
    const QString text = item->text();
    bool isNumber = false;
    const int value = text.toInt(&isNumber, 10);
    if (!isNumber) {
        showError(tr("%1 is not a number.").arg(text));
        restoreCell(item, folder);
        return;
    }
    if (m_preferences.isPriorityUsed(value)) {
        showError(tr("%1 is added.").arg(value));
        restoreCell(item, folder);
        return;
    }
    m_preferences.setPriority(folder, value);
}
