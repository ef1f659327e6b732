// SPDX-License-Identifier: MIT
#include "PortRunner.h"

#include "EventWait.h"
#include "HumanReporter.h"
#include "JsonReporter.h"
#include "PortAddress.h"
#include "PortMap.h"
#include "PortWait.h"
#include "Rejection.h"

#include <thread>

namespace morlith::cli {
namespace {

// A raw TCP port carries bytes only: the server, not this tool, sets the line up.
void NoteRawSockets(const std::vector<TPortChoice> &ports, TConsole &console)
{
    for (const TPortChoice &port : ports) {
        const auto address = ParsePortAddress(ResolvePortName(port.Label));
        if (address && address->Scheme == TAddressScheme::Socket)
            console.Err(port.Label + ": raw TCP to " + address->HostAndPort() +
                        ": the line settings (19200 bit/s, 8N1) are the server's");
    }
}

int RunSessions(std::vector<std::unique_ptr<TPortSession>> &sessions, TSessionReporter &reporter)
{
    std::vector<std::thread> threads;
    {
        TInterruptBlock blockedInWorkers;
        for (auto &session : sessions)
            threads.emplace_back([&session] { session->Run(); });
    }
    for (auto &thread : threads)
        thread.join();
    std::vector<TPortOutcome> outcomes;
    for (const auto &session : sessions)
        outcomes.push_back(session->Outcome());
    if (sessions.size() > 1)
        reporter.Summarise(outcomes);
    return ExitStatusOf(outcomes);
}

} // namespace

int ExitStatusOf(const std::vector<TPortOutcome> &outcomes)
{
    int status = kExitSuccess;
    for (const auto &outcome : outcomes) {
        if (outcome.Status == kExitInterrupted)
            return kExitInterrupted;
        if (!outcome.Ok())
            status = outcomes.size() == 1 ? outcome.Status : kExitFailed;
    }
    return status;
}

std::unique_ptr<TSessionReporter> MakeReporter(const TCliOptions &options, size_t portCount, TConsole &console)
{
    if (options.Json)
        return std::make_unique<TJsonReporter>(console);
    TProgressStyle style = TProgressStyle::psLines;
    if (options.Quiet)
        style = TProgressStyle::psNone;
    else if (portCount == 1 && console.ErrIsTerminal())
        style = TProgressStyle::psBar;
    return std::make_unique<THumanReporter>(console, style, options.Quiet, portCount > 1);
}

void ReadyPorts(const TCliOptions &options, const std::vector<TPortChoice> &ports, TConsole &console)
{
    if (!options.Quiet && !options.Json)
        NoteRawSockets(ports, console);
    if (options.WaitSeconds == 0)
        return;
    std::function<void(const std::string &)> tell;
    if (!options.Quiet && !options.Json)
        tell = [&](const std::string &missing) {
            console.Err("waiting up to " + std::to_string(options.WaitSeconds) + " s for " + missing + " to appear");
        };
    WaitForPorts(ports, options.WaitSeconds, WaitUnlessInterrupted, tell);
}

int RunOnChosenPorts(const TCliOptions &options, TConsole &console, const TPrepareRun &prepare,
                     const TMakeSession &makeSession)
{
    const TPortSelection selection = ChoosePorts(options.Ports);
    if (!selection.Error.empty())
        return Reject(console, options.Json, kExitBadInput, selection.Error);
    int status = kExitSuccess;
    TConsole *words = &console;
    const std::string problem = prepare(selection.Ports, status, words);
    if (!problem.empty())
        return Reject(console, options.Json, status, problem,
                      status == kExitInterrupted ? TFailureKind::fkStopped : TFailureKind::fkRefusedInput);
    ReadyPorts(options, selection.Ports, console);
    const auto reporter = MakeReporter(options, selection.Ports.size(), *words);
    // The sessions are made and destroyed on the main thread, which alone runs the signal
    // handler: a handler never meets a programmator being destroyed.
    std::vector<std::unique_ptr<TPortSession>> sessions;
    for (size_t i = 0; i < selection.Ports.size(); ++i)
        sessions.push_back(makeSession(i, selection.Ports[i], *reporter));
    return RunSessions(sessions, *reporter);
}

} // namespace morlith::cli
