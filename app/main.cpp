// SPDX-License-Identifier: MIT
// kavlo: builds a web photo album from a folder of photos.
//
// With a display the Qt front end runs (when it is built); without one, or with
// --no-gui, the album is built unattended in the terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "core/startup.h"
#include "ui/terminal_run.h"

#ifdef KAVLO_WITH_QT
#include "qt/qt_main.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const kavlo::ui::ProgramOptions options = kavlo::ui::parseProgramOptions(args);
    if (options.help) {
        std::fputs(kavlo::ui::usageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("Kavlo %s\n", KAVLO_VERSION);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "kavlo: %s\n\n%s", options.error.c_str(),
                     kavlo::ui::usageText().c_str());
        return 2;
    }
#ifdef KAVLO_WITH_QT
    if (!options.noGui && kavlo::ui::hasDisplay())
        return kavlo::qt::runQtFrontEnd(argc, argv, options);
#endif
    return kavlo::ui::runInTerminal(options, kavlo::core::systemEnvironment());
}
