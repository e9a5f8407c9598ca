// SPDX-License-Identifier: MIT
// Fuzz target: the HEIF/AVIF reader (libheif with libde265 and dav1d: primary image, grids,
// transformations, profiles, Exif item), and the colour conversion of what the file describes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "fuzz_source_common.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".heif"};
}

// libheif 1.15's dav1d plugin leaves the data buffer it made for dav1d behind when
// dav1d refuses an AV1 stream (40 bytes per broken file). Not Kavlo's memory.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".heif");
    kavlo::imaging::ReadOptions options;
    options.background = 0x336699;
    kavlo::imaging::DecodedImage d = kavlo::imaging::readHeifImage(path, options);
    kavlo::fuzz::checkDecoded(d);
    return 0;
}
