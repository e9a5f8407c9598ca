// SPDX-License-Identifier: MIT
// How much memory a source photo takes once decoded, told from its header alone, so that
// a run can wait for room before it decodes rather than after.
#pragma once

#include <cstdint>
#include <string>

namespace kavlo::imaging {

/// Pixels of the picture the reader of the file at `path` (its format found by its
/// first bytes) decodes with `targetSize` (as RPreadJpeg's: JPEG is decoded at 1/2, 1/4
/// or 1/8 size as far as the longer side stays >= targetSize; 0 = full size; the other
/// formats are always decoded whole, HEIF at its size after the container's turn). 0
/// when the header cannot be read or the reader would refuse the size before allocating
/// anything (beyond kMaxRasterPixels or kMaxRasterBytes; TIFF, PNG, WebP and HEIF count
/// 4 bytes a pixel).
std::uint64_t decodedPixels(const std::string& path, int targetSize);

}  // namespace kavlo::imaging
