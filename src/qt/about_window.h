// SPDX-License-Identifier: MIT
// The Qt view of the "About" window.
#pragma once

#include <QDialog>

#include "ui/about_dialog.h"

class QLabel;
class QPushButton;
class QWidget;

namespace kavlo::qt {

class CLinkLabel;

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    AboutWindow(core::Platform& platform, QWidget* parent = nullptr);

private:
    QWidget* buildAboutGroup();
    QWidget* buildCreditsGroup();

    ui::AboutDialog m_logic;
    core::Platform& m_platform;
    QLabel* m_version = nullptr;
    CLinkLabel* m_helpPage = nullptr;
    CLinkLabel* m_readme = nullptr;
    CLinkLabel* m_simpleViewer = nullptr;
    QPushButton* m_help = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace kavlo::qt
