#include "model/twphotoitem.h"

#include <QImageReader>

#include "model/twshared.h"

TwPhotoItem::TwPhotoItem(
    const NativeFilePath &path, bool contentKey, TwGrayHistogram::Contents contents)
    : TwFileItem(path, contentKey)
    , m_histogram(path, contents)
{
}

TwPhotoItem::TwPhotoItem(const NativeFilePath &path, bool contentKey, cv::Size knownSize)
    : TwFileItem(path, contentKey)
    , m_histogram(path, knownSize)
{
}

TwPhotoItem::~TwPhotoItem() = default;

bool TwPhotoItem::isPhoto() const
{
    return true;
}

QIcon TwPhotoItem::icon() const
{
    // QIcon loads lazily and is not null for a file it cannot decode, so
    // probe the header first.
    QImageReader reader(filePath());
    if (reader.canRead()) {
        const QIcon icon(filePath());
        if (!icon.isNull())
            return icon;
    }
    return TwFileItem::icon();
}

int TwPhotoItem::imageWidth() const
{
    return m_histogram.imageWidth();
}

int TwPhotoItem::imageHeight() const
{
    return m_histogram.imageHeight();
}

const QStringList &TwPhotoItem::imageSuffixes()
{
    static const QStringList suffixes = TwShared::imageSuffixes().split(QLatin1Char(','));
    return suffixes;
}

bool TwPhotoItem::isPhotoFile(const QString &path)
{
    // Plain string work: this runs for every file a scan collects.
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        return false;
    const QStringRef suffix = path.midRef(dot + 1);
    for (const QString &candidate : imageSuffixes()) {
        if (suffix.compare(candidate, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
