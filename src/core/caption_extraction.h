// SPDX-License-Identifier: MIT
// Filling the captions of album images from a source: IPTC fields, Exif recording data,
// the JPEG comment, the file name, nothing, or the image number.
//
// A selection is an index into AlbumModel::images, or -1 for every image (an index
// outside the list selects nothing); `major` chooses macap, otherwise micap. Each image
// costs one open and one header read of its source file; nothing is cached.
#pragma once

#include <string>

#include "core/image_pipeline.h"  // ExifOrientations
#include "model/album_model.h"

namespace kavlo::core {

/// For each selected JPEG, TIFF and PNG image (the photo files that carry IPTC data):
/// iptcCaption of its IPTC record and `tmpl`. An unreadable file gets the template with
/// every placeholder empty. WebP, HEIF and AVIF images keep their captions.
void setIptcCaptions(model::AlbumModel& model, int index, bool major, const std::string& tmpl);
/// For each selected JPEG, PNG, WebP, HEIF and AVIF image: formatExifCaption of its Exif
/// block with model.settings.exifformat (the empty text for an unreadable file or one
/// without Exif). TIFF images keep their captions. With `orientations`, the Exif
/// orientation of every photo read is recorded there too (0 for HEIF and AVIF, whose
/// container turns the picture itself), so that a generation run that follows need not
/// read the Exif block again.
void setExifCaptions(model::AlbumModel& model, int index, bool major,
                     ExifOrientations* orientations = nullptr);
/// For each selected JPEG image: its JPEG comment as RPreadJpegInfo delivers it (the
/// last comment section shorter than 512 bytes, or empty); PNG, WebP, HEIF and AVIF
/// images, which hold no comment, get the empty caption. TIFF images keep their captions.
void setCommentCaptions(model::AlbumModel& model, int index, bool major);

/// Caption sources in the order of the extraction dialog's list.
enum class CaptionSource : int { iptc = 0, exif, comment, fileName, empty, number };

/// What the caption extraction dialog returns.
struct CaptionChoices {
    CaptionSource source = CaptionSource::iptc;
    bool major = true;       ///< macap, else micap
    bool allImages = false;  ///< every image, else the selected one
    std::string iptcFormat;  ///< the dialog's IPTC template
    std::string exifFormat;  ///< the dialog's Exif letters
};

/// Stores the dialog's formats into the album settings (even when nothing then changes)
/// and applies the chosen source to every image (allImages, or no image selected:
/// selectedIndex -1) or to the image at selectedIndex. An unknown source changes no caption.
void extractCaptions(model::AlbumModel& model, const CaptionChoices& choices, int selectedIndex);

}  // namespace kavlo::core
