#include "preferences/twgenernalpreferences.h"

#include <cmath>
#include <limits>

#include <QDebug>

namespace {

void logFallback(const char *field, const QString &stored, const QString &fallback)
{
    qWarning().noquote() << "TwGenernalPreferences::readSection:" << field << "holds" << stored
                         << "which is out of range; the default" << fallback << "is used";
}

float checkedFraction(const char *field, double stored, const float (&range)[2], float fallback)
{
    // Tested before narrowing: a double beyond the float range has no float value.
    const bool finite
        = std::isfinite(stored) && std::fabs(stored) <= std::numeric_limits<float>::max();
    const float value = finite ? static_cast<float>(stored) : fallback;
    if (finite && value >= range[0] && value <= range[1])
        return value;
    logFallback(field, QString::number(stored), QString::number(double(fallback)));
    return fallback;
}

qint64 checkedSize(const char *field, qint64 stored, const qint64 (&range)[2], qint64 fallback)
{
    if (stored >= range[0] && stored <= range[1])
        return stored;
    logFallback(field, QString::number(stored), QString::number(fallback));
    return fallback;
}

template <typename Enum>
Enum checkedMethod(const char *field, qint32 stored, Enum highest, Enum fallback)
{
    if (stored >= 0 && stored <= static_cast<qint32>(highest))
        return static_cast<Enum>(stored);
    logFallback(field, QString::number(stored), QString::number(static_cast<qint32>(fallback)));
    return fallback;
}

} // namespace

TwGenernalPreferences::TwGenernalPreferences(QObject *parent)
    : QObject(parent)
{
}

TwGenernalPreferences &TwGenernalPreferences::operator=(const TwGenernalPreferences &other)
{
    if (this == &other)
        return *this;
    m_scanMethod = other.m_scanMethod;
    m_removalMethod = other.m_removalMethod;
    m_imageSimilarity = other.m_imageSimilarity;
    m_featureSimilarity = other.m_featureSimilarity;
    m_maximumFileSize = other.m_maximumFileSize;
    m_minimumFileSize = other.m_minimumFileSize;
    m_spareText1 = other.m_spareText1;
    m_spareText2 = other.m_spareText2;
    m_moveToFolderPath = other.m_moveToFolderPath;
    return *this;
}

qint64 TwGenernalPreferences::clampedMaximumFileSize(qint64 mebibytes)
{
    // Compared unsigned so that a negative size also falls back to the limit.
    if (static_cast<quint64>(mebibytes) > static_cast<quint64>(MaximumFileSizeLimit))
        return MaximumFileSizeLimit;
    return mebibytes;
}

void TwGenernalPreferences::setMaximumFileSize(qint64 mebibytes)
{
    m_maximumFileSize = clampedMaximumFileSize(mebibytes);
}

bool TwGenernalPreferences::readSection(QDataStream &in)
{
    quint32 magic = 0;
    in >> magic;
    if (in.status() != QDataStream::Ok || magic != Magic)
        return false;

    qint32 scanMethod = 0;
    qint32 removalMethod = 0;
    double imageSimilarity = 0;
    double featureSimilarity = 0;
    qint64 minimumFileSize = 0;
    qint64 maximumFileSize = 0;
    QString spareText1;
    QString spareText2;
    QString moveToFolderPath;
    in >> scanMethod >> removalMethod >> imageSimilarity >> minimumFileSize >> maximumFileSize
        >> spareText1 >> spareText2 >> moveToFolderPath >> featureSimilarity;
    // A section cut short would otherwise load zero sizes, and a zero maximum
    // makes every scan find nothing: keep the defaults instead.
    if (in.status() != QDataStream::Ok) {
        qDebug() << Q_FUNC_INFO << "incomplete section, defaults kept";
        return false;
    }

    // A NaN threshold makes every likeness test pass, an unknown removal
    // method makes Delete do nothing: each such field takes its default alone.
    const TwGenernalPreferences defaults;
    m_scanMethod = checkedMethod("scanMethod", scanMethod, ScanByFileName, defaults.m_scanMethod);
    m_removalMethod
        = checkedMethod("removalMethod", removalMethod, MoveToFolder, defaults.m_removalMethod);
    m_imageSimilarity = checkedFraction(
        "imageSimilarity", imageSimilarity, ImageSimilarityRange, defaults.m_imageSimilarity);
    m_featureSimilarity = checkedFraction("featureSimilarity", featureSimilarity,
        FeatureSimilarityRange, defaults.m_featureSimilarity);
    m_minimumFileSize = checkedSize(
        "minimumFileSize", minimumFileSize, MinimumFileSizeRange, defaults.m_minimumFileSize);
    m_maximumFileSize = checkedSize("maximumFileSize", clampedMaximumFileSize(maximumFileSize),
        MaximumFileSizeRange, defaults.m_maximumFileSize);
    m_spareText1 = spareText1;
    m_spareText2 = spareText2;
    m_moveToFolderPath = moveToFolderPath;
    return true;
}

void TwGenernalPreferences::writeSection(QDataStream &out) const
{
    // The floats travel as doubles, the stream's default precision.
    out << Magic << static_cast<qint32>(m_scanMethod) << static_cast<qint32>(m_removalMethod)
        << static_cast<double>(m_imageSimilarity) << m_minimumFileSize << m_maximumFileSize
        << m_spareText1 << m_spareText2 << m_moveToFolderPath
        << static_cast<double>(m_featureSimilarity);
}
