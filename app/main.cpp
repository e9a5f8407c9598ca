// SPDX-License-Identifier: MIT
// kavlo: builds a web photo album from a folder of photos.
//
// With a display the Qt front end runs (when it is built); without one, with one that
// cannot be opened, or with --no-gui, the album is built unattended in the terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "ui/command_line.h"
#include "ui/display_check.h"
#include "ui/terminal_run.h"

#ifdef KAVLO_WITH_QT
#include "qt/qt_main.h"
#endif

int main(int argc, char** argv) {
    using namespace kavlo::ui;
    std::vector<std::string> args(argv + 1, argv + argc);
    const ProgramOptions options = parseProgramOptions(args);
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("Kavlo %s\n", KAVLO_VERSION);
        return 0;
    }
    // A command line that is refused stops the program before anything is written.
    std::string error = options.error;
    if (error.empty()) error = checkSettingsFile(options);
    if (!error.empty()) {
        std::fprintf(stderr, "kavlo: %s\nTry 'kavlo --help' for more information.\n",
                     error.c_str());
        return 2;
    }
    const kavlo::core::StartupEnvironment env = runEnvironment(options);
    if (options.printSettings) return printSettings(options, env);
#ifdef KAVLO_WITH_QT
    if (!options.noGui) {
        const DisplayCheck display = checkDisplay();
        if (display.usable) return kavlo::qt::runQtFrontEnd(argc, argv, options);
        if (!display.notice.empty() && !options.quiet)
            std::fprintf(stderr, "kavlo: %s\n", display.notice.c_str());
    }
#endif
    return runInTerminal(options, env);
}
