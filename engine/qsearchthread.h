#pragma once

#include <QObject>
#include <QRunnable>

#include <atomic>

class QScanResult;
class TwSearchResult;

/**
 * Compares one slice of the candidates: in the duplicate pass a run of
 * same-size groups, in the similar-image pass a run of single images.
 * Runs on a pool thread; its signals reach the owner's thread queued.
 */
class QSearchThread : public QObject, public QRunnable {
    Q_OBJECT
public:
    QSearchThread(QScanResult *scanResult, TwSearchResult *searchResult, int startIndex,
        int itemCount, bool duplicateMode, QObject *parent = nullptr);

    void run() override;

signals:
    /** Candidate files this step accounted for. */
    void addItemFile(int count);
    void finished();

public slots:
    void stopThread();

private:
    void runDuplicatePass();
    void runSimilarPass();

    QScanResult *scanResult;
    TwSearchResult *searchResult;
    std::atomic_bool stopFlag { false };
    int startIndex;
    int itemCount;
    bool duplicateMode;
};
