// SPDX-License-Identifier: MIT
// What colour management and the new source formats cost per album photo, against the
// JPEG path measured in the same run, on the large test photos.
//
// 1. Colour: each photo is converted to Adobe RGB (1998) and saved twice with the same
//    pixels, untagged and with its profile. Per photo: read (readJpegImage at the DCT
//    scale for the main size) and convertToSrgb, alone and followed by the album work
//    of the generation run (thumbnail 80 and main image 552: RPfastScaleTwin, the
//    sharpenings, two RPwriteJpeg). Ratio tagged / untagged. For comparison, the tagged
//    photo converted after the cascade's first halving instead (a quarter of the pixels).
// 2. HEIC: each photo saved as JPEG (quality 92) and as HEIC (libheif with x265, quality
//    60, a phone's file size). Per photo: read and the album work, HEIC / JPEG; and the
//    JPEG decoded at full size, to tell the decoders' speed from DCT scaling's saving.
//
// Times are the process's CPU time (the decoders may use helper threads), best of the
// rounds given as the first argument (default 5).
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>
#include <libheif/heif.h>

#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/scale.h"
#include "imaging/source_image.h"

namespace fs = std::filesystem;
using namespace kavlo;
using namespace kavlo::imaging;

namespace {

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double best(int rounds, const std::function<void()>& work) {
    double result = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const double t0 = cpuNow();
        work();
        result = std::min(result, cpuNow() - t0);
    }
    return result;
}

constexpr int kMain = 552;
constexpr int kThumb = 80;

// The generation run's work after the decode: two sizes, sharpened, written.
void albumWork(const Image& decoded, const fs::path& dir) {
    const double aspect = double(decoded.height()) / double(decoded.width());
    ScaleTargets targets;
    targets.small = kThumb;
    targets.medium = kMain;
    ScaledSizes sizes = scaleCascade(decoded.record(), targets, true, aspect);
    RPsharpenInPlace(sizes.small.record(), 0);
    RPsharpenInPlace(sizes.medium.record(), 0);
    RPsharpenInPlace(sizes.small.record(), 0);
    RPsharpenInPlace(sizes.medium.record(), 1);
    const std::string empty;
    RPwriteJpeg((dir / "thumb.jpg").string(), 85, &empty, sizes.small.record());
    RPwriteJpeg((dir / "main.jpg").string(), 85, &empty, sizes.medium.record());
}

std::vector<std::uint8_t> adobeRgbProfile() {
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    return bytes;
}

void toProfile(RasterImage& image, const std::vector<std::uint8_t>& profile) {
    cmsHPROFILE from = cmsCreate_sRGBProfile();
    cmsHPROFILE to = cmsOpenProfileFromMem(profile.data(), cmsUInt32Number(profile.size()));
    cmsHTRANSFORM t =
        cmsCreateTransform(from, TYPE_BGR_8, to, TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = image.pixels + std::size_t(y) * image.width * 3;
        cmsDoTransform(t, row, row, cmsUInt32Number(image.width));
    }
    cmsDeleteTransform(t);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
}

void writeJpeg(const std::string& path, const RasterImage& image,
               const std::vector<std::uint8_t>& icc) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.empty()) jpeg_write_icc_profile(&cinfo, icc.data(), unsigned(icc.size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = image.pixels + std::size_t(cinfo.next_scanline) * image.width * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

bool writeHeic(const std::string& path, const RasterImage& image) {
    heif_context* ctx = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    bool ok = heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code ==
              heif_error_Ok;
    heif_image* img = nullptr;
    if (ok) {
        heif_encoder_set_lossy_quality(encoder, 60);
        heif_image_create(image.width, image.height, heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &img);
        heif_image_add_plane(img, heif_channel_interleaved, image.width, image.height, 8);
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(img, heif_channel_interleaved, &stride);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                for (int c = 0; c < 3; ++c)
                    plane[std::size_t(y) * stride + x * 3 + c] =
                        image.pixels[(std::size_t(y) * image.width + x) * 3 + 2 - c];
        ok = heif_context_encode_image(ctx, img, encoder, nullptr, nullptr).code == heif_error_Ok &&
             heif_context_write_to_file(ctx, path.c_str()).code == heif_error_Ok;
    }
    if (img) heif_image_release(img);
    if (encoder) heif_encoder_release(encoder);
    heif_context_free(ctx);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path photos = fs::path(KAVLO_TESTDATA) / "photos" / "large";
    const fs::path dir =
        fs::temp_directory_path() / ("kavlo_sources_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::vector<fs::path> inputs;
    for (const auto& e : fs::directory_iterator(photos))
        if (e.path().extension() == ".jpg") inputs.push_back(e.path());
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "no photos in %s\n", photos.c_str());
        return 1;
    }
    const auto adobe = adobeRgbProfile();
    ReadOptions forMain;
    forMain.targetSize = kMain;

    std::printf("1. Colour: Adobe RGB copy against the same pixels untagged; CPU ms per photo, "
                "best of %d\n",
                rounds);
    std::printf("%-20s %10s %10s %7s | %10s %10s %7s | %10s %7s\n", "photo", "read", "read tag",
                "ratio", "photo", "photo tag", "ratio", "tag, half", "ratio");
    double sum[5] = {};
    for (const fs::path& in : inputs) {
        Image full(RPreadJpeg(in.string(), nullptr, 0, nullptr, nullptr));
        const std::string plain = (dir / "plain.jpg").string(),
                          tagged = (dir / "tagged.jpg").string();
        toProfile(full.record(), adobe);
        writeJpeg(plain, full.record(), {});
        writeJpeg(tagged, full.record(), adobe);
        auto read = [&](const std::string& path, bool album) {
            DecodedImage d = readJpegImage(path, forMain);
            convertToSrgb(d, path);
            if (album) albumWork(d.picture, dir);
        };
        auto halfFirst = [&] {
            DecodedImage d = readJpegImage(tagged, forMain);
            d.picture = Image(RPhalveTimes(d.picture.record(), 1));
            convertToSrgb(d, tagged);
            albumWork(d.picture, dir);
        };
        const double t[5] = {best(rounds, [&] { read(plain, false); }),
                             best(rounds, [&] { read(tagged, false); }),
                             best(rounds, [&] { read(plain, true); }),
                             best(rounds, [&] { read(tagged, true); }), best(rounds, halfFirst)};
        for (int i = 0; i < 5; ++i) sum[i] += t[i];
        std::printf("%-20s %10.2f %10.2f %7.3f | %10.2f %10.2f %7.3f | %10.2f %7.3f\n",
                    in.filename().c_str(), t[0] * 1e3, t[1] * 1e3, t[1] / t[0], t[2] * 1e3,
                    t[3] * 1e3, t[3] / t[2], t[4] * 1e3, t[4] / t[2]);
    }
    std::printf("%-20s %10.2f %10.2f %7.3f | %10.2f %10.2f %7.3f | %10.2f %7.3f   (goal for the "
                "photo: 1.15)\n\n",
                "all photos", sum[0] * 1e3, sum[1] * 1e3, sum[1] / sum[0], sum[2] * 1e3,
                sum[3] * 1e3, sum[3] / sum[2], sum[4] * 1e3, sum[4] / sum[2]);

    std::printf("2. HEIC (x265, quality 60) against JPEG (quality 92) of the same photo; CPU ms "
                "per photo, best of %d\n",
                rounds);
    std::printf("%-20s %8s %8s | %10s %10s %7s | %10s %10s %7s | %10s %7s\n", "photo", "jpeg KB",
                "heic KB", "read jpeg", "read heic", "ratio", "photo jpeg", "photo heic", "ratio",
                "jpeg full", "heic/it");
    double hsum[5] = {};
    for (const fs::path& in : inputs) {
        const Image full(RPreadJpeg(in.string(), nullptr, 0, nullptr, nullptr));
        const std::string jpeg = (dir / "photo.jpg").string(), heic = (dir / "photo.heic").string();
        writeJpeg(jpeg, full.record(), {});
        const bool ok = writeHeic(heic, full.record());
        if (!ok) {
            std::printf("%-20s libheif could not encode HEIC\n", in.filename().c_str());
            continue;
        }
        auto read = [&](const std::string& path, bool isHeic, bool album) {
            DecodedImage d = isHeic ? readHeifImage(path, forMain) : readJpegImage(path, forMain);
            convertToSrgb(d, path);
            if (album) albumWork(d.picture, dir);
        };
        const double t[5] = {best(rounds, [&] { read(jpeg, false, false); }),
                             best(rounds, [&] { read(heic, true, false); }),
                             best(rounds, [&] { read(jpeg, false, true); }),
                             best(rounds, [&] { read(heic, true, true); }), best(rounds, [&] {
                                 const Image f(RPreadJpeg(jpeg, nullptr, 0, nullptr, nullptr));
                             })};
        for (int i = 0; i < 5; ++i) hsum[i] += t[i];
        std::printf("%-20s %8ju %8ju | %10.2f %10.2f %7.3f | %10.2f %10.2f %7.3f | %10.2f %7.3f\n",
                    in.filename().c_str(), std::uintmax_t(fs::file_size(jpeg) / 1024),
                    std::uintmax_t(fs::file_size(heic) / 1024), t[0] * 1e3, t[1] * 1e3, t[1] / t[0],
                    t[2] * 1e3, t[3] * 1e3, t[3] / t[2], t[4] * 1e3, t[1] / t[4]);
    }
    if (hsum[0] > 0)
        std::printf("%-20s %8s %8s | %10.2f %10.2f %7.3f | %10.2f %10.2f %7.3f | %10.2f %7.3f   "
                    "(goal: 1.3)\n",
                    "all photos", "", "", hsum[0] * 1e3, hsum[1] * 1e3, hsum[1] / hsum[0],
                    hsum[2] * 1e3, hsum[3] * 1e3, hsum[3] / hsum[2], hsum[4] * 1e3,
                    hsum[1] / hsum[4]);
    fs::remove_all(dir);
    return 0;
}
