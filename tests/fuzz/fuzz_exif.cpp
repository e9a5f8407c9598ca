// SPDX-License-Identifier: MIT
// Fuzz target: the JPEG section reader and Exif parser over a byte buffer, and the
// caption built from whatever it found (every item letter on).
#include <cstddef>
#include <cstdint>

#include "metadata/exif.h"
#include "metadata/exif_caption.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavlo::metadata::ExifInfo info = kavlo::metadata::readExifMemory(data, size, true);
    if (info.thumbnailSize != static_cast<int>(info.thumbnail.size())) __builtin_trap();
    if (info.dateCopies.size() > 10 || info.make.size() > 31 || info.model.size() > 39 ||
        info.dateTime.size() > 19 || info.comment.size() > 1999)
        __builtin_trap();
    volatile std::size_t n = kavlo::metadata::formatExifCaption(info, "eaxfiukmd").size();
    (void)n;
    kavlo::metadata::freeExif(info);
    return 0;
}
