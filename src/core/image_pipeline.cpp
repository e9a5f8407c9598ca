// SPDX-License-Identifier: MIT
// One album image from source file to thumbnail, main and large files.
#include "core/image_pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "core/album_output.h"
#include "imaging/codecs.h"
#include "imaging/colour.h"
#include "imaging/orientation.h"
#include "imaging/scale_steps.h"
#include "metadata/exif.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::core {

using imaging::convertToSrgb;
using imaging::DecodedImage;
using imaging::Image;
using imaging::orientationNeedsTurn;
using imaging::orientationSwapsSides;
using imaging::RPcropInPlace;
using imaging::RPfastScale;
using imaging::RPfastScaleSteps;
using imaging::RPfillColour;
using imaging::RPorientUpright;
using imaging::RPpaste;
using imaging::readJpegImage;
using imaging::ReadOptions;
using imaging::readSourceImage;
using imaging::readTiffImage;
using imaging::RPsharpenInPlace;
using imaging::scaleCascade;
using imaging::ScaledSizes;
using imaging::ScaleTargets;
using imaging::stampWatermark;
using imaging::WatermarkStyle;
using metadata::readExif;
using metadata::readExifBlock;
using model::AlbumSettings;
using model::ImageEntry;
using util::Colour;
using util::DiagnosticCapture;
using util::ErrorCode;
using util::fileNameOf;
using util::format;
using util::isJpegFile;
using util::isTiffFile;
using util::repairUtf8;
using util::reportFile;
using util::Severity;
using util::stripExtension;

namespace {

/// Takes the picture and what the source says about its colours and orientation.
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
    convertToSrgb(image.record(), source.iccProfile, source.nclx, name);
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

/// The path of a file of the image relative to the album, "" when the plan has no such file.
std::string albumPath(const ImagePlan& plan, AlbumFileKind kind, int step) {
    const std::string* path = nullptr;
    switch (kind) {
    case AlbumFileKind::thumbnail: path = plan.small.wanted ? &plan.small.path : nullptr; break;
    case AlbumFileKind::main: path = &plan.main.path; break;
    case AlbumFileKind::large: path = plan.large.wanted ? &plan.large.path : nullptr; break;
    case AlbumFileKind::thumbnail2x: path = &plan.renditions.thumb2xPath; break;
    case AlbumFileKind::rendition:
        if (step >= 0 && static_cast<std::size_t>(step) < plan.renditions.paths.size())
            path = &plan.renditions.paths[static_cast<std::size_t>(step)];
        break;
    }
    const std::size_t prefix = plan.albumFolder.size() + 1;
    if (path == nullptr || path->size() <= prefix) return std::string();
    return path->substr(prefix);
}

PixelSize sizeOf(const RecordedFile* f) {
    return f != nullptr ? PixelSize{f->width, f->height} : PixelSize{0, 0};
}

/// Writes one album file whole and records it; a failure is counted.
void writeFile(const ImagePlan& plan, AlbumFileKind kind, int step, int quality, const Image& img,
               ImageRecordEntry& written, ImageResult& r) {
    RecordedFile file{kind, step, albumPath(plan, kind, step), img.width(), img.height()};
    if (!writeAlbumFile(plan.albumFolder, file, quality, plan.comment, img.record(), written))
        ++r.failedWrites;
}

/// Copies the source whole as one album file (`size` is its picture's) and records it:
/// as it is, or without its GPS position when the plan says so. False when the copy
/// cannot be made (the caller then writes the picture instead).
bool copySource(const ImagePlan& plan, AlbumFileKind kind, PixelSize size,
                ImageRecordEntry& written) {
    RecordedFile file{kind, 0, albumPath(plan, kind, 0), size.first, size.second};
    if (!plan.stripLocation) return copyAlbumFile(plan.albumFolder, file, plan.source, written);
    std::string error;
    if (copyAlbumFileWithoutLocation(plan.albumFolder, file, plan.source, written, error))
        return true;
    // Refused (GPS data in a form that cannot be removed losslessly) or unreadable: the
    // picture is written instead, without any of the source's metadata.
    reportFile(Severity::warning, ErrorCode::unsupported, "copyJpegWithoutLocation", plan.source,
               error);
    return false;
}

}  // namespace

ImageReaders defaultImageReaders() {
    ImageReaders r;
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
    // The pages name the file in UTF-8, repaired as all text from outside is: the file
    // on disk must have that very name.
    base = repairUtf8(base);
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
    plan.albumFolder = destdir;
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
    // The image record holds the watermark text each image was stamped with, so even
    // watermarks from the captions allow the files to be kept.
    plan.tryReuse = s.reuseimages;
    plan.renditions.wanted = s.renditions;
    if (s.renditions) {
        for (std::size_t k = 0; k < renditionSteps().size(); ++k)
            plan.renditions.paths.push_back(destdir + "/" + renditionFolder(k) + "/" + name);
        if (s.small)
            plan.renditions.thumb2xPath = destdir + "/" + thumbnail2xFolder(s) + "/" + name;
    }
    plan.autorotate = s.autorotate;
    plan.background = s.skinbg;
    plan.stripLocation = s.striplocation;
    const int largeBox = std::max(s.lhsize, s.lvsize);
    const int mainBox = std::max(s.mhsize, s.mvsize);
    plan.decodeTarget = (s.large && !s.copyhires && largeBox > mainBox) ? largeBox : mainBox;
    // Renditions up to the largest step come from the same decode (never above the photo).
    if (s.renditions) plan.decodeTarget = std::max(plan.decodeTarget, renditionSteps().back());
    if (s.imagetext) {
        // Text with bytes that are not UTF-8 (a Latin-1 camera make in the caption) is
        // repaired as the pages repair it; the comment holds what was stamped.
        plan.comment = repairUtf8(s.itfrommicap ? entry.micap : s.ittext);
        plan.watermark =
            WatermarkStyle{s.itfontfile, s.itfontsize, s.itposition, s.ittransp, s.itcolor};
    }
    return plan;
}

std::optional<ImageResult> reuseEarlierFiles(const ImagePlan& plan, const ImageHistory& history) {
    if (!plan.tryReuse) return std::nullopt;
    const ImageRecordEntry* kept =
        keptFiles(history, plan.albumFolder,
                  [&](AlbumFileKind kind, int step) { return albumPath(plan, kind, step); });
    if (kept == nullptr) return std::nullopt;
    ImageResult r;
    r.reused = true;
    if (plan.small.wanted)
        std::tie(r.smallW, r.smallH) = sizeOf(kept->find(AlbumFileKind::thumbnail));
    std::tie(r.mainW, r.mainH) = sizeOf(kept->find(AlbumFileKind::main));
    if (plan.large.wanted) std::tie(r.largeW, r.largeH) = sizeOf(kept->find(AlbumFileKind::large));
    if (plan.renditions.wanted) {
        for (std::size_t k = 0; k < plan.renditions.paths.size(); ++k)
            r.renditions.push_back(
                sizeOf(kept->find(AlbumFileKind::rendition, static_cast<int>(k))));
        r.thumb2x = sizeOf(kept->find(AlbumFileKind::thumbnail2x));
    }
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
    // again: it is not applied a second time. A TIFF is turned by its reader.
    if (plan.kind == SourceKind::other && !source.turnedByContainer)
        source.orientation = readExifBlock(exif, false).orientation;
    const bool orientable = plan.kind == SourceKind::jpeg ||
                            (plan.kind == SourceKind::other && !source.turnedByContainer);
    if (plan.autorotate && orientable && source.readable) {
        if (source.orientation < 0) source.orientation = readers.readOrientation(plan.source);
        RPorientUpright(source.picture.record(), source.orientation);
        if (orientationSwapsSides(source.orientation)) std::swap(w0, h0);
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
    if (plan.renditions.wanted) {
        // Renditions start above the largest size the album already has (a copied
        // large image is the photo itself: renditions still spare visitors that file).
        const bool scaledLarge = plan.large.wanted && !plan.copyLarge;
        t.renditions =
            renditionTargets(std::max(w, h), scaledLarge ? std::max(t.main, t.large) : t.main);
        if (!plan.renditions.thumb2xPath.empty())
            t.thumb2x = thumbnail2xTarget(std::max(w, h), t.small);
    }
    return t;
}

namespace {

/// Pixels of the size whose longer side is `target`, for a picture of w x h.
double pixelsAt(int target, int w, int h) {
    if (target <= 0) return 0.0;
    return double(target) * double(target) * double(std::min(w, h)) / double(std::max(w, h));
}

}  // namespace

bool convertSource(const ImagePlan& plan, const SizeTargets& targets, SourcePicture& source) {
    if (source.colourDone || (source.iccProfile.empty() && !source.nclx)) return false;
    const int w = source.picture.width(), h = source.picture.height();
    if (w <= 0 || h <= 0) return false;
    const bool scaledLarge = plan.large.wanted && !plan.copyLarge;
    double made = pixelsAt(targets.main, w, h) + pixelsAt(targets.thumb2x, w, h);
    if (plan.small.wanted) made += pixelsAt(targets.small, w, h);
    if (scaledLarge) made += pixelsAt(targets.large, w, h);
    for (const int step : targets.renditions) made += pixelsAt(step, w, h);
    if (made < double(w) * double(h)) return false;
    toSrgb(source, plan.source, source.picture);
    source.colourDone = true;
    return true;
}

void convertSizes(const ImagePlan& plan, const SourcePicture& source, ScaledSizes& sizes,
                  RenditionPictures& renditions) {
    if (source.colourDone) return;
    toSrgb(source, plan.source, sizes.small);
    toSrgb(source, plan.source, sizes.medium);
    toSrgb(source, plan.source, sizes.large);
    for (Image& step : renditions.steps) toSrgb(source, plan.source, step);
    toSrgb(source, plan.source, renditions.thumb2x);
}

Image scaleRenditions(const SourcePicture& source, const SizeTargets& targets,
                      RenditionPictures& renditions) {
    renditions.steps.clear();
    renditions.steps.resize(targets.renditions.size());
    // Largest first, each from the halved picture of the one before.
    std::vector<int> wanted;
    std::vector<std::size_t> step;
    for (std::size_t k = targets.renditions.size(); k-- > 0;) {
        if (targets.renditions[k] <= 0) continue;
        wanted.push_back(targets.renditions[k]);
        step.push_back(k);
    }
    if (wanted.empty()) return Image();
    std::vector<imaging::RasterImage> made;
    Image rest(RPfastScaleSteps(source.picture.record(), wanted, true, source.aspect(), made));
    for (std::size_t i = 0; i < made.size(); ++i) renditions.steps[step[i]] = Image(made[i]);
    return rest;
}

ScaledSizes scaleSizes(const ImagePlan& plan, const SourcePicture& source, const Image& from,
                       const SizeTargets& targets, RenditionPictures& renditions) {
    const bool scaledLarge = plan.large.wanted && !plan.copyLarge;
    ScaleTargets wanted;
    wanted.medium = static_cast<unsigned>(targets.main);
    if (plan.small.wanted) wanted.small = static_cast<unsigned>(targets.small);
    if (scaledLarge) wanted.large = static_cast<unsigned>(targets.large);
    ScaledSizes sizes = scaleCascade(from.record(), wanted, true, source.aspect());
    if (plan.small.wanted) scaleAlone(source, targets.small, sizes.small);
    scaleAlone(source, targets.main, sizes.medium);
    if (scaledLarge) scaleAlone(source, targets.large, sizes.large);
    if (targets.thumb2x > 0) {
        const bool fromMain =
            std::max(sizes.medium.width(), sizes.medium.height()) >= targets.thumb2x;
        const Image& base = fromMain ? sizes.medium : source.picture;
        renditions.thumb2x = Image(RPfastScale(
            base.record(), static_cast<unsigned>(targets.thumb2x), true, source.aspect(), nullptr));
    }
    return sizes;
}

bool finishSizes(const ImagePlan& plan, const SizeTargets& targets, const Image& picture,
                 ScaledSizes& sizes, RenditionPictures& renditions) {
    const bool scaledLarge = plan.large.wanted && !plan.copyLarge;
    const int w = picture.width(), h = picture.height();
    // The user's sharpening: full strength for thumbnails (the 2x one too), mild for the
    // others; the renditions are shown in the main image's place and are sharpened as
    // it is.
    if (plan.small.wanted) sharpenOnce(sizes.small, plan.small.sharpen, 0, targets.small, w, h);
    sharpenOnce(sizes.medium, plan.main.sharpen, 1, targets.main, w, h);
    for (std::size_t k = 0; k < renditions.steps.size(); ++k)
        sharpenOnce(renditions.steps[k], plan.main.sharpen, 1, targets.renditions[k], w, h);
    sharpenOnce(renditions.thumb2x, plan.small.sharpen, 0, targets.thumb2x, w, h);
    if (scaledLarge) sharpenOnce(sizes.large, plan.large.sharpen, 1, targets.large, w, h);

    if (plan.square.wanted && !sizes.small.empty()) squareThumbnail(plan.square, sizes.small);
    if (plan.square.wanted && !renditions.thumb2x.empty()) {
        SquarePlan twice = plan.square;
        twice.size *= 2;
        squareThumbnail(twice, renditions.thumb2x);
    }

    if (!plan.watermark) return true;
    bool stamped = true;
    if (!sizes.medium.empty())
        stamped = stampWatermark(*plan.watermark, plan.comment, sizes.medium.record());
    if (scaledLarge && !sizes.large.empty())
        stamped = stampWatermark(*plan.watermark, plan.comment, sizes.large.record()) && stamped;
    // The renditions show the photo in the main image's place: they carry it too.
    for (Image& r : renditions.steps)
        if (!r.empty())
            stamped = stampWatermark(*plan.watermark, plan.comment, r.record()) && stamped;
    if (!stamped) {
        reportFile(Severity::warning, ErrorCode::unsupported, "stampWatermark", plan.source,
                   format("the watermark \"%s\" could not be stamped with the font %s",
                          plan.comment.c_str(), plan.watermark->fontFile.c_str()));
    }
    return stamped;
}

ImageResult writeSizes(const ImagePlan& plan, SourcePicture& source, const ScaledSizes& sizes,
                       const RenditionPictures& renditions, ImageRecordEntry& written) {
    ImageResult r;
    r.decodes = source.decodes;
    // Only a JPEG source that decoded as an image is ever copied into the album; every
    // other format is always written as a JPEG.
    const bool copyable = plan.kind == SourceKind::jpeg && source.readable;
    if (plan.small.wanted) {
        r.smallW = sizes.small.width();
        r.smallH = sizes.small.height();
        writeFile(plan, AlbumFileKind::thumbnail, 0, plan.small.quality, sizes.small, written, r);
    }
    r.mainW = sizes.medium.width();
    r.mainH = sizes.medium.height();
    // A source that needs no resizing is published as it is, unless it is stored other
    // than upright (the copy would be sideways or mirrored).
    const bool turned = plan.autorotate && orientationNeedsTurn(source.orientation);
    const bool mainIsSource = copyable && !turned && !plan.watermark &&
                              r.mainW == source.storedWidth && r.mainH == source.storedHeight;
    if (!(mainIsSource && copySource(plan, AlbumFileKind::main, {r.mainW, r.mainH}, written)))
        writeFile(plan, AlbumFileKind::main, 0, plan.main.quality, sizes.medium, written, r);
    if (plan.large.wanted) {
        if (!plan.copyLarge) {
            r.largeW = sizes.large.width();
            r.largeH = sizes.large.height();
            writeFile(plan, AlbumFileKind::large, 0, plan.large.quality, sizes.large, written, r);
        } else if (copyable && copySource(plan, AlbumFileKind::large,
                                          {source.storedWidth, source.storedHeight}, written)) {
            r.largeW = source.storedWidth;
            r.largeH = source.storedHeight;
        } else {
            // Not a JPEG (a non-JPEG source is never copied), unreadable, or a copy that
            // failed: the decoded picture is written as a JPEG, in sRGB, with its own size
            // (a JPEG may have been decoded reduced).
            toSrgb(source, plan.source, source.picture);
            r.largeW = source.picture.width();
            r.largeH = source.picture.height();
            writeFile(plan, AlbumFileKind::large, 0, plan.large.quality, source.picture, written,
                      r);
        }
    }
    if (!plan.renditions.wanted) return r;
    for (std::size_t k = 0; k < plan.renditions.paths.size(); ++k) {
        const Image* img = k < renditions.steps.size() ? &renditions.steps[k] : nullptr;
        if (img == nullptr || img->empty()) {
            r.renditions.emplace_back(0, 0);
            continue;
        }
        r.renditions.emplace_back(img->width(), img->height());
        writeFile(plan, AlbumFileKind::rendition, static_cast<int>(k), plan.main.quality, *img,
                  written, r);
    }
    if (!renditions.thumb2x.empty()) {
        r.thumb2x = {renditions.thumb2x.width(), renditions.thumb2x.height()};
        writeFile(plan, AlbumFileKind::thumbnail2x, 0, plan.small.quality, renditions.thumb2x,
                  written, r);
    }
    return r;
}

ImageResult processAlbumImage(const AlbumSettings& settings, const std::string& destdir,
                              const ImageEntry& entry, int index, const ImageReaders& readers,
                              const ImageHistory& history) {
    DiagnosticCapture capture;
    const ImagePlan plan = planImage(settings, destdir, entry, index);
    SourcePicture source;
    if (std::optional<ImageResult> kept = reuseEarlierFiles(plan, history)) {
        kept->diagnostics = capture.take();
        return std::move(*kept);
    }
    decodeUpright(plan, readers, source);
    const SizeTargets targets = targetsFor(plan, source.picture);
    convertSource(plan, targets, source);
    RenditionPictures renditions;
    ScaledSizes sizes;
    {
        const Image rest = scaleRenditions(source, targets, renditions);
        sizes = scaleSizes(plan, source, rest.empty() ? source.picture : rest, targets, renditions);
    }
    convertSizes(plan, source, sizes, renditions);
    const bool stamped = finishSizes(plan, targets, source.picture, sizes, renditions);
    ImageRecordEntry written;
    ImageResult result = writeSizes(plan, source, sizes, renditions, written);
    result.watermarkMissing = !stamped;
    // The record vouches only for an image whose files were all written, made from a
    // source whose stamp was taken before it was read.
    if (result.failedWrites == 0 && history.stamp) {
        written.number = index + 1;
        written.source = *history.stamp;
        written.shape = history.shape;
        result.record = std::move(written);
    }
    result.diagnostics = capture.take();
    return result;
}

}  // namespace kavlo::core
