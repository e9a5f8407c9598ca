// SPDX-License-Identifier: MIT
// Whether the desktop front end can open its display. Qt ends the process when the
// display it is given cannot be opened, so this is asked before Qt starts.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kavlo::ui {

struct DisplayCheck {
    bool usable = false;  ///< a window can be shown
    /// Why not, for a display that is named but cannot be opened; "" when none is named.
    std::string notice;
};

using EnvironmentLookup = std::function<std::optional<std::string>(const std::string&)>;

/// Looks at WAYLAND_DISPLAY (a connection to its socket under XDG_RUNTIME_DIR) and
/// DISPLAY (an X connection through libxcb, with the user's authorisation, as Qt makes
/// it). A platform chosen with QT_QPA_PLATFORM other than xcb or wayland is trusted.
DisplayCheck checkDisplay(const EnvironmentLookup& getenv);
/// The same for this process's environment.
DisplayCheck checkDisplay();

}  // namespace kavlo::ui
