// SPDX-License-Identifier: MIT
#include "StoreFailure.h"

#include <algorithm>

namespace morlith {
namespace {

bool Holds(const std::string &text, const char *part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TFailure StoreFailure(const char *reason, const std::string &detail, const std::string &store)
{
    TFailure failure = MakeFailure(TFailureKind::fkStore, detail);
    failure.Reason = reason;
    failure.Device = store;
    return failure;
}

const char *ReasonOfSqlState(const std::string &state, bool connectionLost)
{
    if (connectionLost || state.empty() || state.compare(0, 2, "08") == 0)
        return kStoreUnreachable;
    // Shut down, crashed, starting up; a statement or lock wait past its limit.
    if (state == "57P01" || state == "57P02" || state == "57P03" || state == "57014" || state == "55P03")
        return kStoreUnreachable;
    if (state.compare(0, 2, "28") == 0)
        return kStoreAuthentication;
    // A table, schema, column or function the tool expects is not there.
    if (state == "42P01" || state == "3F000" || state == "42703" || state == "42883")
        return kStoreSchema;
    return kStoreRefused;
}

const char *ReasonOfConnectFailure(const std::string &message, bool reachedServer, bool wantedPassword)
{
    if (wantedPassword)
        return kStoreAuthentication;
    if (!reachedServer)
        return kStoreUnreachable;
    // libpq's and the server's own words (in English unless translated): the server's checks of
    // who connects come first, then whether it serves at all.
    if (Holds(message, "authentication failed") || Holds(message, "pg_hba.conf") || Holds(message, "password") ||
        (Holds(message, "role") && Holds(message, "does not exist")))
        return kStoreAuthentication;
    if (Holds(message, "starting up") || Holds(message, "shutting down") || Holds(message, "recovery mode") ||
        Holds(message, "server closed the connection") || Holds(message, "timeout"))
        return kStoreUnreachable;
    return kStoreRefused;
}

std::string LibraryWords(const std::string &message)
{
    std::string words;
    size_t start = 0;
    while (start < message.size()) {
        size_t end = message.find('\n', start);
        if (end == std::string::npos)
            end = message.size();
        std::string line = message.substr(start, end - start);
        line.erase(0, std::min(line.find_first_not_of(" \t"), line.size()));
        for (const char *prefix : {"ERROR:  ", "FATAL:  "})
            if (line.compare(0, std::string(prefix).size(), prefix) == 0)
                line.erase(0, std::string(prefix).size());
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t'))
            line.pop_back();
        if (!line.empty())
            words += (words.empty() ? "" : "; ") + line;
        start = end + 1;
    }
    return words;
}

} // namespace morlith
