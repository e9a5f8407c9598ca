// SPDX-License-Identifier: MIT
// The work on one album image, in named steps driven by one plan:
//
//   planImage        what the image needs, from the settings and its entry alone
//   reuseEarlierFiles  the files of an earlier run still fit: nothing else is done
//   decodeUpright    the source decoded (reduced as far as the sizes allow) and turned
//                    upright, with what the source said about itself
//   targetsFor       the longer side of every size, from the decoded picture
//   convertSource    a tagged non-sRGB picture brought to sRGB before scaling, when the
//                    sizes hold as many pixels as it does (renditions up to its own size)
//   scaleRenditions  the extra renditions, largest first, along a cascade of halvings
//   scaleSizes       all sizes from one cascade of halvings
//   convertSizes     otherwise the scaled pictures brought to sRGB
//   finishSizes      one sharpening each, the square SimpleViewer thumbnail, the watermark
//   writeSizes       the album files (or copies of the source where it fits as it is),
//                    each written whole, with the image record's entry for them
//
// processAlbumImage() runs them in that order. It depends only on its arguments and
// touches no shared mutable state, so several images may be processed on worker
// threads at once; the results are put into the size lists in album order by the
// caller.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/image_record.h"
#include "core/renditions.h"
#include "imaging/image.h"
#include "imaging/scale.h"
#include "imaging/source_image.h"
#include "imaging/watermark.h"
#include "model/album_model.h"
#include "util/diagnostics.h"

namespace kavlo::core {

/// The readers the pipeline uses. Tests wrap them to count decodes; the default
/// set calls the codecs and the Exif reader.
struct ImageReaders {
    /// Decodes a JPEG reduced by DCT scaling no further than `target`, with its colour
    /// profile; the stored size goes to *w, *h. Failure gives the empty picture.
    std::function<imaging::DecodedImage(const std::string& path, int target, int* w, int* h)>
        readJpeg;
    /// Decodes a TIFF with its colour profile; failure gives the empty picture.
    std::function<imaging::DecodedImage(const std::string& path)> readTiff;
    /// Decodes any other photo (PNG, WebP, HEIF/HEIC, AVIF: found by its first bytes),
    /// transparent pixels flattened onto the options' background.
    std::function<imaging::DecodedImage(const std::string& path, const imaging::ReadOptions&)>
        readOther;
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
/// "0001.jpg", or with orgfilenames "<source name without '#'>-001.jpg", the name
/// repaired to UTF-8 (repairUtf8) as the pages write it.
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
    /// What the lower layers reported while this image was made, in order.
    std::vector<util::Diagnostic> diagnostics;
    /// The watermark could not be stamped (a warning diagnostic says so).
    bool watermarkMissing = false;
    /// The size of each rendition step's file ({0, 0} where there is none), and of the
    /// 2x thumbnail; empty without renditions.
    std::vector<PixelSize> renditions;
    PixelSize thumb2x{0, 0};
    /// The image record's new entry for the files written; none when nothing was
    /// written (reused), a file could not be written or the source has no stamp.
    std::optional<ImageRecordEntry> record;
};

/// How the source of an image is read, told by its name as the album lists it.
enum class SourceKind { jpeg, tiff, other };

/// One size of an album image: where its file goes and how it is made.
struct SizePlan {
    bool wanted = false;  ///< the settings call for this file
    std::string path;     ///< the album file
    int boxWidth = 0;     ///< the box the picture is fitted into, in pixels
    int boxHeight = 0;
    int quality = 0;       ///< JPEG quality
    bool sharpen = false;  ///< sharpening chosen by the user
};

/// The square thumbnail of the SimpleViewer gallery.
struct SquarePlan {
    bool wanted = false;
    int size = 0;                 ///< edge in pixels
    bool crop = false;            ///< cut the thumbnail to the square (else pad it)
    util::Colour background = 0;  ///< colour around a padded thumbnail
};

/// The extra renditions of an image: one file per rendition step and the 2x thumbnail.
struct RenditionPlan {
    bool wanted = false;
    std::vector<std::string> paths;  ///< per step of renditionSteps()
    std::string thumb2xPath;         ///< "" without thumbnails
};

/// What one album image needs, worked out from the settings and its entry before
/// anything is read. Every later step reads only the plan (and what earlier steps
/// gave), never the settings.
struct ImagePlan {
    std::string source;       ///< the photo
    std::string albumFolder;  ///< the album the files go to
    SourceKind kind = SourceKind::other;
    int index = 0;   ///< 0-based position in the album
    SizePlan small;  ///< thumbnail
    SizePlan main;   ///< main image (always wanted)
    SizePlan large;  ///< large image
    /// The large file is the source itself (copyhires), not a scaled size.
    bool copyLarge = false;
    SquarePlan square;
    RenditionPlan renditions;
    /// Earlier album files may be kept when the image record says they fit.
    bool tryReuse = false;
    /// Turn the picture upright by its Exif orientation.
    bool autorotate = false;
    /// Longer side a JPEG is decoded at, at least: the largest size made from it.
    int decodeTarget = 0;
    /// The watermark of the main and large images; none without one.
    std::optional<imaging::WatermarkStyle> watermark;
    /// The JPEG comment of every file of the image: the watermark text, or "".
    std::string comment;
    /// Colour under the transparent pixels of a source: the skin's page colour.
    util::Colour background = 0xFFFFFF;
    /// Copies of the source published in the album leave out its GPS position.
    bool stripLocation = false;
};

ImagePlan planImage(const model::AlbumSettings& settings, const std::string& destdir,
                    const model::ImageEntry& entry, int index);

/// A source photo as the decode step gives it: the picture turned upright, and what the
/// source said about it (later steps ask nothing of the file again).
struct SourcePicture {
    imaging::Image picture;  ///< upright; a 3 x 2 black picture when unreadable
    bool readable = false;   ///< the source decoded to a picture
    int storedWidth = 0;     ///< the source's size as stored (upright), 0 when unreadable
    int storedHeight = 0;
    int orientation = -1;  ///< the Exif orientation read (0 none); -1 when not read
    bool decoded = false;  ///< the source was decoded already (a TIFF is not decoded twice)
    int decodes = 0;       ///< times the source was decoded
    /// The source's colours as its container describes them: the ICC profile, else the
    /// nclx description of HEIF and AVIF; neither for sRGB. `colourDone`: the picture's
    /// colours are final (sRGB, or converted while decoding).
    std::vector<std::uint8_t> iccProfile;
    std::optional<imaging::NclxColour> nclx;
    bool colourDone = false;
    /// The container turned the picture itself (HEIF): no Exif orientation applies.
    bool turnedByContainer = false;
    /// Height / width of the picture as shown.
    double aspect() const;
};

/// The longer side of each size for a decoded picture of w x h.
struct SizeTargets {
    int small = 0;
    int main = 0;
    int large = 0;
    std::vector<int> renditions;  ///< per rendition step; 0 where the image gets none
    int thumb2x = 0;              ///< 0: no 2x thumbnail
};

/// The extra renditions of one image, made with the other sizes.
struct RenditionPictures {
    std::vector<imaging::Image> steps;  ///< per rendition step; empty where none
    imaging::Image thumb2x;
};

/// The files of an earlier run stay when the image record's entry for them was made from
/// this very source file with the same settings and every file is whole: the result
/// with the recorded sizes, nothing read or written.
std::optional<ImageResult> reuseEarlierFiles(const ImagePlan& plan, const ImageHistory& history);
/// Decodes the source (unless the reuse test did) and turns it upright; an unreadable
/// source becomes a 3 x 2 black picture.
void decodeUpright(const ImagePlan& plan, const ImageReaders& readers, SourcePicture& source);
/// The longer side of every size for the decoded picture.
SizeTargets targetsFor(const ImagePlan& plan, const imaging::Image& picture);
/// The renditions the targets call for, largest first, along the cascade of halvings;
/// returns the picture the smaller sizes go on from (empty: the source picture itself).
imaging::Image scaleRenditions(const SourcePicture& source, const SizeTargets& targets,
                               RenditionPictures& renditions);
/// Every size the plan wants, from one cascade going on from `from` (the source picture
/// or what the renditions left); sizes the cascade refuses are made from the picture
/// alone. The 2x thumbnail comes from the main image before it is finished.
imaging::ScaledSizes scaleSizes(const ImagePlan& plan, const SourcePicture& source,
                                const imaging::Image& from, const SizeTargets& targets,
                                RenditionPictures& renditions);
/// Brings the decoded picture of a source tagged with another colour space than sRGB to
/// sRGB, and marks its colours done, when the sizes to be made from it hold at least as
/// many pixels as it does (with renditions up to the photo's own size they hold about
/// 1.5 times as many); otherwise converting the sizes is cheaper. True when converted.
bool convertSource(const ImagePlan& plan, const SizeTargets& targets, SourcePicture& source);
/// Brings the sizes and renditions of a source tagged with another colour space than
/// sRGB to sRGB. The conversion runs on the scaled pictures rather than on the decoded
/// one: the same colours for a fraction of the pixels. Untagged and sRGB sources are
/// untouched.
void convertSizes(const ImagePlan& plan, const SourcePicture& source, imaging::ScaledSizes& sizes,
                  RenditionPictures& renditions);
/// One sharpening per picture (the user's choice when it is on, else the one that makes
/// up for the blur of resampling), the square thumbnail and the watermark. False, with a
/// warning diagnostic, when the plan's watermark could not be stamped (the sizes are
/// then written without it).
bool finishSizes(const ImagePlan& plan, const SizeTargets& targets, const imaging::Image& picture,
                 imaging::ScaledSizes& sizes, RenditionPictures& renditions);
/// Writes the album files, each whole (a temporary file renamed into place), and gives
/// their sizes and the files written (into `written`). A file that cannot be written
/// does not stop the run; it is counted in the result. A source written in place of a
/// copy (the picture at full size) is brought to sRGB first.
ImageResult writeSizes(const ImagePlan& plan, SourcePicture& source,
                       const imaging::ScaledSizes& sizes, const RenditionPictures& renditions,
                       ImageRecordEntry& written);

/// Produces the thumbnail, main and large files of image `index` of the album in
/// `destdir`, through the steps above. What the lower layers report meanwhile is
/// collected in the result, not passed on.
ImageResult processAlbumImage(const model::AlbumSettings& settings, const std::string& destdir,
                              const model::ImageEntry& entry, int index,
                              const ImageReaders& readers,
                              const ImageHistory& history = ImageHistory{});

}  // namespace kavlo::core
