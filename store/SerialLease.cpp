// SPDX-License-Identifier: MIT
#include "SerialLease.h"

#include "DurableText.h"
#include "NumberText.h"

#include <cerrno>
#include <limits>
#include <sstream>

namespace morlith {
namespace {

constexpr const char *kLeaseHeader = "morlith-lease 1";

std::string Escaped(const std::string &name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            text += char(c);
        else
            text += {'%', kHex[c >> 4], kHex[c & 15]};
    }
    return text;
}

TFailure DamagedLease(const std::string &path, const std::string &problem)
{
    TFailure failure = MakeFailure(TFailureKind::fkRefusedInput, "the lease file " + path + " " + problem);
    failure.Path = path;
    return failure.During("reading the lease of serial numbers");
}

} // namespace

std::string LeasePathOf(const std::string &folder, const std::string &station, const std::string &sequence)
{
    return folder + "/" + Escaped(station) + "." + Escaped(sequence) + ".lease";
}

std::unique_ptr<TStoreSerials> TStoreSerials::Open(TStore &store, const std::string &sequence,
                                                   const std::string &station, uint64_t leaseSize,
                                                   const std::string &leasePath, TFailure &failure)
{
    if (!CheckSequenceName(sequence, failure))
        return nullptr;
    std::unique_ptr<TStoreSerials> serials(new TStoreSerials(store, sequence, station, leaseSize, leasePath));
    if (leaseSize == 0)
        return serials;
    const std::string step = "taking the lease of serial numbers";
    const std::string lockPath = LockFileOf(leasePath);
    if (!serials->FLock.OpenForAppending(lockPath)) {
        failure = FileFailure(serials->FLock.LastError(), "open the lock file", lockPath, step);
        return nullptr;
    }
    if (!serials->FLock.TryLockExclusive()) {
        const int error = serials->FLock.LastError();
        if (error != EWOULDBLOCK && error != EAGAIN) {
            failure = FileFailure(error, "lock", lockPath, step);
            return nullptr;
        }
        failure = MakeFailure(TFailureKind::fkBusy, "another process of the station \"" + station +
                                                        "\" holds its lease of the sequence \"" + sequence + "\"")
                      .During(step);
        failure.Path = leasePath;
        return nullptr;
    }
    if (!serials->ReadLease(failure))
        return nullptr;
    return serials;
}

bool TStoreSerials::ReadLease(TFailure &failure)
{
    FLease.clear();
    TFileHandle file;
    if (!file.OpenForReading(FLeasePath)) {
        if (file.LastError() == ENOENT)
            return true;
        failure = FileFailure(file.LastError(), "open", FLeasePath, "reading the lease of serial numbers");
        return false;
    }
    std::string text;
    char buffer[4096];
    for (long count; (count = file.Read(buffer, sizeof buffer)) != 0;) {
        if (count < 0 || text.size() > 1 << 20) {
            failure = FileFailure(count < 0 ? file.LastError() : EFBIG, "read", FLeasePath,
                                  "reading the lease of serial numbers");
            return false;
        }
        text.append(buffer, size_t(count));
    }
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kLeaseHeader) {
        failure = DamagedLease(FLeasePath, "is not a lease of serial numbers");
        return false;
    }
    while (std::getline(lines, line)) {
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "store" && value != FStore.Address().Display) {
            failure = DamagedLease(FLeasePath, "holds numbers leased from the store " + value + ", not from " +
                                                   FStore.Address().Display);
            return false;
        }
        if (key == "sequence" && value != FSequence) {
            failure = DamagedLease(FLeasePath, "holds numbers of the sequence \"" + value + "\", not \"" + FSequence + "\"");
            return false;
        }
        if (key == "range") {
            const size_t gap = value.find(' ');
            const auto first = ParseWholeNumber(value.substr(0, gap), 0, std::numeric_limits<uint64_t>::max());
            const auto count = gap == std::string::npos
                                   ? std::nullopt
                                   : ParseWholeNumber(value.substr(gap + 1), 1, std::numeric_limits<uint64_t>::max());
            if (!first || !count || *count - 1 > std::numeric_limits<uint64_t>::max() - *first) {
                failure = DamagedLease(FLeasePath, "has a damaged range: \"" + value + "\"");
                return false;
            }
            FLease.push_back({*first, *count});
        }
    }
    return true;
}

bool TStoreSerials::WriteLease(const std::vector<TSerialRange> &ranges, TFailure &failure)
{
    std::string text = std::string(kLeaseHeader) + "\nstore " + FStore.Address().Display + "\nsequence " + FSequence +
                       "\nstation " + FStation + "\n";
    for (const TSerialRange &range : ranges)
        text += "range " + std::to_string(range.First) + " " + std::to_string(range.Count) + "\n";
    return ReplaceTextDurably(FLeasePath, text, "writing the lease of serial numbers", failure);
}

bool TStoreSerials::Take(uint64_t &serial, TFailure &failure)
{
    std::lock_guard<std::mutex> hold(FGuard);
    if (FLeaseSize == 0) {
        TSerialRange range;
        if (!TakeSerials(FStore, FSequence, 1, FStation, range, failure))
            return false;
        serial = range.First;
        return true;
    }
    std::vector<TSerialRange> lease = FLease;
    if (lease.empty()) {
        TSerialRange range;
        if (!TakeSerials(FStore, FSequence, FLeaseSize, FStation, range, failure))
            return false;
        lease.push_back(range);
    }
    const uint64_t number = lease.front().First;
    if (--lease.front().Count == 0)
        lease.erase(lease.begin());
    else
        ++lease.front().First;
    // On the disk before it is given: a restart never gives it again.
    if (!WriteLease(lease, failure))
        return false;
    FLease = std::move(lease);
    serial = number;
    return true;
}

bool TStoreSerials::ReturnLease(TFailure &failure)
{
    std::lock_guard<std::mutex> hold(FGuard);
    if (FLease.empty())
        return true;
    if (!ReturnUnused(FStore, FSequence, FLease, FStation, failure) || !WriteLease({}, failure))
        return false;
    FLease.clear();
    return true;
}

uint64_t TStoreSerials::Left() const
{
    std::lock_guard<std::mutex> hold(FGuard);
    uint64_t left = 0;
    for (const TSerialRange &range : FLease)
        left += range.Count;
    return left;
}

} // namespace morlith
