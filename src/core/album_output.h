// SPDX-License-Identifier: MIT
// The image files of an album folder: written whole or not at all, temporary files of
// a killed run cleared away, and images no longer in the album removed.
#pragma once

#include <string>
#include <vector>

#include "core/image_record.h"
#include "imaging/raster_image.h"

namespace kavlo::core {

/// Encodes `image` into a temporary file in the folder of `path` and renames it over
/// `path`, so that the file at `path` is always a whole JPEG (the old one or the new
/// one). A failed write removes the temporary file and leaves `path` as it was.
/// Returns the byte size written, or -1 on failure.
long long writeJpegWhole(const std::string& path, int quality, const std::string& comment,
                         const imaging::RasterImage& image);

/// Copies `source` over `path` the same way. Returns the byte size, or -1 on failure.
long long copyWhole(const std::string& source, const std::string& path);

/// Writes `image` whole as the album file `file.path` (relative to `albumFolder`) and
/// adds `file` to `entry` with the bytes written; false when it could not be written.
bool writeAlbumFile(const std::string& albumFolder, RecordedFile file, int quality,
                    const std::string& comment, const imaging::RasterImage& image,
                    ImageRecordEntry& entry);
/// Copies the photo `source` whole as the album file `file.path` the same way.
bool copyAlbumFile(const std::string& albumFolder, RecordedFile file, const std::string& source,
                   ImageRecordEntry& entry);

/// Copies the JPEG photo `source` the same way without its GPS position (the picture
/// data byte for byte, metadata::copyJpegWithoutLocation). False, with `error` set and
/// nothing written, when the position cannot be removed losslessly or the copy fails.
bool copyAlbumFileWithoutLocation(const std::string& albumFolder, RecordedFile file,
                                  const std::string& source, ImageRecordEntry& entry,
                                  std::string& error);

/// True when `name` is a temporary file of an atomic write (".<name>.tmp-<pid>-<n>").
bool isTemporaryName(const std::string& name);
/// Removes the temporary files that a killed run left in `folder`; their number.
int removeTemporaryFiles(const std::string& folder);

/// The album number in an album image name: "0012.jpg" gives 12, "beach-012.jpg" gives
/// 12; 0 for any other name.
int albumImageNumber(const std::string& name);
/// Removes from `folder` the album images that are not `current` names: those numbered
/// above current.size(), and those whose number names an image whose file is now called
/// differently (original file names). Returns how many files were removed.
int removeStaleImages(const std::string& folder, const std::vector<std::string>& current);

}  // namespace kavlo::core
