#include "engine/qsearchthread.h"

#include <QDebug>
#include <QHash>
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
    // A slice past the end (the lists changed under us) is clamped, never read.
    const int end = qMin(startIndex + itemCount, scanResult->sameSizeGroupCount());
    std::vector<quint32> records;
    for (; startIndex < end; ++startIndex) {
        if (m_cancel->isCancelled()) {
            qDebug() << "QSearchThread::run"
                     << "stop QSearchThread id= " << QThread::currentThreadId();
            break;
        }
        // The group's paths exist only while it is compared.
        const NativeFilePaths group = scanResult->sameSizeGroup(startIndex, &records);
        const QStringList unique
            = searchResult->addSameSizeGroup(group, m_settings, m_cancel.get());
        if (!unique.isEmpty())
            scanResult->appendSingleImages(recordsOf(unique, group, records));
        // Every file of the group was read, also those left without a twin.
        const qint64 bytes = scanResult->sameSizeGroupFileSize(startIndex) * group.size();
        emit addItemFile(group.size() - unique.size(), bytes);
    }
}

std::vector<quint32> QSearchThread::recordsOf(
    const QStringList &paths, const NativeFilePaths &group, const std::vector<quint32> &records)
{
    QHash<QString, quint32> recordOf;
    recordOf.reserve(group.size());
    for (int i = 0; i < group.size(); ++i)
        recordOf.insert(group.at(i).path(), records[size_t(i)]);
    std::vector<quint32> found;
    found.reserve(size_t(paths.size()));
    for (const QString &path : paths) {
        const auto it = recordOf.constFind(path);
        if (it != recordOf.constEnd())
            found.push_back(it.value());
    }
    return found;
}

void QSearchThread::runSimilarPass()
{
    const int end = qMin(startIndex + itemCount, scanResult->singleImageCount());
    for (; startIndex < end; ++startIndex) {
        if (m_cancel->isCancelled()) {
            qDebug() << "QSearchThread::run"
                     << "stop QSearchThread id= " << QThread::currentThreadId();
            break;
        }
        const QString path = scanResult->singleImage(startIndex);
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
