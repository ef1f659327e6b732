// SPDX-License-Identifier: MIT
#include "StationBoard.h"

#include "NumberText.h"

#include <algorithm>
#include <cstdio>

namespace morlith::cli {
namespace {

constexpr const char *kCut = "\xE2\x80\xA6"; // "…"
constexpr size_t kColumnGap = 2;

// The length of the UTF-8 sequence starting with `lead`, 0 for a byte that cannot start one.
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The characters of `text`, each a printable UTF-8 sequence or "?".
std::vector<std::string> Characters(const std::string &text)
{
    std::vector<std::string> characters;
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        size_t length = SequenceLength(lead);
        bool sound = length > 0 && at + length <= text.size();
        for (size_t k = 1; sound && k < length; ++k)
            sound = (static_cast<unsigned char>(text[at + k]) & 0xC0) == 0x80;
        // C0 controls, DEL, and the C1 controls (U+0080..U+009F, "\xC2\x80".."\xC2\x9F").
        const bool control = lead < 0x20 || lead == 0x7F ||
                             (sound && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0);
        if (!sound || control) {
            characters.emplace_back("?");
            at += sound ? length : 1;
            continue;
        }
        characters.push_back(text.substr(at, length));
        at += length;
    }
    return characters;
}

std::string StepText(const TSocketView &socket)
{
    if (socket.Steps == 0)
        return "";
    std::string text = "step " + std::to_string(socket.Step) + " of " + std::to_string(socket.Steps);
    return socket.StepName.empty() ? text : text + ": " + socket.StepName;
}

std::string SerialText(const TSocketView &socket) { return socket.Serial ? "#" + std::to_string(*socket.Serial) : ""; }

std::string Percent(double share)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f %%", share * 100);
    return text;
}

} // namespace

std::string SocketStateText(const TSocketView &socket)
{
    const std::string step = StepText(socket);
    switch (socket.State) {
    case TSocketState::ssWaiting:
        return "waiting";
    case TSocketState::ssLeftAlone:
        return "left alone: plug the unit in again to start";
    case TSocketState::ssWorking:
        return (step.empty() ? "working" : step) + (socket.Percent >= 0 ? " " + std::to_string(socket.Percent) + "%" : "");
    case TSocketState::ssOk:
        return "ok" + (socket.Seconds > 0 ? " in " + FormatSeconds(socket.Seconds) : "");
    case TSocketState::ssFailed:
        return "failed: " + (socket.FailureKind.empty() ? std::string("os") : socket.FailureKind) +
               (step.empty() ? "" : " at " + step);
    case TSocketState::ssStopped:
        return "stopped" + (step.empty() ? "" : " at " + step);
    }
    return "";
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

std::string FitToColumns(const std::string &text, unsigned columns)
{
    if (columns < 2)
        return "";
    const std::vector<std::string> characters = Characters(text);
    const size_t room = columns - 1;
    std::string fitted;
    const size_t kept = characters.size() <= room ? characters.size() : room - 1;
    for (size_t i = 0; i < kept; ++i)
        fitted += characters[i];
    return kept < characters.size() ? fitted + kCut : fitted;
}

std::vector<std::string> BoardLines(const std::vector<TSocketView> &sockets, const std::string &lot,
                                    const TLotCounts &counts, unsigned columns, unsigned rows)
{
    // The row below the board is the cursor's own; a terminal that does not say has room for all.
    const size_t room = rows == 0 ? sockets.size() + 1 : rows >= 2 ? rows - 1 : 1;
    size_t shown = sockets.size();
    if (shown + 1 > room)
        shown = room >= 3 ? room - 2 : 0;
    size_t nameWidth = 0;
    size_t serialWidth = 0;
    for (size_t i = 0; i < shown; ++i) {
        nameWidth = std::max(nameWidth, DisplayWidth(FitToColumns(sockets[i].Name, columns)));
        serialWidth = std::max(serialWidth, SerialText(sockets[i]).size());
    }
    // A long name leaves the state at least half the line.
    nameWidth = std::min<size_t>(nameWidth, columns / 2);
    std::vector<std::string> lines;
    for (size_t i = 0; i < shown; ++i) {
        const TSocketView &socket = sockets[i];
        std::string name = FitToColumns(socket.Name, unsigned(nameWidth + 1));
        std::string line = PadRight(name, nameWidth + kColumnGap);
        if (serialWidth > 0)
            line += PadRight(SerialText(socket), serialWidth + kColumnGap);
        lines.push_back(FitToColumns(line + SocketStateText(socket), columns));
    }
    // The line that sums up the others, when there is a row for it.
    if (shown < sockets.size() && room >= 2) {
        const size_t working = size_t(std::count_if(sockets.begin() + long(shown), sockets.end(), [](const TSocketView &s) {
            return s.State == TSocketState::ssWorking;
        }));
        lines.push_back(FitToColumns("and " + std::to_string(sockets.size() - shown) + " more sockets, " +
                                         std::to_string(working) + " of them working",
                                     columns));
    }
    lines.push_back(FitToColumns(LotCountsText(lot, counts), columns));
    return lines;
}

} // namespace morlith::cli
