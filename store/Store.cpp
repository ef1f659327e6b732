// SPDX-License-Identifier: MIT
#include "Store.h"

#include "StoreSchema.h"

namespace morlith {

bool TStore::Run(const TWork &work, TFailure &failure)
{
    return RunOn(work, true, failure);
}

bool TStore::RunWithoutSchema(const TWork &work, TFailure &failure)
{
    return RunOn(work, false, failure);
}

bool TStore::Connect(bool checkSchema, bool &fresh, TFailure &failure)
{
    fresh = !FConnection;
    if (!FConnection) {
        FConnection = TStoreConnection::Open(FAddress, FLimits, failure);
        FSchemaChecked = false;
        if (!FConnection)
            return false;
    }
    if (checkSchema && !FSchemaChecked) {
        if (!CheckSchema(*FConnection, failure)) {
            if (FConnection->Broken())
                FConnection.reset();
            return false;
        }
        FSchemaChecked = true;
    }
    return true;
}

bool TStore::RunOn(const TWork &work, bool checkSchema, TFailure &failure)
{
    std::lock_guard<std::mutex> hold(FLock);
    for (int attempt = 0;; ++attempt) {
        bool fresh = false;
        if (!Connect(checkSchema, fresh, failure))
            return false;
        if (work(*FConnection, failure))
            return true;
        if (!FConnection->Broken())
            return false;
        const bool again = !fresh && !FConnection->TimedOut() && attempt == 0;
        FConnection.reset();
        if (!again)
            return false;
    }
}

} // namespace morlith

namespace morlith {

bool InTransaction(TStoreConnection &connection, const TStore::TWork &work, TFailure &failure)
{
    if (!connection.Exec("BEGIN", failure))
        return false;
    if (work(connection, failure) && connection.Exec("COMMIT", failure))
        return true;
    TFailure ignored;
    if (!connection.Broken())
        connection.Exec("ROLLBACK", ignored);
    return false;
}

} // namespace morlith
