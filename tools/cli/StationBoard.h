// SPDX-License-Identifier: MIT
#pragma once
// The station's dashboard as lines of text: one line per socket (its name, the unit's serial,
// what it is doing) and the counts and yield of the lot below, laid out for the terminal by the
// board's layout rules, in colour when asked.

#include "BoardLayout.h"
#include "BoardState.h"

#include <string>
#include <vector>

namespace morlith::cli {

// A socket's line in words: "step 2 of 5: write-app 45%", "ok in 3.2 s",
// "failed: no_reply at step 2 of 5: write-app"...
TBoardLineText SocketLineText(const TSocketView &socket);

// "lot L-17: 12 units, 11 ok, 1 failed, yield 91.7 %"; `lot` empty: "this run: ...".
std::string LotCountsText(const std::string &lot, const TLotCounts &counts);

// The board for a terminal `columns` wide and `rows` high (0: as high as needed): a line per
// socket shown, one that sums up those left out, and the counts last; with `colour`, each
// socket's line (and a summed-up failure) in its state's colour.
std::vector<std::string> BoardLines(const std::vector<TSocketView> &sockets, const std::string &lot,
                                    const TLotCounts &counts, unsigned columns, unsigned rows, bool colour);

} // namespace morlith::cli
