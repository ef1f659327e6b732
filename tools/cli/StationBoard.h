// SPDX-License-Identifier: MIT
#pragma once
// The station's dashboard as lines of text: one line per socket (its name, what it is doing, the
// unit's serial) and the counts and yield of the lot below, each line fitted to the terminal.

#include "BoardState.h"

#include <string>
#include <vector>

namespace morlith::cli {

// "step 2 of 5: write-app 45%", "ok in 3.2 s", "failed: no_reply at step 2 of 5 (write-app)"...
std::string SocketStateText(const TSocketView &socket);

// "lot L-17: 12 units, 11 ok, 1 failed, yield 91.7 %"; `lot` empty: "this run: ...".
std::string LotCountsText(const std::string &lot, const TLotCounts &counts);

// The board for a terminal `columns` wide and `rows` high (0: as high as needed): a line per
// socket, names and serials in columns, and the counts last. Sockets beyond what the rows hold
// are summed up in one line. No line reaches the last column, so that the terminal never wraps
// one.
std::vector<std::string> BoardLines(const std::vector<TSocketView> &sockets, const std::string &lot,
                                    const TLotCounts &counts, unsigned columns, unsigned rows);

// `text` cut to fewer than `columns` columns at a character's boundary ("…" marking the cut),
// with control characters and bytes that are not UTF-8 shown as "?", so that no name can move the
// cursor or leave half a character.
std::string FitToColumns(const std::string &text, unsigned columns);

} // namespace morlith::cli
