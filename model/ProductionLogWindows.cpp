// The production log on Windows: append-only access, a lock over the whole file while a line is
// written, and a flush to the disk.

#include "OperationRecord.h"
#include "ProductionLog.h"
#include "WindowsError.h"

#include <cerrno>
#include <windows.h>

namespace morlith {
namespace {

HANDLE Win32Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

int LastErrno() { return ErrnoOfWindowsError(GetLastError()); }

// Holds the exclusive lock of the whole file while it lives.
class TFileLock {
public:
    explicit TFileLock(HANDLE handle) : FHandle(handle)
    {
        FHeld = LockFileEx(FHandle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &FRange) != 0;
    }
    ~TFileLock()
    {
        if (FHeld)
            UnlockFileEx(FHandle, 0, MAXDWORD, MAXDWORD, &FRange);
    }
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;
    bool Held() const { return FHeld; }

private:
    HANDLE FHandle;
    OVERLAPPED FRange{};
    bool FHeld = false;
};

// True when the file ends without a newline: an earlier writer stopped part-way.
bool EndsMidLine(HANDLE handle)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size) || size.QuadPart == 0)
        return false;
    OVERLAPPED at{};
    at.Offset = DWORD(uint64_t(size.QuadPart - 1) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(uint64_t(size.QuadPart - 1) >> 32);
    char last = '\n';
    DWORD got = 0;
    return ReadFile(handle, &last, 1, &got, &at) && got == 1 && last != '\n';
}

} // namespace

bool TProductionLog::OpenFile(const std::string &path, intptr_t &handle, TFailure &failure)
{
    const std::string step = "opening the production log";
    const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA | GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = ProductionLogFailure(LastErrno(), "open", path, step);
        return false;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        failure = ProductionLogFailure(EINVAL, "use", path, step);
        failure.Detail = path + ": not a regular file";
        return false;
    }
    handle = reinterpret_cast<intptr_t>(file);
    return true;
}

TProductionLog::~TProductionLog() { CloseHandle(Win32Handle(FHandle)); }

bool TProductionLog::Append(const std::string &line, TFailure &failure)
{
    const std::string step = "writing the production log";
    const HANDLE file = Win32Handle(FHandle);
    std::lock_guard<std::mutex> threads(FLock);
    TFileLock processes(file);
    if (!processes.Held()) {
        failure = ProductionLogFailure(LastErrno(), "lock", FPath, step);
        return false;
    }
    // A line left unfinished by an earlier writer is closed first, so this one stands alone.
    const std::string text = (EndsMidLine(file) ? "\n" : "") + line + "\n";
    size_t written = 0;
    while (written < text.size()) {
        DWORD wrote = 0;
        const bool ok = WriteFile(file, text.data() + written, DWORD(text.size() - written), &wrote, nullptr) != 0;
        if (!ok || wrote == 0) {
            failure = ProductionLogFailure(ok ? ENOSPC : LastErrno(), "write to", FPath, step);
            return false;
        }
        written += wrote;
    }
    if (!FlushFileBuffers(file)) {
        failure = ProductionLogFailure(LastErrno(), "flush", FPath, step);
        return false;
    }
    return true;
}

std::string HostName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

} // namespace morlith
