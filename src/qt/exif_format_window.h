// SPDX-License-Identifier: MIT
// The Qt view of the "Exif Format" dialog over ExifFormatDialog.
#pragma once

#include <QDialog>
#include <array>

#include "ui/exif_format_dialog.h"

class QCheckBox;

namespace kavlo::qt {

class ExifFormatWindow : public QDialog {
    Q_OBJECT
public:
    ExifFormatWindow(ui::ExifFormatDialog& logic, QWidget* parent = nullptr);
    /// OK: the ticks go back to the logic.
    void accept() override;

private:
    ui::ExifFormatDialog& m_logic;
    /// One tick box per field, named "field0", "field1", ...
    std::array<QCheckBox*, ui::ExifFormatDialog::kFieldCount> m_boxes{};
};

}  // namespace kavlo::qt
