// SPDX-License-Identifier: MIT
// Display check before the desktop front end starts.
#include "ui/display_check.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace kavlo::ui {

namespace {

/// A Wayland compositor listens on $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY (or on the
/// absolute path WAYLAND_DISPLAY names).
bool waylandReachable(const std::string& name, const std::string& runtimeDir) {
    std::string path = name;
    if (name[0] != '/') {
        if (runtimeDir.empty()) return false;
        path = runtimeDir + "/" + name;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

/// Opens and closes an X connection with libxcb, the library Qt's X platform uses:
/// it reads the same authorisation and fails the same way. Loaded at run time, so that
/// the program needs it only where a display is named.
bool xReachable(const std::string& display) {
    void* lib = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;  // then Qt's X platform cannot load either
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(lib, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(lib, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(lib, "xcb_disconnect"));
    bool ok = false;
    if (connect && hasError && disconnect) {
        // A failed connection is a valid object that reports its error.
        void* connection = connect(display.c_str(), nullptr);
        ok = connection && hasError(connection) == 0;
        if (connection) disconnect(connection);
    }
    ::dlclose(lib);
    return ok;
}

}  // namespace

DisplayCheck checkDisplay(const EnvironmentLookup& getenv) {
    const auto value = [&getenv](const char* name) {
        return getenv ? getenv(name).value_or(std::string()) : std::string();
    };
    const std::string x = value("DISPLAY");
    const std::string wayland = value("WAYLAND_DISPLAY");
    if (x.empty() && wayland.empty()) return {};

    // Qt tries the platforms QT_QPA_PLATFORM lists (by default Wayland where a
    // compositor is named, then X); one that needs no display is left to Qt.
    const std::string platforms = value("QT_QPA_PLATFORM");
    const bool tryWayland = platforms.empty() || platforms.find("wayland") != std::string::npos;
    const bool tryX = platforms.empty() || platforms.find("xcb") != std::string::npos;
    if (!tryWayland && !tryX) return {true, {}};
    if (tryWayland && !wayland.empty() && waylandReachable(wayland, value("XDG_RUNTIME_DIR")))
        return {true, {}};
    if (tryX && !x.empty() && xReachable(x)) return {true, {}};

    std::string named;
    if (!x.empty()) named = "DISPLAY '" + x + "'";
    if (!wayland.empty())
        named += (named.empty() ? "" : " and ") + ("WAYLAND_DISPLAY '" + wayland + "'");
    return {false, "the display cannot be opened (" + named + "); running in the terminal"};
}

DisplayCheck checkDisplay() {
    return checkDisplay([](const std::string& name) -> std::optional<std::string> {
        const char* v = std::getenv(name.c_str());
        if (!v) return std::nullopt;
        return std::string(v);
    });
}

}  // namespace kavlo::ui
