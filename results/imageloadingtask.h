#pragma once

#include <QImage>
#include <QSharedPointer>
#include <QSize>
#include <QString>

#include <memory>

// One thumbnail request of the view. Shared between the future and the GUI
// thread; the loader touches nothing but its own task.
struct ImageLoadingTask {
    int row = -1;
    QString path;
    // Null when the task is made unless the cache already held the picture.
    std::unique_ptr<QImage> image;
    // Pixel size of the file itself; the image may be a reduced copy.
    QSize fullSize;
};

using ImageLoadingTaskPtr = QSharedPointer<ImageLoadingTask>;

// Runs on the thread pool: decodes the task's file unless it already has a picture.
struct ImageLoader {
    using result_type = ImageLoadingTaskPtr;

    // Longest side kept in memory. Thumbnails never need more, and it keeps the
    // cache's memory bounded whatever the size of the photographs.
    static constexpr int maxSide = 512;

    ImageLoadingTaskPtr operator()(const ImageLoadingTaskPtr &task) const;

    static bool isLoadableSuffix(const QString &path);

    // The picture at `path` shrunk to fit `bound` (as it is when it fits or
    // `bound` is empty), with EXIF rotations applied; `fullSize` gets the
    // size of the file's picture. The file is opened without blocking and
    // read only when it is a regular file, so a pipe or a device put where a
    // photo was cannot hang the window; pictures declaring more pixels than
    // the scan decodes are not read either. Null when nothing was read.
    static QImage readFitted(const QString &path, const QSize &bound, QSize *fullSize = nullptr);
};
