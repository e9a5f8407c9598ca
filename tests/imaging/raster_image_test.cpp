// SPDX-License-Identifier: MIT
#include "imaging/raster_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kavlo::imaging {
namespace {

// A 24- or 32-bit image whose pixel (x, y) has bytes (x, y, 10 * x + y [, 7]).
RasterImage pattern(int w, int h, int bpp = 24) {
    RasterImage image = RPcreate(w, h, bpp);
    const int b = bpp / 8;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = RPgetPixel(w, bpp, image.pixels, x, y);
            p[0] = std::uint8_t(x);
            if (b > 1) {
                p[1] = std::uint8_t(y);
                p[2] = std::uint8_t(10 * x + y);
            }
            if (b > 3) p[3] = 7;
        }
    return image;
}

// A target whose raster sits between guard bytes, to catch writes outside it. The
// record does not own the buffer (never pass it to RPfree).
struct GuardedTarget {
    static constexpr std::size_t kGuard = 64;
    std::vector<std::uint8_t> buffer;
    RasterImage image{};
    GuardedTarget(int w, int h, int bpp, std::uint8_t fill) {
        const std::size_t size = RPstride(w, bpp) * std::size_t(h);
        buffer.assign(size + 2 * kGuard, 0xA5);
        std::memset(buffer.data() + kGuard, fill, size);
        image.width = w;
        image.height = h;
        image.bitsPerPixel = std::uint8_t(bpp);
        image.pixelCount = w * h;
        image.pixels = buffer.data() + kGuard;
    }
    bool guardsIntact() const {
        for (std::size_t i = 0; i < kGuard; ++i)
            if (buffer[i] != 0xA5 || buffer[buffer.size() - 1 - i] != 0xA5) return false;
        return true;
    }
    std::uint8_t at(int x, int y, int c) const {
        return image.pixels[RPstride(image.width, image.bitsPerPixel) * y +
                            x * (image.bitsPerPixel / 8) + c];
    }
};

TEST(RasterImage, stridesRoundUpToWholeBytes) {
    EXPECT_EQ(RPstride(3, 24), 9u);
    EXPECT_EQ(RPstride(3, 1), 1u);
    EXPECT_EQ(RPstride(9, 1), 2u);
    EXPECT_EQ(RPstride(5, 32), 20u);
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(RPgetScanline(3, 24, buffer, 2), buffer + 18);
    EXPECT_EQ(RPgetPixel(3, 24, buffer, 1, 2), buffer + 21);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RPgetPixel(3, 1, buffer, 1, 1), nullptr);
    EXPECT_EQ(RPgetScanline(3, 4, buffer, 1), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RPgetPixel does not support this bitdepth: 1 BPP\n"
              "RPgetScanline does not support this bitdepth: 4 BPP\n");
}

TEST(RasterImage, createGivesFreshHeaderAndRefusesAbsurdSizes) {
    RasterImage image = RPcreate(7, 5, 24);
    EXPECT_EQ(image.status, 0);
    EXPECT_EQ(image.pixelCount, 35);
    EXPECT_EQ(image.pixelFormat, 2);
    EXPECT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.info[0], '\0');
    RPfree(image);

    for (auto [w, h] : {std::pair{100000u, 100000u}, std::pair{0xFFFFFFFFu, 0xFFFFFFFFu},
                        std::pair{20000u, 20000u}}) {
        RasterImage huge = RPcreate(w, h, 32);
        EXPECT_EQ(huge.status, kRasterAllocFailed);
        EXPECT_EQ(huge.pixels, nullptr);
        EXPECT_EQ(huge.width, 0);
        EXPECT_EQ(huge.pixelCount, 0);
        RPfree(huge);
    }
    RasterImage none = RPcreate(0, 4, 24);
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.pixelCount, 0);
    RPfree(none);
}

TEST(RasterImage, freeZeroesAndClonesOwnTheirBuffers) {
    RasterImage zero{};
    EXPECT_EQ(RPfree(zero), 0);
    EXPECT_EQ(zero.pixels, nullptr);

    RasterImage image = pattern(4, 3, 8);
    ASSERT_EQ(RPsetGreyPalette(image), 0);
    image.xOffset = 5;
    std::strcpy(image.info, "note");
    RasterImage header = RPcloneHeader(image);
    EXPECT_EQ(header.paletteSize, 256);
    EXPECT_NE(header.palette, image.palette);
    EXPECT_EQ(std::memcmp(header.palette, image.palette, 768), 0);
    EXPECT_EQ(header.pixels, nullptr);
    EXPECT_EQ(header.width, 0);
    EXPECT_EQ(header.pixelCount, 0);
    EXPECT_EQ(header.xOffset, 5);
    EXPECT_STREQ(header.info, "note");

    RasterImage copy = RPclone(image);
    EXPECT_NE(copy.pixels, image.pixels);
    EXPECT_EQ(std::memcmp(copy.pixels, image.pixels, 12), 0);
    EXPECT_EQ(copy.palette[3 * 200 + 1], 200);
    RPfree(image);
    RPfree(header);
    RPfree(copy);
}

TEST(RasterImage, fillsRefuseTheWrongDepth) {
    RasterImage grey = RPcreate(3, 2, 8);
    RasterImage colour = RPcreate(3, 2, 32);
    EXPECT_EQ(RPfillColour(grey, 1, 2, 3, 4), -1);
    EXPECT_EQ(RPfillIndex(colour, 9), -1);
    EXPECT_EQ(RPfillIndex(grey, 9), 0);
    EXPECT_EQ(RPfillColour(colour, 1, 2, 3, 4), 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(grey.pixels[i], 9);
        EXPECT_EQ(colour.pixels[4 * i + 3], 4);
        EXPECT_EQ(colour.pixels[4 * i], 1);
    }
    // The plane goes into one byte of each pixel, the others stay.
    EXPECT_EQ(RPsetChannel(colour, 3, 2, 24, grey.pixels, 1), 1);
    EXPECT_EQ(RPsetChannel(grey, 3, 2, 8, grey.pixels, 0), 1);
    EXPECT_EQ(RPsetChannel(colour, 3, 2, 8, grey.pixels, 3), 0);
    EXPECT_EQ(colour.pixels[3], 9);
    EXPECT_EQ(colour.pixels[2], 3);
    RPfree(grey);
    RPfree(colour);
}

TEST(RasterImage, cropCopiesInsideRectanglesOnly) {
    RasterImage image = pattern(5, 4);
    RasterImage crop = RPcrop(image, 1, 2, 3, 2);
    ASSERT_EQ(crop.width, 3);
    ASSERT_EQ(crop.height, 2);
    EXPECT_EQ(RPgetPixel(3, 24, crop.pixels, 0, 0)[0], 1);
    EXPECT_EQ(RPgetPixel(3, 24, crop.pixels, 2, 1)[1], 3);
    RPfree(crop);
    RasterImage outside = RPcrop(image, 3, 0, 3, 2);  // one column too far: not copied
    EXPECT_EQ(outside.width, 3);
    RPfree(outside);
    RPcropInPlace(image, 4, 3, 1, 1);
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.pixels[2], 43);
    RPfree(image);
}

TEST(RasterImage, flipsMirrorWholePixels) {
    RasterImage image = pattern(3, 2);
    HFlip(image);
    EXPECT_EQ(RPgetPixel(3, 24, image.pixels, 0, 1)[0], 2);
    EXPECT_EQ(RPgetPixel(3, 24, image.pixels, 1, 1)[0], 1);  // middle column stays
    EXPECT_EQ(RPgetPixel(3, 24, image.pixels, 2, 1)[2], 1);
    VFlip(image);
    EXPECT_EQ(RPgetPixel(3, 24, image.pixels, 0, 0)[1], 1);
    RPfree(image);

    RasterImage row = pattern(4, 1);
    RasterImage before = RPclone(row);
    VFlip(row);
    EXPECT_EQ(std::memcmp(row.pixels, before.pixels, 12), 0);
    RPfree(row);
    RPfree(before);

    RasterImage bits{};
    bits.bitsPerPixel = 1;
    testing::internal::CaptureStdout();
    HFlip(bits);
    VFlip(bits);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "HFlip operation does not support this bitdepth: 1 BPP\n"
              "VFlip operation does not support this bitdepth: 1 BPP\n");
}

TEST(RasterImage, quarterTurnsMoveEveryPixel) {
    for (int bpp : {8, 24}) {
        RasterImage old = pattern(4, 2, bpp);
        RasterImage right = RPclone(old);
        RProtate(right, 90);
        ASSERT_EQ(right.width, 2);
        ASSERT_EQ(right.height, 4);
        // Clockwise: new (j, i) = old (i, 1 - j); the old top-left ends top-right.
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 2; ++j)
                EXPECT_EQ(std::memcmp(RPgetPixel(2, bpp, right.pixels, j, i),
                                      RPgetPixel(4, bpp, old.pixels, i, 1 - j), bpp / 8),
                          0);
        RasterImage left = RPclone(old);
        RProtate(left, -90);
        ASSERT_EQ(left.width, 2);
        // Counter-clockwise: the old top-left ends bottom-left, old top-right top-left.
        EXPECT_EQ(RPgetPixel(2, bpp, left.pixels, 0, 3)[0], 0);
        EXPECT_EQ(RPgetPixel(2, bpp, left.pixels, 0, 0)[0], 3);
        RasterImage alsoRight = RPclone(old);
        RProtate(alsoRight, 450);
        EXPECT_EQ(std::memcmp(alsoRight.pixels, right.pixels, RPstride(2, bpp) * 4), 0);
        for (double same : {0.0, 360.0, -720.0, 0.7}) {
            RasterImage copy = RPclone(old);
            RProtate(copy, same);
            EXPECT_EQ(copy.width, 4);
            EXPECT_EQ(std::memcmp(copy.pixels, old.pixels, RPstride(4, bpp) * 2), 0);
            RPfree(copy);
        }
        RasterImage half = RPclone(old);
        RProtate(half, 180);
        EXPECT_EQ(std::memcmp(RPgetPixel(4, bpp, half.pixels, 3, 1), old.pixels, bpp / 8), 0);
        for (RasterImage* r : {&old, &right, &left, &alsoRight, &half}) RPfree(*r);
    }
    RasterImage deep = pattern(4, 2, 32);
    RProtate(deep, 90);
    EXPECT_EQ(deep.width, 4);  // 32-bit images are not rotated
    RPfree(deep);
}

TEST(RasterImage, shearRotationEnlargesAndKeepsThePicture) {
    RasterImage image = RPcreate(20, 10, 24);
    RPfillColour(image, 0, 0, 0, 0);
    RProtate(image, 30);
    EXPECT_EQ(image.width, 25);   // ceil(20 cos 30 + 10 sin 30) and a pixel either side
    EXPECT_EQ(image.height, 21);  // ceil(20 sin 30 + 10 cos 30) and a pixel either side
    int ink = 0, background = 0;
    for (int i = 0; i < image.width * image.height; ++i) {
        if (image.pixels[3 * i] == 0) ++ink;
        if (image.pixels[3 * i] == 255) ++background;
    }
    EXPECT_EQ(ink + background, image.width * image.height);
    EXPECT_EQ(ink, 200);              // three whole-pixel shears move every pixel, none is lost
    EXPECT_EQ(image.pixels[0], 255);  // corners are background
    RPfree(image);
}

TEST(RasterImage, blendRoundsHalfUpAndClipsOnEverySide) {
    // Overlay 6 x 6: colour 200, transparency 128 (t = 128 / 255).
    std::vector<std::uint8_t> overlay(6 * 6 * 4);
    for (std::size_t i = 0; i < overlay.size(); i += 4) {
        overlay[i] = overlay[i + 1] = overlay[i + 2] = 200;
        overlay[i + 3] = 128;
    }
    const std::uint8_t expected = 150;  // 128/255*100 + 127/255*200 = 149.8 -> 150
    struct Case {
        int x, y;
    };
    for (Case c : {Case{-3, -3}, Case{2, -3}, Case{-3, 2}, Case{2, 2}, Case{-1, -1}, Case{-2, 1},
                   Case{1, -4}, Case{4, 1}, Case{1, 4}, Case{-6, 0}, Case{10, 10}, Case{-100, 2}}) {
        for (int bpp : {24, 32}) {
            GuardedTarget target(4, 4, bpp, 100);
            ASSERT_EQ(RPblend(target.image, c.x, c.y, 6, 6, 32, overlay.data()), 0);
            EXPECT_TRUE(target.guardsIntact()) << c.x << "," << c.y;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    const bool covered = x >= c.x && x < c.x + 6 && y >= c.y && y < c.y + 6;
                    EXPECT_EQ(target.at(x, y, 1), covered ? expected : 100) << x << "," << y;
                    if (bpp == 32) {
                        EXPECT_EQ(target.at(x, y, 3), covered ? 0 : 100);
                    }
                }
        }
    }
    GuardedTarget target(4, 4, 24, 100);
    EXPECT_EQ(RPblend(target.image, 0, 0, 2, 2, 24, overlay.data()), -1);
    EXPECT_EQ(target.at(0, 0, 0), 100);
    // Fully transparent keeps the target, fully opaque replaces it.
    overlay[3] = 255;
    overlay[7] = 0;
    RPblend(target.image, 0, 0, 2, 1, 32, overlay.data());
    EXPECT_EQ(target.at(0, 0, 0), 100);
    EXPECT_EQ(target.at(1, 0, 0), 200);
}

TEST(RasterImage, pasteCutsAwayWhatFallsOutside) {
    RasterImage source = pattern(3, 3);
    struct Case {
        int x, y;
    };
    for (Case c : {Case{0, 0}, Case{2, 2}, Case{-1, -2}, Case{-2, 3}, Case{3, -1}, Case{-3, 0},
                   Case{5, 5}}) {
        GuardedTarget target(5, 5, 24, 99);
        RPpaste(target.image, c.x, c.y, source);
        EXPECT_TRUE(target.guardsIntact());
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const int sx = x - c.x, sy = y - c.y;
                const bool covered = sx >= 0 && sx < 3 && sy >= 0 && sy < 3;
                EXPECT_EQ(target.at(x, y, 0), covered ? sx : 99);
                EXPECT_EQ(target.at(x, y, 1), covered ? sy : 99);
            }
    }
    RPfree(source);
}

TEST(RasterImage, expandsPalettesOnlyToTrueColour) {
    RasterImage grey = pattern(3, 1, 8);
    RPsetGreyPalette(grey);
    grey.palette[3 * 2] = 77;
    RasterImage wide = RPexpandPalette(grey, 32);
    EXPECT_EQ(wide.bitsPerPixel, 32);
    EXPECT_EQ(wide.pixels[4 * 1 + 2], 1);
    EXPECT_EQ(wide.pixels[4 * 2], 77);
    testing::internal::CaptureStdout();
    RasterImage odd = RPexpandPalette(grey, 16);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Pics can only be expanded to 24 or 32 bit");
    for (RasterImage* r : {&grey, &wide, &odd}) RPfree(*r);
}

TEST(RasterImage, printInfoListsEveryField) {
    RasterImage image = RPcreate(2, 3, 8);
    RPsetGreyPalette(image);
    image.yOffset = -4;
    testing::internal::CaptureStdout();
    RPprintInfo(image);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Status              : 0\n"
                                                      "Info string         : None\n"
                                                      "Width               : 2\n"
                                                      "Height              : 3\n"
                                                      "X offset            : 0\n"
                                                      "Y offset            : -4\n"
                                                      "# pixels            : 6\n"
                                                      "Bits per pixel      : 8\n"
                                                      "Pixel format        : 2\n"
                                                      "EPI included        : No\n"
                                                      "Palette included    : Yes\n"
                                                      "Palette size        : 256 (768 bytes)\n"
                                                      "Extension included  : No\n"
                                                      "Extension size      : 0\n"
                                                      "Extension type      : 0\n");
    RPfree(image);
}

}  // namespace
}  // namespace kavlo::imaging
