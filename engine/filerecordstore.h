#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

#include "platform/nativefilepath.h"

/**
 * Every file a walk collected, as plain numbers and the native bytes of its
 * name: a record of 40 bytes beside the name's own bytes, and each folder's
 * path stored once. Paths are decoded to strings only when asked for.
 *
 * Not thread-safe: the owner locks around every call.
 */
class FileRecordStore {
public:
    struct Record {
        qint64 size = 0;
        quint64 device = 0;
        quint64 inode = 0;
        quint64 nameOffset = 0;
        quint32 folder = 0;
        quint16 nameLength = 0;
        quint8 category = 0;
        quint8 flags = 0;
    };
    enum Flag : quint8 { Image = 1, HasIdentity = 2 };

    FileRecordStore();
    ~FileRecordStore();

    /** Adds the folder whose native path, ending with '/', is @p prefix; returns its number. */
    quint32 addFolder(const QByteArray &prefix);
    /**
     * The folder number of the folder part of @p path (up to its last '/'),
     * added when new; for callers that have whole paths only.
     */
    quint32 folderOf(const QByteArray &nativePath);

    /**
     * Adds a file of @p folder named by the native bytes @p name. With
     * Flag::HasIdentity in @p record's flags and a file of the same device
     * and inode already added, nothing is added and -1 is returned; else
     * the new record's number.
     */
    qint64 add(Record record, const char *name, int length);

    quint32 count() const { return m_count; }
    const Record &at(quint32 index) const;
    QByteArray nativePath(quint32 index) const;
    /** The path sharing its folder's bytes with the store and every other file of the folder. */
    NativeFilePath filePath(quint32 index) const;
    QString path(quint32 index) const;
    void clear();

private:
    static constexpr int RecordChunkBits = 12;
    static constexpr quint32 RecordChunk = 1u << RecordChunkBits;
    // Names are packed into blocks of this size and never cross one.
    static constexpr quint64 NameBlock = 1u << 20;

    Record &slot(quint32 index);
    const char *nameOf(const Record &record) const;
    quint64 storeName(const char *name, int length);
    qint64 findIdentity(quint64 device, quint64 inode) const;
    void insertIdentity(quint32 index);
    void growIdentities();

    std::vector<std::unique_ptr<Record[]>> m_records;
    std::vector<std::unique_ptr<char[]>> m_names;
    quint64 m_nameUsed = NameBlock;
    quint32 m_count = 0;
    std::vector<QByteArray> m_folders;
    // Open addressing over record numbers + 1 (0 is empty), keyed by the
    // records' device and inode: 4 bytes a slot instead of a node per file.
    std::vector<quint32> m_identities;
    quint32 m_identityCount = 0;
    // Folder of the last folderOf(), as whole-path callers add runs of one folder.
    QByteArray m_lastFolder;
    quint32 m_lastFolderIndex = 0;
};
