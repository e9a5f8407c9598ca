// SPDX-License-Identifier: MIT
// The Qt view of the "About" window.
#pragma once

#include <QDialog>

#include "ui/about_dialog.h"

class QLabel;
class QPushButton;

namespace kavlo::qt {

class CLinkLabel;

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    AboutWindow(core::Platform& platform, QWidget* parent = nullptr);

    QLabel* version = nullptr;
    CLinkLabel* homepage = nullptr;
    CLinkLabel* support = nullptr;
    CLinkLabel* simpleViewer = nullptr;
    QPushButton* help = nullptr;
    QPushButton* ok = nullptr;

private:
    ui::AboutDialog m_logic;
    core::Platform& m_platform;
};

}  // namespace kavlo::qt
