// SPDX-License-Identifier: MIT
#pragma once
// The files of `watch read-dseg`: one per module, never a name given before in the run, never the
// production log, and with {n} going on after the highest number that the files already there or
// the log's records hold, so that no module's data lands on another's.

#include "PortChoice.h"

#include <set>
#include <string>

namespace morlith {

// In a read-dseg file name under watch: the module's number in this run (1, 2, ...) and the time
// its work started (UTC, "20261207T103638Z").
inline constexpr const char *kNumberPlaceholder = "{n}";
inline constexpr const char *kTimePlaceholder = "{time}";

class TStationFileNames {
public:
    // Names from `pattern` ({n}, {time}, {port}); `logPath` is the production log ("" for none).
    TStationFileNames(std::string pattern, std::string logPath);

    // The file for the next module, on `port`.
    std::string Next(const TPortChoice &port);

private:
    bool Taken(const std::string &name) const;

    std::string FPattern;
    std::string FLogPath;
    unsigned FNumber = 0;
    std::set<std::string> FGiven;
};

// The time for {time}: UTC to the millisecond, compact enough for a file name
// ("20261207T103638.123Z").
std::string FileTime();

} // namespace morlith
