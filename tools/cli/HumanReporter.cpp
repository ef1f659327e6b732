// SPDX-License-Identifier: MIT
#include "HumanReporter.h"

#include "ModuleHoldings.h"
#include "NumberText.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace morlith::cli {
namespace {
// The bar's width in cells: as wide as the terminal leaves room for, within these bounds.
constexpr size_t kMinBarCells = 10;
constexpr size_t kMaxBarCells = 60;
// "[" and "] " around the cells.
constexpr size_t kBarFrame = 3;
constexpr double kMsPerSecond = 1000.0;

size_t TotalLength(const std::vector<std::string> &parts)
{
    size_t length = 0;
    for (const auto &part : parts)
        length += part.size();
    return length;
}
} // namespace

std::string ProgressBarText(const TProgressStep &step, unsigned columns)
{
    const int32_t percent = std::clamp(step.Percent, 0, 100);
    char number[8];
    std::snprintf(number, sizeof number, "%3d%%", int(percent));
    // What follows the bar, most important first; the tail is dropped until the line fits.
    std::vector<std::string> parts = {number, "  " + GroupThousands(step.Sent) + " of " + GroupThousands(step.Total) + " bytes"};
    if (step.Seconds > 0 && step.Sent > 0) {
        const double rate = double(step.Sent) / step.Seconds;
        parts.push_back("  " + FormatRate(rate));
        if (step.Sent < step.Total)
            parts.push_back("  " + FormatSeconds(double(step.Total - step.Sent) / rate) + " left");
    }
    // The last column stays free: writing there makes some terminals wrap the line.
    const size_t width = columns > 1 ? columns - 1 : 0;
    while (parts.size() > 1 && TotalLength(parts) + kBarFrame + kMinBarCells > width)
        parts.pop_back();
    std::string tail;
    for (const auto &part : parts)
        tail += part;
    if (tail.size() + kBarFrame + kMinBarCells > width)
        return tail.substr(0, width);
    const size_t cells = std::min(kMaxBarCells, width - tail.size() - kBarFrame);
    const size_t filled = size_t(percent) * cells / 100;
    return "[" + std::string(filled, '#') + std::string(cells - filled, '.') + "] " + tail;
}

THumanReporter::THumanReporter(TConsole &console, TProgressStyle style, bool quiet, bool severalPorts)
    : FConsole(console), FStyle(style), FQuiet(quiet), FSeveralPorts(severalPorts)
{
}

void THumanReporter::Started(const std::string &, const std::string &, const std::string &) {}

void THumanReporter::StepStarted(const std::string &port, size_t index, size_t count, const std::string &name)
{
    if (FStyle == TProgressStyle::psNone)
        return;
    std::lock_guard<std::mutex> lock(FLock);
    // Each step's write starts its own progress.
    FShown.erase(port);
    FConsole.Err(Prefix(port) + "step " + std::to_string(index + 1) + " of " + std::to_string(count) + ": " + name);
}

void THumanReporter::StatusRead(const std::string &port, const std::vector<TControllerHolding> &holdings)
{
    std::lock_guard<std::mutex> lock(FLock);
    for (const TControllerHolding &holding : holdings) {
        std::string line = port + ", " + (holding.Controller == 0 ? std::string("main controller")
                                                                   : "controller " + std::to_string(holding.Controller));
        if (!holding.Present)
            line += ": absent (no answer to its selection)";
        else
            line += ": " + DescribeImage(holding) + "; data segment " + CountOfBytes(holding.SegmentLength()) +
                    (holding.Package ? "; holds " + *holding.Package : "");
        FConsole.Out(line);
    }
}

void THumanReporter::Progressed(const std::string &port, const TProgressStep &step)
{
    std::lock_guard<std::mutex> lock(FLock);
    TShown &shown = FShown[port];
    if (FStyle == TProgressStyle::psBar) {
        const bool last = step.Sent >= step.Total;
        if (!last && shown.Seconds >= 0 && (step.Seconds - shown.Seconds) * kMsPerSecond < kBarRefreshMs)
            return;
        shown.Seconds = step.Seconds;
        FConsole.ErrInPlace(ProgressBarText(step, FConsole.ErrColumns()), last);
        return;
    }
    if (FStyle != TProgressStyle::psLines)
        return;
    const int32_t shownStep = FSeveralPorts ? step.Percent / kSharedLinePercentStep : step.Percent;
    const int32_t lastStep = FSeveralPorts && shown.Percent >= 0 ? shown.Percent / kSharedLinePercentStep : shown.Percent;
    if (shownStep == lastStep)
        return;
    shown.Percent = step.Percent;
    FConsole.Err(Prefix(port) + std::to_string(step.Percent) + "%");
}

void THumanReporter::Finished(const TPortOutcome &outcome)
{
    if (outcome.Ok()) {
        if (!FQuiet && !FSeveralPorts)
            FConsole.Out(outcome.Message);
        return;
    }
    FConsole.Error(WithPort(outcome.Port, outcome.Reason()));
    if (!outcome.ModuleState.empty())
        FConsole.Error(Prefix(outcome.Port) + outcome.ModuleState);
}

void THumanReporter::Summarise(const std::vector<TPortOutcome> &outcomes)
{
    if (FQuiet)
        return;
    size_t portWidth = 4;
    for (const auto &outcome : outcomes)
        portWidth = std::max(portWidth, outcome.Port.size());
    const auto row = [&](const std::string &port, const std::string &result, const std::string &time,
                         const std::string &reason) {
        std::string line = PadRight(port, portWidth + 2) + PadRight(result, 13) + PadRight(time, 10) + reason;
        line.erase(line.find_last_not_of(' ') + 1);
        FConsole.Out(line);
    };
    row("PORT", "RESULT", "TIME", "REASON");
    size_t failed = 0;
    for (const auto &outcome : outcomes) {
        const char *result = outcome.Ok() ? "ok" : outcome.Status == kExitInterrupted ? "interrupted" : "failed";
        failed += outcome.Ok() ? 0 : 1;
        row(outcome.Port, result, FormatSeconds(outcome.Seconds), outcome.Reason());
    }
    FConsole.Out(std::to_string(outcomes.size() - failed) + " of " + std::to_string(outcomes.size()) +
                 " ports succeeded");
}

} // namespace morlith::cli
