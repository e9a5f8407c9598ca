// SPDX-License-Identifier: MIT
// Settings and album information files that Kavlo did not write: huge, deeply nested,
// entity tricks, files that are not regular files. Each is read in bounded time and
// memory or refused, and a refused file changes nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "storage/album_info.h"
#include "storage/resource_values.h"
#include "storage/settings_file.h"
#include "util/text.h"

namespace kavlo::storage {

using model::AlbumModel;
using model::AlbumSettings;
using model::defaultAlbumSettings;
using util::base64Encode;

namespace {

namespace fs = std::filesystem;

std::string scratch(const std::string& name) {
    const std::string dir = std::string(KAVLO_TEST_OUTPUT) + "/storage/hostile/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

const char* const kHeader =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<resource>\r\n<values\r\n";
const char* const kFooter = "/>\r\n</resource>\r\n";

/// Peak resident memory of this process since the last reset, in MiB.
long peakRssMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    }
    return -1;
}

long currentRssMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    }
    return -1;
}

struct BoundedRun {
    bool finished = false;  ///< ended by itself within the time limit
    bool passed = false;    ///< the work reported success
    long growthMiB = -1;    ///< peak memory growth while working
};

/// Runs `work` in a child process that is killed after `seconds`, so that a hang or a
/// runaway parse fails the test instead of stalling the suite, and measures how far
/// the child's memory grew above what it started with.
BoundedRun runBounded(unsigned seconds, const std::function<bool()>& work) {
    int pipefd[2];
    if (::pipe(pipefd) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipefd[0]);
        ::alarm(seconds);
        // Reset the peak so that it measures this work only.
        if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        const long before = currentRssMiB();
        const bool ok = work();
        const long growth = peakRssMiB() - before;
        (void)!::write(pipefd[1], &growth, sizeof growth);
        ::_exit(ok ? 0 : 1);
    }
    ::close(pipefd[1]);
    BoundedRun r;
    long growth = -1;
    if (::read(pipefd[0], &growth, sizeof growth) == static_cast<ssize_t>(sizeof growth)) {
        r.growthMiB = growth;
    }
    ::close(pipefd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.finished = WIFEXITED(status);
    r.passed = r.finished && WEXITSTATUS(status) == 0;
    return r;
}

TEST(HostileFiles, aMillionImagesAreReadInLinearTime) {
    // Expat re-scans an unfinished start tag on every block; the whole file is one
    // start tag. Read block by block at a fixed size, this file takes about ten
    // minutes; it must take seconds.
    const std::string path = scratch("million") + "/albuminfo.xml";
    {
        std::ofstream out(path, std::ios::binary);
        out << kHeader << "  title     = \"Many\"\r\n  renderer  = \"default\"\r\n";
        const std::string value = base64Encode("/photos/p.jpg");
        char line[64];
        for (int i = 0; i < 1000000; ++i) {
            std::snprintf(line, sizeof line, "  image%04i = \"%s\"\r\n", i, value.c_str());
            out << line;
        }
        out << "  macap999999 = \"last\"\r\n" << kFooter;
    }
    const BoundedRun r = runBounded(180, [&] {
        AlbumModel m;
        return readAlbumInfo(m, path) && m.images.size() == 1000000 &&
               m.images.back().path == "/photos/p.jpg" && m.images.back().macap == "last";
    });
    EXPECT_TRUE(r.finished) << "reading did not end within the time limit";
    EXPECT_TRUE(r.passed);
}

TEST(HostileFiles, aHundredMegabyteCaptionIsReadInBoundedMemory) {
    const std::string path = scratch("hugecaption") + "/albuminfo.xml";
    const std::size_t size = 100u << 20;
    {
        std::ofstream out(path, std::ios::binary);
        out << kHeader << "  image0000 = \"" << base64Encode("/photos/p.jpg")
            << "\"\r\n  macap0000 = \"";
        const std::string chunk(1 << 20, 'c');
        for (std::size_t i = 0; i < size / chunk.size(); ++i) out << chunk;
        out << "\"\r\n" << kFooter;
    }
    const BoundedRun r = runBounded(180, [&] {
        AlbumModel m;
        return readAlbumInfo(m, path) && m.images.size() == 1 && m.images[0].macap.size() == size;
    });
    EXPECT_TRUE(r.finished);
    EXPECT_TRUE(r.passed);
    // The caption is held a few times over while parsing (parser buffer, store,
    // model); that stays a small multiple of its size.
    EXPECT_GE(r.growthMiB, 100);
    EXPECT_LT(r.growthMiB, 1200);
}

TEST(HostileFiles, deepNestingAndEntityTricksNeverReachTheStore) {
    const std::string dir = scratch("nesting");
    // 200000 nested elements around the values element: the parser keeps its own
    // stack, so this neither recurses nor fails.
    const std::string deep = dir + "/deep.xml";
    {
        std::ofstream out(deep, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
        for (int i = 0; i < 200000; ++i) out << "<a>";
        out << "<values title=\"deep\"/>";
        for (int i = 0; i < 200000; ++i) out << "</a>";
        out << "\n";
    }
    const BoundedRun r = runBounded(120, [&] {
        ResourceValues v;
        std::string title;
        return v.load(deep) && v.find("title", title) && title == "deep";
    });
    EXPECT_TRUE(r.finished);
    EXPECT_TRUE(r.passed);

    // An external entity naming a private file: refused, nothing of it is read.
    const std::string external = dir + "/external.xml";
    std::ofstream(external, std::ios::binary)
        << "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY x SYSTEM \"/etc/passwd\">]>\n"
        << "<r><values title=\"&x;\"/></r>\n";
    testing::internal::CaptureStderr();
    AlbumModel m;
    m.title = "kept";
    EXPECT_FALSE(readAlbumInfo(m, external));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(m.title, "kept");

    // An undeclared entity and a parameter entity trick are parse errors.
    const std::string undeclared = dir + "/undeclared.xml";
    std::ofstream(undeclared, std::ios::binary) << "<r><values title=\"&x;\"/></r>\n";
    testing::internal::CaptureStderr();
    ResourceValues v;
    EXPECT_FALSE(v.load(undeclared));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("undefined entity"), std::string::npos);
}

TEST(HostileFiles, filesThatAreNotRegularFilesAreRefusedWithoutWaiting) {
    const std::string dir = scratch("special");
    const std::string fifo = dir + "/albuminfo.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Opening a FIFO for reading waits for a writer; the readers must not.
    const BoundedRun r = runBounded(20, [&] {
        AlbumModel m;
        AlbumSettings s = defaultAlbumSettings();
        s.mquality = 17;
        ::close(1);  // the "not found" line is expected; keep the test log clean
        return !readAlbumInfo(m, fifo) && !readSettings(s, fifo) && s.mquality == 17;
    });
    EXPECT_TRUE(r.finished) << "reading a FIFO blocked";
    EXPECT_TRUE(r.passed);

    testing::internal::CaptureStdout();
    ResourceValues folder;
    EXPECT_FALSE(folder.load(dir));
    ResourceValues device;
    EXPECT_FALSE(device.load("/dev/zero"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: resource file not found.\nError: resource file not found.\n");
}

TEST(HostileFiles, brokenSettingsFilesChangeNoSetting) {
    const std::string dir = scratch("settings");
    const AlbumSettings defaults = defaultAlbumSettings();
    const std::string good = writeSettings(defaults, true, false);
    // Cut off, not UTF-8, a second root, a NUL byte: each fails as a whole, even though
    // the keys before the fault were parsed.
    const std::string cases[] = {
        std::string(kHeader) + "  mquality = \"5\"\r\n  sdir = \"x\"",
        std::string(kHeader) + "  mquality = \"5\"\r\n  title = \"\xff\xfe\"\r\n" + kFooter,
        std::string(kHeader) + "  mquality = \"5\"\r\n" + kFooter + "<resource/>\r\n",
        std::string(kHeader) + "  mquality = \"5\"\r\n" + std::string(1, '\0') + kFooter,
    };
    int n = 0;
    for (const std::string& bytes : cases) {
        const std::string path = dir + "/broken" + std::to_string(n++) + ".xml";
        std::ofstream(path, std::ios::binary) << bytes;
        AlbumSettings s = defaults;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(readSettings(s, path)) << n;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(writeSettings(s, true, false), good) << n;
    }
}

}  // namespace
}  // namespace kavlo::storage
