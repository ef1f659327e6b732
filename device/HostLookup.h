// SPDX-License-Identifier: MIT
#pragma once
// THostLookup: the addresses of HOST:PORT, looked up on a thread of its own, so that a name
// service that never answers holds nobody. Waiting for the answer ends at its time limit or soon
// after a stop request; a look-up given up on finishes in the background and frees what it found.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

struct addrinfo;

namespace morlith {

class THostLookup {
public:
    enum class TOutcome { Found, NotFound, TimedOut, Stopped };

    // Starts looking up host:port.
    THostLookup(const std::string &host, uint16_t port);
    ~THostLookup();
    THostLookup(const THostLookup &) = delete;
    THostLookup &operator=(const THostLookup &) = delete;

    // Waits for the answer at most `timeoutMs`, looking at *stopFlag (if given) every
    // `stopCheckMs`. The wait sleeps; it never polls the look-up.
    TOutcome Wait(uint32_t timeoutMs, const std::atomic<bool> *stopFlag, uint32_t stopCheckMs);
    // The addresses found (Found), in the order to try them; owned by the look-up.
    const addrinfo *Addresses() const;
    // Why nothing was found (NotFound).
    std::string Error() const;

private:
    struct TShared;
    std::shared_ptr<TShared> FShared;
};

} // namespace morlith
