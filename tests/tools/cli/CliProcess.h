// SPDX-License-Identifier: MIT
#pragma once
// A program of the project (morlith-cli unless told otherwise) run as a child process in a folder
// of the test's choosing, with its standard output and error captured and its exit status read.
// The child inherits the test's environment, so the private port map of PrivatePortMap reaches
// it, and starts with SIGPIPE at its default action whatever the test's own is.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace morlith::test {

// The longest a test waits for the tool: generous for a loaded machine.
constexpr std::chrono::seconds kToolWait{60};

// How a run ended.
struct TCliRun {
    int Status = -1; // exit status; 128 + signal when killed; -1 when it did not end in time
    std::string Out;
    std::string Err;
    double Seconds = 0; // from start to end
};

class TCliProcess {
public:
    // Starts morlith-cli with `arguments` in `folder` ("" for the test's own); as the user and
    // group `runAs` when it is not 0 (the test must be root for that); with the file `input` as
    // its standard input when not empty.
    TCliProcess(const std::vector<std::string> &arguments, const std::string &folder = "", uid_t runAs = 0,
                const std::string &input = "");
    // Starts the program `program` instead, the same way, or with its standard input and error
    // closed (`closeInputAndError`), or with its standard output a pipe nobody reads
    // (`outputUnread`).
    struct TProgram {
        std::string Path;
        bool CloseInputAndError = false;
        bool OutputUnread = false;
    };
    TCliProcess(const TProgram &program, const std::vector<std::string> &arguments, const std::string &folder = "",
                uid_t runAs = 0, const std::string &input = "");
    // Kills the tool if it still runs.
    ~TCliProcess();
    TCliProcess(const TCliProcess &) = delete;
    TCliProcess &operator=(const TCliProcess &) = delete;

    // Reads the tool's output until standard error holds `text`; false if it ended or the wait ran out first.
    bool WaitForError(const std::string &text) { return WaitFor(FRun.Err, text, 1); }
    // Reads the tool's output until standard output holds `text` `count` times; false as above.
    bool WaitForOutput(const std::string &text, size_t count = 1) { return WaitFor(FRun.Out, text, count); }
    // What the tool wrote so far.
    const TCliRun &SoFar() const { return FRun; }
    // Sends `signal` to the tool.
    void Signal(int signal);
    // Where the child's descriptor `fd` leads ("/dev/null", "pipe:[...]"), "" when it is not open.
    std::string DescriptorTarget(int fd) const;
    // Waits for the end and returns what happened.
    TCliRun Finish();

private:
    // Reads whatever both pipes hold, waiting up to `waitMs`; false once both are closed.
    bool Pump(int waitMs);
    bool WaitFor(const std::string &stream, const std::string &text, size_t count);

    pid_t FPid = -1;
    int FOut = -1;
    int FErr = -1;
    TCliRun FRun;
    std::chrono::steady_clock::time_point FStart;
};

// Runs morlith-cli to its end.
TCliRun RunCli(const std::vector<std::string> &arguments, const std::string &folder = "");
// Runs `program` to its end in `folder`.
TCliRun RunProgram(const std::string &program, const std::vector<std::string> &arguments, const std::string &folder);
// Runs morlith-cli to its end with the file `input` as its standard input.
TCliRun RunCliWithInput(const std::vector<std::string> &arguments, const std::string &input, const std::string &folder);

} // namespace morlith::test
