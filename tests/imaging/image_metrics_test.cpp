// SPDX-License-Identifier: MIT
#include "image_metrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

namespace kavlo::bench {
namespace {

using imaging::RasterImage;
using imaging::RPcreate;
using imaging::RPfree;

/// A w x h picture whose sample (x, y, channel c) is value(x, y, c).
RasterImage picture(int w, int h, const std::function<int(int, int, int)>& value) {
    RasterImage img = RPcreate(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                img.pixels[(std::size_t(y) * w + x) * 3 + c] = std::uint8_t(value(x, y, c));
    return img;
}

TEST(ImageMetrics, knownValuesOfIdenticalShiftedAndInvertedPictures) {
    RasterImage a =
        picture(40, 30, [](int x, int y, int c) { return (x * 7 + y * 13 + c * 50) % 200 + 20; });
    RasterImage same =
        picture(40, 30, [](int x, int y, int c) { return (x * 7 + y * 13 + c * 50) % 200 + 20; });
    const auto identical = compareImages(a, same);
    ASSERT_TRUE(identical);
    EXPECT_TRUE(std::isinf(identical->psnr) && identical->psnr > 0);
    EXPECT_DOUBLE_EQ(identical->ssim, 1.0);

    // Every sample 5 lower: MSE 25, PSNR 10 log10(65025 / 25); the structure is the same,
    // only the luminance term falls a little below 1.
    RasterImage shifted =
        picture(40, 30, [](int x, int y, int c) { return (x * 7 + y * 13 + c * 50) % 200 + 15; });
    const auto s = compareImages(a, shifted);
    ASSERT_TRUE(s);
    EXPECT_NEAR(s->psnr, 10 * std::log10(65025.0 / 25), 1e-9);
    EXPECT_LT(s->ssim, 1.0);
    EXPECT_GT(s->ssim, 0.99);

    // Flat pictures of 100 and 110: no structure, SSIM is the luminance term alone.
    RasterImage flat100 = picture(20, 20, [](int, int, int) { return 100; });
    RasterImage flat110 = picture(20, 20, [](int, int, int) { return 110; });
    const double c1 = 2.55 * 2.55;
    EXPECT_NEAR(compareImages(flat100, flat110)->ssim,
                (2 * 100.0 * 110 + c1) / (100.0 * 100 + 110.0 * 110 + c1), 1e-9);

    // A checkerboard against its inverse: the same means and contrast, opposite
    // structure, so SSIM is strongly negative (about -0.86), and the comparison is
    // symmetric.
    RasterImage board = picture(24, 24, [](int x, int y, int) { return (x + y) % 2 ? 120 : 80; });
    RasterImage inverse = picture(24, 24, [](int x, int y, int) { return (x + y) % 2 ? 80 : 120; });
    const auto inv = compareImages(board, inverse);
    ASSERT_TRUE(inv);
    EXPECT_LT(inv->ssim, -0.8);
    EXPECT_NEAR(inv->psnr, 10 * std::log10(65025.0 / 1600), 1e-9);
    EXPECT_DOUBLE_EQ(compareImages(inverse, board)->ssim, inv->ssim);

    for (RasterImage* img : {&a, &same, &shifted, &flat100, &flat110, &board, &inverse})
        RPfree(*img);
}

TEST(ImageMetrics, tinyPicturesUseASmallerWindowAndUnfitPicturesAreRefused) {
    RasterImage tiny = picture(4, 3, [](int x, int y, int c) { return x * 40 + y * 20 + c; });
    RasterImage tiny2 = picture(4, 3, [](int x, int y, int c) { return x * 40 + y * 25 + c; });
    const auto s = compareImages(tiny, tiny2);
    ASSERT_TRUE(s);
    EXPECT_TRUE(std::isfinite(s->psnr) && std::isfinite(s->ssim));
    EXPECT_LT(s->ssim, 1.0);
    RasterImage one = picture(1, 1, [](int, int, int) { return 9; });
    EXPECT_DOUBLE_EQ(compareImages(one, one)->ssim, 1.0);

    RasterImage wide = picture(5, 3, [](int, int, int) { return 0; });
    EXPECT_FALSE(compareImages(tiny, wide));
    EXPECT_FALSE(compareImages(tiny, RasterImage{}));
    RasterImage grey = RPcreate(4, 3, 8);
    std::memset(grey.pixels, 0, 12);
    EXPECT_FALSE(compareImages(grey, grey));
    for (RasterImage* img : {&tiny, &tiny2, &one, &wide, &grey}) RPfree(*img);
}

TEST(ImageMetrics, everyTurnIsDistinctAndFoundAgain) {
    // No symmetry: every sample tells its position.
    RasterImage base = picture(7, 4, [](int x, int y, int c) { return x * 30 + y * 5 + c; });
    RasterImage turns[8];
    for (int t = 0; t < 8; ++t) {
        turns[t] = turned(base, t);
        EXPECT_EQ(turns[t].width, t & 4 ? 4 : 7);
        for (int u = 0; u < t; ++u) {
            if (turns[u].width == turns[t].width) {
                EXPECT_NE(0, std::memcmp(turns[u].pixels, turns[t].pixels, 7 * 4 * 3))
                    << u << " " << t;
            }
        }
        int found = -1;
        const auto s = compareTurned(base, turns[t], &found);
        ASSERT_TRUE(s) << t;
        EXPECT_TRUE(std::isinf(s->psnr)) << t;
        // Turning the turned picture back the found way gives the original.
        RasterImage back = turned(turns[t], found);
        EXPECT_EQ(0, std::memcmp(back.pixels, base.pixels, 7 * 4 * 3)) << t;
        if (t == 0) {
            EXPECT_EQ(found, 0);
        }
        RPfree(back);
    }
    RasterImage other = picture(5, 5, [](int, int, int) { return 0; });
    EXPECT_FALSE(compareTurned(base, other, nullptr));
    for (RasterImage& img : turns) RPfree(img);
    RPfree(base);
    RPfree(other);
}

}  // namespace
}  // namespace kavlo::bench
