// SPDX-License-Identifier: MIT
#pragma once
// Human output: a progress bar on a terminal, plain percentage lines elsewhere, one line of
// result, failures on standard error, and a summary table when several ports ran.

#include "Console.h"
#include "SessionReport.h"

#include <map>
#include <mutex>

namespace morlith::cli {

// How progress is shown.
enum class TProgressStyle {
    psNone, // --quiet
    psBar, // one port, standard error is a terminal
    psLines, // plain lines of percentages
};

// Least time between two redraws of the progress bar, in ms.
constexpr double kBarRefreshMs = 100;
// Percent steps between two progress lines when several ports share the output.
constexpr int32_t kSharedLinePercentStep = 10;

class THumanReporter : public TSessionReporter {
public:
    // `severalPorts` prefixes lines with the port and prints the summary table.
    THumanReporter(TConsole &console, TProgressStyle style, bool quiet, bool severalPorts);

    void Started(const std::string &port, const std::string &command, const std::string &file) override;
    // A line per step on standard error ("step 2 of 6: write-app main.xml, controller 1").
    void StepStarted(const std::string &port, size_t index, size_t count, const std::string &name) override;
    // A line per controller on standard output ("COM3, controller 2: absent").
    void StatusRead(const std::string &port, const std::vector<TControllerHolding> &holdings) override;
    void Progressed(const std::string &port, const TProgressStep &step) override;
    void Finished(const TPortOutcome &outcome) override;
    void Summarise(const std::vector<TPortOutcome> &outcomes) override;

private:
    // What was last shown for a port.
    struct TShown {
        int32_t Percent = -1;
        double Seconds = -1;
    };

    std::string Prefix(const std::string &port) const { return FSeveralPorts ? port + ": " : ""; }
    void DrawBar(const TProgressStep &step);

    TConsole &FConsole;
    TProgressStyle FStyle;
    bool FQuiet;
    bool FSeveralPorts;
    std::mutex FLock;
    std::map<std::string, TShown> FShown;
};

// The progress bar line for a terminal `columns` wide: bar, percent, bytes, rate and time left;
// the bar narrows and the last parts go so that the line never reaches the last column.
std::string ProgressBarText(const TProgressStep &step, unsigned columns);

} // namespace morlith::cli
