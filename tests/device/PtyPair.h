// SPDX-License-Identifier: MIT
#pragma once
// A pseudo-terminal for serial tests: the driver opens the slave side by path, the test plays
// the far end on the master side. The test keeps its own slave descriptor open so that the far
// end outlives the driver's close.

#include "PseudoTerminal.h"

#include <cstdint>
#include <string>
#include <vector>

class PtyPair {
public:
    // The slave device path, e.g. /dev/pts/7.
    const std::string &SlavePath() const { return FTerminal.SlavePath(); }
    // Writes bytes as the far end.
    void Send(const std::vector<uint8_t> &bytes);
    // Reads what the driver sent: waits up to timeoutMs for `count` bytes (fewer on time-out).
    std::vector<uint8_t> Receive(size_t count, int timeoutMs = 2000);
    // Everything that arrives within quietMs of silence.
    std::vector<uint8_t> Drain(int quietMs = 100);
    // Closes the pseudo-terminal: the driver sees a hang-up.
    void HangUp() { FTerminal.HangUp(); }

private:
    morlith::TPseudoTerminal FTerminal;
};
