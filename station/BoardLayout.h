// SPDX-License-Identifier: MIT
#pragma once
// How a board of text lines is laid out on a terminal of a given size: which sockets get a line
// when there are more sockets than rows (failing ones first, then those at work, so that no
// failure is ever out of sight), the columns of names and serials by display width, and what
// gives way when a line is too long (a step's name and files first, then the socket's name, the
// state and its percentage last). The front end supplies the words.

#include "BoardState.h"

#include <string>
#include <vector>

namespace morlith {

// One socket's line in words, in the pieces that give way in turn.
struct TBoardLineText {
    std::string Name;
    std::string Serial; // "" when the unit has none
    // What the socket is doing or how it ended ("failed: hangup at step 2 of 4"): kept whole
    // while anything else can give way.
    std::string Head;
    // What the step works on (": write-app main.xml, controller 3"): cut first.
    std::string Middle;
    // Kept with the head, after the middle (" 45%").
    std::string End;
};

// The sockets a board shows and what it leaves out.
struct TBoardPick {
    // Indexes into the sockets, in the order they are drawn.
    std::vector<size_t> Shown;
    // The sockets left out, and of them how many failed and how many are at work.
    size_t Hidden = 0;
    size_t HiddenFailed = 0;
    size_t HiddenWorking = 0;
    // True when a row is left to say what was left out.
    bool SummaryRow = false;
};

// The gap between two columns of a board line.
constexpr size_t kBoardColumnGap = 2;

// Picks the sockets (in reading order) for a board `rows` high (0: as high as needed) whose last
// line holds the lot's counts and below which the cursor keeps a row of its own. When all fit
// they keep reading order; otherwise failed sockets come first, then those at work, then those
// stopped, then the rest, each in reading order, and one row sums up those left out.
TBoardPick PickSockets(const std::vector<TSocketView> &sockets, unsigned rows);

// The lines of `texts` for a terminal `columns` wide: names and serials in columns, every line
// narrower than `columns` so that the terminal never wraps one.
std::vector<std::string> LayOutBoardLines(const std::vector<TBoardLineText> &texts, unsigned columns);

// `text` cut to fewer than `columns` display columns at a character's boundary ("…" marking the
// cut), with control characters, direction overrides and bytes that are not UTF-8 shown as "?",
// so that no name can move the cursor, reorder a line or leave half a character.
std::string FitToColumns(const std::string &text, unsigned columns);

} // namespace morlith
