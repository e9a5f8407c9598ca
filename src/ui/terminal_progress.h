// SPDX-License-Identifier: MIT
// The progress of a terminal run, on the error stream. On a terminal one line is
// redrawn in place (a bar, photos done of the total, photos per second, time left);
// in a log or a pipe a plain line is written when another 10 % is done or 10 seconds
// have passed since the last one; quiet runs show nothing.
#pragma once

#include <cstdio>
#include <string>

namespace kavlo::ui {

class TerminalProgress {
public:
    enum class Style { Quiet, Terminal, Log };

    /// `columns`: the terminal's width (Terminal style only).
    TerminalProgress(std::FILE* out, Style style, int columns = 80);

    /// After a photo: `done` of `total` photos after `elapsed` seconds of the run.
    void update(int done, int total, double elapsed);
    /// The run is over: the final line (it stays on the screen).
    void finish(int done, int total, double elapsed);
    /// Clears a line being updated in place, so that a message can be written to the
    /// same stream; the next update draws it again.
    void interrupt();

    /// "[#####-----] 12/40 photos, 3.2 photos/s, 9.4 s left", at most `columns` - 1
    /// characters; `finished` gives "done in 12 s" instead of the time left.
    static std::string terminalLine(int done, int total, double elapsed, int columns,
                                    bool finished);
    /// "Progress: 30% (12 of 40 photos, 3.2 photos/s, 9.4 s left)".
    static std::string logLine(int done, int total, double elapsed, bool finished);
    /// "0.4 s", "12 s", "12:05", "1:02:03".
    static std::string clockText(double seconds);

    /// The width of the terminal on `stream`, else $COLUMNS, else 80.
    static int columnsOf(std::FILE* stream);

private:
    std::FILE* m_out;
    Style m_style;
    int m_columns;
    bool m_lineShown = false;  ///< Terminal: a line is on the screen, not ended
    double m_lastDraw = -1;    ///< Terminal: elapsed at the last redraw
    double m_lastLine = 0;     ///< Log: elapsed at the last line
    int m_lastTenth = 0;       ///< Log: tenths done at the last line
    bool m_finished = false;
};

}  // namespace kavlo::ui
