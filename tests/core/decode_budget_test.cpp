// SPDX-License-Identifier: MIT
// The decode budget: jobs wait for room instead of allocating past it, a picture
// larger than the whole budget is made alone, and four hostile TIFFs on four jobs stay
// within it as measured by the program's peak resident memory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/decode_budget.h"
#include "imaging/decode_footprint.h"
#include "source_files.h"
#include "test_support.h"

namespace kavlo::core {

using imaging::decodedPixels;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::scratchFolder;

// Waits up to a second for `flag`; true when it was set.
bool becomes(const std::atomic<bool>& flag) {
    for (int i = 0; i < 200 && !flag; ++i) std::this_thread::sleep_for(5ms);
    return flag;
}

TEST(DecodeBudget, aReservationThatDoesNotFitWaitsForRoom) {
    DecodeBudget budget(100);
    std::atomic<bool> got{false};
    auto first = std::make_unique<DecodeHold>(budget);
    first->need(60);
    first->need(50);  // already held: nothing changes
    EXPECT_EQ(first->bytes(), 60u);
    std::thread second([&] {
        DecodeHold hold(budget);
        hold.need(60);
        got = true;
    });
    EXPECT_FALSE(becomes(got));  // 60 + 60 > 100
    EXPECT_EQ(budget.held(), 60u);
    first.reset();  // gives its bytes back
    EXPECT_TRUE(becomes(got));
    second.join();
    EXPECT_EQ(budget.held(), 0u);
    EXPECT_EQ(budget.peakHeld(), 60u);
    // Reservations that fit are not held up.
    DecodeHold a(budget), b(budget);
    a.need(40);
    b.need(60);
    EXPECT_EQ(budget.held(), 100u);
}

TEST(DecodeBudget, aPictureLargerThanTheBudgetIsMadeAlone) {
    DecodeBudget budget(100);
    std::atomic<bool> bigStarted{false}, bigDone{false}, smallGot{false};
    std::atomic<bool> releaseBig{false};
    auto small = std::make_unique<DecodeHold>(budget);
    small->need(10);
    std::thread big([&] {
        DecodeHold hold(budget);
        hold.need(250);  // more than the whole budget
        bigStarted = true;
        while (!releaseBig) std::this_thread::sleep_for(1ms);
        bigDone = true;
    });
    EXPECT_FALSE(becomes(bigStarted));  // waits until nothing else is held
    small.reset();
    EXPECT_TRUE(becomes(bigStarted));
    std::thread other([&] {
        DecodeHold hold(budget);
        hold.need(1);
        smallGot = true;
        EXPECT_TRUE(bigDone);  // nothing runs beside it
    });
    EXPECT_FALSE(becomes(smallGot));
    releaseBig = true;
    big.join();
    other.join();
    EXPECT_TRUE(smallGot);
    EXPECT_EQ(budget.peakHeld(), 250u);
    EXPECT_EQ(budget.held(), 0u);
}

// A hostile TIFF: 154 KB that claims 14000 x 14000 RGB pixels. Every strip of 16 rows
// points at the same PackBits data, which decodes to 16 rows of black.
void writeHostileTiff(const std::string& path) {
    const std::uint32_t w = 14000, h = 14000, rows = 16, strips = h / rows;
    std::vector<std::uint8_t> strip;
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (int run = 0; run < 328; ++run) strip.insert(strip.end(), {0x81, 0});  // 128 zeros
        strip.insert(strip.end(), {0xF1, 0});                                      // 16 zeros
    }
    std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto u16 = [&](std::uint32_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const std::uint32_t entries = 10, bitsAt = 8 + 2 + entries * 12 + 4;
    const std::uint32_t offsetsAt = bitsAt + 6, countsAt = offsetsAt + 4 * strips;
    const std::uint32_t dataAt = countsAt + 4 * strips;
    u16(entries);
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t v) {
        u16(tag), u16(type), u32(count);
        if (type == 3 && count == 1) u16(v), u16(0);
        else u32(v);
    };
    entry(256, 4, 1, w);
    entry(257, 4, 1, h);
    entry(258, 3, 3, bitsAt);
    entry(259, 3, 1, 32773);  // PackBits
    entry(262, 3, 1, 2);
    entry(273, 4, strips, offsetsAt);
    entry(277, 3, 1, 3);
    entry(278, 4, 1, rows);
    entry(279, 4, strips, countsAt);
    entry(284, 3, 1, 1);
    u32(0);
    u16(8), u16(8), u16(8);
    for (std::uint32_t s = 0; s < strips; ++s) u32(dataAt);
    for (std::uint32_t s = 0; s < strips; ++s) u32(std::uint32_t(strip.size()));
    out.insert(out.end(), strip.begin(), strip.end());
    // Padding to the size such files come in; the reader never looks at it.
    out.resize(154 * 1024, 0);
    test::writeAll(path, std::string(out.begin(), out.end()));
}

std::string programPath() {
    return (fs::canonical("/proc/self/exe").parent_path().parent_path().parent_path() / "app" /
            "kavlo")
        .string();
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // shadow memory would count as the program's own
#else
constexpr bool kSanitized = false;
#endif

TEST(DecodeBudget, fourHostileTiffsOnFourJobsStayWithinTheBudget) {
    if (kSanitized) GTEST_SKIP() << "resident memory of a sanitized build says nothing here";
    const std::string program = programPath();
    if (!fs::exists(program)) GTEST_SKIP() << "program not built: " << program;
    const std::string root = scratchFolder("decode_budget");
    const std::string photos = root + "/photos";
    fs::create_directories(photos);
    fs::create_directories(root + "/xdg");
    for (const char* name : {"a.tif", "b.tif", "c.tif", "d.tif"})
        writeHostileTiff(photos + "/" + name);
    EXPECT_EQ(decodedPixels(photos + "/a.tif", 0), 14000ull * 14000);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int out = ::open((root + "/output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        const std::string xdg = "XDG_CONFIG_HOME=" + root + "/xdg";
        char* const argv[] = {const_cast<char*>(program.c_str()),
                              const_cast<char*>(photos.c_str()),
                              const_cast<char*>("-Automation"),
                              const_cast<char*>("--no-gui"),
                              const_cast<char*>("--jobs"),
                              const_cast<char*>("4"),
                              nullptr};
        char* const envp[] = {const_cast<char*>(xdg.c_str()), const_cast<char*>("LANG=C.UTF-8"),
                              nullptr};
        ::execve(program.c_str(), argv, envp);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status)) << test::readAll(root + "/output");
    EXPECT_EQ(WEXITSTATUS(status), 0) << test::readAll(root + "/output");
    for (const char* name : {"0001.jpg", "0002.jpg", "0003.jpg", "0004.jpg"})
        EXPECT_NE(test::jpegSize(photos + "/album/medium/" + name).first, 0) << name;
    const std::uint64_t peak = std::uint64_t(usage.ru_maxrss) * 1024;
    std::printf("peak resident memory of four 14000 x 14000 TIFFs on four jobs: %.0f MB\n",
                double(peak) / 1e6);
    EXPECT_LT(peak, kDecodeBudgetBytes);
}

TEST(DecodeBudget, everyPhotoFormatHoldsItsPictureBeforeItIsDecoded) {
    const std::string dir = scratchFolder("budget_formats");
    const test::Rgba p = test::pattern(300, 200, true);
    test::writePng(dir + "/a.png", p, {PNG_COLOR_TYPE_RGBA, 8, false, {}, {}});
    test::writeFile(dir + "/b.webp", test::encodeWebp(p, {}));
    test::writeFile(dir + "/c.heic", test::encodeHeif(test::pattern(300, 200), {}));
    EXPECT_EQ(decodedPixels(dir + "/a.png", 0), 300u * 200u);
    EXPECT_EQ(decodedPixels(dir + "/b.webp", 500), 300u * 200u);  // no reduced decode
    EXPECT_EQ(decodedPixels(dir + "/c.heic", 0), 300u * 200u);

    DecodeBudget budget(1u << 30);
    ImageReaders inner = defaultImageReaders();
    std::uint64_t heldWhileDecoding = 0;
    const auto base = inner.readOther;
    inner.readOther = [&](const std::string& path, const imaging::ReadOptions& options) {
        heldWhileDecoding = budget.held();
        return base(path, options);
    };
    for (const char* name : {"a.png", "b.webp", "c.heic"}) {
        DecodeHold hold(budget);
        const ImageReaders readers = budgetedReaders(inner, hold);
        EXPECT_FALSE(readers.readOther(dir + "/" + name, {}).picture.empty()) << name;
        // HEIF's decoder holds its own planes beside the picture: twice as much.
        const std::uint64_t expected = decodeFootprint(300u * 200u) * (name[0] == 'c' ? 2 : 1);
        EXPECT_EQ(heldWhileDecoding, expected) << name;
    }
    EXPECT_EQ(budget.held(), 0u);
}

}  // namespace
}  // namespace kavlo::core
