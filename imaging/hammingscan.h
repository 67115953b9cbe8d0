#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/hashindex.h"

// The flat all-pairs scan HashIndex uses at wide radii: each row's upright
// hash against all four rotations of every later image, in tiles of rows
// against cache-sized blocks of columns. The distance test is done eight
// (AVX-512) or four (AVX2) images at a time, chosen at run time, since the
// program is built for baseline x86-64; every kernel gives the same pairs in
// the same order.
class HammingScan {
public:
    enum class Kernel { Portable, Popcnt, Avx2, Avx512 };

    struct Input {
        // Rotation k of image j at turns[k][j]: one array per rotation, so a
        // vector load takes the same rotation of consecutive images.
        std::array<const std::uint64_t *, 4> turns {};
        const unsigned char *valid = nullptr;
        const double *aspects = nullptr;
        int count = 0;
        int radius = 0;
        double maxAspectRatio = 1.0;
    };

    // Appends the pairs (i, j), firstRow <= i < lastRow, i < j < count, in
    // order of i, then j.
    static void run(
        const Input &in, int firstRow, int lastRow, std::vector<HashIndex::Pair> &pairs);

    static bool supported(Kernel kernel);
    // The kernel run() uses: the fastest this processor supports, unless one
    // was forced.
    static Kernel active();
    // Makes run() use `kernel` (false if this processor lacks it), so tests
    // can compare every path; unforce() returns to the fastest.
    static bool force(Kernel kernel);
    static void unforce();
    static const char *name(Kernel kernel);
};
