// SPDX-License-Identifier: MIT
#include "imaging/watermark.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

namespace kavlo::imaging {

using util::WatermarkPosition;

namespace {

const std::string kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class Watermark : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kFont)) GTEST_SKIP() << "DejaVu Sans is not installed";
    }
};

RasterImage canvas(int w, int h, std::uint8_t value) {
    RasterImage image = RPcreate(w, h, 24);
    RPfillColour(image, value, value, value, 0);
    return image;
}

struct Box {
    int left = -1, right = -1, top = -1, bottom = -1;
};

// Bounding box of pixels that differ from `value` in any byte.
Box changed(const RasterImage& image, std::uint8_t value) {
    Box box;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.pixels + (std::size_t(y) * image.width + x) * 3;
            if (p[0] == value && p[1] == value && p[2] == value) continue;
            if (box.left < 0 || x < box.left) box.left = x;
            if (x > box.right) box.right = x;
            if (box.top < 0) box.top = y;
            box.bottom = y;
        }
    return box;
}

// Lowest row holding ink (value other than 255) in columns [x0, x1) of an 8-bit render.
int lowestInk(const RasterImage& image, int x0, int x1) {
    int lowest = -1;
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < x1; ++x)
            if (image.pixels[std::size_t(y) * image.width + x] != 255) lowest = y;
    return lowest;
}

TEST(WatermarkLayout, placementsFollowTheMarginTable) {
    // m = 8 / 2 + 2 = 6 on a 640 x 480 image with a 100 x 14 overlay.
    const int W = 640, H = 480, w = 100, h = 14;
    auto at = [&](int code) {
        const WatermarkPoint p =
            watermarkPlacement(static_cast<WatermarkPosition>(code), 8, W, H, w, h);
        return std::pair{p.x, p.y};
    };
    EXPECT_EQ(at(0), std::pair(6, 6));
    EXPECT_EQ(at(1), std::pair(270, 6));
    EXPECT_EQ(at(2), std::pair(534, 6));
    EXPECT_EQ(at(3), std::pair(6, 460));
    EXPECT_EQ(at(4), std::pair(270, 460));
    EXPECT_EQ(at(5), std::pair(534, 460));
    EXPECT_EQ(at(6), std::pair(270, 233));
    EXPECT_EQ(at(7), std::pair(270, 233));
    EXPECT_EQ(at(-1), std::pair(270, 233));
    EXPECT_EQ(watermarkPlacement(WatermarkPosition::topLeft, 13, W, H, w, h).x, 8);
}

TEST(WatermarkLayout, shadowContrastsWithTheTextColour) {
    EXPECT_EQ(watermarkShadowGrey(0xFFFFFF), 85);
    EXPECT_EQ(watermarkShadowGrey(0x000000), 170);
    EXPECT_EQ(watermarkShadowGrey(0x0000FF), 255);  // red 255: g = 85 -> 255 after clamping
    EXPECT_EQ(watermarkShadowGrey(0x808080), 0);    // 128 - 170 clamped
    EXPECT_EQ(watermarkShadowGrey(0x7F7F7F), 255);  // 127 + 170 clamped
}

TEST(WatermarkLayout, transparencyRaisesEveryFourthByte) {
    RasterImage overlay = RPcreate(4, 1, 32);
    RPfillColour(overlay, 1, 2, 3, 0);
    overlay.pixels[7] = 100;
    overlay.pixels[11] = 255;
    applyTransparency(overlay, 50);
    EXPECT_EQ(overlay.pixels[3], 127);  // 255 - 0.5 * 255 = 127.5, truncated
    EXPECT_EQ(overlay.pixels[7], 177);  // 255 - 0.5 * 155 = 177.5
    EXPECT_EQ(overlay.pixels[11], 255);
    EXPECT_EQ(overlay.pixels[0], 1);
    applyTransparency(overlay, 0);
    EXPECT_EQ(overlay.pixels[3], 127);
    applyTransparency(overlay, 100);
    EXPECT_EQ(overlay.pixels[3], 255);
    RPfillColour(overlay, 1, 2, 3, 10);
    applyTransparency(overlay, 250);  // out of range: clamped, never wrapped
    EXPECT_EQ(overlay.pixels[3], 255);
    RPfillColour(overlay, 1, 2, 3, 10);
    applyTransparency(overlay, -100);
    EXPECT_EQ(overlay.pixels[3], 0);
    RPfree(overlay);
}

TEST_F(Watermark, coverageRendersOnlyValidTextOfUpTo1023Bytes) {
    EXPECT_EQ(renderTextCoverage("", kFont, 8, 8).width, 0);
    EXPECT_EQ(renderTextCoverage(std::string(1024, 'a'), kFont, 8, 0).width, 0);
    EXPECT_EQ(renderTextCoverage("abc", "/no/such/font.ttf", 8, 0).width, 0);
    EXPECT_EQ(renderTextCoverage("ab\xC3", kFont, 8, 0).width, 0);        // cut short
    EXPECT_EQ(renderTextCoverage("\xC0\xAF", kFont, 8, 0).width, 0);      // overlong
    EXPECT_EQ(renderTextCoverage("\xED\xA0\x80", kFont, 8, 0).width, 0);  // surrogate
    RasterImage longest = renderTextCoverage(std::string(1023, 'i'), kFont, 8, 0);
    EXPECT_GT(longest.width, 1023);
    RPfree(longest);

    RasterImage text = renderTextCoverage("Kavlo", kFont, 12, 3);
    ASSERT_GT(text.width, 0);
    EXPECT_EQ(text.bitsPerPixel, 8);
    EXPECT_EQ(text.paletteSize, 256);
    // The margin is background, the middle holds ink.
    for (int x = 0; x < text.width; ++x) {
        EXPECT_EQ(text.pixels[x], 255);
        EXPECT_EQ(text.pixels[std::size_t(text.height - 1) * text.width + x], 255);
    }
    EXPECT_GE(lowestInk(text, 0, text.width), 3);
    RPfree(text);

    // One glyph per code point: two-byte "é" is as wide as one letter, not two.
    RasterImage one = renderTextCoverage("e", kFont, 20, 0),
                accented = renderTextCoverage("\xC3\xA9", kFont, 20, 0),
                two = renderTextCoverage("ee", kFont, 20, 0);
    EXPECT_EQ(accented.width, one.width);
    EXPECT_GT(two.width, one.width + 5);
    RPfree(one), RPfree(accented), RPfree(two);
}

TEST_F(Watermark, textsWithoutDescendersStandOnTheSameBaseline) {
    // The baseline distance between m and g comes from one render of both.
    RasterImage both = renderTextCoverage("mmmggg", kFont, 8, 0);
    ASSERT_GT(both.width, 0);
    const int descender =
        lowestInk(both, both.width / 2 + 2, both.width) - lowestInk(both, 0, both.width / 2 - 2);
    ASSERT_GT(descender, 0);
    RPfree(both);

    RasterImage lineM = renderTextLine(8, "mmm", kFont), lineG = renderTextLine(8, "ggg", kFont);
    ASSERT_GT(lineM.height, 0);
    // "mmm" gets room below its letters for the alphabet's descenders.
    EXPECT_GT(lineM.height - 1 - lowestInk(lineM, 0, lineM.width), 0);
    RPfree(lineM), RPfree(lineG);

    WatermarkStyle style;
    style.fontFile = kFont;
    style.colour = 0x000000;
    RasterImage m = canvas(640, 480, 255), g = canvas(640, 480, 255);
    ASSERT_TRUE(stampWatermark(style, "mmm", m));
    ASSERT_TRUE(stampWatermark(style, "ggg", g));
    // Black ink at (x, y), its grey shadow one pixel lower: compare the ink alone.
    auto lowestBlack = [](const RasterImage& image) {
        int lowest = -1;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                if (image.pixels[(std::size_t(y) * image.width + x) * 3] < 120) lowest = y;
        return lowest;
    };
    EXPECT_EQ(lowestBlack(g) - lowestBlack(m), descender);
    RPfree(m), RPfree(g);
}

TEST_F(Watermark, lineCropIsClippedToItsOwnRender) {
    // A dash at a small size renders shorter than the alphabet's ink reaches down.
    RasterImage alphabet =
        renderTextCoverage("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", kFont, 8, 8);
    RasterImage render = renderTextCoverage("-", kFont, 8, 8);
    ASSERT_GT(render.height, 0);
    ASSERT_GT(lowestInk(alphabet, 0, alphabet.width),
              render.height - 1);  // the crop would overhang
    int top = 0;
    while (lowestInk(render, 0, render.width) >= 0 && top < render.height &&
           std::all_of(render.pixels + std::size_t(top) * render.width,
                       render.pixels + std::size_t(top + 1) * render.width,
                       [](std::uint8_t v) { return v == 255; }))
        ++top;
    RasterImage line = renderTextLine(8, "-", kFont);
    ASSERT_GT(line.width, 0);
    EXPECT_EQ(line.height, render.height - top);  // ends on the render's last row
    for (int x = 0; x < line.width; ++x)
        EXPECT_EQ(line.pixels[std::size_t(line.height - 1) * line.width + x], 255);
    EXPECT_EQ(lowestInk(line, 0, line.width), lowestInk(render, 0, render.width) - top);
    RPfree(alphabet), RPfree(render), RPfree(line);
}

TEST_F(Watermark, overlayIsOpaqueInkOnInvisibleBackground) {
    RasterImage overlay = renderTextOverlay("Hi", kFont, 10, 10, 20, 30);
    ASSERT_GT(overlay.width, 0);
    EXPECT_EQ(overlay.bitsPerPixel, 32);
    int opaque = 0, invisible = 0;
    for (int i = 0; i < overlay.width * overlay.height; ++i) {
        EXPECT_EQ(overlay.pixels[4 * i], 10);
        EXPECT_EQ(overlay.pixels[4 * i + 2], 30);
        if (overlay.pixels[4 * i + 3] == 0) ++opaque;
        if (overlay.pixels[4 * i + 3] == 255) ++invisible;
    }
    EXPECT_GT(opaque, 5);
    EXPECT_GT(invisible, 5);
    RPfree(overlay);
    EXPECT_EQ(renderTextOverlay("Hi", "/no/such/font.ttf", 10, 0, 0, 0).width, 0);
}

TEST_F(Watermark, stampPlacesTextAndShadowAtTheCorner) {
    WatermarkStyle style;
    style.fontFile = kFont;
    RasterImage overlay = renderTextOverlay("Kavlo 2026", kFont, 8, 0, 0, 0);
    ASSERT_GT(overlay.width, 0);
    for (int number : {0, 2, 3, 5, 9}) {
        const auto position = static_cast<WatermarkPosition>(number);
        style.position = position;
        RasterImage image = canvas(640, 480, 100);
        ASSERT_TRUE(stampWatermark(style, "Kavlo 2026", image));
        const WatermarkPoint at =
            watermarkPlacement(position, 8, 640, 480, overlay.width, overlay.height);
        const Box box = changed(image, 100);
        // Text within (x, y) .. (x + w - 1, y + h - 1), shadow one pixel right and down.
        EXPECT_GE(box.left, at.x);
        EXPECT_GE(box.top, at.y);
        EXPECT_LE(box.right, at.x + overlay.width);
        EXPECT_LE(box.bottom, at.y + overlay.height);
        EXPECT_GT(box.right, box.left + 20);
        // White text and its grey-85 shadow both appear.
        bool white = false, shadow = false;
        for (int i = 0; i < 640 * 480; ++i) {
            white |= image.pixels[3 * i] == 255;
            shadow |= image.pixels[3 * i] == 85;
        }
        EXPECT_TRUE(white);
        EXPECT_TRUE(shadow);
        RPfree(image);
    }
    RPfree(overlay);
}

TEST_F(Watermark, transparencyAndColourReachThePixels) {
    WatermarkStyle style;
    style.fontFile = kFont;
    style.fontSize = 20;
    style.colour = 0x0000FF;  // red: stored blue 0, green 0, red 255
    style.transparency = 5;
    RasterImage image = canvas(400, 100, 0);
    ASSERT_TRUE(stampWatermark(style, "HHH", image));
    // Fully inked pixels: 127/255 of the background (0) and 128/255 of red.
    int halfRed = 0;
    for (int i = 0; i < 400 * 100; ++i)
        if (image.pixels[3 * i + 2] == 128 && image.pixels[3 * i] == 0) ++halfRed;
    EXPECT_GT(halfRed, 20);
    RPfree(image);
}

TEST_F(Watermark, nothingToRenderLeavesTheImageAlone) {
    WatermarkStyle style;
    style.fontFile = kFont;
    RasterImage image = canvas(50, 50, 77);
    EXPECT_TRUE(stampWatermark(style, "", image));
    EXPECT_EQ(changed(image, 77).left, -1);
    EXPECT_FALSE(stampWatermark(style, "bad \xFF text", image));
    EXPECT_FALSE(stampWatermark(style, std::string(1024, 'x'), image));
    style.fontFile = "/no/such/font.ttf";
    EXPECT_FALSE(stampWatermark(style, "text", image));
    EXPECT_EQ(changed(image, 77).left, -1);
    // Larger than the image: cut off, never an error.
    style.fontFile = kFont;
    style.fontSize = 60;
    EXPECT_TRUE(stampWatermark(style, "A very long watermark", image));
    RPfree(image);
}

TEST_F(Watermark, stampsRunSideBySideOnThreads) {
    WatermarkStyle style;
    style.fontFile = kFont;
    RasterImage reference = canvas(300, 200, 40);
    ASSERT_TRUE(stampWatermark(style, "Thread-safe text", reference));
    std::vector<RasterImage> images;
    for (int i = 0; i < 4; ++i) images.push_back(canvas(300, 200, 40));
    std::vector<std::thread> threads;
    for (auto& image : images)
        threads.emplace_back([&] {
            for (int k = 0; k < 5; ++k) {
                RasterImage local = canvas(300, 200, 40);
                stampWatermark(style, "Thread-safe text", local);
                if (k == 4) std::swap(local, image);
                RPfree(local);
            }
        });
    for (auto& t : threads) t.join();
    for (auto& image : images) {
        EXPECT_EQ(std::memcmp(image.pixels, reference.pixels, 300 * 200 * 3), 0);
        RPfree(image);
    }
    RPfree(reference);
}

TEST_F(Watermark, fontNameComesFromTheNameTable) {
    EXPECT_EQ(fontNameFromFile(kFont), "DejaVu Sans");
    EXPECT_EQ(fontNameFromFile("/no/such/font.ttf"), "");
    const std::string bold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    if (std::filesystem::exists(bold)) {
        EXPECT_EQ(fontNameFromFile(bold), "DejaVu Sans Bold");
    }
}

}  // namespace
}  // namespace kavlo::imaging
