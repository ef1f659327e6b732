// SPDX-License-Identifier: MIT
#include "LogReader.h"

#include "JsonLines.h"
#include "LogExport.h"
#include "PathText.h"
#include "UnitRow.h"

#include <cerrno>
#include <fstream>
#include <map>

namespace morlith {
namespace {

bool IsBlank(const std::string &line)
{
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

// Each unit that has a "started" record, and whether a later record of it ended it. Records are
// written started first, so nothing before the first "started" can end one.
bool ReadEndings(std::ifstream &file, std::map<std::string, bool> &ended)
{
    std::string line;
    while (std::getline(file, line)) {
        if (ended.empty() && line.find("started") == std::string::npos)
            continue;
        const std::optional<nlohmann::json> record = ParseJsonLine(line);
        if (!record || !IsUnitRecord(*record))
            continue;
        const std::string unit = JsonTextOf(*record, "unit");
        if (JsonTextOf(*record, "result") == "started")
            ended.emplace(unit, false);
        else if (const auto found = ended.find(unit); found != ended.end())
            found->second = true;
    }
    return !file.bad();
}

} // namespace

bool TLogFilter::Passes(const nlohmann::json &record, TUtcTime time) const
{
    if (Since && time < *Since)
        return false;
    if (FailedOnly) {
        const std::string result = JsonTextOf(record, "result");
        if (result == "ok" || result == "empty")
            return false;
    }
    if (Serial || !Unit.empty()) {
        if (!IsUnitRecord(record))
            return false;
        const nlohmann::json *serial = JsonField(record, "serial");
        if (Serial && !(serial && !serial->is_null() && SerialOfJson(*serial) == Serial))
            return false;
        if (!Unit.empty() && JsonTextOf(record, "unit") != Unit)
            return false;
    }
    return (Station.empty() || JsonTextOf(record, "station") == Station) &&
           (Lot.empty() || JsonTextOf(record, "lot") == Lot);
}

bool ReadLogFile(const std::string &path, const TLogFilter &filter, const TLogVisitor &each, uint64_t &unreadable,
                 TFailure &failure)
{
    unreadable = 0;
    const std::string step = "reading the production log " + path;
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    std::map<std::string, bool> ended;
    if (!file || !ReadEndings(file, ended)) {
        failure = FileFailure(errno ? errno : EIO, file ? "read" : "open", path, step);
        return false;
    }
    file.clear();
    file.seekg(0);
    std::string line;
    while (std::getline(file, line)) {
        if (IsBlank(line))
            continue;
        const std::optional<nlohmann::json> record = ParseJsonLine(line);
        const auto time = record && record->is_object() ? ParseUtcTime(JsonTextOf(*record, "time")) : std::nullopt;
        if (!time) {
            ++unreadable;
            continue;
        }
        bool interrupted = false;
        if (IsUnitRecord(*record) && JsonTextOf(*record, "result") == "started") {
            const auto found = ended.find(JsonTextOf(*record, "unit"));
            if (found != ended.end() && found->second)
                continue;
            interrupted = true;
        }
        if (filter.Passes(*record, *time))
            each({*record, line, interrupted});
    }
    if (file.bad()) {
        failure = FileFailure(errno ? errno : EIO, "read", path, step);
        return false;
    }
    return true;
}

std::string ResultOf(const TLogEntry &entry)
{
    return entry.Interrupted ? "interrupted" : JsonTextOf(entry.Record, "result");
}

} // namespace morlith
