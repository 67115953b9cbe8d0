#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/longpath.h"
#include "platform/nativepath.h"

class TestNativePath : public QObject {
    Q_OBJECT
private slots:
    void validNamesReadAsText();
    void everyByteStringRoundTrips();
    void invalidSequencesBecomeRawBytes_data();
    void invalidSequencesBecomeRawBytes();
    void shownAndEscaped();
    void qtFileCallsKeepTheBytes();
    void streamsSplitInsideASequence();
    void fileUrlNamesTheBytes();
    void longPathsOpenPieceByPiece();
};

void TestNativePath::validNamesReadAsText()
{
    const QString name = QStringLiteral("Fotos/Sommer \u00e9t\u00e9 \u65e5\u672c \U0001F600.jpg");
    const QByteArray bytes = name.toUtf8();
    QCOMPARE(NativePath::decode(bytes), name);
    QCOMPARE(NativePath::encode(name), bytes);
    QVERIFY(!NativePath::hasRawBytes(name));
}

// Whatever bytes a file system hands us come back unchanged.
void TestNativePath::everyByteStringRoundTrips()
{
    QRandomGenerator random(42);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes(int(random.bounded(1, 24)), Qt::Uninitialized);
        for (char &byte : bytes) {
            // Mostly high bytes, so broken and valid sequences both turn up.
            byte = char(
                random.bounded(4) == 0 ? random.bounded(0x20, 0x80) : random.bounded(0x80, 0x100));
        }
        const QString decoded = NativePath::decode(bytes);
        QCOMPARE(NativePath::encode(decoded), bytes);
        QCOMPARE(decoded == QString::fromUtf8(bytes), !NativePath::hasRawBytes(decoded));
    }
}

void TestNativePath::invalidSequencesBecomeRawBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rawBytes");
    QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9.txt") << 1;
    QTest::newRow("cut sequence") << QByteArray("a\xe6\x97") << 2;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << 2;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xb3\xa9") << 3;
    QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << 4;
    QTest::newRow("lone continuation") << QByteArray("\x80x") << 1;
}

void TestNativePath::invalidSequencesBecomeRawBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rawBytes);
    const QString decoded = NativePath::decode(bytes);
    int raw = 0;
    for (const QChar c : decoded)
        raw += c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF ? 1 : 0;
    QCOMPARE(raw, rawBytes);
    QCOMPARE(NativePath::encode(decoded), bytes);
}

void TestNativePath::shownAndEscaped()
{
    const QString name = NativePath::decode(QByteArray("/tmp/caf\xe9.txt"));
    QCOMPARE(NativePath::displayText(name), QStringLiteral("/tmp/caf\ufffd.txt"));
    QCOMPARE(NativePath::escapedText(name), QStringLiteral("/tmp/caf\\xe9.txt"));
    QCOMPARE(NativePath::escapedText(QStringLiteral("plain")), QStringLiteral("plain"));
    // A name that really holds the text "\xe9" must read differently.
    QCOMPARE(NativePath::escapedText(QStringLiteral("/tmp/caf\\xe9.txt")),
        QStringLiteral("/tmp/caf\\\\xe9.txt"));
}

void TestNativePath::qtFileCallsKeepTheBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray raw = folder + "/caf\xe9.txt";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "four", 4), ssize_t(4));
    ::close(fd);

    // Qt lists, sizes, renames and removes it by the same name.
    const QStringList listed = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(listed.size(), 1);
    const QString name = dir.path() + QLatin1Char('/') + listed.first();
    QCOMPARE(name, NativePath::decode(raw));
    QCOMPARE(QFileInfo(name).size(), qint64(4));
    const QString renamed = NativePath::decode(folder + "/\xff\xfe.txt");
    QVERIFY(QFile::rename(name, renamed));
    struct stat info;
    QCOMPARE(::stat((folder + "/\xff\xfe.txt").constData(), &info), 0);
    QVERIFY(QFile::remove(renamed));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // Program arguments are decoded the same way.
    QCOMPARE(QString::fromLocal8Bit(raw), NativePath::decode(raw));
    QCOMPARE(QFile::encodeName(NativePath::decode(raw)), raw);
}

void TestNativePath::streamsSplitInsideASequence()
{
    const QByteArray text = "\xc3\xbc"
                            "ber \xe2\x82\xac caf\xe9 ok";
    QTextCodec *codec = QTextCodec::codecForLocale();
    for (int cut = 0; cut <= text.size(); ++cut) {
        QTextCodec::ConverterState state;
        QString decoded = codec->toUnicode(text.constData(), cut, &state);
        decoded += codec->toUnicode(text.constData() + cut, text.size() - cut, &state);
        QCOMPARE(decoded, NativePath::decode(text));
    }
    const QString pair = QString::fromUtf8("\xf0\x9f\x93\xb7");
    QTextCodec::ConverterState state;
    QByteArray encoded = codec->fromUnicode(pair.constData(), 1, &state);
    encoded += codec->fromUnicode(pair.constData() + 1, 1, &state);
    QCOMPARE(encoded, QByteArray("\xf0\x9f\x93\xb7"));
}

void TestNativePath::fileUrlNamesTheBytes()
{
    const QString path = NativePath::decode(QByteArray("/srv/caf\xe9 menu/a.txt"));
    QCOMPARE(NativePath::fileUrl(path).toEncoded(), QByteArray("file:///srv/caf%E9%20menu/a.txt"));
    QCOMPARE(NativePath::fileUrl(QStringLiteral("/srv/plain")), QUrl::fromLocalFile("/srv/plain"));
}

void TestNativePath::longPathsOpenPieceByPiece()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
    QVERIFY(folder >= 0);
    const QByteArray name(250, 'n');
    QByteArray path = QFile::encodeName(dir.path());
    QVector<int> chain { folder };
    while (path.size() < 2 * PATH_MAX) {
        QCOMPARE(::mkdirat(chain.last(), name.constData(), 0700), 0);
        chain.append(::openat(chain.last(), name.constData(), O_RDONLY | O_DIRECTORY));
        QVERIFY(chain.last() >= 0);
        path += '/' + name;
    }
    const int made = ::openat(chain.last(), "leaf", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(made >= 0);
    QCOMPARE(::write(made, "deep", 4), ssize_t(4));
    ::close(made);
    path += "/leaf";
    QVERIFY(LongPath::isLong(path));
    QCOMPARE(::open(path.constData(), O_RDONLY), -1);

    const int opened = LongPath::open(path, O_RDONLY | O_CLOEXEC);
    char read[8] = {};
    const bool readBack = opened >= 0 && ::read(opened, read, sizeof read) == 4;
    if (opened >= 0)
        ::close(opened);
    errno = 0;
    const int missing = LongPath::open(path + "-missing", O_RDONLY | O_CLOEXEC);
    const int missingError = errno;

    ::unlinkat(chain.last(), "leaf", 0);
    for (int i = chain.size() - 1; i > 0; --i) {
        ::close(chain.at(i));
        ::unlinkat(chain.at(i - 1), name.constData(), AT_REMOVEDIR);
    }
    ::close(folder);
    QVERIFY(readBack);
    QCOMPARE(QByteArray(read), QByteArray("deep"));
    QCOMPARE(missing, -1);
    QCOMPARE(missingError, ENOENT);
}

QTEST_GUILESS_MAIN(TestNativePath)
#include "tst_nativepath.moc"
