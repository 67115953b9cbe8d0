#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QtTest>

#include "model/twfileitem.h"
#include "model/twphotoitem.h"
#include "preferences/twpreferences.h"
#include "tests/support/temptree.h"
#include "tests/support/testdata.h"

namespace {

QString md5Hex(const QByteArray &data)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toUpper());
}

} // namespace

class TestFileItem : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fingerprintCoversWholeSmallFile();
    void fingerprintTakesThreeWindowsAboveLimit();
    void fingerprintIgnoresBytesOutsideWindows();
    void unreadableFilesFingerprintTheirPath();
    void contentKeyChoosesFingerprintOrPathId();
    void imageSuffixDecidesItemClass_data();
    void imageSuffixDecidesItemClass();
    void accessorsReadTheFileSystemFresh();
    void createdTimeOrdersFilesByCreation();
    void sizeString_data();
    void sizeString();
    void iconsExistForImagesAndOtherFiles();

private:
    TempTree m_tree;
};

void TestFileItem::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_tree.isValid());
    TwPreferences::setFilePath(m_tree.path("preferences.cfg"));
}

void TestFileItem::fingerprintCoversWholeSmallFile()
{
    const QByteArray content = patterned(3072, 1);
    const QString path = m_tree.writeFile("small/exact.bin", content);
    QCOMPARE(TwFileItem::fileFingerprint(path), md5Hex(content));
    QCOMPARE(TwFileItem::fileFingerprint(path).size(), 32);

    const QString empty = m_tree.writeFile("small/empty.bin", QByteArray());
    QCOMPARE(TwFileItem::fileFingerprint(empty), md5Hex(QByteArray()));
}

void TestFileItem::fingerprintTakesThreeWindowsAboveLimit()
{
    // 3073 bytes: windows at 0, 3073 / 2 - 512 = 1024 and 3073 - 1024 = 2049.
    const QByteArray content = patterned(3073, 2);
    const QString path = m_tree.writeFile("windows/3073.bin", content);
    const QByteArray windows
        = content.mid(0, 1024) + content.mid(1024, 1024) + content.mid(2049, 1024);
    QCOMPARE(TwFileItem::fileFingerprint(path), md5Hex(windows));
    QVERIFY(TwFileItem::fileFingerprint(path) != md5Hex(content));

    const QByteArray large = patterned(100001, 3);
    const QString largePath = m_tree.writeFile("windows/large.bin", large);
    const QByteArray largeWindows
        = large.mid(0, 1024) + large.mid(100001 / 2 - 512, 1024) + large.mid(100001 - 1024, 1024);
    QCOMPARE(TwFileItem::fileFingerprint(largePath), md5Hex(largeWindows));
}

void TestFileItem::fingerprintIgnoresBytesOutsideWindows()
{
    // The fingerprint alone is only a first filter: bytes outside the windows
    // do not change it (the container confirms copies in full).
    QByteArray content = patterned(10000, 4);
    const QString a = m_tree.writeFile("outside/a.bin", content);
    content[1500] = char(content[1500] ^ 0x5a);
    const QString b = m_tree.writeFile("outside/b.bin", content);
    QCOMPARE(TwFileItem::fileFingerprint(a), TwFileItem::fileFingerprint(b));
    content[10] = char(content[10] ^ 0x5a);
    const QString c = m_tree.writeFile("outside/c.bin", content);
    QVERIFY(TwFileItem::fileFingerprint(a) != TwFileItem::fileFingerprint(c));
}

void TestFileItem::unreadableFilesFingerprintTheirPath()
{
    const QString missingA = m_tree.path("missing/a.bin");
    const QString missingB = m_tree.path("missing/b.bin");
    QCOMPARE(TwFileItem::fileFingerprint(missingA), md5Hex(missingA.toUtf8()));
    QVERIFY(TwFileItem::fileFingerprint(missingA) != TwFileItem::fileFingerprint(missingB));
    QCOMPARE(TwFileItem::fileFingerprint(missingA), TwFileItem::fileFingerprint(missingA));
}

void TestFileItem::contentKeyChoosesFingerprintOrPathId()
{
    const QByteArray content = patterned(5000, 5);
    const QString a = m_tree.writeFile("keys/a.dat", content);
    const QString b = m_tree.writeFile("keys/b.dat", content);

    TwFileItem byContentA(a, true);
    TwFileItem byContentB(b, true);
    QCOMPARE(byContentA.matchKey(), byContentB.matchKey());
    QCOMPARE(byContentA.pathId(), md5Hex(a.toUtf8()));
    QVERIFY(!byContentA.isChecked());

    TwFileItem byPath(a, false);
    QCOMPARE(byPath.matchKey(), byPath.pathId());
    QVERIFY(byPath.matchKey() != byContentA.matchKey());
    QVERIFY(!byPath.isPhoto());
}

void TestFileItem::imageSuffixDecidesItemClass_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("photo");
    QTest::newRow("upper-case JPG") << "photo.JPG" << true;
    QTest::newRow("png") << "a.png" << true;
    QTest::newRow("bpm") << "x.bpm" << true;
    QTest::newRow("bgm") << "x.BGM" << true;
    QTest::newRow("ppm") << "picture.ppm" << true;
    QTest::newRow("tif") << "photo.tif" << false;
    QTest::newRow("heic") << "photo.heic" << false;
    QTest::newRow("no dot") << "jpg" << false;
    QTest::newRow("dot in folder only") << "folder.jpg/readme" << false;
    QTest::newRow("trailing dot") << "photo." << false;
    QTest::newRow("suffix longer") << "photo.jpgx" << false;
    QTest::newRow("last suffix counts") << "photo.jpg.txt" << false;
}

void TestFileItem::imageSuffixDecidesItemClass()
{
    QFETCH(QString, name);
    QFETCH(bool, photo);
    QCOMPARE(TwPhotoItem::isPhotoFile(m_tree.path(name)), photo);
}

void TestFileItem::accessorsReadTheFileSystemFresh()
{
    const QString path = m_tree.writeFile("fresh/holiday.tar.gz", patterned(1234, 6));
    TwFileItem item(path, true);
    QCOMPARE(item.filePath(), path);
    QCOMPARE(item.fileSize(), qint64(1234));
    QCOMPARE(item.suffix(), QStringLiteral("gz"));
    QCOMPARE(item.baseName(), QStringLiteral("holiday"));
    QCOMPARE(item.absolutePath(), m_tree.path("fresh"));
    QVERIFY(item.createdTime().isValid());

    // Nothing is cached: the size follows the file, and a removed file reads 0.
    QVERIFY(m_tree.writeFile("fresh/holiday.tar.gz", patterned(99, 6)) == path);
    QCOMPARE(item.fileSize(), qint64(99));
    QVERIFY(QFile::remove(path));
    QCOMPARE(item.fileSize(), qint64(0));

    item.setChecked(true);
    QVERIFY(item.isChecked());
}

void TestFileItem::createdTimeOrdersFilesByCreation()
{
    const QString first = m_tree.writeFile("created/first.bin", "1");
    TwFileItem firstItem(first, false);
    const QDateTime firstTime = firstItem.createdTime();
    QString second;
    // Creation times have a coarse clock: recreate until the second is later.
    QTRY_VERIFY_WITH_TIMEOUT((QFile::remove(m_tree.path("created/second.bin")),
                                 second = m_tree.writeFile("created/second.bin", "2"),
                                 TwFileItem(second, false).createdTime() > firstTime),
        10000);
    // Touching a file's modification time does not make it newer.
    QFile file(first);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(
        QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
    file.close();
    if (QFileInfo(first).birthTime().isValid())
        QCOMPARE(firstItem.createdTime(), firstTime);
}

void TestFileItem::sizeString_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "C"
                          << "0 B";
    QTest::newRow("1024") << qint64(1024) << "C"
                          << "1024 B";
    QTest::newRow("1025") << qint64(1025) << "C"
                          << "1 KB";
    QTest::newRow("1536") << qint64(1536) << "C"
                          << "1.5 KB";
    QTest::newRow("truncated not rounded") << qint64(2047) << "C"
                                           << "1.99 KB";
    QTest::newRow("1048576") << qint64(1048576) << "C"
                             << "1024 KB";
    QTest::newRow("1048577") << qint64(1048577) << "C"
                             << "1 MB";
    QTest::newRow("10.25 MB") << qint64(10747904) << "C"
                              << "10.25 MB";
    QTest::newRow("1073741824") << qint64(1073741824) << "C"
                                << "1024 MB";
    QTest::newRow("1.5 GB") << qint64(1610612736) << "C"
                            << "1.5 GB";
    QTest::newRow("1000 GB") << qint64(1000) * 1073741824 << "C"
                             << "1000 GB";
    // The windows' language writes the decimal mark, never a group mark.
    QTest::newRow("German 1.5 KB") << qint64(1536) << "de_DE"
                                   << "1,5 KB";
    QTest::newRow("German 1000 GB") << qint64(1000) * 1073741824 << "de_DE"
                                    << "1000 GB";
    QTest::newRow("US English 1000 GB") << qint64(1000) * 1073741824 << "en_US"
                                        << "1000 GB";
}

void TestFileItem::sizeString()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const QString shown = TwFileItem::sizeString(bytes);
    QLocale::setDefault(before);
    QCOMPARE(shown, text);
}

void TestFileItem::iconsExistForImagesAndOtherFiles()
{
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString png = m_tree.path("icons/shot.png");
    QVERIFY(QDir().mkpath(m_tree.path("icons")));
    QVERIFY(image.save(png));
    TwPhotoItem photo(png, false);
    QVERIFY(photo.isPhoto());
    QCOMPARE(photo.imageWidth(), 32);
    QCOMPARE(photo.imageHeight(), 24);
    QVERIFY(!photo.icon().isNull());

    // Names outside ASCII load the same way.
    const QString unusual
        = m_tree.path(QStringLiteral("icons/\u0444\u043e\u0442\u043e \u00fc.PNG"));
    QVERIFY(image.save(unusual, "PNG"));
    TwPhotoItem named(unusual, true);
    QCOMPARE(named.imageWidth(), 32);
    QCOMPARE(named.matchKey(), TwFileItem::fileFingerprint(png));

    // A file with an image suffix that is no image falls back to the type
    // icon (which may be null without an icon theme) and has no size.
    const QString fake = m_tree.writeFile("icons/fake.png", "not an image");
    TwPhotoItem broken(fake, false);
    QCOMPARE(broken.imageWidth(), 0);
    QCOMPARE(broken.icon().isNull(), TwFileItem(fake, false).icon().isNull());
}

QTEST_MAIN(TestFileItem)
#include "tst_fileitem.moc"
