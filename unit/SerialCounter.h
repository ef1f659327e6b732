// SPDX-License-Identifier: MIT
#pragma once
// The serial numbers of the units a station makes: a counter file holding the next number as
// decimal text ("1042\n"), which several processes (several stations on one share) may reserve
// from at once. A number is handed out only once the counter past it is on the disk, so no number
// is ever given twice, whatever crash, kill or power cut comes before or after. A process killed
// between writing the counter and handing the number out loses that number; nothing else does.
//
// The counter is replaced whole (a temporary file beside it, synced, renamed over it, the folder
// synced), so it always holds either the old number or the new one, never a torn or empty text.
// Because the rename gives the counter a new file, the lock lives in a file of its own beside it,
// "<counter>.lock", which is never replaced.

#include "Failure.h"

#include <cstdint>
#include <functional>
#include <string>

namespace morlith {

class TSerialCounter {
public:
    // The counter at `path`; nothing is read before Reserve or Next.
    explicit TSerialCounter(std::string path) : FPath(std::move(path)) {}

    // Reserves the next number: under the counter's lock reads n, writes n + 1 durably and only
    // then gives n. False with `failure`: not_found (no counter: the first number is the
    // engineer's to write), refused_input (not a decimal number, negative, too long, the last
    // number 64 bits hold, or read-only: frozen), permission (a file the system will not let be
    // written), file (not a regular file), or stopped (a stop was asked while another process
    // held the lock). A failure leaves the counter as it was.
    // A number above `largest` (the most its field holds) is refused (refused_input) and the
    // counter left as it was, so that no unit burns a number it cannot use.
    bool Reserve(uint64_t &serial, TFailure &failure, uint64_t largest = UINT64_MAX);
    // The number the next Reserve would give, read under the lock, reserving nothing; false with
    // `failure` as Reserve.
    bool Next(uint64_t &serial, TFailure &failure);
    // Asked while the lock is awaited; a stop request ends the wait within kLockPollMs.
    void SetStopCheck(std::function<bool()> stopRequested) { FStopRequested = std::move(stopRequested); }
    // Told, once, what the counter waits for when another program has held its lock for
    // kLockNoticeMs.
    void SetWaitNotice(std::function<void(const std::string &What)> notice) { FWaitNotice = std::move(notice); }
    // How often a held lock is tried again, in ms.
    static constexpr int kLockPollMs = 20;
    static constexpr int kLockNoticeMs = 1000;

    const std::string &Path() const { return FPath; }
    // The lock file of the counter at `path` (links followed): "<counter>.lock".
    static std::string LockPathOf(const std::string &path);

private:
    // Reads (and with `reserve` advances) the counter; the work of Reserve and Next.
    bool Take(uint64_t &serial, bool reserve, uint64_t largest, TFailure &failure);

    std::string FPath;
    std::function<bool()> FStopRequested;
    std::function<void(const std::string &)> FWaitNotice;
};

// The number a counter's text holds: decimal digits, with spaces and line ends around them.
// False with `problem` in words ("not a decimal number", "negative", ...) otherwise.
bool ParseCounterText(const std::string &text, uint64_t &number, std::string &problem);

} // namespace morlith
