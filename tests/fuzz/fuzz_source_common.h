// SPDX-License-Identifier: MIT
// What every source-reader fuzz target checks of a read: the picture is empty or a
// whole 24-bit raster (its last byte readable), and the colour conversion of what the
// container described runs on it without fault.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/source_image.h"

namespace kavlo::fuzz {

inline void checkDecoded(kavlo::imaging::DecodedImage& d) {
    const kavlo::imaging::RasterImage& img = d.picture.record();
    if (img.width > 0) {
        if (img.height <= 0 || img.pixels == nullptr || img.bitsPerPixel != 24) __builtin_trap();
        volatile std::uint8_t last =
            img.pixels[std::size_t(img.width) * std::size_t(img.height) * 3 - 1];
        (void)last;
        kavlo::imaging::convertToSrgb(d, "fuzz");
    } else if (img.height != 0 || img.pixels != nullptr) {
        __builtin_trap();
    }
}

}  // namespace kavlo::fuzz
