// SPDX-License-Identifier: MIT
// SimpleViewer options logic: the thumbnail-matrix hint, the stage-padding check and
// the colour buttons.
#include <gtest/gtest.h>

#include "../core/scripted_platform.h"
#include "ui/simpleviewer_options_dialog.h"

namespace kavlo::ui {

using core::CustomColours;
using kavlo::test::ScriptedPlatform;
using util::Colour;

namespace {

// Answers the colour chooser with a fixed colour, or cancels.
class ColourPlatform : public ScriptedPlatform {
public:
    std::optional<Colour> answer;
    Colour lastInitial = 0;
    std::optional<Colour> chooseColour(Colour initial, CustomColours& custom) override {
        lastInitial = initial;
        custom[0] = 0xABCDEF;  // the user defined a custom colour
        return answer;
    }
};

}  // namespace

TEST(SimpleViewerHint, listsEveryMatrixThatShowsAllImages) {
    const std::string head = "Showing all ";
    EXPECT_EQ(thumbnailMatrixHint(36),
              "Showing all 36 images requires a thumbnail matrix size of 1x36, 2x18, 3x12, 4x9 "
              "or 6x6.");
    EXPECT_EQ(thumbnailMatrixHint(7),
              "Showing all 7 images requires a thumbnail matrix size of 1x7.");
    EXPECT_EQ(thumbnailMatrixHint(1),
              "Showing all 1 images requires a thumbnail matrix size of 1x1.");
    EXPECT_EQ(thumbnailMatrixHint(200),
              "Showing all 200 images requires a thumbnail matrix size of 1x200, 2x100, 4x50, "
              "5x40, 8x25 or 10x20.");
    EXPECT_EQ(thumbnailMatrixHint(0), "Showing all 0 images requires a thumbnail matrix size of .");
    EXPECT_EQ(thumbnailMatrixHint(6),
              "Showing all 6 images requires a thumbnail matrix size of 1x6 or 2x3.");
    // Perfect squares include their root; candidates stop at 10 even for a larger root.
    EXPECT_EQ(thumbnailMatrixHint(121),
              "Showing all 121 images requires a thumbnail matrix size of 1x121.");
}

TEST(SimpleViewerPadding, outOfRangePaddingIsCorrectedWithAMessage) {
    ScriptedPlatform platform;
    SimpleViewerOptionsDialog dlg(platform, 10);
    dlg.stagePadding = "250";
    platform.expectMessage("Information",
                           "Stage padding must have a size between 0 and 100.\n\nThe closest "
                           "value has been inserted.");
    EXPECT_TRUE(dlg.checkStagePadding());
    EXPECT_EQ(dlg.stagePadding, "100");
    dlg.stagePadding = "100";
    EXPECT_TRUE(dlg.checkStagePadding());
    dlg.stagePadding = "0";
    EXPECT_TRUE(dlg.checkStagePadding());
    EXPECT_TRUE(platform.finished());
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST(SimpleViewerPadding, okCorrectsATypedValueAndRefusesAnEmptyBox) {
    ScriptedPlatform platform;
    SimpleViewerOptionsDialog dlg(platform, 10);
    dlg.stagePadding = "";
    EXPECT_FALSE(dlg.checkStagePadding());  // leaving the box says nothing yet
    EXPECT_TRUE(platform.messages.empty());
    platform.expectMessage("Kavlo", "Please enter a positive whole number.");
    EXPECT_FALSE(dlg.ok());
    dlg.stagePadding = "999";
    platform.expectMessage("Information", "Stage padding must have a size between 0 and 100.");
    EXPECT_TRUE(dlg.ok());
    EXPECT_EQ(dlg.stagePaddingValue(), 100);
    EXPECT_TRUE(platform.finished());
}

TEST(SimpleViewerColours, chosenColoursAreStoredAndCancelKeepsThem) {
    ColourPlatform platform;
    SimpleViewerOptionsDialog dlg(platform, 3);
    EXPECT_EQ(dlg.backgroundColour, 0x191919u);
    EXPECT_EQ(dlg.textColour, 0xFFFFFFu);
    EXPECT_EQ(dlg.frameColour, 0x555555u);
    platform.answer = 0x0000FF;
    EXPECT_TRUE(dlg.chooseFrameColour());
    EXPECT_EQ(platform.lastInitial, 0x555555u);
    EXPECT_EQ(dlg.frameColour, 0x0000FFu);
    EXPECT_EQ(dlg.customColours[0], 0xABCDEFu);
    platform.answer.reset();
    EXPECT_FALSE(dlg.chooseBackgroundColour());
    EXPECT_EQ(dlg.backgroundColour, 0x191919u);
}

}  // namespace kavlo::ui
