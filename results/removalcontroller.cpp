#include "results/removalcontroller.h"

#include <QDebug>
#include <QProgressDialog>
#include <QWidget>

#include "engine/twsearchresult.h"
#include "model/scansettings.h"
#include "model/twcatalogcontainer.h"
#include "platform/nativepath.h"
#include "platform/product.h"
#include "preferences/twgenernalpreferences.h"
#include "preferences/twpreferences.h"
#include "widgets/desktopprompts.h"

RemovalController::RemovalController(TwSearchResult *result, QWidget *window)
    : QObject(window)
    , m_result(result)
    , m_window(window)
{
    if (m_result)
        connect(m_result, &TwSearchResult::ItemDeletedComplated, this,
            &RemovalController::onItemDeletedComplated);
}

RemovalConfirmDialog::Decision RemovalController::confirmed(RemovalPlan &plan) const
{
    const TwGenernalPreferences *general = TwPreferences::instance()->general();
    const auto decision = RemovalConfirmDialog::ask(
        m_window, plan, general->removalMethod(), general->moveToFolderPath());
    if (decision == RemovalConfirmDialog::RemoveKeepingOneOfEach)
        plan.keepOnePerWholeGroup();
    return decision;
}

QVector<TwFileItemGroup *> RemovalController::groups() const
{
    QVector<TwFileItemGroup *> all;
    if (!m_result)
        return all;
    const auto containers = m_result->containers();
    for (TwCatalogContainer *container : containers)
        all += container->groups();
    return all;
}

bool RemovalController::removeMarked()
{
    if (!m_result)
        return false;
    RemovalPlan plan(groups(), ScanSettings::fromPreferences(*TwPreferences::instance()));
    if (plan.isEmpty())
        return false;
    if (confirmed(plan) == RemovalConfirmDialog::Declined)
        return false;
    const int count = m_result->checkedCount(true);
    if (count <= 0)
        return true;

    m_deletedCount = 0;
    openProgress(count);
    const TwGenernalPreferences *general = TwPreferences::instance()->general();
    // Cancel is seen here, between two files: answering false ends the run.
    m_result->removeCheckedItems(
        general->removalMethod(), general->moveToFolderPath(), [this](int) {
            onItemFileDeleted(0);
            return !(m_progress && m_progress->wasCanceled());
        });
    reportKept();
    return true;
}

void RemovalController::reportKept()
{
    const int changed = m_result->keptChangedCount();
    const QVector<TwFileItemGroup::Failure> &failures = m_result->removalFailures();
    QStringList lines;
    if (changed > 0)
        lines << tr("%n files changed since the scan were kept.", nullptr, changed);
    // Only files the run tried count: those a cancelled run never reached
    // stay marked without having failed.
    if (!failures.isEmpty())
        lines << tr("%n marked files could not be removed; the log names each one.", nullptr,
            failures.size());
    if (lines.isEmpty())
        return;
    const QString title = QString::fromLatin1(Product::Name);
    const QString text = lines.join(QLatin1Char('\n'));
    if (failures.isEmpty()) {
        DesktopPrompts::inform(m_window, title, text);
        return;
    }
    QStringList items;
    for (const TwFileItemGroup::Failure &failure : failures)
        items << QStringLiteral("%1\n    %2")
                     .arg(NativePath::displayText(failure.path), failure.reason);
    DesktopPrompts::informWithList(m_window, title, text, items);
}

void RemovalController::openProgress(int count)
{
    auto *dialog = new QProgressDialog(m_window);
    m_progress = dialog;
    dialog->setObjectName(QStringLiteral("deleteProgress"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setLabelText(tr("Deleting, please waiting..."));
    dialog->setCancelButtonText(tr("Cancel"));
    dialog->setRange(0, count);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setModal(true);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    dialog->setWindowTitle(QString::fromLatin1(Product::Name));
    dialog->show();
    dialog->resize(350, dialog->height() + 10);
    // The stray closing brace some style sheets carry would void the whole sheet.
    dialog->setStyleSheet(QStringLiteral("QProgressBar{text-align:center;margin-bottom:5px;}"));
    dialog->setMaximumSize(350, dialog->height() + 10);
}

void RemovalController::onItemFileDeleted(int)
{
    ++m_deletedCount;
    if (!m_progress)
        return;
    m_progress->setValue(m_deletedCount);
    emit progressed(m_deletedCount);
}

void RemovalController::onItemDeletedComplated()
{
    qDebug() << "onItemDeletedComplated";
    if (m_progress) {
        m_progress->close();
        delete m_progress.data();
        m_deletedCount = 0;
        m_progress = nullptr;
    }
}
