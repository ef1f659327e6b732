// SPDX-License-Identifier: MIT
#include "StationBoard.h"

#include "NumberText.h"

#include <cstdio>

namespace morlith::cli {
namespace {

constexpr const char *kColourEnd = "\033[0m";

std::string StepText(const TSocketView &socket)
{
    return socket.Steps == 0 ? "" : "step " + std::to_string(socket.Step) + " of " + std::to_string(socket.Steps);
}

std::string StepNameText(const TSocketView &socket)
{
    return socket.Steps == 0 || socket.StepName.empty() ? "" : ": " + socket.StepName;
}

std::string Percent(double share)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f %%", share * 100);
    return text;
}

// The colour of a socket's line; "" for none.
const char *Colour(TSocketState state)
{
    switch (state) {
    case TSocketState::ssFailed:
        return "\033[1;31m";
    case TSocketState::ssOk:
        return "\033[32m";
    case TSocketState::ssWorking:
        return "\033[36m";
    case TSocketState::ssStopped:
        return "\033[33m";
    default:
        return "";
    }
}

std::string Coloured(const std::string &line, const char *colour, bool enabled)
{
    return enabled && *colour && !line.empty() ? colour + line + kColourEnd : line;
}

// "and 5 more sockets: 2 failed, 1 working".
std::string LeftOutText(const TBoardPick &pick)
{
    std::string text = "and " + std::to_string(pick.Hidden) + (pick.Hidden == 1 ? " more socket" : " more sockets");
    std::string parts;
    if (pick.HiddenFailed > 0)
        parts = std::to_string(pick.HiddenFailed) + " failed";
    if (pick.HiddenWorking > 0)
        parts += (parts.empty() ? "" : ", ") + std::to_string(pick.HiddenWorking) + " working";
    return parts.empty() ? text : text + ": " + parts;
}

} // namespace

TBoardLineText SocketLineText(const TSocketView &socket)
{
    TBoardLineText text;
    text.Name = socket.Name;
    text.Serial = socket.Serial ? "#" + std::to_string(*socket.Serial) : "";
    const std::string step = StepText(socket);
    switch (socket.State) {
    case TSocketState::ssWaiting:
        text.Head = "waiting";
        break;
    case TSocketState::ssLeftAlone:
        text.Head = "left alone";
        text.Middle = ": plug the unit in again to start";
        break;
    case TSocketState::ssWorking:
        text.Head = step.empty() ? "working" : step;
        text.Middle = StepNameText(socket);
        text.End = socket.Percent >= 0 ? " " + std::to_string(socket.Percent) + "%" : "";
        break;
    case TSocketState::ssOk:
        text.Head = "ok" + (socket.Seconds > 0 ? " in " + FormatSeconds(socket.Seconds) : "");
        break;
    case TSocketState::ssFailed:
        text.Head = "failed: " + (socket.FailureKind.empty() ? std::string("os") : socket.FailureKind) +
                    (step.empty() ? "" : " at " + step);
        text.Middle = StepNameText(socket);
        break;
    case TSocketState::ssStopped:
        text.Head = "stopped" + (step.empty() ? "" : " at " + step);
        text.Middle = StepNameText(socket);
        break;
    }
    return text;
}

std::string LotCountsText(const std::string &lot, const TLotCounts &counts)
{
    const uint64_t units = counts.Ok + counts.Failed + counts.Stopped;
    std::string text = (lot.empty() ? std::string("this run") : "lot " + lot) + ": " + std::to_string(units) +
                       (units == 1 ? " unit, " : " units, ") + std::to_string(counts.Ok) + " ok, " +
                       std::to_string(counts.Failed) + " failed";
    if (counts.Stopped > 0)
        text += ", " + std::to_string(counts.Stopped) + " stopped";
    const uint64_t judged = counts.Ok + counts.Failed;
    return text + ", yield " + (judged == 0 ? std::string("-") : Percent(double(counts.Ok) / double(judged)));
}

std::vector<std::string> BoardLines(const std::vector<TSocketView> &sockets, const std::string &lot,
                                    const TLotCounts &counts, unsigned columns, unsigned rows, bool colour)
{
    const TBoardPick pick = PickSockets(sockets, rows);
    std::vector<TBoardLineText> texts;
    for (const size_t index : pick.Shown)
        texts.push_back(SocketLineText(sockets[index]));
    std::vector<std::string> lines = LayOutBoardLines(texts, columns);
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i] = Coloured(lines[i], Colour(sockets[pick.Shown[i]].State), colour);
    if (pick.SummaryRow)
        lines.push_back(Coloured(FitToColumns(LeftOutText(pick), columns),
                                 Colour(pick.HiddenFailed > 0 ? TSocketState::ssFailed : TSocketState::ssWaiting),
                                 colour));
    lines.push_back(FitToColumns(LotCountsText(lot, counts), columns));
    return lines;
}

} // namespace morlith::cli
