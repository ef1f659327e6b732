// SPDX-License-Identifier: MIT
#include "CliProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morlith::test {

TCliProcess::TCliProcess(const TProgram &program, const std::vector<std::string> &arguments, const std::string &folder,
                         uid_t runAs, const std::string &input)
{
    std::vector<std::string> words = {program.Path};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return;
    const int in = input.empty() ? -1 : open(input.c_str(), O_RDONLY | O_CLOEXEC);
    FStart = std::chrono::steady_clock::now();
    FPid = fork();
    if (FPid == 0) {
        // Only async-signal-safe calls between fork and exec.
        signal(SIGPIPE, SIG_DFL);
        if ((!folder.empty() && chdir(folder.c_str()) != 0) || dup2(out[1], STDOUT_FILENO) < 0 ||
            dup2(err[1], STDERR_FILENO) < 0 || (in >= 0 && dup2(in, STDIN_FILENO) < 0))
            _exit(127);
        if (program.CloseInputAndError) {
            close(STDIN_FILENO);
            close(STDERR_FILENO);
        }
        if (runAs != 0 && (setgroups(0, nullptr) != 0 || setgid(runAs) != 0 || setuid(runAs) != 0))
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (in >= 0)
        close(in);
    if (program.OutputUnread) {
        close(out[0]);
        out[0] = -1;
    }
    FOut = out[0];
    FErr = err[0];
}

TCliProcess::~TCliProcess()
{
    if (FPid > 0 && FRun.Status == -1) {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
    }
    if (FOut >= 0)
        close(FOut);
    if (FErr >= 0)
        close(FErr);
}

bool TCliProcess::Pump(int waitMs)
{
    pollfd entries[2] = {{FOut, POLLIN, 0}, {FErr, POLLIN, 0}};
    if (FOut < 0 && FErr < 0)
        return false;
    const int ready = poll(entries, 2, waitMs);
    if (ready < 0 && errno != EINTR)
        return false;
    std::string *into[2] = {&FRun.Out, &FRun.Err};
    int *fds[2] = {&FOut, &FErr};
    for (int i = 0; i < 2; ++i) {
        if (*fds[i] < 0 || !(entries[i].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        char buffer[4096];
        const ssize_t n = read(*fds[i], buffer, sizeof buffer);
        if (n > 0) {
            into[i]->append(buffer, size_t(n));
        } else if (n == 0 || errno != EINTR) {
            close(*fds[i]);
            *fds[i] = -1;
        }
    }
    return FOut >= 0 || FErr >= 0;
}

bool TCliProcess::WaitFor(const std::string &stream, const std::string &text, size_t count)
{
    const auto found = [&] {
        size_t seen = 0;
        for (size_t at = stream.find(text); at != std::string::npos; at = stream.find(text, at + text.size()))
            ++seen;
        return seen >= count;
    };
    const auto deadline = std::chrono::steady_clock::now() + kToolWait;
    while (!found()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !Pump(int(left.count())))
            return found();
    }
    return true;
}

void TCliProcess::Signal(int signal)
{
    if (FPid > 0)
        kill(FPid, signal);
}

std::string TCliProcess::DescriptorTarget(int fd) const
{
    char target[256];
    const std::string link = "/proc/" + std::to_string(FPid) + "/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    return length < 0 ? "" : std::string(target, size_t(length));
}

TCliRun TCliProcess::Finish()
{
    const auto deadline = std::chrono::steady_clock::now() + kToolWait;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!Pump(int(left.count())))
            break;
    }
    if (FOut >= 0 || FErr >= 0 || FPid <= 0)
        return FRun; // did not end in time: the destructor kills it
    int status = 0;
    if (waitpid(FPid, &status, 0) == FPid)
        FRun.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    FRun.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    return FRun;
}

TCliRun RunProgram(const std::string &program, const std::vector<std::string> &arguments, const std::string &folder)
{
    return TCliProcess(TCliProcess::TProgram{program}, arguments, folder).Finish();
}

} // namespace morlith::test
