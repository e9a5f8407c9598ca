// SPDX-License-Identifier: MIT
#include "core/caption_extraction.h"
#include "source_files.h"
#include "support/test_photos.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace kavlo::core {

using model::AlbumModel;
using model::AlbumSettings;
using model::ImageEntry;

namespace {

using Bytes = std::vector<std::uint8_t>;

class CaptionExtraction : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::string(KAVLO_TEST_OUTPUT) + "/caption_extraction";
        std::filesystem::create_directories(m_dir);
    }

    static Bytes readBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    /// A copy of a camera file with one marker section inserted after its start.
    std::string withSection(const std::string& name, std::uint8_t marker, const Bytes& body) {
        Bytes jpeg = readBytes(test::testPhoto("cameras/Canon_40D.jpg"));
        const std::size_t len = body.size() + 2;
        Bytes s{0xFF, marker, std::uint8_t(len >> 8), std::uint8_t(len)};
        s.insert(s.end(), body.begin(), body.end());
        jpeg.insert(jpeg.begin() + 2, s.begin(), s.end());
        const std::string path = m_dir + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()),
                   static_cast<std::streamsize>(jpeg.size()));
        return path;
    }

    static AlbumModel album(const std::vector<std::string>& paths) {
        AlbumModel m;
        m.settings = AlbumSettings{};
        for (const std::string& p : paths) m.images.push_back({p, "old major", "old minor"});
        return m;
    }

    std::string m_dir;
};

TEST_F(CaptionExtraction, imageNumbersForAllOrTheCurrentImage) {
    AlbumModel m = album({"/a/1.jpg", "/a/2.tif", "/a/3.jpg"});
    CaptionChoices c;
    c.source = CaptionSource::number;
    c.allImages = true;
    extractCaptions(m, c, 0);
    EXPECT_EQ(m.images[0].macap, "1");
    EXPECT_EQ(m.images[1].macap, "2");
    EXPECT_EQ(m.images[2].macap, "3");

    AlbumModel n = album({"/a/1.jpg", "/a/2.jpg", "/a/3.jpg"});
    c.allImages = false;
    extractCaptions(n, c, 1);
    EXPECT_EQ(n.images[0].macap, "old major");
    EXPECT_EQ(n.images[1].macap, "2");
    EXPECT_EQ(n.images[2].macap, "old major");
    // No image selected in the editor: "current image" covers every image.
    c.source = CaptionSource::empty;
    c.major = false;
    extractCaptions(n, c, -1);
    for (const ImageEntry& e : n.images) EXPECT_EQ(e.micap, "");
}

TEST_F(CaptionExtraction, exifCaptionsUseTheStoredLetters) {
    AlbumModel m = album({test::testPhoto("cameras/Canon_40D.jpg"), m_dir + "/picture.tif",
                          test::testPhoto("orientation/landscape_1.jpg"), m_dir + "/gone.jpg"});
    CaptionChoices c;
    c.source = CaptionSource::exif;
    c.allImages = true;
    c.exifFormat = "eaf";
    c.iptcFormat = "%headline%";
    extractCaptions(m, c, 2);
    EXPECT_EQ(m.settings.exifformat, "eaf");
    EXPECT_EQ(m.settings.iptcformat, "%headline%");
    EXPECT_EQ(m.images[0].macap, "1/160 s, f/7.1, 135 mm");
    EXPECT_EQ(m.images[1].macap, "old major");  // TIFF images keep their captions
    EXPECT_EQ(m.images[2].macap, "");           // Exif block without recording data
    EXPECT_EQ(m.images[3].macap, "");           // missing file: the zero record
    EXPECT_EQ(m.images[0].micap, "old minor");

    // The automatic captions at generation start: every image, minor caption.
    m.settings.exifformat = "ik";
    setExifCaptions(m, -1, false);
    EXPECT_EQ(m.images[0].micap, "iso 100, Canon");
    EXPECT_EQ(m.images[1].micap, "old minor");
}

TEST_F(CaptionExtraction, commentCaptions) {
    const std::string longComment = withSection("long_comment.jpg", 0xFE, Bytes(600, 'c'));
    AlbumModel m = album({test::testPhoto("cameras/Nikon_D70.jpg"), longComment,
                          m_dir + "/picture.tif", m_dir + "/gone.jpg"});
    setCommentCaptions(m, -1, true);
    EXPECT_EQ(m.images[0].macap, "comment in GIMP 2.4.5");
    EXPECT_EQ(m.images[1].macap, "");  // 600 bytes: longer than a comment caption may be
    EXPECT_EQ(m.images[2].macap, "old major");
    EXPECT_EQ(m.images[3].macap, "");
}

TEST_F(CaptionExtraction, iptcCaptionsThroughTheTemplate) {
    const std::string value = "Harbour at dawn.";
    Bytes app13{0x1C, 0x02, 120, 0, std::uint8_t(value.size())};
    app13.insert(app13.end(), value.begin(), value.end());
    const std::string byline = "Staff";
    app13.insert(app13.end(), {0x1C, 0x02, 80, 0, std::uint8_t(byline.size())});
    app13.insert(app13.end(), byline.begin(), byline.end());
    const std::string withIptc = withSection("iptc.jpg", 0xED, app13);

    AlbumModel m = album({withIptc, m_dir + "/gone.jpg", m_dir + "/picture.tif",
                          test::testPhoto("cameras/Canon_40D.jpg")});
    CaptionChoices c;
    c.source = CaptionSource::iptc;
    c.allImages = true;
    c.major = false;
    c.iptcFormat = "%caption_abstract% Photo by %byline_author%/AP.";
    c.exifFormat = "d";
    extractCaptions(m, c, -1);
    EXPECT_EQ(m.images[0].micap, "Harbour at dawn. Photo by Staff/AP.");
    EXPECT_EQ(m.images[1].micap, " Photo by /AP.");  // unreadable: every placeholder empty
    EXPECT_EQ(m.images[2].micap, " Photo by /AP.");  // TIFF files carry IPTC too
    EXPECT_EQ(m.images[3].micap, " Photo by /AP.");
    EXPECT_EQ(m.settings.exifformat, "d");
}

// The Exif block of a camera file, as other containers store it (TIFF header first).
Bytes cameraExifBlock(const std::string& jpegPath) {
    std::ifstream in(jpegPath, std::ios::binary);
    const Bytes jpeg(std::istreambuf_iterator<char>(in), {});
    for (std::size_t at = 2; at + 10 < jpeg.size() && jpeg[at] == 0xFF;) {
        const std::size_t length = (std::size_t(jpeg[at + 2]) << 8) | jpeg[at + 3];
        if (jpeg[at + 1] == 0xE1 &&
            std::equal(jpeg.begin() + long(at) + 4, jpeg.begin() + long(at) + 10, "Exif\0\0"))
            return Bytes(jpeg.begin() + long(at) + 10, jpeg.begin() + long(at + 2 + length));
        at += 2 + length;
    }
    return {};
}

// A PNG file with one text chunk added before its end: keyword, NUL, text.
std::string pngWithText(const std::string& path, const std::string& keyword,
                        const std::string& text) {
    test::writePng(path, test::pattern(8, 8), {PNG_COLOR_TYPE_RGB, 8, false, {}, {}});
    Bytes png = test::fileBytes(path);
    Bytes chunk{0, 0, 0, 0, 't', 'E', 'X', 't'};
    chunk.insert(chunk.end(), keyword.begin(), keyword.end());
    chunk.push_back(0);
    chunk.insert(chunk.end(), text.begin(), text.end());
    const std::size_t length = chunk.size() - 8;
    for (int i = 0; i < 4; ++i) chunk[std::size_t(i)] = std::uint8_t(length >> (24 - 8 * i));
    const auto crc = crc32(0, chunk.data() + 4, unsigned(chunk.size() - 4));
    for (int i = 0; i < 4; ++i) chunk.push_back(std::uint8_t(crc >> (24 - 8 * i)));
    png.insert(png.end() - 12, chunk.begin(), chunk.end());  // before IEND
    test::writeFile(path, png);
    return path;
}

TEST_F(CaptionExtraction, otherPhotoFormatsGiveTheirExifIptcAndNoComment) {
    const Bytes exif = cameraExifBlock(test::testPhoto("cameras/Canon_40D.jpg"));
    ASSERT_FALSE(exif.empty());
    const test::Rgba p = test::pattern(32, 24);
    const std::string png = m_dir + "/exif.png", webp = m_dir + "/exif.WEBP",
                      heic = m_dir + "/exif.heic", plain = m_dir + "/plain.avif";
    test::writePng(png, p, {PNG_COLOR_TYPE_RGB, 8, false, {}, exif});
    test::writeFile(webp, test::encodeWebp(p, {true, false, {}, exif}));
    test::HeifSpec spec;
    spec.exif = exif;
    const Bytes heicBytes = test::encodeHeif(p, spec);
    ASSERT_FALSE(heicBytes.empty()) << "libheif's HEVC encoder is missing";
    test::writeFile(heic, heicBytes);
    test::writeFile(plain, test::encodeHeif(p, {}));

    AlbumModel m = album({png, webp, heic, plain, m_dir + "/gone.png"});
    m.settings.exifformat = "eafk";
    ExifOrientations orientations;
    setExifCaptions(m, -1, true, &orientations);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m.images[std::size_t(i)].macap, "1/160 s, f/7.1, 135 mm, Canon") << i;
    EXPECT_EQ(m.images[3].macap, "");  // no Exif block
    EXPECT_EQ(m.images[4].macap, "");  // missing file
    EXPECT_EQ(orientations.at(png), 1);
    // The HEIF container turns its picture itself: its Exif orientation is not used.
    EXPECT_EQ(orientations.at(heic), 0);

    // Only JPEG files have comments.
    setCommentCaptions(m, -1, false);
    for (const ImageEntry& e : m.images) EXPECT_EQ(e.micap, "");

    // IPTC: PNG files carry it as a raw profile text; WebP and HEIF files keep their
    // captions.
    const std::string value = "Harbour at dawn.";
    Bytes iptc{0x1C, 0x02, 120, 0, std::uint8_t(value.size())};
    iptc.insert(iptc.end(), value.begin(), value.end());
    std::string hex;
    for (std::uint8_t b : iptc) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    const std::string withIptc =
        pngWithText(m_dir + "/iptc.png", "Raw profile type iptc",
                    "\niptc\n" + std::to_string(iptc.size()) + "\n" + hex + "\n");
    AlbumModel n = album({withIptc, png, webp, heic});
    setIptcCaptions(n, -1, true, "[%caption_abstract%]");
    EXPECT_EQ(n.images[0].macap, "[Harbour at dawn.]");
    EXPECT_EQ(n.images[1].macap, "[]");
    EXPECT_EQ(n.images[2].macap, "old major");
    EXPECT_EQ(n.images[3].macap, "old major");
}

TEST_F(CaptionExtraction, formatsAreStoredEvenWhenNothingChanges) {
    AlbumModel m = album({});
    CaptionChoices c;
    c.source = CaptionSource::exif;
    c.iptcFormat = "%city%";
    c.exifFormat = "eaxfiukmd";
    extractCaptions(m, c, 0);
    EXPECT_EQ(m.settings.iptcformat, "%city%");
    EXPECT_EQ(m.settings.exifformat, "eaxfiukmd");
    // An index outside the list selects nothing.
    AlbumModel n = album({test::testPhoto("cameras/Canon_40D.jpg")});
    setExifCaptions(n, 5, true);
    EXPECT_EQ(n.images[0].macap, "old major");
}

}  // namespace
}  // namespace kavlo::core
