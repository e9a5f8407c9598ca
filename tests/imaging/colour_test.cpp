// SPDX-License-Identifier: MIT
// Colour management: photos converted to Adobe RGB (1998) and Display P3 with Little
// CMS and saved with their profile in each container come back within a small colour
// difference of the sRGB original; sRGB-tagged and untagged photos come back
// byte-identical; CMYK files use their profile; broken profiles are ignored with one
// warning; nclx descriptions convert like the matching profile.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>
#include <tiffio.h>

#include "imaging/codecs.h"
#include "imaging/colour.h"
#include "imaging/source_image.h"
#include "colour_photos.h"
#include "source_files.h"
#include "support/test_photos.h"
#include "test_profiles.h"

namespace kavlo::imaging {
namespace {

using util::DiagnosticCapture;
using util::ErrorCode;
using util::Severity;
using Bytes = std::vector<std::uint8_t>;
using test::meanDeltaE;
using test::meanLevelDifference;
using test::rgbaOf;
using test::scratchFile;
using namespace test::profiles;

// ---- Pictures ----

using Picture = Image;

Picture photo() {
    return Picture(
        RPreadJpeg(test::testPhoto("large/canon_hdr_NO.jpg"), nullptr, 300, nullptr, nullptr));
}

Picture copyOf(const RasterImage& image) { return Picture(RPclone(image)); }

// The picture moved from sRGB into `profile`, as a photo editor's "convert to profile".
Picture convertedInto(const RasterImage& srgbPicture, const Bytes& profile) {
    Picture out = copyOf(srgbPicture);
    test::toProfile(out.record(), profile);
    return out;
}

bool samePixels(const RasterImage& a, const RasterImage& b) {
    return a.width == b.width && a.height == b.height &&
           std::equal(a.pixels, a.pixels + std::size_t(a.width) * a.height * 3, b.pixels);
}

// ---- Files ----

// A JPEG of the picture (quality 98, no chroma subsampling) with `icc` embedded when not
// empty, or with the raw APP2 chunks given.
void writeJpeg(const std::string& path, const RasterImage& image, const Bytes& icc,
               const std::vector<Bytes>& rawChunks = {}) {
    ASSERT_TRUE(test::writeTaggedJpeg(path, image, icc, {98, true, rawChunks})) << path;
}

// A TIFF of the samples (3 = RGB from a blue-green-red picture, 4 = CMYK inks).
void writeTiff(const std::string& path, int w, int h, int samples, const std::uint8_t* data,
               const Bytes& icc) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, samples == 4 ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
    if (!icc.empty()) TIFFSetField(t, TIFFTAG_ICCPROFILE, std::uint32_t(icc.size()), icc.data());
    std::vector<std::uint8_t> row(std::size_t(w) * samples);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = data + std::size_t(y) * w * samples;
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < samples; ++c)
                row[std::size_t(x) * samples + c] =
                    samples == 3 ? in[x * 3 + 2 - c] : in[x * 4 + c];
        TIFFWriteScanline(t, row.data(), std::uint32_t(y), 0);
    }
    TIFFClose(t);
}

// Writes `image` (already in the profile's colours) tagged with `icc` in `format`.
std::string writeTagged(const std::string& name, const std::string& format,
                        const RasterImage& image, const Bytes& icc) {
    const std::string path = scratchFile(name + "." + format);
    if (format == "jpg") {
        writeJpeg(path, image, icc);
    } else if (format == "png") {
        test::writePng(path, rgbaOf(image), {PNG_COLOR_TYPE_RGB, 8, false, icc, {}});
    } else if (format == "webp") {
        test::writeFile(path, test::encodeWebp(rgbaOf(image), {true, false, icc, {}}));
    } else if (format == "heic") {
        test::HeifSpec spec;
        spec.icc = icc;
        spec.quality = 95;
        test::writeFile(path, test::encodeHeif(rgbaOf(image), spec));
    } else if (format == "tif") {
        writeTiff(path, image.width, image.height, 3, image.pixels, icc);
    }
    return path;
}

// ---- Tests ----

TEST(Colour, WideGamutPhotosInEveryContainerComeBackAsTheSrgbOriginal) {
    const Picture original = photo();
    ASSERT_GT(original.record().width, 300);
    struct Space {
        const char* name;
        Bytes profile;
    };
    const Space spaces[] = {{"adobe_rgb", adobeRgb()}, {"display_p3", displayP3()}};
    for (const Space& space : spaces) {
        const Picture wide = convertedInto(original.record(), space.profile);
        for (const char* format : {"jpg", "png", "webp", "heic", "tif"}) {
            SCOPED_TRACE(testing::Message() << space.name << " in " << format);
            const std::string path = writeTagged(std::string("photo_") + space.name, format,
                                                 wide.record(), space.profile);
            DecodedImage d = readSourceImage(path, {});
            const Picture decoded = d.picture.clone();
            ASSERT_EQ(d.iccProfile, space.profile);
            // Shown untagged, the colours are visibly off; converted, they are the original's.
            const double before = meanDeltaE(decoded.record(), original.record());
            EXPECT_EQ(convertToSrgb(d, path), ColourOutcome::Converted);
            const double after = meanDeltaE(d.picture.record(), original.record());
            EXPECT_GT(before, 3.0);
            EXPECT_LT(after, 2.0);
            std::printf("  %s in %s: mean delta E %.2f untagged, %.2f converted\n", space.name,
                        format, before, after);
        }
    }
}

TEST(Colour, SrgbTaggedAndUntaggedPhotosGiveIdenticalPixels) {
    const Picture original = photo();
    const std::string untagged = scratchFile("untagged.jpg");
    writeJpeg(untagged, original.record(), {});
    const Picture reference(RPreadJpeg(untagged, nullptr, 0, nullptr, nullptr));
    for (const Bytes& profile : {builtInSrgb(), tabulatedSrgb()}) {
        EXPECT_TRUE(isSrgbProfile(profile));
        const std::string tagged = scratchFile("srgb_tagged.jpg");
        writeJpeg(tagged, original.record(), profile);
        DecodedImage d = readJpegImage(tagged, {});
        EXPECT_EQ(d.iccProfile, profile);
        EXPECT_EQ(convertToSrgb(d, tagged), ColourOutcome::Unchanged);
        EXPECT_TRUE(samePixels(d.picture.record(), reference.record()));
    }
    DecodedImage plain = readJpegImage(untagged, {});
    EXPECT_TRUE(plain.iccProfile.empty());
    EXPECT_EQ(convertToSrgb(plain, untagged), ColourOutcome::Unchanged);
    EXPECT_TRUE(samePixels(plain.picture.record(), reference.record()));
    EXPECT_FALSE(isSrgbProfile(adobeRgb()));
    EXPECT_FALSE(isSrgbProfile(displayP3()));
}

// Inks for a CMYK test picture: every combination of a few levels, and what the test
// device shows for them.
struct CmykPicture {
    int w = 0, h = 0;
    Bytes inks;        // plain: 255 = full ink
    Picture expected;  // what the device shows, sRGB
};

CmykPicture cmykPicture() {
    CmykPicture p;
    const int levels[] = {0, 40, 90, 160, 230};
    p.w = 25;
    p.h = 25;
    p.expected = Picture(RPcreate(25, 25, 24));
    for (int i = 0; i < 625; ++i) {
        const int c = levels[i % 5], m = levels[(i / 5) % 5], y = levels[(i / 25) % 5],
                  k = levels[(i / 125) % 5] / 2;
        p.inks.insert(p.inks.end(),
                      {std::uint8_t(c), std::uint8_t(m), std::uint8_t(y), std::uint8_t(k)});
        double rgb[3];
        cmykToRgb(c / 255.0, m / 255.0, y / 255.0, k / 255.0, rgb);
        for (int ch = 0; ch < 3; ++ch)
            p.expected.record().pixels[i * 3 + 2 - ch] = std::uint8_t(std::lround(rgb[ch] * 255));
    }
    return p;
}

void writeCmykJpeg(const std::string& path, const CmykPicture& p, const Bytes& icc) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(p.w);
    cinfo.image_height = JDIMENSION(p.h);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);  // CMYK stored as YCCK with an Adobe marker
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int c = 0; c < 4; ++c)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.empty()) jpeg_write_icc_profile(&cinfo, icc.data(), unsigned(icc.size()));
    std::vector<std::uint8_t> row(std::size_t(p.w) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        // Adobe files store inverted inks (255 = no ink).
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = std::uint8_t(255 - p.inks[cinfo.next_scanline * row.size() + i]);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

TEST(Colour, CmykFilesUseTheirProfile) {
    const CmykPicture p = cmykPicture();
    const Bytes profile = cmykProfile();
    const std::string tagged = scratchFile("cmyk_tagged.jpg");
    writeCmykJpeg(tagged, p, profile);
    DecodedImage d = readJpegImage(tagged, {});
    EXPECT_TRUE(d.colourDone);
    EXPECT_EQ(convertToSrgb(d, tagged), ColourOutcome::Unchanged);  // already done
    EXPECT_LT(meanLevelDifference(d.picture.record(), p.expected.record()), 2.5);
    // Without the profile, the generic formula shows other colours.
    const Picture generic(RPreadJpeg(tagged, nullptr, 0, nullptr, nullptr));
    EXPECT_GT(meanLevelDifference(generic.record(), p.expected.record()), 6.0);

    const std::string tiff = scratchFile("cmyk_tagged.tif");
    writeTiff(tiff, p.w, p.h, 4, p.inks.data(), profile);
    DecodedImage t = readTiffImage(tiff, {});
    EXPECT_TRUE(t.colourDone);
    EXPECT_LT(meanLevelDifference(t.picture.record(), p.expected.record()), 2.5);

    // Untagged CMYK keeps today's conversion.
    const std::string untagged = scratchFile("cmyk_untagged.jpg");
    writeCmykJpeg(untagged, p, {});
    DecodedImage u = readJpegImage(untagged, {});
    const Picture today(RPreadJpeg(untagged, nullptr, 0, nullptr, nullptr));
    EXPECT_TRUE(samePixels(u.picture.record(), today.record()));
}

TEST(Colour, BrokenProfilesAreIgnoredWithOneLine) {
    const Picture original = photo();
    const std::string plain = scratchFile("broken_reference.jpg");
    writeJpeg(plain, original.record(), {});
    const Picture reference(RPreadJpeg(plain, nullptr, 0, nullptr, nullptr));
    const Bytes adobe = adobeRgb();

    // Chunks that do not form one profile: the count disagrees, a number repeats, a
    // number is 0, a chunk is missing.
    auto chunk = [&](int seq, int count, std::size_t from, std::size_t to) {
        Bytes c(std::begin("ICC_PROFILE"), std::end("ICC_PROFILE"));  // with its NUL
        c.push_back(std::uint8_t(seq));
        c.push_back(std::uint8_t(count));
        c.insert(c.end(), adobe.begin() + std::ptrdiff_t(from), adobe.begin() + std::ptrdiff_t(to));
        return c;
    };
    const std::size_t half = adobe.size() / 2;
    const std::vector<std::vector<Bytes>> malformed = {
        {chunk(1, 3, 0, half), chunk(2, 3, half, adobe.size())},
        {chunk(1, 2, 0, half), chunk(1, 2, half, adobe.size())},
        {chunk(0, 1, 0, adobe.size())},
        {chunk(1, 2, 0, half), chunk(2, 1, half, adobe.size())},
    };
    for (std::size_t i = 0; i < malformed.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = scratchFile("bad_chunks_" + std::to_string(i) + ".jpg");
        writeJpeg(path, original.record(), {}, malformed[i]);
        DiagnosticCapture capture;
        DecodedImage d = readJpegImage(path, {});
        EXPECT_TRUE(d.iccProfile.empty());
        EXPECT_TRUE(samePixels(d.picture.record(), reference.record()));
        EXPECT_EQ(d.error, ErrorCode::none);
        ASSERT_EQ(capture.codes(), std::vector{ErrorCode::corrupt});
        EXPECT_EQ(capture.diagnostics()[0].file, path);
        EXPECT_EQ(capture.diagnostics()[0].severity, Severity::warning);
    }
    // Chunks in reverse file order are put together by their numbers.
    {
        const std::string path = scratchFile("reversed_chunks.jpg");
        writeJpeg(path, original.record(), {},
                  {chunk(2, 2, half, adobe.size()), chunk(1, 2, 0, half)});
        DecodedImage d = readJpegImage(path, {});
        EXPECT_EQ(d.iccProfile, adobe);
    }

    // Profiles Little CMS refuses or that do not fit the picture.
    Bytes truncated(adobe.begin(), adobe.begin() + 200);
    Bytes garbage(600);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = std::uint8_t(i * 131 + 7);
    Bytes lying = adobe;  // a tag table claiming millions of tags
    lying[128] = 0x0F;
    const Bytes grey = greyProfile(1.0);
    int index = 0;
    for (const Bytes& bad : {truncated, garbage, lying, cmykProfile(), grey}) {
        SCOPED_TRACE(index++);
        Picture p = copyOf(original.record());
        DiagnosticCapture capture;
        EXPECT_EQ(convertToSrgb(p.record(), bad, "photo.jpg"), ColourOutcome::Ignored);
        EXPECT_TRUE(samePixels(p.record(), original.record()));
        ASSERT_EQ(capture.codes(), std::vector{ErrorCode::unsupported});
        EXPECT_EQ(capture.diagnostics()[0].file, "photo.jpg");
    }
}

TEST(Colour, GreyProfilesApplyToGreyPictures) {
    Picture ramp(RPcreate(256, 1, 24));
    for (int i = 0; i < 256; ++i) std::fill_n(ramp.record().pixels + i * 3, 3, std::uint8_t(i));
    // A linear grey (gamma 1.0): mid grey 128 is brighter in sRGB.
    const Bytes linear = greyProfile(1.0);
    EXPECT_EQ(convertToSrgb(ramp.record(), linear, "grey"), ColourOutcome::Converted);
    EXPECT_NEAR(ramp.record().pixels[128 * 3], 188, 2);
    EXPECT_EQ(ramp.record().pixels[128 * 3], ramp.record().pixels[128 * 3 + 2]);
    EXPECT_EQ(ramp.record().pixels[0], 0);
    EXPECT_EQ(ramp.record().pixels[255 * 3], 255);
}

TEST(Colour, NclxDescriptionsConvertLikeTheirProfiles) {
    const Picture original = photo();
    const Picture p3 = convertedInto(original.record(), displayP3());
    // Display P3 by code points (primaries 12, sRGB curve 13) and by profile agree.
    Picture byNclx = copyOf(p3.record());
    Picture byProfile = copyOf(p3.record());
    EXPECT_EQ(convertToSrgb(byNclx.record(), NclxColour{12, 13, 6, true}, "p3"),
              ColourOutcome::Converted);
    EXPECT_EQ(convertToSrgb(byProfile.record(), displayP3(), "p3"), ColourOutcome::Converted);
    EXPECT_LT(meanLevelDifference(byNclx.record(), byProfile.record()), 0.5);
    EXPECT_LT(meanDeltaE(byNclx.record(), original.record()), 1.0);

    // sRGB, BT.709 and unspecified code points leave the picture alone; HDR curves and
    // unknown primaries are not converted.
    for (NclxColour same :
         {NclxColour{1, 13, 6, true}, NclxColour{1, 1, 1, false}, NclxColour{2, 2, 2, true}}) {
        Picture p = copyOf(original.record());
        EXPECT_EQ(convertToSrgb(p.record(), same, "same"), ColourOutcome::Unchanged);
        EXPECT_TRUE(samePixels(p.record(), original.record()));
    }
    for (NclxColour hdr :
         {NclxColour{9, 16, 9, false}, NclxColour{9, 18, 9, false}, NclxColour{99, 13, 6, true}}) {
        Picture p = copyOf(original.record());
        DiagnosticCapture capture;
        EXPECT_EQ(convertToSrgb(p.record(), hdr, "hdr.avif"), ColourOutcome::Ignored);
        EXPECT_TRUE(samePixels(p.record(), original.record()));
        ASSERT_EQ(capture.codes(), std::vector{ErrorCode::unsupported});
        EXPECT_EQ(capture.diagnostics()[0].file, "hdr.avif");
    }
}

TEST(Colour, ConversionsOnSeveralThreadsAgree) {
    const Picture original = photo();
    const Bytes adobe = adobeRgb();
    Picture single = copyOf(original.record());
    convertToSrgb(single.record(), adobe, "single");
    std::vector<Picture> pictures;
    for (int i = 0; i < 4; ++i) pictures.push_back(copyOf(original.record()));
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] {
            convertToSrgb(pictures[std::size_t(i)].record(), i % 2 ? adobe : displayP3(), "thread");
        });
    for (auto& t : threads) t.join();
    EXPECT_TRUE(samePixels(pictures[1].record(), single.record()));
    EXPECT_TRUE(samePixels(pictures[3].record(), single.record()));
}

}  // namespace
}  // namespace kavlo::imaging
