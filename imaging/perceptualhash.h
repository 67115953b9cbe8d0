#pragma once

#include <array>
#include <cstdint>

#include <opencv2/core.hpp>

// A 64-bit DCT hash of an image, with the hashes of its quarter-turn
// rotations, so a rotated copy is as close as the upright one.
class PerceptualHash {
public:
    // Side of the luminance thumbnail the DCT is taken on.
    static constexpr int ThumbnailSide = 32;
    // Side of the low-frequency block whose signs against the median form the hash.
    static constexpr int BlockSide = 8;

    PerceptualHash() = default;

    // `image` is 8-bit grey, BGR or BGRA; an empty image gives an invalid hash.
    static PerceptualHash fromImage(const cv::Mat &image);
    // A hash from stored values: upright first, then 90, 180 and 270 degrees.
    static PerceptualHash fromHashes(const std::array<std::uint64_t, 4> &hashes);

    bool isValid() const { return m_valid; }
    // The hash of the image turned clockwise by `quarterTurns` * 90 degrees (0..3).
    std::uint64_t rotated(int quarterTurns) const { return m_hashes[std::size_t(quarterTurns & 3)]; }
    std::uint64_t upright() const { return m_hashes[0]; }

    // Smallest Hamming distance between this image's upright hash and any
    // rotation of `other` (0..64; 65 when either is invalid).
    int distance(const PerceptualHash &other) const;

    static int hamming(std::uint64_t a, std::uint64_t b);
    static std::uint64_t hashThumbnail(const cv::Mat &thumbnail);

private:
    std::array<std::uint64_t, 4> m_hashes {};
    bool m_valid = false;
};
