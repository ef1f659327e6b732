// SPDX-License-Identifier: MIT
#include "PtyPair.h"

#include <cerrno>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[128] = {};
    if (openpty(&FMaster, &FSlave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    FSlavePath = name;
    // A new pseudo-terminal echoes and waits for a newline; the line must be raw.
    termios tio{};
    tcgetattr(FSlave, &tio);
    cfmakeraw(&tio);
    tcsetattr(FSlave, TCSANOW, &tio);
}

PtyPair::~PtyPair()
{
    HangUp();
    if (FSlave >= 0)
        close(FSlave);
}

void PtyPair::Send(const std::vector<uint8_t> &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(FMaster, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error("write to pty master failed");
        done += size_t(n);
    }
}

std::vector<uint8_t> PtyPair::Receive(size_t count, int timeoutMs)
{
    std::vector<uint8_t> out;
    while (out.size() < count) {
        pollfd pfd{FMaster, POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0)
            break;
        uint8_t buf[512];
        const ssize_t n = read(FMaster, buf, std::min(sizeof buf, count - out.size()));
        if (n <= 0)
            break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

std::vector<uint8_t> PtyPair::Drain(int quietMs) { return Receive(SIZE_MAX, quietMs); }

void PtyPair::HangUp()
{
    if (FMaster >= 0) {
        close(FMaster);
        FMaster = -1;
    }
}
