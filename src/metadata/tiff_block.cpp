// SPDX-License-Identifier: MIT
#include "metadata/tiff_block.h"

#include <array>

namespace kavlo::metadata::detail {

std::optional<ByteReader> openTiffBlock(ByteSpan bytes) {
    if (bytes.size() < 8) return std::nullopt;
    bool motorola;
    if (bytes[0] == 'I' && bytes[1] == 'I') motorola = false;
    else if (bytes[0] == 'M' && bytes[1] == 'M') motorola = true;
    else return std::nullopt;
    ByteReader block(bytes, motorola);
    if (block.u16(2) != 42) return std::nullopt;
    return block;
}

int tiffFormatSize(int format) {
    static constexpr std::array<int, 13> kSizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return (format >= 0 && format < static_cast<int>(kSizes.size()))
               ? kSizes[static_cast<std::size_t>(format)]
               : 0;
}

std::optional<IfdLayout> ifdLayout(const ByteReader& block, std::uint64_t start) {
    const std::optional<std::uint16_t> count = block.u16(start);
    if (!count) return std::nullopt;
    IfdLayout dir;
    dir.start = start;
    dir.count = *count;
    dir.end = start + 2 + 12 * dir.count;
    // TIFF 6.0 section 2: the entries are followed by a 4-byte link; some writers omit
    // it (or half of it) in the last directory of the block.
    const std::uint64_t size = block.size();
    dir.legal = dir.end + 4 <= size || dir.end == size || dir.end + 2 == size;
    return dir;
}

std::optional<IfdEntry> ifdEntry(const ByteReader& block, const IfdLayout& dir,
                                 std::uint64_t index) {
    if (index >= dir.count) return std::nullopt;
    IfdEntry e;
    e.position = dir.start + 2 + 12 * index;
    if (!block.fits(e.position, 12)) return std::nullopt;
    e.tag = *block.u16(e.position);
    e.format = *block.u16(e.position + 2);
    e.components = *block.u32(e.position + 4);
    e.byteCount = e.components * static_cast<std::uint64_t>(tiffFormatSize(e.format));
    if (e.byteCount > 4) {
        e.inlineValue = false;
        e.valueOffset = *block.u32(e.position + 8);
        e.valueInBlock = block.fits(e.valueOffset, e.byteCount);
    } else {
        e.valueOffset = e.position + 8;
    }
    return e;
}

std::optional<std::uint64_t> offsetValue(const ByteReader& block, const IfdEntry& entry) {
    switch (entry.format) {
    case 3:  // unsigned short
    case 8:  // signed short
        return block.u16(entry.position + 8);
    case 4:   // unsigned long
    case 9:   // signed long
    case 13:  // IFD (TIFF technical note 1)
        return block.u32(entry.position + 8);
    default: return std::nullopt;
    }
}

}  // namespace kavlo::metadata::detail
