// SPDX-License-Identifier: MIT
#include "imaging/scale_steps.h"

#include <algorithm>
#include <cmath>

#include "imaging/scale.h"

namespace kavlo::imaging {

namespace {

bool hasPicture(const RasterImage& image) {
    return image.pixels != nullptr && image.width > 0 && image.height > 0;
}

// One size from `current` as RPfastScale makes it; *halvings receives how many times
// the picture was halved first (the caller keeps that halved picture in *halved).
RasterImage oneStep(const RasterImage& current, int target, bool useScale, double aspect,
                    RasterImage* halved, int* halvings) {
    const auto width = static_cast<std::uint32_t>(current.width);
    const auto height = static_cast<std::uint32_t>(current.height);
    const std::uint32_t m = std::max(width, height);
    const double S = std::log(double(target) / double(m)) / std::log(0.5);
    int U = static_cast<int>(std::floor(S));
    if (target == 1) U = std::max(U - 1, 1);
    *halvings = std::max(U, 0);
    *halved = U > 0 ? RPhalveTimes(current, U) : RasterImage{};
    const RasterImage& from = U > 0 ? *halved : current;
    if (S == double(U) && U >= 0) return RPclone(from);
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
    return useScale ? RPscale(from, w, h) : RPbilinearResampling(from, w, h);
}

}  // namespace

RasterImage RPfastScaleSteps(const RasterImage& image, const std::vector<int>& targets,
                             bool useScale, double aspect, std::vector<RasterImage>& sizes) {
    sizes.assign(targets.size(), RasterImage{});
    if (!hasPicture(image)) return RPclone(image);
    // `current` is the input or the last halved picture (owned when `owned`).
    RasterImage owned{};
    const RasterImage* current = &image;
    int previous = 0;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const int target = targets[k];
        if (target <= 0 || (previous > 0 && target > previous)) continue;
        previous = target;
        RasterImage halved{};
        int halvings = 0;
        sizes[k] = oneStep(*current, target, useScale, aspect, &halved, &halvings);
        if (halvings > 0) {
            RPfree(owned);
            owned = halved;
            current = &owned;
        }
    }
    return current == &owned ? owned : RPclone(image);
}

}  // namespace kavlo::imaging
