// SPDX-License-Identifier: MIT
#include "UnitSummary.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace morlith {
namespace {

bool IsTry(const TUnitRow &row)
{
    return row.Result == "ok" || row.Result == "failed";
}

// A unit is known by its serial, else by its id.
std::string UnitKey(const TUnitRow &row)
{
    return row.Serial ? "serial " + std::to_string(*row.Serial) : "unit " + row.Unit;
}

// A group: the lot; whether it is a station, and which; whether it is a socket, and which (so a
// station named "" is not taken for the whole lot).
using TGroupKey = std::tuple<std::string, bool, std::string, bool, std::string>;

struct TGroup {
    TUnitSummary Summary;
    // Each unit tried here, and whether its last try here passed.
    std::map<std::string, bool> LastPassed;
};

std::optional<double> Ratio(uint64_t part, uint64_t whole)
{
    return whole == 0 ? std::nullopt : std::optional<double>(double(part) / double(whole));
}

} // namespace

std::optional<double> TUnitSummary::FirstPassYield() const
{
    return Ratio(FirstPassed, FirstTried);
}

std::optional<double> TUnitSummary::FinalYield() const
{
    return Ratio(FinalPassed, Units);
}

std::vector<TUnitSummary> SummarizeUnits(const std::vector<TUnitRow> &rows)
{
    std::vector<const TUnitRow *> ordered;
    for (const TUnitRow &row : rows)
        if (row.Result != "empty")
            ordered.push_back(&row);
    std::stable_sort(ordered.begin(), ordered.end(), [](const TUnitRow *a, const TUnitRow *b) {
        return std::make_pair(a->StartedMs.value_or(a->TimeMs), a->Unit) <
               std::make_pair(b->StartedMs.value_or(b->TimeMs), b->Unit);
    });
    std::map<TGroupKey, TGroup> groups;
    std::set<std::string> triedBefore;
    for (const TUnitRow *row : ordered) {
        const bool firstTry = IsTry(*row) && triedBefore.insert(UnitKey(*row)).second;
        const TGroupKey keys[] = {{row->Lot, false, "", false, ""},
                                  {row->Lot, true, row->Station, false, ""},
                                  {row->Lot, true, row->Station, true, row->Socket}};
        for (const TGroupKey &key : keys) {
            TGroup &group = groups[key];
            TUnitSummary &summary = group.Summary;
            summary.Scope = std::get<3>(key)   ? TSummaryScope::ssSocket
                            : std::get<1>(key) ? TSummaryScope::ssStation
                                               : TSummaryScope::ssLot;
            summary.Lot = row->Lot;
            summary.Station = std::get<2>(key);
            summary.Socket = std::get<4>(key);
            if (row->Result == "ok")
                ++summary.Ok;
            else if (row->Result == "failed")
                ++summary.Failed;
            else if (row->Result == "stopped")
                ++summary.Stopped;
            else if (row->Result == "started" || row->Result == "interrupted")
                ++summary.Interrupted;
            if (!IsTry(*row))
                continue;
            group.LastPassed[UnitKey(*row)] = row->Result == "ok";
            if (firstTry) {
                ++summary.FirstTried;
                summary.FirstPassed += row->Result == "ok";
            }
        }
    }
    std::vector<TUnitSummary> summaries;
    for (auto &[key, group] : groups) {
        group.Summary.Units = group.LastPassed.size();
        for (const auto &[unit, passed] : group.LastPassed)
            group.Summary.FinalPassed += passed;
        summaries.push_back(group.Summary);
    }
    return summaries;
}

} // namespace morlith
