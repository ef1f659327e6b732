// SPDX-License-Identifier: MIT
#pragma once
// Running another program as a line's own systems ask: without a shell, its arguments as given,
// text on its standard input, its standard output read back (up to a bound), a time limit past
// which it is killed, and how it ended.

#include <cstdint>
#include <string>
#include <vector>

namespace morlith {

// Splits a command line into the program and its arguments as the platform's shell quotes them
// (POSIX words on Linux: quotes and backslashes, no variables, no globbing, no commands; the
// Windows rules elsewhere). False with `problem` in words when it cannot be split.
bool SplitProgramWords(const std::string &line, std::vector<std::string> &words, std::string &problem);

struct TProgramRun {
    // The program (found on PATH when it holds no slash) and its arguments.
    std::vector<std::string> Words;
    // Written to its standard input, which is then closed.
    std::string Input;
    // Killed when it has not ended within this many milliseconds.
    uint32_t TimeLimitMs = 10000;
    // Output past this many bytes is read and dropped.
    size_t LongestOutput = 64 * 1024;
};

struct TProgramEnd {
    // It could not be started: `Error` the system's error number (ENOENT: no such program).
    bool Started = false;
    int Error = 0;
    // Killed at the time limit.
    bool TimedOut = false;
    // Its exit status when it exited; -1 when a signal ended it.
    int ExitStatus = -1;
    // Its standard output (at most LongestOutput bytes) and whether more was dropped.
    std::string Output;
    bool OutputCut = false;
};

// Runs `run` and waits for its end (sleeping, not spinning), at most the time limit and the
// moment it takes to kill it.
TProgramEnd RunProgram(const TProgramRun &run);

} // namespace morlith
