// SPDX-License-Identifier: MIT
// Fuzz target: IPTC data from a photo file of any kind (readIptc picks the TIFF, PNG or
// JPEG reader by the first bytes), and the "Raw profile type" decoder over the same bytes
// as text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_input_file.h"
#include "metadata/iptc.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".photo"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".photo");
    kavlo::metadata::IptcRecord record;
    kavlo::metadata::readIptc(path, record);
    volatile std::size_t n =
        kavlo::metadata::iptcCaption(record, "%caption_abstract% %keywords%").size();
    const auto profile =
        kavlo::metadata::decodeRawProfile({reinterpret_cast<const char*>(data), size});
    if (profile && profile->size() > size / 2) __builtin_trap();
    (void)n;
    return 0;
}
