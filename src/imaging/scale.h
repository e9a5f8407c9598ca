// SPDX-License-Identifier: MIT
// Scaling, resampling and sharpening of 24-bit (blue, green, red) images.
//
// Sizes are the length of the longer side in pixels. Large reductions are exact [1 2 1]
// halvings in integer arithmetic; only the last factor below two is resampled (3 x 3
// Gaussian pre-blur plus bilinear interpolation, or bilinear alone). Several sizes reuse
// the halved intermediate of the next larger one. Inputs are never modified; every
// result is a new image for RPfree. Messages go to the standard output.
#pragma once

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

/// 4-neighbour sharpening of a 24-bit image (border copied): v = (8c - n) / 4, with
/// mild v = (c + v) / 2, clamped to 0..255. Other depths: a clone, with a message.
RasterImage RPsharpen(const RasterImage& image, int mild);
/// RPsharpen, keeping the result in the same record (the old raster is freed).
void RPsharpenInPlace(RasterImage& image, int mild);

}  // namespace kavlo::imaging
