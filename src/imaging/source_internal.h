// SPDX-License-Identifier: MIT
// Helpers shared by the source readers (png_codec.cpp, webp_codec.cpp, heif_codec.cpp,
// jpeg_codec.cpp, tiff_codec.cpp); not part of the imaging layer's interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/raster_image.h"
#include "imaging/source_image.h"
#include "util/diagnostics.h"

namespace kavlo::imaging::detail {

/// Largest source file read whole into memory (WebP, HEIF).
inline constexpr std::uint64_t kMaxSourceFileBytes = 1ull << 30;

/// Reads the regular file at `path` whole. ErrorCode::fileMissing or unreadable: it
/// cannot be opened or is not a regular file (no diagnostic is due); unreadable or
/// tooLarge with `error` set: a read error or a file beyond kMaxSourceFileBytes.
util::ErrorCode readFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                              std::string& error);

/// True when a width x height raster of `bytesPerPixel` bytes a pixel stays within
/// kMaxRasterPixels and kMaxRasterBytes (and is not empty); otherwise `error` says why.
bool rasterFits(std::uint64_t width, std::uint64_t height, unsigned bytesPerPixel,
                std::string& error);

/// The Exif block of a container, from its first TIFF header on: a leading "Exif\0\0"
/// (as in JPEG APP1, and as some writers store it in PNG and WebP) is skipped. Empty
/// when the rest does not start with "II*\0" or "MM\0*".
std::vector<std::uint8_t> exifBlockFrom(std::span<const std::uint8_t> bytes);

/// Turns a 32-bit image (blue, green, red, alpha with 255 = opaque) into a 24-bit one in
/// place, each pixel composed over `background` (0xbbggrr): c = (a c + (255 - a) bg) / 255,
/// rounded. The raster shrinks to the 24-bit size.
void flattenBgraOnto(RasterImage& image, std::uint32_t background);

/// Reports the one diagnostic of a partial read, or of a problem the read survived.
void diagnostic(const char* reader, const std::string& path, util::ErrorCode code,
                const std::string& text, util::Severity severity = util::Severity::warning);
/// Reports the one diagnostic of a failed read and gives the failure's result: the
/// empty picture with `code` as its error.
DecodedImage failure(const char* reader, const std::string& path, util::ErrorCode code,
                     const std::string& text);
/// The result of a file that could not be opened (no diagnostic).
DecodedImage missing(const std::string& path);

}  // namespace kavlo::imaging::detail
