// SPDX-License-Identifier: MIT
#include "EnvironmentVariable.h"
#include "FreshStore.h"
#include "MonotonicClock.h"
#include "ScratchFolder.h"
#include "SerialLease.h"
#include "Ser2net.h"
#include "StoreFailure.h"
#include "TcpProxy.h"

#include <fstream>
#include <sys/stat.h>

using namespace morlith;
using namespace morlith::test;

namespace {

// Short limits, so that a stall ends within a few seconds.
const TStoreLimits kQuick{1000, 1000};

TStoreAddress Address(const std::string &uri)
{
    TStoreAddress address;
    TFailure failure;
    EXPECT_TRUE(ResolveStoreAddress(uri, "", address, failure)) << failure;
    return address;
}

void MakeSequence(TStore &store, uint64_t next)
{
    TFailure failure;
    TSequenceChange change;
    uint64_t before = 0;
    ASSERT_TRUE(SetSequence(store, "SN", next, false, "bench", change, before, failure)) << failure;
}

} // namespace

TEST(StoreOutage, TheServerStoppedAtOnceThenBack)
{
    TScratchFolder folder;
    TStore leased(FreshStoreAddress(), kQuick);
    TStore direct(leased.Address(), kQuick);
    MakeSequence(leased, 1);
    TFailure failure;
    auto withLease = SequenceSource(leased, "S1", 20, folder.Path(), failure);
    auto withoutLease = SequenceSource(direct, "S2", 0, folder.Path(), failure);
    ASSERT_TRUE(withLease && withoutLease) << failure;
    std::vector<uint64_t> given;
    uint64_t serial = 0;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(withLease->Take({}, serial, failure)) << failure;
        given.push_back(serial);
        ASSERT_TRUE(withoutLease->Take({}, serial, failure)) << failure;
        given.push_back(serial);
    }
    SharedServer().Stop(true);
    // The leased station goes on until its lease is used up; the other one is refused in words.
    for (int i = 0; i < 15; ++i) {
        EXPECT_TRUE(withLease->Take({}, serial, failure)) << failure;
        given.push_back(serial);
    }
    EXPECT_FALSE(withLease->Take({}, serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
    EXPECT_EQ(failure.Reason, kStoreUnreachable) << failure;
    EXPECT_FALSE(withoutLease->Take({}, serial, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
    EXPECT_EQ(failure.Reason, kStoreUnreachable) << failure;
    EXPECT_FALSE(failure.Step.empty()) << failure;
    SharedServer().Start();
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(withLease->Take({}, serial, failure)) << failure;
        given.push_back(serial);
        ASSERT_TRUE(withoutLease->Take({}, serial, failure)) << failure;
        given.push_back(serial);
    }
    ASSERT_TRUE(withLease->Finish(failure)) << failure;
    std::vector<TSequenceInfo> sequences;
    ASSERT_TRUE(ListSequences(direct, sequences, failure));
    TSequenceLedger ledger;
    ASSERT_TRUE(ReadLedger(direct, "SN", ledger, failure));
    ExpectAccounted(ledger, given, 1, *sequences[0].Next);
}

TEST(StoreOutage, AStalledOrCutNetworkEndsAtTheLimitAndRecovers)
{
    std::string database;
    TStore local(FreshStoreAddress(true, &database));
    MakeSequence(local, 1);
    TTcpProxy proxy(SharedServer().Port());
    SetEnvironmentVariable("PGPASSFILE", SharedServer().PasswordFile());
    TStore store(Address(SharedServer().TcpUri(database, proxy.Port())), kQuick);
    TFailure failure;
    TSerialRange range;
    ASSERT_TRUE(TakeSerials(store, "SN", 1, "S1", range, failure)) << failure;
    for (const bool cut : {false, true}) {
        cut ? proxy.Cut() : proxy.Stall(true);
        // A kept connection, then a new one: each ends at its one limit (a connection that timed out
        // is not tried again, which would double the wait).
        for (int attempt = 0; attempt < 2; ++attempt) {
            const uint32_t start = TickCountMs();
            EXPECT_FALSE(TakeSerials(store, "SN", 1, "S1", range, failure)) << "cut " << cut;
            EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
            EXPECT_EQ(failure.Reason, kStoreUnreachable) << failure;
            EXPECT_LT(MsSince(start), 1900u) << failure;
        }
        cut ? proxy.Mend() : proxy.Stall(false);
        // Back: the same store takes numbers again. A loaded machine may need more than the quick
        // 1 s for a fresh connection, so a few tries are allowed; every one of them ends in time.
        bool back = false;
        for (int attempt = 0; attempt < 5 && !back; ++attempt)
            back = TakeSerials(store, "SN", 1, "S1", range, failure);
        ASSERT_TRUE(back) << "cut " << cut << ": " << failure;
    }
    UnsetEnvironmentVariable("PGPASSFILE");
}

TEST(StoreOutage, FailuresToConnectSayWhy)
{
    std::string database;
    FreshStoreAddress(true, &database);
    TScratchFolder folder;
    const std::string wrong = folder.File("pgpass");
    std::ofstream(wrong) << "127.0.0.1:*:*:morlith:not-the-password\n";
    ::chmod(wrong.c_str(), 0600);
    const struct {
        std::string Uri;
        std::string PasswordFile;
        const char *Reason;
    } rows[] = {
        {"postgresql://morlith@127.0.0.1:" + std::to_string(FreeTcpPort()) + "/" + database, "", kStoreUnreachable},
        {SharedServer().TcpUri(database), folder.File("none"), kStoreAuthentication},
        {SharedServer().TcpUri(database), wrong, kStoreAuthentication},
        {SharedServer().SocketUri("nosuchdatabase"), "", kStoreRefused},
        {SharedServer().TcpUri(database), SharedServer().PasswordFile(), ""},
    };
    for (const auto &row : rows) {
        SetEnvironmentVariable("PGPASSFILE", row.PasswordFile.empty() ? folder.File("none") : row.PasswordFile);
        TStore store(Address(row.Uri), kQuick);
        std::vector<TSequenceInfo> sequences;
        TFailure failure;
        EXPECT_EQ(ListSequences(store, sequences, failure), *row.Reason == 0) << row.Uri << ": " << failure;
        EXPECT_EQ(failure.Reason, row.Reason) << row.Uri << ": " << failure;
        if (*row.Reason) {
            EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
            EXPECT_FALSE(failure.Detail.empty());
            EXPECT_NE(failure.Step.find("connecting to the store"), std::string::npos) << failure;
            EXPECT_EQ(failure.Message().find("not-the-password"), std::string::npos);
        }
    }
    UnsetEnvironmentVariable("PGPASSFILE");
}
