// SPDX-License-Identifier: MIT
// The album records every layer works on: the generation options (AlbumSettings),
// one image of the album (ImageEntry) and the album of this run (AlbumModel).
//
// An image has no stored number: its number is its 1-based position in
// AlbumModel::images, and the album order is the order of that list. Excluding an
// image removes its entry for good.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "util/positions.h"
#include "util/text.h"

namespace kavlo::model {

/// Where the automatic Exif captions of a new album go (settings key exifpos, stored as
/// its number). A number outside 0..2 read from the settings file is kept as it is, so
/// that it is written back unchanged, and places the captions like minorCaption.
enum class ExifCaptionPlace : int { minorCaption = 0, majorCaption = 1, none = 2 };

/// Every generation option. Field names equal the keys of the settings file and of
/// the album information file. Sizes are pixels, "h" a maximum width, "v" a maximum
/// height. Only the options window enforces value ranges.
struct AlbumSettings {
    std::string appearance = "dim";  ///< skin: templates/js2/ext/css/appearance_<name>.css
    std::string language = "uk";     ///< language code: templates/js2/ext/js/langdef_<code>.js

    bool small = true;     ///< produce thumbnails
    int shsize = 80;       ///< thumbnail maximum width
    int svsize = 80;       ///< thumbnail maximum height
    int squality = 85;     ///< JPEG quality of thumbnails, 1..100
    bool ssharpen = true;  ///< sharpen thumbnails after scaling
    util::StripPosition smallpos = util::StripPosition::left;  ///< thumbnail strip
    std::string sdir = "small";  ///< thumbnail folder under the album folder

    int mhsize = 552;  ///< main image maximum width
    int mvsize = 552;  ///< main image maximum height
    int mquality = 85;
    bool msharpen = true;
    std::string mdir = "medium";

    bool large = false;  ///< produce large images
    int lhsize = 1024;
    int lvsize = 1024;
    int lquality = 85;
    bool lsharpen = true;
    std::string ldir = "large";
    bool copyhires = false;  ///< large images are copies of the source files

    bool autorotate = true;  ///< turn images upright by their Exif orientation
    std::string linktext;    ///< text of the album's extra link
    std::string linkurl;     ///< address of that link
    std::string iptcformat = "%caption_abstract%";
    std::string exifformat = "eaf";

    bool imagetext = false;  ///< stamp a text watermark into main (and large) images
    std::string ittext = "This text will be rendered into each album image.";
    bool itfrommicap = false;  ///< use each image's minor caption as watermark text
    std::string itfontfile;    ///< TrueType file; see defaultAlbumSettings()
    int itfontsize = 8;        ///< points, rendered at 96 dpi
    util::WatermarkPosition itposition = util::WatermarkPosition::bottomRight;
    int ittransp = 0;  ///< transparency in tenths, 0..9
    util::Colour itcolor = 0xFFFFFF;

    bool orgfilenames = false;  ///< put the source file name into album image names
    /// Extra renditions of every photo for sharp views on dense screens (the hd/ folders,
    /// 2x thumbnails and ext/js/renditions.js).
    bool renditions = true;

    bool simpleviewer = false;
    int svframesize = 1;
    int svthumbrows = 3;
    int svthumbcols = 3;
    int svstagepadding = 35;
    util::Colour svbgcolor = 0x191919;
    util::Colour svtextcolor = 0xFFFFFF;
    util::Colour svframecolor = 0x555555;
    bool svcropthumbs = true;

    /// Published originals (copyhires) are copied without their GPS position. Stored
    /// in the settings and album information files only when on, after the other keys.
    bool striplocation = false;

    // Not stored in the settings file.
    std::string templatedir;   ///< root of the template set (dataFolder() + "templates")
    int svthumbsize = 65;      ///< edge of the square SimpleViewer thumbnails
    bool reuseimages = false;  ///< album images already in the destination may be kept
    bool cleardirs = false;    ///< delete the album images before the run
    /// The skin's page colour, under the transparent pixels of PNG, WebP, HEIF and AVIF
    /// photos; set by the run from the skin's style sheet.
    util::Colour skinbg = 0xFFFFFF;
};

/// AlbumSettings with the platform defaults filled in: the watermark font is the
/// file fontconfig matches for "Arial", the template folder the one beside the program.
AlbumSettings defaultAlbumSettings();

/// One image of the album.
struct ImageEntry {
    std::string path;   ///< full path of the source image (".jpg" or ".tif")
    std::string macap;  ///< major caption, shown with the image (may hold HTML)
    std::string micap;  ///< minor caption, shown as a tooltip; optional watermark text
};

/// The one album of this run. The settings belong to the album ("the renderer's
/// settings"); the generation run (core/album_renderer.h) works on this record.
struct AlbumModel {
    std::vector<ImageEntry> images;  ///< album order
    std::string title;
    std::string intro;  ///< line breaks stored as CR LF
    std::string footer;
    std::string destdir;   ///< album folder, no trailing "/"
    std::string inputdir;  ///< folder of the source images
    std::string rendererKind = "default";
    AlbumSettings settings = defaultAlbumSettings();

    /// Appends one entry per path, captions empty.
    void appendFiles(const std::vector<std::string>& paths);
    /// Counts listed images of `folder` whose path equals no entry's path (byte for
    /// byte); when `add`, appends them in listing order.
    int countNewImages(const std::string& folder, bool add);
    /// Replaces every path by rebasePath(path, folder).
    void relocate(const std::string& folder);
    /// An entry is missing when its path is empty or the file does not exist. With
    /// `remove`, missing entries are erased. Returns (none missing, missing count).
    std::pair<bool, int> checkMissing(bool remove);
    /// index -1 means every image; major chooses macap, otherwise micap.
    void setNumberCaptions(int index, bool major);
    void clearCaptions(int index, bool major);
    void setFileNameCaptions(int index, bool major);

    /// The caption field chosen by `major`.
    static std::string& caption(ImageEntry& e, bool major) { return major ? e.macap : e.micap; }
};

}  // namespace kavlo::model
