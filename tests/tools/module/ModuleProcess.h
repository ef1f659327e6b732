// SPDX-License-Identifier: MIT
#pragma once
// morlith-module run as a child process through the CLI tests' process runner.

#include "CliProcess.h"

#include <string>
#include <vector>

namespace morlith::test {

// What the tool's standard descriptors are at start.
enum class TStandardStreams {
    ssCaptured,        // output and error captured through pipes
    ssInputErrorShut,  // 0 and 2 closed; output captured
    ssOutputUnread,    // output a pipe nobody reads (its reader closed); error captured
};

// A running morlith-module.
class TModuleProcess {
public:
    // Starts the tool with `arguments` (the environment is the test's own).
    explicit TModuleProcess(const std::vector<std::string> &arguments,
                            TStandardStreams streams = TStandardStreams::ssCaptured)
        : FProcess(TCliProcess::TProgram{MORLITH_MODULE_EXECUTABLE, streams == TStandardStreams::ssInputErrorShut,
                                         streams == TStandardStreams::ssOutputUnread},
                   arguments)
    {
    }

    // The first line the tool printed (without its newline), waiting for it; "" if none came.
    std::string FirstLine()
    {
        if (!FProcess.WaitForOutput("\n"))
            return "";
        return FProcess.SoFar().Out.substr(0, FProcess.SoFar().Out.find('\n'));
    }
    // Sends `signal` and returns the exit status (-1 if the tool did not end in time).
    int Signal(int signal)
    {
        FProcess.Signal(signal);
        return Wait();
    }
    // Waits for the tool to end by itself; the exit status, or -1 if it did not end in time.
    int Wait() { return FProcess.Finish().Status; }
    // Everything the tool wrote to stderr (complete once it has ended).
    const std::string &ErrorOutput() const { return FProcess.SoFar().Err; }
    // Where the tool's descriptor `fd` leads ("/dev/null", "pipe:[...]"), "" when it is not open.
    std::string DescriptorTarget(int fd) const { return FProcess.DescriptorTarget(fd); }

private:
    TCliProcess FProcess;
};

} // namespace morlith::test
