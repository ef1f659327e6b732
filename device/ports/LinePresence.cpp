// SPDX-License-Identifier: MIT
#include "LinePresence.h"

#include "MonotonicClock.h"
#include "PortAddress.h"
#include "TcpSocket.h"

#include <chrono>

namespace morlith {
namespace {

constexpr uint32_t kStopCheckMs = 50;

} // namespace

bool LinePresent(const std::string &address, const std::atomic<bool> *stop)
{
    const auto parsed = ParsePortAddress(address);
    if (!parsed)
        return false;
    TTcpSocket socket;
    if (!socket.Connect(parsed->Host, parsed->Port, kLineConnectMs, stop, kStopCheckMs))
        return false;
    // What the server says is read and dropped: only its closing the connection counts.
    const uint32_t start = TickCountMs();
    for (;;) {
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= kLineHoldMs)
            return true;
        if (stop && stop->load())
            return false;
        const WaitResult waited = socket.Wait(true, std::min(kLineHoldMs - elapsed, kStopCheckMs));
        if (waited == WaitResult::HangUp)
            return false;
        uint8_t dropped[512];
        if (waited == WaitResult::Ready && socket.Receive(dropped, sizeof dropped) < 0)
            return false;
    }
}

struct TLinePoller::TLine {
    std::string Key;
    std::string Address;
    bool Present = false;
    bool Looked = false;
    bool InUse = false;
    bool Dropped = false;
    unsigned Misses = 0;
    // Counts the times the line was taken into use: a look begun before it is void.
    unsigned Generation = 0;
    std::thread Thread;
};

TLinePoller::TLinePoller(std::function<void()> changed) : FChanged(std::move(changed)) {}

TLinePoller::~TLinePoller()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FWake.notify_all();
    for (auto &[key, line] : FLines)
        line->Thread.join();
}

void TLinePoller::Follow(const std::map<std::string, std::string> &addresses)
{
    std::unique_lock<std::mutex> lock(FLock);
    std::vector<std::unique_ptr<TLine>> gone;
    for (auto line = FLines.begin(); line != FLines.end();) {
        const auto wanted = addresses.find(line->first);
        if (wanted != addresses.end() && wanted->second == line->second->Address) {
            ++line;
            continue;
        }
        line->second->Dropped = true;
        gone.push_back(std::move(line->second));
        line = FLines.erase(line);
    }
    std::vector<TLine *> added;
    for (const auto &[key, address] : addresses) {
        if (FLines.count(key))
            continue;
        auto line = std::make_unique<TLine>();
        line->Key = key;
        line->Address = address;
        TLine *polled = line.get();
        added.push_back(polled);
        line->Thread = std::thread([this, polled] { Poll(*polled); });
        FLines[key] = std::move(line);
    }
    FWake.notify_all();
    FWake.wait(lock, [&] {
        for (const TLine *line : added)
            if (!line->Looked && !FStopping)
                return false;
        return true;
    });
    lock.unlock();
    for (auto &line : gone)
        line->Thread.join();
}

void TLinePoller::Poll(TLine &line)
{
    std::unique_lock<std::mutex> lock(FLock);
    while (!FStopping && !line.Dropped) {
        if (!line.InUse) {
            const unsigned generation = line.Generation;
            const std::string address = line.Address;
            lock.unlock();
            const bool present = LinePresent(address, &FStopping);
            lock.lock();
            Take(line, present, generation);
        }
        FWake.wait_for(lock, std::chrono::milliseconds(kLinePollMs), [&] { return FStopping || line.Dropped; });
    }
}

void TLinePoller::Take(TLine &line, bool present, unsigned generation)
{
    if (FStopping || line.Dropped || line.InUse || generation != line.Generation)
        return;
    const bool first = !line.Looked;
    line.Looked = true;
    line.Misses = present ? 0 : line.Misses + 1;
    const bool was = line.Present;
    if (present)
        line.Present = true;
    else if (first || line.Misses >= kLineMissesForGone)
        line.Present = false;
    if (first)
        FWake.notify_all();
    if (was == line.Present)
        return;
    if (!line.Present)
        FDepartures.push_back(line.Key);
    if (FChanged)
        FChanged();
}

void TLinePoller::SetInUse(const std::string &key, bool inUse)
{
    std::lock_guard<std::mutex> lock(FLock);
    const auto line = FLines.find(key);
    if (line == FLines.end())
        return;
    line->second->InUse = inUse;
    line->second->Misses = 0;
    ++line->second->Generation;
}

bool TLinePoller::Present(const std::string &key) const
{
    std::lock_guard<std::mutex> lock(FLock);
    const auto line = FLines.find(key);
    return line != FLines.end() && line->second->Present;
}

std::vector<std::string> TLinePoller::TakeDepartures()
{
    std::lock_guard<std::mutex> lock(FLock);
    std::vector<std::string> departures;
    departures.swap(FDepartures);
    return departures;
}

} // namespace morlith
