// SPDX-License-Identifier: MIT
#pragma once
// The production log: a file of JSON lines, one per module and operation, that several processes
// may append to at once. Each line goes out in one write under an exclusive lock and is flushed
// to the disk before Append returns, so a line is never torn or interleaved with another and a
// crash loses at most the line being written.

#include "Failure.h"
#include "FileHandle.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace morlith {

class TProductionLog {
public:
    // Opens `path` for appending, creating it (and, with `makeFolder`, its folders); null with
    // `failure` (kind and step) when it cannot be opened.
    static std::unique_ptr<TProductionLog> Open(const std::string &path, TFailure &failure, bool makeFolder = false);
    ~TProductionLog() = default;
    TProductionLog(const TProductionLog &) = delete;
    TProductionLog &operator=(const TProductionLog &) = delete;

    // Appends `line` (a JSON object) with "prev", the SHA-256 of the line before it (LogChain.h),
    // and a newline; false with `failure` when the line could not be written and flushed (a line
    // cut short by a full disk is taken back), or when a stop was requested while another
    // process held the lock (kind "stopped"). Safe from several threads.
    bool Append(const std::string &line, TFailure &failure);
    // Asked while the lock is awaited; a stop request ends the wait within kLockPollMs.
    void SetStopCheck(std::function<bool()> stopRequested) { FStopRequested = std::move(stopRequested); }
    // How often a held lock is tried again, in ms.
    static constexpr int kLockPollMs = 20;

    const std::string &Path() const { return FPath; }

private:
    explicit TProductionLog(std::string path) : FPath(std::move(path)) {}
    // Opens (creating) the file for appending; false with `failure`.
    bool OpenFile(TFailure &failure);
    // Waits for the file's lock until it is free or a stop is requested; false with `failure`.
    bool Lock(TFailure &failure);

    std::string FPath;
    TFileHandle FFile;
    std::mutex FLock;
    std::function<bool()> FStopRequested;
};

// Where the GUI logs its operations: $XDG_STATE_HOME/morlith/operations.jsonl (by default
// ~/.local/state/morlith/operations.jsonl) on Linux, %LOCALAPPDATA%\Morlith\operations.jsonl on
// Windows.
std::string OperationsLogPath();

} // namespace morlith
