#include "engine/processthread.h"

#include <QDebug>
#include <QThreadPool>

#include "engine/twsearchresult.h"
#include "preferences/twpreferences.h"
#include "preferences/twselectionpreferences.h"

processThread::processThread(TwSearchResult *searchResult, QObject *parent)
    : QThread(parent)
    , searchResult(searchResult)
    , m_pool(QThreadPool::globalInstance())
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
    const int rule = TwPreferences::instance()->selection()->duplicateRule();
    searchResult->applySelection(rule);
    qDebug() << "processThread::run"
             << "selection rule" << rule;
    emit processEnd(QString());
}
