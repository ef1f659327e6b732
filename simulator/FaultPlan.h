// SPDX-License-Identifier: MIT
#pragma once
// The ways a virtual module can misbehave on request. Frames are numbered from 1 in the order the
// module received them, whatever their verdict (the numbers of the frame trace).

#include <cstdint>
#include <set>
#include <vector>

namespace morlith {

// Junk bytes sent ahead of a reply by the noise fault.
constexpr uint8_t kNoiseBytes[] = {0xA5, 0x5A, 0x00, 0xFF};
// Junk bytes sent straight after a reply by the trailing fault.
constexpr uint8_t kTrailingBytes[] = {0x0D, 0x0A, 0x3E};
// Longest gap between the bytes of a trickling reply, in ms: under the host's 1000 ms limit.
constexpr unsigned kMaxTrickleDelayMs = 999;

// Which frames get which fault.
struct TFaultPlan {
    // Frames that are acted on but not answered (the reply is lost).
    std::set<unsigned> noReplyFrames;
    // Frames whose reply carries a wrong CRC (its low byte inverted).
    std::set<unsigned> badCrcFrames;
    // Frames whose reply is preceded by kNoiseBytes.
    std::set<unsigned> noiseFrames;
    // Frames whose reply is followed by kTrailingBytes.
    std::set<unsigned> trailingFrames;
    // Never answer anything (frames are still received and traced).
    bool silent = false;
    // Answer this many frames, then hang up as soon as another byte arrives; 0 = never.
    unsigned hangUpAfterFrames = 0;
    // Gap between the bytes of every reply in ms (0 = none); at most kMaxTrickleDelayMs.
    unsigned trickleDelayMs = 0;

    // What goes on the wire for `reply` to frame `number`: nothing, or the reply as the faults
    // shape it.
    std::vector<uint8_t> Shape(unsigned number, const std::vector<uint8_t> &reply) const;

    // True when the module must hang up at a byte that arrives after `framesReceived` frames.
    bool HangsUpAfter(unsigned framesReceived) const
    {
        return hangUpAfterFrames > 0 && framesReceived >= hangUpAfterFrames;
    }
};

} // namespace morlith
