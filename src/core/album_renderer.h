// SPDX-License-Identifier: MIT
// The generation run: the album renderer of kind "default". It produces the album one
// image per step() so that a window can handle its events and show progress between
// images, and writes the album pages after the last image.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/image_pipeline.h"
#include "core/image_record.h"
#include "core/parallel_generation.h"
#include "core/renditions.h"
#include "model/album_model.h"

namespace kavlo::core {

/// Width and height of every written thumbnail, main and large image, album order.
struct SizeLists {
    std::vector<int> smallW, smallH;
    std::vector<int> mainW, mainH;
    std::vector<int> largeW, largeH;
    /// The extra renditions and 2x thumbnails (empty when the run makes none).
    RenditionSizes renditions;
};

/// Run timer: seconds accumulated before the current start plus the time since the
/// start while running. The time source is injectable for tests.
class RunClock {
public:
    using Source = std::function<double()>;  ///< monotonic seconds
    explicit RunClock(Source source = {});
    void reset();
    void start();
    void stop();
    double elapsed() const;
    bool running() const { return m_running; }

private:
    Source m_source;
    bool m_running = false;
    double m_start = 0;
    double m_accumulated = 0;
};

class AlbumRenderer {
public:
    /// The renderer works on `model` (its settings, images and texts); the model must
    /// outlive it. Images are made on defaultJobCount() worker threads.
    explicit AlbumRenderer(model::AlbumModel& model);
    /// With the caller's readers and clock, images are made on the caller's thread
    /// unless setJobs() asks for more (the readers must then be safe to call from
    /// several threads at once).
    AlbumRenderer(model::AlbumModel& model, ImageReaders readers, RunClock::Source clock = {});
    /// Stops the run (see stop()).
    ~AlbumRenderer();
    AlbumRenderer(const AlbumRenderer&) = delete;
    AlbumRenderer& operator=(const AlbumRenderer&) = delete;

    /// Worker threads of the next run; 0 or less: one per core. Whatever the number,
    /// step() completes the images in album order and every file is the same.
    void setJobs(int jobs);
    int jobs() const { return m_jobs; }
    /// Exif orientations already read in this run (by the automatic Exif captions);
    /// the run does not read those photos' Exif blocks again.
    void useKnownOrientations(ExifOrientations known);
    /// Ends a run before its last image (the window closes, an error): no further
    /// image is begun, the workers finish the images in hand and are joined. The album
    /// pages are not written.
    void stop();

    const std::string& kind() const { return m_kind; }

    /// Prepares the folders (and clears away temporary files a killed run left), keeps
    /// of the image record only what still fits this run's photos and settings, starts
    /// the clock and processes the first image.
    void begin();
    /// Processes the next image; after the last one finishes the album's image files
    /// (the image record in album order, images that no longer belong to the album
    /// removed, ext/js/renditions.js written or removed) and writes the album pages.
    /// True while images remain.
    bool step();

    double elapsedSeconds() const { return m_clock.elapsed(); }
    double remainingSeconds() const { return m_remaining; }
    /// Processed images x 100 / number of images (100 for an empty album).
    double percentDone() const;

    int processed() const { return m_processed; }
    bool finished() const { return m_finished; }
    const SizeLists& sizes() const { return m_sizes; }
    /// Per image of this run: whether its earlier files were kept.
    const std::vector<bool>& reused() const { return m_reused; }
    /// How many times sources were decoded in this run.
    int decodes() const { return m_decodes; }
    /// Album files of this run that could not be written (images, start page,
    /// albumdef.js, viewer files, the album information file). The run goes on past
    /// them; the front ends report a non-zero count when the run is over.
    int failedWrites() const { return m_failedWrites; }
    /// The page the finished album opens with, as written by the run: "index.html", or
    /// "slideshow.alb" when the footer's photo-frame word made that file alone; "" until
    /// the pages are written.
    const std::string& startFile() const { return m_startFile; }
    /// Images of this run whose watermark could not be stamped (no usable font, a text
    /// that renders to nothing); each was written without it and named on a diagnostic
    /// line. The front ends report a non-zero count when the run is over.
    int missingWatermarks() const { return m_missingWatermarks; }
    /// Counts a failed write made on the run's behalf outside the renderer.
    void addFailedWrite() { ++m_failedWrites; }

    model::AlbumModel& model() { return m_model; }
    const model::AlbumModel& model() const { return m_model; }

private:
    void takeImage();
    /// Creates the folders of the sizes and renditions made, empties those of the ones
    /// not made, and removes temporary files a killed run left.
    void prepareFolders();
    void prepareRecord(const model::AlbumSettings& runSettings, std::vector<ImageHistory>& history);
    void finishImageFiles();
    void writePages();
    /// The album folders that hold image files of this run, relative to the album.
    std::vector<std::string> imageFolders() const;

    model::AlbumModel& m_model;
    ImageReaders m_readers;
    int m_jobs = 1;
    int m_count = 0;  // images of the current run
    bool m_running = false;
    std::shared_ptr<const ExifOrientations> m_knownOrientations;
    std::string m_kind = "default";
    RunClock m_clock;
    int m_processed = 0;
    double m_lastElapsed = 0;
    double m_remaining = 0;
    bool m_finished = false;
    int m_decodes = 0;
    int m_failedWrites = 0;
    int m_missingWatermarks = 0;
    std::string m_startFile;
    bool m_renditions = false;         // this run makes renditions
    std::vector<std::string> m_names;  // album file name of every image
    ImageRecord m_record;              // the record as the run leaves it
    bool m_recordWritable = false;     // the pruned record is on disk: lines may follow
    SizeLists m_sizes;
    std::vector<bool> m_reused;
    // Last member: destroyed (workers joined) before anything they might look at.
    std::unique_ptr<OrderedImageWork> m_work;
};

/// Starts a generation: creates destdir/ext and destdir/ext/xml, writes the album
/// information file destdir/ext/xml/albuminfo.xml, then begins the run.
void generate(model::AlbumModel& model, AlbumRenderer& renderer);

}  // namespace kavlo::core
