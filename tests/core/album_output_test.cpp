// SPDX-License-Identifier: MIT
// Album image files written whole or not at all, temporary files of killed runs, and
// images that no longer belong to the album.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "core/album_output.h"
#include "test_support.h"

namespace kavlo::core {

namespace {

namespace fs = std::filesystem;
using test::jpegSize;
using test::readAll;
using test::scratchFolder;
using test::writeAll;

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

struct Picture {
    imaging::RasterImage img = imaging::RPcreate(64, 48, 24);
    ~Picture() { imaging::RPfree(img); }
};

}  // namespace

TEST(AlbumOutput, imagesAreReplacedWholeAndFailuresLeaveTheOldFile) {
    const std::string dir = scratchFolder("output-whole");
    Picture pic;
    const long long bytes = writeJpegWhole(dir + "/0001.jpg", 85, "note", pic.img);
    ASSERT_GT(bytes, 0);
    EXPECT_EQ(static_cast<long long>(fs::file_size(dir + "/0001.jpg")), bytes);
    EXPECT_EQ(jpegSize(dir + "/0001.jpg"), (std::pair<int, int>{64, 48}));
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"0001.jpg"});

    // An empty picture cannot be written: the old file stays, nothing else is left.
    const std::string before = readAll(dir + "/0001.jpg");
    EXPECT_EQ(writeJpegWhole(dir + "/0001.jpg", 85, "", imaging::RasterImage{}), -1);
    EXPECT_EQ(readAll(dir + "/0001.jpg"), before);
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"0001.jpg"});

    // A folder that cannot be written to.
    if (::geteuid() != 0) {
        fs::create_directories(dir + "/locked");
        ::chmod((dir + "/locked").c_str(), 0555);
        EXPECT_EQ(writeJpegWhole(dir + "/locked/0001.jpg", 85, "", pic.img), -1);
        EXPECT_EQ(copyWhole(dir + "/0001.jpg", dir + "/locked/0002.jpg"), -1);
        ::chmod((dir + "/locked").c_str(), 0755);
        EXPECT_TRUE(namesIn(dir + "/locked").empty());
    }
    EXPECT_EQ(copyWhole(dir + "/0001.jpg", dir + "/0002.jpg"), bytes);
    EXPECT_EQ(copyWhole(dir + "/missing.jpg", dir + "/0003.jpg"), -1);
    EXPECT_FALSE(fs::exists(dir + "/0003.jpg"));
}

TEST(AlbumOutput, temporaryFilesOfAKilledRunAreRemovedAndNothingElse) {
    const std::string dir = scratchFolder("output-temp");
    for (const char* name : {".0001.jpg.tmp-123-0", ".albumdef.js.tmp-9-42", "0001.jpg", ".hidden",
                             "x.tmp-1-2", ".a.tmp-1-b", ".a.tmp-", "notes.txt"}) {
        writeAll(dir + "/" + name, "x");
    }
    fs::create_directories(dir + "/.sub.tmp-1-2");  // a folder is never removed
    EXPECT_EQ(removeTemporaryFiles(dir), 2);
    EXPECT_EQ(namesIn(dir),
              (std::vector<std::string>{".a.tmp-", ".a.tmp-1-b", ".hidden", ".sub.tmp-1-2",
                                        "0001.jpg", "notes.txt", "x.tmp-1-2"}));
    EXPECT_EQ(removeTemporaryFiles(dir + "/missing"), 0);
}

TEST(AlbumOutput, staleImagesAreThoseNumberedAboveTheAlbumOrRenamed) {
    EXPECT_EQ(albumImageNumber("0012.jpg"), 12);
    EXPECT_EQ(albumImageNumber("12345.jpg"), 12345);
    EXPECT_EQ(albumImageNumber("beach-2024-007.jpg"), 7);
    EXPECT_EQ(albumImageNumber("012.jpg"), 0);
    EXPECT_EQ(albumImageNumber("beach-07.jpg"), 0);
    EXPECT_EQ(albumImageNumber("0012.JPG"), 0);
    EXPECT_EQ(albumImageNumber("0012.jpg.tmp-1-2"), 0);
    EXPECT_EQ(albumImageNumber("notes.txt"), 0);

    const std::string dir = scratchFolder("output-stale");
    for (const char* name : {"0001.jpg", "0002.jpg", "0003.jpg", "0004.jpg", "a-001.jpg",
                             "b-002.jpg", "keep.jpg", "readme.txt"}) {
        writeAll(dir + "/" + name, "x");
    }
    EXPECT_EQ(removeStaleImages(dir, {"0001.jpg", "0002.jpg"}), 4);
    EXPECT_EQ(namesIn(dir),
              (std::vector<std::string>{"0001.jpg", "0002.jpg", "keep.jpg", "readme.txt"}));
    // Original file names: image 2 is now another photo's file.
    writeAll(dir + "/a-001.jpg", "x");
    writeAll(dir + "/b-002.jpg", "x");
    writeAll(dir + "/c-002.jpg", "x");
    EXPECT_EQ(removeStaleImages(dir, {"a-001.jpg", "c-002.jpg"}), 3);
    EXPECT_EQ(namesIn(dir),
              (std::vector<std::string>{"a-001.jpg", "c-002.jpg", "keep.jpg", "readme.txt"}));
    EXPECT_EQ(removeStaleImages(dir + "/missing", {}), 0);
}

}  // namespace kavlo::core
