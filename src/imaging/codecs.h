// SPDX-License-Identifier: MIT
// JPEG and TIFF files to and from 24-bit RasterImages (blue, green, red, top row first).
//
// Common rules:
// - Readers return the empty image (all fields zero) on any failure: missing file,
//   corrupt data, or a raster beyond kMaxRasterPixels / kMaxRasterBytes. A truncated
//   JPEG or TIFF whose rows decoded partly still gives an image (missing rows grey).
// - Failures other than a missing or unreadable input file are reported as one
//   diagnostic (util/diagnostics.h) naming the operation and the file, a truncated
//   file as a warning; the libraries' warnings are not reported.
// - `error`, when given, receives why the call failed (ErrorCode::none on success,
//   ErrorCode::truncated for a picture that was decoded in part).
// - Every function is thread-safe: no global state, one decoder per call.
// - JPEG comments: the readers give the last comment (COM) marker shorter than 512
//   bytes, as stored, up to its first NUL; none gives "".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/raster_image.h"
#include "util/diagnostics.h"

namespace kavlo::imaging {

/// Decodes a JPEG file. When 1 <= targetSize < the stored width or height, decodes at
/// 1/2, 1/4 or 1/8 size (k = floor(log2(longer side / targetSize)), at most 3), so the
/// longer side stays >= targetSize. `comment` (may be null) receives the comment;
/// `width`/`height` (may be null) the stored, unscaled size. Greyscale gives equal
/// bytes; CMYK/YCCK files are converted to RGB (inverted CMYK for Adobe files).
RasterImage RPreadJpeg(const std::string& path, std::string* comment, int targetSize, int* width,
                       int* height, util::ErrorCode* error = nullptr);
/// Decodes a JPEG held in memory, like RPreadJpeg. Null data gives the empty image.
RasterImage RPreadJpegMemory(const std::uint8_t* data, std::size_t size, int targetSize,
                             util::ErrorCode* error = nullptr);
/// Reads the header only. Returns -1 when the file cannot be opened, else 0; on a
/// corrupt header the outs are left untouched (comment cleared).
int RPreadJpegInfo(const std::string& path, std::string* comment, int* height, int* width,
                   util::ErrorCode* error = nullptr);
/// Writes a 24- or 32-bit image as a baseline JPEG with optimised Huffman tables at
/// `quality` (0..100). A non-null comment (even empty) is written as one COM marker
/// holding the text and its NUL. Returns 0, or -1 (diagnostic reported, partial file
/// removed; ErrorCode::writeFailed, or invalidArgument for an unusable image) when the
/// file cannot be written.
int RPwriteJpeg(const std::string& path, int quality, const std::string* comment,
                const RasterImage& image, util::ErrorCode* error = nullptr);
/// Reads the first page of a TIFF file as 24-bit, turned upright by its Orientation tag
/// (all eight values). An alpha channel is dropped without compositing: colours beside
/// an unassociated alpha come out as stored, not darkened.
RasterImage RPreadTiff(const std::string& path, util::ErrorCode* error = nullptr);

}  // namespace kavlo::imaging
