// SPDX-License-Identifier: MIT
// Fuzz target: the Exif parser over a block as PNG, WebP and HEIF files carry it (TIFF
// header first, or after "Exif\0\0"), and the caption built from whatever it found.
#include <cstddef>
#include <cstdint>

#include "metadata/exif.h"
#include "metadata/exif_caption.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavlo::metadata::ExifInfo info = kavlo::metadata::readExifBlock({data, size}, true);
    if (info.thumbnailSize != static_cast<int>(info.thumbnail.size())) __builtin_trap();
    if (info.thumbnail.size() > size || info.dateCopies.size() > 10 || info.make.size() > 31 ||
        info.model.size() > 39 || info.dateTime.size() > 19 || info.comment.size() > 199)
        __builtin_trap();
    // What only a JPEG header gives stays zero.
    if (info.width != 0 || info.height != 0 || info.process != 0) __builtin_trap();
    if (info.orientation < 0 || info.orientation > 8) __builtin_trap();
    volatile std::size_t n = kavlo::metadata::formatExifCaption(info, "eaxfiukmd").size();
    (void)n;
    return 0;
}
