#pragma once

#include <QObject>
#include <QRunnable>
#include <QString>

#include <memory>

#include "model/scansettings.h"

class CancelToken;
class QScanResult;

/**
 * Lists one folder: collects every accepted file into the scan result and
 * announces every sub-folder by addNewThread(), without descending into it.
 * What it skips comes from the scan's @p settings; it stops at the next entry
 * once the scan's @p cancel token is set.
 * Runs on a pool thread; its signals reach the owner's thread queued.
 */
class QScanThread : public QObject, public QRunnable {
    Q_OBJECT
public:
    QScanThread(const QString &path, QScanResult *result, const ScanSettings &settings,
        std::shared_ptr<CancelToken> cancel, QObject *parent = nullptr);

    void run() override;

    /** The lower-case text after the last dot of the file name; empty without a dot. */
    static QString suffixOf(const QString &fileName);

signals:
    void finished(bool userStop);
    void addNewThread(const QString &path);
    void addItemFile(qlonglong fileCount, const QString &path);
    /** The task starts listing @p path (a folder not walked before in this scan). */
    void readingFolder(const QString &path);

public slots:
    /** Cancels the token this task was given, and so every task sharing it. */
    void stopThread();
    void doWork();

private:
    bool stopping() const;

    QString path;
    QScanResult *result;
    const ScanSettings m_settings;
    const std::shared_ptr<CancelToken> m_cancel;
};
