// SPDX-License-Identifier: MIT
// Test helpers for GPS data in JPEG files: a GPS directory added to a real camera
// file's Exif block, XMP packets and a multi-picture index inserted, and the header
// sections of a file listed. Used by the tests and by make_fuzz_seeds.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "jpeg_builder.h"

namespace kavlo::testing {

inline Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

/// One header section of a JPEG stream: its marker's position, the marker code and the
/// section length (the two length bytes included).
struct Segment {
    std::size_t at = 0;
    int marker = 0;
    std::size_t length = 0;
    std::size_t end() const { return at + 2 + length; }
};

/// The sections from the start of image up to and including the start of scan.
inline std::vector<Segment> segments(const Bytes& jpeg, std::size_t from = 0) {
    std::vector<Segment> out;
    std::size_t i = from + 2;
    while (i + 4 <= jpeg.size()) {
        if (jpeg[i] != 0xFF) throw std::runtime_error("no marker where one belongs");
        while (i < jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] == 0xFF) ++i;
        Segment s{i, jpeg[i + 1], std::size_t(jpeg[i + 2]) << 8 | jpeg[i + 3]};
        out.push_back(s);
        if (s.marker == 0xDA) break;
        i = s.end();
    }
    return out;
}

inline const Segment* findSegment(const std::vector<Segment>& list, int marker,
                                  const char* id = nullptr, const Bytes* jpeg = nullptr) {
    for (const Segment& s : list) {
        if (s.marker != marker) continue;
        if (id && std::memcmp(jpeg->data() + s.at + 4, id, std::strlen(id)) != 0) continue;
        return &s;
    }
    return nullptr;
}

/// Position of the first byte after the start-of-scan section.
inline std::size_t scanData(const Bytes& jpeg) { return segments(jpeg).back().end(); }

inline Bytes insertAt(Bytes bytes, std::size_t at, const Bytes& what) {
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), what.begin(), what.end());
    return bytes;
}

/// Where a file's GPS data lies: the TIFF block's position in the file, and the byte
/// ranges (begin, end) of the GPS directory and its values, counted in the block.
struct GpsPlacement {
    std::size_t tiff = 0;
    std::vector<std::pair<std::size_t, std::size_t>> gps;
};

/// The GPS data that IFD0 of the file's Exif block points at (the usual place), read the
/// plain way; nothing when there is none.
inline std::optional<GpsPlacement> gpsPlacementOf(const Bytes& jpeg) {
    const std::vector<Segment> list = segments(jpeg);
    const Segment* app1 = findSegment(list, 0xE1, "Exif", &jpeg);
    if (!app1) return std::nullopt;
    const std::size_t base = app1->at + 10;
    const bool mm = jpeg[base] == 'M';
    auto get16 = [&](std::size_t o) {
        o += base;
        return mm ? std::size_t(jpeg[o]) << 8 | jpeg[o + 1]
                  : std::size_t(jpeg[o + 1]) << 8 | jpeg[o];
    };
    auto get32 = [&](std::size_t o) {
        return mm ? get16(o) << 16 | get16(o + 2) : get16(o + 2) << 16 | get16(o);
    };
    const std::size_t ifd0 = get32(4);
    static constexpr int kSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    for (std::size_t i = 0; i < get16(ifd0); ++i) {
        const std::size_t e = ifd0 + 2 + 12 * i;
        if (get16(e) != 0x8825) continue;
        const std::size_t g = get32(e + 8);
        GpsPlacement p{base, {{g, g + 2 + 12 * get16(g) + 4}}};
        for (std::size_t k = 0; k < get16(g); ++k) {
            const std::size_t ge = g + 2 + 12 * k;
            const std::size_t n = get32(ge + 4) * std::size_t(kSize[get16(ge + 2) % 13]);
            if (n > 4) p.gps.push_back({get32(ge + 8), get32(ge + 8) + n});
        }
        return p;
    }
    return std::nullopt;
}

/// The file with a GPS position added to its Exif block, the way an editor adds one:
/// IFD0 is copied to the end of the block with a GPS pointer (0x8825) in tag order, the
/// GPS directory (version, latitude, longitude, altitude) and its values follow, and the
/// header points at the new IFD0. The old IFD0 stays as unused bytes; every other offset
/// of the block stays valid. Throws when the file has no Exif block.
inline Bytes addGps(const Bytes& jpeg, double latitude, double longitude,
                    GpsPlacement* placement = nullptr) {
    const std::vector<Segment> list = segments(jpeg);
    const Segment* app1 = findSegment(list, 0xE1, "Exif", &jpeg);
    if (!app1) throw std::runtime_error("no Exif block");
    const std::size_t tiffAt = app1->at + 10;
    Bytes tiff(jpeg.begin() + std::ptrdiff_t(tiffAt), jpeg.begin() + std::ptrdiff_t(app1->end()));
    const bool mm = tiff[0] == 'M';
    TiffBuilder order(mm);
    auto get16 = [&](std::size_t o) {
        return mm ? std::uint16_t(tiff[o] << 8 | tiff[o + 1])
                  : std::uint16_t(tiff[o + 1] << 8 | tiff[o]);
    };
    auto get32 = [&](std::size_t o) {
        return mm ? std::uint32_t(tiff[o]) << 24 | std::uint32_t(tiff[o + 1]) << 16 |
                        std::uint32_t(tiff[o + 2]) << 8 | tiff[o + 3]
                  : std::uint32_t(tiff[o + 3]) << 24 | std::uint32_t(tiff[o + 2]) << 16 |
                        std::uint32_t(tiff[o + 1]) << 8 | tiff[o];
    };
    auto append = [](Bytes& out, const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); };
    const std::size_t ifd0 = get32(4);
    const std::size_t count = get16(ifd0);
    if (tiff.size() % 2) tiff.push_back(0);
    const std::size_t newIfd0 = tiff.size();
    const std::size_t gps = newIfd0 + 2 + 12 * (count + 1) + 4;
    const std::size_t gpsCount = 6;
    const std::size_t values = gps + 2 + 12 * gpsCount + 4;

    Bytes dir = order.put16(std::uint16_t(count + 1));
    bool placed = false;
    const Bytes pointer = [&] {
        Bytes e = order.put16(0x8825);
        append(e, order.put16(4));
        append(e, order.put32(1));
        append(e, order.put32(std::uint32_t(gps)));
        return e;
    }();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = ifd0 + 2 + 12 * i;
        if (!placed && get16(e) > 0x8825) {
            append(dir, pointer);
            placed = true;
        }
        dir.insert(dir.end(), tiff.begin() + std::ptrdiff_t(e),
                   tiff.begin() + std::ptrdiff_t(e + 12));
    }
    if (!placed) append(dir, pointer);
    append(dir, order.put32(get32(ifd0 + 2 + 12 * count)));  // the link to IFD1

    auto dms = [&](double v) {
        v = v < 0 ? -v : v;
        const auto deg = std::uint32_t(v);
        const auto min = std::uint32_t((v - deg) * 60);
        const auto sec100 = std::uint32_t(((v - deg) * 60 - min) * 6000 + 0.5);
        Bytes b;
        for (std::uint32_t n : {deg, 1u, min, 1u, sec100, 100u}) append(b, order.put32(n));
        return b;
    };
    auto entry = [&](std::uint16_t tag, std::uint16_t format, std::uint32_t n, const Bytes& v) {
        Bytes e = order.put16(tag);
        append(e, order.put16(format));
        append(e, order.put32(n));
        Bytes value = v;
        value.resize(4, 0);
        append(e, value);
        return e;
    };
    Bytes gpsDir = order.put16(std::uint16_t(gpsCount));
    append(gpsDir, entry(0, 1, 4, {2, 3, 0, 0}));
    append(gpsDir, entry(1, 2, 2, {std::uint8_t(latitude < 0 ? 'S' : 'N'), 0}));
    append(gpsDir, entry(2, 5, 3, order.put32(std::uint32_t(values))));
    append(gpsDir, entry(3, 2, 2, {std::uint8_t(longitude < 0 ? 'W' : 'E'), 0}));
    append(gpsDir, entry(4, 5, 3, order.put32(std::uint32_t(values + 24))));
    append(gpsDir, entry(6, 5, 1, order.put32(std::uint32_t(values + 48))));
    append(gpsDir, order.put32(0));
    Bytes gpsValues = dms(latitude);
    append(gpsValues, dms(longitude));
    append(gpsValues, order.put32(31415));  // altitude 314.15 m
    append(gpsValues, order.put32(100));

    append(tiff, dir);
    append(tiff, gpsDir);
    append(tiff, gpsValues);
    const Bytes header = order.put32(std::uint32_t(newIfd0));
    std::copy(header.begin(), header.end(), tiff.begin() + 4);
    if (tiff.size() + 8 > 0xFFFF) throw std::runtime_error("Exif block too large for GPS");

    Bytes out(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(app1->at));
    append(out, exifSection(tiff));
    out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(app1->end()), jpeg.end());
    if (placement) *placement = {tiffAt, {{gps, tiff.size()}}};
    return out;
}

/// An APP1 XMP section holding `packet`.
inline Bytes xmpSection(const std::string& packet) {
    Bytes body;
    const char id[] = "http://ns.adobe.com/xap/1.0/";
    body.insert(body.end(), id, id + sizeof id);  // with its zero byte
    body.insert(body.end(), packet.begin(), packet.end());
    return section(0xE1, body);
}

/// A typical XMP packet: `description` inside one rdf:Description, with padding.
inline std::string xmpPacket(const std::string& attributes, const std::string& properties) {
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "  <rdf:Description rdf:about=\"\"\n"
           "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
           "    xmlns:exif=\"http://ns.adobe.com/exif/1.0/\"" +
           attributes + ">\n" + properties +
           "  </rdf:Description>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n" +
           std::string(200, ' ') + "\n<?xpacket end=\"w\"?>";
}

/// `primary` with a multi-picture index (APP2 "MPF") after its first sections and
/// `second` appended as its second image.
inline Bytes withSecondImage(const Bytes& primary, const Bytes& second) {
    TiffBuilder order(false);
    auto append = [](Bytes& out, const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); };
    // Index: "MPF\0", TIFF header, one directory of three entries, then the two
    // 16-byte image entries.
    const std::size_t sectionSize = 2 + 4 + 8 + 2 + 3 * 12 + 4 + 32;
    const std::size_t insertAtPos = 2;  // right after the start of image
    const std::size_t tiffPos = insertAtPos + 2 + 2 + 4;
    const std::size_t primarySize = primary.size() + 2 + sectionSize;
    Bytes body{'M', 'P', 'F', 0};
    append(body, {'I', 'I', 42, 0});
    append(body, order.put32(8));
    append(body, order.put16(3));
    auto entry = [&](std::uint16_t tag, std::uint16_t format, std::uint32_t n, const Bytes& v) {
        append(body, order.put16(tag));
        append(body, order.put16(format));
        append(body, order.put32(n));
        append(body, v);
    };
    entry(0xB000, 7, 4, {'0', '1', '0', '0'});
    entry(0xB001, 4, 1, order.put32(2));
    entry(0xB002, 7, 32, order.put32(8 + 2 + 3 * 12 + 4));
    append(body, order.put32(0));
    append(body, order.put32(0x20030000));
    append(body, order.put32(std::uint32_t(primarySize)));
    append(body, order.put32(0));
    append(body, order.put32(0));
    append(body, order.put32(0));
    append(body, order.put32(std::uint32_t(second.size())));
    append(body, order.put32(std::uint32_t(primarySize - tiffPos)));
    append(body, order.put32(0));
    Bytes out = insertAt(primary, insertAtPos, section(0xE2, body));
    if (out.size() != primarySize) throw std::runtime_error("index size miscounted");
    append(out, second);
    return out;
}

}  // namespace kavlo::testing
