// SPDX-License-Identifier: MIT
#include "imaging/scale_steps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "imaging/scale.h"

namespace kavlo::imaging {
namespace {

RasterImage randomPicture(std::mt19937& rng, int w, int h) {
    RasterImage image = RPcreate(std::uint32_t(w), std::uint32_t(h), 24);
    std::uniform_int_distribution<int> d(0, 255);
    const std::size_t bytes = RPstride(std::uint32_t(w), 24) * std::size_t(h);
    for (std::size_t i = 0; i < bytes; ++i) image.pixels[i] = std::uint8_t(d(rng));
    return image;
}

bool same(const RasterImage& a, const RasterImage& b) {
    return a.width == b.width && a.height == b.height && a.pixels != nullptr &&
           b.pixels != nullptr &&
           std::memcmp(a.pixels, b.pixels, RPstride(std::uint32_t(a.width), 24) * a.height) == 0;
}

}  // namespace

TEST(ScaleSteps, everySizeEqualsTheChainOfSingleStepsWithoutRepeatingAHalving) {
    // Sizes within a factor two of the input need no halving; 750 from 3000 x 2000 is
    // exactly two halvings (no resampling); 1 pixel is the smallest target there is.
    std::mt19937 rng(11);
    for (auto [w, h] : {std::pair{3000, 2000}, std::pair{1999, 2999}}) {
        RasterImage image = randomPicture(rng, w, h);
        for (const std::vector<int>& targets :
             {std::vector<int>{2800, 2000, 1400, 750, 700}, std::vector<int>{750},
              std::vector<int>{1500, 1500, 80}, std::vector<int>{1}}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h << ", " << targets.size());
            std::vector<RasterImage> sizes;
            RasterImage rest = RPfastScaleSteps(image, targets, true, double(h) / w, sizes);
            ASSERT_EQ(sizes.size(), targets.size());
            RasterImage from = RPclone(image);
            for (std::size_t k = 0; k < targets.size(); ++k) {
                RasterImage next{};
                RasterImage expected =
                    RPfastScale(from, unsigned(targets[k]), true, double(h) / w, &next);
                EXPECT_TRUE(same(sizes[k], expected)) << "target " << targets[k];
                RPfree(expected);
                RPfree(from);
                from = next;
            }
            EXPECT_TRUE(same(rest, from));
            EXPECT_NE(rest.pixels, image.pixels);
            RPfree(from);
            RPfree(rest);
            for (RasterImage& s : sizes) RPfree(s);
        }
        RPfree(image);
    }
}

TEST(ScaleSteps, sizesOutOfOrderAreLeftEmptyAndAnEmptyPictureGivesNothing) {
    std::mt19937 rng(12);
    RasterImage image = randomPicture(rng, 400, 300);
    std::vector<RasterImage> sizes;
    RasterImage rest = RPfastScaleSteps(image, {200, 300, 0, 100}, true, 0.75, sizes);
    ASSERT_EQ(sizes.size(), 4u);
    EXPECT_EQ(sizes[0].width, 200);
    EXPECT_EQ(sizes[1].pixels, nullptr);
    EXPECT_EQ(sizes[2].pixels, nullptr);
    EXPECT_EQ(sizes[3].width, 100);
    EXPECT_EQ(rest.width, 100);  // two exact halvings: 400 -> 200 -> 100
    for (RasterImage& s : sizes) RPfree(s);
    RPfree(rest);

    RasterImage none = RPfastScaleSteps(image, {}, true, 0.75, sizes);
    EXPECT_TRUE(sizes.empty());
    EXPECT_TRUE(same(none, image));
    RPfree(none);
    RasterImage empty{};
    RasterImage nothing = RPfastScaleSteps(empty, {100}, true, 0.75, sizes);
    EXPECT_EQ(nothing.pixels, nullptr);
    EXPECT_EQ(sizes[0].pixels, nullptr);
    RPfree(image);
}

}  // namespace kavlo::imaging
