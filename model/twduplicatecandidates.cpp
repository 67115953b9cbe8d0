#include "model/twduplicatecandidates.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

#include <QFile>
#include <QHash>
#include <QMap>

#include "model/canceltoken.h"
#include "model/filecache.h"
#include "model/fileidentity.h"
#include "model/twcontentdigest.h"
#include "model/twphotoitem.h"
#include "platform/regularfile.h"

namespace {

// Files up to this size are read whole while fingerprinting (one read
// instead of three), and compared from memory if they share a fingerprint.
constexpr qint64 KeepLimit = 64 * 1024;
// Bounds the memory one call keeps for that.
constexpr qint64 KeepBudget = 32 * 1024 * 1024;
// Larger files that share a fingerprint are compared this much at a time...
constexpr qint64 ChunkSize = 128 * 1024;
// ...with at most this many of them open at once.
constexpr int MaximumOpenFiles = 64;

// An MD5 digest as its 16 bytes: no string per file while comparing.
struct Fingerprint {
    std::array<char, 16> bytes {};

    static Fingerprint of(const QByteArray &digest)
    {
        Fingerprint fingerprint;
        std::memcpy(fingerprint.bytes.data(), digest.constData(),
            std::min(fingerprint.bytes.size(), size_t(digest.size())));
        return fingerprint;
    }
    bool operator==(const Fingerprint &other) const { return bytes == other.bytes; }
    QString text() const
    {
        return TwContentDigest::hexText(QByteArray::fromRawData(bytes.data(), int(bytes.size())));
    }
};

uint qHash(const Fingerprint &fingerprint, uint seed = 0)
{
    return qHashBits(fingerprint.bytes.data(), fingerprint.bytes.size(), seed);
}

struct Entry {
    // The item made of it keeps `file`, whose folder bytes the scan shares.
    NativeFilePath file;
    QString path;
    Fingerprint fingerprint;
    qint64 size = 0;
    QByteArray content;
    bool hasContent = false;
    bool readable = false;
    // 0 for the first class of equal content under a fingerprint, else n >= 2.
    int keyClass = 0;
    FileIdentity identity;
    // Of the whole content, when the cache had it for this very version.
    QByteArray digest;
};

// Whether the cache holds `entry`'s fingerprint and digest; takes them if so.
bool takeFromCache(Entry &entry, const QFile &file, FileCache *cache)
{
    entry.identity = FileIdentity::ofDescriptor(file.handle());
    const FileCache::Entry cached = cache->lookup(entry.identity);
    if (!cached.found())
        return false;
    entry.fingerprint = Fingerprint::of(QByteArray::fromHex(cached.fingerprint.toLatin1()));
    entry.digest = cached.digest;
    entry.readable = true;
    return true;
}

void readEntry(Entry &entry, qint64 &budget, FileCache *cache)
{
    QFile file;
    QByteArray digest;
    if (RegularFile::open(file, entry.path)) {
        entry.size = file.size();
        if (cache && !cache->covers(entry.size))
            cache = nullptr;
        if (cache && takeFromCache(entry, file, cache))
            return;
        const bool keep = entry.size <= KeepLimit && entry.size <= budget;
        digest = TwContentDigest::fingerprintDigest(
            file, entry.size, keep ? &entry.content : nullptr, KeepLimit);
        entry.readable = !digest.isEmpty();
        entry.hasContent = entry.readable && keep;
        if (entry.hasContent)
            budget -= entry.size;
        else
            entry.content.clear();
    }
    if (!entry.readable)
        digest = TwContentDigest::pathDigestBytes(entry.path);
    entry.fingerprint = Fingerprint::of(digest);
    if (cache && entry.readable && entry.identity.size() == entry.size)
        cache->storeFingerprint(entry.identity, entry.fingerprint.text());
}

// The match key: the fingerprint's hex, with ":n" for the n-th class of it.
QString keyOf(const Entry &entry)
{
    const QString text = entry.fingerprint.text();
    return entry.keyClass == 0 ? text : text + QLatin1Char(':') + QString::number(entry.keyClass);
}

using Classes = QVector<QVector<int>>;

bool stopped(const CancelToken *cancel)
{
    return cancel && cancel->isCancelled();
}

// Members whose comparison was cut short: each a class of its own, so a
// stopped confirmation never files two files as copies.
void leaveUnconfirmed(Classes &classes, const QVector<int> &members)
{
    for (int index : members)
        classes.append(QVector<int> { index });
}

// Files that share a fingerprint and are small enough to have been kept.
Classes splitInMemory(const QVector<Entry> &entries, const QVector<int> &members)
{
    Classes classes;
    for (int index : members) {
        auto same = std::find_if(classes.begin(), classes.end(), [&](const QVector<int> &cls) {
            return entries.at(cls.first()).content == entries.at(index).content;
        });
        if (same == classes.end())
            classes.append(QVector<int> { index });
        else
            same->append(index);
    }
    return classes;
}

// Reads the files side by side, one chunk of each at a time, and splits them
// wherever their chunks differ; every file is read once, and a set of
// different files usually stops after its first chunk.
Classes splitByStreaming(const QVector<Entry> &entries, const QVector<int> &members,
    const CancelToken *cancel, FileCache *cache)
{
    std::vector<std::unique_ptr<QFile>> files;
    files.reserve(members.size());
    // With a cache, each file read to its end leaves its digest there, so
    // the next scan of unchanged copies reads nothing.
    std::vector<std::unique_ptr<TwContentDigest::Streaming>> digests;
    std::vector<bool> sameVersion;
    Classes classes;
    QVector<int> readable;
    for (int i = 0; i < members.size(); ++i) {
        files.push_back(std::make_unique<QFile>());
        const Entry &entry = entries.at(members.at(i));
        if (RegularFile::open(*files.back(), entry.path))
            readable.append(i);
        else
            classes.append(QVector<int> { members.at(i) });
        if (cache) {
            digests.push_back(std::make_unique<TwContentDigest::Streaming>());
            sameVersion.push_back(
                entry.identity.sameVersionAs(FileIdentity::ofDescriptor(files.back()->handle())));
        }
    }

    QVector<QByteArray> chunks(members.size());
    Classes open;
    if (readable.size() > 1)
        open.append(readable);
    else if (!readable.isEmpty())
        classes.append(QVector<int> { members.at(readable.first()) });
    while (!open.isEmpty()) {
        if (stopped(cancel)) {
            for (const QVector<int> &set : qAsConst(open)) {
                for (int i : set)
                    classes.append(QVector<int> { members.at(i) });
            }
            break;
        }
        Classes next;
        for (const QVector<int> &set : qAsConst(open)) {
            Classes parts;
            for (int i : set) {
                chunks[i] = files[i]->read(ChunkSize);
                if (files[i]->error() != QFileDevice::NoError) {
                    // Unreadable now: a class of its own, never a copy of anything.
                    classes.append(QVector<int> { members.at(i) });
                    continue;
                }
                if (cache)
                    digests[std::size_t(i)]->add(chunks.at(i).constData(), chunks.at(i).size());
                auto same = std::find_if(parts.begin(), parts.end(), [&](const QVector<int> &part) {
                    return chunks.at(part.first()) == chunks.at(i);
                });
                if (same == parts.end())
                    parts.append(QVector<int> { i });
                else
                    same->append(i);
            }
            for (const QVector<int> &part : qAsConst(parts)) {
                // Equal up to the end of all of them, or alone: decided.
                if (part.size() == 1 || chunks.at(part.first()).isEmpty()) {
                    const bool complete = chunks.at(part.first()).isEmpty();
                    QVector<int> cls;
                    for (int i : part) {
                        cls.append(members.at(i));
                        if (cache && complete && sameVersion[std::size_t(i)])
                            cache->storeDigest(entries.at(members.at(i)).identity,
                                digests[std::size_t(i)]->result());
                    }
                    classes.append(cls);
                } else {
                    next.append(part);
                }
            }
        }
        open = next;
    }
    return classes;
}

// The digest of the current contents: from the cache, from memory or read.
QByteArray digestOf(Entry &entry, const CancelToken *cancel, FileCache *cache)
{
    if (!entry.digest.isEmpty())
        return entry.digest;
    const QByteArray digest = entry.hasContent ? TwContentDigest::contentDigest(entry.content)
                                               : TwContentDigest::contentDigest(entry.path, cancel);
    // Contents kept in memory were read right after the identity was taken;
    // a file read again now must still be that version.
    if (cache && !digest.isEmpty()
        && (entry.hasContent || entry.identity.sameVersionAs(FileIdentity::of(entry.path))))
        cache->storeDigest(entry.identity, digest);
    return digest;
}

// Many large files of one size with equal windows, or files whose digests the
// cache holds: compared by digest rather than by holding them all open.
Classes splitByDigest(QVector<Entry> &entries, const QVector<int> &members,
    const CancelToken *cancel, FileCache *cache)
{
    Classes classes;
    QHash<QByteArray, int> classOf;
    for (int index : members) {
        const QByteArray digest = digestOf(entries[index], cancel, cache);
        if (stopped(cancel)) {
            // Digests taken before the stop may match; none of them is trusted.
            classes.clear();
            leaveUnconfirmed(classes, members);
            return classes;
        }
        if (digest.isEmpty()) {
            classes.append(QVector<int> { index });
            continue;
        }
        auto it = classOf.constFind(digest);
        if (it == classOf.constEnd()) {
            classOf.insert(digest, classes.size());
            classes.append(QVector<int> { index });
        } else {
            classes[it.value()].append(index);
        }
    }
    return classes;
}

// Splits files that share a fingerprint into classes of equal content. The
// class of the first file keeps the plain fingerprint as its key, the others
// get a suffix, so only true copies ever share a key.
void confirmClass(QVector<Entry> &entries, const QVector<int> &members, const CancelToken *cancel,
    FileCache *cache)
{
    QMap<qint64, QVector<int>> bySize;
    for (int index : members)
        bySize[entries.at(index).size].append(index);

    Classes classes;
    for (const QVector<int> &sameSize : qAsConst(bySize)) {
        const bool inMemory = std::all_of(sameSize.cbegin(), sameSize.cend(),
            [&](int index) { return entries.at(index).hasContent; });
        // A digest the cache holds spares reading that file; one alone is
        // worth using, since the others are read once for their digest.
        const bool digestKnown = std::any_of(sameSize.cbegin(), sameSize.cend(),
            [&](int index) { return !entries.at(index).digest.isEmpty(); });
        if (sameSize.size() == 1)
            classes.append(sameSize);
        else if (inMemory && !(cache && cache->covers(entries.at(sameSize.first()).size)))
            classes += splitInMemory(entries, sameSize);
        else if (stopped(cancel))
            leaveUnconfirmed(classes, sameSize);
        else if (digestKnown || inMemory || sameSize.size() > MaximumOpenFiles)
            classes += splitByDigest(entries, sameSize, cancel, cache);
        else
            classes += splitByStreaming(entries, sameSize, cancel, cache);
    }
    for (QVector<int> &cls : classes)
        std::sort(cls.begin(), cls.end());
    std::sort(classes.begin(), classes.end(),
        [](const QVector<int> &a, const QVector<int> &b) { return a.first() < b.first(); });
    for (int cls = 0; cls < classes.size(); ++cls) {
        for (int index : classes.at(cls))
            entries[index].keyClass = cls == 0 ? 0 : cls + 1;
    }
}

} // namespace

TwDuplicateCandidates TwDuplicateCandidates::prepare(const NativeFilePaths &paths,
    TwGrayHistogram::Contents headContents, const CancelToken *cancel, FileCache *cache)
{
    if (cache && !cache->open())
        cache = nullptr;
    // The walk's threads deliver files in any order; taken by path, the
    // members, their keys and the copy smart selection keeps among equals
    // are the same in every run.
    std::vector<std::pair<QString, int>> ordered;
    ordered.reserve(size_t(paths.size()));
    for (int i = 0; i < paths.size(); ++i)
        ordered.emplace_back(paths.at(i).path(), i);
    std::sort(ordered.begin(), ordered.end());
    QVector<Entry> entries;
    entries.reserve(paths.size());
    qint64 budget = KeepBudget;
    for (size_t i = 0; i < ordered.size(); ++i) {
        // Files not read before a stop are left out altogether.
        if (stopped(cancel))
            break;
        // The same file twice would look like two copies of itself.
        if (i > 0 && ordered[i].first == ordered[i - 1].first)
            continue;
        entries.append(Entry());
        entries.last().file = paths.at(ordered[i].second);
        entries.last().path = ordered[i].first;
        readEntry(entries.last(), budget, cache);
    }

    QHash<Fingerprint, QVector<int>> byFingerprint;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).readable)
            byFingerprint[entries.at(i).fingerprint].append(i);
    }
    for (const QVector<int> &members : qAsConst(byFingerprint)) {
        if (members.size() > 1)
            confirmClass(entries, members, cancel, cache);
    }

    std::map<QString, QVector<int>> byKey;
    for (int i = 0; i < entries.size(); ++i) {
        entries[i].content.clear();
        byKey[keyOf(entries.at(i))].append(i);
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
            if (TwPhotoItem::isPhotoFile(entry.path)) {
                // The first copy heads the group and meets the similar images;
                // the other copies are never compared, so decoding them would
                // only be thrown away.
                const auto contents
                    = set.empty() ? headContents : TwGrayHistogram::Contents::SizeOnly;
                item = std::make_unique<TwPhotoItem>(entry.file, false, contents);
            } else
                item = std::make_unique<TwFileItem>(entry.file, false);
            item->setMatchKey(keyed.first);
            set.push_back(Member { std::move(item), entry.size });
        }
        result.copySets.push_back(std::move(set));
    }
    return result;
}
