// SPDX-License-Identifier: MIT
// Start-up dialogue: folder choice, album recognition and reconciliation.
#include "core/startup.h"

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "storage/album_info.h"
#include "storage/resource_values.h"
#include "storage/settings_file.h"
#include "util/files.h"
#include "util/text.h"

namespace kavlo::core {

using model::AlbumModel;
using model::AlbumSettings;
using model::defaultAlbumSettings;
using storage::readAlbumInfo;
using storage::readSettings;
using storage::ResourceValues;
using storage::settingsFilePath;
using util::dataFolder;
using util::fileExists;
using util::FileList;
using util::folderExists;
using util::folderNameOf;
using util::format;
using util::listImages;
using util::parentFolderOf;
using util::photoFormatNames;
using util::repairUtf8;
using util::stripTrailingSeparator;

namespace {

std::string lowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string welcomeTitle() {
    return std::string("Welcome to Kavlo.\nSelect a folder of photos (") + photoFormatNames() +
           ") to build a Kavlo album.\nAlternatively, select a Kavlo album folder for editing.";
}

}  // namespace

bool isAutomationSwitch(const std::string& arg) {
    const std::string lower = lowerCase(arg);
    if (lower == "-automation" || lower == "--automation") return true;
    return lower == "/automation" && !folderExists(arg);
}

bool isSwitch(const std::string& arg) {
    if (arg.empty()) return false;
    if (arg[0] == '-') return true;
    return isAutomationSwitch(arg);
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool haveFolder = false;
    for (const std::string& arg : args) {
        if (isSwitch(arg)) {
            if (isAutomationSwitch(arg)) cl.unattended = true;
            continue;
        }
        if (!haveFolder) {
            // Album files store full paths, so a relative folder is made absolute: the
            // album must reopen from any working folder.
            std::error_code ec;
            std::filesystem::path p = std::filesystem::absolute(arg, ec);
            std::string folder = ec ? arg : p.lexically_normal().string();
            cl.folder = stripTrailingSeparator(folder);
            if (cl.folder.empty()) cl.folder = folder;  // "/" stays "/"
            haveFolder = true;
        }
    }
    return cl;
}

StartupEnvironment systemEnvironment() {
    StartupEnvironment env;
    env.getenv = [](const std::string& name) -> std::optional<std::string> {
        const char* v = std::getenv(name.c_str());
        if (!v) return std::nullopt;
        return std::string(v);
    };
    env.currentYear = []() {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) return 0;
        return local.tm_year + 1900;
    };
    env.settingsPath = settingsFilePath();
    env.templateDir = dataFolder() + "templates";
    return env;
}

namespace {
std::string envValue(const StartupEnvironment& env, const char* name) {
    if (!env.getenv) return {};
    return env.getenv(name).value_or(std::string());
}
}  // namespace

std::string defaultFooter(const StartupEnvironment& env) {
    std::string footer = envValue(env, "KAVLO_FOOTER");
    if (!footer.empty()) return footer;
    std::string name = envValue(env, "KAVLO_FOOTER_NAME");
    if (!name.empty()) name += " ";
    const int year = env.currentYear ? env.currentYear() : 0;
    return "\xC2\xA9 " + name + std::to_string(year) + " - Powered by Kavlo";
}

AlbumSettings newAlbumSettings(const StartupEnvironment& env) {
    AlbumSettings settings = defaultAlbumSettings();
    settings.linktext = envValue(env, "KAVLO_LINK_TXT");
    settings.linkurl = envValue(env, "KAVLO_LINK_URL");
    // Keys present in the file win over the defaults and over the environment's link
    // (the file Start saves holds no link keys, so there the environment's survives).
    if (fileExists(env.settingsPath)) readSettings(settings, env.settingsPath);
    return settings;
}

std::string albumInfoFileOf(const std::string& folder) {
    const std::string current = folder + "/ext/xml/albuminfo.xml";
    if (fileExists(current)) return current;
    const std::string older = folder + "/albuminfo.xml";
    if (fileExists(older)) return older;
    return {};
}

Startup::Startup(Platform& platform, StartupEnvironment env)
    : m_platform(platform), m_env(std::move(env)) {}

std::string Startup::rememberedSelection() const {
    ResourceValues values;
    if (!fileExists(m_env.settingsPath) || !values.load(m_env.settingsPath)) return {};
    std::string inputdir;
    if (!values.find("inputdir", inputdir)) return {};
    inputdir = repairUtf8(inputdir);
    if (!inputdir.empty() && fileExists(inputdir + "/album/index.html")) return inputdir + "/album";
    return inputdir;
}

StartupResult Startup::run(const CommandLine& commandLine, AlbumModel& model) {
    StartupResult result;
    result.unattended = commandLine.unattended;

    std::string selected = commandLine.folder;
    bool fromCommandLine = !selected.empty();
    std::string initial;
    bool firstChoice = true;

    for (;;) {
        if (!fromCommandLine) {
            if (firstChoice) initial = rememberedSelection();
            FolderRequest req;
            req.title = welcomeTitle();
            req.initialSelection = initial;
            req.newFolderButton = false;
            FolderChoice choice = m_platform.chooseFolder(req);
            if (choice.cancelled) return result;  // Cancelled
            selected = stripTrailingSeparator(choice.path);
            if (selected.empty()) selected = choice.path;
        }
        fromCommandLine = false;
        firstChoice = false;
        initial = selected;

        const std::string infoFile = albumInfoFileOf(selected);
        if (!infoFile.empty()) {
            StartupStatus st = openAlbum(selected, infoFile, model);
            result.status = st;
            result.openedAlbum = (st == StartupStatus::Ready);
            break;
        }
        if (openImageFolder(selected, model)) {
            result.status = StartupStatus::Ready;
            result.openedAlbum = false;
            break;
        }
    }
    if (result.status == StartupStatus::Ready) model.settings.templatedir = m_env.templateDir;
    return result;
}

bool Startup::openImageFolder(const std::string& folder, AlbumModel& model) {
    int emptyCount = 0;
    FileList images = listImages(folder, false, &emptyCount);
    if (images.empty()) {
        m_platform.messageBox(makeMessage(std::string("No photos (") + photoFormatNames() +
                                              ") were found in '" + folder + "'.\n\nTry again.",
                                          "Warning", MessageButtons::Ok, MessageIcon::Warning));
        return false;
    }
    if (emptyCount == 1) {
        m_platform.messageBox(
            makeMessage("An empty image file was found and excluded from the album.", "Information",
                        MessageButtons::Ok, MessageIcon::Information));
    } else if (emptyCount > 1) {
        m_platform.messageBox(makeMessage(
            format("%i empty image files were found and excluded from the album.", emptyCount),
            "Information", MessageButtons::Ok, MessageIcon::Information));
    }

    model = AlbumModel();
    model.title = folderNameOf(folder);
    model.footer = defaultFooter(m_env);
    model.rendererKind = "default";
    model.settings = newAlbumSettings(m_env);
    model.inputdir = folder;
    model.destdir = folder + "/album";
    model.appendFiles(images);
    return true;
}

StartupStatus Startup::openAlbum(const std::string& folder, const std::string& infoFile,
                                 AlbumModel& model) {
    model = AlbumModel();
    if (!readAlbumInfo(model, infoFile)) {
        m_platform.messageBox(makeMessage("Could not read album settings.", "Error",
                                          MessageButtons::Ok, MessageIcon::Error));
        return StartupStatus::ReadFailed;
    }
    model.inputdir = model.images.empty() ? std::string() : parentFolderOf(model.images[0].path);
    model.destdir = folder;
    model.settings.reuseimages = true;

    if (!reconcileMissing(model)) return StartupStatus::Cancelled;
    offerNewImages(model);
    return StartupStatus::Ready;
}

std::optional<std::string> Startup::locateImages(const AlbumModel& model) {
    FolderRequest req;
    req.title = "Please locate the original image files for the album\n'" + model.title +
                "'.\nPress Cancel to exit Kavlo.";
    req.initialSelection = model.destdir;
    req.newFolderButton = false;
    FolderChoice choice = m_platform.chooseFolder(req);
    if (choice.cancelled) return std::nullopt;
    std::string path = stripTrailingSeparator(choice.path);
    return path.empty() ? choice.path : path;
}

bool Startup::reconcileMissing(AlbumModel& model) {
    const std::string allMissingText =
        "All images are missing. Kavlo can not create an empty album.\n\n"
        "Press OK to search for images.\nPress Cancel to exit Kavlo.";
    for (;;) {
        bool searchNow = false;
        if (model.images.empty()) {
            // An album that lists no image (or has lost all of them) is treated as one
            // whose images are all missing: it can only go on from a folder of images.
            MessageAnswer a = m_platform.messageBox(
                makeMessage(allMissingText, "Information", MessageButtons::OkCancel,
                            MessageIcon::Information, MessageTopic::AllImagesMissing));
            if (a != MessageAnswer::Ok) return false;
            searchNow = true;
        } else {
            auto [allPresent, missing] = model.checkMissing(false);
            if (allPresent) return true;
            const std::string text =
                "Not all original image files for this album could be located in\n'" +
                model.inputdir + "'.\n" +
                format("(%i of %i images missing.)\n\n", missing,
                       static_cast<int>(model.images.size())) +
                "Press OK to search for images.\nPress Cancel to exclude missing images.";
            MessageAnswer a = m_platform.messageBox(
                makeMessage(text, "Information", MessageButtons::OkCancel, MessageIcon::Information,
                            MessageTopic::MissingImages));
            if (a == MessageAnswer::Ok) {
                searchNow = true;
            } else {
                model.checkMissing(true);
                model.settings.reuseimages = false;
                if (!model.images.empty()) return true;
                continue;  // the "All images are missing" question comes next
            }
        }
        if (searchNow) {
            std::optional<std::string> folder = locateImages(model);
            if (!folder) return false;
            if (model.images.empty()) {
                // Nothing to re-base: the chosen folder becomes the input folder and its
                // images may be added.
                model.inputdir = *folder;
                offerNewImages(model);
            } else {
                model.relocate(*folder);
                model.inputdir = parentFolderOf(model.images[0].path);
            }
        }
    }
}

void Startup::offerNewImages(AlbumModel& model) {
    if (model.inputdir.empty()) return;
    const int n = model.countNewImages(model.inputdir, false);
    if (n <= 0) return;
    const std::string text =
        n == 1 ? std::string("One image in the input directory is either new or has previously "
                             "been excluded.\n\nShould it be added to the album now?")
               : format("%i images in the input directory are either new or have previously "
                        "been excluded.\n\nShould these be added to the album now?",
                        n);
    MessageAnswer a =
        m_platform.messageBox(makeMessage(text, "New images found", MessageButtons::YesNo,
                                          MessageIcon::Information, MessageTopic::NewImages));
    if (a == MessageAnswer::Yes) model.countNewImages(model.inputdir, true);
}

}  // namespace kavlo::core
