// SPDX-License-Identifier: MIT
// Start-up: which album this run works on. Reads the command line, asks for a folder,
// recognises a generated album by its album information file, reconciles an opened
// album with the image files that still exist, and fills the AlbumModel. Every
// question goes through the Platform interface.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"
#include "model/album_model.h"

namespace kavlo::core {

/// The album-related part of the command line.
struct CommandLine {
    std::string folder;       ///< first argument that is not a switch; "" when none
    bool unattended = false;  ///< the switch "Automation" was given
};

/// True for "-Automation", "--automation" and "/Automation" in any letter case. The
/// slash form counts only when no folder of that name exists.
bool isAutomationSwitch(const std::string& arg);
/// True for an argument that is a switch rather than a folder: it starts with "-", or
/// it is the slash form of "Automation" as above.
bool isSwitch(const std::string& arg);
/// Splits the arguments (program name excluded) into folder and unattended flag.
/// Switches other than "Automation" are ignored here.
CommandLine parseCommandLine(const std::vector<std::string>& args);

/// What start-up reads from outside the program: environment, clock, files.
struct StartupEnvironment {
    /// Value of an environment variable; empty when unset.
    std::function<std::optional<std::string>(const std::string&)> getenv;
    /// The current local calendar year, 0 when the local time cannot be had.
    std::function<int()> currentYear;
    std::string settingsPath;  ///< the settings file (settingsFilePath())
    std::string templateDir;   ///< root of the template set
};

/// The real environment: process variables, the local clock, the user's settings file
/// and the template set beside the program.
StartupEnvironment systemEnvironment();

/// The footer of a new album: KAVLO_FOOTER when set and not empty, otherwise
/// "© [NAME ]YEAR - Powered by Kavlo" with NAME from KAVLO_FOOTER_NAME.
std::string defaultFooter(const StartupEnvironment& env);

/// The settings of a new album: the defaults, the link from KAVLO_LINK_TXT and
/// KAVLO_LINK_URL, then the keys the settings file holds.
model::AlbumSettings newAlbumSettings(const StartupEnvironment& env);

/// The album information file of a folder: "ext/xml/albuminfo.xml", failing that the
/// older "albuminfo.xml"; "" when the folder holds neither.
std::string albumInfoFileOf(const std::string& folder);

enum class StartupStatus {
    Ready,       ///< the model is filled; show the main window
    Cancelled,   ///< the user ended the program (nothing was written)
    ReadFailed,  ///< the album information file could not be read; exit code -1
};

struct StartupResult {
    StartupStatus status = StartupStatus::Cancelled;
    bool openedAlbum = false;  ///< the album came from an album information file
    bool unattended = false;
};

class Startup {
public:
    Startup(Platform& platform, StartupEnvironment env);

    /// Runs the whole start-up dialogue and fills `model` when it returns Ready.
    StartupResult run(const CommandLine& commandLine, model::AlbumModel& model);

private:
    /// The folder chooser's initial selection on the first pass: the remembered input
    /// folder, or its album when one was generated there.
    std::string rememberedSelection() const;
    /// Fills a new album from an image folder; false when the folder holds no image.
    bool openImageFolder(const std::string& folder, model::AlbumModel& model);
    /// Reads and reconciles an album; status other than Ready ends start-up.
    StartupStatus openAlbum(const std::string& folder, const std::string& infoFile,
                            model::AlbumModel& model);
    /// The missing-images dialogue of an opened album; false when the user ended it.
    bool reconcileMissing(model::AlbumModel& model);
    /// Asks about images of `inputdir` that the album does not hold; adds them on Yes.
    void offerNewImages(model::AlbumModel& model);
    /// The chooser that locates moved images; empty when cancelled.
    std::optional<std::string> locateImages(const model::AlbumModel& model);

    Platform& m_platform;
    StartupEnvironment m_env;
};

}  // namespace kavlo::core
