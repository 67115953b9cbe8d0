#include <QtTest>

#include "engine/filerecordstore.h"
#include "platform/nativepath.h"

class TestFileRecordStore : public QObject {
    Q_OBJECT

private slots:
    void pathsComeBackByteForByte();
    void identitiesRefusedAcrossGrowth();
    void clearForgetsEverything();
};

namespace {

FileRecordStore::Record withIdentity(quint64 device, quint64 inode, qint64 size = 1)
{
    FileRecordStore::Record record;
    record.device = device;
    record.inode = inode;
    record.size = size;
    record.flags = FileRecordStore::HasIdentity;
    return record;
}

} // namespace

void TestFileRecordStore::pathsComeBackByteForByte()
{
    // Enough names of up to 255 bytes to fill several name blocks, so names
    // land at a block's end; some with bytes that are not UTF-8.
    FileRecordStore store;
    QVector<QByteArray> expected;
    QVector<quint32> folders;
    for (int f = 0; f < 50; ++f)
        folders.append(store.addFolder("/data/f\xe9lder " + QByteArray::number(f) + "/"));
    for (int i = 0; i < 12000; ++i) {
        QByteArray name = QByteArray::number(i) + ".txt";
        name.prepend(QByteArray(i % 250, i % 3 == 0 ? '\xff' : 'n'));
        const quint32 folder = folders[i % folders.size()];
        FileRecordStore::Record record;
        record.folder = folder;
        record.size = i;
        record.category = quint8(i % 7);
        QCOMPARE(store.add(record, name.constData(), name.size()), qint64(i));
        expected.append("/data/f\xe9lder " + QByteArray::number(i % 50) + "/" + name);
    }
    QCOMPARE(store.count(), quint32(expected.size()));
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(store.nativePath(quint32(i)), expected[i]);
        QCOMPARE(store.at(quint32(i)).size, qint64(i));
        QCOMPARE(int(store.at(quint32(i)).category), i % 7);
    }
    // Through the string form and back, the bytes stay the same.
    QCOMPARE(NativePath::encode(store.path(0)), expected[0]);
    QCOMPARE(NativePath::encode(store.path(9999)), expected[9999]);

    // Split paths give the same bytes and string, and every file of a folder
    // holds that folder's one copy (what keeps grouped files small).
    for (const quint32 i : { 0u, 50u, 9999u }) {
        const NativeFilePath file = store.filePath(i);
        QCOMPARE(file.bytes(), expected[int(i)]);
        QCOMPARE(file.path(), store.path(i));
    }
    QVERIFY(store.filePath(0).folder().isSharedWith(store.filePath(50).folder()));
    QVERIFY(!store.filePath(0).folder().isSharedWith(store.filePath(1).folder()));
    // A path made from a string splits at its last '/', even with raw bytes.
    const NativeFilePath fromString(store.path(9999));
    QCOMPARE(fromString.bytes(), expected[9999]);
    QVERIFY(fromString.folder().endsWith('/') && !fromString.name().contains('/'));

    // Whole paths, folder after folder, share their folder entries.
    FileRecordStore byPath;
    const quint32 first = byPath.folderOf("/a/b/one");
    QCOMPARE(byPath.folderOf("/a/b/two"), first);
    QVERIFY(byPath.folderOf("/a/c/one") != first);
}

void TestFileRecordStore::identitiesRefusedAcrossGrowth()
{
    FileRecordStore store;
    // Many times the first table size, so it grows several times.
    for (quint64 inode = 1; inode <= 20000; ++inode)
        QVERIFY(store.add(withIdentity(3, inode), "x", 1) >= 0);
    for (quint64 inode = 1; inode <= 20000; inode += 97)
        QCOMPARE(store.add(withIdentity(3, inode), "y", 1), qint64(-1));
    // The same inode number on another device is another file.
    QCOMPARE(store.add(withIdentity(4, 1), "z", 1), qint64(20000));
    // Records without an identity are never refused.
    FileRecordStore::Record plain;
    QVERIFY(store.add(plain, "p", 1) >= 0);
    QVERIFY(store.add(plain, "p", 1) >= 0);
    QCOMPARE(store.count(), quint32(20003));
}

void TestFileRecordStore::clearForgetsEverything()
{
    FileRecordStore store;
    store.addFolder("/x/");
    QVERIFY(store.add(withIdentity(1, 1), "a", 1) >= 0);
    store.clear();
    QCOMPARE(store.count(), quint32(0));
    QCOMPARE(store.addFolder("/y/"), quint32(0));
    QCOMPARE(store.add(withIdentity(1, 1), "a", 1), qint64(0));
    QCOMPARE(store.nativePath(0), QByteArray("/y/a"));
}

QTEST_GUILESS_MAIN(TestFileRecordStore)
#include "tst_filerecordstore.moc"
