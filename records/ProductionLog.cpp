// SPDX-License-Identifier: MIT
#include "ProductionLog.h"

#include "DurableText.h"
#include "LogChain.h"
#include "PathText.h"
#include "UserPlaces.h"
#include "XdgDirectories.h"

#include <cerrno>
#include <filesystem>

namespace morlith {

std::unique_ptr<TProductionLog> TProductionLog::Open(const std::string &path, TFailure &failure, bool makeFolder)
{
    if (makeFolder) {
        std::error_code error;
        const auto folder = PathFromUtf8(path).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder, error);
        if (error) {
            failure = FileFailure(error.value(), "create the folder of", path, "opening the production log");
            return nullptr;
        }
    }
    std::unique_ptr<TProductionLog> log(new TProductionLog(path));
    if (!log->OpenFile(failure))
        return nullptr;
    return log;
}

bool TProductionLog::OpenFile(TFailure &failure)
{
    const std::string step = "opening the production log";
    std::error_code error;
    const bool existed = std::filesystem::exists(std::filesystem::symlink_status(PathFromUtf8(FPath), error));
    if (!FFile.OpenForAppending(FPath)) {
        failure = FileFailure(FFile.LastError(), "open", FPath, step);
        return false;
    }
    uint64_t size = 0;
    if (!FFile.IsRegularFile(size)) {
        failure = FileFailure(EINVAL, "use", FPath, step);
        failure.Detail = FPath + ": not a regular file";
        return false;
    }
    // The name of a file just made must survive a crash too.
    if (!existed) {
        const std::string folder = Utf8OfPath(PathFromUtf8(FPath).parent_path());
        (void)FlushFolder(folder.empty() ? "." : folder);
    }
    return true;
}

bool TProductionLog::Lock(TFailure &failure)
{
    return TakeLock(FFile, FPath, FStopRequested, kLockPollMs, "the lock of " + FPath, "writing the production log",
                    failure);
}

bool TProductionLog::Append(const std::string &line, TFailure &failure)
{
    const std::string step = "writing the production log";
    std::lock_guard<std::mutex> threads(FLock);
    if (!Lock(failure))
        return false;
    uint64_t size = 0;
    const bool sized = FFile.IsRegularFile(size);
    // The record names the line before it, whoever wrote that; a file's first line starts a chain.
    // A log this process may append to but not read gets its record all the same, unchained
    // (the chain's check then names it): a record is never given up for its chain.
    std::string previousHash;
    if (sized && !LastLineHash(FFile, size, previousHash))
        previousHash.clear();
    // A line left unfinished by an earlier writer (a crash) is closed first, so that this one
    // stands alone.
    const int last = FFile.LastByte();
    const std::string text = (last >= 0 && last != '\n' ? "\n" : "") + ChainedLine(line, previousHash) + "\n";
    const bool written = FFile.WriteAll(text.data(), text.size());
    const int error = FFile.LastError();
    // A line cut short (a full disk) is taken back: the log never holds half a record.
    if (!written && sized)
        (void)FFile.TruncateTo(size);
    const bool synced = written && FFile.Sync();
    const int syncError = FFile.LastError();
    FFile.Unlock();
    if (!synced) {
        failure = FileFailure(written ? syncError : error, written ? "flush" : "write to", FPath, step);
        return false;
    }
    return true;
}

std::string OperationsLogPath()
{
    return UserStateFile("operations.jsonl");
}

} // namespace morlith
