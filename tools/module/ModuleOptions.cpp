// SPDX-License-Identifier: MIT
#include "ModuleOptions.h"

#include "PortMap.h"

#include "AtomicFile.h"
#include "CommandWords.h"
#include "HelpFormatter.h"
#include "NumberText.h"
#include "OptionChecks.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {
namespace {

// The highest frame number a fault may name.
constexpr uint64_t kMaxFrameNumber = 999999999;
// The fastest line --bitrate paces, in bit/s.
constexpr uint64_t kMaxBitRate = 4000000;
// Where option descriptions start in the help.
constexpr size_t kOptionColumn = 26;

// The controller of INDEX:FILE: INDEX 0..4 and a file name after the colon; nothing otherwise.
std::optional<uint64_t> ControllerOf(const std::string &value)
{
    const size_t colon = value.find(':');
    if (colon == std::string::npos || colon + 1 == value.size())
        return std::nullopt;
    return ParseWholeNumber(value.substr(0, colon), 0, kControllerCount - 1);
}

CLI::Validator ControllerFile()
{
    return CLI::Validator(
        [](std::string &value) {
            return ControllerOf(value) ? std::string() : "takes INDEX:FILE with INDEX 0..4, not \"" + value + "\"";
        },
        "");
}

// A frame number K, counted from 1.
CLI::Validator FrameNumber() { return WholeNumber(1, kMaxFrameNumber); }

// The command line of morlith-module, storing into `options`.
std::unique_ptr<CLI::App> DeclareModuleCommandLine(TModuleToolOptions &options)
{
    auto app = std::make_unique<CLI::App>("", "morlith-module");
    PrepareCommandLine(*app, "show this help and exit", "show the version and exit");
    const auto number = [&](const std::string &name, const std::string &valueName, const CLI::Validator &range,
                            const std::function<void(uint64_t)> &store, const std::string &description) {
        return app->add_option_function<uint64_t>(name, store, description)->transform(range)->option_text(valueName);
    };
    // A fault at frame K; may be repeated.
    const auto frames = [&](const std::string &name, std::set<unsigned> &target, const std::string &description) {
        return app->add_option_function<std::vector<uint64_t>>(
                      name, [&target](const std::vector<uint64_t> &k) { target.insert(k.begin(), k.end()); },
                      description)
            ->transform(FrameNumber())
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->allow_extra_args(false)
            ->option_text("K");
    };

    app->option_defaults()->group("Port");
    CLI::Option *com = number("--com", "N", WholeNumber(1, kMaxComNumber),
                              [&](uint64_t n) { options.comNumber = unsigned(n); },
                              "link the port as COM<N> (N from 1 to 255)");
    app->add_flag("--device-only", options.deviceOnly, "link nothing; print only the pseudo-terminal's path")
        ->disable_flag_override()
        ->excludes(com);

    app->option_defaults()->group("Memories");
    number("--dseg-size", "N", WholeNumber(0, kMaxMemoryBytes), [&](uint64_t n) { options.dataSegmentBytes = n; },
           "data-segment size in bytes, 0..65535 (default: the size of --dseg-file, else 512)");
    app->add_option("--dseg-file", options.dataSegmentFile,
                    "initial data segment of every controller (raw bytes; the rest of the segment reads 0xFF)")
        ->check(NotEmpty("empty file name"))
        ->option_text("FILE");
    app->add_option_function<std::vector<std::string>>(
           "--controller-dseg",
           [&](const std::vector<std::string> &values) {
               for (const std::string &value : values)
                   options.controllerDataSegmentFiles[int(*ControllerOf(value))] = value.substr(value.find(':') + 1);
           },
           "initial data segment of controller I (0..4); may be repeated")
        ->check(ControllerFile())
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->option_text("I:FILE");
    app->add_option_function<std::vector<uint64_t>>(
           "--absent", [&](const std::vector<uint64_t> &slaves) { options.absentControllers.insert(slaves.begin(), slaves.end()); },
           "slave I (1..4) is not fitted: its selection gets no reply; may be repeated")
        ->transform(WholeNumber(1, kControllerCount - 1))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->option_text("I");
    app->add_option("--dump", options.dumpFile,
                    "write every controller's memories to FILE at exit (a text dump: parameter block words, program "
                    "memory and data segment in hex)")
        ->check(NotEmpty("empty file name"))
        ->option_text("FILE");

    app->option_defaults()->group("Line");
    number("--bitrate", "B", WholeNumber(0, kMaxBitRate), [&](uint64_t n) { options.bitRate = unsigned(n); },
           "pace the line at B bit/s, 10 bits a byte, in both directions (default 0: as fast as possible)");
    app->add_flag("--trace", options.trace, "print every request frame to stderr")->disable_flag_override();

    app->option_defaults()->group("Faults (frame K counts request frames from 1; options with K may be repeated)");
    frames("--no-reply", options.faults.noReplyFrames, "act on frame K but send no reply");
    frames("--bad-crc", options.faults.badCrcFrames, "send the reply to frame K with a wrong CRC");
    frames("--noise", options.faults.noiseFrames, "send junk bytes before the reply to frame K");
    frames("--trailing", options.faults.trailingFrames, "send junk bytes straight after the reply to frame K");
    app->add_flag("--silent", options.faults.silent, "never reply (frames are still received and traced)")
        ->disable_flag_override();
    number("--hangup-after", "K", FrameNumber(), [&](uint64_t n) { options.faults.hangUpAfterFrames = unsigned(n); },
           "reply to K frames, then hang up at the next request and exit");
    number("--trickle-ms", "MS", WholeNumber(1, kMaxTrickleDelayMs),
           [&](uint64_t n) { options.faults.trickleDelayMs = unsigned(n); },
           "space the bytes of every reply MS ms apart (1..999)");

    app->description(R"(Usage: morlith-module --com N [OPTION]...
       morlith-module --device-only [OPTION]...

A virtual KEV-xxx-BUS module: a stand-in for the module's bootloader, served on
a pseudo-terminal. With --com N the pseudo-terminal is linked as COM<N> in the
port map directory ($XDG_CONFIG_HOME/morlith/ports, by default
~/.config/morlith/ports); an existing symbolic link of that name is replaced,
any other file is left alone. Once ready it prints one line, "COM<N> <device>"
(or only "<device>" with --device-only), then serves until SIGINT, SIGTERM,
SIGHUP or SIGPIPE and removes its link on the way out.

The module has five controllers (0 main, 1..4 slaves), each with a parameter
block, a program memory and a data segment, all erased at start. It answers the
commands C, I, Q, F, W, P and D. A partial request frame is dropped after 200 ms
of silence.
)");
    app->footer(R"(Exit status: 0 after a signal or a requested hang-up, 1 on a failure at run
time, 2 on bad arguments.
)");
    app->formatter(std::make_shared<THelpFormatter>(kOptionColumn));
    return app;
}

// The content of a data-segment file: a regular file no larger than a data segment can be. A
// device (/dev/zero), a folder or a FIFO is refused without reading it.
std::vector<uint8_t> ReadDataFile(const std::string &path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    struct stat info {};
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!regular || uint64_t(info.st_size) > kMaxMemoryBytes) {
        close(fd);
        throw std::runtime_error(regular ? path + " holds " + std::to_string(info.st_size) +
                                               " bytes, more than a data segment can (" +
                                               std::to_string(kMaxMemoryBytes) + ")"
                                         : path + " is not a regular file");
    }
    // One byte more than a segment holds shows a file that grew since fstat.
    std::vector<uint8_t> bytes(kMaxMemoryBytes + 1);
    size_t got = 0;
    ssize_t n = 1;
    while (got < bytes.size() && n != 0) {
        n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n > 0)
            got += size_t(n);
        else if (n < 0 && errno != EINTR)
            break;
    }
    const int error = errno;
    close(fd);
    if (n < 0)
        throw std::runtime_error("cannot read " + path + ": " + std::strerror(error));
    if (got > kMaxMemoryBytes)
        throw std::runtime_error(path + " grew past what a data segment can hold");
    bytes.resize(got);
    return bytes;
}

// Refuses at start a dump that could not be written at exit: one whose folder is missing or is
// no folder, or that names a folder itself.
void CheckDumpFile(const std::string &path)
{
    const std::string folder = FolderOf(path);
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0)
        throw std::runtime_error("cannot dump to " + path + ": " + folder + ": " + std::strerror(errno));
    if (!S_ISDIR(info.st_mode))
        throw std::runtime_error("cannot dump to " + path + ": " + folder + " is not a folder");
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw std::runtime_error("cannot dump to " + path + ": it is a folder");
}

} // namespace

TModuleToolArguments ParseModuleToolArguments(const std::vector<std::string> &arguments)
{
    TModuleToolArguments result;
    TModuleToolOptions &options = result.options;
    const auto app = DeclareModuleCommandLine(options);
    const TCommandLineReading reading = ReadCommandLine(*app, arguments);
    if (reading.Outcome == TCommandLineOutcome::cloHelp || reading.Outcome == TCommandLineOutcome::cloVersion) {
        options = TModuleToolOptions();
        (reading.Outcome == TCommandLineOutcome::cloHelp ? options.help : options.version) = true;
    } else if (reading.Outcome == TCommandLineOutcome::cloError) {
        result.error = reading.Error;
    } else if (options.comNumber == 0 && !options.deviceOnly) {
        result.error = "say which port to link with --com N, or use --device-only";
    }
    return result;
}

TModuleServerOptions ServerOptionsFor(const TModuleToolOptions &options)
{
    if (!options.dumpFile.empty())
        CheckDumpFile(options.dumpFile);
    TModuleServerOptions server;
    server.bitRate = options.bitRate;
    server.faults = options.faults;
    server.absentControllers = options.absentControllers;
    if (!options.dataSegmentFile.empty())
        server.dataSegmentForAll = ReadDataFile(options.dataSegmentFile);
    for (const auto &[index, path] : options.controllerDataSegmentFiles)
        server.dataSegmentOf[index] = ReadDataFile(path);
    server.dataSegmentBytes = options.dataSegmentBytes.value_or(
        options.dataSegmentFile.empty() ? kDefaultDataSegmentBytes : server.dataSegmentForAll.size());
    const auto check = [&](const std::vector<uint8_t> &contents, const std::string &path) {
        if (contents.size() > server.dataSegmentBytes)
            throw std::runtime_error(path + " holds " + std::to_string(contents.size()) +
                                     " bytes, more than the data segment of " +
                                     std::to_string(server.dataSegmentBytes) + " bytes");
    };
    check(server.dataSegmentForAll, options.dataSegmentFile);
    for (const auto &[index, path] : options.controllerDataSegmentFiles)
        check(server.dataSegmentOf[index], path);
    return server;
}

std::string ModuleToolHelp()
{
    TModuleToolOptions options;
    return DeclareModuleCommandLine(options)->help();
}

} // namespace morlith
