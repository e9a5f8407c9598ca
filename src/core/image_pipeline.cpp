// SPDX-License-Identifier: MIT
// One album image from source file to thumbnail, main and large files.
#include "core/image_pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "imaging/codecs.h"
#include "imaging/scale.h"
#include "imaging/watermark.h"
#include "metadata/exif.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::core {

using imaging::RasterImage;
using imaging::RPcreate;
using imaging::RPcropInPlace;
using imaging::RPfastScale;
using imaging::RPfastScaleTriple;
using imaging::RPfastScaleTwin;
using imaging::RPfillColour;
using imaging::RPfree;
using imaging::RPpaste;
using imaging::RPreadJpeg;
using imaging::RPreadJpegInfo;
using imaging::RPreadTiff;
using imaging::RProtate;
using imaging::RPsharpenInPlace;
using imaging::RPwriteJpeg;
using imaging::stampWatermark;
using imaging::WatermarkStyle;
using metadata::ExifInfo;
using metadata::freeExif;
using metadata::readExif;
using model::AlbumSettings;
using model::ImageEntry;
using util::Colour;
using util::copyFile;
using util::fileNameOf;
using util::format;
using util::isJpegFile;
using util::isTiffFile;
using util::stripExtension;

namespace {

/// Owns one RasterImage for the length of a scope and frees it exactly once.
class OwnedImage {
public:
    OwnedImage() = default;
    explicit OwnedImage(RasterImage img) : m_img(img) {}
    ~OwnedImage() { reset(); }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;

    RasterImage& get() { return m_img; }
    const RasterImage& get() const { return m_img; }
    RasterImage* out() {
        reset();
        return &m_img;
    }
    void reset(RasterImage img = RasterImage{}) {
        RPfree(m_img);
        m_img = img;
    }
    bool empty() const { return m_img.width <= 0 || m_img.height <= 0 || m_img.pixels == nullptr; }
    int width() const { return m_img.width; }
    int height() const { return m_img.height; }

private:
    RasterImage m_img{};
};

bool sizeWithin(const ImageReaders& readers, const std::string& path, std::pair<int, int> expected,
                int tolerance) {
    int w = 0, h = 0;
    if (!readers.readJpegSize(path, &w, &h)) return false;
    return std::abs(w - expected.first) <= tolerance && std::abs(h - expected.second) <= tolerance;
}

/// Scales `source` so that its longer side is `target`; used when the cascade refuses
/// the size combination (settings from a file are not range-checked).
void scaleAlone(const RasterImage& source, int target, double aspect, OwnedImage& out) {
    if (!out.empty()) return;
    out.reset(RPfastScale(source, std::max(target, 1), true, aspect, nullptr));
}

/// Sharpening that makes up for the blur of resampling: only sizes whose target
/// divides neither side of the decoded picture were resampled.
void compensate(OwnedImage& img, int target, int w, int h) {
    if (img.empty() || target <= 0) return;
    if (w % target != 0 && h % target != 0) RPsharpenInPlace(img.get(), 0);
}

/// Puts the thumbnail centred on a size x size canvas of `background`; the parts that
/// overhang the canvas are cut away first so nothing is written outside it.
void padThumbnail(OwnedImage& thumb, int size, Colour background) {
    const int ws = thumb.width(), hs = thumb.height();
    const int x = static_cast<int>((size - ws + 1) * 0.5);
    const int y = static_cast<int>((size - hs + 1) * 0.5);
    OwnedImage canvas(RPcreate(size, size, 24));
    if (canvas.empty()) return;
    RPfillColour(canvas.get(), static_cast<unsigned char>((background >> 16) & 0xFF),
                 static_cast<unsigned char>((background >> 8) & 0xFF),
                 static_cast<unsigned char>(background & 0xFF), 0);
    const int cropX = x < 0 ? -x : 0;
    const int cropY = y < 0 ? -y : 0;
    const int cropW = std::min(ws - cropX, size);
    const int cropH = std::min(hs - cropY, size);
    if (cropX > 0 || cropY > 0 || cropW < ws || cropH < hs) {
        RPcropInPlace(thumb.get(), cropX, cropY, cropW, cropH);
    }
    RPpaste(canvas.get(), std::max(x, 0), std::max(y, 0), thumb.get());
    RasterImage done = canvas.get();
    canvas.get() = RasterImage{};
    thumb.reset(done);
}

bool writeJpeg(const std::string& path, int quality, const std::string& comment,
               const RasterImage& img) {
    // A failed write does not stop the run; it is counted for the end of the run.
    return RPwriteJpeg(path, quality, &comment, img) == 0;
}

}  // namespace

ImageReaders defaultImageReaders() {
    ImageReaders r;
    r.readJpeg = [](const std::string& path, int target, int* w, int* h) {
        return RPreadJpeg(path, nullptr, target, w, h);
    };
    r.readJpegSize = [](const std::string& path, int* w, int* h) {
        int hh = 0, ww = 0;
        if (RPreadJpegInfo(path, nullptr, &hh, &ww) != 0) return false;
        if (ww <= 0 || hh <= 0) return false;
        *w = ww;
        *h = hh;
        return true;
    };
    r.readTiff = [](const std::string& path) { return RPreadTiff(path); };
    r.readOrientation = [](const std::string& path) {
        ExifInfo info = readExif(path, false);
        const int o = info.orientation;
        freeExif(info);
        return o;
    };
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

ImageResult processAlbumImage(const AlbumSettings& s, const std::string& destdir,
                              const ImageEntry& entry, int index, const ImageReaders& readers,
                              const ImageHistory& history) {
    ImageResult r;
    const std::string name = albumImageName(s, entry, index);
    const std::string smallPath = destdir + "/" + s.sdir + "/" + name;
    const std::string mainPath = destdir + "/" + s.mdir + "/" + name;
    const std::string largePath = destdir + "/" + s.ldir + "/" + name;
    const std::string& source = entry.path;
    const bool jpeg = isJpegFile(source);
    const bool tiff = isTiffFile(source);
    const bool scaledLarge = s.large && !s.copyhires;

    OwnedImage img;
    bool decoded = false;
    int orientation = -1;  // -1: not read yet
    int w0 = 0, h0 = 0;

    // 1. Reuse: the files of an earlier run stay when they have the expected sizes.
    if (s.reuseimages && !(s.imagetext && s.itfrommicap)) {
        bool known = false;
        if (jpeg) {
            known = readers.readJpegSize(source, &w0, &h0);
            // Album images of a turned photo have the turned size; the orientation read
            // here serves the decode below as well.
            if (known && s.autorotate) {
                orientation = readers.readOrientation(source);
                if (orientation == 6 || orientation == 8) std::swap(w0, h0);
            }
        } else if (tiff) {
            img.reset(readers.readTiff(source));
            decoded = true;
            ++r.decodes;
            w0 = img.width();
            h0 = img.height();
            known = !img.empty();
        }
        if (known && w0 > 0 && h0 > 0) {
            const int sv = s.svthumbsize;
            const auto expSmall =
                s.simpleviewer ? std::pair<int, int>{sv, sv} : fitBox(s.shsize, s.svsize, w0, h0);
            const auto expMain = fitBox(s.mhsize, s.mvsize, w0, h0);
            // A copied large image is the source file itself, stored unturned.
            const bool turned = orientation == 6 || orientation == 8;
            const auto largeFile =
                s.copyhires && turned ? std::pair<int, int>{h0, w0} : std::pair<int, int>{w0, h0};
            const auto expLarge =
                s.copyhires ? std::pair<int, int>{w0, h0} : fitBox(s.lhsize, s.lvsize, w0, h0);
            const int tol = jpeg ? 1 : 0;
            const bool ok = (!s.small || sizeWithin(readers, smallPath, expSmall, tol)) &&
                            sizeWithin(readers, mainPath, expMain, tol) &&
                            (!s.large || sizeWithin(readers, largePath,
                                                    s.copyhires ? largeFile : expLarge, tol));
            if (ok) {
                r.reused = true;
                r.smallW = expSmall.first;
                r.smallH = expSmall.second;
                r.mainW = expMain.first;
                r.mainH = expMain.second;
                if (s.large) {
                    r.largeW = expLarge.first;
                    r.largeH = expLarge.second;
                }
                return r;
            }
        }
        w0 = h0 = 0;
    }

    // 2. Decode, reduced by DCT scaling no further than the largest size needed.
    if (jpeg) {
        const int largeBox = std::max(s.lhsize, s.lvsize);
        const int mainBox = std::max(s.mhsize, s.mvsize);
        const int target = (s.large && !s.copyhires && largeBox > mainBox) ? largeBox : mainBox;
        img.reset(readers.readJpeg(source, target, &w0, &h0));
        ++r.decodes;
    } else if (tiff) {
        if (!decoded) {
            img.reset(readers.readTiff(source));
            ++r.decodes;
        }
        w0 = img.width();
        h0 = img.height();
    }
    const bool readable = !img.empty();

    // 3. Turn upright by the Exif orientation.
    if (s.autorotate && jpeg && readable) {
        if (orientation < 0) orientation = readers.readOrientation(source);
        if (orientation == 3) {
            RProtate(img.get(), 180);
        } else if (orientation == 6 || orientation == 8) {
            RProtate(img.get(), orientation == 6 ? 90 : -90);
            std::swap(w0, h0);
        }
    }

    // 4./5. An unreadable source becomes a 3 x 2 black picture with its own aspect.
    double aspect = (readable && w0 > 0 && h0 > 0) ? static_cast<double>(h0) / w0 : 2.0 / 3.0;
    if (!readable) {
        img.reset(RPcreate(3, 2, 24));
        RPfillColour(img.get(), 0, 0, 0, 0);
        w0 = h0 = 0;
    }
    const int w = img.width(), h = img.height();

    // 6. Targets.
    int tSmall;
    if (s.simpleviewer && s.svcropthumbs) {
        const double ratio = static_cast<double>(std::min(w, h)) / std::max(w, h);
        tSmall = static_cast<int>(std::floor(s.svthumbsize / ratio + 0.5));
    } else {
        tSmall = fitTarget(s.shsize, s.svsize, w, h);
    }
    const int tMain = fitTarget(s.mhsize, s.mvsize, w, h);
    const int tLarge = fitTarget(s.lhsize, s.lvsize, w, h);

    // 7. One cascade of halvings for all sizes.
    OwnedImage thumb, main, large;
    if (scaledLarge && s.small) {
        RPfastScaleTriple(img.get(), tSmall, tMain, tLarge, true, aspect, thumb.out(), main.out(),
                          large.out());
    } else if (scaledLarge) {
        RPfastScaleTwin(img.get(), tMain, tLarge, true, aspect, main.out(), large.out());
    } else if (s.small) {
        RPfastScaleTwin(img.get(), tSmall, tMain, true, aspect, thumb.out(), main.out());
    } else {
        main.reset(RPfastScale(img.get(), std::max(tMain, 1), true, aspect, nullptr));
    }
    if (s.small) scaleAlone(img.get(), tSmall, aspect, thumb);
    scaleAlone(img.get(), tMain, aspect, main);
    if (scaledLarge) scaleAlone(img.get(), tLarge, aspect, large);

    // 8. Compensating sharpening of resampled sizes.
    if (s.small) compensate(thumb, tSmall, w, h);
    compensate(main, tMain, w, h);
    if (scaledLarge) compensate(large, tLarge, w, h);

    // 9. Sharpening chosen by the user.
    if (s.small && s.ssharpen && !thumb.empty()) RPsharpenInPlace(thumb.get(), 0);
    if (s.msharpen && !main.empty()) RPsharpenInPlace(main.get(), 1);
    if (scaledLarge && s.lsharpen && !large.empty()) RPsharpenInPlace(large.get(), 1);

    // 10. Square SimpleViewer thumbnails.
    if (s.small && s.simpleviewer && !thumb.empty()) {
        const int sv = s.svthumbsize;
        if (s.svcropthumbs) {
            const int ws = thumb.width(), hs = thumb.height();
            const int x = std::max(0, static_cast<int>((ws - sv + 1) * 0.5));
            const int y = std::max(0, static_cast<int>((hs - sv + 1) * 0.5));
            if (ws >= sv && hs >= sv) {
                RPcropInPlace(thumb.get(), x, y, sv, sv);
            } else {
                padThumbnail(thumb, sv, s.svbgcolor);
            }
        } else {
            padThumbnail(thumb, sv, s.svbgcolor);
        }
    }

    // 11. Watermark; its text is the comment of every file of the image.
    std::string comment;
    if (s.imagetext) {
        comment = s.itfrommicap ? entry.micap : s.ittext;
        WatermarkStyle style;
        style.fontFile = s.itfontfile;
        style.fontSize = s.itfontsize;
        style.position = s.itposition;
        style.transparency = s.ittransp;
        style.colour = s.itcolor;
        if (!main.empty()) stampWatermark(style, comment, main.get());
        if (scaledLarge && !large.empty()) stampWatermark(style, comment, large.get());
    }

    // 12./13. Write. Only a JPEG source that decoded as an image is ever copied into
    // the album; a TIFF is always written as a JPEG.
    const bool copyable = jpeg && readable;
    if (s.small) {
        r.smallW = thumb.width();
        r.smallH = thumb.height();
        if (!writeJpeg(smallPath, s.squality, comment, thumb.get())) ++r.failedWrites;
    }
    r.mainW = main.width();
    r.mainH = main.height();
    const bool mainIsSource = copyable && !s.imagetext && r.mainW == w0 && r.mainH == h0;
    if (!(mainIsSource && copyFile(source, mainPath)) &&
        !writeJpeg(mainPath, s.mquality, comment, main.get())) {
        ++r.failedWrites;
    }
    if (s.large) {
        if (scaledLarge) {
            r.largeW = large.width();
            r.largeH = large.height();
            if (!writeJpeg(largePath, s.lquality, comment, large.get())) ++r.failedWrites;
        } else if (copyable) {
            r.largeW = w0;
            r.largeH = h0;
            if (!copyFile(source, largePath) &&
                !writeJpeg(largePath, s.lquality, comment, img.get())) {
                ++r.failedWrites;
            }
        } else {
            // TIFF or unreadable source: the full-size picture is written as a JPEG.
            r.largeW = img.width();
            r.largeH = img.height();
            if (!writeJpeg(largePath, s.lquality, comment, img.get())) ++r.failedWrites;
        }
    }
    return r;
}

}  // namespace kavlo::core
