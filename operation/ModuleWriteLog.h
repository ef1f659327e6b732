// SPDX-License-Identifier: MIT
#pragma once
// Follows the frames of one session to tell what a module holds when the work stops early: how
// many write sessions ("F") and bytes ("W") it acknowledged, and the frame, if any, that went out
// without a good reply (the module may or may not have acted on it).

#include "CommandFrame.h"

#include <cstdint>
#include <string>

namespace morlith {

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

    // Write sessions ("F") sent, whether answered or not.
    unsigned SentStarts() const { return FSentStarts; }
    // Write sessions the module accepted.
    unsigned AcceptedStarts() const { return FAcceptedStarts; }
    // Bytes the module acknowledged since the last accepted write session.
    uint64_t AcknowledgedBytes() const { return FAcknowledgedBytes; }

    // What the module holds after the work stopped early, in words ("application partly written:
    // 12,300 of 65,000 bytes", or "between 12,300 and 12,350 of 65,000 bytes" when the last chunk
    // went out unanswered); `total` is the length of what was to be written. "Nothing was written"
    // is said only when no frame that changes the module went out.
    std::string Describe(TWriteKind kind, uint64_t total) const;
    // What the module holds after a failed operation, when there is anything to tell: the work was
    // stopped on request, or a write had begun. Empty otherwise.
    std::string DescribeUnfinished(TWriteKind kind, uint64_t total, bool stopped) const;

private:
    std::string Part(uint64_t total) const;

    uint8_t FPendingCommand = 0; // the last request still without a good reply; 0 when none
    uint32_t FPendingBytes = 0;
    unsigned FSentStarts = 0;
    unsigned FSentWrites = 0;
    unsigned FAcceptedStarts = 0;
    uint64_t FAcknowledgedBytes = 0;
};

} // namespace morlith
