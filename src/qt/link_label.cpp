// SPDX-License-Identifier: MIT
#include "qt/link_label.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "core/platform.h"

namespace kavlo::qt {

using core::Platform;

CLinkLabel::CLinkLabel(const QString& text, std::string target, Platform* platform, QWidget* parent)
    : QLabel(text, parent), m_target(std::move(target)), m_platform(platform) {
    setTextFormat(Qt::PlainText);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 230));
    setPalette(p);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CLinkLabel::activate() {
    emit clicked();
    if (m_platform != nullptr && !m_target.empty()) m_platform->openWithDefaultProgram(m_target);
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        activate();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CLinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

}  // namespace kavlo::qt
