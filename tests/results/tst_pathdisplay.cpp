#include <QFont>
#include <QFontMetrics>
#include <QtTest>

#include "results/pathdisplay.h"

namespace {

QString differingPart(const QString &path, const PathDisplay::Span &span)
{
    return path.mid(span.differStart, span.differEnd - span.differStart);
}

} // namespace

class TestPathDisplay : public QObject {
    Q_OBJECT

private slots:
    void spansCoverOnlyTheFoldersThatDiffer();
    void spansOfPathsThatDifferOnlyByNameOrStandAlone();
    void narrowWidthsGiveUpTheSharedPartsFirst();
};

void TestPathDisplay::spansCoverOnlyTheFoldersThatDiffer()
{
    // Deep copies that differ only in one folder halfway down, one of them a
    // level deeper there.
    const QStringList paths {
        QStringLiteral("/home/ann/Pictures/Archive/2019/Summer/cam-a/Export/Beach_2019.jpg"),
        QStringLiteral("/home/ann/Pictures/Archive/2019/Summer/cam-b/Export/Beach_2019.jpg"),
        QStringLiteral("/home/ann/Pictures/Archive/2019/Summer/phone/old/Export/Beach_2019.jpg"),
    };
    const QVector<PathDisplay::Span> spans = PathDisplay::spans(paths);
    QCOMPARE(spans.size(), 3);
    QCOMPARE(differingPart(paths.at(0), spans.at(0)), QStringLiteral("cam-a/"));
    QCOMPARE(differingPart(paths.at(1), spans.at(1)), QStringLiteral("cam-b/"));
    QCOMPARE(differingPart(paths.at(2), spans.at(2)), QStringLiteral("phone/old/"));
    for (int i = 0; i < paths.size(); ++i) {
        QCOMPARE(paths.at(i).left(spans.at(i).differStart),
            QStringLiteral("/home/ann/Pictures/Archive/2019/Summer/"));
        QCOMPARE(paths.at(i).mid(spans.at(i).differEnd), QStringLiteral("Export/Beach_2019.jpg"));
    }

    // Differing at the first folder below the root: nothing shared to give up.
    const QStringList roots { QStringLiteral("/a/x/f.txt"), QStringLiteral("/b/x/f.txt") };
    const auto rootSpans = PathDisplay::spans(roots);
    QCOMPARE(differingPart(roots.at(0), rootSpans.at(0)), QStringLiteral("a/"));
    QCOMPARE(roots.at(1).left(rootSpans.at(1).differStart), QStringLiteral("/"));
}

void TestPathDisplay::spansOfPathsThatDifferOnlyByNameOrStandAlone()
{
    const QStringList names { QStringLiteral("/data/shots/IMG_1.jpg"),
        QStringLiteral("/data/shots/IMG_1 (copy).jpg") };
    const auto spans = PathDisplay::spans(names);
    QVERIFY(differingPart(names.at(0), spans.at(0)).isEmpty());
    QCOMPARE(names.at(1).mid(spans.at(1).differEnd), QStringLiteral("IMG_1 (copy).jpg"));

    // One path is one path: its folders are all shared with itself.
    const QStringList lone { QStringLiteral("/data/shots/IMG_2.jpg") };
    const auto loneSpan = PathDisplay::spans(lone);
    QCOMPARE(loneSpan.size(), 1);
    QCOMPARE(lone.at(0).mid(loneSpan.at(0).differEnd), QStringLiteral("IMG_2.jpg"));

    // A copy one level up: the deeper path holds the difference, the other none.
    const QStringList depth { QStringLiteral("/data/x.bin"), QStringLiteral("/data/old/x.bin") };
    const auto depthSpans = PathDisplay::spans(depth);
    QVERIFY(differingPart(depth.at(0), depthSpans.at(0)).isEmpty());
    QCOMPARE(differingPart(depth.at(1), depthSpans.at(1)), QStringLiteral("old/"));
    QVERIFY(PathDisplay::spans({}).isEmpty());
}

void TestPathDisplay::narrowWidthsGiveUpTheSharedPartsFirst()
{
    const QStringList paths {
        QStringLiteral("/home/ann/Pictures/Archive/2019/Summer/cam-a/Export/Small/Beach_2019.jpg"),
        QStringLiteral("/home/ann/Pictures/Archive/2019/Summer/cam-b/Export/Small/Beach_2019.jpg"),
    };
    const auto spans = PathDisplay::spans(paths);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const QString ellipsis(QChar(0x2026));

    // Wide enough: the whole path, as it is.
    QCOMPARE(PathDisplay::fitted(paths.at(0), spans.at(0), metrics, 2000), paths.at(0));

    // The narrowest text that still tells the two apart.
    const QString minimal
        = ellipsis + QStringLiteral("/cam-a/") + ellipsis + QStringLiteral("/Beach_2019.jpg");
    const int minimalWidth = metrics.horizontalAdvance(minimal);
    const int fullWidth = metrics.horizontalAdvance(paths.at(0));
    for (int width = 20; width < fullWidth; width += 7) {
        const QString first = PathDisplay::fitted(paths.at(0), spans.at(0), metrics, width);
        const QString second = PathDisplay::fitted(paths.at(1), spans.at(1), metrics, width);
        QVERIFY2(metrics.horizontalAdvance(first) <= width, qPrintable(first));
        if (width < minimalWidth)
            continue;
        // Never the differing folder, never the name; the shared start goes first.
        QVERIFY2(first.contains(QLatin1String("/cam-a/")), qPrintable(first));
        QVERIFY2(second.contains(QLatin1String("/cam-b/")), qPrintable(second));
        QVERIFY2(first.endsWith(QLatin1String("Beach_2019.jpg")), qPrintable(first));
        QVERIFY(first.startsWith(ellipsis));
        // The shared folders after the difference are given up only once the
        // whole shared beginning is gone.
        if (!first.contains(QLatin1String("Export/Small/")))
            QVERIFY2(first.startsWith(ellipsis + QStringLiteral("/cam-a/")), qPrintable(first));
    }
    // Just the difference, when not even part of the name would fit beside it.
    const QString bare = ellipsis + QStringLiteral("/cam-a/") + ellipsis;
    QCOMPARE(
        PathDisplay::fitted(paths.at(0), spans.at(0), metrics, metrics.horizontalAdvance(bare) + 2),
        bare);
    // At a middling width the nearer shared folders come back before the root.
    const QString middling = PathDisplay::fitted(paths.at(0), spans.at(0), metrics,
        metrics.horizontalAdvance(ellipsis
            + QStringLiteral("/Summer/cam-a/Export/Small/"
                             "Beach_2019.jpg")));
    QCOMPARE(middling, ellipsis + QStringLiteral("/Summer/cam-a/Export/Small/Beach_2019.jpg"));
}

QTEST_MAIN(TestPathDisplay)
#include "tst_pathdisplay.moc"
