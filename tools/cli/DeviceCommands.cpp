// SPDX-License-Identifier: MIT
#include "DeviceCommands.h"

#include "FileHandle.h"
#include "HumanReporter.h"
#include "Interruption.h"
#include "JsonReporter.h"
#include "NumberText.h"
#include "PackageCheck.h"
#include "PortAddress.h"
#include "PortMap.h"
#include "PortRunner.h"
#include "PortWait.h"
#include "Rejection.h"
#include "TerminalSize.h"
#include "PathText.h"

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
    if (options.Command == TCliCommand::ccWriteDseg)
        return ReadStandardInput(run.Job);
    if (options.Command != TCliCommand::ccReadDseg)
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
    const TOperationKind kind = options.Command == TCliCommand::ccWriteApp ? TOperationKind::okWriteApplication
                                                                           : TOperationKind::okWriteDataSegment;
    TFailure failure = ReadOperationInput(kind, job.File, "", job.Input);
    if (!failure.Failed())
        failure = CheckExpectedSha256(job.Input, options.ExpectSha256);
    return failure.Failed() ? failure : CheckTrust(options, job.Input);
}

namespace {

// Checks the command's file. "" or the problem; `status` says its kind.
std::string CheckJobFile(const TCliOptions &options, size_t portCount, TDeviceRun &run, int &status)
{
    TDeviceJob &job = run.Job;
    status = kExitBadInput;
    if (options.Command != TCliCommand::ccConnect && job.File.empty())
        return CommandName(options.Command) + ": the file name is empty";
    if (job.File == kStandardStream) {
        const std::string problem = CheckStandardStream(options, portCount, run);
        if (!problem.empty() || options.Command != TCliCommand::ccWriteDseg)
            return problem;
        const TFailure failure = CheckExpectedSha256(job.Input, options.ExpectSha256);
        return failure.Failed() ? failure.Detail : CheckTrust(options, job.Input).Detail;
    }
    if (options.Command == TCliCommand::ccWriteApp || options.Command == TCliCommand::ccWriteDseg) {
        const TFailure failure = TakeJobInput(options, job);
        if (IsPackageRefusal(failure)) {
            // It loads, but a write would refuse it: the work on the module failed.
            status = kExitFailed;
            return job.File + ": refused, nothing sent: " + failure.Detail;
        }
        return failure.Detail;
    }
    if (options.Command == TCliCommand::ccReadDseg && portCount > 1 &&
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
        if (options.Command != TCliCommand::ccReadDseg || run.Job.ToStandardOutput)
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

} // namespace

std::string PrepareDeviceRun(const TCliOptions &options, const std::vector<TPortChoice> &ports, TDeviceRun &run,
                             std::vector<TDeviceJob> &jobs, int &status)
{
    TDeviceJob &job = run.Job;
    job.Command = options.Command;
    job.File = options.Arguments.empty() ? "" : options.Arguments.front();
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
    if (options.WaitSeconds > 0)
        WaitForPorts(ports, options.WaitSeconds, options.Quiet || options.Json, console);
}

int RunDeviceCommand(const TCliOptions &options, TConsole &console)
{
    const TPortSelection selection = ChoosePorts(options.Ports);
    if (!selection.Error.empty())
        return Reject(console, options.Json, kExitBadInput, selection.Error);
    TDeviceRun run;
    int status = kExitSuccess;
    std::vector<TDeviceJob> jobs;
    const std::string problem = PrepareDeviceRun(options, selection.Ports, run, jobs, status);
    if (!problem.empty())
        return Reject(console, options.Json, status, problem);
    ReadyPorts(options, selection.Ports, console);
    // Data on standard output leaves the words to standard error.
    TConsole wordsToError(stderr, stderr, console.ErrIsTerminal());
    TConsole &words = run.Job.ToStandardOutput ? wordsToError : console;
    const auto reporter = MakeReporter(options, selection.Ports.size(), words);
    return RunOnPorts(selection.Ports, jobs, *reporter, console);
}

} // namespace morlith::cli
