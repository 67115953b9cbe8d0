#include <fcntl.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "platform/regularfile.h"
#include "tests/support/fifo.h"
#include "tests/support/temptree.h"

namespace {

int openDescriptorCount()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

} // namespace

class TestRegularFile : public QObject {
    Q_OBJECT

private slots:
    void regularFileReadsLikeAnyOther();
    void specialFilesAreRefused_data();
    void specialFilesAreRefused();
};

void TestRegularFile::regularFileReadsLikeAnyOther()
{
    TempTree tree;
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content.append(char(i % 251));
    // A name that is not plain ASCII reaches the file system unchanged.
    const QString path
        = tree.writeFile(QStringLiteral("Fotos \u00e9t\u00e9/\u5199\u771f.jpg"), content);
    QVERIFY(!path.isEmpty());

    QFile file;
    QVERIFY(RegularFile::open(file, path));
    QCOMPARE(file.size(), qint64(content.size()));
    QVERIFY(file.seek(4000));
    QCOMPARE(file.read(10), content.mid(4000, 10));
    QVERIFY(file.seek(0));
    QCOMPARE(file.readAll(), content);
    // Reads block normally again, and the descriptor does not leak into children.
    const int fd = file.handle();
    QCOMPARE(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    QVERIFY(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
    file.close();
    QCOMPARE(::fcntl(fd, F_GETFD), -1);
}

void TestRegularFile::specialFilesAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("pipe") << "pipe"
                          << "a pipe";
    QTest::newRow("folder") << "folder"
                            << "a folder";
    QTest::newRow("device behind a link") << "device"
                                          << "a character device";
    QTest::newRow("missing") << "missing"
                             << "No such file";
}

void TestRegularFile::specialFilesAreRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    TempTree tree;
    const QString path = tree.path(QStringLiteral("photo.jpg"));
    if (kind == QLatin1String("pipe"))
        QVERIFY(Fifo::make(path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(tree.makeDir(QStringLiteral("photo.jpg")));
    else if (kind == QLatin1String("device"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));

    // A plain open of the pipe would wait for a writer forever.
    bool opened = true;
    QVERIFY(Fifo::finishesWithin(std::chrono::seconds(5), { path }, [&] {
        QFile file;
        opened = RegularFile::open(file, path);
    }));
    QVERIFY(!opened);

    // Each refusal names the file and the reason, and keeps no descriptor.
    const QRegularExpression logLine(
        QRegularExpression::escape(path) + QStringLiteral(".*") + reason);
    const int before = openDescriptorCount();
    for (int i = 0; i < 20; ++i) {
        QFile file;
        QTest::ignoreMessage(QtDebugMsg, logLine);
        QVERIFY(!RegularFile::open(file, path));
        QVERIFY(!file.isOpen());
    }
    QCOMPARE(openDescriptorCount(), before);
}

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
