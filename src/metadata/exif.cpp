// SPDX-License-Identifier: MIT
// JPEG header sections and Exif block reader.
//
// The section loop reads one marker section at a time from a byte source (a file or a
// memory buffer) and stops at the start of scan, so the compressed data is never read.
// The Exif block is walked through ByteReader, whose reads return nothing on overrun;
// all sums of offsets and lengths are done in 64 bits.
#include "metadata/exif.h"
#include "metadata/jpeg_sections.h"
#include "metadata/tiff_block.h"
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

using detail::ByteReader;
using detail::ByteSource;
using detail::FileSource;
using detail::get16;
using detail::get32;
using detail::IfdEntry;
using detail::ifdEntry;
using detail::IfdLayout;
using detail::ifdLayout;
using detail::JpegSection;
using detail::MemorySource;
using detail::SectionUse;
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
        const std::optional<IfdLayout> dir = ifdLayout(m_block, start);
        if (!dir) return;
        // A directory reached twice (a link or sub-directory pointing back) is walked once.
        if (!m_visited.insert(start).second) return;
        if (!dir->legal) return;

        std::uint64_t thumbOffset = 0, thumbLength = 0;
        for (std::uint64_t i = 0; i < dir->count; ++i) {
            if (++m_entriesSeen > kMaxEntriesPerBlock) return;
            const std::optional<IfdEntry> entry = ifdEntry(m_block, *dir, i);
            if (!entry || entry->format > kExifFormatCount || !entry->valueInBlock) continue;
            const TagInfo* info = findTag(entry->tag);
            if (!info) continue;
            handleTag(*info, entry->format, m_block.sub(entry->valueOffset, entry->byteCount),
                      level, thumbOffset, thumbLength);
        }

        const std::uint64_t blockLen = m_block.size();
        if (const std::optional<std::uint32_t> next = m_block.u32(dir->end);
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

/// A TIFF block (from its byte-order mark on) into the record being filled; a block
/// without a valid TIFF header is ignored.
void processTiffBlock(ReadState& state, ByteSpan bytes) {
    const std::optional<ByteReader> block = detail::openTiffBlock(bytes);
    if (!block) return;
    ExifBlockWalker walker(state, *block);
    walker.walk(block->u32(4).value_or(0));
}

/// APP1 section bytes (length bytes included) holding "Exif\0\0" and a TIFF block.
void processExif(ReadState& state, ByteSpan section) {
    if (section.size() < 8 || std::memcmp(section.data() + 2, "Exif\0\0", 6) != 0) return;
    processTiffBlock(state, section.subspan(8));
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
    ErrorCode error = ErrorCode::none;
    detail::walkJpegSections(
        src,
        [&state](const JpegSection& s) {
            const ByteSpan bytes = s.bytes;
            if (isStartOfFrame(s.marker)) {
                if (bytes.size() >= 8) {
                    state.info.height = (bytes[3] << 8) | bytes[4];
                    state.info.width = (bytes[5] << 8) | bytes[6];
                    state.info.isColour = bytes[7] == 3 ? 1 : 0;
                    state.info.process = s.marker;
                }
                return SectionUse::kept;
            }
            switch (s.marker) {
            case 0xE0: return SectionUse::dropped;
            case 0xE1:
                if (bytes.size() < 6 || std::memcmp(bytes.data() + 2, "Exif", 4) != 0)
                    return SectionUse::dropped;
                processExif(state, bytes);
                return SectionUse::kept;
            case 0xFE:
                if (state.commentSectionSeen) return SectionUse::dropped;
                state.commentSectionSeen = true;
                processComment(state, bytes);
                return SectionUse::kept;
            default: return SectionUse::kept;
            }
        },
        nullptr, &error);
    return error;
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

int exifFormatSize(int format) { return detail::tiffFormatSize(format); }

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

ExifInfo readExifBlock(std::span<const std::uint8_t> block, bool withThumbnail) {
    static constexpr std::uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (block.size() >= 6 && std::memcmp(block.data(), kExifId, 6) == 0) block = block.subspan(6);
    ReadState state;
    state.withThumbnail = withThumbnail;
    processTiffBlock(state, block);
    if (!withThumbnail) {
        state.info.thumbnail.clear();
        state.info.thumbnailSize = 0;
    }
    return std::move(state.info);
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
