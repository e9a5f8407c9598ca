// SPDX-License-Identifier: MIT
// IPTC data where TIFF and PNG files carry it: TIFF tag 33723 (IPTC-NAA) of the first
// directory, and PNG text chunks "Raw profile type iptc" (the hexadecimal form photo
// tools use for profiles a PNG file has no chunk for).
//
// Both readers look only at what they need: the TIFF reader reads the header, the
// first directory and the one value; the PNG reader reads chunk headers and skips the
// others' data (the image data is never read), so a large file costs a few reads.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "metadata/iptc.h"
#include "metadata/tiff_block.h"
#include "util/files.h"

namespace kavlo::metadata {

using detail::ByteReader;
using detail::IfdEntry;
using detail::ifdEntry;
using detail::IfdLayout;
using detail::ifdLayout;
using util::FilePtr;
using util::openRegularFile;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kIptcNaaTag = 33723;
// IPTC data is a few kilobytes; these caps keep a hostile size from reaching an
// allocation.
constexpr std::uint64_t kMaxIptcBytes = 4u << 20;
constexpr std::uint64_t kMaxTextChunk = 16u << 20;
constexpr std::uint64_t kMaxInflated = 16u << 20;

bool readAt(std::FILE* f, std::uint64_t offset, std::uint8_t* out, std::size_t n) {
    if (offset > static_cast<std::uint64_t>(LONG_MAX)) return false;
    return std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
           (n == 0 || std::fread(out, 1, n, f) == n);
}

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

/// zlib data inflated, at most kMaxInflated bytes; nothing when it is broken or larger.
std::optional<Bytes> inflateBounded(const std::uint8_t* data, std::size_t size) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    Bytes out;
    int status = Z_OK;
    while (status == Z_OK) {
        if (out.size() >= kMaxInflated) break;
        const std::size_t have = out.size();
        out.resize(std::min<std::size_t>(have + 65536, kMaxInflated));
        z.next_out = out.data() + have;
        z.avail_out = static_cast<uInt>(out.size() - have);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_in == 0) break;  // input ended early
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) return std::nullopt;
    return out;
}

/// Whether a PNG text keyword names a profile that holds IPTC datasets.
bool isIptcProfileKeyword(std::string_view keyword) {
    static constexpr std::string_view kPrefix = "Raw profile type ";
    if (!keyword.starts_with(kPrefix)) return false;
    std::string type(keyword.substr(kPrefix.size()));
    for (char& c : type) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    // "iptc" holds the datasets (or the photo-editor resource block around them),
    // "8bim" and "app13" that resource block.
    return type == "iptc" || type == "8bim" || type == "app13";
}

/// The text of a tEXt, zTXt or iTXt chunk whose keyword names an IPTC profile.
std::optional<Bytes> profileText(std::string_view type, const Bytes& data) {
    const auto* begin = data.data();
    const auto* end = begin + data.size();
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(begin, 0, data.size()));
    if (!zero) return std::nullopt;
    if (!isIptcProfileKeyword(
            {reinterpret_cast<const char*>(begin), static_cast<std::size_t>(zero - begin)}))
        return std::nullopt;
    const std::uint8_t* p = zero + 1;
    if (type == "tEXt") return Bytes(p, end);
    if (type == "zTXt") {
        if (p == end || *p != 0) return std::nullopt;  // compression method 0: zlib
        return inflateBounded(p + 1, static_cast<std::size_t>(end - p - 1));
    }
    // iTXt: compression flag, method, language tag, translated keyword, text.
    if (end - p < 2) return std::nullopt;
    const bool compressed = p[0] != 0;
    if (compressed && p[1] != 0) return std::nullopt;
    p += 2;
    for (int field = 0; field < 2; ++field) {
        p = static_cast<const std::uint8_t*>(std::memchr(p, 0, static_cast<std::size_t>(end - p)));
        if (!p) return std::nullopt;
        ++p;
    }
    if (compressed) return inflateBounded(p, static_cast<std::size_t>(end - p));
    return Bytes(p, end);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> decodeRawProfile(std::string_view text) {
    std::size_t i = 0;
    auto skipSpace = [&] {
        while (i < text.size() &&
               (text[i] == ' ' || text[i] == '\n' || text[i] == '\r' || text[i] == '\t'))
            ++i;
    };
    skipSpace();
    while (i < text.size() && text[i] != '\n') ++i;  // the profile's name
    skipSpace();
    std::uint64_t length = 0;
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        length = length * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (length > text.size()) return std::nullopt;  // more bytes than the text can hold
        ++i;
    }
    if (i == digits || (i < text.size() && text[i] != ' ' && text[i] != '\n' && text[i] != '\r' &&
                        text[i] != '\t'))
        return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(length));
    auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    while (out.size() < length) {
        skipSpace();
        if (i + 1 >= text.size()) return std::nullopt;
        const int hi = hexValue(text[i]), lo = hexValue(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
        i += 2;
    }
    return out;
}

bool readTiffIptc(const std::string& path, IptcRecord& record) {
    FilePtr file = openRegularFile(path);
    if (!file) return false;
    std::uint8_t header[8];
    if (!readAt(file.get(), 0, header, sizeof header)) return false;
    const std::optional<ByteReader> head = detail::openTiffBlock(header);
    if (!head) return false;
    const std::uint64_t ifd0 = *head->u32(4);
    // The first directory on its own: its count, entries and link. Value offsets in it
    // count from the start of the file.
    std::uint8_t countBytes[2];
    if (!readAt(file.get(), ifd0, countBytes, 2)) return false;
    const std::uint64_t count = ByteReader(countBytes, head->motorola()).u16(0).value_or(0);
    Bytes dirBytes(2 + 12 * count);
    if (!readAt(file.get(), ifd0, dirBytes.data(), dirBytes.size())) return false;
    const ByteReader dir(dirBytes, head->motorola());
    const std::optional<IfdLayout> layout = ifdLayout(dir, 0);
    for (std::uint64_t i = 0; layout && i < layout->count; ++i) {
        const std::optional<IfdEntry> e = ifdEntry(dir, *layout, i);
        if (!e || e->tag != kIptcNaaTag) continue;
        // Writers type the tag as bytes, undefined or 32-bit numbers; the data is the
        // same byte stream in every case.
        if (e->byteCount == 0 || e->byteCount > kMaxIptcBytes) return true;
        Bytes value(static_cast<std::size_t>(e->byteCount));
        if (e->inlineValue) {
            const auto v = dir.sub(e->valueOffset, e->byteCount);
            value.assign(v.begin(), v.end());
        } else if (!readAt(file.get(), e->valueOffset, value.data(), value.size())) {
            return true;  // the value lies beyond the file: no IPTC data
        }
        parseIptc(value.data(), value.size(), record);
        return true;
    }
    return true;
}

bool readPngIptc(const std::string& path, IptcRecord& record) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    FilePtr file = openRegularFile(path);
    if (!file) return false;
    std::uint8_t signature[8];
    if (!readAt(file.get(), 0, signature, 8) || std::memcmp(signature, kSignature, 8) != 0)
        return false;
    std::uint64_t pos = 8;
    std::uint8_t head[8];
    while (readAt(file.get(), pos, head, 8)) {
        const std::uint32_t length = bigEndian32(head);
        const std::string_view type(reinterpret_cast<const char*>(head + 4), 4);
        if (length > 0x7FFFFFFFu || type == "IEND") break;  // PNG lengths stop at 2^31 - 1
        if ((type == "tEXt" || type == "zTXt" || type == "iTXt") && length <= kMaxTextChunk) {
            Bytes data(std::size_t{length} + 4);
            if (!readAt(file.get(), pos + 8, data.data(), data.size())) break;
            // The CRC covers the type and the data; a damaged chunk is skipped.
            uLong crc = crc32(0, head + 4, 4);
            crc = crc32(crc, data.data(), length);
            if (crc == bigEndian32(data.data() + length)) {
                data.resize(length);
                if (const std::optional<Bytes> text = profileText(type, data)) {
                    const std::optional<Bytes> iptc = decodeRawProfile(
                        {reinterpret_cast<const char*>(text->data()), text->size()});
                    if (iptc) {
                        parseIptc(iptc->data(), iptc->size(), record);
                        return true;  // the first IPTC profile counts, as in a JPEG file
                    }
                }
            }
        }
        pos += std::uint64_t{length} + 12;
    }
    return true;
}

}  // namespace kavlo::metadata
