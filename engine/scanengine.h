#pragma once

#include <QObject>
#include <QStringList>
#include <QElapsedTimer>
#include <QMutex>
#include <QPair>
#include <QTime>
#include <QVector>

#include <atomic>
#include <memory>

#include "engine/skipcounts.h"
#include "engine/scanprogress.h"
#include "model/filecache.h"
#include "model/scansettings.h"

class CancelToken;
class QScanResult;
class QThreadPool;
class QTimer;
class TwSearchResult;
class processThread;

/**
 * Drives one scan through its phases (walk, duplicate pass, similar-image
 * pass, process stage) without any widget. The main window and the
 * command-line program each own one and only show what it reports.
 *
 * Every scan runs by the settings it was started with, on the engine's own
 * thread pool, and has its own cancel token that its tasks poll.
 *
 * All slots run on the thread that owns the engine (the GUI thread in the
 * program); the pool tasks reach it by queued signals.
 */
class ScanEngine : public QObject {
    Q_OBJECT
public:
    enum Phase { Idle, Walking, SearchingDuplicates, SearchingSimilar, Processing, Finished };
    Q_ENUM(Phase)

    explicit ScanEngine(QObject *parent = nullptr);
    /** Stops a running scan and waits for every task and the process thread. */
    ~ScanEngine() override;

    /**
     * Starts a scan of @p folders (nested folders are dropped) by @p settings,
     * which the scan keeps to its end; false when empty or running.
     */
    bool BeginScanCatalogue(const QStringList &folders, const ScanSettings &settings);
    /** The user's stop: every task stops at its next check and the process stage starts. */
    void stop();
    /** Stops like stop() and blocks until the pool and the process thread are idle. */
    void stopAndWait();

    bool isRunning() const;
    Phase phase() const;
    QStringList scannedFolders() const;
    /** The pool every task of this engine's scans runs on (at most eight threads). */
    QThreadPool *threadPool() const { return m_pool.get(); }

    QScanResult *scanResult() const;
    /** What the last scan passed over: the walk's counts and the images refused for their size. */
    SkipCounts skipCounts() const;
    TwSearchResult *searchResult() const;
    void clearResults();

    /** @p path followed by each ancestor up to the root, when @p path is an existing folder. */
    static QStringList ancestorPaths(const QString &path);
    /** @p folders without those that lie inside another listed folder, and without repeats. */
    static QStringList dropNestedFolders(const QStringList &folders);

    /**
     * The slices of @p elementCount elements over the eight comparison tasks:
     * (start, count) per task; the last task also takes the remainder.
     */
    static QVector<QPair<int, int>> taskSlices(int elementCount);
    /** Shortest time between two walk reports: a million files never flood the window. */
    static constexpr int WalkReportMs = 100;
    /** Number of comparison tasks per pass. */
    static constexpr int SearchTaskCount = 8;
    /** Images whose features the classic method builds together before placing them in order. */
    static constexpr int ClassicBatch = 64;

    /** With the similar-image pass off, the process stage follows the duplicate pass. */
    void setSimilarPassEnabled(bool enabled) { m_similarPassEnabled = enabled; }
    bool similarPassEnabled() const { return m_similarPassEnabled; }

    /**
     * How scans whose settings have the cache on open it; an empty path
     * means the user's cache file. Tests point it elsewhere.
     */
    void setCacheOptions(const FileCache::Options &options) { m_cacheOptions = options; }
    /** The cache of the running or last scan; null when it had the cache off. */
    const FileCache *fileCache() const { return m_settings.cache.get(); }

signals:
    void phaseChanged(ScanEngine::Phase phase);
    /**
     * Files collected so far by the walk, and the file last collected; at
     * most every WalkReportMs while walking, and once more when it ends.
     */
    void filesFound(qlonglong fileCount, const QString &path);
    /** With filesFound(): the folder a walk task began listing last. */
    void readingFolder(const QString &folder);
    /** Comparison progress: @p sum of all candidates accounted for, of @p total. */
    void progressChanged(int sum, double total);
    /**
     * Comparison progress weighted by the bytes to read (see ScanProgress):
     * 0..1, never falling within a scan, 1 when the comparison is complete.
     */
    void progressFractionChanged(double fraction);
    void numberOfDuplicateFilesChanged(qlonglong newValue);
    void bytesOfDuplicateFilesChanged(qlonglong newValue);
    void numberOfFileScannedChanged(qlonglong newValue);
    /** The process stage began / ended (the window shows its busy dialog between). */
    void processStart(const QString &text);
    void processEnd(const QString &text);
    /**
     * The scan is over. After a stop without duplicates both results are
     * already cleared. @p elapsedMs is the time since the scan started.
     */
    void scanEnded(bool userStop, bool duplicatesFound, qint64 elapsedMs);

    // The phase handlers keep the names the rest of the program knows them by.
private slots:
    void onAddNewScanThread(const QString &path);
    void onAddScanFile(qlonglong fileCount, const QString &path);
    void onReadingFolder(const QString &path);
    void onScanFinished(bool userStop);
    void onSearchFinished();
    void onSimalyFinished();
    void onAddSearchFile(int curCount, qint64 bytes);
    void EndSearch();

private:
    void startScanTask(const QString &path);
    void beginSearchThread();
    void beginSimialThread();
    void startSearchTasks(int elementCount, bool duplicateMode);
    void startAccuratePass();
    void startClassicPass();
    void onSimilarPassDone(const std::shared_ptr<CancelToken> &cancel);
    void setPhase(Phase phase);
    void startProcessStage(bool userStop);
    void scheduleWalkReport();
    void onWalkReportDue();
    void flushFilesFound();
    void emitFraction();
    void flushProgress();
    void flushTotals();

    // Destroyed from the bottom up: the process thread waits on the pool,
    // the pool's tasks use both results.
    std::unique_ptr<QScanResult> m_scanResult;
    std::unique_ptr<TwSearchResult> m_searchResult;
    std::unique_ptr<QThreadPool> m_pool;
    std::unique_ptr<processThread> m_processThread;
    ScanSettings m_settings;
    // A new token per scan, so a task of an earlier scan can never be
    // revived by the next one.
    std::shared_ptr<CancelToken> m_cancel;
    Phase m_phase = Idle;
    QStringList m_folders;
    int scanTaskCount = 0;
    int finishedTaskCount = 0;
    int progressSum = 0;
    float progressTotal = 0;
    ScanProgress m_progress;
    double m_reportedFraction = -1;
    QTime scanStartTime;
    QElapsedTimer m_elapsed;

    // Pool tasks report per file and per group; those reports are gathered
    // here on the task's thread and reach this thread as one queued call per
    // event-loop turn instead of one event each.
    std::atomic<qlonglong> m_latestFileCount { 0 };
    QString m_latestPath;
    QString m_latestFolder;
    QMutex m_latestPathMutex;
    std::atomic_bool m_filesFoundPending { false };
    // Walk reports wait for this timer when the last one is too recent.
    QTimer *m_walkReportTimer = nullptr;
    QElapsedTimer m_lastWalkReport;
    QString m_reportedFolder;
    std::atomic<int> m_progressAdded { 0 };
    std::atomic<qint64> m_progressBytes { 0 };
    std::atomic_bool m_progressPending { false };
    std::atomic<qlonglong> m_latestScanned { -1 };
    std::atomic<qlonglong> m_latestDuplicates { -1 };
    std::atomic<qlonglong> m_latestBytes { -1 };
    std::atomic_bool m_totalsPending { false };
    bool m_similarPassEnabled = true;
    FileCache::Options m_cacheOptions;
    qint64 m_refusedBefore = 0;
};
