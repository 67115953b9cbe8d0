// Costs of the similar-image pass per photo: building the histogram when an
// image item is created, extracting ORB descriptors for pairs that pass the
// histogram test, and one feature match. The "FullDecode" cases decode the
// whole file first, for comparison with the reduced JPEG decoding.

#include <vector>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <benchmark/benchmark.h>

#include "imaging/twgrayhistogram.h"
#include "imaging/twimagedecoder.h"
#include "preferences/twpreferences.h"

namespace {

cv::Mat drawPhoto(cv::Size size, int seed, int hue)
{
    cv::RNG rng(seed);
    const auto colour = [&] {
        return cv::Scalar(
            (hue + rng.uniform(-8, 9) + 180) % 180, rng.uniform(90, 256), rng.uniform(60, 256));
    };
    cv::Mat hsv(size, CV_8UC3, colour());
    for (int i = 0; i < 400; ++i) {
        const cv::Point centre(rng.uniform(0, size.width), rng.uniform(0, size.height));
        cv::circle(hsv, centre, rng.uniform(10, 160), colour(), cv::FILLED);
        const cv::Point corner(rng.uniform(0, size.width), rng.uniform(0, size.height));
        cv::rectangle(hsv, corner, corner + cv::Point(rng.uniform(20, 300), rng.uniform(20, 300)),
            colour(), cv::FILLED);
    }
    cv::Mat bgr;
    cv::cvtColor(hsv, bgr, cv::COLOR_HSV2BGR);
    cv::GaussianBlur(bgr, bgr, cv::Size(5, 5), 1.2);
    cv::Mat noise(size, CV_16SC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, 3);
    cv::Mat noisy;
    cv::add(bgr, noise, noisy, cv::noArray(), CV_8UC3);
    return noisy;
}

bool writeJpeg(const QString &path, const cv::Mat &image, int quality)
{
    std::vector<uchar> bytes;
    if (!cv::imencode(".jpg", image, bytes, { cv::IMWRITE_JPEG_QUALITY, quality }))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
        && file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()))
        == qint64(bytes.size());
}

// A 4000 x 3000 photo and a 2000 x 1500 recompressed copy, made once.
struct Photos {
    QTemporaryDir dir;
    QString photo;
    QString copy;
    bool ok = false;

    Photos()
    {
        TwPreferences::setFilePath(dir.filePath("preferences.cfg"));
        photo = dir.filePath("photo 4000x3000.jpg");
        copy = dir.filePath("copy 2000x1500.jpg");
        const cv::Mat image = drawPhoto(cv::Size(4000, 3000), 42, 30);
        cv::Mat smaller;
        cv::resize(image, smaller, cv::Size(2000, 1500), 0, 0, cv::INTER_AREA);
        ok = dir.isValid() && writeJpeg(photo, image, 92) && writeJpeg(copy, smaller, 80);
    }
};

const Photos &photos()
{
    static const Photos instance;
    return instance;
}

cv::Mat fullDecodeWorkingCopy(const QString &path, int longSide)
{
    QByteArray bytes;
    TwImageDecoder::readFile(path, &bytes);
    const cv::Mat image = cv::imdecode(
        cv::Mat(1, int(bytes.size()), CV_8UC1, const_cast<char *>(bytes.constData())),
        cv::IMREAD_COLOR);
    cv::Mat working;
    cv::resize(image, working, TwImageDecoder::workingSize(image.size(), longSide), 0, 0,
        cv::INTER_LINEAR);
    return working;
}

void BM_HistogramConstruction(benchmark::State &state)
{
    if (!photos().ok)
        return state.SkipWithError("could not write the photo");
    for (auto _ : state) {
        TwGrayHistogram histogram(photos().photo);
        benchmark::DoNotOptimize(histogram.histogram().data);
    }
}
BENCHMARK(BM_HistogramConstruction)->Unit(benchmark::kMillisecond);

void BM_HistogramConstructionFullDecode(benchmark::State &state)
{
    if (!photos().ok)
        return state.SkipWithError("could not write the photo");
    for (auto _ : state) {
        const cv::Mat histogram = TwGrayHistogram::computeHistogram(
            fullDecodeWorkingCopy(photos().photo, TwGrayHistogram::HistogramSide));
        benchmark::DoNotOptimize(histogram.data);
    }
}
BENCHMARK(BM_HistogramConstructionFullDecode)->Unit(benchmark::kMillisecond);

void BM_HistogramComparison(benchmark::State &state)
{
    if (!photos().ok)
        return state.SkipWithError("could not write the photo");
    const TwGrayHistogram photo(photos().photo);
    const TwGrayHistogram copy(photos().copy);
    for (auto _ : state)
        benchmark::DoNotOptimize(photo.similarToHistogram(copy, 0.75));
}
BENCHMARK(BM_HistogramComparison)->Unit(benchmark::kMicrosecond);

void BM_DescriptorExtraction(benchmark::State &state)
{
    if (!photos().ok)
        return state.SkipWithError("could not write the photo");
    TwGrayHistogram photo(photos().photo);
    for (auto _ : state) {
        photo.releaseData();
        benchmark::DoNotOptimize(photo.getORBImageDesc().data);
    }
    state.counters["descriptors"] = photo.descriptors().rows;
}
BENCHMARK(BM_DescriptorExtraction)->Unit(benchmark::kMillisecond);

void BM_DescriptorExtractionFullDecode(benchmark::State &state)
{
    if (!photos().ok)
        return state.SkipWithError("could not write the photo");
    for (auto _ : state) {
        const cv::Mat descriptors = TwGrayHistogram::computeDescriptors(
            fullDecodeWorkingCopy(photos().photo, TwGrayHistogram::DescriptorSide));
        benchmark::DoNotOptimize(descriptors.data);
    }
}
BENCHMARK(BM_DescriptorExtractionFullDecode)->Unit(benchmark::kMillisecond);

void BM_SimilarToORB(benchmark::State &state)
{
    if (!photos().ok)
        return state.SkipWithError("could not write the photo");
    TwGrayHistogram photo(photos().photo);
    TwGrayHistogram copy(photos().copy);
    const cv::Mat indexed = copy.getORBImageDesc();
    const cv::Mat query = photo.getORBImageDesc();
    bool similar = false;
    for (auto _ : state) {
        similar = photo.similarToORB(indexed, query, 0.45);
        benchmark::DoNotOptimize(similar);
    }
    state.counters["similar"] = similar ? 1 : 0;
}
BENCHMARK(BM_SimilarToORB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
