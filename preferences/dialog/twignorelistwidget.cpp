#include "preferences/dialog/twignorelistwidget.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "widgets/twunfocuseditemdelegate.h"

TwIgnoreListWidget::TwIgnoreListWidget(QWidget *parent)
    : TwPreferencesPage(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 12, 18, 12);
    layout->setSpacing(6);

    layout->addWidget(sectionLabel(tr("Ignore folders and files in the list:")));
    lwIgnoreList = new QListWidget(this);
    lwIgnoreList->setObjectName(QStringLiteral("lwIgnoreList"));
    lwIgnoreList->setSelectionMode(QAbstractItemView::SingleSelection);
    lwIgnoreList->setAlternatingRowColors(true);
    lwIgnoreList->setTextElideMode(Qt::ElideMiddle);
    lwIgnoreList->setItemDelegate(new TwUnfocusedItemDelegate(lwIgnoreList));
    layout->addWidget(lwIgnoreList, 1);

    btnAddIgnore = new QPushButton(tr("Add"), this);
    btnAddIgnore->setObjectName(QStringLiteral("btnAddIgnore"));
    btnRemoveIgnore = new QPushButton(tr("Remove"), this);
    btnRemoveIgnore->setObjectName(QStringLiteral("btnRemoveIgnore"));
    btnClear = new QPushButton(tr("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    stylePrimaryButton(btnAddIgnore);
    styleSecondaryButton(btnRemoveIgnore);
    styleSecondaryButton(btnClear);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAddIgnore);
    buttons->addWidget(btnRemoveIgnore);
    buttons->addWidget(btnClear);
    layout->addLayout(buttons);

    layout->addSpacing(6);
    layout->addWidget(sectionLabel(tr("Ignore files of particular extensions:")));
    pxtFileTypes = new QPlainTextEdit(this);
    pxtFileTypes->setObjectName(QStringLiteral("pxtFileTypes"));
    pxtFileTypes->setFixedHeight(100);
    layout->addWidget(pxtFileTypes);
    auto *hint = new QLabel(tr("Separate extensions with comma, such as txt, avi, dll"), this);
    hint->setProperty("hint", true);
    layout->addWidget(hint);

    layout->addSpacing(6);
    chkIgnoreSystemHidden = new QCheckBox(tr("Ignore System Hidden Files and Folders"), this);
    chkIgnoreSystemHidden->setObjectName(QStringLiteral("chkIgnoreSystemHidden"));
    layout->addWidget(chkIgnoreSystemHidden);

    connect(
        btnAddIgnore, &QPushButton::clicked, this, &TwIgnoreListWidget::on_btnAddIgnore_clicked);
    connect(btnRemoveIgnore, &QPushButton::clicked, this,
        &TwIgnoreListWidget::on_btnRemoveIgnore_clicked);
    connect(btnClear, &QPushButton::clicked, this, &TwIgnoreListWidget::on_btnClear_clicked);
    connect(lwIgnoreList, &QListWidget::itemSelectionChanged, this,
        &TwIgnoreListWidget::on_lwIgnoreList_itemSelectionChanged);
    connect(pxtFileTypes, &QPlainTextEdit::textChanged, this,
        &TwIgnoreListWidget::on_pxtFileTypes_textChanged);
    connect(chkIgnoreSystemHidden, &QCheckBox::stateChanged, this,
        &TwIgnoreListWidget::on_chkIgnoreSystemHidden_stateChanged);

    refresh();
}

void TwIgnoreListWidget::setPreferences(const TwIgnoreListPreferences &preferences)
{
    m_preferences = preferences;
    refresh();
}

void TwIgnoreListWidget::setPathsPicker(PathsPicker picker)
{
    m_pathsPicker = std::move(picker);
}

void TwIgnoreListWidget::refresh()
{
    lwIgnoreList->clear();
    const QVector<QString> paths = m_preferences.ignorePaths();
    for (const QString &path : paths) {
        auto *item = new QListWidgetItem(path, lwIgnoreList);
        item->setToolTip(path);
    }
    // No row is current either, so nothing looks chosen before the user picks it.
    lwIgnoreList->setCurrentRow(-1);
    btnRemoveIgnore->setEnabled(false);
    chkIgnoreSystemHidden->setChecked(m_preferences.ignoreSystemHidden());
    pxtFileTypes->setPlainText(m_preferences.extensionsText(QLatin1Char(',')));
    btnClear->setEnabled(lwIgnoreList->count() > 0);
}

QStringList TwIgnoreListWidget::choosePaths()
{
    if (m_pathsPicker)
        return m_pathsPicker(this);
    // The toolkit's own dialog: the native one cannot select several folders.
    QFileDialog dialog(this, tr("Select Files and Folders"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    for (const char *name : { "listView", "treeView" }) {
        if (auto *view = dialog.findChild<QAbstractItemView *>(QLatin1String(name)))
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void TwIgnoreListWidget::on_btnAddIgnore_clicked()
{
    const QStringList paths = choosePaths();
    if (paths.isEmpty())
        return;
    m_preferences.addIgnorePaths(paths);
    refresh();
}

void TwIgnoreListWidget::on_btnRemoveIgnore_clicked()
{
    const QList<QListWidgetItem *> selected = lwIgnoreList->selectedItems();
    if (selected.isEmpty())
        return;
    m_preferences.removeIgnorePathAt(lwIgnoreList->row(selected.first()));
    refresh();
}

void TwIgnoreListWidget::on_btnClear_clicked()
{
    m_preferences.clearIgnorePaths();
    refresh();
}

void TwIgnoreListWidget::on_lwIgnoreList_itemSelectionChanged()
{
    btnRemoveIgnore->setEnabled(!lwIgnoreList->selectedItems().isEmpty());
}

void TwIgnoreListWidget::on_pxtFileTypes_textChanged()
{
    m_preferences.setExtensionsText(pxtFileTypes->toPlainText(), QLatin1Char(','));
}

void TwIgnoreListWidget::on_chkIgnoreSystemHidden_stateChanged(int state)
{
    m_preferences.setIgnoreSystemHidden(state == Qt::Checked);
}
