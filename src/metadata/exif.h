// SPDX-License-Identifier: MIT
// JPEG header sections and the Exif block: reads a JPEG file marker section by marker
// section up to the start of the compressed data and collects the frame size, the
// comment and the recording data of the Exif block into one ExifInfo record.
//
// Common rules:
// - Only the header sections are read, never the compressed image data.
// - Every offset, count and length taken from the file is checked before use; nothing
//   is read outside its section or the file, and directory walks are bounded (depth
//   cap and visited-offset set).
// - All working state lives in the call: several threads may read metadata at once.
// - Failure is the all-zero record (see readExif); a file that is not a JPEG file is
//   also reported as a diagnostic (util/diagnostics.h) whose line is "Not JPEG: <path>".
//   `error`, when given, receives why (ErrorCode::none when the header was read).
// - The Exif blocks of other containers go through the same parser (readExifBlock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "util/diagnostics.h"

namespace kavlo::metadata {

/// Recording data of one JPEG file. Every field is zero or empty when nothing was found.
/// Text fields hold the bytes as they stand in the file (no code-page conversion), cut at
/// the first zero byte and at their maximum length.
struct ExifInfo {
    std::string fileName;    ///< the path that was read, at most 260 bytes
    std::string make;        ///< tag Make, at most 31 bytes
    std::string model;       ///< tag Model, at most 39 bytes
    std::string dateTime;    ///< at most 19 bytes, normally "YYYY:MM:DD HH:MM:SS"
    int height = 0;          ///< pixels, from the start-of-frame marker
    int width = 0;           ///< pixels, from the start-of-frame marker
    int orientation = 0;     ///< 1..8, 0 when absent or out of range
    int isColour = 0;        ///< 1 when the frame has 3 components
    int process = 0;         ///< start-of-frame marker code (0xC0 baseline, 0xC2 progressive)
    int flash = 0;           ///< tag Flash, raw value (bit 0: flash fired)
    float focalLength = 0;   ///< millimetres
    float exposureTime = 0;  ///< seconds
    float fNumber = 0;
    float subjectDistance = 0;  ///< metres
    float ccdWidth = 0;         ///< millimetres, derived from the focal-plane resolution
    float exposureBias = 0;     ///< EV
    float digitalZoom = 0;
    int focalLength35 = 0;  ///< millimetres, tag or derived from ccdWidth
    int whiteBalance = 0;
    int meteringMode = 0;
    int exposureProgram = 0;
    int exposureMode = 0;
    int iso = 0;
    int lightSource = 0;
    std::string comment;                  ///< JPEG comment (<= 1999 bytes) or UserComment (<= 199)
    std::vector<std::uint8_t> thumbnail;  ///< embedded Exif thumbnail (a JPEG stream); empty = none
    int thumbnailSize = 0;                ///< thumbnail.size()
    std::vector<std::string> dateCopies;  ///< every date value met, in order, at most 10
    int dateCopyCount = 0;                ///< dateCopies.size()
};

/// Exif value formats 1..12 (unsigned byte .. double float).
constexpr int kExifFormatCount = 12;
/// Size in bytes of one component of an Exif value format; 0 for format 0 or unknown formats.
int exifFormatSize(int format);

/// Reads the header sections of the JPEG file at `path`. With `withThumbnail` the record
/// owns a copy of the embedded thumbnail. A file that cannot be opened gives the zero
/// record (even fileName empty; ErrorCode::fileMissing or unreadable); a file that is
/// not a JPEG file (bad start bytes, too many fill bytes, end of image before the scan,
/// a truncated or undersized section, more than 200 kept sections) gives the zero
/// record and reports "Not JPEG: <path>" (ErrorCode::corrupt, truncated or tooLarge).
ExifInfo readExif(const std::string& path, bool withThumbnail, util::ErrorCode* error = nullptr);

/// The same parse over bytes in memory (the whole file). fileName stays empty; the
/// "Not JPEG" line names no file.
ExifInfo readExifMemory(const std::uint8_t* data, std::size_t size, bool withThumbnail,
                        util::ErrorCode* error = nullptr);

/// The recording data of an Exif block as other containers carry it (PNG eXIf, WebP
/// EXIF, the HEIF Exif item after its offset field): starting at its TIFF header, or at
/// "Exif\0\0" followed by it. The same rules as for a JPEG file's APP1 block; what only
/// a JPEG header holds (width, height, isColour, process, fileName) stays zero. A block
/// that is not Exif gives the zero record, without a message.
ExifInfo readExifBlock(std::span<const std::uint8_t> block, bool withThumbnail);

/// Releases the thumbnail and the date copies and sets the whole record to zero.
void freeExif(ExifInfo& info);

/// The embedded Exif thumbnail of the JPEG file at `path` (a complete JPEG stream), or
/// empty when there is none or the file cannot be read.
std::vector<std::uint8_t> readExifThumbnail(const std::string& path);

/// The number that the first component of an Exif value holds. `bytes` must hold at
/// least exifFormatSize(format) bytes; `motorola` selects big-endian order. Rationals
/// give numerator / denominator (both signed 32-bit), 0 when the denominator is 0;
/// ASCII, undefined and unknown formats give 0.
double convertValue(int format, const std::uint8_t* bytes, bool motorola);

}  // namespace kavlo::metadata
