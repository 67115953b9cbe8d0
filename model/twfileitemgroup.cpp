#include "model/twfileitemgroup.h"

#include <exception>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <opencv2/core.hpp>

#include "model/canceltoken.h"
#include "model/filestamp.h"
#include "model/heldfolder.h"
#include "model/safemove.h"
#include "model/scansettings.h"
#include "model/twfileitem.h"
#include "model/twphotoitem.h"
#include "platform/nativepath.h"
#include "preferences/twselectionpreferences.h"

namespace {

qint64 pixelArea(const TwPhotoItem *photo)
{
    return qint64(photo->imageWidth()) * qint64(photo->imageHeight());
}

// A dangling symbolic link does not "exist" but still blocks the name.
bool nameTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Qt 5.15 on freedesktop systems moves the file into "files/" of the current
// folder, and reports success, when the data folder that should hold the
// trash does not exist. Make sure it does, or refuse.
bool moveToTrash(const QString &path, QString *reason)
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) {
        qDebug() << "dealWithFile: no folder for the trash:" << dataHome;
        *reason = QStringLiteral("there is no folder for the trash");
        return false;
    }
    QFile file(path);
    if (file.moveToTrash())
        return true;
    *reason = file.errorString();
    return false;
}

bool removePermanently(const HeldFolder &folder, QString *reason)
{
    if (!folder.isOpen()) {
        *reason = folder.error();
        return false;
    }
    return folder.removeEntry(reason);
}

// Folders made for a move that then failed go again (only while empty).
void removeFolders(const QStringList &created)
{
    for (int i = created.size() - 1; i >= 0; --i)
        QDir().rmdir(created.at(i));
}

bool moveIntoFolder(const QString &path, const MoveTarget &target, QString *reason)
{
    const QFileInfo source(path);
    if (!source.isFile()) {
        *reason = QStringLiteral("it is not a file");
        return false;
    }
    // Moving a file into its own folder would only rename it.
    const QString folder = target.folderFor(path);
    if (QFileInfo(folder).canonicalFilePath() == source.canonicalPath()) {
        qInfo().noquote() << QStringLiteral("dealWithFile: not moved into its own folder: ")
                + NativePath::escapedText(path);
        *reason = QStringLiteral("the target is the file's own folder");
        return false;
    }
    QStringList created;
    if (!target.makeFolderFor(path, &created, reason)) {
        removeFolders(created);
        return false;
    }
    const QString destination = TwFileItemGroup::uniqueTargetPath(
        QStringLiteral("%1/%2").arg(folder, source.fileName()), source.baseName(), 1);
    if (SafeMove::move(path, destination, reason))
        return true;
    qInfo().noquote() << QStringLiteral("dealWithFile: not moved (%1): %2")
                             .arg(*reason, NativePath::escapedText(path));
    removeFolders(created);
    return false;
}

} // namespace

TwFileItemGroup::TwFileItemGroup(TwFileItem *firstItem, QObject *parent)
    : QObject(parent)
{
    if (firstItem)
        m_itemsByKey[firstItem->matchKey()].append(firstItem);
}

TwFileItemGroup::~TwFileItemGroup()
{
    releaseItems();
}

void TwFileItemGroup::releaseItems()
{
    for (const ItemList &items : qAsConst(m_itemsByKey))
        qDeleteAll(items);
    m_itemsByKey.clear();
}

bool TwFileItemGroup::addItem(TwFileItem *item)
{
    if (!item)
        return false;
    m_itemsByKey[item->matchKey()].append(item);
    // Only the first image of a key is ever compared again.
    if (item->isPhoto())
        static_cast<TwPhotoItem *>(item)->histogram().releaseData();
    return true;
}

void TwFileItemGroup::absorb(TwFileItemGroup *other)
{
    if (!other || other == this)
        return;
    for (auto it = other->m_itemsByKey.cbegin(); it != other->m_itemsByKey.cend(); ++it)
        m_itemsByKey[it.key()] += it.value();
    m_checkedCount += other->m_checkedCount;
    m_checkedBytes += other->m_checkedBytes;
    other->m_itemsByKey.clear();
    other->m_checkedCount = 0;
    other->m_checkedBytes = 0;
}

int TwFileItemGroup::removeItem(TwFileItem *item)
{
    bool found = false;
    const QStringList keys = m_itemsByKey.keys();
    for (int i = keys.size() - 1; i >= 0; --i) {
        ItemList items = m_itemsByKey.value(keys.at(i));
        if (items.removeAll(item) == 0)
            continue;
        if (!found && item->isChecked()) {
            --m_checkedCount;
            m_checkedBytes -= item->fileSize();
        }
        found = true;
        if (items.isEmpty())
            m_itemsByKey.remove(keys.at(i));
        else
            m_itemsByKey.insert(keys.at(i), items);
    }
    // Destroyed once even if it was filed twice.
    if (found)
        delete item;
    if (m_checkedCount < 1)
        m_checkedCount = 0;
    if (m_checkedBytes < 1)
        m_checkedBytes = 0;
    return allItemCount();
}

void TwFileItemGroup::itemCheckedChanged(bool checked, qint64 bytes)
{
    if (checked) {
        ++m_checkedCount;
        m_checkedBytes += bytes;
        return;
    }
    m_checkedCount = qMax(0, m_checkedCount - 1);
    m_checkedBytes = qMax<qint64>(0, m_checkedBytes - bytes);
}

int TwFileItemGroup::allItemCount() const
{
    int count = 0;
    for (const ItemList &items : m_itemsByKey)
        count += items.size();
    return count;
}

int TwFileItemGroup::duplicateItemCount() const
{
    int count = 0;
    for (const ItemList &items : m_itemsByKey) {
        if (items.size() >= 2)
            count += items.size();
    }
    return count;
}

int TwFileItemGroup::checkedDuplicateCount() const
{
    int count = 0;
    for (const ItemList &items : m_itemsByKey) {
        if (items.size() < 2)
            continue;
        for (const TwFileItem *item : items)
            count += item->isChecked() ? 1 : 0;
    }
    return count;
}

int TwFileItemGroup::checkedHeadCount() const
{
    int count = 0;
    for (const ItemList &items : m_itemsByKey) {
        if (!items.isEmpty() && items.first()->isChecked())
            ++count;
    }
    return count;
}

TwFileItem *TwFileItemGroup::firstItem() const
{
    for (const ItemList &items : m_itemsByKey) {
        if (!items.isEmpty())
            return items.first();
    }
    return nullptr;
}

QList<TwFileItem *> TwFileItemGroup::items() const
{
    QList<TwFileItem *> all;
    for (const ItemList &items : m_itemsByKey) {
        for (TwFileItem *item : items)
            all.append(item);
    }
    return all;
}

void TwFileItemGroup::clampCounters()
{
    if (m_checkedCount < 1) {
        m_checkedCount = 0;
        m_checkedBytes = 0;
    } else if (m_checkedBytes < 1) {
        m_checkedBytes = 0;
    }
}

bool TwFileItemGroup::removeChecked(
    RemovalMethod method, const MoveTarget &target, const RemovalProgress &progress)
{
    const QStringList keys = m_itemsByKey.keys();
    QStringList emptied;
    m_keptChangedCount = 0;
    m_failures.clear();
    int handled = 0;
    bool carryOn = true;
    for (int i = 0; i < keys.size() && carryOn; ++i) {
        const QString &key = keys.at(i);
        ItemList items = m_itemsByKey.value(key);
        for (int j = items.size() - 1; j >= 0 && carryOn; --j) {
            TwFileItem *item = items.at(j);
            if (!item->isChecked())
                continue;
            const qint64 size = item->fileSize();
            QString reason;
            if (!stillAsScanned(item, items)) {
                ++m_keptChangedCount;
                qInfo().noquote() << QStringLiteral("removeChecked: changed since the scan, kept: ")
                        + NativePath::escapedText(item->filePath());
            } else if (dealWithFile(
                           item->filePath(), method, target, &reason, &item->scanStamp())) {
                items.remove(j);
                --m_checkedCount;
                m_checkedBytes -= size;
                delete item;
            } else {
                m_failures.append(Failure { item->filePath(), reason });
            }
            emit deleteItemFile(0);
            ++handled;
            if (progress && !progress(handled))
                carryOn = false;
        }
        if (items.isEmpty())
            emptied.append(key);
        else
            m_itemsByKey.insert(key, items);
    }
    for (const QString &key : qAsConst(emptied))
        m_itemsByKey.remove(key);
    clampCounters();
    return carryOn;
}

bool TwFileItemGroup::stillAsScanned(const TwFileItem *item, const ItemList &sameContent)
{
    if (!item->scanStamp().matches(item->filePath()))
        return false;
    // An exact copy goes only while another copy of its content is still
    // there as the scan saw it; a twin edited since holds other content.
    if (sameContent.size() < 2)
        return true;
    for (const TwFileItem *other : sameContent) {
        if (other != item && other->scanStamp().matches(other->filePath()))
            return true;
    }
    return false;
}

bool TwFileItemGroup::dealWithFile(const QString &path, RemovalMethod method,
    const MoveTarget &target, QString *reason, const FileStamp *stamp)
{
    QString why;
    bool removed = false;
    try {
        // Opened once: the check and a permanent deletion both happen in it.
        const HeldFolder folder(path);
        if (stamp && !stamp->matches(folder)) {
            why = QStringLiteral("it or its folder changed since the scan");
        } else {
            switch (int(method)) {
            case TwGenernalPreferences::MoveToTrash:
                removed = moveToTrash(path, &why);
                break;
            case TwGenernalPreferences::RemovePermanently:
                removed = removePermanently(folder, &why);
                break;
            case TwGenernalPreferences::MoveToFolder:
                removed = target.isEmpty() ? moveToTrash(path, &why)
                                           : moveIntoFolder(path, target, &why);
                break;
            default:
                why = QStringLiteral("unknown removal method");
                break;
            }
        }
    } catch (const std::exception &error) {
        qDebug() << "dealWithFile:" << error.what() << path;
        why = QString::fromLocal8Bit(error.what());
        removed = false;
    }
    if (!removed) {
        qInfo().noquote() << QStringLiteral("dealWithFile:Delete file is failed ! file=") + path;
        if (reason)
            *reason = why;
    }
    return removed;
}

QString TwFileItemGroup::uniqueTargetPath(const QString &candidate, const QString &baseName, int n)
{
    if (!nameTaken(candidate))
        return candidate;
    const QFileInfo info(candidate);
    const QString folder = info.absolutePath();
    const QString fileName = info.fileName();
    // Keep every part of the name after the base name (a.tar.gz -> a_1.tar.gz);
    // a name without a suffix gets no trailing dot.
    QString rest;
    if (fileName.startsWith(baseName))
        rest = fileName.mid(baseName.size());
    else if (!info.suffix().isEmpty())
        rest = QLatin1Char('.') + info.suffix();
    QString path = candidate;
    while (nameTaken(path)) {
        path = QStringLiteral("%1/%2_%3%4").arg(folder, baseName, QString::number(n), rest);
        ++n;
    }
    return path;
}

bool TwFileItemGroup::addSimilarPhoto(
    TwPhotoItem *photo, const ScanSettings &settings, const CancelToken &cancel)
{
    if (!photo || m_itemsByKey.isEmpty())
        return false;
    bool matched = false;
    // The first head that matches decides; later keys could not change the outcome.
    for (auto it = m_itemsByKey.cbegin(); it != m_itemsByKey.cend() && !matched; ++it) {
        if (cancel.isCancelled())
            break;
        matched = isSimilarPhoto(it.value(), photo, settings);
    }
    if (!matched)
        return false;
    m_itemsByKey[photo->matchKey()].append(photo);
    photo->histogram().releaseData();
    return true;
}

bool TwFileItemGroup::pixelCountsComparable(qint64 a, qint64 b)
{
    if (a <= 0 || b <= 0)
        return false;
    return qMax(a, b) <= MaximumPixelRatio * qMin(a, b);
}

bool TwFileItemGroup::isSimilarPhoto(
    const ItemList &items, TwFileItem *photo, const ScanSettings &settings) const
{
    if (!photo || !photo->isPhoto() || items.isEmpty())
        return false;
    // isPhoto() is true exactly for TwPhotoItem.
    auto *image = static_cast<TwPhotoItem *>(photo);
    auto *head = items.first()->isPhoto() ? static_cast<TwPhotoItem *>(items.first()) : nullptr;
    if (!image || !head)
        return false;

    // Cheapest test first: sizes far apart are never compared further.
    if (!pixelCountsComparable(pixelArea(image), pixelArea(head)))
        return false;

    if (!image->histogram().similarToHistogram(head->histogram(), settings.imageSimilarity))
        return false;

    const cv::Mat imageDescriptors = image->histogram().getORBImageDesc();
    if (imageDescriptors.empty())
        return false;
    const cv::Mat headDescriptors = head->histogram().getORBImageDesc();
    if (headDescriptors.empty())
        return false;
    return image->histogram().similarToORB(
        imageDescriptors, headDescriptors, settings.featureSimilarity);
}

void TwFileItemGroup::selectBy(const Comparison &comparison, SelectionScope scope, bool flag)
{
    m_checkedCount = 0;
    m_checkedBytes = 0;
    TwFileItem *keeper = nullptr;
    auto check = [this](TwFileItem *item) {
        item->setChecked(true);
        ++m_checkedCount;
        m_checkedBytes += item->fileSize();
    };
    for (const ItemList &items : qAsConst(m_itemsByKey)) {
        if (items.isEmpty() || (scope == ExactDuplicates && items.size() == 1))
            continue;
        const int visited = scope == FirstOfEachKey ? 1 : items.size();
        for (int i = 0; i < visited; ++i) {
            TwFileItem *item = items.at(i);
            if (!keeper) {
                item->setChecked(false);
                keeper = item;
            } else if (comparison && comparison(keeper, item, flag)) {
                check(keeper);
                item->setChecked(false);
                keeper = item;
            } else {
                check(item);
            }
        }
    }
    if (m_marksChangedFlag)
        *m_marksChangedFlag = true;
    emit markDuplicateChanged();
}

void TwFileItemGroup::applySelectionRule(
    int rule, const ScanSettings &settings, SelectionScope scope)
{
    switch (rule) {
    case TwSelectionPreferences::SelectNewest:
        selectBy(byCreatedTime, scope, true);
        break;
    case TwSelectionPreferences::SelectOldest:
        selectBy(byCreatedTime, scope, false);
        break;
    case TwSelectionPreferences::SelectByFileName:
        selectBy(byNameLength, scope, true);
        break;
    case TwSelectionPreferences::SelectByPriority:
        selectBy(byPriority(settings.priorities), scope, true);
        break;
    case TwSelectionPreferences::SelectHighResolution:
        selectBy(byResolution, scope, true);
        break;
    case TwSelectionPreferences::SelectLowResolution:
        selectBy(byResolution, scope, false);
        break;
    case TwSelectionPreferences::SelectHighQuality:
        selectBy(bySize, scope, true);
        break;
    case TwSelectionPreferences::SelectLowQuality:
        selectBy(bySize, scope, false);
        break;
    default:
        break;
    }
}

void TwFileItemGroup::deselectAll()
{
    for (const ItemList &items : qAsConst(m_itemsByKey)) {
        for (TwFileItem *item : items)
            item->setChecked(false);
    }
    m_checkedCount = 0;
    m_checkedBytes = 0;
}

bool TwFileItemGroup::byCreatedTime(
    const TwFileItem *keeper, const TwFileItem *candidate, bool flag)
{
    const bool earlier = candidate->createdTime() < keeper->createdTime();
    return flag ? earlier : !earlier;
}

bool TwFileItemGroup::byNameLength(const TwFileItem *keeper, const TwFileItem *candidate, bool flag)
{
    const int keeperLength = keeper->baseName().size();
    const int candidateLength = candidate->baseName().size();
    return flag ? candidateLength < keeperLength : candidateLength > keeperLength;
}

TwFileItemGroup::Comparison TwFileItemGroup::byPriority(const QMap<QString, int> &priorities)
{
    return [priorities](const TwFileItem *keeper, const TwFileItem *candidate, bool flag) {
        if (!flag)
            return false;
        return TwSelectionPreferences::priorityForPath(priorities, candidate->absolutePath())
            < TwSelectionPreferences::priorityForPath(priorities, keeper->absolutePath());
    };
}

bool TwFileItemGroup::bySize(const TwFileItem *keeper, const TwFileItem *candidate, bool flag)
{
    const qint64 keeperSize = keeper->fileSize();
    const qint64 candidateSize = candidate->fileSize();
    return flag ? candidateSize < keeperSize : candidateSize > keeperSize;
}

bool TwFileItemGroup::byResolution(const TwFileItem *keeper, const TwFileItem *candidate, bool flag)
{
    if (!keeper->isPhoto() || !candidate->isPhoto())
        return false;
    const bool smaller = pixelArea(static_cast<const TwPhotoItem *>(candidate))
        < pixelArea(static_cast<const TwPhotoItem *>(keeper));
    return flag ? smaller : !smaller;
}
