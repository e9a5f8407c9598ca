// SPDX-License-Identifier: MIT
// Scaling, resampling and sharpening of 24-bit (blue, green, red) images.
//
// Sizes are the length of the longer side in pixels. Large reductions are exact [1 2 1]
// halvings in integer arithmetic; only the last factor below two is resampled (3 x 3
// Gaussian pre-blur plus bilinear interpolation, or bilinear alone). Several sizes reuse
// the halved intermediate of the next larger one. Inputs are never modified; every
// result is a new image for RPfree (or an Image, for scaleCascade). Refused inputs are
// reported as diagnostics (util/diagnostics.h) with ErrorCode::invalidArgument.
#pragma once

#include <optional>

#include "imaging/image.h"
#include "imaging/raster_image.h"

namespace kavlo::imaging {

/// Width halved (rounded down) with the [1 2 1]/4 filter; widths below 3 are copied.
RasterImage RPhalveWidth(const RasterImage& image);
/// Height halved (rounded down) with the [1 2 1]/4 filter; heights below 3 are copied.
RasterImage RPhalveHeight(const RasterImage& image);
/// n width halvings (while at least 3 wide), then n height halvings (while at least 3
/// high); n <= 0 gives a clone.
RasterImage RPhalveTimes(const RasterImage& image, int n);
/// n x n Gaussian (n made odd) of the given variance, edge pixels clamped; 24/32-bit.
RasterImage RPgaussianBlur(const RasterImage& image, int kernelSize, double variance);
/// Exactly newWidth x newHeight (each at least 1); blurs first when reducing.
RasterImage RPscale(const RasterImage& image, int newWidth, int newHeight);
/// Exactly newWidth x newHeight by bilinear interpolation alone (0 stays 0).
RasterImage RPbilinearResampling(const RasterImage& image, int newWidth, int newHeight);

/// Image whose longer side is `target`, the other following `aspect` (height / width
/// as shown). The final step is RPscale when useScale, else RPbilinearResampling.
/// `intermediate`, when given, receives the halved picture the result was made from.
RasterImage RPfastScale(const RasterImage& image, unsigned target, bool useScale, double aspect,
                        RasterImage* intermediate = nullptr);
/// Two sizes; the small one is made from the large one's intermediate. When
/// largeTarget < smallTarget prints an error and leaves the outs untouched.
void RPfastScaleTwin(const RasterImage& image, unsigned smallTarget, unsigned largeTarget,
                     bool useScale, double aspect, RasterImage* outSmall, RasterImage* outLarge);
/// Three sizes, each smaller one from the next larger one's intermediate. When
/// small >= medium or medium > large prints an error and leaves the outs untouched.
void RPfastScaleTriple(const RasterImage& image, unsigned smallTarget, unsigned mediumTarget,
                       unsigned largeTarget, bool useScale, double aspect, RasterImage* outSmall,
                       RasterImage* outMedium, RasterImage* outLarge);

/// Longer sides of the sizes one cascade makes, in pixels. The medium size is always
/// made; small and large only when given.
struct ScaleTargets {
    std::optional<unsigned> small;
    unsigned medium = 0;
    std::optional<unsigned> large;
};
/// The sizes of one cascade; a size not asked for, or refused, is empty.
struct ScaledSizes {
    Image small;
    Image medium;
    Image large;
};
/// The sizes of one album image from one cascade of halvings: all three as
/// RPfastScaleTriple, medium and large or small and medium as RPfastScaleTwin, the
/// medium size alone as RPfastScale (a target of 0 makes 1). Sizes out of order are
/// refused as those operations refuse them: every size is then empty.
ScaledSizes scaleCascade(const RasterImage& image, const ScaleTargets& targets, bool useScale,
                         double aspect);

/// 4-neighbour sharpening of a 24-bit image (border copied): v = (8c - n) / 4, with
/// mild v = (c + v) / 2, clamped to 0..255. Other depths: a clone, with a message.
RasterImage RPsharpen(const RasterImage& image, int mild);
/// RPsharpen, keeping the result in the same record (the old raster is freed).
void RPsharpenInPlace(RasterImage& image, int mild);

}  // namespace kavlo::imaging
