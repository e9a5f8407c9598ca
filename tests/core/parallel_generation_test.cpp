// SPDX-License-Identifier: MIT
// Generation on worker threads: the same album, byte for byte, whatever the number of
// threads; images completed one per step in album order; early stops; the Exif
// orientations read with the captions reused by the run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include "core/album_renderer.h"
#include "core/caption_extraction.h"
#include "core/parallel_generation.h"
#include "metadata/exif.h"
#include "support/test_photos.h"
#include "test_support.h"
#include "util/diagnostics.h"
#include "util/files.h"
#include "util/fonts.h"
#include "util/text.h"

namespace kavlo::core {

using imaging::Image;
using imaging::RPfillColour;
using metadata::ExifInfo;
using metadata::freeExif;
using metadata::readExif;
using model::AlbumModel;
using model::ImageEntry;
using util::defaultFontFile;
using util::fileNameOf;
using util::format;
using util::listImages;

namespace {

namespace fs = std::filesystem;
using test::readAll;
using test::scratchFolder;

/// Every regular file below `root`, by relative path, with its bytes.
std::map<std::string, std::string> treeOf(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file())
            files[fs::relative(e.path(), root).string()] = readAll(e.path().string());
    }
    return files;
}

/// Real camera photos (several turned by their Exif orientation), a TIFF, a file that
/// is not a picture at all and a synthetic JPEG, with every image operation switched on.
AlbumModel mixedAlbum(const std::string& root) {
    fs::create_directories(root + "/photos");
    std::vector<std::string> paths;
    for (const char* sub : {"orientation", "cameras"}) {
        for (const std::string& p : listImages(test::testPhotoFolder(sub), false))
            paths.push_back(p);
    }
    Image img = Image::create(300, 200, 24);
    RPfillColour(img.record(), 10, 120, 200, 0);
    EXPECT_TRUE(test::writeTestTiff(root + "/photos/t.tif", img.record()));
    paths.push_back(root + "/photos/t.tif");
    test::writeAll(root + "/photos/broken.jpg", "not a picture");
    paths.push_back(root + "/photos/broken.jpg");
    EXPECT_TRUE(test::writeTestJpeg(root + "/photos/g.jpg", 900, 700));
    paths.push_back(root + "/photos/g.jpg");

    AlbumModel m;
    m.title = "Threads";
    m.inputdir = root + "/photos";
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles(paths);
    m.settings.large = true;
    m.settings.lhsize = m.settings.lvsize = 700;
    m.settings.imagetext = true;
    m.settings.ittext = "Kavlo \xc2\xa9 2026";
    m.settings.itfontfile = defaultFontFile();
    m.settings.lsharpen = true;
    m.settings.cleardirs = true;
    for (size_t i = 0; i < m.images.size(); ++i) m.images[i].micap = format("caption %zu", i);
    return m;
}

struct RunRecord {
    std::map<std::string, std::string> files;
    SizeLists sizes;
    std::vector<bool> reused;
    int decodes = 0;
};

RunRecord generateWith(AlbumModel& m, int jobs) {
    AlbumRenderer r(m, defaultImageReaders());
    r.setJobs(jobs);
    generate(m, r);
    int steps = 1;
    while (r.step()) {
        ++steps;
        // One image per step, in album order, whatever runs ahead on the workers.
        EXPECT_EQ(r.processed(), steps);
        EXPECT_EQ(r.sizes().mainW.size(), static_cast<size_t>(steps));
        EXPECT_FALSE(r.finished());
    }
    EXPECT_TRUE(r.finished());
    EXPECT_EQ(r.processed(), static_cast<int>(m.images.size()));
    EXPECT_EQ(r.failedWrites(), 0);
    return {treeOf(m.destdir), r.sizes(), r.reused(), r.decodes()};
}

void expectSameAlbum(const RunRecord& a, const RunRecord& b) {
    ASSERT_EQ(a.files.size(), b.files.size());
    for (const auto& [path, bytes] : a.files) {
        const auto it = b.files.find(path);
        ASSERT_NE(it, b.files.end()) << path;
        EXPECT_TRUE(it->second == bytes) << path << " differs";
    }
    EXPECT_EQ(a.sizes.smallW, b.sizes.smallW);
    EXPECT_EQ(a.sizes.smallH, b.sizes.smallH);
    EXPECT_EQ(a.sizes.mainW, b.sizes.mainW);
    EXPECT_EQ(a.sizes.mainH, b.sizes.mainH);
    EXPECT_EQ(a.sizes.largeW, b.sizes.largeW);
    EXPECT_EQ(a.sizes.largeH, b.sizes.largeH);
    EXPECT_EQ(a.reused, b.reused);
    EXPECT_EQ(a.decodes, b.decodes);
}

TEST(ParallelGeneration, albumIsByteIdenticalForOneAndFourThreads) {
    const std::string root = scratchFolder("parallel_same");
    AlbumModel m = mixedAlbum(root);
    const RunRecord one = generateWith(m, 1);
    ASSERT_TRUE(one.files.count("ext/js/albumdef.js"));
    ASSERT_GT(one.files.size(), 3 * m.images.size());
    const RunRecord four = generateWith(m, 4);
    expectSameAlbum(one, four);
    // Turned photos really were turned: portrait_6 is stored sideways.
    const size_t p6 = 13;
    ASSERT_EQ(fileNameOf(m.images[p6].path), "portrait_6.jpg");
    EXPECT_GT(four.sizes.mainH[p6], four.sizes.mainW[p6]);

    // A regeneration with reuse keeps every file the same way on any number of threads.
    m.settings.cleardirs = false;
    m.settings.reuseimages = true;
    m.settings.imagetext = false;
    const RunRecord fresh = generateWith(m, 1);
    const RunRecord reusedOne = generateWith(m, 1);
    const RunRecord reusedThree = generateWith(m, 3);
    expectSameAlbum(reusedOne, reusedThree);
    // Nothing is decoded: the image record vouches for every file, the TIFF's and the
    // unreadable file's placeholder too (the same files make the same album).
    EXPECT_EQ(reusedThree.decodes, 0);
    EXPECT_EQ(fresh.files, reusedThree.files);
}

TEST(ParallelGeneration, whatImagesReportIsToldInAlbumOrderByTheRun) {
    const std::string root = scratchFolder("parallel_diagnostics");
    fs::create_directories(root + "/photos");
    std::vector<std::string> paths, broken;
    for (int i = 0; i < 12; ++i) {
        paths.push_back(root + format("/photos/%02d.jpg", i));
        if (i % 3 == 1) {
            test::writeAll(paths.back(), "not a picture");
            broken.push_back(paths.back());
        } else {
            ASSERT_TRUE(test::writeTestJpeg(paths.back(), 300 + 40 * i, 200));
        }
    }
    AlbumModel m;
    m.inputdir = root + "/photos";
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles(paths);
    util::DiagnosticLog log;
    const util::ScopedDiagnosticSink scoped(log.sink());
    AlbumRenderer r(m, defaultImageReaders());
    r.setJobs(3);
    generate(m, r);
    while (r.step()) {}
    ASSERT_TRUE(r.finished());
    // One decode failure per broken photo, through the sink of the process (never
    // printed by a worker), in album order whatever thread made the image.
    std::vector<std::string> files;
    for (const util::Diagnostic& d : log.diagnostics()) {
        EXPECT_EQ(d.code, util::ErrorCode::corrupt) << d.line();
        EXPECT_EQ(d.severity, util::Severity::error);
        files.push_back(d.file);
    }
    EXPECT_EQ(files, broken);
}

TEST(ParallelGeneration, stoppingMidRunJoinsWorkersAndWritesNoPages) {
    const std::string root = scratchFolder("parallel_stop");
    fs::create_directories(root + "/photos");
    std::vector<std::string> paths;
    for (int i = 0; i < 24; ++i) {
        paths.push_back(root + format("/photos/%02d.jpg", i));
        ASSERT_TRUE(test::writeTestJpeg(paths.back(), 640, 480));
    }
    AlbumModel m;
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles(paths);
    for (bool destroy : {false, true}) {
        fs::remove_all(m.destdir);
        auto r = std::make_unique<AlbumRenderer>(m, defaultImageReaders());
        r->setJobs(3);
        r->begin();
        EXPECT_TRUE(r->step());
        if (destroy) {
            r.reset();  // the window closes mid-run
        } else {
            r->stop();
            EXPECT_FALSE(r->step());
            EXPECT_FALSE(r->finished());
            EXPECT_EQ(r->processed(), 2);
        }
        EXPECT_FALSE(fs::exists(m.destdir + "/albumdef.js"));
        // Whatever the workers had begun was finished: no half-written image is left.
        int written = 0;
        for (const auto& e : fs::directory_iterator(m.destdir + "/medium")) {
            EXPECT_EQ(test::jpegSize(e.path().string()), (std::pair<int, int>{552, 414}))
                << e.path();
            ++written;
        }
        EXPECT_GE(written, 2);
        EXPECT_LE(written, 2 + 6);  // at most the window of 2 x 3 images ran ahead
    }
}

TEST(ParallelGeneration, anImageThatThrowsEndsTheRunAtItsPlace) {
    const std::string root = scratchFolder("parallel_throw");
    fs::create_directories(root + "/photos");
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) {
        paths.push_back(root + format("/photos/%02d.jpg", i));
        ASSERT_TRUE(test::writeTestJpeg(paths.back(), 200, 100));
    }
    AlbumModel m;
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles(paths);
    ImageReaders readers = defaultImageReaders();
    const auto base = readers.readJpeg;
    const std::string bad = paths[4];
    readers.readJpeg = [base, bad](const std::string& p, int t, int* w, int* h) {
        if (p == bad) throw std::bad_alloc();
        return base(p, t, w, h);
    };
    AlbumRenderer r(m, readers);
    r.setJobs(3);
    r.begin();
    int steps = 1;
    bool threw = false;
    try {
        while (r.step()) ++steps;
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    EXPECT_TRUE(threw);
    EXPECT_EQ(steps, 4);  // images 1..4 were taken, the fifth failed
    EXPECT_EQ(r.processed(), 4);
    EXPECT_EQ(r.sizes().mainW.size(), 4u);
    EXPECT_FALSE(r.step());
    EXPECT_FALSE(r.finished());
    EXPECT_FALSE(fs::exists(m.destdir + "/ext/js/albumdef.js"));
}

TEST(ParallelGeneration, workResultsComeInOrderWithABoundedWindow) {
    std::atomic<int> inFlight{0}, maxInFlight{0}, taken{0}, maxAhead{0}, onCaller{0};
    const std::thread::id caller = std::this_thread::get_id();
    auto work = [&](int index) {
        if (std::this_thread::get_id() == caller) ++onCaller;
        const int now = ++inFlight;
        int seen = maxInFlight.load();
        while (now > seen && !maxInFlight.compare_exchange_weak(seen, now)) {}
        int ahead = index - taken.load();
        seen = maxAhead.load();
        while (ahead > seen && !maxAhead.compare_exchange_weak(seen, ahead)) {}
        // Later images finish first now and then.
        std::this_thread::sleep_for(std::chrono::microseconds((index * 7919) % 5 * 300));
        --inFlight;
        if (index == 37) throw std::runtime_error("image 37");
        ImageResult r;
        r.mainW = index;
        return r;
    };
    OrderedImageWork pool(3, 6, 50, work);
    for (int i = 0; i < 50; ++i) {
        onCaller = 0;
        if (i == 37) {
            // A failure on a worker reaches the caller at its place in the order.
            EXPECT_THROW(pool.takeNext(), std::runtime_error);
        } else {
            EXPECT_EQ(pool.takeNext().mainW, i);
        }
        // The caller makes at most one image per call, so each call lasts about one image.
        EXPECT_LE(onCaller.load(), 1) << i;
        taken = i + 1;
    }
    EXPECT_LE(maxInFlight.load(), 3);
    EXPECT_LE(maxAhead.load(), 6);
    EXPECT_EQ(pool.takeNext().mainW, 0);  // past the end: nothing
}

TEST(ParallelGeneration, exifOrientationReadOncePerPhoto) {
    const std::string root = scratchFolder("parallel_exif_once");
    AlbumModel m;
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles(listImages(test::testPhotoFolder("orientation"), false));
    ExifOrientations known;
    setExifCaptions(m, -1, false, &known);
    ASSERT_EQ(known.size(), m.images.size());
    for (const ImageEntry& e : m.images) {
        ExifInfo info = readExif(e.path, false);
        EXPECT_EQ(known[e.path], info.orientation) << e.path;
        freeExif(info);
    }
    EXPECT_EQ(known[m.images[5].path], 6);

    std::atomic<int> reads{0};
    ImageReaders readers = defaultImageReaders();
    const auto base = readers.readOrientation;
    readers.readOrientation = [&reads, base](const std::string& p) {
        ++reads;
        return base(p);
    };
    std::map<std::string, std::string> withoutCache;
    for (bool useCache : {false, true}) {
        fs::remove_all(m.destdir);
        AlbumRenderer r(m, readers);
        r.setJobs(2);
        if (useCache) r.useKnownOrientations(known);
        reads = 0;
        r.begin();
        while (r.step()) {}
        if (useCache) {
            EXPECT_EQ(reads.load(), 0);
            EXPECT_EQ(treeOf(m.destdir), withoutCache);  // turned the same way
        } else {
            EXPECT_EQ(reads.load(), static_cast<int>(m.images.size()));
            withoutCache = treeOf(m.destdir);
        }
    }
}

}  // namespace
}  // namespace kavlo::core
