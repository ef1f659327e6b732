// SPDX-License-Identifier: MIT
#include "DurableText.h"

#include "PathText.h"

namespace morlith {
namespace {

// Prefix of the temporary files; the file platform layer removes those of ended processes.
constexpr const char *kTemporaryPrefix = ".morlith-state-";

} // namespace

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
    const std::string folder = Utf8OfPath(PathFromUtf8(path).parent_path());
    const std::string place = folder.empty() ? "." : folder;
    TFileHandle file;
    std::string temporary;
    if (!file.CreateTemporary(place, kTemporaryPrefix, temporary)) {
        failure = FileFailure(file.LastError(), "create a file in", place, step);
        return false;
    }
    file.TakePermissionsOf(path);
    const bool written = file.WriteAll(text.data(), text.size()) && file.Sync() && file.Close();
    int error = file.LastError();
    if (!written || !RenameOver(temporary, path, error)) {
        (void)file.Close();
        (void)RemoveFile(temporary);
        failure = FileFailure(error, written ? "replace" : "write", written ? path : temporary, step);
        return false;
    }
    // Until the folder holds the new name on the disk, a power cut could bring the old text back.
    error = FlushFolder(place);
    if (error != 0) {
        failure = FileFailure(error, "sync the folder of", path, step);
        return false;
    }
    return true;
}

} // namespace morlith
