#include "DeviceCommands.h"

#include "HumanReporter.h"
#include "JsonReporter.h"
#include "NumberText.h"
#include "PackageCheck.h"
#include "PortAddress.h"
#include "PortMap.h"
#include "PortRunner.h"
#include "PortWait.h"
#include "Rejection.h"
#include "TerminalSize.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace morlith::cli {
namespace {

// How messages name standard input.
constexpr const char *kStandardInputName = "standard input";

// True when the two paths name one file: the same path once made absolute, or one existing file.
bool SameFile(const std::string &a, const std::string &b)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::absolute(a, error).lexically_normal() == fs::absolute(b, error).lexically_normal())
        return true;
    return fs::equivalent(a, b, error);
}

// Saves standard input in a scratch file, at most one byte more than a data segment holds. "" or
// the problem.
std::string SaveStandardInput(TDeviceRun &run)
{
    if (IsTerminal(stdin))
        return "write-dseg -: standard input is a terminal; give a file or redirect one into it";
    UseBinaryMode(stdin);
    run.Input = std::make_unique<TTemporaryFile>(TemporaryFolder());
    std::FILE *file = std::fopen(run.Input->Path().c_str(), "wb");
    if (!file)
        return "write-dseg -: cannot keep standard input in " + run.Input->Path();
    char buffer[4096];
    uint64_t total = 0;
    size_t n;
    while (total <= kMaxDataSegmentBytes && (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        total += n;
        std::fwrite(buffer, 1, n, file);
    }
    const bool readFailed = std::ferror(stdin) != 0;
    const bool writeFailed = std::fclose(file) != 0;
    if (readFailed || writeFailed)
        return std::string("write-dseg -: cannot ") + (readFailed ? "read standard input" : "keep standard input");
    if (total > kMaxDataSegmentBytes)
        return "write-dseg -: standard input holds more than a data segment can hold (" +
               GroupThousands(kMaxDataSegmentBytes) + " bytes)";
    run.Job.File = run.Input->Path();
    run.Job.FileLabel = kStandardInputName;
    return "";
}

// Checks the standard streams a "-" file name stands for. "" or the problem.
std::string CheckStandardStream(const TCliOptions &options, size_t portCount, TDeviceRun &run)
{
    if (options.Command == TCliCommand::ccWriteDseg)
        return SaveStandardInput(run);
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
    run.Job.FileLabel = "standard output";
    return "";
}

// Checks the command's file. "" or the problem; `status` says its kind.
std::string CheckJobFile(const TCliOptions &options, size_t portCount, TDeviceRun &run, int &status)
{
    TDeviceJob &job = run.Job;
    status = kExitBadInput;
    if (options.Command != TCliCommand::ccConnect && job.File.empty())
        return CommandName(options.Command) + ": the file name is empty";
    if (job.File == kStandardStream)
        return CheckStandardStream(options, portCount, run);
    if (options.Command == TCliCommand::ccWriteApp) {
        const TPackageReport report = InspectPackage(job.File);
        if (!report.Loaded())
            return report.Problem;
        if (!report.Accepted()) {
            status = kExitFailed;
            return job.File + ": refused, nothing sent: " + report.Refusal;
        }
    } else if (options.Command == TCliCommand::ccWriteDseg) {
        const std::string problem = CheckReadableFile(job.File);
        if (!problem.empty())
            return problem;
        std::error_code error;
        const auto size = std::filesystem::file_size(job.File, error);
        if (!error && uint64_t(size) > kMaxDataSegmentBytes)
            return job.File + ": " + GroupThousands(uint64_t(size)) +
                   " bytes, more than a data segment can hold (" + GroupThousands(kMaxDataSegmentBytes) + ")";
    } else if (options.Command == TCliCommand::ccReadDseg && portCount > 1 &&
               job.File.find(kPortPlaceholder) == std::string::npos) {
        return "read-dseg on several ports needs " + std::string(kPortPlaceholder) +
               " in the file name, so that each port gets its own file";
    }
    return "";
}

// Opens the production log and fingerprints the file every port writes from. "" or the problem.
std::string OpenLog(const TCliOptions &options, TDeviceRun &run)
{
    if (options.LogFile.empty())
        return "";
    TFailure failure;
    run.Log = TProductionLog::Open(options.LogFile, failure);
    if (!run.Log)
        return "--log: " + failure.Message();
    run.Job.Log = run.Log.get();
    if (options.Command == TCliCommand::ccWriteApp)
        run.Job.Package = FingerprintPackage(run.Job.File);
    if (options.Command == TCliCommand::ccWriteDseg) {
        run.Job.DataFile = FingerprintFile(run.Job.File);
        run.Job.DataFile->Path = run.Job.FileName();
    }
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

std::string PrepareDeviceRun(const TCliOptions &options, size_t portCount, TDeviceRun &run, int &status)
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
    std::string problem = CheckJobFile(options, portCount, run, status);
    if (problem.empty()) {
        status = kExitBadInput;
        problem = OpenLog(options, run);
    }
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

std::string ReplaceAll(std::string text, const std::string &placeholder, const std::string &value)
{
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}

std::string FileForPort(const std::string &pattern, const TPortChoice &port)
{
    std::string name = port.Label;
    for (char &c : name)
        if (c == '/')
            c = '_';
    name.erase(0, name.find_first_not_of('_'));
    return ReplaceAll(pattern, kPortPlaceholder, name);
}

int RunDeviceCommand(const TCliOptions &options, TConsole &console)
{
    const TPortSelection selection = ChoosePorts(options.Ports);
    if (!selection.Error.empty())
        return Reject(console, options.Json, kExitBadInput, selection.Error);
    TDeviceRun run;
    int status = kExitSuccess;
    std::string problem = PrepareDeviceRun(options, selection.Ports.size(), run, status);
    std::vector<TDeviceJob> jobs;
    if (problem.empty())
        problem = JobsForPorts(options, run, selection.Ports, jobs);
    if (!problem.empty())
        return Reject(console, options.Json, status, problem);
    if (!options.Quiet && !options.Json)
        NoteRawSockets(selection.Ports, console);
    if (options.WaitSeconds > 0)
        WaitForPorts(selection.Ports, options.WaitSeconds, options.Quiet || options.Json, console);
    // Data on standard output leaves the words to standard error.
    TConsole wordsToError(stderr, stderr, console.ErrIsTerminal());
    TConsole &words = run.Job.ToStandardOutput ? wordsToError : console;
    const auto reporter = MakeReporter(options, selection.Ports.size(), words);
    return RunOnPorts(selection.Ports, jobs, *reporter, console);
}

} // namespace morlith::cli
