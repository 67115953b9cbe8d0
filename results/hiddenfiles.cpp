#include "results/hiddenfiles.h"

bool HiddenFiles::hide(const QString &pathId)
{
    if (pathId.isEmpty() || m_ids.contains(pathId))
        return false;
    m_ids.insert(pathId);
    return true;
}

void HiddenFiles::retain(const QSet<QString> &present)
{
    m_ids.intersect(present);
}
