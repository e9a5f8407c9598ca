// SPDX-License-Identifier: MIT
// What one album image looks like and is called: upright for all eight orientations of
// JPEG and TIFF sources, copied only when it needs no turn, named on disk as the pages
// name it, and watermarked from captions that are not UTF-8.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/image_pipeline.h"
#include "support/oriented_pictures.h"
#include "test_support.h"
#include "util/fonts.h"

namespace kavlo::core {

using imaging::RasterImage;
using imaging::RPfree;
using imaging::RPreadJpeg;
using model::AlbumSettings;
using model::ImageEntry;
using util::defaultFontFile;

namespace {

namespace fs = std::filesystem;
using test::jpegSize;
using test::quarterPicture;
using test::readAll;
using test::scratchFolder;
using test::showsQuartersUpright;

::testing::AssertionResult uprightFile(const std::string& path, int w, int h) {
    RasterImage image = RPreadJpeg(path, nullptr, 0, nullptr, nullptr);
    ::testing::AssertionResult result = showsQuartersUpright(image);
    if (result && (image.width != w || image.height != h))
        result = ::testing::AssertionFailure() << image.width << " x " << image.height;
    RPfree(image);
    return result << " (" << path << ")";
}

TEST(AlbumImages, everyOrientationOfJpegAndTiffComesOutUpright) {
    const std::string root = scratchFolder("upright");
    fs::create_directories(root + "/album/small");
    fs::create_directories(root + "/album/medium");
    fs::create_directories(root + "/album/large");
    RasterImage upright = quarterPicture(240, 160);
    AlbumSettings s;
    s.large = true;
    s.lhsize = s.lvsize = 180;
    s.mhsize = s.mvsize = 120;
    int index = 0;
    for (const char* kind : {"jpg", "tif"}) {
        for (int o = 1; o <= 8; ++o, ++index) {
            const std::string source = root + "/" + std::to_string(o) + "." + kind;
            ASSERT_TRUE(kind[0] == 'j' ? test::writeOrientedJpeg(source, upright, o)
                                       : test::writeOrientedTiff(source, upright, o));
            const ImageResult r = processAlbumImage(s, root + "/album", ImageEntry{source, "", ""},
                                                    index, defaultImageReaders());
            const std::string name = albumImageName(s, ImageEntry{source, "", ""}, index);
            EXPECT_EQ(r.mainW, 120);
            EXPECT_EQ(r.mainH, 80);
            EXPECT_TRUE(uprightFile(root + "/album/small/" + name, 80, 53)) << kind << " " << o;
            EXPECT_TRUE(uprightFile(root + "/album/medium/" + name, 120, 80)) << kind << " " << o;
            EXPECT_TRUE(uprightFile(root + "/album/large/" + name, 180, 120)) << kind << " " << o;
        }
    }
    RPfree(upright);
}

TEST(AlbumImages, aSourceOfTheMainSizeIsCopiedOnlyWhenItNeedsNoTurn) {
    const std::string root = scratchFolder("copy_upright");
    fs::create_directories(root + "/album/medium");
    RasterImage upright = quarterPicture(96, 64);
    AlbumSettings s;
    s.small = false;
    s.mhsize = 96;
    s.mvsize = 64;
    for (int o : {1, 5, 6}) {
        const std::string source = root + "/" + std::to_string(o) + ".jpg";
        ASSERT_TRUE(test::writeOrientedJpeg(source, upright, o));
        const ImageEntry entry{source, "", ""};
        const std::string main = root + "/album/medium/" + albumImageName(s, entry, o);
        const ImageHistory first{stampOf(source), shapeFingerprint(s, entry), nullptr};
        ImageResult r =
            processAlbumImage(s, root + "/album", entry, o, defaultImageReaders(), first);
        EXPECT_EQ(r.mainW, 96);
        EXPECT_EQ(r.mainH, 64);
        EXPECT_EQ(readAll(main) == readAll(source), o == 1) << o;
        EXPECT_TRUE(uprightFile(main, 96, 64)) << o;
        // The file is what the image record says was made, so the next run keeps it.
        ASSERT_TRUE(r.record) << o;
        const ImageRecordEntry made = *r.record;
        s.reuseimages = true;
        r = processAlbumImage(s, root + "/album", entry, o, defaultImageReaders(),
                              ImageHistory{first.stamp, first.shape, &made});
        EXPECT_TRUE(r.reused) << o;
        s.reuseimages = false;
    }
    RPfree(upright);
}

TEST(AlbumImages, aNameThatIsNotUtf8IsWrittenAsThePagesNameIt) {
    const std::string root = scratchFolder("names");
    fs::create_directories(root + "/album/small");
    fs::create_directories(root + "/album/medium");
    const std::string source = root + "/b\xE9"
                                      "b\xE9.jpg";  // Latin-1, from an old card
    ASSERT_TRUE(test::writeTestJpeg(source, 300, 200));
    AlbumSettings s;
    s.orgfilenames = true;
    const ImageEntry entry{source, "", ""};
    EXPECT_EQ(albumImageName(s, entry, 0), "b\xC3\xA9"
                                           "b\xC3\xA9-001.jpg");
    processAlbumImage(s, root + "/album", entry, 0, defaultImageReaders());
    EXPECT_TRUE(fs::exists(root + "/album/medium/b\xC3\xA9"
                                  "b\xC3\xA9-001.jpg"));
    EXPECT_TRUE(fs::exists(root + "/album/small/b\xC3\xA9"
                                  "b\xC3\xA9-001.jpg"));
    EXPECT_FALSE(fs::exists(root + "/album/medium/b\xE9"
                                   "b\xE9-001.jpg"));
}

// Pixels of the main image written for `entry` with `s`, and its comment.
std::string mainPixels(const AlbumSettings& s, const std::string& root, const ImageEntry& entry,
                       std::string* comment, ImageResult* result) {
    *result = processAlbumImage(s, root + "/album", entry, 0, defaultImageReaders());
    RasterImage image = RPreadJpeg(root + "/album/medium/0001.jpg", comment, 0, nullptr, nullptr);
    std::string pixels(reinterpret_cast<const char*>(image.pixels),
                       std::size_t(image.width) * image.height * 3);
    RPfree(image);
    return pixels;
}

TEST(AlbumImages, aCaptionThatIsNotUtf8IsRepairedAndStamped) {
    const std::string font = defaultFontFile();
    if (font.empty()) GTEST_SKIP() << "no font installed";
    const std::string root = scratchFolder("latin1_watermark");
    fs::create_directories(root + "/album/medium");
    const std::string source = root + "/a.jpg";
    ASSERT_TRUE(test::writeTestJpeg(source, 600, 400));   // always scaled: never a copy
    const ImageEntry entry{source, "", "Caf\xE9 NIKON"};  // a Latin-1 byte in the caption
    AlbumSettings s;
    s.small = false;
    std::string comment;
    ImageResult r;
    const std::string plain = mainPixels(s, root, entry, &comment, &r);
    s.imagetext = true;
    s.itfrommicap = true;
    s.itfontfile = font;
    s.itfontsize = 14;
    const std::string stamped = mainPixels(s, root, entry, &comment, &r);
    EXPECT_TRUE(r.diagnostics.empty());
    EXPECT_FALSE(r.watermarkMissing);
    EXPECT_TRUE(stamped != plain);
    EXPECT_EQ(comment, "Caf\xC3\xA9 NIKON");

    // A watermark that cannot be stamped is said so, not dropped in silence.
    s.itfontfile = root + "/no-such-font.ttf";
    const std::string unmarked = mainPixels(s, root, entry, &comment, &r);
    EXPECT_TRUE(r.watermarkMissing);
    EXPECT_TRUE(unmarked == plain);
    ASSERT_EQ(r.diagnostics.size(), 1u);
    EXPECT_EQ(r.diagnostics[0].severity, util::Severity::warning);
    EXPECT_EQ(r.diagnostics[0].file, source);
    EXPECT_NE(r.diagnostics[0].message.find("could not be stamped"), std::string::npos)
        << r.diagnostics[0].text;
}

}  // namespace
}  // namespace kavlo::core
