// SPDX-License-Identifier: MIT
// The run's progress bar: paints its filled part and three texts over itself (left,
// centred, right), or "%d%%" centred while all three are empty. A position change
// repaints only when the filled width in pixels changes.
#pragma once

#include <QWidget>

namespace kavlo::qt {

class TextProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TextProgressBar(QWidget* parent = nullptr);

    /// 0..100 (clamped). Repaints only when the filled width changes.
    void setPosition(int position);
    int position() const { return m_position; }
    /// The three texts; shown at the next repaint.
    void setTexts(const QString& left, const QString& centre, const QString& right);
    const QString& leftText() const { return m_left; }
    const QString& centreText() const { return m_centre; }
    const QString& rightText() const { return m_right; }

    /// Width in pixels of the filled part for the current size and position.
    int filledWidth() const;
    /// Repaints requested by position changes so far (for tests).
    int repaintRequests() const { return m_repaints; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect barRect() const;
    void drawTexts(QPainter& painter, const QRect& area) const;

    int m_position = 0;
    int m_filled = 0;
    int m_repaints = 0;
    QString m_left;
    QString m_centre;
    QString m_right;
};

}  // namespace kavlo::qt
