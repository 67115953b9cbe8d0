#pragma once

#include <QString>

// Whether scans keep what they computed of each file for the next scan.
// Kept in the program's native settings store, like the similar-image
// method, so that the preferences file keeps its format.
class FileCacheSetting {
public:
    static constexpr const char *Key = "file_cache_enabled";
    static constexpr bool Default = true;

    static bool enabled();
    static void setEnabled(bool enabled);

    // The cache file: "cache.sqlite" in the user's cache folder for the
    // product, shared by the window and the command line.
    static QString cacheFile();
    // Bytes the cache file and its journal take; 0 when there is none.
    static qint64 cacheBytes();
    // Removes the cache file and its journal; false when one of them stays.
    static bool clearCache();
};
