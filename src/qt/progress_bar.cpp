// SPDX-License-Identifier: MIT
#include "qt/progress_bar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace kavlo::qt {

TextProgressBar::TextProgressBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize TextProgressBar::sizeHint() const {
    const QFontMetrics m(font());
    return {m.averageCharWidth() * 60, m.height() + 8};
}

QSize TextProgressBar::minimumSizeHint() const {
    const QFontMetrics m(font());
    return {m.averageCharWidth() * 20, m.height() + 8};
}

QRect TextProgressBar::barRect() const { return rect().adjusted(1, 1, -1, -1); }

int TextProgressBar::filledWidth() const {
    return static_cast<int>(static_cast<long long>(barRect().width()) * m_position / 100);
}

void TextProgressBar::setPosition(int position) {
    m_position = std::clamp(position, 0, 100);
    const int filled = filledWidth();
    if (filled == m_filled) return;
    m_filled = filled;
    ++m_repaints;
    update();
}

void TextProgressBar::setTexts(const QString& left, const QString& centre, const QString& right) {
    m_left = left;
    m_centre = centre;
    m_right = right;
}

void TextProgressBar::resizeEvent(QResizeEvent* event) {
    m_filled = filledWidth();
    QWidget::resizeEvent(event);
}

void TextProgressBar::drawTexts(QPainter& painter, const QRect& area) const {
    const QRect inner = area.adjusted(4, 0, -4, 0);
    if (m_left.isEmpty() && m_centre.isEmpty() && m_right.isEmpty()) {
        painter.drawText(inner, Qt::AlignCenter, QStringLiteral("%1%").arg(m_position));
        return;
    }
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, m_left);
    painter.drawText(inner, Qt::AlignHCenter | Qt::AlignVCenter, m_centre);
    painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter, m_right);
}

void TextProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const QRect bar = barRect();
    painter.fillRect(rect(), pal.color(QPalette::Mid));
    painter.fillRect(bar, pal.color(QPalette::Base));
    m_filled = filledWidth();
    const QRect filled(bar.left(), bar.top(), m_filled, bar.height());
    const QRect empty(bar.left() + m_filled, bar.top(), bar.width() - m_filled, bar.height());
    painter.fillRect(filled, pal.color(QPalette::Highlight));

    // The texts in the contrasting colour over each part.
    painter.save();
    painter.setClipRect(empty);
    painter.setPen(pal.color(QPalette::Text));
    drawTexts(painter, bar);
    painter.restore();
    painter.save();
    painter.setClipRect(filled);
    painter.setPen(pal.color(QPalette::HighlightedText));
    drawTexts(painter, bar);
    painter.restore();
}

}  // namespace kavlo::qt
