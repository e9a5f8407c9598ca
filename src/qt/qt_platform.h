// SPDX-License-Identifier: MIT
// The Platform interface on Qt widgets: QMessageBox, the folder chooser, QColorDialog,
// QDesktopServices and the application's override cursor.
#pragma once

#include <QString>
#include <string>

#include "core/platform.h"

class QWidget;

namespace kavlo::qt {

/// UTF-8 <-> QString, the only place text changes form.
inline QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string u8(const QString& text) { return text.toUtf8().toStdString(); }

/// Gives a widget its object name (how tests and scripts find it) and returns it.
template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

class QtPlatform : public core::Platform {
public:
    /// Dialogs open over the active window of the application.
    QtPlatform() = default;
    ~QtPlatform() override;

    core::MessageAnswer messageBox(const core::Message& message) override;
    /// A message box that does not hold up the caller: shown over the active window
    /// and gone (deleted) once it is closed. Its object name is "notice".
    void notify(const core::Message& message) override;
    core::FolderChoice chooseFolder(const core::FolderRequest& request) override;
    std::optional<util::Colour> chooseColour(util::Colour initial,
                                             core::CustomColours& custom) override;
    bool openWithDefaultProgram(const std::string& target) override;
    void setWaitCursor(bool on) override;

    /// The window that dialogs are opened over (the active modal window, else the
    /// active window); may be null.
    static QWidget* dialogParent();

private:
    int m_waitDepth = 0;
};

}  // namespace kavlo::qt
