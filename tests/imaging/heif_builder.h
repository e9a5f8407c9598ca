// SPDX-License-Identifier: MIT
// Builds HEIF files box by box, for what libheif's encoder does not write: a grid of
// tiles, a depth image, a rotation together with an Exif orientation (as phones
// store them). The coded pictures come from libheif's encoder (one file per tile or
// auxiliary image); this only takes their codec configuration and data out of those
// files and arranges new item, property and reference boxes around them.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "source_files.h"

namespace kavlo::test::heif {

using Bytes = std::vector<std::uint8_t>;

inline std::uint64_t be(const std::uint8_t* p, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

struct BoxRef {
    std::string type;
    std::size_t start = 0;    ///< of the whole box
    std::size_t payload = 0;  ///< first byte after the header
    std::size_t end = 0;
};

inline std::vector<BoxRef> children(const Bytes& b, std::size_t from, std::size_t to) {
    std::vector<BoxRef> out;
    while (from + 8 <= to) {
        std::uint64_t size = be(&b[from], 4);
        std::size_t header = 8;
        if (size == 1) {
            size = be(&b[from + 8], 8);
            header = 16;
        } else if (size == 0) {
            size = to - from;
        }
        if (size < header || from + size > to) break;
        out.push_back({std::string(reinterpret_cast<const char*>(&b[from + 4]), 4), from,
                       from + header, from + std::size_t(size)});
        from += std::size_t(size);
    }
    return out;
}

inline const BoxRef* find(const std::vector<BoxRef>& boxes, const char* type) {
    for (const BoxRef& r : boxes)
        if (r.type == type) return &r;
    return nullptr;
}

/// The coded primary image of a single-image file from libheif: its property boxes
/// (codec configuration, size, pixel information, colour; never transformations) and
/// its data.
struct CodedImage {
    std::string itemType;
    std::vector<Bytes> properties;
    Bytes data;
};

inline std::optional<CodedImage> codedPrimary(const Bytes& file) {
    const auto top = children(file, 0, file.size());
    const BoxRef* meta = find(top, "meta");
    if (meta == nullptr) return std::nullopt;
    const auto boxes = children(file, meta->payload + 4, meta->end);
    const BoxRef *pitm = find(boxes, "pitm"), *iloc = find(boxes, "iloc"),
                 *iprp = find(boxes, "iprp"), *iinf = find(boxes, "iinf");
    if (!pitm || !iloc || !iprp || !iinf) return std::nullopt;
    const std::uint32_t primary =
        std::uint32_t(be(&file[pitm->payload + 4], file[pitm->payload] == 0 ? 2 : 4));
    CodedImage out;
    // Item type from iinf/infe (version 2 or 3).
    const int iinfVersion = file[iinf->payload];
    for (const BoxRef& infe :
         children(file, iinf->payload + 4 + (iinfVersion == 0 ? 2 : 4), iinf->end)) {
        const int v = file[infe.payload];
        const std::size_t at = infe.payload + 4;
        const std::uint32_t id = std::uint32_t(be(&file[at], v == 2 ? 2 : 4));
        if (id == primary)
            out.itemType.assign(reinterpret_cast<const char*>(&file[at + (v == 2 ? 4 : 6)]), 4);
    }
    // Properties from ipco, associated through ipma.
    const auto props = children(file, iprp->payload, iprp->end);
    const BoxRef *ipco = find(props, "ipco"), *ipma = find(props, "ipma");
    if (!ipco || !ipma) return std::nullopt;
    const auto list = children(file, ipco->payload, ipco->end);
    const int mv = file[ipma->payload];
    const bool wide = (file[ipma->payload + 3] & 1) != 0;
    std::size_t at = ipma->payload + 4;
    const std::uint32_t entries = std::uint32_t(be(&file[at], 4));
    at += 4;
    for (std::uint32_t e = 0; e < entries; ++e) {
        const std::uint32_t id = std::uint32_t(be(&file[at], mv < 1 ? 2 : 4));
        at += mv < 1 ? 2 : 4;
        const int count = file[at++];
        for (int a = 0; a < count; ++a) {
            const unsigned index = wide ? unsigned(be(&file[at], 2)) & 0x7FFF : file[at] & 0x7F;
            at += wide ? 2 : 1;
            if (id != primary || index == 0 || index > list.size()) continue;
            const BoxRef& p = list[index - 1];
            if (p.type == "irot" || p.type == "imir" || p.type == "clap") continue;
            out.properties.emplace_back(file.begin() + p.start, file.begin() + p.end);
        }
    }
    // Data from iloc (construction method 0: offsets into the file).
    const int lv = file[iloc->payload];
    at = iloc->payload + 4;
    const int offsetSize = file[at] >> 4, lengthSize = file[at] & 15;
    const int baseSize = file[at + 1] >> 4, indexSize = lv >= 1 ? file[at + 1] & 15 : 0;
    at += 2;
    const std::uint32_t items = std::uint32_t(be(&file[at], lv < 2 ? 2 : 4));
    at += lv < 2 ? 2 : 4;
    for (std::uint32_t i = 0; i < items; ++i) {
        const std::uint32_t id = std::uint32_t(be(&file[at], lv < 2 ? 2 : 4));
        at += lv < 2 ? 2 : 4;
        if (lv >= 1) at += 2;  // construction method
        at += 2;               // data reference index
        const std::uint64_t base = be(&file[at], baseSize);
        at += baseSize;
        const int extents = int(be(&file[at], 2));
        at += 2;
        for (int x = 0; x < extents; ++x) {
            at += indexSize;
            const std::uint64_t off = be(&file[at], offsetSize);
            at += offsetSize;
            const std::uint64_t len = be(&file[at], lengthSize);
            at += lengthSize;
            if (id == primary)
                out.data.insert(out.data.end(), file.begin() + std::ptrdiff_t(base + off),
                                file.begin() + std::ptrdiff_t(base + off + len));
        }
    }
    if (out.data.empty() || out.itemType.empty()) return std::nullopt;
    return out;
}

// ---- Writing ----

inline void put(Bytes& b, std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) b.push_back(std::uint8_t(v >> (8 * i)));
}
inline void put(Bytes& b, const char* fourcc) { b.insert(b.end(), fourcc, fourcc + 4); }
inline Bytes box(const char* type, const Bytes& payload) {
    Bytes b;
    put(b, payload.size() + 8, 4);
    put(b, type);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}
inline Bytes fullBox(const char* type, int version, std::uint32_t flags, const Bytes& payload) {
    Bytes p;
    put(p, (std::uint32_t(version) << 24) | flags, 4);
    p.insert(p.end(), payload.begin(), payload.end());
    return box(type, p);
}
inline void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

/// One item of the file being built.
struct Item {
    std::string type;               ///< "hvc1", "grid", "Exif"
    std::vector<Bytes> properties;  ///< whole property boxes
    Bytes data;
    bool hidden = false;
};

/// A file of `items` (ids 1, 2, ... in order), item 1 primary, with `references`:
/// (type, from, to...) triples.
struct Reference {
    const char* type;
    std::uint16_t from;
    std::vector<std::uint16_t> to;
};

inline Bytes assemble(const std::vector<Item>& items, const std::vector<Reference>& references) {
    Bytes ftyp;
    put(ftyp, "heic");
    put(ftyp, 0, 4);
    put(ftyp, "mif1");
    put(ftyp, "heic");
    ftyp = box("ftyp", ftyp);

    auto metaWith = [&](std::uint32_t mdatData) {
        Bytes hdlr;
        put(hdlr, 0, 4);
        put(hdlr, "pict");
        hdlr.insert(hdlr.end(), 12, 0);
        hdlr.push_back(0);
        Bytes pitm;
        put(pitm, 1, 2);
        Bytes iloc;
        iloc.push_back(0x44);  // offsets and lengths of 4 bytes
        iloc.push_back(0x00);
        put(iloc, items.size(), 2);
        std::uint32_t offset = mdatData;
        for (std::size_t i = 0; i < items.size(); ++i) {
            put(iloc, i + 1, 2);
            put(iloc, 0, 2);
            put(iloc, 1, 2);
            put(iloc, offset, 4);
            put(iloc, items[i].data.size(), 4);
            offset += std::uint32_t(items[i].data.size());
        }
        Bytes iinf;
        put(iinf, items.size(), 2);
        for (std::size_t i = 0; i < items.size(); ++i) {
            Bytes infe;
            put(infe, i + 1, 2);
            put(infe, 0, 2);
            put(infe, items[i].type.c_str());
            infe.push_back(0);
            append(iinf, fullBox("infe", 2, items[i].hidden ? 1 : 0, infe));
        }
        Bytes iref;
        for (const Reference& r : references) {
            Bytes ref;
            put(ref, r.from, 2);
            put(ref, r.to.size(), 2);
            for (std::uint16_t t : r.to) put(ref, t, 2);
            append(iref, box(r.type, ref));
        }
        Bytes ipco, ipma;
        std::size_t index = 0;
        put(ipma, items.size(), 4);
        for (std::size_t i = 0; i < items.size(); ++i) {
            put(ipma, i + 1, 2);
            ipma.push_back(std::uint8_t(items[i].properties.size()));
            for (const Bytes& p : items[i].properties) {
                append(ipco, p);
                ++index;
                const std::string type(p.begin() + 4, p.begin() + 8);
                const bool essential =
                    type == "hvcC" || type == "av1C" || type == "irot" || type == "imir";
                ipma.push_back(std::uint8_t((essential ? 0x80 : 0) | index));
            }
        }
        Bytes iprp = box("ipco", ipco);
        append(iprp, fullBox("ipma", 0, 0, ipma));
        Bytes meta;
        append(meta, fullBox("hdlr", 0, 0, hdlr));
        append(meta, fullBox("pitm", 0, 0, pitm));
        append(meta, fullBox("iloc", 0, 0, iloc));
        append(meta, fullBox("iinf", 0, 0, iinf));
        if (!references.empty()) append(meta, fullBox("iref", 0, 0, iref));
        append(meta, box("iprp", iprp));
        return fullBox("meta", 0, 0, meta);
    };
    const Bytes draft = metaWith(0);
    const std::uint32_t dataStart = std::uint32_t(ftyp.size() + draft.size() + 8);
    Bytes file = ftyp;
    append(file, metaWith(dataStart));
    Bytes mdat;
    for (const Item& item : items) append(mdat, item.data);
    append(file, box("mdat", mdat));
    return file;
}

inline Bytes ispe(int w, int h) {
    Bytes p;
    put(p, std::uint32_t(w), 4);
    put(p, std::uint32_t(h), 4);
    return fullBox("ispe", 0, 0, p);
}
/// Rotation anticlockwise by `quarters` x 90 degrees.
inline Bytes irot(int quarters) { return box("irot", Bytes{std::uint8_t(quarters & 3)}); }
/// Mirror about a vertical axis (axis 0: left and right swap) or a horizontal one (1).
inline Bytes imir(int axis) { return box("imir", Bytes{std::uint8_t(axis & 1)}); }
inline Bytes colrProfile(const Bytes& icc) {
    Bytes p;
    put(p, "prof");
    append(p, icc);
    return box("colr", p);
}
inline Bytes auxC(const char* urn) {
    Bytes p(urn, urn + std::strlen(urn) + 1);
    return fullBox("auxC", 0, 0, p);
}
inline Bytes gridData(int rows, int columns, int width, int height) {
    Bytes p = {0, 0, std::uint8_t(rows - 1), std::uint8_t(columns - 1)};
    put(p, std::uint32_t(width), 2);
    put(p, std::uint32_t(height), 2);
    return p;
}
/// The Exif item's data: the offset field (0), then the TIFF block.
inline Bytes exifItem(const Bytes& tiff) {
    Bytes p = {0, 0, 0, 0};
    append(p, tiff);
    return p;
}

/// A coded HEVC picture of `p` as an item (its tiles must be multiples of 8 pixels).
inline std::optional<Item> hevcItem(const Rgba& p, int quality = 90) {
    HeifSpec spec;
    spec.quality = quality;
    const Bytes single = encodeHeif(p, spec);
    auto coded = codedPrimary(single);
    if (!coded) return std::nullopt;
    return Item{coded->itemType, coded->properties, coded->data, false};
}

/// Cuts the w x h tile at (x, y) out of `p`.
inline Rgba tileOf(const Rgba& p, int x, int y, int w, int h) {
    Rgba t{w, h, std::vector<std::uint8_t>(std::size_t(w) * h * 4)};
    for (int r = 0; r < h; ++r) std::copy_n(p.at(x, y + r), std::size_t(w) * 4, t.at(0, r));
    return t;
}

inline Rgba cropOf(const Rgba& p, int w, int h) { return tileOf(p, 0, 0, w, h); }

}  // namespace kavlo::test::heif
