// SPDX-License-Identifier: MIT
// The desktop front end: start-up with real dialogs, then the main window.
#pragma once

#include "ui/terminal_run.h"

namespace kavlo::qt {

/// Runs Kavlo on the desktop: start-up asks with Qt dialogs, then the main window
/// shows until the album is shown, the run ends unattended, or the user quits.
/// Returns the exit status: 0; 255 when an album information file could not be read; 1
/// when an unattended run did not make the whole album.
int runQtFrontEnd(int argc, char** argv, const ui::ProgramOptions& options);

}  // namespace kavlo::qt
