// SPDX-License-Identifier: MIT
// Test helpers: JPEG header streams and Exif (TIFF) blocks built byte by byte, in
// either byte order, so tests can state exactly what a file holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kavlo::testing {

using Bytes = std::vector<std::uint8_t>;

/// Builds a TIFF block with IFD0, an optional Exif sub-directory and an optional IFD1
/// (thumbnail directory). Values longer than 4 bytes go to a data area after the
/// directories.
class TiffBuilder {
public:
    explicit TiffBuilder(bool motorola) : m_motorola(motorola) {}

    enum Dir { ifd0 = 0, exif = 1, ifd1 = 2 };

    TiffBuilder& add(Dir d, std::uint16_t tag, std::uint16_t format, std::uint32_t count,
                     const Bytes& value) {
        m_dirs[d].push_back({tag, format, count, value});
        return *this;
    }
    TiffBuilder& u16(Dir d, std::uint16_t tag, std::uint16_t v) {
        return add(d, tag, 3, 1, put16(v));
    }
    TiffBuilder& u32(Dir d, std::uint16_t tag, std::uint32_t v) {
        return add(d, tag, 4, 1, put32(v));
    }
    TiffBuilder& rational(Dir d, std::uint16_t tag, std::int32_t num, std::int32_t den,
                          bool isSigned = false) {
        Bytes b = put32(static_cast<std::uint32_t>(num));
        Bytes c = put32(static_cast<std::uint32_t>(den));
        b.insert(b.end(), c.begin(), c.end());
        return add(d, tag, isSigned ? 10 : 5, 1, b);
    }
    TiffBuilder& ascii(Dir d, std::uint16_t tag, const std::string& text) {
        Bytes b(text.begin(), text.end());
        b.push_back(0);
        return add(d, tag, 2, static_cast<std::uint32_t>(b.size()), b);
    }
    TiffBuilder& undefined(Dir d, std::uint16_t tag, const Bytes& b) {
        return add(d, tag, 7, static_cast<std::uint32_t>(b.size()), b);
    }
    /// IFD1 with ThumbnailOffset/ThumbnailLength pointing at `thumb` in the data area.
    TiffBuilder& thumbnail(const Bytes& thumb) {
        m_thumb = thumb;
        return *this;
    }

    Bytes build() const {
        std::vector<Entry> dirs[3] = {m_dirs[0], m_dirs[1], m_dirs[2]};
        const bool hasExif = !dirs[exif].empty();
        if (hasExif) dirs[ifd0].push_back({34665, 4, 1, put32(0)});  // patched below
        if (!m_thumb.empty()) {
            dirs[ifd1].push_back({513, 4, 1, put32(0)});
            dirs[ifd1].push_back({514, 4, 1, put32(static_cast<std::uint32_t>(m_thumb.size()))});
        }
        std::uint32_t offsets[3] = {0, 0, 0};
        std::uint32_t pos = 8;
        for (int d = 0; d < 3; ++d) {
            if (d != ifd0 && dirs[d].empty()) continue;
            offsets[d] = pos;
            pos += 2 + 12 * static_cast<std::uint32_t>(dirs[d].size()) + 4;
        }
        Bytes out = m_motorola ? Bytes{'M', 'M', 0, 42} : Bytes{'I', 'I', 42, 0};
        append(out, put32(8));
        Bytes data;
        const std::uint32_t dataStart = pos;
        std::uint32_t thumbOffset = 0;
        if (!m_thumb.empty()) {
            thumbOffset = dataStart;
            data = m_thumb;
        }
        for (int d = 0; d < 3; ++d) {
            if (d != ifd0 && dirs[d].empty()) continue;
            append(out, put16(static_cast<std::uint16_t>(dirs[d].size())));
            for (const Entry& e : dirs[d]) {
                append(out, put16(e.tag));
                append(out, put16(e.format));
                append(out, put32(e.count));
                Bytes value = e.value;
                if (e.tag == 34665 && hasExif && d == ifd0) value = put32(offsets[exif]);
                if (e.tag == 513 && d == ifd1) value = put32(thumbOffset);
                if (value.size() > 4) {
                    append(out, put32(dataStart + static_cast<std::uint32_t>(data.size())));
                    append(data, value);
                } else {
                    value.resize(4, 0);
                    append(out, value);
                }
            }
            const std::uint32_t next = (d == ifd0 && offsets[ifd1]) ? offsets[ifd1] : 0;
            append(out, put32(next));
        }
        append(out, data);
        return out;
    }

    Bytes put16(std::uint16_t v) const {
        return m_motorola ? Bytes{std::uint8_t(v >> 8), std::uint8_t(v)}
                          : Bytes{std::uint8_t(v), std::uint8_t(v >> 8)};
    }
    Bytes put32(std::uint32_t v) const {
        return m_motorola ? Bytes{std::uint8_t(v >> 24), std::uint8_t(v >> 16),
                                  std::uint8_t(v >> 8), std::uint8_t(v)}
                          : Bytes{std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                  std::uint8_t(v >> 24)};
    }

private:
    struct Entry {
        std::uint16_t tag, format;
        std::uint32_t count;
        Bytes value;
    };
    static void append(Bytes& out, const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); }

    bool m_motorola;
    std::vector<Entry> m_dirs[3];
    Bytes m_thumb;
};

/// One marker section: FF, marker, big-endian length (counting itself), body.
inline Bytes section(std::uint8_t marker, const Bytes& body) {
    const std::size_t len = body.size() + 2;
    Bytes out{0xFF, marker, std::uint8_t(len >> 8), std::uint8_t(len)};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes exifSection(const Bytes& tiff) {
    Bytes body{'E', 'x', 'i', 'f', 0, 0};
    body.insert(body.end(), tiff.begin(), tiff.end());
    return section(0xE1, body);
}

inline Bytes frameSection(int width, int height, int components = 3, std::uint8_t marker = 0xC0) {
    Bytes body{8,
               std::uint8_t(height >> 8),
               std::uint8_t(height),
               std::uint8_t(width >> 8),
               std::uint8_t(width),
               std::uint8_t(components)};
    for (int c = 0; c < components; ++c) body.insert(body.end(), {std::uint8_t(c + 1), 0x11, 0});
    return section(marker, body);
}

/// SOI, the given sections, a frame, a scan header, a few "compressed" bytes and EOI.
inline Bytes jpegWith(const std::vector<Bytes>& sections, int width = 64, int height = 48) {
    Bytes out{0xFF, 0xD8};
    for (const Bytes& s : sections) out.insert(out.end(), s.begin(), s.end());
    const Bytes sof = frameSection(width, height);
    out.insert(out.end(), sof.begin(), sof.end());
    const Bytes sos = section(0xDA, {3, 1, 0, 2, 0x11, 3, 0x11, 0, 63, 0});
    out.insert(out.end(), sos.begin(), sos.end());
    out.insert(out.end(), {0x12, 0x34, 0x56, 0xFF, 0xD9});
    return out;
}

}  // namespace kavlo::testing
