#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#include "model/canceltoken.h"
#include "model/scansettings.h"
#include "model/twcatalog.h"
#include "model/twcatalogcontainer.h"
#include "model/twfileitemgroup.h"
#include "model/twphotoitem.h"
#include "tests/support/temptree.h"

namespace {

// A white canvas covered with random shapes: plenty of corners for ORB, and
// every crop of it has much the same colours.
QImage drawWorld(int width, int height, quint32 seed, int shapes)
{
    // A small palette keeps the colour mix of every crop alike, so that the
    // feature test is what tells crops apart.
    static const QColor palette[] = { QColor(200, 40, 40), QColor(40, 90, 200),
        QColor(240, 200, 40), QColor(40, 160, 80), QColor(120, 60, 160), QColor(30, 30, 30) };
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QRandomGenerator random(seed);
    for (int i = 0; i < shapes; ++i) {
        const QColor color = palette[random.bounded(6)];
        painter.setBrush(color);
        painter.setPen(QPen(color.darker(150), 1 + random.bounded(3)));
        const QRect rect(random.bounded(width), random.bounded(height), 8 + random.bounded(60),
            8 + random.bounded(60));
        switch (random.bounded(3)) {
        case 0:
            painter.drawRect(rect);
            break;
        case 1:
            painter.drawEllipse(rect);
            break;
        default: {
            const QPoint points[]
                = { rect.topLeft(), rect.bottomRight(), QPoint(rect.left(), rect.bottom()) };
            painter.drawPolygon(points, 3);
        }
        }
    }
    return image;
}

} // namespace

class TestSimilarGrouping : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstImageOpensGroup();
    void likeImageJoinsEarliestGroup();
    void onlyTheHeadOfAKeyAttracts();
    void chainDoesNotExtendGroup();
    void pixelCountFilterBound();
    void halfSizeCopyOfCameraPhotoMatches();
    void featurelessImagesNeverJoin();
    void stopMakesEveryImageItsOwnGroup();
    void fullImageSimilarityTurnsAnalysisOff();
    void nonImagesAreNeverSimilar();

private:
    QString save(const QImage &image, const QString &name);
    // An image as the similar-image pass of a scan by m_settings makes it.
    TwPhotoItem *offer(const QString &path)
    {
        return new TwPhotoItem(path, false, m_settings.imageContents());
    }

    ScanSettings m_settings;
    std::unique_ptr<CancelToken> m_cancel;

    std::unique_ptr<TempTree> m_tree;
    QImage m_world;
};

void TestSimilarGrouping::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_world = drawWorld(1800, 600, 7, 900);
}

void TestSimilarGrouping::init()
{
    m_tree = std::make_unique<TempTree>();
    QVERIFY(m_tree->isValid());
    m_settings = ScanSettings();
    // The grouping of these tests is the classic method's.
    m_settings.similarMethod = SimilarMethodSetting::Classic;
    m_settings.imageSimilarity = double(0.75f);
    m_settings.featureSimilarity = double(0.45f);
    m_cancel = std::make_unique<CancelToken>();
}

void TestSimilarGrouping::cleanup()
{
    m_tree.reset();
}

QString TestSimilarGrouping::save(const QImage &image, const QString &name)
{
    const QString path = m_tree->path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path) ? path : QString();
}

void TestSimilarGrouping::firstImageOpensGroup()
{
    const QString path = save(m_world.copy(0, 0, 600, 600), "first.png");
    TwCatalogContainer container(TwCatalog::catalogForFile(path));
    QVERIFY(!container.addSimilarPhoto(offer(path), m_settings, *m_cancel));
    QCOMPARE(container.groups().size(), 1);
    QCOMPARE(container.groups().first()->groupName(), QStringLiteral("Images_1"));
    QCOMPARE(container.groups().first()->allItemCount(), 1);
    QCOMPARE(container.duplicateCount(), 0);
    // A lone group is pruned later.
    container.removeSmallGroups();
    QVERIFY(container.groups().isEmpty());
}

void TestSimilarGrouping::likeImageJoinsEarliestGroup()
{
    const QImage picture = m_world.copy(0, 0, 600, 600);
    QStringList copies;
    for (int i = 0; i < 4; ++i)
        copies << save(picture, QStringLiteral("copies/p%1.png").arg(i));
    TwCatalogContainer container(TwCatalog::catalogForFile(copies.first()));
    int count = 0;
    qint64 bytes = 0;
    // Two separate exact-copy groups of the same picture.
    container.buildDuplicateGroups(copies.mid(0, 2), m_settings, count, bytes);
    container.buildDuplicateGroups(copies.mid(2, 2), m_settings, count, bytes);
    QCOMPARE(container.groups().size(), 2);

    // A slightly different rendition of the same picture (another file).
    QImage variant = picture;
    QPainter(&variant).fillRect(0, 0, 20, 20, Qt::black);
    const QString similar = save(variant, "variant.png");
    TwPhotoItem *photo = offer(similar);
    QVERIFY(container.addSimilarPhoto(photo, m_settings, *m_cancel));
    QCOMPARE(container.groups().at(0)->allItemCount(), 3);
    QCOMPARE(container.groups().at(0)->keyCount(), 2);
    QCOMPARE(container.groups().at(1)->allItemCount(), 2);
    QCOMPARE(container.duplicateCount(), 3);
    QCOMPARE(container.duplicateBytes(), bytes * 2 + QFileInfo(similar).size());
    // The joined image is filed under its own path id and is never compared again.
    QCOMPARE(photo->matchKey(), photo->pathId());
    QVERIFY(photo->histogram().histogram().empty());
}

void TestSimilarGrouping::onlyTheHeadOfAKeyAttracts()
{
    const QString a = save(m_world.copy(0, 0, 600, 600), "head/a.png");
    TwCatalogContainer container(TwCatalog::catalogForFile(a));
    QVERIFY(!container.addSimilarPhoto(offer(a), m_settings, *m_cancel));
    const QString b = save(m_world.copy(0, 0, 600, 600), "head/b.png");
    QVERIFY(container.addSimilarPhoto(offer(b), m_settings, *m_cancel));
    // b joined (and released its data): a third copy still finds the head a.
    const QString c = save(m_world.copy(0, 0, 600, 600), "head/c.png");
    QVERIFY(container.addSimilarPhoto(offer(c), m_settings, *m_cancel));
    QCOMPARE(container.groups().size(), 1);
    QCOMPARE(container.groups().first()->keyCount(), 3);
}

void TestSimilarGrouping::chainDoesNotExtendGroup()
{
    // A and B share half their area, B and C share half, A and C nothing.
    // Their colours all pass; half an overlap gives about half the features
    // matched, unrelated crops of this drawing about a third.
    m_settings.featureSimilarity = double(0.42f);
    const QString a = save(m_world.copy(0, 0, 600, 600), "chain/a.png");
    const QString b = save(m_world.copy(300, 0, 600, 600), "chain/b.png");
    const QString c = save(m_world.copy(600, 0, 600, 600), "chain/c.png");

    // Preconditions, compared directly: B is like A and C is like B, C is not like A.
    {
        TwFileItemGroup probe(offer(a));
        std::unique_ptr<TwPhotoItem> probeB(offer(b));
        std::unique_ptr<TwPhotoItem> probeC(offer(c));
        QVERIFY(probe.isSimilarPhoto(probe.itemsByKey().first(), probeB.get(), m_settings));
        QVERIFY(!probe.isSimilarPhoto(probe.itemsByKey().first(), probeC.get(), m_settings));
        TwFileItemGroup probeFromB(probeB.release());
        QVERIFY(
            probeFromB.isSimilarPhoto(probeFromB.itemsByKey().first(), probeC.get(), m_settings));
    }

    TwCatalogContainer container(TwCatalog::catalogForFile(a));
    QVERIFY(!container.addSimilarPhoto(offer(a), m_settings, *m_cancel));
    QVERIFY(container.addSimilarPhoto(offer(b), m_settings, *m_cancel));
    QVERIFY(!container.addSimilarPhoto(offer(c), m_settings, *m_cancel));
    QCOMPARE(container.groups().size(), 2);
    QCOMPARE(container.groups().at(0)->allItemCount(), 2);
    QCOMPARE(container.groups().at(1)->allItemCount(), 1);
    QCOMPARE(container.groups().at(1)->firstItem()->filePath(), c);
}

void TestSimilarGrouping::pixelCountFilterBound()
{
    // A ratio of exactly 20 is still compared, anything above is not, in
    // either order; an image of no pixels (unreadable) never is.
    QVERIFY(TwFileItemGroup::pixelCountsComparable(1000, 20000));
    QVERIFY(TwFileItemGroup::pixelCountsComparable(20000, 1000));
    QVERIFY(!TwFileItemGroup::pixelCountsComparable(1000, 20001));
    QVERIFY(!TwFileItemGroup::pixelCountsComparable(20001, 1000));
    QVERIFY(!TwFileItemGroup::pixelCountsComparable(0, 1000));
    QVERIFY(!TwFileItemGroup::pixelCountsComparable(12000000, 0));

    const QImage large = m_world.scaled(4800, 1600);
    TwFileItemGroup group(offer(save(large, "bound/original.jpg")));
    // A thumbnail of it is not compared at all, whatever the loosened tests say.
    m_settings.imageSimilarity = double(0.05f);
    m_settings.featureSimilarity = 0.0;
    const QString thumbnail = save(large.scaled(480, 160), "bound/thumbnail.jpg");
    std::unique_ptr<TwPhotoItem> tiny(offer(thumbnail));
    QVERIFY(!group.isSimilarPhoto(group.itemsByKey().first(), tiny.get(), m_settings));
}

void TestSimilarGrouping::halfSizeCopyOfCameraPhotoMatches()
{
    // 12 against 3 megapixels: an absolute limit on the pixel difference
    // would keep these apart, though a half-size copy is the commonest kind.
    const QImage photo = m_world.copy(0, 0, 800, 600).scaled(4000, 3000);
    const QString original = save(photo, "camera/original.jpg");
    const QString half
        = save(photo.scaled(2000, 1500, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
            "camera/half.jpg");
    TwFileItemGroup group(offer(original));
    std::unique_ptr<TwPhotoItem> copy(offer(half));
    QVERIFY(group.isSimilarPhoto(group.itemsByKey().first(), copy.get(), m_settings));
}

void TestSimilarGrouping::featurelessImagesNeverJoin()
{
    QImage plain(300, 200, QImage::Format_RGB32);
    plain.fill(QColor(90, 160, 60));
    const QString a = save(plain, "plain/a.png");
    const QString b = save(plain, "plain/b.png");
    TwCatalogContainer container(TwCatalog::catalogForFile(a));
    QVERIFY(!container.addSimilarPhoto(offer(a), m_settings, *m_cancel));
    QVERIFY(!container.addSimilarPhoto(offer(b), m_settings, *m_cancel));
    QCOMPARE(container.groups().size(), 2);
    QCOMPARE(container.duplicateCount(), 0);
}

void TestSimilarGrouping::stopMakesEveryImageItsOwnGroup()
{
    const QImage picture = m_world.copy(0, 0, 600, 600);
    QStringList paths;
    for (int i = 0; i < 3; ++i)
        paths << save(picture, QStringLiteral("stop/s%1.png").arg(i));
    TwCatalogContainer container(TwCatalog::catalogForFile(paths.first()));
    QVERIFY(!container.addSimilarPhoto(offer(paths.at(0)), m_settings, *m_cancel));
    m_cancel->cancel();
    QVERIFY(!container.addSimilarPhoto(offer(paths.at(1)), m_settings, *m_cancel));
    QVERIFY(!container.addSimilarPhoto(offer(paths.at(2)), m_settings, *m_cancel));
    QCOMPARE(container.groups().size(), 3);
    QCOMPARE(container.groups().at(2)->groupName(), QStringLiteral("Images_3"));
    for (const TwFileItemGroup *group : container.groups())
        QCOMPARE(group->allItemCount(), 1);

    // The same images do group in the next scan, which has a token of its own.
    m_cancel = std::make_unique<CancelToken>();
    QVERIFY(container.addSimilarPhoto(offer(paths.at(1)), m_settings, *m_cancel));
}

void TestSimilarGrouping::fullImageSimilarityTurnsAnalysisOff()
{
    m_settings.imageSimilarity = 1.0;
    const QImage picture = m_world.copy(0, 0, 600, 600);
    const QString a = save(picture, "off/a.png");
    const QString b = save(picture, "off/b.png");
    TwCatalogContainer container(TwCatalog::catalogForFile(a));
    TwPhotoItem *first = offer(a);
    // The size is still known, but no histogram is built.
    QCOMPARE(first->imageWidth(), 600);
    QVERIFY(first->histogram().histogram().empty());
    QVERIFY(!container.addSimilarPhoto(first, m_settings, *m_cancel));
    QVERIFY(!container.addSimilarPhoto(offer(b), m_settings, *m_cancel));
    QCOMPARE(container.groups().size(), 2);
}

void TestSimilarGrouping::nonImagesAreNeverSimilar()
{
    const QString png = save(m_world.copy(0, 0, 300, 300), "n/a.png");
    const QString copy = save(m_world.copy(0, 0, 300, 300), "n/b.png");
    TwFileItemGroup group(offer(png));
    TwFileItem plain(copy, false);
    QVERIFY(!group.isSimilarPhoto(group.itemsByKey().first(), &plain, m_settings));
    std::unique_ptr<TwPhotoItem> image(offer(copy));
    QVERIFY(!group.isSimilarPhoto(TwFileItemGroup::ItemList(), image.get(), m_settings));

    // A plain file at the head of a key never attracts an image.
    TwFileItemGroup plainHead(new TwFileItem(png, false));
    std::unique_ptr<TwPhotoItem> photo(offer(copy));
    QVERIFY(!plainHead.addSimilarPhoto(photo.get(), m_settings, *m_cancel));
    QCOMPARE(plainHead.allItemCount(), 1);
}

QTEST_MAIN(TestSimilarGrouping)
#include "tst_similargrouping.moc"
