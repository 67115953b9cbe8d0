#pragma once

#include <memory>
#include <vector>

#include <QStringList>

#include "imaging/twgrayhistogram.h"
#include "model/twfileitem.h"
#include "platform/nativefilepaths.h"

class CancelToken;
class FileCache;

// The exact-copy sets found in one list of same-size files, read and
// confirmed without touching any container, so that a caller can do the file
// reading outside its lock and file the result into a container under it.
class TwDuplicateCandidates {
public:
    struct Member {
        std::unique_ptr<TwFileItem> item;
        qint64 size = 0;
    };
    using CopySet = std::vector<Member>;

    // Reads the files. Files first share a fingerprint (three 1 KiB windows,
    // or the whole of a small file); only files that do are then compared in
    // full, so equal windows alone never make two files copies. The first
    // image of every set loads `headContents`; the other copies only their size.
    // Once `cancel` is set the full comparison stops between two chunks, and
    // files it had not finished comparing count as no copies of anything.
    // With `cache`, fingerprints and digests of unchanged files come from it
    // and what is computed goes into it; files are called copies without
    // reading them only when the cache holds digests of all their contents.
    static TwDuplicateCandidates prepare(const NativeFilePaths &paths,
        TwGrayHistogram::Contents headContents, const CancelToken *cancel = nullptr,
        FileCache *cache = nullptr);

    // Sets of two or more files with equal content, in ascending key order,
    // members in path order; every item's match key is its set's key.
    std::vector<CopySet> copySets;
    // Image files that have no exact copy, in ascending key order.
    QStringList loneImages;
};
