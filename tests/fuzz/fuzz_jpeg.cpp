// SPDX-License-Identifier: MIT
// Fuzz target: the JPEG file readers (RPreadJpeg at several reduction targets and
// RPreadJpegInfo) over an arbitrary file. The last byte picks the target, so one
// input reaches full-size and every reduced decode path; bytes after the end of the
// image are ignored by the decoder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"

namespace {
kavlo::fuzz::ScratchCleanup cleanup{".jpg"};
constexpr int kTargets[4] = {0, 1, 64, 640};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kavlo::fuzz::writeInput(data, size, ".jpg");
    const int target = size ? kTargets[data[size - 1] & 3] : 0;

    std::string comment = "unchanged";
    int w = -1, h = -1;
    const kavlo::imaging::Image owner(kavlo::imaging::RPreadJpeg(path, &comment, target, &w, &h));
    const kavlo::imaging::RasterImage& img = owner.record();
    if (comment.size() >= 512) __builtin_trap();
    if (img.width > 0) {
        // A decoded picture is never larger than the stored size, and a reduction
        // keeps the longer side at or above the target.
        if (img.width > w || img.height > h || !img.pixels) __builtin_trap();
        const std::size_t row = static_cast<std::size_t>(img.width) * 3;
        std::uint8_t sum = 0;
        for (int y = 0; y < img.height; y += 7) sum += img.pixels[y * row + row - 1];
        volatile std::uint8_t sink = sum;
        (void)sink;
    } else if (img.height != 0 || img.pixels) {
        __builtin_trap();
    }

    std::string infoComment;
    int ih = -1, iw = -1;
    const int rc = kavlo::imaging::RPreadJpegInfo(path, &infoComment, &ih, &iw);
    if (rc != 0 || infoComment.size() >= 512) __builtin_trap();
    return 0;
}
