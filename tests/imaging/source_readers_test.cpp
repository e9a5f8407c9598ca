// SPDX-License-Identifier: MIT
// The PNG, WebP and HEIF/AVIF readers against files the tests make with the formats'
// own encoders: every kind of sample layout, alpha over the background, the Exif
// block and profile handed back, orientation (Exif in PNG and WebP left to the caller;
// HEIF's own rotation and mirror applied), grids, deep samples, extra images inside a
// HEIF file, and broken files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

#include "heif_builder.h"
#include "imaging/source_image.h"
#include "source_files.h"

namespace kavlo::imaging {
namespace {

using test::meanDifference;
using test::oriented;
using test::pattern;
using test::Rgba;
using test::scratchFile;
using util::DiagnosticCapture;
using util::ErrorCode;

// One read, named for the tests.
struct Read {
    DecodedImage d;
    explicit Read(DecodedImage image) : d(std::move(image)) {}
};

constexpr std::uint32_t kBackground = 0x2040C0;  // red C0, green 40, blue 20

ReadOptions onBackground() {
    ReadOptions o;
    o.background = kBackground;
    return o;
}

// ---- PNG ----

TEST(PngReader, EverySampleLayoutGivesThePicture) {
    struct Case {
        const char* name;
        int type;
        int depth;
        bool interlaced;
        bool alpha;
    };
    const Case cases[] = {
        {"rgb8", PNG_COLOR_TYPE_RGB, 8, false, false},
        {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false},
        {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true},
        {"rgba16_interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, true, true},
        {"rgb8_interlaced", PNG_COLOR_TYPE_RGB, 8, true, false},
        {"grey8", PNG_COLOR_TYPE_GRAY, 8, false, false},
        {"grey16", PNG_COLOR_TYPE_GRAY, 16, false, false},
        {"grey_alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rgba p = pattern(37, 23, c.alpha);
        if (c.type == PNG_COLOR_TYPE_GRAY || c.type == PNG_COLOR_TYPE_GRAY_ALPHA)
            for (std::size_t i = 0; i < p.px.size(); i += 4) p.px[i + 1] = p.px[i + 2] = p.px[i];
        const std::string path = scratchFile(std::string("layout_") + c.name + ".png");
        test::writePng(path, p, {c.type, c.depth, c.interlaced, {}, {}});
        Read r(readPngImage(path, onBackground()));
        ASSERT_EQ(r.d.picture.bitsPerPixel(), 24);
        EXPECT_EQ(r.d.storedWidth, 37);
        EXPECT_EQ(r.d.storedHeight, 23);
        // Exact up to the rounding of the composition.
        EXPECT_LT(meanDifference(r.d.picture, p, kBackground), 0.51);
    }
}

TEST(PngReader, PaletteWithTransparencyAndLowDepthGrey) {
    // A palette picture: four colours, one half transparent, one fully transparent.
    Rgba p{8, 4, std::vector<std::uint8_t>(8 * 4 * 4)};
    const std::uint8_t colours[4][4] = {
        {255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0}, {250, 250, 250, 255}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) std::copy_n(colours[(x + y) % 4], 4, p.at(x, y));
    const std::string path = scratchFile("palette.png");
    test::writePng(path, p, {PNG_COLOR_TYPE_PALETTE, 8, false, {}, {}});
    Read r(readPngImage(path, onBackground()));
    EXPECT_LT(meanDifference(r.d.picture, p, kBackground), 0.51);
    // The fully transparent entry shows the background, not black.
    const std::uint8_t* px = r.d.picture.pixels() + 2 * 3;  // (2, 0): colour 2
    EXPECT_EQ(px[0], 0x20);
    EXPECT_EQ(px[1], 0x40);
    EXPECT_EQ(px[2], 0xC0);

    // 1-bit grey expands to 0 and 255.
    Rgba bits{16, 2, std::vector<std::uint8_t>(16 * 2 * 4, 255)};
    for (int x = 0; x < 16; x += 2) std::fill_n(bits.at(x, 1), 3, 0);
    const std::string grey1 = scratchFile("grey1.png");
    {
        std::FILE* f = std::fopen(grey1.c_str(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, f);
        png_set_IHDR(png, info, 16, 2, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::uint8_t row0[2] = {0xFF, 0xFF}, row1[2] = {0x55, 0x55};  // 0101...: black at even x
        png_write_row(png, row0);
        png_write_row(png, row1);
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
    }
    Read g(readPngImage(grey1, {}));
    EXPECT_EQ(meanDifference(g.d.picture, bits), 0.0);
}

TEST(PngReader, HandsBackExifAndProfileAndLeavesTheTurnToTheCaller) {
    const Rgba p = pattern(20, 12);
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const std::string path = scratchFile("orientation_" + std::to_string(o) + ".png");
        test::writePng(path, p, {PNG_COLOR_TYPE_RGB, 8, false, {}, test::exifBlock(o)});
        Read r(readPngImage(path, {}));
        EXPECT_EQ(r.d.exif, test::exifBlock(o));
        EXPECT_FALSE(r.d.orientationApplied);
        EXPECT_EQ(meanDifference(r.d.picture, p), 0.0);  // as stored, not turned
    }
    // An eXIf written with the JPEG-style "Exif\0\0" prefix is handed back without it.
    std::vector<std::uint8_t> prefixed = {'E', 'x', 'i', 'f', 0, 0};
    const auto block = test::exifBlock(6);
    prefixed.insert(prefixed.end(), block.begin(), block.end());
    const std::string path = scratchFile("exif_prefixed.png");
    test::writePng(path, p, {PNG_COLOR_TYPE_RGB, 8, false, {}, prefixed});
    Read r(readPngImage(path, {}));
    EXPECT_EQ(r.d.exif, block);
}

// ---- WebP ----

TEST(WebpReader, LossyLosslessAndAlpha) {
    const Rgba opaque = pattern(40, 30);
    const Rgba clear = pattern(40, 30, true);
    struct Case {
        const char* name;
        bool lossless;
        bool alpha;
        double tolerance;
    };
    for (const Case& c :
         {Case{"lossy", false, false, 4.0}, Case{"lossless", true, false, 0.0},
          Case{"lossy_alpha", false, true, 4.0}, Case{"lossless_alpha", true, true, 0.51}}) {
        SCOPED_TRACE(c.name);
        const Rgba& p = c.alpha ? clear : opaque;
        const std::string path = scratchFile(std::string("webp_") + c.name + ".webp");
        test::writeFile(path, test::encodeWebp(p, {c.lossless, c.alpha, {}, {}}));
        Read r(readWebpImage(path, onBackground()));
        ASSERT_EQ(r.d.picture.width(), 40);
        EXPECT_LE(meanDifference(r.d.picture, p, kBackground), c.tolerance);
        EXPECT_FALSE(r.d.orientationApplied);
    }
}

TEST(WebpReader, HandsBackExifAndProfileChunks) {
    const Rgba p = pattern(24, 16);
    const std::vector<std::uint8_t> icc = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        const std::string path = scratchFile("webp_orientation_" + std::to_string(o) + ".webp");
        test::writeFile(path, test::encodeWebp(p, {true, false, icc, test::exifBlock(o)}));
        Read r(readWebpImage(path, {}));
        EXPECT_EQ(r.d.exif, test::exifBlock(o));
        EXPECT_EQ(r.d.iccProfile, icc);
        EXPECT_EQ(meanDifference(r.d.picture, p), 0.0);
    }
}

TEST(WebpReader, AnimationGivesItsFirstFrame) {
    const Rgba first = pattern(32, 24);
    const Rgba second = oriented(pattern(32, 24), 3);
    const std::string path = scratchFile("animated.webp");
    test::writeFile(path, test::encodeAnimatedWebp({first, second, first}, 100));
    Read r(readWebpImage(path, onBackground()));
    EXPECT_LT(meanDifference(r.d.picture, first, kBackground), 0.51);
}

// ---- HEIF and AVIF ----

TEST(HeifReader, ContainerRotationAndMirrorAreApplied) {
    const Rgba stored = pattern(64, 48);
    for (heif_compression_format format : {heif_compression_HEVC, heif_compression_AV1}) {
        for (int o = 1; o <= 8; ++o) {
            SCOPED_TRACE(testing::Message()
                         << (format == heif_compression_AV1 ? "avif " : "heic ") << o);
            test::HeifSpec spec;
            spec.format = format;
            spec.orientation = o;
            const auto bytes = test::encodeHeif(stored, spec);
            ASSERT_FALSE(bytes.empty()) << "libheif has no encoder for this format";
            const std::string path =
                scratchFile("orientation_" + std::to_string(o) +
                            (format == heif_compression_AV1 ? ".avif" : ".heic"));
            test::writeFile(path, bytes);
            Read r(readHeifImage(path, {}));
            EXPECT_TRUE(r.d.orientationApplied);
            EXPECT_LT(meanDifference(r.d.picture, oriented(stored, o)), 4.0);
        }
    }
}

TEST(HeifReader, DeepSamplesAlphaProfileAndExif) {
    const Rgba p = pattern(64, 32, true);
    // libaom 3.6 aborts the process when libheif asks it for 10-bit AV1, so AVIF is
    // made with 12 bits only (dav1d reads both alike).
    for (auto [depth, format] :
         {std::pair{10, heif_compression_HEVC}, std::pair{12, heif_compression_HEVC},
          std::pair{12, heif_compression_AV1}}) {
        {
            SCOPED_TRACE(testing::Message() << depth << " bits, "
                                            << (format == heif_compression_AV1 ? "avif" : "heic"));
            test::HeifSpec spec;
            spec.format = format;
            spec.bitDepth = depth;
            spec.alpha = true;
            spec.exif = test::exifBlock(6);
            const auto bytes = test::encodeHeif(p, spec);
            ASSERT_FALSE(bytes.empty());
            const std::string path =
                scratchFile("deep_" + std::to_string(depth) +
                            (format == heif_compression_AV1 ? ".avif" : ".heic"));
            test::writeFile(path, bytes);
            Read r(readHeifImage(path, onBackground()));
            EXPECT_LT(meanDifference(r.d.picture, p, kBackground), 4.0);
            // libheif resets the orientation inside the Exif block it stores to 1; the
            // block is handed back from its TIFF header on.
            ASSERT_GE(r.d.exif.size(), 8u);
            EXPECT_EQ(r.d.exif[0], 'I');
            EXPECT_EQ(r.d.exif.size(), spec.exif.size());
        }
    }
}

TEST(HeifReader, ProfileOrColourDescriptionIsHandedBack) {
    const Rgba p = pattern(64, 64);
    test::HeifSpec spec;
    spec.icc.assign(200, 7);
    const std::string withIcc = scratchFile("icc.heic");
    test::writeFile(withIcc, test::encodeHeif(p, spec));
    Read a(readHeifImage(withIcc, {}));
    EXPECT_EQ(a.d.iccProfile, spec.icc);
    EXPECT_FALSE(a.d.nclx);

    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, 12);
    heif_nclx_color_profile_set_transfer_characteristics(nclx, 13);
    heif_nclx_color_profile_set_matrix_coefficients(nclx, 6);
    nclx->full_range_flag = 1;
    test::HeifSpec described;
    described.nclx = nclx;
    const std::string withNclx = scratchFile("nclx.heic");
    test::writeFile(withNclx, test::encodeHeif(p, described));
    heif_nclx_color_profile_free(nclx);
    Read b(readHeifImage(withNclx, {}));
    ASSERT_TRUE(b.d.nclx);
    EXPECT_EQ(b.d.nclx->primaries, 12);
    EXPECT_EQ(b.d.nclx->transfer, 13);
    EXPECT_TRUE(b.d.iccProfile.empty());
}

// The shape of a phone photo: a grid of tiles cropped to the picture, turned by the
// container with the same turn in its Exif block, a thumbnail and a depth map beside it.
TEST(HeifReader, GridWithThumbnailDepthAndRotationGivesThePrimaryPictureOnce) {
    namespace h = test::heif;
    const int tile = 64, columns = 3, rows = 2, width = 180, height = 120;
    const Rgba whole = pattern(tile * columns, tile * rows);
    std::vector<h::Item> items;
    items.push_back({"grid",
                     {h::ispe(width, height), h::irot(1)},
                     h::gridData(rows, columns, width, height),
                     false});
    std::vector<std::uint16_t> tiles;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            auto item = h::hevcItem(h::tileOf(whole, c * tile, r * tile, tile, tile));
            ASSERT_TRUE(item) << "libheif's HEVC encoder gave no single coded picture";
            item->hidden = true;
            items.push_back(*item);
            tiles.push_back(std::uint16_t(items.size()));
        }
    // Thumbnail and depth map: different pictures, so that taking either shows.
    auto thumb = h::hevcItem(oriented(pattern(48, 32), 3));
    auto depth = h::hevcItem(pattern(64, 64));
    ASSERT_TRUE(thumb && depth);
    depth->properties.push_back(h::auxC("urn:mpeg:hevc:2015:auxid:2"));
    items.push_back(*thumb);
    const auto thumbId = std::uint16_t(items.size());
    items.push_back(*depth);
    const auto depthId = std::uint16_t(items.size());
    items.push_back({"Exif", {}, h::exifItem(test::exifBlock(8)), false});
    const auto exifId = std::uint16_t(items.size());
    const auto bytes = h::assemble(items, {{"dimg", 1, tiles},
                                           {"thmb", thumbId, {1}},
                                           {"auxl", depthId, {1}},
                                           {"cdsc", exifId, {1}}});
    const std::string path = scratchFile("phone_like.heic");
    test::writeFile(path, bytes);
    EXPECT_EQ(sourceFormatOf(path), SourceFormat::Heif);

    Read r(readSourceImage(path, {}));
    // irot 1 is a quarter turn anticlockwise, what Exif orientation 8 says.
    EXPECT_EQ(r.d.picture.width(), height);
    EXPECT_EQ(r.d.picture.height(), width);
    EXPECT_LT(meanDifference(r.d.picture, oriented(h::cropOf(whole, width, height), 8)), 4.0);
    EXPECT_TRUE(r.d.orientationApplied);
    EXPECT_EQ(r.d.exif, test::exifBlock(8));
}

TEST(HeifReader, ThumbnailInsideIsNotTaken) {
    test::HeifSpec spec;
    spec.thumbnailSize = 32;
    const Rgba p = pattern(128, 64);
    const std::string path = scratchFile("with_thumbnail.heic");
    test::writeFile(path, test::encodeHeif(p, spec));
    Read r(readHeifImage(path, {}));
    EXPECT_LT(meanDifference(r.d.picture, p), 4.0);
}

// ---- Every reader ----

TEST(SourceReaders, BrokenFilesGiveTheEmptyPictureAndOneLine) {
    const Rgba p = pattern(64, 48);
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    {
        const std::string path = scratchFile("whole.png");
        test::writePng(path, p, {PNG_COLOR_TYPE_RGB, 8, false, {}, {}});
        files.emplace_back("png", test::fileBytes(path));
    }
    files.emplace_back("webp", test::encodeWebp(p, {false, false, {}, {}}));
    files.emplace_back("heic", test::encodeHeif(p, {}));
    test::HeifSpec av1;
    av1.format = heif_compression_AV1;
    files.emplace_back("avif", test::encodeHeif(p, av1));
    for (const auto& [kind, whole] : files) {
        ASSERT_GT(whole.size(), 100u) << kind;
        // Cut to a third, and a copy with the middle overwritten.
        std::vector<std::uint8_t> cut(whole.begin(),
                                      whole.begin() + std::ptrdiff_t(whole.size() / 3));
        std::vector<std::uint8_t> garbled = whole;
        for (std::size_t i = whole.size() / 4; i < whole.size() / 2; ++i)
            garbled[i] = std::uint8_t(i * 7);
        for (const auto& [variant, bytes] :
             {std::pair{"cut", cut}, std::pair{"garbled", garbled}}) {
            SCOPED_TRACE(kind + " " + variant);
            const std::string path = scratchFile(std::string("broken_") + variant + "." + kind);
            test::writeFile(path, bytes);
            DiagnosticCapture capture;
            DecodedImage d = readSourceImage(path, {});
            const auto& reported = capture.diagnostics();
            // A garbled lossy stream may still decode to some picture; a cut one must not
            // pass as whole. Either way: a picture of the stored size or none, and no
            // more than one line.
            if (d.picture.width() != 0) {
                EXPECT_EQ(d.picture.width(), 64);
                EXPECT_NE(d.picture.pixels(), nullptr);
            } else {
                EXPECT_EQ(d.picture.height(), 0);
                EXPECT_EQ(d.picture.pixels(), nullptr);
                ASSERT_EQ(reported.size(), 1u);
                EXPECT_EQ(reported[0].file, path);
                EXPECT_NE(d.error, ErrorCode::none);
                EXPECT_EQ(reported[0].code, d.error);
            }
            EXPECT_LE(reported.size(), 1u);
            if (std::string(variant) == "cut") {
                EXPECT_EQ(d.picture.width(), 0);
            }
        }
    }
    // A missing file is not worth a line.
    DiagnosticCapture capture;
    EXPECT_EQ(readPngImage(scratchFile("missing.png"), {}).error, ErrorCode::fileMissing);
    EXPECT_TRUE(capture.diagnostics().empty());
}

TEST(SourceReaders, SizeIsCheckedBeforeAnyPixelBuffer) {
    // A PNG header claiming 60000 x 60000 pixels, then a few bytes of image data.
    const std::string path = scratchFile("huge.png");
    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, std::vector<std::uint8_t> data) {
        const std::uint32_t n = std::uint32_t(data.size());
        file.insert(file.end(), {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8),
                                 std::uint8_t(n)});
        data.insert(data.begin(), type, type + 4);
        const auto crc = std::uint32_t(crc32(0, data.data(), uInt(data.size())));
        file.insert(file.end(), data.begin(), data.end());
        file.insert(file.end(), {std::uint8_t(crc >> 24), std::uint8_t(crc >> 16),
                                 std::uint8_t(crc >> 8), std::uint8_t(crc)});
    };
    chunk("IHDR", {0, 0, 0xEA, 0x60, 0, 0, 0xEA, 0x60, 8, 2, 0, 0, 0});
    chunk("IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00});
    test::writeFile(path, file);
    DiagnosticCapture capture;
    DecodedImage d = readPngImage(path, {});
    EXPECT_EQ(d.picture.width(), 0);
    EXPECT_EQ(d.error, ErrorCode::tooLarge);
    EXPECT_EQ(capture.codes(), std::vector{ErrorCode::tooLarge});
}

TEST(SourceReaders, AnAnimationIsCheckedWithTheDecodersOwnCanvases) {
    // A 240-byte animated WebP (found by fuzzing) whose canvas is 16 x 9502732: the
    // picture alone would fit the limit, but the animation decoder keeps two canvases of
    // its own besides it, 1.8 GB in all. It is refused before any of them is made.
    const std::vector<std::uint8_t> file = {
        0x52, 0x49, 0x46, 0x46, 0xe8, 0x00, 0x00, 0x00, 0x57, 0x45, 0x42, 0x50, 0x56, 0x50, 0x38, 0x58,
        0x0a, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x0f, 0x00, 0x00, 0x0b, 0x00, 0x91, 0x41, 0x4e,
        0x49, 0x4d, 0x06, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x41, 0x4e, 0x4d, 0x46,
        0x5a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0f, 0x00, 0x00, 0x0b, 0x00, 0x00,
        0x32, 0x00, 0x00, 0x02, 0x56, 0x50, 0x38, 0x4c, 0x41, 0x00, 0x00, 0x00, 0x2f, 0x0f, 0xc0, 0x02,
        0x00, 0xcd, 0x64, 0x44, 0xff, 0x63, 0x53, 0xf0, 0x28, 0x78, 0xff, 0xc3, 0xa0, 0xa8, 0x6d, 0x24,
        0x67, 0x30, 0xcc, 0xfe, 0x8f, 0x3f, 0xcf, 0x5e, 0x08, 0x4c, 0x08, 0xb2, 0x6d, 0x43, 0x15, 0xd8,
        0x11, 0x2e, 0x10, 0x48, 0x52, 0xdc, 0x1f, 0x61, 0x89, 0x88, 0xf6, 0x15, 0x34, 0xa8, 0x34, 0x10,
        0x08, 0xc4, 0x3c, 0xb7, 0x3a, 0x2b, 0xb3, 0x2d, 0xb6, 0xe6, 0x7b, 0xb1, 0x05, 0x00, 0x41, 0x4e,
        0x4d, 0x46, 0x5a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0f, 0x00, 0x00, 0x0b,
        0x00, 0x00, 0x32, 0x00, 0x00, 0x00, 0x56, 0x50, 0x38, 0x4c, 0x41, 0x00, 0x00, 0x00, 0x2f, 0x0f,
        0xc0, 0x02, 0x00, 0xcd, 0x64, 0x44, 0xff, 0x63, 0x13, 0x51, 0xf0, 0xfe, 0x07, 0x14, 0xb5, 0x6d,
        0x03, 0x85, 0x3f, 0xd0, 0xfe, 0x5a, 0x18, 0x3b, 0x09, 0x10, 0x64, 0xdb, 0xcc, 0x1f, 0xf4, 0x00,
        0xaf, 0x00, 0x81, 0x20, 0x44, 0x1b, 0xf8, 0xe6, 0xa6, 0x8b, 0xa1, 0x36, 0x6d, 0x03, 0x46, 0x5b,
        0xca, 0x25, 0xda, 0x38, 0x80, 0x3a, 0xb9, 0xb6, 0x52, 0xee, 0x7d, 0x5e, 0xf0, 0x17, 0x00, 0x00,
    };
    const std::string path = scratchFile("huge_animation.webp");
    test::writeFile(path, file);
    DiagnosticCapture capture;
    DecodedImage d = readWebpImage(path, {});
    EXPECT_EQ(d.picture.width(), 0);
    EXPECT_EQ(d.error, ErrorCode::tooLarge);
    EXPECT_EQ(capture.codes(), std::vector{ErrorCode::tooLarge});
}

TEST(SourceReaders, FormatIsToldByContent) {
    const std::uint8_t avif[] = {0,   0,   0, 0x20, 'f', 't', 'y', 'p', 'a', 'v',
                                 'i', 'f', 0, 0,    0,   0,   'm', 'i', 'f', '1'};
    const std::uint8_t heicCompatible[] = {0, 0, 0, 0x18, 'f', 't', 'y', 'p', 'm', 'p', '4', '2',
                                           0, 0, 0, 0,    'm', 'i', 'f', '1', 'h', 'e', 'i', 'c'};
    const std::uint8_t mp4[] = {0,   0,   0, 0x14, 'f', 't', 'y', 'p', 'i', 's',
                                'o', 'm', 0, 0,    0,   0,   'm', 'p', '4', '1'};
    EXPECT_EQ(sniffSourceFormat(avif), SourceFormat::Heif);
    EXPECT_EQ(sniffSourceFormat(heicCompatible), SourceFormat::Heif);
    EXPECT_EQ(sniffSourceFormat(mp4), SourceFormat::Unknown);
    const std::uint8_t riffWave[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_EQ(sniffSourceFormat(riffWave), SourceFormat::Unknown);
    const std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0};
    EXPECT_EQ(sniffSourceFormat(jpeg), SourceFormat::Jpeg);
    EXPECT_EQ(sniffSourceFormat({}), SourceFormat::Unknown);
}

}  // namespace
}  // namespace kavlo::imaging
