// The generation run, one image per step.
#include "core/album_renderer.h"

#include <chrono>

#include "core/page_writers.h"
#include "storage/album_info.h"
#include "storage/settings_file.h"
#include "util/files.h"
#include "util/fonts.h"
#include "util/text.h"

namespace kavlo {
namespace {

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

/// Replaces a folder name that could lead outside the album by its default, so that
/// the run never deletes or writes anywhere but below destdir.
void keepInsideAlbum(std::string& name, const char* fallback) {
    if (!isPlainFolderName(name)) name = fallback;
}

}  // namespace

RunClock::RunClock(Source source) : m_source(source ? std::move(source) : Source(steadySeconds)) {}

void RunClock::reset() {
    m_running = false;
    m_start = 0;
    m_accumulated = 0;
}

void RunClock::start() {
    if (m_running) return;
    m_start = m_source();
    m_running = true;
}

void RunClock::stop() {
    if (!m_running) return;
    m_accumulated += m_source() - m_start;
    m_running = false;
}

double RunClock::elapsed() const {
    return m_running ? m_accumulated + (m_source() - m_start) : m_accumulated;
}

AlbumRenderer::AlbumRenderer(AlbumModel& model, ImageReaders readers, RunClock::Source clock)
    : m_model(model), m_readers(std::move(readers)), m_clock(std::move(clock)) {}

double AlbumRenderer::percentDone() const {
    const auto n = m_model.images.size();
    if (n == 0) return m_finished ? 100.0 : 0.0;
    return m_processed * 100.0 / static_cast<double>(n);
}

void AlbumRenderer::begin() {
    AlbumSettings& s = m_model.settings;
    const std::string& dest = m_model.destdir;
    if (m_model.footer.find("autoviewer") != std::string::npos) s.mdir = "images";
    keepInsideAlbum(s.sdir, "small");
    keepInsideAlbum(s.mdir, "medium");
    keepInsideAlbum(s.ldir, "large");
    const std::string smallDir = dest + "/" + s.sdir;
    const std::string mainDir = dest + "/" + s.mdir;
    const std::string largeDir = dest + "/" + s.ldir;

    if (s.cleardirs) {
        deleteImages(smallDir);
        deleteImages(mainDir);
        deleteImages(largeDir);
    }
    createFolder(dest);
    if (s.small) createFolder(smallDir); else deleteImages(smallDir);
    createFolder(mainDir);
    if (s.large) createFolder(largeDir); else deleteImages(largeDir);

    if (s.imagetext && (s.itfontfile.empty() || !fileExists(s.itfontfile))) {
        const auto fonts = installedFontFiles();
        s.itfontfile = fonts.empty() ? std::string() : fonts.front();
    }

    m_remaining = 0;
    m_clock.reset();
    m_clock.start();
    m_processed = 0;
    m_lastElapsed = 0;
    m_finished = false;
    m_decodes = 0;
    m_sizes = SizeLists{};
    m_reused.clear();
    step();
}

void AlbumRenderer::processImage(int index) {
    const ImageResult r = processAlbumImage(m_model.settings, m_model.destdir,
                                            m_model.images[static_cast<size_t>(index)], index,
                                            m_readers);
    const AlbumSettings& s = m_model.settings;
    m_decodes += r.decodes;
    m_reused.push_back(r.reused);
    if (s.small) {
        m_sizes.smallW.push_back(r.smallW);
        m_sizes.smallH.push_back(r.smallH);
    }
    m_sizes.mainW.push_back(r.mainW);
    m_sizes.mainH.push_back(r.mainH);
    if (s.large) {
        m_sizes.largeW.push_back(r.largeW);
        m_sizes.largeH.push_back(r.largeH);
    }
}

bool AlbumRenderer::step() {
    const double elapsed = elapsedSeconds();
    double stepTime = elapsed - m_lastElapsed;
    m_lastElapsed = elapsed;

    const int n = static_cast<int>(m_model.images.size());
    if (m_processed >= n) {
        if (!m_finished) {
            // An album without images still gets its pages once.
            writePages();
            m_clock.stop();
            m_finished = true;
        }
        return false;
    }

    processImage(m_processed);
    ++m_processed;

    if (m_processed >= n) {
        writePages();
        m_clock.stop();
        m_finished = true;
    }

    if (m_processed == 1) stepTime = elapsedSeconds();
    m_remaining = (elapsedSeconds() / m_processed * 1.75 + stepTime * 0.25) * 0.5 *
                  static_cast<double>(n - m_processed);
    return m_processed < n;
}

void AlbumRenderer::writePages() {
    std::string& footer = m_model.footer;
    if (footer.find("autoviewer") != std::string::npos) {
        footer = replaceAll(footer, "autoviewer", "");
        writeHtmlAlbum(m_model, m_sizes);
        writeAutoViewerGallery(m_model, m_sizes, "gallerydata.xml");
    } else if (footer.find("philipsxml") != std::string::npos) {
        writeSlideshow(m_model, "slideshow.alb");
    } else {
        writeHtmlAlbum(m_model, m_sizes);
        if (m_model.settings.simpleviewer) writeSimpleViewerGallery(m_model, "gallery.xml");
    }
}

void generate(AlbumModel& model, AlbumRenderer& renderer) {
    createFolder(model.destdir + "/ext");
    createFolder(model.destdir + "/ext/xml");
    writeAlbumInfo(model, model.destdir + "/ext/xml/albuminfo.xml");
    renderer.begin();
}

}  // namespace kavlo
