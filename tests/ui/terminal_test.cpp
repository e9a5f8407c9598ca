// SPDX-License-Identifier: MIT
// The built program in a terminal without a display: exit status, messages on the
// error stream and the unattended answers that never lose work.
#include <gtest/gtest.h>

#include <sys/wait.h>

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

/// Runs kavlo with the arguments, no display and a private settings folder.
ProgramRun kavlo(const std::string& scratch, const std::vector<std::string>& args) {
    std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY -u KAVLO_FOOTER XDG_CONFIG_HOME=" +
                      quote(scratch + "/xdg") + " " + quote(KAVLO_PROGRAM);
    for (const auto& a : args) cmd += " " + quote(a);
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
    EXPECT_NE(r.err.find("100% completed"), std::string::npos);

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
    EXPECT_NE(r.err.find("Warning: No JPEG/TIFF images were found in '" + root + "/nothing'."),
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

}  // namespace
}  // namespace kavlo::ui
