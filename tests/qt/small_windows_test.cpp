// SPDX-License-Identifier: MIT
// About, the watermark editor and SimpleViewer options windows, and the folder chooser.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "qt/about_window.h"
#include "qt/app_icon.h"
#include "qt/folder_chooser.h"
#include "qt/link_label.h"
#include "qt/simpleviewer_options_window.h"
#include "qt/watermark_window.h"
#include "qt_test_support.h"
#include "util/files.h"

namespace fs = std::filesystem;
namespace kavlo::qt {

using core::FolderRequest;
using kavlo::test::QuietPlatform;
using ui::AboutDialog;
using ui::SimpleViewerOptionsDialog;
using ui::WatermarkDialog;
using util::dataFolder;
using util::folderExists;
using util::versionString;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string scratch(const std::string& name) {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "qt-small" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

}  // namespace

TEST(AboutWindow, showsTheVersionAndOpensTheShippedPagesAndHelp) {
    test::ensureApplication();
    QuietPlatform platform;
    AboutWindow w(platform);
    EXPECT_EQ(w.windowTitle(), "About");
    EXPECT_EQ(test::child<QLabel>(w, "version")->text().toStdString(),
              "Kavlo  -  version " + versionString("ProductVersion"));
    EXPECT_EQ(test::child<QPushButton>(w, "help")->text(), "&Help");
    EXPECT_EQ(test::child<QPushButton>(w, "ok")->text(), "&OK");
    QTest::mouseClick(test::child<CLinkLabel>(w, "helpPage"), Qt::LeftButton);
    QTest::mouseClick(test::child<CLinkLabel>(w, "readme"), Qt::LeftButton);
    QTest::mouseClick(test::child<CLinkLabel>(w, "simpleViewer"), Qt::LeftButton);
    test::child<QPushButton>(w, "help")->click();
    ASSERT_EQ(platform.opened.size(), 4u);
    EXPECT_EQ(platform.opened[0], dataFolder() + "readme.html");
    EXPECT_EQ(platform.opened[1], dataFolder() + "README.md");
    EXPECT_EQ(platform.opened[2], AboutDialog::simpleViewer().target);
    EXPECT_EQ(platform.opened[3], dataFolder() + "readme.html");
    // Both pages are put beside the built program (and installed beside each other).
    const QString program = QFileInfo(QStringLiteral(KAVLO_PROGRAM)).path();
    EXPECT_TRUE(QFileInfo::exists(program + "/readme.html"));
    EXPECT_TRUE(QFileInfo::exists(program + "/README.md"));
    test::saveScreenshot(w, "about");
}

TEST(AboutWindow, creditsTheRealLibrariesFontsAndPhotosAndNoInventedAddresses) {
    test::ensureApplication();
    QuietPlatform platform;
    AboutWindow w(platform);
    QStringList texts;
    for (const QLabel* label : w.findChildren<QLabel*>()) texts << label->text();
    const QString all = texts.join('\n');
    for (const char* library :
         {"libjpeg-turbo", "LibTIFF", "Expat", "FreeType", "Fontconfig", "Qt 6", "Little CMS",
          "libheif", "libpng", "libwebp", "DejaVu fonts"})
        EXPECT_TRUE(texts.contains(library)) << library;
    EXPECT_TRUE(texts.contains("LGPL-3.0"));
    EXPECT_TRUE(all.contains("Wikimedia Commons"));
    EXPECT_FALSE(all.contains(".example"));
    EXPECT_FALSE(all.contains("Volunteer"));
    // It opens whole on the screen, at 100 % and at 200 %.
    w.adjustSize();
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(w.height(), room.height());
    EXPECT_LE(w.width(), room.width());
    // Every library has its licence beside it.
    for (const ui::Credit& credit : AboutDialog::credits()) {
        EXPECT_FALSE(credit.licence.empty()) << credit.name;
        EXPECT_TRUE(texts.contains(QString::fromStdString(credit.licence))) << credit.name;
    }
}

TEST(AppIcon, comesFromTheShippedIconFilesAndTheDrawingMatchesThem) {
    test::ensureApplication();
    const QString shipped = QStringLiteral(KAVLO_SOURCE_DIR "/packaging/icons/hicolor/");
    // The id names the desktop entry and the icons; a mismatch leaves windows without icon.
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(KAVLO_SOURCE_DIR "/packaging/") + applicationId() +
                                  ".desktop"))
        << applicationId().toStdString();
    const QIcon icon = iconFromTheme(shipped);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(),
              (QList<QSize>{QSize(48, 48), QSize(128, 128), QSize(256, 256)}));
    EXPECT_TRUE(iconFromTheme(QStringLiteral(KAVLO_TEST_OUTPUT "/no-icons-here/")).isNull());

    // The test program has no icon files beside it: the drawn picture stands in, and it
    // must look like the icon files (rendered from the same SVG).
    for (int size : {48, 128}) {
        const QImage drawn = kavloPixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage file =
            icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(drawn.size(), QSize(size, size));
        ASSERT_EQ(file.size(), QSize(size, size));
        double diff = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb a = drawn.pixel(x, y), b = file.pixel(x, y);
                diff += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                        std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
            }
        }
        const double mean = diff / (4.0 * size * size);
        std::printf("icon %d px: mean difference %.2f\n", size, mean);
        EXPECT_LT(mean, 4.0) << size << " px";
    }
    EXPECT_FALSE(kavloIcon().isNull());
}

TEST(LinkLabel, isUnderlinedBlueAndOpensOnlyATarget) {
    test::ensureApplication();
    QuietPlatform platform;
    CLinkLabel empty("change", "", &platform);
    int clicks = 0;
    QObject::connect(&empty, &CLinkLabel::clicked, [&] { ++clicks; });
    QTest::mouseClick(&empty, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(empty.font().underline());
    EXPECT_EQ(empty.palette().color(QPalette::WindowText), QColor(0, 0, 230));
    EXPECT_EQ(empty.cursor().shape(), Qt::PointingHandCursor);
}

TEST(WatermarkWindow, previewFollowsTheTextAndTheCaptionSwitchLocksIt) {
    test::ensureApplication();
    QuietPlatform platform;
    WatermarkDialog::Values in;
    in.text = "Kavlo";
    in.fontFile = "DejaVuSans.ttf";
    in.sizeText = "24";
    WatermarkDialog logic(platform, in, {kDejaVu});
    logic.open();
    WatermarkWindow w(logic);
    EXPECT_EQ(test::child<QCheckBox>(w, "minorCaption")->text(), "Use &minor caption as watermark");
    EXPECT_EQ(test::child<QPushButton>(w, "colour")->text(), "Colo&r");
    EXPECT_EQ(test::child<QComboBox>(w, "position")->count(), 7);
    EXPECT_EQ(test::child<QComboBox>(w, "transparency")->count(), 10);
    ASSERT_FALSE(test::child<QLabel>(w, "preview")->pixmap().isNull());
    const int wide = test::child<QLabel>(w, "preview")->pixmap().width();

    QTest::keyClicks(test::child<QLineEdit>(w, "text"), " album");
    EXPECT_EQ(logic.text, "Kavlo album");
    EXPECT_GT(test::child<QLabel>(w, "preview")->pixmap().width(), wide);

    test::child<QLineEdit>(w, "text")->selectAll();
    QTest::keyClick(test::child<QLineEdit>(w, "text"), Qt::Key_Backspace);
    EXPECT_TRUE(test::child<QLabel>(w, "preview")->pixmap().isNull());

    test::child<QCheckBox>(w, "minorCaption")->click();
    EXPECT_FALSE(test::child<QLineEdit>(w, "text")->isEnabled());
    test::child<QCheckBox>(w, "minorCaption")->click();
    EXPECT_TRUE(test::child<QLineEdit>(w, "text")->isEnabled());

    platform.colourAnswer = 0x000000;
    QTest::keyClicks(test::child<QLineEdit>(w, "text"), "Black");
    test::child<QPushButton>(w, "colour")->click();
    EXPECT_EQ(platform.colourCalls, 1);
    EXPECT_EQ(logic.colour, 0u);
    const QImage shown = test::child<QLabel>(w, "preview")->pixmap().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 255, 255));  // dark text on white
}

TEST(SimpleViewerOptionsWindow, paddingIsCheckedAndColoursRepaintTheSample) {
    test::ensureApplication();
    QuietPlatform platform;
    SimpleViewerOptionsDialog logic(platform, 7);
    SimpleViewerOptionsWindow w(logic);
    EXPECT_EQ(test::child<QLabel>(w, "hint")->text(),
              "Showing all 7 images requires a thumbnail matrix size of 1x7.");
    EXPECT_EQ(test::child<QPushButton>(w, "background")->text(), "&Background Color");
    EXPECT_EQ(test::child<QComboBox>(w, "frameSize")->count(), 31);
    EXPECT_EQ(test::child<QLineEdit>(w, "stagePadding")->text(), "35");

    test::child<QLineEdit>(w, "stagePadding")->setText("250");
    platform.expectMessage("Information", "Stage padding must have a size between 0 and 100.");
    QTest::keyClick(test::child<QLineEdit>(w, "stagePadding"), Qt::Key_Return);
    EXPECT_EQ(test::child<QLineEdit>(w, "stagePadding")->text(), "100");
    EXPECT_TRUE(platform.finished());

    test::child<ColourSample>(w, "sample")
        ->resize(test::child<ColourSample>(w, "sample")->sizeHint());
    QImage before = test::child<ColourSample>(w, "sample")
                        ->grab()
                        .toImage()
                        .scaled(test::child<ColourSample>(w, "sample")->size());
    EXPECT_EQ(before.pixelColor(0, 0), QColor(0x55, 0x55, 0x55));  // frame
    EXPECT_EQ(before.pixelColor(3, before.height() - 3), QColor(0x19, 0x19, 0x19));
    platform.colourAnswer = 0x0000FF;  // red
    test::child<QPushButton>(w, "background")->click();
    QImage after = test::child<ColourSample>(w, "sample")
                       ->grab()
                       .toImage()
                       .scaled(test::child<ColourSample>(w, "sample")->size());
    EXPECT_EQ(after.pixelColor(3, after.height() - 3), QColor(255, 0, 0));
    w.accept();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(logic.stagePaddingValue(), 100);
}

TEST(FolderChooser, typedPathsAreResolvedAndCleaned) {
    test::ensureApplication();
    EXPECT_EQ(resolveTypedFolder("  /tmp/  ", "/x"), "/tmp");
    EXPECT_EQ(resolveTypedFolder("/a//b/../c", ""), "/a/c");
    EXPECT_EQ(resolveTypedFolder("sub", "/base"), "/base/sub");
    EXPECT_EQ(resolveTypedFolder("~", ""), QDir::homePath().toStdString());
    EXPECT_EQ(resolveTypedFolder("/", ""), "/");
    EXPECT_EQ(resolveTypedFolder("   ", "/x"), "");
}

TEST(FolderChooser, aNewFolderUnderAnExistingOneIsAcceptedAndADeeperOneRefused) {
    test::ensureApplication();
    QuietPlatform platform;
    const std::string dir = scratch("chooser");
    FolderRequest request;
    request.title = "Select directory for the generated photo album.";
    request.initialSelection = dir + "/album";  // proposed, not made yet
    {
        FolderChooserDialog d(platform, request);
        QLineEdit* path = test::child<QLineEdit>(d, "path");
        EXPECT_EQ(path->text().toStdString(), dir + "/album");
        EXPECT_EQ(d.findChild<QPushButton*>("newFolder"), nullptr);
        test::saveScreenshot(d, "folder_chooser");
        d.accept();  // the proposal itself is taken
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.chosenPath(), dir + "/album");
        EXPECT_FALSE(folderExists(dir + "/album"));  // made by Start, not by choosing
    }
    FolderChooserDialog d(platform, request);
    QLineEdit* path = test::child<QLineEdit>(d, "path");
    path->setText(QString::fromStdString(dir + "/missing/album"));
    platform.expectMessage("Warning", "The typed-in directory does not exist.");
    d.accept();
    EXPECT_TRUE(platform.finished());
    EXPECT_NE(d.result(), QDialog::Accepted);

    path->setText(QString::fromStdString(dir + "/"));
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.chosenPath(), dir);
}

TEST(FolderChooser, theNewFolderButtonMakesANumberedFolder) {
    test::ensureApplication();
    QuietPlatform platform;
    const std::string dir = scratch("newfolder");
    FolderRequest request;
    request.initialSelection = dir;
    request.newFolderButton = true;
    FolderChooserDialog d(platform, request);
    EXPECT_EQ(test::child<QPushButton>(d, "newFolder")->text(), "&Make New Folder");
    test::child<QPushButton>(d, "newFolder")->click();
    EXPECT_TRUE(folderExists(dir + "/New Folder"));
    EXPECT_EQ(test::child<QLineEdit>(d, "path")->text().toStdString(), dir + "/New Folder");
    test::child<QLineEdit>(d, "path")->setText(QString::fromStdString(dir));
    test::child<QPushButton>(d, "newFolder")->click();
    EXPECT_TRUE(folderExists(dir + "/New Folder (2)"));
}

TEST(FolderChooser, aDestinationNotMadeYetShowsItsParentInTheTree) {
    test::ensureApplication();
    QuietPlatform platform;
    const std::string dir = scratch("notyet");
    FolderRequest request;
    request.initialSelection = dir + "/album/deeper";
    FolderChooserDialog d(platform, request);
    EXPECT_EQ(test::child<QLineEdit>(d, "path")->text().toStdString(), dir + "/album/deeper");
    const auto* model =
        static_cast<const QFileSystemModel*>(test::child<QTreeView>(d, "tree")->model());
    EXPECT_EQ(model->filePath(test::child<QTreeView>(d, "tree")->currentIndex()).toStdString(),
              dir);
}

TEST(FolderChooser, withoutASelectionTheHomeFolderIsSelected) {
    test::ensureApplication();
    QuietPlatform platform;
    FolderChooserDialog d(platform, FolderRequest{});
    d.show();
    const auto* model =
        static_cast<const QFileSystemModel*>(test::child<QTreeView>(d, "tree")->model());
    EXPECT_EQ(model->filePath(test::child<QTreeView>(d, "tree")->currentIndex()), QDir::homePath());
    EXPECT_EQ(test::child<QLineEdit>(d, "path")->text(), QDir::homePath());
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 500) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QRect shown = test::child<QTreeView>(d, "tree")->visualRect(
        test::child<QTreeView>(d, "tree")->currentIndex());
    EXPECT_TRUE(test::child<QTreeView>(d, "tree")->viewport()->rect().intersects(shown));
    test::saveScreenshot(d, "folder_chooser_home");
}

}  // namespace kavlo::qt
