// SPDX-License-Identifier: MIT
// Album editor benchmark: an album of N large photos (symbolic links to the sample
// photos in a scratch folder). Measures, in one run:
//   baselines - on the calling thread, before any window: (a) every photo decoded at
//               reduced size, (b) every thumbnail made as the editor makes it (embedded
//               Exif thumbnail first) - what a window would cost that loads its
//               thumbnails before it shows;
//   editor    - the editor window: time until it is shown with its placeholders, time
//               until the last thumbnail has arrived, the longest pause of the event
//               loop meanwhile, and the share of photos whose embedded Exif thumbnail
//               was used.
// Usage: editor_bench [N=2000] [baseline sample=N]
// Runs with QT_QPA_PLATFORM=offscreen unless a platform is set.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/codecs.h"
#include "imaging/image.h"
#include "imaging/raster_image.h"
#include "qt/album_editor_window.h"
#include "ui/thumbnail_producer.h"

namespace fs = std::filesystem;
using kavlo::core::CustomColours;
using kavlo::core::FolderChoice;
using kavlo::core::FolderRequest;
using kavlo::core::Message;
using kavlo::core::MessageAnswer;
using kavlo::core::Platform;
using kavlo::imaging::RasterImage;
using kavlo::imaging::RPreadJpeg;
using kavlo::model::AlbumModel;
using kavlo::qt::AlbumEditorWindow;
using kavlo::ui::kThumbnailSize;
using kavlo::ui::makeThumbnail;
using kavlo::util::Colour;
using Clock = std::chrono::steady_clock;

namespace {

class SilentPlatform : public Platform {
public:
    MessageAnswer messageBox(const Message&) override { return MessageAnswer::Ok; }
    FolderChoice chooseFolder(const FolderRequest&) override { return FolderChoice::cancel(); }
    std::optional<Colour> chooseColour(Colour, CustomColours&) override { return std::nullopt; }
    bool openWithDefaultProgram(const std::string&) override { return true; }
    void setWaitCursor(bool) override {}
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int sample = argc > 2 ? std::max(1, std::min(count, std::atoi(argv[2]))) : count;
    QApplication app(argc, argv);

    const fs::path source = fs::path(KAVLO_TESTDATA) / "photos" / "large";
    std::vector<fs::path> photos;
    for (const auto& e : fs::directory_iterator(source))
        if (e.path().extension() == ".jpg") photos.push_back(e.path());
    std::sort(photos.begin(), photos.end());
    if (photos.empty()) {
        std::fprintf(stderr, "no sample photos in %s\n", source.c_str());
        return 1;
    }
    const fs::path folder = fs::temp_directory_path() / "kavlo_editor_bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    AlbumModel model;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i + 1);
        fs::create_symlink(photos[i % photos.size()], folder / name);
        model.images.push_back({(folder / name).string(), "", ""});
    }
    std::printf("album: %d photos (%zu distinct large samples)\n", count, photos.size());

    // Baseline: every thumbnail decoded from the photo on this thread.
    const auto b0 = Clock::now();
    for (int i = 0; i < sample; ++i) {
        const kavlo::imaging::Image img(
            RPreadJpeg(model.images[i].path, nullptr, kThumbnailSize, nullptr, nullptr));
    }
    const double baselinePer = ms(Clock::now() - b0) / sample;
    const double baselineAll = baselinePer * count;
    std::printf("baseline a: decode at reduced size on the window thread: %.2f ms/photo, "
                "%.0f ms for the album%s\n",
                baselinePer, baselineAll, sample < count ? " (from a sample)" : "");
    const auto s0 = Clock::now();
    for (int i = 0; i < sample; ++i) makeThumbnail(model.images[i].path, kThumbnailSize, true);
    const double syncPer = ms(Clock::now() - s0) / sample;
    const double syncAll = syncPer * count;
    std::printf("baseline b: editor thumbnails made on the window thread: %.2f ms/photo, "
                "%.0f ms for the album%s\n",
                syncPer, syncAll, sample < count ? " (from a sample)" : "");

    SilentPlatform platform;
    double longestPause = 0;
    auto last = Clock::now();
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longestPause = std::max(longestPause, ms(now - last));
        last = now;
    });

    const auto t0 = Clock::now();
    AlbumEditorWindow window(model, platform);
    window.showEditor(true);
    app.processEvents();
    const double firstWindow = ms(Clock::now() - t0);
    last = Clock::now();
    heartbeat.start();
    while (window.logic().thumbnailsShown() < count)
        app.processEvents(QEventLoop::WaitForMoreEvents, 20);
    const double lastThumbnail = ms(Clock::now() - t0);
    heartbeat.stop();
    const int embedded = window.logic().embeddedThumbnailsShown();

    std::printf("editor: first window with placeholders after %.1f ms\n", firstWindow);
    std::printf("editor: last thumbnail after %.0f ms (%.2f ms/photo)\n", lastThumbnail,
                lastThumbnail / count);
    std::printf("editor: longest event-loop pause while loading: %.1f ms\n", longestPause);
    std::printf("embedded Exif thumbnails used: %d of %d (%.0f%%)\n", embedded, count,
                100.0 * embedded / count);
    std::printf("ratio first window / baseline b: %.4f (window %.0fx sooner than loading first)\n",
                firstWindow / syncAll, syncAll / firstWindow);
    std::printf("ratio all thumbnails / baseline a: %.3f (embedded thumbnails, background)\n",
                lastThumbnail / baselineAll);
    std::printf("ratio all thumbnails / baseline b: %.2f (cost of doing it in the background)\n",
                lastThumbnail / syncAll);

    // Rearranging a full list: each move relays the whole list out once.
    const int moves = 10;
    const auto m0 = Clock::now();
    for (int i = 0; i < moves; ++i) {
        window.logic().select(count - 1);
        window.logic().moveToTop();
        app.processEvents();
    }
    std::printf("editor: move to top with %d thumbnails shown: %.1f ms per move\n", count,
                ms(Clock::now() - m0) / moves);
    window.logic().stopBackgroundWork();
    fs::remove_all(folder);
    return 0;
}
