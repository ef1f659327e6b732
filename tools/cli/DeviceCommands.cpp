#include "DeviceCommands.h"

#include "DataFiles.h"
#include "HumanReporter.h"
#include "JsonReporter.h"
#include "NumberText.h"
#include "PackageCheck.h"
#include "PortRunner.h"
#include "Rejection.h"

#include <filesystem>
#include <memory>

namespace morlith::cli {
namespace {

// True when the two paths name one file: the same path once made absolute, or one existing file.
bool SameFile(const std::string &a, const std::string &b)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::absolute(a, error).lexically_normal() == fs::absolute(b, error).lexically_normal())
        return true;
    return fs::equivalent(a, b, error);
}

// Checks the command's file; fills one job per port. "" or the problem; `status` says its kind.
std::string PrepareJobs(const TCliOptions &options, const std::vector<TPortChoice> &ports,
                        std::vector<TDeviceJob> &jobs, int &status)
{
    TDeviceJob job;
    job.Command = options.Command;
    job.File = options.Arguments.empty() ? "" : options.Arguments.front();
    job.Mcu = options.Mcu;
    job.TimeoutMs = options.TimeoutMs;
    job.Force = options.Force;
    job.Verify = options.Verify;
    job.Verbose = options.Verbose;
    status = kExitBadInput;
    if (options.Command != TCliCommand::ccConnect && job.File.empty())
        return CommandName(options.Command) + ": the file name is empty";
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
    } else if (options.Command == TCliCommand::ccReadDseg && ports.size() > 1 &&
               job.File.find(kPortPlaceholder) == std::string::npos) {
        return "read-dseg on several ports needs " + std::string(kPortPlaceholder) +
               " in the file name, so that each port gets its own file";
    }
    for (const TPortChoice &port : ports) {
        jobs.push_back(job);
        if (options.Command != TCliCommand::ccReadDseg)
            continue;
        jobs.back().File = FileForPort(job.File, port);
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

} // namespace

std::string FileForPort(const std::string &pattern, const TPortChoice &port)
{
    std::string name = port.Label;
    for (char &c : name)
        if (c == '/')
            c = '_';
    name.erase(0, name.find_first_not_of('_'));
    std::string file = pattern;
    const std::string placeholder = kPortPlaceholder;
    for (size_t at = file.find(placeholder); at != std::string::npos; at = file.find(placeholder, at + name.size()))
        file.replace(at, placeholder.size(), name);
    return file;
}

int RunDeviceCommand(const TCliOptions &options, TConsole &console)
{
    const TPortSelection selection = ChoosePorts(options.Ports);
    if (!selection.Error.empty())
        return Reject(console, options.Json, kExitBadInput, selection.Error);
    std::vector<TDeviceJob> jobs;
    int status = kExitSuccess;
    const std::string problem = PrepareJobs(options, selection.Ports, jobs, status);
    if (!problem.empty())
        return Reject(console, options.Json, status, problem);
    const auto reporter = MakeReporter(options, selection.Ports.size(), console);
    return RunOnPorts(selection.Ports, jobs, *reporter, console);
}

} // namespace morlith::cli
