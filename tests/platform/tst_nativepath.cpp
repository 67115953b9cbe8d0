#include <QRandomGenerator>
#include <QTest>

#include "platform/nativepath.h"

class TestNativePath : public QObject {
    Q_OBJECT
private slots:
    void validNamesReadAsText();
    void everyByteStringRoundTrips();
    void invalidSequencesBecomeRawBytes_data();
    void invalidSequencesBecomeRawBytes();
    void shownAndEscaped();
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
}

QTEST_GUILESS_MAIN(TestNativePath)
#include "tst_nativepath.moc"
