// SPDX-License-Identifier: MIT
// Introduction and link editor: line breaks across the LF boundary of text boxes.
#include <gtest/gtest.h>

#include "ui/intro_link_dialog.h"

namespace kavlo::ui {

TEST(IntroductionLinkDialog, lineBreaksConvertAtTheBoxBoundary) {
    EXPECT_EQ(IntroLinkDialog::toEditText("a\r\nb\r\n\r\nc"), "a\nb\n\nc");
    EXPECT_EQ(IntroLinkDialog::toEditText("a\rb"), "a\nb");
    EXPECT_EQ(IntroLinkDialog::fromEditText("a\nb\n\nc"), "a\r\nb\r\n\r\nc");
    EXPECT_EQ(IntroLinkDialog::fromEditText("a\r\nb\rc"), "a\r\nb\r\nc");
    EXPECT_EQ(IntroLinkDialog::fromEditText(""), "");
}

TEST(IntroductionLinkDialog, unchangedTextKeepsItsBytes) {
    // Mixed line breaks from an old album file survive an OK without edits.
    IntroLinkDialog d("one\ntwo\r\nthree\r", "Home", "https://www.example.com");
    d.setIntroFromEdit(d.introEditText());
    EXPECT_EQ(d.intro(), "one\ntwo\r\nthree\r");
    d.setIntroFromEdit(d.introEditText() + "four");
    EXPECT_EQ(d.intro(), "one\r\ntwo\r\nthree\r\nfour");
    EXPECT_EQ(d.linkText(), "Home");
    EXPECT_EQ(d.linkUrl(), "https://www.example.com");
}

}  // namespace kavlo::ui
