// SPDX-License-Identifier: MIT
// Options window logic: size checks, quality mapping, languages and skins, enabling
// rules, the handlers' effect on reuse, the SimpleViewer question, OK and Cancel, and
// the two sub-windows' values.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../core/scripted_platform.h"
#include "ui/options_dialog.h"
#include "ui/simpleviewer_options_dialog.h"
#include "ui/watermark_dialog.h"
#include "util/files.h"

namespace fs = std::filesystem;
namespace kavlo::ui {

using util::WatermarkPosition;

using util::StripPosition;

using model::ExifCaptionPlace;

using core::Message;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using kavlo::test::ScriptedPlatform;
using model::AlbumModel;
using model::AlbumSettings;
using model::defaultAlbumSettings;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kDejaVuBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::string scratch(const std::string& name) {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "ui-options" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void touch(const std::string& path) { std::ofstream(path) << "body { color: black; }\n"; }

/// A css folder holding the skins "dim" and "light".
std::string cssFolder() {
    static const std::string dir = [] {
        // One per process: the tests of this file run side by side under ctest.
        std::string d = scratch("css-" + std::to_string(::getpid()));
        touch(d + "/appearance_dim.css");
        touch(d + "/appearance_light.css");
        return d;
    }();
    return dir;
}

struct Fixture {
    AlbumSettings settings = defaultAlbumSettings();
    ExifCaptionPlace exifpos = ExifCaptionPlace::minorCaption;
    AlbumModel album;
    ScriptedPlatform platform;

    OptionsDialog make() { return OptionsDialog(settings, exifpos, album, platform, cssFolder()); }
};

// Sub-windows that answer from the test.
struct ScriptedWindows : OptionsSubWindows {
    std::function<bool(SimpleViewerOptionsDialog&)> simpleViewer;
    std::function<bool(WatermarkDialog&)> watermark;
    bool runSimpleViewerOptions(SimpleViewerOptionsDialog& d) override { return simpleViewer(d); }
    bool runWatermarkDialog(WatermarkDialog& d) override { return watermark(d); }
};

}  // namespace

TEST(OptionsNumbers, numberBoxesAcceptDigitsOnlyAndSaturate) {
    EXPECT_EQ(parseNumberBox("0"), 0);
    EXPECT_EQ(parseNumberBox("552"), 552);
    EXPECT_EQ(parseNumberBox("99999999999999999999"), 999999999);
    EXPECT_FALSE(parseNumberBox(""));
    EXPECT_FALSE(parseNumberBox("-5"));
    EXPECT_FALSE(parseNumberBox("12a"));
    EXPECT_FALSE(parseNumberBox(" 12"));
}

TEST(OptionsNumbers, closestValueFollowsTheCheckRules) {
    EXPECT_EQ(closestInRange(5, 8, 100), 8);
    EXPECT_EQ(closestInRange(200, 8, 100), 100);
    EXPECT_EQ(closestInRange(50, 8, 100), 50);
    // min > max: below min gives min unless it also exceeds max.
    EXPECT_EQ(closestInRange(100, 201, 149), 201);
    EXPECT_EQ(closestInRange(180, 201, 149), 149);
}

TEST(OptionsQuality, storedQualitiesMapToThreeListEntries) {
    EXPECT_EQ(qualityIndex(1), 0);
    EXPECT_EQ(qualityIndex(60), 0);
    EXPECT_EQ(qualityIndex(61), 1);
    EXPECT_EQ(qualityIndex(85), 1);
    EXPECT_EQ(qualityIndex(86), 2);
    EXPECT_EQ(qualityIndex(100), 2);
    EXPECT_EQ(qualityValue(0), 60);
    EXPECT_EQ(qualityValue(1), 85);
    EXPECT_EQ(qualityValue(2), 94);
    EXPECT_EQ(qualityItems().size(), 3u);
}

TEST(OptionsQuality, aStoredSeventyShowsAsMediumAndIsWrittenBackAsEightyFive) {
    Fixture f;
    f.settings.mquality = 70;
    f.settings.squality = 50;
    f.settings.lquality = 90;
    OptionsDialog dlg = f.make();
    dlg.open();
    EXPECT_EQ(qualityItems()[dlg.controls.mainQuality], "Medium");
    ASSERT_TRUE(dlg.ok());
    EXPECT_EQ(f.settings.mquality, 85);
    EXPECT_EQ(f.settings.squality, 60);
    EXPECT_EQ(f.settings.lquality, 94);
}

TEST(OptionsLists, languageTableHoldsTheTwentyEightLanguagesSortedByName) {
    const auto& table = languageTable();
    EXPECT_EQ(table.size(), 28u);
    EXPECT_EQ(table.at("uk"), "English");
    EXPECT_EQ(table.at("esp"), "Esperanto");
    EXPECT_EQ(table.at("tw"), "Traditional Chinese");
    const auto names = sortedDisplayNames(table);
    EXPECT_EQ(names.front(), "Croatian");
    EXPECT_EQ(names.back(), "Turkish");
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST(OptionsLists, skinsAreTheAppearanceStyleSheetsOnly) {
    const std::string dir = scratch("skins");
    for (const char* name : {"appearance_dim.css", "appearance_light.css", "print.css",
                             "myappearance_x.css", "appearance_dark.txt"})
        touch(dir + "/" + name);
    const auto skins = discoverSkins(dir);
    ASSERT_EQ(skins.size(), 2u);
    EXPECT_EQ(skins.at("dim"), "Dim");
    EXPECT_EQ(skins.at("light"), "Light");
    EXPECT_TRUE(discoverSkins(dir + "/missing").empty());
}

TEST(OptionsOpening, unknownLanguageAndSkinAreReportedAndKeptOnOk) {
    Fixture f;
    f.settings.language = "xx";
    f.settings.appearance = "gone";
    OptionsDialog dlg = f.make();
    f.platform.expectMessage("Fatal error", "Language 'xx' was not found.");
    f.platform.expectMessage("Fatal error", "Skin 'gone' was not found.");
    dlg.open();
    EXPECT_TRUE(f.platform.finished());
    EXPECT_EQ(dlg.controls.language, "");
    EXPECT_EQ(dlg.controls.skin, "");
    ASSERT_TRUE(dlg.ok());
    EXPECT_EQ(f.settings.language, "xx");
    EXPECT_EQ(f.settings.appearance, "gone");
}

TEST(OptionsOpening, knownLanguageAndSkinAreSelectedAndChangedOnOk) {
    Fixture f;
    f.settings.language = "de";
    OptionsDialog dlg = f.make();
    dlg.open();
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_EQ(dlg.controls.language, "German");
    EXPECT_EQ(dlg.controls.skin, "Dim");
    dlg.controls.language = "Esperanto";
    dlg.controls.skin = "Light";
    ASSERT_TRUE(dlg.ok());
    EXPECT_EQ(f.settings.language, "esp");
    EXPECT_EQ(f.settings.appearance, "light");
}

TEST(OptionsSizes, mainSizesAreBoundByThumbnailsAndLargeImages) {
    Fixture f;  // thumbnails shown at 80, large images hidden
    OptionsDialog dlg = f.make();
    dlg.open();

    dlg.controls.mainWidth = "3000";
    f.platform.expectMessage("Information",
                             "Main images must have a size between 81 and 2048.\n\nThe closest "
                             "value has been inserted.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::MainWidth));
    EXPECT_EQ(dlg.controls.mainWidth, "2048");

    dlg.controls.mainHeight = "3000";
    EXPECT_FALSE(dlg.checkSize(SizeBox::MainHeight));
    EXPECT_EQ(dlg.controls.mainHeight, "3000");
    dlg.controls.mainHeight = "5000";
    f.platform.expectMessage("Information", "Main images must have a size between 81 and 4096.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::MainHeight));
    EXPECT_EQ(dlg.controls.mainHeight, "4096");

    // Large images shown at 1024 cap the main width at 1023.
    dlg.controls.large = true;
    dlg.controls.mainWidth = "1024";
    f.platform.expectMessage("Information", "Main images must have a size between 81 and 1023.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::MainWidth));
    EXPECT_EQ(dlg.controls.mainWidth, "1023");
    EXPECT_TRUE(f.platform.finished());
}

TEST(OptionsSizes, hiddenThumbnailsLetMainImagesShrinkToSixteen) {
    Fixture f;
    OptionsDialog dlg = f.make();
    dlg.open();
    dlg.controls.small = false;
    dlg.controls.mainWidth = "10";
    f.platform.expectMessage("Information", "Main images must have a size between 16 and 2048.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::MainWidth));
    EXPECT_EQ(dlg.controls.mainWidth, "16");
    // The thumbnail box is still checked against the main sizes, with minimum 8.
    dlg.controls.smallSize = "4";
    f.platform.expectMessage("Information", "Thumbnails must have a size between 8 and 15.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::Thumbnails));
    EXPECT_EQ(dlg.controls.smallSize, "8");
}

TEST(OptionsSizes, thumbnailAndLargeRangesFollowTheMainSizes) {
    Fixture f;
    f.settings.mhsize = 552;
    f.settings.mvsize = 400;
    OptionsDialog dlg = f.make();
    dlg.open();
    dlg.controls.smallSize = "600";
    f.platform.expectMessage("Information", "Thumbnails must have a size between 8 and 399.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::Thumbnails));
    EXPECT_EQ(dlg.controls.smallSize, "399");
    dlg.controls.largeSize = "300";
    f.platform.expectMessage("Information", "Large images must have a size between 553 and 4096.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::Large));
    EXPECT_EQ(dlg.controls.largeSize, "553");
}

TEST(OptionsSizes, minimumAboveMaximumInsertsTheMinimum) {
    Fixture f;
    OptionsDialog dlg = f.make();
    dlg.open();
    dlg.controls.smallSize = "200";
    dlg.controls.large = true;
    dlg.controls.largeSize = "150";
    dlg.controls.mainWidth = "100";
    EXPECT_EQ(dlg.sizeRange(SizeBox::MainWidth), (std::pair{201, 149}));
    f.platform.expectMessage("Information", "Main images must have a size between 201 and 149.");
    EXPECT_TRUE(dlg.checkSize(SizeBox::MainWidth));
    EXPECT_EQ(dlg.controls.mainWidth, "201");
}

TEST(OptionsSizes, aBoxWithoutNumberSkipsTheChecksAndBlocksOk) {
    Fixture f;
    const AlbumSettings before = f.settings;
    OptionsDialog dlg = f.make();
    dlg.open();
    dlg.controls.mainWidth = "";
    dlg.controls.imagetext = true;
    EXPECT_FALSE(dlg.checkSize(SizeBox::Thumbnails));
    EXPECT_TRUE(f.platform.messages.empty());
    f.platform.expectMessage("Kavlo", "Please enter a positive whole number.");
    EXPECT_FALSE(dlg.ok());
    EXPECT_EQ(f.settings.imagetext, before.imagetext);
    EXPECT_EQ(f.settings.mhsize, before.mhsize);
    EXPECT_TRUE(f.platform.finished());
}

TEST(OptionsEnabling, controlsFollowTheirSwitches) {
    Fixture f;
    OptionsDialog dlg = f.make();
    dlg.open();
    OptionsEnabled e = dlg.enabled();
    EXPECT_FALSE(e.svOptions);
    EXPECT_FALSE(e.watermarkEdit);
    EXPECT_TRUE(e.smallSize);
    EXPECT_TRUE(e.smallOthers);
    EXPECT_FALSE(e.largeSize);
    EXPECT_FALSE(e.copyhires);

    dlg.controls.large = true;
    dlg.clickedLarge();
    e = dlg.enabled();
    EXPECT_TRUE(e.largeSize);
    EXPECT_TRUE(e.copyhires);
    EXPECT_FALSE(e.striplocation);
    dlg.controls.copyhires = true;
    dlg.clickedCopyHires();
    e = dlg.enabled();
    EXPECT_FALSE(e.largeSize);
    EXPECT_TRUE(e.copyhires);
    EXPECT_TRUE(e.striplocation) << "only published originals can lose their position";

    dlg.controls.small = false;
    dlg.clickedSmall();
    e = dlg.enabled();
    EXPECT_FALSE(e.smallSize);
    EXPECT_FALSE(e.smallOthers);

    dlg.controls.imagetext = true;
    dlg.clickedImageText();
    EXPECT_TRUE(dlg.enabled().watermarkEdit);
}

TEST(OptionsHandlers, onlyImageAffectingChangesStopReuse) {
    Fixture f;
    OptionsDialog dlg = f.make();
    dlg.open();
    f.settings.reuseimages = true;
    dlg.controls.exifIndex = 2;  // the language and Exif lists change nothing
    EXPECT_TRUE(f.settings.reuseimages);
    dlg.changedQuality();
    EXPECT_FALSE(f.settings.reuseimages);
    f.settings.reuseimages = true;
    dlg.clickedSharpen();
    EXPECT_FALSE(f.settings.reuseimages);
    f.settings.reuseimages = true;
    dlg.clickedAutorotate();
    EXPECT_FALSE(f.settings.reuseimages);
    EXPECT_FALSE(f.settings.cleardirs);
    f.settings.reuseimages = true;
    dlg.clickedOrgFileNames();
    EXPECT_FALSE(f.settings.reuseimages);
    EXPECT_TRUE(f.settings.cleardirs);

    // Copies published before keep their position: a change makes them again.
    f.settings.reuseimages = true;
    ASSERT_TRUE(dlg.ok());
    EXPECT_TRUE(f.settings.reuseimages);
    dlg.controls.striplocation = true;
    ASSERT_TRUE(dlg.ok());
    EXPECT_TRUE(f.settings.striplocation);
    EXPECT_FALSE(f.settings.reuseimages);
}

TEST(OptionsSimpleViewer, yesSetsTheSquareThumbnailSizeAndLocksTheBox) {
    Fixture f;
    OptionsDialog dlg = f.make();
    dlg.open();
    f.settings.reuseimages = true;
    dlg.controls.simpleviewer = true;
    f.platform.expectMessage("SimpleViewer Information",
                             "SimpleViewer will add image fades, better image caching and in "
                             "general provide a more dynamic experience for users with the Flash "
                             "plugin. Users without this will see the standard Kavlo album.\n\n",
                             MessageAnswer::Yes);
    dlg.clickedSimpleViewer();
    ASSERT_TRUE(f.platform.finished());
    const Message& q = f.platform.messages.back();
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
    EXPECT_EQ(q.icon, MessageIcon::Information);
    EXPECT_TRUE(
        q.text.ends_with("\n\nWould you like use SimpleViewer as the primary album viewer?"));
    EXPECT_EQ(dlg.controls.smallSize, "65");
    EXPECT_FALSE(dlg.enabled().smallSize);
    EXPECT_TRUE(dlg.enabled().svOptions);
    EXPECT_FALSE(f.settings.reuseimages);
    ASSERT_TRUE(dlg.ok());
    EXPECT_TRUE(f.settings.simpleviewer);
    EXPECT_EQ(f.settings.shsize, 65);
    EXPECT_EQ(f.settings.svsize, 65);
}

TEST(OptionsSimpleViewer, noUnchecksTheBoxAndKeepsEverything) {
    Fixture f;
    OptionsDialog dlg = f.make();
    dlg.open();
    f.settings.reuseimages = true;
    dlg.controls.simpleviewer = true;
    f.platform.expectMessage("SimpleViewer Information", "SimpleViewer will add",
                             MessageAnswer::No);
    dlg.clickedSimpleViewer();
    EXPECT_FALSE(dlg.controls.simpleviewer);
    EXPECT_EQ(dlg.controls.smallSize, "80");
    EXPECT_TRUE(f.settings.reuseimages);
    // Unchecking asks nothing but stops reuse.
    dlg.controls.simpleviewer = false;
    dlg.clickedSimpleViewer();
    EXPECT_FALSE(f.settings.reuseimages);
}

TEST(OptionsOk, okWritesEveryControlAndCancelWritesNothing) {
    Fixture f;
    const AlbumSettings before = f.settings;
    {
        OptionsDialog dlg = f.make();
        dlg.open();
        dlg.controls.smallSize = "100";
        dlg.controls.mainWidth = "800";
        dlg.controls.large = true;
        dlg.controls.largeSize = "1600";
        dlg.controls.exifIndex = 1;
        // Cancel: the window closes without ok().
    }
    EXPECT_EQ(f.settings.shsize, before.shsize);
    EXPECT_EQ(f.settings.mhsize, before.mhsize);
    EXPECT_EQ(f.settings.large, before.large);
    EXPECT_EQ(f.exifpos, ExifCaptionPlace::minorCaption);

    OptionsDialog dlg = f.make();
    dlg.open();
    OptionsControls& c = dlg.controls;
    c.smallSize = "100";
    c.mainWidth = "800";
    c.mainHeight = "600";
    c.large = true;
    c.largeSize = "1600";
    c.smallPosition = 3;
    c.smallSharpen = false;
    c.mainSharpen = false;
    c.largeSharpen = false;
    c.copyhires = true;
    c.exifIndex = 1;
    c.autorotate = false;
    c.imagetext = true;
    c.orgfilenames = true;
    c.smallQuality = 2;
    ASSERT_TRUE(dlg.ok());
    const AlbumSettings& s = f.settings;
    EXPECT_EQ(s.shsize, 100);
    EXPECT_EQ(s.svsize, 100);
    EXPECT_EQ(s.mhsize, 800);
    EXPECT_EQ(s.mvsize, 600);
    EXPECT_EQ(s.lhsize, 1600);
    EXPECT_EQ(s.lvsize, 1600);
    EXPECT_TRUE(s.large);
    EXPECT_EQ(s.smallpos, StripPosition::bottom);
    EXPECT_FALSE(s.ssharpen || s.msharpen || s.lsharpen);
    EXPECT_TRUE(s.copyhires);
    EXPECT_EQ(f.exifpos, ExifCaptionPlace::majorCaption);
    EXPECT_FALSE(s.autorotate);
    EXPECT_TRUE(s.imagetext);
    EXPECT_TRUE(s.orgfilenames);
    EXPECT_EQ(s.squality, 94);
}

TEST(OptionsSubWindows, simpleViewerOptionsGoInAndComeBack) {
    Fixture f;
    f.album.appendFiles({"/a/1.jpg", "/a/2.jpg", "/a/3.jpg", "/a/4.jpg"});
    f.settings.svthumbrows = 4;
    f.settings.svthumbcols = 5;
    f.settings.svframesize = 7;
    f.settings.svstagepadding = 20;
    f.settings.svcropthumbs = false;
    OptionsDialog dlg = f.make();
    dlg.open();
    ScriptedWindows windows;
    windows.simpleViewer = [](SimpleViewerOptionsDialog& d) {
        EXPECT_EQ(d.imageCount, 4);
        EXPECT_EQ(d.rowIndex, 3);
        EXPECT_EQ(d.columnIndex, 4);
        EXPECT_EQ(d.frameSize, 7);
        EXPECT_EQ(d.stagePadding, "20");
        EXPECT_EQ(d.scaling, "Fit");
        EXPECT_EQ(d.backgroundColour, 0x191919u);
        d.rowIndex = 0;
        d.columnIndex = 19;
        d.textColour = 0x123456;
        d.stagePadding = "0";
        return d.ok();
    };
    f.settings.reuseimages = true;
    dlg.simpleViewerOptions(windows);
    EXPECT_EQ(f.settings.svthumbrows, 1);
    EXPECT_EQ(f.settings.svthumbcols, 20);
    EXPECT_EQ(f.settings.svtextcolor, 0x123456u);
    EXPECT_EQ(f.settings.svstagepadding, 0);
    EXPECT_FALSE(f.settings.svcropthumbs);
    // Text colour and matrix do not touch the images.
    EXPECT_TRUE(f.settings.reuseimages);

    windows.simpleViewer = [](SimpleViewerOptionsDialog& d) {
        d.scaling = "Crop";
        return true;
    };
    dlg.simpleViewerOptions(windows);
    EXPECT_TRUE(f.settings.svcropthumbs);
    EXPECT_FALSE(f.settings.reuseimages);

    f.settings.reuseimages = true;
    windows.simpleViewer = [](SimpleViewerOptionsDialog& d) {
        d.backgroundColour = 0;
        return false;  // Cancel
    };
    dlg.simpleViewerOptions(windows);
    EXPECT_EQ(f.settings.svbgcolor, 0x191919u);
    EXPECT_TRUE(f.settings.reuseimages);
}

TEST(OptionsSubWindows, watermarkEditorResultIsStoredUnderTheWaitCursorUntilReady) {
    Fixture f;
    f.settings.itfontfile = kDejaVu;
    f.settings.itfontsize = 12;
    OptionsDialog dlg = f.make();
    dlg.setFontFiles({kDejaVu, kDejaVuBold});
    dlg.open();
    ScriptedWindows windows;
    windows.watermark = [&](WatermarkDialog& d) {
        EXPECT_FALSE(f.platform.waitCursor);
        EXPECT_EQ(d.fontName, "DejaVu Sans");
        EXPECT_EQ(d.sizeText, "12");
        d.fontName = "DejaVu Sans Bold";
        d.sizeText = "24";
        d.text = "Hello";
        d.position = 6;
        d.transparency = 3;
        d.updatePreview();
        return true;
    };
    f.settings.reuseimages = true;
    dlg.editWatermark(windows);
    EXPECT_EQ(f.settings.itfontfile, kDejaVuBold);
    EXPECT_EQ(f.settings.itfontsize, 24);
    EXPECT_EQ(f.settings.ittext, "Hello");
    EXPECT_EQ(f.settings.itposition, WatermarkPosition::centre);
    EXPECT_EQ(f.settings.ittransp, 3);
    EXPECT_FALSE(f.settings.reuseimages);
}

TEST(OptionsSubWindows, watermarkOkKeepsAFontPathAndSizeTheEditorCouldNotShow) {
    Fixture f;
    f.settings.itfontfile = "/home/someone/fonts/Private.ttf";
    f.settings.itfontsize = 22;  // not in the size list
    OptionsDialog dlg = f.make();
    dlg.setFontFiles({kDejaVu});
    dlg.open();
    ScriptedWindows windows;
    windows.watermark = [](WatermarkDialog& d) {
        EXPECT_EQ(d.fontName, "");
        EXPECT_EQ(d.sizeText, "");
        EXPECT_EQ(d.result().fontFile, "Private.ttf");
        return true;
    };
    dlg.editWatermark(windows);
    EXPECT_EQ(f.settings.itfontfile, "/home/someone/fonts/Private.ttf");
    EXPECT_EQ(f.settings.itfontsize, 22);
}

}  // namespace kavlo::ui
