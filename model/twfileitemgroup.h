#pragma once

#include <functional>

#include <QFlags>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QVector>

#include "model/movetarget.h"
#include "preferences/twgenernalpreferences.h"

class CancelToken;
class FileStamp;
class ScanSettings;
class TwFileItem;
class TwPhotoItem;

// One group of the results: items filed by match key, so several items under
// one key are exact copies and several keys are similar images. Owns its
// items and keeps the count and bytes of the checked ones.
class TwFileItemGroup : public QObject {
    Q_OBJECT

public:
    using ItemList = QVector<TwFileItem *>;
    using ItemMap = QMap<QString, ItemList>;

    // Which items of a group take part in a selection run.
    enum SelectionScope { AllItems = 0, ExactDuplicates = 1, FirstOfEachKey = 2 };

    // Answers whether `candidate` replaces `keeper` as the item kept.
    using Comparison
        = std::function<bool(const TwFileItem *keeper, const TwFileItem *candidate, bool flag)>;

    using RemovalMethod = QFlags<TwGenernalPreferences::TwRemovalMethodFlag>;
    // Told after every checked file that a removal run handled, removed or
    // not, with the number handled so far in the run; answering false ends
    // the run before the next file.
    using RemovalProgress = std::function<bool(int done)>;

    explicit TwFileItemGroup(TwFileItem *firstItem, QObject *parent = nullptr);
    ~TwFileItemGroup() override;

    bool addItem(TwFileItem *item);
    // Takes every item of `other` (which is left empty) under its own key.
    void absorb(TwFileItemGroup *other);
    // Destroys the item if it is a member; returns the number of items left.
    int removeItem(TwFileItem *item);
    void itemCheckedChanged(bool checked, qint64 bytes);

    int allItemCount() const;
    int keyCount() const { return m_itemsByKey.size(); }
    bool hasSeveralKeys() const { return keyCount() > 1; }
    int duplicateItemCount() const;
    int checkedDuplicateCount() const;
    int checkedHeadCount() const;
    int checkedCount() const { return m_checkedCount; }
    qint64 checkedBytes() const { return m_checkedBytes; }
    TwFileItem *firstItem() const;
    // Every item, key by key in key order.
    QList<TwFileItem *> items() const;
    const ItemMap &itemsByKey() const { return m_itemsByKey; }

    // A flag of the owner's that every change of the marks sets, as
    // markDuplicateChanged() does: a connection per group would cost more
    // than the group's own fields.
    void setMarksChangedFlag(bool *flag) { m_marksChangedFlag = flag; }

    QString groupName() const { return m_groupName; }
    void setName(const QString &name) { m_groupName = name; }

    // A checked file the last removal run could not remove, and why.
    struct Failure {
        QString path;
        QString reason;
    };

    // Removes the checked files by `method` (below `target` for
    // MoveToFolder), telling `progress` and emitting deleteItemFile(0) for
    // every checked file handled. Files that could not be removed stay.
    // False when `progress` ended the run early.
    bool removeChecked(
        RemovalMethod method, const MoveTarget &target, const RemovalProgress &progress);
    bool removeChecked(
        RemovalMethod method, const QString &targetFolder, const RemovalProgress &progress)
    {
        return removeChecked(method, MoveTarget(targetFolder), progress);
    }
    // Checked files the last removal run left alone because they, or every
    // other copy of their content, changed or went since the scan.
    int keptChangedCount() const { return m_keptChangedCount; }
    // Checked files the last removal run tried and failed to remove.
    const QVector<Failure> &failures() const { return m_failures; }
    // Removes one file; false with `reason` (when given) if it stays. With
    // `stamp`, the file is removed only while its folder, held open, is the
    // one the scan saw and the file in it unchanged; a permanent deletion
    // then unlinks relative to that folder, so no link put in the path is
    // ever followed.
    static bool dealWithFile(const QString &path, RemovalMethod method, const MoveTarget &target,
        QString *reason = nullptr, const FileStamp *stamp = nullptr);
    static bool dealWithFile(const QString &path, RemovalMethod method, const QString &targetFolder)
    {
        return dealWithFile(path, method, MoveTarget(targetFolder));
    }
    // Whether `item` may go on the scan's word: unchanged since the scan, and
    // for an exact copy, another of `sameContent` (its key's items) is too.
    static bool stillAsScanned(const TwFileItem *item, const ItemList &sameContent);
    // The first of `candidate`, `baseName`_n.<rest> (n = `n`, n + 1, ...)
    // that does not exist; <rest> is everything after the base name.
    static QString uniqueTargetPath(const QString &candidate, const QString &baseName, int n);

    // Compares `photo` with the head of every key by the thresholds of
    // `settings`, until one matches or `cancel` is set.
    bool addSimilarPhoto(
        TwPhotoItem *photo, const ScanSettings &settings, const CancelToken &cancel);
    bool isSimilarPhoto(
        const ItemList &items, TwFileItem *photo, const ScanSettings &settings) const;
    // The cheap first test of the classic method: pixel counts (both above
    // zero) in a ratio of at most MaximumPixelRatio. A ratio of 20 still lets
    // a copy at a quarter of the width and height through with room for
    // rounding (exactly 16), and keeps thumbnails and icons away from photos.
    static constexpr qint64 MaximumPixelRatio = 20;
    static bool pixelCountsComparable(qint64 a, qint64 b);

    void selectBy(const Comparison &comparison, SelectionScope scope, bool flag);
    // Rule numbers of TwSelectionPreferences; the priority rule looks the
    // folders up in `settings`.
    // Marks by selection rule `rule` (0..7); the automatic selection works on
    // exact copies, the results window on what its list shows.
    void applySelectionRule(
        int rule, const ScanSettings &settings, SelectionScope scope = ExactDuplicates);
    void deselectAll();

    static bool byCreatedTime(const TwFileItem *keeper, const TwFileItem *candidate, bool flag);
    static bool byNameLength(const TwFileItem *keeper, const TwFileItem *candidate, bool flag);
    // By the folder priorities in `priorities` (folder path to priority).
    static Comparison byPriority(const QMap<QString, int> &priorities);
    static bool bySize(const TwFileItem *keeper, const TwFileItem *candidate, bool flag);
    static bool byResolution(const TwFileItem *keeper, const TwFileItem *candidate, bool flag);

signals:
    void markDuplicateChanged();
    void deleteItemFile(int value);

private:
    void releaseItems();
    void clampCounters();

    ItemMap m_itemsByKey;
    int m_checkedCount = 0;
    qint64 m_checkedBytes = 0;
    QString m_groupName;
    int m_keptChangedCount = 0;
    QVector<Failure> m_failures;
    bool *m_marksChangedFlag = nullptr;
};
