// SPDX-License-Identifier: MIT
#include "FreshStore.h"
#include "PollUntil.h"
#include "ScratchFolder.h"
#include "SerialLease.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

using namespace morlith;
using namespace morlith::test;

namespace {

TStore &StoreWithSequence(std::unique_ptr<TStore> &holder, uint64_t next)
{
    holder = std::make_unique<TStore>(FreshStoreAddress());
    TFailure failure;
    TSequenceChange change;
    uint64_t before = 0;
    EXPECT_TRUE(SetSequence(*holder, "SN", next, false, "bench", change, before, failure)) << failure;
    return *holder;
}

std::vector<uint64_t> ReadNumbers(const std::string &path)
{
    std::vector<uint64_t> numbers;
    std::ifstream in(path);
    for (uint64_t n; in >> n;)
        numbers.push_back(n);
    return numbers;
}

} // namespace

TEST(SerialLease, OneProcessHoldsAStationsLeaseAndLeftoversGoBack)
{
    std::unique_ptr<TStore> holder;
    TStore &store = StoreWithSequence(holder, 100);
    TScratchFolder folder;
    const std::string path = LeasePathOf(folder.Path(), "line 1/a", "SN");
    EXPECT_EQ(path, folder.Path() + "/line%201%2Fa.SN.lease");
    TFailure failure;
    auto serials = TStoreSerials::Open(store, "SN", "line 1/a", 10, path, failure);
    ASSERT_TRUE(serials) << failure;
    EXPECT_FALSE(TStoreSerials::Open(store, "SN", "line 1/a", 10, path, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkBusy) << failure;
    uint64_t serial = 0;
    for (uint64_t expected : {100u, 101u, 102u}) {
        ASSERT_TRUE(serials->Take(serial, failure)) << failure;
        EXPECT_EQ(serial, expected);
    }
    EXPECT_EQ(serials->Left(), 7u);
    // A second process (after this one ended without returning) gives what is left back first.
    serials.reset();
    serials = TStoreSerials::Open(store, "SN", "line 1/a", 10, path, failure);
    ASSERT_TRUE(serials) << failure;
    EXPECT_EQ(serials->Left(), 7u);
    ASSERT_TRUE(serials->ReturnLease(failure)) << failure;
    EXPECT_EQ(serials->Left(), 0u);
    ASSERT_TRUE(serials->ReturnLease(failure)) << failure;
    ASSERT_TRUE(serials->Take(serial, failure)) << failure;
    EXPECT_EQ(serial, 110u);
    TSequenceLedger ledger;
    ASSERT_TRUE(ReadLedger(store, "SN", ledger, failure));
    ASSERT_EQ(ledger.Unused.size(), 1u);
    EXPECT_EQ(ledger.Unused[0].First, 103u);
    EXPECT_EQ(ledger.Unused[0].Count, 7u);
    EXPECT_EQ(ledger.Grants.at(0).Station, "line 1/a");
    EXPECT_EQ(ledger.Grants.at(0).Kind, "lease");
}

TEST(SerialLease, ALeaseFileThatIsNotThisStoresIsRefusedAndKept)
{
    std::unique_ptr<TStore> holder;
    TStore &store = StoreWithSequence(holder, 1);
    TScratchFolder folder;
    const std::string path = folder.File("S1.SN.lease");
    const std::string texts[] = {
        "morlith-lease 1\nstore other@elsewhere/db\nsequence SN\nrange 5 3\n",
        "morlith-lease 1\nsequence OTHER\nrange 5 3\n",
        "morlith-lease 1\nrange 5 x\n",
        "morlith-lease 1\nrange 5 0\n",
        "morlith-lease 1\nrange 18446744073709551615 2\n",
        "something else\n",
    };
    for (const std::string &text : texts) {
        std::ofstream(path) << text;
        TFailure failure;
        EXPECT_FALSE(TStoreSerials::Open(store, "SN", "S1", 10, path, failure)) << text;
        EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << text << failure;
        std::ifstream in(path);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    }
}

// A station killed at random points while it takes numbers through its lease, then started again:
// no number is given twice, and every number is given or returned but the one a kill caught
// between taking it and noting it.
TEST(SerialLease, AStationKilledAtRandomPointsLosesNoMoreThanTheNumberInHand)
{
    std::unique_ptr<TStore> holder;
    TStore &store = StoreWithSequence(holder, 1);
    TScratchFolder folder;
    const std::string lease = LeasePathOf(folder.Path(), "S1", "SN");
    std::mt19937 random(20261207);
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round) {
        const std::string noted = folder.File("given-" + std::to_string(round));
        const pid_t child = fork();
        if (child == 0) {
            TStore own(store.Address());
            TFailure failure;
            // What the last kill left is recorded as unused as the source opens.
            auto serials = SequenceSource(own, "S1", 6, folder.Path(), failure);
            if (!serials)
                _exit(2);
            std::ofstream out(noted);
            for (uint64_t serial = 0; serials->Take({}, serial, failure);)
                out << serial << "\n" << std::flush;
            _exit(3);
        }
        const size_t before = std::uniform_int_distribution<size_t>(1, 20)(random);
        EXPECT_TRUE(PollUntil([&] { return ReadNumbers(noted).size() >= before; }));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "round " << round;
    }
    TFailure failure;
    ASSERT_TRUE(SequenceSource(store, "S1", 6, folder.Path(), failure)) << failure;
    std::vector<uint64_t> given;
    for (int round = 0; round < kRounds; ++round)
        for (uint64_t n : ReadNumbers(folder.File("given-" + std::to_string(round))))
            given.push_back(n);
    // A killed station's last statement may still be on the server when the station is gone: the
    // ledger is read once the sequence and its grants agree (they change in one statement).
    std::vector<TSequenceInfo> sequences;
    TSequenceLedger ledger;
    for (int attempt = 0; attempt < 50; ++attempt) {
        ASSERT_TRUE(ListSequences(store, sequences, failure));
        ASSERT_TRUE(ReadLedger(store, "SN", ledger, failure));
        const uint64_t end = ledger.Grants.empty() ? 1 : ledger.Grants.back().Range.First + ledger.Grants.back().Range.Count;
        if (end == *sequences[0].Next)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // A kill between the store granting a lease and the lease file taking it loses that lease (it
    // stays in the ledger as leased to S1); a kill after a number was taken loses that number.
    ExpectAccounted(ledger, given, 1, *sequences[0].Next, kRounds * 6);
}

// A number the field cannot hold is refused and recorded as unused, never burnt silently; the
// next unit takes the next number.
TEST(SerialLease, WhatASourceCannotUseIsRecordedUnused)
{
    std::unique_ptr<TStore> holder;
    TStore &store = StoreWithSequence(holder, 254);
    TScratchFolder folder;
    TFailure failure;
    auto serials = SequenceSource(store, "S1", 0, folder.Path(), failure, 255);
    ASSERT_TRUE(serials) << failure;
    uint64_t serial = 0;
    ASSERT_TRUE(serials->Take({}, serial, failure)) << failure;
    EXPECT_EQ(serial, 254u);
    ASSERT_TRUE(serials->Take({}, serial, failure)) << failure;
    EXPECT_EQ(serial, 255u);
    EXPECT_FALSE(serials->Take({}, serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkRefusedInput) << failure;
    EXPECT_EQ(serial, 255u);
    TSequenceLedger ledger;
    ASSERT_TRUE(ReadLedger(store, "SN", ledger, failure)) << failure;
    ASSERT_EQ(ledger.Unused.size(), 1u);
    EXPECT_EQ(ledger.Unused[0].First, 256u);
    EXPECT_EQ(ledger.Unused[0].Count, 1u);

    // A leasing station that ended without finishing (a kill): the next start records what its
    // lease held as unused, before any number is asked for.
    {
        auto killed = SequenceSource(store, "S2", 5, folder.Path(), failure);
        ASSERT_TRUE(killed && killed->Take({}, serial, failure)) << failure;
        EXPECT_EQ(serial, 257u);
    }
    ASSERT_TRUE(SequenceSource(store, "S2", 5, folder.Path(), failure)) << failure;
    ASSERT_TRUE(ReadLedger(store, "SN", ledger, failure)) << failure;
    ASSERT_EQ(ledger.Unused.size(), 2u);
    EXPECT_EQ(ledger.Unused[1].First, 258u);
    EXPECT_EQ(ledger.Unused[1].Count, 4u);
}
