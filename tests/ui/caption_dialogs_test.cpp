// SPDX-License-Identifier: MIT
// Caption extraction, IPTC format and Exif format dialogs.
#include <gtest/gtest.h>

#include "ui/caption_extraction_dialog.h"
#include "ui/exif_format_dialog.h"
#include "ui/iptc_format_dialog.h"

namespace kavlo::ui {

using core::CaptionChoices;
using core::CaptionSource;

TEST(IptcFormatDialog, macintoshBoxRewritesTheLeadingToken) {
    IptcFormatDialog d("%mac_roman%%caption_abstract%");
    EXPECT_FALSE(d.macRoman());  // unchecked at opening whatever the format holds
    d.toggleMacRoman();
    EXPECT_TRUE(d.macRoman());
    EXPECT_EQ(d.text(), "%mac_roman%%caption_abstract%");
    d.toggleMacRoman();
    EXPECT_EQ(d.text(), "%caption_abstract%");

    IptcFormatDialog e("x%mac_roman%y%mac_roman%");
    e.toggleMacRoman();
    EXPECT_EQ(e.format(), "%mac_roman%xy");
    e.setText("typed\r\n%city%");
    EXPECT_EQ(e.format(), "typed\r\n%city%");
}

TEST(ExifFormatDialog, rebuildsTheLettersInTableOrder) {
    EXPECT_EQ(ExifFormatDialog("fae").format(), "eaf");
    EXPECT_EQ(ExifFormatDialog("dmkuixfae").format(), "eaxfiukmd");
    EXPECT_EQ(ExifFormatDialog("zzq").format(), "");
    ExifFormatDialog d("e");
    EXPECT_TRUE(d.checked(0));
    d.setChecked(0, false);
    d.setChecked(8, true);
    d.setChecked(99, true);  // no such box
    EXPECT_EQ(d.format(), "d");
}

TEST(CaptionExtractionDialog, formatButtonsFollowTheSource) {
    CaptionExtractionDialog d;
    d.prepare("%headline%", "eaf");
    EXPECT_TRUE(d.iptcButtonEnabled());
    EXPECT_FALSE(d.exifButtonEnabled());
    d.setSource(CaptionSource::exif);
    EXPECT_FALSE(d.iptcButtonEnabled());
    EXPECT_TRUE(d.exifButtonEnabled());
    d.setSource(CaptionSource::fileName);
    EXPECT_FALSE(d.iptcButtonEnabled());
    EXPECT_FALSE(d.exifButtonEnabled());
    d.setSource(static_cast<CaptionSource>(17));
    EXPECT_EQ(d.source(), CaptionSource::fileName);
    EXPECT_STREQ(CaptionExtractionDialog::sourceTexts()[0], "IPCT caption, author etc.");
}

TEST(CaptionExtractionDialog, keepsSourceAndDestinationButResetsTheRange) {
    CaptionExtractionDialog d;
    d.prepare("%headline%", "eaf");
    d.setSource(CaptionSource::comment);
    d.setDestination(1);
    d.setRange(1);
    auto iptc = d.iptcEditor();
    iptc.setText("%city%");
    d.acceptIptcEditor(iptc);
    auto exif = d.exifEditor();
    exif.setChecked(8, true);
    d.acceptExifEditor(exif);
    CaptionChoices c = d.choices();
    EXPECT_EQ(c.source, CaptionSource::comment);
    EXPECT_FALSE(c.major);
    EXPECT_TRUE(c.allImages);
    EXPECT_EQ(c.iptcFormat, "%city%");
    EXPECT_EQ(c.exifFormat, "eafd");

    d.prepare("%headline%", "eaf");  // next opening
    EXPECT_EQ(d.source(), CaptionSource::comment);
    EXPECT_EQ(d.destination(), 1);
    EXPECT_EQ(d.range(), 0);
    EXPECT_EQ(d.iptcFormat(), "%headline%");
    EXPECT_EQ(d.exifFormat(), "eaf");
}

}  // namespace kavlo::ui
