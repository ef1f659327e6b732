// SPDX-License-Identifier: MIT
#pragma once
// The store a station works with: its address, its limits and one connection, made when first
// needed, kept while it works and made anew once lost. Work runs only on a connection whose schema
// this tool knows. Safe from several threads: one piece of work at a time.

#include "StoreConnection.h"

#include <functional>
#include <memory>
#include <mutex>

namespace morlith {

class TStore {
public:
    // Work on a connection; false with `failure` when it failed.
    using TWork = std::function<bool(TStoreConnection &connection, TFailure &failure)>;

    explicit TStore(TStoreAddress address, TStoreLimits limits = {})
        : FAddress(std::move(address)), FLimits(limits)
    {
    }

    // Runs `work` on a connection whose schema is the one this tool knows (schema failures
    // otherwise: none yet, older, newer). A kept connection that turns out lost (the server
    // restarted since) is made anew and `work` runs once more, so it must be safe to repeat: a
    // transaction, or a statement whose repetition changes nothing that matters. A connection
    // that did not answer in time is not tried again, so that a station waits one limit only.
    bool Run(const TWork &work, TFailure &failure);
    // The same without the schema check: for making or upgrading the schema.
    bool RunWithoutSchema(const TWork &work, TFailure &failure);

    const TStoreAddress &Address() const { return FAddress; }
    const TStoreLimits &Limits() const { return FLimits; }

private:
    bool RunOn(const TWork &work, bool checkSchema, TFailure &failure);
    // Connects (and checks the schema) unless a connection is kept; `fresh` tells which.
    bool Connect(bool checkSchema, bool &fresh, TFailure &failure);

    TStoreAddress FAddress;
    TStoreLimits FLimits;
    std::mutex FLock;
    std::unique_ptr<TStoreConnection> FConnection;
    bool FSchemaChecked = false;
};

} // namespace morlith

namespace morlith {

// Runs `work` between BEGIN and COMMIT on `connection`, rolling back when it fails, so that the
// connection is fit for the next work either way.
bool InTransaction(TStoreConnection &connection, const TStore::TWork &work, TFailure &failure);

} // namespace morlith
