// SPDX-License-Identifier: MIT
// The built program's desktop front end run unattended (offscreen, so no display is
// needed): its exit status tells a script whether the whole album was written.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_photos.h"

namespace kavlo::qt {
namespace {

namespace fs = std::filesystem;

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct DesktopRun {
    int status = -1;  ///< -1 when killed by a signal
    std::string out, err;
};

/// "kavlo FOLDER -Automation" with a display named, on the offscreen platform. `limit`
/// goes in front (prlimit); SIGXFSZ is ignored so that a file-size limit acts as a full
/// disk instead of killing the process.
DesktopRun runDesktop(const std::string& scratch, const std::string& folder,
                      const std::string& limit = "") {
    const std::string cmd =
        "trap '' XFSZ; " + limit +
        " timeout -s KILL 120 env -u WAYLAND_DISPLAY -u KAVLO_FOOTER "
        "DISPLAY=:987 QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=" +
        quote(scratch + "/xdg") + " XDG_RUNTIME_DIR=" + quote(scratch + "/run") + " " +
        quote(KAVLO_PROGRAM) + " " + quote(folder) + " -Automation >" + quote(scratch + "/stdout") +
        " 2>" + quote(scratch + "/stderr") + " </dev/null";
    const int rc = std::system(("sh -c " + quote(cmd)).c_str());
    DesktopRun r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = readAll(scratch + "/stdout");
    r.err = readAll(scratch + "/stderr");
    return r;
}

TEST(DesktopRun, anUnattendedRunExitsNonZeroWhenAlbumFilesCouldNotBeWritten) {
    const fs::path scratch = fs::path(KAVLO_TEST_OUTPUT) / "qt-desktop-run";
    fs::remove_all(scratch);
    const fs::path photos = scratch / "photos";
    fs::create_directories(photos);
    fs::create_directories(scratch / "run");
    fs::permissions(scratch / "run", fs::perms::owner_all);
    for (const char* name : {"Canon_40D.jpg", "Nikon_D70.jpg"})
        fs::copy_file(test::testPhoto(std::string("cameras/") + name), photos / name);

    // A whole album: status 0, and nothing on standard output (that is the terminal's).
    DesktopRun r = runDesktop(scratch, photos);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const fs::path album = photos / "album";
    const std::string info = readAll(album / "ext/xml/albuminfo.xml");
    ASSERT_GT(info.size(), 1000u);

    // Again with no room for a 1000-byte file: the images are reused, the pages and the
    // album information file cannot be replaced. The run says so and fails.
    r = runDesktop(scratch, album, "prlimit --fsize=1000");
    EXPECT_NE(r.status, -1) << "killed by a signal";
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("album files could not be written to '" + album.string() + "'"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("kavlo: the album is incomplete"), std::string::npos) << r.err;
    EXPECT_EQ(readAll(album / "ext/xml/albuminfo.xml"), info);
}

}  // namespace
}  // namespace kavlo::qt
