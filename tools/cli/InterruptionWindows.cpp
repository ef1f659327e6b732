// SPDX-License-Identifier: MIT
// Stop requests on Windows: Ctrl-C, Ctrl-Break, closing the console window, logoff and shutdown.
// The system calls the handler on a thread of its own, so no thread ever needs to keep it out.

#include "Interruption.h"
#include "InterruptionWindows.h"

#include "EventWait.h"
#include "WindowsText.h"

#include <atomic>
#include <windows.h>

namespace morlith::cli {
namespace {

std::atomic<bool> gAskedOnce{false};
// Set once the tool has finished its work and its records.
std::atomic<HANDLE> gWorkFinished{nullptr};

void Delete(const char *path) { DeleteFileW(WideFromUtf8(path).c_str()); }

bool EndsTheSession(DWORD event)
{
    return event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

} // namespace

int OnConsoleEvent(unsigned long event)
{
    if (EndsTheSession(event)) {
        // The process ends when this returns: stop the work, then hold the end until the tool has
        // written its records and removed its files, within the few seconds Windows grants.
        RequestInterrupt();
        if (HANDLE finished = gWorkFinished.load())
            WaitForSingleObject(finished, kSessionEndGraceMs);
        return TRUE;
    }
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (!gAskedOnce.exchange(true)) {
        RequestInterrupt();
        return TRUE;
    }
    // A second request gets the default action, ending the tool, once the temporary files it
    // made are gone.
    ForEachTemporaryFile(Delete);
    return FALSE;
}

namespace {

BOOL WINAPI ConsoleEventHandler(DWORD event) { return OnConsoleEvent(event); }

} // namespace

void InstallInterruptHandlers()
{
    OpenInterruptWake();
    if (!gWorkFinished.load())
        gWorkFinished.store(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SetConsoleCtrlHandler(ConsoleEventHandler, TRUE);
}

void NoteWorkFinished()
{
    if (HANDLE finished = gWorkFinished.load())
        SetEvent(finished);
}

TInterruptBlock::TInterruptBlock() = default;

TInterruptBlock::~TInterruptBlock() = default;

} // namespace morlith::cli
