// SPDX-License-Identifier: MIT
#include "WatchCommand.h"

#include "DeviceCommands.h"
#include "EventWait.h"
#include "JsonReporter.h"
#include "PortMap.h"
#include "PortWatcher.h"
#include "PortRunner.h"
#include "RecipeCommands.h"
#include "Rejection.h"
#include "SocketNames.h"
#include "StationDashboard.h"
#include "StationFileNames.h"
#include "StationReporter.h"
#include "Station.h"

#include <memory>
#include <thread>

namespace morlith::cli {
namespace {

// How often the board looks at the terminal's size while nothing happens, in ms.
constexpr int kTerminalSizePollMs = 500;

// The COM names --port limits the port map to. "" or the problem.
std::string WatchedNames(const std::vector<std::string> &ports, std::vector<std::string> &names)
{
    for (const std::string &port : ports) {
        const TPortSelection one = ParsePortArgument(port);
        if (!one.Error.empty())
            return one.Error;
        if (one.Ports.front().ComNumber == 0)
            return "watch --port " + port + ": watch takes COM names from the port map; give --match for serial devices";
        names.push_back(one.Ports.front().Label);
    }
    return "";
}

// Checks what only watch asks for. "" or the problem.
std::string CheckWatchOptions(const TCliOptions &options)
{
    if (!options.Match.empty() && !options.Ports.empty())
        return "watch: give either --port (port-map entries) or --match (serial devices), not both";
    std::string error;
    if (!options.Match.empty())
        ParseDeviceMatch(options.Match, error);
    if (!error.empty())
        return error;
    if (options.Watched == TCliCommand::ccDevice && options.Operation == TOperationKind::okReadDataSegment && !options.Arguments.empty()) {
        const std::string &file = options.Arguments.front();
        if (file.find(kNumberPlaceholder) == std::string::npos && file.find(kTimePlaceholder) == std::string::npos)
            return "watch read-dseg needs " + std::string(kNumberPlaceholder) + " or " + kTimePlaceholder +
                   " in the file name, so that each module gets its own file";
    }
    return "";
}

// Makes the session of every module that appears: the recipe's, or the device command's with
// its own file to read into, or its watched input taken again.
class TStationSessions {
public:
    TStationSessions(const TCliOptions &options, TDeviceRun &run, const TRecipeRun *recipeRun,
                     TSessionReporter &reporter, TConsole &console)
        : FOptions(options), FRun(run), FRecipeRun(recipeRun), FReporter(reporter), FConsole(console),
          FFileNames(run.Job.File, options.LogFile)
    {
    }

    std::unique_ptr<TStationWork> Make(const TWatchedPort &port)
    {
        if (FRecipeRun)
            return std::make_unique<TRecipeSession>(port.Port, *FRecipeRun, FOptions.TimeoutMs, FOptions.Verbose,
                                                    FReporter, FConsole);
        TDeviceJob job = FRun.Job;
        if (job.Operation == TOperationKind::okReadDataSegment)
            job.File = FFileNames.Next(port.Port);
        else
            TakeInputAgain(job);
        return std::make_unique<TDeviceSession>(port.Port, job, FReporter, FConsole);
    }

private:
    // A watched file is read again for every module: one replaced between two modules is
    // noticed, and the module gets what the file holds now, under its own fingerprint, or nothing
    // when it is refused (--expect-sha256 refuses any change).
    void TakeInputAgain(TDeviceJob &job)
    {
        if (job.Input.Path.empty())
            return; // connect, or standard input read once
        TDeviceJob fresh = job;
        const TFailure failure = TakeJobInput(FOptions, fresh);
        if (!failure.Failed() && fresh.Input.Sha256 == job.Input.Sha256)
            return;
        if (failure.Failed()) {
            // The record names the file refused, with what it holds now; the modules after this
            // one still compare with the input taken at the start.
            job.InputRefusal = failure;
            job.InputRefusal.Detail = job.Input.Label + " changed and is refused: " + failure.Detail;
            job.Input = fresh.Input;
            return;
        }
        job.Input = fresh.Input;
        job.InputNote = job.Input.Label + " changed: SHA-256 now " + job.Input.Sha256 + ", taken as the new input";
        // The modules after this one compare with the new content.
        FRun.Job.Input = fresh.Input;
    }

    const TCliOptions &FOptions;
    TDeviceRun &FRun;
    const TRecipeRun *FRecipeRun;
    TSessionReporter &FReporter;
    TConsole &FConsole;
    TStationFileNames FFileNames;
};

// Serves the station until a stop is requested; returns every module's outcome.
std::vector<TPortOutcome> Serve(TStation &station, TStationSessions &sessions, TStationDashboard *dashboard)
{
    if (dashboard) {
        station.SetPortsListener([dashboard](const std::vector<TWatchedPort> &present, bool leftAlone) {
            dashboard->PortsChanged(present, leftAlone);
        });
        // A board looks at the terminal's size now and then, so that a resized window is followed
        // while nothing happens.
        station.SetIdleCall(kTerminalSizePollMs, [dashboard] { dashboard->FollowTerminalSize(); });
    }
    // The workers never run the signal handler: this thread does, and it frees the sessions.
    station.SetThreadStarter([](std::function<void()> body) {
        TInterruptBlock blockedInWorker;
        return std::thread(std::move(body));
    });
    std::vector<TPortOutcome> outcomes;
    station.Serve([&sessions](const TWatchedPort &port) { return sessions.Make(port); },
                  [&outcomes](TStationWork &work) { outcomes.push_back(static_cast<TPortSession &>(work).Outcome()); },
                  [](const std::vector<int> &fds, int timeoutMs, std::vector<bool> *ready) {
                      return WaitForInput(fds, timeoutMs, ready);
                  });
    return outcomes;
}

// The dashboard is for a person at a terminal: not for --quiet (failures alone, on standard
// error) nor --verbose (frame traces scroll).
bool UsesDashboard(const TCliOptions &options, const TConsole &console)
{
    return !options.Quiet && !options.Verbose && console.OutIsTerminal();
}

int StationExitStatus(const std::vector<TPortOutcome> &outcomes)
{
    bool interrupted = false;
    for (const auto &outcome : outcomes) {
        if (outcome.Status == kExitInterrupted)
            interrupted = true;
        else if (!outcome.Ok())
            return kExitFailed;
    }
    return interrupted ? kExitInterrupted : kExitSuccess;
}

} // namespace

int RunWatch(const TCliOptions &watchOptions, TConsole &console)
{
    TCliOptions options = watchOptions;
    options.Command = watchOptions.Watched;
    std::vector<std::string> names;
    std::string problem = CheckWatchOptions(options);
    if (problem.empty() && options.Match.empty())
        problem = WatchedNames(options.Ports, names);
    TDeviceRun run;
    TRecipeRun recipeRun;
    const bool recipe = options.Command == TCliCommand::ccRun;
    std::vector<TDeviceJob> noJobs;
    int status = kExitBadInput;
    recipeRun.LockNotice = [&console](const std::string &what) { console.Error(what); };
    if (problem.empty())
        problem = recipe ? PrepareRecipeRun(options, recipeRun, status)
                         : PrepareDeviceRun(options, {}, run, noJobs, status);
    if (!problem.empty())
        return Reject(console, options.Json, status, problem);
    std::string error;
    const std::unique_ptr<TPortWatcher> watcher =
        options.Match.empty() ? WatchPortMap(names, error) : WatchSerialDevices(options.Match, error);
    if (!watcher)
        return Reject(console, options.Json, kExitFailed, error, TFailureKind::fkOs);
    const TSocketNaming naming = SocketNamingNamed(options.SocketNames).value_or(TSocketNaming::snPort);
    std::optional<TSocketNameMap> shortNames = TSocketNameMap{};
    if (naming == TSocketNaming::snIdPath)
        shortNames = ReadSocketNameMap(SocketNameMapFile(), error);
    if (!shortNames)
        return Reject(console, options.Json, kExitBadInput, "socket names: " + error);
    std::unique_ptr<TSessionReporter> reporter;
    TStationDashboard *dashboard = nullptr;
    TLotRecords lot(recipe ? recipeRun.Lot : options.Lot, options.LogFile);
    if (options.Json) {
        reporter = std::make_unique<TJsonReporter>(console);
    } else if (UsesDashboard(options, console)) {
        auto board = std::make_unique<TStationDashboard>(
            console, lot,
            [naming, shortNames](const TWatchedPort &port) { return SocketName(port, naming, *shortNames); },
            ColourWanted());
        dashboard = board.get();
        reporter = std::move(board);
    } else {
        reporter = std::make_unique<TStationReporter>(console, options.Quiet);
    }
    // Said once the ports already there are known: whatever comes after this is new.
    TStation station(*watcher, options.Existing, kMaxPorts);
    TStationSessions sessions(options, run, recipe ? &recipeRun : nullptr, *reporter, console);
    if (!options.Quiet)
        console.Err("watching " + watcher->Description() + " for modules to " + CommandName(options) +
                    "; Ctrl-C ends");
    const std::vector<TPortOutcome> outcomes = Serve(station, sessions, dashboard);
    if (recipe)
        FinishRecipeSerials(recipeRun, console);
    reporter->Summarise(outcomes);
    return StationExitStatus(outcomes);
}

} // namespace morlith::cli
