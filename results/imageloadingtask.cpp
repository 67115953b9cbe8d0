#include "results/imageloadingtask.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStringList>

#include "imaging/twimagedecoder.h"
#include "platform/nativepath.h"
#include "platform/regularfile.h"

bool ImageLoader::isLoadableSuffix(const QString &path)
{
    static const QStringList suffixes
        = QStringLiteral("bmp,jpg,jpeg,jp2,png,bpm,bgm,ppm").split(QLatin1Char(','));
    return suffixes.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

ImageLoadingTaskPtr ImageLoader::operator()(const ImageLoadingTaskPtr &task) const
{
    if (!task)
        return task;
    if (!task->image)
        task->image = std::make_unique<QImage>();
    if (!task->image->isNull() || !isLoadableSuffix(task->path))
        return task;

    QImage decoded = readFitted(task->path, QSize(maxSide, maxSide), &task->fullSize);
    if (!decoded.isNull())
        *task->image = std::move(decoded);
    return task;
}

QImage ImageLoader::readFitted(const QString &path, const QSize &bound, QSize *fullSize)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return {};
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid()) {
        if (qint64(full.width()) * qint64(full.height()) > TwImageDecoder::MaximumPixels) {
            qInfo().noquote() << "Not shown:" << NativePath::displayText(path) << "declares"
                              << full.width() << "x" << full.height() << "pixels";
            return {};
        }
        if (fullSize)
            *fullSize = full;
        // Decoding straight to the reduced size is much cheaper than loading
        // the whole picture and scaling it afterwards (JPEG decodes at 1/2,
        // 1/4, 1/8).
        if (!bound.isEmpty() && (full.width() > bound.width() || full.height() > bound.height()))
            reader.setScaledSize(full.scaled(bound, Qt::KeepAspectRatio));
    }
    QImage decoded;
    if (!reader.read(&decoded))
        return {};
    if (fullSize && !fullSize->isValid())
        *fullSize = decoded.size();
    return decoded;
}
