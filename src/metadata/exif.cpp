// SPDX-License-Identifier: MIT
// JPEG header sections and Exif block reader.
//
// The section loop reads one marker section at a time from a byte source (a file or a
// memory buffer) and stops at the start of scan, so the compressed data is never read.
// The Exif block is walked through ByteReader, whose reads return nothing on overrun;
// all sums of offsets and lengths are done in 64 bits.
#include "metadata/exif.h"

#include "util/diagnostics.h"
#include "util/files.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <unordered_set>

namespace kavlo::metadata {

using util::Diagnostic;
using util::ErrorCode;
using util::FilePtr;
using util::openFailureOf;
using util::openRegularFile;
using util::report;
using util::Severity;
using util::textDiagnostic;

namespace {

using ByteSpan = std::span<const std::uint8_t>;

constexpr std::size_t kMaxFileName = 260;
constexpr std::size_t kMaxMake = 31;
constexpr std::size_t kMaxModel = 39;
constexpr std::size_t kMaxDate = 19;
constexpr std::size_t kMaxSectionComment = 1999;
constexpr std::size_t kMaxUserComment = 199;
constexpr int kMaxSections = 200;
constexpr int kMaxDateCopies = 10;
constexpr int kMaxNesting = 4;
// A legal block of at most 65527 bytes holds at most 5460 non-overlapping entries; the
// budget stops crafted blocks whose overlapping directories would multiply the work.
constexpr int kMaxEntriesPerBlock = 16384;

// ---------------------------------------------------------------------------------------
// Safe numeric conversions: values from the file may be NaN, infinite or out of range.

int truncToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

float toFloat(double v) {
    if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
    if (v > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (v < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

std::uint16_t get16(const std::uint8_t* p, bool motorola) {
    return motorola ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
                    : static_cast<std::uint16_t>((p[1] << 8) | p[0]);
}

std::uint32_t get32(const std::uint8_t* p, bool motorola) {
    return motorola ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                          (std::uint32_t{p[2]} << 8) | p[3]
                    : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                          (std::uint32_t{p[1]} << 8) | p[0];
}

/// Bounded view of an Exif (TIFF) block: every read checks its range first (64-bit
/// sums) and returns nothing, or an empty span, on overrun.
class ByteReader {
public:
    ByteReader(ByteSpan bytes, bool motorola) : m_bytes(bytes), m_motorola(motorola) {}

    std::uint64_t size() const { return m_bytes.size(); }
    bool motorola() const { return m_motorola; }
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

double convertSpan(int format, ByteSpan value, bool motorola) {
    const int size = exifFormatSize(format);
    if (size == 0 || value.size() < static_cast<std::size_t>(size)) return 0;
    return convertValue(format, value.data(), motorola);
}

/// Text of a value: up to its first zero byte, at most `maxLen` bytes, never past the value.
std::string textOf(ByteSpan value, std::size_t maxLen) {
    std::size_t n = 0;
    while (n < value.size() && n < maxLen && value[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(value.data()), n);
}

// ---------------------------------------------------------------------------------------
// Tag table.

enum class TagAction {
    make,
    model,
    orientation,
    dateTime,
    dateTimeOriginal,
    exposureTime,
    fNumber,
    subIfd,
    exposureProgram,
    iso,
    shutterSpeed,
    aperture,
    exposureBias,
    subjectDistance,
    meteringMode,
    lightSource,
    flash,
    focalLength,
    userComment,
    exifImageSize,
    focalPlaneXRes,
    focalPlaneUnit,
    exposureIndex,
    exposureMode,
    whiteBalance,
    digitalZoom,
    focalLength35,
    thumbnailOffset,
    thumbnailLength,
};

struct TagInfo {
    std::uint16_t tag;
    const char* name;
    TagAction action;
};

constexpr TagInfo kExifTags[] = {
    {271, "Make", TagAction::make},
    {272, "Model", TagAction::model},
    {274, "Orientation", TagAction::orientation},
    {306, "DateTime", TagAction::dateTime},
    {513, "ThumbnailOffset", TagAction::thumbnailOffset},
    {514, "ThumbnailLength", TagAction::thumbnailLength},
    {33434, "ExposureTime", TagAction::exposureTime},
    {33437, "FNumber", TagAction::fNumber},
    {34665, "ExifOffset", TagAction::subIfd},
    {34850, "ExposureProgram", TagAction::exposureProgram},
    {34855, "ISOSpeedRatings", TagAction::iso},
    {36867, "DateTimeOriginal", TagAction::dateTimeOriginal},
    {36868, "DateTimeDigitized", TagAction::dateTime},
    {37377, "ShutterSpeedValue", TagAction::shutterSpeed},
    {37378, "ApertureValue", TagAction::aperture},
    {37380, "ExposureBiasValue", TagAction::exposureBias},
    {37381, "MaxApertureValue", TagAction::aperture},
    {37382, "SubjectDistance", TagAction::subjectDistance},
    {37383, "MeteringMode", TagAction::meteringMode},
    {37384, "LightSource", TagAction::lightSource},
    {37385, "Flash", TagAction::flash},
    {37386, "FocalLength", TagAction::focalLength},
    {37510, "UserComment", TagAction::userComment},
    {40962, "ExifImageWidth", TagAction::exifImageSize},
    {40963, "ExifImageLength", TagAction::exifImageSize},
    {40965, "InteroperabilityOffset", TagAction::subIfd},
    {41486, "FocalPlaneXResolution", TagAction::focalPlaneXRes},
    {41488, "FocalPlaneResolutionUnit", TagAction::focalPlaneUnit},
    {41493, "ExposureIndex", TagAction::exposureIndex},
    {41986, "ExposureMode", TagAction::exposureMode},
    {41987, "WhiteBalance", TagAction::whiteBalance},
    {41988, "DigitalZoomRatio", TagAction::digitalZoom},
    {41989, "FocalLengthIn35mmFilm", TagAction::focalLength35},
};

const TagInfo* findTag(std::uint16_t tag) {
    for (const TagInfo& t : kExifTags)
        if (t.tag == tag) return &t;
    return nullptr;
}

// ---------------------------------------------------------------------------------------
// Byte sources for the section loop.

class ByteSource {
public:
    virtual ~ByteSource() = default;
    /// Next byte, or -1 at the end.
    virtual int get() = 0;
    /// Reads exactly n bytes; false when the source ends first.
    virtual bool read(std::uint8_t* out, std::size_t n) = 0;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(std::FILE* f) : m_file(f) {}
    int get() override {
        int c = std::getc(m_file);
        return c == EOF ? -1 : c;
    }
    bool read(std::uint8_t* out, std::size_t n) override {
        return n == 0 || std::fread(out, 1, n, m_file) == n;
    }

private:
    std::FILE* m_file;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    int get() override { return m_pos < m_size ? m_data[m_pos++] : -1; }
    bool read(std::uint8_t* out, std::size_t n) override {
        if (n > m_size - m_pos) {
            m_pos = m_size;
            return false;
        }
        if (n) std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// ---------------------------------------------------------------------------------------
// One read: the record being filled and the state of the Exif block being walked.

struct ReadState {
    ExifInfo info;
    bool withThumbnail = false;
    bool commentSectionSeen = false;
};

class ExifBlockWalker {
public:
    ExifBlockWalker(ReadState& state, const ByteReader& block) : m_state(state), m_block(block) {}

    void walk(std::uint64_t ifdOffset) {
        walkDirectory(ifdOffset, 0);
        ExifInfo& info = m_state.info;
        if (m_focalPlaneXRes != 0) {
            info.ccdWidth = toFloat(static_cast<double>(m_exifImageWidth) * m_focalPlaneUnit /
                                    m_focalPlaneXRes);
            // Without a resolution unit (or with a negative resolution) the width is 0 or
            // negative; a 35 mm equivalent derived from it would be meaningless.
            if (info.focalLength != 0 && info.focalLength35 == 0 && info.ccdWidth > 0 &&
                std::isfinite(info.ccdWidth)) {
                info.focalLength35 =
                    truncToInt(static_cast<double>(info.focalLength) / info.ccdWidth * 36 + 0.5);
            }
        }
    }

private:
    void walkDirectory(std::uint64_t start, int level) {
        if (level > kMaxNesting) return;
        const std::optional<std::uint16_t> entries = m_block.u16(start);
        if (!entries) return;
        // A directory reached twice (a link or sub-directory pointing back) is walked once.
        if (!m_visited.insert(start).second) return;

        const std::uint64_t count = *entries;
        const std::uint64_t dirEnd = start + 2 + 12 * count;
        const std::uint64_t blockLen = m_block.size();
        // TIFF 6.0 section 2: the entries are followed by a 4-byte link; some writers omit
        // it (or half of it) in the last directory of the block.
        if (dirEnd + 4 > blockLen && dirEnd != blockLen && dirEnd + 2 != blockLen) return;

        std::uint64_t thumbOffset = 0, thumbLength = 0;
        for (std::uint64_t i = 0; i < count; ++i) {
            if (++m_entriesSeen > kMaxEntriesPerBlock) return;
            const ByteReader entry(m_block.sub(start + 2 + 12 * i, 12), m_block.motorola());
            const std::uint16_t tag = entry.u16(0).value_or(0);
            const int format = entry.u16(2).value_or(0);
            const std::uint64_t components = entry.u32(4).value_or(0);
            if (format > kExifFormatCount) continue;
            const std::uint64_t byteCount =
                components * static_cast<std::uint64_t>(exifFormatSize(format));
            ByteSpan value;
            if (byteCount > 4) {
                const std::uint64_t offset = entry.u32(8).value_or(0);
                if (!m_block.fits(offset, byteCount)) continue;
                value = m_block.sub(offset, byteCount);
            } else {
                value = entry.sub(8, byteCount);
            }
            const TagInfo* info = findTag(tag);
            if (!info) continue;
            handleTag(*info, format, value, level, thumbOffset, thumbLength);
        }

        if (const std::optional<std::uint32_t> next = m_block.u32(dirEnd);
            next && *next != 0 && *next < blockLen)
            walkDirectory(*next, level + 1);

        if (thumbOffset != 0 && thumbLength != 0 && thumbOffset <= blockLen) {
            if (thumbOffset + thumbLength > blockLen) thumbLength = blockLen - thumbOffset;
            ExifInfo& out = m_state.info;
            out.thumbnailSize = static_cast<int>(thumbLength);
            if (m_state.withThumbnail) {
                const ByteSpan t = m_block.sub(thumbOffset, thumbLength);
                out.thumbnail.assign(t.begin(), t.end());
            }
        }
    }

    void recordDate(ByteSpan value) {
        ExifInfo& info = m_state.info;
        if (info.dateCopyCount >= kMaxDateCopies) return;
        info.dateCopies.push_back(textOf(value, value.size()));
        info.dateCopyCount = static_cast<int>(info.dateCopies.size());
    }

    void userComment(ByteSpan value) {
        std::size_t n = value.size();
        while (n > 0 && value[n - 1] == ' ') --n;  // trailing spaces count as the end
        ByteSpan text = value.first(n);
        std::string& comment = m_state.info.comment;
        if (text.size() >= 5 && std::memcmp(text.data(), "ASCII", 5) == 0) {
            for (std::size_t a = 5; a < 10 && a < text.size(); ++a) {
                if (text[a] != 0 && text[a] != ' ') {
                    comment = textOf(text.subspan(a), kMaxUserComment);
                    return;
                }
            }
            return;  // nothing after the character code: the comment stays as it was
        }
        comment = textOf(text, kMaxUserComment);
    }

    void handleTag(const TagInfo& tag, int format, ByteSpan value, int level,
                   std::uint64_t& thumbOffset, std::uint64_t& thumbLength) {
        ExifInfo& info = m_state.info;
        auto number = [&] { return convertSpan(format, value, m_block.motorola()); };
        switch (tag.action) {
        case TagAction::make: info.make = textOf(value, kMaxMake); break;
        case TagAction::model: info.model = textOf(value, kMaxModel); break;
        case TagAction::orientation:
            if (!m_orientationSeen) {
                m_orientationSeen = true;
                const int o = truncToInt(number());
                info.orientation = (o < 1 || o > 8) ? 0 : o;
            }
            break;
        case TagAction::dateTime:
            if (info.dateTime.empty() || info.dateTime[0] < '0' || info.dateTime[0] > '9')
                info.dateTime = textOf(value, kMaxDate);
            recordDate(value);
            break;
        case TagAction::dateTimeOriginal:
            info.dateTime = textOf(value, kMaxDate);
            recordDate(value);
            break;
        case TagAction::exposureTime: info.exposureTime = toFloat(number()); break;
        case TagAction::fNumber: info.fNumber = toFloat(number()); break;
        case TagAction::subIfd: {
            const double off = number();
            if (off >= 0 && off < static_cast<double>(m_block.size()))
                walkDirectory(static_cast<std::uint64_t>(off), level + 1);
            break;
        }
        case TagAction::exposureProgram: info.exposureProgram = truncToInt(number()); break;
        case TagAction::iso: {
            int iso = truncToInt(number());
            // Some cameras store the ISO in units of 200.
            if (iso < 50) iso = truncToInt(static_cast<double>(iso) * 200);
            info.iso = iso;
            break;
        }
        case TagAction::shutterSpeed:
            if (info.exposureTime == 0) info.exposureTime = toFloat(1.0 / std::exp2(number()));
            break;
        case TagAction::aperture:
            if (info.fNumber == 0) info.fNumber = toFloat(std::exp2(number() / 2));
            break;
        case TagAction::exposureBias: info.exposureBias = toFloat(number()); break;
        case TagAction::subjectDistance: info.subjectDistance = toFloat(number()); break;
        case TagAction::meteringMode: info.meteringMode = truncToInt(number()); break;
        case TagAction::lightSource: info.lightSource = truncToInt(number()); break;
        case TagAction::flash: info.flash = truncToInt(number()); break;
        case TagAction::focalLength: info.focalLength = toFloat(number()); break;
        case TagAction::userComment: userComment(value); break;
        case TagAction::exifImageSize: {
            const int v = truncToInt(number());
            if (v > m_exifImageWidth) m_exifImageWidth = v;
            break;
        }
        case TagAction::focalPlaneXRes: m_focalPlaneXRes = number(); break;
        case TagAction::focalPlaneUnit:
            switch (truncToInt(number())) {
            case 1:
            case 2: m_focalPlaneUnit = 25.4; break;   // inch
            case 3: m_focalPlaneUnit = 10; break;     // centimetre
            case 4: m_focalPlaneUnit = 1; break;      // millimetre
            case 5: m_focalPlaneUnit = 0.001; break;  // micrometre
            default: break;
            }
            break;
        case TagAction::exposureIndex:
            if (info.iso == 0) info.iso = truncToInt(number());
            break;
        case TagAction::exposureMode: info.exposureMode = truncToInt(number()); break;
        case TagAction::whiteBalance: info.whiteBalance = truncToInt(number()); break;
        case TagAction::digitalZoom: info.digitalZoom = toFloat(number()); break;
        case TagAction::focalLength35: info.focalLength35 = truncToInt(number()); break;
        case TagAction::thumbnailOffset: {
            const double v = number();
            thumbOffset = v > 0 ? static_cast<std::uint64_t>(std::fmin(v, 4294967295.0)) : 0;
            break;
        }
        case TagAction::thumbnailLength: {
            const double v = number();
            thumbLength = v > 0 ? static_cast<std::uint64_t>(std::fmin(v, 4294967295.0)) : 0;
            break;
        }
        }
    }

    ReadState& m_state;
    const ByteReader& m_block;
    double m_focalPlaneXRes = 0;
    double m_focalPlaneUnit = 0;
    int m_exifImageWidth = 0;
    bool m_orientationSeen = false;
    int m_entriesSeen = 0;
    std::unordered_set<std::uint64_t> m_visited;
};

/// APP1 section bytes (length bytes included) holding "Exif\0\0" and a TIFF block.
void processExif(ReadState& state, ByteSpan section) {
    if (section.size() < 8 || std::memcmp(section.data() + 2, "Exif\0\0", 6) != 0) return;
    const ByteSpan bytes = section.subspan(8);
    if (bytes.size() < 8) return;
    bool motorola;
    if (bytes[0] == 'I' && bytes[1] == 'I') motorola = false;
    else if (bytes[0] == 'M' && bytes[1] == 'M') motorola = true;
    else return;
    const ByteReader block(bytes, motorola);
    if (block.u16(2) != 42) return;
    ExifBlockWalker walker(state, block);
    walker.walk(block.u32(4).value_or(0));
}

/// Comment section bytes (length bytes included).
void processComment(ReadState& state, ByteSpan section) {
    const std::size_t end = std::min<std::size_t>(section.size(), kMaxSectionComment + 1);
    std::string out;
    for (std::size_t i = 2; i < end; ++i) {
        const std::uint8_t c = section[i];
        if (c == '\r' && i + 1 < end && section[i + 1] == '\n') continue;
        if (c == '\t' || c == '\n' || c >= 32) out.push_back(static_cast<char>(c));
        else out.push_back('?');
    }
    state.info.comment = std::move(out);
}

bool isStartOfFrame(int marker) {
    return (marker >= 0xC0 && marker <= 0xC3) || (marker >= 0xC5 && marker <= 0xC7) ||
           (marker >= 0xC9 && marker <= 0xCB) || (marker >= 0xCD && marker <= 0xCF);
}

/// Reads the sections of a JPEG stream up to the start of scan. ErrorCode::none, or why
/// the stream is not a (complete enough) JPEG file.
ErrorCode readSections(ByteSource& src, ReadState& state) {
    if (src.get() != 0xFF || src.get() != 0xD8) return ErrorCode::corrupt;
    int kept = 0;
    std::vector<std::uint8_t> section;
    for (;;) {
        if (kept >= kMaxSections) return ErrorCode::tooLarge;
        int marker = 0;
        for (int a = 0;; ++a) {
            marker = src.get();
            if (marker < 0) return ErrorCode::truncated;  // cut off before the next marker
            if (marker != 0xFF) break;
            if (a >= 6) {
                report(textDiagnostic(Severity::error, ErrorCode::corrupt, "readExif",
                                      "too many padding bytes", "too many padding bytes\n"));
                return ErrorCode::corrupt;
            }
        }
        const int hi = src.get();
        const int lo = src.get();
        if (hi < 0 || lo < 0) return ErrorCode::truncated;
        const std::size_t length = static_cast<std::size_t>((hi << 8) | lo);
        if (length < 2) return ErrorCode::corrupt;
        section.resize(length);
        section[0] = static_cast<std::uint8_t>(hi);
        section[1] = static_cast<std::uint8_t>(lo);
        if (!src.read(section.data() + 2, length - 2)) return ErrorCode::truncated;
        ByteSpan bytes(section);
        ++kept;

        if (isStartOfFrame(marker)) {
            if (length >= 8) {
                state.info.height = (bytes[3] << 8) | bytes[4];
                state.info.width = (bytes[5] << 8) | bytes[6];
                state.info.isColour = bytes[7] == 3 ? 1 : 0;
                state.info.process = marker;
            }
            continue;
        }
        switch (marker) {
        case 0xDA:  // start of scan: the image data follows
            return ErrorCode::none;
        case 0xD9:  // end of image
            report(textDiagnostic(Severity::error, ErrorCode::corrupt, "readExif",
                                  "end of image before the image data", "No image in jpeg!\n"));
            return ErrorCode::corrupt;
        case 0xE0: --kept; break;
        case 0xE1:
            if (length >= 6 && std::memcmp(bytes.data() + 2, "Exif", 4) == 0)
                processExif(state, bytes);
            else --kept;
            break;
        case 0xFE:
            if (!state.commentSectionSeen) {
                state.commentSectionSeen = true;
                processComment(state, bytes);
            } else {
                --kept;
            }
            break;
        default: break;
        }
    }
}

/// The record of one stream; the zero record (and the "Not JPEG" diagnostic) when it is
/// not a JPEG file, with `error` saying why.
ExifInfo readFrom(ByteSource& src, const std::string& name, bool withThumbnail, ErrorCode& error) {
    ReadState state;
    state.withThumbnail = withThumbnail;
    error = readSections(src, state);
    if (error != ErrorCode::none) {
        Diagnostic d = textDiagnostic(Severity::error, error, "readExif", "not a JPEG file",
                                      "Not JPEG: " + name + "\n");
        d.file = name;
        report(d);
        return ExifInfo{};
    }
    if (!withThumbnail) {
        state.info.thumbnail.clear();
        state.info.thumbnailSize = 0;
    }
    return std::move(state.info);
}

}  // namespace

int exifFormatSize(int format) {
    static constexpr std::array<int, 13> kSizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return (format >= 0 && format <= kExifFormatCount) ? kSizes[static_cast<std::size_t>(format)]
                                                       : 0;
}

double convertValue(int format, const std::uint8_t* bytes, bool motorola) {
    switch (format) {
    case 1: return bytes[0];
    case 6: return static_cast<std::int8_t>(bytes[0]);
    case 3: return get16(bytes, motorola);
    case 8: return static_cast<std::int16_t>(get16(bytes, motorola));
    case 4: return get32(bytes, motorola);
    case 9: return static_cast<std::int32_t>(get32(bytes, motorola));
    case 5:
    case 10: {
        const auto num = static_cast<std::int32_t>(get32(bytes, motorola));
        const auto den = static_cast<std::int32_t>(get32(bytes + 4, motorola));
        return den == 0 ? 0.0 : static_cast<double>(num) / den;
    }
    case 11: {
        const std::uint32_t bits = get32(bytes, motorola);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    case 12: {
        const std::uint64_t a = get32(bytes, motorola), b = get32(bytes + 4, motorola);
        const std::uint64_t bits = motorola ? (a << 32) | b : (b << 32) | a;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    default: return 0;
    }
}

ExifInfo readExif(const std::string& path, bool withThumbnail, ErrorCode* error) {
    FilePtr file = openRegularFile(path);
    if (!file) {
        if (error != nullptr) *error = openFailureOf(path);
        return ExifInfo{};
    }
    FileSource src(file.get());
    ErrorCode code = ErrorCode::none;
    ExifInfo info = readFrom(src, path, withThumbnail, code);
    if (code == ErrorCode::none) info.fileName = path.substr(0, kMaxFileName);
    if (error != nullptr) *error = code;
    return info;
}

ExifInfo readExifMemory(const std::uint8_t* data, std::size_t size, bool withThumbnail,
                        ErrorCode* error) {
    if (!data) size = 0;
    MemorySource src(data, size);
    ErrorCode code = ErrorCode::none;
    ExifInfo info = readFrom(src, "", withThumbnail, code);
    if (error != nullptr) *error = code;
    return info;
}

void freeExif(ExifInfo& info) { info = ExifInfo{}; }

std::vector<std::uint8_t> readExifThumbnail(const std::string& path) {
    ExifInfo info = readExif(path, true);
    return std::move(info.thumbnail);
}

}  // namespace kavlo::metadata
