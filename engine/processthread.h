#pragma once

#include <QString>
#include <QThread>

#include <atomic>

#include "model/scansettings.h"

class QThreadPool;
class TwSearchResult;

/**
 * The last stage of a scan: discards the tasks still queued in the scan's
 * pool, waits for the running ones, prunes the groups without duplicates and
 * applies the automatic selection of the scan's settings. Started once per
 * scan.
 */
class processThread : public QThread {
    Q_OBJECT
public:
    /** @p pool is the pool the scan's tasks run on; neither is owned. */
    processThread(TwSearchResult *searchResult, QThreadPool *pool, QObject *parent = nullptr);
    ~processThread() override;

    void setUserStop(bool userStop) { m_userStop = userStop; }
    bool userStop() const { return m_userStop.load(); }

    /** The settings of the scan to finish; set before start(), never while running. */
    void setScanSettings(const ScanSettings &settings) { m_settings = settings; }

signals:
    void processStart(const QString &text);
    void processEnd(const QString &text);

protected:
    void run() override;

private:
    TwSearchResult *searchResult;
    QThreadPool *m_pool;
    ScanSettings m_settings;
    std::atomic_bool m_userStop { false };
};
