// SPDX-License-Identifier: MIT
#include "qt/caption_extraction_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "qt/exif_format_window.h"
#include "qt/iptc_format_window.h"
#include "qt/qt_platform.h"
#include "ui/caption_extraction_dialog.h"

namespace kavlo::qt {

using ui::CaptionExtractionDialog;
using ui::ExifFormatDialog;
using ui::IptcFormatDialog;

CaptionExtractionWindow::CaptionExtractionWindow(CaptionExtractionDialog& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(tr("Caption Extraction"));
    runIptcFormat = [this](IptcFormatDialog& dlg) {
        IptcFormatWindow window(dlg, this);
        return window.exec() == QDialog::Accepted;
    };
    runExifFormat = [this](ExifFormatDialog& dlg) {
        ExifFormatWindow window(dlg, this);
        return window.exec() == QDialog::Accepted;
    };

    auto* root = new QVBoxLayout(this);
    source = new QComboBox(this);
    for (const char* text : CaptionExtractionDialog::sourceTexts()) source->addItem(qs(text));
    source->setCurrentIndex(static_cast<int>(logic.source()));
    auto* sourceLabel = new QLabel(tr("&Source"), this);
    sourceLabel->setBuddy(source);
    auto* sourceLine = new QHBoxLayout;
    sourceLine->addWidget(sourceLabel);
    sourceLine->addWidget(source, 1);
    root->addLayout(sourceLine);

    auto* formatLine = new QHBoxLayout;
    iptcFormat = new QPushButton(tr("I&PTC Format"), this);
    exifFormat = new QPushButton(tr("&Exif Format"), this);
    iptcFormat->setAutoDefault(false);
    exifFormat->setAutoDefault(false);
    formatLine->addStretch(1);
    formatLine->addWidget(iptcFormat);
    formatLine->addWidget(exifFormat);
    root->addLayout(formatLine);

    auto* groups = new QHBoxLayout;
    auto* destination = new QGroupBox(tr("Destination"), this);
    auto* dl = new QVBoxLayout(destination);
    major = new QRadioButton(tr("&Major caption"), destination);
    minor = new QRadioButton(tr("M&inor caption"), destination);
    (logic.destination() == 0 ? major : minor)->setChecked(true);
    dl->addWidget(major);
    dl->addWidget(minor);
    groups->addWidget(destination);
    auto* range = new QGroupBox(tr("Range"), this);
    auto* rl = new QVBoxLayout(range);
    current = new QRadioButton(tr("Apply to c&urrent image"), range);
    all = new QRadioButton(tr("Apply to &all images"), range);
    (logic.range() == 0 ? current : all)->setChecked(true);
    rl->addWidget(current);
    rl->addWidget(all);
    groups->addWidget(range);
    root->addLayout(groups);

    auto* notice = new QLabel(qs(CaptionExtractionDialog::noticeText()), this);
    notice->setWordWrap(true);
    root->addWidget(notice);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CaptionExtractionWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CaptionExtractionWindow::reject);
    root->addWidget(buttons);

    connect(source, &QComboBox::currentIndexChanged, this, &CaptionExtractionWindow::sourceChanged);
    connect(iptcFormat, &QPushButton::clicked, this, &CaptionExtractionWindow::editIptcFormat);
    connect(exifFormat, &QPushButton::clicked, this, &CaptionExtractionWindow::editExifFormat);
    sourceChanged(source->currentIndex());
}

void CaptionExtractionWindow::sourceChanged(int index) {
    m_logic.setSource(static_cast<core::CaptionSource>(index));
    iptcFormat->setEnabled(m_logic.iptcButtonEnabled());
    exifFormat->setEnabled(m_logic.exifButtonEnabled());
}

void CaptionExtractionWindow::editIptcFormat() {
    IptcFormatDialog dlg = m_logic.iptcEditor();
    if (runIptcFormat && runIptcFormat(dlg)) m_logic.acceptIptcEditor(dlg);
}

void CaptionExtractionWindow::editExifFormat() {
    ExifFormatDialog dlg = m_logic.exifEditor();
    if (runExifFormat && runExifFormat(dlg)) m_logic.acceptExifEditor(dlg);
}

void CaptionExtractionWindow::accept() {
    m_logic.setSource(static_cast<core::CaptionSource>(source->currentIndex()));
    m_logic.setDestination(minor->isChecked() ? 1 : 0);
    m_logic.setRange(all->isChecked() ? 1 : 0);
    QDialog::accept();
}

}  // namespace kavlo::qt
