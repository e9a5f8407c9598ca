// SPDX-License-Identifier: MIT
#include "metadata/exif_caption.h"
#include "support/test_photos.h"

#include <gtest/gtest.h>

namespace kavlo::metadata {
namespace {

ExifInfo recording(float exposure, float fnumber, float focal) {
    ExifInfo e;
    e.exposureTime = exposure;
    e.fNumber = fnumber;
    e.focalLength = focal;
    return e;
}

TEST(ExifCaption, itemsComeInFixedOrderWhateverTheLetters) {
    const ExifInfo e = recording(1.0f / 250, 8, 50);
    EXPECT_EQ(formatExifCaption(e, "eaf"), "1/250 s, f/8, 50 mm");
    EXPECT_EQ(formatExifCaption(e, "fae"), "1/250 s, f/8, 50 mm");
    EXPECT_EQ(formatExifCaption(e, "-f-a-e-f"), "1/250 s, f/8, 50 mm");
    EXPECT_EQ(formatExifCaption(e, "EAF"), "");
    EXPECT_EQ(formatExifCaption(e, ""), "");
    EXPECT_EQ(formatExifCaption(ExifInfo{}, "eaxfiukmd"), "");
    EXPECT_EQ(formatExifCaption(recording(0, 4, 0), "eaf"), "f/4");
}

TEST(ExifCaption, exposureTimes) {
    const std::pair<float, const char*> cases[] = {
        {1.0f, "1 s"},       {2.0f, "2 s"},   {2.5f, "2.5 s"},     {0.5f, "1/2 s"},
        {0.008f, "1/125 s"}, {0.3f, "1/3 s"}, {1.0f / 3, "1/3 s"}, {30.0f, "30 s"}};
    for (const auto& [t, text] : cases)
        EXPECT_EQ(formatExifCaption(recording(t, 0, 0), "e"), text) << t;
}

TEST(ExifCaption, aperturesHaveTwoSignificantDigits) {
    EXPECT_EQ(formatExifCaption(recording(0, 5.6f, 0), "a"), "f/5.6");
    EXPECT_EQ(formatExifCaption(recording(0, 11, 0), "a"), "f/11");
    EXPECT_EQ(formatExifCaption(recording(0, 3.75f, 0), "a"), "f/3.8");
    EXPECT_EQ(formatExifCaption(recording(0, 22, 7.2f), "af"), "f/22, 7 mm");
}

TEST(ExifCaption, exposureBiasInThirdsOfAStop) {
    const std::pair<float, const char*> cases[] = {
        {0.3333f, "1/3 EV"}, {-0.6667f, "-2/3 EV"}, {-1.3333f, "-1 1/3 EV"},
        {2.0f, "2 EV"},      {-1.0f, "-1 EV"},      {1.6667f, "1 2/3 EV"},
        {0.5f, "0.5 EV"},    {-0.7f, "-0.7 EV"},    {1.3264f, "1.3 EV"}};
    for (const auto& [b, text] : cases) {
        ExifInfo e;
        e.exposureBias = b;
        EXPECT_EQ(formatExifCaption(e, "x"), text) << b;
    }
}

TEST(ExifCaption, isoFlashAndTexts) {
    ExifInfo e;
    e.iso = 200;
    e.flash = 16;  // did not fire
    e.make = "Canon";
    e.model = "Canon EOS 40D";
    e.dateTime = "2004:12:31 23:59:59";
    EXPECT_EQ(formatExifCaption(e, "iukmd"), "iso 200, Canon, Canon EOS 40D, 2004:12:31 23:59:59");
    e.flash = 25;
    EXPECT_EQ(formatExifCaption(e, "u"), "flash");
    e.flash = -1;  // no valid value
    EXPECT_EQ(formatExifCaption(e, "u"), "");
}

// Captions of real files with every letter, derived by hand from the tag values that
// exiftool reports for them.
TEST(ExifCaption, realCameraFilesWithEveryItem) {
    const std::pair<const char*, const char*> cases[] = {
        // 1/0.00625 = 160; Flash 9 has bit 0 set; bias 0 leaves no item.
        {"cameras/Canon_40D.jpg",
         "1/160 s, f/7.1, 135 mm, iso 100, flash, Canon, Canon EOS 40D, 2008:05:30 15:56:01"},
        // ExposureBiasValue -1.
        {"cameras/Nikon_D70.jpg",
         "1/200 s, f/9, -1 EV, 100 mm, iso 200, NIKON CORPORATION, NIKON D70, 2008:03:15 09:52:01"},
        // No ExposureTime: 1 / 0.0027621 = 362.04; 21.8 mm rounds to 22.
        {"cameras/Fujifilm_FinePix6900ZOOM.jpg",
         "1/362 s, f/4, 22 mm, iso 100, FUJIFILM, FinePix6900ZOOM, 2001:02:19 06:40:05"},
        // FNumber 2.88 -> f/2.9; no focal length; texts keep their trailing spaces.
        {"cameras/Ricoh_Caplio_RR330.jpg",
         "1/33 s, f/2.9, iso 100, Caplio , RR330      , 2004:08:31 19:52:58"},
        // Bias 2946/2221 = 1.3264 is not a whole number of thirds; ISO 32 x 200.
        {"large/iphone_hdr_NO.jpg",
         "1/40 s, f/2.2, 1.3 EV, 4 mm, iso 6400, Apple, iPhone 6, 2015:04:10 20:12:23"},
        // Flash 9969 = 0x26F1: bit 0 set.
        {"cameras/long_description.jpg", "flash, 2008:07:31 10:50:00"},
    };
    for (const auto& [file, text] : cases)
        EXPECT_EQ(formatExifCaption(readExif(test::testPhoto(file), false), "eaxfiukmd"), text)
            << file;
}

}  // namespace
}  // namespace kavlo::metadata
