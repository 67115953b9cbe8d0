#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QVector>

#include "results/removalconfirmdialog.h"

class QWidget;
class TwFileItemGroup;
class TwSearchResult;

// The removal of every marked file of a result: the confirmation before any
// removal (one file of every wholly marked group kept unless the user says
// otherwise), the progress dialog with its Cancel, and the count of files
// handled. The removal itself runs synchronously on the GUI thread; setting
// the modal dialog's value keeps it responsive, so Cancel is seen between
// two files.
class RemovalController : public QObject {
    Q_OBJECT
public:
    // The dialog and the question are shown on `window`.
    RemovalController(TwSearchResult *result, QWidget *window);

    // Confirms and runs one removal (the Delete button and the Delete key);
    // false when it was declined or nothing was marked.
    bool removeMarked();
    QProgressDialog *progressDialog() const { return m_progress.data(); }

signals:
    // One more file handled by the running removal (removed or not).
    void progressed(int handled);

public slots:
    // One more marked file handled by the running removal.
    void onItemFileDeleted(int complate);
    void onItemDeletedComplated();

private:
    RemovalConfirmDialog::Decision confirmed(RemovalPlan &plan) const;
    QVector<TwFileItemGroup *> groups() const;
    void openProgress(int count);
    // Tells what the run left in place and why, naming each file that failed.
    void reportKept();

    TwSearchResult *m_result;
    QWidget *m_window;
    int m_deletedCount = 0;
    QPointer<QProgressDialog> m_progress;
};
