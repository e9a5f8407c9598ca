// SPDX-License-Identifier: MIT
// The eight orientations a camera or scanner records (Exif and TIFF tag 274): how the
// stored rows and columns lie relative to the upright picture, and the mirror and
// quarter turns that put them right.
//
//   1 as stored            5 transposed: stored rows are the upright columns
//   2 mirrored left-right  6 turned a quarter clockwise to show upright
//   3 turned half round    7 transposed across the other diagonal
//   4 mirrored top-bottom  8 turned a quarter anticlockwise to show upright
#pragma once

#include "imaging/raster_image.h"

namespace kavlo::imaging {

/// True for 5..8: the upright picture has the stored width as its height.
bool orientationSwapsSides(int orientation);
/// True for 2..8: the stored picture is not upright as it is.
bool orientationNeedsTurn(int orientation);
/// Turns an 8- or 24-bit picture stored with `orientation` upright: 2 and 4 mirror it,
/// 3 turns it half round, 6 and 8 turn it a quarter, 5 and 7 mirror it and turn it a
/// quarter. Any other value (0 for none, out of range) leaves it as it is.
void RPorientUpright(RasterImage& image, int orientation);

}  // namespace kavlo::imaging
