// SPDX-License-Identifier: MIT
// The program's command line: the album folder and its switches, the answers of an
// unattended run, the settings of this run, and the text of `kavlo --help`.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/startup.h"
#include "ui/setting_overrides.h"
#include "ui/terminal_platform.h"

namespace kavlo::ui {

struct ProgramOptions {
    core::CommandLine album;     ///< folder and the "Automation" switch
    bool help = false;           ///< --help
    bool version = false;        ///< --version
    bool noGui = false;          ///< --no-gui
    bool quiet = false;          ///< --quiet: errors only
    bool printSettings = false;  ///< --print-settings
    UnattendedAnswers answers;   ///< --overwrite, --exclude-missing, --add-new
    int jobs = 0;                ///< --jobs N: worker threads; 0 = one per core
    std::string settingsFile;    ///< --settings FILE (absolute); "" for the user's file
    /// --set and the named settings options, in command-line order (later ones win).
    std::vector<SettingOverride> settings;
    std::optional<std::string> title;   ///< --title
    std::optional<std::string> footer;  ///< --footer
    std::string error;  ///< the first option refused, with the reason; "" when all are fine
};

/// Reads the arguments (program name excluded). Settings values are checked against
/// `choices` (the skins and languages of the template set).
ProgramOptions parseProgramOptions(const std::vector<std::string>& args,
                                   const SettingChoices& choices);
/// The same with the choices of the template set beside the program.
ProgramOptions parseProgramOptions(const std::vector<std::string>& args);

/// The text of `kavlo --help`, listing the skins and languages of `choices`.
std::string usageText(const SettingChoices& choices);
/// The same with the choices of the template set beside the program.
std::string usageText();

/// The skins and languages of the template set beside the program.
const SettingChoices& installedChoices();

/// The start-up environment of a run: the process's, with the settings file of
/// --settings when given.
core::StartupEnvironment runEnvironment(const ProgramOptions& options);

/// The settings file named by --settings must exist and be readable: "" when it is
/// (or none was named), otherwise the reason.
std::string checkSettingsFile(const ProgramOptions& options);

/// The command line's title, footer and settings, applied to the album that start-up
/// filled (see applySettingOverrides). Returns the exifpos the command line sets.
std::optional<model::ExifCaptionPlace> applyCommandLine(const ProgramOptions& options,
                                                        model::AlbumModel& model,
                                                        core::Platform& platform);

}  // namespace kavlo::ui
