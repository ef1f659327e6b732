// SPDX-License-Identifier: MIT
#pragma once
// Station mode on a terminal: the station's board drawn on standard output as StationBoard lays
// it out and redrawn in place (the cursor moved up over the last drawing with ANSI sequences; on
// a clear screen after a resize) as sockets fill, work and end, with the counts of the lot below. Session events arrive on the
// sessions' threads, port changes on the station's.

#include "Board.h"
#include "Console.h"
#include "LotRecords.h"
#include "SessionReport.h"
#include "StationBoard.h"

#include <chrono>
#include <mutex>

namespace morlith::cli {

// Least time between two redraws for progress alone, in ms; a change of state redraws at once.
constexpr int kBoardRefreshMs = 100;

class TStationDashboard : public TSessionReporter {
public:
    // Names each socket by `socketName` (a port's name by default); counts `lot`; draws in colour
    // with `colour`.
    TStationDashboard(TConsole &console, TLotRecords &lot, TBoard::TSocketNamer socketName, bool colour);

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
    // Redraws (under FLock); with `always` false only when the last drawing is old enough.
    void Draw(bool always);

    TConsole &FConsole;
    TLotRecords &FLot;
    TBoard FBoard;
    bool FColour;
    std::mutex FLock;
    // The kind of the last failure to read the lot's records; empty when they were read.
    std::string FLotProblem;
    size_t FDrawnLines = 0;
    unsigned FDrawnColumns = 0;
    unsigned FDrawnRows = 0;
    std::chrono::steady_clock::time_point FDrawnAt;
};

} // namespace morlith::cli
