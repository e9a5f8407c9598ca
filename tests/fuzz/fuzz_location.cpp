// SPDX-License-Identifier: MIT
// Fuzz target: GPS removal from a JPEG file in memory. Whatever the input, a result that
// is not refused is as long as the input, differs from it only inside APP1 sections of
// the first image's header or after its start of scan (further images), reads as a JPEG
// file again, carries no position, and comes back unchanged from a second removal.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "metadata/exif.h"
#include "metadata/jpeg_sections.h"
#include "metadata/location.h"

namespace {

using namespace kavlo::metadata;

struct Span {
    std::uint64_t begin, end;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> in(data, size);
    const LocationFreeJpeg result = removeJpegLocation(in);
    if (result.outcome == LocationRemoval::refused) {
        if (!result.bytes.empty() || result.reason.empty()) __builtin_trap();
        return 0;
    }
    const std::vector<std::uint8_t>& out = result.bytes;
    if (out.size() != size) __builtin_trap();
    if (result.outcome == LocationRemoval::unchanged && !std::equal(out.begin(), out.end(), data))
        __builtin_trap();

    // Where the first image's header allows changes.
    std::vector<Span> app1;
    std::uint64_t scanData = 0;
    detail::MemorySource src(data, size);
    const bool jpeg = detail::walkJpegSections(
        src,
        [&app1](const detail::JpegSection& s) {
            if (s.marker == 0xE1) app1.push_back({s.offset, s.offset + s.bytes.size()});
            return detail::SectionUse::dropped;
        },
        &scanData);
    if (!jpeg) __builtin_trap();  // a stream that is not JPEG is refused
    for (std::size_t i = 0; i < size; ++i) {
        if (out[i] == data[i] || i >= scanData) continue;
        bool inside = false;
        for (const Span& s : app1) inside = inside || (i >= s.begin + 2 && i < s.end);
        if (!inside) __builtin_trap();
    }

    // Still a JPEG file with the same frame, without a position, and settled.
    const ExifInfo before = readExifMemory(data, size, false);
    const ExifInfo after = readExifMemory(out.data(), out.size(), false);
    if (before.width != after.width || before.height != after.height ||
        before.process != after.process)
        __builtin_trap();
    if (jpegHasLocation(out)) __builtin_trap();
    const LocationFreeJpeg again = removeJpegLocation(out);
    if (again.outcome != LocationRemoval::unchanged || again.bytes != out) __builtin_trap();
    return 0;
}
