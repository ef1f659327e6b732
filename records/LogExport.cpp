// SPDX-License-Identifier: MIT
#include "LogExport.h"

#include "UnitRow.h"

#include <cstdio>
#include <set>

namespace morlith {
namespace {

// A count of the record (a controller, a step, a duration) as text; "" when absent or not a
// whole number of 64 bits.
std::string WholeNumberOf(const nlohmann::json &record, const char *key)
{
    const nlohmann::json *value = JsonField(record, key);
    if (!value || !(value->is_number_unsigned() || (value->is_number_integer() && value->get<int64_t>() >= 0)))
        return "";
    return std::to_string(value->get<uint64_t>());
}

std::string Sha256Of(const nlohmann::json &record, const char *key)
{
    const nlohmann::json *file = JsonField(record, key);
    return file ? JsonTextOf(*file, "sha256") : "";
}

// The firmware a record wrote: a command's package, or each distinct package of a unit's
// application writes, separated by blanks.
std::string FirmwareSha256Of(const nlohmann::json &record, bool unit)
{
    if (!unit)
        return Sha256Of(record, "package");
    std::string hashes;
    std::set<std::string> seen;
    const nlohmann::json *steps = JsonField(record, "steps");
    if (steps && steps->is_array())
        for (const nlohmann::json &step : *steps) {
            const std::string hash = JsonTextOf(step, "sha256");
            if (JsonTextOf(step, "command") == "write-app" && !hash.empty() && seen.insert(hash).second)
                hashes += (hashes.empty() ? "" : " ") + hash;
        }
    return hashes;
}

std::string ErrorField(const nlohmann::json &record, const std::string &key)
{
    const nlohmann::json *error = JsonField(record, "error");
    return error ? JsonTextOf(*error, key.c_str()) : "";
}

} // namespace

bool IsUnitRecord(const nlohmann::json &record)
{
    return JsonTextOf(record, "schema").rfind("unit/", 0) == 0;
}

std::string SerialTextOf(const nlohmann::json &record)
{
    const nlohmann::json *serial = JsonField(record, "serial");
    const std::optional<uint64_t> number = serial && !serial->is_null() ? SerialOfJson(*serial) : std::nullopt;
    return number ? std::to_string(*number) : "";
}

std::string RecordLineWithExactSerial(const TLogEntry &entry)
{
    const nlohmann::json *serial = JsonField(entry.Record, "serial");
    if (!serial || !serial->is_number_integer() || serial->is_number_unsigned() || serial->get<int64_t>() >= 0)
        return entry.Line;
    nlohmann::json record = entry.Record;
    record["serial"] = uint64_t(serial->get<int64_t>());
    return record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string CsvCell(const std::string &text)
{
    std::string cell;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(byte));
            cell += escape;
        } else {
            cell += c;
        }
    }
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
        "device", "operation", "file", "controller", "result", "failed_step", "error_kind", "error", "duration_ms",
        "firmware_sha256", "recipe_sha256", "host", "version"};
    return columns;
}

std::vector<std::string> CsvCells(const TLogEntry &entry)
{
    const nlohmann::json &record = entry.Record;
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
            SerialTextOf(record),
            JsonTextOf(record, "station"),
            JsonTextOf(record, "operator"),
            JsonTextOf(record, "lot"),
            JsonTextOf(record, "port"),
            JsonTextOf(record, "device"),
            unit ? "run" : JsonTextOf(record, "command"),
            file,
            WholeNumberOf(record, "controller"),
            ResultOf(entry),
            WholeNumberOf(record, "failed_step"),
            ErrorField(record, "kind"),
            ErrorField(record, "message"),
            WholeNumberOf(record, "duration_ms"),
            FirmwareSha256Of(record, unit),
            unit ? Sha256Of(record, "recipe") : "",
            JsonTextOf(record, "host"),
            JsonTextOf(record, "version")};
}

std::string YieldText(const std::optional<double> &yield)
{
    if (!yield)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.1f %%", 100.0 * *yield);
    return text;
}

} // namespace morlith
