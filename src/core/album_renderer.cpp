// SPDX-License-Identifier: MIT
// The generation run, one image per step.
#include "core/album_renderer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "core/album_output.h"
#include "core/decode_budget.h"
#include "core/page_writers.h"
#include "core/skin_background.h"
#include "storage/album_info.h"
#include "util/diagnostics.h"
#include "util/files.h"
#include "util/fonts.h"
#include "util/text.h"

namespace kavlo::core {

using model::AlbumModel;
using model::AlbumSettings;
using model::ImageEntry;
using storage::writeAlbumInfo;
using util::createFolder;
using util::deleteImages;
using util::Diagnostic;
using util::Durability;
using util::fileExists;
using util::installedFontFiles;
using util::isPlainFolderName;
using util::replaceAll;
using util::report;
using util::writeTextFile;

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

AlbumRenderer::AlbumRenderer(AlbumModel& model)
    : m_model(model), m_readers(defaultImageReaders()), m_jobs(defaultJobCount()) {}

AlbumRenderer::AlbumRenderer(AlbumModel& model, ImageReaders readers, RunClock::Source clock)
    : m_model(model), m_readers(std::move(readers)), m_clock(std::move(clock)) {}

AlbumRenderer::~AlbumRenderer() { stop(); }

void AlbumRenderer::setJobs(int jobs) { m_jobs = jobs > 0 ? jobs : defaultJobCount(); }

void AlbumRenderer::useKnownOrientations(ExifOrientations known) {
    m_knownOrientations = std::make_shared<const ExifOrientations>(std::move(known));
}

void AlbumRenderer::stop() {
    m_running = false;
    if (m_work) m_work->stop();
    m_work.reset();
}

double AlbumRenderer::percentDone() const {
    const auto n = m_model.images.size();
    if (n == 0) return m_finished ? 100.0 : 0.0;
    return m_processed * 100.0 / static_cast<double>(n);
}

std::vector<std::string> AlbumRenderer::imageFolders() const {
    const AlbumSettings& s = m_model.settings;
    std::vector<std::string> folders = {s.sdir, s.mdir, s.ldir, thumbnail2xFolder(s)};
    for (std::size_t k = 0; k < renditionSteps().size(); ++k) folders.push_back(renditionFolder(k));
    return folders;
}

void AlbumRenderer::prepareFolders() {
    const AlbumSettings& s = m_model.settings;
    const std::string& dest = m_model.destdir;
    const std::string smallDir = dest + "/" + s.sdir;
    const std::string mainDir = dest + "/" + s.mdir;
    const std::string largeDir = dest + "/" + s.ldir;
    const std::string thumb2xDir = dest + "/" + thumbnail2xFolder(s);
    unlinkLinkedFolder(dest + "/" + renditionsRoot());
    for (const std::string& folder : imageFolders()) unlinkLinkedFolder(dest + "/" + folder);

    if (s.cleardirs) {
        for (const std::string& folder : imageFolders()) deleteImages(dest + "/" + folder);
    }
    createFolder(dest);
    if (s.small) createFolder(smallDir);
    else deleteImages(smallDir);
    createFolder(mainDir);
    if (s.large) createFolder(largeDir);
    else deleteImages(largeDir);
    for (std::size_t k = 0; k < renditionSteps().size(); ++k) {
        const std::string folder = dest + "/" + renditionFolder(k);
        if (m_renditions) createFolder(folder);
        else deleteImages(folder);
    }
    if (m_renditions && s.small) createFolder(thumb2xDir);
    else deleteImages(thumb2xDir);
    // A run killed while writing left temporary files; they go before anything else.
    for (const std::string& folder :
         {std::string(), std::string("/ext"), std::string("/ext/css"), std::string("/ext/html"),
          std::string("/ext/js"), std::string("/ext/xml")}) {
        removeTemporaryFiles(dest + folder);
    }
    for (const std::string& folder : imageFolders()) removeTemporaryFiles(dest + "/" + folder);
}

void AlbumRenderer::begin() {
    AlbumSettings& s = m_model.settings;
    const std::string& dest = m_model.destdir;
    if (m_model.footer.find("autoviewer") != std::string::npos) s.mdir = "images";
    keepInsideAlbum(s.sdir, "small");
    keepInsideAlbum(s.mdir, "medium");
    keepInsideAlbum(s.ldir, "large");
    // Renditions serve the album pages; the photo-frame file alone has no use for them.
    m_renditions = s.renditions && m_model.footer.find("philipsxml") == std::string::npos;
    prepareFolders();

    s.skinbg = skinBackground(s.templatedir, s.appearance);
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
    m_missingWatermarks = 0;
    m_sizes = SizeLists{};
    m_reused.clear();
    m_record = ImageRecord();
    m_recordWritable = false;

    // What the workers see: a copy of the run's inputs, fixed for the whole run, so
    // nothing they read is changed under them.
    struct RunInput {
        AlbumSettings settings;
        std::string destdir;
        std::vector<ImageEntry> images;
        ImageReaders readers;
        ImageRecord record;
        std::vector<ImageHistory> history;
    };
    auto input = std::make_shared<RunInput>();
    input->settings = s;
    input->settings.renditions = m_renditions;
    input->destdir = dest;
    input->images = m_model.images;
    input->readers = m_readers;
    prepareRecord(input->settings, input->history);
    input->record = m_record;
    for (ImageHistory& h : input->history) {
        // Pointers into the run's own copy, which lives as long as the workers.
        if (h.earlier != nullptr) h.earlier = input->record.find(h.earlier->number);
    }
    if (m_knownOrientations && !m_knownOrientations->empty()) {
        auto known = m_knownOrientations;
        auto read = m_readers.readOrientation;
        input->readers.readOrientation = [known, read](const std::string& path) {
            const auto it = known->find(path);
            return it != known->end() ? it->second : read(path);
        };
    }
    m_count = static_cast<int>(input->images.size());
    std::shared_ptr<const RunInput> in = std::move(input);
    stop();
    m_running = true;
    m_work = std::make_unique<OrderedImageWork>(m_jobs, 2 * m_jobs, m_count, [in](int index) {
        // The decoded picture of each image counts against the budget all jobs share
        // until the image is done (decode_budget.h).
        DecodeHold hold(sharedDecodeBudget());
        return processAlbumImage(in->settings, in->destdir, in->images[static_cast<size_t>(index)],
                                 index, budgetedReaders(in->readers, hold),
                                 in->history[static_cast<size_t>(index)]);
    });
    step();
}

void AlbumRenderer::takeImage() {
    ImageResult r;
    try {
        r = m_work->takeNext();
    } catch (...) {
        // The run cannot go on past an image that failed this way (out of memory):
        // no further image is begun and the workers are joined before it is reported.
        stop();
        throw;
    }
    // What the lower layers reported while the image was made on a worker, told now,
    // in album order.
    for (const Diagnostic& d : r.diagnostics) report(d);
    const AlbumSettings& s = m_model.settings;
    m_decodes += r.decodes;
    m_failedWrites += r.failedWrites;
    if (r.watermarkMissing) ++m_missingWatermarks;
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
    if (m_renditions) {
        std::vector<PixelSize> steps = r.renditions;
        steps.resize(renditionSteps().size(), PixelSize{0, 0});
        m_sizes.renditions.steps.push_back(steps);
        if (s.small) m_sizes.renditions.thumb2x.push_back(r.thumb2x);
    }
    // The image's files are in place: now the record may vouch for them.
    if (r.record) {
        if (m_recordWritable &&
            !ImageRecord::append(ImageRecord::pathIn(m_model.destdir), *r.record)) {
            m_recordWritable = false;
        }
        m_record.set(std::move(*r.record));
    } else if (!r.reused) {
        m_record.erase(m_processed + 1);
    }
}

void AlbumRenderer::prepareRecord(const AlbumSettings& runSettings,
                                  std::vector<ImageHistory>& history) {
    const std::vector<ImageEntry>& images = m_model.images;
    m_names.clear();
    history.assign(images.size(), ImageHistory{});
    for (std::size_t i = 0; i < images.size(); ++i) {
        m_names.push_back(albumImageName(runSettings, images[i], static_cast<int>(i)));
        history[i].stamp = stampOf(images[i].path);
        history[i].shape = shapeFingerprint(runSettings, images[i]);
    }
    // Only entries that still describe what this run would make stay: no entry may
    // vouch for a file the run is about to replace. The pruned record is on disk
    // before the first image is written.
    const std::string path = ImageRecord::pathIn(m_model.destdir);
    for (const char* sub : {"/ext", "/ext/xml"}) {
        unlinkLinkedFolder(m_model.destdir + sub);
        createFolder(m_model.destdir + sub);
    }
    m_record.load(path);
    m_record.keepIf(static_cast<int>(images.size()), [&](const ImageRecordEntry& e) {
        const ImageHistory& h = history[static_cast<std::size_t>(e.number - 1)];
        return h.stamp && e.source == *h.stamp && e.shape == h.shape;
    });
    m_recordWritable = m_record.save(path);
    if (!m_recordWritable) {
        // An old record that cannot be pruned must not vouch for anything later.
        ::unlink(path.c_str());
        m_record = ImageRecord();
    }
    for (std::size_t i = 0; i < images.size(); ++i) {
        history[i].earlier = m_record.find(static_cast<int>(i) + 1);
    }
}

void AlbumRenderer::finishImageFiles() {
    const AlbumSettings& s = m_model.settings;
    const std::string& dest = m_model.destdir;
    if (m_recordWritable) m_record.save(ImageRecord::pathIn(dest));
    // Images numbered above the album's count, or named differently now, are stale; so
    // is a rendition of an image that has none at that step any more.
    for (const std::string& folder : {s.sdir, s.mdir, s.ldir}) {
        removeStaleImages(dest + "/" + folder, m_names);
    }
    const RenditionSizes& made = m_sizes.renditions;
    const auto namesWhere = [&](auto exists) {
        std::vector<std::string> names(m_names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            if (exists(i)) names[i] = m_names[i];
        return names;
    };
    for (std::size_t k = 0; k < renditionSteps().size(); ++k) {
        removeStaleImages(dest + "/" + renditionFolder(k), namesWhere([&](std::size_t i) {
                              return i < made.steps.size() && made.steps[i][k].first > 0;
                          }));
    }
    removeStaleImages(dest + "/" + thumbnail2xFolder(s), namesWhere([&](std::size_t i) {
                          return i < made.thumb2x.size() && made.thumb2x[i].first > 0;
                      }));
    for (const std::string& folder : imageFolders()) removeTemporaryFiles(dest + "/" + folder);

    // The page writer links renditions.js into the pages only when it exists.
    const std::string script = dest + "/ext/js/renditions.js";
    if (m_renditions) {
        createFolder(dest + "/ext/js");
        if (!writeTextFile(script, renditionsScript(s, m_sizes.renditions),
                           Durability::RenameOnly)) {
            ++m_failedWrites;
        }
    } else {
        ::unlink(script.c_str());
    }
}

bool AlbumRenderer::step() {
    const double elapsed = elapsedSeconds();
    double stepTime = elapsed - m_lastElapsed;
    m_lastElapsed = elapsed;

    const int n = m_count;
    if (!m_running) return false;  // not begun, finished or stopped
    if (m_processed >= n) {
        if (!m_finished) {
            // An album without images still gets its pages once.
            finishImageFiles();
            writePages();
            m_clock.stop();
            m_finished = true;
        }
        m_running = false;
        return false;
    }

    takeImage();
    ++m_processed;

    if (m_processed >= n) {
        stop();  // every image is done: the workers end
        finishImageFiles();
        writePages();
        m_clock.stop();
        m_finished = true;
        m_running = false;
    }

    if (m_processed == 1) stepTime = elapsedSeconds();
    m_remaining = (elapsedSeconds() / m_processed * 1.75 + stepTime * 0.25) * 0.5 *
                  static_cast<double>(n - m_processed);
    return m_processed < n;
}

void AlbumRenderer::writePages() {
    std::string& footer = m_model.footer;
    m_startFile = "index.html";
    if (footer.find("autoviewer") != std::string::npos) {
        footer = replaceAll(footer, "autoviewer", "");
        if (!writeHtmlAlbum(m_model, m_sizes)) ++m_failedWrites;
        if (!writeAutoViewerGallery(m_model, m_sizes, "gallerydata.xml")) ++m_failedWrites;
    } else if (footer.find("philipsxml") != std::string::npos) {
        m_startFile = "slideshow.alb";
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

}  // namespace kavlo::core
