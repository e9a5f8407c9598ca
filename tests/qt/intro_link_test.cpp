// SPDX-License-Identifier: MIT
// The introduction and link window: CR LF kept byte for byte across the text box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "qt/intro_link_window.h"
#include "qt_test_support.h"
#include "ui/intro_link_dialog.h"

namespace kavlo::qt {

using ui::IntroLinkDialog;

namespace {}  // namespace

TEST(IntroLinkWindow, unchangedTextComesBackByteForByte) {
    test::ensureApplication();
    const std::string intro = "Welcome\r\n\r\n<b>Summer</b>\xc2\xa0"
                              "2007\r\nLast line";
    // A link text that is not valid UTF-8 and a URL longer than a line edit's default
    // limit come back unchanged as well.
    const std::string url = "https://www.example.com/?q=" + std::string(40000, 'x');
    IntroLinkDialog logic(intro, "My site \xe9", url);
    IntroLinkWindow w(logic);
    EXPECT_EQ(test::child<QPlainTextEdit>(w, "introduction")->blockCount(), 4);
    w.show();
    QTest::qWait(20);
    test::saveScreenshot(w, "intro_link");
    w.accept();
    EXPECT_EQ(logic.intro(), intro);
    EXPECT_EQ(logic.linkText(), "My site \xe9");
    EXPECT_EQ(logic.linkUrl(), url);
}

TEST(IntroLinkWindow, typedLineBreaksBecomeCrLf) {
    test::ensureApplication();
    IntroLinkDialog logic("", "", "");
    IntroLinkWindow w(logic);
    test::child<QPlainTextEdit>(w, "introduction")->setFocus();
    QTest::keyClicks(test::child<QPlainTextEdit>(w, "introduction"), "one");
    QTest::keyClick(test::child<QPlainTextEdit>(w, "introduction"), Qt::Key_Return);
    QTest::keyClicks(test::child<QPlainTextEdit>(w, "introduction"), "two");
    test::child<QLineEdit>(w, "linkUrl")->setText("http://example.com/");
    w.accept();
    EXPECT_EQ(logic.intro(), "one\r\ntwo");
    EXPECT_EQ(logic.linkUrl(), "http://example.com/");
}

}  // namespace kavlo::qt
