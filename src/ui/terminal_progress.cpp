// SPDX-License-Identifier: MIT
// Progress lines of a terminal run.
#include "ui/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "util/text.h"

namespace kavlo::ui {

using util::format;

namespace {

/// A terminal is redrawn at most this often (a run that reuses its images can finish
/// thousands of photos a second).
constexpr double kRedrawSeconds = 0.1;
/// A log gets a line when this many seconds have passed since the last one ...
constexpr double kLogSeconds = 10;
// ... or when another tenth of the photos is done.

/// "12/40 photos, 3.2 photos/s, 9.4 s left" (`of` between the counts in a log).
std::string counts(int done, int total, double elapsed, bool finished, const char* of) {
    std::string text = format("%i%s%i photos", done, of, total);
    const double rate = elapsed > 0 && done > 0 ? done / elapsed : 0;
    if (rate > 0) text += format(rate < 10 ? ", %.1f photos/s" : ", %.0f photos/s", rate);
    if (finished) {
        text += ", done in " + TerminalProgress::clockText(elapsed);
    } else if (rate > 0) {
        text += ", " + TerminalProgress::clockText((total - done) / rate) + " left";
    }
    return text;
}

}  // namespace

TerminalProgress::TerminalProgress(std::FILE* out, Style style, int columns)
    : m_out(out), m_style(style), m_columns(columns) {}

std::string TerminalProgress::clockText(double seconds) {
    seconds = std::max(0.0, seconds);
    if (seconds < 9.95) return format("%.1f s", seconds);
    if (seconds < 59.5) return format("%.0f s", seconds);
    const long long s = std::llround(seconds);
    if (s >= 3600) return format("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return format("%lld:%02lld", s / 60, s % 60);
}

std::string TerminalProgress::terminalLine(int done, int total, double elapsed, int columns,
                                           bool finished) {
    const std::string text = counts(done, total, elapsed, finished, "/");
    // The line must stay shorter than the terminal: a line that wraps cannot be
    // redrawn in place. The bar keeps its width while the text beside it changes,
    // unless an unusually long text needs the room.
    constexpr int kTextRoom = 48;
    const int width =
        std::min({30, columns - 4 - kTextRoom, columns - 4 - static_cast<int>(text.size())});
    if (width < 5) return text.substr(0, static_cast<size_t>(std::max(columns - 1, 0)));
    const int filled =
        total > 0 ? static_cast<int>(static_cast<long long>(width) * done / total) : width;
    return "[" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(width - filled), '-') + "] " + text;
}

std::string TerminalProgress::logLine(int done, int total, double elapsed, bool finished) {
    const int percent =
        total > 0 ? static_cast<int>(static_cast<long long>(done) * 100 / total) : 100;
    return format("Progress: %i%% (", percent) + counts(done, total, elapsed, finished, " of ") +
           ")";
}

int TerminalProgress::columnsOf(std::FILE* stream) {
    winsize ws{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
    if (const char* c = std::getenv("COLUMNS")) {
        const int n = std::atoi(c);
        if (n > 0) return n;
    }
    return 80;
}

void TerminalProgress::update(int done, int total, double elapsed) {
    if (m_finished) return;
    switch (m_style) {
    case Style::Quiet: return;
    case Style::Terminal:
        if (m_lineShown && elapsed - m_lastDraw < kRedrawSeconds) return;
        std::fprintf(m_out, "\r%s\033[K",
                     terminalLine(done, total, elapsed, m_columns, false).c_str());
        m_lineShown = true;
        m_lastDraw = elapsed;
        break;
    case Style::Log: {
        const int tenth =
            total > 0 ? static_cast<int>(static_cast<long long>(done) * 10 / total) : 10;
        if (tenth >= 10) return;  // the last line comes from finish()
        if (tenth <= m_lastTenth && elapsed - m_lastLine < kLogSeconds) return;
        std::fprintf(m_out, "%s\n", logLine(done, total, elapsed, false).c_str());
        m_lastTenth = tenth;
        m_lastLine = elapsed;
        break;
    }
    }
    std::fflush(m_out);
}

void TerminalProgress::finish(int done, int total, double elapsed) {
    if (m_finished) return;
    m_finished = true;
    switch (m_style) {
    case Style::Quiet: return;
    case Style::Terminal:
        std::fprintf(m_out, "\r%s\033[K\n",
                     terminalLine(done, total, elapsed, m_columns, true).c_str());
        m_lineShown = false;
        break;
    case Style::Log:
        std::fprintf(m_out, "%s\n", logLine(done, total, elapsed, true).c_str());
        break;
    }
    std::fflush(m_out);
}

void TerminalProgress::interrupt() {
    if (!m_lineShown) return;
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
    m_lineShown = false;
}

}  // namespace kavlo::ui
