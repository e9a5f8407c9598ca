// SPDX-License-Identifier: MIT
// Faults during a generation: a destination that cannot be written, a full disk, a
// photo that disappears or is cut short after it was listed, no template folder, no
// font for the watermark, a broken settings file. The run ends or goes on, the user
// is told, files holding earlier work stay whole, and the process never crashes.
// The faults hold for root too (no permission bits).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/album_renderer.h"
#include "core/image_pipeline.h"
#include "storage/settings_file.h"
#include "support/test_photos.h"
#include "test_support.h"

namespace kavlo::core {

using model::AlbumModel;
using model::AlbumSettings;
using model::defaultAlbumSettings;
using model::ExifCaptionPlace;
using storage::readSettings;
using storage::saveSettingsFile;

namespace {

namespace fs = std::filesystem;
using test::jpegSize;
using test::readAll;
using test::scratchFolder;

std::string programPath() {
    return (fs::canonical("/proc/self/exe").parent_path().parent_path().parent_path() / "app" /
            "kavlo")
        .string();
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct ProgramRun {
    int status = -1;  ///< exit status; -1 when the process was killed by a signal
    std::string out, err;
};

/// Runs `program` on `folder` unattended in the terminal. `prefix` goes in front of
/// the command (limits, environment); SIGXFSZ is ignored so that a file-size limit
/// acts like a full disk (writes fail with EFBIG) instead of killing the process.
ProgramRun kavlo(const std::string& scratch, const std::string& folder,
                 const std::string& prefix = "", const std::string& program = programPath()) {
    const std::string cmd =
        "trap '' XFSZ; " + prefix +
        " timeout -s KILL 120 env -u DISPLAY -u WAYLAND_DISPLAY -u KAVLO_FOOTER XDG_CONFIG_HOME=" +
        quote(scratch + "/xdg") + " " + quote(program) + " " + quote(folder) +
        " -Automation --no-gui >" + quote(scratch + "/stdout") + " 2>" +
        quote(scratch + "/stderr") + " </dev/null";
    ProgramRun r;
    const int rc = std::system(("sh -c " + quote(cmd)).c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = readAll(scratch + "/stdout");
    r.err = readAll(scratch + "/stderr");
    return r;
}

std::string photoFolder(const std::string& root) {
    const std::string dir = root + "/photos";
    fs::create_directories(dir);
    fs::copy_file(test::testPhoto("cameras/Nikon_D70.jpg"), dir + "/a.jpg");
    fs::copy_file(test::testPhoto("cameras/Canon_40D.jpg"), dir + "/b.jpg");
    fs::copy_file(test::testPhoto("orientation/landscape_1.jpg"), dir + "/c.jpg");
    return dir;
}

/// Names of every entry below `folder` (temporary files left behind would show here).
std::set<std::string> entriesBelow(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        names.insert(fs::relative(e.path(), folder).string());
    }
    return names;
}

class RunFaults : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(programPath())) GTEST_SKIP() << "program not built: " << programPath();
    }
};

TEST_F(RunFaults, aDestinationThatIsAFileStopsTheRunBeforeAnythingIsWritten) {
    const std::string root = scratchFolder("fault_destfile");
    const std::string photos = photoFolder(root);
    test::writeAll(photos + "/album", "a file where the album folder should be");
    const ProgramRun r = kavlo(root, photos);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("Error: Please change the album destination to a writable directory."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(readAll(photos + "/album"), "a file where the album folder should be");
}

TEST_F(RunFaults, aFullDiskIsReportedAndLeavesEarlierFilesWhole) {
    const std::string root = scratchFolder("fault_fulldisk");
    const std::string photos = photoFolder(root);
    const ProgramRun first = kavlo(root, photos);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string album = photos + "/album";
    const std::string info = readAll(album + "/ext/xml/albuminfo.xml");
    const std::string settings = readAll(root + "/xdg/kavlo/kavlo_settings.xml");
    ASSERT_GT(info.size(), 1000u);
    ASSERT_GT(settings.size(), 1000u);
    const std::set<std::string> before = entriesBelow(album);

    // Regenerating with no room for a 1000-byte file: the images are reused, but the
    // album information file, the settings file and the pages cannot be replaced.
    const ProgramRun full = kavlo(root, album, "prlimit --fsize=1000");
    EXPECT_NE(full.status, -1) << "killed by a signal";
    EXPECT_NE(full.status, 0);
    EXPECT_NE(full.err.find("album files could not be written"), std::string::npos) << full.err;
    EXPECT_EQ(readAll(album + "/ext/xml/albuminfo.xml"), info);
    EXPECT_EQ(readAll(root + "/xdg/kavlo/kavlo_settings.xml"), settings);
    EXPECT_EQ(entriesBelow(album), before) << "temporary files were left behind";
    for (const auto& name : before) {
        if (fs::path(name).extension() == ".jpg") {
            EXPECT_NE(jpegSize(album + "/" + name).first, 0) << name;
        }
    }
}

TEST_F(RunFaults, aNewAlbumOnAFullDiskHasNoHalfWrittenImages) {
    const std::string root = scratchFolder("fault_fulldisk_new");
    const std::string photos = photoFolder(root);
    const ProgramRun r = kavlo(root, photos, "prlimit --fsize=12000");
    EXPECT_NE(r.status, -1) << "killed by a signal";
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("album files could not be written"), std::string::npos) << r.err;
    int images = 0;
    for (const auto& name : entriesBelow(photos + "/album")) {
        const std::string path = photos + "/album/" + name;
        if (fs::path(name).extension() != ".jpg") continue;
        ++images;
        EXPECT_NE(jpegSize(path).first, 0) << name << " is not a whole JPEG";
    }
    EXPECT_GT(images, 0);  // the thumbnails fit
}

TEST_F(RunFaults, missingTemplatesAreReportedWhileTheImagesAreMade) {
    // A copy of the program with no template set beside it (nor an installed one).
    const std::string root = scratchFolder("fault_templates");
    const std::string photos = photoFolder(root);
    fs::create_directories(root + "/bin");
    fs::copy_file(programPath(), root + "/bin/kavlo");
    const ProgramRun r = kavlo(root, photos, "", root + "/bin/kavlo");
    EXPECT_NE(r.status, -1);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("album files could not be written"), std::string::npos) << r.err;
    EXPECT_NE(jpegSize(photos + "/album/medium/0003.jpg").first, 0);
    EXPECT_TRUE(fs::exists(photos + "/album/ext/xml/albuminfo.xml"));
}

TEST_F(RunFaults, aWatermarkWithoutAnyFontLeavesTheImagesUnmarkedAndSaysSo) {
    const std::string root = scratchFolder("fault_fonts");
    const std::string photos = photoFolder(root);
    AlbumSettings s = defaultAlbumSettings();
    s.imagetext = true;
    s.ittext = "(c) Kavlo";
    s.itfontfile = root + "/no-such-font.ttf";
    fs::create_directories(root + "/xdg/kavlo");
    ASSERT_TRUE(saveSettingsFile(root + "/xdg/kavlo/kavlo_settings.xml",
                                 ExifCaptionPlace::minorCaption, photos, s));
    // fontconfig with a configuration that lists no font folder: no fallback exists.
    test::writeAll(root + "/fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    const ProgramRun r = kavlo(root, photos, "FONTCONFIG_FILE=" + quote(root + "/fonts.conf"));
    ASSERT_EQ(r.status, 0) << r.err;
    // Said, not dropped in silence: a line per image and one at the end.
    EXPECT_NE(r.err.find("Warning: The watermark could not be stamped on 3 images"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find(photos + "/a.jpg"), std::string::npos) << r.out;
    for (const char* n : {"0001.jpg", "0002.jpg", "0003.jpg"}) {
        EXPECT_NE(jpegSize(photos + "/album/medium/" + n).first, 0) << n;
    }
}

TEST_F(RunFaults, aBrokenSettingsFileMeansDefaultsAndIsReplacedWhole) {
    const std::string root = scratchFolder("fault_settings");
    const std::string photos = photoFolder(root);
    fs::create_directories(root + "/xdg/kavlo");
    const std::string path = root + "/xdg/kavlo/kavlo_settings.xml";
    test::writeAll(
        path,
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<resource>\r\n<values\r\n  mquality = \"5");
    const ProgramRun r = kavlo(root, photos);
    ASSERT_EQ(r.status, 0) << r.err;
    // The run's settings replaced the broken file with a whole one.
    AlbumSettings saved;
    saved.mquality = -1;
    EXPECT_TRUE(readSettings(saved, path));
    EXPECT_EQ(saved.mquality, defaultAlbumSettings().mquality);
    EXPECT_EQ(jpegSize(photos + "/album/medium/0001.jpg").first, 552);

    // A folder in place of the settings file: the album is still made; the folder stays.
    const std::string root2 = scratchFolder("fault_settings_folder");
    const std::string photos2 = photoFolder(root2);
    fs::create_directories(root2 + "/xdg/kavlo/kavlo_settings.xml");
    const ProgramRun r2 = kavlo(root2, photos2);
    ASSERT_EQ(r2.status, 0) << r2.err;
    EXPECT_TRUE(fs::is_directory(root2 + "/xdg/kavlo/kavlo_settings.xml"));
    EXPECT_TRUE(fs::exists(photos2 + "/album/ext/js/albumdef.js"));
}

/// Wraps the readers so that a photo changes just before it is decoded.
ImageReaders racingReaders(const std::string& truncated, const std::string& deleted) {
    ImageReaders base = defaultImageReaders();
    ImageReaders r = base;
    r.readJpeg = [=](const std::string& p, int t, int* w, int* h) {
        if (p == truncated) fs::resize_file(p, fs::file_size(p) / 2);
        if (p == deleted) fs::remove(p);
        return base.readJpeg(p, t, w, h);
    };
    return r;
}

TEST(RunFaultsInProcess, photosThatChangeAfterListingStillGiveAnAlbumImage) {
    const std::string root = scratchFolder("fault_race");
    const std::string photos = photoFolder(root);
    AlbumModel m;
    m.title = "Race";
    m.inputdir = photos;
    m.destdir = root + "/album";
    m.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
    m.appendFiles({photos + "/a.jpg", photos + "/b.jpg", photos + "/c.jpg"});
    AlbumRenderer r(m, racingReaders(photos + "/b.jpg", photos + "/c.jpg"));
    generate(m, r);
    int guard = 0;
    while (r.step() && ++guard < 100) {}
    ASSERT_TRUE(r.finished());
    EXPECT_EQ(r.failedWrites(), 0);
    for (const char* n : {"0001.jpg", "0002.jpg", "0003.jpg"}) {
        EXPECT_NE(jpegSize(m.destdir + "/medium/" + n).first, 0) << n;
        EXPECT_NE(jpegSize(m.destdir + "/small/" + n).first, 0) << n;
    }
    // The vanished photo is the 3 x 2 black placeholder at the main size.
    EXPECT_EQ(jpegSize(m.destdir + "/medium/0003.jpg"), (std::pair<int, int>{552, 368}));
    EXPECT_TRUE(fs::exists(m.destdir + "/ext/js/albumdef.js"));
}

TEST(RunFaultsInProcess, missingTemplatesCountAsFailedWrites) {
    const std::string root = scratchFolder("fault_templates_inproc");
    const std::string photos = photoFolder(root);
    AlbumModel m;
    m.destdir = root + "/album";
    m.settings.templatedir = root + "/no-templates";
    m.appendFiles({photos + "/a.jpg"});
    AlbumRenderer r(m);
    generate(m, r);
    while (r.step()) {}
    ASSERT_TRUE(r.finished());
    EXPECT_GE(r.failedWrites(), 1);
    EXPECT_NE(jpegSize(m.destdir + "/medium/0001.jpg").first, 0);
    // The data file does not depend on the templates and is still written.
    EXPECT_TRUE(fs::exists(m.destdir + "/ext/js/albumdef.js"));
}

}  // namespace
}  // namespace kavlo::core
