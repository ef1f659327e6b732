// SPDX-License-Identifier: MIT
#include "StationDashboard.h"

#include "CliOptions.h"
#include "StationReporter.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace morlith::cli {
namespace {

// Back to the start of the line, clear what an earlier drawing left, and move the cursor up.
constexpr const char *kLineStart = "\r";
constexpr const char *kClearLineEnd = "\033[K";
constexpr const char *kClearBelow = "\033[J";
std::string CursorUp(size_t lines) { return "\033[" + std::to_string(lines) + "A"; }

// A socket as it is between units: named, waiting, nothing else known.
TSocketView EmptySocket(const std::string &name)
{
    TSocketView socket;
    socket.Name = name;
    return socket;
}

TSocketState StateOf(const TPortOutcome &outcome)
{
    if (outcome.Ok())
        return TSocketState::ssOk;
    return outcome.Status == kExitInterrupted ? TSocketState::ssStopped : TSocketState::ssFailed;
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

TStationDashboard::TStationDashboard(TConsole &console, TLotTally &tally, TSocketNamer socketName)
    : FConsole(console), FTally(tally), FSocketName(std::move(socketName))
{
}

TSocketView &TStationDashboard::SocketOf(const std::string &port)
{
    const auto known = FSocketOfPort.find(port);
    const std::string name = known != FSocketOfPort.end() ? known->second : port;
    TSocketView &socket = FSockets[name];
    socket.Name = name;
    return socket;
}

void TStationDashboard::PortsChanged(const std::vector<TWatchedPort> &present, bool leftAlone)
{
    std::lock_guard<std::mutex> lock(FLock);
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
    Draw(true);
}

void TStationDashboard::Started(const std::string &port, const std::string &command, const std::string &)
{
    std::lock_guard<std::mutex> lock(FLock);
    TSocketView &socket = SocketOf(port);
    socket = EmptySocket(socket.Name);
    socket.State = TSocketState::ssWorking;
    // A recipe announces its steps as they come; a single command is its only step.
    if (command != CommandName(TCliCommand::ccRun)) {
        socket.Step = 1;
        socket.Steps = 1;
        socket.StepName = command;
    }
    Draw(true);
}

void TStationDashboard::StepStarted(const std::string &port, size_t index, size_t count, const std::string &name)
{
    std::lock_guard<std::mutex> lock(FLock);
    TSocketView &socket = SocketOf(port);
    socket.State = TSocketState::ssWorking;
    socket.Step = unsigned(index + 1);
    socket.Steps = unsigned(count);
    socket.StepName = name;
    socket.Percent = -1;
    Draw(true);
}

void TStationDashboard::SerialReserved(const std::string &port, uint64_t serial)
{
    std::lock_guard<std::mutex> lock(FLock);
    SocketOf(port).Serial = serial;
    Draw(true);
}

void TStationDashboard::Progressed(const std::string &port, const TProgressStep &step)
{
    std::lock_guard<std::mutex> lock(FLock);
    SocketOf(port).Percent = step.Percent;
    Draw(step.Percent >= 100);
}

void TStationDashboard::Finished(const TPortOutcome &outcome)
{
    std::lock_guard<std::mutex> lock(FLock);
    TSocketView &socket = SocketOf(outcome.Port);
    socket.State = StateOf(outcome);
    socket.FailureKind = outcome.Ok() ? "" : outcome.Failure.KindName();
    if (outcome.Serial)
        socket.Serial = outcome.Serial;
    socket.Seconds = outcome.Seconds;
    socket.Percent = -1;
    TFailure failure;
    if (!FTally.Add(socket.State, failure))
        FTallyProblem = failure.KindName();
    Draw(true);
}

void TStationDashboard::Summarise(const std::vector<TPortOutcome> &outcomes)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        Draw(true);
    }
    FConsole.Out(StationCounts(outcomes));
}

void TStationDashboard::FollowTerminalSize()
{
    std::lock_guard<std::mutex> lock(FLock);
    if (FConsole.OutColumns() != FDrawnColumns || FConsole.OutRows() != FDrawnRows)
        Draw(true);
}

void TStationDashboard::Draw(bool always)
{
    const auto now = std::chrono::steady_clock::now();
    if (!always && now - FDrawnAt < std::chrono::milliseconds(kBoardRefreshMs))
        return;
    FDrawnAt = now;
    std::vector<TSocketView> sockets;
    for (const auto &[name, socket] : FSockets)
        sockets.push_back(socket);
    std::sort(sockets.begin(), sockets.end(),
              [](const TSocketView &a, const TSocketView &b) { return SocketNameBefore(a.Name, b.Name); });
    FDrawnColumns = FConsole.OutColumns();
    FDrawnRows = FConsole.OutRows();
    const unsigned columns = FDrawnColumns > 0 ? FDrawnColumns : kDefaultColumns;
    std::vector<std::string> lines = BoardLines(sockets, FTally.Lot(), FTally.Counts(), columns, FDrawnRows);
    if (!FTallyProblem.empty())
        lines.back() = FitToColumns(LotCountsText(FTally.Lot(), FTally.Counts()) + "; not kept (" + FTallyProblem + ")",
                                    columns);
    std::string text = FDrawnLines > 0 ? CursorUp(FDrawnLines) : "";
    for (const std::string &line : lines)
        text += kLineStart + line + kClearLineEnd + "\n";
    FConsole.OutDrawing(text + kClearBelow);
    FDrawnLines = lines.size();
}

} // namespace morlith::cli
