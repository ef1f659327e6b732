// SPDX-License-Identifier: MIT
#pragma once
// A pseudo-terminal whose master side the virtual module serves and whose slave side the host
// opens as its serial port.

#include <string>

namespace morlith {

// Owns the master descriptor and one slave descriptor. The slave descriptor is kept open so that
// the master never sees a hang-up when the host closes the port and opens it again.
class TPseudoTerminal {
public:
    // Opens a new pseudo-terminal: master non-blocking, slave in raw mode (8 data bits, no
    // parity, no echo, no line editing, no output processing). Throws std::system_error.
    TPseudoTerminal();
    // Closes both sides.
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal &) = delete;
    TPseudoTerminal &operator=(const TPseudoTerminal &) = delete;

    // The master descriptor (-1 after HangUp).
    int MasterFd() const { return FMaster; }

    // The slave's device path, such as /dev/pts/5.
    const std::string &SlavePath() const { return FSlavePath; }

    // Closes both sides: the host's descriptor sees a hang-up and the device goes away.
    void HangUp();

    // Clears the exclusive use (TIOCEXCL) a host left on the slave. A real port forgets it at its
    // last close, but our own slave descriptor keeps this one open, so a host that was killed
    // before it could clear the flag would leave the port refusing every later open as busy.
    void EndExclusiveUse();

private:
    int FMaster = -1;
    int FSlaveKeeper = -1;
    std::string FSlavePath;
};

} // namespace morlith
