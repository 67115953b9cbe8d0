#include "engine/scanprogress.h"

#include <algorithm>

void ScanProgress::start(qint64 files, qint64 bytes, qint64 images)
{
    *this = ScanProgress();
    m_duplicateWork = double(qMax<qint64>(files, 0)) * FileCost + double(qMax<qint64>(bytes, 0));
    const double similarWork = double(qMax<qint64>(images, 0)) * ImageCost;
    m_totalWork = m_duplicateWork + similarWork;
    m_similarShare = m_totalWork > 0 ? similarWork / m_totalWork : 0;
}

void ScanProgress::addCompared(qint64 files, qint64 bytes)
{
    if (m_similarStarted || m_totalWork <= 0)
        return;
    m_duplicateDone += double(qMax<qint64>(files, 0)) * FileCost + double(qMax<qint64>(bytes, 0));
    // Sizes can change between the walk and the comparison; never past the pass's share.
    advance(std::min(m_duplicateDone, m_duplicateWork) / m_totalWork);
}

void ScanProgress::startSimilar(qint64 images)
{
    m_similarStarted = true;
    m_images = qMax<qint64>(images, 0);
    m_imagesDone = 0;
    // Whatever the duplicate pass left of its own share (it may have been
    // stopped short, or sizes shrank) goes to the images too.
    m_similarBase = m_fraction;
    m_similarShare = 1.0 - m_similarBase;
}

void ScanProgress::addImages(qint64 images)
{
    if (!m_similarStarted || m_images <= 0)
        return;
    m_imagesDone = std::min(m_images, m_imagesDone + qMax<qint64>(images, 0));
    advance(m_similarBase + m_similarShare * double(m_imagesDone) / double(m_images));
}

void ScanProgress::finish()
{
    advance(1.0);
}

void ScanProgress::advance(double fraction)
{
    m_fraction = std::max(m_fraction, std::min(1.0, fraction));
}
