// SPDX-License-Identifier: MIT
#include "imaging/scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "imaging/scale_steps.h"
#include "util/diagnostics.h"

namespace kavlo::imaging {

using util::ErrorCode;
using util::report;
using util::Severity;
using util::textDiagnostic;

namespace {

// ---- Wider vectors where the processor has them ----
// The row kernels below are compiled three times (AVX-512, AVX2 and the baseline) and
// chosen once per process from the processor's features. The choice is explicit
// rather than through ifunc resolvers, which run before sanitizer runtimes are ready. Every variant
// does the same IEEE double operations in the same order (no fused multiply-add:
// -ffp-contract=off), so results are identical.
#define KAVLO_INLINE inline __attribute__((always_inline))

enum class Simd { base, avx2, avx512 };

Simd simdLevel() {
#if defined(__x86_64__) && defined(__GNUC__)
    // KAVLO_IMAGING_SIMD=base or =avx2 lowers the choice, so that the tests can check
    // every variant against the formulas on one machine.
    static const Simd level = [] {
        __builtin_cpu_init();
        Simd best = Simd::base;
        const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                          __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
        if (avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl") &&
            __builtin_cpu_supports("avx512cd"))
            best = Simd::avx512;
        else if (avx2) best = Simd::avx2;
        const char* wanted = std::getenv("KAVLO_IMAGING_SIMD");
        if (wanted != nullptr && std::strcmp(wanted, "base") == 0) return Simd::base;
        if (wanted != nullptr && std::strcmp(wanted, "avx2") == 0 && best == Simd::avx512)
            return Simd::avx2;
        return best;
    }();
    return level;
#else
    return Simd::base;
#endif
}

#if defined(__x86_64__) && defined(__GNUC__)
// The features checked in simdLevel(), and no others.
#define KAVLO_V3 "avx2,fma,bmi,bmi2"
#define KAVLO_V4 "avx2,fma,bmi,bmi2,avx512f,avx512bw,avx512dq,avx512vl,avx512cd"
#define KAVLO_ROW_KERNEL(name, params, args)                                    \
    __attribute__((target(KAVLO_V4))) void name##V4 params { name##Body args; } \
    __attribute__((target(KAVLO_V3))) void name##V3 params { name##Body args; } \
    void name params {                                                          \
        switch (simdLevel()) {                                                  \
        case Simd::avx512: name##V4 args; return;                               \
        case Simd::avx2: name##V3 args; return;                                 \
        default: name##Body args; return;                                       \
        }                                                                       \
    }
#else
#define KAVLO_ROW_KERNEL(name, params, args) \
    void name params { name##Body args; }
#endif

bool hasRaster(const RasterImage& image) {
    return image.pixels != nullptr && image.pixelCount != 0 && image.width > 0 && image.height > 0;
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

// Window sums a + 2b + c of the [1 2 1] filter at every sample of a row of 3-byte
// pixels; halveRow keeps every other pixel's worth of them.
KAVLO_INLINE void tripleSumsBody(const std::uint8_t* in, std::uint16_t* sums, std::size_t count) {
    for (std::size_t j = 0; j < count; ++j)
        sums[j] = static_cast<std::uint16_t>(unsigned(in[j]) + 2 * unsigned(in[j + 3]) +
                                             unsigned(in[j + 6]));
}
KAVLO_ROW_KERNEL(tripleSums, (const std::uint8_t* in, std::uint16_t* sums, std::size_t count),
                 (in, sums, count))

// [1 2 1] halving of one row of w pixels of B samples into w / 2 pixels:
// (a * 256 + b * 512 + c * 256) >> 10, which equals (a + 2b + c) >> 2. Fixed B lets
// the compiler vectorise the pixel loop.
template <std::size_t B>
void halveRowFixed(const std::uint8_t* in, std::uint8_t* out, std::size_t w) {
    const std::size_t full = (w - 1) / 2;  // outputs k with 2k + 2 < w
    for (std::size_t k = 0; k < full; ++k) {
        const std::uint8_t* p = in + 2 * k * B;
        std::uint8_t* o = out + k * B;
        for (std::size_t c = 0; c < B; ++c)
            o[c] = static_cast<std::uint8_t>(
                (unsigned(p[c]) + 2 * unsigned(p[c + B]) + unsigned(p[c + 2 * B])) >> 2);
    }
    if (w / 2 > full) {  // even width: the last output has no right neighbour
        const std::uint8_t* p = in + (w - 2) * B;
        std::uint8_t* o = out + (w / 2 - 1) * B;
        for (std::size_t c = 0; c < B; ++c)
            o[c] =
                static_cast<std::uint8_t>((unsigned(p[c]) * 256 + unsigned(p[c + B]) * 768) >> 10);
    }
}

// `sums` holds at least 3 * w values (used for 3-byte pixels only).
void halveRow(const std::uint8_t* in, std::uint8_t* out, std::size_t w, std::size_t bytes,
              std::uint16_t* sums) {
    if (bytes == 3 && sums != nullptr && w >= 3) {
        // (a * 256 + b * 512 + c * 256) >> 10 = (a + 2b + c) >> 2, from vectorised sums.
        const std::size_t full = (w - 1) / 2;
        tripleSums(in, sums, 6 * (full - 1) + 3);
        for (std::size_t k = 0; k < full; ++k) {
            out[3 * k] = static_cast<std::uint8_t>(sums[6 * k] >> 2);
            out[3 * k + 1] = static_cast<std::uint8_t>(sums[6 * k + 1] >> 2);
            out[3 * k + 2] = static_cast<std::uint8_t>(sums[6 * k + 2] >> 2);
        }
        if (w / 2 > full) {  // even width: the last output has no right neighbour
            const std::uint8_t* p = in + (w - 2) * 3;
            std::uint8_t* o = out + (w / 2 - 1) * 3;
            for (std::size_t c = 0; c < 3; ++c)
                o[c] = static_cast<std::uint8_t>(
                    (unsigned(p[c]) * 256 + unsigned(p[c + 3]) * 768) >> 10);
        }
        return;
    }
    switch (bytes) {
    case 3: halveRowFixed<3>(in, out, w); return;
    case 4: halveRowFixed<4>(in, out, w); return;
    case 1: halveRowFixed<1>(in, out, w); return;
    default: break;
    }
    const std::size_t full = (w - 1) / 2;
    for (std::size_t k = 0; k < full; ++k) {
        const std::uint8_t* p = in + 2 * k * bytes;
        std::uint8_t* o = out + k * bytes;
        for (std::size_t c = 0; c < bytes; ++c)
            o[c] = static_cast<std::uint8_t>(
                (unsigned(p[c]) + 2 * unsigned(p[c + bytes]) + unsigned(p[c + 2 * bytes])) >> 2);
    }
    if (w / 2 > full) {
        const std::uint8_t* p = in + (w - 2) * bytes;
        std::uint8_t* o = out + (w / 2 - 1) * bytes;
        for (std::size_t c = 0; c < bytes; ++c)
            o[c] = static_cast<std::uint8_t>(
                (unsigned(p[c]) * 256 + unsigned(p[c + bytes]) * 768) >> 10);
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

KAVLO_INLINE void bytesToDoublesBody(const std::uint8_t* in, double* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = in[i];
}
KAVLO_ROW_KERNEL(bytesToDoubles, (const std::uint8_t* in, double* out, std::size_t count),
                 (in, out, count))

// Source row y as doubles, with `pad` copies of the first and last pixel on either side,
// so that the window loop needs no clamping: the padded values are exactly the
// clamped samples.
void rowToDoubles(const std::uint8_t* row, std::size_t width, std::size_t b, std::size_t pad,
                  double* out) {
    for (std::size_t p = 0; p < pad; ++p)
        for (std::size_t c = 0; c < b; ++c) {
            out[p * b + c] = row[c];
            out[(pad + width + p) * b + c] = row[(width - 1) * b + c];
        }
    bytesToDoubles(row, out + pad * b, width * b);
}

// One output row of the 3 x 3 blur from three padded double rows: the same products
// summed in the same order as the window formula (a first term of 0.0 + x equals x for
// these non-negative products), so the result is bit-identical; plain loops over
// doubles, which the compiler vectorises.
KAVLO_INLINE void blur3RowBody(const double* r0, const double* r1, const double* r2,
                               std::uint8_t* out, std::size_t count, std::size_t b,
                               const double* w) {
    const double w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3], w4 = w[4], w5 = w[5], w6 = w[6],
                 w7 = w[7], w8 = w[8];
    const std::size_t b2 = 2 * b;
    for (std::size_t i = 0; i < count; ++i) {
        double sum = w0 * r0[i];
        sum += w1 * r0[i + b];
        sum += w2 * r0[i + b2];
        sum += w3 * r1[i];
        sum += w4 * r1[i + b];
        sum += w5 * r1[i + b2];
        sum += w6 * r2[i];
        sum += w7 * r2[i + b];
        sum += w8 * r2[i + b2];
        out[i] = static_cast<std::uint8_t>(static_cast<std::int32_t>(sum + 0.5));
    }
}
KAVLO_ROW_KERNEL(blur3Row,
                 (const double* r0, const double* r1, const double* r2, std::uint8_t* out,
                  std::size_t count, std::size_t b, const double* w),
                 (r0, r1, r2, out, count, b, w))

// p(j0) + fy * (p(j1) - p(j0)) for every sample of two source rows.
KAVLO_INLINE void verticalRowBody(const std::uint8_t* r0, const std::uint8_t* r1, double fy,
                                  double* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = r0[i] + fy * (double(r1[i]) - double(r0[i]));
}
KAVLO_ROW_KERNEL(verticalRow,
                 (const std::uint8_t* r0, const std::uint8_t* r1, double fy, double* out,
                  std::size_t count),
                 (r0, r1, fy, out, count))

}  // namespace

RasterImage RPhalveWidth(const RasterImage& image) {
    if (image.width < 3 || !hasRaster(image) || image.bitsPerPixel % 8 != 0) return RPclone(image);
    const std::size_t bytes = image.bitsPerPixel / 8;
    const std::uint32_t outW = static_cast<std::uint32_t>(image.width) / 2;
    RasterImage out = newLike(image, outW, static_cast<std::uint32_t>(image.height));
    if (!hasRaster(out)) return out;
    const std::size_t inStride = strideOf(image), outStride = strideOf(out);
    std::vector<std::uint16_t> sums;
    try {
        if (bytes == 3) sums.resize(inStride);
    } catch (const std::bad_alloc&) {
        sums.clear();  // the plain loop needs no buffer
    }
    for (std::int32_t y = 0; y < image.height; ++y) {
        halveRow(image.pixels + std::size_t(y) * inStride, out.pixels + std::size_t(y) * outStride,
                 std::size_t(image.width), bytes, sums.empty() ? nullptr : sums.data());
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
                o[j] =
                    static_cast<std::uint8_t>((unsigned(a[j]) * 256 + unsigned(b[j]) * 768) >> 10);
        }
    }
    return out;
}

RasterImage RPhalveTimes(const RasterImage& image, int n) {
    if (n <= 0) return RPclone(image);
    Image work;
    const RasterImage* current = &image;
    for (int i = 0; i < n && current->width >= 3; ++i) {
        work = Image(RPhalveWidth(*current));
        current = &work.record();
    }
    for (int i = 0; i < n && current->height >= 3; ++i) {
        work = Image(RPhalveHeight(*current));
        current = &work.record();
    }
    return current == &image ? RPclone(image) : work.release();
}

namespace {

// The window sums of RPgaussianBlur into `out` (same size and depth as `image`).
void blurInto(const RasterImage& image, int kernelSize, double variance, RasterImage& out) {
    const std::vector<double> w = gaussianWeights(kernelSize, variance);
    const int n = kernelSize, h = n / 2;
    const int height = image.height;
    const std::size_t width = std::size_t(image.width);
    const std::size_t b = image.bitsPerPixel / 8;
    const std::size_t stride = strideOf(image);
    // Every source row is converted once into a ring of n padded double rows.
    const std::size_t padded = (width + 2 * std::size_t(h)) * b;
    std::vector<double> ring(padded * std::size_t(n));
    std::vector<int> ringRow(static_cast<std::size_t>(n), -1);  // which source row each slot holds
    std::vector<const double*> rows(static_cast<std::size_t>(n));
    for (int y = 0; y < height; ++y) {
        for (int dy = 0; dy < n; ++dy) {
            const int sy = std::clamp(y + dy - h, 0, height - 1);
            const std::size_t slot = std::size_t(sy % n);
            if (ringRow[slot] != sy) {
                rowToDoubles(image.pixels + std::size_t(sy) * stride, width, b, std::size_t(h),
                             ring.data() + slot * padded);
                ringRow[slot] = sy;
            }
            rows[std::size_t(dy)] = ring.data() + slot * padded;
        }
        std::uint8_t* o = out.pixels + std::size_t(y) * stride;
        if (n == 3) {
            blur3Row(rows[0], rows[1], rows[2], o, width * b, b, w.data());
            continue;
        }
        for (std::size_t i = 0; i < width * b; ++i) {
            double sum = 0.0;
            std::size_t k = 0;
            for (int dy = 0; dy < n; ++dy)
                for (int dx = 0; dx < n; ++dx, ++k)
                    sum += w[k] * rows[std::size_t(dy)][i + std::size_t(dx) * b];
            o[i] = static_cast<std::uint8_t>(static_cast<std::int32_t>(sum + 0.5));
        }
    }
}

}  // namespace

RasterImage RPgaussianBlur(const RasterImage& image, int kernelSize, double variance) {
    if (kernelSize % 2 == 0) --kernelSize;
    if (kernelSize < 1) kernelSize = 1;
    RasterImage out =
        RPcreate(static_cast<std::uint32_t>(std::max(image.width, 0)),
                 static_cast<std::uint32_t>(std::max(image.height, 0)), image.bitsPerPixel);
    if (!hasRaster(out) || !hasRaster(image) || image.bitsPerPixel % 8 != 0) {
        clearRaster(out);
        return out;
    }
    if (!(variance > 0.0) || !std::isfinite(variance)) {
        // No spread (or none that means anything): the picture itself.
        std::memcpy(out.pixels, image.pixels, strideOf(image) * std::size_t(image.height));
        return out;
    }
    // Kernels wider than 255 pixels add nothing an image of this library can use.
    kernelSize = std::min(kernelSize, 255);
    try {
        blurInto(image, kernelSize, variance, out);
    } catch (const std::bad_alloc&) {
        report(textDiagnostic(Severity::error, ErrorCode::outOfMemory, "RPgaussianBlur",
                              "out of memory", "Error: RPgaussianBlur() out of memory.\n"));
        clearRaster(out);
    }
    return out;
}

namespace {

// The interpolation of RPbilinearResampling into `out` (its size is the new size).
void bilinearInto(const RasterImage& image, RasterImage& out) {
    const std::uint32_t outW = static_cast<std::uint32_t>(out.width),
                        outH = static_cast<std::uint32_t>(out.height);
    const std::size_t b = image.bitsPerPixel / 8;
    const std::int64_t W = image.width, H = image.height;
    const double sx = double(W) / double(outW), sy = double(H) / double(outH);
    // Reductions sample at the top-left-aligned positions k x sx. An enlargement samples
    // at pixel centres instead, (k + 0.5) sx - 0.5, so that it is not shifted by half a
    // source pixel towards the top left; positions before the first pixel take it.
    const bool centreX = outW > W, centreY = outH > H;
    const auto position = [](std::uint32_t k, double s, bool centred) {
        return centred ? std::max(0.0, (k + 0.5) * s - 0.5) : k * s;
    };
    const std::size_t inStride = strideOf(image), outStride = strideOf(out);
    // Column positions are the same for every row: compute them once.
    std::vector<std::size_t> col0(outW), col1(outW);
    std::vector<double> colF(outW);
    for (std::uint32_t k = 0; k < outW; ++k) {
        const double x = position(k, sx, centreX);
        std::int64_t c0 = static_cast<std::int64_t>(x);
        c0 = std::clamp<std::int64_t>(c0, 0, W - 1);
        colF[k] = x - double(c0);
        col0[k] = std::size_t(c0) * b;
        col1[k] = std::size_t(c0 + 1 < W ? c0 + 1 : c0) * b;
    }
    // Per output row, the vertical interpolation of every source sample (left and right
    // are both such values), then the horizontal one per output sample.
    std::vector<double> vertical(std::size_t(W) * b);
    for (std::uint32_t i = 0; i < outH; ++i) {
        const double y = position(i, sy, centreY);
        std::int64_t j0 = static_cast<std::int64_t>(y);
        j0 = std::clamp<std::int64_t>(j0, 0, H - 1);
        const double fy = y - double(j0);
        const std::int64_t j1 = j0 + 1 < H ? j0 + 1 : j0;
        verticalRow(image.pixels + std::size_t(j0) * inStride,
                    image.pixels + std::size_t(j1) * inStride, fy, vertical.data(),
                    vertical.size());
        std::uint8_t* o = out.pixels + std::size_t(i) * outStride;
        for (std::uint32_t k = 0; k < outW; ++k, o += b) {
            const double* left = vertical.data() + col0[k];
            const double* right = vertical.data() + col1[k];
            const double fx = colF[k];
            for (std::size_t c = 0; c < b; ++c)
                o[c] = static_cast<std::uint8_t>(
                    static_cast<std::int32_t>(left[c] + fx * (right[c] - left[c]) + 0.5));
        }
    }
}

}  // namespace

RasterImage RPbilinearResampling(const RasterImage& image, int newWidth, int newHeight) {
    const std::uint32_t outW = static_cast<std::uint32_t>(std::max(newWidth, 0));
    const std::uint32_t outH = static_cast<std::uint32_t>(std::max(newHeight, 0));
    if (image.bitsPerPixel < 24) {
        report(textDiagnostic(Severity::error, ErrorCode::invalidArgument, "RPbilinearResampling",
                              "input must be 24/32 bit",
                              "Error: RPbilinearResampling() input must be 24/32 bit.\n"));
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
    try {
        bilinearInto(image, out);
    } catch (const std::bad_alloc&) {
        report(textDiagnostic(Severity::error, ErrorCode::outOfMemory, "RPbilinearResampling",
                              "out of memory", "Error: RPbilinearResampling() out of memory.\n"));
        clearRaster(out);
    }
    return out;
}

RasterImage RPscale(const RasterImage& image, int newWidth, int newHeight) {
    newWidth = std::max(newWidth, 1);
    newHeight = std::max(newHeight, 1);
    if (image.bitsPerPixel < 24) {
        report(textDiagnostic(Severity::error, ErrorCode::invalidArgument, "RPscale",
                              "input must be 24/32 bit",
                              "Error: RPscale() input must be 24/32 bit.\n"));
        RasterImage out = newLike(image, std::uint32_t(newWidth), std::uint32_t(newHeight));
        clearRaster(out);
        return out;
    }
    if (newWidth < image.width || newHeight < image.height) {
        const double r = std::max(double(image.width) / newWidth, double(image.height) / newHeight);
        const double s = 0.43333333333333335 * r;
        const double variance = s * s;
        const int kernel = variance < 1.0 ? 3 : variance < 3.0 ? 5 : 7;
        const Image blurred(RPgaussianBlur(image, kernel, variance));
        return RPbilinearResampling(blurred.record(), newWidth, newHeight);
    }
    return RPbilinearResampling(image, newWidth, newHeight);
}

namespace {

// The picture a size was made from, where the next smaller size of a cascade starts:
// the input itself when no halving was needed (its pixels are the same), or the
// halved copy it owns.
class Halved {
public:
    void share(const RasterImage& input) {
        m_owned.reset();
        m_shared = &input;
    }
    void own(Image picture) {
        m_owned = std::move(picture);
        m_shared = nullptr;
    }
    bool sharesInput() const { return m_shared != nullptr; }
    const RasterImage& picture() const {
        return m_shared != nullptr ? *m_shared : m_owned.record();
    }
    /// A record of the caller's own: the shared input is copied.
    RasterImage take() {
        if (m_shared != nullptr) return RPclone(*std::exchange(m_shared, nullptr));
        return m_owned.release();
    }

private:
    const RasterImage* m_shared = nullptr;
    Image m_owned;
};

// RPfastScale. `from`, when given, receives the halved picture the result was made from.
Image fastScaleStep(const RasterImage& image, unsigned target, bool useScale, double aspect,
                    Halved* from) {
    if (!hasRaster(image)) {
        if (from != nullptr) from->own(Image(RPclone(image)));
        return Image(RPclone(image));
    }
    if (target == 0) target = 1;  // a longer side of 0 pixels cannot be made
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t m = std::max(width, height);
    const double S = std::log(double(target) / double(m)) / std::log(0.5);
    int U = static_cast<int>(std::floor(S));
    if (target == 1) U = std::max(U - 1, 1);
    Halved local;
    Halved& halved = from != nullptr ? *from : local;
    if (U <= 0) halved.share(image);
    else halved.own(Image(RPhalveTimes(image, U)));
    if (S == double(U) && U >= 0) {
        // The halvings reach the target exactly.
        return from != nullptr ? Image(RPclone(halved.picture())) : Image(halved.take());
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
    const RasterImage& base = halved.picture();
    return Image(useScale ? RPscale(base, w, h) : RPbilinearResampling(base, w, h));
}

struct TwinSizes {
    Image small;
    Image large;
};

// The large size from the picture, the small one from the picture the large one was
// made from. Nothing when the large target is below the small one.
std::optional<TwinSizes> twin(const RasterImage& image, unsigned smallTarget, unsigned largeTarget,
                              bool useScale, double aspect) {
    if (largeTarget < smallTarget) {
        report(textDiagnostic(Severity::error, ErrorCode::invalidArgument, "RPfastScaleTwin",
                              "the large size is below the small one",
                              "RPfastScaleTwin: Error largeSize<smallSize!\n"));
        return std::nullopt;
    }
    TwinSizes out;
    Halved from;
    out.large = fastScaleStep(image, largeTarget, useScale, aspect, &from);
    out.small = fastScaleStep(from.picture(), smallTarget, useScale, aspect, nullptr);
    return out;
}

// Each size from the picture the next larger one was made from. Nothing unless
// small < medium <= large.
std::optional<ScaledSizes> triple(const RasterImage& image, unsigned smallTarget,
                                  unsigned mediumTarget, unsigned largeTarget, bool useScale,
                                  double aspect) {
    const auto s = static_cast<int>(smallTarget), m = static_cast<int>(mediumTarget),
               l = static_cast<int>(largeTarget);
    if (s >= m || m > l) {
        report(textDiagnostic(Severity::error, ErrorCode::invalidArgument, "RPfastScaleTriple",
                              "the sizes are not in order",
                              "RPfastScaleTriple: Error in sizes.\n"));
        return std::nullopt;
    }
    ScaledSizes out;
    Halved forMedium;
    out.large = fastScaleStep(image, largeTarget, useScale, aspect, &forMedium);
    if (m == l) {
        out.medium = out.large.clone();
        out.small = fastScaleStep(forMedium.picture(), smallTarget, useScale, aspect, nullptr);
        return out;
    }
    Halved forSmall;
    out.medium = fastScaleStep(forMedium.picture(), mediumTarget, useScale, aspect, &forSmall);
    // The large size's halved picture is done with, unless the small size starts from it.
    if (!forSmall.sharesInput()) forMedium = Halved();
    out.small = fastScaleStep(forSmall.picture(), smallTarget, useScale, aspect, nullptr);
    return out;
}

}  // namespace

RasterImage RPfastScale(const RasterImage& image, unsigned target, bool useScale, double aspect,
                        RasterImage* intermediate) {
    if (intermediate == nullptr)
        return fastScaleStep(image, target, useScale, aspect, nullptr).release();
    Halved from;
    Image result = fastScaleStep(image, target, useScale, aspect, &from);
    *intermediate = from.take();
    return result.release();
}

RasterImage RPfastScaleSteps(const RasterImage& image, const std::vector<int>& targets,
                             bool useScale, double aspect, std::vector<RasterImage>& sizes) {
    sizes.assign(targets.size(), RasterImage{});
    if (!hasRaster(image)) return RPclone(image);
    // Where the next size starts: the input, or the halved picture the last size was
    // made from.
    Halved current;
    current.share(image);
    int previous = 0;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const int target = targets[k];
        if (target <= 0 || (previous > 0 && target > previous)) continue;
        previous = target;
        Halved next;
        sizes[k] = fastScaleStep(current.picture(), unsigned(target), useScale, aspect, &next)
                       .release();
        if (!next.sharesInput()) current = std::move(next);
    }
    return current.take();
}

void RPfastScaleTwin(const RasterImage& image, unsigned smallTarget, unsigned largeTarget,
                     bool useScale, double aspect, RasterImage* outSmall, RasterImage* outLarge) {
    std::optional<TwinSizes> sizes = twin(image, smallTarget, largeTarget, useScale, aspect);
    if (!sizes) return;
    if (outLarge != nullptr) *outLarge = sizes->large.release();
    if (outSmall != nullptr) *outSmall = sizes->small.release();
}

void RPfastScaleTriple(const RasterImage& image, unsigned smallTarget, unsigned mediumTarget,
                       unsigned largeTarget, bool useScale, double aspect, RasterImage* outSmall,
                       RasterImage* outMedium, RasterImage* outLarge) {
    std::optional<ScaledSizes> sizes =
        triple(image, smallTarget, mediumTarget, largeTarget, useScale, aspect);
    if (!sizes) return;
    if (outSmall != nullptr) *outSmall = sizes->small.release();
    if (outMedium != nullptr) *outMedium = sizes->medium.release();
    if (outLarge != nullptr) *outLarge = sizes->large.release();
}

ScaledSizes scaleCascade(const RasterImage& image, const ScaleTargets& targets, bool useScale,
                         double aspect) {
    ScaledSizes out;
    if (targets.small && targets.large) {
        if (auto sizes =
                triple(image, *targets.small, targets.medium, *targets.large, useScale, aspect))
            out = std::move(*sizes);
    } else if (targets.large) {
        if (auto sizes = twin(image, targets.medium, *targets.large, useScale, aspect)) {
            out.medium = std::move(sizes->small);
            out.large = std::move(sizes->large);
        }
    } else if (targets.small) {
        if (auto sizes = twin(image, *targets.small, targets.medium, useScale, aspect)) {
            out.small = std::move(sizes->small);
            out.medium = std::move(sizes->large);
        }
    } else {
        out.medium = fastScaleStep(image, std::max(targets.medium, 1u), useScale, aspect, nullptr);
    }
    return out;
}

namespace {

// Interior bytes [3, end) of one row: v = (8c - n) / 4 truncated toward zero, with mild
// v = (c + v) / 2, clamped.
KAVLO_INLINE void sharpenRowBody(const std::uint8_t* up, const std::uint8_t* row,
                                 const std::uint8_t* down, std::uint8_t* out, std::size_t end,
                                 int mild) {
    if (mild) {
        for (std::size_t i = 3; i < end; ++i) {
            const int c = row[i];
            const int n = int(row[i - 3]) + int(row[i + 3]) + int(up[i]) + int(down[i]);
            const int v = (c + (8 * c - n) / 4) / 2;
            out[i] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
        }
    } else {
        for (std::size_t i = 3; i < end; ++i) {
            const int c = row[i];
            const int n = int(row[i - 3]) + int(row[i + 3]) + int(up[i]) + int(down[i]);
            const int v = (8 * c - n) / 4;
            out[i] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
        }
    }
}
KAVLO_ROW_KERNEL(sharpenRow,
                 (const std::uint8_t* up, const std::uint8_t* row, const std::uint8_t* down,
                  std::uint8_t* out, std::size_t end, int mild),
                 (up, row, down, out, end, mild))

}  // namespace

RasterImage RPsharpen(const RasterImage& image, int mild) {
    if (image.bitsPerPixel != 24) {
        report(textDiagnostic(Severity::error, ErrorCode::invalidArgument, "RPsharpen",
                              "input must be 24 bit",
                              "Error: RPsharpen() input must be 24 bit.\n"));
        return RPclone(image);
    }
    if (!hasRaster(image) || image.width < 3 || image.height < 3) return RPclone(image);
    RasterImage out = newLike(image, std::uint32_t(image.width), std::uint32_t(image.height));
    if (!hasRaster(out)) return out;
    const std::size_t stride = strideOf(image);
    const std::size_t end = std::size_t(image.width - 1) * 3;
    // Border rows and columns are copied unchanged.
    std::memcpy(out.pixels, image.pixels, stride);
    const std::size_t last = std::size_t(image.height - 1) * stride;
    std::memcpy(out.pixels + last, image.pixels + last, stride);
    for (std::int32_t y = 1; y + 1 < image.height; ++y) {
        const std::uint8_t* row = image.pixels + std::size_t(y) * stride;
        std::uint8_t* o = out.pixels + std::size_t(y) * stride;
        std::memcpy(o, row, 3);
        std::memcpy(o + end, row + end, 3);
        sharpenRow(row - stride, row, row + stride, o, end, mild);
    }
    return out;
}

void RPsharpenInPlace(RasterImage& image, int mild) {
    RasterImage sharpened = RPsharpen(image, mild);
    RPfree(image);
    image = sharpened;
}

}  // namespace kavlo::imaging
