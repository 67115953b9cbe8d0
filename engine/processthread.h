#pragma once

#include <QString>
#include <QThread>

#include <atomic>

class QThreadPool;
class TwSearchResult;

/**
 * The last stage of a scan: discards queued pool tasks, waits for the
 * running ones, prunes the groups without duplicates and applies the
 * automatic selection. Started once per scan.
 */
class processThread : public QThread {
    Q_OBJECT
public:
    explicit processThread(TwSearchResult *searchResult, QObject *parent = nullptr);
    ~processThread() override;

    void setUserStop(bool userStop) { m_userStop = userStop; }
    bool userStop() const { return m_userStop.load(); }

    /** The pool whose tasks the stage drains; the global pool unless set. */
    void setThreadPool(QThreadPool *pool) { m_pool = pool; }

signals:
    void processStart(const QString &text);
    void processEnd(const QString &text);

protected:
    void run() override;

private:
    TwSearchResult *searchResult;
    QThreadPool *m_pool;
    std::atomic_bool m_userStop { false };
};
