// SPDX-License-Identifier: MIT
#include "image_metrics.h"

#include "imaging/image.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace kavlo::bench {

using imaging::RasterImage;

namespace {

bool usable(const RasterImage& img) {
    return img.bitsPerPixel == 24 && img.pixels != nullptr && img.width > 0 && img.height > 0;
}

std::vector<double> luma(const RasterImage& img) {
    std::vector<double> y(std::size_t(img.width) * std::size_t(img.height));
    const std::uint8_t* p = img.pixels;
    for (double& v : y) {
        v = 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2];
        p += 3;
    }
    return y;
}

/// Normalised 1-D Gaussian of radius r, sigma 1.5; the 2-D window is its outer product.
std::vector<double> gaussian(int r) {
    std::vector<double> g(std::size_t(2 * r + 1));
    double sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += g[std::size_t(i + r)] = std::exp(-(i * i) / (2 * 1.5 * 1.5));
    for (double& v : g) v /= sum;
    return g;
}

/// The weighted window sums of `plane` (w x h) at every position where the window fits:
/// (w - 2r) x (h - 2r) values.
std::vector<double> filterValid(const std::vector<double>& plane, int w, int h,
                                const std::vector<double>& g) {
    const int r = int(g.size() / 2), ow = w - 2 * r, oh = h - 2 * r;
    std::vector<double> rows(std::size_t(ow) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < ow; ++x) {
            double s = 0;
            for (int k = 0; k <= 2 * r; ++k)
                s += g[std::size_t(k)] * plane[std::size_t(y) * w + x + k];
            rows[std::size_t(y) * ow + x] = s;
        }
    std::vector<double> out(std::size_t(ow) * std::size_t(oh));
    for (int y = 0; y < oh; ++y)
        for (int x = 0; x < ow; ++x) {
            double s = 0;
            for (int k = 0; k <= 2 * r; ++k)
                s += g[std::size_t(k)] * rows[std::size_t(y + k) * ow + x];
            out[std::size_t(y) * ow + x] = s;
        }
    return out;
}

double ssim(const RasterImage& a, const RasterImage& b) {
    const int w = a.width, h = a.height;
    const int r = std::min(5, (std::min(w, h) - 1) / 2);
    const std::vector<double> g = gaussian(r);
    const std::vector<double> x = luma(a), y = luma(b);
    std::vector<double> xx(x.size()), yy(x.size()), xy(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        xx[i] = x[i] * x[i];
        yy[i] = y[i] * y[i];
        xy[i] = x[i] * y[i];
    }
    const std::vector<double> mx = filterValid(x, w, h, g), my = filterValid(y, w, h, g);
    const std::vector<double> sxx = filterValid(xx, w, h, g), syy = filterValid(yy, w, h, g);
    const std::vector<double> sxy = filterValid(xy, w, h, g);
    const double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
    double total = 0;
    for (std::size_t i = 0; i < mx.size(); ++i) {
        const double vx = sxx[i] - mx[i] * mx[i], vy = syy[i] - my[i] * my[i];
        const double cov = sxy[i] - mx[i] * my[i];
        total += ((2 * mx[i] * my[i] + c1) * (2 * cov + c2)) /
                 ((mx[i] * mx[i] + my[i] * my[i] + c1) * (vx + vy + c2));
    }
    return total / double(mx.size());
}

double psnr(const RasterImage& a, const RasterImage& b) {
    const std::size_t n = std::size_t(a.width) * std::size_t(a.height) * 3;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        sum += d * d;
    }
    if (sum == 0) return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (sum / double(n)));
}

}  // namespace

std::optional<Similarity> compareImages(const RasterImage& reference, const RasterImage& picture) {
    if (!usable(reference) || !usable(picture) || reference.width != picture.width ||
        reference.height != picture.height)
        return std::nullopt;
    return Similarity{psnr(reference, picture), ssim(reference, picture)};
}

RasterImage turned(const RasterImage& picture, int transform) {
    const bool swap = (transform & 4) != 0;
    const int w = swap ? picture.height : picture.width;
    const int h = swap ? picture.width : picture.height;
    RasterImage out = imaging::RPcreate(std::uint32_t(w), std::uint32_t(h), 24);
    if (out.pixels == nullptr || !usable(picture)) return out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int tx = (transform & 1) ? w - 1 - x : x;
            const int ty = (transform & 2) ? h - 1 - y : y;
            const int sx = swap ? ty : tx, sy = swap ? tx : ty;
            const std::uint8_t* s = picture.pixels + (std::size_t(sy) * picture.width + sx) * 3;
            std::copy(s, s + 3, out.pixels + (std::size_t(y) * w + x) * 3);
        }
    return out;
}

std::optional<Similarity> compareTurned(const RasterImage& reference, const RasterImage& picture,
                                        int* transform) {
    std::optional<Similarity> best;
    for (int t = 0; t < 8; ++t) {
        const bool swap = (t & 4) != 0;
        if ((swap ? picture.height : picture.width) != reference.width ||
            (swap ? picture.width : picture.height) != reference.height)
            continue;
        const imaging::Image turnedCopy(t == 0 ? RasterImage{} : turned(picture, t));
        const std::optional<Similarity> s =
            compareImages(reference, t == 0 ? picture : turnedCopy.record());
        if (s && (!best || s->psnr > best->psnr)) {
            best = s;
            if (transform) *transform = t;
        }
    }
    return best;
}

}  // namespace kavlo::bench
