// SPDX-License-Identifier: MIT
// The Qt platform: message boxes with caption, icon, buttons and default button, the
// folder chooser and the colour chooser with the caller's custom colours. Each modal
// window is answered from a timer once it is up.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "qt/folder_chooser.h"
#include "qt/qt_platform.h"
#include "qt_test_support.h"

namespace kavlo::qt {

using core::CustomColours;
using core::FolderChoice;
using core::FolderRequest;
using core::makeMessage;
using core::Message;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;

namespace {

/// Runs `answer` on the modal window as soon as one is up.
void whenModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

}  // namespace

TEST(QtPlatform, messageBoxCarriesCaptionIconButtonsAndDefault) {
    test::ensureApplication();
    QtPlatform platform;
    Message m = makeMessage("Quitting Kavlo will discard all captions etc.\n\nDo you want to quit?",
                            "Quit", MessageButtons::YesNo, MessageIcon::Question);
    m.defaultAnswer = MessageAnswer::No;
    QString title, text, defaultText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    whenModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        defaultText = box->defaultButton()->text();
        test::saveScreenshot(*box, "message_box");
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(platform.messageBox(m), MessageAnswer::Yes);
    EXPECT_EQ(title, "Quit");
    EXPECT_EQ(text.toStdString(), m.text);
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, 2);
    EXPECT_EQ(defaultText, "&No");

    // Escape answers Cancel in an OK/Cancel box.
    whenModal([](QWidget* w) { static_cast<QMessageBox*>(w)->reject(); });
    EXPECT_EQ(platform.messageBox(makeMessage("Press OK to search for images.", "Information",
                                              MessageButtons::OkCancel, MessageIcon::Information)),
              MessageAnswer::Cancel);
}

TEST(QtPlatform, aNoticeDoesNotHoldUpTheCallerAndGoesWhenClosed) {
    test::ensureApplication();
    QtPlatform platform;
    // Returns at once: no modal loop is entered (a modal box would never return here).
    platform.notify(makeMessage("The originals carry their GPS position.", "Kavlo",
                                MessageButtons::Ok, MessageIcon::Information));
    QPointer<QMessageBox> box;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "notice") box = qobject_cast<QMessageBox*>(w);
    ASSERT_FALSE(box.isNull());
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box->text(), "The originals carry their GPS position.");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    box->button(QMessageBox::Ok)->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
}

TEST(QtPlatform, folderChooserReturnsTheTypedFolderOrCancel) {
    test::ensureApplication();
    QtPlatform platform;
    const std::string dir = std::string(KAVLO_TEST_OUTPUT);
    FolderRequest request;
    request.title = "Welcome to Kavlo.";
    whenModal([&](QWidget* w) {
        auto* chooser = qobject_cast<FolderChooserDialog*>(w);
        ASSERT_NE(chooser, nullptr);
        test::child<QLineEdit>(*chooser, "path")->setText(QString::fromStdString(dir + "/"));
        chooser->accept();
    });
    FolderChoice choice = platform.chooseFolder(request);
    EXPECT_FALSE(choice.cancelled);
    EXPECT_EQ(choice.path, dir);

    whenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_TRUE(platform.chooseFolder(request).cancelled);
}

TEST(QtPlatform, colourChooserStartsOnTheColourAndKeepsTheCallersCustomColours) {
    test::ensureApplication();
    QtPlatform platform;
    CustomColours custom{};
    custom[3] = 0x0000FF;  // red
    QColor shown;
    QColor customShown;
    whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QColorDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        shown = dialog->currentColor();
        customShown = QColorDialog::customColor(3);
        QColorDialog::setCustomColor(5, QColor(0, 255, 0));
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        dialog->accept();
    });
    auto chosen = platform.chooseColour(0x191919, custom);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, 0x563412u);  // red in the lowest byte
    EXPECT_EQ(shown, QColor(0x19, 0x19, 0x19));
    EXPECT_EQ(customShown, QColor(255, 0, 0));
    EXPECT_EQ(custom[5], 0x00FF00u);
    EXPECT_EQ(custom[3], 0x0000FFu);

    whenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(platform.chooseColour(0x191919, custom));
}

}  // namespace kavlo::qt
