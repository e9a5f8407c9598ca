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
    EXPECT_EQ(w.autorotate->text(), "Auto-rotate i&mages according to Exif-info");
    EXPECT_EQ(w.simpleviewer->text(), "Use Simple&Viewer as primary album viewer");
    EXPECT_EQ(w.svOptions->text(), "Optio&ns");
    EXPECT_EQ(w.imagetext->text(), "Add watermar&ks to main (and large) images");
    EXPECT_EQ(w.watermarkEdit->text(), "E&dit");
    EXPECT_EQ(w.small->text(), "S&how");
    EXPECT_EQ(w.large->text(), "Sho&w");
    EXPECT_EQ(w.copyhires->text(), "Use input &files");
    EXPECT_EQ(w.okButton->text(), "&OK");
    EXPECT_EQ(w.cancelButton->text(), "&Cancel");

    EXPECT_EQ(w.language->count(), 28);
    EXPECT_EQ(w.language->currentText(), "English");
    EXPECT_EQ(w.language->itemText(0), "Croatian");
    EXPECT_EQ(w.skin->currentText(), "Dim");
    EXPECT_EQ(w.exif->itemText(0), "Show as hovering tooltips ");
    EXPECT_EQ(w.mainQuality->currentText(), "Medium");
    EXPECT_EQ(w.mainWidth->text(), "552");
    // Defaults: large images off, so their controls rest.
    EXPECT_FALSE(w.largeSize->isEnabled());
    EXPECT_FALSE(w.copyhires->isEnabled());
    EXPECT_FALSE(w.svOptions->isEnabled());
    test::saveScreenshot(w, "options");
}

TEST(OptionsWindow, okWritesTheWidgetsAndCancelDoesNot) {
    Fixture f;
    const AlbumSettings before = f.settings;
    {
        OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
        OptionsWindow w(logic, f.platform);
        w.prepare();
        w.mainWidth->setText("700");
        w.exif->setCurrentIndex(2);
        w.cancelButton->click();
        EXPECT_EQ(w.result(), QDialog::Rejected);
    }
    EXPECT_EQ(f.settings.mhsize, before.mhsize);
    EXPECT_EQ(f.exifpos, ExifCaptionPlace::minorCaption);

    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    w.mainWidth->setText("700");
    w.mainHeight->setText("500");
    w.exif->setCurrentIndex(2);
    w.mainQuality->setCurrentIndex(2);
    w.smallPosition->setCurrentIndex(2);
    w.language->setCurrentText("Dutch");
    w.large->click();
    w.largeSize->setText("1400");
    w.okButton->click();
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
}

TEST(OptionsWindow, numberBoxesTakeDigitsOnlyAndAreCheckedWhenLeft) {
    Fixture f;
    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    w.mainWidth->clear();
    QTest::keyClicks(w.mainWidth, "3x0-00");
    EXPECT_EQ(w.mainWidth->text(), "3000");
    f.platform.expectMessage("Information", "Main images must have a size between 81 and 2048.");
    QTest::keyClick(w.mainWidth, Qt::Key_Return);
    EXPECT_TRUE(f.platform.finished());
    EXPECT_EQ(w.mainWidth->text(), "2048");
}

TEST(OptionsWindow, simpleViewerYesLocksTheThumbnailSizeAtSixtyFive) {
    Fixture f;
    OptionsDialog logic(f.settings, f.exifpos, f.album, f.platform, kCss);
    OptionsWindow w(logic, f.platform);
    w.prepare();
    f.platform.expectMessage("SimpleViewer Information", "SimpleViewer will add",
                             MessageAnswer::Yes);
    w.simpleviewer->click();
    EXPECT_TRUE(f.platform.finished());
    EXPECT_TRUE(w.simpleviewer->isChecked());
    EXPECT_EQ(w.smallSize->text(), "65");
    EXPECT_FALSE(w.smallSize->isEnabled());
    EXPECT_TRUE(w.svOptions->isEnabled());

    f.platform.expectMessage("SimpleViewer Information", "SimpleViewer will add",
                             MessageAnswer::No);
    w.simpleviewer->click();  // unchecking asks nothing
    w.simpleviewer->click();  // checking again: answered No
    EXPECT_FALSE(w.simpleviewer->isChecked());
    EXPECT_TRUE(w.smallSize->isEnabled());
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
    OptionsWindow w(logic, f.platform);
    w.prepare();

    w.subWindowHook = [](QDialog& d) {
        auto& sv = dynamic_cast<SimpleViewerOptionsWindow&>(d);
        EXPECT_EQ(sv.hint->text(),
                  "Showing all 36 images requires a thumbnail matrix size of 1x36, 2x18, 3x12, "
                  "4x9 or 6x6.");
        EXPECT_EQ(sv.rows->currentText(), "3");
        EXPECT_EQ(sv.scaling->currentText(), "Crop");
        test::saveScreenshot(sv, "simpleviewer_options");
        sv.columns->setCurrentIndex(5);
        sv.scaling->setCurrentText("Fit");
        sv.accept();
        return sv.result() == QDialog::Accepted;
    };
    w.svOptions->click();
    EXPECT_EQ(f.settings.svthumbcols, 6);
    EXPECT_FALSE(f.settings.svcropthumbs);

    w.subWindowHook = [](QDialog& d) {
        auto& wm = dynamic_cast<WatermarkWindow&>(d);
        EXPECT_EQ(wm.windowTitle(), "Watermark Editor");
        EXPECT_EQ(wm.font->currentText(), "DejaVu Sans");
        EXPECT_EQ(wm.size->currentText(), "16");
        EXPECT_FALSE(wm.preview->pixmap().isNull());
        test::saveScreenshot(wm, "watermark_editor");
        wm.size->setCurrentText("32");
        wm.position->setCurrentIndex(1);
        wm.accept();
        return true;
    };
    w.watermarkEdit->click();
    EXPECT_EQ(f.settings.itfontsize, 32);
    EXPECT_EQ(f.settings.itposition, WatermarkPosition::topCentre);
    EXPECT_EQ(f.settings.itfontfile, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
}

}  // namespace kavlo::qt
