// SPDX-License-Identifier: MIT
// Container headers read without decoding: the size and the Exif block must be the
// ones the full readers give for the same file, wherever the container keeps them.
#include "imaging/source_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "heif_builder.h"
#include "imaging/codecs.h"
#include "source_files.h"
#include "support/test_photos.h"

namespace kavlo::imaging {
namespace {

using test::pattern;
using test::Rgba;
using test::scratchFile;

void expectSameAsDecoded(const std::string& path, SourceFormat format) {
    const SourceHeader h = readSourceHeader(path);
    const DecodedImage full = readSourceImage(path, {});
    EXPECT_EQ(h.format, format) << path;
    ASSERT_TRUE(h.known) << path;
    EXPECT_EQ(h.width, full.picture.width()) << path;
    EXPECT_EQ(h.height, full.picture.height()) << path;
    EXPECT_EQ(h.exif, full.exif) << path;
    EXPECT_EQ(h.orientationApplied, full.orientationApplied) << path;
    if (format == SourceFormat::Jpeg) {
        EXPECT_EQ(h.iccProfile, full.iccProfile) << path;
    }
}

// The PNG file's eXIf chunk moved behind the image data, as some writers store it.
std::vector<std::uint8_t> exifAfterImageData(std::vector<std::uint8_t> png) {
    auto chunkAt = [&](const char* type) {
        std::size_t at = 8;
        while (at + 8 <= png.size()) {
            const std::size_t length = (std::size_t(png[at]) << 24) | (png[at + 1] << 16) |
                                       (png[at + 2] << 8) | png[at + 3];
            if (std::memcmp(&png[at + 4], type, 4) == 0) return std::pair{at, length + 12};
            at += length + 12;
        }
        return std::pair{std::size_t(0), std::size_t(0)};
    };
    const auto [exifAt, exifSize] = chunkAt("eXIf");
    if (exifSize == 0) return {};
    std::vector<std::uint8_t> chunk(png.begin() + long(exifAt),
                                    png.begin() + long(exifAt + exifSize));
    png.erase(png.begin() + long(exifAt), png.begin() + long(exifAt + exifSize));
    const auto [endAt, endSize] = chunkAt("IEND");
    if (endSize == 0) return {};
    png.insert(png.begin() + long(endAt), chunk.begin(), chunk.end());
    return png;
}

TEST(SourceHeader, sizeAndExifOfEveryContainerAreTheFullReadersOnes) {
    const Rgba p = pattern(96, 40);
    const auto exif = test::exifBlock(6);

    const std::string png = scratchFile("header.png");
    test::writePng(png, p, {PNG_COLOR_TYPE_RGB, 8, false, {}, exif});
    expectSameAsDecoded(png, SourceFormat::Png);
    EXPECT_EQ(readSourceHeader(png).exif, exif);

    const std::string late = scratchFile("header_exif_late.png");
    const auto moved = exifAfterImageData(test::fileBytes(png));
    ASSERT_FALSE(moved.empty());
    test::writeFile(late, moved);
    expectSameAsDecoded(late, SourceFormat::Png);
    EXPECT_EQ(readSourceHeader(late).exif, exif);

    const std::string webp = scratchFile("header.webp");
    test::writeFile(webp, test::encodeWebp(p, {false, false, {}, exif}));
    expectSameAsDecoded(webp, SourceFormat::Webp);
    EXPECT_EQ(readSourceHeader(webp).exif, exif);

    const std::string plain = scratchFile("header_plain.webp");
    test::writeFile(plain, test::encodeWebp(p, {true, true, {}, {}}));
    expectSameAsDecoded(plain, SourceFormat::Webp);

    test::HeifSpec spec;
    spec.exif = exif;
    spec.orientation = 6;
    spec.thumbnailSize = 24;
    const std::string heic = scratchFile("header.heic");
    const auto heicBytes = test::encodeHeif(p, spec);
    ASSERT_FALSE(heicBytes.empty()) << "libheif's HEVC encoder is missing";
    test::writeFile(heic, heicBytes);
    expectSameAsDecoded(heic, SourceFormat::Heif);
    // Turned by the container: the header has the turned size.
    EXPECT_EQ(readSourceHeader(heic).width, 40);
    EXPECT_EQ(readSourceHeader(heic).height, 96);

    const std::string jpeg = scratchFile("header.jpg");
    RasterImage img = RPcreate(70, 30, 24);
    RPfillColour(img, 10, 20, 30, 0);
    ASSERT_EQ(RPwriteJpeg(jpeg, 80, nullptr, img), 0);
    RPfree(img);
    expectSameAsDecoded(jpeg, SourceFormat::Jpeg);
    for (const char* camera : {"cameras/Canon_40D.jpg", "cameras/Canon_40D_photoshop_import.jpg"})
        expectSameAsDecoded(test::testPhoto(camera), SourceFormat::Jpeg);
}

// A phone's layout: tiles, the turn in the container and in the Exif block.
TEST(SourceHeader, phoneGridIsMeasuredAfterTheContainersTurn) {
    namespace h = test::heif;
    const int tile = 64;
    const Rgba whole = pattern(tile * 2, tile);
    std::vector<h::Item> items;
    items.push_back({"grid", {h::ispe(120, 60), h::irot(1)}, h::gridData(1, 2, 120, 60), false});
    std::vector<std::uint16_t> tiles;
    for (int c = 0; c < 2; ++c) {
        auto item = h::hevcItem(h::tileOf(whole, c * tile, 0, tile, tile));
        ASSERT_TRUE(item);
        item->hidden = true;
        items.push_back(*item);
        tiles.push_back(std::uint16_t(items.size()));
    }
    items.push_back({"Exif", {}, h::exifItem(test::exifBlock(8)), false});
    const auto exifId = std::uint16_t(items.size());
    const std::string path = scratchFile("header_grid.heic");
    test::writeFile(path, h::assemble(items, {{"dimg", 1, tiles}, {"cdsc", exifId, {1}}}));
    const SourceHeader header = readSourceHeader(path);
    ASSERT_TRUE(header.known);
    EXPECT_EQ(header.width, 60);
    EXPECT_EQ(header.height, 120);
    EXPECT_TRUE(header.orientationApplied);
    EXPECT_EQ(header.exif, test::exifBlock(8));
}

TEST(SourceHeader, brokenAndMissingFilesAreUnknownWithoutAMessage) {
    const std::string png = scratchFile("header_src.png");
    test::writePng(png, pattern(20, 20), {PNG_COLOR_TYPE_RGB, 8, false, {}, {}});
    const auto bytes = test::fileBytes(png);
    testing::internal::CaptureStdout();
    for (std::size_t cut : {std::size_t(4), std::size_t(12), std::size_t(20)}) {
        const std::string path = scratchFile("header_cut.png");
        test::writeFile(path, {bytes.begin(), bytes.begin() + long(cut)});
        EXPECT_FALSE(readSourceHeader(path).known) << cut;
    }
    // An IHDR claiming an impossible size, and a chunk length running past the file.
    auto huge = bytes;
    std::fill(huge.begin() + 16, huge.begin() + 20, 0xFF);
    test::writeFile(scratchFile("header_huge.png"), huge);
    EXPECT_FALSE(readSourceHeader(scratchFile("header_huge.png")).known);
    auto longChunk = bytes;
    const std::size_t second = 8 + 25;  // after IHDR
    std::fill(longChunk.begin() + long(second), longChunk.begin() + long(second) + 4, 0x7F);
    test::writeFile(scratchFile("header_long.png"), longChunk);
    const SourceHeader h = readSourceHeader(scratchFile("header_long.png"));
    EXPECT_TRUE(h.known);
    EXPECT_TRUE(h.exif.empty());

    const std::vector<std::uint8_t> heifStart = {0,   0,   0,   24,  'f', 't',
                                                 'y', 'p', 'h', 'e', 'i', 'c'};
    test::writeFile(scratchFile("header_cut.heic"), heifStart);
    EXPECT_FALSE(readSourceHeader(scratchFile("header_cut.heic")).known);
    test::writeFile(scratchFile("header_cut.webp"),
                    {'R', 'I', 'F', 'F', 9, 9, 9, 9, 'W', 'E', 'B', 'P'});
    EXPECT_FALSE(readSourceHeader(scratchFile("header_cut.webp")).known);
    EXPECT_FALSE(readSourceHeader(scratchFile("no_such_file.heic")).known);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace kavlo::imaging
