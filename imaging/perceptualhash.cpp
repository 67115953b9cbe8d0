#include "imaging/perceptualhash.h"

#include <algorithm>
#include <bitset>
#include <vector>

#include <opencv2/imgproc.hpp>

namespace {

cv::Mat luminance(const cv::Mat &image)
{
    if (image.channels() == 1)
        return image;
    cv::Mat grey;
    cv::cvtColor(image, grey, image.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
    return grey;
}

} // namespace

PerceptualHash PerceptualHash::fromImage(const cv::Mat &image)
{
    PerceptualHash hash;
    if (image.empty() || image.depth() != CV_8U)
        return hash;
    cv::Mat thumbnail;
    // Area averaging keeps a downscaled copy's thumbnail close to the original's.
    cv::resize(luminance(image), thumbnail, cv::Size(ThumbnailSide, ThumbnailSide), 0, 0, cv::INTER_AREA);
    thumbnail.convertTo(thumbnail, CV_32F);
    for (int turn = 0; turn < 4; ++turn) {
        hash.m_hashes[std::size_t(turn)] = hashThumbnail(thumbnail);
        cv::rotate(thumbnail, thumbnail, cv::ROTATE_90_CLOCKWISE);
    }
    hash.m_valid = true;
    return hash;
}

PerceptualHash PerceptualHash::fromHashes(const std::array<std::uint64_t, 4> &hashes)
{
    PerceptualHash hash;
    hash.m_hashes = hashes;
    hash.m_valid = true;
    return hash;
}

std::uint64_t PerceptualHash::hashThumbnail(const cv::Mat &thumbnail)
{
    cv::Mat frequencies;
    cv::dct(thumbnail, frequencies);
    std::vector<float> block;
    block.reserve(BlockSide * BlockSide);
    for (int y = 0; y < BlockSide; ++y)
        for (int x = 0; x < BlockSide; ++x)
            block.push_back(frequencies.at<float>(y, x));
    // The median leaves out the DC term, which only says how bright the image is.
    std::vector<float> ac(block.begin() + 1, block.end());
    std::nth_element(ac.begin(), ac.begin() + long(ac.size() / 2), ac.end());
    const float median = ac[ac.size() / 2];
    std::uint64_t bits = 0;
    for (std::size_t i = 1; i < block.size(); ++i)
        if (block[i] > median)
            bits |= std::uint64_t(1) << i;
    return bits;
}

int PerceptualHash::hamming(std::uint64_t a, std::uint64_t b)
{
    return int(std::bitset<64>(a ^ b).count());
}

int PerceptualHash::distance(const PerceptualHash &other) const
{
    if (!m_valid || !other.m_valid)
        return 65;
    int best = 64;
    for (const std::uint64_t candidate : other.m_hashes)
        best = std::min(best, hamming(m_hashes[0], candidate));
    return best;
}
