// SPDX-License-Identifier: MIT
// Helpers for the generation tests: scratch folders and synthetic photos.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"

namespace kavlo::test {

/// A fresh, empty folder under the test output folder.
inline std::string scratchFolder(const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path p = fs::path(KAVLO_TEST_OUTPUT) / "generation" / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

/// Writes a w x h JPEG with a smooth gradient (so resampling has something to do).
inline bool writeTestJpeg(const std::string& path, int w, int h, int quality = 80) {
    imaging::Image img =
        imaging::Image::create(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 24);
    if (!img.pixels()) return false;
    const std::size_t stride = imaging::RPstride(static_cast<std::uint32_t>(w), 24);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = img.pixels() + static_cast<std::size_t>(y) * stride +
                              static_cast<std::size_t>(x) * 3;
            p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, w - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, h - 1));
            p[2] = static_cast<std::uint8_t>(((x / 16 + y / 16) % 2) * 120 + 60);
        }
    }
    return imaging::RPwriteJpeg(path, quality, nullptr, img.record()) == 0;
}

/// Writes a 24-bit image (blue, green, red) as an uncompressed RGB TIFF.
bool writeTestTiff(const std::string& path, const imaging::RasterImage& image);

/// Width and height from a JPEG header; (0, 0) when unreadable.
inline std::pair<int, int> jpegSize(const std::string& path) {
    int w = 0, h = 0;
    if (imaging::RPreadJpegInfo(path, nullptr, &h, &w) != 0) return {0, 0};
    return {w, h};
}

inline std::string readAll(const std::string& path) {
    std::string s;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

inline void writeAll(const std::string& path, const std::string& bytes) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

/// Inode and modification time: a file rewritten in any way changes one of them.
struct FileStamp {
    ino_t inode = 0;
    long long mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};
inline FileStamp stampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {st.st_ino,
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

}  // namespace kavlo::test
