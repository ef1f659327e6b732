// SPDX-License-Identifier: MIT
#pragma once
// The platform layer under whole-file reads and writes: one open file and the few file-system
// operations the engine and the command-line tool need beyond the C++ library (exclusive
// creation, syncing, replacing a file in one step). Failures leave the operating system's
// error as an errno value, so that callers report them the same way on every platform.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace morlith {

class TFileHandle {
public:
    TFileHandle() = default;
    // Closes the file if it is still open.
    ~TFileHandle();
    TFileHandle(const TFileHandle &) = delete;
    TFileHandle &operator=(const TFileHandle &) = delete;

    // Opens an existing file (or folder) for reading. Never blocks on a pipe or a device.
    bool OpenForReading(const std::string &path);
    // Creates a new, empty file for writing; fails with EEXIST when anything stands at `path`.
    // Its permissions are the user's default for new files.
    bool CreateNew(const std::string &path);
    // Creates a new file named `prefix`, this process's id, "-" and six random letters in `folder`;
    // its path goes to `path`. Such files that a process which has ended left in `folder` (a
    // killed run) are removed first, once per folder and process.
    bool CreateTemporary(const std::string &folder, const std::string &prefix, std::string &path);
    // Opens `path` for appending, creating it when missing (with the user's default permissions):
    // every write lands at the end of the file, whoever else writes to it. Read access is taken
    // where it is allowed, for LastByte. Never blocks on a pipe or a device.
    bool OpenForAppending(const std::string &path);
    bool IsOpen() const { return FHandle != kNoHandle; }

    // True when what is open is a regular file (not a folder, device or pipe); its size in bytes.
    bool IsRegularFile(uint64_t &size);
    // Reads up to `size` bytes; the count, 0 at the end, -1 on failure.
    long Read(void *data, size_t size);
    // Reads up to `size` bytes from `offset`, leaving the file position as it was (an appending
    // file reads what it holds); the count, 0 at the end, -1 on failure.
    long ReadAt(uint64_t offset, void *data, size_t size);
    // Writes all `size` bytes; false on failure.
    bool WriteAll(const void *data, size_t size);
    // Makes the written bytes durable; false on failure (EINVAL: the file cannot be synced).
    bool Sync();
    // Cuts the file back to `size` bytes; false on failure.
    bool TruncateTo(uint64_t size);
    // Waits for an exclusive lock on the whole file, which other processes respect too.
    bool LockExclusive();
    // Takes the lock if no one holds it; false (EWOULDBLOCK) when someone does.
    bool TryLockExclusive();
    // Releases the lock LockExclusive took.
    void Unlock();
    // The file's last byte; -1 when it is empty or cannot be read.
    int LastByte();
    // Gives the file the permission bits of the regular file at `path`, if one is there and the
    // platform has such bits: never setuid, setgid or sticky bits, never a link target's mode.
    // False only when the bits could not be set.
    bool TakePermissionsOf(const std::string &path);
    // Closes the file now; false when closing reported an error (a delayed write error).
    bool Close();

    // The errno value of the last failure.
    int LastError() const { return FError; }

private:
    bool Fail(int err);

    static constexpr intptr_t kNoHandle = -1;
    intptr_t FHandle = kNoHandle;
    int FError = 0;
};

// How WaitForLock ended.
enum class TLockWait { lwLocked, lwStopped, lwFailed };
// Takes the exclusive lock of `file`, trying again every `pollMs` while another process holds it,
// until it is free or `stopRequested` (when set) asks to stop. lwFailed leaves the error in
// file.LastError().
TLockWait WaitForLock(TFileHandle &file, const std::function<bool()> &stopRequested, int pollMs);

// Replaces whatever stands at `to` by the file `from` in one step; errno value in `error`.
bool RenameOver(const std::string &from, const std::string &to, int &error);
// Moves the file `from` to `to` unless something stands at `to` (then EEXIST), without a moment
// in which a file made at `to` meanwhile could be replaced.
bool PlaceNewFile(const std::string &from, const std::string &to, int &error);
// Makes a rename in `folder` durable where the file system needs that; nothing elsewhere. The
// errno value of a failure; 0 also for a file system whose folders cannot be flushed.
int FlushFolder(const std::string &folder);
// This process's id, and whether the process `id` has ended (false when it runs or cannot be told).
int ThisProcessId();
bool ProcessHasEnded(int id);
// Removes the temporary files in `folder` whose process has ended: those of CreateTemporary and
// any other named ".morlith…-<process id>-<six letters>". Once per folder and process.
void RemoveAbandonedTemporaries(const std::string &folder);

// Errno value for why no new file can be made in the existing folder `folder`; 0 when one can.
int FolderWriteProblem(const std::string &folder);
// Removes the file `path` if it is there; false when it stays.
bool RemoveFile(const std::string &path);

} // namespace morlith
