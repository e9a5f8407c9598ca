// SPDX-License-Identifier: MIT
// Fuzz target: the JPEG reader with its colour metadata: the ICC profile assembled
// from APP2 chunks, the APP1 Exif block, CMYK rows through the file's profile, then the
// conversion to sRGB of an RGB or grey picture through the profile.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "fuzz_source_common.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".jpg"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".jpg");
    kavlo::imaging::ReadOptions options;
    options.targetSize = size ? (data[size - 1] & 1) * 64 : 0;
    kavlo::imaging::DecodedImage d = kavlo::imaging::readJpegImage(path, options);
    kavlo::fuzz::checkDecoded(d);
    return 0;
}
