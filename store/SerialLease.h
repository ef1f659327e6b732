// SPDX-License-Identifier: MIT
#pragma once
// Serial numbers for one station from one sequence of the store. With a lease size K, the
// station takes K numbers at a time into a lease file of its own and gives them out from there,
// so it goes on through an outage of the store until the lease is used up. The lease file is
// replaced whole and synced before a number from it is given (ReplaceTextDurably), so a kill or
// a power cut never gives a number twice; its lock is held while the station runs, so one
// process at a time holds a station's lease of a sequence. Numbers left in a lease go back to
// the store as unused: at a clean end, or at the next start after a kill.

#include "Store.h"
#include "StoreSequences.h"

#include "FileHandle.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace morlith {

// The lease file of `station` for `sequence` in `folder`: "<station>.<sequence>.lease", each
// name with characters other than letters, digits, '-' and '_' written as %XX.
std::string LeasePathOf(const std::string &folder, const std::string &station, const std::string &sequence);

class TStoreSerials {
public:
    // Numbers from `sequence` for `station`: one at a time from the store when `leaseSize` is 0,
    // else through the lease file at `leasePath`, whose lock is taken here and held until the
    // object goes. Nothing is asked of the store yet. Null with `failure`: busy (another process
    // holds the lease), a lease file that cannot be read or was leased from another store or
    // sequence (refused_input), a bad sequence name.
    static std::unique_ptr<TStoreSerials> Open(TStore &store, const std::string &sequence, const std::string &station,
                                               uint64_t leaseSize, const std::string &leasePath, TFailure &failure);
    TStoreSerials(const TStoreSerials &) = delete;
    TStoreSerials &operator=(const TStoreSerials &) = delete;

    // The next number: from the lease while it holds one (the lease file written before it is
    // given), else from the store. False with `failure`: kind store when the lease is empty and
    // the store cannot give a number; a lease file that cannot be written. Safe from several
    // threads.
    bool Take(uint64_t &serial, TFailure &failure);
    // Records the numbers left in the lease as unused in the store and empties the lease. When
    // the store cannot be reached the lease is kept (and used) and the failure returned. Called at
    // a clean end, and at a start to give back what a killed run left.
    bool ReturnLease(TFailure &failure);
    // The numbers left in the lease.
    uint64_t Left() const;

private:
    TStoreSerials(TStore &store, std::string sequence, std::string station, uint64_t leaseSize, std::string leasePath)
        : FStore(store), FSequence(std::move(sequence)), FStation(std::move(station)), FLeaseSize(leaseSize),
          FLeasePath(std::move(leasePath))
    {
    }
    bool ReadLease(TFailure &failure);
    bool WriteLease(const std::vector<TSerialRange> &ranges, TFailure &failure);

    TStore &FStore;
    std::string FSequence;
    std::string FStation;
    uint64_t FLeaseSize;
    std::string FLeasePath;
    TFileHandle FLock;
    mutable std::mutex FGuard;
    std::vector<TSerialRange> FLease;
};

} // namespace morlith
