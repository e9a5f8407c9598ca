// SPDX-License-Identifier: MIT
// The Qt tests draw off screen unless told otherwise: set before any QApplication.
// The screen is a 1600 x 1000 desktop (under QT_SCALE_FACTOR=2: 800 x 500 units), so
// windows are checked against a real screen's room rather than the plugin's default.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const bool kOffscreen = [] {
    const std::string config = std::string(KAVLO_TEST_OUTPUT) + "/offscreen-screen.json";
    if (std::FILE* f = std::fopen(config.c_str(), "w")) {
        std::fputs("{\"screens\": [{\"name\": \"desktop\", \"x\": 0, \"y\": 0, \"width\": 1600, "
                   "\"height\": 1000, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n",
                   f);
        std::fclose(f);
    }
    const std::string platform = "offscreen:configfile=" + config;
    return ::setenv("QT_QPA_PLATFORM", platform.c_str(), 0) == 0;
}();

}  // namespace
