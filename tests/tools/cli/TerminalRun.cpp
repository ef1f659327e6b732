// SPDX-License-Identifier: MIT
#include "TerminalRun.h"

#include "CliProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morlith::test {
namespace {

winsize Size(unsigned short columns, unsigned short rows)
{
    winsize size{};
    size.ws_col = columns;
    size.ws_row = rows;
    return size;
}

} // namespace

TTerminalRun::TTerminalRun(const std::vector<std::string> &arguments, const std::string &folder,
                           unsigned short columns, unsigned short rows, TStreams streams)
    : FRows(rows)
{
    winsize size = Size(columns, rows);
    int slave = -1;
    if (openpty(&FMaster, &slave, nullptr, nullptr, &size) != 0)
        return;
    std::vector<std::string> words = {MORLITH_CLI_EXECUTABLE};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (auto &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const int out = streams == TStreams::tsOutputAndError ? slave : null;
    FPid = fork();
    if (FPid == 0) {
        if (chdir(folder.c_str()) != 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(slave, STDERR_FILENO) < 0)
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(slave);
    close(null);
}

TTerminalRun::~TTerminalRun()
{
    if (FPid > 0) {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
    }
    if (FMaster >= 0)
        close(FMaster);
}

bool TTerminalRun::ReadUntil(const std::string &text)
{
    const int waitMs = int(std::chrono::duration_cast<std::chrono::milliseconds>(kToolWait).count());
    while (Text.find(text, FMark) == std::string::npos) {
        pollfd entry{FMaster, POLLIN, 0};
        char buffer[4096];
        if (FMaster < 0 || poll(&entry, 1, waitMs) <= 0)
            return false;
        const ssize_t n = read(FMaster, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        Text.append(buffer, size_t(n));
    }
    return true;
}

void TTerminalRun::Resize(unsigned short columns)
{
    winsize size = Size(columns, FRows);
    ioctl(FMaster, TIOCSWINSZ, &size);
    FMark = Text.size();
    Resizes.emplace_back(Text.size(), columns);
}

std::vector<std::string> TTerminalRun::BarsSinceResize() const
{
    std::vector<std::string> bars;
    for (size_t at = Text.find('\r', FMark); at != std::string::npos; at = Text.find('\r', at + 1)) {
        const size_t end = Text.find_first_of("\r\n\033", at + 1);
        bars.push_back(Text.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1));
    }
    return bars;
}

void TTerminalRun::Signal(int signal)
{
    if (FPid > 0)
        kill(FPid, signal);
}

int TTerminalRun::Finish()
{
    // The terminal reads as ended (EIO) once the tool and its children closed it.
    (void)ReadUntil(std::string(1, '\0'));
    int status = 0;
    if (FPid <= 0 || waitpid(FPid, &status, 0) != FPid)
        return -1;
    FPid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> ScreenOf(const std::string &bytes, size_t rows,
                                  const std::vector<std::pair<size_t, unsigned short>> &resizes)
{
    std::vector<std::string> lines(1);
    size_t row = 0;
    size_t column = 0;
    size_t resize = 0;
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (; resize < resizes.size() && resizes[resize].first <= at; ++resize) {
            // Lines are bytes here: a line counts its bytes as columns, enough for ASCII boards.
            const size_t width = resizes[resize].second;
            std::vector<std::string> wrapped;
            size_t cursorRow = 0;
            for (size_t i = 0; i < lines.size(); ++i) {
                if (i == row)
                    cursorRow = wrapped.size();
                for (size_t from = 0; from == 0 || from < lines[i].size(); from += width)
                    wrapped.push_back(lines[i].substr(from, width));
            }
            lines = wrapped;
            row = cursorRow;
        }
        const char c = bytes[at];
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            if (++row == lines.size())
                lines.emplace_back();
        } else if (c == '\033' && at + 1 < bytes.size() && bytes[at + 1] == '[') {
            size_t end = at + 2;
            while (end < bytes.size() && (std::isdigit(static_cast<unsigned char>(bytes[end])) || bytes[end] == ';'))
                ++end;
            if (end >= bytes.size())
                break;
            const std::string number = bytes.substr(at + 2, end - at - 2);
            const size_t count = number.empty() ? 1 : std::stoul(number);
            if (bytes[end] == 'A')
                row = count > row ? 0 : row - count;
            else if (bytes[end] == 'H') {
                // The screen's top: the last `rows` lines written are on it.
                row = lines.size() > rows ? lines.size() - rows : 0;
                column = 0;
            }
            else if (bytes[end] == 'K')
                lines[row].resize(std::min(lines[row].size(), column));
            else if (bytes[end] == 'J') {
                lines[row].resize(std::min(lines[row].size(), column));
                lines.resize(row + 1);
            }
            at = end;
        } else {
            // Bytes, not characters: a line's text is compared as UTF-8 as it was written.
            std::string &line = lines[row];
            if (line.size() < column)
                line.resize(column, ' ');
            if (column < line.size())
                line[column] = c;
            else
                line += c;
            ++column;
        }
    }
    for (std::string &line : lines)
        line.erase(line.find_last_not_of(' ') + 1);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

} // namespace morlith::test
