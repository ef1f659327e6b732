// SPDX-License-Identifier: MIT
#pragma once
// Small state files that several processes share (a serial counter, a station's counts): an
// exclusive lock held in a lock file of its own beside the state, and the state replaced whole so
// that a kill or a power cut leaves either the old text or the new one, never a torn or empty one.

#include "Failure.h"
#include "FileHandle.h"

#include <functional>
#include <string>

namespace morlith {

// The lock file of the state file `path`: "<path>.lock". It is never replaced, so the lock stays
// on one file while the state beside it is renamed over.
std::string LockFileOf(const std::string &path);

// Takes the exclusive lock of the open file `file` (at `path`), as TFileLock::Take does. False
// with `failure`.
bool TakeLock(TFileHandle &file, const std::string &path, const std::function<bool()> &stopRequested, int pollMs,
              const std::string &what, const std::string &step, TFailure &failure);

// An exclusive lock on a lock file, which other processes respect too; released when destroyed.
class TFileLock {
public:
    TFileLock() = default;
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // Opens (creating) `lockPath` and takes its lock, trying again every `pollMs` while another
    // process holds it. False with `failure` (during `step`): the file cannot be opened or locked,
    // or `stopRequested` asked to stop (kind stopped; `what` names what the other process held).
    bool Take(const std::string &lockPath, const std::function<bool()> &stopRequested, int pollMs,
              const std::string &what, const std::string &step, TFailure &failure);

private:
    TFileHandle FFile;
    bool FHeld = false;
};

// Replaces the file `path` by `text`: written to a temporary file beside it, synced, given the
// file's permissions, renamed over it, and the folder synced, so that the new text is on the disk
// when this returns true. False with `failure` (during `step`); the file is then as it was and no
// temporary file stays.
bool ReplaceTextDurably(const std::string &path, const std::string &text, const std::string &step, TFailure &failure);

} // namespace morlith
