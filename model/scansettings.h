#pragma once

#include <memory>

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include "imaging/twgrayhistogram.h"
#include "model/similaritythresholds.h"
#include "preferences/similarmethodsetting.h"
#include "preferences/twgenernalpreferences.h"
#include "preferences/twselectionpreferences.h"

class FileCache;
class TwPreferences;

// Everything a scan reads of the preferences, copied on the GUI thread when
// the scan starts. Pool threads read only their copy, so the preferences
// dialog may change the store while a scan runs; the change counts from the
// next scan on. A default value holds the defaults of a new store.
class ScanSettings {
public:
    static ScanSettings fromPreferences(const TwPreferences &preferences);

    // The priority of the nearest listed folder among `path` and its
    // existing ancestors; -1 when none is listed.
    int priorityForPath(const QString &path) const;

    // At an image similarity of 1.0 or more no image can ever be similar,
    // so building histograms would be wasted.
    bool histogramsWanted() const { return imageSimilarity < 1.0; }
    // What an image item of this scan loads when it is made.
    TwGrayHistogram::Contents imageContents() const;

    // The walk.
    bool ignoreSystemHidden = true;
    // Absolute paths, compared exactly; a set, so that the walk's lookup
    // costs the same for ten entries or hundreds of thousands.
    QSet<QString> ignorePaths;
    // Without the dot, whitespace simplified (they are typed by hand).
    QStringList ignoreExtensions;
    // Both bounds exclusive, in bytes.
    qint64 minimumBytes = 0;
    qint64 maximumBytes = TwGenernalPreferences::MaximumFileSizeLimit * 1048576;
    TwGenernalPreferences::TwScanMethodFlag scanMethod = TwGenernalPreferences::ScanByFileContent;

    // The similar-image tests: fractions 0..1, widened from the stored floats.
    double imageSimilarity = double(TwGenernalPreferences::DefaultImageSimilarity);
    double featureSimilarity = double(TwGenernalPreferences::DefaultFeatureSimilarity);
    SimilarMethodSetting::Method similarMethod = SimilarMethodSetting::Default;
    // The limits of the accurate method for the two fractions above.
    SimilarityThresholds similarityThresholds() const
    {
        return SimilarityThresholds::fromSliders(imageSimilarity, featureSimilarity);
    }

    // The automatic selection after the scan.
    int duplicateRule = TwSelectionPreferences::SelectByFileName;
    int similarRule = TwSelectionPreferences::SelectByFileName;
    // Folder path to priority, as the selection preferences hold them.
    QMap<QString, int> priorities;

    // Whether what a scan computes of each file is kept for the next one.
    // Off in a value made in code, so that a scan set up by hand never
    // reads or fills the user's cache; fromPreferences() reads the switch.
    bool cacheEnabled = false;
    // The cache the scan's tasks share; set by the engine when a scan
    // starts with the cache on, null otherwise.
    std::shared_ptr<FileCache> cache;
};
