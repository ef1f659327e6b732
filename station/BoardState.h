// SPDX-License-Identifier: MIT
#pragma once
// What a station's board shows, without the words: each socket's state and the lot's counts. The
// terminal draws it as lines of text; the window can draw the same.

#include <cstdint>
#include <optional>
#include <string>

namespace morlith {

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

} // namespace morlith
