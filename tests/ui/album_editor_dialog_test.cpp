// SPDX-License-Identifier: MIT
// Album editor logic: moves, reversal, exclusion, caption commits, navigation,
// Rebuild, the dialogs it opens, and thumbnails that follow their images.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "core/platform.h"
#include "ui/album_editor_dialog.h"

namespace fs = std::filesystem;
namespace kavlo::ui {

using core::CaptionSource;
using core::CustomColours;
using core::FolderChoice;
using core::FolderRequest;
using core::Message;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using core::Platform;
using model::AlbumModel;
using util::Colour;

namespace {

// Answers message boxes from a script and records what the editor asked.
class ScriptedPlatform : public Platform {
public:
    std::deque<MessageAnswer> answers;
    std::vector<Message> shown;
    std::vector<std::string> opened;
    int waitDepth = 0;
    int waitCalls = 0;

    MessageAnswer messageBox(const Message& m) override {
        shown.push_back(m);
        if (answers.empty()) return MessageAnswer::Ok;
        MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    FolderChoice chooseFolder(const FolderRequest&) override { return FolderChoice::cancel(); }
    std::optional<Colour> chooseColour(Colour, CustomColours&) override { return std::nullopt; }
    bool openWithDefaultProgram(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    void setWaitCursor(bool on) override {
        waitDepth += on ? 1 : -1;
        ++waitCalls;
    }
};

// Records notifications; modal dialogs answer through callbacks.
class RecordingView : public AlbumEditorView {
public:
    std::atomic<int> posts{0};
    int resets = 0, selections = 0, hides = 0, shows = 0, frozenDepth = 0;
    std::vector<std::pair<int, int>> moves;
    std::vector<int> removed;
    std::function<bool(CaptionExtractionDialog&)> extraction;
    std::function<bool(IntroLinkDialog&)> introduction;
    std::function<void()> duringRearrangement;  // a toolkit reporting selections mid-move

    void showWindow() override { ++shows; }
    void hideWindow() override { ++hides; }
    void listReset() override {
        ++resets;
        if (duringRearrangement) duringRearrangement();
    }
    void itemMoved(int from, int to) override {
        moves.emplace_back(from, to);
        if (duringRearrangement) duringRearrangement();
    }
    void itemRemoved(int row) override { removed.push_back(row); }
    void selectionChanged() override { ++selections; }
    void setFrozen(bool f) override { frozenDepth += f ? 1 : -1; }
    bool runCaptionExtraction(CaptionExtractionDialog& d) override {
        return extraction ? extraction(d) : false;
    }
    bool runIntroductionLink(IntroLinkDialog& d) override {
        return introduction ? introduction(d) : false;
    }
    void postRefreshThumbnails() override { ++posts; }
};

// A thumbnail that names its image: one pixel whose blue byte is the digit in the
// file name and whose green byte tells the rotation setting.
Picture fakeThumbnail(const std::string& path, int, bool autorotate, ThumbnailSource* src) {
    Picture p;
    p.width = 1;
    p.height = 1;
    const auto dot = path.rfind('.');
    p.bgr = {static_cast<std::uint8_t>(path[dot - 1]), static_cast<std::uint8_t>(autorotate), 0};
    if (src) *src = ThumbnailSource::DecodedJpeg;
    return p;
}

class AlbumEditorTest : public ::testing::Test {
protected:
    AlbumModel model;
    ScriptedPlatform platform;
    RecordingView view;
    std::unique_ptr<AlbumEditorDialog> editor;

    void open(const std::vector<std::string>& names, ThumbnailMaker maker = fakeThumbnail) {
        for (const auto& n : names) model.images.push_back({"/photos/" + n + ".jpg", "", ""});
        model.settings.reuseimages = true;
        editor = std::make_unique<AlbumEditorDialog>(model, platform, std::move(maker));
        editor->setView(&view);
        editor->showEditor(true);
    }
    std::string order() const {
        std::string s;
        for (const auto& e : model.images) s += fs::path(e.path).stem().string();
        return s;
    }
    void TearDown() override {
        if (editor) editor->stopBackgroundWork();
    }
};

}  // namespace

TEST_F(AlbumEditorTest, movesLandBeforeTheInsertionPoint) {
    open({"0", "1", "2", "3", "4"});
    editor->select(2);
    editor->moveImage(2, 4);
    EXPECT_EQ(order(), "01324");
    EXPECT_EQ(editor->selected(), 3);
    EXPECT_FALSE(model.settings.reuseimages);
    EXPECT_EQ(view.moves.back(), std::make_pair(2, 3));
    EXPECT_EQ(view.frozenDepth, 0);

    editor->moveImage(3, 0);  // image 2 again, now at row 3
    EXPECT_EQ(order(), "20134");
    EXPECT_EQ(editor->selected(), 0);
    EXPECT_FALSE(editor->previousEnabled());
    EXPECT_TRUE(editor->nextEnabled());
}

TEST_F(AlbumEditorTest, moveToEndAndTopCarryTheSelectedImage) {
    open({"0", "1", "2", "3", "4"});
    editor->select(2);
    editor->moveToEnd();
    EXPECT_EQ(order(), "01342");
    EXPECT_EQ(editor->selected(), 4);
    EXPECT_FALSE(editor->nextEnabled());
    editor->select(3);
    editor->moveToTop();
    EXPECT_EQ(order(), "40132");
    EXPECT_EQ(editor->selected(), 0);
}

TEST_F(AlbumEditorTest, dropTargetsTheItemHalfAnItemBelowTheMouse) {
    EXPECT_EQ(AlbumEditorDialog::dropInsertionPoint(3, 2, 5), 3);    // lower half of item 2
    EXPECT_EQ(AlbumEditorDialog::dropInsertionPoint(-1, 4, 5), 5);   // lower half of the last
    EXPECT_EQ(AlbumEditorDialog::dropInsertionPoint(-1, 2, 5), -1);  // gap: nothing happens
    EXPECT_EQ(AlbumEditorDialog::dropInsertionPoint(-1, -1, 5), -1);

    open({"0", "1", "2", "3", "4"});
    editor->select(1);
    editor->drop(1, -1, 4);
    EXPECT_EQ(order(), "02341");
    model.settings.reuseimages = true;
    editor->drop(0, -1, 2);  // no target: the album and its reuse flag stay as they are
    EXPECT_EQ(order(), "02341");
    EXPECT_TRUE(model.settings.reuseimages);
}

TEST_F(AlbumEditorTest, revertOrderKeepsTheSelectedImageSelected) {
    open({"P", "Q", "R", "S", "T"});
    editor->select(2);
    editor->revertOrder();
    EXPECT_EQ(order(), "TSRQP");
    EXPECT_EQ(editor->selected(), 2);
    EXPECT_FALSE(model.settings.reuseimages);

    editor->revertOrder();
    editor->select(1);  // Q
    editor->revertOrder();
    EXPECT_EQ(order(), "TSRQP");
    EXPECT_EQ(editor->selected(), 3);
    EXPECT_EQ(editor->selectedPath(), "/photos/Q.jpg");
}

TEST_F(AlbumEditorTest, excludeAsksAndMovesTheSelection) {
    open({"0", "1", "2", "3"});
    EXPECT_EQ(editor->title(), "Album Editor  -  4 images");

    platform.answers = {MessageAnswer::No};
    editor->select(1);
    editor->exclude();
    EXPECT_EQ(order(), "0123");
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].caption, "Exclude current image");
    EXPECT_EQ(platform.shown[0].text,
              "Excluding an image can not be undone.\n\nDo you want to continue?");
    EXPECT_EQ(platform.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(platform.shown[0].icon, MessageIcon::Question);
    EXPECT_TRUE(model.settings.reuseimages);

    platform.answers = {MessageAnswer::Yes};
    editor->exclude();  // image 1: the one after it becomes selected
    EXPECT_EQ(order(), "023");
    EXPECT_EQ(editor->selectedPath(), "/photos/2.jpg");
    EXPECT_EQ(editor->title(), "Album Editor  -  3 images");
    EXPECT_FALSE(model.settings.reuseimages);
    EXPECT_EQ(view.removed, std::vector<int>{1});

    platform.answers = {MessageAnswer::Yes};
    editor->key(EditorKey::CtrlEnd);
    editor->key(EditorKey::CtrlDelete);  // the last image: the one before it
    EXPECT_EQ(order(), "02");
    EXPECT_EQ(editor->selected(), 1);
    EXPECT_EQ(editor->selectedPath(), "/photos/2.jpg");
}

TEST_F(AlbumEditorTest, theOnlyImageIsNeverExcluded) {
    open({"0"});
    EXPECT_FALSE(editor->excludeEnabled());
    EXPECT_FALSE(editor->previousEnabled());
    EXPECT_FALSE(editor->nextEnabled());
    platform.answers = {MessageAnswer::Yes};
    editor->key(EditorKey::CtrlDelete);
    EXPECT_EQ(platform.shown.size(), 1u);  // the question is still asked
    EXPECT_EQ(order(), "0");
    EXPECT_TRUE(model.settings.reuseimages);
}

TEST_F(AlbumEditorTest, captionBoxesCommitWhenTheSelectionLeaves) {
    open({"0", "1", "2"});
    model.images[0].macap = "old major";
    model.images[0].micap = "old minor";
    model.images[1].macap = "second";
    editor->select(1);
    editor->select(0);
    EXPECT_EQ(editor->majorText(), "old major");

    editor->setMajorText("");  // an empty box leaves the caption unchanged
    editor->setMinorText("new minor");
    editor->key(EditorKey::PageDown);
    EXPECT_EQ(model.images[0].macap, "old major");
    EXPECT_EQ(model.images[0].micap, "new minor");
    EXPECT_EQ(editor->majorText(), "second");

    // The boxes belong to the selected image, even when another image is dragged.
    editor->setMajorText("typed for 1");
    editor->drop(2, 0, 0);
    EXPECT_EQ(order(), "201");
    EXPECT_EQ(model.images[2].macap, "typed for 1");
    EXPECT_EQ(model.images[0].macap, "");
    EXPECT_EQ(editor->selected(), 0);  // the moved image is selected afterwards
}

TEST_F(AlbumEditorTest, noCommitWhileTheListIsRearranged) {
    open({"0", "1", "2", "3", "4"});
    editor->select(1);
    editor->setMajorText("typed for 1");
    // The list reports selection changes while the rows move under it; the rows no
    // longer match the boxes then, so nothing may be written.
    view.duringRearrangement = [&] { editor->select(2); };
    editor->moveToEnd();
    editor->revertOrder();
    view.duringRearrangement = nullptr;
    int typed = 0;
    for (const auto& e : model.images) typed += e.macap == "typed for 1";
    EXPECT_EQ(typed, 1);
    EXPECT_EQ(model.images[0].macap, "typed for 1");  // image 1: last, then first
    EXPECT_EQ(order(), "14320");
    EXPECT_EQ(editor->selectedPath(), "/photos/1.jpg");
}

TEST_F(AlbumEditorTest, closeAndHideCommitTheBoxes) {
    open({"0", "1"});
    editor->setMajorText("on close");
    editor->close();
    EXPECT_EQ(model.images[0].macap, "on close");
    EXPECT_FALSE(editor->visible());
    EXPECT_EQ(view.hides, 1);

    editor->showEditor(true);
    EXPECT_EQ(view.resets, 1);  // same rotation: no new fill
    editor->setMinorText("typed before Start");
    editor->hideWindow();  // Start hides the editor: the text must reach the album
    EXPECT_EQ(model.images[0].micap, "typed before Start");
}

TEST_F(AlbumEditorTest, navigationKeysAndButtons) {
    open({"0", "1", "2"});
    EXPECT_EQ(editor->selected(), 0);
    editor->previous();
    EXPECT_EQ(editor->selected(), 0);
    editor->key(EditorKey::CtrlEnd);
    EXPECT_EQ(editor->selected(), 2);
    editor->next();
    EXPECT_EQ(editor->selected(), 2);
    editor->key(EditorKey::PageUp);
    EXPECT_EQ(editor->selected(), 1);
    editor->key(EditorKey::CtrlHome);
    EXPECT_EQ(editor->selected(), 0);
    EXPECT_EQ(platform.waitDepth, 0);
}

TEST_F(AlbumEditorTest, labelsAreCutAfterTwelveCharacters) {
    EXPECT_EQ(thumbnailLabel("/p/IMG_20070512_1234.jpg"), "IMG_20070512..");
    EXPECT_EQ(thumbnailLabel("/p/IMG_0001.jpg"), "IMG_0001.jpg");
    EXPECT_EQ(thumbnailLabel("/p/ABCDEFGHIJ.jpg"), "ABCDEFGHIJ.jpg");  // 14: in full
    // Twelve two-byte characters are kept whole: no character is split.
    EXPECT_EQ(thumbnailLabel("/p/\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3"
                             "\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4x.jpg"),
              "\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"
              "\xc3\xa4\xc3\xa4..");
}

TEST_F(AlbumEditorTest, rebuildEmptiesOnlyTheAlbumImageFolders) {
    const fs::path root = fs::path(KAVLO_TEST_OUTPUT) / "editor" / "rebuild";
    fs::remove_all(root);
    for (const char* d : {"album/small", "album/medium", "album/large", "photos"}) {
        fs::create_directories(root / d);
        std::ofstream(root / d / "0001.jpg") << "x";
    }
    open({"0"});
    model.destdir = (root / "album").string();
    editor->rebuildAlbumImages();
    EXPECT_FALSE(fs::exists(root / "album/small/0001.jpg"));
    EXPECT_FALSE(fs::exists(root / "album/medium/0001.jpg"));
    EXPECT_FALSE(fs::exists(root / "album/large/0001.jpg"));
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].caption, "Information");
    EXPECT_EQ(platform.shown[0].text,
              "Album images will now be regenerated from the original image files\nto ensure "
              "that adjustments are reflected in the album.");

    // A folder setting from an album file that points outside the album is ignored.
    model.settings.sdir = "../photos";
    model.settings.mdir = "..";
    editor->rebuildAlbumImages();
    EXPECT_TRUE(fs::exists(root / "photos/0001.jpg"));
}

TEST_F(AlbumEditorTest, rebuildButtonOnlyForReusedAlbums) {
    model.settings.reuseimages = false;
    AlbumEditorDialog fresh(model, platform, fakeThumbnail);
    fresh.showEditor(true);
    EXPECT_FALSE(fresh.rebuildVisible());
    open({"0"});
    EXPECT_TRUE(editor->rebuildVisible());
}

TEST_F(AlbumEditorTest, captionExtractionStoresFormatsAndRefreshesTheBoxes) {
    open({"0", "1", "2"});
    model.settings.iptcformat = "%headline%";
    model.settings.exifformat = "eaf";
    editor->select(1);
    editor->setMajorText("typed, never committed");

    view.extraction = [](CaptionExtractionDialog& d) {
        EXPECT_EQ(d.range(), 0);
        d.setSource(CaptionSource::number);
        d.acceptExifEditor(ExifFormatDialog("dk"));
        return true;
    };
    editor->extractCaptions();
    EXPECT_EQ(model.images[1].macap, "2");
    EXPECT_EQ(model.images[0].macap, "");
    EXPECT_EQ(editor->majorText(), "2");
    EXPECT_EQ(model.settings.exifformat, "kd");
    EXPECT_EQ(platform.waitDepth, 0);

    // Source and destination persist, the range starts at the current image again.
    view.extraction = [](CaptionExtractionDialog& d) {
        EXPECT_EQ(d.source(), CaptionSource::number);
        EXPECT_EQ(d.range(), 0);
        d.setDestination(1);
        d.setRange(1);
        d.acceptIptcEditor(IptcFormatDialog("%city%"));
        return false;  // Cancel: nothing changes
    };
    editor->extractCaptions();
    EXPECT_EQ(model.settings.iptcformat, "%headline%");
    EXPECT_EQ(model.images[2].micap, "");

    view.extraction = [](CaptionExtractionDialog& d) {
        EXPECT_EQ(d.destination(), 1);
        EXPECT_EQ(d.range(), 0);
        d.setRange(1);
        return true;
    };
    editor->extractCaptions();
    EXPECT_EQ(model.images[0].micap, "1");
    EXPECT_EQ(model.images[2].micap, "3");
    EXPECT_EQ(editor->minorText(), "2");
}

TEST_F(AlbumEditorTest, introductionIsStoredOnlyOnOk) {
    open({"0"});
    model.intro = "Line one\r\nLine two";
    model.settings.linktext = "Home";
    model.settings.linkurl = "https://www.example.com";
    view.introduction = [](IntroLinkDialog& d) {
        d.setIntroFromEdit("changed\nintro");
        d.setLinkUrl("https://other.example.com");
        return false;
    };
    editor->editIntroduction();
    EXPECT_EQ(model.intro, "Line one\r\nLine two");
    EXPECT_EQ(model.settings.linkurl, "https://www.example.com");

    view.introduction = [](IntroLinkDialog& d) {
        d.setIntroFromEdit(d.introEditText());
        return true;
    };
    editor->editIntroduction();
    EXPECT_EQ(model.intro, "Line one\r\nLine two");
    EXPECT_EQ(model.settings.linktext, "Home");

    view.introduction = [](IntroLinkDialog& d) {
        d.setIntroFromEdit("a\nb");
        d.setLinkText("Start");
        return true;
    };
    editor->editIntroduction();
    EXPECT_EQ(model.intro, "a\r\nb");
    EXPECT_EQ(model.settings.linktext, "Start");
}

namespace {

// Waits until the producer of `editor` has finished, then takes what it made.
void drain(AlbumEditorDialog& editor) {
    for (int i = 0; i < 2000 && editor.loadingThumbnails(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    editor.refreshThumbnails();
}

int tagOf(const AlbumEditorDialog& e, int row) {
    auto p = e.thumbnail(row);
    return p ? p->bgr[0] : -1;
}

}  // namespace

TEST_F(AlbumEditorTest, thumbnailsFollowTheirImagesThroughMoves) {
    // The producer is held after its first image, so the rest arrive after the moves.
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    open({"0", "1", "2", "3", "4"},
         [&](const std::string& path, int size, bool rot, ThumbnailSource* src) {
             if (path != "/photos/0.jpg") {
                 std::unique_lock<std::mutex> lock(m);
                 cv.wait(lock, [&] { return release; });
             }
             return fakeThumbnail(path, size, rot, src);
         });
    editor->select(2);
    editor->moveToTop();  // 2 0 1 3 4
    editor->select(4);
    platform.answers = {MessageAnswer::Yes};
    editor->exclude();      // 2 0 1 3
    editor->revertOrder();  // 3 1 0 2
    {
        std::lock_guard<std::mutex> lock(m);
        release = true;
    }
    cv.notify_all();
    drain(*editor);
    ASSERT_EQ(order(), "3102");
    for (int row = 0; row < 4; ++row) EXPECT_EQ(tagOf(*editor, row), order()[row]) << "row " << row;
    EXPECT_GE(view.posts.load(), 1);
}

TEST_F(AlbumEditorTest, rotationChangeMakesTheThumbnailsAgain) {
    open({"0", "1"});
    drain(*editor);
    ASSERT_TRUE(editor->thumbnail(1));
    EXPECT_EQ(editor->thumbnail(1)->bgr[1], 1);
    editor->close();
    editor->showEditor(false);
    EXPECT_EQ(view.resets, 2);
    EXPECT_FALSE(editor->thumbnail(1));  // placeholders until the new ones arrive
    drain(*editor);
    ASSERT_TRUE(editor->thumbnail(1));
    EXPECT_EQ(editor->thumbnail(1)->bgr[1], 0);
    EXPECT_EQ(editor->selected(), 0);
}

}  // namespace kavlo::ui
