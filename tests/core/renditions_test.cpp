// SPDX-License-Identifier: MIT
// Which renditions a photo gets, and ext/js/renditions.js as the pages read it.
#include <gtest/gtest.h>

#include "core/renditions.h"

namespace kavlo::core {

using model::AlbumSettings;

TEST(Renditions, stepsStopAtThePhotoAndSkipWhatAddsLittle) {
    ASSERT_EQ(renditionSteps(), (std::vector<int>{1280, 1920, 3840}));
    // A big photo gets every step; none is larger than the photo.
    EXPECT_EQ(renditionTargets(6000, 552), (std::vector<int>{1280, 1920, 3840}));
    EXPECT_EQ(renditionTargets(3264, 552), (std::vector<int>{1280, 1920, 3264}));
    // The last file is the photo's own size, if clearly larger than the one below.
    EXPECT_EQ(renditionTargets(2048, 552), (std::vector<int>{1280, 1920, 0}));
    EXPECT_EQ(renditionTargets(2200, 552), (std::vector<int>{1280, 1920, 2200}));
    EXPECT_EQ(renditionTargets(1000, 552), (std::vector<int>{1000, 0, 0}));
    EXPECT_EQ(renditionTargets(600, 552), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(renditionTargets(0, 552), (std::vector<int>{0, 0, 0}));
    // Steps not above the main (or large) image are left out.
    EXPECT_EQ(renditionTargets(4000, 1600), (std::vector<int>{0, 1920, 3840}));
    EXPECT_EQ(renditionTargets(4000, 4000), (std::vector<int>{0, 0, 0}));

    EXPECT_EQ(thumbnail2xTarget(4000, 80), 160);
    EXPECT_EQ(thumbnail2xTarget(120, 80), 120);
    EXPECT_EQ(thumbnail2xTarget(90, 80), 0);
    EXPECT_EQ(thumbnail2xTarget(4000, 0), 0);
}

TEST(Renditions, scriptListsFoldersSizesAndTwiceThumbnails) {
    AlbumSettings s;
    RenditionSizes sizes;
    sizes.steps = {{{1280, 853}, {1920, 1280}, {2200, 1467}}, {{1280, 960}, {0, 0}, {0, 0}}};
    sizes.thumb2x = {{160, 107}, {0, 0}};
    EXPECT_EQ(renditionsScript(s, sizes),
              "var renditions = {\n"
              "  \"dirs\": [\"hd/1280\", \"hd/1920\", \"hd/3840\"],\n"
              "  \"sizes\": [\n"
              "    [[1280, 853], [1920, 1280], [2200, 1467]],\n"
              "    [[1280, 960], null, null]\n"
              "  ],\n"
              "  \"thumb2xDir\": \"small2x\",\n"
              "  \"thumb2x\": [[160, 107], null]\n"
              "};\n");

    // Without thumbnails, and with a thumbnail folder name that needs escaping.
    s.small = false;
    sizes.thumb2x.clear();
    const std::string off = renditionsScript(s, RenditionSizes{});
    EXPECT_NE(off.find("  \"sizes\": [\n  ],\n  \"thumb2xDir\": \"\",\n  \"thumb2x\": []\n};\n"),
              std::string::npos)
        << off;
    s.small = true;
    s.sdir = "th\"um\\bs";
    EXPECT_NE(renditionsScript(s, RenditionSizes{}).find("\"thumb2xDir\": \"th\\\"um\\\\bs2x\""),
              std::string::npos);
}

}  // namespace kavlo::core
