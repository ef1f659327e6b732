// SPDX-License-Identifier: MIT
#pragma once
// A device command or a recipe on the ports --port chooses: the run prepared and checked, the
// ports readied, then one session and one thread per port, a summary when more than one ran.

#include "CliOptions.h"
#include "PortSession.h"

#include <functional>
#include <memory>
#include <vector>

namespace morlith::cli {

// Checks and prepares the run for `ports`: "" when it can go on, otherwise the problem with
// `status` its exit status. `words` (the console at first) may be turned to where the reporter
// writes instead.
using TPrepareRun =
    std::function<std::string(const std::vector<TPortChoice> &ports, int &status, TConsole *&words)>;
// The session for ports[index].
using TMakeSession =
    std::function<std::unique_ptr<TPortSession>(size_t index, const TPortChoice &port, TSessionReporter &reporter)>;

// Chooses the ports, prepares the run, readies the ports (ReadyPorts) and runs a session on each
// at once; returns the exit status (ExitStatusOf).
int RunOnChosenPorts(const TCliOptions &options, TConsole &console, const TPrepareRun &prepare,
                     const TMakeSession &makeSession);

// The exit status of a run with these outcomes: that of the port when there is one, else 1 when
// any port failed; 130 when the run was interrupted.
int ExitStatusOf(const std::vector<TPortOutcome> &outcomes);

// The reporter of a command's events: JSON Lines, or human text for `portCount` ports.
std::unique_ptr<TSessionReporter> MakeReporter(const TCliOptions &options, size_t portCount, TConsole &console);

// Before the work on `ports` starts: notes raw TCP ports (their line settings are the server's)
// and waits up to --wait for missing ports.
void ReadyPorts(const TCliOptions &options, const std::vector<TPortChoice> &ports, TConsole &console);

} // namespace morlith::cli
