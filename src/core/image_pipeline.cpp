// SPDX-License-Identifier: MIT
// One album image from source file to thumbnail, main and large files.
#include "core/image_pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "core/skin_background.h"
#include "imaging/codecs.h"
#include "imaging/colour.h"
#include "metadata/exif.h"
#include "metadata/location.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::core {

using imaging::convertToSrgb;
using imaging::DecodedImage;
using imaging::Image;
using imaging::readJpegImage;
using imaging::ReadOptions;
using imaging::readSourceHeader;
using imaging::readSourceImage;
using imaging::readTiffImage;
using imaging::RPcropInPlace;
using imaging::RPfastScale;
using imaging::RPfillColour;
using imaging::RPpaste;
using imaging::RPreadJpeg;
using imaging::RPreadJpegInfo;
using imaging::RPreadTiff;
using imaging::RProtate;
using imaging::RPsharpenInPlace;
using imaging::RPwriteJpeg;
using imaging::scaleCascade;
using imaging::ScaledSizes;
using imaging::ScaleTargets;
using imaging::SourceHeader;
using imaging::stampWatermark;
using imaging::WatermarkStyle;
using metadata::copyJpegWithoutLocation;
using metadata::readExif;
using metadata::readExifBlock;
using model::AlbumSettings;
using model::ImageEntry;
using util::Colour;
using util::copyFile;
using util::DiagnosticCapture;
using util::ErrorCode;
using util::fileNameOf;
using util::format;
using util::isJpegFile;
using util::isTiffFile;
using util::reportFile;
using util::Severity;
using util::stripExtension;

namespace {

bool sizeWithin(const ImageReaders& readers, const std::string& path, std::pair<int, int> expected,
                int tolerance) {
    int w = 0, h = 0;
    if (!readers.readJpegSize(path, &w, &h)) return false;
    return std::abs(w - expected.first) <= tolerance && std::abs(h - expected.second) <= tolerance;
}

bool turnsSideways(int orientation) { return orientation == 6 || orientation == 8; }

/// Takes the picture and what the source says about its colours.
void takeDecoded(DecodedImage decoded, SourcePicture& source) {
    source.picture = std::move(decoded.picture);
    source.iccProfile = std::move(decoded.iccProfile);
    source.nclx = decoded.nclx;
    source.colourDone = decoded.colourDone;
    source.turnedByContainer = decoded.orientationApplied;
}

/// `image` in sRGB, from the colours the source describes (nothing for sRGB sources).
void toSrgb(const SourcePicture& source, const std::string& name, Image& image) {
    if (source.colourDone || image.empty()) return;
    if (!source.iccProfile.empty()) {
        convertToSrgb(image.record(), source.iccProfile, name);
    } else if (source.nclx) {
        convertToSrgb(image.record(), *source.nclx, name);
    }
}

/// Copies the source into the album: as it is, or without its GPS position. False when
/// the copy cannot be made (the caller then writes the picture instead).
bool copySource(const ImagePlan& plan, const std::string& destination) {
    if (!plan.stripLocation) return copyFile(plan.source, destination);
    std::string error;
    if (copyJpegWithoutLocation(plan.source, destination, error)) return true;
    // Refused (GPS data in a form that cannot be removed losslessly) or unreadable: the
    // picture is written instead, without any of the source's metadata.
    reportFile(Severity::warning, ErrorCode::unsupported, "copyJpegWithoutLocation", plan.source,
               error);
    return false;
}

/// The stored size of the source for the reuse test, upright: from the JPEG header, or
/// by decoding a TIFF (kept in `source` for the decode step). False when unknown.
bool storedSizeForReuse(const ImagePlan& plan, const ImageReaders& readers, SourcePicture& source,
                        int& w0, int& h0) {
    if (plan.kind == SourceKind::jpeg) {
        if (!readers.readJpegSize(plan.source, &w0, &h0)) return false;
        // Album images of a turned photo have the turned size; the orientation read
        // here serves the decode step as well.
        if (plan.autorotate) {
            source.orientation = readers.readOrientation(plan.source);
            if (turnsSideways(source.orientation)) std::swap(w0, h0);
        }
        return true;
    }
    if (plan.kind == SourceKind::tiff) {
        takeDecoded(readers.readTiff(plan.source), source);
        source.decoded = true;
        ++source.decodes;
        w0 = source.picture.width();
        h0 = source.picture.height();
        return !source.picture.empty();
    }
    // Other formats: the container's header, without a decode (a HEIC costs many JPEGs).
    const SourceHeader header = readers.readHeader(plan.source);
    if (!header.known) return false;
    w0 = header.width;
    h0 = header.height;
    if (plan.autorotate && !header.orientationApplied &&
        turnsSideways(readExifBlock(header.exif, false).orientation))
        std::swap(w0, h0);
    return true;
}

/// Scales `picture` so that its longer side is `target`; used when the cascade refuses
/// the size combination (settings from a file are not range-checked).
void scaleAlone(const SourcePicture& source, int target, Image& out) {
    if (!out.empty()) return;
    out = Image(
        RPfastScale(source.picture.record(), std::max(target, 1), true, source.aspect(), nullptr));
}

/// One sharpening at most: the one the user chose when it is on (`chosenMild` is its
/// strength), which makes up for the blur of resampling as well; otherwise the
/// compensating one at full strength, for sizes that were resampled (those whose target
/// divides neither side of the decoded picture). Sharpening twice drew dark halos.
void sharpenOnce(Image& img, bool chosen, int chosenMild, int target, int w, int h) {
    if (img.empty() || target <= 0) return;
    if (chosen) {
        RPsharpenInPlace(img.record(), chosenMild);
    } else if (w % target != 0 && h % target != 0) {
        RPsharpenInPlace(img.record(), 0);
    }
}

/// Puts the thumbnail centred on a size x size canvas of `background`; the parts that
/// overhang the canvas are cut away first so nothing is written outside it.
void padThumbnail(Image& thumb, int size, Colour background) {
    const int ws = thumb.width(), hs = thumb.height();
    const int x = static_cast<int>((size - ws + 1) * 0.5);
    const int y = static_cast<int>((size - hs + 1) * 0.5);
    Image canvas = Image::create(size, size, 24);
    if (canvas.empty()) return;
    RPfillColour(canvas.record(), static_cast<unsigned char>((background >> 16) & 0xFF),
                 static_cast<unsigned char>((background >> 8) & 0xFF),
                 static_cast<unsigned char>(background & 0xFF), 0);
    const int cropX = x < 0 ? -x : 0;
    const int cropY = y < 0 ? -y : 0;
    const int cropW = std::min(ws - cropX, size);
    const int cropH = std::min(hs - cropY, size);
    if (cropX > 0 || cropY > 0 || cropW < ws || cropH < hs) {
        RPcropInPlace(thumb.record(), cropX, cropY, cropW, cropH);
    }
    RPpaste(canvas.record(), std::max(x, 0), std::max(y, 0), thumb.record());
    thumb = std::move(canvas);
}

/// The square SimpleViewer thumbnail: cropped to the square when asked and large
/// enough, else centred on the background.
void squareThumbnail(const SquarePlan& square, Image& thumb) {
    const int sv = square.size;
    if (square.crop && thumb.width() >= sv && thumb.height() >= sv) {
        const int x = std::max(0, static_cast<int>((thumb.width() - sv + 1) * 0.5));
        const int y = std::max(0, static_cast<int>((thumb.height() - sv + 1) * 0.5));
        RPcropInPlace(thumb.record(), x, y, sv, sv);
    } else {
        padThumbnail(thumb, sv, square.background);
    }
}

bool writeJpeg(const std::string& path, int quality, const std::string& comment, const Image& img) {
    // A failed write does not stop the run; it is counted for the end of the run.
    return RPwriteJpeg(path, quality, &comment, img.record()) == 0;
}

/// The sizes the reuse test expects for a source stored as w0 x h0 (upright).
struct ExpectedSizes {
    std::pair<int, int> small, main, large, largeFile;
};

ExpectedSizes expectedSizes(const ImagePlan& plan, const SourcePicture& source, int w0, int h0) {
    ExpectedSizes e;
    const int sv = plan.square.size;
    e.small = plan.square.wanted ? std::pair<int, int>{sv, sv}
                                 : fitBox(plan.small.boxWidth, plan.small.boxHeight, w0, h0);
    e.main = fitBox(plan.main.boxWidth, plan.main.boxHeight, w0, h0);
    e.large = plan.copyLarge ? std::pair<int, int>{w0, h0}
                             : fitBox(plan.large.boxWidth, plan.large.boxHeight, w0, h0);
    // A copied large image is the source file itself, stored unturned.
    e.largeFile =
        plan.copyLarge && turnsSideways(source.orientation) ? std::pair<int, int>{h0, w0} : e.large;
    return e;
}

}  // namespace

ImageReaders defaultImageReaders() {
    ImageReaders r;
    r.readJpegSize = [](const std::string& path, int* w, int* h) {
        int hh = 0, ww = 0;
        if (RPreadJpegInfo(path, nullptr, &hh, &ww) != 0) return false;
        if (ww <= 0 || hh <= 0) return false;
        *w = ww;
        *h = hh;
        return true;
    };
    r.readJpeg = [](const std::string& path, int target, int* w, int* h) {
        ReadOptions options;
        options.targetSize = target;
        DecodedImage d = readJpegImage(path, options);
        if (w) *w = d.storedWidth;
        if (h) *h = d.storedHeight;
        return d;
    };
    r.readTiff = [](const std::string& path) { return readTiffImage(path, {}); };
    r.readOther = [](const std::string& path, const ReadOptions& options) {
        return readSourceImage(path, options);
    };
    r.readHeader = [](const std::string& path) { return readSourceHeader(path); };
    r.readOrientation = [](const std::string& path) { return readExif(path, false).orientation; };
    return r;
}

std::pair<int, int> fitBox(int boxW, int boxH, int w, int h) {
    if (w <= 0 || h <= 0 || boxW <= 0 || boxH <= 0) return {0, 0};
    if (static_cast<double>(boxW) / boxH > static_cast<double>(w) / h) {
        return {static_cast<int>(std::floor(static_cast<double>(boxH) * w / h + 0.5)), boxH};
    }
    return {boxW, static_cast<int>(std::floor(static_cast<double>(boxW) * h / w + 0.5))};
}

int fitTarget(int boxW, int boxH, int w, int h) {
    auto [fw, fh] = fitBox(boxW, boxH, w, h);
    return std::max(fw, fh);
}

std::string albumImageName(const AlbumSettings& settings, const ImageEntry& entry, int index) {
    const int number = index + 1;
    if (!settings.orgfilenames) return format("%04i.jpg", number);
    std::string base = stripExtension(fileNameOf(entry.path));
    base.erase(std::remove(base.begin(), base.end(), '#'), base.end());
    return format("%s-%03i.jpg", base.c_str(), number);
}

double SourcePicture::aspect() const {
    return readable && storedWidth > 0 && storedHeight > 0
               ? static_cast<double>(storedHeight) / storedWidth
               : 2.0 / 3.0;
}

ImagePlan planImage(const AlbumSettings& s, const std::string& destdir, const ImageEntry& entry,
                    int index) {
    ImagePlan plan;
    plan.source = entry.path;
    plan.kind = isJpegFile(entry.path)   ? SourceKind::jpeg
                : isTiffFile(entry.path) ? SourceKind::tiff
                                         : SourceKind::other;
    plan.index = index;
    const std::string name = albumImageName(s, entry, index);
    plan.small = {s.small,   destdir + "/" + s.sdir + "/" + name, s.shsize, s.svsize, s.squality,
                  s.ssharpen};
    plan.main = {true,      destdir + "/" + s.mdir + "/" + name, s.mhsize, s.mvsize, s.mquality,
                 s.msharpen};
    plan.large = {s.large,   destdir + "/" + s.ldir + "/" + name, s.lhsize, s.lvsize, s.lquality,
                  s.lsharpen};
    plan.copyLarge = s.large && s.copyhires;
    plan.square = {s.small && s.simpleviewer, s.svthumbsize, s.svcropthumbs, s.svbgcolor};
    plan.tryReuse = s.reuseimages && !(s.imagetext && s.itfrommicap);
    plan.autorotate = s.autorotate;
    plan.background = s.skinbg;
    plan.stripLocation = s.striplocation;
    const int largeBox = std::max(s.lhsize, s.lvsize);
    const int mainBox = std::max(s.mhsize, s.mvsize);
    plan.decodeTarget = (s.large && !s.copyhires && largeBox > mainBox) ? largeBox : mainBox;
    if (s.imagetext) {
        plan.comment = s.itfrommicap ? entry.micap : s.ittext;
        plan.watermark =
            WatermarkStyle{s.itfontfile, s.itfontsize, s.itposition, s.ittransp, s.itcolor};
    }
    return plan;
}

std::optional<ImageResult> reuseEarlierFiles(const ImagePlan& plan, const ImageReaders& readers,
                                             SourcePicture& source) {
    if (!plan.tryReuse) return std::nullopt;
    int w0 = 0, h0 = 0;
    if (!storedSizeForReuse(plan, readers, source, w0, h0) || w0 <= 0 || h0 <= 0)
        return std::nullopt;
    const ExpectedSizes e = expectedSizes(plan, source, w0, h0);
    const int tol = plan.kind == SourceKind::jpeg ? 1 : 0;
    const bool fits =
        (!plan.small.wanted || sizeWithin(readers, plan.small.path, e.small, tol)) &&
        sizeWithin(readers, plan.main.path, e.main, tol) &&
        (!plan.large.wanted || sizeWithin(readers, plan.large.path, e.largeFile, tol));
    if (!fits) return std::nullopt;
    ImageResult r;
    r.reused = true;
    r.decodes = source.decodes;
    std::tie(r.smallW, r.smallH) = e.small;
    std::tie(r.mainW, r.mainH) = e.main;
    if (plan.large.wanted) std::tie(r.largeW, r.largeH) = e.large;
    return r;
}

void decodeUpright(const ImagePlan& plan, const ImageReaders& readers, SourcePicture& source) {
    int w0 = 0, h0 = 0;
    std::vector<std::uint8_t> exif;  // of the other formats, for their orientation
    if (plan.kind == SourceKind::jpeg) {
        // Reduced by DCT scaling no further than the largest size needed.
        takeDecoded(readers.readJpeg(plan.source, plan.decodeTarget, &w0, &h0), source);
        ++source.decodes;
    } else if (plan.kind == SourceKind::tiff) {
        if (!source.decoded) {
            takeDecoded(readers.readTiff(plan.source), source);
            ++source.decodes;
        }
        w0 = source.picture.width();
        h0 = source.picture.height();
    } else {
        ReadOptions options;
        options.background = plan.background;
        DecodedImage decoded = readers.readOther(plan.source, options);
        exif = std::move(decoded.exif);
        takeDecoded(std::move(decoded), source);
        ++source.decodes;
        w0 = source.picture.width();
        h0 = source.picture.height();
    }
    source.decoded = true;
    source.readable = !source.picture.empty();
    // PNG and WebP carry an Exif orientation like JPEG; HEIF and AVIF turn the picture
    // in the container, and the orientation in their Exif block then says the same turn
    // again: it is not applied a second time.
    if (plan.kind == SourceKind::other && !source.turnedByContainer)
        source.orientation = readExifBlock(exif, false).orientation;
    const bool orientable = plan.kind == SourceKind::jpeg ||
                            (plan.kind == SourceKind::other && !source.turnedByContainer);
    if (plan.autorotate && orientable && source.readable) {
        if (source.orientation < 0) source.orientation = readers.readOrientation(plan.source);
        if (source.orientation == 3) {
            RProtate(source.picture.record(), 180);
        } else if (turnsSideways(source.orientation)) {
            RProtate(source.picture.record(), source.orientation == 6 ? 90 : -90);
            std::swap(w0, h0);
        }
    }
    if (!source.readable) {
        // An unreadable source becomes a 3 x 2 black picture with its own aspect.
        source.picture = Image::create(3, 2, 24);
        RPfillColour(source.picture.record(), 0, 0, 0, 0);
        w0 = h0 = 0;
    }
    source.storedWidth = w0;
    source.storedHeight = h0;
}

SizeTargets targetsFor(const ImagePlan& plan, const Image& picture) {
    const int w = picture.width(), h = picture.height();
    SizeTargets t;
    if (plan.square.wanted && plan.square.crop) {
        // The shorter side becomes the square's edge.
        const double ratio = static_cast<double>(std::min(w, h)) / std::max(w, h);
        t.small = static_cast<int>(std::floor(plan.square.size / ratio + 0.5));
    } else {
        t.small = fitTarget(plan.small.boxWidth, plan.small.boxHeight, w, h);
    }
    t.main = fitTarget(plan.main.boxWidth, plan.main.boxHeight, w, h);
    t.large = fitTarget(plan.large.boxWidth, plan.large.boxHeight, w, h);
    return t;
}

void convertSizes(const ImagePlan& plan, const SourcePicture& source, ScaledSizes& sizes) {
    if (source.colourDone) return;
    toSrgb(source, plan.source, sizes.small);
    toSrgb(source, plan.source, sizes.medium);
    toSrgb(source, plan.source, sizes.large);
}

ScaledSizes scaleSizes(const ImagePlan& plan, const SourcePicture& source,
                       const SizeTargets& targets) {
    const bool scaledLarge = plan.large.wanted && !plan.copyLarge;
    ScaleTargets wanted;
    wanted.medium = static_cast<unsigned>(targets.main);
    if (plan.small.wanted) wanted.small = static_cast<unsigned>(targets.small);
    if (scaledLarge) wanted.large = static_cast<unsigned>(targets.large);
    ScaledSizes sizes = scaleCascade(source.picture.record(), wanted, true, source.aspect());
    if (plan.small.wanted) scaleAlone(source, targets.small, sizes.small);
    scaleAlone(source, targets.main, sizes.medium);
    if (scaledLarge) scaleAlone(source, targets.large, sizes.large);
    return sizes;
}

void finishSizes(const ImagePlan& plan, const SizeTargets& targets, const Image& picture,
                 ScaledSizes& sizes) {
    const bool scaledLarge = plan.large.wanted && !plan.copyLarge;
    const int w = picture.width(), h = picture.height();
    // The user's sharpening: full strength for thumbnails, mild for the others.
    if (plan.small.wanted) sharpenOnce(sizes.small, plan.small.sharpen, 0, targets.small, w, h);
    sharpenOnce(sizes.medium, plan.main.sharpen, 1, targets.main, w, h);
    if (scaledLarge) sharpenOnce(sizes.large, plan.large.sharpen, 1, targets.large, w, h);

    if (plan.square.wanted && !sizes.small.empty()) squareThumbnail(plan.square, sizes.small);

    if (plan.watermark) {
        if (!sizes.medium.empty())
            stampWatermark(*plan.watermark, plan.comment, sizes.medium.record());
        if (scaledLarge && !sizes.large.empty())
            stampWatermark(*plan.watermark, plan.comment, sizes.large.record());
    }
}

ImageResult writeSizes(const ImagePlan& plan, SourcePicture& source, const ScaledSizes& sizes) {
    ImageResult r;
    r.decodes = source.decodes;
    // Only a JPEG source that decoded as an image is ever copied into the album; a TIFF
    // is always written as a JPEG.
    const bool copyable = plan.kind == SourceKind::jpeg && source.readable;
    const std::string& comment = plan.comment;
    if (plan.small.wanted) {
        r.smallW = sizes.small.width();
        r.smallH = sizes.small.height();
        if (!writeJpeg(plan.small.path, plan.small.quality, comment, sizes.small)) ++r.failedWrites;
    }
    r.mainW = sizes.medium.width();
    r.mainH = sizes.medium.height();
    // A source that needs no resizing is published as it is.
    const bool mainIsSource = copyable && !plan.watermark && r.mainW == source.storedWidth &&
                              r.mainH == source.storedHeight;
    if (!(mainIsSource && copySource(plan, plan.main.path)) &&
        !writeJpeg(plan.main.path, plan.main.quality, comment, sizes.medium)) {
        ++r.failedWrites;
    }
    if (!plan.large.wanted) return r;
    if (!plan.copyLarge) {
        r.largeW = sizes.large.width();
        r.largeH = sizes.large.height();
        if (!writeJpeg(plan.large.path, plan.large.quality, comment, sizes.large)) ++r.failedWrites;
    } else if (copyable && copySource(plan, plan.large.path)) {
        r.largeW = source.storedWidth;
        r.largeH = source.storedHeight;
    } else {
        // Not a JPEG (a non-JPEG source is never copied), unreadable, or a copy that
        // failed: the decoded picture is written as a JPEG, in sRGB, with its own size.
        toSrgb(source, plan.source, source.picture);
        r.largeW = source.picture.width();
        r.largeH = source.picture.height();
        if (!writeJpeg(plan.large.path, plan.large.quality, comment, source.picture))
            ++r.failedWrites;
    }
    return r;
}

ImageResult processAlbumImage(const AlbumSettings& settings, const std::string& destdir,
                              const ImageEntry& entry, int index, const ImageReaders& readers) {
    DiagnosticCapture capture;
    const ImagePlan plan = planImage(settings, destdir, entry, index);
    SourcePicture source;
    if (std::optional<ImageResult> kept = reuseEarlierFiles(plan, readers, source)) {
        kept->diagnostics = capture.take();
        return std::move(*kept);
    }
    decodeUpright(plan, readers, source);
    const SizeTargets targets = targetsFor(plan, source.picture);
    ScaledSizes sizes = scaleSizes(plan, source, targets);
    convertSizes(plan, source, sizes);
    finishSizes(plan, targets, source.picture, sizes);
    ImageResult result = writeSizes(plan, source, sizes);
    result.diagnostics = capture.take();
    return result;
}

}  // namespace kavlo::core
