// SPDX-License-Identifier: MIT
// Progress lines of a terminal run, and the display check that decides between the
// window and the terminal.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <map>

#include "../core/test_support.h"
#include "ui/display_check.h"
#include "ui/terminal_progress.h"

namespace kavlo::ui {
namespace {

/// Everything a TerminalProgress wrote.
struct Captured {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    ~Captured() {
        if (file) std::fclose(file);
        std::free(buffer);
    }
    std::string text() {
        std::fflush(file);
        return std::string(buffer, size);
    }
};

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(TerminalProgress, aLogGetsALinePerTenthOrPerTenSeconds) {
    // A fast run of 40 photos: ten lines, the last one with the whole time.
    Captured fast;
    TerminalProgress p(fast.file, TerminalProgress::Style::Log);
    for (int done = 1; done <= 40; ++done) p.update(done, 40, done * 0.01);
    p.finish(40, 40, 0.5);
    const std::string text = fast.text();
    EXPECT_EQ(count(text, "\n"), 10) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.find("Progress: 10% (4 of 40 photos, 100 photos/s, 0.4 s left)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Progress: 100% (40 of 40 photos, 80 photos/s, done in 0.5 s)\n"),
              std::string::npos)
        << text;

    // A slow run of 1000 photos, 3 seconds each: a line every 10 seconds (4 photos), not
    // one per photo, and not only one per 100 photos.
    Captured slow;
    TerminalProgress q(slow.file, TerminalProgress::Style::Log);
    for (int done = 1; done <= 40; ++done) q.update(done, 1000, done * 3.0);
    EXPECT_EQ(count(slow.text(), "\n"), 10) << slow.text();
    EXPECT_NE(slow.text().find("(4 of 1000 photos, 0.3 photos/s, 49:48 left)"), std::string::npos)
        << slow.text();
}

TEST(TerminalProgress, aTerminalLineIsRedrawnInPlaceAndFitsTheWidth) {
    Captured out;
    TerminalProgress p(out.file, TerminalProgress::Style::Terminal, 60);
    p.update(1, 4, 0.5);
    p.update(2, 4, 0.55);  // within a tenth of a second: not redrawn
    p.update(3, 4, 1.5);
    p.interrupt();  // a message comes
    std::fputs("Warning: something\n", out.file);
    p.update(3, 4, 1.52);  // drawn again after the message
    p.finish(4, 4, 2.0);
    const std::string text = out.text();
    EXPECT_EQ(text, "\r[##------] 1/4 photos, 2.0 photos/s, 1.5 s left\033[K"
                    "\r[######--] 3/4 photos, 2.0 photos/s, 0.5 s left\033[K"
                    "\r\033[KWarning: something\n"
                    "\r[######--] 3/4 photos, 2.0 photos/s, 0.5 s left\033[K"
                    "\r[########] 4/4 photos, 2.0 photos/s, done in 2.0 s\033[K\n");

    // Every line stays shorter than the terminal, the bar going first.
    for (int columns : {200, 80, 50, 30, 10}) {
        const std::string line = TerminalProgress::terminalLine(123, 4567, 60, columns, false);
        EXPECT_LT(line.size(), static_cast<size_t>(columns)) << line;
        EXPECT_EQ(line[0] == '[', columns >= 80) << line;
        EXPECT_NE(line.find("123/4567"), std::string::npos) << line;
    }
    EXPECT_EQ(TerminalProgress::clockText(3725), "1:02:05");
    EXPECT_EQ(TerminalProgress::clockText(75), "1:15");

    Captured quiet;
    TerminalProgress q(quiet.file, TerminalProgress::Style::Quiet);
    q.update(1, 2, 1);
    q.finish(2, 2, 2);
    EXPECT_EQ(quiet.text(), "");
}

/// A listening Unix socket, as a Wayland compositor offers.
struct ListeningSocket {
    int fd = -1;
    explicit ListeningSocket(const std::string& path) {
        ::unlink(path.c_str());
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~ListeningSocket() {
        if (fd >= 0) ::close(fd);
    }
};

TEST(DisplayCheck, aNamedDisplayMustAcceptAConnection) {
    const std::string runtime = test::scratchFolder("display");
    ListeningSocket compositor(runtime + "/wayland-7");
    ASSERT_GE(compositor.fd, 0);
    auto check = [&](std::map<std::string, std::string> vars) {
        vars.emplace("XDG_RUNTIME_DIR", runtime);
        return checkDisplay([vars](const std::string& name) -> std::optional<std::string> {
            auto it = vars.find(name);
            if (it == vars.end()) return std::nullopt;
            return it->second;
        });
    };
    DisplayCheck d = check({});
    EXPECT_FALSE(d.usable);
    EXPECT_EQ(d.notice, "");  // no display named: the terminal, without a word

    EXPECT_TRUE(check({{"WAYLAND_DISPLAY", "wayland-7"}}).usable);
    EXPECT_TRUE(check({{"WAYLAND_DISPLAY", runtime + "/wayland-7"}}).usable);

    d = check({{"WAYLAND_DISPLAY", "wayland-8"}});
    EXPECT_FALSE(d.usable);
    EXPECT_NE(d.notice.find("WAYLAND_DISPLAY 'wayland-8'"), std::string::npos) << d.notice;

    // No X server listens on display 987.
    d = check({{"DISPLAY", ":987"}});
    EXPECT_FALSE(d.usable);
    EXPECT_NE(d.notice.find("DISPLAY ':987'"), std::string::npos) << d.notice;
    EXPECT_NE(d.notice.find("terminal"), std::string::npos) << d.notice;
    EXPECT_TRUE(check({{"DISPLAY", ":987"}, {"WAYLAND_DISPLAY", "wayland-7"}}).usable);
    // Qt told to use X only: the compositor does not help.
    EXPECT_FALSE(
        check({{"DISPLAY", ":987"}, {"WAYLAND_DISPLAY", "wayland-7"}, {"QT_QPA_PLATFORM", "xcb"}})
            .usable);
    // A platform without a display is Qt's own business.
    EXPECT_TRUE(check({{"DISPLAY", ":987"}, {"QT_QPA_PLATFORM", "offscreen"}}).usable);
}

}  // namespace
}  // namespace kavlo::ui
