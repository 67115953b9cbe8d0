#include <sys/resource.h>

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>
#include <thread>
#include <vector>

#include <unistd.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "imaging/imageheader.h"
#include "imaging/pixelbudget.h"
#include "imaging/twimagedecoder.h"
#include "platform/messagecapture.h"
#include "tests/imaging/testimages.h"
#include "tests/support/temptree.h"

Q_DECLARE_METATYPE(cv::Size)

namespace {

double meanAbsoluteDifference(const cv::Mat &a, const cv::Mat &b)
{
    cv::Mat difference;
    cv::absdiff(a, b, difference);
    const cv::Scalar mean = cv::mean(difference);
    return (mean[0] + mean[1] + mean[2]) / 3;
}

void putLittleEndian32(QByteArray *bytes, int offset, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        (*bytes)[offset + i] = char(value >> (8 * i));
}

QByteArray fromBytes(const std::vector<uchar> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

QByteArray encodeWith(const cv::Mat &image, const char *extension, std::vector<int> parameters = {})
{
    std::vector<uchar> bytes;
    cv::imencode(extension, image, bytes, parameters);
    return fromBytes(bytes);
}

QByteArray savedByQt(cv::Size size, const char *format)
{
    QImage image(size.width, size.height, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data();
}

void appendNumber(QByteArray *out, quint64 value, int bytes, bool littleEndian)
{
    for (int i = 0; i < bytes; ++i)
        out->append(char(value >> (8 * (littleEndian ? i : bytes - 1 - i))));
}

// An uncompressed grey TIFF, its directory right after the header; a big
// TIFF when `bigTiff`. The sides are stored as `sideType` (3 SHORT, 4 LONG,
// 16 LONG8). Declared sizes too large to fill get no pixels.
QByteArray tiffBytes(cv::Size size, bool littleEndian, bool bigTiff, quint16 sideType)
{
    const int offsetBytes = bigTiff ? 8 : 4;
    const int countBytes = bigTiff ? 8 : 2;
    const int entryBytes = bigTiff ? 20 : 12;
    const quint64 pixels = quint64(size.width) * quint64(size.height);
    struct Entry {
        quint16 tag;
        quint16 type;
        quint64 value;
    };
    const int headerBytes = bigTiff ? 16 : 8;
    const int entryCount = 9;
    const quint64 pixelOffset
        = quint64(headerBytes + countBytes + entryCount * entryBytes + offsetBytes);
    const Entry entries[entryCount]
        = { { 256, sideType, quint64(size.width) }, { 257, sideType, quint64(size.height) },
              { 258, 3, 8 }, { 259, 3, 1 }, { 262, 3, 1 }, { 273, 4, pixelOffset }, { 277, 3, 1 },
              { 278, 4, quint64(size.height) }, { 279, 4, pixels } };
    QByteArray out(littleEndian ? "II" : "MM");
    appendNumber(&out, bigTiff ? 43 : 42, 2, littleEndian);
    if (bigTiff) {
        appendNumber(&out, 8, 2, littleEndian);
        appendNumber(&out, 0, 2, littleEndian);
    }
    appendNumber(&out, quint64(headerBytes), offsetBytes, littleEndian);
    appendNumber(&out, entryCount, countBytes, littleEndian);
    for (const Entry &entry : entries) {
        appendNumber(&out, entry.tag, 2, littleEndian);
        appendNumber(&out, entry.type, 2, littleEndian);
        appendNumber(&out, 1, offsetBytes, littleEndian);
        // Values sit at the start of their field.
        const int valueBytes = entry.type == 3 ? 2 : entry.type == 4 ? 4 : 8;
        appendNumber(&out, entry.value, valueBytes, littleEndian);
        out.append(QByteArray(offsetBytes - valueBytes, '\0'));
    }
    appendNumber(&out, 0, offsetBytes, littleEndian);
    if (pixels <= 1'000'000)
        out.append(QByteArray(int(pixels), '\x80'));
    return out;
}

// A 24-bit BMP with the old 12-byte header, 16-bit sides.
QByteArray bmpCoreBytes(cv::Size size)
{
    const int rowBytes = (size.width * 3 + 3) / 4 * 4;
    QByteArray out("BM");
    appendNumber(&out, quint64(26 + rowBytes * size.height), 4, true);
    appendNumber(&out, 0, 4, true);
    appendNumber(&out, 26, 4, true);
    appendNumber(&out, 12, 4, true);
    appendNumber(&out, quint64(size.width), 2, true);
    appendNumber(&out, quint64(size.height), 2, true);
    appendNumber(&out, 1, 2, true);
    appendNumber(&out, 24, 2, true);
    out.append(QByteArray(rowBytes * size.height, '\x40'));
    return out;
}

// A GIF with a global palette of two colours and no frames.
QByteArray gifBytes(cv::Size size)
{
    QByteArray out("GIF89a");
    appendNumber(&out, quint64(size.width), 2, true);
    appendNumber(&out, quint64(size.height), 2, true);
    out.append("\x80\0\0", 3);
    out.append("\0\0\0\xff\xff\xff", 6);
    out.append(';');
    return out;
}

// The header of an extended WebP: a canvas of `size`, no image chunks.
QByteArray webpExtendedBytes(cv::Size size)
{
    QByteArray out("RIFF");
    appendNumber(&out, 4 + 8 + 10, 4, true);
    out.append("WEBPVP8X");
    appendNumber(&out, 10, 4, true);
    appendNumber(&out, 0, 4, true);
    appendNumber(&out, quint64(size.width - 1), 3, true);
    appendNumber(&out, quint64(size.height - 1), 3, true);
    return out;
}

// The raw codestream inside a JPEG 2000 box file.
QByteArray codestreamOf(const QByteArray &jp2)
{
    const int box = jp2.indexOf("jp2c");
    return box < 4 ? QByteArray() : jp2.mid(box + 4);
}

struct HeaderSample {
    QByteArray name;
    QByteArray data;
    cv::Size size;
    bool decodable; // by the codecs, whose size must agree
};

// One file per format and header variant, made here by the codecs or by
// hand, and headers declaring far more pixels than any real picture. Qt's
// writers are left out: saving loads every image plugin.
const QVector<HeaderSample> &codecSamples()
{
    static const QVector<HeaderSample> samples = [] {
        const cv::Size size(70, 45);
        const cv::Mat colour = TestImages::scene(8, size, 50);
        cv::Mat grey;
        cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
        cv::Mat real;
        colour.convertTo(real, CV_32FC3, 1.0 / 255);
        const QByteArray bmp = encodeWith(colour, ".bmp");
        QByteArray topDown = bmp;
        putLittleEndian32(&topDown, 22, quint32(-size.height));
        QByteArray asciiGrey("P2\n# made by the test\n70 # wide\n\n45\n255\n");
        for (int i = 0; i < size.area(); ++i)
            asciiGrey += "17 ";
        const QByteArray jp2 = encodeWith(colour, ".jp2");
        const cv::Size huge(100000, 100000);
        QByteArray hugeBmp = bmp;
        putLittleEndian32(&hugeBmp, 18, quint32(huge.width));
        putLittleEndian32(&hugeBmp, 22, quint32(huge.height));
        QByteArray hugeRaster = encodeWith(colour, ".sr");
        TestImages::putBigEndian32(&hugeRaster, 4, quint32(huge.width));
        TestImages::putBigEndian32(&hugeRaster, 8, quint32(huge.height));
        return QVector<HeaderSample> {
            { "png", encodeWith(colour, ".png"), size, true },
            { "bmp", bmp, size, true },
            { "bmp top-down", topDown, size, true },
            { "bmp old header", bmpCoreBytes(size), size, true },
            { "ppm", encodeWith(colour, ".ppm"), size, true },
            { "pgm as text with comments", asciiGrey, size, true },
            { "pam", encodeWith(colour, ".pam"), size, true },
            { "pfm", encodeWith(real, ".pfm"), size, true },
            { "gif", gifBytes(size), size, false },
            { "webp lossy", encodeWith(colour, ".webp", { cv::IMWRITE_WEBP_QUALITY, 80 }), size,
                true },
            { "webp lossless", encodeWith(colour, ".webp", { cv::IMWRITE_WEBP_QUALITY, 101 }), size,
                true },
            { "webp extended", webpExtendedBytes(size), size, false },
            { "tiff", encodeWith(colour, ".tiff"), size, true },
            { "tiff big-endian, short sides", tiffBytes(size, false, false, 3), size, true },
            { "tiff little-endian, long sides", tiffBytes(size, true, false, 4), size, true },
            { "big tiff", tiffBytes(size, false, true, 16), size, true },
            { "jp2", jp2, size, true },
            { "j2k", codestreamOf(jp2), size, true },
            { "sun raster", encodeWith(colour, ".sr"), size, true },
            { "radiance", encodeWith(real, ".hdr"), size, true },
            { "openexr", encodeWith(real, ".exr"), size, true },
            { "huge png", TestImages::pngBomb(huge), huge, false },
            { "huge bmp", hugeBmp, huge, false },
            { "huge tiff", tiffBytes(huge, true, false, 4), huge, false },
            { "huge webp", webpExtendedBytes(huge), huge, false },
            { "huge sun raster", hugeRaster, huge, false },
            { "huge ppm", QByteArray("P6 100000 100000 255\n"), huge, false },
            { "huge radiance",
                QByteArray("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 100000 +X 100000\n"), huge,
                false },
        };
    }();
    return samples;
}

// The codecs' samples and files saved by Qt's own writers.
const QVector<HeaderSample> &headerSamples()
{
    static const QVector<HeaderSample> samples = [] {
        const cv::Size size(70, 45);
        return codecSamples()
            + QVector<HeaderSample> { { "png by Qt", savedByQt(size, "PNG"), size, true },
                  { "bmp by Qt", savedByQt(size, "BMP"), size, true },
                  { "ppm by Qt", savedByQt(size, "PPM"), size, true },
                  { "pgm by Qt", savedByQt(size, "PGM"), size, true },
                  { "pbm by Qt", savedByQt(size, "PBM"), size, true } };
    }();
    return samples;
}

// ImageHeader on a copy of exactly `length` bytes, so that a read past them
// is caught by the address checker.
bool exactDeclaredSize(const char *data, int length, cv::Size *size)
{
    const std::vector<char> exact(data, data + length);
    return ImageHeader::declaredSize(exact.data(), qint64(exact.size()), size);
}

bool imageFormatPluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    return maps.readAll().contains("/imageformats/");
}

// Every Qt message of the process, in order; passed on to the test's own
// handler so that expected messages are still matched.
QStringList recordedMessages;
QtMessageHandler testHandler = nullptr;

void recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    recordedMessages.append(message);
    if (testHandler)
        testHandler(type, context, message);
}

// What reaches the process's stderr descriptor while `work` runs.
QByteArray stderrDuring(const std::function<void()> &work)
{
    QTemporaryFile sink;
    if (!sink.open())
        return "cannot redirect stderr";
    fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(sink.handle(), STDERR_FILENO);
    work();
    fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    sink.seek(0);
    return sink.readAll();
}

long peakResidentKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class TestTwImageDecoder : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void workingSize_data();
    void workingSize();
    void reductionFactor_data();
    void reductionFactor();

    void jpegDisplaySize_data();
    void jpegDisplaySize();
    void jpegDisplaySizeRejectsOtherData_data();
    void jpegDisplaySizeRejectsOtherData();

    // First of those reading headers: the others save images with Qt, which
    // loads every image plugin.
    void fileSizesLoadNoImagePlugins();
    void declaredSize_data();
    void declaredSize();
    void headersSurviveRandomBytes();

    void reducedJpegDecodeMatchesFullDecode();
    void rotatedJpegGetsTheCodecsSize();
    void smallImagesAreNotReduced();
    void otherFormatsAreReducedByResizing();
    void greyImagesBecomeColour();
    void nonImagesDecodeToNothing();
    void anyFileNameLoads();
    void oversizedImagesAreRefusedBeforeDecoding_data();
    void oversizedImagesAreRefusedBeforeDecoding();
    void codecComplaintsBecomeOneLineNamingTheFile_data();
    void codecComplaintsBecomeOneLineNamingTheFile();
    void sizeProbeOfUnknownDataIsQuiet();
    void parallelDecodesStayWithinThePixelBudget();

private:
    TempTree m_tree;
    cv::Mat m_scene;
};

void TestTwImageDecoder::initTestCase()
{
    // Before any decode, so that the decoder's capture passes its messages on here.
    testHandler = qInstallMessageHandler(recordMessage);
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_tree.isValid());
    m_scene = TestImages::scene(7, cv::Size(2400, 1800), 30);
}

void TestTwImageDecoder::workingSize_data()
{
    QTest::addColumn<cv::Size>("full");
    QTest::addColumn<int>("longSide");
    QTest::addColumn<cv::Size>("expected");

    QTest::newRow("landscape for the histogram")
        << cv::Size(4000, 3000) << 256 << cv::Size(256, 192);
    QTest::newRow("landscape for descriptors")
        << cv::Size(4000, 3000) << 1024 << cv::Size(1024, 768);
    // Single-precision ratio: 256 / (4000 / 3000.f) comes out as 192, not 191.99...
    QTest::newRow("portrait") << cv::Size(3000, 4000) << 256 << cv::Size(192, 256);
    // Truncation, not rounding: 256 * (1999 / 2999.f) is 170.63...
    QTest::newRow("truncated side") << cv::Size(2999, 1999) << 256 << cv::Size(256, 170);
    QTest::newRow("tall and narrow keeps its size")
        << cv::Size(200, 5000) << 256 << cv::Size(200, 5000);
    QTest::newRow("tall and narrow for descriptors")
        << cv::Size(200, 5000) << 1024 << cv::Size(200, 5000);
    QTest::newRow("width at the limit") << cv::Size(256, 100) << 256 << cv::Size(256, 100);
    QTest::newRow("one pixel over") << cv::Size(257, 257) << 256 << cv::Size(256, 256);
    QTest::newRow("very wide keeps one row") << cv::Size(5000, 3) << 256 << cv::Size(256, 1);
    QTest::newRow("very wide for descriptors") << cv::Size(3000, 2) << 1024 << cv::Size(1024, 1);
}

void TestTwImageDecoder::workingSize()
{
    QFETCH(cv::Size, full);
    QFETCH(int, longSide);
    QFETCH(cv::Size, expected);
    QCOMPARE(TwImageDecoder::workingSize(full, longSide), expected);
}

void TestTwImageDecoder::reductionFactor_data()
{
    QTest::addColumn<cv::Size>("full");
    QTest::addColumn<cv::Size>("target");
    QTest::addColumn<int>("factor");

    QTest::newRow("photo to histogram") << cv::Size(4000, 3000) << cv::Size(256, 192) << 8;
    QTest::newRow("photo to descriptors") << cv::Size(4000, 3000) << cv::Size(1024, 768) << 2;
    QTest::newRow("exact halving") << cv::Size(2048, 1536) << cv::Size(1024, 768) << 2;
    QTest::newRow("rounding up covers the target")
        << cv::Size(2047, 1535) << cv::Size(1024, 768) << 2;
    QTest::newRow("slightly too small to halve")
        << cv::Size(2046, 1534) << cv::Size(1024, 768) << 1;
    QTest::newRow("already close") << cv::Size(1100, 800) << cv::Size(1024, 744) << 1;
}

void TestTwImageDecoder::reductionFactor()
{
    QFETCH(cv::Size, full);
    QFETCH(cv::Size, target);
    QFETCH(int, factor);
    QCOMPARE(TwImageDecoder::reductionFactor(full, target), factor);
}

void TestTwImageDecoder::jpegDisplaySize_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<cv::Size>("expected");

    const cv::Mat odd = TestImages::scene(1, cv::Size(333, 222), 100);
    const QByteArray jpeg = TestImages::encode(odd, ".jpg");
    QTest::newRow("plain") << jpeg << cv::Size(333, 222);
    QTest::newRow("upright by EXIF")
        << TestImages::withExifOrientation(jpeg, 1, false) << cv::Size(333, 222);
    QTest::newRow("half turn keeps the size")
        << TestImages::withExifOrientation(jpeg, 3, true) << cv::Size(333, 222);
    QTest::newRow("quarter turn, big-endian")
        << TestImages::withExifOrientation(jpeg, 6, false) << cv::Size(222, 333);
    QTest::newRow("quarter turn, little-endian")
        << TestImages::withExifOrientation(jpeg, 8, true) << cv::Size(222, 333);
    QTest::newRow("transposed") << TestImages::withExifOrientation(jpeg, 5, true)
                                << cv::Size(222, 333);
    // An IFD offset far past the block must be ignored, not followed.
    QByteArray badOffset = TestImages::withExifOrientation(jpeg, 6, false);
    badOffset[2 + 4 + 6 + 4 + 2] = char(0x7F);
    QTest::newRow("EXIF offset out of range") << badOffset << cv::Size(333, 222);
}

void TestTwImageDecoder::jpegDisplaySize()
{
    QFETCH(QByteArray, data);
    QFETCH(cv::Size, expected);
    cv::Size size;
    QVERIFY(TwImageDecoder::jpegDisplaySize(data, &size));
    QCOMPARE(size, expected);
    // What the codec itself makes of the same bytes.
    const cv::Mat decoded = cv::imdecode(
        cv::Mat(1, data.size(), CV_8UC1, const_cast<char *>(data.constData())), cv::IMREAD_COLOR);
    QCOMPARE(decoded.size(), expected);
}

void TestTwImageDecoder::jpegDisplaySizeRejectsOtherData_data()
{
    QTest::addColumn<QByteArray>("data");

    const cv::Mat image = TestImages::scene(2, cv::Size(120, 80), 60);
    const QByteArray jpeg = TestImages::encode(image, ".jpg");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("png") << TestImages::encode(image, ".png");
    QTest::newRow("start marker only") << jpeg.left(2);
    QTest::newRow("cut inside the headers") << jpeg.left(30);
    QTest::newRow("text") << QByteArray("not an image at all");
    QByteArray lyingLength = jpeg;
    lyingLength[4] = char(0xFF);
    lyingLength[5] = char(0xFF);
    QTest::newRow("segment longer than the file") << lyingLength;
}

void TestTwImageDecoder::jpegDisplaySizeRejectsOtherData()
{
    QFETCH(QByteArray, data);
    cv::Size size(-1, -1);
    QVERIFY(!TwImageDecoder::jpegDisplaySize(data, &size));
}

void TestTwImageDecoder::declaredSize_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<cv::Size>("expected");
    QTest::addColumn<bool>("decodable");
    for (const HeaderSample &sample : headerSamples())
        QTest::newRow(sample.name.constData()) << sample.data << sample.size << sample.decodable;
}

void TestTwImageDecoder::declaredSize()
{
    QFETCH(QByteArray, data);
    QFETCH(cv::Size, expected);
    QFETCH(bool, decodable);
    QVERIFY(!data.isEmpty());
    cv::Size size;
    QVERIFY(TwImageDecoder::declaredSize(data, &size));
    QCOMPARE(size, expected);
    if (decodable) {
        const cv::Mat decoded
            = cv::imdecode(cv::Mat(1, data.size(), CV_8UC1, const_cast<char *>(data.constData())),
                cv::IMREAD_UNCHANGED);
        QCOMPARE(decoded.size(), expected);
    }
    // Cut anywhere, a header gives no size or the right one, and from the
    // first cut that gives it, every longer one does.
    bool known = false;
    for (int length = 0; length <= data.size(); ++length) {
        cv::Size cut(-1, -1);
        const bool found = exactDeclaredSize(data.constData(), length, &cut);
        if (found)
            QCOMPARE(cut, expected);
        QVERIFY2(found || !known, qPrintable(QString::number(length)));
        QVERIFY2(!found || length > 8, qPrintable(QString::number(length)));
        known = found;
    }
}

void TestTwImageDecoder::headersSurviveRandomBytes()
{
    QRandomGenerator random(20261209);
    const auto check = [](const QByteArray &bytes) {
        cv::Size size;
        if (exactDeclaredSize(bytes.constData(), bytes.size(), &size))
            return size.width > 0 && size.height > 0;
        return true;
    };
    for (int round = 0; round < 2000; ++round) {
        QByteArray noise(int(random.bounded(65)), '\0');
        for (char &byte : noise)
            byte = char(random.bounded(256));
        QVERIFY(check(noise));
    }
    // Real signatures followed by damaged headers take the parsers deepest.
    for (const HeaderSample &sample : headerSamples()) {
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = sample.data.left(int(random.bounded(65)));
            for (int flip = 0; flip < 3 && bytes.size() > 4; ++flip)
                bytes[4 + int(random.bounded(bytes.size() - 4))] = char(random.bounded(256));
            QVERIFY2(check(bytes), sample.name.constData());
        }
    }
}

void TestTwImageDecoder::fileSizesLoadNoImagePlugins()
{
    if (imageFormatPluginLoaded())
        QSKIP("image plugins were loaded before this test");
    QVector<HeaderSample> files = codecSamples();
    // A frame header past the first read: two large segments before it.
    const QByteArray jpeg = TestImages::encode(TestImages::scene(9, cv::Size(90, 60), 10), ".jpg");
    QByteArray segment("\xff\xe2\xff\xff", 4);
    segment += QByteArray(0xffff - 2, 'p');
    files.append({ "jpeg with large segments", jpeg.left(2) + segment + segment + jpeg.mid(2),
        cv::Size(90, 60), true });
    for (const HeaderSample &sample : qAsConst(files)) {
        const QString path = m_tree.writeFile(
            QStringLiteral("sizes/%1.img").arg(QString::fromLatin1(sample.name)), sample.data);
        cv::Size size;
        QVERIFY2(TwImageDecoder::fileDeclaredSize(path, &size), sample.name.constData());
        QCOMPARE(size, sample.size);
    }
    QVERIFY(!imageFormatPluginLoaded());
}

void TestTwImageDecoder::reducedJpegDecodeMatchesFullDecode()
{
    const QByteArray jpeg = TestImages::encode(m_scene, ".jpg");
    const cv::Mat full = cv::imdecode(
        cv::Mat(1, jpeg.size(), CV_8UC1, const_cast<char *>(jpeg.constData())), cv::IMREAD_COLOR);

    for (int longSide : { 256, 1024 }) {
        cv::Size fullSize;
        QString error;
        const cv::Mat working = TwImageDecoder::decode(jpeg, longSide, &fullSize, &error);
        QCOMPARE(fullSize, full.size());
        QCOMPARE(working.size(), TwImageDecoder::workingSize(full.size(), longSide));
        QCOMPARE(working.type(), CV_8UC3);
        QVERIFY(error.isEmpty());

        // The same picture as resizing the full decode, give or take the codec's filtering.
        cv::Mat reference;
        cv::resize(full, reference, working.size(), 0, 0, cv::INTER_AREA);
        QVERIFY2(meanAbsoluteDifference(working, reference) < 12,
            qPrintable(QString::number(meanAbsoluteDifference(working, reference))));
    }
}

void TestTwImageDecoder::rotatedJpegGetsTheCodecsSize()
{
    const QByteArray jpeg
        = TestImages::withExifOrientation(TestImages::encode(m_scene, ".jpg"), 6, true);
    cv::Size fullSize;
    const cv::Mat working = TwImageDecoder::decode(jpeg, 256, &fullSize);
    QCOMPARE(fullSize, cv::Size(1800, 2400));
    QCOMPARE(working.size(), TwImageDecoder::workingSize(cv::Size(1800, 2400), 256));
}

void TestTwImageDecoder::smallImagesAreNotReduced()
{
    const cv::Mat small = TestImages::scene(3, cv::Size(256, 900), 90);
    const QByteArray png = TestImages::encode(small, ".png");
    cv::Size fullSize;
    const cv::Mat working = TwImageDecoder::decode(png, 256, &fullSize);
    QCOMPARE(fullSize, small.size());
    QCOMPARE(working.size(), small.size());
    QCOMPARE(cv::norm(working, small, cv::NORM_INF), 0.0);
}

void TestTwImageDecoder::otherFormatsAreReducedByResizing()
{
    const cv::Mat image = TestImages::scene(4, cv::Size(1300, 700), 140);
    cv::Size fullSize;
    const cv::Mat working
        = TwImageDecoder::decode(TestImages::encode(image, ".png"), 1024, &fullSize);
    QCOMPARE(fullSize, cv::Size(1300, 700));
    QCOMPARE(working.size(), TwImageDecoder::workingSize(cv::Size(1300, 700), 1024));
}

void TestTwImageDecoder::greyImagesBecomeColour()
{
    cv::Mat grey;
    cv::cvtColor(TestImages::scene(5, cv::Size(300, 200), 0), grey, cv::COLOR_BGR2GRAY);
    for (const char *extension : { ".png", ".jpg" }) {
        cv::Size fullSize;
        const cv::Mat working
            = TwImageDecoder::decode(TestImages::encode(grey, extension), 256, &fullSize);
        QCOMPARE(working.type(), CV_8UC3);
        QCOMPARE(fullSize, cv::Size(300, 200));
    }
}

void TestTwImageDecoder::nonImagesDecodeToNothing()
{
    const QByteArray jpeg = TestImages::encode(m_scene, ".jpg");
    const QList<QByteArray> samples { QByteArray(), QByteArray("plain text, saved as .jpg"),
        jpeg.left(2), QByteArray(4096, '\0') };
    for (const QByteArray &sample : samples) {
        cv::Size fullSize(-1, -1);
        const cv::Mat working = TwImageDecoder::decode(sample, 256, &fullSize);
        QVERIFY(working.empty());
        QVERIFY(fullSize.empty());
    }

    const QString text = m_tree.writeFile("notes.png", "no pixels in here");
    cv::Size fullSize;
    QVERIFY(TwImageDecoder::decodeFile(text, 256, &fullSize).empty());
    QVERIFY(fullSize.empty());
    QVERIFY(TwImageDecoder::decodeFile(m_tree.path("missing.jpg"), 256, &fullSize).empty());
    QVERIFY(fullSize.empty());
    QVERIFY(TwImageDecoder::decodeFile(m_tree.root(), 256, &fullSize).empty());
    QVERIFY(fullSize.empty());
    const QString empty = m_tree.writeFile("empty.jpg", QByteArray());
    QVERIFY(!empty.isEmpty());
    QVERIFY(TwImageDecoder::decodeFile(empty, 256, &fullSize).empty());
    QVERIFY(fullSize.empty());
}

void TestTwImageDecoder::anyFileNameLoads()
{
    const QByteArray jpeg
        = TestImages::encode(TestImages::scene(6, cv::Size(640, 480), 20), ".jpg");
    const QString path = m_tree.writeFile(QStringLiteral("fotoğraf Ürün 写真.jpg"), jpeg);
    QVERIFY(!path.isEmpty());
    QByteArray data;
    QVERIFY(TwImageDecoder::readFile(path, &data));
    QCOMPARE(data, jpeg);
    cv::Size fullSize;
    const cv::Mat working = TwImageDecoder::decodeFile(path, 256, &fullSize);
    QCOMPARE(fullSize, cv::Size(640, 480));
    QCOMPARE(working.size(), cv::Size(256, 192));
}

void TestTwImageDecoder::oversizedImagesAreRefusedBeforeDecoding_data()
{
    QTest::addColumn<QByteArray>("bomb");
    const cv::Size huge(30000, 30000);
    QByteArray bmp = TestImages::encode(cv::Mat(8, 8, CV_8UC3, cv::Scalar(9, 9, 9)), ".bmp");
    putLittleEndian32(&bmp, 18, quint32(huge.width));
    putLittleEndian32(&bmp, 22, quint32(huge.height));
    QTest::newRow("png") << TestImages::pngBomb(huge);
    QTest::newRow("bmp") << bmp;
    QTest::newRow("tiff") << tiffBytes(huge, true, false, 4);
}

void TestTwImageDecoder::oversizedImagesAreRefusedBeforeDecoding()
{
    QFETCH(QByteArray, bomb);
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    const QString bombPath = m_tree.path(QStringLiteral("bomb/huge-%1.img").arg(tag));
    const QString normalPath = m_tree.path(QStringLiteral("bomb/normal.png"));
    QDir().mkpath(QFileInfo(bombPath).path());
    cv::Size declared;
    QVERIFY(TwImageDecoder::declaredSize(bomb, &declared));
    QCOMPARE(declared, cv::Size(30000, 30000));
    QFile out(bombPath);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bomb);
    out.close();
    QVERIFY(cv::imwrite(normalPath.toStdString(), m_scene));

    const long before = peakResidentKilobytes();
    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(QRegularExpression::escape(bombPath) + QStringLiteral(".*limit")));
    cv::Size fullSize;
    QString error;
    QVERIFY(TwImageDecoder::decodeFile(bombPath, 300, &fullSize, &error).empty());
    QCOMPARE(fullSize, cv::Size(30000, 30000));
    QVERIFY(!error.isEmpty());

    const cv::Mat normal = TwImageDecoder::decodeFile(normalPath, 300, &fullSize);
    QCOMPARE(fullSize, m_scene.size());
    QCOMPARE(normal.cols, 300);
    // A decoded bomb would need 2.7 GB; the normal image a few tens of MB.
    QVERIFY2(peakResidentKilobytes() - before < 300 * 1024,
        qPrintable(QString::number(peakResidentKilobytes() - before)));
}

void TestTwImageDecoder::codecComplaintsBecomeOneLineNamingTheFile_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<QString>("complaint");
    const QByteArray png = TestImages::encode(m_scene, ".png");
    QTest::newRow("truncated png") << png.left(png.size() / 2) << false << "libpng";
    // Stray bytes after the first segment make libjpeg complain and go on.
    QByteArray jpeg = TestImages::encode(m_scene, ".jpg");
    const int firstSegmentEnd = 4 + (quint8(jpeg[4]) << 8 | quint8(jpeg[5]));
    jpeg.insert(firstSegmentEnd, QByteArray(7, '\x11'));
    QTest::newRow("corrupt jpeg") << jpeg << true << "Corrupt JPEG data";
}

void TestTwImageDecoder::codecComplaintsBecomeOneLineNamingTheFile()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, decodes);
    QFETCH(QString, complaint);
    const QString path = m_tree.writeFile(
        QStringLiteral("damaged/%1.img").arg(QString::fromLatin1(QTest::currentDataTag())), data);
    QVERIFY(!path.isEmpty());
    recordedMessages.clear();
    cv::Mat working;
    cv::Size fullSize;
    const QByteArray raw
        = stderrDuring([&] { working = TwImageDecoder::decodeFile(path, 300, &fullSize); });
    QVERIFY2(raw.isEmpty(), raw.constData());
    QCOMPARE(!working.empty(), decodes);
    QCOMPARE(recordedMessages.size(), 1);
    QVERIFY2(recordedMessages.first().contains(path), qPrintable(recordedMessages.first()));
    QVERIFY2(recordedMessages.first().contains(complaint), qPrintable(recordedMessages.first()));

    // While one thread captures, what another prints is not taken for its file.
    QString captured;
    const QByteArray elsewhere = stderrDuring([&] {
        MessageCapture capture;
        std::thread([] {
            fprintf(stderr, "unrelated\n");
            qWarning("unrelated too");
        }).join();
        captured = capture.text();
    });
    QCOMPARE(elsewhere, QByteArray("unrelated\n"));
    QVERIFY(captured.isEmpty());
    QVERIFY(recordedMessages.contains("unrelated too"));
}

void TestTwImageDecoder::sizeProbeOfUnknownDataIsQuiet()
{
    // A file named like a photo that starts as gzip data: no header parser
    // takes it, and none inflates it or prints anything about it.
    QByteArray data("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03");
    data += QByteArray(600, '\x7f');
    const QString path = m_tree.writeFile(QStringLiteral("probe/holiday.jpg"), data);
    recordedMessages.clear();
    bool known = true;
    cv::Size size;
    const QByteArray raw
        = stderrDuring([&] { known = TwImageDecoder::fileDeclaredSize(path, &size); });
    QVERIFY2(raw.isEmpty(), raw.constData());
    QVERIFY(!known);
    QVERIFY2(recordedMessages.isEmpty(), qPrintable(recordedMessages.join(QLatin1Char('\n'))));
}

void TestTwImageDecoder::parallelDecodesStayWithinThePixelBudget()
{
    // Eight pictures of 6000x5000 hold 720 MB decoded together, well above the budget.
    cv::Mat large(5000, 6000, CV_8UC3, cv::Scalar(40, 90, 160));
    cv::rectangle(large, cv::Rect(1000, 1000, 3000, 2000), cv::Scalar(200, 30, 10), cv::FILLED);
    const QByteArray png = TestImages::encode(large, ".png");
    const qint64 decodedBytes = qint64(large.total()) * 3;
    QVERIFY(8 * decodedBytes > PixelBudget::DecodingBytes);
    QStringList paths;
    for (int i = 0; i < 8; ++i)
        paths << m_tree.writeFile(QStringLiteral("budget/large%1.png").arg(i), png);

    PixelBudget &budget = PixelBudget::decoding();
    std::atomic<int> decoded { 0 };
    std::vector<std::thread> threads;
    for (const QString &path : qAsConst(paths)) {
        threads.emplace_back([&decoded, path] {
            cv::Size fullSize;
            const cv::Mat working = TwImageDecoder::decodeFile(path, 300, &fullSize);
            if (working.cols == 300 && fullSize == cv::Size(6000, 5000))
                ++decoded;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(decoded.load(), 8);
    QVERIFY(budget.peak() <= budget.total());
    // Shares were really taken, several at once, and all given back.
    QVERIFY2(budget.peak() >= 2 * decodedBytes, qPrintable(QString::number(budget.peak())));
    QCOMPARE(budget.inUse(), qint64(0));
}

QTEST_GUILESS_MAIN(TestTwImageDecoder)
#include "tst_twimagedecoder.moc"
