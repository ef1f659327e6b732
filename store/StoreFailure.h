// SPDX-License-Identifier: MIT
#pragma once
// Failures talking to the shared store: kind "store", with a reason a script can read and
// libpq's or the server's own words in the detail.

#include "Failure.h"

#include <string>

namespace morlith {

// The reasons of a store failure (TFailure::Reason).
// No server answered at the address, or it went away or stopped answering mid-exchange.
inline constexpr const char *kStoreUnreachable = "unreachable";
// The server answered and said no: no such database, too many connections, a statement refused.
inline constexpr const char *kStoreRefused = "refused";
// The server did not accept who we are: no password in ~/.pgpass, a wrong one, no pg_hba entry.
inline constexpr const char *kStoreAuthentication = "authentication";
// The store's tables are missing, older than this tool (run "store init") or newer than it knows.
inline constexpr const char *kStoreSchema = "schema";

// A store failure with `reason`, `detail` and the store's shown name in Device.
TFailure StoreFailure(const char *reason, const std::string &detail, const std::string &store);

// The reason for a statement the server failed with SQLSTATE `state` ("08006", "42P01", ...);
// `connectionLost` when libpq reports the connection gone.
const char *ReasonOfSqlState(const std::string &state, bool connectionLost);

// The reason for a connection attempt that failed with libpq's `message`: `reachedServer` when a
// server took the connection, `wantedPassword` when it asked for a password that was not there.
const char *ReasonOfConnectFailure(const std::string &message, bool reachedServer, bool wantedPassword);

// libpq's text without the "ERROR:  " prefix and the trailing line end, lines joined by "; ".
std::string LibraryWords(const std::string &message);

} // namespace morlith
