// SPDX-License-Identifier: MIT
// WebP reading through libwebp: the demuxer finds the canvas, the flags and the ICCP
// and EXIF chunks; a still picture is decoded straight into the raster, an animation
// gives its first frame as the animation decoder composes it on the canvas.
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imaging/source_image.h"
#include "imaging/source_internal.h"

#include <webp/decode.h>
#include <webp/demux.h>

namespace kavlo::imaging {

using util::ErrorCode;

namespace {

constexpr const char* kReader = "readWebpImage";

struct DemuxDelete {
    void operator()(WebPDemuxer* d) const noexcept { WebPDemuxDelete(d); }
};
struct AnimDelete {
    void operator()(WebPAnimDecoder* d) const noexcept { WebPAnimDecoderDelete(d); }
};

std::vector<std::uint8_t> chunk(WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator it{};
    std::vector<std::uint8_t> bytes;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &it))
        bytes.assign(it.chunk.bytes, it.chunk.bytes + it.chunk.size);
    WebPDemuxReleaseChunkIterator(&it);
    return bytes;
}

// The first frame of an animation, composed on the transparent canvas, into `picture`
// (32-bit, canvas size).
bool firstFrame(const WebPData& data, RasterImage& picture, std::string& error) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) {
        error = "libwebp version mismatch";
        return false;
    }
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    std::unique_ptr<WebPAnimDecoder, AnimDelete> anim(WebPAnimDecoderNew(&data, &options));
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!anim || !WebPAnimDecoderGetNext(anim.get(), &canvas, &timestamp) || canvas == nullptr) {
        error = "the first frame of the animation cannot be decoded";
        return false;
    }
    std::memcpy(picture.pixels, canvas,
                std::size_t(picture.width) * std::size_t(picture.height) * 4);
    return true;
}

// A still picture straight into `picture` (24-bit, or 32-bit with alpha).
bool still(const WebPData& data, RasterImage& picture, std::string& error) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) {
        error = "libwebp version mismatch";
        return false;
    }
    const bool alpha = picture.bitsPerPixel == 32;
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.width = picture.width;
    config.output.height = picture.height;
    config.output.u.RGBA.rgba = picture.pixels;
    config.output.u.RGBA.stride = picture.width * (alpha ? 4 : 3);
    config.output.u.RGBA.size =
        std::size_t(config.output.u.RGBA.stride) * std::size_t(picture.height);
    const VP8StatusCode status = WebPDecode(data.bytes, data.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        error = status == VP8_STATUS_NOT_ENOUGH_DATA ? "truncated data" : "corrupt image data";
        return false;
    }
    return true;
}

}  // namespace

DecodedImage readWebpImage(const std::string& path, const ReadOptions& options) {
    DecodedImage result;
    std::vector<std::uint8_t> bytes;
    std::string error;
    switch (const ErrorCode code = detail::readFileBytes(path, bytes, error)) {
    case ErrorCode::none: break;
    case ErrorCode::fileMissing: return detail::missing(path);
    default:
        if (error.empty()) return detail::missing(path);
        return detail::failure(kReader, path, code, error);
    }
    const WebPData data{bytes.data(), bytes.size()};
    std::unique_ptr<WebPDemuxer, DemuxDelete> demux(WebPDemux(&data));
    if (!demux)
        return detail::failure(kReader, path, ErrorCode::corrupt, "not a WebP file, or truncated");
    const std::uint32_t width = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t height = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    const bool animated = (flags & ANIMATION_FLAG) != 0;
    bool alpha = animated;  // frames may leave parts of the canvas transparent
    if (!animated) {
        WebPBitstreamFeatures features;
        if (WebPGetFeatures(data.bytes, data.size, &features) != VP8_STATUS_OK)
            return detail::failure(kReader, path, ErrorCode::corrupt,
                                   "the picture's header cannot be read");
        alpha = features.has_alpha != 0;
        if (std::uint32_t(features.width) != width || std::uint32_t(features.height) != height)
            return detail::failure(kReader, path, ErrorCode::corrupt,
                                   "picture and canvas sizes differ");
    }
    // An animation is composed by libwebp's animation decoder, which keeps two canvases
    // of 4 bytes a pixel besides ours: the limit counts all three.
    const unsigned bytesPerPixel = animated ? 12 : alpha ? 4 : 3;
    if (!detail::rasterFits(width, height, bytesPerPixel, error))
        return detail::failure(kReader, path, ErrorCode::tooLarge, error);
    Image picture = Image::create(width, height, alpha ? 32 : 24);
    if (picture.empty())
        return detail::failure(kReader, path, ErrorCode::outOfMemory,
                               "out of memory for the picture");
    if (!(animated ? firstFrame(data, picture.record(), error)
                   : still(data, picture.record(), error)))
        return detail::failure(
            kReader, path, error == "truncated data" ? ErrorCode::truncated : ErrorCode::corrupt,
            error);
    if (alpha) detail::flattenBgraOnto(picture.record(), options.background);
    result.picture = std::move(picture);
    result.storedWidth = int(width);
    result.storedHeight = int(height);
    if (flags & ICCP_FLAG) result.iccProfile = chunk(demux.get(), "ICCP");
    if (flags & EXIF_FLAG) result.exif = detail::exifBlockFrom(chunk(demux.get(), "EXIF"));
    return result;
}

}  // namespace kavlo::imaging
