// SPDX-License-Identifier: MIT
#pragma once
// The device commands (connect, write-app, read-dseg, write-dseg): every argument and file is
// checked, then the command runs on every chosen port.

#include "CliOptions.h"
#include "Console.h"
#include "DataFiles.h"
#include "DeviceSession.h"
#include "PortChoice.h"

#include <memory>

namespace morlith::cli {

// The file name that means standard output (read-dseg) or standard input (write-dseg).
inline constexpr const char *kStandardStream = "-";

// What every port of a device command shares, made and checked before anything is sent.
struct TDeviceRun {
    // The job every port gets (read-dseg: File may still hold placeholders).
    TDeviceJob Job;
    std::unique_ptr<TProductionLog> Log;
};

// Reads and checks the package or data file of a write job (`job.File`) into `job.Input`, and
// checks --expect-sha256; no failure when the job may go on.
TFailure TakeJobInput(const TCliOptions &options, TDeviceJob &job);
// True for a package that loads but that a write would refuse.
bool IsPackageRefusal(const TFailure &failure);

// Checks the command's file and options, makes one job for each of `ports` (none for watch) and
// opens the production log. "" when the command can go on; otherwise the problem, with `status`
// its exit status.
std::string PrepareDeviceRun(const TCliOptions &options, const std::vector<TPortChoice> &ports, TDeviceRun &run,
                             std::vector<TDeviceJob> &jobs, int &status);

// Runs a device command; returns the exit status.
int RunDeviceCommand(const TCliOptions &options, TConsole &console);

} // namespace morlith::cli
