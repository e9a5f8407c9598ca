// SPDX-License-Identifier: MIT
// The generation run end to end through real files: sizes, names, copies, reuse,
// viewer modes, the time estimate and the safety rules for odd album files.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/album_renderer.h"
#include "core/image_pipeline.h"
#include "support/test_photos.h"
#include "test_support.h"
#include "util/files.h"

namespace kavlo::core {

using imaging::Image;
using imaging::RPreadJpeg;
using imaging::RPstride;
using model::AlbumModel;
using model::AlbumSettings;
using model::ImageEntry;
using util::format;

namespace {

namespace fs = std::filesystem;
using test::jpegSize;
using test::readAll;
using test::scratchFolder;
using test::writeTestJpeg;

/// Counts what the renderer reads.
struct CountingReaders {
    int jpegDecodes = 0, tiffDecodes = 0, orientationReads = 0;
    std::vector<int> targets;
    std::map<std::string, int> decodesPerFile, orientationPerFile;
    ImageReaders make() {
        ImageReaders base = defaultImageReaders();
        ImageReaders r = base;
        r.readJpeg = [this, base](const std::string& p, int t, int* w, int* h) {
            ++jpegDecodes;
            ++decodesPerFile[p];
            targets.push_back(t);
            return base.readJpeg(p, t, w, h);
        };
        r.readTiff = [this, base](const std::string& p) {
            ++tiffDecodes;
            ++decodesPerFile[p];
            return base.readTiff(p);
        };
        r.readOrientation = [this, base](const std::string& p) {
            ++orientationReads;
            ++orientationPerFile[p];
            return base.readOrientation(p);
        };
        return r;
    }
};

AlbumModel makeAlbum(const std::string& root, const std::vector<std::string>& images) {
    AlbumModel m;
    m.title = "Test";
    m.footer = "";
    m.inputdir = root + "/photos";
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles(images);
    return m;
}

void runAll(AlbumRenderer& r) {
    r.begin();
    int guard = 0;
    while (r.step() && ++guard < 10000) {}
    ASSERT_TRUE(r.finished());
}

TEST(ImageNames, numberedAndOriginalNames) {
    AlbumSettings s;
    ImageEntry e{"/p/IMG #5.JPG", "", ""};
    EXPECT_EQ(albumImageName(s, e, 0), "0001.jpg");
    EXPECT_EQ(albumImageName(s, e, 11), "0012.jpg");
    s.orgfilenames = true;
    EXPECT_EQ(albumImageName(s, e, 2), "IMG 5-003.jpg");
    EXPECT_EQ(albumImageName(s, ImageEntry{"/p/a#b.jpg", "", ""}, 11), "ab-012.jpg");
}

TEST(FitBox, landscapePortraitAndEnlargement) {
    EXPECT_EQ(fitBox(552, 552, 3000, 2000), (std::pair<int, int>{552, 368}));
    EXPECT_EQ(fitBox(80, 80, 3000, 2000), (std::pair<int, int>{80, 53}));
    EXPECT_EQ(fitBox(552, 552, 2000, 3000), (std::pair<int, int>{368, 552}));
    EXPECT_EQ(fitBox(800, 600, 100, 50), (std::pair<int, int>{800, 400}));
    EXPECT_EQ(fitTarget(552, 552, 3000, 2000), 552);
    EXPECT_EQ(fitBox(80, 80, 0, 0), (std::pair<int, int>{0, 0}));
}

TEST(Renderer, defaultSettingsOnALargeJpeg) {
    const std::string root = scratchFolder("default3000");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 3000, 2000));
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg"});
    CountingReaders counts;
    AlbumRenderer r(m, counts.make());
    runAll(r);
    EXPECT_EQ(jpegSize(root + "/album/small/0001.jpg"), (std::pair<int, int>{80, 53}));
    EXPECT_EQ(jpegSize(root + "/album/medium/0001.jpg"), (std::pair<int, int>{552, 368}));
    EXPECT_FALSE(fs::exists(root + "/album/large"));
    // One decode, at the size of the largest rendition (3000 wide: the whole photo).
    ASSERT_EQ(counts.targets.size(), 1u);
    EXPECT_EQ(counts.targets[0], 3840);
    EXPECT_EQ(r.sizes().smallW, std::vector<int>{80});
    EXPECT_EQ(r.sizes().mainH, std::vector<int>{368});
    EXPECT_TRUE(fs::exists(root + "/album/ext/js/albumdef.js"));
    EXPECT_DOUBLE_EQ(r.percentDone(), 100.0);
}

TEST(Renderer, largeImagesSetTheDecodeTarget) {
    const std::string root = scratchFolder("largetarget");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 3000, 2000));
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg"});
    m.settings.large = true;
    m.settings.renditions = false;  // renditions would need the larger decode
    CountingReaders counts;
    AlbumRenderer r(m, counts.make());
    runAll(r);
    EXPECT_EQ(counts.targets, std::vector<int>{1024});
    EXPECT_EQ(jpegSize(root + "/album/large/0001.jpg"), (std::pair<int, int>{1024, 683}));
    EXPECT_EQ(jpegSize(root + "/album/medium/0001.jpg"), (std::pair<int, int>{552, 368}));
    EXPECT_EQ(r.sizes().largeW, std::vector<int>{1024});
}

TEST(Renderer, sourcesThatNeedNoResizingAreCopiedOnlyWhenJpeg) {
    const std::string root = scratchFolder("copies");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 552, 368));
    // The same picture as TIFF: it must be published as a JPEG, never as the TIFF bytes.
    int w = 0, h = 0;
    const Image img(RPreadJpeg(root + "/photos/a.jpg", nullptr, 0, &w, &h));
    ASSERT_GT(img.width(), 0);
    ASSERT_TRUE(test::writeTestTiff(root + "/photos/b.tif", img.record()));
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg", root + "/photos/b.tif"});
    m.settings.large = true;
    m.settings.copyhires = true;
    AlbumRenderer r(m);
    runAll(r);
    EXPECT_EQ(readAll(root + "/album/medium/0001.jpg"), readAll(root + "/photos/a.jpg"));
    EXPECT_EQ(readAll(root + "/album/large/0001.jpg"), readAll(root + "/photos/a.jpg"));
    const std::string tiffMain = readAll(root + "/album/medium/0002.jpg");
    ASSERT_GE(tiffMain.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(tiffMain[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(tiffMain[1]), 0xD8);
    EXPECT_EQ(jpegSize(root + "/album/large/0002.jpg"), (std::pair<int, int>{552, 368}));
    EXPECT_NE(readAll(root + "/album/large/0002.jpg"), readAll(root + "/photos/b.tif"));
}

TEST(Renderer, nonImageSourcesAreNeverCopied) {
    // An album information file may point at any file; with copyhires on it must not
    // end up in the album.
    const std::string root = scratchFolder("noleak");
    fs::create_directories(root + "/photos");
    const std::string secret = "PRIVATE KEY MATERIAL\n";
    test::writeAll(root + "/photos/secret", secret);
    test::writeAll(root + "/photos/secret.jpg", secret);
    AlbumModel m = makeAlbum(root, {root + "/photos/secret", root + "/photos/secret.jpg"});
    m.settings.large = true;
    m.settings.copyhires = true;
    AlbumRenderer r(m);
    runAll(r);
    for (const char* n : {"0001.jpg", "0002.jpg"}) {
        for (const char* d : {"small", "medium", "large"}) {
            const std::string out = root + "/album/" + d + "/" + n;
            EXPECT_TRUE(fs::exists(out)) << out;
            EXPECT_EQ(readAll(out).find("PRIVATE"), std::string::npos) << out;
        }
    }
    // The 3 x 2 placeholder keeps its own aspect: a 552 x 368 main image.
    EXPECT_EQ(jpegSize(root + "/album/medium/0001.jpg"), (std::pair<int, int>{552, 368}));
}

TEST(Renderer, folderNamesFromFilesStayInsideTheAlbum) {
    const std::string root = scratchFolder("inside");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 300, 200));
    // A photo beside the album folder that a "../photos" setting would delete.
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg"});
    m.settings.sdir = "../photos";
    m.settings.mdir = "..";
    m.settings.ldir = "/tmp";
    m.settings.cleardirs = true;
    AlbumRenderer r(m);
    runAll(r);
    EXPECT_TRUE(fs::exists(root + "/photos/a.jpg"));
    EXPECT_TRUE(fs::exists(root + "/album/small/0001.jpg"));
    EXPECT_TRUE(fs::exists(root + "/album/medium/0001.jpg"));
    EXPECT_FALSE(fs::exists(root + "/0001.jpg"));
}

TEST(Renderer, aFailedWriteDoesNotEndTheRun) {
    const std::string root = scratchFolder("failedwrite");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 300, 200));
    ASSERT_TRUE(writeTestJpeg(root + "/photos/b.jpg", 300, 200));
    fs::create_directories(root + "/album");
    test::writeAll(root + "/album/medium", "a file where the folder should be");
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg", root + "/photos/b.jpg"});
    AlbumRenderer r(m);
    runAll(r);
    EXPECT_EQ(r.processed(), 2);
    EXPECT_TRUE(fs::exists(root + "/album/small/0002.jpg"));
    EXPECT_TRUE(fs::exists(root + "/album/ext/js/albumdef.js"));
}

TEST(Renderer, autoViewerFooterKeyword) {
    const std::string root = scratchFolder("autoviewer");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 600, 400));
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg"});
    m.footer = "Holiday autoviewer";
    AlbumRenderer r(m);
    runAll(r);
    EXPECT_EQ(m.footer, "Holiday ");
    EXPECT_TRUE(fs::exists(root + "/album/images/0001.jpg"));
    EXPECT_FALSE(fs::exists(root + "/album/medium"));
    EXPECT_TRUE(fs::exists(root + "/album/gallerydata.xml"));
    EXPECT_TRUE(fs::exists(root + "/album/index_html.html"));
    EXPECT_NE(readAll(root + "/album/ext/js/albumdef.js").find("var footer        = 'Holiday ';"),
              std::string::npos);
}

TEST(Renderer, photoFrameKeywordWritesOnlyTheSlideshow) {
    const std::string root = scratchFolder("philips");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 600, 400));
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg"});
    m.footer = "philipsxml";
    AlbumRenderer r(m);
    runAll(r);
    EXPECT_EQ(m.footer, "philipsxml");
    EXPECT_TRUE(fs::exists(root + "/album/slideshow.alb"));
    EXPECT_FALSE(fs::exists(root + "/album/index.html"));
    EXPECT_FALSE(fs::exists(root + "/album/ext/js/albumdef.js"));
}

TEST(Renderer, simpleViewerThumbnailsAreSquare) {
    for (bool crop : {true, false}) {
        const std::string root = scratchFolder(crop ? "svcrop" : "svfit");
        fs::create_directories(root + "/photos");
        ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 900, 600));
        ASSERT_TRUE(writeTestJpeg(root + "/photos/b.jpg", 400, 700));
        AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg", root + "/photos/b.jpg"});
        m.settings.simpleviewer = true;
        m.settings.svcropthumbs = crop;
        AlbumRenderer r(m);
        runAll(r);
        for (const char* n : {"0001.jpg", "0002.jpg"}) {
            EXPECT_EQ(jpegSize(root + "/album/small/" + n), (std::pair<int, int>{65, 65}))
                << crop << n;
        }
        EXPECT_EQ(r.sizes().smallW, (std::vector<int>{65, 65}));
        EXPECT_TRUE(fs::exists(root + "/album/gallery.xml"));
        EXPECT_TRUE(fs::exists(root + "/album/index_html.html"));
    }
}

TEST(Renderer, uncroppedThumbnailIsCentredOnItsBackground) {
    const std::string root = scratchFolder("svcentre");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 1000, 250));
    AlbumModel m = makeAlbum(root, {root + "/photos/a.jpg"});
    m.settings.simpleviewer = true;
    m.settings.svcropthumbs = false;
    m.settings.svbgcolor = 0x0000FF;  // red
    m.settings.ssharpen = false;
    AlbumRenderer r(m);
    runAll(r);
    int w = 0, h = 0;
    const Image t(RPreadJpeg(root + "/album/small/0001.jpg", nullptr, 0, &w, &h));
    ASSERT_EQ(t.width(), 65);
    ASSERT_EQ(t.height(), 65);
    // 80 x 20 thumbnail centred: rows above y = 22 are background (blue, green, red).
    const std::uint8_t* p = t.pixels() + 2 * RPstride(65, 24) + 32 * 3;
    EXPECT_LT(p[0], 40);
    EXPECT_LT(p[1], 40);
    EXPECT_GT(p[2], 200);
}

TEST(Renderer, remainingTimeEstimate) {
    const std::string root = scratchFolder("estimate");
    fs::create_directories(root + "/photos");
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) {
        paths.push_back(root + format("/photos/%02d.jpg", i));
        ASSERT_TRUE(writeTestJpeg(paths.back(), 40, 30));
    }
    AlbumModel m = makeAlbum(root, paths);
    double now = 100.0;
    ImageReaders readers = defaultImageReaders();
    ImageReaders slow = readers;
    slow.readJpeg = [&](const std::string& p, int t, int* w, int* h) {
        now += 2.0;  // every decode takes two seconds
        return readers.readJpeg(p, t, w, h);
    };
    AlbumRenderer r(m, slow, [&] { return now; });
    r.begin();
    EXPECT_EQ(r.processed(), 1);
    EXPECT_DOUBLE_EQ(r.elapsedSeconds(), 2.0);
    EXPECT_DOUBLE_EQ(r.remainingSeconds(), 18.0);
    EXPECT_DOUBLE_EQ(r.percentDone(), 10.0);
    while (r.step()) {}
    EXPECT_DOUBLE_EQ(r.remainingSeconds(), 0.0);
    const double total = r.elapsedSeconds();
    now += 50;  // the clock is stopped after the run
    EXPECT_DOUBLE_EQ(r.elapsedSeconds(), total);
}

TEST(Renderer, unchangedAlbumIsReusedWithoutDecoding) {
    const std::string root = scratchFolder("reuse");
    fs::create_directories(root + "/photos");
    const std::string cam = test::testPhotoFolder("cameras");
    std::vector<std::string> paths;
    for (const char* n : {"Canon_40D.jpg", "Nikon_D70.jpg", "Pentax_K10D.jpg"}) {
        fs::copy_file(cam + n, root + "/photos/" + n);
        paths.push_back(root + "/photos/" + n);
    }
    ASSERT_TRUE(writeTestJpeg(root + "/photos/tiny.jpg", 200, 100));
    paths.push_back(root + "/photos/tiny.jpg");
    // Stored sideways (orientation 6): its album images have the turned size.
    fs::copy_file(test::testPhoto("orientation/portrait_6.jpg"), root + "/photos/p6.jpg");
    paths.push_back(root + "/photos/p6.jpg");
    AlbumModel m = makeAlbum(root, paths);
    m.settings.large = true;

    CountingReaders first;
    AlbumRenderer r1(m, first.make());
    runAll(r1);
    EXPECT_EQ(first.jpegDecodes, 5);
    for (const auto& [file, n] : first.decodesPerFile) EXPECT_EQ(n, 1) << file;
    for (const auto& [file, n] : first.orientationPerFile) EXPECT_LE(n, 1) << file;

    std::map<std::string, test::FileStamp> before;
    for (const auto& e : fs::recursive_directory_iterator(root + "/album")) {
        if (e.is_regular_file() && e.path().extension() == ".jpg")
            before[e.path()] = test::stampOf(e.path());
    }
    ASSERT_EQ(before.size(), 20u);  // thumbnail, 2x thumbnail, main and large of each

    m.settings.reuseimages = true;
    CountingReaders second;
    AlbumRenderer r2(m, second.make());
    runAll(r2);
    EXPECT_EQ(second.jpegDecodes, 0);
    for (const auto& [file, n] : second.orientationPerFile) EXPECT_LE(n, 1) << file;
    for (const auto& [path, stamp] : before) EXPECT_EQ(test::stampOf(path), stamp) << path;
    EXPECT_EQ(r2.sizes().mainW, r1.sizes().mainW);
    EXPECT_EQ(r2.sizes().mainH, r1.sizes().mainH);
    EXPECT_EQ(r2.sizes().smallW, r1.sizes().smallW);
    EXPECT_EQ(r2.sizes().largeH, r1.sizes().largeH);

    // A changed size setting no longer fits: every image is made again.
    m.settings.mhsize = m.settings.mvsize = 400;
    CountingReaders third;
    AlbumRenderer r3(m, third.make());
    runAll(r3);
    EXPECT_EQ(third.jpegDecodes, 5);
    for (const auto& [file, n] : third.orientationPerFile) EXPECT_EQ(n, 1) << file;
}

TEST(Renderer, tiffIsDecodedOnceEvenWhenTheReuseTestFails) {
    const std::string root = scratchFolder("tiffonce");
    fs::create_directories(root + "/photos");
    ASSERT_TRUE(writeTestJpeg(root + "/photos/a.jpg", 640, 480));
    int w = 0, h = 0;
    const Image img(RPreadJpeg(root + "/photos/a.jpg", nullptr, 0, &w, &h));
    ASSERT_TRUE(test::writeTestTiff(root + "/photos/a.tif", img.record()));
    AlbumModel m = makeAlbum(root, {root + "/photos/a.tif"});
    m.settings.reuseimages = true;  // no earlier files: the reuse test fails
    CountingReaders counts;
    AlbumRenderer r(m, counts.make());
    runAll(r);
    EXPECT_EQ(counts.tiffDecodes, 1);
    EXPECT_EQ(jpegSize(root + "/album/medium/0001.jpg"), (std::pair<int, int>{552, 414}));
    // Second run: reused on the image record's word, without decoding.
    CountingReaders again;
    AlbumRenderer r2(m, again.make());
    runAll(r2);
    EXPECT_EQ(again.tiffDecodes, 0);
    EXPECT_TRUE(r2.reused()[0]);
}

TEST(Renderer, exifOrientationTurnsTheImageUpright) {
    const std::string root = scratchFolder("orientation");
    fs::create_directories(root + "/photos");
    const std::string src = test::testPhotoFolder("orientation");
    fs::copy_file(src + "landscape_1.jpg", root + "/photos/l1.jpg");
    fs::copy_file(src + "landscape_6.jpg", root + "/photos/l6.jpg");
    AlbumModel m = makeAlbum(root, {root + "/photos/l1.jpg", root + "/photos/l6.jpg"});
    AlbumRenderer r(m);
    runAll(r);
    const auto a = jpegSize(root + "/album/medium/0001.jpg");
    const auto b = jpegSize(root + "/album/medium/0002.jpg");
    EXPECT_GT(a.first, a.second);
    EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace kavlo::core
