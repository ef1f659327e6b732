// SPDX-License-Identifier: MIT
#include "ModuleOptions.h"

#include "AtomicFile.h"
#include "CommandWords.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace morlith {
namespace {

// Whole decimal number in [low, high], or nothing.
std::optional<unsigned long> ParseNumber(const std::string &text, unsigned long low,
                                         unsigned long high)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long value = std::stoul(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// An option with a number value: its range and where the value goes.
struct TNumberOption {
    const char *name;
    unsigned long low;
    unsigned long high;
    std::function<void(TModuleToolOptions &, unsigned long)> store;
};

const std::vector<TNumberOption> &NumberOptions()
{
    static const std::vector<TNumberOption> options = {
        {"--com", 1, kMaxComNumber, [](auto &o, auto v) { o.comNumber = unsigned(v); }},
        {"--dseg-size", 0, kMaxMemoryBytes, [](auto &o, auto v) { o.dataSegmentBytes = v; }},
        {"--bitrate", 0, 4000000, [](auto &o, auto v) { o.bitRate = unsigned(v); }},
        {"--no-reply", 1, 999999999, [](auto &o, auto v) { o.faults.noReplyFrames.insert(unsigned(v)); }},
        {"--bad-crc", 1, 999999999, [](auto &o, auto v) { o.faults.badCrcFrames.insert(unsigned(v)); }},
        {"--noise", 1, 999999999, [](auto &o, auto v) { o.faults.noiseFrames.insert(unsigned(v)); }},
        {"--trailing", 1, 999999999, [](auto &o, auto v) { o.faults.trailingFrames.insert(unsigned(v)); }},
        {"--hangup-after", 1, 999999999, [](auto &o, auto v) { o.faults.hangUpAfterFrames = unsigned(v); }},
        {"--trickle-ms", 1, kMaxTrickleDelayMs, [](auto &o, auto v) { o.faults.trickleDelayMs = unsigned(v); }},
    };
    return options;
}

// The options other than the numbers: flags, and options with a text value.
enum class TOtherOption { ooDeviceOnly, ooTrace, ooSilent, ooHelp, ooVersion, ooDsegFile, ooDump, ooControllerDseg };

struct TOtherRule {
    TOptionName Name;
    TOtherOption Option;
};

const std::vector<TOtherRule> &OtherOptions()
{
    static const std::vector<TOtherRule> options = {
        {{"device-only"}, TOtherOption::ooDeviceOnly},
        {{"trace"}, TOtherOption::ooTrace},
        {{"silent"}, TOtherOption::ooSilent},
        {{"help", 'h'}, TOtherOption::ooHelp},
        {{"version", 'V'}, TOtherOption::ooVersion},
        {{"dseg-file", 0, true}, TOtherOption::ooDsegFile},
        {{"dump", 0, true}, TOtherOption::ooDump},
        {{"controller-dseg", 0, true}, TOtherOption::ooControllerDseg},
    };
    return options;
}

// Stores a flag or a text option's value; "" or the error.
std::string StoreOtherOption(TModuleToolOptions &options, TOtherOption option, const std::string &value)
{
    switch (option) {
    case TOtherOption::ooDeviceOnly:
        options.deviceOnly = true;
        return "";
    case TOtherOption::ooTrace:
        options.trace = true;
        return "";
    case TOtherOption::ooSilent:
        options.faults.silent = true;
        return "";
    case TOtherOption::ooHelp:
        options.help = true;
        return "";
    case TOtherOption::ooVersion:
        options.version = true;
        return "";
    default:
        break;
    }
    const std::string name = option == TOtherOption::ooDsegFile ? "--dseg-file"
                             : option == TOtherOption::ooDump   ? "--dump"
                                                                : "--controller-dseg";
    if (value.empty())
        return name + " needs a value";
    if (option == TOtherOption::ooDsegFile) {
        options.dataSegmentFile = value;
    } else if (option == TOtherOption::ooDump) {
        options.dumpFile = value;
    } else {
        const size_t colon = value.find(':');
        const auto index = ParseNumber(value.substr(0, colon), 0, kControllerCount - 1);
        if (colon == std::string::npos || !index || colon + 1 == value.size())
            return "--controller-dseg needs INDEX:FILE with INDEX 0..4, not '" + value + "'";
        options.controllerDataSegmentFiles[int(*index)] = value.substr(colon + 1);
    }
    return "";
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
    std::vector<TOptionName> names;
    for (const TNumberOption &number : NumberOptions())
        names.push_back({number.name + 2, 0, true});
    for (const TOtherRule &other : OtherOptions())
        names.push_back(other.Name);
    const TCommandWords given = SplitCommandWords(arguments, names);
    const auto numberNamed = [](const std::string &name) {
        return std::find_if(NumberOptions().begin(), NumberOptions().end(),
                            [&](const TNumberOption &o) { return name == o.name; });
    };
    const auto numberProblem = [](const TNumberOption &number) {
        return std::string(number.name) + " needs a whole number from " + std::to_string(number.low) + " to " +
               std::to_string(number.high);
    };
    switch (given.Problem) {
    case TCommandLineProblem::clpNone:
        break;
    case TCommandLineProblem::clpUnknownOption:
        result.error = "unknown option '" + given.Subject + "'";
        return result;
    case TCommandLineProblem::clpNeedsValue: {
        const auto number = numberNamed(given.Subject);
        result.error = number != NumberOptions().end() ? numberProblem(*number) : given.Subject + " needs a value";
        return result;
    }
    case TCommandLineProblem::clpTakesNoValue:
        result.error = given.Subject + " takes no value";
        return result;
    default:
        result.error = given.Subject;
        return result;
    }
    if (!given.Words.empty()) {
        result.error = "unknown option '" + given.Words.front() + "'";
        return result;
    }
    for (const auto &[index, text] : given.Options) {
        if (index >= NumberOptions().size()) {
            result.error = StoreOtherOption(options, OtherOptions()[index - NumberOptions().size()].Option, text);
        } else if (const auto value = ParseNumber(text, NumberOptions()[index].low, NumberOptions()[index].high)) {
            NumberOptions()[index].store(options, *value);
        } else {
            result.error = numberProblem(NumberOptions()[index]) + ", not '" + text + "'";
        }
        if (!result.error.empty())
            return result;
    }
    if (result.error.empty() && !options.help && !options.version && options.comNumber == 0 && !options.deviceOnly)
        result.error = "say which port to link with --com N, or use --device-only";
    if (result.error.empty() && options.comNumber != 0 && options.deviceOnly)
        result.error = "--com and --device-only exclude each other";
    return result;
}

TModuleServerOptions ServerOptionsFor(const TModuleToolOptions &options)
{
    if (!options.dumpFile.empty())
        CheckDumpFile(options.dumpFile);
    TModuleServerOptions server;
    server.bitRate = options.bitRate;
    server.faults = options.faults;
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
    return R"(Usage: morlith-module --com N [OPTION]...
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

Port:
  --com N                 link the port as COM<N> (N from 1 to 255)
  --device-only           link nothing; print only the pseudo-terminal's path

Memories:
  --dseg-size N           data-segment size in bytes, 0..65535 (default: the
                          size of --dseg-file, else 512)
  --dseg-file FILE        initial data segment of every controller (raw bytes;
                          the rest of the segment reads 0xFF)
  --controller-dseg I:FILE
                          initial data segment of controller I (0..4); may be
                          repeated
  --dump FILE             write every controller's memories to FILE at exit (a
                          text dump: parameter block words, program memory and
                          data segment in hex)

Line:
  --bitrate B             pace the line at B bit/s, 10 bits a byte, in both
                          directions (default 0: as fast as possible)
  --trace                 print every request frame to stderr

Faults (frame K counts request frames from 1; options with K may be repeated):
  --no-reply K            act on frame K but send no reply
  --bad-crc K             send the reply to frame K with a wrong CRC
  --noise K               send junk bytes before the reply to frame K
  --trailing K            send junk bytes straight after the reply to frame K
  --silent                never reply (frames are still received and traced)
  --hangup-after K        reply to K frames, then hang up at the next request
                          and exit
  --trickle-ms MS         space the bytes of every reply MS ms apart (1..999)

  -h, --help              show this help and exit
  -V, --version           show the version and exit

Exit status: 0 after a signal or a requested hang-up, 1 on a failure at run
time, 2 on bad arguments.
)";
}

} // namespace morlith
