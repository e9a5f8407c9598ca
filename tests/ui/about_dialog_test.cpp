// SPDX-License-Identifier: MIT
// About window logic: the version line, the links and the help page.
#include <gtest/gtest.h>

#include "../core/scripted_platform.h"
#include "ui/about_dialog.h"
#include "util/files.h"

namespace kavlo::ui {

using util::dataFolder;
using util::versionString;

TEST(About, versionLineCarriesTheProductVersion) {
    AboutDialog about;
    EXPECT_EQ(about.versionLine(), "Kavlo  -  version " + versionString("ProductVersion"));
    EXPECT_FALSE(versionString("ProductVersion").empty());
}

TEST(About, helpOpensTheReadmeBesideTheProgram) {
    test::ScriptedPlatform platform;
    openHelp(platform);
    ASSERT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(platform.opened[0], dataFolder() + "readme.html");
}

}  // namespace kavlo::ui
