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

    auto* root = new QVBoxLayout(this);
    m_source = named(new QComboBox(this), "source");
    for (const char* text : CaptionExtractionDialog::sourceTexts()) m_source->addItem(qs(text));
    m_source->setCurrentIndex(static_cast<int>(logic.source()));
    auto* sourceLabel = new QLabel(tr("&Source"), this);
    sourceLabel->setBuddy(m_source);
    auto* sourceLine = new QHBoxLayout;
    sourceLine->addWidget(sourceLabel);
    sourceLine->addWidget(m_source, 1);
    root->addLayout(sourceLine);

    auto* formatLine = new QHBoxLayout;
    m_iptcFormat = named(new QPushButton(tr("I&PTC Format"), this), "iptcFormat");
    m_exifFormat = named(new QPushButton(tr("&Exif Format"), this), "exifFormat");
    m_iptcFormat->setAutoDefault(false);
    m_exifFormat->setAutoDefault(false);
    formatLine->addStretch(1);
    formatLine->addWidget(m_iptcFormat);
    formatLine->addWidget(m_exifFormat);
    root->addLayout(formatLine);

    auto* groups = new QHBoxLayout;
    auto* destination = new QGroupBox(tr("Destination"), this);
    auto* dl = new QVBoxLayout(destination);
    m_major = named(new QRadioButton(tr("&Major caption"), destination), "major");
    m_minor = named(new QRadioButton(tr("M&inor caption"), destination), "minor");
    (logic.destination() == 0 ? m_major : m_minor)->setChecked(true);
    dl->addWidget(m_major);
    dl->addWidget(m_minor);
    groups->addWidget(destination);
    auto* range = new QGroupBox(tr("Range"), this);
    auto* rl = new QVBoxLayout(range);
    m_current = named(new QRadioButton(tr("Apply to c&urrent image"), range), "current");
    m_all = named(new QRadioButton(tr("Apply to &all images"), range), "all");
    (logic.range() == 0 ? m_current : m_all)->setChecked(true);
    rl->addWidget(m_current);
    rl->addWidget(m_all);
    groups->addWidget(range);
    root->addLayout(groups);

    auto* notice = new QLabel(qs(CaptionExtractionDialog::noticeText()), this);
    notice->setWordWrap(true);
    root->addWidget(notice);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CaptionExtractionWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CaptionExtractionWindow::reject);
    root->addWidget(buttons);

    connect(m_source, &QComboBox::currentIndexChanged, this,
            &CaptionExtractionWindow::sourceChanged);
    connect(m_iptcFormat, &QPushButton::clicked, this, &CaptionExtractionWindow::editIptcFormat);
    connect(m_exifFormat, &QPushButton::clicked, this, &CaptionExtractionWindow::editExifFormat);
    sourceChanged(m_source->currentIndex());
}

void CaptionExtractionWindow::sourceChanged(int index) {
    m_logic.setSource(static_cast<core::CaptionSource>(index));
    m_iptcFormat->setEnabled(m_logic.iptcButtonEnabled());
    m_exifFormat->setEnabled(m_logic.exifButtonEnabled());
}

bool CaptionExtractionWindow::runIptcFormat(IptcFormatDialog& dialog) {
    IptcFormatWindow window(dialog, this);
    return window.exec() == QDialog::Accepted;
}

bool CaptionExtractionWindow::runExifFormat(ExifFormatDialog& dialog) {
    ExifFormatWindow window(dialog, this);
    return window.exec() == QDialog::Accepted;
}

void CaptionExtractionWindow::editIptcFormat() {
    IptcFormatDialog dlg = m_logic.iptcEditor();
    if (runIptcFormat(dlg)) m_logic.acceptIptcEditor(dlg);
}

void CaptionExtractionWindow::editExifFormat() {
    ExifFormatDialog dlg = m_logic.exifEditor();
    if (runExifFormat(dlg)) m_logic.acceptExifEditor(dlg);
}

void CaptionExtractionWindow::accept() {
    m_logic.setSource(static_cast<core::CaptionSource>(m_source->currentIndex()));
    m_logic.setDestination(m_minor->isChecked() ? 1 : 0);
    m_logic.setRange(m_all->isChecked() ? 1 : 0);
    QDialog::accept();
}

}  // namespace kavlo::qt
