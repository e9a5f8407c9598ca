// SPDX-License-Identifier: MIT
#include "ui/thumbnail_producer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

#include "imaging/codecs.h"
#include "imaging/colour.h"
#include "imaging/image.h"
#include "imaging/orientation.h"
#include "imaging/raster_image.h"
#include "imaging/scale.h"
#include "imaging/source_header.h"
#include "imaging/source_image.h"
#include "metadata/exif.h"
#include "util/files.h"

namespace kavlo::ui {

using imaging::convertToSrgb;
using imaging::DecodedImage;
using imaging::Image;
using imaging::NclxColour;
using imaging::RasterImage;
using imaging::readJpegImage;
using imaging::ReadOptions;
using imaging::readSourceHeader;
using imaging::readSourceImage;
using imaging::readTiffImage;
using imaging::RPfastScale;
using imaging::RPfillColour;
using imaging::RPorientUpright;
using imaging::RPpaste;
using imaging::RPreadJpeg;
using imaging::RPreadJpegInfo;
using imaging::RPreadJpegMemory;
using imaging::RPreadTiff;
using imaging::RPstride;
using metadata::ExifInfo;
using metadata::freeExif;
using metadata::readExif;
using metadata::readExifBlock;
using util::fileNameOf;
using util::isJpegFile;
using util::isPhotoFile;
using util::isTiffFile;

namespace {

Image filledPlaceholder(std::uint8_t grey) {
    Image p = Image::create(3, 2, 24);
    if (!p.empty()) RPfillColour(p.record(), grey, grey, grey, 0);
    return p;
}

/// What a photo's file says about the colours of its picture.
struct Colours {
    std::vector<std::uint8_t> profile;
    std::optional<NclxColour> nclx;
    bool done = false;  ///< already sRGB (or converted while decoding)

    void take(DecodedImage& d) {
        profile = std::move(d.iccProfile);
        nclx = d.nclx;
        done = d.colourDone;
    }
    /// `picture` in sRGB, as the album's images are.
    void toSrgb(Image& picture, const std::string& path) const {
        if (done || picture.empty()) return;
        convertToSrgb(picture.record(), profile, nclx, path);
    }
};

/// A photo of any format but JPEG, decoded whole: its picture, colours and the Exif
/// orientation still to apply (0 when its container turned it already).
Image decodeWhole(const std::string& path, Colours& colours, int& orientation) {
    DecodedImage d = isTiffFile(path) ? readTiffImage(path, {}) : readSourceImage(path, {});
    colours.take(d);
    orientation =
        d.orientationApplied || isTiffFile(path) ? 0 : readExifBlock(d.exif, false).orientation;
    return std::move(d.picture);
}

int floorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

Picture toPicture(const RasterImage& image) {
    Picture p;
    if (image.width <= 0 || image.height <= 0 || !image.pixels) return p;
    p.width = image.width;
    p.height = image.height;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    p.bgr.resize(rowBytes * static_cast<std::size_t>(image.height));
    const int step = image.bitsPerPixel / 8;
    const std::size_t stride = RPstride(image.width, image.bitsPerPixel);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* src = image.pixels + stride * y;
        std::uint8_t* dst = p.bgr.data() + rowBytes * y;
        if (step == 3) {
            std::memcpy(dst, src, rowBytes);
        } else {
            for (int x = 0; x < image.width; ++x) {
                const std::uint8_t* s = src + static_cast<std::size_t>(x) * step;
                std::uint8_t* d = dst + static_cast<std::size_t>(x) * 3;
                if (step == 1) {
                    d[0] = d[1] = d[2] = s[0];
                } else {
                    d[0] = s[0], d[1] = s[1], d[2] = s[2];
                }
            }
        }
    }
    return p;
}

// Decodes the picture a JPEG thumbnail is made from: the embedded Exif thumbnail when
// its orientation agrees with the image's, else the image at reduced size.
void decodeJpegForThumbnail(const std::string& path, int size, Image& picture, int& orientation,
                            ThumbnailSource& source, Colours& colours) {
    // One header read gives the embedded thumbnail, the orientation and the stored size.
    ExifInfo info = readExif(path, true);
    orientation = info.orientation;
    int imageW = info.width, imageH = info.height;
    if (imageW <= 0 || imageH <= 0) {
        imageW = imageH = 0;
        RPreadJpegInfo(path, nullptr, &imageH, &imageW);
    }
    if (!info.thumbnail.empty() && imageW > 0 && imageH > 0) {
        picture.reset(RPreadJpegMemory(info.thumbnail.data(), info.thumbnail.size(), size));
        if (!picture.empty() && (picture.width() > picture.height()) == (imageW > imageH)) {
            source = ThumbnailSource::ExifThumbnail;
        } else {
            picture.reset();
        }
    }
    freeExif(info);
    if (picture.empty()) {
        ReadOptions options;
        options.targetSize = size;
        DecodedImage d = readJpegImage(path, options);
        colours.take(d);
        picture = std::move(d.picture);
        source = ThumbnailSource::DecodedJpeg;
    } else {
        // The embedded thumbnail is in the colours of the file's profile.
        colours.profile = readSourceHeader(path).iccProfile;
    }
}

}  // namespace

Picture makeThumbnail(const std::string& path, int size, bool autorotate,
                      ThumbnailSource* sourceOut) {
    if (size <= 0) return {};
    ThumbnailSource source = ThumbnailSource::Placeholder;
    Image picture;
    int orientation = 0;
    Colours colours;
    if (isJpegFile(path)) {
        decodeJpegForThumbnail(path, size, picture, orientation, source, colours);
    } else if (isPhotoFile(path)) {
        picture = decodeWhole(path, colours, orientation);
        source = isTiffFile(path) ? ThumbnailSource::Tiff : ThumbnailSource::DecodedOther;
    }
    if (picture.empty()) {
        picture = filledPlaceholder(0xC0);
        source = ThumbnailSource::Placeholder;
        orientation = 0;
    }
    if (autorotate) RPorientUpright(picture.record(), orientation);

    // Reduce so that the longer side is `size`. A picture whose shorter side happens
    // to be `size` is reduced too, so it is never cut off on the square.
    if (std::max(picture.width(), picture.height()) != size) {
        const double aspect = static_cast<double>(picture.height()) / picture.width();
        picture.reset(RPfastScale(picture.record(), static_cast<unsigned>(size), false, aspect));
        if (picture.empty()) picture = filledPlaceholder(0xC0);
    }
    if (source != ThumbnailSource::Placeholder) colours.toSrgb(picture, path);

    Image square = Image::create(size, size, 24);
    if (square.empty()) return {};
    RPfillColour(square.record(), 255, 255, 255, 0);
    RPpaste(square.record(), floorHalf(size - picture.width()), floorHalf(size - picture.height()),
            picture.record());
    if (sourceOut) *sourceOut = source;
    return toPicture(square.record());
}

Picture makePreview(const std::string& path, int areaWidth, int areaHeight, bool autorotate) {
    if (areaWidth <= 0 || areaHeight <= 0) return {};
    const int n = std::max(areaWidth, areaHeight);
    Image picture;
    Colours colours;
    if (isJpegFile(path)) {
        ReadOptions options;
        options.targetSize = n;
        DecodedImage d = readJpegImage(path, options);
        colours.take(d);
        picture = std::move(d.picture);
        if (autorotate && !picture.empty()) {
            ExifInfo info = readExif(path, false);
            RPorientUpright(picture.record(), info.orientation);
            freeExif(info);
        }
    } else if (isPhotoFile(path)) {
        int orientation = 0;
        picture = decodeWhole(path, colours, orientation);
        if (autorotate) RPorientUpright(picture.record(), orientation);
    }
    // An unreadable file shows the black placeholder instead of dividing by a zero
    // height below.
    if (picture.empty()) picture = filledPlaceholder(0);
    if (picture.empty()) return {};

    const double a = static_cast<double>(picture.width()) / picture.height();
    const double areaAspect = static_cast<double>(areaWidth) / areaHeight;
    int fitW, fitH;
    if (a >= areaAspect) {
        fitW = areaWidth;
        fitH = static_cast<int>(std::lround(areaWidth / a));
    } else {
        fitH = areaHeight;
        fitW = static_cast<int>(std::lround(areaHeight * a));
    }
    const int target = std::max(1, std::max(fitW, fitH));
    const double aspect = static_cast<double>(picture.height()) / picture.width();
    Image fitted(RPfastScale(picture.record(), static_cast<unsigned>(target), false, aspect));
    colours.toSrgb(fitted, path);
    return toPicture(fitted.record());
}

std::string thumbnailLabel(const std::string& path) {
    const std::string name = fileNameOf(path);
    // Byte offsets where each code point starts (continuation bytes 10xxxxxx excluded).
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < name.size(); ++i)
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80) starts.push_back(i);
    if (starts.size() <= 14) return name;
    return name.substr(0, starts[12]) + "..";
}

ThumbnailProducer::ThumbnailProducer(ThumbnailMaker maker) : m_maker(std::move(maker)) {}

ThumbnailProducer::~ThumbnailProducer() { stop(); }

void ThumbnailProducer::start(std::uint64_t generation, std::vector<ThumbnailJob> jobs, int size,
                              bool autorotate, std::function<void()> notify) {
    stop();
    m_stop = false;
    m_busy = true;
    m_thread = std::thread(&ThumbnailProducer::run, this, generation, std::move(jobs), size,
                           autorotate, std::move(notify));
}

void ThumbnailProducer::stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    m_busy = false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
    m_announced = false;
}

std::vector<FinishedThumbnail> ThumbnailProducer::take() {
    std::vector<FinishedThumbnail> taken;
    std::lock_guard<std::mutex> lock(m_mutex);
    taken.swap(m_queue);
    m_announced = false;
    return taken;
}

void ThumbnailProducer::run(std::uint64_t generation, std::vector<ThumbnailJob> jobs, int size,
                            bool autorotate, std::function<void()> notify) {
    // A little below the window's priority (on Linux the nice value is per thread): the
    // window stays responsive, yet a busy machine does not starve the thumbnails.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 4);
    for (const ThumbnailJob& job : jobs) {
        if (m_stop) break;
        FinishedThumbnail done;
        done.generation = generation;
        done.key = job.key;
        try {
            done.picture = m_maker(job.path, size, autorotate, &done.source);
        } catch (const std::exception&) {
            // Out of memory for one picture: that item keeps its placeholder. An
            // exception must never leave this thread.
            continue;
        }
        bool announce = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stop) break;
            m_queue.push_back(std::move(done));
            announce = !m_announced;
            m_announced = true;
        }
        if (announce && notify) notify();
    }
    m_busy = false;
    if (!m_stop && notify) notify();
}

}  // namespace kavlo::ui
