// SPDX-License-Identifier: MIT
#pragma once
// One connection to the store, through libpq, where every wait has a bound: the connection is
// made and each statement is sent and answered with libpq's non-blocking calls and poll(2) on its
// socket, so a stalled network, a server that stopped answering or a proxy that swallows bytes
// ends the attempt at the limit as a store failure (unreachable) instead of hanging the station.
// libpq, not libpqxx: it reports failures as values, which become TFailure unchanged, it gives
// the non-blocking calls that the bounds need, and it is one small C library on every platform.

#include "Failure.h"
#include "StoreAddress.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;

namespace morlith {

struct TStoreLimits {
    // The most a connection may take to come up (name, TCP, TLS, authentication), in ms.
    int ConnectMs = 5000;
    // The most one statement may take from sending to its answer, in ms. The server ends a
    // statement or lock wait past it too (statement_timeout, lock_timeout), and a transaction
    // left idle past twice it (idle_in_transaction_session_timeout), so a station that went away
    // holds no lock. The kernel gives up on data unacknowledged past it (tcp_user_timeout), and
    // keepalives find a silent peer of an idle connection within about 11 s.
    int ExchangeMs = 5000;
};

// A parameter or a field in text form; nothing for SQL NULL.
using TStoreValue = std::optional<std::string>;
using TStoreRow = std::vector<TStoreValue>;
using TStoreRows = std::vector<TStoreRow>;

class TStoreConnection {
public:
    // Connects to `address` within `limits`; null with `failure` (kind store) otherwise.
    static std::unique_ptr<TStoreConnection> Open(const TStoreAddress &address, const TStoreLimits &limits,
                                                  TFailure &failure);
    ~TStoreConnection();
    TStoreConnection(const TStoreConnection &) = delete;
    TStoreConnection &operator=(const TStoreConnection &) = delete;

    // Runs one statement with `params` ($1, $2, ... in text form) and gives its rows in text
    // form. False with `failure` (kind store, the server's words and reason) otherwise.
    bool Exec(const std::string &sql, const std::vector<TStoreValue> &params, TStoreRows &rows, TFailure &failure);
    bool Exec(const std::string &sql, TFailure &failure);
    // True once the connection was lost or left in an unknown state (a limit passed mid-exchange);
    // it must then be dropped and made anew.
    bool Broken() const { return FBroken; }
    // True when it was a limit that broke it (the store did not answer in time).
    bool TimedOut() const { return FTimedOut; }
    const std::string &Store() const { return FStore; }

private:
    TStoreConnection(pg_conn *connection, std::string store, int exchangeMs)
        : FConnection(connection), FStore(std::move(store)), FExchangeMs(exchangeMs)
    {
    }
    // Waits until the socket is ready for `events` or `deadline` (a TickCountMs value) passes.
    bool Wait(short events, uint32_t start, TFailure &failure);
    // A failure that leaves the connection unusable.
    TFailure Lost(const std::string &detail);

    pg_conn *FConnection;
    std::string FStore;
    int FExchangeMs;
    bool FBroken = false;
    bool FTimedOut = false;
};

} // namespace morlith
