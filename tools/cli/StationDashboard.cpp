// SPDX-License-Identifier: MIT
#include "StationDashboard.h"

#include "CliOptions.h"
#include "StationReporter.h"


namespace morlith::cli {
namespace {

// Back to the start of the line, clear what an earlier drawing left, and move the cursor up.
constexpr const char *kLineStart = "\r";
constexpr const char *kClearLineEnd = "\033[K";
constexpr const char *kClearBelow = "\033[J";
// To the screen's top left corner: after a resize the terminal may have rewrapped the lines drawn
// before, so the board starts over on a clear screen instead of moving up over them.
constexpr const char *kScreenStart = "\033[H";
std::string CursorUp(size_t lines) { return "\033[" + std::to_string(lines) + "A"; }

TSocketState StateOf(const TPortOutcome &outcome)
{
    if (outcome.Ok())
        return TSocketState::ssOk;
    return outcome.Status == kExitInterrupted ? TSocketState::ssStopped : TSocketState::ssFailed;
}

} // namespace

TStationDashboard::TStationDashboard(TConsole &console, TLotRecords &lot, TBoard::TSocketNamer socketName,
                                     bool colour)
    : FConsole(console), FLot(lot), FBoard(std::move(socketName)), FColour(colour)
{
    TFailure failure;
    if (!FLot.Read(failure))
        FLotProblem = failure.KindName();
}

void TStationDashboard::PortsChanged(const std::vector<TWatchedPort> &present, bool leftAlone)
{
    std::lock_guard<std::mutex> lock(FLock);
    FBoard.PortsChanged(present, leftAlone);
    Draw(true);
}

void TStationDashboard::Started(const std::string &port, const std::string &command, const std::string &)
{
    std::lock_guard<std::mutex> lock(FLock);
    // A recipe announces its steps as they come; a single command is its only step.
    FBoard.Started(port, command != CommandName(TCliCommand::ccRun) ? command : "");
    Draw(true);
}

void TStationDashboard::StepStarted(const std::string &port, size_t index, size_t count, const std::string &name)
{
    std::lock_guard<std::mutex> lock(FLock);
    FBoard.StepStarted(port, index, count, name);
    Draw(true);
}

void TStationDashboard::SerialReserved(const std::string &port, uint64_t serial)
{
    std::lock_guard<std::mutex> lock(FLock);
    FBoard.SerialReserved(port, serial);
    Draw(true);
}

void TStationDashboard::Progressed(const std::string &port, const TProgressStep &step)
{
    std::lock_guard<std::mutex> lock(FLock);
    FBoard.Progressed(port, step.Percent);
    Draw(step.Percent >= 100);
}

void TStationDashboard::Finished(const TPortOutcome &outcome)
{
    std::lock_guard<std::mutex> lock(FLock);
    const TSocketState result = StateOf(outcome);
    FBoard.Finished(outcome.Port, result, outcome.Ok() ? "" : outcome.Failure.KindName(), outcome.Serial,
                    outcome.Seconds);
    TFailure failure;
    FLotProblem = FLot.Ended(result, failure) ? "" : failure.KindName();
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
    const std::vector<TSocketView> sockets = FBoard.Sockets();
    const unsigned columnsNow = FConsole.OutColumns();
    const unsigned rowsNow = FConsole.OutRows();
    const bool resized = FDrawnLines > 0 && (columnsNow != FDrawnColumns || rowsNow != FDrawnRows);
    FDrawnColumns = columnsNow;
    FDrawnRows = rowsNow;
    const unsigned columns = FDrawnColumns > 0 ? FDrawnColumns : kDefaultColumns;
    std::vector<std::string> lines = BoardLines(sockets, FLot.Lot(), FLot.Counts(), columns, FDrawnRows, FColour);
    if (!FLotProblem.empty())
        lines.back() = FitToColumns(LotCountsText(FLot.Lot(), FLot.Counts()) + "; the log is not read (" +
                                        FLotProblem + ")",
                                    columns);
    std::string text = resized ? kScreenStart : FDrawnLines > 0 ? CursorUp(FDrawnLines) : "";
    for (const std::string &line : lines)
        text += kLineStart + line + kClearLineEnd + "\n";
    FConsole.OutDrawing(text + kClearBelow);
    FDrawnLines = lines.size();
}

} // namespace morlith::cli
