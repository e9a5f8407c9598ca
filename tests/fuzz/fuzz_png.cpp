// SPDX-License-Identifier: MIT
// Fuzz target: the PNG reader (libpng under Kavlo's limits, the transformations, alpha over a
// background, iCCP and eXIf), and the colour conversion of what the file describes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "fuzz_source_common.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".png"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".png");
    kavlo::imaging::ReadOptions options;
    options.background = 0x336699;
    kavlo::imaging::DecodedImage d = kavlo::imaging::readPngImage(path, options);
    kavlo::fuzz::checkDecoded(d);
    return 0;
}
