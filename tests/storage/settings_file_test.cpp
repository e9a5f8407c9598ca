// SPDX-License-Identifier: MIT
#include "storage/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "storage/resource_values.h"
#include "util/files.h"

namespace kavlo::storage {

using model::AlbumSettings;
using model::ExifCaptionPlace;
using util::fileExists;
using util::readFile;
using util::StripPosition;
using util::WatermarkPosition;

namespace fs = std::filesystem;

namespace {

std::string scratch(const std::string& name) {
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/storage/settings/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string slurp(const std::string& path) {
    std::string s;
    EXPECT_TRUE(readFile(path, s)) << path;
    return s;
}

// A settings file holding just these key lines.
std::string settingsWith(const std::string& name, const std::string& lines) {
    const std::string path = scratch(name) + "/kavlo_settings.xml";
    std::ofstream(path, std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<resource>\r\n<values\r\n"
        << lines << "/>\r\n</resource>\r\n";
    return path;
}

AlbumSettings fixedDefaults() {
    AlbumSettings s;
    s.itfontfile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    return s;
}

}  // namespace

TEST(SettingsFile, defaultSettingsAreWrittenByteForByte) {
    const std::string path = scratch("golden") + "/kavlo_settings.xml";
    ASSERT_TRUE(saveSettingsFile(path, ExifCaptionPlace::minorCaption,
                                 "/home/anna/Pictures/Rome & Ostia", fixedDefaults()));
    EXPECT_EQ(slurp(path), slurp(std::string(KAVLO_FIXTURES) + "/storage/default_settings.xml"));
}

TEST(SettingsFile, everyBlockFieldSurvivesAWriteAndReadExceptTheLinks) {
    AlbumSettings s = fixedDefaults();
    s.appearance = "n\xC3\xA9on";
    s.language = "de";
    s.small = false;
    s.shsize = 101;
    s.svsize = 102;
    s.squality = 60;
    s.ssharpen = false;
    s.smallpos = StripPosition::bottom;
    s.sdir = "th\xC3\xBCmbs";
    s.mhsize = 800;
    s.mvsize = 600;
    s.mquality = 94;
    s.msharpen = false;
    s.mdir = "main";
    s.large = true;
    s.lhsize = 2000;
    s.lvsize = 1900;
    s.lquality = 1;
    s.lsharpen = false;
    s.ldir = "big";
    s.copyhires = true;
    s.autorotate = false;
    s.linktext = "Home";
    s.linkurl = "http://example.org/?a=1&b=2";
    s.iptcformat = "%headline% <%city%> & \"more\"";
    s.exifformat = "eafitd";
    s.imagetext = true;
    s.ittext = "\xC2\xA9 Anna & Co \xE2\x82\xAC";
    s.itfrommicap = true;
    s.itfontfile = "/fonts/My Font.ttf";
    s.itfontsize = 48;
    s.itposition = WatermarkPosition::centre;
    s.ittransp = 9;
    s.itcolor = 0x123456;
    s.orgfilenames = true;
    s.simpleviewer = true;
    s.svframesize = 30;
    s.svthumbrows = 20;
    s.svthumbcols = 1;
    s.svstagepadding = -4;
    s.svbgcolor = 0x0000FF;
    s.svtextcolor = 0x00FF00;
    s.svframecolor = 0xFF0000;
    s.svcropthumbs = false;
    s.renditions = false;

    const std::string path = scratch("roundtrip") + "/kavlo_settings.xml";
    ASSERT_TRUE(saveSettingsFile(path, ExifCaptionPlace::none, "/in", s));
    AlbumSettings r;
    ASSERT_TRUE(readSettings(r, path));
    AlbumSettings expected = s;
    expected.linktext = r.linktext;  // the settings file holds no link keys
    expected.linkurl = r.linkurl;
    EXPECT_EQ(r.linktext, "");
    // Compare through the writer, which covers every stored field.
    EXPECT_EQ(writeSettings(r, true, true), writeSettings(expected, true, true));

    ResourceValues v;
    ASSERT_TRUE(v.load(path));
    EXPECT_EQ(v.getInt("exifpos"), 2);
    EXPECT_EQ(v.getString("inputdir"), "/in");
    EXPECT_EQ(v.getString("iptcformat"), s.iptcformat);
    EXPECT_EQ(v.getString("appearance"), s.appearance);
}

TEST(SettingsFile, addedKeysAreWrittenLastInTheOrderTheyWereAddedAndReadAsDefaultsWhenMissing) {
    AlbumSettings s = fixedDefaults();
    s.renditions = false;
    s.striplocation = true;
    const std::string on = writeSettings(s, true, false);
    const std::string tail = "  orgfilenames   = \"no\"\n"
                             "  renditions     = \"no\"\n"
                             "  striplocation  = \"yes\"\n";
    ASSERT_NE(on.find(tail), std::string::npos) << on;
    // Nothing but the envelope's end after them.
    EXPECT_EQ(on.find("=", on.find(tail) + tail.size()), std::string::npos);
    s.striplocation = false;
    EXPECT_NE(writeSettings(s, false, false).find("  striplocation  = \"no\"\n"),
              std::string::npos);

    const std::string path = scratch("striplocation") + "/kavlo_settings.xml";
    s.striplocation = true;
    ASSERT_TRUE(saveSettingsFile(path, ExifCaptionPlace::none, "/in", s));
    AlbumSettings r;
    ASSERT_TRUE(readSettings(r, path));
    EXPECT_TRUE(r.striplocation);
    EXPECT_FALSE(r.renditions);
    // Files written before the keys existed open with their defaults (a missing key
    // keeps the value the settings had).
    AlbumSettings older;
    older.striplocation = true;
    ASSERT_TRUE(readSettings(older, settingsWith("no_added_keys", "  large = \"yes\"\r\n")));
    EXPECT_TRUE(older.striplocation);
    AlbumSettings fresh;
    ASSERT_TRUE(readSettings(fresh, settingsWith("no_added_keys", "  large = \"yes\"\r\n")));
    EXPECT_FALSE(fresh.striplocation);
    EXPECT_TRUE(fresh.renditions);
}

TEST(SettingsFile, numbersOutsideTheNamedChoicesAreWrittenBackAsRead) {
    const std::string path = settingsWith("odd_numbers", "  itposition = \"9\"\r\n");
    AlbumSettings s;
    ASSERT_TRUE(readSettings(s, path));
    EXPECT_EQ(static_cast<int>(s.itposition), 9);
    EXPECT_NE(writeSettings(s, false, false).find("  itposition     = \"9\"\n"), std::string::npos);

    ASSERT_TRUE(saveSettingsFile(path, static_cast<ExifCaptionPlace>(7), "/in", s));
    ResourceValues v;
    ASSERT_TRUE(v.load(path));
    EXPECT_EQ(v.getInt("exifpos"), 7);
    EXPECT_EQ(v.getInt("itposition"), 9);
}

TEST(SettingsFile, readingFollowsTheKeyRules) {
    const std::string path = settingsWith(
        "rules",
        "  ssize = \"100\"\r\n  msize = \"640\"\r\n  mhsize = \"700\"\r\n"
        "  lsize = \"1500\"\r\n  small = \"Yes\"\r\n  large = \"yes\"\r\n"
        "  copyhires = \"1\"\r\n  autorotate = \"\"\r\n  smallpos = \"middle\"\r\n"
        "  svbgcolor = \"ff0000\"\r\n  svtextcolor = \"fff\"\r\n  itcolor = \"zz0000\"\r\n"
        "  squality = \"high\"\r\n  itfontsize = \"12pt\"\r\n  ittext = \"a &amp;amp; b\"\r\n"
        "  language = \"fr\"\r\n  unknown = \"ignored\"\r\n");
    AlbumSettings s;
    s.smallpos = StripPosition::top;
    ASSERT_TRUE(readSettings(s, path));
    EXPECT_EQ(s.shsize, 100);
    EXPECT_EQ(s.svsize, 100);
    EXPECT_EQ(s.mhsize, 700);  // the newer key wins
    EXPECT_EQ(s.mvsize, 640);
    EXPECT_EQ(s.lhsize, 1500);
    EXPECT_EQ(s.lvsize, 1500);
    EXPECT_FALSE(s.small);
    EXPECT_TRUE(s.large);
    EXPECT_FALSE(s.copyhires);
    EXPECT_FALSE(s.autorotate);
    EXPECT_EQ(s.smallpos, StripPosition::top);
    EXPECT_EQ(s.svbgcolor, 0x0000FFu);
    EXPECT_EQ(s.svtextcolor, 0xFFFFFFu);  // invalid colours keep the old value
    EXPECT_EQ(s.itcolor, 0xFFFFFFu);
    EXPECT_EQ(s.squality, 85);  // no digits: kept
    EXPECT_EQ(s.itfontsize, 12);
    EXPECT_EQ(s.ittext, "a &amp; b");  // entities are decoded once only
    EXPECT_EQ(s.language, "fr");
    EXPECT_EQ(s.appearance, "dim");
    EXPECT_TRUE(s.renditions);  // files from before the key: on

    AlbumSettings untouched;
    untouched.mdir = "keep";
    testing::internal::CaptureStdout();
    EXPECT_FALSE(readSettings(untouched, path + ".missing"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(untouched.mdir, "keep");
}

TEST(SettingsFile, folderNamesThatLeaveTheAlbumAreRejected) {
    const std::string path = settingsWith(
        "folders", "  sdir = \"../../home/anna/Pictures\"\r\n  mdir = \"..\"\r\n  ldir = \"\"\r\n");
    AlbumSettings s;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(readSettings(s, path));
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.sdir, "small");
    EXPECT_EQ(s.mdir, "medium");
    EXPECT_EQ(s.ldir, "large");
    EXPECT_NE(warnings.find("sdir"), std::string::npos);
    EXPECT_NE(warnings.find("mdir"), std::string::npos);
    EXPECT_NE(warnings.find("ldir"), std::string::npos);

    const std::string ok =
        settingsWith("folders_ok", "  sdir = \"thumbs 2\"\r\n  mdir = \"m\xC3\xA9\"\r\n");
    ASSERT_TRUE(readSettings(s, ok));
    EXPECT_EQ(s.sdir, "thumbs 2");
    EXPECT_EQ(s.mdir, "m\xC3\xA9");
}

TEST(SettingsFile, textsWithMarkupAndControlCharactersStayLoadable) {
    AlbumSettings s = fixedDefaults();
    s.ittext = "<b>\"bold\"</b>\x01\x1F end";
    s.iptcformat = std::string("caf\xE9");  // a stray Windows-1252 byte
    const std::string path = scratch("markup") + "/kavlo_settings.xml";
    ASSERT_TRUE(saveSettingsFile(path, ExifCaptionPlace::majorCaption, "", s));
    AlbumSettings r;
    ASSERT_TRUE(readSettings(r, path));
    EXPECT_EQ(r.ittext, "<b>\"bold\"</b>   end");
    EXPECT_EQ(r.iptcformat, "caf\xC3\xA9");
}

TEST(SettingsFile, pathFollowsXdgConfigHomeAndSaveCreatesTheFolder) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string oldValue = old ? old : "";
    const std::string dir = scratch("xdg");
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    EXPECT_EQ(settingsFilePath(), dir + "/kavlo/kavlo_settings.xml");
    EXPECT_TRUE(saveSettingsFile(settingsFilePath(), ExifCaptionPlace::minorCaption, "/x",
                                 AlbumSettings{}));
    EXPECT_TRUE(fileExists(dir + "/kavlo/kavlo_settings.xml"));
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const char* home = std::getenv("HOME");
    EXPECT_EQ(settingsFilePath(),
              std::string(home ? home : "") + "/.config/kavlo/kavlo_settings.xml");
    if (old) {
        setenv("XDG_CONFIG_HOME", oldValue.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    EXPECT_FALSE(saveSettingsFile(dir + "/kavlo/kavlo_settings.xml/sub/f.xml",
                                  ExifCaptionPlace::minorCaption, "", AlbumSettings{}));
}

}  // namespace kavlo::storage
