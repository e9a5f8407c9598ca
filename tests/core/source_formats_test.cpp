// SPDX-License-Identifier: MIT
// Album images from every photo format and colour description: colours of tagged photos
// brought to sRGB, untagged and sRGB photos untouched, PNG, WebP, HEIF and AVIF giving
// the picture their JPEG gives, orientation applied once whatever the container,
// transparent pixels on the skin's background, the reuse of earlier files without a
// decode, and published originals without their GPS position.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <jpeglib.h>
#include <lcms2.h>

#include "core/album_renderer.h"
#include "core/image_pipeline.h"
#include "core/skin_background.h"
#include "colour_photos.h"
#include "heif_builder.h"
#include "imaging/codecs.h"
#include "metadata/location.h"
#include "source_files.h"
#include "support/test_photos.h"
#include "test_profiles.h"
#include "test_support.h"
#include "util/text.h"

namespace kavlo::core {
namespace {

namespace fs = std::filesystem;
using imaging::RasterImage;
using model::AlbumModel;
using test::Rgba;
using test::meanDeltaE;
using test::meanLevelDifference;
using test::rgbaOf;
using test::toProfile;
using Bytes = std::vector<std::uint8_t>;

// ---- Pictures and files ----

/// A decoded album file, freed at the end of the scope.
struct Decoded {
    RasterImage img{};
    explicit Decoded(const std::string& path)
        : img(imaging::RPreadJpeg(path, nullptr, 0, nullptr, nullptr)) {}
    ~Decoded() { imaging::RPfree(img); }
    Decoded(const Decoded&) = delete;
    Decoded& operator=(const Decoded&) = delete;
    const std::uint8_t* px(int x, int y) const {
        return img.pixels + (std::size_t(y) * std::size_t(img.width) + std::size_t(x)) * 3;
    }
};

/// A real photo (colours worth converting), reduced to 768 x 1024.
RasterImage photoPixels() {
    return imaging::RPreadJpeg(test::testPhoto("large/canon_hdr_NO.jpg"), nullptr, 1024, nullptr,
                               nullptr);
}

/// The picture as a JPEG (quality 95) with `icc` embedded when not empty.
void writeJpeg(const std::string& path, const RasterImage& image, const Bytes& icc) {
    ASSERT_TRUE(test::writeTaggedJpeg(path, image, icc, {95, false, {}})) << path;
}

bool sameBytes(const std::string& a, const std::string& b) {
    return test::readAll(a) == test::readAll(b) && !test::readAll(a).empty();
}

// ---- Albums ----

AlbumModel albumOf(const std::string& root, const std::vector<std::string>& photos) {
    AlbumModel m;
    m.title = "Formats";
    m.inputdir = root + "/photos";
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_SOURCE_DIR) + "/templates";
    for (const std::string& p : photos) m.images.push_back({root + "/photos/" + p, "", ""});
    return m;
}

/// Runs the album on one thread; returns the renderer's decode count.
int run(AlbumModel& m) {
    AlbumRenderer r(m);
    r.setJobs(1);
    r.begin();
    int guard = 0;
    while (r.step() && ++guard < 1000) {}
    EXPECT_TRUE(r.finished());
    EXPECT_EQ(r.failedWrites(), 0);
    return r.decodes();
}

std::string photoFolder(const std::string& name) {
    const std::string root = test::scratchFolder(name);
    fs::create_directories(root + "/photos");
    return root;
}

// ---- Colour ----

TEST(SourceColours, taggedPhotosComeOutInTheOriginalsColoursAndSrgbOnesUntouched) {
    const std::string root = photoFolder("colour_profiles");
    RasterImage original = photoPixels();
    ASSERT_GT(original.width, 0);
    writeJpeg(root + "/photos/1.jpg", original, {});
    writeJpeg(root + "/photos/2.jpg", original, test::profiles::builtInSrgb());
    writeJpeg(root + "/photos/3.jpg", original, test::profiles::tabulatedSrgb());
    RasterImage adobe = imaging::RPclone(original), p3 = imaging::RPclone(original);
    toProfile(adobe, test::profiles::adobeRgb());
    toProfile(p3, test::profiles::displayP3());
    writeJpeg(root + "/photos/4.jpg", adobe, test::profiles::adobeRgb());
    writeJpeg(root + "/photos/5.jpg", p3, test::profiles::displayP3());
    // Shown without their profiles, the copies are far off: the check below can fail.
    EXPECT_GT(meanDeltaE(adobe, original), 2.0);
    EXPECT_GT(meanDeltaE(p3, original), 2.0);
    imaging::RPfree(adobe);
    imaging::RPfree(p3);
    imaging::RPfree(original);

    // With renditions the decoded picture is converted before scaling; without them the
    // scaled sizes are. Either way the colours are the original's.
    for (const bool renditions : {true, false}) {
        fs::remove_all(root + "/album");
        AlbumModel m = albumOf(root, {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
        m.settings.large = true;
        m.settings.renditions = renditions;
        run(m);
        for (const char* size : {"small", "medium", "large"}) {
            const std::string dir = root + "/album/" + size + "/";
            const std::string what = std::string(size) + (renditions ? " with" : " without");
            EXPECT_TRUE(sameBytes(dir + "0001.jpg", dir + "0002.jpg")) << what;
            EXPECT_TRUE(sameBytes(dir + "0001.jpg", dir + "0003.jpg")) << what;
            Decoded plain(dir + "0001.jpg"), fromAdobe(dir + "0004.jpg"),
                fromP3(dir + "0005.jpg");
            const double adobeDifference = meanDeltaE(fromAdobe.img, plain.img);
            const double p3Difference = meanDeltaE(fromP3.img, plain.img);
            std::printf("mean CIE76 delta E of the %s renditions: Adobe RGB %.2f, Display P3 "
                        "%.2f\n",
                        what.c_str(), adobeDifference, p3Difference);
            EXPECT_LE(adobeDifference, 2.0) << what;
            EXPECT_LE(p3Difference, 2.0) << what;
        }
    }
}

TEST(SourceColours, thePictureIsConvertedBeforeScalingOnlyWhenTheSizesHoldMorePixels) {
    model::AlbumSettings s;
    s.large = true;
    const model::ImageEntry entry{"/photos/a.jpg", "", ""};
    SourcePicture source;
    source.picture = imaging::Image(imaging::RPcreate(3000, 2000, 24));
    source.iccProfile = test::profiles::adobeRgb();
    for (const bool renditions : {true, false}) {
        s.renditions = renditions;
        const ImagePlan plan = planImage(s, "/album", entry, 0);
        const SizeTargets targets = targetsFor(plan, source.picture);
        SourcePicture tagged;
        tagged.picture = source.picture.clone();
        tagged.iccProfile = source.iccProfile;
        SourcePicture untagged;
        untagged.picture = source.picture.clone();
        // With renditions a 3000 x 2000 photo gets one at its own size: converting the
        // picture once is cheaper than converting every size. Without, its main and
        // large images hold far fewer pixels than it does.
        EXPECT_EQ(convertSource(plan, targets, tagged), renditions);
        EXPECT_EQ(tagged.colourDone, renditions);
        EXPECT_FALSE(convertSource(plan, targets, untagged));
        EXPECT_FALSE(untagged.colourDone);
    }
}

// ---- Formats ----

/// The photos of the format tests: `p` stored in every format (the AV1 encoder may be
/// missing; then there is no AVIF file). Returns the names written.
std::vector<std::string> everyFormat(const std::string& root, const Rgba& p, bool alpha) {
    std::vector<std::string> names;
    auto put = [&](const std::string& name, const Bytes& bytes) {
        if (bytes.empty()) return;
        test::writeFile(root + "/photos/" + name, bytes);
        names.push_back(name);
    };
    test::writePng(root + "/photos/b.png", p,
                   {alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, 8, false, {}, {}});
    names.push_back("b.png");
    put("c.webp", test::encodeWebp(p, {true, alpha, {}, {}}));
    test::HeifSpec heic;
    heic.alpha = alpha;
    put("d.HEIC", test::encodeHeif(p, heic));
    test::HeifSpec avif;
    avif.format = heif_compression_AV1;
    avif.alpha = alpha;
    put("e.avif", test::encodeHeif(p, avif));
    return names;
}

TEST(SourceFormats, everyFormatGivesThePictureOfItsJpegAndIsNeverCopied) {
    const std::string root = photoFolder("formats_pictures");
    RasterImage photo = photoPixels();
    RasterImage part = imaging::RPcrop(photo, 0, 0, 640, 480);
    imaging::RPfree(photo);
    writeJpeg(root + "/photos/a.jpg", part, {});
    std::vector<std::string> names = everyFormat(root, rgbaOf(part), false);
    imaging::RPfree(part);
    ASSERT_GE(names.size(), 3u) << "the HEVC encoder is missing";
    names.insert(names.begin(), "a.jpg");

    AlbumModel m = albumOf(root, names);
    m.settings.large = true;
    m.settings.copyhires = true;
    run(m);
    Decoded reference(root + "/album/medium/0001.jpg");
    ASSERT_EQ(reference.img.width, 552);
    EXPECT_TRUE(sameBytes(root + "/photos/a.jpg", root + "/album/large/0001.jpg"));
    for (std::size_t i = 1; i < names.size(); ++i) {
        const std::string file = util::format("%04zu.jpg", i + 1);
        Decoded main(root + "/album/medium/" + file);
        EXPECT_LT(meanLevelDifference(main.img, reference.img), 4.0) << names[i];
        // Written as JPEG at the source's size, never a copy of the source's bytes.
        const std::string large = root + "/album/large/" + file;
        EXPECT_EQ(test::jpegSize(large), (std::pair<int, int>{640, 480})) << names[i];
        EXPECT_EQ(test::readAll(large).substr(0, 2), "\xFF\xD8") << names[i];
    }
}

/// A picture that every turn and mirror changes.
Rgba storedPicture() { return test::pattern(320, 200); }

TEST(SourceFormats, orientationIsAppliedOnceWhateverTheContainer) {
    namespace h = test::heif;
    const std::string root = photoFolder("formats_orientation");
    const Rgba stored = storedPicture();
    // The reference: the picture as shown for orientation 6, stored upright.
    test::writePng(root + "/photos/a.png", test::oriented(stored, 6),
                   {PNG_COLOR_TYPE_RGB, 8, false, {}, {}});
    // PNG and WebP carry an Exif orientation that Kavlo applies.
    test::writePng(root + "/photos/b.png", stored,
                   {PNG_COLOR_TYPE_RGB, 8, false, {}, test::exifBlock(6)});
    test::writeFile(root + "/photos/c.webp",
                    test::encodeWebp(stored, {true, false, {}, test::exifBlock(6)}));
    // HEIF as phones store it: turned by the container (irot 3: a quarter turn clockwise,
    // what orientation 6 says), with the same orientation in its Exif block, which must
    // not turn it a second time.
    auto coded = h::hevcItem(stored);
    ASSERT_TRUE(coded) << "the HEVC encoder is missing";
    coded->properties.push_back(h::irot(3));
    std::vector<h::Item> items{*coded, {"Exif", {}, h::exifItem(test::exifBlock(6)), false}};
    test::writeFile(root + "/photos/d.heic", h::assemble(items, {{"cdsc", 2, {1}}}));

    AlbumModel m = albumOf(root, {"a.png", "b.png", "c.webp", "d.heic"});
    run(m);
    Decoded reference(root + "/album/medium/0001.jpg");
    ASSERT_EQ(reference.img.height, 552);
    for (const char* file : {"0002.jpg", "0003.jpg", "0004.jpg"}) {
        Decoded main(root + "/album/medium/" + file);
        EXPECT_LT(meanLevelDifference(main.img, reference.img), 4.0) << file;
    }
    // Without autorotate the Exif orientation is left alone; the container's turn is
    // part of the HEIF picture and stays.
    AlbumModel plain = albumOf(root, {"a.png", "b.png", "d.heic"});
    plain.settings.autorotate = false;
    fs::remove_all(root + "/album");
    run(plain);
    Decoded unturned(root + "/album/medium/0002.jpg");
    EXPECT_EQ(unturned.img.width, 552);
    Decoded heif(root + "/album/medium/0003.jpg");
    Decoded upright(root + "/album/medium/0001.jpg");
    EXPECT_LT(meanLevelDifference(heif.img, upright.img), 4.0);
}

TEST(SourceFormats, transparentPixelsTakeTheSkinsBackground) {
    const std::string root = photoFolder("formats_alpha");
    // Opaque on the left, fully transparent in the right-most column.
    const std::vector<std::string> names = everyFormat(root, test::pattern(400, 300, true), true);
    ASSERT_GE(names.size(), 3u);
    AlbumModel m = albumOf(root, names);
    m.settings.appearance = "light";
    run(m);
    const util::Colour bg = skinBackground(m.settings.templatedir, "light");
    for (std::size_t i = 0; i < names.size(); ++i) {
        Decoded main(root + "/album/medium/" + util::format("%04zu.jpg", i + 1));
        ASSERT_GT(main.img.width, 0) << names[i];
        const std::uint8_t* edge = main.px(main.img.width - 1, main.img.height / 2);
        EXPECT_NEAR(edge[2], int(bg & 0xFF), 8) << names[i];
        EXPECT_NEAR(edge[1], int((bg >> 8) & 0xFF), 8) << names[i];
        EXPECT_NEAR(edge[0], int((bg >> 16) & 0xFF), 8) << names[i];
    }
}

TEST(SourceFormats, unchangedPhotosOfEveryFormatAreReusedWithoutADecode) {
    const std::string root = photoFolder("formats_reuse");
    test::HeifSpec turned;
    turned.orientation = 6;
    test::writeFile(root + "/photos/a.heic", test::encodeHeif(storedPicture(), turned));
    test::writePng(root + "/photos/b.png", storedPicture(),
                   {PNG_COLOR_TYPE_RGB, 8, false, {}, test::exifBlock(8)});
    test::writeFile(root + "/photos/c.webp", test::encodeWebp(storedPicture(), {}));
    AlbumModel m = albumOf(root, {"a.heic", "b.png", "c.webp"});
    EXPECT_EQ(run(m), 3);
    EXPECT_EQ(test::jpegSize(root + "/album/medium/0001.jpg"), (std::pair<int, int>{345, 552}));
    EXPECT_EQ(test::jpegSize(root + "/album/medium/0002.jpg"), (std::pair<int, int>{345, 552}));
    m.settings.reuseimages = true;
    EXPECT_EQ(run(m), 0);
    // A photo replaced by one of another size is made again.
    test::writePng(root + "/photos/b.png", test::pattern(200, 200),
                   {PNG_COLOR_TYPE_RGB, 8, false, {}, {}});
    EXPECT_EQ(run(m), 1);
    EXPECT_EQ(test::jpegSize(root + "/album/medium/0002.jpg"), (std::pair<int, int>{552, 552}));
}

// ---- Published originals ----

TEST(PublishedOriginals, copiesLoseTheirPositionOnlyWhenAsked) {
    const std::string root = photoFolder("originals_location");
    const std::string source = test::testPhoto("cameras/Kodak_CX7530.jpg");
    fs::copy_file(source, root + "/photos/a.jpg");
    ASSERT_TRUE(metadata::jpegHasLocation(source));
    AlbumModel m = albumOf(root, {"a.jpg"});
    m.settings.large = true;
    m.settings.copyhires = true;
    run(m);
    EXPECT_TRUE(sameBytes(source, root + "/album/large/0001.jpg"));

    m.settings.striplocation = true;
    run(m);
    const std::string copy = root + "/album/large/0001.jpg";
    EXPECT_FALSE(metadata::jpegHasLocation(copy));
    // Lossless: as long as the source, and the same picture.
    EXPECT_EQ(fs::file_size(copy), fs::file_size(source));
    Decoded a(source), b(copy);
    EXPECT_EQ(meanLevelDifference(a.img, b.img), 0.0);
}

TEST(PublishedOriginals, aCopyIsKeptOnlyWhileTheLocationSettingStaysTheSame) {
    const std::string root = photoFolder("originals_reuse");
    const std::string source = test::testPhoto("cameras/Kodak_CX7530.jpg");
    fs::copy_file(source, root + "/photos/a.jpg");
    AlbumModel m = albumOf(root, {"a.jpg"});
    m.settings.large = true;
    m.settings.copyhires = true;
    m.settings.reuseimages = true;
    m.settings.striplocation = true;
    EXPECT_EQ(run(m), 1);
    const std::string copy = root + "/album/large/0001.jpg";
    EXPECT_FALSE(metadata::jpegHasLocation(copy));
    // The record knows the copy as a copy: the next run keeps it untouched.
    const auto record = test::readAll(root + "/album/ext/xml/imagerecord.txt");
    EXPECT_NE(record.find(" c "), std::string::npos) << record;
    EXPECT_EQ(run(m), 0);
    EXPECT_FALSE(metadata::jpegHasLocation(copy));
    // Publishing the position again makes the image again, the copy whole as the photo.
    m.settings.striplocation = false;
    EXPECT_EQ(run(m), 1);
    EXPECT_TRUE(sameBytes(source, copy));
    // Nothing of the atomic writes is left behind.
    for (const auto& f : fs::directory_iterator(root + "/album/large"))
        EXPECT_EQ(f.path().filename().string().find(".tmp-"), std::string::npos) << f.path();
}

// ---- The skin's background ----

TEST(SkinBackground, isTheSkinsPageColourOrWhite) {
    const std::string shipped = std::string(KAVLO_SOURCE_DIR) + "/templates";
    EXPECT_EQ(skinBackground(shipped, "dim"), 0x24211Fu);
    EXPECT_EQ(skinBackground(shipped, "light"), 0xF2F5F6u);

    const std::string root = test::scratchFolder("skin_background");
    fs::create_directories(root + "/js2/ext/css");
    auto skin = [&](const char* name, const char* text) {
        std::ofstream(root + "/js2/ext/css/appearance_" + name + ".css") << text;
    };
    skin("short", ":root {\n  --kv-bg:#A0b;\n}");
    skin("gradient", ":root { --kv-bg: linear-gradient(#000, #fff); }");
    skin("long", ":root { --kv-bg: #1234567; }");
    skin("none", ":root { --kv-surface: #000000; }");
    EXPECT_EQ(skinBackground(root, "short"), 0xBB00AAu);
    EXPECT_EQ(skinBackground(root, "gradient"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root, "long"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root, "none"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root, "missing"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root + "/js2/ext", "../css/appearance_short"), 0xFFFFFFu);
}

}  // namespace
}  // namespace kavlo::core
