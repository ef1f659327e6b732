// SPDX-License-Identifier: MIT
#pragma once
// morlith-cli on a real pseudo-terminal of a chosen size, as a person at a terminal runs it, and
// what such a terminal shows after the bytes it received.

#include <string>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace morlith::test {

class TTerminalRun {
public:
    // Which standard streams go to the terminal; the others go to /dev/null.
    enum class TStreams { tsErrorOnly, tsOutputAndError };

    // Starts morlith-cli with `arguments` in `folder` on a terminal `columns` x `rows`.
    TTerminalRun(const std::vector<std::string> &arguments, const std::string &folder, unsigned short columns,
                 unsigned short rows = 24, TStreams streams = TStreams::tsErrorOnly);
    // Kills the tool if it still runs.
    ~TTerminalRun();
    TTerminalRun(const TTerminalRun &) = delete;
    TTerminalRun &operator=(const TTerminalRun &) = delete;

    // Reads the terminal until `text` shows after the last resize or it ends; false then.
    bool ReadUntil(const std::string &text);
    // Gives the terminal `columns` columns.
    void Resize(unsigned short columns);
    // The progress bar lines drawn since the last resize (each drawing starts with "\r").
    std::vector<std::string> BarsSinceResize() const;
    void Signal(int signal);
    // Reads to the end and waits for the tool; its exit status, or -1 when it did not end in time.
    int Finish();

    // Every byte the terminal received.
    std::string Text;
    // Where in Text the terminal was resized, and to how many columns.
    std::vector<std::pair<size_t, unsigned short>> Resizes;

private:
    int FMaster = -1;
    pid_t FPid = -1;
    size_t FMark = 0;
    unsigned short FRows;
};

// The lines a terminal `rows` high shows after receiving `bytes` (with the lines scrolled off it
// above them), as far as the tool draws: text, "\r", "\n", and the ANSI sequences for the cursor
// up (ESC [ n A) and to the screen's top (ESC [ H), clearing the line's end (ESC [ K) and clearing
// below (ESC [ J); colours (ESC [ ... m) draw nothing. Trailing spaces and empty last lines are
// left out.
// At each of `resizes` (an offset in `bytes`, the new width) the lines wider than the new width
// are wrapped onto further rows, as terminals that reflow do, and the cursor moves down with them.
std::vector<std::string> ScreenOf(const std::string &bytes, size_t rows = 24,
                                  const std::vector<std::pair<size_t, unsigned short>> &resizes = {});

} // namespace morlith::test
