// SPDX-License-Identifier: MIT
// TIFF writing for the generation tests.
#include "test_support.h"

#include <tiffio.h>

#include <vector>

namespace kavlo::test {

using imaging::RasterImage;
using imaging::RPstride;

bool writeTestTiff(const std::string& path, const RasterImage& image) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return false;
    const auto w = static_cast<std::uint32_t>(image.width);
    const auto h = static_cast<std::uint32_t>(image.height);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
    bool ok = true;
    const std::size_t stride = RPstride(w, 24);
    for (std::uint32_t y = 0; y < h && ok; ++y) {
        const std::uint8_t* src = image.pixels + y * stride;
        for (std::uint32_t x = 0; x < w; ++x) {
            row[x * 3 + 0] = src[x * 3 + 2];
            row[x * 3 + 1] = src[x * 3 + 1];
            row[x * 3 + 2] = src[x * 3 + 0];
        }
        ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    TIFFClose(tif);
    return ok;
}

}  // namespace kavlo::test
