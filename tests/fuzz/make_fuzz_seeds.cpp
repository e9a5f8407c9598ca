// SPDX-License-Identifier: MIT
// Makes the seed files of the photo-format and colour fuzz targets with the formats'
// own encoders: small PNG, WebP, HEIF/AVIF and JPEG files of every kind the readers
// know, and ICC profiles made with Little CMS; and the metadata targets' seeds (Exif
// blocks, JPEG files with GPS data, TIFF and PNG files with IPTC data), built byte by byte.
//   make_fuzz_seeds FOLDER   writes FOLDER/fuzz_<target>/<seed>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

#include "heif_builder.h"
#include "location_builder.h"
#include "source_files.h"
#include "test_profiles.h"

namespace {

namespace fs = std::filesystem;
using namespace kavlo::test;
using Bytes = std::vector<std::uint8_t>;

fs::path g_root;

std::string seed(const std::string& target, const std::string& name) {
    const fs::path dir = g_root / target;
    fs::create_directories(dir);
    return (dir / name).string();
}

void put(const std::string& target, const std::string& name, const Bytes& bytes) {
    require(!bytes.empty(), name.c_str());
    writeFile(seed(target, name), bytes);
}

// A JPEG of `p` with the profile as APP2 chunks (or the raw chunks given); `cmyk`
// stores the picture's complement as Adobe CMYK.
void writeJpeg(const std::string& path, const Rgba& p, const Bytes& icc,
               const std::vector<Bytes>& chunks, bool cmyk) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    require(f != nullptr, "no JPEG file");
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(p.w);
    cinfo.image_height = JDIMENSION(p.h);
    cinfo.input_components = cmyk ? 4 : 3;
    cinfo.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.empty()) jpeg_write_icc_profile(&cinfo, icc.data(), unsigned(icc.size()));
    for (const Bytes& c : chunks)
        jpeg_write_marker(&cinfo, JPEG_APP0 + 2, c.data(), unsigned(c.size()));
    std::vector<std::uint8_t> row(std::size_t(p.w) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < p.w; ++x) {
            const std::uint8_t* q = p.at(x, int(cinfo.next_scanline));
            for (int c = 0; c < (cmyk ? 4 : 3); ++c)
                row[std::size_t(x) * (cmyk ? 4 : 3) + c] = c < 3 ? q[c] : 200;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

Bytes iccChunk(int seq, int count, const Bytes& profile, std::size_t from, std::size_t to) {
    Bytes c = {'I',
               'C',
               'C',
               '_',
               'P',
               'R',
               'O',
               'F',
               'I',
               'L',
               'E',
               0,
               std::uint8_t(seq),
               std::uint8_t(count)};
    c.insert(c.end(), profile.begin() + std::ptrdiff_t(from), profile.begin() + std::ptrdiff_t(to));
    return c;
}

void pngSeeds(const Bytes& adobe) {
    const Rgba opaque = pattern(16, 12), clear = pattern(16, 12, true);
    writePng(seed("fuzz_png", "rgb8.png"), opaque, {PNG_COLOR_TYPE_RGB, 8, false, {}, {}});
    writePng(seed("fuzz_png", "rgba16_interlaced.png"), clear,
             {PNG_COLOR_TYPE_RGB_ALPHA, 16, true, {}, {}});
    writePng(seed("fuzz_png", "grey_alpha.png"), clear,
             {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {}, {}});
    writePng(seed("fuzz_png", "grey16.png"), opaque, {PNG_COLOR_TYPE_GRAY, 16, false, {}, {}});
    Rgba few = pattern(8, 8, true);
    for (std::size_t i = 0; i < few.px.size(); ++i) few.px[i] &= 0xC0;
    writePng(seed("fuzz_png", "palette.png"), few, {PNG_COLOR_TYPE_PALETTE, 8, false, {}, {}});
    writePng(seed("fuzz_png", "profile_exif.png"), opaque,
             {PNG_COLOR_TYPE_RGB, 8, false, adobe, exifBlock(6)});
}

void webpSeeds(const Bytes& adobe) {
    const Rgba opaque = pattern(16, 12), clear = pattern(16, 12, true);
    put("fuzz_webp", "lossy.webp", encodeWebp(opaque, {false, false, {}, {}}));
    put("fuzz_webp", "lossless_alpha.webp", encodeWebp(clear, {true, true, {}, {}}));
    put("fuzz_webp", "lossy_alpha_chunks.webp",
        encodeWebp(clear, {false, true, adobe, exifBlock(3)}));
    put("fuzz_webp", "animated.webp", encodeAnimatedWebp({opaque, oriented(opaque, 3)}, 50));
}

void heifSeeds(const Bytes& p3) {
    const Rgba p = pattern(16, 16);
    put("fuzz_heif", "small.heic", encodeHeif(p, {}));
    HeifSpec turned;
    turned.orientation = 7;
    turned.icc = p3;
    turned.exif = exifBlock(7);
    put("fuzz_heif", "turned_profile_exif.heic", encodeHeif(p, turned));
    HeifSpec alpha;
    alpha.alpha = true;
    put("fuzz_heif", "alpha.heic", encodeHeif(pattern(16, 16, true), alpha));
    HeifSpec deep;
    deep.bitDepth = 10;
    put("fuzz_heif", "deep10.heic", encodeHeif(p, deep));
    HeifSpec av1;
    av1.format = heif_compression_AV1;
    put("fuzz_heif", "small.avif", encodeHeif(p, av1));
    av1.bitDepth = 12;
    put("fuzz_heif", "deep12.avif", encodeHeif(p, av1));

    namespace h = kavlo::test::heif;
    const Rgba whole = pattern(64, 64);
    std::vector<h::Item> items;
    items.push_back(
        {"grid", {h::ispe(60, 60), h::irot(3), h::imir(0)}, h::gridData(2, 2, 60, 60), false});
    std::vector<std::uint16_t> tiles;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            auto item = h::hevcItem(h::tileOf(whole, c * 32, r * 32, 32, 32), 50);
            require(item.has_value(), "no coded tile");
            items.push_back(*item);
            tiles.push_back(std::uint16_t(items.size()));
        }
    auto depth = h::hevcItem(pattern(16, 16), 50);
    require(depth.has_value(), "no coded depth map");
    depth->properties.push_back(h::auxC("urn:mpeg:hevc:2015:auxid:2"));
    items.push_back(*depth);
    items.push_back({"Exif", {}, h::exifItem(exifBlock(6)), false});
    put("fuzz_heif", "grid_depth_exif.heic",
        h::assemble(items, {{"dimg", 1, tiles}, {"auxl", 6, {1}}, {"cdsc", 7, {1}}}));
}

void jpegSeeds(const Bytes& adobe, const Bytes& cmyk) {
    const Rgba p = pattern(16, 16);
    writeJpeg(seed("fuzz_jpeg_colour", "adobe.jpg"), p, adobe, {}, false);
    writeJpeg(seed("fuzz_jpeg_colour", "cmyk_profile.jpg"), p, cmyk, {}, true);
    const std::size_t half = adobe.size() / 2;
    writeJpeg(seed("fuzz_jpeg_colour", "two_chunks.jpg"), p, {},
              {iccChunk(2, 2, adobe, half, adobe.size()), iccChunk(1, 2, adobe, 0, half)}, false);
    writeJpeg(seed("fuzz_jpeg_colour", "bad_count.jpg"), p, {},
              {iccChunk(1, 3, adobe, 0, half), iccChunk(2, 3, adobe, half, adobe.size())}, false);
}

// Metadata seeds: Exif blocks, JPEG files with GPS data in every place it can stand,
// and TIFF and PNG files with IPTC data, built byte by byte.
namespace t = kavlo::testing;

Bytes iptcDatasets() {
    Bytes out;
    for (const auto& [number, text] : std::vector<std::pair<std::uint8_t, std::string>>{
             {120, "Harbour at dawn."}, {80, "Staff"}, {25, "sea"}}) {
        out.insert(out.end(), {0x1C, 2, number, 0, std::uint8_t(text.size())});
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

Bytes pngChunk(const char* type, const Bytes& data) {
    Bytes out{std::uint8_t(data.size() >> 24), std::uint8_t(data.size() >> 16),
              std::uint8_t(data.size() >> 8), std::uint8_t(data.size())};
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data.data(), uInt(data.size()));
    out.insert(out.end(), {std::uint8_t(crc >> 24), std::uint8_t(crc >> 16), std::uint8_t(crc >> 8),
                           std::uint8_t(crc)});
    return out;
}

void metadataSeeds() {
    for (const bool motorola : {false, true}) {
        t::TiffBuilder b(motorola);
        b.ascii(t::TiffBuilder::ifd0, 271, "Apple")
            .u16(t::TiffBuilder::ifd0, 274, 6)
            .rational(t::TiffBuilder::exif, 33434, 1, 250)
            .ascii(t::TiffBuilder::exif, 36867, "2024:06:01 12:00:00")
            .thumbnail({0xFF, 0xD8, 0xFF, 0xD9});
        const Bytes block = b.build();
        const std::string order = motorola ? "mm" : "ii";
        put("fuzz_exif_block", order + ".tiff", block);
        Bytes prefixed{'E', 'x', 'i', 'f', 0, 0};
        prefixed.insert(prefixed.end(), block.begin(), block.end());
        put("fuzz_exif_block", order + "_prefixed.bin", prefixed);

        const Bytes jpeg = t::jpegWith({t::exifSection(block)});
        const Bytes gps = t::addGps(jpeg, 48.85, 2.29);
        put("fuzz_location", order + "_gps.jpg", gps);
        put("fuzz_location", order + "_second_image.jpg", t::withSecondImage(jpeg, gps));

        b.add(t::TiffBuilder::ifd0, 33723, 7, std::uint32_t(iptcDatasets().size()), iptcDatasets());
        put("fuzz_iptc_containers", order + "_iptc.tif", b.build());
    }
    put("fuzz_location", "xmp.jpg",
        t::jpegWith({t::xmpSection(t::xmpPacket(" exif:GPSLatitude=\"48,51N\"",
                                                "<exif:GPSAltitude>3/1</exif:GPSAltitude>\n"))}));

    // A 1 x 1 grey PNG with the IPTC profile in a tEXt chunk.
    std::string profile = "\niptc\n" + std::to_string(iptcDatasets().size()) + "\n";
    for (const std::uint8_t b : iptcDatasets()) {
        static const char kHex[] = "0123456789abcdef";
        profile += kHex[b >> 4];
        profile += kHex[b & 15];
    }
    Bytes text{'R', 'a', 'w', ' ', 'p', 'r', 'o', 'f', 'i', 'l', 'e',
               ' ', 't', 'y', 'p', 'e', ' ', 'i', 'p', 't', 'c', 0};
    text.insert(text.end(), profile.begin(), profile.end());
    Bytes pixels{0, 128};  // filter byte, one grey sample
    Bytes packed(compressBound(uLong(pixels.size())));
    uLongf packedSize = uLongf(packed.size());
    compress(packed.data(), &packedSize, pixels.data(), uLong(pixels.size()));
    packed.resize(packedSize);
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Bytes& c : {pngChunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0}),
                           pngChunk("tEXt", text), pngChunk("IDAT", packed), pngChunk("IEND", {})})
        png.insert(png.end(), c.begin(), c.end());
    put("fuzz_iptc_containers", "iptc.png", png);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    g_root = argv[1];
    try {
        const Bytes adobe = profiles::adobeRgb(), p3 = profiles::displayP3(),
                    cmyk = profiles::cmykProfile(3);
        put("fuzz_icc", "adobe_rgb.icc", adobe);
        put("fuzz_icc", "display_p3.icc", p3);
        put("fuzz_icc", "srgb.icc", profiles::builtInSrgb());
        put("fuzz_icc", "srgb_table.icc", profiles::tabulatedSrgb());
        put("fuzz_icc", "cmyk.icc", cmyk);
        put("fuzz_icc", "grey.icc", profiles::greyProfile(1.8));
        pngSeeds(adobe);
        webpSeeds(adobe);
        heifSeeds(p3);
        jpegSeeds(adobe, cmyk);
        metadataSeeds();
        // The container headers are read from files of every format.
        for (const char* from : {"fuzz_png", "fuzz_webp", "fuzz_heif", "fuzz_jpeg_colour"})
            for (const auto& e : fs::directory_iterator(g_root / from))
                fs::copy_file(e.path(), seed("fuzz_source_header", e.path().filename().string()),
                              fs::copy_options::overwrite_existing);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
