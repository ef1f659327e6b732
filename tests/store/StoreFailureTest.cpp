// SPDX-License-Identifier: MIT
#include "StoreFailure.h"

#include <gtest/gtest.h>

using namespace morlith;

TEST(StoreFailure, TheServersStatesHaveTheirReasons)
{
    const struct {
        const char *State;
        bool Lost;
        const char *Reason;
    } rows[] = {
        {"08006", false, kStoreUnreachable}, {"57P01", false, kStoreUnreachable}, {"57P03", false, kStoreUnreachable},
        {"57014", false, kStoreUnreachable}, {"55P03", false, kStoreUnreachable}, {"23505", true, kStoreUnreachable},
        {"", false, kStoreUnreachable},      {"28P01", false, kStoreAuthentication}, {"28000", false, kStoreAuthentication},
        {"42P01", false, kStoreSchema},      {"3F000", false, kStoreSchema},      {"42703", false, kStoreSchema},
        {"42883", false, kStoreSchema},      {"42501", false, kStoreRefused},     {"23505", false, kStoreRefused},
        {"53300", false, kStoreRefused},
    };
    for (const auto &row : rows)
        EXPECT_STREQ(ReasonOfSqlState(row.State, row.Lost), row.Reason) << row.State << " lost " << row.Lost;
}

TEST(StoreFailure, AFailedConnectionHasItsReason)
{
    const struct {
        const char *Message;
        bool Reached;
        bool WantedPassword;
        const char *Reason;
    } rows[] = {
        {"connection refused", false, false, kStoreUnreachable},
        {"anything", true, true, kStoreAuthentication},
        {"password authentication failed for user \"line\"", true, false, kStoreAuthentication},
        {"no pg_hba.conf entry for host \"10.0.0.7\"", true, false, kStoreAuthentication},
        {"role \"line\" does not exist", true, false, kStoreAuthentication},
        {"the database system is starting up", true, false, kStoreUnreachable},
        {"the database system is shutting down", true, false, kStoreUnreachable},
        {"database \"factory\" does not exist", true, false, kStoreRefused},
        {"sorry, too many clients already", true, false, kStoreRefused},
    };
    for (const auto &row : rows)
        EXPECT_STREQ(ReasonOfConnectFailure(row.Message, row.Reached, row.WantedPassword), row.Reason) << row.Message;
}

TEST(StoreFailure, LibraryWordsAreOneLineWithoutPrefixes)
{
    EXPECT_EQ(LibraryWords("ERROR:  relation \"x\" does not exist\nLINE 1: SELECT\n"),
              "relation \"x\" does not exist; LINE 1: SELECT");
    EXPECT_EQ(LibraryWords("connection to server failed: Connection refused\n\tIs the server running?\n"),
              "connection to server failed: Connection refused; Is the server running?");
    const TFailure failure = StoreFailure(kStoreRefused, "no", "line@db/factory");
    EXPECT_EQ(failure.Kind, TFailureKind::fkStore);
    EXPECT_STREQ(failure.KindName(), "store");
    EXPECT_EQ(failure.Reason, "refused");
    EXPECT_EQ(failure.Device, "line@db/factory");
}
