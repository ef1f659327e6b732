// SPDX-License-Identifier: MIT
#include "LogCommand.h"
#include "LogVerifyCommand.h"

#include "JsonLines.h"
#include "LogExport.h"
#include "TerminalSize.h"
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

// `text` safe for a terminal: control characters (C0, DEL and C1) as \xNN, so that a name in a
// log can neither break the table nor send the terminal commands.
std::string Printable(const std::string &text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x" + Hex8(byte).substr(2);
        } else if (c1) {
            shown += "\\u00" + Hex8(static_cast<unsigned char>(text[++i])).substr(2);
        } else {
            shown += text[i];
        }
    }
    return shown;
}

std::string BaseName(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file an operation used: its package, else its data file.
std::string FileOf(const nlohmann::json &record)
{
    for (const char *key : {"package", "data_file"})
        if (const nlohmann::json *file = JsonField(record, key))
            return BaseName(JsonTextOf(*file, "path"));
    return "";
}

std::string ResultOf(const nlohmann::json &record)
{
    const std::string result = JsonTextOf(record, "result");
    const nlohmann::json *error = JsonField(record, "error");
    const std::string kind = error ? JsonTextOf(*error, "kind") : "";
    const nlohmann::json *failedStep = JsonField(record, "failed_step");
    const std::string step = failedStep && failedStep->is_number()
                                 ? " at step " + std::to_string(int64_t(failedStep->get<double>()))
                                 : "";
    return kind.empty() ? result + step : result + " (" + kind + ")" + step;
}

// A table row: a unit shows its recipe and serial number (or its id), a command its file.
TRow RowOf(const nlohmann::json &record)
{
    std::string operation = JsonTextOf(record, "command");
    std::string file = FileOf(record);
    if (IsUnitRecord(record)) {
        const nlohmann::json *recipe = JsonField(record, "recipe");
        operation = "run " + BaseName(recipe ? JsonTextOf(*recipe, "path") : "");
        const std::vector<std::string> cells = CsvCells(record);
        file = cells[3].empty() ? "unit " + JsonTextOf(record, "unit") : "serial " + cells[3];
    }
    return {ShownTime(JsonTextOf(record, "time")), Printable(JsonTextOf(record, "port")), Printable(operation),
            Printable(file), Printable(ResultOf(record))};
}

void PrintTable(const std::vector<TRow> &rows, TConsole &console)
{
    std::array<size_t, kColumns> widths{};
    for (const TRow &row : rows)
        for (size_t i = 0; i < kColumns; ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    for (const TRow &row : rows) {
        std::string line;
        for (size_t i = 0; i < kColumns; ++i)
            line += i + 1 < kColumns ? PadRight(row[i], widths[i] + 2) : row[i];
        line.erase(line.find_last_not_of(' ') + 1);
        console.Out(line);
    }
}

void PrintSummary(const TLotYield &yield, bool json, TConsole &console)
{
    std::vector<TRow> rows = {{"LOT", "UNITS", "PASSED", "FAILED", "YIELD"}};
    for (const auto &[lot, count] : yield.Lots()) {
        if (json) {
            console.Out(JsonLine({{"lot", lot},
                                  {"units", int64_t(count.Units)},
                                  {"passed", int64_t(count.Passed)},
                                  {"failed", int64_t(count.Units - count.Passed)}}));
            continue;
        }
        rows.push_back({lot.empty() ? "(none)" : Printable(lot), std::to_string(count.Units),
                        std::to_string(count.Passed), std::to_string(count.Units - count.Passed), YieldText(count)});
    }
    if (json)
        return;
    if (rows.size() == 1)
        console.Out("no unit records");
    else
        PrintTable(rows, console);
}

} // namespace

std::optional<TUtcTime> ParseUtcTime(const std::string &text)
{
    static const std::regex when(
        R"(([0-9]{4})-([0-9]{2})-([0-9]{2})(?:[T ]([0-9]{2}):([0-9]{2})(?::([0-9]{2})(?:\.([0-9]{1,9}))?)?)?Z?)");
    std::smatch parts;
    if (!std::regex_match(text, parts, when))
        return std::nullopt;
    const auto number = [&parts](size_t i) { return parts[i].matched ? std::stoi(parts[i].str()) : 0; };
    const int year = number(1), month = number(2), day = number(3);
    const int hour = number(4), minute = number(5), second = number(6);
    static const int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > kDaysIn[month - 1] || (month == 2 && day == 29 && !leap) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    // Days since 1970-01-01 of the proleptic Gregorian calendar.
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = int64_t(era) * 146097 + dayOfEra - 719468;
    std::chrono::milliseconds fraction(0);
    if (parts[7].matched)
        fraction = std::chrono::milliseconds(std::stoi((parts[7].str() + "00").substr(0, 3)));
    return TUtcTime(std::chrono::seconds(days * 86400 + hour * 3600 + minute * 60 + second) + fraction);
}

std::optional<TUtcTime> SinceThreshold(const std::string &text, std::chrono::system_clock::time_point now)
{
    static const std::regex age(R"(([0-9]{1,6})([smhd]))");
    std::smatch parts;
    if (std::regex_match(text, parts, age)) {
        const long amount = std::stol(parts[1]);
        const long unit = parts[2] == "s" ? 1 : parts[2] == "m" ? 60 : parts[2] == "h" ? 3600 : 86400;
        return std::chrono::time_point_cast<std::chrono::milliseconds>(now - std::chrono::seconds(amount * unit));
    }
    return ParseUtcTime(text);
}

int RunLog(const TCliOptions &options, TConsole &console)
{
    if (options.VerifyChain)
        return RunLogVerify(options, console);
    std::optional<TUtcTime> since;
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
    TLotYield yield;
    // CSV lines end in CR LF, written as bytes so that no platform turns them into anything else.
    const auto outCsv = [&console](const std::vector<std::string> &cells) {
        const std::string csv = CsvLine(cells);
        console.OutBytes(std::vector<uint8_t>(csv.begin(), csv.end()));
    };
    if (options.Csv) {
        UseBinaryMode(stdout);
        outCsv(CsvColumns());
    }
    size_t unreadable = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        const std::optional<nlohmann::json> record = ParseJsonLine(line);
        const auto time = record ? ParseUtcTime(JsonTextOf(*record, "time")) : std::nullopt;
        if (!record || !record->is_object() || !time) {
            ++unreadable;
            continue;
        }
        if (since && *time < *since)
            continue;
        if (options.FailedOnly && JsonTextOf(*record, "result") == "ok")
            continue;
        if (options.Summary)
            yield.Add(*record);
        else if (options.Csv)
            outCsv(CsvCells(*record));
        else if (options.Json)
            console.Out(line);
        else
            rows.push_back(RowOf(*record));
    }
    if (file.bad())
        return Reject(console, options.Json, kExitFailed, "cannot read " + path, TFailureKind::fkFile);
    if (options.Summary && !options.Quiet)
        PrintSummary(yield, options.Json, console);
    else if (!options.Json && !options.Csv && !options.Quiet) {
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
