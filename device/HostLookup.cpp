// SPDX-License-Identifier: MIT
#include "HostLookup.h"

#include "TcpSocketCalls.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace morlith {

// What the look-up's thread and its waiter share; the last of the two to let go frees it.
struct THostLookup::TShared {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
    bool Abandoned = false; // the waiter went away: the thread frees the result
    addrinfo *Found = nullptr;
    std::string Error;
};

THostLookup::THostLookup(const std::string &host, uint16_t port) : FShared(std::make_shared<TShared>())
{
    std::shared_ptr<TShared> shared = FShared;
    try {
        std::thread([shared, host, port] {
            std::string error;
            addrinfo *found = tcp::Resolve(host, port, error);
            std::lock_guard<std::mutex> lock(shared->Lock);
            if (shared->Abandoned) {
                if (found != nullptr)
                    tcp::FreeResolved(found);
                return;
            }
            shared->Found = found;
            shared->Error = error;
            shared->Finished = true;
            shared->Done.notify_all();
        }).detach();
    } catch (const std::system_error &error) {
        FShared->Error = std::string("cannot start the look-up: ") + error.what();
        FShared->Finished = true;
    }
}

THostLookup::~THostLookup()
{
    std::lock_guard<std::mutex> lock(FShared->Lock);
    if (FShared->Found != nullptr)
        tcp::FreeResolved(FShared->Found);
    FShared->Found = nullptr;
    FShared->Abandoned = true;
}

THostLookup::TOutcome THostLookup::Wait(uint32_t timeoutMs, const std::atomic<bool> *stopFlag,
                                        uint32_t stopCheckMs)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(FShared->Lock);
    for (;;) {
        if (FShared->Finished)
            return FShared->Found != nullptr ? TOutcome::Found : TOutcome::NotFound;
        if (stopFlag != nullptr && stopFlag->load())
            return TOutcome::Stopped;
        const auto now = steady_clock::now();
        if (now >= deadline)
            return TOutcome::TimedOut;
        const auto slice = stopFlag != nullptr ? std::min<steady_clock::duration>(deadline - now, milliseconds(stopCheckMs))
                                               : deadline - now;
        FShared->Done.wait_for(lock, slice);
    }
}

const addrinfo *THostLookup::Addresses() const { return FShared->Found; }

std::string THostLookup::Error() const
{
    std::lock_guard<std::mutex> lock(FShared->Lock);
    return FShared->Error;
}

} // namespace morlith
