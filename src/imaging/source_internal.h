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

namespace kavlo::imaging::detail {

/// Largest source file read whole into memory (WebP, HEIF).
inline constexpr std::uint64_t kMaxSourceFileBytes = 1ull << 30;

enum class FileRead { Ok, Missing, Failed };

/// Reads the regular file at `path` whole. Missing: it cannot be opened or is not a
/// regular file (no message is due). Failed: a read error or a file beyond
/// kMaxSourceFileBytes, with `error` set.
FileRead readFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::string& error);

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

/// Prints the one diagnostic line of a failed or partial read.
void diagnostic(const char* reader, const std::string& path, const std::string& text);

}  // namespace kavlo::imaging::detail
