// SPDX-License-Identifier: MIT
// Album image production cost against the codec floor, measured in the same run.
//
// For each large sample photo: the thumbnail (80) and main image (552) made the way the
// generation run makes them (decode at the DCT scale for 552, RPfastScaleTwin with the
// blur, compensating and user sharpening, two RPwriteJpeg at quality 85) against the
// floor: the same libjpeg decode at that scale plus the encodes of the same two images,
// called directly. Prints each stage's share, the ratio to the floor, the ratio to
// vipsthumbnail (single-threaded) when installed, and the peak memory for a
// 12-megapixel photo (measured in a child process).
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/codecs.h"
#include "imaging/scale.h"

namespace fs = std::filesystem;
using kavlo::imaging::RasterImage;
using kavlo::imaging::RPcreate;
using kavlo::imaging::RPfastScaleTwin;
using kavlo::imaging::RPfillColour;
using kavlo::imaging::RPfree;
using kavlo::imaging::RPreadJpeg;
using kavlo::imaging::RPsharpenInPlace;
using kavlo::imaging::RPwriteJpeg;

namespace {

// Times are the thread's CPU time (user and system): the machine is shared, and CPU
// time is far less disturbed by other processes than the wall clock.
struct Clock {
    using time_point = double;
    static double now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    }
};
double seconds(double a, double b) { return b - a; }
// Wall clock, for the comparison with another program (child processes).
using Wall = std::chrono::steady_clock;
double wallSeconds(Wall::time_point a, Wall::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

struct Stages {
    double decode = 0, scale = 0, sharpen = 0, encode = 0;
    double total() const { return decode + scale + sharpen + encode; }
};

fs::path outDir() {
    fs::path dir = fs::temp_directory_path() / ("kavlo_imaging_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

// The generation run's work for one photo with the small and main sizes.
Stages produce(const std::string& photo, const fs::path& dir) {
    Stages t;
    auto t0 = Clock::now();
    std::string comment;
    int w0 = 0, h0 = 0;
    RasterImage decoded = RPreadJpeg(photo, &comment, 552, &w0, &h0);
    auto t1 = Clock::now();
    const double aspect = double(h0) / double(w0);
    RasterImage small{}, main{};
    RPfastScaleTwin(decoded, 80, 552, true, aspect, &small, &main);
    RPfree(decoded);
    auto t2 = Clock::now();
    RPsharpenInPlace(small, 0);  // compensating: both sizes were resampled
    RPsharpenInPlace(main, 0);
    RPsharpenInPlace(small, 0);  // user sharpening: thumbnail full, main mild
    RPsharpenInPlace(main, 1);
    auto t3 = Clock::now();
    const std::string empty;
    RPwriteJpeg((dir / "thumb.jpg").string(), 85, &empty, small);
    RPwriteJpeg((dir / "main.jpg").string(), 85, &empty, main);
    auto t4 = Clock::now();
    RPfree(small);
    RPfree(main);
    t.decode = seconds(t0, t1);
    t.scale = seconds(t1, t2);
    t.sharpen = seconds(t2, t3);
    t.encode = seconds(t3, t4);
    return t;
}

// Plain libjpeg decode at the scale for 552 into red, green, blue rows.
std::vector<unsigned char> floorDecode(const std::string& photo, unsigned& w, unsigned& h) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    std::FILE* f = std::fopen(photo.c_str(), "rb");
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    const double m = std::max(cinfo.image_width, cinfo.image_height);
    cinfo.scale_num = 1;
    cinfo.scale_denom = m > 552 ? 1u << std::min(3, int(std::floor(std::log2(m / 552)))) : 1;
    jpeg_start_decompress(&cinfo);
    w = cinfo.output_width;
    h = cinfo.output_height;
    std::vector<unsigned char> pixels(std::size_t(w) * h * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row =
            pixels.data() + std::size_t(cinfo.output_scanline) * w * cinfo.output_components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return pixels;
}

void floorEncode(const std::string& path, const std::vector<unsigned char>& rgb, unsigned w,
                 unsigned h) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.optimize_coding = TRUE;
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const JOCTET nul = 0;
    jpeg_write_marker(&cinfo, JPEG_COM, &nul, 1);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + std::size_t(cinfo.next_scanline) * w * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// RGB rows of an album image, so that the floor encodes exactly the pixels we encode.
std::vector<unsigned char> toRgb(const RasterImage& image) {
    std::vector<unsigned char> rgb(std::size_t(image.width) * image.height * 3);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = image.pixels[i + 2];
        rgb[i + 1] = image.pixels[i + 1];
        rgb[i + 2] = image.pixels[i];
    }
    return rgb;
}

struct AlbumPixels {
    std::vector<unsigned char> small, main;
    unsigned smallW, smallH, mainW, mainH;
};

Stages floorRun(const std::string& photo, const fs::path& dir, const AlbumPixels& album) {
    Stages t;
    auto t0 = Clock::now();
    unsigned w = 0, h = 0;
    std::vector<unsigned char> pixels = floorDecode(photo, w, h);
    auto t1 = Clock::now();
    floorEncode((dir / "floor_thumb.jpg").string(), album.small, album.smallW, album.smallH);
    floorEncode((dir / "floor_main.jpg").string(), album.main, album.mainW, album.mainH);
    auto t2 = Clock::now();
    t.decode = seconds(t0, t1);
    t.encode = seconds(t1, t2);
    return t;
}

long peakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// A 4000 x 3000 photo-like JPEG (smooth shading plus sensor-like noise).
std::string makeTwelveMegapixels(const fs::path& dir) {
    const std::string path = (dir / "twelve_mp.jpg").string();
    RasterImage image = RPcreate(4000, 3000, 24);
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < 3000; ++y)
        for (int x = 0; x < 4000; ++x) {
            std::uint8_t* p = image.pixels + (std::size_t(y) * 4000 + x) * 3;
            p[0] = std::uint8_t(std::clamp(x / 16 + noise(rng), 0, 255));
            p[1] = std::uint8_t(std::clamp(y / 12 + noise(rng), 0, 255));
            p[2] = std::uint8_t(
                std::clamp(128 + int(60 * std::sin(x * 0.01 + y * 0.02)) + noise(rng), 0, 255));
        }
    RPwriteJpeg(path, 92, nullptr, image);
    RPfree(image);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--peak") {
        // Child: one album photo, then the peak resident memory of the whole process.
        const long before = peakKilobytes();
        const fs::path dir = outDir();
        produce(argv[2], dir);
        std::printf("%ld %ld\n", before, peakKilobytes());
        fs::remove_all(dir);
        return 0;
    }
    const fs::path dir = outDir();
    const std::string photos = std::string(KAVLO_TESTDATA) + "/photos/large";
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(photos))
        if (e.path().extension() == ".jpg") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    const std::string twelve = makeTwelveMegapixels(dir);
    files.push_back(twelve);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    std::printf(
        "Album thumbnail (80) + main image (552) per photo; CPU time, best of %d rounds\n\n",
        rounds);
    std::printf("%-22s %9s %9s %7s | %7s %7s %7s %7s\n", "photo", "kavlo ms", "floor ms", "ratio",
                "decode", "scale", "sharpen", "encode");
    Stages sumOurs, sumFloor;
    for (const std::string& file : files) {
        Stages best, bestFloor;
        best.decode = bestFloor.decode = 1e9;
        // The album images once, for the floor's encodes of the same pixels.
        AlbumPixels album{};
        {
            RasterImage decoded = RPreadJpeg(file, nullptr, 552, nullptr, nullptr);
            RasterImage s{}, m{};
            RPfastScaleTwin(decoded, 80, 552, true, double(decoded.height) / decoded.width, &s, &m);
            RPsharpenInPlace(s, 0), RPsharpenInPlace(m, 0), RPsharpenInPlace(s, 0),
                RPsharpenInPlace(m, 1);
            album = {toRgb(s),           toRgb(m),          unsigned(s.width),
                     unsigned(s.height), unsigned(m.width), unsigned(m.height)};
            RPfree(decoded), RPfree(s), RPfree(m);
        }
        for (int r = 0; r < rounds; ++r) {
            const Stages a = produce(file, dir);
            const Stages b = floorRun(file, dir, album);
            if (a.total() < best.total() || r == 0) best = a;
            if (b.total() < bestFloor.total() || r == 0) bestFloor = b;
        }
        sumOurs.decode += best.decode, sumOurs.scale += best.scale, sumOurs.sharpen += best.sharpen,
            sumOurs.encode += best.encode;
        sumFloor.decode += bestFloor.decode, sumFloor.encode += bestFloor.encode;
        std::printf("%-22s %9.2f %9.2f %7.3f | %6.1f%% %6.1f%% %6.1f%% %6.1f%%\n",
                    fs::path(file).filename().string().c_str(), best.total() * 1e3,
                    bestFloor.total() * 1e3, best.total() / bestFloor.total(),
                    100 * best.decode / best.total(), 100 * best.scale / best.total(),
                    100 * best.sharpen / best.total(), 100 * best.encode / best.total());
    }
    std::printf("%-22s %9.2f %9.2f %7.3f | %6.1f%% %6.1f%% %6.1f%% %6.1f%%\n", "all photos",
                sumOurs.total() * 1e3, sumFloor.total() * 1e3, sumOurs.total() / sumFloor.total(),
                100 * sumOurs.decode / sumOurs.total(), 100 * sumOurs.scale / sumOurs.total(),
                100 * sumOurs.sharpen / sumOurs.total(), 100 * sumOurs.encode / sumOurs.total());
    std::printf("floor: decode %.1f%%, encode %.1f%%\n", 100 * sumFloor.decode / sumFloor.total(),
                100 * sumFloor.encode / sumFloor.total());

    // vipsthumbnail making the same two sizes, one thread, same run.
    if (std::system("command -v vipsthumbnail >/dev/null 2>&1") == 0) {
        double vips = 0, ours = 0;
        for (const std::string& file : files) {
            const std::string cmd =
                "VIPS_CONCURRENCY=1 vipsthumbnail '" + file + "' -s 552 -o '" +
                (dir / "v_main.jpg").string() +
                "[Q=85,optimize_coding]' && VIPS_CONCURRENCY=1 vipsthumbnail '" + file +
                "' -s 80 -o '" + (dir / "v_thumb.jpg").string() + "[Q=85,optimize_coding]'";
            double bestV = 1e9, bestO = 1e9;
            for (int r = 0; r < rounds; ++r) {
                auto t0 = Wall::now();
                if (std::system(cmd.c_str()) != 0) break;
                auto t1 = Wall::now();
                bestV = std::min(bestV, wallSeconds(t0, t1));
                // Ours in a child process as well, so both pay a process start.
                const std::string self = "'" + fs::read_symlink("/proc/self/exe").string() +
                                         "' --peak '" + file + "' >/dev/null";
                auto t2 = Wall::now();
                std::system(self.c_str());
                auto t3 = Wall::now();
                bestO = std::min(bestO, wallSeconds(t2, t3));
            }
            vips += bestV;
            ours += bestO;
        }
        // Start-up cost of each program, from a 16 x 16 photo, to compare the work alone.
        RasterImage tiny = RPcreate(16, 16, 24);
        RPfillColour(tiny, 90, 120, 150, 0);
        const std::string tinyPath = (dir / "tiny.jpg").string();
        RPwriteJpeg(tinyPath, 85, nullptr, tiny);
        RPfree(tiny);
        const std::string vipsTiny = "VIPS_CONCURRENCY=1 vipsthumbnail '" + tinyPath +
                                     "' -s 8 -o '" + (dir / "v_tiny.jpg").string() + "'";
        const std::string oursTiny = "'" + fs::read_symlink("/proc/self/exe").string() +
                                     "' --peak '" + tinyPath + "' >/dev/null";
        double vipsStart = 1e9, oursStart = 1e9;
        for (int r = 0; r < rounds; ++r) {
            auto t0 = Wall::now();
            std::system(vipsTiny.c_str());
            auto t1 = Wall::now();
            std::system(oursTiny.c_str());
            auto t2 = Wall::now();
            vipsStart = std::min(vipsStart, wallSeconds(t0, t1));
            oursStart = std::min(oursStart, wallSeconds(t1, t2));
        }
        const double n = double(files.size());
        const double vipsWork = vips - 2 * n * vipsStart, oursWork = ours - n * oursStart;
        std::printf("\nvipsthumbnail (VIPS_CONCURRENCY=1, two runs per photo) %.1f ms, kavlo (one "
                    "process per photo) %.1f ms: "
                    "kavlo / vips = %.3f (wall clock)\n",
                    vips * 1e3, ours * 1e3, ours / vips);
        std::printf("without start-up (vips %.1f ms, kavlo %.1f ms per process): vips %.1f ms, "
                    "kavlo %.1f ms: "
                    "kavlo / vips = %.3f\n",
                    vipsStart * 1e3, oursStart * 1e3, vipsWork * 1e3, oursWork * 1e3,
                    oursWork / vipsWork);
    } else {
        std::printf("\nvipsthumbnail not installed: no comparison\n");
    }

    // Peak memory of a process that makes the album images of one 12-megapixel photo.
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string cmd = "'" + self + "' --peak '" + twelve + "'";
    if (std::FILE* child = popen(cmd.c_str(), "r")) {
        long before = 0, after = 0;
        if (std::fscanf(child, "%ld %ld", &before, &after) == 2)
            std::printf(
                "peak resident memory, 12-megapixel photo: %.1f MB (%.1f MB before the photo)\n",
                after / 1024.0, before / 1024.0);
        pclose(child);
    }
    fs::remove_all(dir);
    return 0;
}
