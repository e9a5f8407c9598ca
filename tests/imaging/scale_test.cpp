// SPDX-License-Identifier: MIT
#include "imaging/scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace kavlo::imaging {
namespace {

// ---- Plain formula versions: the library's loops must agree with them bit for bit ----

int sample(const RasterImage& image, int x, int y, int c) {
    const int b = image.bitsPerPixel / 8;
    return image.pixels[(std::size_t(y) * image.width + x) * b + c];
}

RasterImage plainHalveWidth(const RasterImage& in) {
    const int b = in.bitsPerPixel / 8, W = in.width;
    RasterImage out = RPcreate(W / 2, in.height, in.bitsPerPixel);
    for (int y = 0; y < in.height; ++y)
        for (int k = 0; k < W / 2; ++k)
            for (int c = 0; c < b; ++c) {
                const int v =
                    2 * k + 2 < W
                        ? (sample(in, 2 * k, y, c) * 256 + sample(in, 2 * k + 1, y, c) * 512 +
                           sample(in, 2 * k + 2, y, c) * 256) >>
                              10
                        : (sample(in, W - 2, y, c) * 256 + sample(in, W - 1, y, c) * 768) >> 10;
                out.pixels[(std::size_t(y) * out.width + k) * b + c] = std::uint8_t(v);
            }
    return out;
}

RasterImage plainHalveHeight(const RasterImage& in) {
    const int b = in.bitsPerPixel / 8, H = in.height;
    RasterImage out = RPcreate(in.width, H / 2, in.bitsPerPixel);
    for (int i = 0; i < H / 2; ++i)
        for (int x = 0; x < in.width; ++x)
            for (int c = 0; c < b; ++c) {
                const int v =
                    2 * i + 2 < H
                        ? (sample(in, x, 2 * i, c) * 256 + sample(in, x, 2 * i + 1, c) * 512 +
                           sample(in, x, 2 * i + 2, c) * 256) >>
                              10
                        : (sample(in, x, H - 2, c) * 256 + sample(in, x, H - 1, c) * 768) >> 10;
                out.pixels[(std::size_t(i) * out.width + x) * b + c] = std::uint8_t(v);
            }
    return out;
}

RasterImage plainBlur(const RasterImage& in, int n, double v) {
    if (n % 2 == 0) --n;
    const int h = n / 2, b = in.bitsPerPixel / 8;
    std::vector<double> w;
    double sum = 0;
    for (int dy = -h; dy <= h; ++dy)
        for (int dx = -h; dx <= h; ++dx) {
            w.push_back(std::exp(-double(dx * dx + dy * dy) / (2.0 * v)) /
                        (2.0 * 3.14159265358979323846 * v));
            sum += w.back();
        }
    for (double& x : w) x /= sum;
    RasterImage out = RPcreate(in.width, in.height, in.bitsPerPixel);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x)
            for (int c = 0; c < b; ++c) {
                double s = 0.0;
                std::size_t k = 0;
                for (int dy = -h; dy <= h; ++dy)
                    for (int dx = -h; dx <= h; ++dx, ++k)
                        s += w[k] * sample(in, std::clamp(x + dx, 0, in.width - 1),
                                           std::clamp(y + dy, 0, in.height - 1), c);
                out.pixels[(std::size_t(y) * in.width + x) * b + c] =
                    std::uint8_t(std::trunc(s + 0.5));
            }
    return out;
}

RasterImage plainBilinear(const RasterImage& in, int W2, int H2) {
    const int b = in.bitsPerPixel / 8, W = in.width, H = in.height;
    RasterImage out = RPcreate(W2, H2, in.bitsPerPixel);
    const double sx = double(W) / W2, sy = double(H) / H2;
    // Enlarged axes sample at pixel centres.
    auto at = [](int k, double s, bool centred) {
        return centred ? std::max(0.0, (k + 0.5) * s - 0.5) : k * s;
    };
    for (int i = 0; i < H2; ++i) {
        const double y = at(i, sy, H2 > H);
        const int j0 = int(std::trunc(y));
        const double fy = y - j0;
        const int j1 = j0 == H - 1 ? j0 : j0 + 1;
        for (int k = 0; k < W2; ++k) {
            const double x = at(k, sx, W2 > W);
            const int c0 = int(std::trunc(x));
            const double fx = x - c0;
            const int c1 = c0 == W - 1 ? c0 : c0 + 1;
            for (int c = 0; c < b; ++c) {
                const double left =
                    sample(in, c0, j0, c) + fy * (sample(in, c0, j1, c) - sample(in, c0, j0, c));
                const double right =
                    sample(in, c1, j0, c) + fy * (sample(in, c1, j1, c) - sample(in, c1, j0, c));
                out.pixels[(std::size_t(i) * W2 + k) * b + c] =
                    std::uint8_t(std::trunc(left + fx * (right - left) + 0.5));
            }
        }
    }
    return out;
}

RasterImage plainSharpen(const RasterImage& in, int mild) {
    RasterImage out = RPclone(in);
    for (int y = 1; y + 1 < in.height; ++y)
        for (int x = 1; x + 1 < in.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int centre = sample(in, x, y, c);
                const int n = sample(in, x - 1, y, c) + sample(in, x + 1, y, c) +
                              sample(in, x, y - 1, c) + sample(in, x, y + 1, c);
                int v = (8 * centre - n) / 4;
                if (mild) v = (centre + v) / 2;
                out.pixels[(std::size_t(y) * in.width + x) * 3 + c] =
                    std::uint8_t(std::clamp(v, 0, 255));
            }
    return out;
}

RasterImage randomImage(std::mt19937& rng, int w, int h, int bpp) {
    RasterImage image = RPcreate(w, h, bpp);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t i = 0; i < RPstride(w, bpp) * std::size_t(h); ++i)
        image.pixels[i] = std::uint8_t(byte(rng));
    return image;
}

::testing::AssertionResult identical(const RasterImage& a, const RasterImage& b) {
    if (a.width != b.width || a.height != b.height || a.bitsPerPixel != b.bitsPerPixel)
        return ::testing::AssertionFailure()
               << a.width << "x" << a.height << " vs " << b.width << "x" << b.height;
    const std::size_t size = RPstride(a.width, a.bitsPerPixel) * std::size_t(a.height);
    for (std::size_t i = 0; i < size; ++i)
        if (a.pixels[i] != b.pixels[i])
            return ::testing::AssertionFailure()
                   << "byte " << i << ": " << int(a.pixels[i]) << " vs " << int(b.pixels[i]);
    return ::testing::AssertionSuccess();
}

RasterImage row(std::initializer_list<int> values) {
    RasterImage image = RPcreate(std::uint32_t(values.size()), 1, 24);
    int i = 0;
    for (int v : values)
        image.pixels[3 * i] = image.pixels[3 * i + 1] = image.pixels[3 * i + 2] = std::uint8_t(v),
                         ++i;
    return image;
}

// ---- Hand-computed cases ----

TEST(Halving, usesTheOneTwoOneFilterWithAnEvenTail) {
    RasterImage even = row({10, 20, 30, 40});
    RasterImage half = RPhalveWidth(even);
    ASSERT_EQ(half.width, 2);
    EXPECT_EQ(half.pixels[0], 20);  // (10 + 40 + 30) / 4
    EXPECT_EQ(half.pixels[3], 37);  // (30 * 256 + 40 * 768) >> 10
    RasterImage odd = row({10, 20, 30, 40, 51});
    RasterImage oddHalf = RPhalveWidth(odd);
    ASSERT_EQ(oddHalf.width, 2);
    EXPECT_EQ(oddHalf.pixels[3], 40);  // (30 + 80 + 51) / 4, truncated
    RasterImage narrow = row({10, 20});
    RasterImage same = RPhalveWidth(narrow);
    EXPECT_EQ(same.width, 2);
    EXPECT_TRUE(identical(same, narrow));
    for (RasterImage* r : {&even, &half, &odd, &oddHalf, &narrow, &same}) RPfree(*r);
}

TEST(Halving, halveTimesDoesWidthsThenHeightsWhileAtLeastThree) {
    std::mt19937 rng(1);
    RasterImage image = randomImage(rng, 1600, 1200, 24);
    RasterImage quarter = RPhalveTimes(image, 2);
    EXPECT_EQ(quarter.width, 400);
    EXPECT_EQ(quarter.height, 300);
    RasterImage w1 = plainHalveWidth(image), w2 = plainHalveWidth(w1), h1 = plainHalveHeight(w2),
                h2 = plainHalveHeight(h1);
    EXPECT_TRUE(identical(quarter, h2));
    RasterImage none = RPhalveTimes(image, 0);
    EXPECT_TRUE(identical(none, image));
    EXPECT_NE(none.pixels, image.pixels);
    RasterImage thin = randomImage(rng, 2, 1000, 24);
    RasterImage thinHalf = RPhalveTimes(thin, 3);
    EXPECT_EQ(thinHalf.width, 2);
    EXPECT_EQ(thinHalf.height, 125);
    for (RasterImage* r : {&image, &quarter, &w1, &w2, &h1, &h2, &none, &thin, &thinHalf})
        RPfree(*r);
}

TEST(Sharpen, boostsAgainstTheFourNeighboursAndClamps) {
    RasterImage flat = RPcreate(5, 5, 24);
    RPfillColour(flat, 90, 90, 90, 0);
    RasterImage flatOut = RPsharpen(flat, 0);
    EXPECT_TRUE(identical(flatOut, flat));

    RasterImage spot = RPcreate(5, 5, 24);
    RPfillColour(spot, 0, 0, 0, 0);
    RPgetPixel(5, 24, spot.pixels, 2, 2)[1] = 200;
    RasterImage hard = RPsharpen(spot, 0);
    EXPECT_EQ(RPgetPixel(5, 24, hard.pixels, 2, 2)[1], 255);  // 400 clamped
    EXPECT_EQ(RPgetPixel(5, 24, hard.pixels, 1, 2)[1], 0);    // -50 clamped
    EXPECT_EQ(RPgetPixel(5, 24, hard.pixels, 2, 2)[0], 0);
    RasterImage mild = RPsharpen(spot, 1);
    EXPECT_EQ(RPgetPixel(5, 24, mild.pixels, 2, 2)[1], 255);  // (200 + 400) / 2 clamped

    RPgetPixel(5, 24, spot.pixels, 2, 2)[1] = 100;
    RPgetPixel(5, 24, spot.pixels, 0, 2)[1] = 100;  // border pixel: copied unchanged
    RPsharpenInPlace(spot, 1);
    EXPECT_EQ(RPgetPixel(5, 24, spot.pixels, 2, 2)[1], 150);  // (100 + 200) / 2
    EXPECT_EQ(RPgetPixel(5, 24, spot.pixels, 0, 2)[1], 100);
    EXPECT_EQ(RPgetPixel(5, 24, spot.pixels, 1, 2)[1], 0);  // (0 + (-50 - 25)) / 2 -> 0

    RasterImage grey = RPcreate(4, 4, 8);
    testing::internal::CaptureStdout();
    RasterImage same = RPsharpen(grey, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: RPsharpen() input must be 24 bit.\n");
    EXPECT_EQ(same.width, 4);
    for (RasterImage* r : {&flat, &flatOut, &spot, &hard, &mild, &grey, &same}) RPfree(*r);
}

TEST(FastScale, powerOfTwoTargetIsHalvingAlone) {
    std::mt19937 rng(2);
    RasterImage image = randomImage(rng, 1600, 1200, 24);
    RasterImage intermediate{};
    RasterImage result = RPfastScale(image, 400, true, 0.75, &intermediate);
    RasterImage halved = RPhalveTimes(image, 2);
    EXPECT_TRUE(identical(result, halved));
    EXPECT_TRUE(identical(intermediate, halved));
    EXPECT_NE(intermediate.pixels, result.pixels);
    for (RasterImage* r : {&image, &intermediate, &result, &halved}) RPfree(*r);
}

TEST(FastScale, smallReductionBlursThreeByThreeThenInterpolates) {
    std::mt19937 rng(3);
    RasterImage image = randomImage(rng, 1000, 750, 24);
    RasterImage result = RPfastScale(image, 640, true, 0.75);
    ASSERT_EQ(result.width, 640);
    ASSERT_EQ(result.height, 480);
    const double sigma = 0.43333333333333335 * 1.5625;
    RasterImage blurred = plainBlur(image, 3, sigma * sigma);
    RasterImage expected = plainBilinear(blurred, 640, 480);
    EXPECT_TRUE(identical(result, expected));
    // Without the flag the final step is interpolation alone.
    RasterImage preview = RPfastScale(image, 640, false, 0.75);
    RasterImage plain = plainBilinear(image, 640, 480);
    EXPECT_TRUE(identical(preview, plain));
    for (RasterImage* r : {&image, &result, &blurred, &expected, &preview, &plain}) RPfree(*r);
}

TEST(FastScale, otherSideFollowsTheAspectAndNarrowImagesStayNarrow) {
    std::mt19937 rng(4);
    RasterImage tall = randomImage(rng, 300, 400, 24);
    RasterImage shown = RPfastScale(tall, 90, true, 2.0);  // aspect, not the image's shape
    EXPECT_EQ(shown.height, 90);
    EXPECT_EQ(shown.width, 45);
    RasterImage thin = randomImage(rng, 2, 1000, 24);
    RasterImage intermediate{};
    RasterImage small = RPfastScale(thin, 100, true, 500.0, &intermediate);
    EXPECT_EQ(intermediate.width, 2);
    EXPECT_EQ(intermediate.height, 125);
    EXPECT_EQ(small.height, 100);
    EXPECT_EQ(small.width, 1);  // 100 / 500 rounds to 0, raised to 1
    RasterImage empty{};
    RasterImage nothing = RPfastScale(empty, 80, true, 0.75);
    EXPECT_EQ(nothing.width, 0);
    for (RasterImage* r : {&tall, &shown, &thin, &intermediate, &small}) RPfree(*r);
}

TEST(FastScale, twinAndTripleRefuseWrongSizeOrders) {
    std::mt19937 rng(5);
    RasterImage image = randomImage(rng, 64, 48, 24);
    RasterImage a{}, b{}, c{};
    a.width = 1234;
    b.width = 1234;
    c.width = 1234;
    testing::internal::CaptureStdout();
    RPfastScaleTwin(image, 200, 100, true, 0.75, &a, &b);
    RPfastScaleTriple(image, 100, 100, 200, true, 0.75, &a, &b, &c);
    RPfastScaleTriple(image, 50, 300, 200, true, 0.75, &a, &b, &c);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RPfastScaleTwin: Error largeSize<smallSize!\n"
              "RPfastScaleTriple: Error in sizes.\n"
              "RPfastScaleTriple: Error in sizes.\n");
    EXPECT_EQ(a.width, 1234);
    EXPECT_EQ(b.width, 1234);
    EXPECT_EQ(c.width, 1234);
    RPfree(image);
}

TEST(FastScale, smallerSizesComeFromTheLargerIntermediate) {
    // Each cascade equals the chain of single steps, each smaller size made from the
    // next larger one's intermediate; 1000 x 750 needs no halving before 552..1000.
    std::mt19937 rng(6);
    for (auto [w, h] : {std::pair{1000, 750}, std::pair{2000, 1500}}) {
        RasterImage image = randomImage(rng, w, h, 24);
        struct Sizes {
            unsigned s, m, l;
        };
        for (Sizes z : {Sizes{100, 640, 640}, Sizes{80, 600, 640}, Sizes{80, 300, 1000},
                        Sizes{80, 552, 552}}) {
            SCOPED_TRACE(testing::Message() << w << ": " << z.s << " " << z.m << " " << z.l);
            RasterImage s3{}, m3{}, l3{};
            RPfastScaleTriple(image, z.s, z.m, z.l, true, 0.75, &s3, &m3, &l3);
            RasterImage i1{}, i2{};
            RasterImage eL = RPfastScale(image, z.l, true, 0.75, &i1);
            RasterImage eM = z.m == z.l ? RPclone(eL) : RPfastScale(i1, z.m, true, 0.75, &i2);
            RasterImage eS = RPfastScale(z.m == z.l ? i1 : i2, z.s, true, 0.75);
            EXPECT_TRUE(identical(l3, eL));
            EXPECT_TRUE(identical(m3, eM));
            EXPECT_TRUE(identical(s3, eS));
            EXPECT_EQ(l3.width, int(z.l));
            EXPECT_EQ(s3.width, int(z.s));
            if (z.m == z.l) {
                EXPECT_NE(m3.pixels, l3.pixels);
            }
            RasterImage s2{}, l2{};
            RPfastScaleTwin(image, z.s, z.m, true, 0.75, &s2, &l2);
            RasterImage i{};
            RasterImage tL = RPfastScale(image, z.m, true, 0.75, &i);
            RasterImage tS = RPfastScale(i, z.s, true, 0.75);
            EXPECT_TRUE(identical(l2, tL));
            EXPECT_TRUE(identical(s2, tS));
            for (RasterImage* r : {&s3, &m3, &l3, &i1, &i2, &eL, &eM, &eS, &s2, &l2, &i, &tL, &tS})
                RPfree(*r);
        }
        // A target equal to the longer side: the result is a copy, not the input.
        RasterImage same{}, tiny{};
        RPfastScaleTwin(image, 80, unsigned(w), true, 0.75, &tiny, &same);
        EXPECT_TRUE(identical(same, image));
        EXPECT_NE(same.pixels, image.pixels);
        RPfree(same), RPfree(tiny);
        RPfree(image);
    }
}

TEST(Resampling, enlargementSamplesPixelCentresAndStaysSymmetric) {
    // Two pixels, 0 and 240, made four wide: quarter steps from each pixel's centre.
    RasterImage pair = RPcreate(2, 1, 24);
    std::fill(pair.pixels, pair.pixels + 3, 0);
    std::fill(pair.pixels + 3, pair.pixels + 6, 240);
    RasterImage wide = RPbilinearResampling(pair, 4, 1);
    EXPECT_EQ(wide.pixels[0], 0);
    EXPECT_EQ(wide.pixels[3], 60);
    EXPECT_EQ(wide.pixels[6], 180);
    EXPECT_EQ(wide.pixels[9], 240);
    RPfree(wide);
    RPfree(pair);

    // A picture symmetric about its centre enlarges into a symmetric one, both ways;
    // top-left sampling would push it half a source pixel up and left.
    RasterImage dot = RPcreate(5, 3, 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            std::fill_n(dot.pixels + (y * 5 + x) * 3, 3,
                        std::uint8_t((x == 2 && y == 1)   ? 250
                                     : (x == 2 || y == 1) ? 100
                                                          : 0));
    RasterImage big = RPbilinearResampling(dot, 17, 11);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 17; ++x) {
            const auto v = big.pixels[(y * 17 + x) * 3];
            EXPECT_NEAR(v, big.pixels[(y * 17 + (16 - x)) * 3], 1) << x << "," << y;
            EXPECT_NEAR(v, big.pixels[((10 - y) * 17 + x) * 3], 1) << x << "," << y;
        }
    RPfree(big);
    RPfree(dot);
}

TEST(Resampling, refusesPaletteImagesWithItsMessage) {
    RasterImage grey = RPcreate(8, 8, 8);
    testing::internal::CaptureStdout();
    RasterImage a = RPscale(grey, 0, 4);
    RasterImage b = RPbilinearResampling(grey, 4, 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: RPscale() input must be 24/32 bit.\n"
              "Error: RPbilinearResampling() input must be 24/32 bit.\n");
    EXPECT_EQ(a.width, 1);  // sizes below 1 are raised to 1
    EXPECT_EQ(a.height, 4);
    EXPECT_EQ(b.width, 4);
    for (RasterImage* r : {&grey, &a, &b}) RPfree(*r);
}

TEST(Resampling, blurWithoutSpreadKeepsThePicture) {
    std::mt19937 rng(9);
    RasterImage image = randomImage(rng, 9, 7, 24);
    for (double v : {0.0, -1.0, std::nan("")}) {
        RasterImage same = RPgaussianBlur(image, 3, v);
        EXPECT_TRUE(identical(same, image)) << v;
        RPfree(same);
    }
    RasterImage wide = RPgaussianBlur(image, 100001, 4.0);  // capped, not billions of weights
    RasterImage capped = RPgaussianBlur(image, 255, 4.0);
    EXPECT_TRUE(identical(wide, capped));
    for (RasterImage* r : {&image, &wide, &capped}) RPfree(*r);
}

// ---- The library's loops against the plain formulas on random images ----

TEST(Optimised, everyRoutineMatchesItsPlainFormulaBitForBit) {
    std::mt19937 rng(7);
    const int sizes[][2] = {{1, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 7}, {17, 9}, {64, 33}, {301, 199}};
    for (auto [w, h] : sizes) {
        for (int bpp : {24, 32}) {
            RasterImage image = randomImage(rng, w, h, bpp);
            SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << bpp);
            if (w >= 3) {
                RasterImage a = RPhalveWidth(image), b = plainHalveWidth(image);
                EXPECT_TRUE(identical(a, b));
                RPfree(a), RPfree(b);
            }
            if (h >= 3) {
                RasterImage a = RPhalveHeight(image), b = plainHalveHeight(image);
                EXPECT_TRUE(identical(a, b));
                RPfree(a), RPfree(b);
            }
            for (auto [n, v] : {std::pair{3, 0.2}, std::pair{3, 0.458}, std::pair{3, 0.76},
                                std::pair{4, 1.5}, std::pair{5, 2.9}, std::pair{7, 5.0}}) {
                RasterImage a = RPgaussianBlur(image, n, v), b = plainBlur(image, n, v);
                EXPECT_TRUE(identical(a, b)) << "blur " << n << " " << v;
                RPfree(a), RPfree(b);
            }
            for (auto [w2, h2] :
                 {std::pair{1, 1}, std::pair{w / 2 + 1, h / 2 + 1}, std::pair{w * 2, h + 3},
                  std::pair{w * 10 / 17 + 1, h * 10 / 13 + 1}}) {
                RasterImage a = RPbilinearResampling(image, w2, h2),
                            b = plainBilinear(image, w2, h2);
                EXPECT_TRUE(identical(a, b)) << "bilinear " << w2 << "x" << h2;
                RPfree(a), RPfree(b);
            }
            if (bpp == 24) {
                for (int mild : {0, 1}) {
                    RasterImage a = RPsharpen(image, mild), b = plainSharpen(image, mild);
                    EXPECT_TRUE(identical(a, b)) << "sharpen " << mild;
                    RPfree(a), RPfree(b);
                }
            }
            RPfree(image);
        }
    }
}

}  // namespace
}  // namespace kavlo::imaging
