// SPDX-License-Identifier: MIT
#pragma once
// The counts of a lot that outlast a run of the station: one line per lot in a small file of the
// user's state folder ("12 1 0 L-17": ok, failed, stopped, the lot), updated under a lock and
// replaced whole, so that a restart, a crash or a second station on the machine neither loses
// nor doubles a count. Without a lot the counts are those of the run alone and kept nowhere.

#include "Failure.h"
#include "BoardState.h"

#include <functional>
#include <string>

namespace morlith {

class TLotTally {
public:
    // The counts of `lot` kept in the file `path`; "" for either keeps them in memory only.
    TLotTally(std::string lot, std::string path);

    // Asked while waiting for another station's lock; true ends the wait with a "stopped" failure.
    void SetStopCheck(std::function<bool()> stopRequested) { FStopRequested = std::move(stopRequested); }
    // Reads the lot's counts so far (none when the file is missing or unreadable).
    void Load();
    // Counts one unit that ended in `result` (ok, failed or stopped); false with `failure` when
    // the file could not be updated (the count is still made in memory).
    bool Add(TSocketState result, TFailure &failure);

    const std::string &Lot() const { return FLot; }
    const TLotCounts &Counts() const { return FCounts; }

private:
    std::string FLot;
    std::string FPath;
    TLotCounts FCounts;
    std::function<bool()> FStopRequested = [] { return false; };
};

// Where the station keeps its lots' counts: the user's state folder, "station-lots.txt".
std::string LotTallyPath();

} // namespace morlith
