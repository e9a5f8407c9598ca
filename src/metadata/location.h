// SPDX-License-Identifier: MIT
// The GPS position a JPEG file carries, and a copy of the file without it, for albums
// that publish the original files.
//
// Common rules:
// - Where a position can stand: the GPS directory of an Exif block (APP1 "Exif"), GPS
//   properties of the XMP packet (APP1 "http://ns.adobe.com/xap/1.0/"), and the same in
//   the further images a multi-picture index (APP2 "MPF") lists after the first one.
// - Removal is lossless and keeps every offset: the result is exactly as long as the
//   file, the compressed picture data and every other section are byte-identical, and
//   only bytes of those blocks change (entries dropped, the GPS directory and its values
//   zeroed, XMP properties overwritten with spaces).
// - Only the header sections are parsed; every offset, count and length from the file is
//   checked before use, and the work is linear in the file's size.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kavlo::metadata {

/// What removeJpegLocation did.
enum class LocationRemoval {
    unchanged,  ///< no GPS data was found: the bytes are the file's
    removed,    ///< GPS data was removed
    refused,    ///< the file cannot be made safe: no bytes, `reason` says why
};

/// A JPEG file without its GPS data.
struct LocationFreeJpeg {
    LocationRemoval outcome = LocationRemoval::unchanged;
    std::vector<std::uint8_t> bytes;  ///< as long as the input; empty when refused
    std::string reason;               ///< why the removal was refused
};

/// The JPEG file `jpeg` (all its bytes) without GPS data:
/// - Exif: every GPS directory pointer (tag 0x8825) is dropped from the directory that
///   holds it (the later entries move up, the count drops by one), and the GPS
///   directory and its values are zeroed, except bytes that another directory, value or
///   the thumbnail also uses.
/// - XMP: every element and attribute whose name begins with "GPS" (any letter case,
///   exif:GPSLatitude, exif:GPSLongitude, ...) is overwritten with spaces; the packet
///   stays well-formed.
/// Refused: a stream that is not a JPEG file (no start of image, a section cut off,
/// the end of image before any scan); an XMP packet or an extended XMP section that
/// holds "GPS" but cannot be parsed as plain XML; an image listed in a multi-picture
/// index whose header cannot be read. The caller then must not publish the file as it
/// is (re-encoding the picture drops all metadata).
LocationFreeJpeg removeJpegLocation(std::span<const std::uint8_t> jpeg);

/// True when the JPEG file carries a GPS position: a latitude or longitude that is not
/// zero in an Exif GPS directory, one in the XMP packet, or GPS data removeJpegLocation
/// would refuse to handle. Reads only the header sections (and those of the images a multi-picture
/// index lists). False for files that cannot be read or are not JPEG files.
bool jpegHasLocation(const std::string& path);
/// jpegHasLocation over the file's bytes in memory.
bool jpegHasLocation(std::span<const std::uint8_t> jpeg);

/// Copies the JPEG file `source` to `destination` without its GPS data (the copy is
/// written to a temporary name and renamed). False, with `error` set and nothing
/// written, when the source cannot be read, when the removal is refused, or when the
/// copy cannot be written.
bool copyJpegWithoutLocation(const std::string& source, const std::string& destination,
                             std::string& error);

}  // namespace kavlo::metadata
