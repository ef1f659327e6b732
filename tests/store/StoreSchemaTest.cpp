// SPDX-License-Identifier: MIT
#include "FreshStore.h"
#include "StoreFailure.h"
#include "StoreSequences.h"

#include <sys/wait.h>
#include <unistd.h>

using namespace morlith;
using namespace morlith::test;

TEST(StoreSchema, InitMakesTheTablesOnceAndWorkWaitsForThem)
{
    std::string database;
    TStore store(FreshStoreAddress(false, &database));
    TFailure failure;
    std::vector<TSequenceInfo> sequences;
    EXPECT_FALSE(ListSequences(store, sequences, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
    EXPECT_EQ(failure.Reason, kStoreSchema) << failure;
    EXPECT_NE(failure.Message().find("store init"), std::string::npos) << failure;

    TStoreSchemaChange change;
    ASSERT_TRUE(InitStore(store, change, failure)) << failure;
    EXPECT_EQ(change.Before, 0);
    EXPECT_EQ(change.After, kStoreSchemaVersion);
    ASSERT_TRUE(InitStore(store, change, failure)) << failure;
    EXPECT_EQ(change.Before, kStoreSchemaVersion);
    EXPECT_TRUE(ListSequences(store, sequences, failure)) << failure;

    // Tables older than the tool are brought up by init and refused until then.
    SharedServer().Sql(database, "UPDATE morlith.schema_version SET version = 0");
    TStore older(store.Address());
    EXPECT_FALSE(ListSequences(older, sequences, failure));
    EXPECT_EQ(failure.Reason, kStoreSchema);
    EXPECT_NE(failure.Message().find("older"), std::string::npos) << failure;
}

TEST(StoreSchema, TablesNewerThanTheToolAreRefusedAndLeftAlone)
{
    std::string database;
    const TStoreAddress address = FreshStoreAddress(true, &database);
    SharedServer().Sql(database, "UPDATE morlith.schema_version SET version = 99");
    TStore store(address);
    TFailure failure;
    TStoreSchemaChange change;
    EXPECT_FALSE(InitStore(store, change, failure));
    EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
    EXPECT_EQ(failure.Reason, kStoreSchema);
    EXPECT_NE(failure.Message().find("newer"), std::string::npos) << failure;
    EXPECT_EQ(change.Before, 99);
    TSerialRange range;
    EXPECT_FALSE(TakeSerials(store, "SN", 1, "S1", range, failure));
    EXPECT_EQ(failure.Reason, kStoreSchema);
    EXPECT_NE(failure.Message().find("newer"), std::string::npos) << failure;
    // Nothing was downgraded.
    SharedServer().Sql(database, "DO $$ BEGIN IF (SELECT version FROM morlith.schema_version) <> 99 THEN "
                                 "RAISE EXCEPTION 'changed'; END IF; END $$");
}

TEST(StoreSchema, StationsRacingInitAllSucceedAndMakeOneSetOfTables)
{
    std::string database;
    const TStoreAddress address = FreshStoreAddress(false, &database);
    std::vector<pid_t> children;
    for (int i = 0; i < 6; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            TStore store(address);
            TStoreSchemaChange change;
            TFailure failure;
            _exit(InitStore(store, change, failure) ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SharedServer().Sql(database, "DO $$ BEGIN IF (SELECT count(*) FROM morlith.schema_version) <> 1 THEN "
                                 "RAISE EXCEPTION 'versions'; END IF; END $$");
}
