#include "engine/filerecordstore.h"

#include <cstring>

#include "platform/nativepath.h"

namespace {

quint64 mixIdentity(quint64 device, quint64 inode)
{
    quint64 h = inode * 0x9E3779B97F4A7C15ull ^ (device + 0x632BE59BD9B4E019ull);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 29);
}

} // namespace

FileRecordStore::FileRecordStore() = default;

FileRecordStore::~FileRecordStore() = default;

quint32 FileRecordStore::addFolder(const QByteArray &prefix)
{
    m_folders.push_back(prefix);
    return quint32(m_folders.size() - 1);
}

quint32 FileRecordStore::folderOf(const QByteArray &nativePath)
{
    const int slash = nativePath.lastIndexOf('/');
    const QByteArray folder = nativePath.left(slash + 1);
    if (m_folders.empty() || folder != m_lastFolder) {
        m_lastFolder = folder;
        m_lastFolderIndex = addFolder(folder);
    }
    return m_lastFolderIndex;
}

FileRecordStore::Record &FileRecordStore::slot(quint32 index)
{
    return m_records[index >> RecordChunkBits][index & (RecordChunk - 1)];
}

const FileRecordStore::Record &FileRecordStore::at(quint32 index) const
{
    return m_records[index >> RecordChunkBits][index & (RecordChunk - 1)];
}

quint64 FileRecordStore::storeName(const char *name, int length)
{
    if (m_nameUsed + quint64(length) > NameBlock) {
        m_names.push_back(std::make_unique<char[]>(NameBlock));
        m_nameUsed = 0;
    }
    std::memcpy(m_names.back().get() + m_nameUsed, name, size_t(length));
    const quint64 offset = (quint64(m_names.size() - 1) * NameBlock) + m_nameUsed;
    m_nameUsed += quint64(length);
    return offset;
}

qint64 FileRecordStore::add(Record record, const char *name, int length)
{
    if (record.flags & HasIdentity && findIdentity(record.device, record.inode) >= 0)
        return -1;
    if ((m_count & (RecordChunk - 1)) == 0)
        m_records.push_back(std::make_unique<Record[]>(RecordChunk));
    record.nameOffset = storeName(name, length);
    record.nameLength = quint16(length);
    const quint32 index = m_count++;
    slot(index) = record;
    if (record.flags & HasIdentity)
        insertIdentity(index);
    return index;
}

qint64 FileRecordStore::findIdentity(quint64 device, quint64 inode) const
{
    if (m_identities.empty())
        return -1;
    const size_t mask = m_identities.size() - 1;
    for (size_t i = mixIdentity(device, inode) & mask;; i = (i + 1) & mask) {
        const quint32 entry = m_identities[i];
        if (entry == 0)
            return -1;
        const Record &known = at(entry - 1);
        if (known.device == device && known.inode == inode)
            return entry - 1;
    }
}

void FileRecordStore::insertIdentity(quint32 index)
{
    // Kept below three quarters full, so a probe ends soon on an empty slot.
    if ((m_identityCount + 1) * 4 > m_identities.size() * 3)
        growIdentities();
    const Record &record = at(index);
    const size_t mask = m_identities.size() - 1;
    size_t i = mixIdentity(record.device, record.inode) & mask;
    while (m_identities[i] != 0)
        i = (i + 1) & mask;
    m_identities[i] = index + 1;
    ++m_identityCount;
}

void FileRecordStore::growIdentities()
{
    std::vector<quint32> old;
    old.swap(m_identities);
    m_identities.assign(old.empty() ? 1024 : old.size() * 2, 0);
    m_identityCount = 0;
    for (const quint32 entry : old) {
        if (entry != 0)
            insertIdentity(entry - 1);
    }
}

QByteArray FileRecordStore::nativePath(quint32 index) const
{
    const Record &record = at(index);
    const QByteArray &folder = m_folders[record.folder];
    QByteArray path;
    path.reserve(folder.size() + record.nameLength);
    path.append(folder);
    path.append(nameOf(record), record.nameLength);
    return path;
}

const char *FileRecordStore::nameOf(const Record &record) const
{
    return m_names[record.nameOffset / NameBlock].get() + record.nameOffset % NameBlock;
}

NativeFilePath FileRecordStore::filePath(quint32 index) const
{
    const Record &record = at(index);
    return NativeFilePath(m_folders[record.folder], QByteArray(nameOf(record), record.nameLength));
}

QString FileRecordStore::path(quint32 index) const
{
    return NativePath::decode(nativePath(index));
}

void FileRecordStore::clear()
{
    m_records.clear();
    m_names.clear();
    m_nameUsed = NameBlock;
    m_count = 0;
    m_folders.clear();
    m_identities.clear();
    m_identities.shrink_to_fit();
    m_identityCount = 0;
    m_lastFolder.clear();
    m_lastFolderIndex = 0;
}
