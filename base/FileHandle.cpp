// SPDX-License-Identifier: MIT
#include "FileHandle.h"

#include "PathText.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace morlith {
namespace {
// Every temporary file's name starts so.
constexpr const char *kTemporaryMark = ".morlith";
} // namespace

TFileHandle::~TFileHandle() { (void)Close(); }

bool TFileHandle::Fail(int err)
{
    FError = err;
    return false;
}

bool TFileHandle::CreateTemporary(const std::string &folder, const std::string &prefix, std::string &path)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    RemoveAbandonedTemporaries(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + "/" + prefix + std::to_string(ThisProcessId()) + "-";
        for (int i = 0; i < 6; ++i)
            path += kLetters[random() % (sizeof kLetters - 1)];
        if (CreateNew(path) || FError != EEXIST)
            return IsOpen();
    }
    return false;
}

void RemoveAbandonedTemporaries(const std::string &folder)
{
    static std::mutex guard;
    static std::set<std::string> cleaned;
    {
        std::lock_guard<std::mutex> once(guard);
        if (!cleaned.insert(folder).second)
            return;
    }
    // Names as CreateTemporary makes them: ".morlith" ... "-" <process id> "-" <six letters>.
    std::error_code error;
    for (std::filesystem::directory_iterator entry(PathFromUtf8(folder), error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = Utf8OfPath(entry->path().filename());
        const size_t last = name.rfind('-');
        if (name.rfind(kTemporaryMark, 0) != 0 || last == std::string::npos || name.size() - last != 7)
            continue;
        const size_t before = name.rfind('-', last - 1);
        const std::string id = name.substr(before + 1, last - before - 1);
        if (before == std::string::npos || id.empty() || id.size() > 9 ||
            id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code ignored;
        if (ProcessHasEnded(std::stoi(id)) && std::filesystem::is_regular_file(entry->symlink_status(ignored)))
            std::filesystem::remove(entry->path(), ignored);
    }
}

TLockWait WaitForLock(TFileHandle &file, const std::function<bool()> &stopRequested, int pollMs)
{
    while (!file.TryLockExclusive()) {
        if (file.LastError() != EWOULDBLOCK)
            return TLockWait::lwFailed;
        if (stopRequested && stopRequested())
            return TLockWait::lwStopped;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    return TLockWait::lwLocked;
}

bool RemoveFile(const std::string &path)
{
    std::error_code error;
    return std::filesystem::remove(PathFromUtf8(path), error) || !error;
}

} // namespace morlith
