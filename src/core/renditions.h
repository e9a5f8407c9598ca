// SPDX-License-Identifier: MIT
// Extra renditions of every photo for sharp views on dense and large screens: a few
// steps of longer side between the main image and a 4K screen, each in a folder
// "hd/<box>" with the main image's file name, and 2x thumbnails in "<sdir>2x". The
// pages learn about them from ext/js/renditions.js and let the browser choose.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/album_model.h"

namespace kavlo::core {

/// Width and height of one file; {0, 0} where an image has no such file.
using PixelSize = std::pair<int, int>;

/// Longer-side boxes of the rendition steps, smallest first.
const std::vector<int>& renditionSteps();
/// Folder of rendition step `step` under the album folder: "hd/<box>".
std::string renditionFolder(std::size_t step);
/// Parent of the rendition folders: "hd".
std::string renditionsRoot();
/// Folder of the 2x thumbnails under the album folder: the thumbnail folder + "2x".
std::string thumbnail2xFolder(const model::AlbumSettings& settings);

/// The longer side of each step's file for a photo whose upright longer side is
/// `sourceLong` and whose main image's longer side is `mainLong`; 0 where the photo
/// gets no file. A step exists when its box is above the main image and the photo is
/// clearly larger (by 1/7) than the next smaller file; it is never larger than the photo.
std::vector<int> renditionTargets(int sourceLong, int mainLong);
/// The longer side of the 2x thumbnail (twice the thumbnail's, at most the photo's),
/// or 0 when the photo is not clearly larger than the thumbnail.
int thumbnail2xTarget(int sourceLong, int thumbLong);

/// The renditions of every image, album order.
struct RenditionSizes {
    std::vector<std::vector<PixelSize>> steps;  ///< per image, one per renditionSteps()
    std::vector<PixelSize> thumb2x;             ///< per image; empty without thumbnails
};

/// The text of ext/js/renditions.js ("\n" line ends): the step folders, per image the
/// size of its file in each (null where it has none), the 2x thumbnail folder ("" without
/// thumbnails) and sizes.
std::string renditionsScript(const model::AlbumSettings& settings, const RenditionSizes& sizes);

}  // namespace kavlo::core
