#include "HumanReporter.h"

#include "NumberText.h"

#include <algorithm>
#include <cstdio>

namespace morlith::cli {
namespace {
constexpr int kBarCells = 24;
constexpr double kMsPerSecond = 1000.0;

std::string PadRight(std::string text, size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}
} // namespace

std::string ProgressBarText(const TProgressStep &step)
{
    const int32_t percent = std::clamp(step.Percent, 0, 100);
    const int filled = percent * kBarCells / 100;
    std::string text = "[" + std::string(size_t(filled), '#') + std::string(size_t(kBarCells - filled), '.') + "] ";
    char number[8];
    std::snprintf(number, sizeof number, "%3d%%", int(percent));
    text += number;
    text += "  " + GroupThousands(step.Sent) + " of " + GroupThousands(step.Total) + " bytes";
    if (step.Seconds > 0 && step.Sent > 0) {
        const double rate = double(step.Sent) / step.Seconds;
        text += "  " + FormatRate(rate);
        if (step.Sent < step.Total)
            text += "  " + FormatSeconds(double(step.Total - step.Sent) / rate) + " left";
    }
    return text;
}

THumanReporter::THumanReporter(TConsole &console, TProgressStyle style, bool quiet, bool severalPorts)
    : FConsole(console), FStyle(style), FQuiet(quiet), FSeveralPorts(severalPorts)
{
}

void THumanReporter::Started(const std::string &, const std::string &, const std::string &) {}

void THumanReporter::Progressed(const std::string &port, const TProgressStep &step)
{
    std::lock_guard<std::mutex> lock(FLock);
    TShown &shown = FShown[port];
    if (FStyle == TProgressStyle::psBar) {
        const bool last = step.Sent >= step.Total;
        if (!last && shown.Seconds >= 0 && (step.Seconds - shown.Seconds) * kMsPerSecond < kBarRefreshMs)
            return;
        shown.Seconds = step.Seconds;
        FConsole.ErrInPlace(ProgressBarText(step), last);
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
