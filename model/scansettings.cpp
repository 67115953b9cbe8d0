#include "model/scansettings.h"

#include <limits>

#include "preferences/filecachesetting.h"
#include "preferences/twignorelistpreferences.h"
#include "preferences/twpreferences.h"

namespace {

// Bytes of a KiB/MiB count, saturating instead of overflowing on absurd settings.
qint64 scaledBytes(qint64 count, qint64 unit)
{
    if (count > std::numeric_limits<qint64>::max() / unit)
        return std::numeric_limits<qint64>::max();
    if (count < std::numeric_limits<qint64>::min() / unit)
        return std::numeric_limits<qint64>::min();
    return count * unit;
}

} // namespace

ScanSettings ScanSettings::fromPreferences(const TwPreferences &preferences)
{
    ScanSettings settings;
    const TwIgnoreListPreferences *ignore = preferences.ignoreList();
    settings.ignoreSystemHidden = ignore->ignoreSystemHidden();
    const QVector<QString> ignorePaths = ignore->ignorePaths();
    settings.ignorePaths = QSet<QString>(ignorePaths.cbegin(), ignorePaths.cend());
    for (const QString &extension : ignore->ignoreExtensions())
        settings.ignoreExtensions.append(extension.simplified());

    const TwGenernalPreferences *general = preferences.general();
    settings.minimumBytes = scaledBytes(general->minimumFileSize(), 1024);
    settings.maximumBytes = scaledBytes(general->maximumFileSize(), 1048576);
    settings.scanMethod = general->scanMethod();
    settings.imageSimilarity = double(general->imageSimilarity());
    settings.featureSimilarity = double(general->featureSimilarity());
    settings.similarMethod = SimilarMethodSetting::load();
    settings.cacheEnabled = FileCacheSetting::enabled();

    const TwSelectionPreferences *selection = preferences.selection();
    settings.duplicateRule = selection->duplicateRule();
    settings.similarRule = selection->similarRule();
    settings.priorities = selection->priorities();
    return settings;
}

int ScanSettings::priorityForPath(const QString &path) const
{
    return TwSelectionPreferences::priorityForPath(priorities, path);
}

TwGrayHistogram::Contents ScanSettings::imageContents() const
{
    return histogramsWanted() ? TwGrayHistogram::Contents::SizeAndHistogram
                              : TwGrayHistogram::Contents::SizeOnly;
}
