// SPDX-License-Identifier: MIT
#pragma once
// morlith-module run as a child process, with its stdout and stderr captured.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morlith::test {

// How long a test waits for the tool to start or to end: generous for a loaded machine.
constexpr std::chrono::milliseconds kProcessWait{5000};

// What the tool's standard descriptors are at start.
enum class TStandardStreams {
    ssCaptured,        // output and error captured through pipes
    ssInputErrorShut,  // 0 and 2 closed; output captured
    ssOutputUnread,    // output a pipe nobody reads (its reader closed); error captured
};

// A running morlith-module.
class TModuleProcess {
public:
    // Starts the tool with `arguments` (the environment is the test's own), with SIGPIPE at its
    // default action whatever the test's own is.
    explicit TModuleProcess(const std::vector<std::string> &arguments,
                            TStandardStreams streams = TStandardStreams::ssCaptured);
    // Kills the tool if it still runs.
    ~TModuleProcess();
    TModuleProcess(const TModuleProcess &) = delete;
    TModuleProcess &operator=(const TModuleProcess &) = delete;

    // The first line the tool printed (without its newline), waiting for it; "" if none came.
    std::string FirstLine();

    // Sends `signal` and returns the exit status (-1 if the tool did not end in time).
    int Signal(int signal);

    // Waits for the tool to end by itself; the exit status, or -1 if it did not end in time.
    int Wait();

    // Everything the tool wrote to stderr (complete once it has ended).
    const std::string &ErrorOutput() const { return FStderr; }

    // Where the tool's descriptor `fd` leads ("/dev/null", "pipe:[...]"), "" when it is not open.
    std::string DescriptorTarget(int fd) const;

private:
    bool ReadUntil(int fd, std::string &into, bool toEnd);

    pid_t FPid = -1;
    int FStdout = -1;
    int FStderrFd = -1;
    std::string FStdoutText;
    std::string FStderr;
    int FStatus = -1;
};

} // namespace morlith::test
