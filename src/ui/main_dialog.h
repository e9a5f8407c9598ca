// SPDX-License-Identifier: MIT
// The main window's behaviour, free of any toolkit: title and footer, the destination,
// Start with its checks, the generation run one image per step with its progress
// texts, Show Album and Quit. Views (Qt window, terminal) draw MainDialogState and
// forward the user's actions; they post step() calls while it returns true.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/album_renderer.h"
#include "core/platform.h"
#include "model/album_model.h"

namespace kavlo::ui {

/// What the main window needs from the album editor, which lives longer than a Start.
class AlbumEditorControl {
public:
    virtual ~AlbumEditorControl() = default;
    /// Hides the editor window (Start does this before the run).
    virtual void hideWindow() = 0;
    /// Stops the background loading of thumbnails and waits for it.
    virtual void stopBackgroundWork() = 0;
};

/// Everything a view shows. Texts of buttons carry their "&" mnemonic.
struct MainDialogState {
    std::string windowTitle = "Kavlo";
    std::string titleText;   ///< the "&Title" edit
    std::string footerText;  ///< the "&Footer" edit
    std::string destinationText = "(output dir)";
    std::string startText = "&Start";
    bool startEnabled = true;
    bool editAlbumVisible = true;
    bool editAlbumEnabled = true;
    bool optionsVisible = true;
    bool optionsEnabled = true;
    bool aboutVisible = true;
    bool aboutEnabled = true;
    bool changeVisible = true;
    bool editsReadOnly = false;
    bool waitCursor = false;
    bool progressVisible = false;
    int progressPosition = 0;        ///< 0..100
    std::string progressLeft = " ";  ///< remaining time
    std::string progressCentre;      ///< total time
    std::string progressRight;       ///< percentage completed
};

struct MainDialogOptions {
    std::string settingsPath;  ///< the settings file rewritten at Start
    bool unattended = false;   ///< start at once and close after the run
    bool openedAlbum = false;  ///< the album came from its album information file
};

enum class StartOutcome {
    Started,      ///< the run has begun; post step() calls
    Declined,     ///< the overwrite question was answered No; nothing changed
    Unwritable,   ///< the destination cannot be written; the dialog stays idle
    NoImages,     ///< the input folder has no images left; the dialog closes
    ShowedAlbum,  ///< after the run: the album was opened and the dialog closes
};

class MainDialog {
public:
    /// `renderer` works on `model`; both must outlive the dialog.
    MainDialog(core::Platform& platform, model::AlbumModel& model, core::AlbumRenderer& renderer,
               MainDialogOptions options);

    /// Initialisation: fills the fields and reads exifpos from the settings file.
    /// Returns true when Start should be posted at once (unattended).
    bool open();

    const MainDialogState& state() const { return m_state; }
    void setTitleText(const std::string& text);
    void setFooterText(const std::string& text);

    /// "change": the destination chooser with its empty-path warning loop.
    void changeDestination();
    /// Double click on the destination: opens the input folder.
    void openInputFolder();
    /// The album editor was shown; `editor` receives hide/stop requests at Start.
    void editorShown(AlbumEditorControl* editor);
    bool editorOpened() const { return m_editorOpened; }
    /// "Edit Album...": true when the editor has been shown before and the auto-rotate
    /// option changed since then, so the editor must be told and refresh its list.
    /// The current value is remembered for the next call.
    bool editorNeedsAutorotateRefresh();

    model::ExifCaptionPlace exifpos() const { return m_exifpos; }
    void setExifpos(model::ExifCaptionPlace value) { m_exifpos = value; }

    /// The Start button: starts the run, or after the run shows the album.
    StartOutcome pressStart();
    /// One generation step. True while another step should be posted.
    bool step();
    bool running() const { return m_running; }
    bool done() const { return m_done; }

    /// Cancel / close box. True when the window may close.
    bool requestQuit();
    /// True once the dialog has decided to close (no images, unattended run over,
    /// Show Album, Quit).
    bool closed() const { return m_closed; }

    /// What the album holds: "12 photos in /the/input/folder" ("1 photo", "No photos").
    std::string photoSummary() const;
    /// After the run: the files of the album's first `count` thumbnails that are on
    /// disk, in album order (its main images with `mainImages` or when it has no
    /// thumbnails, for a sharper picture on a high-density screen); nothing before the
    /// run is done.
    std::vector<std::string> albumThumbnails(int count, bool mainImages = false) const;

    model::AlbumModel& model() { return m_model; }
    core::AlbumRenderer& renderer() { return m_renderer; }

private:
    void updateProgress();
    void finishRun();

    core::Platform& m_platform;
    model::AlbumModel& m_model;
    core::AlbumRenderer& m_renderer;
    MainDialogOptions m_options;
    MainDialogState m_state;
    AlbumEditorControl* m_editor = nullptr;
    model::ExifCaptionPlace m_exifpos = model::ExifCaptionPlace::minorCaption;
    bool m_editorOpened = false;
    bool m_editorAutorotate = true;  ///< auto-rotate value the editor last saw
    bool m_running = false;
    bool m_done = false;
    bool m_closed = false;
};

/// "Kavlo  [50%]" for a run at 50 percent.
std::string progressWindowTitle(double percent);
/// The message after a run in which `images` images could not be watermarked.
std::string missingWatermarkText(int images);

}  // namespace kavlo::ui
