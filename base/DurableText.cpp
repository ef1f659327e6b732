// SPDX-License-Identifier: MIT
#include "DurableText.h"

#include "AtomicFile.h"

namespace morlith {
std::string LockFileOf(const std::string &path) { return path + ".lock"; }

TFileLock::~TFileLock()
{
    if (FHeld)
        FFile.Unlock();
}

bool TakeLock(TFileHandle &file, const std::string &path, const std::function<bool()> &stopRequested, int pollMs,
              const std::string &what, const std::string &step, TFailure &failure)
{
    switch (WaitForLock(file, stopRequested, pollMs)) {
    case TLockWait::lwLocked:
        return true;
    case TLockWait::lwStopped:
        failure = MakeFailure(TFailureKind::fkStopped, "stopped on request while another program held " + what)
                      .During(step);
        failure.Path = path;
        return false;
    case TLockWait::lwFailed:
        break;
    }
    failure = FileFailure(file.LastError(), "lock", path, step);
    return false;
}

bool TFileLock::Take(const std::string &lockPath, const std::function<bool()> &stopRequested, int pollMs,
                     const std::string &what, const std::string &step, TFailure &failure)
{
    if (!FFile.OpenForAppending(lockPath)) {
        failure = FileFailure(FFile.LastError(), "open the lock file", lockPath, step);
        return false;
    }
    FHeld = TakeLock(FFile, lockPath, stopRequested, pollMs, what, step, failure);
    return FHeld;
}

bool ReplaceTextDurably(const std::string &path, const std::string &text, const std::string &step, TFailure &failure)
{
    const TFailure replaced = ReplaceFileAtomically(path, text);
    if (!replaced.Failed())
        return true;
    failure = replaced;
    failure.During(step);
    return false;
}

} // namespace morlith
