// Stop requests on Windows: Ctrl-C, Ctrl-Break and closing the console window. The system calls
// the handler on a thread of its own, so no thread ever needs to keep it out.

#include "Interruption.h"

#include "EventWait.h"
#include "WindowsText.h"

#include <atomic>
#include <windows.h>

namespace morlith::cli {
namespace {

std::atomic<bool> gAskedOnce{false};

void Delete(const char *path) { DeleteFileW(WideFromUtf8(path).c_str()); }

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
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

} // namespace

void InstallInterruptHandlers()
{
    OpenInterruptWake();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

TInterruptBlock::TInterruptBlock() = default;

TInterruptBlock::~TInterruptBlock() = default;

} // namespace morlith::cli
