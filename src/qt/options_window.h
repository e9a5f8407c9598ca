// SPDX-License-Identifier: MIT
// The Qt view of the "Options" window over OptionsDialog, and the views of its two
// sub-windows.
#pragma once

#include <QDialog>
#include <vector>

#include "ui/options_dialog.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLayout;
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

protected:
    /// Runs a sub-window modally; true when it was accepted (tests override it).
    virtual bool runSubWindow(QDialog& window);
    /// Enter in a size box whose value had to be corrected stays in the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// A check box shown from and copied into one field of the logic's controls.
    struct Switch {
        QCheckBox* box;
        bool ui::OptionsControls::*value;
    };
    /// A check box tied to `value` (pull() and push() copy it), named `name`.
    QCheckBox* switchBox(QWidget* parent, const QString& text, const char* name,
                         bool ui::OptionsControls::*value);
    /// switchBox() on the next row of `grid`, with `beside` (a button) to its right.
    QCheckBox* addSwitch(QGridLayout* grid, const QString& text, const char* name,
                         bool ui::OptionsControls::*value, QWidget* beside = nullptr);
    QLayout* buildPageRows();
    QLayout* buildSwitches();
    QWidget* buildThumbnailGroup();
    QWidget* buildMainGroup();
    QWidget* buildLargeGroup();
    QWidget* buildButtons();
    void connectActions();
    /// Runs a handler between pull() and push().
    template <typename F>
    void handle(F&& handler);
    /// Range check of a size box; true when its value was corrected (and told).
    bool sizeEdited(ui::SizeBox box);

    ui::OptionsDialog& m_logic;
    core::Platform& m_platform;
    bool m_busy = false;
    std::vector<Switch> m_switches;
    QComboBox* m_skin = nullptr;
    CLinkLabel* m_examples = nullptr;
    QComboBox* m_language = nullptr;
    QComboBox* m_exif = nullptr;
    QCheckBox* m_autorotate = nullptr;
    QCheckBox* m_simpleviewer = nullptr;
    QPushButton* m_svOptions = nullptr;
    QCheckBox* m_imagetext = nullptr;
    QPushButton* m_watermarkEdit = nullptr;
    QCheckBox* m_orgfilenames = nullptr;
    QCheckBox* m_small = nullptr;
    QLineEdit* m_smallSize = nullptr;
    QComboBox* m_smallQuality = nullptr;
    QCheckBox* m_smallSharpen = nullptr;
    QComboBox* m_smallPosition = nullptr;
    QLineEdit* m_mainWidth = nullptr;
    QLineEdit* m_mainHeight = nullptr;
    QComboBox* m_mainQuality = nullptr;
    QCheckBox* m_mainSharpen = nullptr;
    QCheckBox* m_large = nullptr;
    QLineEdit* m_largeSize = nullptr;
    QComboBox* m_largeQuality = nullptr;
    QCheckBox* m_largeSharpen = nullptr;
    QCheckBox* m_copyhires = nullptr;
};

}  // namespace kavlo::qt
