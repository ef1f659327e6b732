#pragma once
// morlith-module run as a child process, with its stdout and stderr captured.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morlith::test {

// How long a test waits for the tool to start or to end: generous for a loaded machine.
constexpr std::chrono::milliseconds kProcessWait{5000};

// A running morlith-module.
class TModuleProcess {
public:
    // Starts the tool with `arguments` (the environment is the test's own).
    explicit TModuleProcess(const std::vector<std::string> &arguments);
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
