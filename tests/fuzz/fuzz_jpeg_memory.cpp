// SPDX-License-Identifier: MIT
// Fuzz target: RPreadJpegMemory, the decoder of JPEGs held in memory (the thumbnails
// inside Exif blocks), over an arbitrary buffer at full size and reduced.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that any read past the end is caught by the sanitizer.
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    const int target = size ? (data[size - 1] & 1 ? 0 : 96) : 0;
    const kavlo::imaging::Image owner(kavlo::imaging::RPreadJpegMemory(copy.get(), size, target));
    const kavlo::imaging::RasterImage& img = owner.record();
    if (img.width > 0) {
        if (img.height <= 0 || !img.pixels) __builtin_trap();
        volatile std::uint8_t last =
            img.pixels[static_cast<std::size_t>(img.height) * img.width * 3 - 1];
        (void)last;
    } else if (img.height != 0 || img.pixels) {
        __builtin_trap();
    }
    return 0;
}
