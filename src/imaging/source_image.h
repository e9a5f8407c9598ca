// SPDX-License-Identifier: MIT
// Photos of every source format (JPEG, TIFF, PNG, WebP, HEIF/HEIC and AVIF) decoded
// into one record: the picture and what its container says about it (colour profile
// or colour description, Exif block, whether the container's own rotation and mirror
// were applied).
//
// Common rules:
// - Pictures are 24-bit, blue, green, red, rows top first (RasterImage). Transparent
//   sources are flattened onto ReadOptions::background; nothing is left with alpha.
// - Readers give the picture with the empty image on any failure: missing file (no
//   diagnostic), or corrupt, truncated or hostile data and rasters beyond
//   kMaxRasterPixels / kMaxRasterBytes (one diagnostic naming the reader and the file,
//   util/diagnostics.h). DecodedImage::error says why. Sizes are checked before any
//   pixel buffer is allocated. Only regular files are read (a FIFO named like a photo
//   is not waited on).
// - Colours come as stored, with the profile or nclx description beside them;
//   convertToSrgb(DecodedImage&) makes them sRGB. CMYK sources are the exception: their
//   inks do not fit the picture, so they are converted while decoding (through their
//   profile when it is usable) and come with colourDone set.
// - Every reader is thread-safe: one decoder per call, no global state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/colour.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"
#include "util/diagnostics.h"

namespace kavlo::imaging {

/// Source file formats, told apart by their first bytes.
enum class SourceFormat { Unknown, Jpeg, Tiff, Png, Webp, Heif };

/// The format whose signature `head` (the first bytes of a file, 12 or more for HEIF
/// and WebP) begins with. HEIF covers HEIC, HEIF and AVIF brands.
SourceFormat sniffSourceFormat(std::span<const std::uint8_t> head);
/// sniffSourceFormat() of the first bytes of the file at `path`; Unknown when the file
/// cannot be read.
SourceFormat sourceFormatOf(const std::string& path);

/// How a photo is read.
struct ReadOptions {
    /// JPEG only: when 1 <= targetSize < the stored width or height, decode at 1/2, 1/4
    /// or 1/8 size, the longer side staying >= targetSize (as RPreadJpeg). 0 = full size.
    int targetSize = 0;
    /// Colour that transparent pixels are flattened onto, red in the lowest byte
    /// (0xbbggrr, Kavlo's colour form): the album's background. Default white.
    std::uint32_t background = 0xFFFFFF;
};

/// A decoded photo and what its container says about it.
struct DecodedImage {
    Image picture;                         ///< 24-bit; the empty image on failure
    int storedWidth = 0;                   ///< size as stored, before DCT scaling
    int storedHeight = 0;                  ///<   (HEIF: after the container's rotation)
    std::vector<std::uint8_t> iccProfile;  ///< embedded ICC profile as stored; empty = none
    std::optional<NclxColour> nclx;        ///< HEIF/AVIF colour description without a profile
    /// The picture's colours are already final: a CMYK source, converted while decoding.
    bool colourDone = false;
    /// The Exif block, starting with its TIFF header ("II*\0" or "MM\0*"); empty when the
    /// container holds none (or none that starts with a TIFF header).
    std::vector<std::uint8_t> exif;
    /// The container's own rotation and mirror (HEIF irot/imir, the TIFF Orientation
    /// tag) were applied: the Exif orientation must not be applied a second time. False
    /// for JPEG, PNG, WebP, whose Exif orientation still has to be applied.
    bool orientationApplied = false;
    /// Why the picture is empty (or, for ErrorCode::truncated, only partly decoded);
    /// ErrorCode::none when it was read whole.
    util::ErrorCode error = util::ErrorCode::none;
};

/// JPEG: the picture as RPreadJpeg gives it (DCT scaling by options.targetSize), the
/// ICC profile assembled from its APP2 chunks in sequence order and the APP1 Exif block,
/// all from the one decode. Malformed ICC chunks (bad counts, numbers or sizes) are
/// ignored with a diagnostic line. CMYK and YCCK files with a CMYK profile are converted
/// through it; without a usable one, with the generic ink formula.
DecodedImage readJpegImage(const std::string& path, const ReadOptions& options);
/// TIFF: the first page, as RPreadTiff gives it (turned upright by its Orientation tag:
/// orientationApplied), with the ICC profile (tag 34675). An 8-bit CMYK file with a CMYK
/// profile is converted through the profile.
DecodedImage readTiffImage(const std::string& path, const ReadOptions& options);
/// PNG (libpng): 1 to 16 bits, palette, grey, grey and alpha, RGB, RGBA, interlaced;
/// 16-bit samples are rounded to 8 bits. The iCCP profile and the eXIf block.
DecodedImage readPngImage(const std::string& path, const ReadOptions& options);
/// WebP (libwebp): lossy, lossless, with alpha; of an animation, the first frame as
/// shown. The ICCP and EXIF chunks.
DecodedImage readWebpImage(const std::string& path, const ReadOptions& options);
/// HEIF, HEIC and AVIF (libheif): the primary image only (never a thumbnail, depth or
/// other auxiliary image), grids assembled, more than 8 bits reduced to 8, the
/// container's rotation and mirror applied (orientationApplied). The ICC profile or
/// the nclx description, and the Exif block.
DecodedImage readHeifImage(const std::string& path, const ReadOptions& options);
/// The reader for the format sourceFormatOf(path) finds; an unknown format gives the
/// empty image and a diagnostic line.
DecodedImage readSourceImage(const std::string& path, const ReadOptions& options);

/// Brings image.picture to sRGB: through its ICC profile when it has one, else through
/// its nclx description; nothing when colourDone or when it has neither. Sets
/// colourDone. Returns what was done (see convertToSrgb in colour.h).
ColourOutcome convertToSrgb(DecodedImage& image, const std::string& name);

}  // namespace kavlo::imaging
