#pragma once

#include <QObject>
#include <QRunnable>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>

class QScanResult;

/**
 * Lists one folder: collects every accepted file into the scan result and
 * announces every sub-folder by addNewThread(), without descending into it.
 * Runs on a pool thread; its signals reach the owner's thread queued.
 */
class QScanThread : public QObject, public QRunnable {
    Q_OBJECT
public:
    /** What the walk skips, copied from the preferences once per task. */
    struct Rules {
        bool ignoreSystemHidden = true;
        QVector<QString> ignorePaths;
        QStringList ignoreExtensions;
        qint64 minimumBytes = 0;
        qint64 maximumBytes = 0;
    };

    QScanThread(const QString &path, QScanResult *result, QObject *parent = nullptr);

    void run() override;

    /** The preference snapshot a task takes when it starts. */
    static Rules currentRules();
    /** The lower-case text after the last dot of the file name; empty without a dot. */
    static QString suffixOf(const QString &fileName);

signals:
    void finished(bool userStop);
    void addNewThread(const QString &path);
    void addItemFile(qlonglong fileCount, const QString &path);

public slots:
    void stopThread();
    void doWork();

private:
    bool stopping() const;

    QString path;
    QScanResult *result;
    std::atomic_bool stopFlag { false };
};
