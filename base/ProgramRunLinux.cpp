// SPDX-License-Identifier: MIT
#include "ProgramRun.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wordexp.h>

extern char **environ;

namespace morlith {
namespace {

// A pipe whose ends close with it.
struct TPipe {
    int Ends[2] = {-1, -1};
    ~TPipe()
    {
        for (int end : Ends)
            if (end >= 0)
                ::close(end);
    }
    bool Open() { return ::pipe2(Ends, O_CLOEXEC) == 0; }
    void Close(int which)
    {
        if (Ends[which] >= 0)
            ::close(Ends[which]);
        Ends[which] = -1;
    }
};

} // namespace

bool SplitProgramWords(const std::string &line, std::vector<std::string> &words, std::string &problem)
{
    // $ and ` would expand; globbing would make words from the folder's files.
    if (line.find_first_of("$`*?[") != std::string::npos) {
        problem = "\"" + line + "\" holds $, `, *, ? or [: give the program and its words as a list instead";
        return false;
    }
    wordexp_t expansion;
    const int result = ::wordexp(line.c_str(), &expansion, WRDE_NOCMD | WRDE_UNDEF);
    if (result != 0) {
        if (result == WRDE_NOSPACE)
            ::wordfree(&expansion);
        problem = result == WRDE_BADCHAR ? "\"" + line + "\" holds a character a shell gives a meaning: | & ; < > ( ) { }"
                                         : "\"" + line + "\" cannot be split into words (an unclosed quote?)";
        return false;
    }
    words.assign(expansion.we_wordv, expansion.we_wordv + expansion.we_wordc);
    ::wordfree(&expansion);
    return true;
}

TProgramEnd RunProgram(const TProgramRun &run)
{
    TProgramEnd end;
    TPipe input;
    TPipe output;
    if (run.Words.empty() || !input.Open() || !output.Open()) {
        end.Error = run.Words.empty() ? ENOENT : errno;
        return end;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.Ends[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output.Ends[1], 1);
    std::vector<char *> argv;
    for (const std::string &word : run.Words)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        end.Error = spawned;
        return end;
    }
    end.Started = true;
    input.Close(0);
    output.Close(1);
    ::fcntl(input.Ends[1], F_SETFL, O_NONBLOCK);
    size_t written = 0;
    if (run.Input.empty())
        input.Close(1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(run.TimeLimitMs);
    // Until its output ends (it exited, or closed it): its input fed as it takes it.
    while (output.Ends[0] >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            end.TimedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd waits[2] = {{output.Ends[0], POLLIN, 0}, {input.Ends[1], POLLOUT, 0}};
        const int ready = ::poll(waits, input.Ends[1] >= 0 ? 2 : 1, int(left.count()) + 1);
        if (ready < 0 && errno != EINTR) {
            ::kill(pid, SIGKILL);
            break;
        }
        if (waits[1].revents & (POLLOUT | POLLERR | POLLHUP)) {
            const ssize_t count = ::write(input.Ends[1], run.Input.data() + written, run.Input.size() - written);
            if (count > 0)
                written += size_t(count);
            if ((count < 0 && errno != EAGAIN && errno != EINTR) || written == run.Input.size())
                input.Close(1);
        }
        if (waits[0].revents & (POLLIN | POLLERR | POLLHUP)) {
            char buffer[4096];
            const ssize_t count = ::read(output.Ends[0], buffer, sizeof buffer);
            if (count > 0) {
                const size_t room = run.LongestOutput - end.Output.size();
                end.Output.append(buffer, std::min(room, size_t(count)));
                end.OutputCut = end.OutputCut || size_t(count) > room;
            } else if (count == 0 || errno != EINTR) {
                output.Close(0);
            }
        }
    }
    input.Close(1);
    int status = 0;
    // Its output closed: it has ended or is about to; one that closed its output and went on is
    // held to the time limit too.
    while (true) {
        const pid_t reaped = ::waitpid(pid, &status, end.TimedOut ? 0 : WNOHANG);
        if (reaped == pid || (reaped < 0 && errno != EINTR))
            break;
        if (reaped == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                end.TimedOut = true;
                ::kill(pid, SIGKILL);
            } else {
                ::usleep(2000);
            }
        }
    }
    if (WIFEXITED(status) && !end.TimedOut)
        end.ExitStatus = WEXITSTATUS(status);
    return end;
}

} // namespace morlith
