#pragma once

#include <QStringList>

#include "imaging/twgrayhistogram.h"
#include "model/twfileitem.h"

// An image file: a file item that also owns the colour histogram and the
// feature data that the similar-image grouping compares.
class TwPhotoItem : public TwFileItem {
public:
    // Builds the histogram from the file now (or only reads the image size,
    // see TwGrayHistogram::Contents); an unreadable image leaves it empty and
    // the item still exists.
    TwPhotoItem(const NativeFilePath &path, bool contentKey,
        TwGrayHistogram::Contents contents = TwGrayHistogram::Contents::SizeAndHistogram);
    // An image whose size is already known; nothing is decoded.
    TwPhotoItem(const NativeFilePath &path, bool contentKey, cv::Size knownSize);
    ~TwPhotoItem() override;

    bool isPhoto() const override;
    // The image itself; the file-type icon when it cannot be read.
    QIcon icon() const override;

    TwGrayHistogram &histogram() { return m_histogram; }
    const TwGrayHistogram &histogram() const { return m_histogram; }
    // The size recorded when the histogram loaded the image; 0 when it could not.
    int imageWidth() const;
    int imageHeight() const;

    // True when the suffix is one of imageSuffixes(), ignoring case.
    static bool isPhotoFile(const QString &path);
    static const QStringList &imageSuffixes();

private:
    TwGrayHistogram m_histogram;
};
