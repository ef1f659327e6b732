// SPDX-License-Identifier: MIT
#include "Board.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace morlith {
namespace {

// A socket as it is between units: named, waiting, nothing else known.
TSocketView EmptySocket(const std::string &name)
{
    TSocketView socket;
    socket.Name = name;
    return socket;
}

} // namespace

bool SocketNameBefore(const std::string &a, const std::string &b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool digitB = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (!digitA || !digitB) {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
            continue;
        }
        // Runs of digits compare by value: without their leading zeros, the longer is larger.
        const size_t endA = a.find_first_not_of("0123456789", i);
        const size_t endB = b.find_first_not_of("0123456789", j);
        std::string runA = a.substr(i, endA - i);
        std::string runB = b.substr(j, endB - j);
        runA.erase(0, std::min(runA.find_first_not_of('0'), runA.size() - 1));
        runB.erase(0, std::min(runB.find_first_not_of('0'), runB.size() - 1));
        if (runA.size() != runB.size())
            return runA.size() < runB.size();
        if (runA != runB)
            return runA < runB;
        i = endA == std::string::npos ? a.size() : endA;
        j = endB == std::string::npos ? b.size() : endB;
    }
    return a.size() - i < b.size() - j || (a.size() - i == b.size() - j && a < b);
}

TBoard::TBoard(TSocketNamer socketName) : FSocketName(std::move(socketName)) {}

TSocketView &TBoard::SocketOf(const std::string &port)
{
    const auto known = FSocketOfPort.find(port);
    const std::string name = known != FSocketOfPort.end() ? known->second : port;
    TSocketView &socket = FSockets[name];
    socket.Name = name;
    return socket;
}

void TBoard::PortsChanged(const std::vector<TWatchedPort> &present, bool leftAlone)
{
    std::set<std::string> filled;
    for (const TWatchedPort &port : present) {
        FSocketOfPort[port.Key] = FSocketName ? FSocketName(port) : port.Port.Label;
        TSocketView &socket = SocketOf(port.Key);
        if (leftAlone)
            socket.State = TSocketState::ssLeftAlone;
        filled.insert(socket.Name);
    }
    // A socket keeps saying how its last unit ended until the next one starts in it, taken out or
    // not; a unit left alone that is taken out leaves its socket waiting.
    for (auto &[name, socket] : FSockets)
        if (!filled.count(name) && socket.State == TSocketState::ssLeftAlone)
            socket = EmptySocket(name);
}

void TBoard::Started(const std::string &port, const std::string &onlyStep)
{
    TSocketView &socket = SocketOf(port);
    socket = EmptySocket(socket.Name);
    socket.State = TSocketState::ssWorking;
    if (!onlyStep.empty()) {
        socket.Step = 1;
        socket.Steps = 1;
        socket.StepName = onlyStep;
    }
}

void TBoard::StepStarted(const std::string &port, size_t index, size_t count, const std::string &name)
{
    TSocketView &socket = SocketOf(port);
    socket.State = TSocketState::ssWorking;
    socket.Step = unsigned(index + 1);
    socket.Steps = unsigned(count);
    socket.StepName = name;
    socket.Percent = -1;
}

void TBoard::SerialReserved(const std::string &port, uint64_t serial) { SocketOf(port).Serial = serial; }

void TBoard::Progressed(const std::string &port, int percent) { SocketOf(port).Percent = percent; }

void TBoard::Finished(const std::string &port, TSocketState result, const std::string &failureKind,
                      std::optional<uint64_t> serial, double seconds)
{
    TSocketView &socket = SocketOf(port);
    socket.State = result;
    socket.FailureKind = failureKind;
    if (serial)
        socket.Serial = serial;
    socket.Seconds = seconds;
    socket.Percent = -1;
}

std::vector<TSocketView> TBoard::Sockets() const
{
    std::vector<TSocketView> sockets;
    for (const auto &[name, socket] : FSockets)
        sockets.push_back(socket);
    std::sort(sockets.begin(), sockets.end(),
              [](const TSocketView &a, const TSocketView &b) { return SocketNameBefore(a.Name, b.Name); });
    return sockets;
}

} // namespace morlith
