// SPDX-License-Identifier: MIT
#include "BoardLayout.h"

#include "NumberText.h"

#include <algorithm>
#include <numeric>

namespace morlith {
namespace {

constexpr const char *kCut = "\xE2\x80\xA6"; // "…"
// A name cut for the state's sake keeps at least this many columns.
constexpr size_t kLeastNameColumns = 8;

// Characters a terminal would act on instead of drawing: C0 and C1 controls, DEL, and the
// direction embeddings, overrides and isolates.
bool Acts(char32_t code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

// The characters of `text` with their widths, each a drawable UTF-8 sequence or "?".
struct TCharacter {
    std::string Text;
    unsigned Width;
};
std::vector<TCharacter> Characters(const std::string &text)
{
    std::vector<TCharacter> characters;
    for (size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const size_t length = Utf8SequenceAt(text, at, code);
        if (length == 0 || Acts(code)) {
            characters.push_back({"?", 1});
            at += length == 0 ? 1 : length;
            continue;
        }
        characters.push_back({text.substr(at, length), CharacterWidth(code)});
        at += length;
    }
    return characters;
}

// The sockets by how much a person needs to see them when not all fit.
int Urgency(TSocketState state)
{
    switch (state) {
    case TSocketState::ssFailed:
        return 0;
    case TSocketState::ssWorking:
        return 1;
    case TSocketState::ssStopped:
        return 2;
    default:
        return 3;
    }
}

// The state's pieces within `room` columns: the middle gives way first, then the rest.
std::string FitState(const std::string &head, const std::string &middle, const std::string &end, size_t room)
{
    const size_t kept = DisplayWidth(head) + DisplayWidth(end);
    if (kept + DisplayWidth(middle) <= room)
        return head + middle + end;
    if (kept < room)
        return head + FitToColumns(middle, unsigned(room - kept + 1)) + end;
    return FitToColumns(head + end, unsigned(room + 1));
}

} // namespace

std::string FitToColumns(const std::string &text, unsigned columns)
{
    if (columns < 2)
        return "";
    const std::vector<TCharacter> characters = Characters(text);
    const size_t room = columns - 1;
    const size_t width = std::accumulate(characters.begin(), characters.end(), size_t(0),
                                         [](size_t sum, const TCharacter &c) { return sum + c.Width; });
    std::string fitted;
    if (width <= room) {
        for (const TCharacter &c : characters)
            fitted += c.Text;
        return fitted;
    }
    size_t used = 0;
    for (const TCharacter &c : characters) {
        if (used + c.Width > room - 1)
            break;
        fitted += c.Text;
        used += c.Width;
    }
    return fitted + kCut;
}

TBoardPick PickSockets(const std::vector<TSocketView> &sockets, unsigned rows)
{
    TBoardPick pick;
    std::vector<size_t> order(sockets.size());
    std::iota(order.begin(), order.end(), size_t(0));
    // The row below the board is the cursor's own; a terminal that does not say has room for all.
    const size_t room = rows == 0 ? sockets.size() + 1 : rows >= 2 ? rows - 1 : 1;
    if (sockets.size() + 1 <= room) {
        pick.Shown = order;
        return pick;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return Urgency(sockets[a].State) < Urgency(sockets[b].State); });
    const size_t shown = room >= 3 ? room - 2 : 0;
    pick.Shown.assign(order.begin(), order.begin() + long(shown));
    pick.SummaryRow = room >= 2;
    for (size_t i = shown; i < order.size(); ++i) {
        ++pick.Hidden;
        pick.HiddenFailed += sockets[order[i]].State == TSocketState::ssFailed ? 1 : 0;
        pick.HiddenWorking += sockets[order[i]].State == TSocketState::ssWorking ? 1 : 0;
    }
    return pick;
}

std::vector<std::string> LayOutBoardLines(const std::vector<TBoardLineText> &texts, unsigned columns)
{
    const size_t available = columns >= 2 ? columns - 1 : 0;
    size_t nameWidth = 0;
    size_t serialWidth = 0;
    size_t stateWidth = 0;
    for (const TBoardLineText &text : texts) {
        nameWidth = std::max(nameWidth, DisplayWidth(FitToColumns(text.Name, columns)));
        serialWidth = std::max(serialWidth, DisplayWidth(text.Serial));
        stateWidth = std::max(stateWidth, DisplayWidth(text.Head) + DisplayWidth(text.End));
    }
    const size_t serialColumns = serialWidth > 0 ? serialWidth + kBoardColumnGap : 0;
    // Names give way to the widest state, down to a few columns.
    const size_t fixed = kBoardColumnGap + serialColumns + stateWidth;
    if (nameWidth + fixed > available)
        nameWidth = std::min(nameWidth, std::max(kLeastNameColumns, available > fixed ? available - fixed : 0));
    std::vector<std::string> lines;
    for (const TBoardLineText &text : texts) {
        std::string line = PadRight(FitToColumns(text.Name, unsigned(nameWidth + 1)), nameWidth + kBoardColumnGap);
        if (serialColumns > 0)
            line += PadRight(FitToColumns(text.Serial, unsigned(serialWidth + 1)), serialColumns);
        const size_t used = DisplayWidth(line);
        if (used >= available) {
            lines.push_back(FitToColumns(line, columns));
            continue;
        }
        lines.push_back(line + FitState(FitToColumns(text.Head, columns), FitToColumns(text.Middle, columns),
                                        FitToColumns(text.End, columns), available - used));
    }
    return lines;
}

} // namespace morlith
