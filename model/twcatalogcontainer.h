#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "model/twduplicatecandidates.h"
#include "model/twfileitemgroup.h"

class CancelToken;
class ScanSettings;
class TwCatalog;
class TwPhotoItem;

// All groups of one category, with the category's duplicate totals and the
// checked counters of its groups. Owns its groups.
class TwCatalogContainer : public QObject {
    Q_OBJECT

public:
    // `catalog` may be null ("Others"); it is not owned.
    explicit TwCatalogContainer(TwCatalog *catalog, QObject *parent = nullptr);
    ~TwCatalogContainer() override;

    TwCatalog *catalog() const { return m_catalog; }
    QString containerName() const { return m_containerName; }
    QColor containerColor() const { return m_containerColor; }
    QVector<TwFileItemGroup *> groups() const { return m_groups; }

    // Groups the files of `paths` that have equal content. Returns the image
    // files that have no exact copy; `count` and `bytes` receive the files
    // added beyond each group's first member. A set `cancel` stops the
    // comparison (see TwDuplicateCandidates::prepare).
    QStringList buildDuplicateGroups(const NativeFilePaths &paths, const ScanSettings &settings,
        int &count, qint64 &bytes, const CancelToken *cancel = nullptr);

    // The same in two steps: the reading, which needs no lock, and the filing
    // into this container, which takes the items out of `candidates`.
    static TwDuplicateCandidates prepareDuplicateCandidates(const NativeFilePaths &paths,
        const ScanSettings &settings, const CancelToken *cancel = nullptr);
    QStringList fileDuplicateCandidates(
        TwDuplicateCandidates &candidates, int &count, qint64 &bytes);

    // Takes ownership of `photo`: into the first group, in creation order,
    // that holds a like image (true), or into a new group of its own (false).
    // Once `cancel` is set no group is compared any more.
    bool addSimilarPhoto(
        TwPhotoItem *photo, const ScanSettings &settings, const CancelToken &cancel);

    // Files one connected set of similar images found by the accurate pass:
    // the first of `exactGroups` (groups of this container, in path order)
    // takes the others and the `loneImages` (ownership taken); without one,
    // a new group is made from the lone images. `count` and `bytes` receive
    // the images that joined beyond the first unit.
    void fileSimilarSet(const QVector<TwFileItemGroup *> &exactGroups,
        const QVector<TwPhotoItem *> &loneImages, int &count, qint64 &bytes);
    // Orders the groups by the path of their first file and names them
    // again in that order, so the result reads the same for any run.
    void sortGroupsByPath();

    void applySelectionRule(int rule, const ScanSettings &settings);
    // Destroys the groups of fewer than two items.
    void removeSmallGroups();
    // Removes the checked files of every group (see TwFileItemGroup); `done`
    // counts over all groups. False when `progress` stopped the run.
    bool removeChecked(TwFileItemGroup::RemovalMethod method, const MoveTarget &target,
        const TwFileItemGroup::RemovalProgress &progress);
    // Files the last removal run kept because they changed since the scan.
    int keptChangedCount() const { return m_keptChangedCount; }
    // Files the last removal run failed to remove, group by group.
    const QVector<TwFileItemGroup::Failure> &removalFailures() const { return m_failures; }

    int checkedCount(bool refresh);
    qint64 checkedBytes(bool refresh);
    int duplicateCount() const { return m_duplicateCount; }
    qint64 duplicateBytes() const { return m_duplicateBytes; }
    bool countsDirty() const { return m_countsDirty; }

public slots:
    void markDuplicateChanged();

private:
    TwFileItemGroup *appendGroup(TwFileItem *firstItem);
    void recount();

    bool m_countsDirty = true;
    int m_checkedCount = 0;
    qint64 m_checkedBytes = 0;
    int m_duplicateCount = 0;
    qint64 m_duplicateBytes = 0;
    int m_keptChangedCount = 0;
    QVector<TwFileItemGroup::Failure> m_failures;
    TwCatalog *m_catalog = nullptr;
    QVector<TwFileItemGroup *> m_groups;
    // Copies, so the container still names itself after the category table
    // has been released.
    QString m_containerName;
    QColor m_containerColor;
};
