// SPDX-License-Identifier: MIT
// Test pictures whose every orientation can be told apart: four quarters of four
// colours, stored as a camera stores them for each of the eight orientations (JPEG
// with an Exif block holding the orientation, TIFF with its Orientation tag), and the
// check that a decoded picture shows the quarters upright.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/codecs.h"
#include "imaging/raster_image.h"
#include "support/file_bytes.h"

#include <tiffio.h>

namespace kavlo::test {

/// Colours of the quarters, blue, green, red: top left red, top right green, bottom
/// left blue, bottom right white.
inline constexpr std::uint8_t kQuarterColours[4][3] = {
    {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}};

/// The upright w x h picture of four quarters.
inline imaging::RasterImage quarterPicture(int w, int h) {
    imaging::RasterImage image = imaging::RPcreate(std::uint32_t(w), std::uint32_t(h), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int quarter = (y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1);
            for (int c = 0; c < 3; ++c)
                image.pixels[(std::size_t(y) * w + x) * 3 + c] = kQuarterColours[quarter][c];
        }
    return image;
}

/// The stored picture whose upright form, by the definition of orientation `o` (where
/// the stored row 0 and column 0 lie when shown), is `upright`.
inline imaging::RasterImage storedAs(const imaging::RasterImage& upright, int o) {
    const int dw = upright.width, dh = upright.height;
    const bool swapped = o >= 5 && o <= 8;
    const int sw = swapped ? dh : dw, sh = swapped ? dw : dh;
    imaging::RasterImage stored = imaging::RPcreate(std::uint32_t(sw), std::uint32_t(sh), 24);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            int sx = x, sy = y;
            switch (o) {
            case 2: sx = sw - 1 - x; break;
            case 3: sx = sw - 1 - x, sy = sh - 1 - y; break;
            case 4: sy = sh - 1 - y; break;
            case 5: sx = y, sy = x; break;                    // row 0 left, column 0 top
            case 6: sx = y, sy = sh - 1 - x; break;           // row 0 right, column 0 top
            case 7: sx = sw - 1 - y, sy = sh - 1 - x; break;  // row 0 right, column 0 bottom
            case 8: sx = sw - 1 - y, sy = x; break;           // row 0 left, column 0 bottom
            default: break;
            }
            for (int c = 0; c < 3; ++c)
                stored.pixels[(std::size_t(sy) * sw + sx) * 3 + c] =
                    upright.pixels[(std::size_t(y) * dw + x) * 3 + c];
        }
    return stored;
}

/// Writes the picture stored for `upright` with orientation `o` as a JPEG whose Exif
/// block (APP1, after the JFIF segment) holds that orientation.
inline bool writeOrientedJpeg(const std::string& path, const imaging::RasterImage& upright, int o,
                              int quality = 95) {
    imaging::RasterImage stored = storedAs(upright, o);
    const bool written = imaging::RPwriteJpeg(path, quality, nullptr, stored) == 0;
    imaging::RPfree(stored);
    if (!written) return false;
    std::vector<std::uint8_t> bytes = fileBytes(path);
    if (bytes.size() < 4) return false;
    // Big-endian TIFF header, IFD0 with the one entry Orientation (274, SHORT, 1).
    const std::vector<std::uint8_t> exif = {
        0xFF, 0xE1, 0x00, 0x22, 'E',  'x',  'i',  'f',  0,    0,
        'M',  'M',  0x00, 0x2A, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01,
        0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, std::uint8_t(o),
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    std::size_t at = 2;
    if (bytes[2] == 0xFF && bytes[3] == 0xE0) at = 4 + ((std::size_t(bytes[4]) << 8) | bytes[5]);
    bytes.insert(bytes.begin() + std::ptrdiff_t(at), exif.begin(), exif.end());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

/// Writes the picture stored for `upright` with orientation `o` as an uncompressed RGB
/// TIFF (strips of 8 rows) whose Orientation tag is `o`.
inline bool writeOrientedTiff(const std::string& path, const imaging::RasterImage& upright, int o) {
    imaging::RasterImage stored = storedAs(upright, o);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    bool ok = tif != nullptr;
    if (ok) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(stored.width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(stored.height));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, std::uint16_t(o));
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
        std::vector<std::uint8_t> row(std::size_t(stored.width) * 3);
        for (int y = 0; y < stored.height && ok; ++y) {
            const std::uint8_t* p = stored.pixels + std::size_t(y) * row.size();
            for (int x = 0; x < stored.width; ++x) {
                row[x * 3 + 0] = p[x * 3 + 2];
                row[x * 3 + 1] = p[x * 3 + 1];
                row[x * 3 + 2] = p[x * 3 + 0];
            }
            ok = TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) >= 0;
        }
        TIFFClose(tif);
    }
    imaging::RPfree(stored);
    return ok;
}

/// Whether a 24-bit picture shows the four quarters upright: the pixel at the centre of
/// each quarter has the quarter's colour within `tolerance` in every byte.
inline ::testing::AssertionResult showsQuartersUpright(const imaging::RasterImage& image,
                                                       int tolerance = 40) {
    if (image.width < 2 || image.height < 2 || image.pixels == nullptr || image.bitsPerPixel != 24)
        return ::testing::AssertionFailure() << "no 24-bit picture";
    const int xs[2] = {image.width / 4, image.width * 3 / 4};
    const int ys[2] = {image.height / 4, image.height * 3 / 4};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const std::uint8_t* p =
            image.pixels + (std::size_t(ys[quarter / 2]) * image.width + xs[quarter % 2]) * 3;
        for (int c = 0; c < 3; ++c) {
            if (std::abs(int(p[c]) - int(kQuarterColours[quarter][c])) > tolerance)
                return ::testing::AssertionFailure()
                       << "quarter " << quarter << " is (" << int(p[0]) << ", " << int(p[1]) << ", "
                       << int(p[2]) << ") in a " << image.width << " x " << image.height
                       << " picture";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace kavlo::test
