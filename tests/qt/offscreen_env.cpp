// SPDX-License-Identifier: MIT
// The Qt tests draw off screen unless told otherwise: set before any QApplication.
// A plain QT_QPA_PLATFORM=offscreen (as the sanitizer stage sets) gets the same screen;
// any other platform, or offscreen with options of its own, is left as given.
// The screen is a 1600 x 1000 desktop (under QT_SCALE_FACTOR=2: 800 x 500 units), so
// windows are checked against a real screen's room rather than the plugin's default.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const bool kOffscreen = [] {
    // Written aside and renamed into place: tests start side by side, and none may
    // read a half-written file.
    const std::string config = std::string(KAVLO_TEST_OUTPUT) + "/offscreen-screen.json";
    const std::string aside = config + "." + std::to_string(::getpid());
    if (std::FILE* f = std::fopen(aside.c_str(), "w")) {
        std::fputs("{\"screens\": [{\"name\": \"desktop\", \"x\": 0, \"y\": 0, \"width\": 1600, "
                   "\"height\": 1000, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n",
                   f);
        if (std::fclose(f) != 0 || std::rename(aside.c_str(), config.c_str()) != 0)
            std::remove(aside.c_str());
    }
    const std::string platform = "offscreen:configfile=" + config;
    const char* given = std::getenv("QT_QPA_PLATFORM");
    const bool replace = given == nullptr || std::string(given) == "offscreen";
    return ::setenv("QT_QPA_PLATFORM", platform.c_str(), replace ? 1 : 0) == 0;
}();

}  // namespace
