// SPDX-License-Identifier: MIT
#include "LogExport.h"

#include "UnitRecord.h"

#include <cmath>
#include <cstdio>

namespace morlith {
namespace {

// A whole number of the record as text ("" when absent).
std::string WholeNumberOf(const nlohmann::json &record, const std::string &key)
{
    const nlohmann::json *value = JsonField(record, key.c_str());
    if (!value || !value->is_number() || value->get<double>() < 0)
        return "";
    return std::to_string(uint64_t(std::llround(value->get<double>())));
}

std::string ErrorField(const nlohmann::json &record, const std::string &key)
{
    const nlohmann::json *error = JsonField(record, "error");
    return error ? JsonTextOf(*error, key.c_str()) : "";
}

} // namespace

bool IsUnitRecord(const nlohmann::json &record) { return JsonTextOf(record, "schema") == kUnitRecordSchema; }

std::string CsvCell(const std::string &text)
{
    std::string cell = text;
    if (!cell.empty() && std::string("=+-@\t\r").find(cell.front()) != std::string::npos)
        cell.insert(cell.begin(), '\'');
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (const char c : cell)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string> &cells)
{
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i)
        line += (i ? "," : "") + CsvCell(cells[i]);
    return line + "\r\n";
}

const std::vector<std::string> &CsvColumns()
{
    static const std::vector<std::string> columns = {
        "time",   "record", "unit",   "serial",      "station",    "operator", "lot",  "port",
        "device", "operation", "file", "controller", "result", "failed_step", "error_kind", "error", "duration_ms"};
    return columns;
}

std::vector<std::string> CsvCells(const nlohmann::json &record)
{
    const bool unit = IsUnitRecord(record);
    std::string file;
    if (unit) {
        if (const nlohmann::json *recipe = JsonField(record, "recipe"))
            file = JsonTextOf(*recipe, "path");
    } else {
        for (const char *key : {"package", "data_file"})
            if (const nlohmann::json *used = JsonField(record, key))
                file = JsonTextOf(*used, "path");
    }
    return {JsonTextOf(record, "time"),
            unit ? "unit" : "command",
            JsonTextOf(record, "unit"),
            WholeNumberOf(record, "serial"),
            JsonTextOf(record, "station"),
            JsonTextOf(record, "operator"),
            JsonTextOf(record, "lot"),
            JsonTextOf(record, "port"),
            JsonTextOf(record, "device"),
            unit ? "run" : JsonTextOf(record, "command"),
            file,
            WholeNumberOf(record, "controller"),
            JsonTextOf(record, "result"),
            WholeNumberOf(record, "failed_step"),
            ErrorField(record, "kind"),
            ErrorField(record, "message"),
            WholeNumberOf(record, "duration_ms")};
}

void TLotYield::Add(const nlohmann::json &record)
{
    if (!IsUnitRecord(record))
        return;
    TCount &count = FLots[JsonTextOf(record, "lot")];
    ++count.Units;
    if (JsonTextOf(record, "result") == "ok")
        ++count.Passed;
}

std::string YieldText(const TLotYield::TCount &count)
{
    if (count.Units == 0)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.1f %%", 100.0 * double(count.Passed) / double(count.Units));
    return text;
}

} // namespace morlith
