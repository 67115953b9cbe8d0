#include "app/qupdateprompt.h"

#include <QMessageBox>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include "update/qnetworkprocess.h"
#include "widgets/desktopprompts.h"

void QUpdatePrompt::install(QNetWorkProcess *process, QWidget *parent)
{
    if (!process)
        return;
    // The window may be gone when a late reply arrives; then the box has no parent.
    QPointer<QWidget> owner(parent);
    process->setAsker([owner](const QString &title, const QString &text) {
        const QMessageBox::StandardButton button = DesktopPrompts::question(owner, title, text,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Ignore, QMessageBox::Yes);
        switch (button) {
        case QMessageBox::Yes:
            return QNetWorkProcess::AnswerYes;
        case QMessageBox::Ignore:
            return QNetWorkProcess::AnswerIgnore;
        default:
            return QNetWorkProcess::AnswerNo;
        }
    });
    process->setUrlOpener([](const QUrl &url) { return DesktopPrompts::openUrl(url); });
}

void QUpdatePrompt::checkUpdate(QWidget *parent)
{
    QNetWorkProcess *update = QNetWorkProcess::instance(parent);
    install(update, parent);
    update->checkUpdate();
}
