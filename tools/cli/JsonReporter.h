// SPDX-License-Identifier: MIT
#pragma once
// --json: JSON Lines on standard output, one object per event (start, progress, result, summary),
// so that a jig or a script follows the work without reading prose.

#include "Console.h"
#include "FailureJson.h"
#include "JsonLines.h"
#include "SessionReport.h"

#include <map>
#include <mutex>

namespace morlith::cli {

class TJsonReporter : public TSessionReporter {
public:
    explicit TJsonReporter(TConsole &console) : FConsole(console) {}

    void Started(const std::string &port, const std::string &command, const std::string &file) override;
    void StepStarted(const std::string &port, size_t index, size_t count, const std::string &name) override;
    // One object per percent reached.
    void Progressed(const std::string &port, const TProgressStep &step) override;
    // {"event":"status","port":…,"controllers":[…]}.
    void StatusRead(const std::string &port, const std::vector<TControllerHolding> &holdings) override;
    void Finished(const TPortOutcome &outcome) override;
    void Summarise(const std::vector<TPortOutcome> &outcomes) override;

private:
    TConsole &FConsole;
    std::mutex FLock;
    std::map<std::string, int32_t> FShownPercent;
};

} // namespace morlith::cli
