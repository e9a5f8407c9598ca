// SPDX-License-Identifier: MIT
// Raster images: the plain picture record of the imaging layer and its elementary
// operations (create, copy, free, addressing, fill, channels, crop, paste, overlay,
// flips and rotations).
//
// Common rules:
// - Pixels are 8-bit samples, interleaved, rows top first, packed with no padding:
//   a row is RPstride(width, bitsPerPixel) bytes. 24-bit pixels are blue, green, red;
//   32-bit pixels add a fourth byte (in an overlay: transparency, 255 = invisible);
//   8-bit pixels are palette indices (palette entries are red, green, blue).
// - A record owns `pixels` when pixelCount != 0, `epi1`/`epi2` when epiSize != 0,
//   `palette` when paletteSize != 0 and `extension` when extensionSize != 0. Copying
//   the record by value does not copy buffers: free exactly one of the copies with
//   RPfree. Operations that return an image return fresh buffers.
// - The empty image (every field zero) is the failure result of every reader.
// - Allocation failure, or a raster larger than kMaxRasterPixels pixels or
//   kMaxRasterBytes bytes, gives a record with status 42 and no raster (width,
//   height and pixelCount 0), never a size without pixels.
// - Refusals (depths that are not whole bytes, ...) are reported as diagnostics
//   (util/diagnostics.h) with ErrorCode::invalidArgument.
// - Above the RP operations, pictures are held in an Image (imaging/image.h), which
//   frees its record exactly once.
// - Operations that read an image never modify it. Nothing here keeps global state:
//   different records may be used on different threads at the same time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kavlo::imaging {

/// Largest raster, in pixels, that any operation or reader allocates (200 megapixels).
inline constexpr std::uint64_t kMaxRasterPixels = 200'000'000;
/// Largest raster, in bytes, that any operation or reader allocates (1 GiB).
inline constexpr std::uint64_t kMaxRasterBytes = 1ull << 30;
/// Status of a record whose raster could not be allocated.
inline constexpr std::int32_t kRasterAllocFailed = 42;
/// pixelFormat flag: the first byte of a pixel is red (otherwise blue, green, red).
inline constexpr std::uint8_t kPixelFormatRedFirst = 4;

/// The picture record. Fields in this order; all zero is the empty image.
struct RasterImage {
    std::int32_t status = 0;            ///< 0 good; 42 the raster could not be allocated
    char info[80] = {};                 ///< free text, NUL-terminated
    std::int32_t width = 0;             ///< pixels per row
    std::int32_t height = 0;            ///< rows
    std::int32_t xOffset = 0;           ///< position of the picture, carried by the clones
    std::int32_t yOffset = 0;           ///< as xOffset
    std::int32_t pixelCount = 0;        ///< width x height; nonzero means `pixels` is owned
    std::uint8_t bitsPerPixel = 0;      ///< 8, 24 or 32 in use
    std::uint8_t pixelFormat = 0;       ///< flag byte (kPixelFormatRedFirst); new images carry 2
    std::uint8_t* pixels = nullptr;     ///< the raster
    std::uint8_t epiSize = 0;           ///< bytes in each of epi1 and epi2; 0 = none
    std::uint8_t* epi1 = nullptr;       ///< first extra-pixel-information array
    std::uint8_t* epi2 = nullptr;       ///< second extra-pixel-information array
    std::uint8_t* palette = nullptr;    ///< paletteSize entries of red, green, blue
    std::int32_t paletteSize = 0;       ///< palette entries; 0 = no palette
    std::uint8_t* extension = nullptr;  ///< opaque extension block
    std::int32_t extensionSize = 0;     ///< bytes in extension; 0 = none
    std::int32_t extensionType = 0;     ///< tag of the extension block
};

/// New image with an uninitialised raster of width x height pixels; pixelFormat 2,
/// offsets 0, no info, EPI, palette or extension. Status 42 and no raster when the
/// raster cannot be allocated or exceeds the limits.
RasterImage RPcreate(std::uint32_t width, std::uint32_t height, int bitsPerPixel);
/// Sets width, height and pixelCount and allocates a new uninitialised raster of the
/// record's bitsPerPixel. Does not free an earlier raster. Returns the status: 0, or
/// 42 (sizes then 0, no raster) when the allocation fails or exceeds the limits.
int RPallocPixels(RasterImage& image, std::uint32_t width, std::uint32_t height);
/// Copy of everything except the raster (width, height, pixelCount 0, no pixels);
/// EPI arrays, palette and extension are deep-copied.
RasterImage RPcloneHeader(const RasterImage& image);
/// Deep copy, raster included.
RasterImage RPclone(const RasterImage& image);
/// Frees every owned buffer and zeroes the whole record; returns 0. A zeroed record
/// frees nothing.
int RPfree(RasterImage& image);

/// Bytes per row: width x bitsPerPixel / 8, rounded up.
std::size_t RPstride(std::uint32_t width, int bitsPerPixel);
/// Address of row y; null (with a message) for depths that are not whole bytes.
std::uint8_t* RPgetScanline(std::uint32_t width, int bitsPerPixel, std::uint8_t* pixels,
                            std::uint32_t y);
/// Address of pixel (x, y); null (with a message) for depths that are not whole bytes.
std::uint8_t* RPgetPixel(std::uint32_t width, int bitsPerPixel, std::uint8_t* pixels,
                         std::uint32_t x, std::uint32_t y);

/// Every pixel gets the bytes b0, b1, b2 (and b3 for 32-bit images). Returns -1 and
/// writes nothing for 8-bit images, else 0.
int RPfillColour(RasterImage& image, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                 std::uint8_t b3);
/// 8-bit images only: every pixel = value. Returns -1 for other depths, else 0.
int RPfillIndex(RasterImage& image, std::uint8_t value);
/// Makes the palette the 256-entry grey ramp (entry i = i, i, i). Returns 0, or 42
/// when the palette cannot be allocated (the record then has no palette).
int RPsetGreyPalette(RasterImage& image);
/// Writes an 8-bit plane, in memory order, into byte `channel` of each pixel of a 24-
/// or 32-bit target, leaving the other bytes. At most min(plane, target) pixels are
/// written. Returns 1 (nothing written) when the plane is not 8-bit, the target has
/// fewer than 24 bits per pixel or the channel is outside the pixel, else 0.
int RPsetChannel(RasterImage& target, std::uint32_t planeWidth, std::uint32_t planeHeight,
                 int planeBitsPerPixel, const std::uint8_t* planePixels, int channel);
/// New w x h image with the source's header; rows copied from (x, y) when the
/// rectangle lies inside the source (w, h > 0, x, y >= 0), otherwise the raster is
/// left uninitialised.
RasterImage RPcrop(const RasterImage& image, int x, int y, int w, int h);
/// RPcrop, then the old raster is freed and the new image takes its place.
void RPcropInPlace(RasterImage& image, int x, int y, int w, int h);
/// Copies the source rows into the target with the source's top-left pixel at (x, y).
/// Both images must have the same bitsPerPixel (otherwise nothing is copied). Rows and
/// columns falling outside the target (also for negative x or y) are cut away.
void RPpaste(RasterImage& target, int x, int y, const RasterImage& source);
/// Alpha overlay of a 32-bit overlay (fourth byte: transparency, 255 = invisible)
/// with its top-left corner at (x, y), clipped to the target on all sides. Each colour
/// byte becomes t x target + (1 - t) x overlay rounded half up, t = transparency / 255;
/// a 32-bit target gets 0 in its fourth byte under the overlay. Returns -1 (nothing
/// written) unless the overlay is 32-bit and the target 24- or 32-bit, else 0.
int RPblend(RasterImage& target, int x, int y, int ow, int oh, int obpp,
            const std::uint8_t* overlayPixels);
/// Expands an 8-bit palette image to 24 or 32 bits (palette bytes 0, 1, 2 become pixel
/// bytes 0, 1, 2; a fourth byte is 0). Other target depths print "Pics can only be
/// expanded to 24 or 32 bit" and leave the new raster uninitialised. Returns a new image.
RasterImage RPexpandPalette(const RasterImage& image, int bitsPerPixel);

/// Mirrors each row left to right (whole-byte depths only).
void HFlip(RasterImage& image);
/// Swaps row i with row height - 1 - i (whole-byte depths only).
void VFlip(RasterImage& image);
/// Rotates 8- and 24-bit images clockwise by `angle` degrees (reduced modulo 360 and
/// truncated to an integer): 90 and -90 and 180 exactly, any other angle by three
/// shears into an enlarged image with background bytes 255. Other depths unchanged.
void RProtate(RasterImage& image, double angle);

/// Reports the record, one field a line, as an info diagnostic (which the default
/// sink prints to the standard output).
void RPprintInfo(const RasterImage& image);

}  // namespace kavlo::imaging
