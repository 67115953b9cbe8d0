#include "results/removalconfirmdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "engine/twsearchresult.h"
#include "platform/nativepath.h"
#include "platform/product.h"
#include "widgets/desktopprompts.h"

namespace {

bool isPermanent(TwGenernalPreferences::TwRemovalMethodFlag method)
{
    return method == TwGenernalPreferences::RemovePermanently;
}

QLabel *wrappedLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

RemovalConfirmDialog::RemovalConfirmDialog(const RemovalPlan &plan,
    TwGenernalPreferences::TwRemovalMethodFlag method, const QString &targetFolder, QWidget *parent)
    : QDialog(parent)
    , m_plan(plan)
    , m_method(method)
    , m_targetFolder(targetFolder)
{
    setObjectName(QStringLiteral("removalConfirm"));
    setWindowTitle(QString::fromLatin1(Product::Name));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);

    if (m_plan.hasWholeGroups())
        buildWholeGroups(layout);

    layout->addWidget(wrappedLabel(methodText(), QStringLiteral("lab_method"), this));
    m_figures = wrappedLabel(QString(), QStringLiteral("lab_figures"), this);
    layout->addWidget(m_figures);
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("lw_files"));
    m_files->setSelectionMode(QAbstractItemView::NoSelection);
    m_files->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_files->setMinimumHeight(140);
    layout->addWidget(m_files, 1);

    if (isPermanent(m_method)) {
        QLabel *warning = wrappedLabel(
            tr("The selected files will be permanently deleted,are you sure to delete?") + '\n'
                + tr("This cannot be undone."),
            QStringLiteral("lab_permanent"), this);
        QFont bold = warning->font();
        bold.setBold(true);
        warning->setFont(bold);
        layout->addWidget(warning);
    }

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *cancel = buttons->addButton(
        isPermanent(m_method) ? tr("No") : tr("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btn_cancel"));
    m_remove = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    m_remove->setObjectName(QStringLiteral("btn_remove"));
    // Going for good must be chosen, never reached by Enter.
    QPushButton *byDefault = isPermanent(m_method) ? cancel : m_remove;
    m_remove->setAutoDefault(false);
    cancel->setAutoDefault(false);
    byDefault->setDefault(true);
    byDefault->setFocus();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    refresh();
    // Wide enough for deep paths, as far as the screen allows.
    const QRect screen = parent ? parent->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(qBound(qMax(sizeHint().width(), 620), 900, screen.width() - 40),
        qMax(sizeHint().height(), 420));
}

void RemovalConfirmDialog::buildWholeGroups(QVBoxLayout *layout)
{
    m_lastCopy = wrappedLabel(QString(), QStringLiteral("lab_lastCopy"), this);
    QFont bold = m_lastCopy->font();
    bold.setBold(true);
    m_lastCopy->setFont(bold);
    m_lastCopy->setStyleSheet(QStringLiteral("color:#b3261e;"));
    layout->addWidget(m_lastCopy);

    m_wholeGroups = new QListWidget(this);
    m_wholeGroups->setObjectName(QStringLiteral("lw_wholeGroups"));
    m_wholeGroups->setSelectionMode(QAbstractItemView::NoSelection);
    for (const RemovalPlan::WholeGroup &whole : m_plan.wholeGroups()) {
        auto *row = new QListWidgetItem(m_wholeGroups);
        row->setToolTip(whole.members.join('\n'));
    }
    refreshWholeGroups();
    m_wholeGroups->setMaximumHeight(
        qMin(m_wholeGroups->sizeHintForRow(0) * (m_wholeGroups->count() + 1) + 6, 130));
    layout->addWidget(m_wholeGroups);

    m_everyCopy = new QCheckBox(tr("Remove every copy of these files"), this);
    m_everyCopy->setObjectName(QStringLiteral("chk_removeEveryCopy"));
    m_everyCopy->setChecked(false);
    connect(m_everyCopy, &QCheckBox::toggled, this, &RemovalConfirmDialog::refresh);
    layout->addWidget(m_everyCopy);
}

QString RemovalConfirmDialog::lastCopyText() const
{
    const int count = m_plan.wholeGroups().size();
    if (removesEveryCopy())
        return tr("Every file of %n group(s) is marked, and every copy of these files will be "
                  "removed: none of them is kept.",
            nullptr, count);
    return tr("Every file of %n group(s) is marked: removing them all would leave no copy of "
              "these files. One file of each group is kept:",
        nullptr, count);
}

void RemovalConfirmDialog::refreshWholeGroups()
{
    if (!m_lastCopy || !m_wholeGroups)
        return;
    m_lastCopy->setText(lastCopyText());
    const bool everyCopy = removesEveryCopy();
    for (int i = 0; i < m_plan.wholeGroups().size(); ++i) {
        const RemovalPlan::WholeGroup &whole = m_plan.wholeGroups().at(i);
        const QString kind = whole.exactCopies
            ? tr("%n exact copies", nullptr, whole.members.size())
            : tr("%n similar images", nullptr, whole.members.size());
        m_wholeGroups->item(i)->setText(everyCopy
                ? tr("%1 (%2): every copy is removed").arg(whole.name, kind)
                : tr("%1 (%2) keeps %3").arg(whole.name, kind, whole.keeperPath));
    }
}

bool RemovalConfirmDialog::removesEveryCopy() const
{
    return m_everyCopy && m_everyCopy->isChecked();
}

QString RemovalConfirmDialog::methodText() const
{
    switch (m_method) {
    case TwGenernalPreferences::RemovePermanently:
        return tr("Method: delete permanently");
    case TwGenernalPreferences::MoveToFolder:
        if (!m_targetFolder.isEmpty())
            return tr("Method: move to the folder %1. Each file keeps its folders below it, "
                      "starting with the scanned folder it was found in.")
                .arg(m_targetFolder);
        break;
    default:
        break;
    }
    return tr("Method: move to the trash");
}

QString RemovalConfirmDialog::figuresText() const
{
    const bool keepOne = !removesEveryCopy();
    return tr("%n file(s), %1, from %2 group(s):", nullptr, m_plan.fileCount(keepOne))
        .arg(TwSearchResult::sizeText(m_plan.totalBytes(keepOne)))
        .arg(m_plan.groupCount());
}

QString RemovalConfirmDialog::wholeGroupsText() const
{
    QStringList lines;
    for (int i = 0; m_wholeGroups && i < m_wholeGroups->count(); ++i)
        lines << m_wholeGroups->item(i)->text();
    return lines.join('\n');
}

void RemovalConfirmDialog::refresh()
{
    refreshWholeGroups();
    m_figures->setText(figuresText());
    const bool keepOne = !removesEveryCopy();
    m_files->clear();
    for (const RemovalPlan::File &file : m_plan.files()) {
        if (keepOne && m_plan.isKeeper(file.path))
            continue;
        auto *row = new QListWidgetItem(
            QStringLiteral("%1    (%2)")
                .arg(NativePath::displayText(file.path), TwSearchResult::sizeText(file.size)),
            m_files);
        row->setToolTip(NativePath::displayText(file.path));
    }
    const int count = m_plan.fileCount(keepOne);
    switch (m_method) {
    case TwGenernalPreferences::RemovePermanently:
        m_remove->setText(tr("Delete %n file(s)", nullptr, count));
        break;
    case TwGenernalPreferences::MoveToFolder:
        if (!m_targetFolder.isEmpty()) {
            m_remove->setText(tr("Move %n file(s)", nullptr, count));
            break;
        }
        Q_FALLTHROUGH();
    default:
        m_remove->setText(tr("Move %n file(s) to the trash", nullptr, count));
        break;
    }
}

QString RemovalConfirmDialog::summaryText() const
{
    QStringList parts;
    if (m_lastCopy)
        parts << m_lastCopy->text() << wholeGroupsText();
    parts << methodText() << figuresText();
    if (auto *permanent = findChild<QLabel *>(QStringLiteral("lab_permanent")))
        parts << permanent->text();
    return parts.join('\n');
}

QStringList RemovalConfirmDialog::listedFiles() const
{
    QStringList paths;
    const bool keepOne = !removesEveryCopy();
    for (const RemovalPlan::File &file : m_plan.files()) {
        if (!keepOne || !m_plan.isKeeper(file.path))
            paths << file.path;
    }
    return paths;
}

RemovalConfirmDialog::Decision RemovalConfirmDialog::ask(QWidget *parent, const RemovalPlan &plan,
    TwGenernalPreferences::TwRemovalMethodFlag method, const QString &targetFolder)
{
    RemovalConfirmDialog dialog(plan, method, targetFolder, parent);
    DesktopPrompts::Request request;
    request.kind = DesktopPrompts::Kind::ConfirmRemoval;
    request.parent = parent;
    request.title = dialog.windowTitle();
    request.text = dialog.summaryText();
    request.items = dialog.listedFiles();
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = isPermanent(method) ? QMessageBox::No : QMessageBox::Yes;
    DesktopPrompts::Answer given;
    if (DesktopPrompts::intercept(request, &given)) {
        if (given.button != QMessageBox::Yes)
            return Declined;
        return given.removeEveryCopy ? RemoveEveryCopy : RemoveKeepingOneOfEach;
    }
    if (dialog.exec() != QDialog::Accepted)
        return Declined;
    return dialog.removesEveryCopy() ? RemoveEveryCopy : RemoveKeepingOneOfEach;
}
