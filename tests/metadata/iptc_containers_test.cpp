// SPDX-License-Identifier: MIT
// IPTC data in TIFF and PNG files, written by the formats' own libraries where they can
// write it, and byte by byte for the forms they cannot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <png.h>
#include <tiffio.h>

#include "jpeg_builder.h"
#include "metadata/iptc.h"

namespace kavlo::metadata {
namespace {

using testing::Bytes;

Bytes dataset(std::uint8_t number, const std::string& value) {
    Bytes out{0x1C, 2, number, std::uint8_t(value.size() >> 8), std::uint8_t(value.size())};
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

/// Caption, by-line and two keywords, as a tool writes them.
Bytes iptcData() {
    Bytes out{0x1C, 1, 90, 0, 3, 0x1B, '%', 'G'};  // record 1: coded character set
    for (const Bytes& d : {dataset(120, "Harbour at dawn."), dataset(80, "Staff"),
                           dataset(25, "sea"), dataset(25, "sun")})
        out.insert(out.end(), d.begin(), d.end());
    return out;
}

void expectIptc(const IptcRecord& r, const std::string& what) {
    EXPECT_EQ(iptcCaption(r, "%caption_abstract% Photo by %byline_author% (%keywords%)"),
              "Harbour at dawn. Photo by Staff (sea - sun)")
        << what;
}

/// The "Raw profile type" text form: name line, length, hexadecimal in lines of 72.
std::string rawProfile(const std::string& name, const Bytes& bytes) {
    char length[16];
    std::snprintf(length, sizeof length, "%8zu", bytes.size());
    std::string out = "\n" + name + "\n" + length;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 36 == 0) out += "\n";
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        out += hex;
    }
    return out + "\n";
}

class IptcContainers : public ::testing::Test {
protected:
    std::string path(const std::string& name) {
        const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/metadata/iptc";
        std::filesystem::create_directories(dir);
        return dir + "/" + name;
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string p = path(name);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p;
    }

    struct Text {
        std::string keyword, text;
        int compression;  // PNG_TEXT_COMPRESSION_NONE, _zTXt, PNG_ITXT_COMPRESSION_NONE, ...
        bool afterImage = false;
    };

    /// A 2 x 2 PNG written by libpng with the given text chunks.
    std::string writePng(const std::string& name, const std::vector<Text>& texts) {
        const std::string p = path(name);
        std::FILE* f = std::fopen(p.c_str(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_infop end = png_create_info_struct(png);
        png_init_io(png, f);
        png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        std::vector<png_text> before, after;
        for (const Text& t : texts) {
            png_text chunk{};
            chunk.compression = t.compression;
            chunk.key = const_cast<char*>(t.keyword.c_str());
            chunk.text = const_cast<char*>(t.text.c_str());
            chunk.text_length = t.text.size();
            chunk.itxt_length = t.text.size();
            (t.afterImage ? after : before).push_back(chunk);
        }
        if (!before.empty()) png_set_text(png, info, before.data(), int(before.size()));
        if (!after.empty()) png_set_text(png, end, after.data(), int(after.size()));
        png_write_info(png, info);
        std::uint8_t row[6] = {10, 20, 30, 40, 50, 60};
        png_write_row(png, row);
        png_write_row(png, row);
        png_write_end(png, end);
        png_destroy_info_struct(png, &end);
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return p;
    }
};

// ---------------------------------------------------------------------------------------
// TIFF tag 33723.

TEST_F(IptcContainers, tiffTagInEveryDeclaredTypeAndByteOrder) {
    Bytes iptc = iptcData();
    iptc.resize((iptc.size() + 3) / 4 * 4, 0);  // whole 32-bit numbers for the LONG form
    for (const bool motorola : {false, true}) {
        for (const std::uint16_t format : {1, 4, 7}) {
            testing::TiffBuilder t(motorola);
            t.u32(testing::TiffBuilder::ifd0, 256, 1).u32(testing::TiffBuilder::ifd0, 257, 1);
            const std::uint32_t count = std::uint32_t(format == 4 ? iptc.size() / 4 : iptc.size());
            t.add(testing::TiffBuilder::ifd0, 33723, format, count, iptc);
            const std::string what =
                std::string(motorola ? "MM" : "II") + " format " + std::to_string(format);
            const std::string file =
                write("iptc" + std::to_string(format) + what.substr(0, 2) + ".tif", t.build());
            IptcRecord r;
            ASSERT_TRUE(readIptc(file, r)) << what;
            expectIptc(r, what);
        }
    }
}

TEST_F(IptcContainers, tiffWrittenByLibtiff) {
    const std::string p = path("libtiff.tif");
    TIFF* tif = TIFFOpen(p.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    // libtiff 4.5 stores the tag as undefined bytes (older versions as 32-bit numbers).
    Bytes iptc = iptcData();
    TIFFSetField(tif, TIFFTAG_RICHTIFFIPTC, std::uint32_t(iptc.size()), iptc.data());
    std::uint8_t row[2] = {1, 2};
    TIFFWriteScanline(tif, row, 0, 0);
    TIFFClose(tif);
    IptcRecord r;
    ASSERT_TRUE(readIptc(p, r));
    expectIptc(r, "libtiff");
}

TEST_F(IptcContainers, tiffWithoutTheTagOrBroken) {
    testing::TiffBuilder t(false);
    t.u32(testing::TiffBuilder::ifd0, 256, 1);
    IptcRecord r;
    EXPECT_TRUE(readIptc(write("plain.tif", t.build()), r));
    for (const std::string& f : r.fields) EXPECT_EQ(f, "");
    // The value lies past the file's end: nothing read, nothing allocated for it.
    testing::TiffBuilder big(false);
    big.add(testing::TiffBuilder::ifd0, 33723, 7, 0x7FFFFFF0, Bytes(8, 0));
    EXPECT_TRUE(readTiffIptc(write("huge.tif", big.build()), r));
    Bytes shortDir = t.build();
    shortDir.resize(12);
    EXPECT_FALSE(readTiffIptc(write("cut.tif", shortDir), r));
    EXPECT_FALSE(readTiffIptc(write("bad.tif", {'I', 'I', 43, 0, 8, 0, 0, 0}), r));
    EXPECT_FALSE(readTiffIptc(path("missing.tif"), r));
    for (const std::string& f : r.fields) EXPECT_EQ(f, "");
}

// ---------------------------------------------------------------------------------------
// PNG raw profiles.

TEST_F(IptcContainers, pngProfileInEveryTextChunkKindAndPlace) {
    const std::string text = rawProfile("iptc", iptcData());
    const std::vector<std::pair<const char*, Text>> cases = {
        {"tEXt", {"Raw profile type iptc", text, PNG_TEXT_COMPRESSION_NONE}},
        {"zTXt", {"Raw profile type iptc", text, PNG_TEXT_COMPRESSION_zTXt}},
        {"iTXt", {"Raw profile type iptc", text, PNG_ITXT_COMPRESSION_NONE}},
        {"iTXt compressed", {"Raw profile type IPTC", text, PNG_ITXT_COMPRESSION_zTXt}},
        {"after the image", {"Raw profile type iptc", text, PNG_TEXT_COMPRESSION_zTXt, true}},
        {"8bim",
         {"Raw profile type 8bim",
          rawProfile(
              "8bim",
              [] {
                  // The photo-editor resource block around the datasets.
                  Bytes b{'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
                  const Bytes d = iptcData();
                  const Bytes size{0, 0, std::uint8_t(d.size() >> 8), std::uint8_t(d.size())};
                  b.insert(b.end(), size.begin(), size.end());
                  b.insert(b.end(), d.begin(), d.end());
                  return b;
              }()),
          PNG_TEXT_COMPRESSION_zTXt}},
    };
    int n = 0;
    for (const auto& [what, chunk] : cases) {
        const std::string file =
            writePng("iptc" + std::to_string(n++) + ".png",
                     {{"Comment", "not this one", PNG_TEXT_COMPRESSION_NONE}, chunk});
        IptcRecord r;
        ASSERT_TRUE(readIptc(file, r)) << what;
        expectIptc(r, what);
    }
}

TEST_F(IptcContainers, pngDamagedChunksAreSkipped) {
    // The first profile's CRC is wrong: the second one counts.
    const std::string good = rawProfile("iptc", iptcData());
    Bytes other = iptcData();
    other[10] = 'X';
    const std::string file = writePng(
        "crc.png", {{"Raw profile type iptc", rawProfile("iptc", other), PNG_TEXT_COMPRESSION_NONE},
                    {"Raw profile type iptc", good, PNG_TEXT_COMPRESSION_NONE}});
    Bytes bytes = [&] {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }();
    const char tag[] = "tEXtRaw profile type iptc";
    const auto chunk = std::search(bytes.begin(), bytes.end(), tag, tag + sizeof tag - 1);
    ASSERT_NE(chunk, bytes.end());
    chunk[40] ^= 0x01;  // inside the first chunk's text: its CRC no longer matches
    IptcRecord r;
    ASSERT_TRUE(readIptc(write("crc-damaged.png", bytes), r));
    expectIptc(r, "second chunk");

    // Malformed profile texts and a cut file give nothing, and no failure.
    const std::string bad = writePng(
        "bad.png", {{"Raw profile type iptc", "\niptc\n  999\n1c02", PNG_TEXT_COMPRESSION_NONE}});
    IptcRecord empty;
    EXPECT_TRUE(readIptc(bad, empty));
    EXPECT_EQ(empty.fields[18], "");
    bytes.resize(bytes.size() / 2);
    EXPECT_TRUE(readPngIptc(write("cut.png", bytes), empty));
    EXPECT_FALSE(readPngIptc(write("not.png", {'G', 'I', 'F', '8'}), empty));
}

TEST(IptcRawProfile, decodesTheHexadecimalForm) {
    EXPECT_EQ(decodeRawProfile("\niptc\n       3\n1c02FF\n"), (Bytes{0x1C, 0x02, 0xFF}));
    EXPECT_EQ(decodeRawProfile("iptc\n2\n1c\n 0 2"), std::nullopt);  // a digit pair split
    EXPECT_EQ(decodeRawProfile("\niptc\n       0\n"), Bytes{});
    EXPECT_EQ(decodeRawProfile("\niptc\n       4\n1c02"), std::nullopt);  // digits missing
    EXPECT_EQ(decodeRawProfile("\niptc\n       2\n1g02"), std::nullopt);  // not hexadecimal
    EXPECT_EQ(decodeRawProfile("\niptc\n\n1c02"), std::nullopt);          // no length
    EXPECT_EQ(decodeRawProfile("\niptc\n99999999999999999999999\n1c"), std::nullopt);
    EXPECT_EQ(decodeRawProfile(""), std::nullopt);
}

}  // namespace
}  // namespace kavlo::metadata
