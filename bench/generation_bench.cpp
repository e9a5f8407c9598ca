// SPDX-License-Identifier: MIT
// Generation benchmark: a first run of an album against the regeneration of the
// unchanged album (reuse test, nothing decoded), both measured in this run. Also the
// first run with and without the reduced JPEG decode (DCT scaling) of the sources, and
// with one worker thread against one per core.
//
//   generation_bench [ROUNDS]
//   generation_bench --floor ROUNDS [--renditions] PHOTO...
//       the libjpeg-turbo floor of the default album's work on PHOTOs: the decode at
//       the DCT scale the largest file needs plus the encodes of every file of the
//       album -- an 80 and a 552 picture, and with --renditions also the 2x thumbnail
//       and the extra renditions each photo gets (quality 85, optimised Huffman
//       tables, as the album files) -- called directly on one thread; prints
//       "floor_ms_per_photo <ms>" (best of ROUNDS, wall clock). bench/album.sh sets
//       Kavlo's time against it.
//   generation_bench --sizes [--renditions] PHOTO...
//       the longer side of every file the floor writes for each PHOTO, one line per
//       photo ("PHOTO 552 80 ..."), so that other tools can make the same set.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/album_renderer.h"
#include "core/renditions.h"
#include "imaging/codecs.h"
#include "util/files.h"

#include <unistd.h>

namespace fs = std::filesystem;
using kavlo::core::AlbumRenderer;
using kavlo::core::defaultImageReaders;
using kavlo::core::defaultJobCount;
using kavlo::core::ImageReaders;
using kavlo::core::renditionTargets;
using kavlo::core::thumbnail2xTarget;
using kavlo::imaging::RPreadJpeg;
using kavlo::model::AlbumModel;
using kavlo::util::listImages;

namespace {

double secondsOf(AlbumModel& model, const ImageReaders& readers, int jobs = 1) {
    AlbumRenderer r(model, readers);
    r.setJobs(jobs);
    const auto t0 = std::chrono::steady_clock::now();
    r.begin();
    while (r.step()) {}
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// libjpeg decode at the largest DCT reduction that keeps the longer side >= target.
std::vector<unsigned char> floorDecode(const std::string& photo, int target, unsigned& w,
                                       unsigned& h) {
    std::vector<unsigned char> pixels;
    std::FILE* f = std::fopen(photo.c_str(), "rb");
    if (!f) return pixels;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    const unsigned longer = std::max(cinfo.image_width, cinfo.image_height);
    unsigned denom = 1;
    while (denom < 8 && longer / (denom * 2) >= static_cast<unsigned>(target)) denom *= 2;
    cinfo.scale_num = 1;
    cinfo.scale_denom = denom;
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    w = cinfo.output_width;
    h = cinfo.output_height;
    pixels.resize(std::size_t(w) * h * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + std::size_t(cinfo.output_scanline) * w * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return pixels;
}

void floorEncode(const std::string& path, const std::vector<unsigned char>& bgr, unsigned w,
                 unsigned h) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    cinfo.optimize_coding = TRUE;
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(bgr.data() + std::size_t(cinfo.next_scanline) * w * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// The picture fitted into a box x box square by taking the nearest pixel (untimed: it
// only gives the encodes pixels of the album images' size and content).
std::vector<unsigned char> pointSample(const std::vector<unsigned char>& src, unsigned w,
                                       unsigned h, int box, unsigned& ow, unsigned& oh) {
    const double f = double(box) / std::max(w, h);
    ow = std::max(1u, unsigned(std::lround(w * f)));
    oh = std::max(1u, unsigned(std::lround(h * f)));
    std::vector<unsigned char> out(std::size_t(ow) * oh * 3);
    for (unsigned y = 0; y < oh; ++y)
        for (unsigned x = 0; x < ow; ++x) {
            const std::size_t sx = std::min<std::size_t>(w - 1, std::size_t(x / f));
            const std::size_t sy = std::min<std::size_t>(h - 1, std::size_t(y / f));
            std::copy_n(&src[(sy * w + sx) * 3], 3, &out[(std::size_t(y) * ow + x) * 3]);
        }
    return out;
}

// The longer side of every file of the default album for a photo of w x h: the main
// image and the thumbnail, then with renditions the 2x thumbnail and the renditions.
std::vector<int> albumFileSides(unsigned w, unsigned h, bool renditions) {
    const int longer = static_cast<int>(std::max(w, h));
    std::vector<int> sides = {552, 80};
    if (renditions) {
        if (const int t2 = thumbnail2xTarget(longer, 80)) sides.push_back(t2);
        for (int t : renditionTargets(longer, 552))
            if (t > 0) sides.push_back(t);
    }
    return sides;
}

bool headerSize(const std::string& photo, unsigned& w, unsigned& h) {
    int iw = 0, ih = 0;
    if (kavlo::imaging::RPreadJpegInfo(photo, nullptr, &ih, &iw) != 0 || iw <= 0 || ih <= 0)
        return false;
    w = static_cast<unsigned>(iw);
    h = static_cast<unsigned>(ih);
    return true;
}

int sizesMain(bool renditions, const std::vector<std::string>& photos) {
    for (const std::string& photo : photos) {
        unsigned w = 0, h = 0;
        if (!headerSize(photo, w, h)) continue;
        std::printf("%s", photo.c_str());
        for (int side : albumFileSides(w, h, renditions)) std::printf(" %d", side);
        std::printf("\n");
    }
    return 0;
}

int floorMain(int rounds, bool renditions, const std::vector<std::string>& photos) {
    const fs::path work = fs::temp_directory_path() / ("kavlo-floor-" + std::to_string(::getpid()));
    fs::create_directories(work);
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        double total = 0;
        for (const std::string& photo : photos) {
            unsigned sw = 0, sh = 0;
            if (!headerSize(photo, sw, sh)) continue;
            const std::vector<int> sides = albumFileSides(sw, sh, renditions);
            const int largest = *std::max_element(sides.begin(), sides.end());
            const auto t0 = std::chrono::steady_clock::now();
            unsigned w = 0, h = 0;
            const auto pixels = floorDecode(photo, largest, w, h);
            const auto t1 = std::chrono::steady_clock::now();
            if (pixels.empty()) continue;
            std::vector<std::vector<unsigned char>> files;
            std::vector<std::pair<unsigned, unsigned>> dims;
            for (int side : sides) {
                unsigned fw = 0, fh = 0;
                files.push_back(pointSample(pixels, w, h, side, fw, fh));
                dims.emplace_back(fw, fh);
            }
            const auto t2 = std::chrono::steady_clock::now();
            for (std::size_t k = 0; k < files.size(); ++k) {
                floorEncode((work / ("file" + std::to_string(k) + ".jpg")).string(), files[k],
                            dims[k].first, dims[k].second);
            }
            const auto t3 = std::chrono::steady_clock::now();
            total += std::chrono::duration<double>((t1 - t0) + (t3 - t2)).count();
        }
        best = std::min(best, total);
    }
    fs::remove_all(work);
    std::printf("floor_ms_per_photo %.3f\n", best * 1e3 / std::max<std::size_t>(1, photos.size()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--floor") {
        const bool renditions = std::string(argv[3]) == "--renditions";
        return floorMain(std::max(1, std::atoi(argv[2])), renditions,
                         std::vector<std::string>(argv + (renditions ? 4 : 3), argv + argc));
    }
    if (argc >= 3 && std::string(argv[1]) == "--sizes") {
        const bool renditions = std::string(argv[2]) == "--renditions";
        return sizesMain(renditions,
                         std::vector<std::string>(argv + (renditions ? 3 : 2), argv + argc));
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string data = std::string(KAVLO_TESTDATA) + "/photos/";
    std::vector<std::string> photos;
    for (const char* sub : {"large", "cameras", "orientation"}) {
        for (const auto& p : listImages(data + sub, false)) photos.push_back(p);
    }
    const fs::path work = fs::temp_directory_path() / "kavlo-generation-bench";
    fs::remove_all(work);
    fs::create_directories(work);

    AlbumModel model;
    model.title = "Bench";
    model.destdir = (work / "album").string();
    model.settings.templatedir = std::string(KAVLO_SOURCE_DIR) + "/templates";
    model.settings.large = true;
    model.appendFiles(photos);

    // Full decode: the same pipeline, with the decode target ignored.
    ImageReaders full = defaultImageReaders();
    full.readJpeg = [base = full.readJpeg](const std::string& p, int, int* w, int* h) {
        return base(p, 0, w, h);
    };

    double first = 1e30, again = 1e30, firstFull = 1e30, firstAll = 1e30;
    const int cores = defaultJobCount();
    for (int i = 0; i < rounds; ++i) {
        model.settings.reuseimages = false;
        model.settings.cleardirs = true;
        firstFull = std::min(firstFull, secondsOf(model, full));
        first = std::min(first, secondsOf(model, defaultImageReaders()));
        firstAll = std::min(firstAll, secondsOf(model, defaultImageReaders(), cores));
        model.settings.cleardirs = false;
        model.settings.reuseimages = true;
        again = std::min(again, secondsOf(model, defaultImageReaders()));
    }
    std::printf("album of %zu photos (%d rounds, best of each)\n", photos.size(), rounds);
    std::printf("first run, full-size decode (baseline) : %8.3f s\n", firstFull);
    std::printf("first run, reduced decode               : %8.3f s   ratio %.2fx\n", first,
                firstFull / first);
    std::printf(
        "first run, reduced decode, %2d threads   : %8.3f s   ratio %.2fx faster than 1 thread\n",
        cores, firstAll, first / firstAll);
    std::printf("regeneration of the unchanged album     : %8.3f s   ratio %.2fx faster than the "
                "first run\n",
                again, first / again);
    fs::remove_all(work);
    return 0;
}
