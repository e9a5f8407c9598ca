// SPDX-License-Identifier: MIT
// Kavlo's picture: a framed photograph of hills under a sun, drawn at any size.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kavlo::qt {

/// The picture at `size` x `size` device-independent pixels for the given ratio.
QPixmap kavloPixmap(int size, qreal devicePixelRatio = 1.0);
/// Window icon holding the picture at the usual icon sizes.
QIcon kavloIcon();

}  // namespace kavlo::qt
