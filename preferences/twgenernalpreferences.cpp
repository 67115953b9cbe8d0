#include "preferences/twgenernalpreferences.h"

#include <QDebug>

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

    m_scanMethod = static_cast<TwScanMethodFlag>(scanMethod);
    m_removalMethod = static_cast<TwRemovalMethodFlag>(removalMethod);
    m_imageSimilarity = static_cast<float>(imageSimilarity);
    m_featureSimilarity = static_cast<float>(featureSimilarity);
    m_minimumFileSize = minimumFileSize;
    m_maximumFileSize = clampedMaximumFileSize(maximumFileSize);
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
