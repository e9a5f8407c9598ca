// SPDX-License-Identifier: MIT
// Kavlo in a terminal: the command line of the program, and a whole unattended run
// (start-up, Start, every step with a progress line) without a display.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/startup.h"
#include "ui/terminal_platform.h"

namespace kavlo::ui {

struct ProgramOptions {
    core::CommandLine album;    ///< folder and the "Automation" switch
    bool help = false;          ///< --help
    bool version = false;       ///< --version
    bool noGui = false;         ///< --no-gui
    UnattendedAnswers answers;  ///< --overwrite, --exclude-missing, --add-new
    int jobs = 0;               ///< --jobs N: worker threads; 0 = one per core
    std::string error;          ///< an option that is not known; "" when all are fine
};

ProgramOptions parseProgramOptions(const std::vector<std::string>& args);
/// The text of `kavlo --help`.
std::string usageText();
/// True when a desktop session is reachable (DISPLAY or WAYLAND_DISPLAY set).
bool hasDisplay();

/// Builds the album unattended. Messages go to `err` as "Caption: text"; progress is a
/// single updating line on a terminal, plain lines otherwise. Returns the exit status:
/// 0 when the album was generated, non-zero with a reason on `err` otherwise.
int runInTerminal(const ProgramOptions& options, const core::StartupEnvironment& env,
                  std::FILE* err = stderr);

}  // namespace kavlo::ui
