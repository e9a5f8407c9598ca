// SPDX-License-Identifier: MIT
// The built program in a terminal without a display: exit status, messages on the
// error stream and the unattended answers that never lose work.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "../core/test_support.h"
#include "support/test_photos.h"

namespace kavlo::ui {
namespace {

namespace fs = std::filesystem;
using test::readAll;

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

/// The shell command that runs kavlo with the arguments, no display, a private settings
/// folder and the extra environment `vars` ("NAME=value ...", already quoted).
std::string kavloCommand(const std::string& scratch, const std::vector<std::string>& args,
                         const std::string& vars = {}) {
    std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u KAVLO_FOOTER -u QT_QPA_PLATFORM "
                      "XDG_CONFIG_HOME=" +
                      quote(scratch + "/xdg") + " " + vars + " " + quote(KAVLO_PROGRAM);
    for (const auto& a : args) cmd += " " + quote(a);
    return cmd;
}

/// Runs kavlo with the arguments, no display and a private settings folder.
ProgramRun kavlo(const std::string& scratch, const std::vector<std::string>& args,
                 const std::string& vars = {}) {
    std::string cmd = kavloCommand(scratch, args, vars);
    cmd += " >" + quote(scratch + "/stdout") + " 2>" + quote(scratch + "/stderr") + " </dev/null";
    ProgramRun r;
    const int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = readAll(scratch + "/stdout");
    r.err = readAll(scratch + "/stderr");
    return r;
}

std::string photoFolder(const std::string& root, int count) {
    const std::string dir = root + "/photos";
    fs::create_directories(dir);
    const std::string cam = test::testPhotoFolder("cameras");
    const char* names[] = {"Canon_40D.jpg", "Nikon_D70.jpg", "Pentax_K10D.jpg"};
    for (int i = 0; i < count; ++i) fs::copy_file(cam + names[i], dir + "/" + names[i]);
    return dir;
}

std::map<std::string, test::FileStamp> imageStamps(const std::string& album) {
    std::map<std::string, test::FileStamp> m;
    for (const auto& e : fs::recursive_directory_iterator(album)) {
        if (e.is_regular_file() && e.path().extension() == ".jpg")
            m[e.path()] = test::stampOf(e.path());
    }
    return m;
}

TEST(Terminal, helpAndVersion) {
    const std::string root = test::scratchFolder("term_help");
    ProgramRun r = kavlo(root, {"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* word : {"-Automation", "--no-gui", "--overwrite", "--exclude-missing",
                             "--add-new", "KAVLO_FOOTER", "exit status"}) {
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
    r = kavlo(root, {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Kavlo ", 0), 0u);
    r = kavlo(root, {"--frobnicate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown option '--frobnicate'"), std::string::npos);
}

TEST(Terminal, buildsReopensAndNeverOverwritesUnasked) {
    const std::string root = test::scratchFolder("term_album");
    const std::string photos = photoFolder(root, 3);
    ProgramRun r = kavlo(root, {photos, "-Automation", "--no-gui"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string album = photos + "/album";
    for (const char* f : {"index.html", "ext/js/albumdef.js", "ext/xml/albuminfo.xml",
                          "medium/0001.jpg", "medium/0003.jpg", "small/0003.jpg"}) {
        EXPECT_TRUE(fs::exists(album + "/" + f)) << f;
    }
    EXPECT_NE(r.out.find(album + "/index.html"), std::string::npos);
    EXPECT_NE(r.err.find("Progress: 100% (3 of 3 photos"), std::string::npos) << r.err;

    // The image folder again: its album is another album now.
    const auto stamps = imageStamps(album);
    const std::string albumdef = readAll(album + "/ext/js/albumdef.js");
    const auto infoStamp = test::stampOf(album + "/ext/xml/albuminfo.xml");
    r = kavlo(root, {photos, "--automation"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(
        r.err.find("Warning: You are about to overwrite a previously generated album in\n" + album),
        std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("--overwrite"), std::string::npos);
    EXPECT_EQ(imageStamps(album), stamps);
    EXPECT_EQ(test::stampOf(album + "/ext/xml/albuminfo.xml"), infoStamp);
    EXPECT_EQ(readAll(album + "/ext/js/albumdef.js"), albumdef);

    // The album folder itself is regenerated, reusing every image.
    r = kavlo(root, {album, "-Automation"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(imageStamps(album), stamps);

    r = kavlo(root, {photos, "-Automation", "--overwrite"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(Terminal, folderWithoutImagesFails) {
    const std::string root = test::scratchFolder("term_empty");
    fs::create_directories(root + "/nothing");
    ProgramRun r = kavlo(root, {root + "/nothing", "-Automation"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("Warning: No photos (JPEG, TIFF, HEIC/HEIF, AVIF, PNG or WebP) were "
                         "found in '" +
                         root + "/nothing'."),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(root + "/nothing/album"));
    r = kavlo(root, {"-Automation"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("folder chooser cannot be shown"), std::string::npos) << r.err;
}

TEST(Terminal, missingAndNewImagesNeedTheirOptions) {
    const std::string root = test::scratchFolder("term_missing");
    const std::string photos = photoFolder(root, 3);
    ASSERT_EQ(kavlo(root, {photos, "-Automation"}).status, 0);
    const std::string album = photos + "/album";
    fs::rename(photos + "/Nikon_D70.jpg", root + "/Nikon_D70.jpg");
    ProgramRun r = kavlo(root, {album, "-Automation"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("(1 of 3 images missing.)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--exclude-missing"), std::string::npos);
    EXPECT_NE(readAll(album + "/ext/xml/albuminfo.xml").find("image0002"), std::string::npos);

    r = kavlo(root, {album, "-Automation", "--exclude-missing"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readAll(album + "/ext/js/albumdef.js").find("var nbImages      = 2;"),
              std::string::npos);

    // The photo comes back: it is new to the album and added only with --add-new.
    fs::rename(root + "/Nikon_D70.jpg", photos + "/Nikon_D70.jpg");
    r = kavlo(root, {album, "-Automation"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("New images found: One image"), std::string::npos) << r.err;
    EXPECT_NE(readAll(album + "/ext/js/albumdef.js").find("var nbImages      = 2;"),
              std::string::npos);
    r = kavlo(root, {album, "-Automation", "--add-new"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readAll(album + "/ext/js/albumdef.js").find("var nbImages      = 3;"),
              std::string::npos);
}

/// The value of `key` in a resource/values file's text; "" when absent.
std::string valueOf(const std::string& text, const std::string& key) {
    const size_t at = text.find("\n  " + key + " ");
    if (at == std::string::npos) return {};
    const size_t open = text.find('"', at);
    return text.substr(open + 1, text.find('"', open + 1) - open - 1);
}

TEST(Terminal, aRefusedCommandLineStopsWithStatusTwoBeforeAnythingIsWritten) {
    const std::string root = test::scratchFolder("term_refused");
    const std::string photos = photoFolder(root, 1);
    struct Case {
        std::vector<std::string> args;
        std::string named;  // what the message must name
    };
    for (const Case& c :
         std::vector<Case>{{{"--skin", "dark", "--set", "mquality=0"}, "mquality"},
                           {{"--set", "frobnicate=1"}, "frobnicate"},
                           {{"--main-size", "big"}, "'big'"},
                           {{"--settings", root + "/missing.xml"}, "missing.xml"}}) {
        std::vector<std::string> args = {photos, "-Automation"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProgramRun r = kavlo(root, args);
        EXPECT_EQ(r.status, 2) << c.named;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(photos + "/album")) << c.named;
        EXPECT_FALSE(fs::exists(root + "/xdg")) << c.named;
    }
}

TEST(Terminal, commandLineSettingsAreUsedAndSavedAsTheDesktopDoes) {
    const std::string root = test::scratchFolder("term_settings");
    const std::string photos = photoFolder(root, 2);
    const std::string album = photos + "/album";
    const std::string settings = root + "/xdg/kavlo/kavlo_settings.xml";
    ProgramRun r = kavlo(root, {photos, "-Automation", "--skin", "dark", "--main-size", "300x200",
                                "--title", "Holiday", "--set", "exifpos=2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string info = readAll(album + "/ext/xml/albuminfo.xml");
    EXPECT_EQ(valueOf(info, "appearance"), "dark");
    EXPECT_EQ(valueOf(info, "title"), "Holiday");
    EXPECT_EQ(valueOf(info, "macap0000"), "");  // exifpos 2: no Exif captions
    EXPECT_EQ(valueOf(info, "micap0000"), "");
    const auto [w, h] = test::jpegSize(album + "/medium/0001.jpg");
    EXPECT_TRUE(w <= 300 && h <= 200 && (w == 300 || h == 200)) << w << "x" << h;
    // The run saved what it used, as Start does in the window.
    std::string saved = readAll(settings);
    EXPECT_EQ(valueOf(saved, "appearance"), "dark");
    EXPECT_EQ(valueOf(saved, "mhsize"), "300");
    EXPECT_EQ(valueOf(saved, "exifpos"), "2");
    EXPECT_EQ(valueOf(saved, "inputdir"), photos);

    // --print-settings shows the album's settings with the command line's, writes nothing.
    const auto stamp = test::stampOf(settings);
    r = kavlo(root, {album, "--print-settings", "--set", "mquality=70"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resource>\n<values\n", 0),
              0u)
        << r.out;
    EXPECT_EQ(valueOf(r.out, "appearance"), "dark");
    EXPECT_EQ(valueOf(r.out, "mquality"), "70");
    EXPECT_EQ(valueOf(r.out, "exifpos"), "2");
    EXPECT_EQ(test::stampOf(settings), stamp);
    EXPECT_EQ(readAll(album + "/ext/xml/albuminfo.xml"), info);

    // A run that stops before generating leaves the settings file as it was.
    r = kavlo(root, {photos, "-Automation", "--skin", "dim"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(test::stampOf(settings), stamp);

    // --settings FILE: read from FILE and saved back to it; the user's file stays.
    const std::string other = root + "/other.xml";
    test::writeAll(other, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resource>\n<values\n"
                          "  language = \"de\"\n/>\n</resource>\n");
    r = kavlo(root, {album, "-Automation", "--settings", other, "--skin", "light"});
    ASSERT_EQ(r.status, 0) << r.err;
    saved = readAll(other);
    EXPECT_EQ(valueOf(saved, "appearance"), "light");
    EXPECT_EQ(valueOf(saved, "language"), "uk");  // the album's own language is saved
    EXPECT_EQ(test::stampOf(settings), stamp);
    EXPECT_EQ(valueOf(readAll(album + "/ext/xml/albuminfo.xml"), "appearance"), "light");
}

/// Runs the command with its standard error and output on a pseudo-terminal of
/// `columns` columns; returns everything written there.
std::string onPseudoTerminal(const std::string& command, int columns) {
    int master = -1;
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = 24;
    const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) {
        // No pseudo-terminals here (a chroot without /dev/pts mounted, say): say so
        // rather than compare an empty output.
        ADD_FAILURE() << "no pseudo-terminal for the progress line: forkpty: "
                      << std::strerror(errno);
        return {};
    }
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(master);
    waitpid(pid, nullptr, 0);
    return text;
}

TEST(Terminal, progressIsOneLineOnATerminalAndPlainLinesInAPipe) {
    const std::string root = test::scratchFolder("term_progress");
    const std::string photos = photoFolder(root, 3);
    const std::string tty =
        onPseudoTerminal(kavloCommand(root, {photos, "-Automation", "--jobs", "1"}), 70);
    EXPECT_NE(tty.find("\r[" + std::string(1, '#')), std::string::npos) << tty;
    EXPECT_NE(tty.find("] 3/3 photos, "), std::string::npos) << tty;
    EXPECT_NE(tty.find("done in"), std::string::npos) << tty;
    EXPECT_EQ(tty.find("Progress:"), std::string::npos) << tty;
    // Each redrawn line fits the terminal.
    for (size_t at = tty.find("\r["); at != std::string::npos; at = tty.find("\r[", at + 1)) {
        const std::string line = tty.substr(at + 1, tty.find('\033', at) - at - 1);
        EXPECT_LT(line.size(), 70u) << line;
    }

    fs::remove_all(photos + "/album");
    const std::string log = root + "/log";
    std::system(
        (kavloCommand(root, {photos, "-Automation"}) + " 2>&1 >/dev/null | cat >" + quote(log))
            .c_str());
    const std::string text = readAll(log);
    EXPECT_NE(text.find("Progress: 100% (3 of 3 photos"), std::string::npos) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos) << text;
    EXPECT_EQ(text.find('\033'), std::string::npos) << text;

    // --quiet: nothing at all on success; only the error when the run stops.
    ProgramRun r = kavlo(root, {photos + "/album", "-Automation", "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    r = kavlo(root, {photos, "-Automation", "--quiet"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("kavlo: the destination already holds an album", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find("Warning:"), std::string::npos) << r.err;
}

TEST(Terminal, thePhotoFrameWordPrintsTheFileThatWasWritten) {
    const std::string root = test::scratchFolder("term_frame");
    const std::string photos = photoFolder(root, 1);
    const ProgramRun r = kavlo(root, {photos, "-Automation"}, "KAVLO_FOOTER=philipsxml");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, photos + "/album/slideshow.alb\n");
    EXPECT_TRUE(fs::exists(photos + "/album/slideshow.alb"));
    EXPECT_FALSE(fs::exists(photos + "/album/index.html"));
}

TEST(Terminal, aDisplayThatCannotBeOpenedFallsBackToTheTerminal) {
#ifndef KAVLO_PROGRAM_HAS_QT
    GTEST_SKIP() << "the program is built without the desktop front end";
#endif
    const std::string root = test::scratchFolder("term_display");
    const std::string photos = photoFolder(root, 1);
    // No X server listens on display 987.
    const ProgramRun r = kavlo(root, {photos, "-Automation"}, "DISPLAY=:987");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("kavlo: the display cannot be opened (DISPLAY ':987'); running in "
                          "the terminal\n",
                          0),
              0u)
        << r.err;
    EXPECT_EQ(r.out, photos + "/album/index.html\n");
}

}  // namespace
}  // namespace kavlo::ui
