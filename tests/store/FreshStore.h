// SPDX-License-Identifier: MIT
#pragma once
// A store of one test: a new database on the shared server, reached through its local socket,
// with the tables made unless asked not to.

#include "PostgresServer.h"
#include "StoreAddress.h"
#include "StoreSchema.h"

#include <gtest/gtest.h>

namespace morlith::test {

inline TStoreAddress FreshStoreAddress(bool makeTables = true, std::string *database = nullptr)
{
    const std::string name = SharedServer().NewDatabase();
    if (database)
        *database = name;
    TStoreAddress address;
    TFailure failure;
    EXPECT_TRUE(ResolveStoreAddress(SharedServer().SocketUri(name), "", address, failure)) << failure;
    if (makeTables) {
        TStore store(address);
        TStoreSchemaChange change;
        EXPECT_TRUE(InitStore(store, change, failure)) << failure;
    }
    return address;
}

} // namespace morlith::test

#include "SequenceSerials.h"
#include "StoreSequences.h"

#include <map>
#include <set>

namespace morlith::test {

// Checks a sequence's ledger against the numbers the stations gave (`given`, possibly with
// repeats, which fail): the grants cover [start, next) once each, in order; every number given
// came from a take or lease grant, once; every number granted is given or returned unused, but
// for at most `lost` numbers (kills between taking a number and noting it). Returns the count
// lost.
inline uint64_t ExpectAccounted(const TSequenceLedger &ledger, const std::vector<uint64_t> &given, uint64_t start,
                                uint64_t next, uint64_t lost = 0)
{
    uint64_t expected = start;
    std::set<uint64_t> granted;
    for (const auto &grant : ledger.Grants) {
        EXPECT_EQ(grant.Range.First, expected) << "a gap or an overlap in the ledger";
        expected = grant.Range.First + grant.Range.Count;
        if (grant.Kind != "skip")
            for (uint64_t n = grant.Range.First; n < expected; ++n)
                granted.insert(n);
    }
    EXPECT_EQ(expected, next);
    std::set<uint64_t> accounted;
    for (uint64_t number : given) {
        EXPECT_TRUE(accounted.insert(number).second) << number << " given twice";
        EXPECT_TRUE(granted.count(number)) << number << " given but not granted";
    }
    for (const TSerialRange &range : ledger.Unused)
        for (uint64_t n = range.First; n < range.First + range.Count; ++n) {
            EXPECT_TRUE(granted.count(n)) << n << " returned but not granted";
            EXPECT_TRUE(accounted.insert(n).second) << n << " both given and returned unused";
        }
    const uint64_t missing = granted.size() - std::min<uint64_t>(granted.size(), accounted.size());
    EXPECT_LE(missing, lost) << "numbers granted and neither given nor returned";
    return missing;
}

// A station's source of numbers from the sequence "SN" of `store` (which outlives it), leasing
// `lease` at a time into `folder` (0: none).
inline std::unique_ptr<TSerialSource> SequenceSource(TStore &store, const std::string &station, uint64_t lease,
                                                     const std::string &folder, TFailure &failure,
                                                     uint64_t largest = UINT64_MAX)
{
    TRecipeSerial serial;
    serial.Origin = TSerialOrigin::soSequence;
    serial.Sequence = "SN";
    serial.Lease = lease;
    return OpenSequenceSerials(std::shared_ptr<TStore>(&store, [](TStore *) {}), serial, largest, station, folder,
                               failure);
}

} // namespace morlith::test
