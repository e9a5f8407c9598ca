// SPDX-License-Identifier: MIT
// Unattended album generation in a terminal.
#include "ui/terminal_run.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include "core/album_renderer.h"
#include "ui/main_dialog.h"
#include "util/files.h"

namespace kavlo::ui {

using core::AlbumRenderer;
using core::isAutomationSwitch;
using core::parseCommandLine;
using core::Startup;
using core::StartupEnvironment;
using core::StartupResult;
using core::StartupStatus;
using model::AlbumModel;

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

ProgramOptions parseProgramOptions(const std::vector<std::string>& args) {
    ProgramOptions o;
    std::vector<std::string> albumArgs;
    auto fail = [&o](const std::string& message) {
        if (o.error.empty()) o.error = message;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string l = lower(arg);
        if (l == "--jobs" || l.rfind("--jobs=", 0) == 0) {
            std::string value;
            if (l == "--jobs") {
                if (i + 1 >= args.size()) {
                    fail("--jobs needs a number");
                    continue;
                }
                value = args[++i];
            } else {
                value = arg.substr(7);
            }
            // A whole number from 1 to 256; anything else is refused, not guessed.
            int n = 0;
            bool ok = !value.empty() && value.size() <= 3;
            for (char c : value) ok = ok && c >= '0' && c <= '9';
            if (ok) n = std::atoi(value.c_str());
            if (!ok || n < 1 || n > 256) {
                fail("--jobs needs a number from 1 to 256, not '" + value + "'");
            } else {
                o.jobs = n;
            }
        } else if (l == "--help" || l == "-h") o.help = true;
        else if (l == "--version") o.version = true;
        else if (l == "--no-gui") o.noGui = true;
        else if (l == "--overwrite") o.answers.overwrite = true;
        else if (l == "--exclude-missing") o.answers.excludeMissing = true;
        else if (l == "--add-new") o.answers.addNew = true;
        else if (isAutomationSwitch(arg)) albumArgs.push_back(arg);
        else if (arg.rfind("--", 0) == 0) fail("unknown option '" + arg + "'");
        else albumArgs.push_back(arg);
    }
    o.album = parseCommandLine(albumArgs);
    return o;
}

std::string usageText() {
    return "Usage: kavlo [FOLDER] [-Automation] [OPTIONS]\n"
           "Builds a web photo album from a folder of JPEG/TIFF photos, or re-opens an album.\n"
           "\n"
           "  FOLDER            a folder of photos (the album goes to FOLDER/album), or an\n"
           "                    album folder made by Kavlo (it is regenerated)\n"
           "  -Automation       start the generation at once and quit when it is done\n"
           "                    (also --automation, or /Automation when no such folder exists)\n"
           "  --no-gui          run in the terminal even when a display is available\n"
           "  --overwrite       replace an album that is already in the destination\n"
           "  --exclude-missing\n"
           "                    leave out album images whose files are gone\n"
           "  --add-new         add photos that are new in the album's input folder\n"
           "  --jobs N          make the album images on N threads (1 to 256; default:\n"
           "                    one per processor core); the album is the same for any N\n"
           "  --help            show this text\n"
           "  --version         show the version\n"
           "\n"
           "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) or with --no-gui,\n"
           "Kavlo runs in the terminal: it asks nothing, prints every message to standard\n"
           "error as 'Caption: text' and shows one progress line. Answers that could lose\n"
           "work are never assumed: an existing album is replaced only with --overwrite,\n"
           "missing images stop the run unless --exclude-missing is given, and new photos\n"
           "are added only with --add-new. A folder without photos stops the run.\n"
           "The exit status is 0 when the album was generated, non-zero otherwise.\n"
           "\n"
           "Environment: KAVLO_FOOTER (footer of a new album), KAVLO_FOOTER_NAME (name in\n"
           "the default footer), KAVLO_LINK_TXT and KAVLO_LINK_URL (the album's link).\n"
           "Settings are kept in $XDG_CONFIG_HOME/kavlo/kavlo_settings.xml.\n";
}

bool hasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

int runInTerminal(const ProgramOptions& options, const StartupEnvironment& env, std::FILE* err) {
    TerminalPlatform platform(options.answers, err);
    AlbumModel model;
    Startup startup(platform, env);
    const StartupResult sr = startup.run(options.album, model);
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

    AlbumRenderer renderer(model);
    if (options.jobs > 0) renderer.setJobs(options.jobs);
    MainDialogOptions mo;
    mo.settingsPath = env.settingsPath;
    mo.unattended = true;  // nobody can press Start in the terminal
    mo.openedAlbum = sr.openedAlbum;
    MainDialog dialog(platform, model, renderer, mo);
    dialog.open();

    const StartOutcome outcome = dialog.pressStart();
    if (outcome != StartOutcome::Started) {
        std::string reason = platform.stopReason();
        if (outcome == StartOutcome::Unwritable) reason = "the destination cannot be written";
        if (outcome == StartOutcome::NoImages) reason = "the input folder holds no images";
        if (reason.empty()) reason = "the album was not generated";
        std::fprintf(err, "kavlo: %s\n", reason.c_str());
        return 1;
    }

    const bool tty = isatty(fileno(err)) != 0;
    auto show = [&](bool last) {
        const MainDialogState& st = dialog.state();
        std::string line = st.progressRight;
        if (!st.progressCentre.empty()) line = st.progressCentre + " | " + line;
        if (st.progressLeft != " ") line = st.progressLeft + " | " + line;
        if (tty) {
            std::fprintf(err, "\r\033[K%s%s", line.c_str(), last ? "\n" : "");
        } else {
            std::fprintf(err, "%s\n", line.c_str());
        }
        std::fflush(err);
    };
    show(dialog.done());
    while (dialog.step()) show(false);
    if (!dialog.done()) {
        std::fprintf(err, "kavlo: the run stopped before the last image\n");
        return 1;
    }
    show(true);
    if (renderer.failedWrites() > 0) {
        // The album is incomplete: say so rather than report success (a full disk, or
        // a destination that became unwritable during the run).
        std::fprintf(err, "Error: %i album files could not be written to '%s'.\n",
                     renderer.failedWrites(), model.destdir.c_str());
        std::fprintf(err, "Check that the destination can be written and has free space.\n");
        std::fprintf(err, "kavlo: the album is incomplete\n");
        return 1;
    }
    std::fprintf(stdout, "%s/index.html\n", model.destdir.c_str());
    return 0;
}

}  // namespace kavlo::ui
