// SPDX-License-Identifier: MIT
// How close a picture is to a reference picture of the same size: PSNR over the three
// colour channels and SSIM of the luma, for the image-quality benchmark.
//
// Common rules:
// - Pictures are 24-bit RasterImages (blue, green, red); both of the same width and height.
// - PSNR = 10 log10(255^2 / MSE), the mean squared error over every sample of the three
//   channels; identical pictures give +infinity.
// - SSIM follows Wang, Bovik, Sheikh and Simoncelli (2004) on the luma Y = 0.299 R + 0.587 G
//   + 0.114 B: an 11 x 11 Gaussian window of sigma 1.5 (smaller, odd, for pictures less
//   than 11 pixels wide or high), K1 = 0.01, K2 = 0.03, L = 255, averaged over the
//   positions where the window lies wholly inside the picture.
#pragma once

#include <optional>

#include "imaging/raster_image.h"

namespace kavlo::bench {

/// PSNR and SSIM of a picture against its reference.
struct Similarity {
    double psnr = 0;  ///< decibels; +infinity for identical pictures
    double ssim = 0;  ///< 1 for identical pictures
};

/// The similarity of `picture` to `reference`; nothing when either is not a 24-bit
/// picture with pixels or their sizes differ.
std::optional<Similarity> compareImages(const imaging::RasterImage& reference,
                                        const imaging::RasterImage& picture);

/// One of the eight ways to turn and mirror a picture: bit 0 mirrors left to right,
/// bit 1 mirrors top to bottom, bit 2 swaps rows and columns (applied first).
/// 0 leaves the picture as it is.
imaging::RasterImage turned(const imaging::RasterImage& picture, int transform);

/// compareImages after turning `picture` the way (of the eight whose size fits the
/// reference) that makes it closest to the reference, by PSNR. `transform` receives
/// that way (0 when the picture already stood as the reference does).
std::optional<Similarity> compareTurned(const imaging::RasterImage& reference,
                                        const imaging::RasterImage& picture, int* transform);

}  // namespace kavlo::bench
