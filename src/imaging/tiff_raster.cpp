// SPDX-License-Identifier: MIT
#include "imaging/tiff_raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/orientation.h"

#include <tiffio.h>

namespace kavlo::imaging::detail {

namespace {

// The RGBA interface multiplies colours stored beside an unassociated alpha by that
// alpha. Declared associated, they are passed on as stored, which is what dropping the
// alpha needs. The change stays in libtiff's copy of the directory; the file is only
// read.
void keepColoursBesideAlpha(TIFF* tiff) {
    std::uint16_t count = 0;
    const std::uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0 || !kinds) return;
    std::vector<std::uint16_t> changed(kinds, kinds + count);
    bool any = false;
    for (std::uint16_t& kind : changed) {
        if (kind == EXTRASAMPLE_UNASSALPHA) {
            kind = EXTRASAMPLE_ASSOCALPHA;
            any = true;
        }
    }
    if (any) TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, count, changed.data());
}

// Rows the RGBA interface decodes in one piece: a strip, or a row of tiles.
std::uint32_t rowsPerPiece(TIFF* tiff, std::uint32_t height) {
    std::uint32_t rows = height;
    if (TIFFIsTiled(tiff)) {
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &rows);
    } else {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
    }
    return std::clamp<std::uint32_t>(rows, 1, std::max<std::uint32_t>(height, 1));
}

// Packs the RGBA words (in place: each pixel moves to a lower or equal address) into
// blue, green, red, and shrinks the raster to its 24-bit size.
void packWords(RasterImage& image) {
    const auto* words = reinterpret_cast<const std::uint32_t*>(image.pixels);
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    std::uint8_t* out = image.pixels;
    for (std::size_t i = 0; i < count; ++i, out += 3) {
        const std::uint32_t abgr = words[i];
        out[0] = static_cast<std::uint8_t>(TIFFGetB(abgr));
        out[1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
        out[2] = static_cast<std::uint8_t>(TIFFGetR(abgr));
    }
    if (auto* shrunk = static_cast<std::uint8_t*>(std::realloc(image.pixels, count * 3)))
        image.pixels = shrunk;
    image.bitsPerPixel = 24;
}

}  // namespace

bool readTiffPageUpright(::tiff* tiff, RasterImage& image, TiffRows& rows) {
    const std::uint32_t width = static_cast<std::uint32_t>(image.width);
    const std::uint32_t height = static_cast<std::uint32_t>(image.height);
    rows = TiffRows{};
    rows.rows = image.height;
    keepColoursBesideAlpha(tiff);
    char message[1024] = {};
    TIFFRGBAImage page{};
    if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&page, tiff, 1, message)) {
        rows.problem = message;
        return false;
    }
    // Rows as stored, top first: the interface flips nothing when the requested
    // orientation is the page's own. The turn comes after, for all eight values.
    rows.orientation = page.orientation;
    page.req_orientation = page.orientation;
    // Piece by piece, so that the rows read are known when a piece fails (stop on error
    // is set: a failed piece writes nothing).
    auto* words = reinterpret_cast<std::uint32_t*>(image.pixels);
    const std::uint32_t piece = rowsPerPiece(tiff, height);
    std::uint32_t done = 0;
    while (done < height) {
        const std::uint32_t n = std::min(piece - done % piece, height - done);
        page.row_offset = static_cast<int>(done);
        if (!TIFFRGBAImageGet(&page, words + std::size_t(done) * width, width, n)) break;
        done += n;
    }
    TIFFRGBAImageEnd(&page);
    rows.rowsRead = static_cast<int>(done);
    if (done == 0) return false;
    packWords(image);
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::memset(image.pixels + rowBytes * done, kMissingRowGrey, rowBytes * (height - done));
    RPorientUpright(image, rows.orientation);
    return true;
}

}  // namespace kavlo::imaging::detail
