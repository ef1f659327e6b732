// SPDX-License-Identifier: MIT
#include "FreshStore.h"
#include "ScratchFolder.h"
#include "SerialLease.h"
#include "StoreFailure.h"

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace morlith;
using namespace morlith::test;

namespace {

// `processes` stations take `each` numbers from "SN" at once (through leases of `lease` when not
// 0, returned at the end); the numbers they gave, read back from their files.
std::vector<uint64_t> TakeInProcesses(const TStoreAddress &address, int processes, int each, uint64_t lease,
                                      const std::string &folder)
{
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t child = fork();
        if (child == 0) {
            TStore store(address);
            TFailure failure;
            const std::string station = "S" + std::to_string(p);
            auto serials = SequenceSource(store, station, lease, folder, failure);
            std::ofstream out(folder + "/given-" + station);
            for (int i = 0; serials && i < each; ++i) {
                uint64_t serial = 0;
                if (!serials->Take({}, serial, failure))
                    _exit(2);
                out << serial << "\n" << std::flush;
            }
            _exit(serials && serials->Finish(failure) ? 0 : 3);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::vector<uint64_t> given;
    for (int p = 0; p < processes; ++p) {
        std::ifstream in(folder + "/given-S" + std::to_string(p));
        for (uint64_t n; in >> n;)
            given.push_back(n);
    }
    return given;
}

} // namespace

TEST(StoreSequences, MadeMovedUpAndOnlyForcedDown)
{
    TStore store(FreshStoreAddress());
    TFailure failure;
    TSequenceChange change;
    uint64_t before = 0;
    ASSERT_TRUE(SetSequence(store, "SN", 1000, false, "bench", change, before, failure)) << failure;
    EXPECT_EQ(change, TSequenceChange::scMade);
    ASSERT_TRUE(SetSequence(store, "SN", 1000, false, "bench", change, before, failure)) << failure;
    EXPECT_EQ(change, TSequenceChange::scUnchanged);
    ASSERT_TRUE(SetSequence(store, "SN", 1500, false, "bench", change, before, failure)) << failure;
    EXPECT_EQ(change, TSequenceChange::scMoved);
    EXPECT_EQ(before, 1000u);
    EXPECT_FALSE(SetSequence(store, "SN", 1499, false, "bench", change, before, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << failure;
    ASSERT_TRUE(SetSequence(store, "BIG", UINT64_MAX - 1, false, "bench", change, before, failure)) << failure;
    std::vector<TSequenceInfo> sequences;
    ASSERT_TRUE(ListSequences(store, sequences, failure)) << failure;
    ASSERT_EQ(sequences.size(), 2u);
    EXPECT_EQ(sequences[0].Name, "BIG");
    EXPECT_EQ(sequences[0].Next, UINT64_MAX - 1);
    EXPECT_EQ(sequences[1].Next, 1500u);
    // The numbers moved over are in the ledger as skipped, so they are accounted for.
    TSequenceLedger ledger;
    ASSERT_TRUE(ReadLedger(store, "SN", ledger, failure)) << failure;
    ASSERT_EQ(ledger.Grants.size(), 1u);
    EXPECT_EQ(ledger.Grants[0].Kind, "skip");
    EXPECT_EQ(ledger.Grants[0].Range.First, 1000u);
    EXPECT_EQ(ledger.Grants[0].Range.Count, 500u);
    ASSERT_TRUE(SetSequence(store, "SN", 10, true, "bench", change, before, failure)) << failure;
    EXPECT_EQ(before, 1500u);
    ASSERT_TRUE(ListSequences(store, sequences, failure));
    EXPECT_EQ(sequences[1].Next, 10u);
    for (const std::string &bad : {std::string(), std::string(65, 'x'), std::string("a\nb")}) {
        EXPECT_FALSE(SetSequence(store, bad, 1, false, "bench", change, before, failure));
        EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput);
    }
}

TEST(StoreSequences, TakesToTheLastNumberAndThenRefuses)
{
    TStore store(FreshStoreAddress());
    TFailure failure;
    TSerialRange range;
    EXPECT_FALSE(TakeSerials(store, "NONE", 1, "S1", range, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
    EXPECT_EQ(failure.Reason, kStoreRefused);
    EXPECT_NE(failure.Message().find("no sequence"), std::string::npos) << failure;
    TSequenceChange change;
    uint64_t before = 0;
    ASSERT_TRUE(SetSequence(store, "SN", UINT64_MAX - 2, false, "bench", change, before, failure)) << failure;
    ASSERT_TRUE(TakeSerials(store, "SN", 1, "S1", range, failure)) << failure;
    EXPECT_EQ(range.First, UINT64_MAX - 2);
    EXPECT_EQ(range.Count, 1u);
    ASSERT_TRUE(TakeSerials(store, "SN", 10, "S1", range, failure)) << failure;
    EXPECT_EQ(range.First, UINT64_MAX - 1);
    EXPECT_EQ(range.Count, 2u);
    EXPECT_FALSE(TakeSerials(store, "SN", 1, "S1", range, failure));
    EXPECT_EQ(failure.Reason, kStoreRefused);
    EXPECT_NE(failure.Message().find("last number"), std::string::npos) << failure;
    std::vector<TSequenceInfo> sequences;
    ASSERT_TRUE(ListSequences(store, sequences, failure));
    EXPECT_FALSE(sequences[0].Next);
    // A used-up sequence is moved down only by force.
    EXPECT_FALSE(SetSequence(store, "SN", 5, false, "bench", change, before, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput);
}

TEST(StoreSequences, ManyStationsNeverGiveANumberTwiceAndAccountForEveryOne)
{
    for (const uint64_t lease : {uint64_t(0), uint64_t(7)}) {
        TScratchFolder folder;
        TStore store(FreshStoreAddress());
        TFailure failure;
        TSequenceChange change;
        uint64_t before = 0;
        ASSERT_TRUE(SetSequence(store, "SN", 5000, false, "bench", change, before, failure)) << failure;
        const std::vector<uint64_t> given = TakeInProcesses(store.Address(), 8, 40, lease, folder.Path());
        EXPECT_EQ(given.size(), 320u);
        std::vector<TSequenceInfo> sequences;
        ASSERT_TRUE(ListSequences(store, sequences, failure));
        TSequenceLedger ledger;
        ASSERT_TRUE(ReadLedger(store, "SN", ledger, failure)) << failure;
        ExpectAccounted(ledger, given, 5000, *sequences[0].Next);
        // 40 numbers in leases of 7: 6 leases of which 2 numbers go back unused, per station.
        EXPECT_EQ(*sequences[0].Next, lease ? 5000u + 8 * 42 : 5320u) << "lease " << lease;
        EXPECT_EQ(ledger.Unused.size(), lease ? 8u : 0u);
    }
}
