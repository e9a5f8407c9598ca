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
    background = new QPushButton(tr("&Background Color"), colours);
    text = new QPushButton(tr("&Text Color"), colours);
    frame = new QPushButton(tr("&Frame Color"), colours);
    cg->addWidget(background, 0, 0);
    cg->addWidget(text, 0, 1);
    cg->addWidget(frame, 0, 2);
    sample = new ColourSample(logic, colours);
    cg->addWidget(sample, 1, 0, 1, 3);
    root->addWidget(colours);

    auto* layout = new QGroupBox(tr("Layout"), this);
    auto* lg = new QGridLayout(layout);
    frameSize = makeList(layout, SimpleViewerOptionsDialog::frameSizeItems());
    stagePadding = new QLineEdit(layout);
    stagePadding->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), stagePadding));
    stagePadding->setMaxLength(9);
    stagePadding->setAlignment(Qt::AlignRight);
    stagePadding->setMaximumWidth(stagePadding->fontMetrics().horizontalAdvance("0") * 7 +
                                  stagePadding->fontMetrics().height());
    rows = makeList(layout, SimpleViewerOptionsDialog::matrixItems());
    columns = makeList(layout, SimpleViewerOptionsDialog::matrixItems());
    scaling = makeList(layout, SimpleViewerOptionsDialog::scalingItems());
    auto label = [layout](const char* caption, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(caption), layout);
        l->setBuddy(buddy);
        return l;
    };
    lg->addWidget(label("Frame &Size:", frameSize), 0, 0);
    lg->addWidget(frameSize, 0, 1, Qt::AlignLeft);
    lg->addWidget(label("Stage &Padding:", stagePadding), 1, 0);
    lg->addWidget(stagePadding, 1, 1, Qt::AlignLeft);
    auto* note = new QLabel(tr("This controls the main image margin."), layout);
    lg->addWidget(note, 1, 2);
    lg->addWidget(label("Thumbnail &Rows:", rows), 2, 0);
    lg->addWidget(rows, 2, 1, Qt::AlignLeft);
    lg->addWidget(label("Thumbnail Colu&mns:", columns), 3, 0);
    lg->addWidget(columns, 3, 1, Qt::AlignLeft);
    lg->addWidget(label("Th&umbnail Scaling:", scaling), 4, 0);
    lg->addWidget(scaling, 4, 1, Qt::AlignLeft);
    lg->setColumnStretch(2, 1);
    hint = new QLabel(qs(logic.matrixHint()), layout);
    hint->setWordWrap(true);
    lg->addWidget(hint, 5, 0, 1, 3);
    root->addWidget(layout);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok)->setText(tr("&OK"));
    buttons->addButton(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SimpleViewerOptionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SimpleViewerOptionsWindow::reject);
    root->addWidget(buttons);

    connect(background, &QPushButton::clicked, this, [this] {
        if (m_logic.chooseBackgroundColour()) sample->update();
    });
    connect(text, &QPushButton::clicked, this, [this] {
        if (m_logic.chooseTextColour()) sample->update();
    });
    connect(frame, &QPushButton::clicked, this, [this] {
        if (m_logic.chooseFrameColour()) sample->update();
    });
    connect(stagePadding, &QLineEdit::editingFinished, this,
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
    m_logic.frameSize = std::max(frameSize->currentIndex(), 0);
    m_logic.stagePadding = u8(stagePadding->text());
    m_logic.rowIndex = std::max(rows->currentIndex(), 0);
    m_logic.columnIndex = std::max(columns->currentIndex(), 0);
    m_logic.scaling = scaling->currentIndex() < 0 ? std::string() : u8(scaling->currentText());
}

void SimpleViewerOptionsWindow::push() {
    frameSize->setCurrentIndex(m_logic.frameSize);
    stagePadding->setText(qs(m_logic.stagePadding));
    rows->setCurrentIndex(m_logic.rowIndex);
    columns->setCurrentIndex(m_logic.columnIndex);
    scaling->setCurrentIndex(scaling->findText(qs(m_logic.scaling)));
    hint->setText(qs(m_logic.matrixHint()));
    sample->update();
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
