// Generation benchmark: a first run of an album against the regeneration of the
// unchanged album (reuse test, nothing decoded), both measured in this run. Also the
// first run with and without the reduced JPEG decode (DCT scaling) of the sources.
//
//   generation_bench [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/album_renderer.h"
#include "imaging/codecs.h"
#include "util/files.h"

namespace fs = std::filesystem;
using namespace kavlo;

namespace {

double secondsOf(AlbumModel& model, const ImageReaders& readers) {
    AlbumRenderer r(model, readers);
    const auto t0 = std::chrono::steady_clock::now();
    r.begin();
    while (r.step()) {
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
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
    full.readJpeg = [](const std::string& p, int, int* w, int* h) {
        return RPreadJpeg(p, nullptr, 0, w, h);
    };

    double first = 1e30, again = 1e30, firstFull = 1e30;
    for (int i = 0; i < rounds; ++i) {
        model.settings.reuseimages = false;
        model.settings.cleardirs = true;
        firstFull = std::min(firstFull, secondsOf(model, full));
        first = std::min(first, secondsOf(model, defaultImageReaders()));
        model.settings.cleardirs = false;
        model.settings.reuseimages = true;
        again = std::min(again, secondsOf(model, defaultImageReaders()));
    }
    std::printf("album of %zu photos (%d rounds, best of each)\n", photos.size(), rounds);
    std::printf("first run, full-size decode (baseline) : %8.3f s\n", firstFull);
    std::printf("first run, reduced decode               : %8.3f s   ratio %.2fx\n", first, firstFull / first);
    std::printf("regeneration of the unchanged album     : %8.3f s   ratio %.2fx faster than the first run\n",
                again, first / again);
    fs::remove_all(work);
    return 0;
}
