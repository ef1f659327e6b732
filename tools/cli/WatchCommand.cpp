// SPDX-License-Identifier: MIT
#include "WatchCommand.h"

#include "DeviceCommands.h"
#include "EventWait.h"
#include "JsonReporter.h"
#include "PortMap.h"
#include "PortWatcher.h"
#include "RecipeCommands.h"
#include "Rejection.h"
#include "SocketNames.h"
#include "StationDashboard.h"
#include "StationFileNames.h"
#include "StationReporter.h"
#include "StationTracker.h"

#include <list>
#include <memory>
#include <thread>

namespace morlith::cli {
namespace {

// How often the board looks at the terminal's size while nothing happens, in ms.
constexpr int kTerminalSizePollMs = 500;

// A module being worked on: its session on a thread of its own.
struct TStationWork {
    std::string Key;
    std::unique_ptr<TPortSession> Session;
    std::thread Thread;
    std::atomic<bool> Done{false};
};

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
    if (options.Watched == TCliCommand::ccReadDseg && !options.Arguments.empty()) {
        const std::string &file = options.Arguments.front();
        if (file.find(kNumberPlaceholder) == std::string::npos && file.find(kTimePlaceholder) == std::string::npos)
            return "watch read-dseg needs " + std::string(kNumberPlaceholder) + " or " + kTimePlaceholder +
                   " in the file name, so that each module gets its own file";
    }
    return "";
}

class TStation {
public:
    // `recipeRun`: watch run, every module gets the recipe (null for a device command).
    // `dashboard` (null for none) is told of the ports as they come and go.
    TStation(const TCliOptions &options, TDeviceRun &run, const TRecipeRun *recipeRun, TPortWatcher &watcher,
             TSessionReporter &reporter, TConsole &console, TStationDashboard *dashboard)
        : FOptions(options), FRun(run), FRecipeRun(recipeRun), FWatcher(watcher), FReporter(reporter), FConsole(console),
          FDashboard(dashboard), FPresentAtStart(watcher.Present()), FTracker(FPresentAtStart, options.Existing),
          FFileNames(run.Job.File, options.LogFile)
    {
    }

    // Works on the ports as they come until a stop is requested; returns every module's outcome.
    std::vector<TPortOutcome> Serve()
    {
        if (FDashboard)
            FDashboard->PortsChanged(FPresentAtStart, !FOptions.Existing);
        for (;;) {
            StartReady();
            std::vector<bool> ready;
            // A board looks at the terminal's size now and then, so that a resized window is
            // followed while nothing happens.
            const TWaitResult waited =
                WaitForInput({FWatcher.Fd(), FDone.Fd()}, FDashboard ? kTerminalSizePollMs : -1, &ready);
            if (waited == TWaitResult::wrInterrupted)
                break;
            if (waited == TWaitResult::wrTimeout) {
                FDashboard->FollowTerminalSize();
                continue;
            }
            if (ready[1]) {
                FDone.Drain();
                Reap(false);
            }
            if (ready[0]) {
                const auto departed = FWatcher.TakeDepartures();
                const std::vector<TWatchedPort> present = FWatcher.Present();
                FTracker.Update(departed, present);
                if (FDashboard)
                    FDashboard->PortsChanged(present, false);
            }
        }
        // Every session has been asked to stop; each ends after its current exchange.
        Reap(true);
        return FOutcomes;
    }

private:
    void StartReady()
    {
        const size_t running = FTracker.Running();
        if (running >= kMaxPorts)
            return;
        for (const TWatchedPort &port : FTracker.TakeReady(kMaxPorts - running))
            Start(port);
    }

    std::unique_ptr<TPortSession> MakeSession(const TWatchedPort &port)
    {
        if (FRecipeRun)
            return std::make_unique<TRecipeSession>(port.Port, *FRecipeRun, FReporter, FConsole);
        TDeviceJob job = FRun.Job;
        if (job.Command == TCliCommand::ccReadDseg)
            job.File = FFileNames.Next(port.Port);
        else
            TakeInputAgain(job);
        return std::make_unique<TDeviceSession>(port.Port, job, FReporter, FConsole);
    }

    void Start(const TWatchedPort &port)
    {
        auto work = std::make_unique<TStationWork>();
        work->Key = port.Key;
        work->Session = MakeSession(port);
        TStationWork *item = work.get();
        {
            // The workers never run the signal handler: this thread does, and it frees the sessions.
            TInterruptBlock blockedInWorker;
            work->Thread = std::thread([item, this] {
                item->Session->Run();
                item->Done = true;
                FDone.Notify();
            });
        }
        FWorks.push_back(std::move(work));
    }

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
            job.InputRefusal = failure;
            job.InputRefusal.Detail = job.Input.Label + " changed and is refused: " + failure.Detail;
            return;
        }
        job.Input = fresh.Input;
        job.InputNote = job.Input.Label + " changed: SHA-256 now " + job.Input.Sha256 + ", taken as the new input";
        // The modules after this one compare with the new content.
        FRun.Job.Input = fresh.Input;
    }

    // Collects the sessions that ended (all of them, waiting, with `all`).
    void Reap(bool all)
    {
        for (auto work = FWorks.begin(); work != FWorks.end();) {
            if (!all && !(*work)->Done) {
                ++work;
                continue;
            }
            (*work)->Thread.join();
            FOutcomes.push_back((*work)->Session->Outcome());
            FTracker.Finished((*work)->Key);
            work = FWorks.erase(work);
        }
    }

    const TCliOptions &FOptions;
    TDeviceRun &FRun;
    const TRecipeRun *FRecipeRun;
    TPortWatcher &FWatcher;
    TSessionReporter &FReporter;
    TConsole &FConsole;
    TStationDashboard *FDashboard;
    std::vector<TWatchedPort> FPresentAtStart;
    TStationTracker FTracker;
    TWakeUp FDone;
    std::list<std::unique_ptr<TStationWork>> FWorks;
    std::vector<TPortOutcome> FOutcomes;
    TStationFileNames FFileNames;
};

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
    std::unique_ptr<TSessionReporter> reporter;
    TStationDashboard *dashboard = nullptr;
    TLotTally tally(recipe ? recipeRun.Lot : options.Lot, LotTallyPath());
    tally.SetStopCheck(InterruptRequested);
    if (options.Json) {
        reporter = std::make_unique<TJsonReporter>(console);
    } else if (UsesDashboard(options, console)) {
        tally.Load();
        const TSocketNaming naming = SocketNamingNamed(options.SocketNames).value_or(TSocketNaming::snPort);
        auto board = std::make_unique<TStationDashboard>(
            console, tally, [naming](const TWatchedPort &port) { return SocketName(port, naming); });
        dashboard = board.get();
        reporter = std::move(board);
    } else {
        reporter = std::make_unique<TStationReporter>(console, options.Quiet);
    }
    // Said once the ports already there are known: whatever comes after this is new.
    TStation station(options, run, recipe ? &recipeRun : nullptr, *watcher, *reporter, console, dashboard);
    if (!options.Quiet)
        console.Err("watching " + watcher->Description() + " for modules to " + CommandName(options.Command) +
                    "; Ctrl-C ends");
    const std::vector<TPortOutcome> outcomes = station.Serve();
    reporter->Summarise(outcomes);
    return StationExitStatus(outcomes);
}

} // namespace morlith::cli
