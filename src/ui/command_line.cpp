// SPDX-License-Identifier: MIT
// Reading the command line and the text of --help.
#include "ui/command_line.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "storage/resource_values.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::ui {

using core::isAutomationSwitch;
using core::parseCommandLine;
using core::Platform;
using core::StartupEnvironment;
using core::systemEnvironment;
using model::AlbumModel;
using model::ExifCaptionPlace;
using storage::ResourceValues;
using util::dataFolder;
using util::fileExists;
using util::repairUtf8;

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

/// A whole number from 1 to 256; anything else is refused, not guessed.
std::optional<int> jobCount(const std::string& value) {
    bool ok = !value.empty() && value.size() <= 3;
    for (char c : value) ok = ok && c >= '0' && c <= '9';
    if (!ok) return std::nullopt;
    const int n = std::atoi(value.c_str());
    if (n < 1 || n > 256) return std::nullopt;
    return n;
}

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

}  // namespace

const SettingChoices& installedChoices() {
    static const SettingChoices choices = SettingChoices::fromTemplates(dataFolder() + "templates");
    return choices;
}

ProgramOptions parseProgramOptions(const std::vector<std::string>& args) {
    return parseProgramOptions(args, installedChoices());
}

ProgramOptions parseProgramOptions(const std::vector<std::string>& args,
                                   const SettingChoices& choices) {
    ProgramOptions o;
    std::vector<std::string> albumArgs;
    auto fail = [&o](const std::string& message) {
        if (o.error.empty()) o.error = message;
    };
    // One key of a named option or of --set; `origin` names it in the error.
    auto setKey = [&](const std::string& origin, const std::string& key, const std::string& value) {
        std::string error;
        if (auto checked = checkSetting(key, value, choices, error)) {
            o.settings.push_back(*checked);
        } else {
            fail(origin + ": " + error);
        }
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "--name=value" is the same as "--name value".
        std::string name = arg;
        std::optional<std::string> attached;
        if (arg.rfind("--", 0) == 0) {
            if (const size_t eq = arg.find('='); eq != std::string::npos) {
                name = arg.substr(0, eq);
                attached = arg.substr(eq + 1);
            }
        }
        const std::string l = lower(name);
        const bool takesValue = isOneOf(
            l, {"--jobs", "--set", "--skin", "--language", "--thumbnail-size", "--main-size",
                "--large-size", "--quality", "--watermark", "--title", "--footer", "--settings"});
        std::string value;
        if (takesValue) {
            if (attached) {
                value = *attached;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                fail(name + " needs a value");
                continue;
            }
        } else if (attached) {
            fail(isOneOf(l, {"--help", "--version", "--no-gui", "--quiet", "--print-settings",
                             "--overwrite", "--exclude-missing", "--add-new", "--strip-location"})
                     ? name + " takes no value"
                     : "unknown option '" + arg + "'");
            continue;
        }
        const std::string origin = name + " " + value;

        if (l == "--jobs") {
            if (auto n = jobCount(value)) o.jobs = *n;
            else fail("--jobs needs a number from 1 to 256, not '" + value + "'");
        } else if (l == "--set") {
            const size_t eq = value.find('=');
            if (eq == std::string::npos || eq == 0) {
                fail("--set needs KEY=VALUE, not '" + value + "'");
            } else {
                setKey("--set " + value, value.substr(0, eq), value.substr(eq + 1));
            }
        } else if (l == "--skin") {
            setKey(origin, "appearance", value);
        } else if (l == "--language") {
            setKey(origin, "language", value);
        } else if (l == "--thumbnail-size") {
            setKey(origin, "ssize", value);
        } else if (l == "--main-size") {
            // WIDTHxHEIGHT, or one number for both.
            const size_t x = lower(value).find('x');
            if (x == std::string::npos) {
                setKey(origin, "msize", value);
            } else {
                setKey(origin, "mhsize", value.substr(0, x));
                setKey(origin, "mvsize", value.substr(x + 1));
            }
        } else if (l == "--large-size") {
            setKey(origin, "large", "yes");
            setKey(origin, "lsize", value);
        } else if (l == "--quality") {
            for (const char* key : {"squality", "mquality", "lquality"}) setKey(origin, key, value);
        } else if (l == "--watermark") {
            if (value.empty()) {
                fail("--watermark needs a text (--set imagetext=no turns watermarks off)");
            } else {
                setKey(origin, "imagetext", "yes");
                setKey(origin, "itfrommicap", "no");
                setKey(origin, "ittext", value);
            }
        } else if (l == "--strip-location") {
            setKey(name, "striplocation", "yes");
        } else if (l == "--title") {
            o.title = repairUtf8(value);
        } else if (l == "--footer") {
            o.footer = repairUtf8(value);
        } else if (l == "--settings") {
            if (value.empty()) {
                fail("--settings needs a file");
            } else {
                std::error_code ec;
                const auto p = std::filesystem::absolute(value, ec);
                o.settingsFile = ec ? value : p.lexically_normal().string();
            }
        } else if (l == "--help" || l == "-h") {
            o.help = true;
        } else if (l == "--version") {
            o.version = true;
        } else if (l == "--no-gui") {
            o.noGui = true;
        } else if (l == "--quiet") {
            o.quiet = true;
        } else if (l == "--print-settings") {
            o.printSettings = true;
        } else if (l == "--overwrite") {
            o.answers.overwrite = true;
        } else if (l == "--exclude-missing") {
            o.answers.excludeMissing = true;
        } else if (l == "--add-new") {
            o.answers.addNew = true;
        } else if (isAutomationSwitch(arg)) {
            albumArgs.push_back(arg);
        } else if (arg.rfind("--", 0) == 0) {
            fail("unknown option '" + arg + "'");
        } else {
            albumArgs.push_back(arg);
        }
    }
    o.album = parseCommandLine(albumArgs);
    return o;
}

std::string usageText() { return usageText(installedChoices()); }

std::string usageText(const SettingChoices& choices) {
    std::string skins;
    for (const auto& [name, display] : choices.skins) skins += (skins.empty() ? "" : ", ") + name;
    if (skins.empty()) skins = "(none found)";
    return "Usage: kavlo [FOLDER] [-Automation] [OPTIONS]\n"
           "Builds a web photo album from a folder of photos (JPEG, TIFF, HEIC/HEIF, AVIF,\n"
           "PNG, WebP), or re-opens an album.\n"
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
           "  --quiet           print errors only: no progress, no messages and not the\n"
           "                    path of the finished album\n"
           "  --help            show this text\n"
           "  --version         show the version\n"
           "\n"
           "Settings of this run (later options win over earlier ones):\n"
           "  --set KEY=VALUE   set one key of the settings file (keys below) in place of\n"
           "                    the settings file's or the album's own value; repeat it\n"
           "                    for more keys. Values are checked as the Options window\n"
           "                    checks them: a size out of range is corrected, with its\n"
           "                    message; an unknown key or a bad value stops Kavlo with\n"
           "                    exit status 2 before anything is written\n"
           "  --skin NAME       the album's skin: " +
           skins +
           "\n"
           "  --language CODE   the language of the album pages (list below)\n"
           "  --thumbnail-size N\n"
           "                    thumbnail width and height in pixels\n"
           "  --main-size WxH   main image width and height (one number sets both)\n"
           "  --large-size N    large image width and height; turns large images on\n"
           "  --quality Q       JPEG quality of all images, 1 to 100\n"
           "  --watermark TEXT  stamp TEXT into the main and large images\n"
           "  --strip-location  published copies of the photos (copyhires) leave out\n"
           "                    their GPS position\n"
           "  --title TEXT      the album's title\n"
           "  --footer TEXT     the album's footer\n"
           "  --settings FILE   read and save the settings in FILE instead of the user's\n"
           "                    settings file; FILE must exist\n"
           "  --print-settings  print the settings a run with these options would use, in\n"
           "                    the settings file's form (with linktext and linkurl when\n"
           "                    the album has a link), and exit; writes nothing\n"
           "\n" +
           settingKeysHelp(choices) +
           "\n"
           "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set, or one that cannot\n"
           "be opened, which is said in one line) or with --no-gui, Kavlo runs in the\n"
           "terminal: it asks nothing, prints every message to standard error as\n"
           "'Caption: text' and shows its progress there: on a terminal one line with a\n"
           "bar, the photos done of the total, photos per second and the time left;\n"
           "otherwise (a log) one line at most every 10% or 10 seconds. At the end it\n"
           "prints the path of the album's start page (index.html, or slideshow.alb for\n"
           "the photo-frame footer word) on standard output.\n"
           "Answers that could lose work are never assumed: an existing album is replaced\n"
           "only with --overwrite, missing images stop the run unless --exclude-missing is\n"
           "given, and new photos are added only with --add-new. A folder without photos\n"
           "stops the run.\n"
           "\n"
           "Like Start in the window, a terminal run that begins generating saves the\n"
           "settings it uses, those of the command line included, to the settings file\n"
           "(FILE of --settings), where the next run finds them; a run that stops before\n"
           "generating leaves the file as it was.\n"
           "\n"
           "The exit status is 0 when the album was generated, 2 when the command line is\n"
           "refused (nothing is written then), and another non-zero value otherwise.\n"
           "\n"
           "Environment: KAVLO_FOOTER (footer of a new album), KAVLO_FOOTER_NAME (name in\n"
           "the default footer), KAVLO_LINK_TXT and KAVLO_LINK_URL (the album's link).\n"
           "Settings are kept in $XDG_CONFIG_HOME/kavlo/kavlo_settings.xml.\n";
}

StartupEnvironment runEnvironment(const ProgramOptions& options) {
    StartupEnvironment env = systemEnvironment();
    if (!options.settingsFile.empty()) env.settingsPath = options.settingsFile;
    return env;
}

std::string checkSettingsFile(const ProgramOptions& options) {
    const std::string& path = options.settingsFile;
    if (path.empty()) return {};
    if (!fileExists(path)) {
        return "the settings file '" + path +
               "' does not exist (kavlo --print-settings > FILE writes one)";
    }
    ResourceValues values;
    if (!values.load(path)) return "the settings file '" + path + "' cannot be read";
    return {};
}

std::optional<ExifCaptionPlace> applyCommandLine(const ProgramOptions& options, AlbumModel& model,
                                                 Platform& platform) {
    if (options.title) model.title = *options.title;
    if (options.footer) model.footer = *options.footer;
    return applySettingOverrides(options.settings, model.settings, model, platform,
                                 model.settings.templatedir + "/js2/ext/css");
}

}  // namespace kavlo::ui
