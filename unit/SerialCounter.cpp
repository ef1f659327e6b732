// SPDX-License-Identifier: MIT
#include "SerialCounter.h"

#include "DurableText.h"
#include "PathText.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <limits>

namespace morlith {
namespace {

constexpr const char *kStep = "reserving a serial number";
// A counter's text is a number and a line end: anything longer is not a counter.
constexpr size_t kLongestText = 64;
constexpr const char *kSpaces = " \t\r\n";

TFailure Refused(const std::string &path, const std::string &problem)
{
    TFailure failure = MakeFailure(TFailureKind::fkRefusedInput, "the serial counter " + path + " " + problem);
    failure.Path = path;
    return failure.During(kStep);
}

// The file the counter's path leads to, links followed, so that a counter shared through a link
// is replaced where it lives and not the link; empty with `failure` when nothing is there.
std::string ResolvedCounter(const std::string &path, TFailure &failure)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(PathFromUtf8(path), error);
    if (!error)
        return Utf8OfPath(target);
    failure = FileFailure(error.value(), "find", path, kStep);
    if (failure.Kind == TFailureKind::fkNotFound)
        failure.Detail = "the serial counter " + path +
                         " does not exist: write the first serial number into it (for example 1000)";
    return "";
}

// Checks that the counter at `path` (resolved; `named` as the recipe names it) is a regular file
// that may be replaced, before anything is made beside it: a read-only counter is an engineer's
// way to freeze it, and one the system will not let be written (immutable) would fail only after
// the number was handed out. False with `failure`.
bool CounterAccepted(const std::string &path, const std::string &named, TFailure &failure)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(PathFromUtf8(path), error);
    if (error) {
        failure = FileFailure(error.value(), "find", named, kStep);
        return false;
    }
    if (status.type() != fs::file_type::regular) {
        failure = FileFailure(EINVAL, "read", named, kStep);
        failure.Detail = "the serial counter " + named + " is not a regular file";
        return false;
    }
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writable) == fs::perms::none) {
        failure = Refused(named, "is read-only: it is frozen; make it writable to take numbers from it");
        return false;
    }
    // Opening for appending writes nothing, but the system refuses it for a file it will not let
    // be changed.
    TFileHandle file;
    if (!file.OpenForAppending(path)) {
        failure = FileFailure(file.LastError(), "write", named, kStep);
        failure.Detail = "the serial counter " + named + " cannot be written: " + failure.Detail;
        return false;
    }
    return true;
}

// Reads the counter's text; false with `failure`.
bool ReadCounter(const std::string &path, std::string &text, TFailure &failure)
{
    TFileHandle file;
    uint64_t size = 0;
    if (!file.OpenForReading(path)) {
        failure = FileFailure(file.LastError(), "open", path, kStep);
        return false;
    }
    if (!file.IsRegularFile(size)) {
        failure = FileFailure(file.LastError() != 0 ? file.LastError() : EINVAL, "read", path, kStep);
        failure.Detail = "the serial counter " + path + " is not a regular file";
        return false;
    }
    char buffer[kLongestText + 1];
    size_t got = 0;
    for (long n; got < sizeof buffer && (n = file.Read(buffer + got, sizeof buffer - got)) != 0; got += size_t(n))
        if (n < 0) {
            failure = FileFailure(file.LastError(), "read", path, kStep);
            return false;
        }
    if (got > kLongestText) {
        failure = Refused(path, "is longer than a serial number can be");
        return false;
    }
    text.assign(buffer, got);
    return true;
}

// Checks what stands at the lock file `lockPath` before it is opened: nothing yet, or a regular
// file of its own. A link there would have the lock file made or opened wherever it leads (a
// device, another program's file). False with `failure`.
bool LockFileAccepted(const std::string &lockPath, TFailure &failure)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::symlink_status(PathFromUtf8(lockPath), error).type();
    if (type == fs::file_type::not_found || type == fs::file_type::regular)
        return true;
    failure = FileFailure(error ? error.value() : EINVAL, "open the lock file", lockPath, kStep);
    failure.Detail = "the lock file " + lockPath + " of the serial counter is not a regular file";
    return false;
}

} // namespace

bool ParseCounterText(const std::string &text, uint64_t &number, std::string &problem)
{
    const size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string::npos) {
        problem = "is empty";
        return false;
    }
    const std::string digits = text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
    if (digits[0] == '-' && digits.size() > 1 && digits.find_first_not_of("0123456789", 1) == std::string::npos) {
        problem = "holds " + digits + ": a serial number cannot be negative";
        return false;
    }
    if (digits.find_first_not_of("0123456789") != std::string::npos) {
        problem = "holds \"" + digits + "\", not a decimal number";
        return false;
    }
    constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();
    number = 0;
    for (const char digit : digits) {
        const unsigned value = unsigned(digit - '0');
        if (number > (kLargest - value) / 10) {
            problem = "holds " + digits + ", more than 64 bits hold";
            return false;
        }
        number = number * 10 + value;
    }
    if (number == kLargest) {
        problem = "holds " + digits + ": the number after it would not fit in 64 bits";
        return false;
    }
    return true;
}

std::string TSerialCounter::LockPathOf(const std::string &path) { return LockFileOf(path); }

bool TSerialCounter::Reserve(uint64_t &serial, TFailure &failure, uint64_t largest)
{
    return Take(serial, true, largest, failure);
}

bool TSerialCounter::Next(uint64_t &serial, TFailure &failure) { return Take(serial, false, UINT64_MAX, failure); }

bool TSerialCounter::Take(uint64_t &serial, bool reserve, uint64_t largest, TFailure &failure)
{
    const std::string path = ResolvedCounter(FPath, failure);
    if (path.empty() || !CounterAccepted(path, FPath, failure))
        return false;
    // A counter that holds no number is refused before its lock file is made; it is read again
    // under the lock.
    std::string text;
    std::string problem;
    uint64_t next = 0;
    if (!ReadCounter(path, text, failure))
        return false;
    if (!ParseCounterText(text, next, problem)) {
        failure = Refused(FPath, problem);
        return false;
    }
    if (!LockFileAccepted(LockPathOf(path), failure))
        return false;
    // Told once the wait for another program's lock has lasted kLockNoticeMs.
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    const auto stopRequested = [&] {
        if (!told && FWaitNotice && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(kLockNoticeMs)) {
            told = true;
            FWaitNotice("waiting for the serial counter " + FPath + ": another program holds its lock " +
                        LockPathOf(path));
        }
        return FStopRequested && FStopRequested();
    };
    TFileLock lock;
    if (!lock.Take(LockPathOf(path), stopRequested, kLockPollMs, "the serial counter " + FPath, kStep, failure))
        return false;
    if (!ReadCounter(path, text, failure))
        return false;
    if (!ParseCounterText(text, next, problem)) {
        failure = Refused(FPath, problem);
        return false;
    }
    if (next > largest) {
        failure = Refused(FPath, "is at " + std::to_string(next) + ", more than its serial field holds (" +
                                     std::to_string(largest) + ")");
        return false;
    }
    if (reserve && !ReplaceTextDurably(path, std::to_string(next + 1) + "\n", kStep, failure))
        return false;
    serial = next;
    return true;
}

} // namespace morlith
