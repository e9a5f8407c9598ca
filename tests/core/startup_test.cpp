// SPDX-License-Identifier: MIT
// Start-up through the scripted platform: new albums, the remembered folder, opening
// albums in both places, and the reconcile dialogues for missing and new images.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/startup.h"
#include "scripted_platform.h"
#include "storage/album_info.h"
#include "storage/settings_file.h"
#include "test_support.h"
#include "util/files.h"

namespace kavlo::core {

using model::AlbumModel;
using model::AlbumSettings;
using model::ExifCaptionPlace;
using storage::saveSettingsFile;
using storage::settingsFileText;
using storage::writeAlbumInfo;

namespace {

namespace fs = std::filesystem;
using test::scratchFolder;
using test::ScriptedPlatform;
using test::writeAll;

StartupEnvironment testEnvironment(const std::string& root,
                                   std::map<std::string, std::string> vars = {}) {
    StartupEnvironment env;
    env.getenv = [vars](const std::string& name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
    env.currentYear = [] { return 2031; };
    env.settingsPath = root + "/config/kavlo_settings.xml";
    env.templateDir = "/templates-here";
    return env;
}

void touchImage(const std::string& path) { writeAll(path, "not really a photo"); }

/// An album made by an earlier run: `names` in album order, captions "cap<name>".
void makeAlbum(const std::string& albumDir, const std::string& photoDir,
               const std::vector<std::string>& names, bool olderPlace = false) {
    AlbumModel m;
    m.title = "Holiday";
    m.footer = "old footer";
    m.destdir = albumDir;
    for (const auto& n : names) m.images.push_back({photoDir + "/" + n, "cap" + n, "mi" + n});
    m.settings.mhsize = 700;
    fs::create_directories(albumDir + "/ext/xml");
    const std::string info =
        olderPlace ? albumDir + "/albuminfo.xml" : albumDir + "/ext/xml/albuminfo.xml";
    ASSERT_TRUE(writeAlbumInfo(m, info));
}

TEST(CommandLineParsing, folderAndAutomationSwitch) {
    EXPECT_TRUE(parseCommandLine({"-Automation"}).unattended);
    EXPECT_TRUE(parseCommandLine({"--AUTOMATION"}).unattended);
    EXPECT_TRUE(parseCommandLine({"/automation"}).unattended);
    CommandLine cl = parseCommandLine({"-x", "/some/folder/", "other", "-automation"});
    EXPECT_EQ(cl.folder, "/some/folder");
    EXPECT_TRUE(cl.unattended);
    // The slash form is a folder when a folder of that name exists.
    const std::string root = scratchFolder("slashfolder");
    fs::create_directories(root + "/Automation");
    EXPECT_FALSE(isAutomationSwitch(root + "/Automation"));
    EXPECT_FALSE(parseCommandLine({"/tmp"}).unattended);
    EXPECT_EQ(parseCommandLine({"/a/./b/../c/"}).folder, "/a/c");
    // A relative folder is made absolute, so the album files hold full paths.
    EXPECT_EQ(parseCommandLine({"photos"}).folder, (fs::current_path() / "photos").string());
    EXPECT_EQ(parseCommandLine({"/tmp"}).folder, "/tmp");
}

TEST(Footer, environmentAndYear) {
    EXPECT_EQ(defaultFooter(testEnvironment("/x")), "\xC2\xA9 2031 - Powered by Kavlo");
    EXPECT_EQ(defaultFooter(testEnvironment("/x", {{"KAVLO_FOOTER_NAME", "Ann Lee"}})),
              "\xC2\xA9 Ann Lee 2031 - Powered by Kavlo");
    EXPECT_EQ(defaultFooter(
                  testEnvironment("/x", {{"KAVLO_FOOTER", "Mine"}, {"KAVLO_FOOTER_NAME", "A"}})),
              "Mine");
    EXPECT_EQ(defaultFooter(testEnvironment("/x", {{"KAVLO_FOOTER", ""}})),
              "\xC2\xA9 2031 - Powered by Kavlo");
}

TEST(Startup, newAlbumFromAnImageFolder) {
    const std::string root = scratchFolder("newalbum");
    const std::string photos = root + "/My Photos";
    fs::create_directories(photos);
    touchImage(photos + "/b.jpg");
    touchImage(photos + "/A.tif");
    writeAll(photos + "/empty.jpg", "");
    writeAll(photos + "/empty2.tif", "");
    AlbumSettings saved;
    saved.mhsize = 640;
    saved.appearance = "light";
    ASSERT_TRUE(saveSettingsFile(root + "/config/kavlo_settings.xml",
                                 ExifCaptionPlace::majorCaption, "/elsewhere", saved));

    ScriptedPlatform ui;
    ui.expectMessage("Information", "2 empty image files were found and excluded from the album.");
    Startup s(ui,
              testEnvironment(root, {{"KAVLO_LINK_TXT", "Home"}, {"KAVLO_LINK_URL", "http://h"}}));
    AlbumModel m;
    CommandLine cl;
    cl.folder = photos;
    cl.unattended = true;
    const StartupResult r = s.run(cl, m);
    ASSERT_EQ(r.status, StartupStatus::Ready);
    EXPECT_FALSE(r.openedAlbum);
    EXPECT_TRUE(r.unattended);
    EXPECT_TRUE(ui.finished());
    ASSERT_EQ(m.images.size(), 2u);
    EXPECT_EQ(m.images[0].path, photos + "/A.tif");
    EXPECT_EQ(m.images[1].path, photos + "/b.jpg");
    EXPECT_EQ(m.title, "My Photos");
    EXPECT_EQ(m.footer, "\xC2\xA9 2031 - Powered by Kavlo");
    EXPECT_EQ(m.inputdir, photos);
    EXPECT_EQ(m.destdir, photos + "/album");
    EXPECT_EQ(m.settings.mhsize, 640);
    EXPECT_EQ(m.settings.appearance, "light");
    EXPECT_EQ(m.settings.linktext, "Home");
    EXPECT_EQ(m.settings.linkurl, "http://h");
    EXPECT_EQ(m.settings.templatedir, "/templates-here");
    EXPECT_FALSE(m.settings.reuseimages);
}

TEST(Startup, linkKeysInTheSettingsFileWinOverTheEnvironment) {
    const std::string root = scratchFolder("linkkeys");
    touchImage(root + "/a.jpg");
    AlbumSettings saved;
    saved.linktext = "Club";
    saved.linkurl = "http://club.example";
    fs::create_directories(root + "/config");
    writeAll(root + "/config/kavlo_settings.xml",
             settingsFileText(ExifCaptionPlace::majorCaption, root, saved, true));
    ScriptedPlatform ui;
    AlbumModel m;
    ASSERT_EQ(Startup(ui, testEnvironment(
                              root, {{"KAVLO_LINK_TXT", "Home"}, {"KAVLO_LINK_URL", "http://h"}}))
                  .run({root, true}, m)
                  .status,
              StartupStatus::Ready);
    EXPECT_EQ(m.settings.linktext, "Club");
    EXPECT_EQ(m.settings.linkurl, "http://club.example");
}

TEST(Startup, oneEmptyFileUsesTheSingularText) {
    const std::string root = scratchFolder("oneempty");
    touchImage(root + "/a.jpg");
    writeAll(root + "/b.jpg", "");
    ScriptedPlatform ui;
    ui.expectMessage("Information", "An empty image file was found and excluded from the album.");
    AlbumModel m;
    EXPECT_EQ(Startup(ui, testEnvironment(root)).run({root, false}, m).status,
              StartupStatus::Ready);
    EXPECT_TRUE(ui.finished());
}

TEST(Startup, folderWithoutImagesAsksAgainPreselected) {
    const std::string root = scratchFolder("noimages");
    fs::create_directories(root + "/empty");
    fs::create_directories(root + "/good");
    touchImage(root + "/good/x.jpg");
    ScriptedPlatform ui;
    ui.expectMessage("Warning", "No photos (JPEG, TIFF, HEIC/HEIF, AVIF, PNG or WebP) were found "
                                "in '" +
                                    root + "/empty'.\n\nTry again.");
    ui.expectFolder(FolderChoice::chosen(root + "/good"),
                    "Welcome to Kavlo.\nSelect a folder of photos (JPEG, TIFF, HEIC/HEIF, AVIF, "
                    "PNG or WebP) to build a Kavlo album.");
    AlbumModel m;
    const StartupResult r = Startup(ui, testEnvironment(root)).run({root + "/empty", false}, m);
    EXPECT_EQ(r.status, StartupStatus::Ready);
    ASSERT_EQ(ui.folders.size(), 1u);
    EXPECT_EQ(ui.folders[0].initialSelection, root + "/empty");
    EXPECT_FALSE(ui.folders[0].newFolderButton);
    EXPECT_EQ(m.images.size(), 1u);
}

TEST(Startup, chooserStartsOnTheRememberedFolderOrItsAlbum) {
    const std::string root = scratchFolder("remembered");
    fs::create_directories(root + "/in");
    ASSERT_TRUE(saveSettingsFile(root + "/config/kavlo_settings.xml",
                                 ExifCaptionPlace::minorCaption, root + "/in", AlbumSettings{}));
    {
        ScriptedPlatform ui;
        ui.expectFolder(FolderChoice::cancel());
        AlbumModel m;
        EXPECT_EQ(Startup(ui, testEnvironment(root)).run({}, m).status, StartupStatus::Cancelled);
        EXPECT_EQ(ui.folders.at(0).initialSelection, root + "/in");
    }
    fs::create_directories(root + "/in/album");
    writeAll(root + "/in/album/index.html", "x");
    {
        ScriptedPlatform ui;
        ui.expectFolder(FolderChoice::cancel());
        AlbumModel m;
        Startup(ui, testEnvironment(root)).run({}, m);
        EXPECT_EQ(ui.folders.at(0).initialSelection, root + "/in/album");
    }
}

TEST(Startup, opensAnAlbumInEitherPlace) {
    for (bool older : {false, true}) {
        const std::string root = scratchFolder(older ? "openolder" : "opencurrent");
        fs::create_directories(root + "/photos");
        touchImage(root + "/photos/a.jpg");
        touchImage(root + "/photos/b.jpg");
        makeAlbum(root + "/somewhere", root + "/photos", {"b.jpg", "a.jpg"}, older);
        ScriptedPlatform ui;
        AlbumModel m;
        const StartupResult r =
            Startup(ui, testEnvironment(root)).run({root + "/somewhere", false}, m);
        ASSERT_EQ(r.status, StartupStatus::Ready) << older;
        EXPECT_TRUE(r.openedAlbum);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(m.destdir, root + "/somewhere");
        EXPECT_EQ(m.inputdir, root + "/photos");
        EXPECT_TRUE(m.settings.reuseimages);
        EXPECT_EQ(m.settings.mhsize, 700);
        EXPECT_EQ(m.footer, "old footer");
        ASSERT_EQ(m.images.size(), 2u);
        EXPECT_EQ(m.images[0].path, root + "/photos/b.jpg");
    }
}

TEST(Startup, movedImagesAreRebased) {
    const std::string root = scratchFolder("moved");
    fs::create_directories(root + "/new");
    touchImage(root + "/new/a.jpg");
    touchImage(root + "/new/b.jpg");
    makeAlbum(root + "/album", root + "/old", {"a.jpg", "b.jpg"});
    ScriptedPlatform ui;
    ui.expectMessage("Information",
                     "Not all original image files for this album could be located in\n'" + root +
                         "/old'.\n(2 of 2 images missing.)\n\nPress OK to search for images.\n"
                         "Press Cancel to exclude missing images.",
                     MessageAnswer::Ok);
    ui.expectFolder(FolderChoice::chosen(root + "/new"),
                    "Please locate the original image files for the album\n'Holiday'.\nPress "
                    "Cancel to exit Kavlo.");
    AlbumModel m;
    ASSERT_EQ(Startup(ui, testEnvironment(root)).run({root + "/album", false}, m).status,
              StartupStatus::Ready);
    EXPECT_TRUE(ui.finished());
    EXPECT_EQ(ui.folders.at(0).initialSelection, root + "/album");
    EXPECT_EQ(m.inputdir, root + "/new");
    ASSERT_EQ(m.images.size(), 2u);
    EXPECT_EQ(m.images[1].path, root + "/new/b.jpg");
    EXPECT_EQ(m.images[1].macap, "capb.jpg");
    EXPECT_TRUE(m.settings.reuseimages);
}

TEST(Startup, excludingMissingImagesKeepsOrderAndForcesRegeneration) {
    const std::string root = scratchFolder("exclude");
    fs::create_directories(root + "/p");
    for (const char* n : {"1.jpg", "3.jpg", "5.jpg"}) touchImage(root + "/p/" + n);
    makeAlbum(root + "/album", root + "/p", {"5.jpg", "2.jpg", "3.jpg", "4.jpg", "1.jpg"});
    ScriptedPlatform ui;
    ui.expectMessage("Information", "Not all original image files", MessageAnswer::Cancel);
    AlbumModel m;
    ASSERT_EQ(Startup(ui, testEnvironment(root)).run({root + "/album", false}, m).status,
              StartupStatus::Ready);
    EXPECT_NE(ui.messages.at(0).text.find("(2 of 5 images missing.)"), std::string::npos);
    EXPECT_EQ(ui.messages.at(0).buttons, MessageButtons::OkCancel);
    ASSERT_EQ(m.images.size(), 3u);
    EXPECT_EQ(m.images[0].path, root + "/p/5.jpg");
    EXPECT_EQ(m.images[1].path, root + "/p/3.jpg");
    EXPECT_EQ(m.images[2].path, root + "/p/1.jpg");
    EXPECT_FALSE(m.settings.reuseimages);
}

TEST(Startup, allImagesExcludedOrListedNoneEndsOrSearches) {
    const std::string root = scratchFolder("allgone");
    makeAlbum(root + "/album", root + "/p", {"1.jpg"});
    {
        ScriptedPlatform ui;
        ui.expectMessage("Information", "Not all original", MessageAnswer::Cancel);
        ui.expectMessage("Information",
                         "All images are missing. Kavlo can not create an empty album.",
                         MessageAnswer::Cancel);
        AlbumModel m;
        EXPECT_EQ(Startup(ui, testEnvironment(root)).run({root + "/album", false}, m).status,
                  StartupStatus::Cancelled);
        EXPECT_TRUE(ui.finished());
    }
    // An album information file that lists no image: treated as all images missing;
    // searching offers the images of the chosen folder.
    const std::string root2 = scratchFolder("listsnone");
    makeAlbum(root2 + "/album", root2 + "/p", {});
    fs::create_directories(root2 + "/found");
    touchImage(root2 + "/found/x.jpg");
    ScriptedPlatform ui;
    ui.expectMessage("Information", "All images are missing.", MessageAnswer::Ok);
    ui.expectFolder(FolderChoice::chosen(root2 + "/found"), "Please locate");
    ui.expectMessage("New images found", "One image in the input directory is either new",
                     MessageAnswer::Yes);
    AlbumModel m;
    EXPECT_EQ(Startup(ui, testEnvironment(root2)).run({root2 + "/album", false}, m).status,
              StartupStatus::Ready);
    EXPECT_TRUE(ui.finished());
    ASSERT_EQ(m.images.size(), 1u);
    EXPECT_EQ(m.inputdir, root2 + "/found");
}

TEST(Startup, newImagesAreOfferedAndAppended) {
    const std::string root = scratchFolder("newimages");
    fs::create_directories(root + "/p");
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg", "d.tif"}) touchImage(root + "/p/" + n);
    makeAlbum(root + "/album", root + "/p", {"b.jpg", "a.jpg"});
    {
        ScriptedPlatform ui;
        ui.expectMessage(
            "New images found",
            "2 images in the input directory are either new or have previously been excluded.\n\n"
            "Should these be added to the album now?",
            MessageAnswer::Yes);
        AlbumModel m;
        ASSERT_EQ(Startup(ui, testEnvironment(root)).run({root + "/album", false}, m).status,
                  StartupStatus::Ready);
        EXPECT_EQ(ui.messages.at(0).buttons, MessageButtons::YesNo);
        ASSERT_EQ(m.images.size(), 4u);
        EXPECT_EQ(m.images[2].path, root + "/p/c.jpg");
        EXPECT_EQ(m.images[3].path, root + "/p/d.tif");
    }
    {
        ScriptedPlatform ui;
        ui.expectMessage("New images found", "2 images", MessageAnswer::No);
        AlbumModel m;
        Startup(ui, testEnvironment(root)).run({root + "/album", false}, m);
        EXPECT_EQ(m.images.size(), 2u);
    }
}

TEST(Startup, everyPhotoFormatMakesANewAlbumAndIsOfferedToAnOpenedOne) {
    const std::string root = scratchFolder("formats");
    fs::create_directories(root + "/p");
    for (const char* n : {"a.HEIC", "b.avif", "c.png", "d.WebP", "e.hif", "f.heif", "notes.txt"})
        touchImage(root + "/p/" + n);
    {
        ScriptedPlatform ui;
        AlbumModel m;
        ASSERT_EQ(Startup(ui, testEnvironment(root)).run({root + "/p", false}, m).status,
                  StartupStatus::Ready);
        ASSERT_EQ(m.images.size(), 6u);
        EXPECT_EQ(m.images[0].path, root + "/p/a.HEIC");
        EXPECT_EQ(m.images[3].path, root + "/p/d.WebP");
    }
    makeAlbum(root + "/album", root + "/p", {"c.png", "a.HEIC"});
    touchImage(root + "/p/g.jpg");
    ScriptedPlatform ui;
    ui.expectMessage("New images found", "5 images in the input directory", MessageAnswer::Yes);
    AlbumModel m;
    ASSERT_EQ(Startup(ui, testEnvironment(root)).run({root + "/album", false}, m).status,
              StartupStatus::Ready);
    ASSERT_EQ(m.images.size(), 7u);
    EXPECT_EQ(m.images[0].path, root + "/p/c.png");
    EXPECT_EQ(m.images[1].path, root + "/p/a.HEIC");
    EXPECT_EQ(m.images[2].path, root + "/p/b.avif");
    EXPECT_EQ(m.images[6].path, root + "/p/g.jpg");
}

TEST(Startup, unreadableAlbumInformation) {
    const std::string root = scratchFolder("badinfo");
    fs::create_directories(root + "/album/ext/xml");
    writeAll(root + "/album/ext/xml/albuminfo.xml", "<resource><values title=\"x\"");
    ScriptedPlatform ui;
    ui.expectMessage("Error", "Could not read album settings.");
    AlbumModel m;
    EXPECT_EQ(Startup(ui, testEnvironment(root)).run({root + "/album", false}, m).status,
              StartupStatus::ReadFailed);
    EXPECT_EQ(ui.messages.at(0).icon, MessageIcon::Error);
}

}  // namespace
}  // namespace kavlo::core
