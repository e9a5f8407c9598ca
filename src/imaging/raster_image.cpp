// SPDX-License-Identifier: MIT
#include "imaging/raster_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "util/diagnostics.h"
#include "util/text.h"

namespace kavlo::imaging {

using util::ErrorCode;
using util::format;
using util::report;
using util::Severity;
using util::textDiagnostic;

namespace {

// "<operation> does not support this bitdepth: <n> BPP", the refusal of the operations
// that address whole bytes.
void reportDepth(const char* operation, const char* wording, int bitsPerPixel) {
    report(textDiagnostic(
        Severity::error, ErrorCode::invalidArgument, operation,
        format("%i bits per pixel are not supported", bitsPerPixel),
        format("%s does not support this bitdepth: %i BPP\n", wording, bitsPerPixel)));
}

// Raster bytes for a size, or false when the raster would exceed the limits. All
// arithmetic in 64 bits: width and height are at most 2^32 - 1 and the pixel limit is
// checked before multiplying by the depth.
bool rasterBytes(std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                 std::uint64_t& bytes) {
    if (bitsPerPixel < 0 || bitsPerPixel > 255) return false;
    const std::uint64_t count = std::uint64_t{width} * std::uint64_t{height};
    if (count > kMaxRasterPixels) return false;
    const std::uint64_t bits = count * static_cast<std::uint64_t>(bitsPerPixel);
    bytes = bits / 8 + (bits % 8 ? 1 : 0);
    return bytes <= kMaxRasterBytes;
}

std::uint8_t* copyBuffer(const std::uint8_t* source, std::size_t size, bool& failed) {
    if (source == nullptr || size == 0) return nullptr;
    auto* copy = static_cast<std::uint8_t*>(std::malloc(size));
    if (copy == nullptr) {
        failed = true;
        return nullptr;
    }
    std::memcpy(copy, source, size);
    return copy;
}

std::size_t rasterSize(const RasterImage& image) {
    if (image.pixels == nullptr || image.pixelCount == 0 || image.width <= 0 || image.height <= 0)
        return 0;
    return RPstride(static_cast<std::uint32_t>(image.width), image.bitsPerPixel) *
           static_cast<std::size_t>(image.height);
}

bool hasRaster(const RasterImage& image) { return rasterSize(image) != 0; }

}  // namespace

int RPallocPixels(RasterImage& image, std::uint32_t width, std::uint32_t height) {
    std::uint64_t bytes = 0;
    image.pixels = nullptr;
    if (!rasterBytes(width, height, image.bitsPerPixel, bytes)) {
        image.width = image.height = image.pixelCount = 0;
        image.status = kRasterAllocFailed;
        return image.status;
    }
    if (bytes != 0) {
        image.pixels = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(bytes)));
        if (image.pixels == nullptr) {
            image.width = image.height = image.pixelCount = 0;
            image.status = kRasterAllocFailed;
            return image.status;
        }
    }
    image.width = static_cast<std::int32_t>(width);
    image.height = static_cast<std::int32_t>(height);
    image.pixelCount = image.pixels ? static_cast<std::int32_t>(std::uint64_t{width} * height) : 0;
    return 0;
}

RasterImage RPcreate(std::uint32_t width, std::uint32_t height, int bitsPerPixel) {
    RasterImage image;
    image.pixelFormat = 2;
    image.bitsPerPixel = static_cast<std::uint8_t>(std::clamp(bitsPerPixel, 0, 255));
    if (bitsPerPixel < 0 || bitsPerPixel > 255) {
        image.status = kRasterAllocFailed;
        return image;
    }
    image.status = RPallocPixels(image, width, height);
    return image;
}

RasterImage RPcloneHeader(const RasterImage& image) {
    RasterImage copy = image;
    copy.width = copy.height = copy.pixelCount = 0;
    copy.pixels = nullptr;
    bool failed = false;
    copy.epi1 = copyBuffer(image.epi1, image.epiSize, failed);
    copy.epi2 = copyBuffer(image.epi2, image.epiSize, failed);
    if (copy.epi1 == nullptr || copy.epi2 == nullptr) {
        std::free(copy.epi1);
        std::free(copy.epi2);
        copy.epi1 = copy.epi2 = nullptr;
        copy.epiSize = 0;
    }
    copy.palette = image.paletteSize > 0
                       ? copyBuffer(image.palette, std::size_t(image.paletteSize) * 3, failed)
                       : nullptr;
    if (copy.palette == nullptr) copy.paletteSize = 0;
    copy.extension = image.extensionSize > 0
                         ? copyBuffer(image.extension, std::size_t(image.extensionSize), failed)
                         : nullptr;
    if (copy.extension == nullptr) copy.extensionSize = 0;
    if (failed) copy.status = kRasterAllocFailed;
    return copy;
}

RasterImage RPclone(const RasterImage& image) {
    RasterImage copy = RPcloneHeader(image);
    if (image.width <= 0 || image.height <= 0) {
        copy.width = std::max(image.width, 0);
        copy.height = std::max(image.height, 0);
        return copy;
    }
    if (RPallocPixels(copy, static_cast<std::uint32_t>(image.width),
                      static_cast<std::uint32_t>(image.height)) == 0) {
        const std::size_t size = rasterSize(image);
        if (copy.pixels != nullptr) {
            if (size != 0) std::memcpy(copy.pixels, image.pixels, size);
            else std::memset(copy.pixels, 0, rasterSize(copy));
        }
    }
    return copy;
}

int RPfree(RasterImage& image) {
    if (image.pixelCount != 0) std::free(image.pixels);
    if (image.epiSize != 0) {
        std::free(image.epi1);
        std::free(image.epi2);
    }
    if (image.paletteSize != 0) std::free(image.palette);
    if (image.extensionSize != 0) std::free(image.extension);
    image = RasterImage{};
    return 0;
}

std::size_t RPstride(std::uint32_t width, int bitsPerPixel) {
    const std::uint64_t bits =
        std::uint64_t{width} * static_cast<std::uint64_t>(std::max(bitsPerPixel, 0));
    return static_cast<std::size_t>(bits / 8 + (bits % 8 ? 1 : 0));
}

std::uint8_t* RPgetScanline(std::uint32_t width, int bitsPerPixel, std::uint8_t* pixels,
                            std::uint32_t y) {
    if (bitsPerPixel % 8 != 0) {
        reportDepth("RPgetScanline", "RPgetScanline", bitsPerPixel);
        return nullptr;
    }
    if (pixels == nullptr) return nullptr;
    return pixels + std::size_t{y} * RPstride(width, bitsPerPixel);
}

std::uint8_t* RPgetPixel(std::uint32_t width, int bitsPerPixel, std::uint8_t* pixels,
                         std::uint32_t x, std::uint32_t y) {
    if (bitsPerPixel % 8 != 0) {
        reportDepth("RPgetPixel", "RPgetPixel", bitsPerPixel);
        return nullptr;
    }
    if (pixels == nullptr) return nullptr;
    return pixels + std::size_t{y} * RPstride(width, bitsPerPixel) +
           std::size_t{x} * static_cast<std::size_t>(bitsPerPixel / 8);
}

int RPfillColour(RasterImage& image, std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                 std::uint8_t b3) {
    if (image.bitsPerPixel != 24 && image.bitsPerPixel != 32) return -1;
    if (!hasRaster(image)) return 0;
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    std::uint8_t* p = image.pixels;
    if (image.bitsPerPixel == 24) {
        for (std::size_t i = 0; i < count; ++i, p += 3) {
            p[0] = b0;
            p[1] = b1;
            p[2] = b2;
        }
    } else {
        for (std::size_t i = 0; i < count; ++i, p += 4) {
            p[0] = b0;
            p[1] = b1;
            p[2] = b2;
            p[3] = b3;
        }
    }
    return 0;
}

int RPfillIndex(RasterImage& image, std::uint8_t value) {
    if (image.bitsPerPixel != 8) return -1;
    if (hasRaster(image)) std::memset(image.pixels, value, rasterSize(image));
    return 0;
}

int RPsetGreyPalette(RasterImage& image) {
    if (image.paletteSize != 256 || image.palette == nullptr) {
        if (image.paletteSize != 0) std::free(image.palette);
        image.palette = static_cast<std::uint8_t*>(std::malloc(768));
        if (image.palette == nullptr) {
            image.paletteSize = 0;
            return kRasterAllocFailed;
        }
        image.paletteSize = 256;
    }
    for (int i = 0; i < 256; ++i) {
        image.palette[3 * i] = image.palette[3 * i + 1] = image.palette[3 * i + 2] =
            static_cast<std::uint8_t>(i);
    }
    return 0;
}

int RPsetChannel(RasterImage& target, std::uint32_t planeWidth, std::uint32_t planeHeight,
                 int planeBitsPerPixel, const std::uint8_t* planePixels, int channel) {
    if (planeBitsPerPixel != 8 || target.bitsPerPixel < 24 || target.bitsPerPixel % 8 != 0)
        return 1;
    const int bytes = target.bitsPerPixel / 8;
    if (channel < 0 || channel >= bytes) return 1;
    if (planePixels == nullptr || !hasRaster(target)) return 0;
    const std::size_t count =
        std::min<std::uint64_t>(std::uint64_t{planeWidth} * planeHeight,
                                std::uint64_t(target.width) * std::uint64_t(target.height));
    std::uint8_t* p = target.pixels + channel;
    for (std::size_t i = 0; i < count; ++i, p += bytes) *p = planePixels[i];
    return 0;
}

RasterImage RPcrop(const RasterImage& image, int x, int y, int w, int h) {
    RasterImage crop = RPcloneHeader(image);
    RPallocPixels(crop, static_cast<std::uint32_t>(std::max(w, 0)),
                  static_cast<std::uint32_t>(std::max(h, 0)));
    if (!hasRaster(crop)) return crop;
    const bool inside = w > 0 && h > 0 && x >= 0 && y >= 0 && std::int64_t{x} + w <= image.width &&
                        std::int64_t{y} + h <= image.height && hasRaster(image);
    const int bpp = image.bitsPerPixel;
    if (!inside || (std::int64_t{x} * bpp) % 8 != 0) {
        // Keep the outside rectangle defined rather than handing out stale memory.
        std::memset(crop.pixels, 0, rasterSize(crop));
        return crop;
    }
    const std::size_t srcStride = RPstride(static_cast<std::uint32_t>(image.width), bpp);
    const std::size_t dstStride = RPstride(static_cast<std::uint32_t>(w), bpp);
    const std::size_t xBytes = std::size_t(x) * std::size_t(bpp) / 8;
    for (int row = 0; row < h; ++row) {
        std::memcpy(crop.pixels + std::size_t(row) * dstStride,
                    image.pixels + std::size_t(y + row) * srcStride + xBytes, dstStride);
    }
    return crop;
}

void RPcropInPlace(RasterImage& image, int x, int y, int w, int h) {
    RasterImage crop = RPcrop(image, x, y, w, h);
    RPfree(image);
    image = crop;
}

void RPpaste(RasterImage& target, int x, int y, const RasterImage& source) {
    if (!hasRaster(target) || !hasRaster(source)) return;
    if (target.bitsPerPixel != source.bitsPerPixel || target.bitsPerPixel % 8 != 0) return;
    const std::int64_t bytes = target.bitsPerPixel / 8;
    // Clip the source rectangle to the target on all four sides.
    const std::int64_t srcX0 = std::max<std::int64_t>(0, -std::int64_t{x});
    const std::int64_t srcY0 = std::max<std::int64_t>(0, -std::int64_t{y});
    const std::int64_t dstX0 = std::int64_t{x} + srcX0;
    const std::int64_t dstY0 = std::int64_t{y} + srcY0;
    const std::int64_t cols = std::min<std::int64_t>(source.width - srcX0, target.width - dstX0);
    const std::int64_t rows = std::min<std::int64_t>(source.height - srcY0, target.height - dstY0);
    if (cols <= 0 || rows <= 0) return;
    const std::size_t srcStride =
        RPstride(static_cast<std::uint32_t>(source.width), source.bitsPerPixel);
    const std::size_t dstStride =
        RPstride(static_cast<std::uint32_t>(target.width), target.bitsPerPixel);
    for (std::int64_t r = 0; r < rows; ++r) {
        std::memcpy(target.pixels + std::size_t(dstY0 + r) * dstStride + std::size_t(dstX0 * bytes),
                    source.pixels + std::size_t(srcY0 + r) * srcStride + std::size_t(srcX0 * bytes),
                    std::size_t(cols * bytes));
    }
}

int RPblend(RasterImage& target, int x, int y, int ow, int oh, int obpp,
            const std::uint8_t* overlayPixels) {
    if (obpp != 32) return -1;
    if (target.bitsPerPixel != 24 && target.bitsPerPixel != 32) return -1;
    if (overlayPixels == nullptr || ow <= 0 || oh <= 0 || !hasRaster(target)) return 0;
    const std::int64_t x0 = std::max<std::int64_t>(0, x);
    const std::int64_t y0 = std::max<std::int64_t>(0, y);
    const std::int64_t x1 = std::min<std::int64_t>(target.width, std::int64_t{x} + ow);
    const std::int64_t y1 = std::min<std::int64_t>(target.height, std::int64_t{y} + oh);
    if (x0 >= x1 || y0 >= y1) return 0;
    const int tbytes = target.bitsPerPixel / 8;
    const std::size_t tstride =
        RPstride(static_cast<std::uint32_t>(target.width), target.bitsPerPixel);
    const std::size_t ostride = std::size_t(ow) * 4;
    for (std::int64_t ty = y0; ty < y1; ++ty) {
        std::uint8_t* t = target.pixels + std::size_t(ty) * tstride + std::size_t(x0) * tbytes;
        const std::uint8_t* o =
            overlayPixels + std::size_t(ty - y) * ostride + std::size_t(x0 - x) * 4;
        for (std::int64_t tx = x0; tx < x1; ++tx, t += tbytes, o += 4) {
            const double alpha = o[3] / 255.0;
            for (int c = 0; c < 3; ++c) {
                t[c] = static_cast<std::uint8_t>(alpha * t[c] + (1.0 - alpha) * o[c] + 0.5);
            }
            if (tbytes == 4) t[3] = 0;
        }
    }
    return 0;
}

RasterImage RPexpandPalette(const RasterImage& image, int bitsPerPixel) {
    RasterImage out = RPcloneHeader(image);
    out.bitsPerPixel = static_cast<std::uint8_t>(std::clamp(bitsPerPixel, 0, 255));
    RPallocPixels(out, static_cast<std::uint32_t>(std::max(image.width, 0)),
                  static_cast<std::uint32_t>(std::max(image.height, 0)));
    if (bitsPerPixel != 24 && bitsPerPixel != 32) {
        // The historic text has no line end.
        report(textDiagnostic(Severity::error, ErrorCode::invalidArgument, "RPexpandPalette",
                              "only 24 or 32 bits can be the target",
                              "Pics can only be expanded to 24 or 32 bit"));
        return out;
    }
    if (!hasRaster(out) || !hasRaster(image) || image.bitsPerPixel != 8) {
        if (hasRaster(out)) std::memset(out.pixels, 0, rasterSize(out));
        return out;
    }
    const int bytes = bitsPerPixel / 8;
    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = out.pixels + i * bytes;
        const int index = image.pixels[i];
        if (image.palette != nullptr && index < image.paletteSize) {
            p[0] = image.palette[3 * index];
            p[1] = image.palette[3 * index + 1];
            p[2] = image.palette[3 * index + 2];
        } else {
            p[0] = p[1] = p[2] = 0;
        }
        if (bytes == 4) p[3] = 0;
    }
    return out;
}

void HFlip(RasterImage& image) {
    if (image.bitsPerPixel % 8 != 0) {
        reportDepth("HFlip", "HFlip operation", image.bitsPerPixel);
        return;
    }
    if (!hasRaster(image) || image.bitsPerPixel == 0) return;
    const std::size_t bytes = image.bitsPerPixel / 8;
    const std::size_t stride =
        RPstride(static_cast<std::uint32_t>(image.width), image.bitsPerPixel);
    const std::size_t w = std::size_t(image.width);
    for (std::int32_t y = 0; y < image.height; ++y) {
        std::uint8_t* row = image.pixels + std::size_t(y) * stride;
        for (std::size_t c = 0; c < w / 2; ++c) {
            std::swap_ranges(row + c * bytes, row + (c + 1) * bytes, row + (w - 1 - c) * bytes);
        }
    }
}

void VFlip(RasterImage& image) {
    if (image.bitsPerPixel % 8 != 0) {
        reportDepth("VFlip", "VFlip operation", image.bitsPerPixel);
        return;
    }
    if (!hasRaster(image)) return;
    const std::size_t stride =
        RPstride(static_cast<std::uint32_t>(image.width), image.bitsPerPixel);
    for (std::int32_t i = 0; i < image.height / 2; ++i) {
        std::swap_ranges(image.pixels + std::size_t(i) * stride,
                         image.pixels + std::size_t(i + 1) * stride,
                         image.pixels + std::size_t(image.height - 1 - i) * stride);
    }
}

namespace {

// Quarter turn clockwise: new pixel (j, i) = old pixel (i, oldHeight - 1 - j).
void rotateQuarter(RasterImage& image) {
    RasterImage turned = RPcloneHeader(image);
    const std::uint32_t oldW = static_cast<std::uint32_t>(image.width);
    const std::uint32_t oldH = static_cast<std::uint32_t>(image.height);
    if (RPallocPixels(turned, oldH, oldW) != 0 || !hasRaster(turned)) {
        RPfree(turned);
        return;  // the image stays as it was rather than losing its raster
    }
    const std::size_t bytes = image.bitsPerPixel / 8;
    const std::size_t oldStride = RPstride(oldW, image.bitsPerPixel);
    const std::size_t newStride = RPstride(oldH, image.bitsPerPixel);
    for (std::uint32_t i = 0; i < oldW; ++i) {
        std::uint8_t* dst = turned.pixels + std::size_t(i) * newStride;
        for (std::uint32_t j = 0; j < oldH; ++j, dst += bytes) {
            const std::uint8_t* src =
                image.pixels + std::size_t(oldH - 1 - j) * oldStride + i * bytes;
            std::memcpy(dst, src, bytes);
        }
    }
    std::free(image.pixels);
    image.pixels = turned.pixels;
    image.width = turned.width;
    image.height = turned.height;
    image.pixelCount = turned.pixelCount;
    image.status = 0;
    turned.pixels = nullptr;
    turned.pixelCount = 0;
    RPfree(turned);
}

// Rotation by three shears (x, y, x), each an exact whole-pixel shift of rows or
// columns, mapped backwards from every target pixel; uncovered pixels are 255.
void rotateByShears(RasterImage& image, int degrees) {
    const double radians = degrees * 3.14159265358979323846 / 180.0;
    const double alpha = -std::tan(radians / 2.0);
    const double beta = std::sin(radians);
    const double w = image.width, h = image.height;
    const double c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
    // Each shear rounds to whole pixels, which can carry corner pixels one step past
    // the exact bounding box: one pixel of margin on every side keeps them.
    const auto newW = static_cast<std::uint32_t>(std::ceil(w * c + h * s - 1e-9)) + 2;
    const auto newH = static_cast<std::uint32_t>(std::ceil(w * s + h * c - 1e-9)) + 2;
    RasterImage out = RPcloneHeader(image);
    if (RPallocPixels(out, std::max(newW, 1u), std::max(newH, 1u)) != 0 || !hasRaster(out)) {
        RPfree(out);
        return;
    }
    std::memset(out.pixels, 255, rasterSize(out));
    const std::size_t bytes = image.bitsPerPixel / 8;
    const std::size_t srcStride =
        RPstride(static_cast<std::uint32_t>(image.width), image.bitsPerPixel);
    const std::size_t dstStride = RPstride(static_cast<std::uint32_t>(out.width), out.bitsPerPixel);
    // Whole-pixel centres make every shear, and so the rotation, a one-to-one map of
    // pixels: no source pixel is lost or doubled.
    const double scx = image.width / 2, scy = image.height / 2;
    const double dcx = out.width / 2, dcy = out.height / 2;
    for (std::int32_t Y = 0; Y < out.height; ++Y) {
        for (std::int32_t X = 0; X < out.width; ++X) {
            double x = X - dcx, y = Y - dcy;
            x -= std::round(alpha * y);
            y -= std::round(beta * x);
            x -= std::round(alpha * y);
            const double sx = std::round(x + scx), sy = std::round(y + scy);
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
            std::memcpy(out.pixels + std::size_t(Y) * dstStride + std::size_t(X) * bytes,
                        image.pixels + std::size_t(sy) * srcStride + std::size_t(sx) * bytes,
                        bytes);
        }
    }
    std::free(image.pixels);
    image.pixels = out.pixels;
    image.width = out.width;
    image.height = out.height;
    image.pixelCount = out.pixelCount;
    out.pixels = nullptr;
    out.pixelCount = 0;
    RPfree(out);
}

}  // namespace

void RProtate(RasterImage& image, double angle) {
    if (!std::isfinite(angle)) return;
    const double reduced = angle - 360.0 * std::trunc(std::trunc(angle) / 360.0);
    const int a = static_cast<int>(std::trunc(reduced));
    if (image.bitsPerPixel != 8 && image.bitsPerPixel != 24) return;
    if (a == 0 || !hasRaster(image)) return;
    if (a == 90) {
        rotateQuarter(image);
    } else if (a == -90) {
        rotateQuarter(image);
        HFlip(image);
        VFlip(image);
    } else if (a == 180 || a == -180) {
        HFlip(image);
        VFlip(image);
    } else {
        rotateByShears(image, a);
    }
}

void RPprintInfo(const RasterImage& image) {
    char info[81];
    std::memcpy(info, image.info, 80);
    info[80] = '\0';
    std::string text;
    text += format("Status              : %i\n", image.status);
    text += format("Info string         : %s\n", info[0] ? info : "None");
    text += format("Width               : %i\n", image.width);
    text += format("Height              : %i\n", image.height);
    text += format("X offset            : %i\n", image.xOffset);
    text += format("Y offset            : %i\n", image.yOffset);
    text += format("# pixels            : %li\n", static_cast<long>(image.pixelCount));
    text += format("Bits per pixel      : %i\n", image.bitsPerPixel);
    text += format("Pixel format        : %i\n", image.pixelFormat);
    text += format("EPI included        : %s\n", image.epiSize ? "Yes" : "No");
    text += format("Palette included    : %s\n", image.paletteSize ? "Yes" : "No");
    text +=
        format("Palette size        : %i (%i bytes)\n", image.paletteSize, image.paletteSize * 3);
    text += format("Extension included  : %s\n", image.extensionSize ? "Yes" : "No");
    text += format("Extension size      : %i\n", image.extensionSize);
    text += format("Extension type      : %i\n", image.extensionType);
    report(textDiagnostic(Severity::info, ErrorCode::none, "RPprintInfo", "the image record",
                          std::move(text)));
}

}  // namespace kavlo::imaging
