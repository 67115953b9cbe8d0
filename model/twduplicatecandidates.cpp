#include "twduplicatecandidates.h"

#include <map>

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QSet>

#include "twcontentdigest.h"
#include "twphotoitem.h"

namespace {

// Files up to this size are read whole while fingerprinting (one read
// instead of three), and compared from memory if they share a fingerprint.
constexpr qint64 KeepLimit = 64 * 1024;
// Bounds the memory one call keeps for that.
constexpr qint64 KeepBudget = 32 * 1024 * 1024;

struct Entry {
    QString path;
    QString fingerprint;
    qint64 size = 0;
    QByteArray content;
    bool hasContent = false;
    bool readable = false;
    QString key;
};

void readEntry(Entry &entry, qint64 &budget)
{
    QFile file(entry.path);
    if (file.open(QIODevice::ReadOnly)) {
        entry.size = file.size();
        const bool keep = entry.size <= KeepLimit && entry.size <= budget;
        entry.fingerprint = TwContentDigest::fingerprint(
            file, entry.size, keep ? &entry.content : nullptr, KeepLimit);
        entry.readable = !entry.fingerprint.isEmpty();
        entry.hasContent = entry.readable && keep;
        if (entry.hasContent)
            budget -= entry.size;
        else
            entry.content.clear();
    }
    if (!entry.readable)
        entry.fingerprint = TwContentDigest::pathDigest(entry.path);
}

// Splits files that share a fingerprint into classes of equal content. The
// first class keeps the plain fingerprint as its key, the others get a suffix.
void confirmClass(QVector<Entry> &entries, const QVector<int> &members)
{
    bool fromMemory = true;
    for (int index : members)
        fromMemory = fromMemory && entries.at(index).hasContent;

    QHash<QByteArray, int> classOf;
    int classCount = 0;
    for (int index : members) {
        Entry &entry = entries[index];
        QByteArray token;
        if (fromMemory) {
            token = entry.content;
        } else {
            const QByteArray digest = entry.hasContent
                ? QCryptographicHash::hash(entry.content, QCryptographicHash::Sha256)
                : TwContentDigest::contentDigest(entry.path);
            if (!digest.isEmpty())
                token = QByteArray::number(entry.size) + ':' + digest;
        }
        int cls;
        if (token.isEmpty()) {
            // Unreadable now: a class of its own, never a copy of anything.
            cls = classCount++;
        } else {
            auto it = classOf.constFind(token);
            if (it == classOf.constEnd())
                it = classOf.insert(token, classCount++);
            cls = it.value();
        }
        entry.key = cls == 0 ? entry.fingerprint
                             : entry.fingerprint + QLatin1Char(':') + QString::number(cls + 1);
    }
}

} // namespace

TwDuplicateCandidates TwDuplicateCandidates::prepare(const QStringList &paths)
{
    QVector<Entry> entries;
    entries.reserve(paths.size());
    QSet<QString> seen;
    seen.reserve(paths.size());
    qint64 budget = KeepBudget;
    for (const QString &path : paths) {
        // The same file twice would look like two copies of itself.
        if (seen.contains(path))
            continue;
        seen.insert(path);
        entries.append(Entry());
        entries.last().path = path;
        readEntry(entries.last(), budget);
    }

    QHash<QString, QVector<int>> byFingerprint;
    for (int i = 0; i < entries.size(); ++i) {
        Entry &entry = entries[i];
        entry.key = entry.fingerprint;
        if (entry.readable)
            byFingerprint[entry.fingerprint].append(i);
    }
    for (const QVector<int> &members : qAsConst(byFingerprint)) {
        if (members.size() > 1)
            confirmClass(entries, members);
    }

    std::map<QString, QVector<int>> byKey;
    for (int i = 0; i < entries.size(); ++i) {
        entries[i].content.clear();
        byKey[entries.at(i).key].append(i);
    }

    TwDuplicateCandidates result;
    for (const auto &keyed : byKey) {
        const QVector<int> &members = keyed.second;
        if (members.size() == 1) {
            const QString &path = entries.at(members.first()).path;
            if (TwPhotoItem::isPhotoFile(path))
                result.loneImages.append(path);
            continue;
        }
        CopySet set;
        set.reserve(members.size());
        for (int index : members) {
            const Entry &entry = entries.at(index);
            std::unique_ptr<TwFileItem> item;
            if (TwPhotoItem::isPhotoFile(entry.path))
                item = std::make_unique<TwPhotoItem>(entry.path, false);
            else
                item = std::make_unique<TwFileItem>(entry.path, false);
            item->setMatchKey(keyed.first);
            set.push_back(Member { std::move(item), entry.size });
        }
        result.copySets.push_back(std::move(set));
    }
    return result;
}
