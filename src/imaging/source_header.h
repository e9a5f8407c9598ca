// SPDX-License-Identifier: MIT
// What a photo's container says before any pixel is decoded: the format, the size as
// the picture will be decoded, the Exif block, and for JPEG the ICC profile. Caption
// extraction, the reuse test and the editor's thumbnails use it, where a full decode (a
// HEIC costs many times a JPEG) would be wasted.
//
// Common rules:
// - Only the container's structure is read: PNG chunk headers, the WebP chunk list,
//   the HEIF boxes (libheif), the JPEG and TIFF headers. Sizes and lengths from the
//   file are checked before use; nothing here allocates more than the Exif block.
// - A missing, unreadable or malformed file gives `known` false and no message: the
//   decode that follows reports what is wrong with it.
// - Thread-safe: no shared state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/source_image.h"

namespace kavlo::imaging {

/// Largest Exif block kept from a container (a JPEG's APP1 block holds at most 64 KiB;
/// other containers allow more, for large thumbnails).
inline constexpr std::size_t kMaxExifBlockBytes = 4u << 20;

struct SourceHeader {
    SourceFormat format = SourceFormat::Unknown;
    bool known = false;  ///< the size below was read
    int width = 0;       ///< size of the decoded picture at full scale: for HEIF after
    int height = 0;      ///<   the container's rotation, for the others as stored
    /// JPEG (APP1), PNG (eXIf), WebP (EXIF) and HEIF (the primary image's Exif item):
    /// the block from its TIFF header on; empty for TIFF and when there is none.
    std::vector<std::uint8_t> exif;
    /// JPEG only: the ICC profile assembled from its APP2 chunks (empty when there is
    /// none or the chunks do not form one), for pictures taken from elsewhere in the
    /// file, such as the Exif thumbnail. The other readers give their profile with the
    /// decoded picture.
    std::vector<std::uint8_t> iccProfile;
    /// HEIF: the container turns and mirrors the picture itself, so the Exif
    /// orientation does not apply (as DecodedImage::orientationApplied).
    bool orientationApplied = false;
};

/// Reads the header of the photo at `path` (its format found by its first bytes).
SourceHeader readSourceHeader(const std::string& path);

}  // namespace kavlo::imaging
