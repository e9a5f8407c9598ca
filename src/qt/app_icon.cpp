// SPDX-License-Identifier: MIT
#include "qt/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace kavlo::qt {

QPixmap kavloPixmap(int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // A second print behind the first, slightly turned: an album of photographs.
    p.save();
    p.translate(32, 32);
    p.rotate(-10);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(235, 235, 228));
    p.drawRoundedRect(QRectF(-26, -21, 52, 42), 2, 2);
    p.restore();

    const QRectF print(7, 12, 52, 42);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(print, 2, 2);
    const QRectF photo = print.adjusted(4, 4, -4, -4);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, QColor(70, 130, 210));
    sky.setColorAt(1, QColor(170, 210, 240));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(photo);
    p.setBrush(QColor(250, 200, 60));
    p.drawEllipse(QPointF(photo.right() - 9, photo.top() + 8), 4.5, 4.5);

    QPainterPath hills;
    hills.moveTo(photo.left(), photo.bottom());
    hills.lineTo(photo.left(), photo.bottom() - 10);
    hills.quadTo(photo.left() + 12, photo.bottom() - 24, photo.left() + 24, photo.bottom() - 11);
    hills.quadTo(photo.left() + 34, photo.bottom() - 20, photo.right(), photo.bottom() - 8);
    hills.lineTo(photo.right(), photo.bottom());
    hills.closeSubpath();
    p.setBrush(QColor(60, 140, 70));
    p.drawPath(hills);
    return pixmap;
}

QIcon kavloIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(kavloPixmap(size));
    return icon;
}

}  // namespace kavlo::qt
