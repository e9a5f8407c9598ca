// SPDX-License-Identifier: MIT
#include "qt/iptc_format_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

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

    m_format = named(new QPlainTextEdit(this), "format");
    m_format->setTabChangesFocus(true);
    setMultiLineText(m_format, logic.text());
    m_shownEdit = multiLineText(m_format);
    auto* formatLabel = new QLabel(tr("&IPTC Format"), this);
    formatLabel->setBuddy(m_format);
    grid->addWidget(formatLabel, 0, 0);
    grid->addWidget(m_format, 1, 0);

    m_fields = named(new QPlainTextEdit(this), "fields");
    m_fields->setReadOnly(true);
    m_fields->setPlainText(qs(IptcFormatDialog::fieldListText()));
    m_fields->setLineWrapMode(QPlainTextEdit::NoWrap);
    fitFieldList();
    auto* fieldsLabel = new QLabel(tr("Available IPTC &Fields"), this);
    fieldsLabel->setBuddy(m_fields);
    grid->addWidget(fieldsLabel, 0, 1);
    grid->addWidget(m_fields, 1, 1, 3, 1);

    grid->addWidget(buildExample(), 2, 0);

    m_macRoman =
        named(new QCheckBox(tr("Convert IPTC text from the &Macintosh format"), this), "macRoman");
    m_macRoman->setChecked(logic.macRoman());
    connect(m_macRoman, &QCheckBox::clicked, this, &IptcFormatWindow::macRomanClicked);
    grid->addWidget(m_macRoman, 3, 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &IptcFormatWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IptcFormatWindow::reject);
    grid->addWidget(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(1, 1);
    resize(fontMetrics().averageCharWidth() * 100, fontMetrics().height() * 24);
}

// Every field in view: the list is as high and as wide as its lines.
void IptcFormatWindow::fitFieldList() {
    const QFontMetrics metrics = m_fields->fontMetrics();
    int widest = 0;
    for (const std::string& field : IptcFormatDialog::fields())
        widest = std::max(widest, metrics.horizontalAdvance(qs(field)));
    const auto lines = static_cast<int>(IptcFormatDialog::fields().size());
    const int frame = 2 * m_fields->frameWidth();
    const int margin = 2 * qCeil(m_fields->document()->documentMargin());
    // Room for the cursor, the viewport's own margins and the rounding of line heights.
    m_fields->setMinimumSize(widest + frame + margin + 2 * metrics.averageCharWidth() + 8,
                             (lines + 1) * metrics.lineSpacing() + frame + margin);
}

// The example, line by line: a line that holds placeholders is never wrapped (it
// would break inside one), the caption it gives wraps to the width.
QWidget* IptcFormatWindow::buildExample() {
    auto* example = named(new QFrame(this), "example");
    example->setFrameShape(QFrame::StyledPanel);
    auto* lines = new QVBoxLayout(example);
    lines->setSpacing(2);
    for (const QString& line : qs(IptcFormatDialog::exampleText()).split(QLatin1Char('\n'))) {
        auto* label = new QLabel(line, example);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(!line.contains(QLatin1Char('%')));
        lines->addWidget(label);
    }
    return example;
}

void IptcFormatWindow::takeText() {
    const std::string text = multiLineText(m_format);
    // Unchanged text keeps its stored bytes; typed line breaks become CR LF.
    if (text != m_shownEdit) m_logic.setText(IntroLinkDialog::fromEditText(text));
}

void IptcFormatWindow::macRomanClicked() {
    takeText();
    m_logic.toggleMacRoman();
    setMultiLineText(m_format, m_logic.text());
    m_shownEdit = multiLineText(m_format);
    m_macRoman->setChecked(m_logic.macRoman());
}

void IptcFormatWindow::accept() {
    takeText();
    QDialog::accept();
}

}  // namespace kavlo::qt
