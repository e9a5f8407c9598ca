// SPDX-License-Identifier: MIT
// Format detection, the reader dispatch, colour for decoded sources, and the helpers
// the source readers share.
#include "imaging/source_image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/source_internal.h"
#include "util/files.h"

namespace kavlo::imaging {

using util::ErrorCode;
using util::fileExists;
using util::FilePtr;
using util::openFailureOf;
using util::openRegularFile;
using util::reportFile;
using util::Severity;

namespace detail {

ErrorCode readFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                        std::string& error) {
    out.clear();
    FilePtr file = openRegularFile(path);
    if (!file) return openFailureOf(path);
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        error = "cannot be read";
        return ErrorCode::unreadable;
    }
    const long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        error = "cannot be read";
        return ErrorCode::unreadable;
    }
    if (std::uint64_t(size) > kMaxSourceFileBytes) {
        error = "file of " + std::to_string(size) + " bytes exceeds the decoding limit";
        return ErrorCode::tooLarge;
    }
    out.resize(std::size_t(size));
    if (size > 0 && std::fread(out.data(), 1, out.size(), file.get()) != out.size()) {
        out.clear();
        error = "cannot be read";
        return ErrorCode::unreadable;
    }
    return ErrorCode::none;
}

bool rasterFits(std::uint64_t width, std::uint64_t height, unsigned bytesPerPixel,
                std::string& error) {
    const std::uint64_t pixels = width * height;  // both below 2^32: no overflow
    if (width == 0 || height == 0 || width > 0xFFFFFFFFu || height > 0xFFFFFFFFu ||
        pixels > kMaxRasterPixels || pixels * bytesPerPixel > kMaxRasterBytes) {
        error = "image of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels is empty or exceeds the decoding limit";
        return false;
    }
    return true;
}

std::vector<std::uint8_t> exifBlockFrom(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (bytes.size() >= 6 && std::memcmp(bytes.data(), kExifId, 6) == 0) bytes = bytes.subspan(6);
    static constexpr std::uint8_t kIntel[4] = {'I', 'I', 0x2A, 0};
    static constexpr std::uint8_t kMotorola[4] = {'M', 'M', 0, 0x2A};
    if (bytes.size() < 8 ||
        (std::memcmp(bytes.data(), kIntel, 4) != 0 && std::memcmp(bytes.data(), kMotorola, 4) != 0))
        return {};
    return {bytes.begin(), bytes.end()};
}

void flattenBgraOnto(RasterImage& image, std::uint32_t background) {
    const unsigned bg[3] = {(background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF};
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    const std::uint8_t* in = image.pixels;
    std::uint8_t* out = image.pixels;  // never ahead of `in`: in place is safe
    for (std::size_t i = 0; i < count; ++i, in += 4, out += 3) {
        const unsigned a = in[3];
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<std::uint8_t>((in[c] * a + bg[c] * (255 - a) + 127) / 255);
    }
    if (auto* shrunk = static_cast<std::uint8_t*>(std::realloc(image.pixels, count * 3)))
        image.pixels = shrunk;
    image.bitsPerPixel = 24;
}

void diagnostic(const char* reader, const std::string& path, ErrorCode code,
                const std::string& text, Severity severity) {
    reportFile(severity, code, reader, path, text);
}

DecodedImage failure(const char* reader, const std::string& path, ErrorCode code,
                     const std::string& text) {
    reportFile(Severity::error, code, reader, path, text);
    DecodedImage result;
    result.error = code;
    return result;
}

DecodedImage missing(const std::string& path) {
    DecodedImage result;
    result.error = openFailureOf(path);
    return result;
}

}  // namespace detail

SourceFormat sniffSourceFormat(std::span<const std::uint8_t> head) {
    auto starts = [&](std::size_t at, const char* sig, std::size_t n) {
        return head.size() >= at + n && std::memcmp(head.data() + at, sig, n) == 0;
    };
    if (starts(0, "\xFF\xD8\xFF", 3)) return SourceFormat::Jpeg;
    if (starts(0, "II*\0", 4) || starts(0, "MM\0*", 4)) return SourceFormat::Tiff;
    if (starts(0, "\x89PNG\r\n\x1A\n", 8)) return SourceFormat::Png;
    if (starts(0, "RIFF", 4) && starts(8, "WEBP", 4)) return SourceFormat::Webp;
    if (starts(4, "ftyp", 4) && head.size() >= 12) {
        // The major brand, then the compatible ones: any image brand of HEIF or AVIF.
        static constexpr const char* kBrands[] = {"heic", "heix", "heim", "heis", "hevc",
                                                  "hevx", "mif1", "msf1", "avif", "avis"};
        const std::size_t boxSize = (std::size_t(head[0]) << 24) | (std::size_t(head[1]) << 16) |
                                    (std::size_t(head[2]) << 8) | head[3];
        const std::size_t end = std::min(head.size(), std::max<std::size_t>(boxSize, 12));
        for (std::size_t at = 8; at + 4 <= end; at += 4) {
            if (at == 12) continue;  // minor version
            for (const char* brand : kBrands)
                if (std::memcmp(head.data() + at, brand, 4) == 0) return SourceFormat::Heif;
        }
    }
    return SourceFormat::Unknown;
}

SourceFormat sourceFormatOf(const std::string& path) {
    FilePtr file = openRegularFile(path);
    if (!file) return SourceFormat::Unknown;
    std::uint8_t head[64];
    const std::size_t n = std::fread(head, 1, sizeof head, file.get());
    return sniffSourceFormat({head, n});
}

DecodedImage readSourceImage(const std::string& path, const ReadOptions& options) {
    switch (sourceFormatOf(path)) {
    case SourceFormat::Jpeg: return readJpegImage(path, options);
    case SourceFormat::Tiff: return readTiffImage(path, options);
    case SourceFormat::Png: return readPngImage(path, options);
    case SourceFormat::Webp: return readWebpImage(path, options);
    case SourceFormat::Heif: return readHeifImage(path, options);
    case SourceFormat::Unknown: break;
    }
    if (!fileExists(path)) return detail::missing(path);
    return detail::failure("readSourceImage", path, ErrorCode::unsupported,
                           "not a photo format Kavlo reads");
}

ColourOutcome convertToSrgb(DecodedImage& image, const std::string& name) {
    if (image.colourDone) return ColourOutcome::Unchanged;
    ColourOutcome outcome = ColourOutcome::Unchanged;
    if (!image.iccProfile.empty()) {
        outcome = convertToSrgb(image.picture.record(), image.iccProfile, name);
    } else if (image.nclx) {
        outcome = convertToSrgb(image.picture.record(), *image.nclx, name);
    }
    image.colourDone = true;
    return outcome;
}

}  // namespace kavlo::imaging
