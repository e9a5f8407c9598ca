// SPDX-License-Identifier: MIT
// Fuzz target: the container headers read without decoding (PNG chunk walk, WebP chunk
// list, HEIF boxes through libheif, JPEG and TIFF headers), whatever format the first
// bytes claim.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_input_file.h"
#include "imaging/source_header.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".photo"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".photo");
    const kavlo::imaging::SourceHeader h = kavlo::imaging::readSourceHeader(path);
    if (h.known && (h.width <= 0 || h.height <= 0)) std::abort();
    if (h.exif.size() > kavlo::imaging::kMaxExifBlockBytes) std::abort();
    if (!h.exif.empty() && h.exif[0] != 'I' && h.exif[0] != 'M') std::abort();
    return 0;
}
