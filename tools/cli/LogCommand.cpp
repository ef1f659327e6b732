// SPDX-License-Identifier: MIT
#include "LogCommand.h"
#include "LogVerifyCommand.h"

#include "JsonLines.h"
#include "LogExport.h"
#include "LogReader.h"
#include "NumberText.h"
#include "Rejection.h"
#include "SessionReport.h"
#include "StoreCommands.h"
#include "TerminalSize.h"
#include "TerminalText.h"
#include "UnitRow.h"
#include "UnitSummary.h"

#include <algorithm>
#include <array>

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
std::string FileOf(const nlohmann::json &record)
{
    for (const char *key : {"package", "data_file"})
        if (const nlohmann::json *file = JsonField(record, key))
            return BaseName(JsonTextOf(*file, "path"));
    return "";
}

std::string ResultText(const TLogEntry &entry)
{
    const nlohmann::json &record = entry.Record;
    const nlohmann::json *error = JsonField(record, "error");
    const std::string kind = error ? JsonTextOf(*error, "kind") : "";
    const nlohmann::json *failedStep = JsonField(record, "failed_step");
    const std::string step = failedStep && failedStep->is_number_integer()
                                 ? " at step " + std::to_string(failedStep->get<int64_t>())
                                 : "";
    return kind.empty() ? ResultOf(entry) + step : ResultOf(entry) + " (" + kind + ")" + step;
}

// A table row: a unit shows its recipe and serial number (or its id), a command its file.
TRow RowOf(const TLogEntry &entry)
{
    const nlohmann::json &record = entry.Record;
    std::string operation = JsonTextOf(record, "command");
    std::string file = FileOf(record);
    if (IsUnitRecord(record)) {
        const nlohmann::json *recipe = JsonField(record, "recipe");
        operation = "run " + BaseName(recipe ? JsonTextOf(*recipe, "path") : "");
        const std::string serial = SerialTextOf(record);
        file = serial.empty() ? "unit " + JsonTextOf(record, "unit") : "serial " + serial;
    }
    return {ShownTime(JsonTextOf(record, "time")), TerminalSafe(JsonTextOf(record, "port")), TerminalSafe(operation),
            TerminalSafe(file), TerminalSafe(ResultText(entry))};
}

template <size_t N>
void PrintTable(const std::vector<std::array<std::string, N>> &rows, TConsole &console)
{
    std::array<size_t, N> widths{};
    for (const auto &row : rows)
        for (size_t i = 0; i < N; ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    for (const auto &row : rows) {
        std::string line;
        for (size_t i = 0; i < N; ++i)
            line += i + 1 < N ? PadRight(row[i], widths[i] + 2) : row[i];
        line.erase(line.find_last_not_of(' ') + 1);
        console.Out(line);
    }
}

const char *ScopeName(TSummaryScope scope)
{
    return scope == TSummaryScope::ssLot ? "lot" : scope == TSummaryScope::ssStation ? "station" : "socket";
}

TJson YieldJson(const std::optional<double> &yield)
{
    return yield ? TJson(*yield) : TJson();
}

void PrintSummary(const std::vector<TUnitRow> &units, bool json, TConsole &console)
{
    using TSummaryRow = std::array<std::string, 9>;
    std::vector<TSummaryRow> rows = {
        {"LOT", "STATION", "SOCKET", "UNITS", "PASSED", "FAILED", "INTERRUPTED", "FIRST PASS", "FINAL"}};
    const auto named = [](const std::string &name) { return name.empty() ? std::string("(none)") : TerminalSafe(name); };
    for (const TUnitSummary &summary : SummarizeUnits(units)) {
        const bool station = summary.Scope != TSummaryScope::ssLot, socket = summary.Scope == TSummaryScope::ssSocket;
        if (json) {
            TJson line = {{"scope", ScopeName(summary.Scope)}, {"lot", summary.Lot}};
            if (station)
                line["station"] = summary.Station;
            if (socket)
                line["socket"] = summary.Socket;
            line.update({{"units", summary.Units},
                         {"passed", summary.FinalPassed},
                         {"failed", summary.Units - summary.FinalPassed},
                         {"interrupted", summary.Interrupted},
                         {"stopped", summary.Stopped},
                         {"first_tried", summary.FirstTried},
                         {"first_passed", summary.FirstPassed},
                         {"first_pass_yield", YieldJson(summary.FirstPassYield())},
                         {"final_yield", YieldJson(summary.FinalYield())}});
            console.Out(JsonLine(line));
            continue;
        }
        rows.push_back({named(summary.Lot), station ? named(summary.Station) : "(all)",
                        socket ? named(summary.Socket) : "(all)", std::to_string(summary.Units),
                        std::to_string(summary.FinalPassed), std::to_string(summary.Units - summary.FinalPassed),
                        std::to_string(summary.Interrupted), YieldText(summary.FirstPassYield()),
                        YieldText(summary.FinalYield())});
    }
    if (json)
        return;
    if (rows.size() == 1)
        console.Out("no unit records");
    else
        PrintTable(rows, console);
}

// What the options ask of the records; false with the usage error in `error`.
bool FilterOf(const TCliOptions &options, TLogFilter &filter, std::string &error)
{
    if (!options.Since.empty()) {
        filter.Since = SinceThreshold(options.Since, std::chrono::system_clock::now());
        if (!filter.Since) {
            error = "--since " + options.Since + ": give a UTC date or time (2026-07-13, 2026-07-13T10:15) or an age "
                                                 "(30m, 2h, 7d)";
            return false;
        }
    }
    filter.FailedOnly = options.FailedOnly;
    filter.Serial = options.Serial;
    filter.Unit = options.Unit;
    filter.Station = options.Station;
    filter.Lot = options.Lot;
    return true;
}

bool Filtering(const TCliOptions &options)
{
    return !options.Since.empty() || options.FailedOnly || options.Serial || !options.Unit.empty() ||
           !options.Station.empty() || !options.Lot.empty();
}

} // namespace

int RunLog(const TCliOptions &options, TConsole &console)
{
    if (options.VerifyChain)
        return RunLogVerify(options, console);
    TLogFilter filter;
    std::string error;
    if (!FilterOf(options, filter, error))
        return Reject(console, options.Json, kExitBadInput, error);
    std::vector<TRow> rows = {{"TIME", "PORT", "OPERATION", "FILE", "RESULT"}};
    std::vector<TUnitRow> units;
    // CSV lines end in CR LF, written as bytes so that no platform turns them into anything else.
    const auto outCsv = [&console](const std::vector<std::string> &cells) {
        const std::string csv = CsvLine(cells);
        console.OutBytes(std::vector<uint8_t>(csv.begin(), csv.end()));
    };
    if (options.Csv) {
        UseBinaryMode(stdout);
        outCsv(CsvColumns());
    }
    const TLogVisitor each = [&](const TLogEntry &entry) {
        if (options.Summary) {
            if (std::optional<TUnitRow> unit = ParseUnitLine(entry.Line))
                units.push_back(std::move(*unit));
        } else if (options.Csv) {
            outCsv(CsvCells(entry));
        } else if (options.Json) {
            console.Out(RecordLineWithExactSerial(entry));
        } else {
            rows.push_back(RowOf(entry));
        }
    };
    uint64_t unreadable = 0;
    TFailure failure;
    const bool fromFile = !options.Arguments.empty();
    if (fromFile && !ReadLogFile(options.Arguments.front(), filter, each, unreadable, failure))
        return Reject(console, options.Json, kExitBadInput, failure);
    if (!fromFile) {
        const int status = ReadStoreLog(options, filter, each, console);
        if (status != kExitSuccess)
            return status;
    }
    if (options.Summary && !options.Quiet)
        PrintSummary(units, options.Json, console);
    else if (!options.Json && !options.Csv && !options.Quiet) {
        if (rows.size() > 1)
            PrintTable(rows, console);
        else
            console.Out("no records" + std::string(Filtering(options) ? " match" : ""));
    }
    if (unreadable > 0)
        console.Error(options.Arguments.front() + ": " + GroupThousands(unreadable) +
                      (unreadable == 1 ? " line is" : " lines are") + " not a record and " +
                      (unreadable == 1 ? "was" : "were") + " left out");
    return kExitSuccess;
}

} // namespace morlith::cli
