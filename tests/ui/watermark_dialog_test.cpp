// SPDX-License-Identifier: MIT
// Watermark editor logic: the font list, the configured font and size, and the preview
// (backdrop by text colour, transparency, emptying).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../core/scripted_platform.h"
#include "ui/watermark_dialog.h"

namespace fs = std::filesystem;
namespace kavlo::ui {

using core::CustomColours;
using imaging::RasterImage;
using imaging::RPgetPixel;
using kavlo::test::ScriptedPlatform;
using util::Colour;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kDejaVuBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

/// A ".ttf" file that is no font: its name reads as empty.
std::string brokenFont() {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "ui-watermark";
    fs::create_directories(dir);
    const std::string path = (dir / "Broken.ttf").string();
    std::ofstream(path) << "not a font";
    return path;
}

WatermarkDialog::Values values(const std::string& text, Colour colour) {
    WatermarkDialog::Values v;
    v.text = text;
    v.fontFile = "DejaVuSans.ttf";
    v.sizeText = "20";
    v.colour = colour;
    return v;
}

/// Bytes of the preview pixel (x, y): blue, green, red.
std::array<int, 3> pixel(const RasterImage& image, int x, int y) {
    const std::uint8_t* p = RPgetPixel(image.width, 24, image.pixels, x, y);
    return {p[0], p[1], p[2]};
}

/// Number of preview pixels that are not the backdrop.
int inkPixels(const RasterImage& image, std::array<int, 3> backdrop) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) n += pixel(image, x, y) != backdrop;
    return n;
}

class ColourPlatform : public ScriptedPlatform {
public:
    std::optional<Colour> chooseColour(Colour, CustomColours&) override { return 0x000000; }
};

}  // namespace

TEST(WatermarkFonts, namedFontsAreListedAndTheConfiguredOneSelected) {
    ScriptedPlatform platform;
    WatermarkDialog dlg(platform, values("Abc", 0xFFFFFF), {kDejaVuBold, brokenFont(), kDejaVu});
    dlg.open();
    EXPECT_EQ(dlg.fontItems(), (std::vector<std::string>{"DejaVu Sans", "DejaVu Sans Bold"}));
    EXPECT_EQ(dlg.fontMap().at("DejaVu Sans"), kDejaVu);
    EXPECT_EQ(dlg.fontName, "DejaVu Sans");
    EXPECT_EQ(dlg.sizeText, "20");
    // The preview found the font: the full path is handed back.
    EXPECT_EQ(dlg.result().fontFile, kDejaVu);
}

TEST(WatermarkFonts, anUnknownFontOrSizeLeavesTheListsWithoutSelection) {
    ScriptedPlatform platform;
    WatermarkDialog::Values in = values("Abc", 0xFFFFFF);
    in.fontFile = "Elsewhere.ttf";
    in.sizeText = "22";
    WatermarkDialog dlg(platform, in, {kDejaVu});
    dlg.open();
    EXPECT_EQ(dlg.fontName, "");
    EXPECT_EQ(dlg.sizeText, "");
    EXPECT_EQ(dlg.preview().pixels, nullptr);
    EXPECT_EQ(dlg.result().fontFile, "Elsewhere.ttf");
    EXPECT_EQ(dlg.result().sizeText, "");
}

TEST(WatermarkPreview, lightTextShowsOnBlackAndDarkTextOnWhite) {
    ScriptedPlatform platform;
    WatermarkDialog white(platform, values("Kavlo", 0xFFFFFF), {kDejaVu});
    white.open();
    ASSERT_NE(white.preview().pixels, nullptr);
    EXPECT_EQ(pixel(white.preview(), 0, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_GT(inkPixels(white.preview(), {0, 0, 0}), 20);

    WatermarkDialog blue(platform, values("Kavlo", 0x800000), {kDejaVu});  // dark blue
    blue.open();
    ASSERT_NE(blue.preview().pixels, nullptr);
    EXPECT_EQ(pixel(blue.preview(), 0, 0), (std::array<int, 3>{255, 255, 255}));
    // Ink is blue: where a pixel is fully covered, blue stays high and red drops.
    bool sawBlue = false;
    for (int y = 0; y < blue.preview().height; ++y)
        for (int x = 0; x < blue.preview().width; ++x) {
            auto p = pixel(blue.preview(), x, y);
            sawBlue |= p[0] >= 120 && p[2] < 40;
        }
    EXPECT_TRUE(sawBlue);
}

TEST(WatermarkPreview, transparencyFadesTheInkTowardsTheBackdrop) {
    ScriptedPlatform platform;
    WatermarkDialog dlg(platform, values("Kavlo", 0xFFFFFF), {kDejaVu});
    dlg.open();
    auto brightest = [&] {
        int best = 0;
        for (int y = 0; y < dlg.preview().height; ++y)
            for (int x = 0; x < dlg.preview().width; ++x)
                best = std::max(best, pixel(dlg.preview(), x, y)[0]);
        return best;
    };
    EXPECT_EQ(brightest(), 255);
    dlg.transparency = 5;
    dlg.updatePreview();
    EXPECT_LE(brightest(), 128);
    EXPECT_GE(brightest(), 126);
}

TEST(WatermarkPreview, emptyTextEmptiesThePreviewAndKeepsTheFont) {
    ScriptedPlatform platform;
    WatermarkDialog dlg(platform, values("Kavlo", 0xFFFFFF), {kDejaVu, kDejaVuBold});
    dlg.open();
    ASSERT_NE(dlg.preview().pixels, nullptr);
    dlg.text.clear();
    dlg.fontName = "DejaVu Sans Bold";
    dlg.updatePreview();
    EXPECT_EQ(dlg.preview().pixels, nullptr);
    EXPECT_EQ(dlg.fontFile(), kDejaVu);
    dlg.text = "x";
    dlg.updatePreview();
    EXPECT_NE(dlg.preview().pixels, nullptr);
    EXPECT_EQ(dlg.fontFile(), kDejaVuBold);
}

TEST(WatermarkPreview, aChosenColourRendersAgainOnTheOtherBackdrop) {
    ColourPlatform platform;
    WatermarkDialog dlg(platform, values("Kavlo", 0xFFFFFF), {kDejaVu});
    dlg.open();
    EXPECT_EQ(pixel(dlg.preview(), 0, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_TRUE(dlg.chooseColour());
    EXPECT_EQ(dlg.colour, 0u);
    EXPECT_EQ(pixel(dlg.preview(), 0, 0), (std::array<int, 3>{255, 255, 255}));
}

}  // namespace kavlo::ui
