// SPDX-License-Identifier: MIT
// Fuzz target: RPreadTiff over an arbitrary file: libtiff under Kavlo's memory limit,
// the RGBA conversion and the flip to top-row-first.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".tif"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".tif");
    const kavlo::imaging::Image owner(kavlo::imaging::RPreadTiff(path));
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
