// SPDX-License-Identifier: MIT
// The image record: what it keeps across runs, what a killed run leaves of it, which
// settings make an image different, and the whole-file check of the reuse test.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "core/image_record.h"
#include "test_support.h"

namespace kavlo::core {

using model::AlbumSettings;
using model::ImageEntry;

namespace {

using test::readAll;
using test::scratchFolder;
using test::writeAll;
using test::writeTestJpeg;

ImageRecordEntry sampleEntry(int number, const std::string& source) {
    ImageRecordEntry e;
    e.number = number;
    e.source = {source, 123456, 1733700000123456789LL};
    e.shape = 0x0123456789abcdefULL;
    e.files = {{AlbumFileKind::thumbnail, 0, "small/" + std::to_string(number) + ".jpg", 80, 60,
                4000, false},
               {AlbumFileKind::main, 0, "medium/a b \xC3\xA9.jpg", 552, 414, 90000, true},
               {AlbumFileKind::rendition, 2, "hd/2560/x.jpg", 2560, 1920, 1000000, false}};
    return e;
}

}  // namespace

TEST(ImageRecord, keepsEntriesAcrossSaveAppendAndLoad) {
    const std::string dir = scratchFolder("record-roundtrip");
    const std::string path = dir + "/imagerecord.txt";
    ImageRecord record;
    record.set(sampleEntry(1, "/photos/a.jpg"));
    record.set(sampleEntry(2, "/photos/with space/\xC3\xA9t\xC3\xA9.jpg"));
    ASSERT_TRUE(record.save(path));
    // A later line for an image replaces the earlier one; a new image is added.
    ImageRecordEntry again = sampleEntry(2, "/photos/c.jpg");
    again.files.pop_back();
    ASSERT_TRUE(ImageRecord::append(path, again));
    ASSERT_TRUE(ImageRecord::append(path, sampleEntry(3, "/photos/d.jpg")));
    EXPECT_NE(readAll(path).find("\r\n"), std::string::npos);

    ImageRecord loaded;
    ASSERT_TRUE(loaded.load(path));
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(*loaded.find(1), sampleEntry(1, "/photos/a.jpg"));
    EXPECT_EQ(*loaded.find(2), again);
    EXPECT_EQ(*loaded.find(3), sampleEntry(3, "/photos/d.jpg"));
    EXPECT_EQ(loaded.find(4), nullptr);
}

TEST(ImageRecord, ignoresLinesCutShortOrDamaged) {
    const std::string dir = scratchFolder("record-torn");
    const std::string path = dir + "/imagerecord.txt";
    ImageRecord record;
    record.set(sampleEntry(1, "/photos/a.jpg"));
    ASSERT_TRUE(record.save(path));
    const std::string saved = readAll(path);
    const std::string good = ImageRecord::line(sampleEntry(2, "/photos/b.jpg"));
    // A line with one character changed fails its checksum.
    std::string damaged = ImageRecord::line(sampleEntry(3, "/photos/c.jpg"));
    damaged[0] = '4';
    // A run killed in the middle of a line leaves it without its line end.
    writeAll(path, saved + damaged + "\r\n" + good.substr(0, good.size() - 1));
    ImageRecord loaded;
    ASSERT_TRUE(loaded.load(path));
    EXPECT_EQ(loaded.size(), 1u);
    EXPECT_NE(loaded.find(1), nullptr);
    EXPECT_EQ(loaded.find(2), nullptr);
    // Cut after the carriage return: still not whole.
    writeAll(path, saved + good + "\r");
    ASSERT_TRUE(loaded.load(path));
    EXPECT_EQ(loaded.find(2), nullptr);

    // A file that is not a record, and paths that lead out of the album, give nothing.
    writeAll(path, "something else\r\n" + good + "\r\n");
    EXPECT_FALSE(loaded.load(path));
    EXPECT_EQ(loaded.size(), 0u);
    for (const char* bad : {"../outside.jpg", "/etc/passwd"}) {
        ImageRecordEntry e = sampleEntry(1, "/p.jpg");
        e.files[0].path = bad;
        EXPECT_FALSE(ImageRecord::parseLine(ImageRecord::line(e))) << bad;
    }
    EXPECT_FALSE(loaded.load(dir + "/missing.txt"));
}

TEST(ImageRecord, fingerprintFollowsEverySettingThatShapesTheFiles) {
    const AlbumSettings base;
    ImageEntry entry{"/photos/a.jpg", "major", "minor"};
    const std::uint64_t f0 = shapeFingerprint(base, entry);
    const auto differs = [&](auto change) {
        AlbumSettings s = base;
        ImageEntry e = entry;
        change(s, e);
        return shapeFingerprint(s, e) != f0;
    };
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.mquality = 94; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.mhsize = 600; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.svsize = 100; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.ssharpen = false; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.large = true; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.autorotate = false; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.renditions = false; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.simpleviewer = true; }));
    EXPECT_TRUE(differs([](AlbumSettings& s, ImageEntry&) { s.imagetext = true; }));
    // Things that do not change the pixels leave it alone.
    EXPECT_FALSE(differs([](AlbumSettings& s, ImageEntry&) { s.appearance = "light"; }));
    EXPECT_FALSE(differs([](AlbumSettings& s, ImageEntry& e) {
        s.mdir = "images";
        e.macap = "another caption";
    }));
    EXPECT_FALSE(differs([](AlbumSettings& s, ImageEntry&) { s.svbgcolor = 0x123456; }));

    // With watermarks, their text (the image's own minor caption when chosen) and font.
    AlbumSettings marked = base;
    marked.imagetext = true;
    const auto markedDiffers = [&](auto change) {
        AlbumSettings s = marked;
        ImageEntry e = entry;
        change(s, e);
        return shapeFingerprint(s, e) != shapeFingerprint(marked, entry);
    };
    EXPECT_TRUE(markedDiffers([](AlbumSettings& s, ImageEntry&) { s.ittext = "other"; }));
    EXPECT_TRUE(markedDiffers([](AlbumSettings& s, ImageEntry&) { s.itfontfile = "/f.ttf"; }));
    EXPECT_TRUE(markedDiffers([](AlbumSettings& s, ImageEntry&) { s.ittransp = 3; }));
    EXPECT_FALSE(markedDiffers([](AlbumSettings&, ImageEntry& e) { e.micap = "x"; }));
    marked.itfrommicap = true;
    EXPECT_TRUE(markedDiffers([](AlbumSettings&, ImageEntry& e) { e.micap = "x"; }));
    // SimpleViewer squares: the background of padded thumbnails.
    AlbumSettings squares = base;
    squares.simpleviewer = true;
    AlbumSettings otherBackground = squares;
    otherBackground.svbgcolor = 0x123456;
    EXPECT_NE(shapeFingerprint(squares, entry), shapeFingerprint(otherBackground, entry));

    // Copies of a JPEG photo with or without its position; the page colour under the
    // transparent pixels of the formats that have them. Each only where it can matter.
    const ImageEntry png{"/photos/b.PNG", "", ""};
    const ImageEntry heic{"/photos/c.heic", "", ""};
    const ImageEntry tiff{"/photos/d.tif", "", ""};
    AlbumSettings stripped = base;
    stripped.striplocation = true;
    AlbumSettings darkPage = base;
    darkPage.skinbg = 0x202020;
    EXPECT_NE(shapeFingerprint(stripped, entry), f0);
    EXPECT_EQ(shapeFingerprint(stripped, png), shapeFingerprint(base, png));
    EXPECT_EQ(shapeFingerprint(darkPage, entry), f0);
    EXPECT_EQ(shapeFingerprint(darkPage, tiff), shapeFingerprint(base, tiff));
    EXPECT_NE(shapeFingerprint(darkPage, png), shapeFingerprint(base, png));
    EXPECT_NE(shapeFingerprint(darkPage, heic), shapeFingerprint(base, heic));
}

TEST(ImageRecord, wholeFileCheckRejectsCutAndChangedFiles) {
    const std::string dir = scratchFolder("record-whole");
    ASSERT_TRUE(writeTestJpeg(dir + "/a.jpg", 200, 150));
    const std::string bytes = readAll(dir + "/a.jpg");
    RecordedFile f{AlbumFileKind::main, 0, "a.jpg", 200, 150, bytes.size(), false};
    EXPECT_TRUE(isWholeFile(dir, f));

    // Cut in half, with the recorded size adjusted or not.
    writeAll(dir + "/a.jpg", bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(isWholeFile(dir, f));
    f.bytes = bytes.size() / 2;
    EXPECT_FALSE(isWholeFile(dir, f));
    // Another size than recorded.
    writeAll(dir + "/a.jpg", bytes + "xx");
    f.bytes = bytes.size();
    EXPECT_FALSE(isWholeFile(dir, f));
    // A copy of a source that carries bytes after its end marker is judged by size.
    f.copy = true;
    f.bytes = bytes.size() + 2;
    EXPECT_TRUE(isWholeFile(dir, f));
    f.path = "missing.jpg";
    EXPECT_FALSE(isWholeFile(dir, f));
}

TEST(ImageRecord, stampTellsSourcesApart) {
    const std::string dir = scratchFolder("record-stamp");
    writeAll(dir + "/a.jpg", "12345");
    const auto a = stampOf(dir + "/a.jpg");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->size, 5u);
    // Same size, another modification time.
    struct timespec times[2] = {{0, UTIME_OMIT}, {1000, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir + "/a.jpg").c_str(), times, 0), 0);
    const auto b = stampOf(dir + "/a.jpg");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->mtimeNs, 1000000000005LL);
    EXPECT_NE(*a, *b);
    EXPECT_FALSE(stampOf(dir + "/none.jpg"));
    EXPECT_FALSE(stampOf(dir));
}

}  // namespace kavlo::core

namespace kavlo::core {

TEST(ImageRecord, filesAreKeptOnlyForTheSameSourceSettingsPlacesAndWholeFiles) {
    const std::string dir = test::scratchFolder("record-kept");
    std::filesystem::create_directories(dir + "/medium");
    ASSERT_TRUE(test::writeTestJpeg(dir + "/medium/0001.jpg", 100, 80));
    const std::uint64_t bytes = std::filesystem::file_size(dir + "/medium/0001.jpg");
    ImageRecordEntry e;
    e.number = 1;
    e.source = {"/photos/a.jpg", 10, 20};
    e.shape = 7;
    e.files = {{AlbumFileKind::main, 0, "medium/0001.jpg", 100, 80, bytes, false}};
    ImageHistory h{e.source, 7, &e};
    const auto at = [](AlbumFileKind, int) { return std::string("medium/0001.jpg"); };
    EXPECT_EQ(keptFiles(h, dir, at), &e);

    ImageHistory other = h;
    other.stamp->mtimeNs = 21;
    EXPECT_EQ(keptFiles(other, dir, at), nullptr);
    other = h;
    other.stamp.reset();  // the photo cannot be read any more
    EXPECT_EQ(keptFiles(other, dir, at), nullptr);
    other = h;
    other.shape = 8;
    EXPECT_EQ(keptFiles(other, dir, at), nullptr);
    other = h;
    other.earlier = nullptr;
    EXPECT_EQ(keptFiles(other, dir, at), nullptr);
    // The run would name the file differently (another folder, original names).
    EXPECT_EQ(keptFiles(h, dir, [](AlbumFileKind, int) { return std::string("main/0001.jpg"); }),
              nullptr);
    // An entry without a main image is no album image.
    ImageRecordEntry noMain = e;
    noMain.files[0].kind = AlbumFileKind::thumbnail;
    other.earlier = &noMain;
    EXPECT_EQ(keptFiles(other, dir, at), nullptr);
    std::filesystem::resize_file(dir + "/medium/0001.jpg", bytes - 1);
    EXPECT_EQ(keptFiles(h, dir, at), nullptr);
}

}  // namespace kavlo::core
