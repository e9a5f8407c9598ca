// SPDX-License-Identifier: MIT
#include "imaging/decode_footprint.h"

#include <algorithm>

#include "imaging/raster_image.h"
#include "imaging/source_header.h"
#include "imaging/source_image.h"

namespace kavlo::imaging {

namespace {

// The size RPreadJpeg decodes a w x h JPEG at for `target`.
void dctScaled(std::uint64_t& w, std::uint64_t& h, int target) {
    if (target < 1 || (std::uint64_t(target) >= w && std::uint64_t(target) >= h)) return;
    const std::uint64_t longer = std::max(w, h);
    int k = 0;
    while (k < 3 && longer >= (std::uint64_t(target) << (k + 1))) ++k;
    const std::uint64_t d = 1ull << k;
    w = (w + d - 1) / d;
    h = (h + d - 1) / d;
}

}  // namespace

std::uint64_t decodedPixels(const std::string& path, int targetSize) {
    const SourceHeader header = readSourceHeader(path);
    if (!header.known || header.width <= 0 || header.height <= 0) return 0;
    std::uint64_t w = std::uint64_t(header.width), h = std::uint64_t(header.height);
    // JPEG is decoded as far reduced as the target allows, into 3 bytes a pixel; the
    // other readers decode whole, through 4 bytes a pixel.
    std::uint64_t bytesPerPixel = 4;
    if (header.format == SourceFormat::Jpeg) {
        dctScaled(w, h, targetSize);
        bytesPerPixel = 3;
    }
    const std::uint64_t pixels = w * h;
    if (pixels == 0 || pixels > kMaxRasterPixels || pixels * bytesPerPixel > kMaxRasterBytes)
        return 0;
    return pixels;
}

}  // namespace kavlo::imaging
