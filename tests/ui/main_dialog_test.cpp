// SPDX-License-Identifier: MIT
// The main window logic through the scripted platform: Start and its checks, the run
// with its progress texts, Show Album, Quit and the destination chooser.
#include <gtest/gtest.h>

#include <filesystem>

#include "../core/scripted_platform.h"
#include "../core/test_support.h"
#include "storage/resource_values.h"
#include "support/test_photos.h"
#include "ui/main_dialog.h"
#include "util/files.h"

namespace kavlo::ui {

using core::AlbumRenderer;
using core::defaultImageReaders;
using core::FolderChoice;
using core::ImageReaders;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using model::AlbumModel;
using model::ExifCaptionPlace;
using storage::ResourceValues;
using util::format;

namespace {

namespace fs = std::filesystem;
using test::ScriptedPlatform;

struct Editor : AlbumEditorControl {
    int hides = 0, stops = 0;
    void hideWindow() override { ++hides; }
    void stopBackgroundWork() override { ++stops; }
};

/// A new album of `count` small photos in root/photos, destination root/photos/album.
struct Fixture {
    std::string root;
    AlbumModel model;
    double now = 0;
    ImageReaders readers = defaultImageReaders();
    std::unique_ptr<AlbumRenderer> renderer;
    explicit Fixture(const std::string& name, int count = 3) {
        root = test::scratchFolder(name);
        fs::create_directories(root + "/photos");
        for (int i = 0; i < count; ++i) {
            const std::string p = root + format("/photos/%02d.jpg", i);
            EXPECT_TRUE(test::writeTestJpeg(p, 60, 40));
            model.images.push_back({p, "", ""});
        }
        model.title = "Photos";
        model.footer = "foot";
        model.inputdir = root + "/photos";
        model.destdir = root + "/photos/album";
        model.settings.templatedir = std::string(KAVLO_FIXTURES) + "/core/templates";
        ImageReaders base = readers;
        readers.readJpeg = [this, base](const std::string& p, int t, int* w, int* h) {
            now += 1.0;
            return base.readJpeg(p, t, w, h);
        };
        renderer = std::make_unique<AlbumRenderer>(model, readers, [this] { return now; });
    }
    MainDialogOptions options(bool unattended = false, bool opened = false) const {
        return {root + "/config/kavlo_settings.xml", unattended, opened};
    }
};

void runToEnd(MainDialog& d) {
    int guard = 0;
    while (d.step() && ++guard < 1000) {}
}

TEST(MainDialog, openingFillsTheFieldsAndReadsExifpos) {
    Fixture f("md_open");
    ScriptedPlatform ui;
    fs::create_directories(f.root + "/config");
    test::writeAll(f.root + "/config/kavlo_settings.xml",
                   "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resource>\n<values\n  exifpos = "
                   "\"2\"\n/>\n</resource>\n");
    MainDialog d(ui, f.model, *f.renderer, f.options(true));
    EXPECT_TRUE(d.open());
    EXPECT_EQ(d.exifpos(), ExifCaptionPlace::none);
    EXPECT_EQ(d.state().titleText, "Photos");
    EXPECT_EQ(d.state().destinationText, f.root + "/photos/album");
    EXPECT_FALSE(d.state().progressVisible);
    EXPECT_EQ(d.state().progressLeft, " ");
    EXPECT_EQ(d.state().windowTitle, "Kavlo");
}

TEST(MainDialog, overwriteQuestionNoChangesNothingAndAsksAgain) {
    Fixture f("md_overwrite");
    fs::create_directories(f.model.destdir + "/ext/xml");
    test::writeAll(f.model.destdir + "/ext/xml/albuminfo.xml", "earlier album");
    ScriptedPlatform ui;
    const std::string q = "You are about to overwrite a previously generated album in\n" +
                          f.model.destdir + ".\n\nDo you want to continue?";
    ui.expectMessage("Warning", q, MessageAnswer::No);
    ui.expectMessage("Warning", q, MessageAnswer::Yes);
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    EXPECT_EQ(d.pressStart(), StartOutcome::Declined);
    EXPECT_EQ(test::readAll(f.model.destdir + "/ext/xml/albuminfo.xml"), "earlier album");
    EXPECT_FALSE(fs::exists(f.root + "/config/kavlo_settings.xml"));
    EXPECT_TRUE(d.state().startEnabled);
    EXPECT_FALSE(d.state().progressVisible);
    EXPECT_EQ(d.pressStart(), StartOutcome::Started);
    EXPECT_EQ(ui.messages.at(0).buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui.messages.at(0).icon, MessageIcon::Warning);
    runToEnd(d);
    EXPECT_TRUE(d.done());
    EXPECT_TRUE(ui.finished());
}

TEST(MainDialog, openedAlbumIsNeverQuestioned) {
    Fixture f("md_opened");
    fs::create_directories(f.model.destdir + "/ext/xml");
    test::writeAll(f.model.destdir + "/ext/xml/albuminfo.xml", "earlier album");
    ScriptedPlatform ui;
    MainDialog d(ui, f.model, *f.renderer, f.options(false, true));
    d.open();
    EXPECT_EQ(d.pressStart(), StartOutcome::Started);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(MainDialog, runProgressTextsAndShowAlbum) {
    Fixture f("md_progress", 10);
    ScriptedPlatform ui;
    Editor editor;
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    d.editorShown(&editor);
    d.setTitleText("New title");
    ASSERT_EQ(d.pressStart(), StartOutcome::Started);
    EXPECT_EQ(editor.hides, 1);
    EXPECT_EQ(editor.stops, 1);
    EXPECT_EQ(f.model.title, "New title");
    const MainDialogState& st = d.state();
    EXPECT_FALSE(st.startEnabled);
    EXPECT_FALSE(st.editAlbumVisible);
    EXPECT_FALSE(st.optionsVisible);
    EXPECT_FALSE(st.aboutVisible);
    EXPECT_FALSE(st.changeVisible);
    EXPECT_TRUE(st.editsReadOnly);
    EXPECT_TRUE(st.progressVisible);
    EXPECT_TRUE(ui.waitCursor);
    d.setTitleText("ignored while running");
    EXPECT_EQ(st.titleText, "New title");
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(d.step());
    // 5 of 10 images, one second each.
    EXPECT_EQ(st.windowTitle, "Kavlo  [50%]");
    EXPECT_EQ(st.progressRight, "50% completed");
    EXPECT_EQ(st.progressPosition, 50);
    EXPECT_EQ(st.progressLeft, "Remaining time: 5 sec");
    EXPECT_EQ(st.progressCentre, "Total time: 10 sec");
    runToEnd(d);
    EXPECT_TRUE(d.done());
    EXPECT_EQ(st.progressLeft, " ");
    EXPECT_EQ(st.windowTitle, "Kavlo  [100%]");
    EXPECT_EQ(st.startText, "Show Album");
    EXPECT_TRUE(st.startEnabled);
    EXPECT_FALSE(ui.waitCursor);
    EXPECT_FALSE(d.closed());
    EXPECT_TRUE(fs::exists(f.model.destdir + "/ext/xml/albuminfo.xml"));
    EXPECT_TRUE(fs::exists(f.model.destdir + "/medium/0010.jpg"));
    // Quitting after the run asks nothing, even with the editor opened.
    EXPECT_EQ(d.pressStart(), StartOutcome::ShowedAlbum);
    EXPECT_EQ(ui.opened, std::vector<std::string>{f.model.destdir + "/index.html"});
    EXPECT_TRUE(d.closed());
}

TEST(MainDialog, unattendedRunClosesByItself) {
    Fixture f("md_unattended");
    ScriptedPlatform ui;
    MainDialog d(ui, f.model, *f.renderer, f.options(true));
    ASSERT_TRUE(d.open());
    ASSERT_EQ(d.pressStart(), StartOutcome::Started);
    runToEnd(d);
    EXPECT_TRUE(d.closed());
    EXPECT_NE(d.state().startText, "Show Album");
    EXPECT_TRUE(ui.opened.empty());
}

TEST(MainDialog, publishedOriginalsWithAPositionAreToldOnceUnlessTheyLoseIt) {
    struct Case {
        bool copyhires, striplocation, withPosition, told;
    };
    for (const Case c : {Case{true, false, true, true}, Case{true, true, true, false},
                         Case{false, false, true, false}, Case{true, false, false, false}}) {
        Fixture f("md_location");
        const std::string gps = f.root + "/photos/zz.jpg";
        fs::copy_file(
            test::testPhoto(c.withPosition ? "cameras/Kodak_CX7530.jpg" : "cameras/Canon_40D.jpg"),
            gps);
        f.model.images.push_back({gps, "", ""});
        f.model.settings.large = true;
        f.model.settings.copyhires = c.copyhires;
        f.model.settings.striplocation = c.striplocation;
        ScriptedPlatform ui;
        if (c.told) ui.expectMessage("Information", "Photos of this album carry the place");
        MainDialog d(ui, f.model, *f.renderer, f.options());
        d.open();
        ASSERT_EQ(d.pressStart(), StartOutcome::Started);
        runToEnd(d);
        EXPECT_TRUE(ui.finished()) << c.copyhires << c.striplocation << c.withPosition;
        EXPECT_EQ(ui.messages.size(), c.told ? 1u : 0u);
    }
}

TEST(MainDialog, startWritesTheSettingsFile) {
    Fixture f("md_settings");
    ScriptedPlatform ui;
    f.model.settings.mhsize = 500;
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    d.setExifpos(ExifCaptionPlace::majorCaption);
    ASSERT_EQ(d.pressStart(), StartOutcome::Started);
    ResourceValues v;
    ASSERT_TRUE(v.load(f.root + "/config/kavlo_settings.xml"));
    EXPECT_EQ(v.getInt("exifpos"), 1);
    EXPECT_EQ(v.getString("inputdir"), f.root + "/photos");
    EXPECT_EQ(v.getInt("mhsize"), 500);
}

TEST(MainDialog, exifCaptionsOnlyForANewUneditedAlbum) {
    const std::string cam = test::testPhoto("cameras/Canon_40D.jpg");
    struct Case {
        ExifCaptionPlace exifpos;
        bool editor;
        bool opened;
        bool expectMinor;
        bool expectMajor;
    };
    int n = 0;
    const ExifCaptionPlace minor = ExifCaptionPlace::minorCaption;
    for (const Case c :
         {Case{minor, false, false, true, false},
          Case{ExifCaptionPlace::majorCaption, false, false, false, true},
          Case{ExifCaptionPlace::none, false, false, false, false},
          Case{minor, true, false, false, false}, Case{minor, false, true, false, false},
          Case{static_cast<ExifCaptionPlace>(7), false, false, true, false}}) {
        Fixture f(format("md_exif%d", n++), 0);
        fs::copy_file(cam, f.root + "/photos/c.jpg");
        f.model.images = {{f.root + "/photos/c.jpg", "", ""}};
        ScriptedPlatform ui;
        Editor editor;
        MainDialog d(ui, f.model, *f.renderer, f.options(false, c.opened));
        d.open();
        d.setExifpos(c.exifpos);
        if (c.editor) d.editorShown(&editor);
        ASSERT_EQ(d.pressStart(), StartOutcome::Started);
        EXPECT_EQ(!f.model.images[0].micap.empty(), c.expectMinor) << n;
        EXPECT_EQ(!f.model.images[0].macap.empty(), c.expectMajor) << n;
    }
}

TEST(MainDialog, unwritableDestinationKeepsTheDialogIdle) {
    Fixture f("md_unwritable");
    test::writeAll(f.root + "/blocker", "a file, not a folder");
    f.model.destdir = f.root + "/blocker/album";
    ScriptedPlatform ui;
    ui.expectMessage("Error", "Please change the album destination to a writable directory.");
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    EXPECT_EQ(d.pressStart(), StartOutcome::Unwritable);
    EXPECT_TRUE(d.state().startEnabled);
    EXPECT_FALSE(d.state().progressVisible);
    EXPECT_FALSE(d.running());
    EXPECT_FALSE(fs::exists(f.root + "/config/kavlo_settings.xml"));
    EXPECT_TRUE(ui.finished());
}

TEST(MainDialog, onlyTheDestinationItselfIsCreatedNeverItsMissingParents) {
    Fixture f("md_parents");
    f.model.destdir = f.root + "/missing/deeper/album";
    ScriptedPlatform ui;
    ui.expectMessage("Error", "Please change the album destination to a writable directory.");
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    EXPECT_EQ(d.pressStart(), StartOutcome::Unwritable);
    EXPECT_FALSE(fs::exists(f.root + "/missing"));
    EXPECT_TRUE(ui.finished());

    fs::create_directories(f.root + "/missing/deeper");
    ScriptedPlatform again;
    MainDialog made(again, f.model, *f.renderer, f.options());
    made.open();
    EXPECT_EQ(made.pressStart(), StartOutcome::Started);
    EXPECT_TRUE(fs::is_directory(f.model.destdir));
}

TEST(MainDialog, aWatermarkThatCannotBeStampedIsReportedAfterTheRun) {
    Fixture f("md_watermark");
    f.model.settings.imagetext = true;
    f.model.settings.ittext = std::string(2000, 'x');  // longer than any text rendered
    ScriptedPlatform ui;
    ui.expectMessage("Warning",
                     "The watermark could not be stamped on 3 images: they were written without "
                     "it.\n\nChoose a font in the watermark settings that has the characters of "
                     "the text.");
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    testing::internal::CaptureStdout();
    ASSERT_EQ(d.pressStart(), StartOutcome::Started);
    runToEnd(d);
    const std::string lines = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(d.done());
    EXPECT_TRUE(ui.finished());
    EXPECT_EQ(f.renderer->missingWatermarks(), 3);
    EXPECT_NE(lines.find(f.model.images[2].path), std::string::npos) << lines;
}

TEST(MainDialog, inputFolderWithoutImagesEndsTheProgram) {
    Fixture f("md_noimages");
    for (const auto& e : f.model.images) fs::remove(e.path);
    ScriptedPlatform ui;
    ui.expectMessage(
        "Warning",
        "No photos (JPEG, TIFF, HEIC/HEIF, AVIF, PNG or WebP) were found in the specified "
        "directory.\n\nKavlo will exit.");
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    EXPECT_EQ(d.pressStart(), StartOutcome::NoImages);
    EXPECT_TRUE(d.closed());
    EXPECT_FALSE(fs::exists(f.model.destdir + "/ext/xml/albuminfo.xml"));
}

TEST(MainDialog, quitAsksOnlyWhenTheEditorWasOpened) {
    Fixture f("md_quit");
    {
        ScriptedPlatform ui;
        MainDialog d(ui, f.model, *f.renderer, f.options());
        d.open();
        EXPECT_TRUE(d.requestQuit());
        EXPECT_TRUE(ui.messages.empty());
    }
    ScriptedPlatform ui;
    ui.expectMessage("Quit",
                     "Quitting Kavlo will discard all captions etc.\n\nDo you want to quit?",
                     MessageAnswer::No);
    ui.expectMessage("Quit", "Quitting Kavlo", MessageAnswer::Yes);
    Editor editor;
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    d.editorShown(&editor);
    EXPECT_FALSE(d.requestQuit());
    EXPECT_FALSE(d.closed());
    EXPECT_EQ(ui.messages.at(0).defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(ui.messages.at(0).icon, MessageIcon::Question);
    EXPECT_TRUE(d.requestQuit());
    EXPECT_TRUE(d.closed());
}

TEST(MainDialog, editorHearsOfAChangedAutorotate) {
    Fixture f("md_autorotate");
    ScriptedPlatform ui;
    Editor editor;
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    EXPECT_FALSE(d.editorNeedsAutorotateRefresh());
    d.editorShown(&editor);
    EXPECT_FALSE(d.editorNeedsAutorotateRefresh());
    f.model.settings.autorotate = false;
    EXPECT_TRUE(d.editorNeedsAutorotateRefresh());
    EXPECT_FALSE(d.editorNeedsAutorotateRefresh());
}

TEST(MainDialog, destinationChooserRefusesAnEmptyPath) {
    Fixture f("md_change");
    ScriptedPlatform ui;
    ui.expectFolder(FolderChoice::chosen(""), "Select directory for the generated photo album.");
    ui.expectMessage("Warning", "Invalid destination folder selected.\n\nPlease try again.");
    ui.expectFolder(FolderChoice::chosen(f.root + "/out/"));
    ui.expectFolder(FolderChoice::cancel());
    MainDialog d(ui, f.model, *f.renderer, f.options());
    d.open();
    d.changeDestination();
    EXPECT_EQ(f.model.destdir, f.root + "/out");
    EXPECT_EQ(d.state().destinationText, f.root + "/out");
    EXPECT_TRUE(ui.folders.at(0).newFolderButton);
    EXPECT_EQ(ui.folders.at(0).initialSelection, f.root + "/photos/album");
    d.changeDestination();
    EXPECT_EQ(f.model.destdir, f.root + "/out");
    d.openInputFolder();
    EXPECT_EQ(ui.opened, std::vector<std::string>{f.root + "/photos"});
    EXPECT_TRUE(ui.finished());
}

}  // namespace
}  // namespace kavlo::ui
