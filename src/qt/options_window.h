// SPDX-License-Identifier: MIT
// The Qt view of the "Options" window over OptionsDialog, and the views of its two
// sub-windows.
#pragma once

#include <QDialog>
#include <functional>

#include "ui/options_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kavlo::qt {

class CLinkLabel;

class OptionsWindow : public QDialog, public ui::OptionsSubWindows {
    Q_OBJECT
public:
    OptionsWindow(ui::OptionsDialog& logic, core::Platform& platform, QWidget* parent = nullptr);

    /// Opens the logic (its messages may show) and shows the result in the widgets.
    void prepare();
    /// prepare(), then the window, modally.
    int exec() override;
    void accept() override;

    bool runSimpleViewerOptions(ui::SimpleViewerOptionsDialog& dialog) override;
    bool runWatermarkDialog(ui::WatermarkDialog& dialog) override;

    /// Copies the widgets into the logic's controls / the controls into the widgets.
    void pull();
    void push();

    // The widgets, for tests and for the screenshots.
    QComboBox* skin = nullptr;
    CLinkLabel* examples = nullptr;
    QComboBox* language = nullptr;
    QComboBox* exif = nullptr;
    QCheckBox* autorotate = nullptr;
    QCheckBox* simpleviewer = nullptr;
    QPushButton* svOptions = nullptr;
    QCheckBox* imagetext = nullptr;
    QPushButton* watermarkEdit = nullptr;
    QCheckBox* orgfilenames = nullptr;
    QCheckBox* small = nullptr;
    QLineEdit* smallSize = nullptr;
    QComboBox* smallQuality = nullptr;
    QCheckBox* smallSharpen = nullptr;
    QComboBox* smallPosition = nullptr;
    QLineEdit* mainWidth = nullptr;
    QLineEdit* mainHeight = nullptr;
    QComboBox* mainQuality = nullptr;
    QCheckBox* mainSharpen = nullptr;
    QCheckBox* large = nullptr;
    QLineEdit* largeSize = nullptr;
    QComboBox* largeQuality = nullptr;
    QCheckBox* largeSharpen = nullptr;
    QCheckBox* copyhires = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    /// When set, sub-windows are only built and handed to this hook (tests and
    /// screenshots) instead of being run modally; its result is the window's result.
    std::function<bool(QDialog&)> subWindowHook;

private:
    /// Runs a handler between pull() and push().
    template <typename F>
    void handle(F&& handler);
    void sizeEdited(ui::SizeBox box);

    ui::OptionsDialog& m_logic;
    core::Platform& m_platform;
    bool m_busy = false;
};

}  // namespace kavlo::qt
