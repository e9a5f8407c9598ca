// SPDX-License-Identifier: MIT
#include "imaging/scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kavlo {

namespace {

bool hasRaster(const RasterImage& image) {
    return image.pixels != nullptr && image.pixelCount != 0 && image.width > 0 &&
           image.height > 0;
}

std::size_t strideOf(const RasterImage& image) {
    return RPstride(static_cast<std::uint32_t>(std::max(image.width, 0)), image.bitsPerPixel);
}

// A new image of the given size with `source`'s header (RPcloneHeader + RPallocPixels).
RasterImage newLike(const RasterImage& source, std::uint32_t width, std::uint32_t height) {
    RasterImage out = RPcloneHeader(source);
    RPallocPixels(out, width, height);
    return out;
}

// Zero-fills a raster that an operation refuses to compute, so that nothing
// uninitialised leaves this file.
void clearRaster(RasterImage& image) {
    if (hasRaster(image)) std::memset(image.pixels, 0, strideOf(image) * std::size_t(image.height));
}

// [1 2 1] halving of one row of w pixels of `bytes` samples into w / 2 pixels.
void halveRow(const std::uint8_t* in, std::uint8_t* out, std::size_t w, std::size_t bytes) {
    const std::size_t n = w / 2;
    // Full windows: every output k with 2k + 2 < w.
    const std::size_t full = (w - 1) / 2;
    for (std::size_t k = 0; k < full; ++k) {
        const std::uint8_t* p = in + 2 * k * bytes;
        std::uint8_t* o = out + k * bytes;
        for (std::size_t c = 0; c < bytes; ++c) {
            o[c] = static_cast<std::uint8_t>(
                (unsigned(p[c]) * 256 + unsigned(p[c + bytes]) * 512 + unsigned(p[c + 2 * bytes]) * 256) >> 10);
        }
    }
    if (n > full) {  // even width: the last output has no right neighbour
        const std::uint8_t* p = in + (w - 2) * bytes;
        std::uint8_t* o = out + (n - 1) * bytes;
        for (std::size_t c = 0; c < bytes; ++c)
            o[c] = static_cast<std::uint8_t>((unsigned(p[c]) * 256 + unsigned(p[c + bytes]) * 768) >> 10);
    }
}

// Gaussian weights, row-major, normalised to sum 1.
std::vector<double> gaussianWeights(int n, double variance) {
    const int h = n / 2;
    std::vector<double> w(std::size_t(n) * std::size_t(n));
    double sum = 0.0;
    std::size_t i = 0;
    for (int dy = -h; dy <= h; ++dy) {
        for (int dx = -h; dx <= h; ++dx, ++i) {
            w[i] = std::exp(-double(dx * dx + dy * dy) / (2.0 * variance)) /
                   (2.0 * 3.14159265358979323846 * variance);
            sum += w[i];
        }
    }
    for (double& v : w) v /= sum;
    return w;
}

// One output row of the 3 x 3 blur over the interior bytes [begin, end) of the row:
// the same products summed in the same order as the general window loop, so the result
// is bit-identical; written without clamping so that it vectorises.
__attribute__((target_clones("avx2", "default")))
void blur3Row(const std::uint8_t* r0, const std::uint8_t* r1, const std::uint8_t* r2,
              std::uint8_t* out, std::size_t begin, std::size_t end, std::size_t b,
              const double* w) {
    const double w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3], w4 = w[4], w5 = w[5], w6 = w[6],
                 w7 = w[7], w8 = w[8];
    for (std::size_t i = begin; i < end; ++i) {
        double sum = 0.0;
        sum += w0 * r0[i - b];
        sum += w1 * r0[i];
        sum += w2 * r0[i + b];
        sum += w3 * r1[i - b];
        sum += w4 * r1[i];
        sum += w5 * r1[i + b];
        sum += w6 * r2[i - b];
        sum += w7 * r2[i];
        sum += w8 * r2[i + b];
        out[i] = static_cast<std::uint8_t>(static_cast<int>(sum + 0.5));
    }
}

}  // namespace

RasterImage RPhalveWidth(const RasterImage& image) {
    if (image.width < 3 || !hasRaster(image) || image.bitsPerPixel % 8 != 0) return RPclone(image);
    const std::size_t bytes = image.bitsPerPixel / 8;
    const std::uint32_t outW = static_cast<std::uint32_t>(image.width) / 2;
    RasterImage out = newLike(image, outW, static_cast<std::uint32_t>(image.height));
    if (!hasRaster(out)) return out;
    const std::size_t inStride = strideOf(image), outStride = strideOf(out);
    for (std::int32_t y = 0; y < image.height; ++y) {
        halveRow(image.pixels + std::size_t(y) * inStride, out.pixels + std::size_t(y) * outStride,
                 std::size_t(image.width), bytes);
    }
    return out;
}

RasterImage RPhalveHeight(const RasterImage& image) {
    if (image.height < 3 || !hasRaster(image) || image.bitsPerPixel % 8 != 0) return RPclone(image);
    const std::uint32_t outH = static_cast<std::uint32_t>(image.height) / 2;
    RasterImage out = newLike(image, static_cast<std::uint32_t>(image.width), outH);
    if (!hasRaster(out)) return out;
    const std::size_t stride = strideOf(image);
    const std::size_t h = std::size_t(image.height);
    for (std::size_t i = 0; i < outH; ++i) {
        std::uint8_t* o = out.pixels + i * stride;
        if (2 * i + 2 < h) {
            const std::uint8_t* a = image.pixels + 2 * i * stride;
            const std::uint8_t* b = a + stride;
            const std::uint8_t* c = b + stride;
            for (std::size_t j = 0; j < stride; ++j)
                o[j] = static_cast<std::uint8_t>(
                    (unsigned(a[j]) * 256 + unsigned(b[j]) * 512 + unsigned(c[j]) * 256) >> 10);
        } else {  // even height: the last row has no row below
            const std::uint8_t* a = image.pixels + (h - 2) * stride;
            const std::uint8_t* b = a + stride;
            for (std::size_t j = 0; j < stride; ++j)
                o[j] = static_cast<std::uint8_t>((unsigned(a[j]) * 256 + unsigned(b[j]) * 768) >> 10);
        }
    }
    return out;
}

RasterImage RPhalveTimes(const RasterImage& image, int n) {
    if (n <= 0) return RPclone(image);
    const RasterImage* current = &image;
    RasterImage work{};
    bool halved = false;
    for (int i = 0; i < n && current->width >= 3; ++i) {
        RasterImage next = RPhalveWidth(*current);
        if (halved) RPfree(work);
        work = next;
        current = &work;
        halved = true;
    }
    for (int i = 0; i < n && current->height >= 3; ++i) {
        RasterImage next = RPhalveHeight(*current);
        if (halved) RPfree(work);
        work = next;
        current = &work;
        halved = true;
    }
    return halved ? work : RPclone(image);
}

RasterImage RPgaussianBlur(const RasterImage& image, int kernelSize, double variance) {
    if (kernelSize % 2 == 0) --kernelSize;
    if (kernelSize < 1) kernelSize = 1;
    RasterImage out = RPcreate(static_cast<std::uint32_t>(std::max(image.width, 0)),
                               static_cast<std::uint32_t>(std::max(image.height, 0)), image.bitsPerPixel);
    if (!hasRaster(out) || !hasRaster(image) || image.bitsPerPixel % 8 != 0) {
        clearRaster(out);
        return out;
    }
    const std::vector<double> w = gaussianWeights(kernelSize, variance);
    const int n = kernelSize, h = n / 2;
    const int width = image.width, height = image.height;
    const std::size_t b = image.bitsPerPixel / 8;
    const std::size_t stride = strideOf(image);
    std::vector<const std::uint8_t*> rows(std::size_t(n), nullptr);
    // Edge pixels: the general window with clamped coordinates.
    auto edgePixel = [&](int x, std::uint8_t* o) {
        for (std::size_t c = 0; c < b; ++c) {
            double sum = 0.0;
            std::size_t k = 0;
            for (int dy = 0; dy < n; ++dy) {
                for (int dx = -h; dx <= h; ++dx, ++k) {
                    const int sx = std::clamp(x + dx, 0, width - 1);
                    sum += w[k] * rows[std::size_t(dy)][std::size_t(sx) * b + c];
                }
            }
            o[c] = static_cast<std::uint8_t>(static_cast<int>(sum + 0.5));
        }
    };
    for (int y = 0; y < height; ++y) {
        for (int dy = 0; dy < n; ++dy)
            rows[std::size_t(dy)] = image.pixels + std::size_t(std::clamp(y + dy - h, 0, height - 1)) * stride;
        std::uint8_t* o = out.pixels + std::size_t(y) * stride;
        const int interiorBegin = std::min(h, width), interiorEnd = std::max(width - h, interiorBegin);
        for (int x = 0; x < interiorBegin; ++x) edgePixel(x, o + std::size_t(x) * b);
        for (int x = interiorEnd; x < width; ++x) edgePixel(x, o + std::size_t(x) * b);
        if (interiorEnd <= interiorBegin) continue;
        if (n == 3) {
            blur3Row(rows[0], rows[1], rows[2], o, std::size_t(interiorBegin) * b,
                     std::size_t(interiorEnd) * b, b, w.data());
            continue;
        }
        for (std::size_t i = std::size_t(interiorBegin) * b; i < std::size_t(interiorEnd) * b; ++i) {
            double sum = 0.0;
            std::size_t k = 0;
            for (int dy = 0; dy < n; ++dy)
                for (int dx = -h; dx <= h; ++dx, ++k)
                    sum += w[k] * rows[std::size_t(dy)][i + std::ptrdiff_t(dx) * std::ptrdiff_t(b)];
            o[i] = static_cast<std::uint8_t>(static_cast<int>(sum + 0.5));
        }
    }
    return out;
}

RasterImage RPbilinearResampling(const RasterImage& image, int newWidth, int newHeight) {
    const std::uint32_t outW = static_cast<std::uint32_t>(std::max(newWidth, 0));
    const std::uint32_t outH = static_cast<std::uint32_t>(std::max(newHeight, 0));
    if (image.bitsPerPixel < 24) {
        std::printf("Error: RPbilinearResampling() input must be 24/32 bit.\n");
        RasterImage out = newLike(image, outW, outH);
        clearRaster(out);
        return out;
    }
    RasterImage out = newLike(image, outW, outH);
    if (!hasRaster(out)) return out;
    if (!hasRaster(image) || image.bitsPerPixel % 8 != 0) {
        clearRaster(out);
        return out;
    }
    const std::size_t b = image.bitsPerPixel / 8;
    const std::int64_t W = image.width, H = image.height;
    const double sx = double(W) / double(outW), sy = double(H) / double(outH);
    const std::size_t inStride = strideOf(image), outStride = strideOf(out);
    // Column positions are the same for every row: compute them once.
    std::vector<std::size_t> col0(outW), col1(outW);
    std::vector<double> colF(outW);
    for (std::uint32_t k = 0; k < outW; ++k) {
        const double x = k * sx;
        std::int64_t c0 = static_cast<std::int64_t>(x);
        c0 = std::clamp<std::int64_t>(c0, 0, W - 1);
        colF[k] = x - double(c0);
        col0[k] = std::size_t(c0) * b;
        col1[k] = std::size_t(c0 + 1 < W ? c0 + 1 : c0) * b;
    }
    for (std::uint32_t i = 0; i < outH; ++i) {
        const double y = i * sy;
        std::int64_t j0 = static_cast<std::int64_t>(y);
        j0 = std::clamp<std::int64_t>(j0, 0, H - 1);
        const double fy = y - double(j0);
        const std::int64_t j1 = j0 + 1 < H ? j0 + 1 : j0;
        const std::uint8_t* r0 = image.pixels + std::size_t(j0) * inStride;
        const std::uint8_t* r1 = image.pixels + std::size_t(j1) * inStride;
        std::uint8_t* o = out.pixels + std::size_t(i) * outStride;
        for (std::uint32_t k = 0; k < outW; ++k, o += b) {
            const std::uint8_t* p00 = r0 + col0[k];
            const std::uint8_t* p01 = r0 + col1[k];
            const std::uint8_t* p10 = r1 + col0[k];
            const std::uint8_t* p11 = r1 + col1[k];
            const double fx = colF[k];
            for (std::size_t c = 0; c < b; ++c) {
                const double left = p00[c] + fy * (double(p10[c]) - double(p00[c]));
                const double right = p01[c] + fy * (double(p11[c]) - double(p01[c]));
                o[c] = static_cast<std::uint8_t>(static_cast<int>(left + fx * (right - left) + 0.5));
            }
        }
    }
    return out;
}

RasterImage RPscale(const RasterImage& image, int newWidth, int newHeight) {
    newWidth = std::max(newWidth, 1);
    newHeight = std::max(newHeight, 1);
    if (image.bitsPerPixel < 24) {
        std::printf("Error: RPscale() input must be 24/32 bit.\n");
        RasterImage out = newLike(image, std::uint32_t(newWidth), std::uint32_t(newHeight));
        clearRaster(out);
        return out;
    }
    if (newWidth < image.width || newHeight < image.height) {
        const double r = std::max(double(image.width) / newWidth, double(image.height) / newHeight);
        const double s = 0.43333333333333335 * r;
        const double variance = s * s;
        const int kernel = variance < 1.0 ? 3 : variance < 3.0 ? 5 : 7;
        RasterImage blurred = RPgaussianBlur(image, kernel, variance);
        RasterImage out = RPbilinearResampling(blurred, newWidth, newHeight);
        RPfree(blurred);
        return out;
    }
    return RPbilinearResampling(image, newWidth, newHeight);
}

RasterImage RPfastScale(const RasterImage& image, unsigned target, bool useScale, double aspect,
                        RasterImage* intermediate) {
    if (!hasRaster(image)) {
        if (intermediate != nullptr) *intermediate = RPclone(image);
        return RPclone(image);
    }
    if (target == 0) target = 1;  // a longer side of 0 pixels cannot be made
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t m = std::max(width, height);
    const double S = std::log(double(target) / double(m)) / std::log(0.5);
    int U = static_cast<int>(std::floor(S));
    if (target == 1) U = std::max(U - 1, 1);
    RasterImage halved = RPhalveTimes(image, U);
    if (S == double(U) && U >= 0) {
        if (intermediate != nullptr) *intermediate = RPclone(halved);
        return halved;
    }
    // A missing or absurd aspect falls back to the picture's own proportions.
    if (!(aspect > 0.0) || !std::isfinite(aspect)) aspect = double(height) / double(width);
    double newW, newH;
    if (height < width) {
        newW = target;
        newH = std::floor(target * aspect + 0.5);
    } else {
        newH = target;
        newW = std::floor(target / aspect + 0.5);
    }
    const double limit = double(kMaxRasterPixels);
    const int w = static_cast<int>(std::clamp(newW, 0.0, limit));
    const int h = static_cast<int>(std::clamp(newH, 0.0, limit));
    RasterImage result = useScale ? RPscale(halved, w, h) : RPbilinearResampling(halved, w, h);
    if (intermediate != nullptr)
        *intermediate = halved;
    else
        RPfree(halved);
    return result;
}

void RPfastScaleTwin(const RasterImage& image, unsigned smallTarget, unsigned largeTarget,
                     bool useScale, double aspect, RasterImage* outSmall, RasterImage* outLarge) {
    if (largeTarget < smallTarget) {
        std::printf("RPfastScaleTwin: Error largeSize<smallSize!\n");
        return;
    }
    RasterImage intermediate{};
    RasterImage large = RPfastScale(image, largeTarget, useScale, aspect, &intermediate);
    if (outLarge != nullptr)
        *outLarge = large;
    else
        RPfree(large);
    if (outSmall != nullptr) *outSmall = RPfastScale(intermediate, smallTarget, useScale, aspect);
    RPfree(intermediate);
}

void RPfastScaleTriple(const RasterImage& image, unsigned smallTarget, unsigned mediumTarget,
                       unsigned largeTarget, bool useScale, double aspect, RasterImage* outSmall,
                       RasterImage* outMedium, RasterImage* outLarge) {
    const auto s = static_cast<int>(smallTarget), m = static_cast<int>(mediumTarget),
               l = static_cast<int>(largeTarget);
    if (s >= m || m > l) {
        std::printf("RPfastScaleTriple: Error in sizes.\n");
        return;
    }
    RasterImage i1{};
    RasterImage large = RPfastScale(image, largeTarget, useScale, aspect, &i1);
    RasterImage i2{};
    RasterImage medium{};
    if (m == l) {
        medium = RPclone(large);
        i2 = i1;
    } else {
        medium = RPfastScale(i1, mediumTarget, useScale, aspect, &i2);
        RPfree(i1);
    }
    if (outSmall != nullptr) *outSmall = RPfastScale(i2, smallTarget, useScale, aspect);
    RPfree(i2);
    if (outMedium != nullptr)
        *outMedium = medium;
    else
        RPfree(medium);
    if (outLarge != nullptr)
        *outLarge = large;
    else
        RPfree(large);
}

RasterImage RPsharpen(const RasterImage& image, int mild) {
    if (image.bitsPerPixel != 24) {
        std::printf("Error: RPsharpen() input must be 24 bit.\n");
        return RPclone(image);
    }
    RasterImage out = RPclone(image);  // border rows and columns stay as they are
    if (!hasRaster(out) || image.width < 3 || image.height < 3) return out;
    const std::size_t stride = strideOf(image);
    const std::size_t end = std::size_t(image.width - 1) * 3;
    for (std::int32_t y = 1; y + 1 < image.height; ++y) {
        const std::uint8_t* up = image.pixels + std::size_t(y - 1) * stride;
        const std::uint8_t* row = up + stride;
        const std::uint8_t* down = row + stride;
        std::uint8_t* o = out.pixels + std::size_t(y) * stride;
        if (mild) {
            for (std::size_t i = 3; i < end; ++i) {
                const int c = row[i];
                const int n = int(row[i - 3]) + int(row[i + 3]) + int(up[i]) + int(down[i]);
                int v = (8 * c - n) / 4;
                v = (c + v) / 2;
                o[i] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
            }
        } else {
            for (std::size_t i = 3; i < end; ++i) {
                const int c = row[i];
                const int n = int(row[i - 3]) + int(row[i + 3]) + int(up[i]) + int(down[i]);
                const int v = (8 * c - n) / 4;
                o[i] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
            }
        }
    }
    return out;
}

void RPsharpenInPlace(RasterImage& image, int mild) {
    RasterImage sharpened = RPsharpen(image, mild);
    RPfree(image);
    image = sharpened;
}

}  // namespace kavlo
