// SPDX-License-Identifier: MIT
// Every picture of an album image is sharpened once: the user's sharpening when it is
// on, else the one that makes up for resampling. Sharpening twice draws dark halos.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/image_pipeline.h"
#include "imaging/raster_image.h"
#include "imaging/scale.h"
#include "support/test_photos.h"

namespace kavlo::core {

using imaging::Image;
using imaging::RPsharpenInPlace;
using model::AlbumSettings;
using model::ImageEntry;

namespace {

bool samePixels(const Image& a, const Image& b) {
    if (a.empty() || a.width() != b.width() || a.height() != b.height()) return false;
    const imaging::RasterImage& x = a.record();
    const imaging::RasterImage& y = b.record();
    const std::size_t stride = imaging::RPstride(std::uint32_t(x.width), x.bitsPerPixel);
    return std::memcmp(x.pixels, y.pixels, stride * std::size_t(x.height)) == 0;
}

/// The pictures of one image before and after finishSizes().
struct Finished {
    SizeTargets targets;
    int w = 0, h = 0;
    RenditionPictures before, after;
    imaging::ScaledSizes sizesBefore, sizesAfter;
};

Finished finish(const AlbumSettings& s) {
    const ImageEntry entry{test::testPhoto("large/canon_hdr_NO.jpg"), "", ""};
    const ImagePlan plan = planImage(s, "/album", entry, 0);
    SourcePicture source;
    decodeUpright(plan, defaultImageReaders(), source);
    Finished f;
    f.targets = targetsFor(plan, source.picture);
    f.w = source.picture.width();
    f.h = source.picture.height();
    const Image rest = scaleRenditions(source, f.targets, f.after);
    f.sizesAfter =
        scaleSizes(plan, source, rest.empty() ? source.picture : rest, f.targets, f.after);
    for (const Image& step : f.after.steps) f.before.steps.push_back(step.clone());
    f.before.thumb2x = f.after.thumb2x.clone();
    f.sizesBefore.small = f.sizesAfter.small.clone();
    f.sizesBefore.medium = f.sizesAfter.medium.clone();
    finishSizes(plan, f.targets, source.picture, f.sizesAfter, f.after);
    return f;
}

/// `img` sharpened once at `mild` strength.
Image sharpened(const Image& img, int mild) {
    Image out = img.clone();
    RPsharpenInPlace(out.record(), mild);
    return out;
}

}  // namespace

TEST(Sharpening, renditionsAndTheTwiceThumbnailAreSharpenedOnceAsTheUserChose) {
    AlbumSettings s;
    s.small = true;
    s.renditions = true;
    s.ssharpen = true;
    s.msharpen = true;
    const Finished f = finish(s);
    ASSERT_FALSE(f.after.thumb2x.empty());
    int steps = 0;
    for (std::size_t k = 0; k < f.after.steps.size(); ++k) {
        if (f.after.steps[k].empty()) continue;
        ++steps;
        // Mild, as the main image, and only that.
        EXPECT_TRUE(samePixels(f.after.steps[k], sharpened(f.before.steps[k], 1))) << k;
    }
    EXPECT_GE(steps, 1);
    EXPECT_TRUE(samePixels(f.after.thumb2x, sharpened(f.before.thumb2x, 0)));
    EXPECT_TRUE(samePixels(f.sizesAfter.medium, sharpened(f.sizesBefore.medium, 1)));
    EXPECT_TRUE(samePixels(f.sizesAfter.small, sharpened(f.sizesBefore.small, 0)));
}

TEST(Sharpening, withoutTheUsersChoiceOnlyResampledPicturesAreSharpenedOnceAtFullStrength) {
    AlbumSettings s;
    s.small = true;
    s.renditions = true;
    s.ssharpen = false;
    s.msharpen = false;
    const Finished f = finish(s);
    ASSERT_FALSE(f.after.thumb2x.empty());
    const auto check = [&](const Image& before, const Image& after, int target) {
        const bool resampled = f.w % target != 0 && f.h % target != 0;
        return resampled ? samePixels(after, sharpened(before, 0)) : samePixels(after, before);
    };
    for (std::size_t k = 0; k < f.after.steps.size(); ++k) {
        if (f.after.steps[k].empty()) continue;
        EXPECT_TRUE(check(f.before.steps[k], f.after.steps[k], f.targets.renditions[k])) << k;
    }
    EXPECT_TRUE(check(f.before.thumb2x, f.after.thumb2x, f.targets.thumb2x));
    EXPECT_TRUE(check(f.sizesBefore.medium, f.sizesAfter.medium, f.targets.main));
}

}  // namespace kavlo::core
