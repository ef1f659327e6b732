#pragma once
// Follows the frames of one session to tell what a module holds when the work stops early: how
// many write sessions ("F") it accepted and how many bytes ("W") it acknowledged since the last.

#include "CommandFrame.h"

#include <cstdint>
#include <string>

namespace morlith::cli {

// What a device command was doing, for the words that describe a stopped one.
enum class TWriteKind {
    wkNone, // connect, read-dseg: nothing is written
    wkDataSegment, // write-dseg
    wkApplication, // write-app: the parameter block, then the application
};

class TModuleWriteLog {
public:
    // Takes one frame of the trace.
    void Record(const TFrameTraceEvent &event);

    // Write sessions the module accepted.
    unsigned AcceptedStarts() const { return FAcceptedStarts; }
    // Bytes the module acknowledged since the last accepted write session.
    uint64_t AcknowledgedBytes() const { return FAcknowledgedBytes; }

    // What the module holds after the work stopped early, in words ("application partly written:
    // 12,300 of 65,000 bytes"); `total` is the length of what was to be written.
    std::string Describe(TWriteKind kind, uint64_t total) const;

private:
    uint32_t FPendingWriteBytes = 0;
    unsigned FAcceptedStarts = 0;
    uint64_t FAcknowledgedBytes = 0;
};

} // namespace morlith::cli
