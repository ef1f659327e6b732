// SPDX-License-Identifier: MIT
#pragma once
// What `log` makes of the production log's records beyond its table: CSV for a spreadsheet or a
// MES import (--csv), units and commands alike, and the yields of the summary as text.

#include "JsonLines.h"
#include "LogReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlith {

// True for a unit record (a recipe run on one module), false for a per-command record.
bool IsUnitRecord(const nlohmann::json &record);
// A unit record's serial as exact decimal text, over the whole 64-bit range; "" when it has none.
std::string SerialTextOf(const nlohmann::json &record);

// The record's line as written; with a serial an older writer wrote as a negative number (one at
// or above 2^63), the record again with that serial as the unsigned number it is.
std::string RecordLineWithExactSerial(const TLogEntry &entry);

// One cell as RFC 4180 writes it: quoted when it holds a comma, a quote or a line end, quotes
// doubled. A cell that a spreadsheet would take for a formula (starting with =, +, -, @, a tab or
// a carriage return) gets a leading apostrophe first, so that it stays text. Control characters
// other than tab and line ends (NUL, which ends a C string in many importers, ESC, which a terminal
// showing the file acts on) are written as \xNN.
std::string CsvCell(const std::string &text);
// Cells joined by commas, ending in CR LF.
std::string CsvLine(const std::vector<std::string> &cells);
// The column names, and one record's cells in that order (the firmware, recipe, host and version
// columns last, so that imports of the older columns keep working).
const std::vector<std::string> &CsvColumns();
std::vector<std::string> CsvCells(const TLogEntry &entry);

// A yield as "97.5 %" (39 of 40); "-" when there was nothing to count.
std::string YieldText(const std::optional<double> &yield);

} // namespace morlith
