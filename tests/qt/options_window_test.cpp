// SPDX-License-Identifier: MIT
// The Options window over its logic: controls and mnemonics, OK and Cancel, digits-only
// boxes checked when left, the SimpleViewer question, and the two sub-windows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "qt/link_label.h"
#include "qt/options_window.h"
#include "qt/simpleviewer_options_window.h"
#include "qt/watermark_window.h"
#include "qt_test_support.h"
#include "ui/simpleviewer_options_dialog.h"
#include "ui/watermark_dialog.h"

namespace kavlo::qt {

using util::WatermarkPosition;

using util::StripPosition;

using model::ExifCaptionPlace;

using core::MessageAnswer;
using kavlo::test::QuietPlatform;
using model::AlbumModel;
using model::AlbumSettings;
using model::defaultAlbumSettings;
using ui::OptionsDialog;

namespace {

const std::string kCss = std::string(KAVLO_SOURCE_DIR) + "/templates/js2/ext/css";

struct Fixture {
    Fixture() { test::ensureApplication(); }
    AlbumSettings settings = defaultAlbumSettings();
    ExifCaptionPlace exifpos = ExifCaptionPlace::minorCaption;
    AlbumModel album;
    QuietPlatform platform;
};

/// The window with its sub-windows handed to the test instead of run modally.
class TestOptionsWindow : public OptionsWindow {
public:
    using OptionsWindow::OptionsWindow;
    std::function<bool(QDialog&)> onSubWindow;

protected:
    bool runSubWindow(QDialog& window) override { return onSubWindow && onSubWindow(window); }
};

QStringList labelTexts(const QWidget& w) {
    QStringList texts;
    for (const QLabel* l : w.findChildren<QLabel*>()) texts << l->text();
    return texts;
}

}  // namespace

TEST(OptionsWindow, showsEveryControlWithItsMnemonic) {
    Fixture f;
    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_EQ(w.windowTitle(), "Options");
    const QStringList labels = labelTexts(w);
    for (const char* text :
         {"&Skin", "&Language", "E&xposure Information (Exif)", "S&ize", "&Quality", "Posi&tion",
          "Si&ze (width/height)", "Q&uality", "Siz&e", "Qualit&y", "[examples]"})
        EXPECT_TRUE(labels.contains(text)) << text;
    EXPECT_EQ(test::child<QCheckBox>(w, "autorotate")->text(),
              "Auto-rotate i&mages according to Exif-info");
    EXPECT_EQ(test::child<QCheckBox>(w, "simpleviewer")->text(),
              "Use Simple&Viewer as primary album viewer");
    EXPECT_EQ(test::child<QPushButton>(w, "svOptions")->text(), "Optio&ns");
    EXPECT_EQ(test::child<QCheckBox>(w, "imagetext")->text(),
              "Add watermar&ks to main (and large) images");
    EXPECT_EQ(test::child<QPushButton>(w, "watermarkEdit")->text(), "E&dit");
    EXPECT_EQ(test::child<QCheckBox>(w, "renditions")->text(),
              "Extra sizes for sharp photos on &big and high-resolution screens");
    EXPECT_TRUE(test::child<QCheckBox>(w, "renditions")->isChecked());
    EXPECT_EQ(test::child<QCheckBox>(w, "small")->text(), "S&how");
    EXPECT_EQ(test::child<QCheckBox>(w, "large")->text(), "Sho&w");
    EXPECT_EQ(test::child<QCheckBox>(w, "copyhires")->text(), "Use input &files");
    EXPECT_EQ(test::child<QPushButton>(w, "ok")->text(), "&OK");
    EXPECT_EQ(test::child<QPushButton>(w, "cancel")->text(), "&Cancel");

    EXPECT_EQ(test::child<QComboBox>(w, "language")->count(), 28);
    EXPECT_EQ(test::child<QComboBox>(w, "language")->currentText(), "English");
    EXPECT_EQ(test::child<QComboBox>(w, "language")->itemText(0), "Croatian");
    EXPECT_EQ(test::child<QComboBox>(w, "skin")->currentText(), "Dim");
    EXPECT_EQ(test::child<QComboBox>(w, "exif")->itemText(0), "Show as hovering tooltips ");
    EXPECT_EQ(test::child<QComboBox>(w, "mainQuality")->currentText(), "Medium");
    EXPECT_EQ(test::child<QLineEdit>(w, "mainWidth")->text(), "552");
    // Defaults: large images off, so their controls rest.
    EXPECT_FALSE(test::child<QLineEdit>(w, "largeSize")->isEnabled());
    EXPECT_FALSE(test::child<QCheckBox>(w, "copyhires")->isEnabled());
    EXPECT_FALSE(test::child<QPushButton>(w, "svOptions")->isEnabled());
    test::saveScreenshot(w, "options");
}

TEST(OptionsWindow, okWritesTheWidgetsAndCancelDoesNot) {
    Fixture f;
    const AlbumSettings before = f.settings;
    {
        OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
        OptionsWindow w(logic, f.platform);
        w.prepare();
        test::child<QLineEdit>(w, "mainWidth")->setText("700");
        test::child<QComboBox>(w, "exif")->setCurrentIndex(2);
        test::child<QPushButton>(w, "cancel")->click();
        EXPECT_EQ(w.result(), QDialog::Rejected);
    }
    EXPECT_EQ(f.settings.mhsize, before.mhsize);
    EXPECT_EQ(f.exifpos, ExifCaptionPlace::minorCaption);

    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    test::child<QLineEdit>(w, "mainWidth")->setText("700");
    test::child<QLineEdit>(w, "mainHeight")->setText("500");
    test::child<QComboBox>(w, "exif")->setCurrentIndex(2);
    test::child<QComboBox>(w, "mainQuality")->setCurrentIndex(2);
    test::child<QComboBox>(w, "smallPosition")->setCurrentIndex(2);
    test::child<QComboBox>(w, "language")->setCurrentText("Dutch");
    test::child<QCheckBox>(w, "large")->click();
    test::child<QLineEdit>(w, "largeSize")->setText("1400");
    test::child<QCheckBox>(w, "renditions")->click();
    test::child<QPushButton>(w, "ok")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.mhsize, 700);
    EXPECT_EQ(f.settings.mvsize, 500);
    EXPECT_EQ(f.exifpos, ExifCaptionPlace::none);
    EXPECT_EQ(f.settings.mquality, 94);
    EXPECT_EQ(f.settings.smallpos, StripPosition::top);
    EXPECT_EQ(f.settings.language, "nl");
    EXPECT_TRUE(f.settings.large);
    EXPECT_EQ(f.settings.lhsize, 1400);
    EXPECT_EQ(f.settings.lvsize, 1400);
    EXPECT_FALSE(f.settings.renditions);
}

TEST(OptionsWindow, numberBoxesTakeDigitsOnlyAndAreCheckedWhenLeft) {
    Fixture f;
    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    test::child<QLineEdit>(w, "mainWidth")->clear();
    QTest::keyClicks(test::child<QLineEdit>(w, "mainWidth"), "3x0-00");
    EXPECT_EQ(test::child<QLineEdit>(w, "mainWidth")->text(), "3000");
    f.platform.expectMessage("Information", "Main images must have a size between 81 and 2048.");
    QTest::keyClick(test::child<QLineEdit>(w, "mainWidth"), Qt::Key_Return);
    EXPECT_TRUE(f.platform.finished());
    EXPECT_EQ(test::child<QLineEdit>(w, "mainWidth")->text(), "2048");
}

namespace {

/// Notes what a number box shows at the moment each message box opens.
class WatchingPlatform : public QuietPlatform {
public:
    QLineEdit* watched = nullptr;
    QStringList shownWithMessage;
    MessageAnswer messageBox(const core::Message& m) override {
        if (watched) shownWithMessage << watched->text();
        return QuietPlatform::messageBox(m);
    }
};

}  // namespace

TEST(OptionsWindow, enterOnAnOutOfRangeSizeShowsTheCorrectionAndKeepsTheWindowOpen) {
    Fixture f;
    WatchingPlatform platform;
    OptionsDialog logic(f.settings, f.exifpos, f.album, platform, kCss);
    OptionsWindow w(logic, platform);
    w.prepare();
    w.show();
    QLineEdit* width = test::child<QLineEdit>(w, "mainWidth");
    platform.watched = width;
    width->setFocus();
    width->setText("9000");
    platform.expectMessage("Information", "Main images must have a size between 81 and 2048.");
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_TRUE(platform.finished());
    EXPECT_EQ(platform.shownWithMessage, QStringList{"2048"});
    EXPECT_TRUE(w.isVisible());
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.mhsize, 552);  // nothing written before OK

    // A value in range: Enter is OK, with no message.
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(f.settings.mhsize, 2048);
}

TEST(OptionsWindow, theSimpleViewerQuestionIsWrappedByTheBoxNotByLineBreaks) {
    Fixture f;
    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    f.platform.expectMessage("SimpleViewer Information", "SimpleViewer will add",
                             MessageAnswer::No);
    test::child<QCheckBox>(w, "simpleviewer")->click();
    ASSERT_EQ(f.platform.messages.size(), 1u);
    // Paragraph breaks only: every single line break is half of a blank line.
    const std::string& text = f.platform.messages[0].text;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        EXPECT_EQ(text.compare(at, 2, "\n\n"), 0) << text.substr(0, at);
}

TEST(OptionsWindow, simpleViewerYesLocksTheThumbnailSizeAtSixtyFive) {
    Fixture f;
    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    f.platform.expectMessage("SimpleViewer Information", "SimpleViewer will add",
                             MessageAnswer::Yes);
    test::child<QCheckBox>(w, "simpleviewer")->click();
    EXPECT_TRUE(f.platform.finished());
    EXPECT_TRUE(test::child<QCheckBox>(w, "simpleviewer")->isChecked());
    EXPECT_EQ(test::child<QLineEdit>(w, "smallSize")->text(), "65");
    EXPECT_FALSE(test::child<QLineEdit>(w, "smallSize")->isEnabled());
    EXPECT_TRUE(test::child<QPushButton>(w, "svOptions")->isEnabled());

    f.platform.expectMessage("SimpleViewer Information", "SimpleViewer will add",
                             MessageAnswer::No);
    test::child<QCheckBox>(w, "simpleviewer")->click();  // unchecking asks nothing
    test::child<QCheckBox>(w, "simpleviewer")->click();  // checking again: answered No
    EXPECT_FALSE(test::child<QCheckBox>(w, "simpleviewer")->isChecked());
    EXPECT_TRUE(test::child<QLineEdit>(w, "smallSize")->isEnabled());
}

TEST(OptionsWindow, subWindowsShowTheirValuesAndReturnThem) {
    Fixture f;
    f.album.appendFiles(std::vector<std::string>(36, "/a/x.jpg"));
    f.settings.simpleviewer = true;
    f.settings.imagetext = true;
    f.settings.itfontfile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    f.settings.itfontsize = 16;
    f.settings.ittext = "Kavlo";
    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    logic.setFontFiles({"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                        "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"});
    TestOptionsWindow w(logic, f.platform);
    w.prepare();

    w.onSubWindow = [](QDialog& d) {
        auto& sv = dynamic_cast<SimpleViewerOptionsWindow&>(d);
        EXPECT_EQ(test::child<QLabel>(sv, "hint")->text(),
                  "Showing all 36 images requires a thumbnail matrix size of 1x36, 2x18, 3x12, "
                  "4x9 or 6x6.");
        EXPECT_EQ(test::child<QComboBox>(sv, "rows")->currentText(), "3");
        EXPECT_EQ(test::child<QComboBox>(sv, "scaling")->currentText(), "Crop");
        test::saveScreenshot(sv, "simpleviewer_options");
        test::child<QComboBox>(sv, "columns")->setCurrentIndex(5);
        test::child<QComboBox>(sv, "scaling")->setCurrentText("Fit");
        sv.accept();
        return sv.result() == QDialog::Accepted;
    };
    test::child<QPushButton>(w, "svOptions")->click();
    EXPECT_EQ(f.settings.svthumbcols, 6);
    EXPECT_FALSE(f.settings.svcropthumbs);

    w.onSubWindow = [](QDialog& d) {
        auto& wm = dynamic_cast<WatermarkWindow&>(d);
        EXPECT_EQ(wm.windowTitle(), "Watermark Editor");
        EXPECT_EQ(test::child<QComboBox>(wm, "font")->currentText(), "DejaVu Sans");
        EXPECT_EQ(test::child<QComboBox>(wm, "size")->currentText(), "16");
        EXPECT_FALSE(test::child<QLabel>(wm, "preview")->pixmap().isNull());
        test::saveScreenshot(wm, "watermark_editor");
        test::child<QComboBox>(wm, "size")->setCurrentText("32");
        test::child<QComboBox>(wm, "position")->setCurrentIndex(1);
        wm.accept();
        return true;
    };
    test::child<QPushButton>(w, "watermarkEdit")->click();
    EXPECT_EQ(f.settings.itfontsize, 32);
    EXPECT_EQ(f.settings.itposition, WatermarkPosition::topCentre);
    EXPECT_EQ(f.settings.itfontfile, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
}

}  // namespace kavlo::qt
