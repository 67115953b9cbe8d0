#include "model/twcatalogcontainer.h"

#include <algorithm>

#include "model/canceltoken.h"
#include "model/scansettings.h"
#include "model/twcatalog.h"
#include "model/twphotoitem.h"
#include "model/twshared.h"

TwCatalogContainer::TwCatalogContainer(TwCatalog *catalog, QObject *parent)
    : QObject(parent)
    , m_catalog(catalog)
    , m_containerName(catalog ? catalog->catalogKey() : TwShared::othersName())
    , m_containerColor(catalog ? catalog->catalogColor() : TwCatalog::othersColor())
{
}

TwCatalogContainer::~TwCatalogContainer()
{
    qDeleteAll(m_groups);
}

TwFileItemGroup *TwCatalogContainer::appendGroup(TwFileItem *firstItem)
{
    auto *group = new TwFileItemGroup(firstItem);
    // Groups and containers are made on pool threads without an event loop,
    // while selection runs elsewhere; all a change needs is the flag set.
    group->setMarksChangedFlag(&m_countsDirty);
    m_groups.append(group);
    group->setName(QStringLiteral("%1_%2").arg(m_containerName).arg(m_groups.size()));
    return group;
}

QStringList TwCatalogContainer::buildDuplicateGroups(const NativeFilePaths &paths,
    const ScanSettings &settings, int &count, qint64 &bytes, const CancelToken *cancel)
{
    TwDuplicateCandidates candidates = prepareDuplicateCandidates(paths, settings, cancel);
    return fileDuplicateCandidates(candidates, count, bytes);
}

TwDuplicateCandidates TwCatalogContainer::prepareDuplicateCandidates(
    const NativeFilePaths &paths, const ScanSettings &settings, const CancelToken *cancel)
{
    // The accurate pass takes its own features of the first copy; only the
    // classic one compares the histogram an item loads.
    const TwGrayHistogram::Contents head = settings.similarMethod == SimilarMethodSetting::Accurate
        ? TwGrayHistogram::Contents::SizeOnly
        : settings.imageContents();
    return TwDuplicateCandidates::prepare(paths, head, cancel, settings.cache.get());
}

QStringList TwCatalogContainer::fileDuplicateCandidates(
    TwDuplicateCandidates &candidates, int &count, qint64 &bytes)
{
    count = 0;
    bytes = 0;
    for (TwDuplicateCandidates::CopySet &set : candidates.copySets) {
        if (set.size() < 2)
            continue;
        TwFileItemGroup *group = appendGroup(set.front().item.release());
        for (size_t i = 1; i < set.size(); ++i) {
            group->addItem(set[i].item.release());
            ++m_duplicateCount;
            ++count;
            m_duplicateBytes += set[i].size;
            bytes += set[i].size;
        }
    }
    candidates.copySets.clear();
    return std::move(candidates.loneImages);
}

bool TwCatalogContainer::addSimilarPhoto(
    TwPhotoItem *photo, const ScanSettings &settings, const CancelToken &cancel)
{
    for (TwFileItemGroup *group : qAsConst(m_groups)) {
        if (cancel.isCancelled())
            break;
        if (group->addSimilarPhoto(photo, settings, cancel)) {
            ++m_duplicateCount;
            m_duplicateBytes += photo->fileSize();
            return true;
        }
    }
    appendGroup(photo);
    return false;
}

void TwCatalogContainer::fileSimilarSet(const QVector<TwFileItemGroup *> &exactGroups,
    const QVector<TwPhotoItem *> &loneImages, int &count, qint64 &bytes)
{
    count = 0;
    bytes = 0;
    if (exactGroups.isEmpty() && loneImages.isEmpty())
        return;
    int firstLone = 0;
    TwFileItemGroup *target = nullptr;
    if (exactGroups.isEmpty()) {
        target = appendGroup(loneImages.first());
        firstLone = 1;
    } else {
        target = exactGroups.first();
    }
    auto join = [&](const TwFileItem *head) {
        ++count;
        bytes += head->fileSize();
    };
    for (int i = 1; i < exactGroups.size(); ++i) {
        TwFileItemGroup *other = exactGroups.at(i);
        if (!m_groups.contains(other) || other == target)
            continue;
        join(other->firstItem());
        target->absorb(other);
        m_groups.removeOne(other);
        delete other;
    }
    for (int i = firstLone; i < loneImages.size(); ++i) {
        join(loneImages.at(i));
        target->addItem(loneImages.at(i));
    }
    m_duplicateCount += count;
    m_duplicateBytes += bytes;
}

void TwCatalogContainer::sortGroupsByPath()
{
    auto firstPath = [](const TwFileItemGroup *group) {
        const TwFileItem *first = group->firstItem();
        return first ? first->filePath() : QString();
    };
    std::stable_sort(
        m_groups.begin(), m_groups.end(), [&](const TwFileItemGroup *a, const TwFileItemGroup *b) {
            return firstPath(a) < firstPath(b);
        });
    for (int i = 0; i < m_groups.size(); ++i)
        m_groups.at(i)->setName(QStringLiteral("%1_%2").arg(m_containerName).arg(i + 1));
}

void TwCatalogContainer::applySelectionRule(int rule, const ScanSettings &settings)
{
    for (TwFileItemGroup *group : qAsConst(m_groups))
        group->applySelectionRule(rule, settings);
    recount();
}

void TwCatalogContainer::removeSmallGroups()
{
    QVector<TwFileItemGroup *> kept;
    kept.reserve(m_groups.size());
    for (TwFileItemGroup *group : qAsConst(m_groups)) {
        if (group->allItemCount() < 2)
            delete group;
        else
            kept.append(group);
    }
    m_groups = kept;
}

bool TwCatalogContainer::removeChecked(TwFileItemGroup::RemovalMethod method,
    const MoveTarget &target, const TwFileItemGroup::RemovalProgress &progress)
{
    int handled = 0;
    bool finished = true;
    m_keptChangedCount = 0;
    m_failures.clear();
    for (TwFileItemGroup *group : qAsConst(m_groups)) {
        const int before = handled;
        finished = group->removeChecked(method, target, [&](int done) {
            handled = before + done;
            return !progress || progress(handled);
        });
        m_keptChangedCount += group->keptChangedCount();
        m_failures += group->failures();
        if (!finished)
            break;
    }
    recount();
    return finished;
}

void TwCatalogContainer::recount()
{
    m_checkedCount = 0;
    m_checkedBytes = 0;
    for (const TwFileItemGroup *group : qAsConst(m_groups)) {
        m_checkedCount += group->checkedCount();
        m_checkedBytes += group->checkedBytes();
    }
    m_countsDirty = false;
}

int TwCatalogContainer::checkedCount(bool refresh)
{
    if (refresh)
        recount();
    return m_checkedCount;
}

qint64 TwCatalogContainer::checkedBytes(bool refresh)
{
    if (refresh)
        recount();
    return m_checkedBytes;
}

void TwCatalogContainer::markDuplicateChanged()
{
    m_countsDirty = true;
}
