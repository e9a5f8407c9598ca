// SPDX-License-Identifier: MIT
// Reading the metadata of a large JPEG file touches only its header sections.
//
// Writes a JPEG of about 20 MB (noise at quality 100, with the Exif block of a camera
// file), then measures in the same run:
//   - full decode (RPreadJpeg at full size): the baseline,
//   - readExif (header sections, thumbnail copied),
//   - readIptc (libjpeg header read with APP13 kept),
// reporting the median time of each and the bytes each one read from the file
// (the kernel's read count, /proc/self/io "rchar"), as ratios against the baseline.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs.h"
#include "imaging/image.h"
#include "metadata/exif.h"
#include "metadata/iptc.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

long long bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

/// The APP1 section body (after the length bytes) of a camera file.
Bytes exifBodyOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes f(std::istreambuf_iterator<char>(in), {});
    std::size_t i = 2;
    while (i + 4 <= f.size() && f[i] == 0xFF) {
        const int marker = f[i + 1];
        const std::size_t len = (std::size_t{f[i + 2]} << 8) | f[i + 3];
        if (marker == 0xE1) return Bytes(f.begin() + i + 4, f.begin() + i + 2 + len);
        if (marker == 0xDA) break;
        i += 2 + len;
    }
    return {};
}

bool writeNoiseJpeg(const std::string& path, int width, int height, const Bytes& exif) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    cinfo.write_JFIF_header = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    std::mt19937 rng(42);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (auto& s : row) s = static_cast<JSAMPLE>(rng() & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
    return true;
}

struct Result {
    double medianMs;
    long long bytesRead;
};

/// What reading /proc/self/io itself adds to the count.
long long probeOverhead() {
    long long least = -1;
    for (int i = 0; i < 5; ++i) {
        const long long a = bytesReadSoFar();
        const long long d = bytesReadSoFar() - a;
        if (least < 0 || d < least) least = d;
    }
    return least;
}

Result measure(int runs, const std::function<void()>& fn) {
    static const long long overhead = probeOverhead();
    std::vector<double> times;
    long long bytes = 0;
    for (int r = 0; r < runs; ++r) {
        const long long before = bytesReadSoFar();
        const auto t0 = std::chrono::steady_clock::now();
        fn();
        const auto t1 = std::chrono::steady_clock::now();
        bytes = bytesReadSoFar() - before - overhead;
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], bytes};
}

}  // namespace

int main() {
    const std::string camera = std::string(KAVLO_TESTDATA) + "/photos/cameras/Canon_40D.jpg";
    const Bytes exif = exifBodyOf(camera);
    if (exif.empty()) {
        std::fprintf(stderr, "no Exif block in %s\n", camera.c_str());
        return 1;
    }
    const std::string dir = std::filesystem::temp_directory_path() / "kavlo_metadata_bench";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/noise_20mb.jpg";
    // Noise at quality 100 costs about 2 bytes per pixel: 3200 x 3200 gives ~20 MB.
    constexpr int kSide = 3200;
    if (!writeNoiseJpeg(path, kSide, kSide, exif)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const auto fileSize = static_cast<long long>(std::filesystem::file_size(path));
    std::printf("test file: %s, %.1f MB, Exif block of %s\n", path.c_str(), fileSize / 1e6,
                camera.c_str());

    int check = 0;
    const Result decode = measure(5, [&] {
        int w = 0, h = 0;
        const kavlo::imaging::Image img(kavlo::imaging::RPreadJpeg(path, nullptr, 0, &w, &h));
        check += img.width();
    });
    const Result exifRead = measure(51, [&] {
        kavlo::metadata::ExifInfo info = kavlo::metadata::readExif(path, true);
        check += info.thumbnailSize;
        kavlo::metadata::freeExif(info);
    });
    const Result iptcRead = measure(51, [&] {
        kavlo::metadata::IptcRecord record;
        check += kavlo::metadata::readIptc(path, record) ? 1 : 0;
    });
    kavlo::metadata::ExifInfo info = kavlo::metadata::readExif(path, false);
    if (info.make != "Canon" || info.width != kSide) {
        std::fprintf(stderr, "unexpected metadata: make '%s', width %d\n", info.make.c_str(),
                     info.width);
        return 1;
    }

    std::printf("%-28s %12s %14s %14s %14s\n", "operation", "median ms", "bytes read", "time ratio",
                "bytes ratio");
    auto row = [&](const char* name, const Result& r) {
        std::printf(
            "%-28s %12.3f %14lld %13.5fx %13.5fx\n", name, r.medianMs, r.bytesRead,
            r.medianMs / decode.medianMs,
            decode.bytesRead > 0 ? static_cast<double>(r.bytesRead) / decode.bytesRead : 0.0);
    };
    row("full decode (baseline)", decode);
    row("readExif (with thumbnail)", exifRead);
    row("readIptc (header only)", iptcRead);
    std::printf("(check %d)\n", check);
    std::filesystem::remove(path);
    return 0;
}
