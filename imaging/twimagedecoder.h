#pragma once

#include <QByteArray>
#include <QString>

#include <opencv2/core.hpp>

// Turns image files into 8-bit BGR pixels at the size the likeness tests work
// on. Files are read as bytes, so any file name works whatever the locale.
// Large JPEG files are decoded at a reduced scale straight from the
// compressed data, which is several times faster than a full decode followed
// by a resize and keeps the working size exact. Every decode takes its share
// of PixelBudget::decoding() first, so the decoders running at once never hold
// more decoded pixels than that budget.
class TwImageDecoder {
public:
    // Files above this size are not taken for images.
    static constexpr qint64 MaximumFileSize = qint64(1) << 30;
    // Images declaring more pixels than this are refused before decoding: a
    // small file can declare a picture that needs gigabytes once decoded.
    static constexpr qint64 MaximumPixels = 100'000'000;

    // Width and height the headers of `data` declare, read without decoding
    // the pixels (see ImageHeader; a JPEG is read by jpegDisplaySize()).
    // False when the data is in no format the header parsers know.
    static bool declaredSize(const QByteArray &data, cv::Size *size);

    // The size a working copy of an image of `full` pixels gets: unchanged
    // when the width is at most `longSide`, otherwise the longer side becomes
    // `longSide` with the aspect ratio kept and fractions truncated. Only the
    // width is looked at, so a tall narrow image keeps its size. A side never
    // shrinks below 1 pixel.
    static cv::Size workingSize(cv::Size full, int longSide);

    // The largest JPEG scale-down (8, 4 or 2; 1 for none) whose output still
    // covers `target` in both directions.
    static int reductionFactor(cv::Size full, cv::Size target);

    // Width and height of a JPEG as a full colour decode returns them (EXIF
    // rotations by a quarter turn swap them), read from the headers alone.
    // False for anything that is not a JPEG with a usable frame header.
    static bool jpegDisplaySize(const QByteArray &data, cv::Size *size);

    // jpegDisplaySize() of a file, from its first bytes only.
    static bool jpegFileDisplaySize(const QString &path, cv::Size *size);
    // The size a file's header declares (as shown, for a JPEG), without
    // decoding; false when the header is not one the readers know.
    static bool fileDeclaredSize(const QString &path, cv::Size *size);

    // The whole file, or false when it cannot be read or is too large.
    static bool readFile(const QString &path, QByteArray *data);

    // Whether a large JPEG may be decoded at a reduced scale; Whole decodes
    // every pixel and then resizes, as the classic likeness tests expect.
    enum class Scaling { Reduced, Whole };

    // Decodes `data` and returns the working copy for `longSide` (see
    // workingSize()). `fullSize` gets the size of the complete image. An empty
    // result with an empty `fullSize` means the data is not an image; an empty
    // result with a size means reducing it failed or the image declares more
    // than MaximumPixels, and `error` says why.
    static cv::Mat decode(const QByteArray &data, int longSide, cv::Size *fullSize,
        QString *error = nullptr, Scaling scaling = Scaling::Reduced);
    // The same for a file; an unreadable file is not an image. What the
    // codecs print meanwhile is caught and logged in one line naming the file.
    static cv::Mat decodeFile(const QString &path, int longSide, cv::Size *fullSize,
        QString *error = nullptr, Scaling scaling = Scaling::Reduced);

    // Files decodeFile() refused for their size since the program started.
    static qint64 refusedCount();
};
