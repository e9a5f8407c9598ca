// SPDX-License-Identifier: MIT
// Several sizes of one picture along one cascade of halvings, largest first.
#pragma once

#include <vector>

#include "imaging/raster_image.h"

namespace kavlo::imaging {

/// For `targets` (longer sides, largest first, each above 0) makes every size as
/// RPfastScale makes it, each from the halved intermediate of the one before (the first
/// from `image`), with the same pixels RPfastScale gives; a halving is never repeated
/// and the input is never copied. `sizes` receives one new image per target (empty
/// records where a target is out of order). Returns the intermediate of the last size,
/// the picture smaller sizes go on from, as a new image; with no targets, a clone.
RasterImage RPfastScaleSteps(const RasterImage& image, const std::vector<int>& targets,
                             bool useScale, double aspect, std::vector<RasterImage>& sizes);

}  // namespace kavlo::imaging
