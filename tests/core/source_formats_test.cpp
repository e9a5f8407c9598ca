// SPDX-License-Identifier: MIT
// Album images from every photo format and colour description: the skin's background
// under transparent pictures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/skin_background.h"
#include "test_support.h"

namespace kavlo::core {
namespace {

namespace fs = std::filesystem;

TEST(SkinBackground, isTheSkinsPageColourOrWhite) {
    const std::string shipped = std::string(KAVLO_SOURCE_DIR) + "/templates";
    EXPECT_EQ(skinBackground(shipped, "dim"), 0x24211Fu);
    EXPECT_EQ(skinBackground(shipped, "light"), 0xF2F5F6u);

    const std::string root = test::scratchFolder("skin_background");
    fs::create_directories(root + "/js2/ext/css");
    auto skin = [&](const char* name, const char* text) {
        std::ofstream(root + "/js2/ext/css/appearance_" + name + ".css") << text;
    };
    skin("short", ":root {\n  --kv-bg:#A0b;\n}");
    skin("gradient", ":root { --kv-bg: linear-gradient(#000, #fff); }");
    skin("long", ":root { --kv-bg: #1234567; }");
    skin("none", ":root { --kv-surface: #000000; }");
    EXPECT_EQ(skinBackground(root, "short"), 0xBB00AAu);
    EXPECT_EQ(skinBackground(root, "gradient"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root, "long"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root, "none"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root, "missing"), 0xFFFFFFu);
    EXPECT_EQ(skinBackground(root + "/js2/ext", "../css/appearance_short"), 0xFFFFFFu);
}

}  // namespace
}  // namespace kavlo::core
