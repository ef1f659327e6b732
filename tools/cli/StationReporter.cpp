// SPDX-License-Identifier: MIT
#include "StationReporter.h"

#include <chrono>
#include <ctime>

namespace morlith::cli {
namespace {

// The local time of day, "10:15:02".
std::string TimeOfDay()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local {};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

const char *ResultWord(const TPortOutcome &outcome)
{
    return outcome.Ok() ? "ok" : outcome.Status == kExitInterrupted ? "interrupted" : "failed";
}

} // namespace

void TStationReporter::Finished(const TPortOutcome &outcome)
{
    std::string line = TimeOfDay() + "  " + outcome.Port + "  " + ResultWord(outcome) + "  " +
                       (outcome.Ok() ? outcome.Message : outcome.Reason());
    if (!outcome.ModuleState.empty())
        line += "; " + outcome.ModuleState;
    if (!outcome.Ok())
        FQuiet ? FConsole.Error(line) : FConsole.Out(line);
    else if (!FQuiet)
        FConsole.Out(line);
}

void TStationReporter::Summarise(const std::vector<TPortOutcome> &outcomes)
{
    if (!FQuiet)
        FConsole.Out(StationCounts(outcomes));
}

std::string StationCounts(const std::vector<TPortOutcome> &outcomes)
{
    size_t ok = 0;
    size_t interrupted = 0;
    for (const auto &outcome : outcomes) {
        ok += outcome.Ok() ? 1 : 0;
        interrupted += outcome.Status == kExitInterrupted ? 1 : 0;
    }
    const size_t failed = outcomes.size() - ok - interrupted;
    std::string text = std::to_string(outcomes.size()) + (outcomes.size() == 1 ? " module: " : " modules: ") +
                       std::to_string(ok) + " ok, " + std::to_string(failed) + " failed";
    if (interrupted > 0)
        text += ", " + std::to_string(interrupted) + " interrupted";
    return text;
}

} // namespace morlith::cli
