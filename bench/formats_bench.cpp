// SPDX-License-Identifier: MIT
// Whole album runs over folders of the same photos in different forms, per photo, against
// the plain JPEG folder measured in the same run:
//
//   jpeg        JPEG, quality 92, untagged (sRGB): the baseline
//   heic        HEIC, libheif with x265 at quality 60 (a phone's file size)
//   adobe       the photos' colours in Adobe RGB (1998), JPEG with the profile: converted
//   adobe-bare  the same pixels untagged: what the decode and scaling alone cost for them
//   p3          Display P3, JPEG with the profile
//
// The colour cost is adobe / adobe-bare (the same files but for the profile). Photos are
// the large test photos, cropped a little differently each time so that no two files are
// the same, 50 of them (or the count given as the second argument). Each album is made by
// AlbumRenderer on one thread, with the default sizes (thumbnail 80, main 552) and again
// with large images of 1024 (a larger decode). Times are the process's CPU time, best of
// the rounds given as the first argument (default 3).
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

#include "core/album_renderer.h"
#include "imaging/codecs.h"
#include "colour_photos.h"
#include "source_files.h"
#include "test_profiles.h"

namespace fs = std::filesystem;
using namespace kavlo;
using imaging::RasterImage;

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

struct Folder {
    const char* name;
    fs::path path;
};

// One album of every photo in `folder`, on one thread.
void makeAlbum(const fs::path& folder, const fs::path& dest, bool large) {
    model::AlbumModel album;
    album.settings = model::defaultAlbumSettings();
    album.settings.templatedir = std::string(KAVLO_SOURCE_DIR) + "/templates";
    album.settings.large = large;
    album.title = "bench";
    album.inputdir = folder.string();
    album.destdir = dest.string();
    std::vector<std::string> photos;
    for (const auto& e : fs::directory_iterator(folder)) photos.push_back(e.path().string());
    std::sort(photos.begin(), photos.end());
    for (const std::string& p : photos) album.images.push_back({p, "", ""});
    core::AlbumRenderer renderer(album);
    renderer.setJobs(1);
    renderer.begin();
    while (renderer.step()) {}
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    const fs::path photos = fs::path(KAVLO_TESTDATA) / "photos" / "large";
    const fs::path dir =
        fs::temp_directory_path() / ("kavlo_formats_bench_" + std::to_string(getpid()));
    std::vector<fs::path> inputs;
    for (const auto& e : fs::directory_iterator(photos))
        if (e.path().extension() == ".jpg") inputs.push_back(e.path());
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "no photos in %s\n", photos.c_str());
        return 1;
    }
    const Folder folders[] = {{"jpeg", dir / "jpeg"},
                              {"heic", dir / "heic"},
                              {"adobe", dir / "adobe"},
                              {"adobe-bare", dir / "adobe_bare"},
                              {"p3", dir / "p3"}};
    for (const Folder& f : folders) fs::create_directories(f.path);
    const auto adobe = test::profiles::adobeRgb();
    const auto p3 = test::profiles::displayP3();

    std::printf("Making %d photos in each form...\n", count);
    std::fflush(stdout);
    for (int i = 0; i < count; ++i) {
        RasterImage full = imaging::RPreadJpeg(inputs[std::size_t(i) % inputs.size()].string(),
                                               nullptr, 0, nullptr, nullptr);
        const int cut = 4 * (i / int(inputs.size()));
        imaging::RPcropInPlace(full, cut, cut, full.width - 2 * cut, full.height - 2 * cut);
        char name[32];
        std::snprintf(name, sizeof name, "photo%03d", i);
        const std::string base = name;
        test::writeTaggedJpeg((folders[0].path / (base + ".jpg")).string(), full, {});
        test::HeifSpec spec;
        spec.quality = 60;
        const auto heic = test::encodeHeif(test::rgbaOf(full), spec);
        if (heic.empty()) {
            std::fprintf(stderr, "libheif could not encode HEIC\n");
            return 1;
        }
        test::writeFile((folders[1].path / (base + ".heic")).string(), heic);
        RasterImage copy = imaging::RPclone(full);
        test::toProfile(copy, adobe);
        test::writeTaggedJpeg((folders[2].path / (base + ".jpg")).string(), copy, adobe);
        test::writeTaggedJpeg((folders[3].path / (base + ".jpg")).string(), copy, {});
        imaging::RPfree(copy);
        test::toProfile(full, p3);
        test::writeTaggedJpeg((folders[4].path / (base + ".jpg")).string(), full, p3);
        imaging::RPfree(full);
    }

    for (const bool large : {false, true}) {
        std::printf(
            "\nAlbum run, %s; CPU ms per photo, best of %d\n",
            large ? "thumbnail 80, main 552, large 1024" : "thumbnail 80, main 552 (defaults)",
            rounds);
        double t[5] = {};
        for (int k = 0; k < 5; ++k) {
            t[k] = best(rounds, [&] { makeAlbum(folders[k].path, dir / "album", large); }) / count;
            fs::remove_all(dir / "album");
        }
        for (int k = 0; k < 5; ++k)
            std::printf("  %-11s %9.2f   x %.3f of jpeg\n", folders[k].name, t[k] * 1e3,
                        t[k] / t[0]);
        std::printf("  colour conversion (adobe / adobe-bare): x %.3f   (goal: 1.15)\n",
                    t[2] / t[3]);
        std::printf("  HEIC against JPEG: x %.3f   (goal: 1.3)\n", t[1] / t[0]);
    }
    fs::remove_all(dir);
    return 0;
}
