// SPDX-License-Identifier: MIT
#pragma once
// Where the shared store is: a libpq connection URI ("postgresql://line@db.example/factory"),
// given by --store or, without it, by the environment variable MORLITH_STORE. A password never
// travels in the address (it would sit in shell histories, process lists and records); it comes
// from ~/.pgpass or PGPASSFILE, which libpq reads itself.

#include "Failure.h"

#include <string>

namespace morlith {

struct TStoreAddress {
    // The URI as given; passed to libpq only, never shown.
    std::string Uri;
    // The store as it may be shown and recorded: "user@host:port/database", without secrets.
    std::string Display;
};

// The environment variable naming the store when no --store is given.
inline constexpr const char *kStoreVariable = "MORLITH_STORE";

// The store named by `option` (the text of --store; "" when not given) or else by `variable`
// (the environment's MORLITH_STORE; "" when unset). False when neither names one: then
// `address` is empty and `failure` unset (the station works from files alone). False with
// `failure` (refused_input) for an address libpq cannot read, one that is not a
// postgresql:// URI, or one that carries a password; the failure never repeats the address.
bool ResolveStoreAddress(const std::string &option, const std::string &variable, TStoreAddress &address,
                         TFailure &failure);

} // namespace morlith
