// SPDX-License-Identifier: MIT
// The work on one album image: reuse test, decode, rotation, the scaling cascade,
// sharpening, SimpleViewer thumbnail, watermark and writing.
//
// processAlbumImage() depends only on its arguments and touches no shared mutable
// state, so several images may be processed on worker threads at once; the results
// are put into the size lists in album order by the caller.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/image_record.h"
#include "core/renditions.h"
#include "imaging/raster_image.h"
#include "model/album_model.h"

namespace kavlo::core {

/// The readers the pipeline uses. Tests wrap them to count decodes; the default
/// set calls the codecs and the Exif reader.
struct ImageReaders {
    /// Decodes a JPEG reduced by DCT scaling no further than `target`; the stored
    /// size goes to *w, *h. Failure gives the empty image.
    std::function<imaging::RasterImage(const std::string& path, int target, int* w, int* h)>
        readJpeg;
    /// Reads the stored size of a JPEG from its header; false when that fails.
    std::function<bool(const std::string& path, int* w, int* h)> readJpegSize;
    /// Decodes a TIFF; failure gives the empty image.
    std::function<imaging::RasterImage(const std::string& path)> readTiff;
    /// Exif orientation of a JPEG (0 when there is none).
    std::function<int(const std::string& path)> readOrientation;
};

ImageReaders defaultImageReaders();

/// Exif orientation per source path, as read once in a run (0 when a photo has none).
using ExifOrientations = std::unordered_map<std::string, int>;

/// Box fit: the size of a w x h picture scaled to fit W x H (enlarged when smaller).
std::pair<int, int> fitBox(int boxW, int boxH, int w, int h);
/// The longer side of fitBox(): the target handed to the scaling operations.
int fitTarget(int boxW, int boxH, int w, int h);

/// File name of image `index` (0-based) in the thumbnail, main and large folders:
/// "0001.jpg", or with orgfilenames "<source name without '#'>-001.jpg".
std::string albumImageName(const model::AlbumSettings& settings, const model::ImageEntry& entry,
                           int index);

/// What one image contributed to the album.
struct ImageResult {
    bool reused = false;  ///< earlier files were kept; nothing was decoded or written
    int smallW = 0, smallH = 0;
    int mainW = 0, mainH = 0;
    int largeW = 0, largeH = 0;
    int decodes = 0;       ///< times the source was decoded (0 or 1)
    int failedWrites = 0;  ///< album files of this image that could not be written
    /// The size of each rendition step's file ({0, 0} where there is none), and of the
    /// 2x thumbnail; empty without renditions.
    std::vector<PixelSize> renditions;
    PixelSize thumb2x{0, 0};
    /// The image record's new entry for the files written; none when nothing was
    /// written (reused) or a file could not be written.
    std::optional<ImageRecordEntry> record;
};

/// Produces the thumbnail, main and large files of image `index` of the album in
/// `destdir`. A file that cannot be written does not stop the run; it is counted in
/// the result.
ImageResult processAlbumImage(const model::AlbumSettings& settings, const std::string& destdir,
                              const model::ImageEntry& entry, int index,
                              const ImageReaders& readers,
                              const ImageHistory& history = ImageHistory{});

}  // namespace kavlo::core
