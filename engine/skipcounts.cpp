#include "engine/skipcounts.h"

#include <QStringList>

namespace {

QString counted(qint64 count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

bool SkipCounts::isEmpty() const
{
    return unreadableFolders == 0 && unreadableFiles == 0 && specialFiles == 0 && tooLong == 0
        && refusedImages == 0;
}

QString SkipCounts::summary() const
{
    if (isEmpty())
        return QStringLiteral("Nothing skipped");
    QStringList parts;
    if (unreadableFolders > 0)
        parts << counted(unreadableFolders, "unreadable folder", "unreadable folders");
    if (unreadableFiles > 0)
        parts << counted(unreadableFiles, "unreadable file", "unreadable files");
    if (specialFiles > 0)
        parts << counted(specialFiles, "special file", "special files");
    if (tooLong > 0)
        parts << QStringLiteral("%1 files skipped: path too long").arg(tooLong);
    if (refusedImages > 0)
        parts << counted(refusedImages, "refused image", "refused images");
    return QStringLiteral("Skipped: ") + parts.join(QStringLiteral(", "));
}
