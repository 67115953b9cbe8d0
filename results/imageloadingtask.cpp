#include "results/imageloadingtask.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStringList>

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

    // Decoding straight to the reduced size is much cheaper than loading the
    // whole picture and scaling it afterwards (JPEG decodes at 1/2, 1/4, 1/8).
    QImageReader reader(task->path);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid()) {
        task->fullSize = full;
        if (full.width() > maxSide || full.height() > maxSide)
            reader.setScaledSize(full.scaled(maxSide, maxSide, Qt::KeepAspectRatio));
    }
    QImage decoded;
    if (reader.read(&decoded)) {
        if (!task->fullSize.isValid())
            task->fullSize = decoded.size();
        *task->image = std::move(decoded);
    }
    return task;
}
