// SPDX-License-Identifier: MIT
#include "qt/simpleviewer_options_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "qt/qt_platform.h"

namespace kavlo::qt {

using ui::kColourSampleText;
using ui::SimpleViewerOptionsDialog;
using util::Colour;

namespace {

QColor toQColor(Colour c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QComboBox* makeList(QWidget* parent, const std::vector<std::string>& items) {
    auto* combo = new QComboBox(parent);
    for (const std::string& item : items) combo->addItem(qs(item));
    return combo;
}

}  // namespace

ColourSample::ColourSample(const SimpleViewerOptionsDialog& logic, QWidget* parent)
    : QWidget(parent), m_logic(logic) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize ColourSample::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QString::fromUtf8(kColourSampleText)) + 8,
            metrics.height() * 2 + 6};
}

void ColourSample::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, toQColor(m_logic.frameColour));
    painter.fillRect(area.adjusted(2, 2, -2, -2), toQColor(m_logic.backgroundColour));
    QFont f = font();
    f.setWeight(QFont::Normal);
    painter.setFont(f);
    painter.setPen(toQColor(m_logic.textColour));
    painter.setBackground(toQColor(m_logic.backgroundColour));
    painter.setBackgroundMode(Qt::OpaqueMode);
    const QRect textArea(area.left(), area.top() + 3, area.width(), area.height() - 3);
    painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop,
                     QString::fromUtf8(kColourSampleText));
}

SimpleViewerOptionsWindow::SimpleViewerOptionsWindow(SimpleViewerOptionsDialog& logic,
                                                     QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(tr("SimpleViewer Options"));
    auto* root = new QVBoxLayout(this);

    auto* colours = new QGroupBox(tr("Colors"), this);
    auto* cg = new QGridLayout(colours);
    m_background = named(new QPushButton(tr("&Background Color"), colours), "background");
    m_text = named(new QPushButton(tr("&Text Color"), colours), "text");
    m_frame = named(new QPushButton(tr("&Frame Color"), colours), "frame");
    cg->addWidget(m_background, 0, 0);
    cg->addWidget(m_text, 0, 1);
    cg->addWidget(m_frame, 0, 2);
    m_sample = named(new ColourSample(logic, colours), "sample");
    cg->addWidget(m_sample, 1, 0, 1, 3);
    root->addWidget(colours);

    auto* layout = new QGroupBox(tr("Layout"), this);
    auto* lg = new QGridLayout(layout);
    m_frameSize = named(makeList(layout, SimpleViewerOptionsDialog::frameSizeItems()), "frameSize");
    m_stagePadding = named(new QLineEdit(layout), "stagePadding");
    m_stagePadding->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_stagePadding));
    m_stagePadding->setMaxLength(9);
    m_stagePadding->setAlignment(Qt::AlignRight);
    m_stagePadding->setMaximumWidth(m_stagePadding->fontMetrics().horizontalAdvance("0") * 7 +
                                    m_stagePadding->fontMetrics().height());
    m_rows = named(makeList(layout, SimpleViewerOptionsDialog::matrixItems()), "rows");
    m_columns = named(makeList(layout, SimpleViewerOptionsDialog::matrixItems()), "columns");
    m_scaling = named(makeList(layout, SimpleViewerOptionsDialog::scalingItems()), "scaling");
    auto label = [layout](const char* caption, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(caption), layout);
        l->setBuddy(buddy);
        return l;
    };
    lg->addWidget(label("Frame &Size:", m_frameSize), 0, 0);
    lg->addWidget(m_frameSize, 0, 1, Qt::AlignLeft);
    lg->addWidget(label("Stage &Padding:", m_stagePadding), 1, 0);
    lg->addWidget(m_stagePadding, 1, 1, Qt::AlignLeft);
    auto* note = new QLabel(tr("This controls the main image margin."), layout);
    lg->addWidget(note, 1, 2);
    lg->addWidget(label("Thumbnail &Rows:", m_rows), 2, 0);
    lg->addWidget(m_rows, 2, 1, Qt::AlignLeft);
    lg->addWidget(label("Thumbnail Colu&mns:", m_columns), 3, 0);
    lg->addWidget(m_columns, 3, 1, Qt::AlignLeft);
    lg->addWidget(label("Th&umbnail Scaling:", m_scaling), 4, 0);
    lg->addWidget(m_scaling, 4, 1, Qt::AlignLeft);
    lg->setColumnStretch(2, 1);
    m_hint = named(new QLabel(qs(logic.matrixHint()), layout), "hint");
    m_hint->setWordWrap(true);
    lg->addWidget(m_hint, 5, 0, 1, 3);
    root->addWidget(layout);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok)->setText(tr("&OK"));
    buttons->addButton(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SimpleViewerOptionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SimpleViewerOptionsWindow::reject);
    root->addWidget(buttons);

    connect(m_background, &QPushButton::clicked, this, [this] {
        if (m_logic.chooseBackgroundColour()) m_sample->update();
    });
    connect(m_text, &QPushButton::clicked, this, [this] {
        if (m_logic.chooseTextColour()) m_sample->update();
    });
    connect(m_frame, &QPushButton::clicked, this, [this] {
        if (m_logic.chooseFrameColour()) m_sample->update();
    });
    connect(m_stagePadding, &QLineEdit::editingFinished, this,
            &SimpleViewerOptionsWindow::paddingEdited);
    push();
}

void SimpleViewerOptionsWindow::paddingEdited() {
    if (m_busy) return;
    m_busy = true;
    pull();
    m_logic.checkStagePadding();
    push();
    m_busy = false;
}

void SimpleViewerOptionsWindow::pull() {
    m_logic.frameSize = std::max(m_frameSize->currentIndex(), 0);
    m_logic.stagePadding = u8(m_stagePadding->text());
    m_logic.rowIndex = std::max(m_rows->currentIndex(), 0);
    m_logic.columnIndex = std::max(m_columns->currentIndex(), 0);
    m_logic.scaling = m_scaling->currentIndex() < 0 ? std::string() : u8(m_scaling->currentText());
}

void SimpleViewerOptionsWindow::push() {
    m_frameSize->setCurrentIndex(m_logic.frameSize);
    m_stagePadding->setText(qs(m_logic.stagePadding));
    m_rows->setCurrentIndex(m_logic.rowIndex);
    m_columns->setCurrentIndex(m_logic.columnIndex);
    m_scaling->setCurrentIndex(m_scaling->findText(qs(m_logic.scaling)));
    m_hint->setText(qs(m_logic.matrixHint()));
    m_sample->update();
}

void SimpleViewerOptionsWindow::accept() {
    if (m_busy) return;
    m_busy = true;
    pull();
    const bool ok = m_logic.ok();
    push();
    m_busy = false;
    if (ok) QDialog::accept();
}

}  // namespace kavlo::qt
