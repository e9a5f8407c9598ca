// SPDX-License-Identifier: MIT
// Caption extraction, IPTC format and Exif format windows; screenshots go to
// test-output/qt/.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "qt/caption_extraction_window.h"
#include "qt/exif_format_window.h"
#include "qt/iptc_format_window.h"
#include "qt_test_support.h"
#include "ui/caption_extraction_dialog.h"

namespace kavlo::qt {

using core::CaptionSource;
using ui::CaptionExtractionDialog;
using ui::ExifFormatDialog;
using ui::IptcFormatDialog;

namespace {

void screenshot(QWidget& w, const char* name) {
    const QString dir = QString::fromUtf8(KAVLO_TEST_OUTPUT) + "/qt";
    QDir().mkpath(dir);
    w.show();
    QTest::qWait(20);
    EXPECT_TRUE(w.grab().save(dir + "/" + name));
}

}  // namespace

TEST(CaptionExtractionWindow, formatButtonsFollowTheSourceList) {
    test::ensureApplication();
    CaptionExtractionDialog logic;
    logic.prepare("%caption_abstract%", "eaf");
    CaptionExtractionWindow w(logic);
    ASSERT_EQ(w.source->count(), 6);
    EXPECT_EQ(w.source->itemText(0), QString("IPCT caption, author etc."));
    EXPECT_EQ(w.source->itemText(5), QString("Image number"));
    EXPECT_TRUE(w.iptcFormat->isEnabled());
    EXPECT_FALSE(w.exifFormat->isEnabled());
    EXPECT_TRUE(w.major->isChecked());
    EXPECT_TRUE(w.current->isChecked());
    screenshot(w, "caption_extraction.png");

    w.source->setCurrentIndex(1);
    EXPECT_FALSE(w.iptcFormat->isEnabled());
    EXPECT_TRUE(w.exifFormat->isEnabled());
    w.runExifFormat = [](ExifFormatDialog& d) {
        d.setChecked(8, true);
        return true;
    };
    w.exifFormat->click();
    EXPECT_EQ(logic.exifFormat(), "eafd");
    w.source->setCurrentIndex(3);
    EXPECT_FALSE(w.iptcFormat->isEnabled());
    EXPECT_FALSE(w.exifFormat->isEnabled());

    w.minor->setChecked(true);
    w.all->setChecked(true);
    w.accept();
    EXPECT_EQ(logic.source(), CaptionSource::fileName);
    EXPECT_EQ(logic.destination(), 1);
    EXPECT_EQ(logic.range(), 1);

    CaptionExtractionWindow again(logic);  // the next opening shows the kept choices
    EXPECT_TRUE(again.minor->isChecked());
    EXPECT_EQ(again.source->currentIndex(), static_cast<int>(CaptionSource::fileName));
}

TEST(IptcFormatWindow, macintoshBoxRewritesTheBox) {
    test::ensureApplication();
    IptcFormatDialog logic("%mac_roman%%caption_abstract%");
    IptcFormatWindow w(logic);
    EXPECT_FALSE(w.macRoman->isChecked());
    EXPECT_EQ(w.fields->toPlainText().split('\n').size(), 19);
    screenshot(w, "iptc_format.png");
    w.macRoman->click();
    EXPECT_TRUE(w.macRoman->isChecked());
    EXPECT_EQ(w.format->toPlainText(), QString("%mac_roman%%caption_abstract%"));
    w.macRoman->click();
    EXPECT_EQ(w.format->toPlainText(), QString("%caption_abstract%"));
    w.format->setPlainText("%headline%\n%city%");
    w.accept();
    EXPECT_EQ(logic.format(), "%headline%\r\n%city%");
}

TEST(ExifFormatWindow, okRebuildsTheLetters) {
    test::ensureApplication();
    ExifFormatDialog logic("fae");
    ExifFormatWindow w(logic);
    EXPECT_TRUE(w.boxes[0]->isChecked());
    EXPECT_FALSE(w.boxes[2]->isChecked());
    EXPECT_EQ(w.boxes[6]->text(), QString("Camera Ma&ke"));
    screenshot(w, "exif_format.png");
    w.accept();
    EXPECT_EQ(logic.format(), "eaf");
    w.boxes[0]->setChecked(false);
    w.boxes[7]->setChecked(true);
    w.accept();
    EXPECT_EQ(logic.format(), "afm");
}

}  // namespace kavlo::qt
