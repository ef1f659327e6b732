// SPDX-License-Identifier: MIT
#pragma once
// Station mode on a terminal: the board of StationBoard drawn on standard output and redrawn in
// place (the cursor moved up over the last drawing with ANSI sequences) as sockets fill, work and
// end, with the counts of the lot below. Session events arrive on the sessions' threads, port
// changes on the station's.

#include "Console.h"
#include "LotTally.h"
#include "PortWatcher.h"
#include "SessionReport.h"
#include "StationBoard.h"

#include <chrono>
#include <functional>
#include <map>
#include <mutex>

namespace morlith::cli {

// Least time between two redraws for progress alone, in ms; a change of state redraws at once.
constexpr int kBoardRefreshMs = 100;

class TStationDashboard : public TSessionReporter {
public:
    // Names each socket by `socketName` (a port's name by default).
    using TSocketNamer = std::function<std::string(const TWatchedPort &)>;
    TStationDashboard(TConsole &console, TLotTally &tally, TSocketNamer socketName);

    // The ports there now; at the start of watching, those that are left alone until plugged in
    // again (`leftAlone`).
    void PortsChanged(const std::vector<TWatchedPort> &present, bool leftAlone);

    // Redraws when the terminal's size changed since the last drawing.
    void FollowTerminalSize();

    void Started(const std::string &port, const std::string &command, const std::string &file) override;
    void StepStarted(const std::string &port, size_t index, size_t count, const std::string &name) override;
    void SerialReserved(const std::string &port, uint64_t serial) override;
    void Progressed(const std::string &port, const TProgressStep &step) override;
    void Finished(const TPortOutcome &outcome) override;
    // Draws the board a last time and says the run's counts below it.
    void Summarise(const std::vector<TPortOutcome> &outcomes) override;

private:
    // The socket that `port` (a port's key) is in, made waiting when new.
    TSocketView &SocketOf(const std::string &port);
    // Redraws (under FLock); with `always` false only when the last drawing is old enough.
    void Draw(bool always);

    TConsole &FConsole;
    TLotTally &FTally;
    TSocketNamer FSocketName;
    std::mutex FLock;
    // Sockets by name; the ports in them by key.
    std::map<std::string, TSocketView> FSockets;
    std::map<std::string, std::string> FSocketOfPort;
    std::string FTallyProblem;
    size_t FDrawnLines = 0;
    unsigned FDrawnColumns = 0;
    unsigned FDrawnRows = 0;
    std::chrono::steady_clock::time_point FDrawnAt;
};

// Sockets in the order a person reads them: "COM2" before "COM10".
bool SocketNameBefore(const std::string &a, const std::string &b);

} // namespace morlith::cli
