// SPDX-License-Identifier: MIT
#include "FrameTrace.h"

#include <cctype>
#include <cstdio>

namespace morlith {

const char *VerdictName(TFrameVerdict verdict)
{
    switch (verdict) {
    case TFrameVerdict::fvAccepted: return "ok";
    case TFrameVerdict::fvBadCrc: return "bad-crc";
    case TFrameVerdict::fvUnknownCommand: return "unknown-command";
    case TFrameVerdict::fvBadLength: return "bad-length";
    case TFrameVerdict::fvBadArgument: return "bad-argument";
    case TFrameVerdict::fvNoWriteSession: return "no-session";
    case TFrameVerdict::fvPastEnd: return "past-end";
    case TFrameVerdict::fvNotFitted: return "not-fitted";
    }
    return "?";
}

std::string FormatTraceEntry(const TTraceEntry &entry)
{
    char head[96];
    if (std::isprint(entry.command))
        std::snprintf(head, sizeof head, "#%u %c len=%zu %s", entry.number, entry.command,
                      entry.payload.size(), VerdictName(entry.verdict));
    else
        std::snprintf(head, sizeof head, "#%u 0x%02X len=%zu %s", entry.number, entry.command,
                      entry.payload.size(), VerdictName(entry.verdict));
    std::string line = head;
    if (!entry.payload.empty())
        line += ":";
    for (uint8_t byte : entry.payload) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        line += hex;
    }
    return line;
}

unsigned TFrameTrace::Add(TTraceEntry entry)
{
    unsigned number;
    {
        std::lock_guard<std::mutex> lock(FLock);
        number = unsigned(FEntries.size() + 1);
        entry.number = number;
        FEntries.push_back(std::move(entry));
    }
    FGrown.notify_all();
    return number;
}

std::vector<TTraceEntry> TFrameTrace::Entries() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FEntries;
}

size_t TFrameTrace::Size() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FEntries.size();
}

bool TFrameTrace::WaitForSize(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(FLock);
    return FGrown.wait_for(lock, timeout, [&] { return FEntries.size() >= count; });
}

} // namespace morlith
