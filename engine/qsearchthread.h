#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QRunnable>
#include <QStringList>

#include "model/scansettings.h"
#include "platform/nativefilepaths.h"

class CancelToken;
class QScanResult;
class TwSearchResult;

/**
 * Compares one slice of the candidates: in the duplicate pass a run of
 * same-size groups, in the similar-image pass a run of single images, by the
 * scan's @p settings; stops before the next element once @p cancel is set.
 * Runs on a pool thread; its signals reach the owner's thread queued.
 */
class QSearchThread : public QObject, public QRunnable {
    Q_OBJECT
public:
    QSearchThread(QScanResult *scanResult, TwSearchResult *searchResult, int startIndex,
        int itemCount, bool duplicateMode, const ScanSettings &settings,
        std::shared_ptr<CancelToken> cancel, QObject *parent = nullptr);

    void run() override;

signals:
    /** Candidate files this step accounted for, and the bytes it compared. */
    void addItemFile(int count, qint64 bytes);
    void finished();

public slots:
    /** Cancels the token this task was given, and so the whole scan. */
    void stopThread();

private:
    void runDuplicatePass();
    void runSimilarPass();
    // The record numbers of @p paths, members of @p group collected as @p records.
    static std::vector<quint32> recordsOf(const QStringList &paths, const NativeFilePaths &group,
        const std::vector<quint32> &records);

    QScanResult *scanResult;
    TwSearchResult *searchResult;
    int startIndex;
    int itemCount;
    bool duplicateMode;
    const ScanSettings m_settings;
    const std::shared_ptr<CancelToken> m_cancel;
};
