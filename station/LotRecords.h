// SPDX-License-Identifier: MIT
#pragma once
// The counts of a lot as the production log's records give them: the records of the lot that the
// log holds when the station starts, then every record appended after, this station's and those
// of any other process writing to the same log. So the board and `log --summary` count the same
// units, whichever command wrote them. Without a log or without a lot there are no records to
// count from: the counts are those of the run alone.

#include "BoardState.h"
#include "Failure.h"

#include <cstdint>
#include <string>

namespace morlith {

class TLotRecords {
public:
    // The lot `lot` in the production log at `logPath` ("" for either: this run's units only).
    TLotRecords(std::string lot, std::string logPath);

    // Counts the records appended since the last read (a missing log holds none); false with
    // `failure` when the log cannot be read.
    bool Read(TFailure &failure);
    // A unit of this run ended in `result`: counted as it stands without records, else through
    // its record (Read).
    bool Ended(TSocketState result, TFailure &failure);

    const std::string &Lot() const { return FLot; }
    const TLotCounts &Counts() const { return FCounts; }

private:
    bool FromRecords() const { return !FLot.empty() && !FPath.empty(); }
    void Count(const std::string &line);

    std::string FLot;
    std::string FPath;
    // The lot's name stands in its records as it is.
    bool FPlainLot;
    // How far the log has been read: the end of its last whole line.
    uint64_t FRead = 0;
    TLotCounts FCounts;
};

// How a unit ended by its record: ok, stopped (a failure of kind "stopped") or failed.
TSocketState RecordResult(const std::string &result, const std::string &failureKind);

} // namespace morlith
