// SPDX-License-Identifier: MIT
// Test pictures and the files made from them with the formats' own encoders (libpng,
// libwebp, libheif with x265 and aom), plus the comparisons the reader tests share.
// Nothing here is fetched: every file is written by the test that reads it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <libheif/heif.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include "imaging/image.h"
#include "imaging/raster_image.h"
#include "../support/file_bytes.h"

namespace kavlo::test {

using imaging::RasterImage;

namespace fs = std::filesystem;

/// Stops the making of a file: throws, so a test fails with the reason.
inline void require(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("cannot make the test file: ") + what);
}

#ifdef KAVLO_TEST_OUTPUT
inline std::string scratchFile(const std::string& name) {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "imaging" / "sources";
    fs::create_directories(dir);
    return (dir / name).string();
}
#endif

inline void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

/// An 8-bit red, green, blue, alpha picture, rows top first.
struct Rgba {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;
    std::uint8_t* at(int x, int y) { return &px[(std::size_t(y) * w + x) * 4]; }
    const std::uint8_t* at(int x, int y) const { return &px[(std::size_t(y) * w + x) * 4]; }
};

/// Smooth gradients with a bright block in the top-left quarter: any turn or mirror
/// of it differs from it by far more than a lossy codec's error. With `alpha`, the
/// alpha falls from opaque on the left to transparent on the right.
inline Rgba pattern(int w, int h, bool alpha = false) {
    Rgba p{w, h, std::vector<std::uint8_t>(std::size_t(w) * h * 4)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* q = p.at(x, y);
            q[0] = std::uint8_t(30 + x * 200 / std::max(1, w - 1));
            q[1] = std::uint8_t(30 + y * 200 / std::max(1, h - 1));
            q[2] = (x < w / 3 && y < h / 3) ? 235 : 60;
            q[3] = alpha ? std::uint8_t(255 - x * 255 / std::max(1, w - 1)) : 255;
        }
    return p;
}

/// The picture shown for a stored picture carrying Exif orientation `o` (1..8).
inline Rgba oriented(const Rgba& s, int o) {
    const bool swap = o >= 5;
    Rgba d{swap ? s.h : s.w, swap ? s.w : s.h, std::vector<std::uint8_t>(s.px.size())};
    for (int y = 0; y < d.h; ++y)
        for (int x = 0; x < d.w; ++x) {
            int sx = x, sy = y;
            switch (o) {
            case 2: sx = s.w - 1 - x; break;
            case 3:
                sx = s.w - 1 - x;
                sy = s.h - 1 - y;
                break;
            case 4: sy = s.h - 1 - y; break;
            case 5:
                sx = y;
                sy = x;
                break;
            case 6:
                sx = y;
                sy = s.h - 1 - x;
                break;
            case 7:
                sx = s.w - 1 - y;
                sy = s.h - 1 - x;
                break;
            case 8:
                sx = s.w - 1 - y;
                sy = x;
                break;
            default: break;
            }
            std::copy_n(s.at(sx, sy), 4, d.at(x, y));
        }
    return d;
}

/// Mean absolute difference per sample between a decoded 24-bit picture (blue, green,
/// red) and `expected` composed over `background` (0xbbggrr). 255 when sizes differ.
inline double meanDifference(const RasterImage& got, const Rgba& expected,
                             std::uint32_t background = 0xFFFFFF) {
    if (got.width != expected.w || got.height != expected.h || got.bitsPerPixel != 24 ||
        !got.pixels)
        return 255;
    const int bg[3] = {int(background & 0xFF), int((background >> 8) & 0xFF),
                       int(background >> 16)};
    double sum = 0;
    for (int y = 0; y < got.height; ++y)
        for (int x = 0; x < got.width; ++x) {
            const std::uint8_t* g = got.pixels + (std::size_t(y) * got.width + x) * 3;
            const std::uint8_t* e = expected.at(x, y);
            for (int c = 0; c < 3; ++c) {
                const double want = (e[c] * e[3] + bg[c] * (255 - e[3])) / 255.0;
                sum += std::abs(g[2 - c] - want);
            }
        }
    return sum / (3.0 * got.width * got.height);
}
inline double meanDifference(const imaging::Image& got, const Rgba& expected,
                             std::uint32_t background = 0xFFFFFF) {
    return meanDifference(got.record(), expected, background);
}

/// An Exif block (TIFF header first, little-endian) holding only IFD0 with the tag
/// Orientation = `orientation` and the tag Make = "Kavlo".
inline std::vector<std::uint8_t> exifBlock(int orientation) {
    std::vector<std::uint8_t> b = {'I',  'I',  0x2A, 0,   8,   0, 0, 0,  // header, IFD0 at 8
                                   2,    0,                              // two entries
                                   0x0F, 0x01, 2,    0,   6,   0, 0, 0, 38,
                                   0,    0,    0,  // Make, ASCII 6 at 38
                                   0x12, 0x01, 3,    0,   1,   0, 0, 0, std::uint8_t(orientation),
                                   0,    0,    0,    0,   0,   0, 0,  // no next IFD
                                   'K',  'a',  'v',  'l', 'o', 0};
    return b;
}

// ---- PNG ----

struct PngSpec {
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;  ///< RGB, RGBA, GRAY, GRAY_ALPHA or PALETTE
    int bitDepth = 8;                          ///< 16 writes each sample x 257
    bool interlaced = false;
    std::vector<std::uint8_t> icc;
    std::vector<std::uint8_t> exif;
};

/// Writes `p` as a PNG of the given kind. Grey kinds take the red sample; a palette
/// file gets one entry per distinct colour (at most 256) with its alpha in tRNS.
inline void writePng(const std::string& path, const Rgba& p, const PngSpec& spec) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    require(f != nullptr, "no PNG file");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, p.w, p.h, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<std::uint32_t> colours;  // rgba packed, palette order
    auto indexOf = [&](const std::uint8_t* q) {
        const std::uint32_t c = q[0] | q[1] << 8 | q[2] << 16 | std::uint32_t(q[3]) << 24;
        auto it = std::find(colours.begin(), colours.end(), c);
        if (it != colours.end()) return std::uint8_t(it - colours.begin());
        colours.push_back(c);
        return std::uint8_t(colours.size() - 1);
    };
    const int channels = spec.colorType == PNG_COLOR_TYPE_RGB          ? 3
                         : spec.colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                         : spec.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                       : 1;
    const int bytes = spec.bitDepth == 16 ? 2 : 1;
    std::vector<std::vector<std::uint8_t>> rows(
        std::size_t(p.h), std::vector<std::uint8_t>(std::size_t(p.w) * channels * bytes));
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const std::uint8_t* q = p.at(x, y);
            std::uint8_t s[4];
            if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
                s[0] = indexOf(q);
            } else if (spec.colorType == PNG_COLOR_TYPE_GRAY ||
                       spec.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
                s[0] = q[0];
                s[1] = q[3];
            } else {
                std::copy_n(q, 4, s);
            }
            for (int c = 0; c < channels; ++c) {
                if (bytes == 2) {
                    const unsigned v = s[c] * 257u;
                    rows[y][(x * channels + c) * 2] = std::uint8_t(v >> 8);
                    rows[y][(x * channels + c) * 2 + 1] = std::uint8_t(v);
                } else {
                    rows[y][x * channels + c] = s[c];
                }
            }
        }
    if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
        require(colours.size() <= 256u, "more than 256 colours for a palette");
        std::vector<png_color> palette;
        std::vector<png_byte> alpha;
        for (std::uint32_t c : colours) {
            palette.push_back({png_byte(c), png_byte(c >> 8), png_byte(c >> 16)});
            alpha.push_back(png_byte(c >> 24));
        }
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        png_set_tRNS(png, info, alpha.data(), int(alpha.size()), nullptr);
    }
    if (!spec.icc.empty())
        png_set_iCCP(png, info, "icc", 0, spec.icc.data(), png_uint_32(spec.icc.size()));
    if (!spec.exif.empty())
        png_set_eXIf_1(png, info, png_uint_32(spec.exif.size()),
                       const_cast<png_bytep>(spec.exif.data()));
    std::vector<png_bytep> pointers;
    for (auto& r : rows) pointers.push_back(r.data());
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// ---- WebP ----

struct WebpSpec {
    bool lossless = false;
    bool alpha = false;
    std::vector<std::uint8_t> icc;
    std::vector<std::uint8_t> exif;
};

inline std::vector<std::uint8_t> encodeWebp(const Rgba& p, const WebpSpec& spec) {
    std::vector<std::uint8_t> rgb;
    std::uint8_t* out = nullptr;
    std::size_t size = 0;
    if (spec.alpha) {
        size = spec.lossless ? WebPEncodeLosslessRGBA(p.px.data(), p.w, p.h, p.w * 4, &out)
                             : WebPEncodeRGBA(p.px.data(), p.w, p.h, p.w * 4, 95, &out);
    } else {
        for (std::size_t i = 0; i < p.px.size(); i += 4)
            rgb.insert(rgb.end(), &p.px[i], &p.px[i + 3]);
        size = spec.lossless ? WebPEncodeLosslessRGB(rgb.data(), p.w, p.h, p.w * 3, &out)
                             : WebPEncodeRGB(rgb.data(), p.w, p.h, p.w * 3, 95, &out);
    }
    std::vector<std::uint8_t> bytes(out, out + size);
    WebPFree(out);
    if (spec.icc.empty() && spec.exif.empty()) return bytes;
    WebPMux* mux = WebPMuxNew();
    const WebPData image{bytes.data(), bytes.size()};
    WebPMuxSetImage(mux, &image, 1);
    if (!spec.icc.empty()) {
        const WebPData icc{spec.icc.data(), spec.icc.size()};
        WebPMuxSetChunk(mux, "ICCP", &icc, 1);
    }
    if (!spec.exif.empty()) {
        const WebPData exif{spec.exif.data(), spec.exif.size()};
        WebPMuxSetChunk(mux, "EXIF", &exif, 1);
    }
    WebPData assembled{};
    WebPMuxAssemble(mux, &assembled);
    std::vector<std::uint8_t> result(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return result;
}

/// An animation of the given frames (each `ms` long), lossless.
inline std::vector<std::uint8_t> encodeAnimatedWebp(const std::vector<Rgba>& frames, int ms) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* enc = WebPAnimEncoderNew(frames[0].w, frames[0].h, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int t = 0;
    for (const Rgba& f : frames) {
        WebPPicture pic;
        WebPPictureInit(&pic);
        pic.use_argb = 1;
        pic.width = f.w;
        pic.height = f.h;
        WebPPictureImportRGBA(&pic, f.px.data(), f.w * 4);
        WebPAnimEncoderAdd(enc, &pic, t, &config);
        WebPPictureFree(&pic);
        t += ms;
    }
    WebPAnimEncoderAdd(enc, nullptr, t, nullptr);
    WebPData data{};
    WebPAnimEncoderAssemble(enc, &data);
    std::vector<std::uint8_t> bytes(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    WebPAnimEncoderDelete(enc);
    return bytes;
}

// ---- HEIF ----

struct HeifSpec {
    heif_compression_format format = heif_compression_HEVC;
    int bitDepth = 8;  ///< 8, 10 or 12 (AV1: not 10, libaom 3.6 aborts on it)
    bool alpha = false;
    int orientation = 1;  ///< stored as irot/imir boxes by libheif
    std::vector<std::uint8_t> icc;
    const heif_color_profile_nclx* nclx = nullptr;
    std::vector<std::uint8_t> exif;  ///< TIFF block; libheif adds the offset field
    int thumbnailSize = 0;           ///< > 0: also a thumbnail of this bounding box
    int quality = 90;
};

/// The picture as a libheif image at the file's bit depth (samples scaled to it).
inline heif_image* heifImage(const Rgba& p, int bitDepth, bool alpha) {
    heif_image* img = nullptr;
    const bool deep = bitDepth > 8;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image_create(p.w, p.h, heif_colorspace_RGB, chroma, &img);
    heif_image_add_plane(img, heif_channel_interleaved, p.w, p.h, bitDepth);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(img, heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    const int max = (1 << bitDepth) - 1;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = p.at(x, y)[c];
                if (deep) {
                    const int s = (v * max + 127) / 255;
                    plane[y * stride + (x * channels + c) * 2] = std::uint8_t(s);
                    plane[y * stride + (x * channels + c) * 2 + 1] = std::uint8_t(s >> 8);
                } else {
                    plane[y * stride + x * channels + c] = std::uint8_t(v);
                }
            }
    return img;
}

inline heif_error writeToVector(heif_context*, const void* data, size_t size, void* user) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(user);
    out->insert(out->end(), static_cast<const std::uint8_t*>(data),
                static_cast<const std::uint8_t*>(data) + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

/// Encodes `p` with libheif (x265 for HEVC, aom for AV1) into the bytes of a file.
/// Empty when the encoder is missing or fails.
inline std::vector<std::uint8_t> encodeHeif(const Rgba& p, const HeifSpec& spec) {
    std::vector<std::uint8_t> bytes;
    heif_context* ctx = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(ctx, spec.format, &encoder).code != heif_error_Ok) {
        heif_context_free(ctx);
        return bytes;
    }
    heif_encoder_set_lossy_quality(encoder, spec.quality);
    if (spec.format == heif_compression_AV1) heif_encoder_set_parameter(encoder, "speed", "8");
    heif_image* img = heifImage(p, spec.bitDepth, spec.alpha);
    if (!spec.icc.empty())
        heif_image_set_raw_color_profile(img, "prof", spec.icc.data(), spec.icc.size());
    if (spec.nclx != nullptr) heif_image_set_nclx_color_profile(img, spec.nclx);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(spec.orientation);
    if (spec.nclx != nullptr) {
        options->output_nclx_profile = const_cast<heif_color_profile_nclx*>(spec.nclx);
        options->macOS_compatibility_workaround_no_nclx_profile = 0;
    }
    heif_image_handle* handle = nullptr;
    bool ok = heif_context_encode_image(ctx, img, encoder, options, &handle).code == heif_error_Ok;
    if (ok && spec.thumbnailSize > 0) {
        heif_image_handle* thumb = nullptr;
        ok = heif_context_encode_thumbnail(ctx, img, handle, encoder, options, spec.thumbnailSize,
                                           &thumb)
                 .code == heif_error_Ok;
        heif_image_handle_release(thumb);
    }
    if (ok && !spec.exif.empty())
        ok = heif_context_add_exif_metadata(ctx, handle, spec.exif.data(), int(spec.exif.size()))
                 .code == heif_error_Ok;
    heif_writer writer{1, writeToVector};
    if (ok) ok = heif_context_write(ctx, &writer, &bytes).code == heif_error_Ok;
    if (!ok) bytes.clear();
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_image_release(img);
    heif_encoder_release(encoder);
    heif_context_free(ctx);
    return bytes;
}

}  // namespace kavlo::test
