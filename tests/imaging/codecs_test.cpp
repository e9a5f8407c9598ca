// SPDX-License-Identifier: MIT
#include "imaging/codecs.h"
#include "support/test_photos.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <tiffio.h>

namespace kavlo::imaging {
namespace {

namespace fs = std::filesystem;

std::string scratch(const std::string& name) {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "imaging";
    fs::create_directories(dir);
    return (dir / name).string();
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// Smooth colour gradient, blue, green, red.
RasterImage gradient(int w, int h) {
    RasterImage image = RPcreate(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = image.pixels + (std::size_t(y) * w + x) * 3;
            p[0] = std::uint8_t(x * 255 / std::max(w - 1, 1));
            p[1] = std::uint8_t(y * 255 / std::max(h - 1, 1));
            p[2] = std::uint8_t(128);
        }
    return image;
}

// ---- Plain libjpeg use, as references and to make test files ----

struct PlainError {
    jpeg_error_mgr pub;
};

// Writes `samples` (components per pixel as given, rows top first) with libjpeg.
void writeJpegPlain(const std::string& path, int w, int h, int components, J_COLOR_SPACE in,
                    J_COLOR_SPACE stored, bool adobe, const std::vector<std::uint8_t>& samples,
                    const std::vector<std::string>& comments) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = components;
    cinfo.in_color_space = in;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, stored);
    cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    for (const std::string& c : comments)
        jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(c.data()),
                          unsigned(c.size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() +
                                            std::size_t(cinfo.next_scanline) * w * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// The decode as a plain sequence: red, green, blue rows, swapped to blue, green, red.
RasterImage decodePlain(const std::string& path, int target) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    if (target >= 1 &&
        (unsigned(target) < cinfo.image_width || unsigned(target) < cinfo.image_height)) {
        const double m = std::max(cinfo.image_width, cinfo.image_height);
        cinfo.scale_num = 1;
        cinfo.scale_denom = 1u << std::min(3, int(std::floor(std::log2(m / target))));
    }
    jpeg_start_decompress(&cinfo);
    RasterImage image = RPcreate(cinfo.output_width, cinfo.output_height, 24);
    std::vector<JSAMPLE> row(std::size_t(cinfo.output_width) * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint8_t* out =
            image.pixels + std::size_t(cinfo.output_scanline) * cinfo.output_width * 3;
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&cinfo, &r, 1);
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
            const JSAMPLE* s = row.data() + x * cinfo.output_components;
            if (cinfo.output_components >= 3) {
                out[3 * x] = s[2];
                out[3 * x + 1] = s[1];
                out[3 * x + 2] = s[0];
            } else {
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = s[0];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return image;
}

// The encode as a plain sequence: rows converted to red, green, blue.
std::vector<std::uint8_t> encodePlain(const RasterImage& image, int quality,
                                      const std::string* comment) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = image.width;
    cinfo.image_height = image.height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.optimize_coding = TRUE;
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (comment != nullptr)
        jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment->c_str()),
                          unsigned(comment->size() + 1));
    const int b = image.bitsPerPixel / 8;
    std::vector<JSAMPLE> row(std::size_t(image.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* in = image.pixels + std::size_t(cinfo.next_scanline) * image.width * b;
        for (int x = 0; x < image.width; ++x) {
            row[3 * x] = in[b * x + 2];
            row[3 * x + 1] = in[b * x + 1];
            row[3 * x + 2] = in[b * x];
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

::testing::AssertionResult identical(const RasterImage& a, const RasterImage& b) {
    if (a.width != b.width || a.height != b.height)
        return ::testing::AssertionFailure()
               << a.width << "x" << a.height << " vs " << b.width << "x" << b.height;
    if (std::memcmp(a.pixels, b.pixels, std::size_t(a.width) * a.height * 3) != 0)
        return ::testing::AssertionFailure() << "pixels differ";
    return ::testing::AssertionSuccess();
}

// ---- JPEG reading ----

class JpegScale : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RasterImage big = gradient(4000, 3000);
        ASSERT_EQ(RPwriteJpeg(path(), 75, nullptr, big), 0);
        RPfree(big);
    }
    static std::string path() { return scratch("big4000x3000.jpg"); }
};

TEST_F(JpegScale, decodesAtThePowerOfTwoTheTargetAllows) {
    struct Case {
        int target, w, h;
    };
    for (Case c : {Case{640, 1000, 750}, Case{100, 500, 375}, Case{4000, 4000, 3000},
                   Case{0, 4000, 3000}, Case{-5, 4000, 3000}, Case{1999, 2000, 1500},
                   Case{2000, 2000, 1500}, Case{3999, 4000, 3000}}) {
        int w = 0, h = 0;
        RasterImage image = RPreadJpeg(path(), nullptr, c.target, &w, &h);
        EXPECT_EQ(image.width, c.w) << c.target;
        EXPECT_EQ(image.height, c.h) << c.target;
        EXPECT_EQ(w, 4000);
        EXPECT_EQ(h, 3000);
        EXPECT_EQ(image.bitsPerPixel, 24);
        EXPECT_EQ(image.pixelFormat, 2);
        RPfree(image);
    }
}

TEST_F(JpegScale, memoryDecodeMatchesTheFileDecode) {
    const std::vector<std::uint8_t> bytes = readBytes(path());
    RasterImage fromFile = RPreadJpeg(path(), nullptr, 640, nullptr, nullptr);
    RasterImage fromMemory = RPreadJpegMemory(bytes.data(), bytes.size(), 640);
    EXPECT_TRUE(identical(fromFile, fromMemory));
    RPfree(fromFile);
    RPfree(fromMemory);
}

TEST(JpegRead, samplePhotosDecodeExactlyAsThePlainLibraryCalls) {
    for (const auto& dir : {"cameras", "orientation", "large"}) {
        for (const auto& entry : fs::directory_iterator(test::testPhotoFolder(dir))) {
            const std::string path = entry.path().string();
            if (entry.path().extension() != ".jpg") continue;
            const bool large = std::string(dir) == "large";
            for (int target : large ? std::vector<int>{0, 552, 80} : std::vector<int>{80}) {
                int w = 0, h = 0;
                RasterImage ours = RPreadJpeg(path, nullptr, target, &w, &h);
                RasterImage plain = decodePlain(path, target);
                EXPECT_TRUE(identical(ours, plain)) << path << " at " << target;
                int iw = 0, ih = 0;
                EXPECT_EQ(RPreadJpegInfo(path, nullptr, &ih, &iw), 0);
                EXPECT_EQ(iw, w);
                EXPECT_EQ(ih, h);
                RPfree(ours);
                RPfree(plain);
            }
        }
    }
}

TEST(JpegRead, greyscaleGivesThreeEqualBytes) {
    const int w = 33, h = 17;
    std::vector<std::uint8_t> grey(w * h);
    for (int i = 0; i < w * h; ++i) grey[i] = std::uint8_t(i * 7);
    const std::string path = scratch("grey.jpg");
    writeJpegPlain(path, w, h, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, grey, {});
    RasterImage image = RPreadJpeg(path, nullptr, 0, nullptr, nullptr);
    ASSERT_EQ(image.width, w);
    RasterImage plain = decodePlain(path, 0);
    EXPECT_TRUE(identical(image, plain));
    int mismatched = 0;
    for (int i = 0; i < w * h; ++i)
        if (image.pixels[3 * i] != image.pixels[3 * i + 1] ||
            image.pixels[3 * i] != image.pixels[3 * i + 2])
            ++mismatched;
    EXPECT_EQ(mismatched, 0);
    RPfree(image);
    RPfree(plain);
}

TEST(JpegRead, cmykFilesAreConvertedToRgb) {
    // Four patches: red, green, blue, white, as inks (cyan, magenta, yellow, black).
    const int w = 64, h = 16;
    const std::uint8_t inks[4][4] = {
        {0, 255, 255, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}};
    const std::uint8_t bgr[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}};
    for (bool adobe : {true, false}) {
        for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
            std::vector<std::uint8_t> samples(std::size_t(w) * h * 4);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < 4; ++c) {
                        const std::uint8_t ink = inks[x / 16][c];
                        // Adobe files hold the inks inverted.
                        samples[(std::size_t(y) * w + x) * 4 + c] =
                            adobe ? std::uint8_t(255 - ink) : ink;
                    }
            if (!adobe && stored == JCS_YCCK)
                continue;  // YCCK is only defined with the Adobe marker
            const std::string path = scratch(adobe ? "cmyk_adobe.jpg" : "cmyk_plain.jpg");
            writeJpegPlain(path, w, h, 4, JCS_CMYK, stored, adobe, samples, {});
            RasterImage image = RPreadJpeg(path, nullptr, 0, nullptr, nullptr);
            ASSERT_EQ(image.width, w);
            for (int patch = 0; patch < 4; ++patch) {
                const std::uint8_t* p = image.pixels + (std::size_t(8) * w + patch * 16 + 8) * 3;
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(p[c], bgr[patch][c], 6)
                        << "adobe " << adobe << " space " << stored << " patch " << patch;
            }
            RPfree(image);
        }
    }
}

TEST(JpegRead, commentIsTheLastMarkerUnder512Bytes) {
    std::vector<std::uint8_t> grey(8 * 8, 100);
    const std::string path = scratch("comments.jpg");
    const std::string ten(10, 'a'), twenty(20, 'b'), long600(600, 'c');
    writeJpegPlain(path, 8, 8, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, grey, {ten, twenty});
    std::string comment = "stale";
    RasterImage image = RPreadJpeg(path, &comment, 0, nullptr, nullptr);
    EXPECT_EQ(comment, twenty);
    RPfree(image);
    comment = "stale";
    EXPECT_EQ(RPreadJpegInfo(path, &comment, nullptr, nullptr), 0);
    EXPECT_EQ(comment, twenty);

    writeJpegPlain(path, 8, 8, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, grey, {long600});
    image = RPreadJpeg(path, &comment, 0, nullptr, nullptr);
    EXPECT_EQ(comment, "");
    RPfree(image);
    writeJpegPlain(path, 8, 8, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, grey,
                   {ten, long600, std::string(511, 'd'), std::string(512, 'e')});
    EXPECT_EQ(RPreadJpegInfo(path, &comment, nullptr, nullptr), 0);
    EXPECT_EQ(comment, std::string(511, 'd'));
    // Text stops at its first NUL, as the writer stores it.
    writeJpegPlain(path, 8, 8, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, grey,
                   {std::string("caption\0junk", 12)});
    EXPECT_EQ(RPreadJpegInfo(path, &comment, nullptr, nullptr), 0);
    EXPECT_EQ(comment, "caption");
}

TEST(JpegRead, brokenInputGivesTheEmptyImage) {
    int w = -1, h = -1;
    std::string comment = "x";
    RasterImage missing = RPreadJpeg(scratch("does-not-exist.jpg"), &comment, 0, &w, &h);
    EXPECT_EQ(missing.width, 0);
    EXPECT_EQ(missing.pixels, nullptr);
    EXPECT_EQ(RPreadJpegInfo(scratch("does-not-exist.jpg"), &comment, &h, &w), -1);
    EXPECT_EQ(RPreadJpegMemory(nullptr, 100, 0).width, 0);

    const std::string garbage = scratch("garbage.jpg");
    std::vector<std::uint8_t> noise(5000);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = std::uint8_t(i * 131 + 7);
    writeBytes(garbage, noise.data(), noise.size());
    testing::internal::CaptureStdout();
    RasterImage bad = RPreadJpeg(garbage, nullptr, 0, &w, &h);
    EXPECT_EQ(bad.width, 0);
    EXPECT_EQ(w, -1);  // outs untouched
    EXPECT_EQ(RPreadJpegInfo(garbage, &comment, &h, &w), 0);
    EXPECT_EQ(w, -1);
    EXPECT_EQ(h, -1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("RPreadJpeg: " + garbage + ": "), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;  // one line per failure
}

TEST(JpegRead, truncatedFileKeepsTheRowsThatDecoded) {
    const std::vector<std::uint8_t> bytes = readBytes(test::testPhoto("large/canon_hdr_NO.jpg"));
    const std::string path = scratch("truncated.jpg");
    writeBytes(path, bytes.data(), bytes.size() * 2 / 3);
    testing::internal::CaptureStdout();
    RasterImage image = RPreadJpeg(path, nullptr, 0, nullptr, nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_GT(image.width, 0);
    EXPECT_NE(out.find("RPreadJpeg: " + path), std::string::npos);
    RPfree(image);
    // In memory the end of the data is an error: nothing is returned.
    testing::internal::CaptureStdout();
    RasterImage fromMemory = RPreadJpegMemory(bytes.data(), bytes.size() * 2 / 3, 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fromMemory.width, 0);
    EXPECT_EQ(fromMemory.pixels, nullptr);
    // Cut inside the header: nothing to decode.
    writeBytes(path, bytes.data(), 300);
    testing::internal::CaptureStdout();
    RasterImage headerOnly = RPreadJpeg(path, nullptr, 0, nullptr, nullptr);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(headerOnly.width, 0);
}

TEST(JpegRead, absurdDimensionsAreRefusedBeforeAllocating) {
    // A small valid JPEG whose frame header is patched to claim 60000 x 60000 pixels.
    RasterImage tiny = gradient(16, 16);
    const std::string path = scratch("claims-huge.jpg");
    ASSERT_EQ(RPwriteJpeg(path, 90, nullptr, tiny), 0);
    RPfree(tiny);
    std::vector<std::uint8_t> bytes = readBytes(path);
    for (std::size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = 0xEA, bytes[i + 6] = 0x60;  // height 60000
            bytes[i + 7] = 0xEA, bytes[i + 8] = 0x60;  // width 60000
            break;
        }
    }
    writeBytes(path, bytes.data(), bytes.size());
    testing::internal::CaptureStdout();
    int w = 0, h = 0;
    RasterImage image = RPreadJpeg(path, nullptr, 0, &w, &h);
    RasterImage fromMemory = RPreadJpegMemory(bytes.data(), bytes.size(), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(w, 60000);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(fromMemory.width, 0);
    EXPECT_NE(out.find("exceeds the decoding limit"), std::string::npos) << out;
}

TEST(JpegRead, decodersRunSideBySideOnThreads) {
    const std::vector<std::string> files = {
        test::testPhoto("cameras/Canon_40D.jpg"), test::testPhoto("cameras/Nikon_D70.jpg"),
        test::testPhoto("cameras/Pentax_K10D.jpg"), test::testPhoto("orientation/landscape_3.jpg")};
    std::vector<RasterImage> sequential, parallel(files.size());
    for (const auto& f : files) sequential.push_back(RPreadJpeg(f, nullptr, 300, nullptr, nullptr));
    for (int round = 0; round < 3; ++round) {
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < files.size(); ++i)
            threads.emplace_back(
                [&, i] { parallel[i] = RPreadJpeg(files[i], nullptr, 300, nullptr, nullptr); });
        for (auto& t : threads) t.join();
        for (std::size_t i = 0; i < files.size(); ++i) {
            EXPECT_TRUE(identical(sequential[i], parallel[i]));
            RPfree(parallel[i]);
        }
    }
    for (auto& image : sequential) RPfree(image);
}

// ---- JPEG writing ----

TEST(JpegWrite, producesWhatThePlainLibraryCallsProduce) {
    RasterImage image = gradient(123, 45);
    const std::string comment = "Kavlo caption";
    const std::string path = scratch("written.jpg");
    for (int quality : {60, 85, 94}) {
        ASSERT_EQ(RPwriteJpeg(path, quality, &comment, image), 0);
        EXPECT_EQ(readBytes(path), encodePlain(image, quality, &comment)) << quality;
    }
    ASSERT_EQ(RPwriteJpeg(path, 85, nullptr, image), 0);
    EXPECT_EQ(readBytes(path), encodePlain(image, 85, nullptr));
    // A 32-bit image loses its fourth byte.
    RasterImage wide = RPcreate(123, 45, 32);
    for (int i = 0; i < 123 * 45; ++i) {
        std::memcpy(wide.pixels + 4 * i, image.pixels + 3 * i, 3);
        wide.pixels[4 * i + 3] = std::uint8_t(i);
    }
    ASSERT_EQ(RPwriteJpeg(path, 85, nullptr, wide), 0);
    EXPECT_EQ(readBytes(path), encodePlain(image, 85, nullptr));
    RPfree(wide);
    RPfree(image);
}

TEST(JpegWrite, oneCommentMarkerHoldsTheTextAndItsNul) {
    RasterImage pixel = RPcreate(1, 1, 24);
    RPfillColour(pixel, 1, 2, 3, 0);
    const std::string path = scratch("one.jpg");
    const std::string abc = "abc";
    ASSERT_EQ(RPwriteJpeg(path, 85, &abc, pixel), 0);
    const std::vector<std::uint8_t> bytes = readBytes(path);
    int comMarkers = 0, app1 = 0, progressive = 0, baseline = 0;
    std::size_t com = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] != 0xFF) continue;
        if (bytes[i + 1] == 0xFE) ++comMarkers, com = i;
        if (bytes[i + 1] == 0xE1) ++app1;
        if (bytes[i + 1] == 0xC2) ++progressive;
        if (bytes[i + 1] == 0xC0) ++baseline;
    }
    EXPECT_EQ(comMarkers, 1);
    EXPECT_EQ(app1, 0);
    EXPECT_EQ(progressive, 0);
    EXPECT_EQ(baseline, 1);
    ASSERT_GT(com, 0u);
    EXPECT_EQ(bytes[com + 2], 0);
    EXPECT_EQ(bytes[com + 3], 6);  // 2 + 3 letters + NUL
    EXPECT_EQ(std::memcmp(&bytes[com + 4], "abc\0", 4), 0);
    std::string back;
    EXPECT_EQ(RPreadJpegInfo(path, &back, nullptr, nullptr), 0);
    EXPECT_EQ(back, "abc");

    const std::string empty;
    ASSERT_EQ(RPwriteJpeg(path, 85, &empty, pixel), 0);
    const std::vector<std::uint8_t> withEmpty = readBytes(path);
    const std::uint8_t emptyMarker[] = {0xFF, 0xFE, 0x00, 0x03, 0x00};
    const auto it = std::search(withEmpty.begin(), withEmpty.end(), std::begin(emptyMarker),
                                std::end(emptyMarker));
    EXPECT_NE(it, withEmpty.end());
    RPfree(pixel);
}

TEST(JpegWrite, overlongCommentIsCutToOneMarker) {
    RasterImage image = gradient(8, 8);
    const std::string path = scratch("long-comment.jpg");
    std::string text(70000, 'x');
    text[65531] = '\xC3';  // a two-byte character straddling the cut is dropped whole
    text[65532] = '\xA9';
    ASSERT_EQ(RPwriteJpeg(path, 85, &text, image), 0);
    const std::vector<std::uint8_t> bytes = readBytes(path);
    std::size_t com = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xFE) {
            com = i;
            break;
        }
    ASSERT_GT(com, 0u);
    EXPECT_EQ(bytes[com + 2] * 256 + bytes[com + 3], 2 + 65531 + 1);
    RasterImage back = RPreadJpeg(path, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(back.width, 8);
    RPfree(back);
    RPfree(image);
}

TEST(JpegWrite, failuresReturnMinusOneAndKeepTheProcess) {
    RasterImage image = gradient(64, 64);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RPwriteJpeg(scratch("no-such-folder/x.jpg"), 85, nullptr, image), -1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("No openo los filos!\n", 0), 0u) << out;
    EXPECT_NE(out.find("RPwriteJpeg: "), std::string::npos);

    if (fs::exists("/dev/full")) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(RPwriteJpeg("/dev/full", 85, nullptr, image), -1);
        out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("RPwriteJpeg: /dev/full: "), std::string::npos) << out;
        EXPECT_TRUE(fs::exists("/dev/full"));  // a device is never removed
    }
    RasterImage empty{};
    RasterImage grey = RPcreate(4, 4, 8);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RPwriteJpeg(scratch("empty.jpg"), 85, nullptr, empty), -1);
    EXPECT_EQ(RPwriteJpeg(scratch("grey.out.jpg"), 85, nullptr, grey), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(fs::exists(scratch("empty.jpg")));
    RPfree(grey);
    RPfree(image);
}

// ---- TIFF ----

// Writes one TIFF page with libtiff; `extra` adds a second page to show it is ignored.
void writeTiff(const std::string& path, int w, int h, int samples, int bits, int photometric,
               const std::vector<std::uint8_t>& data, std::uint16_t alpha = 0, bool extra = false,
               const std::vector<std::uint16_t>* map = nullptr) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (int page = 0; page < (extra ? 2 : 1); ++page) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
        if (alpha != 0) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alpha);
        if (map != nullptr)
            TIFFSetField(tif, TIFFTAG_COLORMAP, map->data(), map->data() + 256, map->data() + 512);
        const tmsize_t rowBytes = tmsize_t(w) * samples * bits / 8;
        for (int y = 0; y < h; ++y) {
            std::vector<std::uint8_t> row(data.begin() + y * rowBytes,
                                          data.begin() + (y + 1) * rowBytes);
            if (page == 1) std::fill(row.begin(), row.end(), 0);
            TIFFWriteScanline(tif, row.data(), y, 0);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

TEST(TiffRead, alphaIsDroppedAndTheTopRowComesFirst) {
    // libtiff hands out colours premultiplied by alpha; with associated alpha (already
    // premultiplied in the file) and with opaque unassociated alpha they are as stored.
    const int w = 5, h = 3;
    for (std::uint16_t kind :
         {std::uint16_t(EXTRASAMPLE_ASSOCALPHA), std::uint16_t(EXTRASAMPLE_UNASSALPHA)}) {
        std::vector<std::uint8_t> rgba(w * h * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = &rgba[(y * w + x) * 4];
                p[0] = std::uint8_t(10 * x);  // red
                p[1] = std::uint8_t(50 * y);  // green
                p[2] = 100;                   // blue
                p[3] = kind == EXTRASAMPLE_ASSOCALPHA ? std::uint8_t(x == 0 ? 0 : 128) : 255;
            }
        const std::string path = scratch("alpha.tif");
        writeTiff(path, w, h, 4, 8, PHOTOMETRIC_RGB, rgba, kind, true);
        RasterImage image = RPreadTiff(path);
        ASSERT_EQ(image.width, w);
        ASSERT_EQ(image.height, h);
        EXPECT_EQ(image.bitsPerPixel, 24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = image.pixels + (y * w + x) * 3;
                EXPECT_EQ(p[0], 100);
                EXPECT_EQ(p[1], 50 * y);
                EXPECT_EQ(p[2], 10 * x);
            }
        RPfree(image);
    }
}

TEST(TiffRead, greyPaletteAndSixteenBitFilesAreConverted) {
    const int w = 4, h = 2;
    std::vector<std::uint8_t> grey = {0, 60, 120, 250, 1, 2, 3, 4};
    writeTiff(scratch("grey.tif"), w, h, 1, 8, PHOTOMETRIC_MINISBLACK, grey);
    RasterImage g = RPreadTiff(scratch("grey.tif"));
    ASSERT_EQ(g.width, w);
    for (int i = 0; i < w * h; ++i) {
        EXPECT_EQ(g.pixels[3 * i], grey[i]);
        EXPECT_EQ(g.pixels[3 * i + 2], grey[i]);
    }
    RPfree(g);

    std::vector<std::uint16_t> map(768, 0);
    map[1] = 65535;        // entry 1: red
    map[256 + 2] = 65535;  // entry 2: green
    map[512 + 3] = 65535;  // entry 3: blue
    std::vector<std::uint8_t> indices = {1, 2, 3, 0, 0, 3, 2, 1};
    writeTiff(scratch("palette.tif"), w, h, 1, 8, PHOTOMETRIC_PALETTE, indices, 0, false, &map);
    RasterImage p = RPreadTiff(scratch("palette.tif"));
    ASSERT_EQ(p.width, w);
    EXPECT_EQ(p.pixels[2], 255);  // red in byte 2
    EXPECT_EQ(p.pixels[0], 0);
    EXPECT_EQ(p.pixels[3 + 1], 255);  // green
    EXPECT_EQ(p.pixels[6 + 0], 255);  // blue
    EXPECT_EQ(p.pixels[9], 0);
    RPfree(p);

    std::vector<std::uint8_t> deep(w * h * 3 * 2);
    auto* samples = reinterpret_cast<std::uint16_t*>(deep.data());
    for (int i = 0; i < w * h; ++i) {
        samples[3 * i] = 65535;
        samples[3 * i + 1] = std::uint16_t(i * 8000);
        samples[3 * i + 2] = 0;
    }
    writeTiff(scratch("deep.tif"), w, h, 3, 16, PHOTOMETRIC_RGB, deep);
    RasterImage d = RPreadTiff(scratch("deep.tif"));
    ASSERT_EQ(d.width, w);
    for (int i = 0; i < w * h; ++i) {
        EXPECT_EQ(d.pixels[3 * i + 2], 255);
        EXPECT_NEAR(d.pixels[3 * i + 1], i * 8000 / 257, 1);
        EXPECT_EQ(d.pixels[3 * i], 0);
    }
    RPfree(d);
}

TEST(TiffRead, brokenFilesGiveTheEmptyImage) {
    EXPECT_EQ(RPreadTiff(scratch("does-not-exist.tif")).width, 0);
    std::vector<std::uint8_t> noise(3000);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = std::uint8_t(i * 17 + 3);
    writeBytes(scratch("garbage.tif"), noise.data(), noise.size());
    testing::internal::CaptureStdout();
    RasterImage garbage = RPreadTiff(scratch("garbage.tif"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(garbage.width, 0);
    EXPECT_NE(out.find("RPreadTiff: " + scratch("garbage.tif")), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;

    // A header that claims far more pixels than the limit allows.
    std::vector<std::uint8_t> rgb(16 * 16 * 3, 9);
    writeTiff(scratch("huge.tif"), 16, 16, 3, 8, PHOTOMETRIC_RGB, rgb);
    TIFF* tif = TIFFOpen(scratch("huge.tif").c_str(), "r+");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 100000);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 100000);
    TIFFRewriteDirectory(tif);
    TIFFClose(tif);
    testing::internal::CaptureStdout();
    RasterImage huge = RPreadTiff(scratch("huge.tif"));
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(huge.width, 0);
    EXPECT_EQ(huge.pixels, nullptr);

    // Truncated pixel data: an image when libtiff carries on, never a crash.
    writeTiff(scratch("cut.tif"), 16, 16, 3, 8, PHOTOMETRIC_RGB, rgb);
    std::vector<std::uint8_t> bytes = readBytes(scratch("cut.tif"));
    writeBytes(scratch("cut.tif"), bytes.data(), bytes.size() / 2);
    testing::internal::CaptureStdout();
    RasterImage cut = RPreadTiff(scratch("cut.tif"));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(cut.width == 0 || (cut.width == 16 && cut.pixels != nullptr));
    RPfree(cut);
}

}  // namespace
}  // namespace kavlo::imaging

namespace kavlo::imaging {
namespace {

// Damaged copies of valid files (bytes overwritten, cut short): every reader either
// refuses them with the empty image or returns a complete raster, and never crashes
// (run under the sanitizers, this finds reads and writes out of bounds).
TEST(HostileInput, damagedFilesGiveTheEmptyImageOrAWholeRaster) {
    RasterImage source = gradient(40, 24);
    const std::string jpegPath = scratch("mutate-source.jpg");
    ASSERT_EQ(RPwriteJpeg(jpegPath, 80, nullptr, source), 0);
    std::vector<std::uint8_t> rgb(40 * 24 * 3, 77);
    writeTiff(scratch("mutate-source.tif"), 40, 24, 3, 8, PHOTOMETRIC_RGB, rgb);
    RPfree(source);
    const std::vector<std::uint8_t> jpeg = readBytes(jpegPath),
                                    tiff = readBytes(scratch("mutate-source.tif"));
    std::mt19937 rng(2026);
    const std::string damaged = scratch("damaged.bin");
    testing::internal::CaptureStdout();
    for (int round = 0; round < 300; ++round) {
        const bool isJpeg = round % 2 == 0;
        std::vector<std::uint8_t> bytes = isJpeg ? jpeg : tiff;
        const int edits = 1 + int(rng() % 8);
        for (int e = 0; e < edits; ++e) bytes[rng() % bytes.size()] = std::uint8_t(rng());
        if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
        writeBytes(damaged, bytes.data(), bytes.size());
        RasterImage image = isJpeg ? RPreadJpeg(damaged, nullptr, int(rng() % 50), nullptr, nullptr)
                                   : RPreadTiff(damaged);
        RasterImage fromMemory =
            isJpeg ? RPreadJpegMemory(bytes.data(), bytes.size(), 0) : RasterImage{};
        for (RasterImage* r : {&image, &fromMemory}) {
            if (r->width == 0 || r->height == 0) {
                EXPECT_EQ(r->pixels, nullptr);
            } else {
                ASSERT_NE(r->pixels, nullptr);
                // Touch every byte: a short raster shows up under the sanitizers.
                unsigned sum = 0;
                for (std::size_t i = 0; i < std::size_t(r->width) * r->height * 3; ++i)
                    sum += r->pixels[i];
                (void)sum;
            }
            RPfree(*r);
        }
    }
    testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace kavlo::imaging
