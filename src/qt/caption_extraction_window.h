// SPDX-License-Identifier: MIT
// The Qt view of the "Caption Extraction" dialog over CaptionExtractionDialog.
#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace kavlo::ui {
class CaptionExtractionDialog;
class ExifFormatDialog;
class IptcFormatDialog;
}  // namespace kavlo::ui

namespace kavlo::qt {

class CaptionExtractionWindow : public QDialog {
    Q_OBJECT
public:
    CaptionExtractionWindow(ui::CaptionExtractionDialog& logic, QWidget* parent = nullptr);
    /// OK: source, destination and range go back to the logic.
    void accept() override;

    /// How the two format dialogs are shown; tests replace them. The defaults run
    /// IptcFormatWindow / ExifFormatWindow modally and return true on OK.
    std::function<bool(ui::IptcFormatDialog&)> runIptcFormat;
    std::function<bool(ui::ExifFormatDialog&)> runExifFormat;

    QComboBox* source = nullptr;
    QPushButton* iptcFormat = nullptr;
    QPushButton* exifFormat = nullptr;
    QRadioButton* major = nullptr;
    QRadioButton* minor = nullptr;
    QRadioButton* current = nullptr;
    QRadioButton* all = nullptr;

private:
    void sourceChanged(int index);
    void editIptcFormat();
    void editExifFormat();

    ui::CaptionExtractionDialog& m_logic;
};

}  // namespace kavlo::qt
