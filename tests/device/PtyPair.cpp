// SPDX-License-Identifier: MIT
#include "PtyPair.h"

#include "DescriptorIo.h"

#include <cstdint>
#include <stdexcept>

void PtyPair::Send(const std::vector<uint8_t> &bytes)
{
    if (!morlith::test::WriteAll(FTerminal.MasterFd(), bytes))
        throw std::runtime_error("write to pty master failed");
}

std::vector<uint8_t> PtyPair::Receive(size_t count, int timeoutMs)
{
    return morlith::test::ReadUpTo(FTerminal.MasterFd(), count, timeoutMs);
}

std::vector<uint8_t> PtyPair::Drain(int quietMs) { return Receive(SIZE_MAX, quietMs); }
