// SPDX-License-Identifier: MIT
// The Qt view of the "Caption Extraction" dialog over CaptionExtractionDialog.
#pragma once

#include <QDialog>

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

protected:
    /// Run IptcFormatWindow / ExifFormatWindow modally; true on OK (tests override them).
    virtual bool runIptcFormat(ui::IptcFormatDialog& dialog);
    virtual bool runExifFormat(ui::ExifFormatDialog& dialog);

private:
    void sourceChanged(int index);
    void editIptcFormat();
    void editExifFormat();

    ui::CaptionExtractionDialog& m_logic;
    QComboBox* m_source = nullptr;
    QPushButton* m_iptcFormat = nullptr;
    QPushButton* m_exifFormat = nullptr;
    QRadioButton* m_major = nullptr;
    QRadioButton* m_minor = nullptr;
    QRadioButton* m_current = nullptr;
    QRadioButton* m_all = nullptr;
};

}  // namespace kavlo::qt
