// SPDX-License-Identifier: MIT
// Paths that name something other than a photo file: a FIFO, a device, a folder, a
// symbolic link loop. An album information file can point an image at any of them;
// the readers must come back at once with the empty image instead of waiting or
// reading forever, and the writer must never replace or remove a device.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "imaging/codecs.h"
#include "imaging/raster_image.h"

namespace kavlo::imaging {
namespace {

namespace fs = std::filesystem;

std::string scratch(const std::string& name) {
    const fs::path dir = fs::path(KAVLO_TEST_OUTPUT) / "imaging" / "hostile";
    fs::create_directories(dir);
    const fs::path p = dir / name;
    fs::remove_all(p);
    return p.string();
}

/// Runs `work` in a child process killed after `seconds`; true when it ended by
/// itself and reported success. A reader that blocks fails the test, not the suite.
bool endsWithin(unsigned seconds, const std::function<bool()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool allReadersRefuse(const std::string& path) {
    int w = -1, h = -1;
    std::string comment = "x";
    RasterImage jpeg = RPreadJpeg(path, &comment, 0, &w, &h);
    RasterImage tiff = RPreadTiff(path);
    const int info = RPreadJpegInfo(path, nullptr, &h, &w);
    return jpeg.width == 0 && jpeg.pixels == nullptr && tiff.width == 0 && tiff.pixels == nullptr &&
           info == -1 && w == -1 && h == -1;
}

TEST(HostileImages, fifoNamedLikeAPhotoIsRefusedWithoutWaiting) {
    for (const char* name : {"photo.jpg", "scan.tif"}) {
        const std::string fifo = scratch(name);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        EXPECT_TRUE(endsWithin(20, [&] { return allReadersRefuse(fifo); })) << name;
    }
}

TEST(HostileImages, devicesFoldersAndLinkLoopsAreNotPhotos) {
    const std::string loop = scratch("loop.jpg");
    fs::create_symlink(loop, loop);
    const std::string folder = scratch("folder.jpg");
    fs::create_directories(folder);
    const std::string toZero = scratch("zero.jpg");
    fs::create_symlink("/dev/zero", toZero);
    for (const std::string& path :
         {loop, folder, toZero, std::string("/dev/zero"), std::string("/dev/urandom")}) {
        EXPECT_TRUE(endsWithin(20, [&] { return allReadersRefuse(path); })) << path;
    }
}

TEST(HostileImages, writingToADeviceFailsAndKeepsTheDevice) {
    RasterImage img = RPcreate(32, 16, 24);
    ASSERT_NE(img.pixels, nullptr);
    RPfillColour(img, 10, 20, 30, 0);
    for (const char* device : {"/dev/full"}) {
        if (!fs::exists(device)) continue;
        testing::internal::CaptureStdout();
        const std::string comment = "c";
        EXPECT_EQ(RPwriteJpeg(device, 85, &comment, img), -1);
        testing::internal::GetCapturedStdout();
        struct stat st {};
        ASSERT_EQ(::stat(device, &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << device << " was replaced";
    }
    // A symbolic link where the file should go is replaced by the file, never followed:
    // neither the device nor another file it names is written.
    const std::string other = scratch("not-yours.txt");
    {
        std::FILE* f = std::fopen(other.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("not yours", f);
        std::fclose(f);
    }
    for (const std::string& target : {std::string("/dev/full"), other}) {
        const std::string link = scratch("link.jpg");
        fs::create_symlink(target, link);
        EXPECT_EQ(RPwriteJpeg(link, 85, nullptr, img), 0) << target;
        EXPECT_FALSE(fs::is_symlink(link));
        int w = 0, h = 0;
        EXPECT_EQ(RPreadJpegInfo(link, nullptr, &h, &w), 0);
        EXPECT_EQ(w, 32);
    }
    struct stat st {};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(fs::file_size(other), 9u);
    RPfree(img);
}

}  // namespace
}  // namespace kavlo::imaging
