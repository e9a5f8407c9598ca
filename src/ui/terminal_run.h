// SPDX-License-Identifier: MIT
// Kavlo in a terminal: a whole unattended run (start-up, the command line's settings,
// Start, every step with its progress) without a display, and --print-settings.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/startup.h"
#include "ui/command_line.h"
#include "ui/terminal_platform.h"

namespace kavlo::ui {

/// Builds the album unattended. Messages go to `err` as "Caption: text", with the
/// progress (a line redrawn in place when `err` is a terminal, plain lines otherwise);
/// the path of the album's start page goes to `out`. Returns the exit status: 0 when
/// the album was generated, non-zero with a reason on `err` otherwise.
int runInTerminal(const ProgramOptions& options, const core::StartupEnvironment& env,
                  std::FILE* err = stderr, std::FILE* out = stdout);

/// --print-settings: the settings file's text for the settings a run with `options`
/// would use (the album's when FOLDER is an album, a new album's otherwise, with the
/// command line's settings) on `out`; writes no file. Returns the exit status.
int printSettings(const ProgramOptions& options, const core::StartupEnvironment& env,
                  std::FILE* err = stderr, std::FILE* out = stdout);

}  // namespace kavlo::ui
