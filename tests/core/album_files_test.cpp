// SPDX-License-Identifier: MIT
// The album's image files across runs: an image is kept only when the image record
// says it was made from the same photo with the same settings and its files are whole;
// images that no longer belong to the album go; no temporary file outlives a run; the
// extra renditions and ext/js/renditions.js follow the setting.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fcntl.h>
#include <filesystem>

#include "core/album_renderer.h"
#include "core/image_record.h"
#include "core/renditions.h"
#include "test_support.h"
#include "util/files.h"

namespace kavlo::core {

using model::AlbumModel;

namespace {

namespace fs = std::filesystem;
using test::jpegSize;
using test::readAll;
using test::scratchFolder;
using test::writeAll;

/// A w x h photo whose picture depends on `seed`, so that photos of one size differ.
bool writePhoto(const std::string& path, int w, int h, int seed) {
    imaging::RasterImage img =
        imaging::RPcreate(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 24);
    if (!img.pixels) return false;
    const std::size_t stride = imaging::RPstride(static_cast<std::uint32_t>(w), 24);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p =
                img.pixels + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
            p[0] = static_cast<std::uint8_t>((x * (seed + 1) / 7) & 0xFF);
            p[1] = static_cast<std::uint8_t>((y * 255 / std::max(1, h - 1) + 40 * seed) & 0xFF);
            p[2] = static_cast<std::uint8_t>((((x + 13 * seed) / 32 + y / 32) % 2) * 150 + 50);
        }
    }
    const bool ok = imaging::RPwriteJpeg(path, 90, nullptr, img) == 0;
    imaging::RPfree(img);
    return ok;
}

AlbumModel albumOf(const std::string& dest, const std::vector<std::string>& photos) {
    AlbumModel m;
    m.title = "Files";
    m.destdir = dest;
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles(photos);
    return m;
}

/// Runs the album to its end; returns the renderer's reused flags.
std::vector<bool> run(AlbumModel& m, bool reuse) {
    m.settings.reuseimages = reuse;
    AlbumRenderer r(m, defaultImageReaders());
    r.setJobs(2);
    r.begin();
    while (r.step()) {}
    EXPECT_TRUE(r.finished());
    EXPECT_EQ(r.failedWrites(), 0);
    return r.reused();
}

/// Every file below `root` (relative path -> bytes), ext/xml left out (its files name
/// the album's own folder and photos).
std::map<std::string, std::string> imageFiles(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        const std::string rel = fs::relative(e.path(), root).string();
        if (rel.rfind("ext/", 0) == 0 && rel != "ext/js/renditions.js") continue;
        if (rel == "index.html") continue;
        files[rel] = readAll(e.path().string());
    }
    return files;
}

std::vector<std::string> hiddenFiles(const std::string& root) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.path().filename().string()[0] == '.') found.push_back(e.path().string());
    return found;
}

std::string inodeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "";
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_mtim.tv_nsec) + ":" +
           std::to_string(st.st_mtim.tv_sec);
}

}  // namespace

TEST(AlbumFiles, excludedAndAddedPhotosOfOneSizeGiveTheImagesOfAFreshAlbum) {
    // Three photos of one size; b goes (missing, excluded), then d comes (added): image
    // 3 must become d's picture, not stay c's, and nothing numbered 3 of the longer
    // album may survive the shorter one.
    const std::string root = scratchFolder("files-sequence");
    fs::create_directories(root + "/photos");
    const std::string p = root + "/photos/";
    int seed = 1;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
        ASSERT_TRUE(writePhoto(p + name, 1600, 1200, seed++));
    }
    AlbumModel m = albumOf(root + "/album", {p + "a.jpg", p + "b.jpg", p + "c.jpg"});
    run(m, false);
    ASSERT_TRUE(fs::exists(root + "/album/hd/1920/0003.jpg"));

    fs::remove(p + "b.jpg");
    EXPECT_EQ(m.checkMissing(true).second, 1);
    EXPECT_EQ(run(m, true), (std::vector<bool>{true, false}));
    for (const char* gone : {"small/0003.jpg", "medium/0003.jpg", "hd/1280/0003.jpg",
                             "hd/1920/0003.jpg", "small2x/0003.jpg"}) {
        EXPECT_FALSE(fs::exists(root + "/album/" + gone)) << gone;
    }

    m.images.push_back({p + "d.jpg", "", ""});
    EXPECT_EQ(run(m, true), (std::vector<bool>{true, true, false}));

    AlbumModel fresh = albumOf(root + "/fresh", {p + "a.jpg", p + "c.jpg", p + "d.jpg"});
    run(fresh, false);
    const auto made = imageFiles(root + "/album");
    const auto expected = imageFiles(root + "/fresh");
    EXPECT_EQ(made.size(), expected.size());
    for (const auto& [path, bytes] : expected) {
        const auto it = made.find(path);
        ASSERT_NE(it, made.end()) << path;
        EXPECT_TRUE(it->second == bytes) << path << " differs from the fresh album's";
    }
}

TEST(AlbumFiles, imagesCutShortAreMadeAgainAndWholeOnesKept) {
    const std::string root = scratchFolder("files-cut");
    fs::create_directories(root + "/photos");
    const std::string p = root + "/photos/";
    ASSERT_TRUE(writePhoto(p + "a.jpg", 1600, 1200, 1));
    ASSERT_TRUE(writePhoto(p + "b.jpg", 1200, 1600, 2));
    AlbumModel m = albumOf(root + "/album", {p + "a.jpg", p + "b.jpg"});
    run(m, false);
    const std::string a = root + "/album/medium/0001.jpg";
    const std::string b = root + "/album/medium/0002.jpg";
    const std::string br = root + "/album/hd/1280/0002.jpg";
    const std::string mainBytes = readAll(b), renditionBytes = readAll(br);
    const std::string keptA = inodeOf(a);

    // Cut in half, as a killed run that wrote in place would have left them; their
    // headers still state the right size.
    writeAll(b, mainBytes.substr(0, mainBytes.size() / 2));
    writeAll(br, renditionBytes.substr(0, renditionBytes.size() / 2));
    EXPECT_EQ(jpegSize(b), (std::pair<int, int>{414, 552}));
    EXPECT_EQ(run(m, true), (std::vector<bool>{true, false}));
    EXPECT_TRUE(readAll(b) == mainBytes);
    EXPECT_TRUE(readAll(br) == renditionBytes);
    EXPECT_EQ(inodeOf(a), keptA);

    // A file changed behind the album's back (same size header, other bytes) too.
    writeAll(a, readAll(a) + "x");
    EXPECT_EQ(run(m, true), (std::vector<bool>{false, true}));
}

TEST(AlbumFiles, keptOnlyWithTheSamePhotoAndTheSettingsThatShapeIt) {
    const std::string root = scratchFolder("files-settings");
    fs::create_directories(root + "/photos");
    const std::string p = root + "/photos/";
    ASSERT_TRUE(writePhoto(p + "a.jpg", 800, 600, 1));
    AlbumModel m = albumOf(root + "/album", {p + "a.jpg"});
    // An album of an earlier version has no record: made again once, then kept.
    run(m, false);
    fs::remove(ImageRecord::pathIn(root + "/album"));
    EXPECT_EQ(run(m, true), std::vector<bool>{false});
    EXPECT_EQ(run(m, true), std::vector<bool>{true});
    // Settings that shape the files, a caption used as the watermark.
    m.settings.mquality = 60;
    EXPECT_EQ(run(m, true), std::vector<bool>{false});
    m.settings.imagetext = true;
    m.settings.itfrommicap = true;
    m.images[0].micap = "first";
    EXPECT_EQ(run(m, true), std::vector<bool>{false});
    EXPECT_EQ(run(m, true), std::vector<bool>{true});
    m.images[0].micap = "second";
    EXPECT_EQ(run(m, true), std::vector<bool>{false});
    // The photo rewritten with another picture of the same size.
    ASSERT_TRUE(writePhoto(p + "a.jpg", 800, 600, 5));
    struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (p + "a.jpg").c_str(), later, 0), 0);
    EXPECT_EQ(run(m, true), std::vector<bool>{false});
    // Settings that do not touch the pixels keep the files.
    m.settings.appearance = "light";
    m.title = "Another title";
    EXPECT_EQ(run(m, true), std::vector<bool>{true});
}

TEST(AlbumFiles, noTemporaryFileOutlivesARun) {
    const std::string root = scratchFolder("files-temp");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writePhoto(root + "/photos/a.jpg", 1600, 1200, 1));
    AlbumModel m = albumOf(root + "/album", {root + "/photos/a.jpg"});
    run(m, false);
    EXPECT_TRUE(hiddenFiles(root + "/album").empty());
    // What a killed run leaves: temporary files beside images, pages and the record.
    for (const char* left : {"medium/.0001.jpg.tmp-4242-7", "hd/1280/.0001.jpg.tmp-4242-8",
                             "ext/js/.albumdef.js.tmp-4242-9", "ext/xml/.imagerecord.txt.tmp-1-2",
                             ".index.html.tmp-4242-3"}) {
        writeAll(root + "/album/" + left, "half");
    }
    EXPECT_EQ(run(m, true), std::vector<bool>{true});
    EXPECT_EQ(hiddenFiles(root + "/album"), std::vector<std::string>{});
}

TEST(AlbumFiles, renditionsFollowTheSettingAndTheirScriptStatesTheFiles) {
    const std::string root = scratchFolder("files-renditions");
    fs::create_directories(root + "/photos");
    const std::string p = root + "/photos/";
    ASSERT_TRUE(writePhoto(p + "big.jpg", 4000, 2000, 1));
    ASSERT_TRUE(writePhoto(p + "tall.jpg", 1000, 1500, 2));
    ASSERT_TRUE(writePhoto(p + "small.jpg", 500, 400, 3));
    AlbumModel m = albumOf(root + "/album", {p + "big.jpg", p + "tall.jpg", p + "small.jpg"});
    run(m, false);
    const std::string album = root + "/album/";
    // Never larger than the photo, from the steps above the main image.
    EXPECT_EQ(jpegSize(album + "hd/1280/0001.jpg"), (std::pair<int, int>{1280, 640}));
    EXPECT_EQ(jpegSize(album + "hd/1920/0001.jpg"), (std::pair<int, int>{1920, 960}));
    EXPECT_EQ(jpegSize(album + "hd/3840/0001.jpg"), (std::pair<int, int>{3840, 1920}));
    EXPECT_EQ(jpegSize(album + "hd/1280/0002.jpg"), (std::pair<int, int>{853, 1280}));
    EXPECT_EQ(jpegSize(album + "hd/1920/0002.jpg"), (std::pair<int, int>{1000, 1500}));
    EXPECT_FALSE(fs::exists(album + "hd/3840/0002.jpg"));
    EXPECT_FALSE(fs::exists(album + "hd/1280/0003.jpg"));
    EXPECT_EQ(jpegSize(album + "small2x/0001.jpg"), (std::pair<int, int>{160, 80}));
    EXPECT_EQ(jpegSize(album + "small2x/0003.jpg"), (std::pair<int, int>{160, 128}));
    // The main and thumbnail files keep their sizes and names.
    EXPECT_EQ(jpegSize(album + "medium/0001.jpg"), (std::pair<int, int>{552, 276}));
    EXPECT_EQ(jpegSize(album + "small/0002.jpg"), (std::pair<int, int>{53, 80}));

    std::string script;
    ASSERT_TRUE(util::readTextFile(album + "ext/js/renditions.js", script));
    EXPECT_EQ(script, "var renditions = {\n"
                      "  \"dirs\": [\"hd/1280\", \"hd/1920\", \"hd/3840\"],\n"
                      "  \"sizes\": [\n"
                      "    [[1280, 640], [1920, 960], [3840, 1920]],\n"
                      "    [[853, 1280], [1000, 1500], null],\n"
                      "    [null, null, null]\n"
                      "  ],\n"
                      "  \"thumb2xDir\": \"small2x\",\n"
                      "  \"thumb2x\": [[160, 80], [107, 160], [160, 128]]\n"
                      "};\n");
    EXPECT_NE(readAll(album + "ext/html/medium.html").find("renditions.js"), std::string::npos);
    // Kept as they are by the next run, renditions and script alike.
    const std::string kept = inodeOf(album + "hd/3840/0001.jpg");
    EXPECT_EQ(run(m, true), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(inodeOf(album + "hd/3840/0001.jpg"), kept);
    std::string again;
    ASSERT_TRUE(util::readTextFile(album + "ext/js/renditions.js", again));
    EXPECT_EQ(again, script);

    // Off: the files and the script go, the pages no longer ask for it, and the main
    // images are made again (they were cut from a larger decode).
    m.settings.renditions = false;
    EXPECT_EQ(run(m, true), (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(fs::exists(album + "ext/js/renditions.js"));
    EXPECT_FALSE(fs::exists(album + "hd/1280/0001.jpg"));
    EXPECT_FALSE(fs::exists(album + "small2x/0001.jpg"));
    EXPECT_EQ(readAll(album + "ext/html/medium.html").find("renditions.js"), std::string::npos);
}

}  // namespace kavlo::core
