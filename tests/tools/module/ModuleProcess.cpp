// SPDX-License-Identifier: MIT
#include "ModuleProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace morlith::test {

TModuleProcess::TModuleProcess(const std::vector<std::string> &arguments, TStandardStreams streams)
{
    int out[2];
    int err[2];
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (streams == TStandardStreams::ssInputErrorShut) {
        posix_spawn_file_actions_addclose(&actions, STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, STDERR_FILENO);
    } else {
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    }
    if (streams == TStandardStreams::ssOutputUnread) {
        close(out[0]);
        out[0] = -1;
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> words = {MORLITH_MODULE_EXECUTABLE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&FPid, argv[0], &actions, &attributes, argv.data(), environ), 0);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    FStdout = out[0];
    FStderrFd = err[0];
}

std::string TModuleProcess::DescriptorTarget(int fd) const
{
    char target[256];
    const std::string link = "/proc/" + std::to_string(FPid) + "/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    return length < 0 ? "" : std::string(target, size_t(length));
}

TModuleProcess::~TModuleProcess()
{
    if (FStatus == -1 && FPid > 0) {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
    }
    if (FStdout >= 0)
        close(FStdout);
    close(FStderrFd);
}

// Reads from `fd` until a newline (or, with `toEnd`, end of file) or kProcessWait passes.
bool TModuleProcess::ReadUntil(int fd, std::string &into, bool toEnd)
{
    if (fd < 0) // a stream the test does not read
        return toEnd;
    const auto deadline = std::chrono::steady_clock::now() + kProcessWait;
    char buffer[4096];
    while (toEnd || into.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, int(std::max<long>(left.count(), 0)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return toEnd;
        into.append(buffer, size_t(n));
    }
    return true;
}

std::string TModuleProcess::FirstLine()
{
    if (!ReadUntil(FStdout, FStdoutText, false))
        return "";
    return FStdoutText.substr(0, FStdoutText.find('\n'));
}

int TModuleProcess::Signal(int signal)
{
    kill(FPid, signal);
    return Wait();
}

int TModuleProcess::Wait()
{
    // The tool's end closes both pipes.
    if (!ReadUntil(FStdout, FStdoutText, true) || !ReadUntil(FStderrFd, FStderr, true))
        return -1;
    int status = 0;
    if (waitpid(FPid, &status, 0) != FPid)
        return -1;
    FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return FStatus;
}

} // namespace morlith::test
