// SPDX-License-Identifier: MIT
// The Qt view of the "Watermark Editor" window over WatermarkDialog.
#pragma once

#include <QDialog>
#include <QImage>

#include "imaging/raster_image.h"
#include "ui/watermark_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kavlo::qt {

/// A copy of a 24-bit (blue, green, red) or 32-bit raster as a QImage; a null image
/// for the empty image or other depths.
QImage toQImage(const imaging::RasterImage& image);

class WatermarkWindow : public QDialog {
    Q_OBJECT
public:
    /// `logic` must have been opened (fonts listed, preview rendered).
    WatermarkWindow(ui::WatermarkDialog& logic, QWidget* parent = nullptr);

    void accept() override;
    void pull();
    void push();

private:
    void refreshPreview();

    ui::WatermarkDialog& m_logic;
    QLineEdit* m_text = nullptr;
    QCheckBox* m_minorCaption = nullptr;
    QComboBox* m_font = nullptr;
    QComboBox* m_size = nullptr;
    QComboBox* m_position = nullptr;
    QComboBox* m_transparency = nullptr;
    QPushButton* m_colour = nullptr;
    QLabel* m_preview = nullptr;
};

}  // namespace kavlo::qt
