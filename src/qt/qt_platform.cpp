// SPDX-License-Identifier: MIT
#include "qt/qt_platform.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "qt/folder_chooser.h"

namespace kavlo::qt {

using core::CustomColours;
using core::FolderChoice;
using core::FolderRequest;
using core::Message;
using core::MessageAnswer;
using core::MessageButtons;
using core::MessageIcon;
using util::Colour;

namespace {

QColor toQColor(Colour c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

Colour fromQColor(const QColor& c) {
    return static_cast<Colour>(c.red()) | (static_cast<Colour>(c.green()) << 8) |
           (static_cast<Colour>(c.blue()) << 16);
}

QMessageBox::Icon toQIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtPlatform::~QtPlatform() {
    while (m_waitDepth > 0) setWaitCursor(false);
}

QWidget* QtPlatform::dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

MessageAnswer QtPlatform::messageBox(const Message& message) {
    QMessageBox box(toQIcon(message.icon), qs(message.caption), qs(message.text),
                    QMessageBox::NoButton, dialogParent());
    box.setTextFormat(Qt::PlainText);
    struct Choice {
        QAbstractButton* button;
        MessageAnswer answer;
    };
    std::vector<Choice> choices;
    auto add = [&](QMessageBox::StandardButton b, const char* text, MessageAnswer answer) {
        QPushButton* button = box.addButton(b);
        button->setText(QApplication::translate("QtPlatform", text));
        choices.push_back({button, answer});
    };
    switch (message.buttons) {
    case MessageButtons::Ok: add(QMessageBox::Ok, "OK", MessageAnswer::Ok); break;
    case MessageButtons::OkCancel:
        add(QMessageBox::Ok, "OK", MessageAnswer::Ok);
        add(QMessageBox::Cancel, "Cancel", MessageAnswer::Cancel);
        break;
    case MessageButtons::YesNo:
        add(QMessageBox::Yes, "&Yes", MessageAnswer::Yes);
        add(QMessageBox::No, "&No", MessageAnswer::No);
        break;
    }
    const MessageAnswer preferred = message.defaultAnswer.value_or(choices.front().answer);
    for (const Choice& c : choices)
        if (c.answer == preferred) box.setDefaultButton(static_cast<QPushButton*>(c.button));
    // Escape gives Cancel or No where there is one, otherwise closes the OK box.
    box.setEscapeButton(choices.back().button);
    box.exec();
    for (const Choice& c : choices)
        if (box.clickedButton() == c.button) return c.answer;
    // Closed by the window manager: the answer of Escape.
    return choices.back().answer;
}

void QtPlatform::notify(const Message& message) {
    // Not modal: the run goes on behind it, and the user closes it when it suits them.
    auto* box = named(new QMessageBox(toQIcon(message.icon), qs(message.caption),
                                      qs(message.text), QMessageBox::Ok, dialogParent()),
                      "notice");
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->button(QMessageBox::Ok)->setText(QApplication::translate("QtPlatform", "OK"));
    box->show();
}

FolderChoice QtPlatform::chooseFolder(const FolderRequest& request) {
    FolderChooserDialog dialog(*this, request, dialogParent());
    if (dialog.exec() != QDialog::Accepted) return FolderChoice::cancel();
    return FolderChoice::chosen(dialog.chosenPath());
}

std::optional<Colour> QtPlatform::chooseColour(Colour initial, CustomColours& custom) {
    // QColorDialog keeps its custom colours per process; each caller keeps its own set,
    // so hand them in and take them back around every use.
    const int count = std::min<int>(QColorDialog::customCount(), static_cast<int>(custom.size()));
    for (int i = 0; i < count; ++i) QColorDialog::setCustomColor(i, toQColor(custom[i]));
    QColorDialog dialog(toQColor(initial), dialogParent());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < count; ++i) custom[i] = fromQColor(QColorDialog::customColor(i));
    if (!chosen) return std::nullopt;
    return fromQColor(dialog.selectedColor());
}

bool QtPlatform::openWithDefaultProgram(const std::string& target) {
    if (target.empty()) return false;
    const QString text = qs(target);
    const QUrl url = text.contains("://") ? QUrl(text) : QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url);
}

void QtPlatform::setWaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_waitDepth;
    } else if (m_waitDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_waitDepth;
    }
}

}  // namespace kavlo::qt
