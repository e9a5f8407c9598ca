// SPDX-License-Identifier: MIT
#include "imaging/watermark.h"

#include "imaging/image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H

namespace kavlo::imaging {

using util::Colour;
using util::repairUtf8;
using util::WatermarkPosition;

namespace {

struct FaceDone {
    void operator()(FT_FaceRec_* face) const noexcept { FT_Done_Face(face); }
};
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDone>;

// One FreeType library per call: several images may be stamped on different threads.
class FontEngine {
public:
    FontEngine() { m_ok = FT_Init_FreeType(&m_library) == 0; }
    ~FontEngine() {
        if (m_ok) FT_Done_FreeType(m_library);
    }
    FontEngine(const FontEngine&) = delete;
    FontEngine& operator=(const FontEngine&) = delete;

    // The first face of the file, or null. Faces must be released before the engine,
    // which declaration order in the callers guarantees.
    FacePtr open(const std::string& fontFile) {
        FT_Face face = nullptr;
        if (!m_ok || FT_New_Face(m_library, fontFile.c_str(), 0, &face) != 0) return FacePtr();
        return FacePtr(face);
    }

private:
    FT_Library m_library = nullptr;
    bool m_ok = false;
};

// Code points of valid UTF-8 text (shortest forms only, no surrogates); false for
// anything else.
bool decodeUtf8(const std::string& text, std::vector<char32_t>& out) {
    out.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        int extra;
        char32_t cp;
        if (c < 0x80) {
            extra = 0;
            cp = c;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else return false;
        if (extra > 0 && i + std::size_t(extra) >= n) return false;  // cut short
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        out.push_back(cp);
        i += std::size_t(extra) + 1;
    }
    return true;
}

// Coverage value of bitmap pixel (j, row k), for 8-bit grey and 1-bit glyph bitmaps.
// A negative pitch means the rows are stored bottom row first.
int coverageAt(const FT_Bitmap& bitmap, unsigned k, unsigned j) {
    const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    const unsigned stored = bitmap.pitch < 0 ? bitmap.rows - 1 - k : k;
    const unsigned char* row = bitmap.buffer + std::size_t(stored) * std::size_t(pitch);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[j / 8] & (0x80 >> (j % 8))) ? 255 : 0;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) return row[j];
    return 0;
}

struct InkBox {
    int left, right, top, bottom;
};

// Ink bounds of an 8-bit render: smallest and largest column and row holding a value
// other than 255; the whole image when there is none, and a largest column or row of
// 0 reads as the last one.
InkBox inkBounds(const RasterImage& image) {
    int left = image.width, right = 0, top = image.height, bottom = 0;
    const std::size_t stride = RPstride(static_cast<std::uint32_t>(image.width), 8);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.pixels + std::size_t(y) * stride;
        for (int x = 0; x < image.width; ++x) {
            if (row[x] == 255) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (left == image.width) left = 0;
    if (top == image.height) top = 0;
    if (right == 0) right = image.width - 1;
    if (bottom == 0) bottom = image.height - 1;
    return {left, right, top, bottom};
}

}  // namespace

WatermarkPoint watermarkPlacement(WatermarkPosition position, int fontSize, int W, int H, int w,
                                  int h) {
    const int m = fontSize / 2 + 2;
    switch (position) {
    case WatermarkPosition::topLeft: return {m, m};
    case WatermarkPosition::topCentre: return {(W - w) / 2, m};
    case WatermarkPosition::topRight: return {W - w - m, m};
    case WatermarkPosition::bottomLeft: return {m, H - h - m};
    case WatermarkPosition::bottomCentre: return {(W - w) / 2, H - h - m};
    case WatermarkPosition::bottomRight: return {W - w - m, H - h - m};
    default: return {(W - w) / 2, (H - h) / 2};
    }
}

int watermarkShadowGrey(Colour colour) {
    const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    const int grey = (r + g + b) / 3;
    return std::clamp(grey > 127 ? grey - 170 : grey + 170, 0, 255);
}

RasterImage renderTextCoverage(const std::string& text, const std::string& fontFile, int size,
                               int margin) {
    // Beyond kMaxFontSize points a single glyph bitmap would take hundreds of megabytes.
    if (text.empty() || text.size() > 1023 || size <= 0 || size > kMaxFontSize || margin < 0 ||
        margin > 4096)
        return RasterImage{};
    std::vector<char32_t> chars;
    if (!decodeUtf8(text, chars)) return RasterImage{};
    FontEngine engine;
    FacePtr face = engine.open(fontFile);
    if (!face) return RasterImage{};
    if (FT_Set_Char_Size(face.get(), FT_F26Dot6(size) * 64, FT_F26Dot6(size) * 64, 96, 96) != 0)
        return RasterImage{};

    // Measuring pass: ink extent of all glyphs along a pen that advances in fractions.
    double pen = 0.0;
    bool any = false;
    long minLeft = 0, maxRight = 0, maxTop = 0, minBottom = 0;
    for (char32_t ch : chars) {
        if (FT_Load_Char(face.get(), ch, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = face->glyph;
        const long x0 = static_cast<long>(std::trunc(pen + 0.5)) + g->bitmap_left;
        const long right = x0 + long(g->bitmap.width);
        const long top = g->bitmap_top;
        const long bottom = top - long(g->bitmap.rows);
        if (!any) {
            minLeft = x0;
            maxRight = right;
            maxTop = top;
            minBottom = bottom;
            any = true;
        } else {
            minLeft = std::min(minLeft, x0);
            maxRight = std::max(maxRight, right);
            maxTop = std::max(maxTop, top);
            minBottom = std::min(minBottom, bottom);
        }
        pen += g->advance.x / 64.0;
    }
    if (!any) return RasterImage{};
    const long width = 2L * margin + maxRight - minLeft + 1;
    const long height = 2L * margin + maxTop - minBottom + 1;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return RasterImage{};
    Image image = Image::create(std::uint32_t(width), std::uint32_t(height), 8);
    if (image.empty() || RPsetGreyPalette(image.record()) != 0) return RasterImage{};
    RPfillIndex(image.record(), 255);

    // Drawing pass: same pen, glyph rows placed from the common baseline.
    pen = double(margin - minLeft);
    const double baseline = double(margin - minBottom);
    const long baseRow = height - 1 - static_cast<long>(std::trunc(baseline + 0.5));
    for (char32_t ch : chars) {
        if (FT_Load_Char(face.get(), ch, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = face->glyph;
        const long x0 = static_cast<long>(std::trunc(pen + 0.5)) + g->bitmap_left;
        for (unsigned k = 0; k < g->bitmap.rows; ++k) {
            const long y = baseRow - g->bitmap_top + long(k);
            if (y < 0 || y >= height) continue;
            std::uint8_t* row = image.pixels() + std::size_t(y) * std::size_t(width);
            for (unsigned j = 0; j < g->bitmap.width; ++j) {
                const long x = x0 + long(j);
                if (x < 0 || x >= width) continue;
                const int c = coverageAt(g->bitmap, k, j);
                if (c != 0) row[x] = static_cast<std::uint8_t>(255 - c);
            }
        }
        pen += g->advance.x / 64.0;
    }
    return image.release();
}

RasterImage renderTextLine(int size, const std::string& text, const std::string& fontFile) {
    static const std::string alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const Image letters(renderTextCoverage(alphabet, fontFile, size, size));
    if (letters.width() == 0 || letters.height() == 0) return RasterImage{};
    const InkBox a = inkBounds(letters.record());
    Image line(renderTextCoverage(text, fontFile, size, size));
    if (line.width() == 0 || line.height() == 0) return RasterImage{};
    const InkBox t = inkBounds(line.record());
    // The alphabet's depth can reach below a short text's own render: clip to it.
    const int top = std::min(t.top, a.top);
    const int bottom = std::min(std::max(a.bottom, t.bottom), line.height() - 1);
    RPcropInPlace(line.record(), t.left, top, t.right - t.left + 1, bottom - top + 1);
    return line.release();
}

RasterImage renderTextOverlay(const std::string& text, const std::string& fontFile, int size,
                              std::uint8_t c0, std::uint8_t c1, std::uint8_t c2) {
    const Image line(renderTextLine(size, text, fontFile));
    if (line.width() == 0 || line.height() == 0) return RasterImage{};
    Image overlay = Image::create(std::uint32_t(line.width()), std::uint32_t(line.height()), 32);
    if (overlay.empty()) return RasterImage{};
    RPfillColour(overlay.record(), c0, c1, c2, 0);
    RPsetChannel(overlay.record(), std::uint32_t(line.width()), std::uint32_t(line.height()), 8,
                 line.pixels(), 3);
    return overlay.release();
}

void applyTransparency(RasterImage& overlay, int percent) {
    if (overlay.bitsPerPixel != 32 || overlay.pixels == nullptr || overlay.pixelCount == 0) return;
    const double keep = 1.0 - percent / 100.0;
    // One table entry per transparency value: the same formula, evaluated 256 times.
    std::uint8_t table[256];
    for (int a = 0; a < 256; ++a) {
        const double v = std::trunc(255.0 - keep * (255.0 - a));
        table[a] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
    }
    const std::size_t count = std::size_t(overlay.width) * std::size_t(overlay.height);
    for (std::size_t i = 0; i < count; ++i)
        overlay.pixels[4 * i + 3] = table[overlay.pixels[4 * i + 3]];
}

bool stampWatermark(const WatermarkStyle& style, const std::string& text, RasterImage& image) {
    if (text.empty()) return true;
    const auto g = static_cast<std::uint8_t>(watermarkShadowGrey(style.colour));
    Image shadow(renderTextOverlay(text, style.fontFile, style.fontSize, g, g, g));
    if (shadow.width() == 0 || shadow.height() == 0) return false;
    const WatermarkPoint at = watermarkPlacement(style.position, style.fontSize, image.width,
                                                 image.height, shadow.width(), shadow.height());
    const int percent = style.transparency * 10;
    applyTransparency(shadow.record(), percent);
    RPblend(image, at.x + 1, at.y + 1, shadow.width(), shadow.height(), 32, shadow.pixels());
    shadow.reset();
    const auto red = static_cast<std::uint8_t>(style.colour & 0xFF);
    const auto green = static_cast<std::uint8_t>((style.colour >> 8) & 0xFF);
    const auto blue = static_cast<std::uint8_t>((style.colour >> 16) & 0xFF);
    Image ink(renderTextOverlay(text, style.fontFile, style.fontSize, blue, green, red));
    // The shadow rendered, so the text did too; an empty one has nothing more to add.
    if (ink.width() == 0 || ink.height() == 0) return true;
    applyTransparency(ink.record(), percent);
    RPblend(image, at.x, at.y, ink.width(), ink.height(), 32, ink.pixels());
    return true;
}

std::string fontNameFromFile(const std::string& fontFile) {
    FontEngine engine;
    FacePtr face = engine.open(fontFile);
    if (!face) return std::string();
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face.get());
    // Names are read as single-byte text up to the first NUL, so UTF-16 records read
    // as empty; the full name (4) wins, the family name (1) is the fallback.
    auto find = [&](FT_UShort id) {
        for (FT_UInt i = 0; i < count; ++i) {
            FT_SfntName name;
            if (FT_Get_Sfnt_Name(face.get(), i, &name) != 0) continue;
            if (name.string_len >= 1024 || name.name_id != id) continue;
            const auto* s = reinterpret_cast<const char*>(name.string);
            std::string textName(s, strnlen(s, name.string_len));
            if (!textName.empty()) return textName;
        }
        return std::string();
    };
    std::string name = find(4);
    if (name.empty()) name = find(1);
    return repairUtf8(name);
}

}  // namespace kavlo::imaging
