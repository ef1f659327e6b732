#include "LogCommand.h"

#include "JsonLines.h"
#include "JsonRead.h"
#include "NumberText.h"
#include "Rejection.h"
#include "SessionReport.h"
#include "PathText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <regex>

namespace morlith::cli {
namespace {

constexpr size_t kColumns = 5;
using TRow = std::array<std::string, kColumns>;

// A record's time as the table shows it: to the second, "2026-07-13 10:15:02Z".
std::string ShownTime(const std::string &iso)
{
    std::string shown = iso.substr(0, std::min<size_t>(iso.size(), 19));
    if (shown.size() > 10 && shown[10] == 'T')
        shown[10] = ' ';
    return shown + (iso.empty() ? "" : "Z");
}

std::string BaseName(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file an operation used: its package, else its data file.
std::string FileOf(const TJsonValue &record)
{
    for (const char *key : {"package", "data_file"})
        if (const TJsonValue *file = record.Field(key))
            return BaseName(file->TextOf("path"));
    return "";
}

std::string ResultOf(const TJsonValue &record)
{
    const std::string result = record.TextOf("result");
    const TJsonValue *error = record.Field("error");
    const std::string kind = error ? error->TextOf("kind") : "";
    return kind.empty() ? result : result + " (" + kind + ")";
}

void PrintTable(const std::vector<TRow> &rows, TConsole &console)
{
    std::array<size_t, kColumns> widths{};
    for (const TRow &row : rows)
        for (size_t i = 0; i < kColumns; ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const TRow &row : rows) {
        std::string line;
        for (size_t i = 0; i < kColumns; ++i)
            line += i + 1 < kColumns ? PadRight(row[i], widths[i] + 2) : row[i];
        line.erase(line.find_last_not_of(' ') + 1);
        console.Out(line);
    }
}

} // namespace

std::optional<std::string> SinceThreshold(const std::string &text, std::chrono::system_clock::time_point now)
{
    static const std::regex age(R"(([0-9]{1,6})([smhd]))");
    static const std::regex when(R"(([0-9]{4}-[0-9]{2}-[0-9]{2})(?:[T ]([0-9]{2}:[0-9]{2})(:[0-9]{2})?)?Z?)");
    std::smatch parts;
    if (std::regex_match(text, parts, age)) {
        const long amount = std::stol(parts[1]);
        const long unit = parts[2] == "s" ? 1 : parts[2] == "m" ? 60 : parts[2] == "h" ? 3600 : 86400;
        return IsoUtcTime(now - std::chrono::seconds(amount * unit));
    }
    if (!std::regex_match(text, parts, when))
        return std::nullopt;
    const std::string time = parts[2].matched ? parts[2].str() : "00:00";
    const std::string seconds = parts[3].matched ? parts[3].str() : ":00";
    return parts[1].str() + "T" + time + seconds + ".000Z";
}

int RunLog(const TCliOptions &options, TConsole &console)
{
    std::optional<std::string> since;
    if (!options.Since.empty()) {
        since = SinceThreshold(options.Since, std::chrono::system_clock::now());
        if (!since)
            return Reject(console, options.Json, kExitBadInput,
                          "--since " + options.Since + ": give a UTC date or time (2026-07-13, 2026-07-13T10:15) "
                                                       "or an age (30m, 2h, 7d)");
    }
    const std::string &path = options.Arguments.front();
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    if (!file)
        return Reject(console, options.Json, kExitBadInput, "cannot read " + path, TFailureKind::fkFile);
    std::vector<TRow> rows = {{"TIME", "PORT", "OPERATION", "FILE", "RESULT"}};
    size_t unreadable = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        const std::optional<TJsonValue> record = ParseJson(line);
        if (!record || record->Kind != TJsonValue::TKind::jkObject || record->TextOf("time").empty()) {
            ++unreadable;
            continue;
        }
        if (since && record->TextOf("time") < *since)
            continue;
        if (options.FailedOnly && record->TextOf("result") == "ok")
            continue;
        if (options.Json)
            console.Out(line);
        else
            rows.push_back({ShownTime(record->TextOf("time")), record->TextOf("port"), record->TextOf("command"),
                            FileOf(*record), ResultOf(*record)});
    }
    if (file.bad())
        return Reject(console, options.Json, kExitFailed, "cannot read " + path, TFailureKind::fkFile);
    if (!options.Json && !options.Quiet) {
        if (rows.size() > 1)
            PrintTable(rows, console);
        else
            console.Out("no records" + std::string(since || options.FailedOnly ? " match" : ""));
    }
    if (unreadable > 0)
        console.Error(path + ": " + GroupThousands(unreadable) + (unreadable == 1 ? " line is" : " lines are") +
                      " not a record and " + (unreadable == 1 ? "was" : "were") + " left out");
    return kExitSuccess;
}

} // namespace morlith::cli
