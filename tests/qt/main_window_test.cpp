// SPDX-License-Identifier: MIT
// The main window over MainDialog: its controls, a whole run driven by the event loop
// with the progress and title, Show Album, the quit question, an unattended run, the
// destination chooser, the window menu; and the progress bar's painting.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>

#include "core/album_renderer.h"
#include "qt/link_label.h"
#include "qt/main_window.h"
#include "qt/progress_bar.h"
#include "qt_test_support.h"
#include "support/test_photos.h"
#include "util/files.h"

namespace fs = std::filesystem;
namespace kavlo::qt {

using core::AlbumRenderer;
using core::FolderChoice;
using core::MessageAnswer;
using kavlo::test::QuietPlatform;
using model::AlbumModel;
using ui::MainDialog;
using ui::MainDialogOptions;
using util::fileExists;
using util::listImages;

namespace {

/// A fresh image folder with `count` sample photos.
std::string photoFolder(const std::string& name, int count) {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "qt-main" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path cameras = fs::path(test::testPhotoFolder("cameras"));
    int n = 0;
    for (const auto& entry : fs::directory_iterator(cameras)) {
        if (n == count) break;
        if (entry.path().extension() != ".jpg") continue;
        fs::copy_file(entry.path(), dir / entry.path().filename());
        ++n;
    }
    return dir.string();
}

/// QuietPlatform that lets a test look at the window while a message box is open.
class WatchedPlatform : public QuietPlatform {
public:
    std::function<void()> onMessage;
    MessageAnswer messageBox(const core::Message& m) override {
        if (onMessage) onMessage();
        return QuietPlatform::messageBox(m);
    }
};

/// The main window with its modal windows (Options, About) declined at once.
class TestMainWindow : public MainWindow {
public:
    using MainWindow::MainWindow;

protected:
    bool runDialog(QDialog&) override { return false; }
};

struct Album {
    explicit Album(const std::string& name, int count = 4, bool unattended = false) {
        test::ensureApplication();
        model.inputdir = photoFolder(name, count);
        model.destdir = model.inputdir + "/album";
        model.title = "Trip";
        model.footer = "Footer text";
        model.appendFiles(listImages(model.inputdir, false));
        model.settings.templatedir = std::string(KAVLO_SOURCE_DIR) + "/templates";
        MainDialogOptions options;
        options.settingsPath = std::string(KAVLO_TEST_OUTPUT) + "/qt-main/" + name + ".xml";
        options.unattended = unattended;
        logic = std::make_unique<MainDialog>(platform, model, renderer, options);
        window = std::make_unique<TestMainWindow>(*logic, platform);
    }
    WatchedPlatform platform;
    AlbumModel model;
    AlbumRenderer renderer{model};
    std::unique_ptr<MainDialog> logic;
    std::unique_ptr<TestMainWindow> window;
};

/// Lets the event loop run until `done` or 60 seconds.
template <typename F>
bool spinUntil(F done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace

TEST(MainWindow, opensWithTheAlbumTextsAndItsControls) {
    Album a("controls");
    a.window->open();
    a.window->show();
    MainWindow& w = *a.window;
    EXPECT_EQ(w.windowTitle(), "Kavlo");
    EXPECT_EQ(test::child<QLineEdit>(w, "title")->text(), "Trip");
    EXPECT_EQ(test::child<QLineEdit>(w, "footer")->text(), "Footer text");
    EXPECT_EQ(test::child<DestinationLabel>(w, "destination")->toolTip().toStdString(),
              a.model.destdir);
    EXPECT_EQ(test::child<CLinkLabel>(w, "change")->text(), "change");
    EXPECT_EQ(test::child<QPushButton>(w, "editAlbum")->text(), "&Edit Album...");
    EXPECT_EQ(test::child<QPushButton>(w, "options")->text(), "&Options...");
    EXPECT_EQ(test::child<QPushButton>(w, "about")->text(), "&About/Help...");
    EXPECT_EQ(test::child<QPushButton>(w, "start")->text(), "&Start");
    EXPECT_TRUE(test::child<QPushButton>(w, "start")->isDefault());
    EXPECT_FALSE(test::child<TextProgressBar>(w, "progress")->isVisible());
    QStringList labels;
    for (const QLabel* l : w.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("&Title"));
    EXPECT_TRUE(labels.contains("&Footer"));
    EXPECT_TRUE(labels.contains("Destination:"));
    ASSERT_FALSE(w.windowMenu()->actions().isEmpty());
    EXPECT_EQ(w.windowMenu()->actions().back()->text(), "&About Kavlo...");
    test::saveScreenshot(w, "main_window");
}

TEST(MainWindow, aRunAdvancesThroughTheEventLoopAndOffersTheAlbum) {
    Album a("run", 4);
    a.window->open();
    a.window->show();
    MainWindow& w = *a.window;
    QTest::keyClicks(test::child<QLineEdit>(w, "title"), " 2026");
    test::child<QPushButton>(w, "start")->click();
    // Straight after Start the controls are locked and the progress shows.
    EXPECT_TRUE(test::child<TextProgressBar>(w, "progress")->isVisible());
    EXPECT_FALSE(test::child<QPushButton>(w, "start")->isEnabled());
    EXPECT_FALSE(test::child<QPushButton>(w, "options")->isVisible());
    EXPECT_FALSE(test::child<CLinkLabel>(w, "change")->isVisible());
    EXPECT_TRUE(test::child<QLineEdit>(w, "title")->isReadOnly());
    EXPECT_EQ(w.windowTitle(), "Kavlo  [25%]");
    EXPECT_EQ(test::child<TextProgressBar>(w, "progress")->rightText(), "25% completed");
    test::saveScreenshot(w, "main_window_running");

    ASSERT_TRUE(spinUntil([&] { return a.logic->done(); }));
    EXPECT_EQ(w.windowTitle(), "Kavlo  [100%]");
    EXPECT_EQ(test::child<QPushButton>(w, "start")->text(), "Show Album");
    EXPECT_TRUE(test::child<QPushButton>(w, "start")->isEnabled());
    EXPECT_EQ(test::child<TextProgressBar>(w, "progress")->position(), 100);
    EXPECT_EQ(test::child<TextProgressBar>(w, "progress")->leftText(), " ");
    EXPECT_TRUE(
        test::child<TextProgressBar>(w, "progress")->centreText().startsWith("Total time: "));
    EXPECT_EQ(a.model.title, "Trip 2026");
    EXPECT_TRUE(fileExists(a.model.destdir + "/index.html"));
    EXPECT_FALSE(a.platform.waitCursor);
    test::saveScreenshot(w, "main_window_done");

    test::child<QPushButton>(w, "start")->click();
    ASSERT_EQ(a.platform.opened.size(), 1u);
    EXPECT_EQ(a.platform.opened[0], a.model.destdir + "/index.html");
    EXPECT_FALSE(w.isVisible());
}

TEST(MainWindow, startKeepsTheFocusInTheWindowAndTheTitleUnselected) {
    Album a("focus", 3);
    a.window->open();
    a.window->show();
    a.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a.window.get()));
    auto* title = test::child<QLineEdit>(*a.window, "title");
    auto* start = test::child<QPushButton>(*a.window, "start");
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Space);
    ASSERT_TRUE(a.logic->running());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_NE(QApplication::focusWidget(), title);
    EXPECT_EQ(title->selectedText(), QString());
    EXPECT_TRUE(a.window->isActiveWindow());
    ASSERT_TRUE(spinUntil([&] { return a.logic->done(); }));
    EXPECT_EQ(QApplication::focusWidget(), start);  // "Show Album" is one key away
    EXPECT_EQ(title->selectedText(), QString());
}

TEST(MainWindow, showsItsPhotosAndAfterTheRunTheAlbumsFirstThumbnails) {
    Album a("strip", 8);
    a.window->open();
    a.window->show();
    MainWindow& w = *a.window;
    EXPECT_EQ(test::child<DestinationLabel>(w, "photos")->toolTip().toStdString(),
              "8 photos in " + a.model.inputdir);
    auto* strip = test::child<QWidget>(w, "albumThumbnails");
    EXPECT_FALSE(strip->isVisible());
    const int idleHeight = w.height();

    test::child<QPushButton>(w, "start")->click();
    ASSERT_TRUE(spinUntil([&] { return a.logic->done(); }));
    ASSERT_TRUE(strip->isVisible());
    const QList<QLabel*> pictures = strip->findChildren<QLabel*>("albumThumbnail");
    ASSERT_EQ(pictures.size(), 6);  // the first six of eight
    const qreal ratio = w.devicePixelRatioF();
    for (QLabel* picture : pictures) {
        ASSERT_TRUE(picture->isVisible());
        const QPixmap pm = picture->pixmap();
        ASSERT_FALSE(pm.isNull());
        EXPECT_EQ(pm.devicePixelRatio(), ratio);
        // Fitted into the 80-unit box, at device pixels.
        EXPECT_EQ(std::max(pm.width(), pm.height()), qRound(80 * ratio));
    }
    // The window grew to show them, and every control is inside it.
    EXPECT_GT(w.height(), idleHeight);
    for (const char* name : {"start", "about", "title"})
        EXPECT_TRUE(w.rect().contains(test::child<QWidget>(w, name)->geometry())) << name;
    EXPECT_EQ(test::child<QPushButton>(w, "start")->text(), "Show Album");
    test::saveScreenshot(w, "main_window_album");

    // An album of two shows two.
    Album small("strip-two", 2);
    small.window->open();
    small.window->show();
    test::child<QPushButton>(*small.window, "start")->click();
    ASSERT_TRUE(spinUntil([&] { return small.logic->done(); }));
    int shown = 0;
    for (QLabel* picture : small.window->findChildren<QLabel*>("albumThumbnail"))
        shown += picture->isVisible();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(small.logic->photoSummary(), "2 photos in " + small.model.inputdir);
}

TEST(MainWindow, noImagesLeftIsToldOverTheIdleWindowWithoutTheWaitCursor) {
    Album a("no-images-left", 2);
    a.window->open();
    a.window->show();
    for (const auto& entry : fs::directory_iterator(a.model.inputdir))
        if (entry.is_regular_file()) fs::remove(entry.path());
    bool waitCursor = true, startEnabled = false, progressShown = true;
    a.platform.onMessage = [&] {
        waitCursor = a.platform.waitCursor;
        startEnabled = test::child<QPushButton>(*a.window, "start")->isEnabled();
        progressShown = test::child<TextProgressBar>(*a.window, "progress")->isVisible();
    };
    a.platform.expectMessage("Warning", "No photos (JPEG, TIFF, HEIC/HEIF, AVIF, PNG or WebP) were found");
    test::child<QPushButton>(*a.window, "start")->click();
    EXPECT_TRUE(a.platform.finished());
    EXPECT_FALSE(waitCursor);
    EXPECT_TRUE(startEnabled);
    EXPECT_FALSE(progressShown);
    EXPECT_FALSE(a.window->isVisible());  // Kavlo ends
}

TEST(MainWindow, anUnattendedRunStartsAndClosesByItself) {
    Album a("unattended", 2, true);
    a.window->open();
    a.window->show();
    ASSERT_TRUE(spinUntil([&] { return !a.window->isVisible(); }));
    EXPECT_TRUE(a.logic->done());
    EXPECT_TRUE(fileExists(a.model.destdir + "/index.html"));
    EXPECT_TRUE(a.platform.opened.empty());
}

TEST(MainWindow, closingDuringTheRunStopsItAtOnce) {
    Album a("close-running", 6);
    a.window->open();
    a.window->show();
    test::child<QPushButton>(*a.window, "start")->click();
    ASSERT_TRUE(a.logic->running());
    QCoreApplication::processEvents();  // the window repaints between images
    a.window->close();
    EXPECT_FALSE(a.window->isVisible());
    const int processed = a.renderer.processed();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(a.renderer.processed(), processed);
    EXPECT_FALSE(a.logic->done());
}

TEST(MainWindow, quittingAsksOnlyOnceTheAlbumEditorWasOpened) {
    {
        Album a("quiet-quit", 1);
        a.window->open();
        a.window->show();
        a.window->reject();
        EXPECT_FALSE(a.window->isVisible());
        EXPECT_TRUE(a.platform.messages.empty());
    }
    Album a("asked-quit", 1);
    a.window->open();
    a.window->show();
    test::child<QPushButton>(*a.window, "editAlbum")->click();  // the album editor window opens
    EXPECT_TRUE(a.logic->editorOpened());
    a.platform.expectMessage("Quit", "Quitting Kavlo will discard all captions etc.",
                             MessageAnswer::No);
    a.window->close();
    EXPECT_TRUE(a.window->isVisible());
    ASSERT_EQ(a.platform.messages.size(), 1u);
    EXPECT_EQ(a.platform.messages[0].defaultAnswer, MessageAnswer::No);
    a.platform.expectMessage("Quit", "Quitting Kavlo", MessageAnswer::Yes);
    QTest::keyClick(a.window.get(), Qt::Key_Escape);
    EXPECT_FALSE(a.window->isVisible());
    EXPECT_TRUE(a.platform.finished());
}

TEST(MainWindow, changeChoosesTheDestinationWithTheNewFolderButton) {
    Album a("change", 1);
    a.window->open();
    const std::string target = a.model.inputdir + "/elsewhere";
    a.platform.expectFolder(FolderChoice::chosen(target),
                            "Select directory for the generated photo album.");
    QTest::mouseClick(test::child<CLinkLabel>(*a.window, "change"), Qt::LeftButton);
    ASSERT_TRUE(a.platform.finished());
    EXPECT_TRUE(a.platform.folders.at(0).newFolderButton);
    EXPECT_EQ(a.model.destdir, target);
    EXPECT_EQ(test::child<DestinationLabel>(*a.window, "destination")->toolTip().toStdString(),
              target);
}

TEST(MainWindow, doubleClickOnTheDestinationOpensTheImageFolder) {
    Album a("doubleclick", 1);
    a.window->open();
    QTest::mouseDClick(test::child<DestinationLabel>(*a.window, "destination"), Qt::LeftButton);
    ASSERT_EQ(a.platform.opened.size(), 1u);
    EXPECT_EQ(a.platform.opened[0], a.model.inputdir);
}

namespace {

/// The widget's picture at its logical size, whatever the scale factor.
QImage grabLogical(QWidget& w) {
    return w.grab().toImage().scaled(w.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

/// Pixels of the bar's picture that differ from the pixel at (x0, y0) within a band.
int pixelsUnlike(const QImage& image, QRect band, QPoint reference) {
    const QRgb ref = image.pixel(reference);
    int n = 0;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x) n += image.pixel(x, y) != ref;
    return n;
}

}  // namespace

TEST(ProgressBar, paintsThePercentageOnlyWhileAllThreeTextsAreEmpty) {
    test::ensureApplication();
    TextProgressBar bar;
    bar.resize(300, 24);
    bar.setPosition(0);
    const QRect centre(120, 4, 60, 16);
    bar.setTexts("", "", "");
    QImage percent = grabLogical(bar);
    EXPECT_GT(pixelsUnlike(percent, centre, {150, 2}), 10);

    bar.setTexts(" ", "", "");
    QImage blank = grabLogical(bar);
    EXPECT_EQ(pixelsUnlike(blank, centre, {150, 2}), 0);

    bar.setTexts("Remaining time: 3 sec", "Total time: 9 sec", "50% completed");
    bar.setPosition(50);
    QImage texts = grabLogical(bar);
    // Left text over the filled part, right text over the empty part.
    EXPECT_GT(pixelsUnlike(texts, QRect(4, 4, 60, 16), {2, 12}), 10);
    EXPECT_GT(pixelsUnlike(texts, QRect(236, 4, 60, 16), {297, 12}), 10);
    // The filled part is the highlight colour.
    EXPECT_EQ(texts.pixelColor(140, 2), bar.palette().color(QPalette::Highlight));
    EXPECT_NE(texts.pixelColor(160, 2), bar.palette().color(QPalette::Highlight));
    test::saveScreenshot(bar, "progress_bar");
}

TEST(ProgressBar, repaintsOnlyWhenTheFilledWidthChanges) {
    test::ensureApplication();
    TextProgressBar bar;
    bar.resize(52, 20);  // 50 pixels inside the border: one pixel per two percent
    const int start = bar.repaintRequests();
    bar.setPosition(1);
    EXPECT_EQ(bar.filledWidth(), 0);
    EXPECT_EQ(bar.repaintRequests(), start);
    bar.setPosition(2);
    EXPECT_EQ(bar.filledWidth(), 1);
    EXPECT_EQ(bar.repaintRequests(), start + 1);
    bar.setPosition(3);
    EXPECT_EQ(bar.repaintRequests(), start + 1);
    bar.setPosition(100);
    EXPECT_EQ(bar.filledWidth(), 50);
    EXPECT_EQ(bar.repaintRequests(), start + 2);
    bar.setPosition(250);  // clamped
    EXPECT_EQ(bar.position(), 100);
    EXPECT_EQ(bar.repaintRequests(), start + 2);
}

}  // namespace kavlo::qt
