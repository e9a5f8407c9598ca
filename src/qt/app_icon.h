// SPDX-License-Identifier: MIT
// Kavlo's picture: a photograph of hills under a sun on an amber tile. The window icon
// is the same icon the desktop shows: the PNGs of the hicolor theme that ship with the
// program, drawn here only when they cannot be found.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kavlo::qt {

/// The reverse-DNS name of the application: the desktop entry's and the icon's name.
QString applicationId();
/// The icon of every size that `hicolorFolder` (a hicolor theme folder, ending in "/")
/// holds as SIZExSIZE/apps/<applicationId()>.png; a null icon when it holds none.
QIcon iconFromTheme(const QString& hicolorFolder);
/// Window icon: the installed icon files (../share/icons/hicolor/ from the program's
/// folder, in the build tree and after installing alike), or the drawn picture.
QIcon kavloIcon();
/// The picture at `size` x `size` device-independent pixels for the given ratio.
QPixmap kavloPixmap(int size, qreal devicePixelRatio = 1.0);

}  // namespace kavlo::qt
