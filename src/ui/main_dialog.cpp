// SPDX-License-Identifier: MIT
// Main window logic: Start, Step, progress texts, Show Album and Quit.
#include "ui/main_dialog.h"

#include <utility>

#include "core/caption_extraction.h"
#include "core/image_pipeline.h"
#include "core/published_originals.h"
#include "storage/resource_values.h"
#include "storage/settings_file.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::ui {

using core::albumImageName;
using core::AlbumRenderer;
using core::ExifOrientations;
using core::FolderChoice;
using core::FolderRequest;
using core::generate;
using core::locationNotice;
using core::makeMessage;
using core::Message;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using core::MessageTopic;
using core::Platform;
using core::setExifCaptions;
using model::AlbumModel;
using model::ExifCaptionPlace;
using storage::ResourceValues;
using storage::saveSettingsFile;
using util::createFolder;
using util::fileExists;
using util::folderExists;
using util::format;
using util::isFolderWritable;
using util::listImages;
using util::parentFolderOf;
using util::photoFormatNames;
using util::stripTrailingSeparator;

namespace {

// Makes the album destination when it is missing, but only the destination itself: a
// parent that is missing too means a mistyped path far more often than a wish for a
// chain of new folders.
bool makeDestination(const std::string& destination) {
    if (destination.empty()) return false;
    if (folderExists(destination)) return true;
    std::string parent = parentFolderOf(stripTrailingSeparator(destination));
    if (parent.empty()) parent = destination[0] == '/' ? "/" : ".";
    return folderExists(parent) && createFolder(destination);
}

}  // namespace

std::string missingWatermarkText(int images) {
    return format("The watermark could not be stamped on %i %s: %s written without it.\n\n"
                  "Choose a font in the watermark settings that has the characters of the text.",
                  images, images == 1 ? "image" : "images", images == 1 ? "it was" : "they were");
}

std::string progressWindowTitle(double percent) { return format("Kavlo  [%.0f%%]", percent); }

MainDialog::MainDialog(Platform& platform, AlbumModel& model, AlbumRenderer& renderer,
                       MainDialogOptions options)
    : m_platform(platform), m_model(model), m_renderer(renderer), m_options(std::move(options)) {}

bool MainDialog::open() {
    m_state.titleText = m_model.title;
    m_state.footerText = m_model.footer;
    m_state.destinationText = m_model.destdir;
    m_state.progressVisible = false;
    m_state.progressLeft = " ";
    ResourceValues values;
    if (fileExists(m_options.settingsPath) && values.load(m_options.settingsPath)) {
        std::string text;
        if (values.find("exifpos", text)) {
            try {
                m_exifpos = static_cast<ExifCaptionPlace>(values.getInt("exifpos"));
            } catch (...) {}
        }
    }
    return m_options.unattended;
}

void MainDialog::setTitleText(const std::string& text) {
    if (!m_state.editsReadOnly) m_state.titleText = text;
}

void MainDialog::setFooterText(const std::string& text) {
    if (!m_state.editsReadOnly) m_state.footerText = text;
}

void MainDialog::changeDestination() {
    for (;;) {
        FolderRequest req;
        req.title = "Select directory for the generated photo album.";
        req.initialSelection = m_model.destdir;
        req.newFolderButton = true;
        FolderChoice choice = m_platform.chooseFolder(req);
        if (choice.cancelled) return;
        if (choice.path.empty()) {
            m_platform.messageBox(
                makeMessage("Invalid destination folder selected.\n\nPlease try again.", "Warning",
                            MessageButtons::Ok, MessageIcon::Warning));
            continue;
        }
        std::string path = stripTrailingSeparator(choice.path);
        m_model.destdir = path.empty() ? choice.path : path;
        m_state.destinationText = m_model.destdir;
        return;
    }
}

void MainDialog::openInputFolder() { m_platform.openWithDefaultProgram(m_model.inputdir); }

void MainDialog::editorShown(AlbumEditorControl* editor) {
    if (!m_editorOpened) m_editorAutorotate = m_model.settings.autorotate;
    m_editor = editor;
    m_editorOpened = true;
}

bool MainDialog::editorNeedsAutorotateRefresh() {
    if (!m_editorOpened) return false;
    const bool changed = m_editorAutorotate != m_model.settings.autorotate;
    m_editorAutorotate = m_model.settings.autorotate;
    return changed;
}

StartOutcome MainDialog::pressStart() {
    if (m_done) {
        m_platform.openWithDefaultProgram(m_model.destdir + "/index.html");
        m_closed = true;
        return StartOutcome::ShowedAlbum;
    }
    if (m_running) return StartOutcome::Started;

    // 1. Another album in the destination is only overwritten when the user agrees.
    if (!m_options.openedAlbum && (fileExists(m_model.destdir + "/ext/xml/albuminfo.xml") ||
                                   fileExists(m_model.destdir + "/albuminfo.xml"))) {
        Message m = makeMessage("You are about to overwrite a previously generated album in\n" +
                                    m_model.destdir + ".\n\nDo you want to continue?",
                                "Warning", MessageButtons::YesNo, MessageIcon::Warning,
                                MessageTopic::OverwriteAlbum);
        if (m_platform.messageBox(m) != MessageAnswer::Yes) return StartOutcome::Declined;
    }
    // 2. The editor window goes away during the run.
    if (m_editor) m_editor->hideWindow();
    // 3. The destination must exist and take files; a folder that exists but cannot be
    //    written would otherwise give an empty album reported as done.
    const bool created = makeDestination(m_model.destdir);
    if (!created || !isFolderWritable(m_model.destdir)) {
        m_platform.messageBox(
            makeMessage("Please change the album destination to a writable directory.", "Error",
                        MessageButtons::Ok, MessageIcon::Warning));
        return StartOutcome::Unwritable;
    }
    // 4. The input folder must still hold images. Checked before the controls change for
    //    the run, so that the warning is read over the idle window, without the wait
    //    cursor.
    if (listImages(m_model.inputdir, false).empty()) {
        m_platform.messageBox(makeMessage(std::string("No photos (") + photoFormatNames() +
                                              ") were found in the specified directory.\n\n"
                                              "Kavlo will exit.",
                                          "Warning", MessageButtons::Ok, MessageIcon::Warning));
        m_closed = true;
        return StartOutcome::NoImages;
    }
    // 5. No thumbnail loading while images are written.
    if (m_editor) m_editor->stopBackgroundWork();
    // 6. Controls for the run.
    m_platform.setWaitCursor(true);
    m_state.waitCursor = true;
    m_state.startEnabled = false;
    m_state.editAlbumEnabled = m_state.editAlbumVisible = false;
    m_state.optionsEnabled = m_state.optionsVisible = false;
    m_state.aboutEnabled = m_state.aboutVisible = false;
    m_state.editsReadOnly = true;
    m_state.changeVisible = false;
    m_state.progressVisible = true;
    // 7. Texts from the edits.
    m_model.title = m_state.titleText;
    m_model.footer = m_state.footerText;
    // 8. Exif captions for an album made in this run whose captions were not edited.
    if (!m_editorOpened && m_exifpos != ExifCaptionPlace::none && !m_options.openedAlbum) {
        // The orientations read with the captions serve the run: one Exif read per photo.
        ExifOrientations orientations;
        setExifCaptions(m_model, -1, m_exifpos == ExifCaptionPlace::majorCaption, &orientations);
        m_renderer.useKnownOrientations(std::move(orientations));
    }
    // 9. Remember the choices for the next run.
    if (!m_options.settingsPath.empty()) {
        saveSettingsFile(m_options.settingsPath, m_exifpos, m_model.inputdir, m_model.settings);
    }
    // 10. Originals about to be published with the place they were taken: said once.
    if (auto notice = locationNotice(m_model)) m_platform.notify(*notice);
    // 11. Album information file, folders and the first image.
    m_running = true;
    updateProgress();
    generate(m_model, m_renderer);
    updateProgress();
    if (m_renderer.finished()) finishRun();
    return StartOutcome::Started;
}

bool MainDialog::step() {
    if (!m_running) return false;
    if (!m_done) {
        const bool more = m_renderer.step();
        updateProgress();
        if (more) return true;
    }
    finishRun();
    return false;
}

void MainDialog::finishRun() {
    if (m_done) return;
    m_done = true;
    m_running = false;
    if (m_options.unattended) {
        m_closed = true;
    } else {
        m_state.startText = "Show Album";
        m_state.startEnabled = true;
    }
    m_platform.setWaitCursor(false);
    m_state.waitCursor = false;
    // Files that could not be written (a full disk, a destination that went away) leave
    // the album incomplete; an unattended run reports this through its exit status.
    if (m_renderer.failedWrites() > 0 && !m_options.unattended) {
        m_platform.messageBox(makeMessage(
            format("%i album files could not be written to '%s'.\n\nThe album is incomplete. "
                   "Check that the destination can be written and has free space, then start "
                   "again.",
                   m_renderer.failedWrites(), m_model.destdir.c_str()),
            "Error", MessageButtons::Ok, MessageIcon::Error));
    }
    if (m_renderer.missingWatermarks() > 0 && !m_options.unattended)
        m_platform.messageBox(makeMessage(missingWatermarkText(m_renderer.missingWatermarks()),
                                          "Warning", MessageButtons::Ok, MessageIcon::Warning));
}

std::string MainDialog::photoSummary() const {
    const std::size_t n = m_model.images.size();
    const std::string count = n == 0   ? std::string("No photos")
                              : n == 1 ? std::string("1 photo")
                                       : format("%zu photos", n);
    return m_model.inputdir.empty() ? count : count + " in " + m_model.inputdir;
}

std::vector<std::string> MainDialog::albumThumbnails(int count, bool mainImages) const {
    std::vector<std::string> paths;
    if (!m_done) return paths;
    const model::AlbumSettings& s = m_model.settings;
    const std::string folder =
        m_model.destdir + "/" + (s.small && !mainImages ? s.sdir : s.mdir) + "/";
    for (int i = 0;
         i < static_cast<int>(m_model.images.size()) && static_cast<int>(paths.size()) < count;
         ++i) {
        const std::string path = folder + albumImageName(s, m_model.images[i], i);
        if (fileExists(path)) paths.push_back(path);
    }
    return paths;
}

bool MainDialog::requestQuit() {
    if (!m_done && m_editorOpened) {
        Message m =
            makeMessage("Quitting Kavlo will discard all captions etc.\n\nDo you want to quit?",
                        "Quit", MessageButtons::YesNo, MessageIcon::Question, MessageTopic::Quit);
        m.defaultAnswer = MessageAnswer::No;
        if (m_platform.messageBox(m) != MessageAnswer::Yes) return false;
    }
    m_closed = true;
    return true;
}

void MainDialog::updateProgress() {
    const double p = m_renderer.percentDone();
    if (p > 0) {
        m_state.progressLeft =
            p < 100 ? format("Remaining time: %.0f sec", m_renderer.remainingSeconds()) : " ";
        m_state.windowTitle = progressWindowTitle(p);
    }
    m_state.progressRight = format("%.0f%% completed", p);
    if (p > 0) {
        m_state.progressCentre = format(
            "Total time: %.0f sec", m_renderer.elapsedSeconds() + m_renderer.remainingSeconds());
    }
    m_state.progressPosition = static_cast<int>(p);
}

}  // namespace kavlo::ui
