// SPDX-License-Identifier: MIT
#include "PseudoTerminal.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace morlith {
namespace {

[[noreturn]] void ThrowErrno(const char *what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void MakeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        ThrowErrno("tcgetattr on the pseudo-terminal");
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        ThrowErrno("tcsetattr on the pseudo-terminal");
}

} // namespace

TPseudoTerminal::TPseudoTerminal()
{
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0)
        ThrowErrno("posix_openpt");
    try {
        if (grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
            ThrowErrno("unlocking the pseudo-terminal");
        char path[PATH_MAX];
        const int error = ptsname_r(FMaster, path, sizeof path);
        if (error != 0) {
            errno = error;
            ThrowErrno("ptsname_r");
        }
        FSlavePath = path;
        FSlaveKeeper = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FSlaveKeeper < 0)
            ThrowErrno("opening the pseudo-terminal's slave side");
        MakeRaw(FSlaveKeeper);
        const int flags = fcntl(FMaster, F_GETFL);
        if (flags < 0 || fcntl(FMaster, F_SETFL, flags | O_NONBLOCK) != 0)
            ThrowErrno("making the pseudo-terminal's master non-blocking");
    } catch (...) {
        HangUp();
        throw;
    }
}

TPseudoTerminal::~TPseudoTerminal()
{
    HangUp();
}

void TPseudoTerminal::HangUp()
{
    if (FMaster >= 0)
        close(FMaster);
    if (FSlaveKeeper >= 0)
        close(FSlaveKeeper);
    FMaster = -1;
    FSlaveKeeper = -1;
}

void TPseudoTerminal::EndExclusiveUse()
{
    if (FSlaveKeeper >= 0)
        (void)ioctl(FSlaveKeeper, TIOCNXCL);
}

} // namespace morlith
