// SPDX-License-Identifier: MIT
// The --jobs option of the command line.
#include <gtest/gtest.h>

#include "ui/terminal_run.h"

namespace kavlo::ui {
namespace {

TEST(JobsOption, takesAWholeNumberInEitherForm) {
    EXPECT_EQ(parseProgramOptions({}).jobs, 0);
    ProgramOptions o = parseProgramOptions({"/photos", "--jobs", "3", "-Automation"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.album.folder, "/photos");
    EXPECT_TRUE(o.album.unattended);
    o = parseProgramOptions({"--JOBS=12", "/photos"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.jobs, 12);
    EXPECT_NE(usageText().find("--jobs N"), std::string::npos);
}

TEST(JobsOption, refusesWhatIsNotACount) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--jobs"},
                                               {"--jobs", "0"},
                                               {"--jobs", "-2"},
                                               {"--jobs", "two"},
                                               {"--jobs=257"},
                                               {"--jobs="},
                                               {"--jobs", "4x"},
                                               {"--jobs=99999999999"}}) {
        const ProgramOptions o = parseProgramOptions(args);
        EXPECT_FALSE(o.error.empty()) << args.back();
        EXPECT_EQ(o.jobs, 0) << args.back();
    }
    // The value is not taken for the album folder.
    EXPECT_TRUE(parseProgramOptions({"--jobs", "2"}).album.folder.empty());
}

}  // namespace
}  // namespace kavlo::ui
