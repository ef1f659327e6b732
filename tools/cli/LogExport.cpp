// SPDX-License-Identifier: MIT
#include "LogExport.h"

#include "UnitRecord.h"

#include <cmath>
#include <cstdio>

namespace morlith::cli {
namespace {

// A whole number of the record as text ("" when absent).
std::string WholeNumberOf(const TJsonValue &record, const std::string &key)
{
    const TJsonValue *value = record.Field(key);
    if (!value || value->Kind != TJsonValue::TKind::jkNumber || value->Number < 0)
        return "";
    return std::to_string(uint64_t(std::llround(value->Number)));
}

std::string ErrorField(const TJsonValue &record, const std::string &key)
{
    const TJsonValue *error = record.Field("error");
    return error ? error->TextOf(key) : "";
}

} // namespace

bool IsUnitRecord(const TJsonValue &record) { return record.TextOf("schema") == kUnitRecordSchema; }

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

std::vector<std::string> CsvCells(const TJsonValue &record)
{
    const bool unit = IsUnitRecord(record);
    std::string file;
    if (unit) {
        if (const TJsonValue *recipe = record.Field("recipe"))
            file = recipe->TextOf("path");
    } else {
        for (const char *key : {"package", "data_file"})
            if (const TJsonValue *used = record.Field(key))
                file = used->TextOf("path");
    }
    return {record.TextOf("time"),
            unit ? "unit" : "command",
            record.TextOf("unit"),
            WholeNumberOf(record, "serial"),
            record.TextOf("station"),
            record.TextOf("operator"),
            record.TextOf("lot"),
            record.TextOf("port"),
            record.TextOf("device"),
            unit ? "run" : record.TextOf("command"),
            file,
            WholeNumberOf(record, "controller"),
            record.TextOf("result"),
            WholeNumberOf(record, "failed_step"),
            ErrorField(record, "kind"),
            ErrorField(record, "message"),
            WholeNumberOf(record, "duration_ms")};
}

void TLotYield::Add(const TJsonValue &record)
{
    if (!IsUnitRecord(record))
        return;
    TCount &count = FLots[record.TextOf("lot")];
    ++count.Units;
    if (record.TextOf("result") == "ok")
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

} // namespace morlith::cli
