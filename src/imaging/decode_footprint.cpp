// SPDX-License-Identifier: MIT
#include "imaging/decode_footprint.h"

#include <algorithm>
#include <cstdarg>
#include <memory>

#include "imaging/codecs.h"
#include "imaging/raster_image.h"
#include "imaging/source_header.h"
#include "imaging/source_image.h"

#include <tiffio.h>

namespace kavlo::imaging {

namespace {

extern "C" int quietTiff(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffClose {
    void operator()(TIFF* t) const noexcept { TIFFClose(t); }
};
struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const noexcept { TIFFOpenOptionsFree(o); }
};

bool tiffSize(const std::string& path, std::uint64_t& width, std::uint64_t& height) {
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    if (!options) return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), quietTiff, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), quietTiff, nullptr);
    std::unique_ptr<TIFF, TiffClose> tiff(TIFFOpenExt(path.c_str(), "r", options.get()));
    if (!tiff) return false;
    std::uint32_t w = 0, h = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &h);
    width = w;
    height = h;
    return true;
}

// The size RPreadJpeg decodes a w x h JPEG at for `target`.
void dctScaled(std::uint64_t& w, std::uint64_t& h, int target) {
    if (target < 1 || (std::uint64_t(target) >= w && std::uint64_t(target) >= h)) return;
    const std::uint64_t longer = std::max(w, h);
    int k = 0;
    while (k < 3 && longer >= (std::uint64_t(target) << (k + 1))) ++k;
    const std::uint64_t d = 1ull << k;
    w = (w + d - 1) / d;
    h = (h + d - 1) / d;
}

}  // namespace

std::uint64_t decodedPixels(const std::string& path, int targetSize) {
    std::uint64_t w = 0, h = 0, bytesPerPixel = 0;
    switch (sourceFormatOf(path)) {
    case SourceFormat::Jpeg: {
        int jw = 0, jh = 0;
        if (RPreadJpegInfo(path, nullptr, &jh, &jw) != 0 || jw <= 0 || jh <= 0) return 0;
        w = std::uint64_t(jw);
        h = std::uint64_t(jh);
        dctScaled(w, h, targetSize);
        bytesPerPixel = 3;
        break;
    }
    case SourceFormat::Tiff:
        if (!tiffSize(path, w, h)) return 0;
        bytesPerPixel = 4;
        break;
    case SourceFormat::Png:
    case SourceFormat::Webp:
    case SourceFormat::Heif: {
        // Decoded whole, through 4 bytes a pixel where the photo has alpha.
        const SourceHeader header = readSourceHeader(path);
        if (!header.known || header.width <= 0 || header.height <= 0) return 0;
        w = std::uint64_t(header.width);
        h = std::uint64_t(header.height);
        bytesPerPixel = 4;
        break;
    }
    default: return 0;
    }
    const std::uint64_t pixels = w * h;
    if (pixels == 0 || pixels > kMaxRasterPixels || pixels * bytesPerPixel > kMaxRasterBytes)
        return 0;
    return pixels;
}

}  // namespace kavlo::imaging
