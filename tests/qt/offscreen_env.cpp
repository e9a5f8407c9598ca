// SPDX-License-Identifier: MIT
// The Qt tests draw off screen unless told otherwise: set before any QApplication.
#include <cstdlib>

namespace {
const bool kOffscreen = [] { return ::setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0; }();
}  // namespace
