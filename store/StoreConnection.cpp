// SPDX-License-Identifier: MIT
#include "StoreConnection.h"

#include "MonotonicClock.h"
#include "StoreFailure.h"

#include <libpq-fe.h>

#include <cerrno>
#include <poll.h>

namespace morlith {
namespace {

// Waits for `events` on `socket` until `limitMs` after `start`: 1 ready, 0 the limit passed,
// -1 poll failed.
int WaitForSocket(int socket, short events, uint32_t start, int limitMs)
{
    for (;;) {
        const uint32_t elapsed = MsSince(start);
        if (elapsed >= uint32_t(limitMs))
            return 0;
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, int(uint32_t(limitMs) - elapsed));
        if (ready > 0)
            return 1;
        if (ready < 0 && errno != EINTR)
            return -1;
    }
}

std::string Seconds(int ms)
{
    return std::to_string(ms / 1000) + (ms % 1000 ? "." + std::to_string(ms % 1000 / 100) : "") + " s";
}

// libpq's connection keywords: the bounds first, then the address, which may override them
// (sslmode, connect_timeout, ... as its user wrote them).
struct TConnectKeywords {
    std::vector<std::string> Keys;
    std::vector<std::string> Values;

    TConnectKeywords(const TStoreAddress &address, const TStoreLimits &limits)
    {
        Add("connect_timeout", std::to_string(std::max(2, (limits.ConnectMs + 999) / 1000)));
        Add("keepalives", "1");
        Add("keepalives_idle", "5");
        Add("keepalives_interval", "2");
        Add("keepalives_count", "3");
        Add("tcp_user_timeout", std::to_string(limits.ExchangeMs));
        Add("application_name", "morlith");
        Add("dbname", address.Uri);
    }
    void Add(const char *key, std::string value)
    {
        Keys.emplace_back(key);
        Values.push_back(std::move(value));
    }
    std::vector<const char *> Pointers(const std::vector<std::string> &texts) const
    {
        std::vector<const char *> pointers;
        for (const std::string &text : texts)
            pointers.push_back(text.c_str());
        pointers.push_back(nullptr);
        return pointers;
    }
};

bool ServerTookConnection(ConnStatusType status)
{
    return status != CONNECTION_STARTED && status != CONNECTION_BAD && status != CONNECTION_OK;
}

} // namespace

std::unique_ptr<TStoreConnection> TStoreConnection::Open(const TStoreAddress &address, const TStoreLimits &limits,
                                                         TFailure &failure)
{
    const uint32_t start = TickCountMs();
    const TConnectKeywords keywords(address, limits);
    const std::vector<const char *> keys = keywords.Pointers(keywords.Keys);
    const std::vector<const char *> values = keywords.Pointers(keywords.Values);
    PGconn *connection = PQconnectStartParams(keys.data(), values.data(), 1);
    auto fail = [&](const char *reason, const std::string &detail) {
        failure = StoreFailure(reason, detail, address.Display);
        failure.During("connecting to the store " + address.Display);
        PQfinish(connection);
        return nullptr;
    };
    if (!connection)
        return fail(kStoreUnreachable, "out of memory");
    // The server's notices and warnings are not ours to print; its failures come as results.
    PQsetNoticeProcessor(connection, [](void *, const char *) {}, nullptr);
    bool reachedServer = false;
    for (PostgresPollingStatusType state = PGRES_POLLING_WRITING; state != PGRES_POLLING_OK;) {
        if (state == PGRES_POLLING_FAILED || PQstatus(connection) == CONNECTION_BAD) {
            const std::string words = LibraryWords(PQerrorMessage(connection));
            return fail(ReasonOfConnectFailure(words, reachedServer, PQconnectionNeedsPassword(connection) != 0), words);
        }
        if (state == PGRES_POLLING_READING || state == PGRES_POLLING_WRITING) {
            const int ready = WaitForSocket(PQsocket(connection), state == PGRES_POLLING_READING ? POLLIN : POLLOUT,
                                            start, limits.ConnectMs);
            if (ready == 0)
                return fail(kStoreUnreachable, "no answer within " + Seconds(limits.ConnectMs));
            if (ready < 0)
                return fail(kStoreUnreachable, "cannot wait for the store's socket");
        }
        state = PQconnectPoll(connection);
        reachedServer = reachedServer || ServerTookConnection(PQstatus(connection));
    }
    // Statements are sent without blocking so that a full socket buffer cannot hang the station.
    PQsetnonblocking(connection, 1);
    std::unique_ptr<TStoreConnection> opened(new TStoreConnection(connection, address.Display, limits.ExchangeMs));
    const std::string limit = std::to_string(limits.ExchangeMs);
    if (!opened->Exec("SET statement_timeout = " + limit + "; SET lock_timeout = " + limit +
                          "; SET idle_in_transaction_session_timeout = " + std::to_string(2 * limits.ExchangeMs),
                      failure)) {
        failure.During("connecting to the store " + address.Display);
        return nullptr;
    }
    return opened;
}

TStoreConnection::~TStoreConnection()
{
    PQfinish(FConnection);
}

TFailure TStoreConnection::Lost(const std::string &detail)
{
    FBroken = true;
    return StoreFailure(kStoreUnreachable, detail, FStore);
}

bool TStoreConnection::Wait(short events, uint32_t start, TFailure &failure)
{
    const int ready = WaitForSocket(PQsocket(FConnection), events, start, FExchangeMs);
    if (ready > 0)
        return true;
    FTimedOut = ready == 0;
    failure = Lost(ready == 0 ? "no answer within " + Seconds(FExchangeMs) : "cannot wait for the store's socket");
    return false;
}

bool TStoreConnection::Exec(const std::string &sql, TFailure &failure)
{
    TStoreRows ignored;
    return Exec(sql, {}, ignored, failure);
}

bool TStoreConnection::Exec(const std::string &sql, const std::vector<TStoreValue> &params, TStoreRows &rows,
                            TFailure &failure)
{
    rows.clear();
    if (FBroken) {
        failure = Lost("the connection was lost");
        return false;
    }
    const uint32_t start = TickCountMs();
    std::vector<const char *> values;
    for (const TStoreValue &param : params)
        values.push_back(param ? param->c_str() : nullptr);
    // Without parameters several statements may go in one exchange (the simple protocol).
    const int sent = params.empty() ? PQsendQuery(FConnection, sql.c_str())
                                    : PQsendQueryParams(FConnection, sql.c_str(), int(params.size()), nullptr,
                                                        values.data(), nullptr, nullptr, 0);
    if (!sent) {
        failure = Lost(LibraryWords(PQerrorMessage(FConnection)));
        return false;
    }
    for (int pending = PQflush(FConnection); pending != 0; pending = PQflush(FConnection)) {
        if (pending < 0 || !Wait(POLLOUT | POLLIN, start, failure)) {
            if (pending < 0)
                failure = Lost(LibraryWords(PQerrorMessage(FConnection)));
            return false;
        }
        // Read what the server sends meanwhile, or both sides could wait on full buffers.
        if (!PQconsumeInput(FConnection)) {
            failure = Lost(LibraryWords(PQerrorMessage(FConnection)));
            return false;
        }
    }
    TFailure statementFailure;
    for (;;) {
        while (PQisBusy(FConnection)) {
            if (!Wait(POLLIN, start, failure))
                return false;
            if (!PQconsumeInput(FConnection)) {
                failure = Lost(LibraryWords(PQerrorMessage(FConnection)));
                return false;
            }
        }
        PGresult *result = PQgetResult(FConnection);
        if (!result)
            break;
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_TUPLES_OK) {
            rows.clear();
            for (int row = 0; row < PQntuples(result); ++row) {
                TStoreRow &fields = rows.emplace_back();
                for (int column = 0; column < PQnfields(result); ++column)
                    fields.push_back(PQgetisnull(result, row, column)
                                         ? TStoreValue()
                                         : TStoreValue(std::string(PQgetvalue(result, row, column),
                                                                   size_t(PQgetlength(result, row, column)))));
            }
        } else if (status != PGRES_COMMAND_OK && !statementFailure.Failed()) {
            const char *state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
            const bool lost = PQstatus(FConnection) == CONNECTION_BAD;
            FBroken = FBroken || lost;
            statementFailure = StoreFailure(ReasonOfSqlState(state ? state : "", lost),
                                            LibraryWords(PQresultErrorMessage(result)), FStore);
        }
        PQclear(result);
    }
    if (PQstatus(FConnection) == CONNECTION_BAD) {
        FBroken = true;
        if (!statementFailure.Failed())
            statementFailure = Lost(LibraryWords(PQerrorMessage(FConnection)));
    }
    if (statementFailure.Failed()) {
        failure = statementFailure;
        rows.clear();
        return false;
    }
    return true;
}

} // namespace morlith
