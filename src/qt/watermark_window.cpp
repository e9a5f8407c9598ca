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

    m_text = named(new QLineEdit(this), "text");
    m_minorCaption =
        named(new QCheckBox(tr("Use &minor caption as watermark"), this), "minorCaption");
    m_font = named(makeList(this, logic.fontItems()), "font");
    m_size = named(makeList(this, WatermarkDialog::sizeItems()), "size");
    m_position = named(makeList(this, WatermarkDialog::positionItems()), "position");
    m_transparency = named(makeList(this, WatermarkDialog::transparencyItems()), "transparency");
    m_colour = named(new QPushButton(tr("Colo&r"), this), "colour");
    m_font->setMinimumContentsLength(24);
    m_font->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto label = [this](const char* caption, QWidget* buddy) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("&Text", m_text), 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 5);
    grid->addWidget(m_minorCaption, 1, 1, 1, 5);
    grid->addWidget(label("&Font", m_font), 2, 0);
    grid->addWidget(m_font, 2, 1);
    grid->addWidget(label("&Size", m_size), 2, 2);
    grid->addWidget(m_size, 2, 3);
    grid->addWidget(m_colour, 2, 4, 1, 2);
    grid->addWidget(label("&Position", m_position), 3, 0);
    grid->addWidget(m_position, 3, 1);
    grid->addWidget(label("Transparenc&y", m_transparency), 3, 2);
    grid->addWidget(m_transparency, 3, 3);
    grid->setColumnStretch(1, 1);
    root->addLayout(grid);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto* frameLayout = new QVBoxLayout(frame);
    m_preview = named(new QLabel(frame), "preview");
    m_preview->setAlignment(Qt::AlignCenter);
    // A large m_font must not blow the window up: the m_preview is clipped to its area.
    m_preview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_preview->setMinimumHeight(fontMetrics().height() * 6);
    frameLayout->addWidget(m_preview);
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
    connect(m_text, &QLineEdit::textEdited, this, update);
    connect(m_font, &QComboBox::activated, this, update);
    connect(m_size, &QComboBox::activated, this, update);
    connect(m_transparency, &QComboBox::activated, this, update);
    connect(m_position, &QComboBox::activated, this, [this] { pull(); });
    connect(m_minorCaption, &QCheckBox::clicked, this, [this] {
        pull();
        m_text->setEnabled(m_logic.textEnabled());
    });
    connect(m_colour, &QPushButton::clicked, this, [this] {
        pull();
        if (m_logic.chooseColour()) refreshPreview();
    });
    push();
    resize(sizeHint().width(), sizeHint().height());
}

void WatermarkWindow::pull() {
    m_logic.text = u8(m_text->text());
    m_logic.useMinorCaption = m_minorCaption->isChecked();
    m_logic.fontName = listText(m_font);
    m_logic.sizeText = listText(m_size);
    m_logic.position = std::max(m_position->currentIndex(), 0);
    m_logic.transparency = std::max(m_transparency->currentIndex(), 0);
}

void WatermarkWindow::push() {
    m_text->setText(qs(m_logic.text));
    m_minorCaption->setChecked(m_logic.useMinorCaption);
    setList(m_font, m_logic.fontName);
    setList(m_size, m_logic.sizeText);
    m_position->setCurrentIndex(m_logic.position);
    m_transparency->setCurrentIndex(m_logic.transparency);
    m_text->setEnabled(m_logic.textEnabled());
    refreshPreview();
}

void WatermarkWindow::refreshPreview() {
    const QImage image = toQImage(m_logic.preview());
    if (image.isNull()) {
        m_preview->clear();
    } else {
        // At the m_size the album's pages show it: browsers scale album images by the
        // display's scale factor, so the m_preview is scaled the same way.
        m_preview->setPixmap(QPixmap::fromImage(image));
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
    m_colour->setIcon(QIcon(swatch));
}

void WatermarkWindow::accept() {
    pull();
    QDialog::accept();
}

}  // namespace kavlo::qt
