// SPDX-License-Identifier: MIT
// Unattended album generation in a terminal.
#include "ui/terminal_run.h"

#include <unistd.h>

#include "core/album_renderer.h"
#include "storage/resource_values.h"
#include "storage/settings_file.h"
#include "ui/main_dialog.h"
#include "ui/terminal_progress.h"
#include "util/diagnostics.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::ui {

using core::AlbumRenderer;
using core::newAlbumSettings;
using core::Startup;
using core::StartupEnvironment;
using core::StartupResult;
using core::StartupStatus;
using model::AlbumModel;
using model::ExifCaptionPlace;
using storage::ResourceValues;
using storage::settingsFileText;
using util::Diagnostic;
using util::fileExists;
using util::printDiagnostic;
using util::repairUtf8;
using util::replaceAll;
using util::ScopedDiagnosticSink;

namespace {

/// Start-up without questions. Returns the exit status when it ended the run.
std::optional<int> startUp(const ProgramOptions& options, const StartupEnvironment& env,
                           TerminalPlatform& platform, AlbumModel& model, bool& openedAlbum,
                           std::FILE* err) {
    Startup startup(platform, env);
    const StartupResult sr = startup.run(options.album, model);
    openedAlbum = sr.openedAlbum;
    if (sr.status == StartupStatus::ReadFailed) {
        std::fprintf(err, "kavlo: the album information file could not be read\n");
        return 255;
    }
    if (sr.status != StartupStatus::Ready) {
        const std::string reason =
            platform.stopReason().empty() ? "start-up was cancelled" : platform.stopReason();
        std::fprintf(err, "kavlo: %s\n", reason.c_str());
        return 1;
    }
    return std::nullopt;
}

/// What the settings file remembers besides the settings: the Exif caption place (as
/// the main window reads it when it opens) and the last input folder.
void readRemembered(const std::string& path, ExifCaptionPlace& exifpos, std::string& inputdir) {
    ResourceValues values;
    if (!fileExists(path) || !values.load(path)) return;
    std::string text;
    if (values.find("exifpos", text)) {
        try {
            exifpos = static_cast<ExifCaptionPlace>(values.getInt("exifpos"));
        } catch (...) {}
    }
    if (values.find("inputdir", text)) inputdir = repairUtf8(text);
}

}  // namespace

int runInTerminal(const ProgramOptions& options, const StartupEnvironment& env, std::FILE* err,
                  std::FILE* out) {
    const bool tty = isatty(fileno(err)) != 0;
    const auto style = options.quiet ? TerminalProgress::Style::Quiet
                       : tty         ? TerminalProgress::Style::Terminal
                                     : TerminalProgress::Style::Log;
    TerminalProgress progress(err, style, tty ? TerminalProgress::columnsOf(err) : 80);
    TerminalPlatform platform(options.answers, err, options.quiet);
    platform.setBeforeMessage([&progress] { progress.interrupt(); });
    // What the lower layers report (a photo that cannot be decoded, a settings file
    // that does not parse) is printed as always, with the progress line put aside
    // first. Every report of a run arrives on this thread: the images' diagnostics are
    // told by the run when it takes each image.
    const ScopedDiagnosticSink diagnostics([&progress](const Diagnostic& d) {
        progress.interrupt();
        printDiagnostic(d);
    });

    AlbumModel model;
    bool openedAlbum = false;
    if (auto status = startUp(options, env, platform, model, openedAlbum, err)) return *status;
    const auto exifpos = applyCommandLine(options, model, platform);

    AlbumRenderer renderer(model);
    if (options.jobs > 0) renderer.setJobs(options.jobs);
    MainDialogOptions mo;
    mo.settingsPath = env.settingsPath;
    mo.unattended = true;  // nobody can press Start in the terminal
    mo.openedAlbum = openedAlbum;
    MainDialog dialog(platform, model, renderer, mo);
    dialog.open();
    if (exifpos) dialog.setExifpos(*exifpos);

    const StartOutcome outcome = dialog.pressStart();
    if (outcome != StartOutcome::Started) {
        std::string reason = platform.stopReason();
        if (outcome == StartOutcome::Unwritable) reason = "the destination cannot be written";
        if (outcome == StartOutcome::NoImages) reason = "the input folder holds no images";
        if (reason.empty()) reason = "the album was not generated";
        std::fprintf(err, "kavlo: %s\n", reason.c_str());
        return 1;
    }

    const int total = static_cast<int>(model.images.size());
    auto show = [&] { progress.update(renderer.processed(), total, renderer.elapsedSeconds()); };
    show();
    while (dialog.step()) show();
    if (!dialog.done()) {
        progress.interrupt();
        std::fprintf(err, "kavlo: the run stopped before the last image\n");
        return 1;
    }
    progress.finish(renderer.processed(), total, renderer.elapsedSeconds());
    if (renderer.missingWatermarks() > 0)
        std::fprintf(
            err, "Warning: %s\n",
            replaceAll(missingWatermarkText(renderer.missingWatermarks()), "\n\n", " ").c_str());
    if (renderer.failedWrites() > 0) {
        // The album is incomplete: say so rather than report success (a full disk, or
        // a destination that became unwritable during the run).
        std::fprintf(err, "Error: %i album files could not be written to '%s'.\n",
                     renderer.failedWrites(), model.destdir.c_str());
        std::fprintf(err, "Check that the destination can be written and has free space.\n");
        std::fprintf(err, "kavlo: the album is incomplete\n");
        return 1;
    }
    if (!options.quiet)
        std::fprintf(out, "%s/%s\n", model.destdir.c_str(), renderer.startFile().c_str());
    return 0;
}

int printSettings(const ProgramOptions& options, const StartupEnvironment& env, std::FILE* err,
                  std::FILE* out) {
    TerminalPlatform platform(options.answers, err, options.quiet);
    AlbumModel model;
    ExifCaptionPlace exifpos = ExifCaptionPlace::minorCaption;
    std::string remembered;
    readRemembered(env.settingsPath, exifpos, remembered);
    if (options.album.folder.empty()) {
        // No folder: the settings a new album would start from.
        model.settings = newAlbumSettings(env);
        model.settings.templatedir = env.templateDir;
        model.inputdir = remembered;
    } else {
        bool openedAlbum = false;
        if (auto status = startUp(options, env, platform, model, openedAlbum, err)) return *status;
    }
    if (auto place = applyCommandLine(options, model, platform)) exifpos = *place;
    const bool links = !model.settings.linktext.empty() || !model.settings.linkurl.empty();
    std::fputs(settingsFileText(exifpos, model.inputdir, model.settings, links).c_str(), out);
    return std::fflush(out) == 0 ? 0 : 1;
}

}  // namespace kavlo::ui
