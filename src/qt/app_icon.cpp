// SPDX-License-Identifier: MIT
#include "qt/app_icon.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>

#include "util/files.h"

#ifndef KAVLO_APP_ID
#define KAVLO_APP_ID "io.github.kavlo.Kavlo"
#endif

namespace kavlo::qt {

namespace {

constexpr int kIconSizes[] = {48, 128, 256};

// The same drawing as the icon's SVG (a 256-unit square), for a program whose icon
// files are not beside it.
QPixmap drawnPicture(int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    p.setPen(Qt::NoPen);

    QLinearGradient tile(0, 0, 256, 256);
    tile.setColorAt(0, QColor(0xfa, 0xbd, 0x54));
    tile.setColorAt(1, QColor(0xe3, 0x61, 0x42));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(7.68, 7.68, 240.64, 240.64), 51.2, 51.2);

    p.translate(128, 133.12);
    p.rotate(6);
    p.translate(-128, -133.12);
    p.setBrush(QColor(0x59, 0x26, 0x14, 89));
    p.drawRoundedRect(QRectF(47.36, 69.12, 168.96, 143.36), 12.8, 12.8);
    p.setBrush(QColor(0xfc, 0xfa, 0xf5));
    p.drawRoundedRect(QRectF(43.52, 61.44, 168.96, 143.36), 10.24, 10.24);

    const QRectF photo(58.88, 76.8, 138.24, 112.64);
    QPainterPath frame;
    frame.addRoundedRect(photo, 2.56, 2.56);
    p.setClipPath(frame);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, QColor(0x73, 0xb8, 0xf2));
    sky.setColorAt(1, QColor(0xd9, 0xed, 0xff));
    p.setBrush(sky);
    p.drawRect(photo);
    p.setBrush(QColor(0xff, 0xd9, 0x4c));
    p.drawEllipse(QPointF(161.28, 107.52), 14.08, 14.08);

    // Two hills, the far one rising to the right and the near one in front of it: the
    // curves of the SVG, six cubic pieces each.
    auto hill = [&](QPointF start, const qreal(&c)[6][6], const QColor& colour) {
        QPainterPath path(start);
        for (const auto& k : c) path.cubicTo(k[0], k[1], k[2], k[3], k[4], k[5]);
        path.lineTo(204.8, 204.8);
        path.lineTo(51.2, 204.8);
        path.closeSubpath();
        p.setBrush(colour);
        p.drawPath(path);
    };
    const qreal far[6][6] = {
        {59.7, 170.6, 68.3, 176.2, 76.8, 179.8},    {85.3, 183.5, 93.9, 185.0, 102.4, 184.0},
        {110.9, 183.1, 119.5, 179.6, 128.0, 174.6}, {136.5, 169.6, 145.1, 163.1, 153.6, 156.7},
        {162.1, 150.3, 170.7, 144.2, 179.2, 139.8}, {187.7, 135.5, 196.3, 133.1, 204.8, 133.1}};
    const qreal near[6][6] = {
        {59.7, 167.6, 68.3, 164.3, 76.8, 162.6},    {85.3, 160.9, 93.9, 160.9, 102.4, 162.5},
        {110.9, 164.1, 119.5, 167.4, 128.0, 171.2}, {136.5, 174.9, 145.1, 179.0, 153.6, 182.0},
        {162.1, 185.0, 170.7, 186.9, 179.2, 186.9}, {187.7, 186.9, 196.3, 185.0, 204.8, 182.0}};
    hill(QPointF(51.2, 164.3), far, QColor(0x54, 0xad, 0x66));
    hill(QPointF(51.2, 171.4), near, QColor(0x38, 0x8c, 0x54));
    return pixmap;
}

QString installedIconFolder() {
    return QString::fromStdString(util::programFolder()) +
           QStringLiteral("../share/icons/hicolor/");
}

}  // namespace

QString applicationId() { return QStringLiteral(KAVLO_APP_ID); }

QIcon iconFromTheme(const QString& hicolorFolder) {
    QIcon icon;
    for (int size : kIconSizes) {
        const QString file =
            QStringLiteral("%1%2x%2/apps/%3.png").arg(hicolorFolder).arg(size).arg(applicationId());
        if (QFileInfo(file).isFile()) icon.addFile(file, QSize(size, size));
    }
    return icon;
}

QIcon kavloIcon() {
    QIcon icon = iconFromTheme(installedIconFolder());
    if (!icon.isNull()) return icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(drawnPicture(size, 1.0));
    return icon;
}

QPixmap kavloPixmap(int size, qreal devicePixelRatio) {
    const QIcon icon = iconFromTheme(installedIconFolder());
    if (icon.isNull()) return drawnPicture(size, devicePixelRatio);
    return icon.pixmap(QSize(size, size), devicePixelRatio);
}

}  // namespace kavlo::qt
