// SPDX-License-Identifier: MIT
#include "metadata/exif.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "jpeg_builder.h"
#include "support/test_photos.h"

namespace kavlo::metadata {
namespace {

using testing::Bytes;
using testing::TiffBuilder;
using Dir = TiffBuilder::Dir;

ExifInfo parse(const Bytes& jpeg, bool withThumbnail = false) {
    return readExifMemory(jpeg.data(), jpeg.size(), withThumbnail);
}

ExifInfo parseTiff(const TiffBuilder& tiff, bool withThumbnail = false) {
    return parse(testing::jpegWith({testing::exifSection(tiff.build())}), withThumbnail);
}

bool isZero(const ExifInfo& e) {
    return e.fileName.empty() && e.make.empty() && e.model.empty() && e.dateTime.empty() &&
           e.width == 0 && e.height == 0 && e.process == 0 && e.isColour == 0 &&
           e.orientation == 0 && e.comment.empty() && e.thumbnail.empty() && e.thumbnailSize == 0 &&
           e.dateCopies.empty() && e.exposureTime == 0 && e.iso == 0;
}

// ---------------------------------------------------------------------------------------
// Real camera files. Expected values were checked once against exiftool (-n); where
// Kavlo's own rules give something else, the row says why.

struct CameraCase {
    const char* file;
    const char* make;
    const char* model;
    const char* date;
    double exposure, fnumber, focal;
    int focal35, iso, flash, orientation;
    bool motorola;
};

// Texts are copied as they stand in the file: exiftool trims trailing spaces, Kavlo keeps them.
// focal35 "derived": the file has no FocalLengthIn35mmFilm; Kavlo derives it from the
// focal-plane resolution and the Exif image width. These samples were downscaled to about
// 100 pixels (ExifImageWidth 100), so the derived value is large; exiftool derives none.
// iso 0 where exiftool shows an ISO: exiftool takes it from the maker note, which Kavlo ignores.
const CameraCase kCameras[] = {
    {"cameras/Canon_40D.jpg", "Canon", "Canon EOS 40D", "2008:05:30 15:56:01", 0.00625, 7.1, 135,
     8492 /*derived*/, 100, 9, 1, false},
    {"cameras/Canon_40D_photoshop_import.jpg", "", "", "2008:07:31 10:05:49", 0, 0, 0, 0, 0, 0, 1,
     true},
    {"cameras/Canon_DIGITAL_IXUS_400.jpg", "Canon", "Canon DIGITAL IXUS 400", "2004:08:27 13:52:55",
     0.005, 10, 15.4375, 1775 /*derived*/, 0 /*maker note*/, 24, 0 /*no Orientation tag*/, false},
    // ExifImageWidth 2272 here: 2272 x 25.4 / 8114.29 = 7.112 mm, 21.3125 / 7.112 x 36 -> 108.
    {"cameras/Canon_PowerShot_S40.jpg", "Canon", "Canon PowerShot S40", "2003:12:14 12:01:44",
     0.002, 4.9, 21.3125, 108 /*derived*/, 0 /*maker note*/, 24, 1, false},
    // No ExposureTime: 1 / 2^ShutterSpeedValue (exiftool: ShutterSpeedValue 0.0027621).
    {"cameras/Fujifilm_FinePix6900ZOOM.jpg", "FUJIFILM", "FinePix6900ZOOM", "2001:02:19 06:40:05",
     0.00276213586, 4, 21.8, 2907 /*derived*/, 100, 0, 1, true},
    {"cameras/Fujifilm_FinePix_E500.jpg", "FUJIFILM", "FinePix E500   ", "2006:08:17 09:24:48",
     0.0125, 2.9, 4.7, 677 /*derived*/, 100, 16, 1, true},
    // No ISOSpeedRatings: ExposureIndex 80 stands in.
    {"cameras/Kodak_CX7530.jpg", "EASTMAN KODAK COMPANY", "KODAK CX7530 ZOOM DIGITAL CAMERA",
     "2005:08:13 09:47:23", 0.004, 4.6, 16.8, 102, 80, 24, 1, false},
    {"cameras/Konica_Minolta_DiMAGE_Z3.jpg", "KONICA MINOLTA ", "DiMAGE Z3", "2005:03:10 15:10:48",
     0.025, 2.8, 5.859375, 35, 200, 15, 1, true},
    {"cameras/Nikon_COOLPIX_P1.jpg", "NIKON", "COOLPIX P1", "2008:03:07 09:55:46", 0.004572473708,
     6, 7.5, 36, 50, 24, 1, false},
    {"cameras/Nikon_D70.jpg", "NIKON CORPORATION", "NIKON D70", "2008:03:15 09:52:01", 0.005, 9,
     100, 150, 200, 0, 1, false},
    {"cameras/Olympus_C8080WZ.jpg", "OLYMPUS CORPORATION", "C8080WZ", "2006:10:22 15:44:29",
     0.00625, 2.8, 15.8, 0, 50, 9, 1, false},
    {"cameras/PaintTool_sample.jpg", "", "", "", 0, 0, 0, 0, 0, 0, 1, false},
    {"cameras/Panasonic_DMC-FZ30.jpg", "Panasonic", "DMC-FZ30", "2008:07:16 11:33:20",
     0.03333333333, 3.2, 14.1, 82, 100, 9, 1, false},
    {"cameras/Pentax_K10D.jpg", "PENTAX Corporation ", "PENTAX K10D        ", "2008:05:04 16:47:24",
     0.005555555556, 11, 90, 0, 200, 16, 1, false},
    // exiftool's DateTimeOriginal for this camera comes from its maker note.
    {"cameras/Reconyx_HC500_Hyperfire.jpg", "", "", "", 0.0181372549, 0, 0, 0, 100, 0, 0, false},
    {"cameras/Ricoh_Caplio_RR330.jpg", "Caplio ", "RR330      ", "2004:08:31 19:52:58",
     0.0303030303, 2.88, 0, 0, 100, 16, 0, false},
    {"cameras/Samsung_Digimax_i50_MP3.jpg", "Samsung Techwin", "<Digimax i50 MP3, Samsung #1 MP3>",
     "2006:08:15 17:50:57", 0.1666666667, 3.5, 6.6, 39, 150, 16, 1, false},
    {"cameras/Sony_HDR-HC3.jpg", "SONY", "HDR-HC3", "2007:06:15 04:42:32", 0.01666666667, 4, 5.1, 0,
     0, 9, 1, false},
    {"cameras/WWL_(Polaroid)_ION230.jpg", "WWL     ", "ION230", "2026:11:24 14:41:16",
     0.03003003003, 2.8, 8.4, 0, 100, 0, 1, false},
    // Only IFD0's DateTime (exiftool's CreateDate here comes from XMP).
    {"cameras/long_description.jpg", "", "", "2008:07:31 10:50:00", 0, 0, 0, 0, 0, 9969, 1, true},
    {"large/canon_hdr_NO.jpg", "Canon", "Canon PowerShot SX60 HS", "2015:02:09 22:47:44",
     0.01666666667, 5.6, 57.01900238, 333 /*derived from a full-size width*/, 800, 16, 6, false},
    // ISOSpeedRatings 32 is below 50, which Kavlo reads as units of 200 (32 x 200).
    {"large/iphone_hdr_NO.jpg", "Apple", "iPhone 6", "2015:04:10 20:12:23", 0.025, 2.2, 4.15, 57,
     6400, 16, 1, false},
};

void expectClose(double expected, double actual, const char* what, const char* file) {
    EXPECT_NEAR(expected, actual, std::fabs(expected) * 1e-5 + 1e-9) << what << " of " << file;
}

TEST(ExifCameras, readsTheRecordingDataOfRealCameraFiles) {
    for (const CameraCase& c : kCameras) {
        const std::string path = test::testPhoto(c.file);
        ExifInfo e = readExif(path, false);
        EXPECT_EQ(e.fileName, path);
        EXPECT_EQ(e.make, c.make) << c.file;
        EXPECT_EQ(e.model, c.model) << c.file;
        EXPECT_EQ(e.dateTime, c.date) << c.file;
        expectClose(c.exposure, e.exposureTime, "exposure", c.file);
        expectClose(c.fnumber, e.fNumber, "f-number", c.file);
        expectClose(c.focal, e.focalLength, "focal length", c.file);
        EXPECT_EQ(e.focalLength35, c.focal35) << c.file;
        EXPECT_EQ(e.iso, c.iso) << c.file;
        EXPECT_EQ(e.flash, c.flash) << c.file;
        EXPECT_EQ(e.orientation, c.orientation) << c.file;
        EXPECT_NE(e.width, 0) << c.file;
        EXPECT_EQ(e.process, 0xC0) << c.file;
        EXPECT_TRUE(e.thumbnail.empty());
        EXPECT_EQ(e.thumbnailSize, 0);
    }
}

TEST(ExifCameras, readsEveryOrientationValue) {
    for (const char* kind : {"landscape", "portrait"}) {
        for (int o = 1; o <= 8; ++o) {
            const std::string path = test::testPhoto(std::string("orientation/") + kind + "_" +
                                                     std::to_string(o) + ".jpg");
            ExifInfo e = readExif(path, false);
            EXPECT_EQ(e.orientation, o) << path;
            EXPECT_EQ(e.isColour, 1) << path;
            // Orientations 5..8 store the picture on its side.
            const bool landscape = std::string(kind) == "landscape";
            const bool sideways = o >= 5;
            EXPECT_EQ(e.width > e.height, landscape != sideways) << path;
        }
    }
}

TEST(ExifCameras, copiesTheEmbeddedThumbnailOnlyWhenAsked) {
    const std::string path = test::testPhoto("cameras/Canon_40D.jpg");
    ExifInfo e = readExif(path, true);
    ASSERT_EQ(e.thumbnailSize, 1378);
    ASSERT_EQ(e.thumbnail.size(), 1378u);
    EXPECT_EQ(e.thumbnail[0], 0xFF);
    EXPECT_EQ(e.thumbnail[1], 0xD8);
    EXPECT_EQ(readExifThumbnail(path), e.thumbnail);
    EXPECT_EQ(e.dateCopyCount, 3);
    EXPECT_EQ(e.dateCopies.size(), 3u);
    freeExif(e);
    EXPECT_TRUE(isZero(e));
    EXPECT_TRUE(readExifThumbnail(test::testPhoto("orientation/landscape_1.jpg")).empty());
}

TEST(ExifCameras, readsTheCommentSection) {
    EXPECT_EQ(readExif(test::testPhoto("cameras/Nikon_D70.jpg"), false).comment,
              "comment in GIMP 2.4.5");
}

TEST(ExifCameras, severalThreadsReadAtOnce) {
    std::vector<std::string> paths;
    for (const CameraCase& c : kCameras) paths.push_back(test::testPhoto(c.file));
    std::vector<ExifInfo> expected;
    for (const std::string& p : paths) expected.push_back(readExif(p, true));
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                for (std::size_t i = 0; i < paths.size(); ++i) {
                    const std::size_t k = (i + t * 3) % paths.size();
                    ExifInfo e = readExif(paths[k], true);
                    if (e.make != expected[k].make || e.dateTime != expected[k].dateTime ||
                        e.thumbnail != expected[k].thumbnail || e.iso != expected[k].iso ||
                        e.focalLength35 != expected[k].focalLength35)
                        ++mismatches[t];
                }
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int m : mismatches) EXPECT_EQ(m, 0);
}

// ---------------------------------------------------------------------------------------
// Tag rules on built blocks.

class ExifByteOrder : public ::testing::TestWithParam<bool> {};

TEST_P(ExifByteOrder, dateTimeOriginalWinsWhateverTheOrder) {
    TiffBuilder a(GetParam());
    a.ascii(Dir::ifd0, 306, "2005:01:01 10:00:00").ascii(Dir::exif, 36867, "2004:12:31 23:59:59");
    ExifInfo e = parseTiff(a);
    EXPECT_EQ(e.dateTime, "2004:12:31 23:59:59");
    EXPECT_EQ(e.dateCopies,
              (std::vector<std::string>{"2005:01:01 10:00:00", "2004:12:31 23:59:59"}));

    // DateTimeOriginal first (in IFD0), then DateTimeDigitized: the digitized date does
    // not replace a date that begins with a digit.
    TiffBuilder b(GetParam());
    b.ascii(Dir::ifd0, 306, "")
        .ascii(Dir::exif, 36867, "2004:12:31 23:59:59")
        .ascii(Dir::exif, 36868, "2005:01:01 10:00:00");
    e = parseTiff(b);
    EXPECT_EQ(e.dateTime, "2004:12:31 23:59:59");
    EXPECT_EQ(e.dateCopyCount, 3);
}

TEST_P(ExifByteOrder, fallsBackToApexValuesAndScalesSmallIso) {
    TiffBuilder t(GetParam());
    t.rational(Dir::exif, 37377, 8, 1, true)  // ShutterSpeedValue 8 -> 1/256 s
        .rational(Dir::exif, 37378, 4, 1)     // ApertureValue 4 -> f/4
        .u16(Dir::exif, 34855, 1);            // ISOSpeedRatings 1 -> 200
    ExifInfo e = parseTiff(t);
    EXPECT_FLOAT_EQ(e.exposureTime, 1.0f / 256);
    EXPECT_FLOAT_EQ(e.fNumber, 4);
    EXPECT_EQ(e.iso, 200);

    TiffBuilder u(GetParam());
    u.rational(Dir::exif, 33434, 1, 100)
        .rational(Dir::exif, 33437, 28, 10)
        .rational(Dir::exif, 37377, 8, 1, true)
        .rational(Dir::exif, 37381, 4, 1)
        .u16(Dir::exif, 34855, 100)
        .u16(Dir::exif, 41493, 400);
    e = parseTiff(u);
    EXPECT_FLOAT_EQ(e.exposureTime, 0.01f);
    EXPECT_FLOAT_EQ(e.fNumber, 2.8f);
    EXPECT_EQ(e.iso, 100);  // ExposureIndex only when there is no ISO
}

TEST_P(ExifByteOrder, firstOrientationCountsAndOutOfRangeIsZero) {
    TiffBuilder a(GetParam());
    a.u16(Dir::ifd0, 274, 9);
    EXPECT_EQ(parseTiff(a).orientation, 0);
    TiffBuilder b(GetParam());
    b.u16(Dir::ifd0, 274, 6).u16(Dir::exif, 274, 3);
    EXPECT_EQ(parseTiff(b).orientation, 6);
}

TEST_P(ExifByteOrder, derivesTheSensorWidthAnd35mmFocalLength) {
    TiffBuilder t(GetParam());
    t.rational(Dir::exif, 37386, 72, 10)
        .u32(Dir::exif, 40962, 2048)
        .u32(Dir::exif, 40963, 1536)
        .rational(Dir::exif, 41486, 3000, 1)
        .u16(Dir::exif, 41488, 2);
    ExifInfo e = parseTiff(t);
    EXPECT_NEAR(e.ccdWidth, 2048 * 25.4 / 3000, 1e-4);
    EXPECT_EQ(e.focalLength35, 15);

    // A focal-plane resolution without a unit gives a zero width: no 35 mm value is
    // derived from it (it would be a division by zero).
    TiffBuilder u(GetParam());
    u.rational(Dir::exif, 37386, 72, 10)
        .u32(Dir::exif, 40962, 2048)
        .rational(Dir::exif, 41486, 3000, 1);
    e = parseTiff(u);
    EXPECT_EQ(e.ccdWidth, 0);
    EXPECT_EQ(e.focalLength35, 0);

    // The camera's own 35 mm value is kept.
    TiffBuilder v(GetParam());
    v.rational(Dir::exif, 37386, 72, 10)
        .u16(Dir::exif, 41989, 28)
        .u32(Dir::exif, 40962, 2048)
        .rational(Dir::exif, 41486, 3000, 1)
        .u16(Dir::exif, 41488, 2);
    EXPECT_EQ(parseTiff(v).focalLength35, 28);
}

TEST_P(ExifByteOrder, userCommentSkipsTheCharacterCodeAndTrailingSpaces) {
    TiffBuilder t(GetParam());
    t.undefined(Dir::exif, 37510,
                {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'H', 'e', 'l', 'l', 'o', ' ', ' ', ' '});
    EXPECT_EQ(parseTiff(t).comment, "Hello");
    // A comment section after the Exif block replaces the user comment.
    const Bytes jpeg = testing::jpegWith(
        {testing::exifSection(t.build()), testing::section(0xFE, {'l', 'a', 't', 'e', 'r'})});
    EXPECT_EQ(parse(jpeg).comment, "later");
    // An "ASCII" comment with nothing after the code leaves the comment as it was.
    TiffBuilder u(GetParam());
    u.undefined(Dir::exif, 37510, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, ' ', ' '});
    const Bytes jpeg2 = testing::jpegWith(
        {testing::section(0xFE, {'f', 'i', 'r', 's', 't'}), testing::exifSection(u.build())});
    EXPECT_EQ(parse(jpeg2).comment, "first");
}

TEST_P(ExifByteOrder, readsEveryRecordedTag) {
    TiffBuilder t(GetParam());
    t.ascii(Dir::ifd0, 271, "A make that is longer than thirty-one bytes")
        .ascii(Dir::ifd0, 272, "Model")
        .u16(Dir::exif, 34850, 2)                 // ExposureProgram
        .rational(Dir::exif, 37380, -2, 3, true)  // ExposureBiasValue
        .rational(Dir::exif, 37382, 35, 10)       // SubjectDistance
        .u16(Dir::exif, 37383, 5)                 // MeteringMode
        .u16(Dir::exif, 37384, 4)                 // LightSource
        .u16(Dir::exif, 37385, 25)                // Flash
        .u16(Dir::exif, 41986, 1)                 // ExposureMode
        .u16(Dir::exif, 41987, 1)                 // WhiteBalance
        .rational(Dir::exif, 41988, 3, 2);        // DigitalZoomRatio
    ExifInfo e = parseTiff(t);
    EXPECT_EQ(e.make, "A make that is longer than thir");
    EXPECT_EQ(e.model, "Model");
    EXPECT_EQ(e.exposureProgram, 2);
    EXPECT_FLOAT_EQ(e.exposureBias, -2.0f / 3);
    EXPECT_FLOAT_EQ(e.subjectDistance, 3.5f);
    EXPECT_EQ(e.meteringMode, 5);
    EXPECT_EQ(e.lightSource, 4);
    EXPECT_EQ(e.flash, 25);
    EXPECT_EQ(e.exposureMode, 1);
    EXPECT_EQ(e.whiteBalance, 1);
    EXPECT_FLOAT_EQ(e.digitalZoom, 1.5f);
    EXPECT_EQ(e.width, 64);
    EXPECT_EQ(e.height, 48);
    EXPECT_EQ(e.isColour, 1);
}

TEST_P(ExifByteOrder, thumbnailIsCutToTheBlock) {
    const Bytes thumb{0xFF, 0xD8, 1, 2, 3, 4, 0xFF, 0xD9};
    TiffBuilder t(GetParam());
    t.u16(Dir::ifd0, 274, 1).thumbnail(thumb);
    Bytes tiff = t.build();
    EXPECT_EQ(parse(testing::jpegWith({testing::exifSection(tiff)}), true).thumbnail, thumb);
    // Drop the last 3 thumbnail bytes from the block: the length is cut to what remains.
    tiff.resize(tiff.size() - 3);
    ExifInfo e = parse(testing::jpegWith({testing::exifSection(tiff)}), true);
    EXPECT_EQ(e.thumbnail, Bytes(thumb.begin(), thumb.end() - 3));
    EXPECT_EQ(e.thumbnailSize, 5);
}

INSTANTIATE_TEST_SUITE_P(IntelAndMotorola, ExifByteOrder, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Motorola" : "Intel"; });

TEST(ExifParser, commentSectionReplacesControlBytes) {
    ExifInfo e =
        parse(testing::jpegWith({testing::section(0xFE, {'a', '\r', '\n', 'b', 7, '\t', 0xE4})}));
    EXPECT_EQ(e.comment, "a\nb?\t\xE4");
    // Only the first comment section counts; the text is cut at 1999 bytes.
    Bytes longText(2500, 'x');
    e = parse(testing::jpegWith({testing::section(0xFE, longText), testing::section(0xFE, {'y'})}));
    EXPECT_EQ(e.comment, std::string(1998, 'x'));
}

TEST(ExifParser, convertValueReadsEveryFormat) {
    const std::uint8_t le[8] = {0xFE, 0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0};  // -2 / 2 as rational
    EXPECT_EQ(convertValue(1, le, false), 254);
    EXPECT_EQ(convertValue(6, le, false), -2);
    EXPECT_EQ(convertValue(3, le, false), 0xFFFE);
    EXPECT_EQ(convertValue(8, le, false), -2);
    EXPECT_EQ(convertValue(4, le, false), 4294967294.0);
    EXPECT_EQ(convertValue(9, le, false), -2);
    EXPECT_EQ(convertValue(10, le, false), -1);
    EXPECT_EQ(convertValue(5, le, false), -1);  // both parts read as signed numbers
    const std::uint8_t zeroDen[8] = {0, 0, 0, 5, 0, 0, 0, 0};
    EXPECT_EQ(convertValue(5, zeroDen, true), 0);
    const std::uint8_t fl[4] = {0x40, 0x20, 0, 0};  // 2.5f big-endian
    EXPECT_EQ(convertValue(11, fl, true), 2.5);
    const std::uint8_t db[8] = {0, 0, 0, 0, 0, 0, 0x04, 0x40};  // 2.5 little-endian
    EXPECT_EQ(convertValue(12, db, false), 2.5);
    EXPECT_EQ(convertValue(2, le, false), 0);
    EXPECT_EQ(convertValue(7, le, false), 0);
    EXPECT_EQ(exifFormatSize(13), 0);
}

// ---------------------------------------------------------------------------------------
// Files that are not JPEG files, and hostile blocks.

std::string stdoutOf(const Bytes& jpeg, ExifInfo& out) {
    ::testing::internal::CaptureStdout();
    out = parse(jpeg);
    return ::testing::internal::GetCapturedStdout();
}

TEST(ExifParser, rejectsFilesThatAreNotJpegFiles) {
    ExifInfo e;
    EXPECT_EQ(stdoutOf({'G', 'I', 'F', '8'}, e), "Not JPEG: \n");
    EXPECT_TRUE(isZero(e));

    Bytes padded{0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0};
    EXPECT_EQ(stdoutOf(padded, e), "too many padding bytes\nNot JPEG: \n");
    EXPECT_TRUE(isZero(e));

    Bytes noImage{0xFF, 0xD8};
    const Bytes sof = testing::frameSection(10, 10);
    noImage.insert(noImage.end(), sof.begin(), sof.end());
    noImage.insert(noImage.end(), {0xFF, 0xD9, 0, 2});
    EXPECT_EQ(stdoutOf(noImage, e), "No image in jpeg!\nNot JPEG: \n");
    EXPECT_TRUE(isZero(e));

    // Six fill bytes before a marker are fine.
    Bytes fill{0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const Bytes rest = testing::jpegWith({});
    fill.insert(fill.end(), rest.begin() + 2, rest.end());
    EXPECT_EQ(stdoutOf(fill, e), "");
    EXPECT_EQ(e.width, 64);
}

TEST(ExifParser, truncatedOrUndersizedSectionsEndTheRead) {
    const Bytes good = testing::jpegWith({testing::section(0xFE, Bytes(40, 'c'))});
    ExifInfo e;
    // Cut inside the comment section, inside a length, and right after a marker.
    for (std::size_t cut : {std::size_t{20}, std::size_t{5}, std::size_t{3}, std::size_t{2}}) {
        EXPECT_EQ(stdoutOf(Bytes(good.begin(), good.begin() + cut), e), "Not JPEG: \n") << cut;
        EXPECT_TRUE(isZero(e));
    }
    Bytes shortLen{0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x01, 'x', 'x'};
    const Bytes rest = testing::jpegWith({});
    shortLen.insert(shortLen.end(), rest.begin() + 2, rest.end());
    EXPECT_EQ(stdoutOf(shortLen, e), "Not JPEG: \n");
    EXPECT_EQ(stdoutOf({}, e), "Not JPEG: \n");
}

TEST(ExifParser, stopsAtTwoHundredKeptSections) {
    // APP2 sections are kept; APP0 sections are dropped and do not count.
    std::vector<Bytes> sections(198, testing::section(0xE2, {1}));
    sections.insert(sections.end(), 300, testing::section(0xE0, {1}));
    ExifInfo e;
    EXPECT_EQ(stdoutOf(testing::jpegWith(sections), e), "");  // 198 + frame + scan = 200
    EXPECT_EQ(e.width, 64);
    sections.push_back(testing::section(0xE2, {1}));
    EXPECT_EQ(stdoutOf(testing::jpegWith(sections), e), "Not JPEG: \n");
    EXPECT_TRUE(isZero(e));
}

TEST(ExifParser, ignoresBadExifHeadersButKeepsTheFrame) {
    Bytes tiff = TiffBuilder(false).ascii(Dir::ifd0, 271, "Make").build();
    Bytes badOrder = tiff;
    badOrder[0] = 'X';
    Bytes badMagic = tiff;
    badMagic[2] = 43;
    Bytes badHeader = testing::exifSection(tiff);
    badHeader[8] = 'x';  // "Exif" followed by a non-zero byte
    for (const Bytes& s :
         {testing::exifSection(badOrder), testing::exifSection(badMagic), badHeader,
          testing::exifSection({}), testing::section(0xE1, {'E', 'x'})}) {
        ExifInfo e = parse(testing::jpegWith({s}));
        EXPECT_EQ(e.make, "");
        EXPECT_EQ(e.width, 64);
    }
}

TEST(ExifParser, neverReadsOutsideTheBlock) {
    TiffBuilder t(false);
    t.ascii(Dir::ifd0, 271, "Make")
        .ascii(Dir::ifd0, 272, "A model name")
        .rational(Dir::exif, 33434, 1, 8);
    Bytes tiff = t.build();
    // Point the Model value (entry 2 of IFD0) far outside the block.
    const std::size_t modelEntry = 8 + 2 + 12;
    tiff[modelEntry + 8] = 0xF0;
    tiff[modelEntry + 11] = 0x7F;
    ExifInfo e = parse(testing::jpegWith({testing::exifSection(tiff)}));
    EXPECT_EQ(e.make, "Make");
    EXPECT_EQ(e.model, "");
    EXPECT_FLOAT_EQ(e.exposureTime, 0.125f);

    // A component count that overflows 32 bits when multiplied by the format size.
    Bytes huge = tiff;
    huge[modelEntry + 2] = 5;  // rational
    huge[modelEntry + 4] = 0xFF;
    huge[modelEntry + 5] = 0xFF;
    huge[modelEntry + 6] = 0xFF;
    huge[modelEntry + 7] = 0x3F;
    EXPECT_EQ(parse(testing::jpegWith({testing::exifSection(huge)})).make, "Make");

    // A rational with count 0 stands "inline" in 4 bytes: it converts to 0, not to
    // whatever follows the entry.
    TiffBuilder z(false);
    z.add(Dir::exif, 33434, 5, 0, {}).ascii(Dir::exif, 36867, "2004:12:31 23:59:59");
    EXPECT_EQ(parseTiff(z).exposureTime, 0);

    // A directory whose entries run past the block is skipped.
    Bytes longDir = TiffBuilder(false).ascii(Dir::ifd0, 271, "Make").build();
    longDir[8] = 0xFF;
    longDir[9] = 0x00;
    EXPECT_EQ(parse(testing::jpegWith({testing::exifSection(longDir)})).make, "");

    // An IFD0 offset beyond the block.
    Bytes farIfd = TiffBuilder(true).ascii(Dir::ifd0, 271, "Make").build();
    farIfd[4] = 0x7F;
    EXPECT_EQ(parse(testing::jpegWith({testing::exifSection(farIfd)})).make, "");
}

TEST(ExifParser, directoryLoopsEnd) {
    // IFD0 links to itself, and its Exif sub-directory points back at IFD0.
    TiffBuilder t(false);
    t.ascii(Dir::ifd0, 271, "Make").u16(Dir::exif, 34855, 100);
    Bytes tiff = t.build();
    const std::size_t ifd0End = 8 + 2 + 12 * 2;
    tiff[ifd0End] = 8;  // next-directory link -> IFD0
    ExifInfo e = parse(testing::jpegWith({testing::exifSection(tiff)}));
    EXPECT_EQ(e.make, "Make");
    EXPECT_EQ(e.iso, 100);

    // Sub-directory offsets that lead back to the directory holding them.
    TiffBuilder u(true);
    u.u32(Dir::ifd0, 34665, 8).u32(Dir::ifd0, 40965, 8).ascii(Dir::ifd0, 272, "Loop");
    EXPECT_EQ(parseTiff(u).model, "Loop");
}

TEST(ExifParser, thumbnailOffsetBeyondTheBlockGivesNone) {
    TiffBuilder t(false);
    t.u32(Dir::ifd1, 513, 60000).u32(Dir::ifd1, 514, 100).u16(Dir::ifd0, 274, 3);
    ExifInfo e = parseTiff(t, true);
    EXPECT_TRUE(e.thumbnail.empty());
    EXPECT_EQ(e.thumbnailSize, 0);
    EXPECT_EQ(e.orientation, 3);
}

TEST(ExifFile, unreadableFileGivesTheZeroRecord) {
    ::testing::internal::CaptureStdout();
    ExifInfo e = readExif("/nonexistent/kavlo/none.jpg", true);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(isZero(e));

    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/metadata";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/not_a_jpeg.jpg";
    std::ofstream(path, std::ios::binary) << "plain text";
    ::testing::internal::CaptureStdout();
    e = readExif(path, false);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Not JPEG: " + path + "\n");
    EXPECT_TRUE(isZero(e));
}

}  // namespace
}  // namespace kavlo::metadata
