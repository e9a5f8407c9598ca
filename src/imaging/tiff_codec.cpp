// SPDX-License-Identifier: MIT
// TIFF reading through libtiff's RGBA interface, which converts every photometric
// interpretation, depth and planar configuration (tiff_raster.cpp turns the page
// upright and keeps what a page that ends early held).
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/codecs.h"
#include "imaging/colour.h"
#include "imaging/image.h"
#include "imaging/source_image.h"
#include "imaging/tiff_raster.h"
#include "util/diagnostics.h"
#include "util/files.h"
#include "util/text.h"

#include <tiffio.h>

namespace kavlo::imaging {

using util::ErrorCode;
using util::FilePtr;
using util::format;
using util::openFailureOf;
using util::openRegularFile;
using util::reportFile;
using util::Severity;

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

// An 8-bit, interleaved, strip-organised CMYK page stored top row first: the form
// whose samples are read as stored and converted through the file's profile.
bool plainCmyk(TIFF* tiff) {
    std::uint16_t photometric = 0, bits = 0, samples = 0, planar = PLANARCONFIG_CONTIG;
    std::uint16_t inkSet = INKSET_CMYK, orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    return photometric == PHOTOMETRIC_SEPARATED && inkSet == INKSET_CMYK && bits == 8 &&
           samples >= 4 && planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT &&
           !TIFFIsTiled(tiff);
}

// Reads the page's CMYK rows through `converter` into `image` (24-bit).
bool readCmykRows(TIFF* tiff, const imaging::CmykToSrgb& converter, RasterImage& image) {
    std::uint16_t samples = 4;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    const tmsize_t lineSize = TIFFScanlineSize(tiff);
    const std::size_t width = std::size_t(image.width);
    if (lineSize < tmsize_t(width * samples)) return false;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineSize));
    std::vector<std::uint8_t> inks(width * 4);
    for (int y = 0; y < image.height; ++y) {
        if (TIFFReadScanline(tiff, line.data(), std::uint32_t(y), 0) < 0) return false;
        for (std::size_t x = 0; x < width; ++x) std::memcpy(&inks[x * 4], &line[x * samples], 4);
        converter.convert(inks.data(), image.pixels + std::size_t(y) * width * 3, width);
    }
    return true;
}

// Reports the failure of a read and gives its result, the empty image.
RasterImage failed(const char* reader, const std::string& path, ErrorCode code,
                   const std::string& text, ErrorCode* error) {
    reportFile(Severity::error, code, reader, path, text);
    if (error != nullptr) *error = code;
    return RasterImage{};
}

// The ICC profile of the page, and whether it is a CMYK page (whose inks cannot stay
// in the picture, so its colours are final once decoded).
void readColour(TIFF* tiff, imaging::DecodedImage& extra) {
    std::uint32_t size = 0;
    const std::uint8_t* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &profile) && profile != nullptr && size > 0)
        extra.iccProfile.assign(profile, profile + size);
    std::uint16_t photometric = 0;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    extra.colourDone = photometric == PHOTOMETRIC_SEPARATED;
}

// The converter for an 8-bit CMYK page with a usable CMYK profile; otherwise none, with
// a diagnostic when the profile was there but cannot serve.
std::unique_ptr<CmykToSrgb> cmykConverter(TIFF* tiff, const imaging::DecodedImage& extra,
                                          const char* reader, const std::string& path) {
    if (!extra.colourDone || extra.iccProfile.empty()) return nullptr;
    std::string why;
    auto converter = std::make_unique<CmykToSrgb>(extra.iccProfile, false, &why);
    if (converter->valid() && !plainCmyk(tiff))
        why = "only 8-bit interleaved CMYK in strips is converted through its profile";
    if (converter->valid() && why.empty()) return converter;
    reportFile(Severity::warning, ErrorCode::unsupported, reader, path,
               "colour profile ignored: " + why);
    return nullptr;
}

// Shrinks a raster whose pixels were packed from 4 to 3 bytes to its 24-bit size.
void shrinkTo24(RasterImage& image) {
    const std::size_t bytes = std::size_t(image.width) * std::size_t(image.height) * 3;
    if (auto* shrunk = static_cast<std::uint8_t*>(std::realloc(image.pixels, bytes)))
        image.pixels = shrunk;
    image.bitsPerPixel = 24;
}

// Opens the file with the per-file error handler; null when it cannot be opened.
TiffPtr openTiff(const std::string& path, TiffErrors& errors) {
    OptionsPtr options(TIFFOpenOptionsAlloc());
    if (!options) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), tiffError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), tiffWarning, &errors);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxRasterBytes));
    return TiffPtr(TIFFOpenExt(path.c_str(), "r", options.get()));
}

// The first page as 24-bit. With `extra`, also its ICC profile, and an 8-bit CMYK page
// with a usable CMYK profile is converted through it.
RasterImage readTiff(const std::string& path, const char* reader, imaging::DecodedImage* extra,
                     ErrorCode* error) {
    {
        // A missing or unreadable file is not worth a diagnostic line. Only regular
        // files are read: opening a FIFO named like a photo would wait forever.
        FilePtr probe = openRegularFile(path);
        if (!probe) {
            if (error != nullptr) *error = openFailureOf(path);
            return RasterImage{};
        }
    }
    TiffErrors errors;
    TiffPtr tiff = openTiff(path, errors);
    if (!tiff)
        return failed(reader, path, ErrorCode::corrupt,
                      errors.first[0] ? errors.first : "not a TIFF file", error);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    const std::uint64_t count = std::uint64_t{width} * height;
    if (width == 0 || height == 0 || count > kMaxRasterPixels || count * 4 > kMaxRasterBytes)
        return failed(
            reader, path, width == 0 || height == 0 ? ErrorCode::corrupt : ErrorCode::tooLarge,
            format("image of %u x %u pixels is empty or exceeds the decoding limit", width, height),
            error);
    // The RGBA words are read into a 32-bit raster and packed down to 24 bits in place,
    // so one buffer serves both.
    Image image = Image::create(width, height, 32);
    if (image.empty())
        return failed(reader, path, ErrorCode::outOfMemory,
                      format("out of memory for %u x %u pixels", width, height), error);
    if (extra != nullptr) {
        readColour(tiff.get(), *extra);
        if (auto converter = cmykConverter(tiff.get(), *extra, reader, path)) {
            image.record().bitsPerPixel = 24;
            if (!readCmykRows(tiff.get(), *converter, image.record()))
                return failed(reader, path, ErrorCode::corrupt,
                              errors.first[0] ? errors.first : "cannot be decoded", error);
            shrinkTo24(image.record());
            if (error != nullptr) *error = ErrorCode::none;
            return image.release();
        }
    }
    detail::TiffRows rows;
    if (!detail::readTiffPageUpright(tiff.get(), image.record(), rows))
        return failed(reader, path, ErrorCode::corrupt,
                      errors.first[0]         ? errors.first
                      : !rows.problem.empty() ? rows.problem
                                              : std::string("cannot be decoded"),
                      error);
    if (!rows.complete()) {
        // As a JPEG that ends early: the rows read, grey below, and a warning.
        reportFile(Severity::warning, ErrorCode::truncated, reader, path,
                   format("truncated: %i of %i rows read, grey below%s%s", rows.rowsRead, rows.rows,
                          errors.first[0] ? ": " : "", errors.first));
        if (error != nullptr) *error = ErrorCode::truncated;
        return image.release();
    }
    if (error != nullptr) *error = ErrorCode::none;
    return image.release();
}

}  // namespace

RasterImage RPreadTiff(const std::string& path, ErrorCode* error) {
    return readTiff(path, "RPreadTiff", nullptr, error);
}

DecodedImage readTiffImage(const std::string& path, const ReadOptions&) {
    DecodedImage result;
    ErrorCode error = ErrorCode::none;
    result.picture = Image(readTiff(path, "readTiffImage", &result, &error));
    if (result.picture.width() == 0) {
        result = DecodedImage{};
        result.error = error;
        return result;
    }
    result.storedWidth = result.picture.width();
    result.storedHeight = result.picture.height();
    result.orientationApplied = true;  // the page's Orientation tag
    result.error = error;              // none, or truncated
    return result;
}

}  // namespace kavlo::imaging
