// SPDX-License-Identifier: MIT
#include "model/album_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "util/files.h"

namespace kavlo::model {

using util::dataFolder;
using util::listImages;

namespace fs = std::filesystem;

namespace {

std::string scratch(const std::string& name) {
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/album_model/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void put(const std::string& path) { std::ofstream(path, std::ios::binary) << "data"; }

AlbumModel threeImages() {
    AlbumModel m;
    m.appendFiles({"/p/one.jpg", "/p/two.b.tif", "/p/three"});
    return m;
}

}  // namespace

TEST(AlbumSettingsDefaults, carryThePlatformFontAndTemplateFolder) {
    const AlbumSettings s = defaultAlbumSettings();
    EXPECT_EQ(s.templatedir, dataFolder() + "templates");
    EXPECT_EQ(s.appearance, "dim");
    EXPECT_EQ(s.mhsize, 552);
    EXPECT_EQ(s.itcolor, 0xFFFFFFu);
    const AlbumModel m;
    EXPECT_EQ(m.settings.itfontfile, s.itfontfile);
    EXPECT_EQ(m.rendererKind, "default");
}

TEST(AlbumModel, newAlbumFromFolderListsImagesInByteOrder) {
    const std::string dir = scratch("order");
    put(dir + "/b.jpg");
    put(dir + "/A.tif");
    AlbumModel m;
    m.appendFiles(listImages(dir, false));
    ASSERT_EQ(m.images.size(), 2u);
    EXPECT_EQ(m.images[0].path, dir + "/A.tif");
    EXPECT_EQ(m.images[1].path, dir + "/b.jpg");
    EXPECT_EQ(m.images[0].macap, "");
    EXPECT_EQ(m.images[0].micap, "");
}

TEST(AlbumModel, countNewImagesComparesPathsByteForByte) {
    const std::string dir = scratch("new");
    put(dir + "/a.jpg");
    put(dir + "/B.jpg");
    put(dir + "/c.tif");
    AlbumModel m;
    m.appendFiles({dir + "/a.jpg", dir + "/b.jpg"});  // differs from B.jpg by case only
    EXPECT_EQ(m.countNewImages(dir, false), 2);
    EXPECT_EQ(m.images.size(), 2u);
    EXPECT_EQ(m.countNewImages(dir, true), 2);
    ASSERT_EQ(m.images.size(), 4u);
    EXPECT_EQ(m.images[2].path, dir + "/B.jpg");
    EXPECT_EQ(m.images[3].path, dir + "/c.tif");
    EXPECT_EQ(m.countNewImages(dir, true), 0);
}

TEST(AlbumModel, checkMissingCountsAndRemovesKeepingOrder) {
    const std::string dir = scratch("missing");
    put(dir + "/x.jpg");
    put(dir + "/z.jpg");
    AlbumModel m;
    m.appendFiles({dir + "/x.jpg", dir + "/gone.jpg", "", dir + "/z.jpg"});
    EXPECT_EQ(m.checkMissing(false), std::make_pair(false, 2));
    EXPECT_EQ(m.images.size(), 4u);
    EXPECT_EQ(m.checkMissing(true), std::make_pair(false, 2));
    ASSERT_EQ(m.images.size(), 2u);
    EXPECT_EQ(m.images[0].path, dir + "/x.jpg");
    EXPECT_EQ(m.images[1].path, dir + "/z.jpg");
    EXPECT_EQ(m.checkMissing(true), std::make_pair(true, 0));

    AlbumModel all;
    all.appendFiles({dir + "/1.jpg", dir + "/2.jpg", dir + "/3.jpg"});
    EXPECT_EQ(all.checkMissing(true), std::make_pair(false, 3));
    EXPECT_TRUE(all.images.empty());
}

TEST(AlbumModel, captionOperationsTouchOneOrEveryEntryAndTheChosenField) {
    AlbumModel m = threeImages();
    m.setNumberCaptions(-1, true);
    EXPECT_EQ(m.images[0].macap, "1");
    EXPECT_EQ(m.images[1].macap, "2");
    EXPECT_EQ(m.images[2].macap, "3");
    EXPECT_EQ(m.images[2].micap, "");

    m.setFileNameCaptions(1, false);
    EXPECT_EQ(m.images[1].micap, "two.b");
    EXPECT_EQ(m.images[0].micap, "");
    m.setFileNameCaptions(-1, false);
    EXPECT_EQ(m.images[0].micap, "one");
    EXPECT_EQ(m.images[2].micap, "three");

    m.clearCaptions(0, true);
    EXPECT_EQ(m.images[0].macap, "");
    EXPECT_EQ(m.images[1].macap, "2");
    m.setNumberCaptions(2, false);
    EXPECT_EQ(m.images[2].micap, "3");
    m.clearCaptions(-1, false);
    for (const ImageEntry& e : m.images) EXPECT_EQ(e.micap, "");

    // An index past the end changes nothing rather than touching memory it does not own.
    m.setNumberCaptions(3, true);
    m.clearCaptions(-2, true);
    EXPECT_EQ(m.images[2].macap, "3");
}

}  // namespace kavlo::model
