#include "engine/processthread.h"

#include <QDebug>
#include <QThreadPool>

#include "engine/twsearchresult.h"

processThread::processThread(TwSearchResult *searchResult, QThreadPool *pool, QObject *parent)
    : QThread(parent)
    , searchResult(searchResult)
    , m_pool(pool)
{
}

processThread::~processThread()
{
    wait();
}

void processThread::run()
{
    // Queued tasks never run and never emit; running ones finish their step.
    // The pool is cleared before processStart goes out, so whoever sees it
    // knows no queued task can start any more.
    m_pool->clear();
    emit processStart(QString());
    m_pool->waitForDone(-1);
    searchResult->removeEmptyGroups();
    searchResult->orderGroupsByPath();
    const int rule = m_settings.duplicateRule;
    searchResult->applySelection(rule, m_settings);
    qDebug() << "processThread::run"
             << "selection rule" << rule;
    emit processEnd(QString());
}
