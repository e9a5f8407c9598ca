// SPDX-License-Identifier: MIT
// Caption extraction, IPTC format and Exif format windows; screenshots go to
// test-output/qt/.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <functional>

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

/// The window with the Exif format dialog answered by the test.
class TestExtractionWindow : public CaptionExtractionWindow {
public:
    using CaptionExtractionWindow::CaptionExtractionWindow;
    std::function<bool(ExifFormatDialog&)> onExifFormat;

protected:
    bool runExifFormat(ExifFormatDialog& dialog) override {
        return onExifFormat && onExifFormat(dialog);
    }
};

void screenshot(QWidget& w, const char* name) {
    w.show();
    QTest::qWait(20);
    test::saveScreenshot(w, name);
}

}  // namespace

TEST(CaptionExtractionWindow, formatButtonsFollowTheSourceList) {
    test::ensureApplication();
    CaptionExtractionDialog logic;
    logic.prepare("%caption_abstract%", "eaf");
    TestExtractionWindow w(logic);
    ASSERT_EQ(test::child<QComboBox>(w, "source")->count(), 6);
    EXPECT_EQ(test::child<QComboBox>(w, "source")->itemText(0),
              QString("IPCT caption, author etc."));
    EXPECT_EQ(test::child<QComboBox>(w, "source")->itemText(5), QString("Image number"));
    EXPECT_TRUE(test::child<QPushButton>(w, "iptcFormat")->isEnabled());
    EXPECT_FALSE(test::child<QPushButton>(w, "exifFormat")->isEnabled());
    EXPECT_TRUE(test::child<QRadioButton>(w, "major")->isChecked());
    EXPECT_TRUE(test::child<QRadioButton>(w, "current")->isChecked());
    screenshot(w, "caption_extraction");

    test::child<QComboBox>(w, "source")->setCurrentIndex(1);
    EXPECT_FALSE(test::child<QPushButton>(w, "iptcFormat")->isEnabled());
    EXPECT_TRUE(test::child<QPushButton>(w, "exifFormat")->isEnabled());
    w.onExifFormat = [](ExifFormatDialog& d) {
        d.setChecked(8, true);
        return true;
    };
    test::child<QPushButton>(w, "exifFormat")->click();
    EXPECT_EQ(logic.exifFormat(), "eafd");
    test::child<QComboBox>(w, "source")->setCurrentIndex(3);
    EXPECT_FALSE(test::child<QPushButton>(w, "iptcFormat")->isEnabled());
    EXPECT_FALSE(test::child<QPushButton>(w, "exifFormat")->isEnabled());

    test::child<QRadioButton>(w, "minor")->setChecked(true);
    test::child<QRadioButton>(w, "all")->setChecked(true);
    w.accept();
    EXPECT_EQ(logic.source(), CaptionSource::fileName);
    EXPECT_EQ(logic.destination(), 1);
    EXPECT_EQ(logic.range(), 1);

    CaptionExtractionWindow again(logic);  // the next opening shows the kept choices
    EXPECT_TRUE(test::child<QRadioButton>(again, "minor")->isChecked());
    EXPECT_EQ(test::child<QComboBox>(again, "source")->currentIndex(),
              static_cast<int>(CaptionSource::fileName));
}

TEST(IptcFormatWindow, macintoshBoxRewritesTheBox) {
    test::ensureApplication();
    IptcFormatDialog logic("%mac_roman%%caption_abstract%");
    IptcFormatWindow w(logic);
    EXPECT_FALSE(test::child<QCheckBox>(w, "macRoman")->isChecked());
    EXPECT_EQ(test::child<QPlainTextEdit>(w, "fields")->toPlainText().split('\n').size(), 19);
    screenshot(w, "iptc_format");
    test::child<QCheckBox>(w, "macRoman")->click();
    EXPECT_TRUE(test::child<QCheckBox>(w, "macRoman")->isChecked());
    EXPECT_EQ(test::child<QPlainTextEdit>(w, "format")->toPlainText(),
              QString("%mac_roman%%caption_abstract%"));
    test::child<QCheckBox>(w, "macRoman")->click();
    EXPECT_EQ(test::child<QPlainTextEdit>(w, "format")->toPlainText(),
              QString("%caption_abstract%"));
    test::child<QPlainTextEdit>(w, "format")->setPlainText("%headline%\n%city%");
    w.accept();
    EXPECT_EQ(logic.format(), "%headline%\r\n%city%");
}

TEST(IptcFormatWindow, everyFieldIsInViewAndNoPlaceholderIsWrapped) {
    test::ensureApplication();
    IptcFormatDialog logic("%caption_abstract%");
    IptcFormatWindow w(logic);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // At the size it opens with and shrunk as far as it goes.
    for (const QSize size : {w.size(), QSize(1, 1)}) {
        w.resize(size);
        QTest::qWait(20);
        auto* fields = test::child<QPlainTextEdit>(w, "fields");
        EXPECT_EQ(fields->verticalScrollBar()->maximum(), 0) << size.height();
        EXPECT_EQ(fields->horizontalScrollBar()->maximum(), 0) << size.width();
        auto* example = test::child<QWidget>(w, "example");
        EXPECT_TRUE(w.rect().contains(example->geometry()));
        int placeholderLines = 0;
        for (const QLabel* line : example->findChildren<QLabel*>()) {
            if (!line->text().contains('%')) continue;
            ++placeholderLines;
            EXPECT_FALSE(line->wordWrap()) << line->text().toStdString();
            EXPECT_GE(line->width(), line->sizeHint().width()) << line->text().toStdString();
        }
        EXPECT_EQ(placeholderLines, 1);
    }
    test::saveScreenshot(w, "iptc_format_smallest");
}

TEST(ExifFormatWindow, okRebuildsTheLetters) {
    test::ensureApplication();
    ExifFormatDialog logic("fae");
    ExifFormatWindow w(logic);
    EXPECT_TRUE(test::child<QCheckBox>(w, "field0")->isChecked());
    EXPECT_FALSE(test::child<QCheckBox>(w, "field2")->isChecked());
    EXPECT_EQ(test::child<QCheckBox>(w, "field6")->text(), QString("Camera Ma&ke"));
    screenshot(w, "exif_format");
    w.accept();
    EXPECT_EQ(logic.format(), "eaf");
    test::child<QCheckBox>(w, "field0")->setChecked(false);
    test::child<QCheckBox>(w, "field7")->setChecked(true);
    w.accept();
    EXPECT_EQ(logic.format(), "afm");
}

}  // namespace kavlo::qt
