// SPDX-License-Identifier: MIT
// One-line captions from Exif recording data, such as "1/125 s, f/5.6, 18 mm".
#pragma once

#include <string>

#include "metadata/exif.h"

namespace kavlo::metadata {

/// Builds the caption of `info` from the item letters in `exifformat`: e exposure time,
/// a aperture, x exposure bias, f focal length, i ISO, u flash fired, k make, m model,
/// d date and time. Items appear in that fixed order whatever the order of the letters,
/// separated by ", "; a letter switches its item on wherever it occurs (lower case only),
/// and an item whose value is absent leaves no trace. May return the empty text.
std::string formatExifCaption(const ExifInfo& info, const std::string& exifformat);

}  // namespace kavlo::metadata
