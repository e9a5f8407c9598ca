// SPDX-License-Identifier: MIT
// Watermark text: one line of UTF-8 text rendered with FreeType from a TrueType file
// into a 32-bit overlay (fourth byte transparency, 255 = invisible) and stamped onto
// an image with a one-pixel drop shadow at one of seven placements.
//
// Common rules:
// - Text is UTF-8, one glyph per Unicode code point; texts of 1..1023 bytes of valid
//   UTF-8 are rendered, anything else renders to the empty image. No kerning.
// - Sizes are in points at 96 dots per inch.
// - Each call creates and destroys its own FreeType objects: the functions may run on
//   several threads at once. Nothing is cached and nothing is printed.
#pragma once

#include <string>

#include "imaging/raster_image.h"
#include "util/positions.h"
#include "util/text.h"

namespace kavlo::imaging {

/// How the watermark looks (the album's itfontfile, itfontsize, itposition, ittransp,
/// itcolor settings).
struct WatermarkStyle {
    std::string fontFile;  ///< full path of the .ttf file
    int fontSize = 8;      ///< points
    util::WatermarkPosition position = util::WatermarkPosition::bottomRight;
    int transparency = 0;            ///< tenths: 0 opaque .. 10 invisible
    util::Colour colour = 0xFFFFFF;  ///< red in the lowest byte
};

/// Where an overlay of w x h goes on a W x H image, with margin m = fontSize / 2 + 2
/// from the edges it sits at; centre and any number outside the named positions centre it.
struct WatermarkPoint {
    int x;
    int y;
};
WatermarkPoint watermarkPlacement(util::WatermarkPosition position, int fontSize, int imageWidth,
                                  int imageHeight, int overlayWidth, int overlayHeight);
/// Grey of the drop shadow for a text colour: g = (r + g + b) / 3, then g - 170 when
/// g > 127, else g + 170.
int watermarkShadowGrey(util::Colour colour);

/// Largest character size rendered, in points.
inline constexpr int kMaxFontSize = 1000;

/// 8-bit grey-palette image of the text (background 255, ink 255 - coverage) with a
/// margin of `margin` pixels (0..4096) at `size` points (1..kMaxFontSize); the empty
/// image when nothing could be rendered.
RasterImage renderTextCoverage(const std::string& text, const std::string& fontFile, int size,
                               int margin);
/// The coverage render cropped to one line box: from the text's own top ink row, at
/// least as deep as the ink of the whole alphabet (clipped to the render).
RasterImage renderTextLine(int size, const std::string& text, const std::string& fontFile);
/// 32-bit overlay: colour bytes c0, c1, c2 with the line render as transparency (ink
/// opaque, background invisible); the empty image when nothing could be rendered.
RasterImage renderTextOverlay(const std::string& text, const std::string& fontFile, int size,
                              std::uint8_t c0, std::uint8_t c1, std::uint8_t c2);
/// Every transparency byte a becomes trunc(255 - (1 - percent / 100) x (255 - a)).
void applyTransparency(RasterImage& overlay, int percent);
/// Stamps `text` onto a 24- or 32-bit image: shadow in watermarkShadowGrey at (x+1, y+1),
/// the text in the style's colour at (x, y), both with the style's transparency.
/// An empty text stamps nothing and returns true; false when the text rendered to
/// nothing (image unchanged).
bool stampWatermark(const WatermarkStyle& style, const std::string& text, RasterImage& image);
/// The font's full name (SFNT name 4), else its family name (name 1); "" when the file
/// cannot be read or holds no single-byte name.
std::string fontNameFromFile(const std::string& fontFile);

}  // namespace kavlo::imaging
