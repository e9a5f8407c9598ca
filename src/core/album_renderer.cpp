// The generation run, one image per step.
#include "core/album_renderer.h"

#include <sys/stat.h>
#include <unistd.h>

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

/// An album sub-folder that is a symbolic link would lead every write and delete of
/// the run outside the album; the link is removed so that a real folder is made.
void unlinkLinkedFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(path.c_str());
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
    for (const std::string* dir : {&smallDir, &mainDir, &largeDir}) unlinkLinkedFolder(*dir);

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
    m_failedWrites = 0;
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
    m_failedWrites += r.failedWrites;
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
        if (!writeHtmlAlbum(m_model, m_sizes)) ++m_failedWrites;
        if (!writeAutoViewerGallery(m_model, m_sizes, "gallerydata.xml")) ++m_failedWrites;
    } else if (footer.find("philipsxml") != std::string::npos) {
        if (!writeSlideshow(m_model, "slideshow.alb")) ++m_failedWrites;
    } else {
        if (!writeHtmlAlbum(m_model, m_sizes)) ++m_failedWrites;
        if (m_model.settings.simpleviewer && !writeSimpleViewerGallery(m_model, "gallery.xml")) {
            ++m_failedWrites;
        }
    }
}

void generate(AlbumModel& model, AlbumRenderer& renderer) {
    for (const char* sub : {"/ext", "/ext/css", "/ext/html", "/ext/js", "/ext/xml"}) {
        unlinkLinkedFolder(model.destdir + sub);
    }
    createFolder(model.destdir + "/ext");
    createFolder(model.destdir + "/ext/xml");
    const bool infoWritten = writeAlbumInfo(model, model.destdir + "/ext/xml/albuminfo.xml");
    renderer.begin();
    if (!infoWritten) renderer.addFailedWrite();
}

}  // namespace kavlo
