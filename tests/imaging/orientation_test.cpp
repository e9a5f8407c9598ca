// SPDX-License-Identifier: MIT
// Pictures turned upright by all eight orientations, and TIFF pages read whole and
// faithful: the Orientation tag, colours beside an alpha channel, a file that ends early.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/codecs.h"
#include "imaging/orientation.h"
#include "imaging/source_image.h"
#include "support/oriented_pictures.h"
#include "util/diagnostics.h"

#include <tiffio.h>

namespace kavlo::imaging {
namespace {

namespace fs = std::filesystem;
using test::quarterPicture;
using test::showsQuartersUpright;
using test::storedAs;
using test::writeOrientedTiff;

std::string scratch(const std::string& name) {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "imaging" / "orientation";
    fs::create_directories(dir);
    return (dir / name).string();
}

bool samePixels(const RasterImage& a, const RasterImage& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.pixels && b.pixels &&
           std::memcmp(a.pixels, b.pixels, std::size_t(a.width) * a.height * 3) == 0;
}

TEST(Orientation, everyValueTurnsTheStoredPictureUpright) {
    RasterImage upright = quarterPicture(12, 8);
    for (int o = 1; o <= 8; ++o) {
        RasterImage stored = storedAs(upright, o);
        EXPECT_EQ(stored.width, orientationSwapsSides(o) ? 8 : 12) << o;
        EXPECT_EQ(orientationNeedsTurn(o), o != 1);
        RPorientUpright(stored, o);
        EXPECT_TRUE(samePixels(stored, upright)) << "orientation " << o;
        RPfree(stored);
    }
    // No orientation, or one out of range, leaves the picture as it is.
    for (int o : {0, 9, -1}) {
        RasterImage copy = RPclone(upright);
        RPorientUpright(copy, o);
        EXPECT_TRUE(samePixels(copy, upright)) << o;
        RPfree(copy);
    }
    RPfree(upright);
}

TEST(TiffRead, everyOrientationTagComesOutUpright) {
    RasterImage upright = quarterPicture(24, 16);
    for (int o = 1; o <= 8; ++o) {
        const std::string path = scratch("oriented_" + std::to_string(o) + ".tif");
        ASSERT_TRUE(writeOrientedTiff(path, upright, o));
        RasterImage read = RPreadTiff(path);
        EXPECT_TRUE(samePixels(read, upright)) << "orientation " << o;
        RPfree(read);
        DecodedImage decoded = readTiffImage(path, ReadOptions{});
        EXPECT_TRUE(samePixels(decoded.picture.record(), upright)) << "orientation " << o;
        EXPECT_EQ(decoded.storedWidth, 24);
        EXPECT_TRUE(decoded.orientationApplied);
    }
    RPfree(upright);
}

// Writes a 4 x 4 RGBA TIFF whose every pixel is (r, g, b, a) with the given kind of alpha.
void writeAlphaTiff(const std::string& path, int bits, std::uint16_t kind, std::uint16_t r,
                    std::uint16_t g, std::uint16_t b, std::uint16_t a) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4u);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 4u);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4u);
    std::vector<std::uint8_t> row(4 * 4 * std::size_t(bits / 8));
    for (int x = 0; x < 4; ++x) {
        const std::uint16_t v[4] = {r, g, b, a};
        for (int c = 0; c < 4; ++c) {
            if (bits == 8) {
                row[std::size_t(x) * 4 + c] = std::uint8_t(v[c]);
            } else {
                const std::uint16_t wide = std::uint16_t(v[c] * 257);
                std::memcpy(&row[(std::size_t(x) * 4 + c) * 2], &wide, 2);
            }
        }
    }
    for (std::uint32_t y = 0; y < 4; ++y) ASSERT_GE(TIFFWriteScanline(tif, row.data(), y, 0), 0);
    TIFFClose(tif);
}

TEST(TiffRead, alphaIsDroppedWithoutDarkeningTheColours) {
    for (int bits : {8, 16}) {
        // Unassociated: the colours are as stored whatever the alpha.
        const std::string plain = scratch("unassociated_" + std::to_string(bits) + ".tif");
        writeAlphaTiff(plain, bits, EXTRASAMPLE_UNASSALPHA, 200, 120, 40, 64);
        RasterImage image = RPreadTiff(plain);
        ASSERT_EQ(image.width, 4);
        EXPECT_EQ(image.pixels[0], 40) << bits;  // blue, green, red
        EXPECT_EQ(image.pixels[1], 120) << bits;
        EXPECT_EQ(image.pixels[2], 200) << bits;
        RPfree(image);
        // Associated: the colours are stored multiplied already and stay so.
        const std::string multiplied = scratch("associated_" + std::to_string(bits) + ".tif");
        writeAlphaTiff(multiplied, bits, EXTRASAMPLE_ASSOCALPHA, 50, 30, 10, 64);
        image = RPreadTiff(multiplied);
        ASSERT_EQ(image.width, 4);
        EXPECT_EQ(image.pixels[0], 10) << bits;
        EXPECT_EQ(image.pixels[2], 50) << bits;
        RPfree(image);
    }
}

// An uncompressed 40 x 32 RGB TIFF in strips of 8 rows, directory first and the strips
// after it, so that cutting the file keeps the directory and the first strips.
std::vector<std::uint8_t> directoryFirstTiff(std::vector<std::uint8_t>& pixels) {
    const std::uint32_t w = 40, h = 32, rows = 8, strips = h / rows;
    const std::uint32_t stripBytes = w * rows * 3;
    std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto u16 = [&](std::uint16_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(std::uint16_t(v));
        u16(std::uint16_t(v >> 16));
    };
    const std::uint32_t entries = 10;
    const std::uint32_t extra = 8 + 2 + entries * 12 + 4;  // bits, offsets, counts follow
    const std::uint32_t offsetsAt = extra + 6, countsAt = offsetsAt + 4 * strips;
    const std::uint32_t dataAt = countsAt + 4 * strips;
    u16(std::uint16_t(entries));
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t v) {
        u16(tag);
        u16(type);
        u32(count);
        if (type == 3 && count == 1) {
            u16(std::uint16_t(v));
            u16(0);
        } else {
            u32(v);
        }
    };
    entry(256, 4, 1, w);
    entry(257, 4, 1, h);
    entry(258, 3, 3, extra);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, 2);
    entry(273, 4, strips, offsetsAt);
    entry(277, 3, 1, 3);
    entry(278, 4, 1, rows);
    entry(279, 4, strips, countsAt);
    entry(284, 3, 1, 1);
    u32(0);
    u16(8), u16(8), u16(8);
    for (std::uint32_t s = 0; s < strips; ++s) u32(dataAt + s * stripBytes);
    for (std::uint32_t s = 0; s < strips; ++s) u32(stripBytes);
    pixels.resize(std::size_t(w) * h * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 7 + i / 120);
    out.insert(out.end(), pixels.begin(), pixels.end());  // red, green, blue
    return out;
}

TEST(TiffRead, fileThatEndsEarlyKeepsTheRowsReadAndGreyBelow) {
    std::vector<std::uint8_t> rgb;
    std::vector<std::uint8_t> bytes = directoryFirstTiff(rgb);
    const std::size_t dataAt = bytes.size() - rgb.size();
    // Cut in the middle of the third strip: two strips (16 rows) are whole.
    bytes.resize(dataAt + 40 * 3 * 20);
    const std::string path = scratch("ends_early.tif");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    util::DiagnosticCapture capture;
    util::ErrorCode code = util::ErrorCode::none;
    RasterImage image = RPreadTiff(path, &code);
    EXPECT_EQ(code, util::ErrorCode::truncated);
    ASSERT_EQ(image.width, 40);
    ASSERT_EQ(image.height, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 40; ++x) {
            const std::uint8_t* p = image.pixels + (std::size_t(y) * 40 + x) * 3;
            const std::uint8_t* s = rgb.data() + (std::size_t(y) * 40 + x) * 3;
            if (y < 16) {
                ASSERT_TRUE(p[0] == s[2] && p[1] == s[1] && p[2] == s[0]) << x << "," << y;
            } else {
                ASSERT_TRUE(p[0] == 128 && p[1] == 128 && p[2] == 128) << x << "," << y;
            }
        }
    RPfree(image);
    ASSERT_EQ(capture.diagnostics().size(), 1u);
    const util::Diagnostic& said = capture.diagnostics()[0];
    EXPECT_EQ(said.severity, util::Severity::warning);
    EXPECT_EQ(said.code, util::ErrorCode::truncated);
    EXPECT_EQ(said.line().rfind("RPreadTiff: " + path + ": truncated: 16 of 32 rows read", 0), 0u)
        << said.text;

    // Nothing left of the pixels: no picture, one error.
    bytes.resize(dataAt);
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    capture.take();
    RasterImage none = RPreadTiff(path, &code);
    EXPECT_EQ(none.width, 0);
    EXPECT_EQ(none.pixels, nullptr);
    EXPECT_EQ(capture.codes(), std::vector<util::ErrorCode>{util::ErrorCode::corrupt});
}

}  // namespace
}  // namespace kavlo::imaging
