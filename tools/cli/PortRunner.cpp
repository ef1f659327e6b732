// SPDX-License-Identifier: MIT
#include "PortRunner.h"

#include <memory>
#include <thread>

namespace morlith::cli {

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

int RunOnPorts(const std::vector<TPortChoice> &ports, const std::vector<TDeviceJob> &jobs,
               TSessionReporter &reporter, TConsole &console)
{
    // The sessions are made and destroyed on the main thread, which alone runs the signal
    // handler: a handler never meets a programmator being destroyed.
    std::vector<std::unique_ptr<TPortSession>> sessions;
    for (size_t i = 0; i < ports.size(); ++i)
        sessions.push_back(std::make_unique<TDeviceSession>(ports[i], jobs[i], reporter, console));
    return RunSessions(sessions, reporter);
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

} // namespace morlith::cli
