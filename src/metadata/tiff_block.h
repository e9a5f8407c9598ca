// SPDX-License-Identifier: MIT
// Bounded reading of a TIFF-structured block (an Exif block, a TIFF file's header,
// a multi-picture index): byte order, 16- and 32-bit numbers, directories and their
// entries. Internal to the metadata layer.
//
// Every read checks its range first, with sums done in 64 bits, and returns nothing
// (or an empty span) on overrun, so offsets and counts taken from the block can be
// used without further checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kavlo::metadata::detail {

using ByteSpan = std::span<const std::uint8_t>;

inline std::uint16_t get16(const std::uint8_t* p, bool motorola) {
    return motorola ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
                    : static_cast<std::uint16_t>((p[1] << 8) | p[0]);
}

inline std::uint32_t get32(const std::uint8_t* p, bool motorola) {
    return motorola ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                          (std::uint32_t{p[2]} << 8) | p[3]
                    : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                          (std::uint32_t{p[1]} << 8) | p[0];
}

/// Bounded view of a block in one byte order.
class ByteReader {
public:
    ByteReader(ByteSpan bytes, bool motorola) : m_bytes(bytes), m_motorola(motorola) {}

    std::uint64_t size() const { return m_bytes.size(); }
    bool motorola() const { return m_motorola; }
    ByteSpan bytes() const { return m_bytes; }
    bool fits(std::uint64_t offset, std::uint64_t length) const {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const {
        if (!fits(offset, 2)) return std::nullopt;
        return get16(m_bytes.data() + offset, m_motorola);
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        if (!fits(offset, 4)) return std::nullopt;
        return get32(m_bytes.data() + offset, m_motorola);
    }
    ByteSpan sub(std::uint64_t offset, std::uint64_t length) const {
        if (!fits(offset, length)) return {};
        return m_bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

private:
    ByteSpan m_bytes;
    bool m_motorola;
};

/// The block as a TIFF structure when it starts with "II" or "MM" and the number 42;
/// nothing otherwise. Offsets inside count from the block's first byte.
std::optional<ByteReader> openTiffBlock(ByteSpan bytes);

/// Size in bytes of one component of value format 1..12; 0 for anything else.
int tiffFormatSize(int format);

/// One 12-byte directory entry, its value located: `valueOffset` is where the value's
/// bytes start in the block (inside the entry when they fit in 4 bytes).
struct IfdEntry {
    std::uint64_t position = 0;  ///< offset of the entry itself
    std::uint16_t tag = 0;
    std::uint16_t format = 0;
    std::uint64_t components = 0;
    std::uint64_t byteCount = 0;  ///< components x format size (0 for unknown formats)
    std::uint64_t valueOffset = 0;
    bool inlineValue = true;  ///< the value stands in the entry's last 4 bytes
    /// The value's bytes lie inside the block (always true for inline values).
    bool valueInBlock = true;
};

/// The directory at `start`: entry count and where it ends. A directory is legal when
/// its entries and the 4-byte link after them fit in the block; some writers omit the
/// link (or half of it) in the last directory, which is accepted too.
struct IfdLayout {
    std::uint64_t start = 0;
    std::uint64_t count = 0;
    std::uint64_t end = 0;  ///< start + 2 + 12 x count: where the link stands
    bool legal = false;
};
std::optional<IfdLayout> ifdLayout(const ByteReader& block, std::uint64_t start);

/// Entry `index` of the directory; nothing when its 12 bytes are not in the block.
std::optional<IfdEntry> ifdEntry(const ByteReader& block, const IfdLayout& dir,
                                 std::uint64_t index);

/// The number an offset-valued entry holds (first component, unsigned short or long),
/// or nothing for other formats.
std::optional<std::uint64_t> offsetValue(const ByteReader& block, const IfdEntry& entry);

}  // namespace kavlo::metadata::detail
