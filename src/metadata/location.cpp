// SPDX-License-Identifier: MIT
// GPS data in JPEG headers: found, and removed in place.
//
// One pass over a file's header sections collects the blocks where a position can
// stand (Exif, XMP, extended XMP, multi-picture index); the same pass then runs over
// the header of every further image the index lists. Inspection looks at copies of
// the blocks; removal edits the file's bytes where they lie, never moving a section.
#include "metadata/location.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>

#include <expat.h>

#include "metadata/jpeg_sections.h"
#include "metadata/tiff_block.h"
#include "util/files.h"

namespace kavlo::metadata {

using detail::ByteReader;
using detail::ByteSource;
using detail::ByteSpan;
using detail::FileSource;
using detail::IfdEntry;
using detail::ifdEntry;
using detail::IfdLayout;
using detail::ifdLayout;
using detail::JpegSection;
using detail::MemorySource;
using detail::offsetValue;
using detail::SectionUse;
using util::FilePtr;
using util::openRegularFile;

namespace {

using Bytes = std::vector<std::uint8_t>;
using MutableSpan = std::span<std::uint8_t>;

constexpr std::uint16_t kGpsIfdTag = 0x8825;
constexpr std::uint16_t kExifIfdTag = 0x8769;
constexpr std::uint16_t kInteropIfdTag = 0xA005;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::uint16_t kGpsLatitudeTag = 2;
constexpr std::uint16_t kGpsLongitudeTag = 4;
constexpr std::uint16_t kMpEntryTag = 0xB002;

// Directories walked in one Exif block: far more than any camera writes (IFD0, Exif,
// interoperability, IFD1), few enough to bound a crafted chain.
constexpr std::size_t kMaxDirectories = 64;
// Removal passes over one Exif block. One suffices for every sane block; crafted
// blocks whose directories overlap may need another, and are refused after these.
constexpr int kMaxExifPasses = 8;
// Further images of a multi-picture index that are looked at; cameras write two or
// three. A file that lists more is refused rather than half cleaned.
constexpr std::size_t kMaxFurtherImages = 32;

constexpr std::string_view kExifId{"Exif", 4};  // then two bytes (normally zero), then TIFF
constexpr std::size_t kExifHeaderSize = 6;
constexpr std::string_view kXmpId{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view kXmpExtensionId{"http://ns.adobe.com/xmp/extension/\0", 35};
constexpr std::string_view kMpfId{"MPF\0", 4};

bool startsWith(ByteSpan bytes, std::string_view id) {
    return bytes.size() >= id.size() && std::memcmp(bytes.data(), id.data(), id.size()) == 0;
}

char lower(std::uint8_t c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); }

/// Whether "gps" (any letter case) occurs in the bytes, zero bytes skipped (so that a
/// UTF-16 text is caught too).
bool mentionsGps(ByteSpan bytes) {
    static constexpr char kWord[] = "gps";
    int matched = 0;
    for (const std::uint8_t c : bytes) {
        if (c == 0) continue;
        const char l = lower(c);
        if (l == kWord[matched]) {
            if (++matched == 3) return true;
        } else {
            matched = l == kWord[0] ? 1 : 0;
        }
    }
    return false;
}

/// What was found, over every block of a file.
struct Findings {
    bool gpsData = false;   ///< something removal removes (or refuses)
    bool position = false;  ///< a latitude or longitude, or GPS data that cannot be read
    bool changed = false;   ///< removal changed a byte
    std::string refusal;    ///< set when removal cannot make the file safe
    void refuse(std::string why) {
        gpsData = position = true;
        if (refusal.empty()) refusal = std::move(why);
    }
};

struct Range {
    std::uint64_t begin = 0, end = 0;
};

/// Sorted, merged copy of `ranges` (empty ranges dropped).
std::vector<Range> merged(std::vector<Range> ranges) {
    std::erase_if(ranges, [](const Range& r) { return r.end <= r.begin; });
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.begin < b.begin; });
    std::vector<Range> out;
    for (const Range& r : ranges) {
        if (!out.empty() && r.begin <= out.back().end)
            out.back().end = std::max(out.back().end, r.end);
        else out.push_back(r);
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Exif: the GPS directory, the entries that point at it, and the bytes every other
// structure of the block uses.

struct GpsPointer {
    std::uint64_t directory = 0;  ///< start of the directory holding the entry
    std::uint64_t index = 0;
};

struct ExifLayout {
    std::vector<GpsPointer> pointers;
    std::vector<Range> gps;   ///< GPS directories and their values
    std::vector<Range> keep;  ///< everything else the block's directories use
    bool position = false;
};

/// Whether a latitude or longitude value says anything: cameras without a fix write
/// zeros. Rationals count by their numerators (their denominators are 1 even then).
bool holdsNonZero(ByteSpan value, std::uint16_t format) {
    const bool rational = format == 5 || format == 10;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (rational && i % 8 >= 4) continue;
        if (value[i] != 0) return true;
    }
    return false;
}

ExifLayout exifLayout(const ByteReader& block) {
    ExifLayout out;
    const std::uint64_t size = block.size();
    out.keep.push_back({0, 8});  // byte order, 42, first directory offset
    std::vector<std::uint64_t> gpsStarts;
    std::unordered_set<std::uint64_t> visited;
    std::vector<std::uint64_t> pending{block.u32(4).value_or(0)};
    while (!pending.empty() && visited.size() < kMaxDirectories) {
        const std::uint64_t start = pending.back();
        pending.pop_back();
        if (start == 0 || !visited.insert(start).second) continue;
        const std::optional<IfdLayout> dir = ifdLayout(block, start);
        if (!dir) continue;
        out.keep.push_back({start, std::min(dir->end + 4, size)});
        std::optional<std::uint64_t> thumbOffset, thumbLength;
        // Entries are read as far as the block goes, even in a directory too long for
        // it: a lenient reader would find a GPS pointer there.
        for (std::uint64_t i = 0; i < dir->count; ++i) {
            const std::optional<IfdEntry> e = ifdEntry(block, *dir, i);
            if (!e) break;
            if (e->tag == kGpsIfdTag) {
                out.pointers.push_back({start, i});
                if (const auto g = offsetValue(block, *e)) gpsStarts.push_back(*g);
                continue;
            }
            if (!e->inlineValue && e->valueInBlock)
                out.keep.push_back({e->valueOffset, e->valueOffset + e->byteCount});
            if (e->tag == kExifIfdTag || e->tag == kInteropIfdTag) {
                if (const auto o = offsetValue(block, *e)) pending.push_back(*o);
            } else if (e->tag == kThumbnailOffsetTag) {
                thumbOffset = offsetValue(block, *e);
            } else if (e->tag == kThumbnailLengthTag) {
                thumbLength = offsetValue(block, *e);
            }
        }
        if (thumbOffset && thumbLength && *thumbOffset < size)
            out.keep.push_back({*thumbOffset, std::min(*thumbOffset + *thumbLength, size)});
        if (const auto next = block.u32(dir->end); next && *next != 0) pending.push_back(*next);
    }
    for (const std::uint64_t start : gpsStarts) {
        const std::optional<IfdLayout> dir = ifdLayout(block, start);
        if (!dir) continue;
        out.gps.push_back({start, std::min(dir->end + 4, size)});
        for (std::uint64_t i = 0; i < dir->count; ++i) {
            const std::optional<IfdEntry> e = ifdEntry(block, *dir, i);
            if (!e) break;
            if ((e->tag == kGpsLatitudeTag || e->tag == kGpsLongitudeTag) && e->valueInBlock &&
                holdsNonZero(block.sub(e->valueOffset, e->byteCount), e->format))
                out.position = true;
            if (!e->inlineValue && e->valueInBlock)
                out.gps.push_back({e->valueOffset, e->valueOffset + e->byteCount});
        }
    }
    return out;
}

void put16(MutableSpan bytes, std::uint64_t offset, std::uint16_t v, bool motorola) {
    bytes[offset] = static_cast<std::uint8_t>(motorola ? v >> 8 : v);
    bytes[offset + 1] = static_cast<std::uint8_t>(motorola ? v : v >> 8);
}

/// Zeroes the GPS ranges except the bytes another structure uses.
void clearGps(MutableSpan bytes, const ExifLayout& layout) {
    const std::vector<Range> keep = merged(layout.keep);
    std::size_t k = 0;
    for (const Range& r : merged(layout.gps)) {
        std::uint64_t from = r.begin;
        while (from < r.end) {
            while (k < keep.size() && keep[k].end <= from) ++k;
            const std::uint64_t to = (k < keep.size()) ? std::min(r.end, keep[k].begin) : r.end;
            if (to > from) std::memset(bytes.data() + from, 0, to - from);
            from = (k < keep.size() && keep[k].begin <= from) ? keep[k].end : to;
        }
    }
}

/// Drops entry `index` of the directory at `start`: the later entries and the link move
/// up by one entry, the freed bytes at the end become zero, the count drops by one.
/// Nothing happens when that entry is no longer a GPS pointer (overlapping directories).
bool dropEntry(MutableSpan bytes, const ByteReader& block, std::uint64_t start,
               std::uint64_t index) {
    const std::optional<IfdLayout> dir = ifdLayout(block, start);
    if (!dir || index >= dir->count) return false;
    const std::optional<IfdEntry> e = ifdEntry(block, *dir, index);
    if (!e || e->tag != kGpsIfdTag) return false;
    const std::uint64_t tailEnd = std::min(dir->end + 4, block.size());
    const std::uint64_t from = e->position + 12;
    std::memmove(bytes.data() + e->position, bytes.data() + from, tailEnd - from);
    std::memset(bytes.data() + tailEnd - 12, 0, 12);
    put16(bytes, start, static_cast<std::uint16_t>(dir->count - 1), block.motorola());
    return true;
}

/// The GPS data of one Exif block (the TIFF structure after "Exif" and two bytes).
void examineExif(MutableSpan tiff, bool strip, Findings& f) {
    const std::optional<ByteReader> block = detail::openTiffBlock(tiff);
    if (!block) return;  // no reader finds anything in a block without a TIFF header
    for (int pass = 0;; ++pass) {
        const ExifLayout layout = exifLayout(*block);
        if (layout.pointers.empty()) return;
        f.gpsData = true;
        f.position = f.position || layout.position;
        if (!strip) return;
        if (pass == kMaxExifPasses) {
            f.refuse("its Exif directories overlap and cannot be cleaned");
            return;
        }
        clearGps(tiff, layout);
        std::vector<GpsPointer> pointers = layout.pointers;
        std::sort(pointers.begin(), pointers.end(), [](const GpsPointer& a, const GpsPointer& b) {
            return a.directory != b.directory ? a.directory > b.directory : a.index > b.index;
        });
        for (const GpsPointer& p : pointers) dropEntry(tiff, *block, p.directory, p.index);
        f.changed = true;
    }
}

// ---------------------------------------------------------------------------------------
// XMP: elements and attributes named GPS..., found with Expat and overwritten with
// spaces (whitespace between attributes and between the properties of an RDF
// description carries no meaning, so the packet stays well-formed and keeps its size).

bool isGpsName(std::string_view qualified) {
    if (qualified == "xmlns" || qualified.starts_with("xmlns:")) return false;
    const std::size_t colon = qualified.rfind(':');
    const std::string_view local =
        colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
    return local.size() >= 3 && lower(local[0]) == 'g' && lower(local[1]) == 'p' &&
           lower(local[2]) == 's';
}

bool isPositionName(std::string_view qualified) {
    const std::size_t colon = qualified.rfind(':');
    std::string local(colon == std::string_view::npos ? qualified : qualified.substr(colon + 1));
    for (char& c : local) c = lower(static_cast<std::uint8_t>(c));
    return local == "gpslatitude" || local == "gpslongitude" || local == "gpscoordinates";
}

bool isXmlSpace(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class XmpScan {
public:
    explicit XmpScan(ByteSpan packet) : m_packet(packet) {}

    /// Parses the packet; false when it is not well-formed plain XML (a document type
    /// declaration counts as not plain: its entities would move the byte positions).
    bool run() {
        XML_Parser parser = XML_ParserCreate("UTF-8");
        if (!parser) return false;
        m_parser = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &XmpScan::onStart, &XmpScan::onEnd);
        XML_SetStartDoctypeDeclHandler(parser, &XmpScan::onDoctype);
        const bool ok = XML_Parse(parser, reinterpret_cast<const char*>(m_packet.data()),
                                  static_cast<int>(m_packet.size()), XML_TRUE) == XML_STATUS_OK;
        XML_ParserFree(parser);
        return ok && !m_broken;
    }

    const std::vector<Range>& removals() const { return m_removals; }
    bool position() const { return m_position; }

private:
    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** /*atts*/) {
        static_cast<XmpScan*>(data)->start(name);
    }
    static void XMLCALL onEnd(void* data, const XML_Char* name) {
        static_cast<XmpScan*>(data)->end(name);
    }
    static void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int) {
        auto* self = static_cast<XmpScan*>(data);
        self->m_broken = true;
        XML_StopParser(self->m_parser, XML_FALSE);
    }

    /// The byte range of the current event; nothing when Expat reports none inside the
    /// packet.
    std::optional<Range> eventRange() const {
        const XML_Index index = XML_GetCurrentByteIndex(m_parser);
        const int count = XML_GetCurrentByteCount(m_parser);
        if (index < 0 || count < 0) return std::nullopt;
        const Range r{static_cast<std::uint64_t>(index), static_cast<std::uint64_t>(index) + count};
        if (r.end > m_packet.size()) return std::nullopt;
        return r;
    }

    void start(const XML_Char* name) {
        ++m_depth;
        if (m_skipDepth != 0) return;
        const std::optional<Range> tag = eventRange();
        if (!tag || tag->end == tag->begin) {
            m_broken = true;
            return;
        }
        if (isGpsName(name)) {
            m_skipDepth = m_depth;
            m_skipStart = *tag;
            m_position = m_position || isPositionName(name);
            return;
        }
        attributes(*tag);
    }

    void end(const XML_Char*) {
        if (m_skipDepth == m_depth) {
            const std::optional<Range> tag = eventRange();
            if (!tag) m_broken = true;
            // The end of an empty-element tag has no bytes of its own.
            else
                m_removals.push_back(
                    {m_skipStart.begin, tag->end == tag->begin ? m_skipStart.end : tag->end});
            m_skipDepth = 0;
        }
        --m_depth;
    }

    /// The attributes of a start tag that Expat found well-formed: name, "=", a quoted
    /// value, separated by white space. GPS ones are removed with the space before them.
    void attributes(const Range& tag) {
        const ByteSpan t = m_packet.subspan(tag.begin, tag.end - tag.begin);
        std::size_t i = 1;  // after "<"
        while (i < t.size() && !isXmlSpace(t[i]) && t[i] != '/' && t[i] != '>') ++i;
        for (;;) {
            const std::size_t spaceStart = i;
            while (i < t.size() && isXmlSpace(t[i])) ++i;
            if (i >= t.size() || t[i] == '/' || t[i] == '>') return;
            const std::size_t nameStart = i;
            while (i < t.size() && !isXmlSpace(t[i]) && t[i] != '=') ++i;
            const std::string_view attr(reinterpret_cast<const char*>(t.data()) + nameStart,
                                        i - nameStart);
            while (i < t.size() && t[i] != '"' && t[i] != '\'') ++i;
            if (i >= t.size()) return;
            const std::uint8_t quote = t[i++];
            while (i < t.size() && t[i] != quote) ++i;
            if (i >= t.size()) return;
            ++i;
            if (isGpsName(attr)) {
                m_removals.push_back({tag.begin + spaceStart, tag.begin + i});
                m_position = m_position || isPositionName(attr);
            }
        }
    }

    ByteSpan m_packet;
    XML_Parser m_parser = nullptr;
    std::vector<Range> m_removals;
    int m_depth = 0;
    int m_skipDepth = 0;  ///< depth of the GPS element being removed; 0 = none
    Range m_skipStart;    ///< its start tag
    bool m_position = false;
    bool m_broken = false;
};

/// The packet up to its last ">": writers pad packets with spaces or zero bytes.
MutableSpan xmlPart(MutableSpan packet) {
    std::size_t end = packet.size();
    while (end > 0 && packet[end - 1] != '>') --end;
    return packet.first(end);
}

void examineXmp(MutableSpan packet, bool strip, Findings& f) {
    if (!mentionsGps(packet)) return;
    const MutableSpan xml = xmlPart(packet);
    XmpScan scan(xml);
    if (!scan.run()) {
        f.refuse("its XMP packet mentions GPS but is not well-formed XML");
        return;
    }
    if (scan.removals().empty()) return;
    f.gpsData = true;
    f.position = f.position || scan.position();
    if (!strip) return;
    for (const Range& r : scan.removals()) std::memset(xml.data() + r.begin, ' ', r.end - r.begin);
    f.changed = true;
    XmpScan check(xml);
    if (!check.run() || !check.removals().empty())
        f.refuse("its XMP packet could not be cleaned");  // never seen; kept as a guard
}

// ---------------------------------------------------------------------------------------
// One image's header, and the images a multi-picture index lists after it.

enum class BlockKind { exif, xmp, xmpExtension, mpf };

struct FoundBlock {
    BlockKind kind;
    std::uint64_t offset;  ///< of the section's length bytes, in the image's stream
    Bytes bytes;           ///< the section from its length bytes on
};

struct Header {
    std::vector<FoundBlock> blocks;
    std::uint64_t scanData = 0;  ///< first byte after the start-of-scan section
};

std::optional<Header> readHeader(ByteSource& src) {
    Header h;
    const bool ok = detail::walkJpegSections(
        src,
        [&h](const JpegSection& s) {
            const ByteSpan body = s.bytes.subspan(2);
            std::optional<BlockKind> kind;
            if (s.marker == 0xE1 && startsWith(body, kExifId)) kind = BlockKind::exif;
            else if (s.marker == 0xE1 && startsWith(body, kXmpId)) kind = BlockKind::xmp;
            else if (s.marker == 0xE1 && startsWith(body, kXmpExtensionId))
                kind = BlockKind::xmpExtension;
            else if (s.marker == 0xE2 && startsWith(body, kMpfId)) kind = BlockKind::mpf;
            if (kind) h.blocks.push_back({*kind, s.offset, Bytes(s.bytes.begin(), s.bytes.end())});
            // Nothing is kept: the walk needs no limit beyond the file's own size.
            return SectionUse::dropped;
        },
        &h.scanData);
    if (!ok) return std::nullopt;
    return h;
}

/// Stream offsets (from the index's image start) of the further images a multi-picture
/// index lists: 16-byte entries of tag 0xB002 in its first directory, whose third
/// number is the image's offset from the index's TIFF header (0 for the first image).
std::vector<std::uint64_t> furtherImages(ByteSpan section, std::uint64_t sectionOffset) {
    const std::size_t tiffStart = 2 + kMpfId.size();
    const std::optional<ByteReader> block = detail::openTiffBlock(section.subspan(tiffStart));
    if (!block) return {};
    const std::optional<IfdLayout> dir = ifdLayout(*block, block->u32(4).value_or(0));
    if (!dir) return {};
    std::vector<std::uint64_t> out;
    for (std::uint64_t i = 0; i < dir->count; ++i) {
        const std::optional<IfdEntry> e = ifdEntry(*block, *dir, i);
        if (!e) break;
        if (e->tag != kMpEntryTag || !e->valueInBlock) continue;
        const ByteReader entries(block->sub(e->valueOffset, e->byteCount), block->motorola());
        for (std::uint64_t k = 16; k + 16 <= entries.size(); k += 16) {
            const std::uint32_t offset = entries.u32(k + 8).value_or(0);
            if (offset != 0) out.push_back(sectionOffset + tiffStart + offset);
        }
    }
    return out;
}

/// Where the bytes of a file come from: its header is read from `open(offset)`;
/// removal edits `editable` (empty when only inspecting).
struct Stream {
    std::function<std::unique_ptr<ByteSource>(std::uint64_t)> open;
    std::function<bool(std::uint64_t)> startsImage;  ///< 0xFF 0xD8 at that offset
    MutableSpan editable;
};

/// The blocks of one image header whose stream starts at `base`.
void examineBlocks(Header& header, const Stream& stream, std::uint64_t base, Findings& f,
                   std::vector<std::uint64_t>* further) {
    const bool strip = !stream.editable.empty();
    for (FoundBlock& b : header.blocks) {
        const MutableSpan section =
            strip ? stream.editable.subspan(base + b.offset, b.bytes.size()) : MutableSpan(b.bytes);
        switch (b.kind) {
        case BlockKind::exif:
            if (section.size() > 2 + kExifHeaderSize)
                examineExif(section.subspan(2 + kExifHeaderSize), strip, f);
            break;
        case BlockKind::xmp: examineXmp(section.subspan(2 + kXmpId.size()), strip, f); break;
        case BlockKind::xmpExtension:
            if (mentionsGps(section)) f.refuse("its extended XMP section mentions GPS");
            break;
        case BlockKind::mpf:
            if (further) {
                for (const std::uint64_t o : furtherImages(section, b.offset))
                    further->push_back(base + o);
            }
            break;
        }
    }
}

/// Examines (and, with an editable stream, cleans) the file: its first image, then
/// the further images of its multi-picture index that start after the first image's
/// header, in file order, each after the header of the one before.
Findings examineFile(const Stream& stream) {
    Findings f;
    std::unique_ptr<ByteSource> src = stream.open(0);
    std::optional<Header> first = src ? readHeader(*src) : std::nullopt;
    if (!first) {
        f.refusal = "it is not a JPEG file";
        return f;
    }
    std::vector<std::uint64_t> further;
    examineBlocks(*first, stream, 0, f, &further);
    std::sort(further.begin(), further.end());
    further.erase(std::unique(further.begin(), further.end()), further.end());
    if (further.size() > kMaxFurtherImages) {
        f.refuse("its multi-picture index lists more than " + std::to_string(kMaxFurtherImages) +
                 " images");
        return f;
    }
    std::uint64_t headersEnd = first->scanData;
    for (const std::uint64_t at : further) {
        if (at < headersEnd || !stream.startsImage(at)) continue;
        std::unique_ptr<ByteSource> s = stream.open(at);
        std::optional<Header> h = s ? readHeader(*s) : std::nullopt;
        if (!h) {
            f.refuse("an image of its multi-picture index cannot be read");
            return f;
        }
        examineBlocks(*h, stream, at, f, nullptr);
        headersEnd = at + h->scanData;
    }
    return f;
}

Stream memoryStream(ByteSpan all, MutableSpan editable) {
    Stream s;
    s.open = [all](std::uint64_t at) -> std::unique_ptr<ByteSource> {
        if (at > all.size()) return nullptr;
        return std::make_unique<MemorySource>(all.data() + at, all.size() - at);
    };
    s.startsImage = [all](std::uint64_t at) {
        return at + 2 <= all.size() && all[at] == 0xFF && all[at + 1] == 0xD8;
    };
    s.editable = editable;
    return s;
}

}  // namespace

LocationFreeJpeg removeJpegLocation(std::span<const std::uint8_t> jpeg) {
    LocationFreeJpeg result;
    result.bytes.assign(jpeg.begin(), jpeg.end());
    // An empty stream would make the edit view empty, which means "inspect only"; it is
    // no JPEG file either way.
    const Findings f = result.bytes.empty()
                           ? Findings{.refusal = "it is not a JPEG file"}
                           : examineFile(memoryStream(result.bytes, MutableSpan(result.bytes)));
    if (!f.refusal.empty()) {
        result.outcome = LocationRemoval::refused;
        result.reason = f.refusal;
        result.bytes.clear();
        return result;
    }
    result.outcome = f.changed ? LocationRemoval::removed : LocationRemoval::unchanged;
    return result;
}

bool jpegHasLocation(std::span<const std::uint8_t> jpeg) {
    const Findings f = examineFile(memoryStream(jpeg, {}));
    return f.position;
}

bool jpegHasLocation(const std::string& path) {
    FilePtr file = openRegularFile(path);
    if (!file) return false;
    std::FILE* fp = file.get();
    Stream s;
    s.open = [fp](std::uint64_t at) -> std::unique_ptr<ByteSource> {
        if (at > static_cast<std::uint64_t>(LONG_MAX) ||
            std::fseek(fp, static_cast<long>(at), SEEK_SET) != 0)
            return nullptr;
        return std::make_unique<FileSource>(fp);
    };
    s.startsImage = [fp](std::uint64_t at) {
        std::uint8_t soi[2];
        return at <= static_cast<std::uint64_t>(LONG_MAX) &&
               std::fseek(fp, static_cast<long>(at), SEEK_SET) == 0 &&
               std::fread(soi, 1, 2, fp) == 2 && soi[0] == 0xFF && soi[1] == 0xD8;
    };
    return examineFile(s).position;
}

bool copyJpegWithoutLocation(const std::string& source, const std::string& destination,
                             std::string& error) {
    std::string contents;
    if (!util::readFile(source, contents)) {
        error = source + " cannot be read";
        return false;
    }
    const LocationFreeJpeg clean = removeJpegLocation(
        {reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size()});
    if (clean.outcome == LocationRemoval::refused) {
        error = "the location cannot be removed from " + source + ": " + clean.reason;
        return false;
    }
    if (!util::writeFileAtomic(destination, std::string(clean.bytes.begin(), clean.bytes.end()),
                               util::Durability::RenameOnly)) {
        error = destination + " cannot be written";
        return false;
    }
    return true;
}

}  // namespace kavlo::metadata
