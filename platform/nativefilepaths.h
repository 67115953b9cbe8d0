#pragma once

#include <QStringList>
#include <QVector>

#include "platform/nativefilepath.h"

// A list of native paths that any list of path strings converts to, as a
// single string converts to one path.
class NativeFilePaths : public QVector<NativeFilePath> {
public:
    using QVector<NativeFilePath>::QVector;
    NativeFilePaths() = default;
    NativeFilePaths(const QList<QString> &paths);
};
