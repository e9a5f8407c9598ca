// SPDX-License-Identifier: MIT
// The pixels of an open TIFF page through libtiff's RGBA interface, with what that
// interface leaves undone: the eight orientations (it only flips), colours stored
// beside an unassociated alpha (it multiplies them by the alpha), and a page that
// ends early (it would fill the rows below with whatever the previous strip held).
// Not part of the imaging layer's interface; only the TIFF reader uses it.
#pragma once

#include <string>

#include "imaging/raster_image.h"

struct tiff;  // libtiff's TIFF

namespace kavlo::imaging::detail {

/// Grey of the rows below the point where a page could no longer be read (as a JPEG
/// that ends early shows them).
inline constexpr std::uint8_t kMissingRowGrey = 128;

/// What reading a page gave.
struct TiffRows {
    int rowsRead = 0;     ///< rows decoded from the top of the page as stored
    int rows = 0;         ///< rows of the page as stored
    int orientation = 1;  ///< the page's Orientation tag (1..8), applied
    std::string problem;  ///< why the RGBA interface refused the page; "" otherwise
    bool complete() const { return rowsRead == rows; }
};

/// Reads the current page of `tiff` into `image`, a 32-bit raster of the page's stored
/// width and height allocated by the caller, and leaves it a 24-bit picture (blue,
/// green, red) turned upright by the page's orientation:
/// - an alpha channel is dropped as it is: unassociated alpha does not darken the
///   colours, associated alpha keeps them as stored;
/// - reading stops at the first strip (or row of tiles) that cannot be decoded: the
///   rows above it are kept, those below are kMissingRowGrey, and `rows` tells how many
///   were read.
/// False, with `image` left as it is, when not one row could be read.
bool readTiffPageUpright(::tiff* tiff, RasterImage& image, TiffRows& rows);

}  // namespace kavlo::imaging::detail
