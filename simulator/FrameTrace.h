// SPDX-License-Identifier: MIT
#pragma once
// The record of every request frame the module received, for tests and the --trace output.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace morlith {

// How the module judged a request frame.
enum class TFrameVerdict {
    fvAccepted,       // understood and acted on
    fvBadCrc,         // its CRC does not hold
    fvUnknownCommand, // no such command byte
    fvBadLength,      // the payload length does not suit the command
    fvBadArgument,    // a controller index over 4, a mode over 2, a handshake pattern that differs
    fvNoWriteSession, // a "W" with no "F" before it in the session
    fvPastEnd,        // a data-segment "W" that runs past the end of the segment
    fvNotFitted,      // an "I" selecting a slave the module does not have
};

// One received request frame. `number` counts frames from 1.
struct TTraceEntry {
    unsigned number = 0;
    uint8_t command = 0;
    std::vector<uint8_t> payload;
    bool crcOk = false;
    TFrameVerdict verdict = TFrameVerdict::fvAccepted;
};

// The verdict as a short word: "ok", "bad-crc", "unknown-command", "bad-length", "bad-argument",
// "no-session", "past-end".
const char *VerdictName(TFrameVerdict verdict);

// One line: number, command letter (or hex byte), payload length, verdict, payload in hex.
std::string FormatTraceEntry(const TTraceEntry &entry);

// Thread-safe list of trace entries; readers may wait for a number of frames to arrive.
class TFrameTrace {
public:
    // Appends an entry, numbering it, and wakes waiters; returns the number given.
    unsigned Add(TTraceEntry entry);

    // A copy of every entry so far.
    std::vector<TTraceEntry> Entries() const;

    // How many frames were received so far.
    size_t Size() const;

    // Waits until at least `count` frames were received or `timeout` passed; true if they were.
    bool WaitForSize(size_t count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex FLock;
    mutable std::condition_variable FGrown;
    std::vector<TTraceEntry> FEntries;
};

} // namespace morlith
