// SPDX-License-Identifier: MIT
#include "qt/iptc_format_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

#include "qt/intro_link_window.h"
#include "qt/qt_platform.h"
#include "ui/intro_link_dialog.h"
#include "ui/iptc_format_dialog.h"

namespace kavlo::qt {

using ui::IntroLinkDialog;
using ui::IptcFormatDialog;

IptcFormatWindow::IptcFormatWindow(IptcFormatDialog& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(tr("IPTC Format"));
    auto* grid = new QGridLayout(this);

    format = new QPlainTextEdit(this);
    format->setTabChangesFocus(true);
    setMultiLineText(format, logic.text());
    m_shownEdit = multiLineText(format);
    auto* formatLabel = new QLabel(tr("&IPTC Format"), this);
    formatLabel->setBuddy(format);
    grid->addWidget(formatLabel, 0, 0);
    grid->addWidget(format, 1, 0);

    fields = new QPlainTextEdit(this);
    fields->setReadOnly(true);
    fields->setPlainText(qs(IptcFormatDialog::fieldListText()));
    fields->setLineWrapMode(QPlainTextEdit::NoWrap);
    fields->setMinimumWidth(fields->fontMetrics().horizontalAdvance(
                                QStringLiteral("%original_transmission_reference%")) +
                            fields->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24);
    auto* fieldsLabel = new QLabel(tr("Available IPTC &Fields"), this);
    fieldsLabel->setBuddy(fields);
    grid->addWidget(fieldsLabel, 0, 1);
    grid->addWidget(fields, 1, 1, 3, 1);

    example = new QLabel(qs(IptcFormatDialog::exampleText()), this);
    example->setTextFormat(Qt::PlainText);
    example->setWordWrap(true);
    example->setFrameShape(QFrame::StyledPanel);
    example->setMargin(6);
    grid->addWidget(example, 2, 0);

    macRoman = new QCheckBox(tr("Convert IPTC text from the &Macintosh format"), this);
    macRoman->setChecked(logic.macRoman());
    connect(macRoman, &QCheckBox::clicked, this, &IptcFormatWindow::macRomanClicked);
    grid->addWidget(macRoman, 3, 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &IptcFormatWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IptcFormatWindow::reject);
    grid->addWidget(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(1, 1);
    resize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 24);
}

void IptcFormatWindow::takeText() {
    const std::string text = multiLineText(format);
    // Unchanged text keeps its stored bytes; typed line breaks become CR LF.
    if (text != m_shownEdit) m_logic.setText(IntroLinkDialog::fromEditText(text));
}

void IptcFormatWindow::macRomanClicked() {
    takeText();
    m_logic.toggleMacRoman();
    setMultiLineText(format, m_logic.text());
    m_shownEdit = multiLineText(format);
    macRoman->setChecked(m_logic.macRoman());
}

void IptcFormatWindow::accept() {
    takeText();
    QDialog::accept();
}

}  // namespace kavlo::qt
