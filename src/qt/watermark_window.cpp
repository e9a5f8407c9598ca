// SPDX-License-Identifier: MIT
#include "qt/watermark_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/qt_platform.h"

namespace kavlo::qt {

using imaging::RasterImage;
using imaging::RPstride;
using ui::WatermarkDialog;
using util::Colour;

QImage toQImage(const RasterImage& image) {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) return {};
    const auto stride = static_cast<qsizetype>(RPstride(image.width, image.bitsPerPixel));
    if (image.bitsPerPixel == 24)
        return QImage(image.pixels, image.width, image.height, stride, QImage::Format_BGR888)
            .copy();
    if (image.bitsPerPixel == 32) {
        // Blue, green, red, transparency: show the colour, ignore the fourth byte.
        return QImage(image.pixels, image.width, image.height, stride, QImage::Format_RGB32).copy();
    }
    return {};
}

namespace {

QComboBox* makeList(QWidget* parent, const std::vector<std::string>& items) {
    auto* combo = new QComboBox(parent);
    for (const std::string& item : items) combo->addItem(qs(item));
    return combo;
}

void setList(QComboBox* combo, const std::string& text) {
    combo->setCurrentIndex(text.empty() ? -1 : combo->findText(qs(text)));
}

std::string listText(const QComboBox* combo) {
    return combo->currentIndex() < 0 ? std::string() : u8(combo->currentText());
}

}  // namespace

WatermarkWindow::WatermarkWindow(WatermarkDialog& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
    setWindowTitle(tr("Watermark Editor"));
    auto* root = new QVBoxLayout(this);
    auto* grid = new QGridLayout;

    text = new QLineEdit(this);
    minorCaption = new QCheckBox(tr("Use &minor caption as watermark"), this);
    font = makeList(this, logic.fontItems());
    size = makeList(this, WatermarkDialog::sizeItems());
    position = makeList(this, WatermarkDialog::positionItems());
    transparency = makeList(this, WatermarkDialog::transparencyItems());
    colour = new QPushButton(tr("Colo&r"), this);
    font->setMinimumContentsLength(24);
    font->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto label = [this](const char* caption, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("&Text", text), 0, 0);
    grid->addWidget(text, 0, 1, 1, 5);
    grid->addWidget(minorCaption, 1, 1, 1, 5);
    grid->addWidget(label("&Font", font), 2, 0);
    grid->addWidget(font, 2, 1);
    grid->addWidget(label("&Size", size), 2, 2);
    grid->addWidget(size, 2, 3);
    grid->addWidget(colour, 2, 4, 1, 2);
    grid->addWidget(label("&Position", position), 3, 0);
    grid->addWidget(position, 3, 1);
    grid->addWidget(label("Transparenc&y", transparency), 3, 2);
    grid->addWidget(transparency, 3, 3);
    grid->setColumnStretch(1, 1);
    root->addLayout(grid);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto* frameLayout = new QVBoxLayout(frame);
    preview = new QLabel(frame);
    preview->setAlignment(Qt::AlignCenter);
    // A large font must not blow the window up: the preview is clipped to its area.
    preview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    preview->setMinimumHeight(fontMetrics().height() * 6);
    frameLayout->addWidget(preview);
    root->addWidget(frame, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok)->setText(tr("&OK"));
    buttons->addButton(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &WatermarkWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &WatermarkWindow::reject);
    root->addWidget(buttons);

    auto update = [this] {
        pull();
        m_logic.updatePreview();
        refreshPreview();
    };
    connect(text, &QLineEdit::textEdited, this, update);
    connect(font, &QComboBox::activated, this, update);
    connect(size, &QComboBox::activated, this, update);
    connect(transparency, &QComboBox::activated, this, update);
    connect(position, &QComboBox::activated, this, [this] { pull(); });
    connect(minorCaption, &QCheckBox::clicked, this, [this] {
        pull();
        text->setEnabled(m_logic.textEnabled());
    });
    connect(colour, &QPushButton::clicked, this, [this] {
        pull();
        if (m_logic.chooseColour()) refreshPreview();
    });
    push();
    resize(sizeHint().width(), sizeHint().height());
}

void WatermarkWindow::pull() {
    m_logic.text = u8(text->text());
    m_logic.useMinorCaption = minorCaption->isChecked();
    m_logic.fontName = listText(font);
    m_logic.sizeText = listText(size);
    m_logic.position = std::max(position->currentIndex(), 0);
    m_logic.transparency = std::max(transparency->currentIndex(), 0);
}

void WatermarkWindow::push() {
    text->setText(qs(m_logic.text));
    minorCaption->setChecked(m_logic.useMinorCaption);
    setList(font, m_logic.fontName);
    setList(size, m_logic.sizeText);
    position->setCurrentIndex(m_logic.position);
    transparency->setCurrentIndex(m_logic.transparency);
    text->setEnabled(m_logic.textEnabled());
    refreshPreview();
}

void WatermarkWindow::refreshPreview() {
    const QImage image = toQImage(m_logic.preview());
    if (image.isNull()) {
        preview->clear();
    } else {
        // At the size the album's pages show it: browsers scale album images by the
        // display's scale factor, so the preview is scaled the same way.
        preview->setPixmap(QPixmap::fromImage(image));
    }
    const Colour c = m_logic.colour;
    const int edge = fontMetrics().height();
    QPixmap swatch(edge, edge);
    swatch.fill(palette().color(QPalette::WindowText));
    {
        QPainter painter(&swatch);
        const QColor shown(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        painter.fillRect(1, 1, edge - 2, edge - 2, shown);
    }
    colour->setIcon(QIcon(swatch));
}

void WatermarkWindow::accept() {
    pull();
    QDialog::accept();
}

}  // namespace kavlo::qt
