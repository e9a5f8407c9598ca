// SPDX-License-Identifier: MIT
// Fuzz target: the IPTC dataset scanner over the bytes of one APP13 section, then the
// caption templates (plain and Mac Roman) over the record it filled.
#include <cstddef>
#include <cstdint>

#include "metadata/iptc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavlo::metadata::IptcRecord record;
    kavlo::metadata::parseIptc(data, size, record);
    volatile std::size_t n =
        kavlo::metadata::iptcCaption(record,
                                     "%headline%\r\n%caption_abstract% - %keywords% %date_created%")
            .size() +
        kavlo::metadata::iptcCaption(record,
                                     "%mac_roman%%byline_author%: %caption_abstract% (%country%)")
            .size();
    (void)n;
    return 0;
}
