// SPDX-License-Identifier: MIT
#include "StoreAddress.h"

#include <libpq-fe.h>

#include <map>

namespace morlith {
namespace {

const char *const kSchemes[] = {"postgresql://", "postgres://"};

TFailure Refused(const std::string &detail)
{
    TFailure failure = MakeFailure(TFailureKind::fkRefusedInput, detail);
    return failure.During("reading the store's address");
}

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// True when the URI's user part ("user:secret@") or its query ("?password=...") holds a
// password. Checked on the text before libpq reads it, so that no message of libpq can repeat one.
bool CarriesPassword(const std::string &uri, size_t authorityStart)
{
    const size_t authorityEnd = uri.find_first_of("/?", authorityStart);
    const std::string authority = uri.substr(authorityStart, authorityEnd == std::string::npos
                                                                 ? std::string::npos
                                                                 : authorityEnd - authorityStart);
    const size_t at = authority.rfind('@');
    if (at != std::string::npos && authority.find(':') < at)
        return true;
    const size_t query = uri.find('?');
    if (query == std::string::npos)
        return false;
    for (size_t start = query + 1; start <= uri.size();) {
        const size_t end = std::min(uri.find('&', start), uri.size());
        const std::string key = uri.substr(start, uri.find('=', start) < end ? uri.find('=', start) - start : end - start);
        if (key == "password" || key == "sslpassword")
            return true;
        start = end + 1;
    }
    return false;
}

// "user@host:port/database" from libpq's reading of the address.
std::string DisplayOf(const std::map<std::string, std::string> &options)
{
    auto value = [&](const char *key) {
        const auto found = options.find(key);
        return found == options.end() ? std::string() : found->second;
    };
    std::string display;
    if (!value("user").empty())
        display += value("user") + "@";
    display += value("host").empty() ? (value("hostaddr").empty() ? "local socket" : value("hostaddr")) : value("host");
    if (!value("port").empty())
        display += ":" + value("port");
    if (!value("dbname").empty())
        display += "/" + value("dbname");
    return display;
}

} // namespace

bool ResolveStoreAddress(const std::string &option, const std::string &variable, TStoreAddress &address,
                         TFailure &failure)
{
    address = {};
    failure = {};
    const std::string &uri = option.empty() ? variable : option;
    const std::string from = option.empty() ? std::string(kStoreVariable) : "--store";
    if (uri.empty())
        return false;
    size_t authorityStart = std::string::npos;
    for (const char *scheme : kSchemes)
        if (StartsWith(uri, scheme))
            authorityStart = std::string(scheme).size();
    if (authorityStart == std::string::npos) {
        failure = Refused(from + " is not a postgresql:// address");
        return false;
    }
    if (CarriesPassword(uri, authorityStart)) {
        failure = Refused(from + " carries a password; a password belongs in ~/.pgpass or the file PGPASSFILE names, "
                                 "never in the store's address");
        return false;
    }
    char *problem = nullptr;
    PQconninfoOption *parsed = PQconninfoParse(uri.c_str(), &problem);
    if (!parsed) {
        std::string reason = problem ? problem : "out of memory";
        PQfreemem(problem);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
            reason.pop_back();
        failure = Refused(from + " is not an address libpq can read: " + reason);
        return false;
    }
    std::map<std::string, std::string> options;
    for (const PQconninfoOption *entry = parsed; entry->keyword; ++entry)
        if (entry->val)
            options[entry->keyword] = entry->val;
    PQconninfoFree(parsed);
    // Percent-encoded or otherwise hidden from the text check, libpq still finds it.
    if (!options["password"].empty() || !options["sslpassword"].empty()) {
        failure = Refused(from + " carries a password; a password belongs in ~/.pgpass or the file PGPASSFILE names, "
                                 "never in the store's address");
        return false;
    }
    address.Uri = uri;
    address.Display = DisplayOf(options);
    return true;
}

} // namespace morlith
