// SPDX-License-Identifier: MIT
#pragma once
// Human output of station mode: one line per module on standard output (when, port, result and
// what was done or why it failed), and a count of the modules at the end.

#include "Console.h"
#include "SessionReport.h"

namespace morlith::cli {

class TStationReporter : public TSessionReporter {
public:
    // `quiet` keeps only the failed modules, on standard error.
    TStationReporter(TConsole &console, bool quiet) : FConsole(console), FQuiet(quiet) {}

    void Started(const std::string &, const std::string &, const std::string &) override {}
    void Progressed(const std::string &, const TProgressStep &) override {}
    void Finished(const TPortOutcome &outcome) override;
    void Summarise(const std::vector<TPortOutcome> &outcomes) override;

private:
    TConsole &FConsole;
    bool FQuiet;
};

// The counts of a watch run in words: "3 modules: 2 ok, 1 failed".
std::string StationCounts(const std::vector<TPortOutcome> &outcomes);

} // namespace morlith::cli
