// SPDX-License-Identifier: MIT
#pragma once
// Runs one device command on several ports at once: one session (its own programmator and
// loader) and one thread per port, a summary when more than one port ran.

#include "DeviceSession.h"

#include <memory>
#include <vector>

namespace morlith::cli {

// Runs every session at once, one thread each; returns the exit status of the run (ExitStatusOf).
// A summary is reported when more than one ran.
int RunSessions(std::vector<std::unique_ptr<TPortSession>> &sessions, TSessionReporter &reporter);

// Runs jobs[i] on ports[i], all at once; returns the exit status of the run: that of the port
// when there is one, else 1 when any port failed; 130 when the run was interrupted.
int RunOnPorts(const std::vector<TPortChoice> &ports, const std::vector<TDeviceJob> &jobs,
               TSessionReporter &reporter, TConsole &console);

// The exit status of a run with these outcomes.
int ExitStatusOf(const std::vector<TPortOutcome> &outcomes);

} // namespace morlith::cli
