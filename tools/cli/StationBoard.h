// SPDX-License-Identifier: MIT
#pragma once
// The station's dashboard as lines of text: one line per socket (its name, what it is doing, the
// unit's serial) and the counts and yield of the lot below, each line fitted to the terminal.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith::cli {

enum class TSocketState {
    ssWaiting, // no unit in it yet
    ssLeftAlone, // a unit that was there when watching started (taken once it is plugged in again)
    ssWorking,
    ssOk,
    ssFailed,
    ssStopped, // its work was cut short by a stop request
};

// What the dashboard shows of one socket.
struct TSocketView {
    std::string Name;
    TSocketState State = TSocketState::ssWaiting;
    // The step under way or where it ended (1-based) of Steps, and its name ("write-app").
    unsigned Step = 0;
    unsigned Steps = 0;
    std::string StepName;
    // Of the step under way; -1 when it says none.
    int Percent = -1;
    std::optional<uint64_t> Serial;
    // The failure's kind ("no_reply") when failed.
    std::string FailureKind;
    double Seconds = 0;
};

// The units of a lot by result.
struct TLotCounts {
    uint64_t Ok = 0;
    uint64_t Failed = 0;
    uint64_t Stopped = 0;
};

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
