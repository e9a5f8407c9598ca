// SPDX-License-Identifier: MIT
// The Qt view of the "IPTC Format" dialog over IptcFormatDialog.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QPlainTextEdit;

namespace kavlo::ui {
class IptcFormatDialog;
}  // namespace kavlo::ui

namespace kavlo::qt {

class IptcFormatWindow : public QDialog {
    Q_OBJECT
public:
    IptcFormatWindow(ui::IptcFormatDialog& logic, QWidget* parent = nullptr);
    /// OK: the box's text becomes the format.
    void accept() override;

private:
    void fitFieldList();
    QWidget* buildExample();
    void takeText();
    void macRomanClicked();

    ui::IptcFormatDialog& m_logic;
    std::string m_shownEdit;  // the box's text as last filled from the format
    QPlainTextEdit* m_format = nullptr;
    QPlainTextEdit* m_fields = nullptr;
    QCheckBox* m_macRoman = nullptr;
};

}  // namespace kavlo::qt
