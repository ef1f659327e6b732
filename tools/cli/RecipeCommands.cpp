// SPDX-License-Identifier: MIT
#include "RecipeCommands.h"

#include "Interruption.h"
#include "JsonReporter.h"
#include "PortRunner.h"
#include "RecipeInputs.h"
#include "RecipeLogGuard.h"
#include "Rejection.h"
#include "StoreCommands.h"

#include <algorithm>

namespace morlith::cli {
namespace {

// The recipe and its inputs, checked: every mistake found, each named by its line. The command
// line's trusted keys join the recipe's.
std::vector<TRecipeProblem> LoadAndCheck(const TCliOptions &options, const std::string &path, TRecipeRun &run)
{
    std::vector<TRecipeProblem> problems = LoadRecipe(path, run.Recipe);
    for (const std::string &key : options.TrustedKeys)
        run.Recipe.TrustedKeys.push_back({key, 0});
    // The steps that could be read have their inputs checked too: one pass names every mistake.
    const std::vector<TRecipeProblem> inputs =
        ReadRecipeInputs(run.Recipe, run.Inputs,
                         TCounterWait{[] { return InterruptRequested(); }, run.LockNotice, options.SharedCounter});
    if (const std::string problem = SerialStoreProblem(options, run.Recipe); !problem.empty())
        problems.push_back({run.Recipe.Serial()->Line, 0, problem});
    problems.insert(problems.end(), inputs.begin(), inputs.end());
    std::stable_sort(problems.begin(), problems.end(),
                     [](const TRecipeProblem &a, const TRecipeProblem &b) { return a.Line < b.Line; });
    return problems;
}

std::string ProblemLines(const std::string &path, const std::vector<TRecipeProblem> &problems)
{
    std::string text;
    for (const TRecipeProblem &problem : problems)
        text += (text.empty() ? "" : "\n") + DescribeProblem(path, problem);
    return text;
}

// Opens the production log, unless it is a file the recipe reads or writes. "" or the problem.
std::string OpenRecipeLog(const TCliOptions &options, TRecipeRun &run)
{
    if (options.LogFile.empty())
        return "";
    const TFailure refused = RecipeLogRefusal(run.Recipe, options.LogFile);
    if (refused.Failed())
        return refused.Detail;
    TFailure failure;
    run.Log = TProductionLog::Open(options.LogFile, failure);
    if (!run.Log)
        return "--log: " + failure.Message();
    run.Log->SetStopCheck([] { return InterruptRequested(); });
    return "";
}

// Opens where the recipe's serial numbers come from into `run.Serials` (nothing when no step
// takes one). The failure when it cannot be opened.
TFailure OpenRecipeSerials(const TCliOptions &options, TRecipeRun &run)
{
    const TRecipeSerial *serial = run.Recipe.Serial();
    TFailure failure;
    if (serial && serial->Origin == TSerialOrigin::soSequence)
        return OpenStoreSerials(options, run);
    if (serial)
        run.Serials = OpenLocalSerials(*serial, run.Recipe.SerialLimit(), options.SharedCounter, run.LockNotice, failure);
    return failure;
}

// The command line's value, else the recipe's.
std::string Either(const std::string &given, const std::string &recipe) { return given.empty() ? recipe : given; }

} // namespace

std::string PrepareRecipeRun(const TCliOptions &options, TRecipeRun &run, int &status)
{
    status = kExitBadInput;
    const std::string &path = options.Arguments.front();
    const std::vector<TRecipeProblem> problems = LoadAndCheck(options, path, run);
    if (InterruptRequested())
        status = kExitInterrupted;
    if (!problems.empty())
        return ProblemLines(path, problems);
    run.Station = Either(options.Station, run.Recipe.Station);
    run.Operator = Either(options.Operator, run.Recipe.Operator);
    run.Lot = Either(options.Lot, run.Recipe.Lot);
    run.Retries = options.Retries;
    const TFailure failure = OpenRecipeSerials(options, run);
    if (failure.Failed()) {
        status = failure.Kind == TFailureKind::fkRefusedInput ? kExitBadInput : kExitFailed;
        return failure.Message();
    }
    return OpenRecipeLog(options, run);
}

void FinishRecipeSerials(const TRecipeRun &run, TConsole &console)
{
    TFailure failure;
    if (run.Serials && !run.Serials->Finish(failure))
        console.Error(failure.Message() + "; the numbers left are recorded as unused at the next start");
}

int RunRecipe(const TCliOptions &options, TConsole &console)
{
    TRecipeRun run;
    run.LockNotice = [&console](const std::string &what) { console.Error(what); };
    const auto prepare = [&](const std::vector<TPortChoice> &, int &status, TConsole *&) {
        return PrepareRecipeRun(options, run, status);
    };
    const auto session = [&](size_t, const TPortChoice &port, TSessionReporter &reporter) {
        return std::make_unique<TRecipeSession>(port, run, options.TimeoutMs, options.Verbose, reporter, console);
    };
    const int status = RunOnChosenPorts(options, console, prepare, session);
    FinishRecipeSerials(run, console);
    return status;
}

int RunCheck(const TCliOptions &options, TConsole &console)
{
    const std::string &path = options.Arguments.front();
    TRecipeRun run;
    run.LockNotice = [&console](const std::string &what) { console.Error(what); };
    const std::vector<TRecipeProblem> problems = LoadAndCheck(options, path, run);
    for (const TRecipeProblem &problem : problems) {
        console.Error(DescribeProblem(path, problem));
        if (options.Json)
            console.Out(JsonLine(JsonEvent("problem", {{"file", path},
                                                       {"line", problem.Line},
                                                       {"column", problem.Column},
                                                       {"message", problem.Text}})));
    }
    size_t moduleSteps = 0;
    for (const TRecipeStep &step : run.Recipe.Steps)
        moduleSteps += step.Controllers.size();
    const std::string summary =
        problems.empty() ? path + ": ready: " + std::to_string(run.Recipe.Steps.size()) + " steps, " +
                               std::to_string(moduleSteps) + " on each module; every input accepted"
                         : path + ": " + std::to_string(problems.size()) +
                               (problems.size() == 1 ? " mistake" : " mistakes");
    if (options.Json)
        console.Out(JsonLine(JsonEvent("result", {{"ok", problems.empty()},
                                                  {"status", problems.empty() ? kExitSuccess : kExitBadInput},
                                                  {"problems", int64_t(problems.size())}})));
    else if (problems.empty() && !options.Quiet)
        console.Out(summary);
    else if (!problems.empty())
        console.Error(summary);
    if (InterruptRequested())
        return kExitInterrupted;
    return problems.empty() ? kExitSuccess : kExitBadInput;
}

} // namespace morlith::cli
