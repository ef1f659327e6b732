// SPDX-License-Identifier: MIT
#pragma once
// What `log` makes of the production log's records beyond its table: the yield of each lot
// (--summary) and CSV for a spreadsheet or a MES import (--csv), units and commands alike.

#include "JsonLines.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace morlith {

// True for a unit record (a recipe run on one module), false for a per-command record.
bool IsUnitRecord(const nlohmann::json &record);

// One cell as RFC 4180 writes it: quoted when it holds a comma, a quote or a line end, quotes
// doubled. A cell that a spreadsheet would take for a formula (starting with =, +, -, @, a tab or
// a carriage return) gets a leading apostrophe first, so that it stays text.
std::string CsvCell(const std::string &text);
// Cells joined by commas, ending in CR LF.
std::string CsvLine(const std::vector<std::string> &cells);
// The column names, and one record's cells in that order.
const std::vector<std::string> &CsvColumns();
std::vector<std::string> CsvCells(const nlohmann::json &record);

// Counts the units of each lot and how many passed.
class TLotYield {
public:
    struct TCount {
        uint64_t Units = 0;
        uint64_t Passed = 0;
    };
    // Counts a unit record; other records are left out.
    void Add(const nlohmann::json &record);
    // Lots in name order ("" for units without a lot).
    const std::map<std::string, TCount> &Lots() const { return FLots; }

private:
    std::map<std::string, TCount> FLots;
};

// "97.5 %" for 39 of 40; "-" for none.
std::string YieldText(const TLotYield::TCount &count);

} // namespace morlith
