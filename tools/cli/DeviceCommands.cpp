// SPDX-License-Identifier: MIT
#include "DeviceCommands.h"

#include "FileHandle.h"
#include "Interruption.h"
#include "NumberText.h"
#include "PackageCheck.h"
#include "PortMap.h"
#include "PortRunner.h"
#include "Rejection.h"
#include "PathText.h"
#include "TerminalSize.h"

#include <cstdio>
#include <memory>

namespace morlith::cli {
namespace {

// How messages name standard input.
constexpr const char *kStandardInputName = "standard input";

// Reads standard input, at most one byte more than a data segment holds. "" or the problem.
std::string ReadStandardInput(TDeviceJob &job)
{
    if (IsTerminal(stdin))
        return "write-dseg -: standard input is a terminal; give a file or redirect one into it";
    UseBinaryMode(stdin);
    TOperationInput &input = job.Input;
    input.Label = kStandardInputName;
    uint8_t buffer[4096];
    size_t n;
    while (input.Bytes.size() <= kMaxDataSegmentBytes && (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        input.Bytes.insert(input.Bytes.end(), buffer, buffer + n);
    if (std::ferror(stdin) != 0)
        return "write-dseg -: cannot read standard input";
    if (input.Bytes.size() > kMaxDataSegmentBytes)
        return "write-dseg -: standard input holds more than a data segment can hold (" +
               GroupThousands(kMaxDataSegmentBytes) + " bytes)";
    return AcceptOperationInput(TOperationKind::okWriteDataSegment, input).Message();
}

// With --trusted-key: refuses input without a signature by one of the keys.
TFailure CheckTrust(const TCliOptions &options, TOperationInput &input)
{
    TTrustedKeys keys;
    const TFailure failure = AddTrustedKeyFiles(options.TrustedKeys, keys);
    return failure.Failed() ? failure : CheckInputSignature(keys, input);
}

// Checks the standard streams a "-" file name stands for. "" or the problem.
std::string CheckStandardStream(const TCliOptions &options, size_t portCount, TDeviceRun &run)
{
    if (options.Operation == TOperationKind::okWriteDataSegment)
        return ReadStandardInput(run.Job);
    if (options.Operation != TOperationKind::okReadDataSegment)
        return "";
    if (options.Json)
        return "read-dseg -: --json writes its events to standard output, where the data would go";
    if (portCount > 1)
        return "read-dseg -: standard output takes the data segment of one module only";
    if (IsTerminal(stdout))
        return "read-dseg -: standard output is a terminal; redirect it to a file or a program";
    UseBinaryMode(stdout);
    run.Job.ToStandardOutput = true;
    return "";
}

} // namespace

bool IsPackageRefusal(const TFailure &failure)
{
    return failure.Kind == TFailureKind::fkRefusedInput && failure.Step == "checking the package";
}

TFailure TakeJobInput(const TCliOptions &options, TDeviceJob &job)
{
    TFailure failure = ReadOperationInput(options.Operation, job.File, "", job.Input);
    if (!failure.Failed())
        failure = CheckExpectedSha256(job.Input, options.ExpectSha256);
    return failure.Failed() ? failure : CheckTrust(options, job.Input);
}

namespace {

// status: reads the header of every package asked about, before any port is opened. "" or the
// problem.
std::string ReadKnownPackages(const TCliOptions &options, TDeviceJob &job)
{
    for (const std::string &path : options.Arguments) {
        TOperationInput input;
        const TFailure failure = ReadOperationInput(TOperationKind::okWriteApplication, path, "", input);
        if (failure.Failed())
            return "status: " + (failure.Detail.empty() ? failure.Message() : failure.Detail);
        if (!options.LogFile.empty() && SameFile(options.LogFile, path))
            return "--log " + options.LogFile + " is the same file as " + path + "; the log would be written into it";
        job.Packages.push_back({path, input.Header});
    }
    return "";
}

// Checks the command's file. "" or the problem; `status` says its kind.
std::string CheckJobFile(const TCliOptions &options, size_t portCount, TDeviceRun &run, int &status)
{
    TDeviceJob &job = run.Job;
    status = kExitBadInput;
    if (options.Operation == TOperationKind::okStatus)
        return ReadKnownPackages(options, job);
    if (options.Operation != TOperationKind::okConnect && job.File.empty())
        return CommandName(options) + ": the file name is empty";
    if (job.File == kStandardStream) {
        const std::string problem = CheckStandardStream(options, portCount, run);
        if (!problem.empty() || options.Operation != TOperationKind::okWriteDataSegment)
            return problem;
        const TFailure failure = CheckExpectedSha256(job.Input, options.ExpectSha256);
        return failure.Failed() ? failure.Detail : CheckTrust(options, job.Input).Detail;
    }
    if (options.Operation == TOperationKind::okWriteApplication || options.Operation == TOperationKind::okWriteDataSegment) {
        const TFailure failure = TakeJobInput(options, job);
        if (IsPackageRefusal(failure)) {
            // It loads, but a write would refuse it: the work on the module failed.
            status = kExitFailed;
            return job.File + ": refused, nothing sent: " + failure.Detail;
        }
        return failure.Detail;
    }
    if (options.Operation == TOperationKind::okReadDataSegment && portCount > 1 &&
        job.File.find(kPortPlaceholder) == std::string::npos) {
        return "read-dseg on several ports needs " + std::string(kPortPlaceholder) +
               " in the file name, so that each port gets its own file";
    }
    return "";
}

// Opens the production log, unless it is a file the command reads or writes. "" or the problem.
std::string OpenLog(const TCliOptions &options, TDeviceRun &run)
{
    if (options.LogFile.empty())
        return "";
    if (!run.Job.File.empty() && run.Job.File != kStandardStream && SameFile(options.LogFile, run.Job.File))
        return "--log " + options.LogFile + " is the same file as " + run.Job.File +
               "; the log would be written into it";
    TFailure failure;
    run.Log = TProductionLog::Open(options.LogFile, failure);
    if (!run.Log)
        return "--log: " + failure.Message();
    // A stop request ends a wait for a lock that another station holds.
    run.Log->SetStopCheck([] { return InterruptRequested(); });
    run.Job.Log = run.Log.get();
    return "";
}

// One job per port; read-dseg files named for their ports and checked. "" or the problem.
std::string JobsForPorts(const TCliOptions &options, const TDeviceRun &run, const std::vector<TPortChoice> &ports,
                         std::vector<TDeviceJob> &jobs)
{
    for (const TPortChoice &port : ports) {
        jobs.push_back(run.Job);
        if (options.Operation != TOperationKind::okReadDataSegment || run.Job.ToStandardOutput)
            continue;
        jobs.back().File = FileForPort(run.Job.File, port);
        if (!options.LogFile.empty() && SameFile(options.LogFile, jobs.back().File))
            return "--log " + options.LogFile + " is the same file as " + jobs.back().File +
                   "; the log would be written into it";
        const std::string problem = CheckNewFile(jobs.back().File, options.Force);
        if (!problem.empty())
            return problem;
        // Two ports whose names give one file would overwrite each other's data.
        for (size_t other = 0; other + 1 < jobs.size(); ++other)
            if (SameFile(jobs[other].File, jobs.back().File))
                return "read-dseg: " + ports[other].Label + " and " + port.Label + " would both be read into " +
                       jobs.back().File;
    }
    return "";
}

} // namespace

std::string PrepareDeviceRun(const TCliOptions &options, const std::vector<TPortChoice> &ports, TDeviceRun &run,
                             std::vector<TDeviceJob> &jobs, int &status)
{
    TDeviceJob &job = run.Job;
    job.Operation = options.Operation;
    job.File = options.Arguments.empty() || options.Operation == TOperationKind::okStatus ? "" : options.Arguments.front();
    job.SkipIfCurrent = options.SkipIfCurrent;
    job.Mcu = options.Mcu;
    job.TimeoutMs = options.TimeoutMs;
    job.Force = options.Force;
    job.Verify = options.Verify;
    job.Verbose = options.Verbose;
    job.Retries = options.Retries;
    job.Station = options.Station;
    job.Operator = options.Operator;
    job.Lot = options.Lot;
    std::string problem = CheckJobFile(options, std::max<size_t>(ports.size(), 1), run, status);
    if (!problem.empty())
        return problem;
    status = kExitBadInput;
    problem = JobsForPorts(options, run, ports, jobs);
    if (problem.empty())
        problem = OpenLog(options, run);
    for (TDeviceJob &each : jobs)
        each.Log = run.Job.Log;
    return problem;
}

int RunDeviceCommand(const TCliOptions &options, TConsole &console)
{
    TDeviceRun run;
    std::vector<TDeviceJob> jobs;
    // Data on standard output leaves the words to standard error.
    TConsole wordsToError(stderr, stderr, console.ErrIsTerminal());
    const auto prepare = [&](const std::vector<TPortChoice> &ports, int &status, TConsole *&words) {
        const std::string problem = PrepareDeviceRun(options, ports, run, jobs, status);
        if (run.Job.ToStandardOutput)
            words = &wordsToError;
        return problem;
    };
    const auto session = [&](size_t index, const TPortChoice &port, TSessionReporter &reporter) {
        return std::make_unique<TDeviceSession>(port, jobs[index], reporter, console);
    };
    return RunOnChosenPorts(options, console, prepare, session);
}

} // namespace morlith::cli
