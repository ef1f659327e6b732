// SPDX-License-Identifier: MIT
// Waits on Windows: a manual-reset event that a stop request sets and nobody resets.

#include "EventWait.h"

#include "Interruption.h"

#include <atomic>
#include <windows.h>

namespace morlith::cli {
namespace {

std::atomic<HANDLE> gWake{nullptr};

} // namespace

void OpenInterruptWake()
{
    if (!gWake.load())
        gWake.store(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

void NotifyInterruptWake()
{
    if (HANDLE wake = gWake.load())
        SetEvent(wake);
}

bool SleepUnlessInterrupted(int milliseconds)
{
    if (InterruptRequested())
        return false;
    HANDLE wake = gWake.load();
    if (wake)
        WaitForSingleObject(wake, DWORD(milliseconds));
    else
        Sleep(DWORD(milliseconds));
    return !InterruptRequested();
}

bool WaitUnlessInterrupted(const std::vector<int> &, int timeoutMs) { return SleepUnlessInterrupted(timeoutMs); }

} // namespace morlith::cli
