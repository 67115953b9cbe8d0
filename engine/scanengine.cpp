#include "engine/scanengine.h"

#include <cmath>

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QThreadPool>
#include <QTimer>

#include "engine/processthread.h"
#include "engine/qscanresult.h"
#include "engine/qscanthread.h"
#include "engine/parallelfor.h"
#include "engine/qsearchthread.h"
#include "engine/similarimagepass.h"
#include "engine/twsearchresult.h"
#include "imaging/twimagedecoder.h"
#include "model/canceltoken.h"
#include "model/twphotoitem.h"

namespace {

// Threads of an engine's pool: the comparison splits into this many tasks.
constexpr int PoolThreads = 8;

} // namespace

ScanEngine::ScanEngine(QObject *parent)
    : QObject(parent)
    , m_scanResult(std::make_unique<QScanResult>())
    , m_searchResult(std::make_unique<TwSearchResult>())
    , m_pool(std::make_unique<QThreadPool>())
    , m_processThread(std::make_unique<processThread>(m_searchResult.get(), m_pool.get()))
    , m_cancel(std::make_shared<CancelToken>())
{
    m_pool->setMaxThreadCount(PoolThreads);
    m_walkReportTimer = new QTimer(this);
    m_walkReportTimer->setSingleShot(true);
    connect(m_walkReportTimer, &QTimer::timeout, this, &ScanEngine::flushFilesFound);
    // The totals are emitted by pool threads under the result's lock, so the
    // value kept last is always the newest.
    TwSearchResult *search = m_searchResult.get();
    auto keep = [this](std::atomic<qlonglong> &slot, qlonglong value) {
        slot = value;
        if (!m_totalsPending.exchange(true))
            QMetaObject::invokeMethod(this, &ScanEngine::flushTotals, Qt::QueuedConnection);
    };
    connect(
        search, &TwSearchResult::numberOfDuplicateFilesChanged, search,
        [this, keep](qlonglong value) { keep(m_latestDuplicates, value); }, Qt::DirectConnection);
    connect(
        search, &TwSearchResult::bytesOfDuplicateFilesChanged, search,
        [this, keep](qlonglong value) { keep(m_latestBytes, value); }, Qt::DirectConnection);
    connect(
        search, &TwSearchResult::numberOfFileScannedChanged, search,
        [this, keep](qlonglong value) { keep(m_latestScanned, value); }, Qt::DirectConnection);
    connect(m_processThread.get(), &processThread::processStart, this, &ScanEngine::processStart,
        Qt::QueuedConnection);
    connect(m_processThread.get(), &processThread::processEnd, this, &ScanEngine::EndSearch,
        Qt::QueuedConnection);
}

ScanEngine::~ScanEngine()
{
    // Pool tasks and the process stage hold raw pointers to both results:
    // none of them may outlive this object.
    stopAndWait();
}

bool ScanEngine::isRunning() const
{
    return m_phase == Walking || m_phase == SearchingDuplicates || m_phase == SearchingSimilar
        || m_phase == Processing;
}

ScanEngine::Phase ScanEngine::phase() const
{
    return m_phase;
}

QStringList ScanEngine::scannedFolders() const
{
    return m_folders;
}

QScanResult *ScanEngine::scanResult() const
{
    return m_scanResult.get();
}

TwSearchResult *ScanEngine::searchResult() const
{
    return m_searchResult.get();
}

SkipCounts ScanEngine::skipCounts() const
{
    SkipCounts counts = m_scanResult->skipCounts();
    // The decoder counts for the whole process; only this scan's share counts.
    counts.refusedImages = TwImageDecoder::refusedCount() - m_refusedBefore;
    return counts;
}

void ScanEngine::clearResults()
{
    if (isRunning())
        return;
    // The search result first: its containers point into the category
    // table that clearing the scan result rebuilds.
    m_searchResult->clear();
    m_scanResult->clear();
}

void ScanEngine::setPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    emit phaseChanged(phase);
}

QStringList ScanEngine::ancestorPaths(const QString &path)
{
    QStringList paths;
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return paths;
    paths.append(path);
    QDir dir(QFileInfo(path).absoluteFilePath());
    while (dir.cdUp())
        paths.append(dir.absolutePath());
    return paths;
}

QStringList ScanEngine::dropNestedFolders(const QStringList &folders)
{
    QStringList kept;
    for (const QString &folder : folders) {
        // A folder listed twice would otherwise count as nested in itself
        // and both entries would be dropped.
        if (kept.contains(folder))
            continue;
        const QStringList ancestors = ancestorPaths(folder);
        bool nested = false;
        for (const QString &other : folders) {
            if (other != folder && ancestors.contains(other)) {
                nested = true;
                break;
            }
        }
        if (!nested)
            kept.append(folder);
    }
    return kept;
}

QVector<QPair<int, int>> ScanEngine::taskSlices(int elementCount)
{
    QVector<QPair<int, int>> slices;
    const int share = elementCount / SearchTaskCount;
    for (int i = 0; i < SearchTaskCount; ++i) {
        const int count = i == SearchTaskCount - 1 ? share + elementCount % SearchTaskCount : share;
        slices.append(qMakePair(share * i, count));
    }
    return slices;
}

bool ScanEngine::BeginScanCatalogue(const QStringList &folders, const ScanSettings &settings)
{
    if (isRunning() || folders.isEmpty())
        return false;
    // A finished process stage may still be leaving run().
    m_processThread->wait();
    scanStartTime = QTime::currentTime();
    m_elapsed.start();
    qDebug()
        << "ScanEngine::BeginScanCatalogue"
        << QStringLiteral("begin scaned! system thread count=%1!").arg(QThread::idealThreadCount());
    m_settings = settings;
    // Without the similar-image pass no histogram is ever compared: the
    // first image of each exact set then reads no more than its size.
    if (!m_similarPassEnabled)
        m_settings.imageSimilarity = 1.0;
    m_settings.cache.reset();
    if (m_settings.cacheEnabled) {
        // Opened by the first task that asks, so a slow check of a large
        // file never holds up this thread.
        FileCache::Options options = m_cacheOptions;
        if (options.path.isEmpty())
            options.path = FileCache::defaultPath();
        m_settings.cache = std::make_shared<FileCache>(options);
    }
    m_cancel = std::make_shared<CancelToken>();
    m_refusedBefore = TwImageDecoder::refusedCount();
    progressSum = 0;
    m_progressAdded = 0;
    m_progressBytes = 0;
    m_progress = ScanProgress();
    m_reportedFraction = -1;
    m_latestFileCount = 0;
    {
        QMutexLocker locker(&m_latestPathMutex);
        m_latestPath.clear();
        m_latestFolder.clear();
    }
    m_reportedFolder.clear();
    m_walkReportTimer->stop();
    m_filesFoundPending = false;
    m_lastWalkReport.invalidate();
    progressTotal = 0;
    finishedTaskCount = 0;
    scanTaskCount = 0;
    m_processThread->setUserStop(false);
    m_processThread->setScanSettings(m_settings);
    m_searchResult->clear();
    m_scanResult->clear();

    m_folders = dropNestedFolders(folders);
    m_searchResult->setScanRoots(m_folders);
    setPhase(Walking);
    qDebug() << "ScanEngine::BeginScanCatalogue"
             << "BeginScanCatalogue";
    for (const QString &folder : qAsConst(m_folders)) {
        qDebug() << "ScanEngine::BeginScanCatalogue" << folder;
        ++scanTaskCount;
        startScanTask(folder);
    }
    return true;
}

void ScanEngine::startScanTask(const QString &path)
{
    auto *task = new QScanThread(path, m_scanResult.get(), m_settings, m_cancel);
    task->setAutoDelete(true);
    connect(task, &QScanThread::addNewThread, this, &ScanEngine::onAddNewScanThread,
        Qt::QueuedConnection);
    connect(
        task, &QScanThread::addItemFile, this, &ScanEngine::onAddScanFile, Qt::DirectConnection);
    connect(task, &QScanThread::readingFolder, this, &ScanEngine::onReadingFolder,
        Qt::DirectConnection);
    connect(task, &QScanThread::finished, this, &ScanEngine::onScanFinished, Qt::QueuedConnection);
    // Tasks poll the scan's token themselves; nothing calls into a task,
    // because the pool deletes it on its own thread at any moment.
    m_pool->start(task, 100);
}

void ScanEngine::onAddNewScanThread(const QString &path)
{
    if (m_cancel->isCancelled() || m_phase != Walking)
        return;
    ++scanTaskCount;
    startScanTask(path);
}

// Runs on the walk task's thread.
void ScanEngine::onAddScanFile(qlonglong fileCount, const QString &path)
{
    {
        QMutexLocker locker(&m_latestPathMutex);
        if (fileCount >= m_latestFileCount.load()) {
            m_latestFileCount = fileCount;
            m_latestPath = path;
        }
    }
    scheduleWalkReport();
}

// Runs on the walk task's thread.
void ScanEngine::onReadingFolder(const QString &path)
{
    {
        QMutexLocker locker(&m_latestPathMutex);
        m_latestFolder = path;
    }
    scheduleWalkReport();
}

// Runs on any thread: at most one report is on its way at a time.
void ScanEngine::scheduleWalkReport()
{
    if (!m_filesFoundPending.exchange(true))
        QMetaObject::invokeMethod(this, &ScanEngine::onWalkReportDue, Qt::QueuedConnection);
}

void ScanEngine::onWalkReportDue()
{
    const qint64 wait
        = m_lastWalkReport.isValid() ? WalkReportMs - m_lastWalkReport.elapsed() : qint64(0);
    if (wait > 0) {
        if (!m_walkReportTimer->isActive())
            m_walkReportTimer->start(int(wait));
        return;
    }
    flushFilesFound();
}

void ScanEngine::flushFilesFound()
{
    m_walkReportTimer->stop();
    // Cleared before reading, so a report that comes in meanwhile schedules
    // another one and is never lost.
    m_filesFoundPending = false;
    m_lastWalkReport.start();
    QString path;
    QString folder;
    qlonglong count;
    {
        QMutexLocker locker(&m_latestPathMutex);
        count = m_latestFileCount.load();
        path = m_latestPath;
        folder = m_latestFolder;
    }
    if (m_phase != Walking)
        return;
    emit filesFound(count, path);
    if (folder != m_reportedFolder && m_phase == Walking) {
        m_reportedFolder = folder;
        emit readingFolder(folder);
    }
}

void ScanEngine::onScanFinished(bool userStop)
{
    Q_UNUSED(userStop)
    if (m_phase != Walking)
        return;
    --scanTaskCount;
    if (scanTaskCount != 0 || m_cancel->isCancelled())
        return;
    // The last figures of the walk, whatever the throttle held back.
    if (m_filesFoundPending || m_walkReportTimer->isActive())
        flushFilesFound();
    if (m_phase != Walking) // stopped by a receiver of the last report
        return;
    m_scanResult->removeDiffSizeItem(m_settings.scanMethod);
    qDebug() << "ScanEngine::onScanFinished"
             << "onScanFinished! ";
    beginSearchThread();
}

void ScanEngine::startSearchTasks(int elementCount, bool duplicateMode)
{
    const QVector<QPair<int, int>> slices = taskSlices(elementCount);
    for (const QPair<int, int> &slice : slices) {
        auto *task = new QSearchThread(m_scanResult.get(), m_searchResult.get(), slice.first,
            slice.second, duplicateMode, m_settings, m_cancel);
        task->setAutoDelete(true);
        if (duplicateMode)
            connect(task, &QSearchThread::finished, this, &ScanEngine::onSearchFinished,
                Qt::QueuedConnection);
        else
            connect(task, &QSearchThread::finished, this, &ScanEngine::onSimalyFinished,
                Qt::QueuedConnection);
        connect(task, &QSearchThread::addItemFile, this, &ScanEngine::onAddSearchFile,
            Qt::DirectConnection);
        m_pool->start(task, 0);
    }
}

void ScanEngine::beginSearchThread()
{
    const int groupCount = m_scanResult->sameSizeGroupCount();
    progressTotal = float(m_scanResult->candidateCount());
    const qint64 singles = m_scanResult->singleImageCount();
    m_progress.start(m_scanResult->candidateCount() - singles, m_scanResult->candidateBytes(),
        m_similarPassEnabled ? singles : 0);
    finishedTaskCount = 0;
    qDebug() << "ScanEngine::beginSearchThread"
             << "beginSearchThread:= " << groupCount;
    setPhase(SearchingDuplicates);
    if (m_phase != SearchingDuplicates) // stopped by a phaseChanged() receiver
        return;
    if (groupCount == 0) {
        beginSimialThread();
        return;
    }
    startSearchTasks(groupCount, true);
}

void ScanEngine::onSearchFinished()
{
    if (m_phase != SearchingDuplicates)
        return;
    ++finishedTaskCount;
    if (finishedTaskCount == SearchTaskCount && !m_cancel->isCancelled())
        beginSimialThread();
}

void ScanEngine::beginSimialThread()
{
    finishedTaskCount = 0;
    // Reports of the duplicate pass still on their way count to that pass.
    flushProgress();
    if (!m_similarPassEnabled) {
        startProcessStage(false);
        return;
    }
    const int imageCount = m_scanResult->singleImageCount();
    qDebug() << "ScanEngine::beginSimialThread"
             << "beginSimialThread:= " << imageCount;
    m_progress.startSimilar(imageCount);
    setPhase(SearchingSimilar);
    if (m_phase != SearchingSimilar)
        return;
    // With analysis off there is nothing to compare, and the classic method
    // already reads no more than the image sizes then.
    if (m_settings.similarMethod == SimilarMethodSetting::Accurate
        && m_settings.similarityThresholds().enabled)
        startAccuratePass();
    else
        startClassicPass();
}

void ScanEngine::startAccuratePass()
{
    // Every image without a copy, and the first file of each set of exact
    // copies standing for the set; sorted by path, so that the outcome
    // depends on nothing but the files.
    QMap<QString, TwFileItemGroup *> units;
    int skipped = 0;
    for (const QString &path : m_scanResult->singleImages()) {
        if (TwPhotoItem::isPhotoFile(path))
            units.insert(path, nullptr);
        else
            ++skipped;
    }
    for (TwFileItemGroup *group : m_searchResult->exactImageGroups()) {
        const QString head = group->firstItem()->filePath();
        if (!units.contains(head))
            units.insert(head, group);
    }
    if (skipped > 0)
        onAddSearchFile(skipped, 0);
    const QStringList paths = units.keys();
    const QVector<TwFileItemGroup *> standsFor = units.values().toVector();
    auto pass = std::make_shared<SimilarImagePass>(paths, m_settings.similarityThresholds());
    pass->setCache(m_settings.cache);
    const std::shared_ptr<CancelToken> cancel = m_cancel;
    QThreadPool *pool = m_pool.get();
    TwSearchResult *search = m_searchResult.get();
    m_pool->start(QRunnable::create([this, pass, standsFor, cancel, pool, search] {
        const bool complete = pass->run(pool, *cancel, [this, &standsFor](int index) {
            if (!standsFor.at(index))
                onAddSearchFile(1, 0);
        });
        if (complete) {
            QVector<QSize> sizes;
            sizes.reserve(int(pass->features().size()));
            for (const ImageFeatures &features : pass->features())
                sizes.append(QSize(features.width, features.height));
            search->fileSimilarSets(pass->paths(), standsFor, sizes, pass->groups());
        }
        QMetaObject::invokeMethod(
            this, [this, cancel] { onSimilarPassDone(cancel); }, Qt::QueuedConnection);
    }));
}

void ScanEngine::startClassicPass()
{
    // Features are built in parallel a batch at a time; the images are then
    // placed one by one in path order, so the greedy grouping sees them in
    // the same order whatever the threads do.
    QStringList paths = m_scanResult->singleImages();
    paths.sort();
    const std::shared_ptr<CancelToken> cancel = m_cancel;
    QThreadPool *pool = m_pool.get();
    TwSearchResult *search = m_searchResult.get();
    const ScanSettings settings = m_settings;
    m_pool->start(QRunnable::create([this, paths, cancel, pool, search, settings] {
        for (int start = 0; start < paths.size() && !cancel->isCancelled(); start += ClassicBatch) {
            const int count = std::min(ClassicBatch, int(paths.size()) - start);
            std::vector<std::unique_ptr<TwPhotoItem>> items(static_cast<std::size_t>(count));
            ParallelFor::run(pool, count, [&](int k) {
                const QString &path = paths.at(start + k);
                if (cancel->isCancelled() || !TwPhotoItem::isPhotoFile(path))
                    return;
                auto item = std::make_unique<TwPhotoItem>(path, false, settings.imageContents());
                // Without a histogram (analysis off, unreadable image) the
                // features would never be asked for.
                if (!item->histogram().histogram().empty())
                    item->histogram().getORBImageDesc();
                items[std::size_t(k)] = std::move(item);
            });
            for (std::unique_ptr<TwPhotoItem> &item : items) {
                if (cancel->isCancelled())
                    break;
                if (item)
                    search->addSimilarImage(item.release(), settings, *cancel);
                onAddSearchFile(1, 0);
            }
        }
        QMetaObject::invokeMethod(
            this, [this, cancel] { onSimilarPassDone(cancel); }, Qt::QueuedConnection);
    }));
}

void ScanEngine::onSimilarPassDone(const std::shared_ptr<CancelToken> &cancel)
{
    // A pass of an earlier scan never ends this one.
    if (cancel != m_cancel || m_phase != SearchingSimilar || m_cancel->isCancelled())
        return;
    startProcessStage(false);
}

void ScanEngine::onSimalyFinished()
{
    if (m_phase != SearchingSimilar)
        return;
    ++finishedTaskCount;
    if (finishedTaskCount == SearchTaskCount && !m_cancel->isCancelled())
        startProcessStage(false);
}

// Runs on the comparison task's thread.
void ScanEngine::onAddSearchFile(int curCount, qint64 bytes)
{
    m_progressBytes += bytes;
    m_progressAdded += curCount;
    if (!m_progressPending.exchange(true))
        QMetaObject::invokeMethod(this, &ScanEngine::flushProgress, Qt::QueuedConnection);
}

void ScanEngine::flushProgress()
{
    // Cleared before reading, so a report that comes in meanwhile queues
    // another call and is never lost.
    m_progressPending = false;
    const qint64 bytes = m_progressBytes.exchange(0);
    const int added = m_progressAdded.exchange(0);
    if (added == 0 && bytes == 0)
        return;
    progressSum += added;
    if (m_phase == SearchingSimilar)
        m_progress.addImages(added);
    else
        m_progress.addCompared(added, bytes);
    emit progressChanged(progressSum, double(progressTotal));
    emitFraction();
}

void ScanEngine::emitFraction()
{
    // Reported in steps of a thousandth: the bar has no finer grain.
    const double fraction = std::floor(m_progress.fraction() * 1000.0) / 1000.0;
    if (fraction <= m_reportedFraction)
        return;
    m_reportedFraction = fraction;
    emit progressFractionChanged(fraction);
}

void ScanEngine::flushTotals()
{
    m_totalsPending = false;
    const qlonglong scanned = m_latestScanned.exchange(-1);
    const qlonglong duplicates = m_latestDuplicates.exchange(-1);
    const qlonglong bytes = m_latestBytes.exchange(-1);
    if (bytes >= 0)
        emit bytesOfDuplicateFilesChanged(bytes);
    if (duplicates >= 0)
        emit numberOfDuplicateFilesChanged(duplicates);
    if (scanned >= 0)
        emit numberOfFileScannedChanged(scanned);
}

void ScanEngine::startProcessStage(bool userStop)
{
    if (const std::shared_ptr<FileCache> &cache = m_settings.cache) {
        cache->flush();
        qInfo().noquote() << QStringLiteral("File cache: %1 answered, %2 computed")
                                 .arg(cache->hits())
                                 .arg(cache->misses());
    }
    if (!userStop) {
        flushProgress();
        m_progress.finish();
        emitFraction();
    }
    setPhase(Processing);
    m_processThread->setUserStop(userStop);
    m_processThread->start();
}

void ScanEngine::stop()
{
    // Only a scan still walking or comparing can be stopped; once the
    // process stage runs, a second start would run it twice.
    if (m_phase != Walking && m_phase != SearchingDuplicates && m_phase != SearchingSimilar)
        return;
    m_cancel->cancel();
    qDebug() << "ScanEngine::stop"
             << "user click stop scaned! ";
    startProcessStage(true);
}

void ScanEngine::stopAndWait()
{
    const bool running = isRunning();
    stop();
    if (running) {
        m_pool->clear();
        m_pool->waitForDone(-1);
    }
    m_processThread->wait();
}

void ScanEngine::EndSearch()
{
    if (m_phase != Processing)
        return;
    m_processThread->wait();
    // The process stage waited for every task: nothing uses the cache now.
    if (m_settings.cache)
        m_settings.cache->close();
    const bool userStop = m_processThread->userStop();
    scanTaskCount = 0;
    const qint64 elapsedMs = m_elapsed.elapsed();
    bool duplicatesFound = m_searchResult->numberOfDuplicateFiles() > 0;
    if (userStop) {
        if (!duplicatesFound) {
            m_searchResult->clear();
            m_scanResult->clear();
        }
    } else {
        qDebug() << "ScanEngine::EndSearch"
                 << "times:" << QStringLiteral("times: %1 ms\n").arg(elapsedMs);
    }
    setPhase(Finished);
    emit processEnd(QString());
    emit scanEnded(userStop, duplicatesFound, elapsedMs);
}
