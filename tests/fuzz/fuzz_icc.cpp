// SPDX-License-Identifier: MIT
// Fuzz target: ICC profile parsing and use. The input is a profile: the sRGB verdict,
// the conversion of a small colour picture and of a grey one, and a CMYK row converter
// built from it. The first input byte also serves as nclx code points.
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/colour.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"

namespace {

kavlo::imaging::Image picture(bool grey) {
    kavlo::imaging::Image img = kavlo::imaging::Image::create(9, 7, 24);
    for (int i = 0; i < 9 * 7 * 3; ++i) img.pixels()[i] = std::uint8_t(grey ? (i / 3) * 4 : i * 37);
    return img;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> profile(data, size);
    (void)kavlo::imaging::isSrgbProfile(profile);
    for (bool grey : {false, true}) {
        kavlo::imaging::Image img = picture(grey);
        kavlo::imaging::convertToSrgb(img.record(), profile, "fuzz");
    }
    kavlo::imaging::CmykToSrgb cmyk(profile, size > 0 && (data[0] & 1), nullptr);
    if (cmyk.valid()) {
        std::uint8_t inks[4 * 5] = {0,  0,  0,   0,   255, 255, 255, 255, 10, 200,
                                    30, 40, 128, 128, 128, 0,   0,   0,   0,  255};
        std::uint8_t bgr[3 * 5];
        cmyk.convert(inks, bgr, 5);
    }
    if (size >= 2) {
        kavlo::imaging::Image img = picture(false);
        kavlo::imaging::convertToSrgb(
            img.record(), kavlo::imaging::NclxColour{data[0], data[1], 0, true}, "fuzz");
    }
    return 0;
}
