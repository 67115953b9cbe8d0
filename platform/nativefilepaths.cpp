#include "platform/nativefilepaths.h"

NativeFilePaths::NativeFilePaths(const QList<QString> &paths)
{
    reserve(paths.size());
    for (const QString &path : paths)
        append(NativeFilePath(path));
}
