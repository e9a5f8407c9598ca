// SPDX-License-Identifier: MIT
// The Qt view of the "SimpleViewer Options" window over SimpleViewerOptionsDialog.
#pragma once

#include <QDialog>
#include <QWidget>

#include "ui/simpleviewer_options_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kavlo::qt {

/// The colour sample: a 2-pixel frame in the frame colour around the background
/// colour, and the sample text centred 3 pixels below the top in the text colour.
class ColourSample : public QWidget {
    Q_OBJECT
public:
    ColourSample(const ui::SimpleViewerOptionsDialog& logic, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ui::SimpleViewerOptionsDialog& m_logic;
};

class SimpleViewerOptionsWindow : public QDialog {
    Q_OBJECT
public:
    SimpleViewerOptionsWindow(ui::SimpleViewerOptionsDialog& logic, QWidget* parent = nullptr);

    void accept() override;
    void pull();
    void push();

private:
    void paddingEdited();

    ui::SimpleViewerOptionsDialog& m_logic;
    bool m_busy = false;
    QPushButton* m_background = nullptr;
    QPushButton* m_text = nullptr;
    QPushButton* m_frame = nullptr;
    ColourSample* m_sample = nullptr;
    QComboBox* m_frameSize = nullptr;
    QLineEdit* m_stagePadding = nullptr;
    QComboBox* m_rows = nullptr;
    QComboBox* m_columns = nullptr;
    QComboBox* m_scaling = nullptr;
    QLabel* m_hint = nullptr;
};

}  // namespace kavlo::qt
