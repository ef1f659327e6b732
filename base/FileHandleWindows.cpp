// SPDX-License-Identifier: MIT
// Win32 implementation of the file platform layer. Names arrive as UTF-8 and go to the wide API,
// so that any name works whatever the system's code page.

#include "FileHandle.h"
#include "WindowsError.h"
#include "WindowsText.h"

#include <cerrno>
#include <windows.h>

namespace morlith {
namespace {

HANDLE Win32Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

int LastErrno() { return ErrnoOfWindowsError(GetLastError()); }

// Others may read, replace or remove the file meanwhile, as on POSIX.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

bool TFileHandle::OpenForReading(const std::string &path)
{
    (void)Close();
    // Backup semantics let a folder be opened, so that it is refused as "not a regular file".
    const HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Fail(LastErrno());
    FHandle = reinterpret_cast<intptr_t>(handle);
    return true;
}

bool TFileHandle::CreateNew(const std::string &path)
{
    (void)Close();
    const HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Fail(LastErrno());
    FHandle = reinterpret_cast<intptr_t>(handle);
    return true;
}

bool TFileHandle::OpenForAppending(const std::string &path)
{
    (void)Close();
    const HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), FILE_APPEND_DATA | GENERIC_READ, kShareAll, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Fail(LastErrno());
    FHandle = reinterpret_cast<intptr_t>(handle);
    return true;
}

bool TFileHandle::IsRegularFile(uint64_t &size)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (GetFileType(Win32Handle(FHandle)) != FILE_TYPE_DISK)
        return false;
    if (!GetFileInformationByHandle(Win32Handle(FHandle), &info))
        return Fail(LastErrno());
    size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

long TFileHandle::Read(void *data, size_t size)
{
    DWORD got = 0;
    const DWORD ask = size > 0x40000000u ? 0x40000000u : DWORD(size);
    if (!ReadFile(Win32Handle(FHandle), data, ask, &got, nullptr)) {
        // The write end of a pipe went away: that is its end.
        if (GetLastError() == ERROR_BROKEN_PIPE)
            return 0;
        Fail(LastErrno());
        return -1;
    }
    return long(got);
}

bool TFileHandle::WriteAll(const void *data, size_t size)
{
    const char *next = static_cast<const char *>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD ask = size > 0x40000000u ? 0x40000000u : DWORD(size);
        if (!WriteFile(Win32Handle(FHandle), next, ask, &written, nullptr))
            return Fail(LastErrno());
        if (written == 0)
            return Fail(EIO);
        next += written;
        size -= written;
    }
    return true;
}

bool TFileHandle::Sync()
{
    if (FlushFileBuffers(Win32Handle(FHandle)))
        return true;
    // Consoles and pipes cannot be flushed to disk; that is no failure of the data.
    return Fail(GetLastError() == ERROR_INVALID_HANDLE ? EINVAL : LastErrno());
}

bool TFileHandle::TruncateTo(uint64_t size)
{
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(size);
    if (!SetFilePointerEx(Win32Handle(FHandle), end, nullptr, FILE_BEGIN) || !SetEndOfFile(Win32Handle(FHandle)))
        return Fail(LastErrno());
    return true;
}

bool TFileHandle::LockExclusive()
{
    OVERLAPPED whole{};
    return LockFileEx(Win32Handle(FHandle), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != 0 ||
           Fail(LastErrno());
}

bool TFileHandle::TryLockExclusive()
{
    OVERLAPPED whole{};
    if (LockFileEx(Win32Handle(FHandle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                   &whole))
        return true;
    return Fail(GetLastError() == ERROR_LOCK_VIOLATION ? EWOULDBLOCK : LastErrno());
}

int ThisProcessId() { return int(GetCurrentProcessId()); }

bool ProcessHasEnded(int id)
{
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(id));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

void TFileHandle::Unlock()
{
    OVERLAPPED whole{};
    (void)UnlockFileEx(Win32Handle(FHandle), 0, MAXDWORD, MAXDWORD, &whole);
}

long TFileHandle::ReadAt(uint64_t offset, void *data, size_t size)
{
    OVERLAPPED at{};
    at.Offset = DWORD(offset & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    const DWORD ask = size > 0x40000000u ? 0x40000000u : DWORD(size);
    if (!ReadFile(Win32Handle(FHandle), data, ask, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF)
            return 0;
        Fail(LastErrno());
        return -1;
    }
    return long(got);
}

int TFileHandle::LastByte()
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(Win32Handle(FHandle), &size) || size.QuadPart == 0)
        return -1;
    unsigned char last = 0;
    return ReadAt(uint64_t(size.QuadPart - 1), &last, 1) == 1 ? last : -1;
}

bool TFileHandle::TakePermissionsOf(const std::string &)
{
    // A new file inherits its folder's access rules; there are no permission bits to carry over.
    return true;
}

bool TFileHandle::Close()
{
    if (FHandle == kNoHandle)
        return true;
    const BOOL closed = CloseHandle(Win32Handle(FHandle));
    FHandle = kNoHandle;
    return closed || Fail(LastErrno());
}

bool RenameOver(const std::string &from, const std::string &to, int &error)
{
    const std::wstring wideFrom = WideFromUtf8(from);
    const std::wstring wideTo = WideFromUtf8(to);
    // Windows refuses to replace a read-only file, where a rename on Linux replaces it. The
    // attribute is taken off for the move and put on the file that takes its place, as the
    // permissions of a replaced file carry over on Linux; a failed move restores it.
    const DWORD attributes = GetFileAttributesW(wideTo.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                          (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly)
        (void)SetFileAttributesW(wideTo.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    const BOOL moved =
        MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    error = moved ? 0 : LastErrno();
    if (readOnly) {
        const DWORD now = GetFileAttributesW(wideTo.c_str());
        if (now != INVALID_FILE_ATTRIBUTES)
            (void)SetFileAttributesW(wideTo.c_str(), now | FILE_ATTRIBUTE_READONLY);
    }
    return moved;
}

bool PlaceNewFile(const std::string &from, const std::string &to, int &error)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
    const BOOL moved = MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), MOVEFILE_WRITE_THROUGH);
    error = moved ? 0 : LastErrno();
    return moved;
}

int FlushFolder(const std::string &)
{
    // MOVEFILE_WRITE_THROUGH already made the rename durable.
    return 0;
}

int FolderWriteProblem(const std::string &folder)
{
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return LastErrno();
    return 0;
}

} // namespace morlith
