// SPDX-License-Identifier: MIT
// TIFF reading through libtiff's RGBA interface, which converts every photometric
// interpretation, depth, planar configuration and orientation.
#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "imaging/codecs.h"

#include <tiffio.h>

namespace kavlo::imaging {

namespace {

struct TiffClose {
    void operator()(TIFF* t) const noexcept { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffClose>;

struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const noexcept { TIFFOpenOptionsFree(o); }
};
using OptionsPtr = std::unique_ptr<TIFFOpenOptions, OptionsFree>;

// Per-file diagnostics: the first error is kept for the failure line, warnings are
// dropped (many files carry private tags libtiff does not know).
struct TiffErrors {
    char first[256] = {};
};

extern "C" int tiffError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* errors = static_cast<TiffErrors*>(user);
    if (errors != nullptr && errors->first[0] == '\0') {
        char text[200];
        std::vsnprintf(text, sizeof text, fmt, ap);
        std::snprintf(errors->first, sizeof errors->first, "%s%s%s", module ? module : "",
                      module ? ": " : "", text);
    }
    return 1;  // handled: libtiff's process-wide handler stays quiet
}

extern "C" int tiffWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

RasterImage RPreadTiff(const std::string& path) {
    {
        // A missing or unreadable file is not worth a diagnostic line. Only regular
        // files are read: opening a FIFO named like a photo would wait forever.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return RasterImage{};
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (probe == nullptr) return RasterImage{};
        std::fclose(probe);
    }
    TiffErrors errors;
    OptionsPtr options(TIFFOpenOptionsAlloc());
    if (!options) return RasterImage{};
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), tiffError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), tiffWarning, &errors);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxRasterBytes));
    TiffPtr tiff(TIFFOpenExt(path.c_str(), "r", options.get()));
    if (!tiff) {
        std::printf("RPreadTiff: %s: %s\n", path.c_str(),
                    errors.first[0] ? errors.first : "not a TIFF file");
        return RasterImage{};
    }
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    const std::uint64_t count = std::uint64_t{width} * height;
    if (width == 0 || height == 0 || count > kMaxRasterPixels || count * 4 > kMaxRasterBytes) {
        std::printf(
            "RPreadTiff: %s: image of %u x %u pixels is empty or exceeds the decoding limit\n",
            path.c_str(), width, height);
        return RasterImage{};
    }
    // The RGBA words are read into a 32-bit raster and packed down to 24 bits in place
    // (each pixel moves to a lower or equal address), so one buffer serves both.
    RasterImage image = RPcreate(width, height, 32);
    if (image.status != 0 || image.pixels == nullptr) {
        std::printf("RPreadTiff: %s: out of memory for %u x %u pixels\n", path.c_str(), width,
                    height);
        RPfree(image);
        return RasterImage{};
    }
    auto* words = reinterpret_cast<std::uint32_t*>(image.pixels);
    if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, words, ORIENTATION_TOPLEFT, 0)) {
        std::printf("RPreadTiff: %s: %s\n", path.c_str(),
                    errors.first[0] ? errors.first : "cannot be decoded");
        RPfree(image);
        return RasterImage{};
    }
    std::uint8_t* out = image.pixels;
    for (std::uint64_t i = 0; i < count; ++i, out += 3) {
        const std::uint32_t abgr = words[i];
        out[0] = static_cast<std::uint8_t>(TIFFGetB(abgr));
        out[1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
        out[2] = static_cast<std::uint8_t>(TIFFGetR(abgr));
    }
    if (auto* shrunk = static_cast<std::uint8_t*>(std::realloc(image.pixels, count * 3)))
        image.pixels = shrunk;
    image.bitsPerPixel = 24;
    return image;
}

}  // namespace kavlo::imaging
