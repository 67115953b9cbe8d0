#include "engine/qsearchthread.h"

#include <QDebug>
#include <QFileInfo>
#include <QThread>

#include "engine/qscanresult.h"
#include "engine/twsearchresult.h"
#include "model/canceltoken.h"
#include "model/twphotoitem.h"

QSearchThread::QSearchThread(QScanResult *scanResult, TwSearchResult *searchResult, int startIndex,
    int itemCount, bool duplicateMode, const ScanSettings &settings,
    std::shared_ptr<CancelToken> cancel, QObject *parent)
    : QObject(parent)
    , scanResult(scanResult)
    , searchResult(searchResult)
    , startIndex(startIndex)
    , itemCount(itemCount)
    , duplicateMode(duplicateMode)
    , m_settings(settings)
    , m_cancel(std::move(cancel))
{
}

void QSearchThread::stopThread()
{
    m_cancel->cancel();
}

void QSearchThread::run()
{
    if (duplicateMode)
        runDuplicatePass();
    else
        runSimilarPass();
    emit finished();
}

void QSearchThread::runDuplicatePass()
{
    const QList<QStringList> groups = scanResult->sameSizeGroups();
    // A slice past the end (the lists changed under us) is clamped, never read.
    const int end = qMin(startIndex + itemCount, groups.size());
    for (; startIndex < end; ++startIndex) {
        if (m_cancel->isCancelled()) {
            qDebug() << "QSearchThread::run"
                     << "stop QSearchThread id= " << QThread::currentThreadId();
            break;
        }
        const QStringList &group = groups.at(startIndex);
        const QStringList unique
            = searchResult->addSameSizeGroup(group, m_settings, m_cancel.get());
        if (!unique.isEmpty())
            scanResult->appendSingleImages(unique);
        // Every file of the group was read, also those left without a twin.
        const qint64 bytes = group.isEmpty() ? 0 : QFileInfo(group.first()).size() * group.size();
        emit addItemFile(group.size() - unique.size(), bytes);
    }
}

void QSearchThread::runSimilarPass()
{
    const QStringList images = scanResult->singleImages();
    const int end = qMin(startIndex + itemCount, images.size());
    for (; startIndex < end; ++startIndex) {
        if (m_cancel->isCancelled()) {
            qDebug() << "QSearchThread::run"
                     << "stop QSearchThread id= " << QThread::currentThreadId();
            break;
        }
        const QString &path = images.at(startIndex);
        if (TwPhotoItem::isPhotoFile(path)) {
            // Decoding, the histogram and the features happen here, outside the
            // result's lock, so the eight tasks share that work; under the lock
            // only the comparisons remain. Without a histogram (analysis off,
            // unreadable image) the features would never be asked for.
            auto item = std::make_unique<TwPhotoItem>(path, false, m_settings.imageContents());
            if (!item->histogram().histogram().empty())
                item->histogram().getORBImageDesc();
            if (!searchResult->addSimilarImage(item.release(), m_settings, *m_cancel))
                break;
        }
        emit addItemFile(1, 0);
    }
}
