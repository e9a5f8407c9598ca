// SPDX-License-Identifier: MIT
#include "qt/exif_format_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "qt/qt_platform.h"

namespace kavlo::qt {

using ui::ExifFormatDialog;

ExifFormatWindow::ExifFormatWindow(ExifFormatDialog& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(tr("Exif Format"));
    auto* root = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;

    auto* fieldGroup = new QGroupBox(tr("Exif Fields"), this);
    auto* fieldLayout = new QVBoxLayout(fieldGroup);
    const auto& table = ExifFormatDialog::fieldBoxes();
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        m_boxes[i] = new QCheckBox(qs(table[i].text), fieldGroup);
        m_boxes[i]->setObjectName(QStringLiteral("field%1").arg(i));
        m_boxes[i]->setChecked(logic.checked(i));
        fieldLayout->addWidget(m_boxes[i]);
    }
    fieldLayout->addStretch(1);
    groups->addWidget(fieldGroup);

    auto* infoGroup = new QGroupBox(tr("Information"), this);
    auto* infoLayout = new QVBoxLayout(infoGroup);
    auto* information = new QLabel(qs(ExifFormatDialog::informationText()), infoGroup);
    information->setTextFormat(Qt::PlainText);
    information->setWordWrap(true);
    information->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    information->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
    infoLayout->addWidget(information);
    infoLayout->addStretch(1);
    groups->addWidget(infoGroup, 1);
    root->addLayout(groups);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExifFormatWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExifFormatWindow::reject);
    root->addWidget(buttons);
}

void ExifFormatWindow::accept() {
    for (std::size_t i = 0; i < m_boxes.size(); ++i) m_logic.setChecked(i, m_boxes[i]->isChecked());
    QDialog::accept();
}

}  // namespace kavlo::qt
