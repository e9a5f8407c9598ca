// SPDX-License-Identifier: MIT
// Settings on the command line: --set and the named options, read and checked before
// anything runs, then applied to an album with the Options window's checks.
#include <gtest/gtest.h>

#include "../core/scripted_platform.h"
#include "ui/command_line.h"
#include "util/files.h"
#include "util/fonts.h"

namespace kavlo::ui {
namespace {

using kavlo::test::ScriptedPlatform;
using model::AlbumModel;
using model::AlbumSettings;
using model::ExifCaptionPlace;

SettingChoices choices() {
    SettingChoices c;
    c.skins = {{"dark", "Dark"}, {"dim", "Dim"}};
    c.languages = {"uk", "de"};
    return c;
}

ProgramOptions parse(const std::vector<std::string>& args) {
    return parseProgramOptions(args, choices());
}

/// The overrides as "key=value" texts.
std::vector<std::string> pairs(const ProgramOptions& o) {
    std::vector<std::string> out;
    for (const SettingOverride& s : o.settings) out.push_back(s.key + "=" + s.value);
    return out;
}

using Pairs = std::vector<std::string>;

TEST(CommandLine, setSplitsAtTheFirstEqualSignAndKeepsEveryValueInOrder) {
    ProgramOptions o = parse({"/photos", "--set", "ittext=a=b", "--set=linkurl=x?y=1", "--set",
                              "mquality=50", "--SET", "MQUALITY=70", "--set", "linktext="});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(pairs(o),
              (Pairs{"ittext=a=b", "linkurl=x?y=1", "mquality=50", "mquality=70", "linktext="}));
    EXPECT_EQ(o.album.folder, "/photos");

    // Values given to options are not taken for the folder, even when they look like one.
    o = parse({"--title", "/nowhere", "--footer", "", "/photos"});
    EXPECT_EQ(o.album.folder, "/photos");
    EXPECT_EQ(o.title, "/nowhere");
    EXPECT_EQ(o.footer, "");
}

TEST(CommandLine, namedOptionsStandForTheirKeys) {
    const ProgramOptions o =
        parse({"--skin", "DARK", "--language=German", "--thumbnail-size", "100", "--main-size",
               "800x600", "--large-size", "1600", "--quality", "70", "--watermark", "(c) Ann"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(pairs(o),
              (Pairs{"appearance=dark", "language=de", "ssize=100", "mhsize=800", "mvsize=600",
                     "large=yes", "lsize=1600", "squality=70", "mquality=70", "lquality=70",
                     "imagetext=yes", "itfrommicap=no", "ittext=(c) Ann"}));
    EXPECT_EQ(pairs(parse({"--main-size", "700"})), (Pairs{"msize=700"}));
    EXPECT_EQ(pairs(parse({"--strip-location"})), (Pairs{"striplocation=yes"}));
    EXPECT_EQ(pairs(parse({"--set", "StripLocation=1"})), (Pairs{"striplocation=yes"}));
    EXPECT_EQ(parse({"--strip-location=yes"}).error, "--strip-location takes no value");
}

TEST(CommandLine, valuesAreBroughtToTheSettingsFilesForm) {
    const ProgramOptions o = parse({"--set", "small=TRUE",
                                    "--set", "large=off",
                                    "--set", "itcolor=#FF8800",
                                    "--set", "smallpos=Top",
                                    "--set", "itposition=bottom-center",
                                    "--set", "itposition=3",
                                    "--set", "language=uk",
                                    "--set", "exifformat=",
                                    "--set", "shsize=0099",
                                    "--set", "sdir=thumbs"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(pairs(o),
              (Pairs{"small=yes", "large=no", "itcolor=ff8800", "smallpos=top", "itposition=4",
                     "itposition=3", "language=uk", "exifformat=", "shsize=99", "sdir=thumbs"}));
}

TEST(CommandLine, refusesUnknownKeysBadValuesAndMissingValues) {
    struct Case {
        std::vector<std::string> args;
        const char* named;  // the error names the key or option
    };
    const std::vector<Case> cases = {
        {{"--set", "colour=red"}, "colour"},
        {{"--set", "inputdir=/x"}, "inputdir"},
        {{"--set", "mquality"}, "--set"},
        {{"--set", "=5"}, "--set"},
        {{"--set"}, "--set"},
        {{"--set", "small=maybe"}, "small"},
        {{"--set", "mquality=0"}, "mquality"},
        {{"--set", "lquality=101"}, "lquality"},
        {{"--set", "mhsize="}, "mhsize"},
        {{"--set", "mhsize=-5"}, "mhsize"},
        {{"--set", "mvsize=12px"}, "mvsize"},
        {{"--set", "svbgcolor=12345g"}, "svbgcolor"},
        {{"--set", "smallpos=middle"}, "smallpos"},
        {{"--set", "mdir=../elsewhere"}, "mdir"},
        {{"--set", "itposition=7"}, "itposition"},
        {{"--set", "ittransp=10"}, "ittransp"},
        {{"--set", "svthumbrows=21"}, "svthumbrows"},
        {{"--set", "exifpos=3"}, "exifpos"},
        {{"--set", "exifformat=eaz"}, "exifformat"},
        {{"--set", "itfontfile=/no/such/font.ttf"}, "itfontfile"},
        {{"--skin", "classic"}, "appearance"},
        {{"--language", "xx"}, "language"},
        {{"--main-size", "800x"}, "mvsize"},
        {{"--quality", "best"}, "--quality"},
        {{"--watermark", ""}, "--watermark"},
        {{"--settings", ""}, "--settings"},
        {{"--title"}, "--title"},
        {{"--quiet=yes"}, "--quiet"},
    };
    for (const Case& c : cases) {
        const ProgramOptions o = parse(c.args);
        EXPECT_NE(o.error.find(c.named), std::string::npos) << c.args[0] << ": '" << o.error << "'";
    }
    // The first refusal is the one reported.
    EXPECT_NE(parse({"--set", "a=1", "--set", "b=2"}).error.find("'a'"), std::string::npos);
}

TEST(CommandLine, fontsAreFilesOrInstalledFontNames) {
    const std::vector<std::string> fonts = util::installedFontFiles();
    if (fonts.empty()) GTEST_SKIP() << "fontconfig knows no TrueType file";
    const std::string& font = fonts.front();
    EXPECT_EQ(pairs(parse({"--set", "itfontfile=" + font})), (Pairs{"itfontfile=" + font}));
    EXPECT_EQ(pairs(parse({"--set", "itfontfile=" + util::fileNameOf(font)})),
              (Pairs{"itfontfile=" + font}));
}

TEST(CommandLine, helpListsEveryKeyAndTheTemplateSetsChoices) {
    const std::string help = usageText(choices());
    for (const std::string& key : settingKeys())
        EXPECT_NE(help.find(key), std::string::npos) << key;
    for (const char* word : {"--set KEY=VALUE", "dark, dim", "de (German)", "uk (English)",
                             "--print-settings", "--settings FILE", "--quiet", "saves the"})
        EXPECT_NE(help.find(word), std::string::npos) << word;

    // The installed template set's skins and languages are found.
    const SettingChoices installed =
        SettingChoices::fromTemplates(std::string(KAVLO_SOURCE_DIR) + "/templates");
    EXPECT_TRUE(installed.skins.count("dim"));
    EXPECT_EQ(installed.languages.size(), 28u);
    EXPECT_EQ(installed.languages.front(), "hr");  // Croatian comes first by name
}

// ---- Applying the settings ----------------------------------------------------------

struct Applied {
    ScriptedPlatform platform;
    AlbumModel album;
    std::optional<ExifCaptionPlace> exifpos;

    explicit Applied(bool opened = false) {
        album.settings = AlbumSettings();
        album.settings.reuseimages = opened;
    }
    void apply(const std::vector<std::string>& args) {
        const ProgramOptions o = parse(args);
        ASSERT_TRUE(o.error.empty()) << o.error;
        exifpos = applySettingOverrides(o.settings, album.settings, album, platform,
                                        std::string(KAVLO_SOURCE_DIR) + "/templates/js2/ext/css");
        EXPECT_TRUE(platform.finished());
    }
    const AlbumSettings& s() const { return album.settings; }
};

TEST(SettingOverrides, sizesOutOfRangeAreCorrectedWithTheOptionsWindowsMessage) {
    Applied a;
    a.platform.expectMessage("Information", "Main images must have a size between 81 and 2048.\n\n"
                                            "The closest value has been inserted.");
    a.apply({"--set", "mhsize=3000", "--set", "mvsize=3000"});
    EXPECT_EQ(a.s().mhsize, 2048);
    EXPECT_EQ(a.s().mvsize, 3000);  // heights go up to 4096

    // A named option combined with --set: large images on at 1000 turn every size check
    // on, and the large size must exceed the main width given after it.
    Applied b;
    b.platform.expectMessage("Information", "Large images must have a size between 1201 and 4096");
    b.apply({"--large-size", "1000", "--set", "mhsize=1200"});
    EXPECT_TRUE(b.s().large);
    EXPECT_EQ(b.s().lhsize, 1201);
    EXPECT_EQ(b.s().lvsize, 1201);
    EXPECT_EQ(b.s().mhsize, 1200);

    // Thumbnail width and height apart: each is checked against the main size.
    Applied c;
    c.platform.expectMessage("Information", "Thumbnails must have a size between 8 and 551");
    c.apply({"--set", "shsize=1000"});
    EXPECT_EQ(c.s().shsize, 551);
    EXPECT_EQ(c.s().svsize, 80);

    Applied d;
    d.platform.expectMessage("Information", "Stage padding must have a size between 0 and 100");
    d.apply({"--set", "svstagepadding=500"});
    EXPECT_EQ(d.s().svstagepadding, 100);

    // Sizes in range, and other keys, say nothing.
    Applied e;
    e.apply({"--thumbnail-size", "100", "--main-size", "800x600", "--skin", "dark"});
    EXPECT_EQ(e.s().shsize, 100);
    EXPECT_EQ(e.s().mvsize, 600);
    EXPECT_EQ(e.s().appearance, "dark");
}

TEST(SettingOverrides, laterValuesWinAndChangesThatAlterImagesStopTheirReuse) {
    Applied a(true);
    a.apply({"--set", "large=yes", "--set", "large=no", "--set", "mquality=85", "--set",
             "mhsize=600", "--skin", "dark", "--set", "exifpos=2"});
    EXPECT_FALSE(a.s().large);
    EXPECT_TRUE(a.s().reuseimages);  // large went back, quality and size kept their meaning
    EXPECT_FALSE(a.s().cleardirs);
    EXPECT_EQ(a.exifpos, ExifCaptionPlace::none);

    for (const char* set : {"mquality=70", "ssharpen=no", "autorotate=no", "ittext=x",
                            "itcolor=000000", "svcropthumbs=no", "copyhires=yes"}) {
        Applied b(true);
        b.apply({"--set", set});
        EXPECT_FALSE(b.s().reuseimages) << set;
        EXPECT_FALSE(b.s().cleardirs) << set;
    }
    Applied r(true);
    r.apply({"--set", "renditions=0"});
    EXPECT_FALSE(r.s().renditions);
    EXPECT_FALSE(r.s().reuseimages);

    Applied c(true);
    c.apply({"--set", "orgfilenames=yes"});
    EXPECT_TRUE(c.s().cleardirs);
    EXPECT_FALSE(c.s().reuseimages);

    // SimpleViewer thumbnails are squares of a fixed size.
    Applied d;
    d.apply({"--set", "simpleviewer=yes"});
    EXPECT_EQ(d.s().shsize, 65);
    EXPECT_EQ(d.s().svsize, 65);
}

}  // namespace
}  // namespace kavlo::ui
