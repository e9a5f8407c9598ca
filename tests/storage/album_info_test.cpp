// SPDX-License-Identifier: MIT
#include "storage/album_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "storage/resource_values.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::storage {

using model::AlbumModel;
using model::ImageEntry;
using util::base64Encode;
using util::readFile;

namespace fs = std::filesystem;

namespace {

std::string scratch(const std::string& name) {
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/storage/album_info/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string slurp(const std::string& path) {
    std::string s;
    EXPECT_TRUE(readFile(path, s)) << path;
    return s;
}

std::string infoWith(const std::string& name, const std::string& lines) {
    const std::string path = scratch(name) + "/albuminfo.xml";
    std::ofstream(path, std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<resource>\r\n<values\r\n"
        << lines << "/>\r\n</resource>\r\n";
    return path;
}

AlbumModel sampleAlbum() {
    AlbumModel m;
    m.title = "Rome & \"Ostia\" <2026>";
    m.intro = "Line 1\r\nLine 2 with <br> typed\r\n\xC3\x9C"
              "ber";
    m.footer = "\xC2\xA9 Anna";
    m.destdir = "/home/anna/Albums/R&D \xE2\x82\xAC";
    std::string deep = "/home/anna";
    while (deep.size() < 390) deep += "/folder-\xC3\xA9t\xC3\xA9";
    m.images = {
        {"/home/anna/Pictures/IMG_0001.jpg", "A & B", ""},
        {"/home/anna/Pictures/it's \"quoted\".tif", "<br>first<br>second", "tip\xE2\x80\x99s"},
        {deep + "/IMG_0003.jpg", "", "\xE6\x97\xA5\xE6\x9C\xAC"},
    };
    m.settings.itfontfile = "/fonts/a.ttf";
    m.settings.linktext = "More & more";
    m.settings.linkurl = "http://example.org/?q=1&r=2";
    m.settings.mhsize = 777;
    m.settings.large = true;
    m.settings.svbgcolor = 0x102030;
    return m;
}

}  // namespace

TEST(AlbumInfo, writeReadWriteGivesIdenticalBytes) {
    const std::string dir = scratch("roundtrip");
    const AlbumModel original = sampleAlbum();
    ASSERT_GT(original.images[2].path.size(), 400u);
    ASSERT_TRUE(writeAlbumInfo(original, dir + "/first.xml"));

    AlbumModel read;
    ASSERT_TRUE(readAlbumInfo(read, dir + "/first.xml"));
    EXPECT_EQ(read.title, original.title);
    EXPECT_EQ(read.footer, original.footer);
    EXPECT_EQ(read.destdir, original.destdir);
    EXPECT_EQ(read.rendererKind, "default");
    ASSERT_EQ(read.images.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read.images[i].path, original.images[i].path) << i;
        EXPECT_EQ(read.images[i].macap, original.images[i].macap) << i;
        EXPECT_EQ(read.images[i].micap, original.images[i].micap) << i;
    }
    // The "<br>" the user typed into the introduction comes back as a line break.
    EXPECT_EQ(read.intro, "Line 1\r\nLine 2 with \r\n typed\r\n\xC3\x9C"
                          "ber");
    EXPECT_EQ(read.settings.linktext, "More & more");
    EXPECT_EQ(read.settings.linkurl, original.settings.linkurl);
    EXPECT_EQ(read.settings.mhsize, 777);
    EXPECT_TRUE(read.settings.large);
    EXPECT_EQ(read.settings.svbgcolor, 0x102030u);

    ASSERT_TRUE(writeAlbumInfo(read, dir + "/second.xml"));
    EXPECT_EQ(slurp(dir + "/first.xml"), slurp(dir + "/second.xml"));
}

TEST(AlbumInfo, layoutEscapesTextsAndEncodesPaths) {
    AlbumModel m;
    m.title = "T";
    m.intro = "Line 1\r\nLine 2";
    m.destdir = "C:\\Albums\\Rome";
    m.images = {{"/p/a.jpg", "A & B", ""}, {"/p/b&c.jpg", "", "x"}};
    const std::string text = albumInfoText(m);
    const std::string expectedStart =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resource>\n<values\n"
        "  desc      = \"Kavlo album information\"\n"
        "  title     = \"T\"\n"
        "  intro     = \"Line 1&lt;br&gt;Line 2\"\n"
        "  footer    = \"\"\n"
        "  destdir   = \"QzpcQWxidW1zXFJvbWU=\"\n"
        "  renderer  = \"default\"\n"
        "  image0000 = \"" +
        base64Encode("/p/a.jpg") +
        "\"\n"
        "  macap0000 = \"A &amp; B\"\n"
        "  micap0000 = \"\"\n"
        "  image0001 = \"" +
        base64Encode("/p/b&amp;c.jpg") +
        "\"\n"
        "  macap0001 = \"\"\n"
        "  micap0001 = \"x\"\n"
        "  appearance     = \"dim\"\n";
    EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(text.find("  linktext       = \"\"\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 15), "/>\n</resource>\n");

    const std::string dir = scratch("layout");
    ASSERT_TRUE(writeAlbumInfo(m, dir + "/albuminfo.xml"));
    const std::string bytes = slurp(dir + "/albuminfo.xml");
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<resource>\r\n", 0), 0u);
    EXPECT_EQ(bytes.substr(bytes.size() - 17), "/>\r\n</resource>\r\n");

    m.images.resize(10001, ImageEntry{"/p/x.jpg", "", ""});
    const std::string many = albumInfoText(m);
    EXPECT_NE(many.find("\n  image9999 = \""), std::string::npos);
    EXPECT_NE(many.find("\n  image10000 = \""), std::string::npos);
}

TEST(AlbumInfo, readingStopsAtTheFirstGapAndKeepsAbsentFields) {
    const std::string path = infoWith("gaps", "  title = \"New\"\r\n"
                                              "  image0000 = \"" +
                                                  base64Encode("/a/0.jpg") +
                                                  "\"\r\n"
                                                  "  macap0000 = \"zero\"\r\n"
                                                  "  image0001 = \"" +
                                                  base64Encode("/a/1.jpg") +
                                                  "\"\r\n"
                                                  "  micap0001 = \"line\r\nbreak\"\r\n"
                                                  "  image0003 = \"" +
                                                  base64Encode("/a/3.jpg") + "\"\r\n");
    AlbumModel m;
    m.footer = "kept footer";
    m.destdir = "/kept/dest";
    m.images = {{"/old.jpg", "", ""}};
    m.settings.mhsize = 999;
    ASSERT_TRUE(readAlbumInfo(m, path));
    EXPECT_EQ(m.title, "New");
    EXPECT_EQ(m.footer, "kept footer");
    EXPECT_EQ(m.destdir, "/kept/dest");
    EXPECT_EQ(m.settings.mhsize, 999);  // no renderer key: the settings stay
    ASSERT_EQ(m.images.size(), 2u);
    EXPECT_EQ(m.images[0].path, "/a/0.jpg");
    EXPECT_EQ(m.images[0].macap, "zero");
    EXPECT_EQ(m.images[0].micap, "");
    EXPECT_EQ(m.images[1].micap, "line break");
}

TEST(AlbumInfo, rendererKeyResetsSettingsAndUnknownKindsFallBackToDefault) {
    const std::string path =
        infoWith("renderer", "  renderer = \"fancy\"\r\n  lhsize = \"3000\"\r\n");
    AlbumModel m;
    m.rendererKind = "something";
    m.settings.mhsize = 999;
    ASSERT_TRUE(readAlbumInfo(m, path));
    EXPECT_EQ(m.rendererKind, "default");
    EXPECT_EQ(m.settings.mhsize, 552);
    EXPECT_EQ(m.settings.lhsize, 3000);
    EXPECT_TRUE(m.images.empty());
}

TEST(AlbumInfo, unreadableFileLeavesTheModelUnchanged) {
    const std::string dir = scratch("broken");
    std::ofstream(dir + "/albuminfo.xml", std::ios::binary) << "<resource><values title=\"x\"";
    AlbumModel m;
    m.title = "mine";
    m.images = {{"/keep.jpg", "c", "d"}};
    testing::internal::CaptureStderr();
    EXPECT_FALSE(readAlbumInfo(m, dir + "/albuminfo.xml"));
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(readAlbumInfo(m, dir + "/missing.xml"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(m.title, "mine");
    ASSERT_EQ(m.images.size(), 1u);
    EXPECT_EQ(m.images[0].macap, "c");
}

}  // namespace kavlo::storage
