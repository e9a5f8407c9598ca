// SPDX-License-Identifier: MIT
// Reading the album information file of a 10,000-image album: the indexed
// resource/values store against a plain linear scan over the same pairs, measured
// in the same run on the same file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "storage/album_info.h"
#include "storage/resource_values.h"
#include "util/files.h"
#include "util/text.h"

using kavlo::model::AlbumModel;
using kavlo::storage::readAlbumInfo;
using kavlo::storage::ResourceValues;
using kavlo::storage::writeAlbumInfo;
using kavlo::util::base64Decode;
using kavlo::util::createFolder;
using kavlo::util::format;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The look-up the store would make without its index: first match from the start.
bool linearFind(const ResourceValues& v, const std::string& key, std::string& value) {
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v.keyAt(i) == key) {
            value = v.valueAt(i);
            return true;
        }
    }
    return false;
}

// The image part of reading an album: one find and two caption look-ups per image.
template <typename Find>
std::size_t readImages(const ResourceValues& v, Find find) {
    std::size_t bytes = 0;
    for (int n = 0;; ++n) {
        std::string value;
        if (!find(v, format("image%04i", n), value)) break;
        bytes += base64Decode(value).size();
        if (find(v, format("macap%04i", n), value)) bytes += value.size();
        if (find(v, format("micap%04i", n), value)) bytes += value.size();
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const int images = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::string dir =
        (std::filesystem::temp_directory_path() / "kavlo_storage_bench").string();
    createFolder(dir);
    const std::string path = dir + "/albuminfo.xml";

    AlbumModel model;
    model.title = "Benchmark album";
    model.destdir = dir;
    for (int i = 0; i < images; ++i) {
        model.images.push_back({format("/home/anna/Pictures/2026/Trip/IMG_%05d.jpg", i),
                                format("Caption %d & more", i),
                                format("1/125s f/5.6 %dmm", i % 300)});
    }
    if (!writeAlbumInfo(model, path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    // Whole read through the store (parse plus indexed look-ups), best of three.
    double fullRead = 1e30;
    for (int r = 0; r < 3; ++r) {
        AlbumModel m;
        const auto t = Clock::now();
        if (!readAlbumInfo(m, path) || m.images.size() != model.images.size()) return 1;
        fullRead = std::min(fullRead, msSince(t));
    }

    ResourceValues v;
    auto t = Clock::now();
    if (!v.load(path)) return 1;
    const double parse = msSince(t);

    const auto indexed = [](const ResourceValues& s, const std::string& k, std::string& out) {
        return s.find(k, out);
    };
    double indexedLookups = 1e30;
    std::size_t checkA = 0;
    for (int r = 0; r < 3; ++r) {
        t = Clock::now();
        checkA = readImages(v, indexed);
        indexedLookups = std::min(indexedLookups, msSince(t));
    }
    t = Clock::now();
    const std::size_t checkB = readImages(v, linearFind);
    const double linearLookups = msSince(t);
    if (checkA != checkB) {
        std::fprintf(stderr, "look-ups disagree\n");
        return 1;
    }

    std::printf("album information file: %d images, %zu keys\n", images, v.size());
    std::printf("parse only (load):                   %10.2f ms\n", parse);
    std::printf("readAlbumInfo (parse + index):       %10.2f ms\n", fullRead);
    std::printf("image look-ups, indexed:             %10.2f ms\n", indexedLookups);
    std::printf("image look-ups, linear scan baseline:%10.2f ms\n", linearLookups);
    std::printf("look-up speed-up (baseline/indexed): %10.1fx\n", linearLookups / indexedLookups);
    std::printf("whole read speed-up (parse+baseline)/(readAlbumInfo): %.1fx\n",
                (parse + linearLookups) / fullRead);
    std::filesystem::remove_all(dir);
    return 0;
}
