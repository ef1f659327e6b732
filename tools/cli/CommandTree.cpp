// SPDX-License-Identifier: MIT
#include "CommandTree.h"

#include "CommandWords.h"
#include "FirmwareFormat.h"
#include "HelpFormatter.h"
#include "OptionChecks.h"

#include <algorithm>
#include <functional>

namespace morlith::cli {
namespace {

const char *const kModuleCommands = "Commands that talk to a module";
const char *const kOtherCommands = "Commands without a module";

// A name the records carry (station, operator, lot): not empty, no control characters.
CLI::Validator PrintableName()
{
    return CLI::Validator(
        [](std::string &value) {
            const bool control =
                std::any_of(value.begin(), value.end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7F; });
            return value.empty() || control ? "takes a name of printable characters, not \"" + value + "\""
                                            : std::string();
        },
        "");
}

CLI::Validator Sha256Hex()
{
    return CLI::Validator(
        [](std::string &value) {
            const bool hex = value.size() == 64 && value.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
            return hex ? std::string() : "takes 64 hexadecimal digits, not \"" + value + "\"";
        },
        "");
}

// Declares the commands and options on one app, all storing into one TCliOptions.
class TDeclaration {
public:
    TDeclaration(TCliOptions &options, std::vector<std::string> &portLists, THelpPlatform platform)
        : O(options), FPortLists(portLists), FLinux(platform == THelpPlatform::Linux)
    {
    }

    std::unique_ptr<CLI::App> Declare();

private:
    const char *ForPlatform(const char *linuxText, const char *windowsText) const { return FLinux ? linuxText : windowsText; }

    // The kinds of option; each returns the option for what only some commands add to it. Values
    // are stored through O, which outlives the declaration (captured by reference, never `this`).
    CLI::Option *Flag(CLI::App &command, const std::string &names, bool &target, const std::string &description)
    {
        return command.add_flag(names, target, description)->disable_flag_override();
    }
    CLI::Option *Text(CLI::App &command, const std::string &names, const std::string &valueName, std::string &target,
                      const std::string &description)
    {
        return command.add_option(names, target, description)->option_text(valueName);
    }
    CLI::Option *Number(CLI::App &command, const std::string &names, const std::string &valueName,
                        const CLI::Validator &range, const std::function<void(uint64_t)> &store,
                        const std::string &description)
    {
        return command.add_option_function<uint64_t>(names, store, description)->transform(range)->option_text(valueName);
    }
    // The arguments of a command, in order.
    void Arguments(CLI::App &command, const std::vector<std::string> &names)
    {
        for (const std::string &name : names)
            command.add_option_function<std::string>(name, [&O = O](const std::string &v) { O.Arguments.push_back(v); })
                ->required();
    }

    CLI::App &Command(CLI::App &parent, const std::string &name, const std::string &group,
                      const std::string &description)
    {
        return *parent.add_subcommand(name.substr(name.rfind(' ') + 1), description)->group(group);
    }
    CLI::App &Command(CLI::App &parent, TCliCommand command, const std::string &group, const std::string &description)
    {
        return Command(parent, CommandName(command), group, description);
    }

    // The options of every command that talks to a module; a watched command does not wait.
    void DeviceOptions(CLI::App &command, bool watched);
    void Mcu(CLI::App &command);
    void Force(CLI::App &command);
    void Verify(CLI::App &command);
    void ExpectSha256(CLI::App &command);
    void TrustedKey(CLI::App &command);
    // A command on one controller, with its arguments, the device options and --mcu.
    CLI::App &ControllerCommand(CLI::App &parent, TOperationKind operation, const std::string &group,
                                const std::vector<std::string> &arguments, const std::string &description,
                                bool watched);
    // connect, write-app, read-dseg, write-dseg and run, under `parent` in `group`.
    void DeviceCommands(CLI::App &parent, const std::string &group, bool watched);
    void Watch(CLI::App &app);
    void Info(CLI::App &app);
    void Pack(CLI::App &app);
    void Ports(CLI::App &app);
    void Log(CLI::App &app);
    void StoreOption(CLI::App &command);
    void Store(CLI::App &app);
    // --shared-counter and --store: where a recipe's serial numbers come from.
    void SerialOptions(CLI::App &command);

    TCliOptions &O;
    std::vector<std::string> &FPortLists;
    bool FLinux;
};

void TDeclaration::DeviceOptions(CLI::App &command, bool watched)
{
    command.add_option("-p,--port", FPortLists,
                       ForPlatform("COM<n>, a number n (COM<n>), a device path, or a line behind a device server: "
                            "rfc2217://HOST:PORT (line settings carried) or socket://HOST:PORT (raw TCP; the server "
                            "sets the line); IPv6 hosts in brackets. May be repeated or given as a list (COM1,COM2) "
                            "to run on every port at once. Default: the Port in Config.mlhxml of the current folder "
                            "plus one; COM1 when there is no such file",
                            "COM<n> or a number n (COM<n>), as Device Manager names the port under Ports (COM & "
                            "LPT), or a line behind a device server: rfc2217://HOST:PORT or socket://HOST:PORT; may "
                            "be repeated or given as a list (COM1,COM2) to run on every port at once. Default: the "
                            "Port in Config.mlhxml of the current folder plus one; COM1 when there is no such file"))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [](std::string &value) {
                const bool empty = value.empty() || value.front() == ',' || value.back() == ',' ||
                                   value.find(",,") != std::string::npos;
                return empty ? "empty port name in \"" + value + "\"" : std::string();
            },
            ""))
        ->option_text("P");
    Number(command, "--timeout", "MS", WholeNumber(kMinTimeoutMs, kMaxTimeoutMs),
           [&O = O](uint64_t n) { O.TimeoutMs = uint32_t(n); }, "reply inactivity limit in ms (default 1000)");
    Flag(command, "-v,--verbose", O.Verbose, "trace every frame on standard error");
    Text(command, "--log", "FILE", O.LogFile,
         "append one JSON line per module and operation to FILE (the production log); a log that cannot be opened "
         "stops the command before anything is sent")
        ->check(NotEmpty("empty file name"));
    if (!watched)
        Number(command, "--wait", "S", WholeNumber(0, kMaxWaitSeconds),
               [&O = O](uint64_t n) { O.WaitSeconds = uint32_t(n); },
               "wait up to S seconds for a missing port to appear");
    Number(command, "--retries", "N", WholeNumber(0, kMaxRetries), [&O = O](uint64_t n) { O.Retries = uint32_t(n); },
           "try the connect handshake N more times, 500 ms apart (a write is never repeated)");
    Text(command, "--station", "NAME", O.Station,
         "written into every record of --log (run: in place of the recipe's station, operator and lot)")
        ->check(PrintableName());
    Text(command, "--operator", "NAME", O.Operator, "the same for the operator")->check(PrintableName());
    Text(command, "--lot", "NAME", O.Lot,
         ForPlatform("the same for the lot; watch on a terminal: the lot's counts and yield from --log",
                     "the same for the lot"))
        ->check(PrintableName());
}

void TDeclaration::Mcu(CLI::App &command)
{
    Number(command, "-m,--mcu", "N", WholeNumber(0, kMaxMcuIndex), [&O = O](uint64_t n) { O.Mcu = uint8_t(n); },
           "controller: 0 main (default), 1..4 slaves");
}

void TDeclaration::Force(CLI::App &command)
{
    Flag(command, "-f,--force", O.Force,
         ForPlatform("read-dseg, pack, info --image-out: replace an existing file; write-dseg: write a FILE longer than the "
              "module's data segment; ports map: replace the entry",
              "read-dseg, pack, info --image-out: replace an existing file; write-dseg: write a FILE longer than the "
              "module's data segment"));
}

void TDeclaration::Verify(CLI::App &command)
{
    Flag(command, "--verify", O.Verify,
         "write-dseg: read back and compare; write-app: read the parameter block back and compare it with the header "
         "written");
}

void TDeclaration::ExpectSha256(CLI::App &command)
{
    Text(command, "--expect-sha256", "HEX", O.ExpectSha256, "write-app, write-dseg: refuse a FILE whose SHA-256 is not HEX")
        ->check(Sha256Hex());
}

void TDeclaration::TrustedKey(CLI::App &command)
{
    command.add_option("--trusted-key", O.TrustedKeys,
                       "a minisign public key file (may be repeated): a package or data file is sent only when "
                       "FILE.minisig beside it is a signature by one of these keys")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false)
        ->check(NotEmpty("empty file name"))
        ->option_text("FILE");
}

CLI::App &TDeclaration::ControllerCommand(CLI::App &parent, TOperationKind operation, const std::string &group,
                                          const std::vector<std::string> &arguments, const std::string &description,
                                          bool watched)
{
    CLI::App &declared = Command(parent, OperationCommand(operation), group, description);
    Arguments(declared, arguments);
    DeviceOptions(declared, watched);
    Mcu(declared);
    return declared;
}

void TDeclaration::DeviceCommands(CLI::App &parent, const std::string &group, bool watched)
{
    ControllerCommand(parent, TOperationKind::okConnect, group, {}, "connect (selecting --mcu), say so, disconnect",
                      watched);
    CLI::App &writeApp = ControllerCommand(parent, TOperationKind::okWriteApplication, group, {"PACKAGE"},
                                           "write the application of a firmware package", watched);
    Verify(writeApp);
    ExpectSha256(writeApp);
    TrustedKey(writeApp);
    Flag(writeApp, "--skip-if-current", O.SkipIfCurrent,
         "write-app: send no image when the controller's parameter block already gives the package's image length, "
         "CRC and data-segment length (the result says \"already current\")");
    Force(ControllerCommand(parent, TOperationKind::okReadDataSegment, group, {"FILE"},
                            "read the data segment into FILE (- for standard output); an existing FILE is kept "
                            "unless --force is given; with several ports FILE must hold {port}, which becomes the "
                            "port's name (COM3)",
                            watched));
    CLI::App &writeDseg = ControllerCommand(parent, TOperationKind::okWriteDataSegment, group, {"FILE"},
                                            "write FILE (- for standard input) into the data segment; --verify "
                                            "reads it back and reports the first differing offset",
                                            watched);
    Force(writeDseg);
    Verify(writeDseg);
    ExpectSha256(writeDseg);
    TrustedKey(writeDseg);
    if (!watched) {
        CLI::App &status = Command(parent, OperationCommand(TOperationKind::okStatus), group,
                                   "read the parameter block of every controller (main, slaves 1..4; a slave that "
                                   "does not answer is absent) and say each one's image length and CRC, its data "
                                   "segment's length and which of the PACKAGEs it holds");
        status.add_option_function<std::vector<std::string>>("PACKAGE", [&O = O](const std::vector<std::string> &v) {
            O.Arguments.insert(O.Arguments.end(), v.begin(), v.end());
        });
        DeviceOptions(status, watched);
    }
    // A recipe names its own controllers.
    CLI::App &run =
        Command(parent, TCliCommand::ccRun, group,
                "run a recipe's steps (write-app, write-dseg and read-dseg, each on one controller or a list) on one "
                "connection per module; a failed step ends that module's work; the serial number of each module "
                "comes from the recipe's counter; --log gets one unit record per module");
    Arguments(run, {"RECIPE"});
    DeviceOptions(run, watched);
    TrustedKey(run);
    SerialOptions(run);
}

void TDeclaration::SerialOptions(CLI::App &command)
{
    Flag(command, "--shared-counter", O.SharedCounter,
         "take serial numbers from a counter on a network share (NFS, SMB): the site has checked that its locks "
         "reach every station");
    StoreOption(command);
}

void TDeclaration::Watch(CLI::App &app)
{
    CLI::App &watch =
        Command(app, TCliCommand::ccWatch, ForPlatform(kModuleCommands, ""),
                "station mode: run connect, write-app, read-dseg, write-dseg or run on every port that appears, until "
                "Ctrl-C; one line per module, then the counts; on a terminal one line per socket, redrawn in place, "
                "and the counts of the lot. Ports are port-map entries (--port limits which), or with --match serial "
                "devices; a port is taken again only after it went away and came back. read-dseg needs {n} (the "
                "module's number) or {time} in FILE");
    watch.require_subcommand(1, 1);
    Text(watch, "--match", "M", O.Match,
         "watch: serial devices with USB ids M (VID:PID, 0403:6001 or 0403:*) or a /dev/serial/by-id name matching "
         "the pattern M")
        ->check(NotEmpty("give VID:PID or a /dev/serial/by-id name pattern"));
    Flag(watch, "--existing", O.Existing, "watch: take the ports present at the start too");
    Text(watch, "--socket-names", "N", O.SocketNames,
         "watch on a terminal: name the sockets after the port (port, the default) or after the USB port the "
         "adapter is plugged into (id-path: udev's ID_PATH)")
        ->check(OneOf({"port", "id-path"}));
    // The commands it runs, each with its own options but --wait; not listed again.
    DeviceCommands(watch, "", true);
}

void TDeclaration::Info(CLI::App &app)
{
    CLI::App &info = Command(app, TCliCommand::ccInfo, kOtherCommands,
                             "show the header fields, the key and the image of a package, and whether a write would "
                             "accept it");
    Arguments(info, {"PACKAGE"});
    Force(info);
    Text(info, "--image-out", "FILE", O.Pack.ImageOut, "write the image with the key taken off (-: standard output)")
        ->check(NotEmpty("empty file name"))
        ->group(kCommandOwnGroup);
}

void TDeclaration::Pack(CLI::App &app)
{
    CLI::App &pack = Command(app, TCliCommand::ccPack, kOtherCommands,
                             "build a package from a firmware file: raw binary, Intel HEX, S-records or ELF (the file "
                             "bytes of its PT_LOAD segments at their physical addresses), told apart by content");
    Arguments(pack, {"FILE"});
    Text(pack, "-o,--out", "PACKAGE", O.Out, "the package to write (-: standard output)")
        ->check(NotEmpty("empty file name"))
        ->required()
        ->group(kCommandOwnGroup);
    const auto dsegLength = [&O = O](uint64_t n) { O.Pack.DsegLength = uint16_t(n); };
    Number(pack, "--dseg-length", "N", WholeNumber(0, UINT16_MAX, TNumberForm::nfDecimalOrHex), dsegLength,
           "the data-segment length the module has after the write: the header's third word (--word3 is its older "
           "name)")
        ->group(kCommandOwnGroup);
    Number(pack, "--word3", "N", WholeNumber(0, UINT16_MAX, TNumberForm::nfDecimalOrHex), dsegLength, "")
        ->group(kUnlistedGroup);
    pack.add_option_function<std::string>(
            "--format", [&O = O](const std::string &name) { O.Pack.Format = FormatFromName(name); }, "the input format")
        ->check(OneOf({FormatName(TFirmwareFormat::ffBinary), FormatName(TFirmwareFormat::ffIntelHex),
                       FormatName(TFirmwareFormat::ffSRecord), FormatName(TFirmwareFormat::ffElf)}))
        ->option_text("bin|ihex|srec|elf")
        ->group(kCommandOwnGroup);
    Number(pack, "--base", "ADDR", WholeNumber(0, UINT64_MAX, TNumberForm::nfDecimalOrHex, "an address"),
           [&O = O](uint64_t n) { O.Pack.Base = n; }, "the image's first address (default: the lowest address of the data)")
        ->group(kCommandOwnGroup);
    Number(pack, "--fill", "BYTE",
           WholeNumber(0, UINT8_MAX, TNumberForm::nfDecimalOrHex, "a byte value from 0 to 255"),
           [&O = O](uint64_t n) { O.Pack.Fill = uint8_t(n); }, "the value of gap bytes (default 0xFF)")
        ->group(kCommandOwnGroup);
    Number(pack, "--piece", "BYTES", WholeNumber(0, UINT16_MAX), [&O = O](uint64_t n) { O.PieceBytes = size_t(n); },
           "image bytes per piece (default 32, 0: one)")
        ->group(kCommandOwnGroup);
    Force(pack);
}

void TDeclaration::Ports(CLI::App &app)
{
    CLI::App &ports = Command(app, TCliCommand::ccPorts, kOtherCommands,
                              ForPlatform("list the port map and the serial devices present",
                                   "list the COM ports with their names in Device Manager, USB ids and serial numbers"));
    CLI::App &map = Command(ports, TCliCommand::ccPortsMap, ForPlatform(kOtherCommands, ""),
                            "add COM<n> -> DEVICE to the port map (--force replaces); DEVICE may be "
                            "rfc2217://HOST:PORT or socket://HOST:PORT");
    Arguments(map, {"COM<n>", "DEVICE"});
    Force(map);
    CLI::App &unmap =
        Command(ports, TCliCommand::ccPortsUnmap, ForPlatform(kOtherCommands, ""), "remove COM<n> from the port map");
    Arguments(unmap, {"COM<n>"});
}

void TDeclaration::Log(CLI::App &app)
{
    CLI::App &log = Command(app, TCliCommand::ccLog, kOtherCommands,
                            "show a production log (FILE, or without it the store's unit records) as a table: time, "
                            "port, operation (a unit: its recipe), file (a unit: its serial number) and result");
    log.add_option_function<std::string>("FILE", [&O = O](const std::string &v) { O.Arguments.push_back(v); });
    Text(log, "--since", "WHEN", O.Since,
         "log: records from WHEN on (UTC: 2026-07-13, 2026-07-13T10:15) or of the last 30m, 2h, 7d")
        ->check(NotEmpty("give a date, a time or an age such as 2h"));
    Flag(log, "--failed", O.FailedOnly, "log: failed records only");
    Number(log, "--serial", "N", WholeNumber(0, UINT64_MAX), [&O = O](uint64_t n) { O.Serial = n; },
           "log: the unit records of serial number N only");
    Text(log, "--unit", "ID", O.Unit, "log: the records of the unit ID only")->check(NotEmpty("give a unit id"));
    Text(log, "--station", "NAME", O.Station, "log: the records of station NAME only")->check(PrintableName());
    Text(log, "--lot", "NAME", O.Lot, "log: the records of lot NAME only")->check(PrintableName());
    CLI::Option *summary =
        Flag(log, "--summary", O.Summary,
             "log: per lot, station and socket the units, passed, failed, interrupted, the first-pass yield (each "
             "unit by its serial at its first try) and the final yield");
    CLI::Option *csv = Flag(log, "--csv", O.Csv,
                            "log: the records as CSV (RFC 4180) for a spreadsheet or a MES; cells that would start a "
                            "formula begin with '");
    summary->excludes(csv);
    Flag(log, "--verify", O.VerifyChain,
         "log: follow the chain of the records (each names the SHA-256 of the line before it) and name the first "
         "line where it breaks")
        ->excludes(summary)
        ->excludes(csv);
    StoreOption(log);
}

void TDeclaration::StoreOption(CLI::App &command)
{
    Text(command, "--store", "URL", O.Store,
         "the shared store, a PostgreSQL URI such as postgresql://line@db.example/factory (default: the environment "
         "variable MORLITH_STORE); its password only from ~/.pgpass or PGPASSFILE")
        ->check(NotEmpty("give a postgresql:// URI"));
}

void TDeclaration::Store(CLI::App &app)
{
    CLI::App &store = *app.add_subcommand("store", "the shared store of a factory of stations (PostgreSQL)")
                           ->group(kOtherCommands);
    store.require_subcommand(1, 1);
    CLI::App &init = Command(store, TCliCommand::ccStoreInit, kOtherCommands,
                             "make the store's tables or bring older ones up to this version (safe from several "
                             "stations at once; tables newer than this tool are left alone)");
    StoreOption(init);
    CLI::App &sequence = Command(store, TCliCommand::ccStoreSequence, kOtherCommands,
                                 "with NAME and --next N: make the serial sequence NAME or move it to N (upward only "
                                 "unless --force); alone: list the sequences with their next numbers");
    sequence.add_option_function<std::string>("NAME", [&O = O](const std::string &v) { O.Arguments.push_back(v); });
    Number(sequence, "--next", "N", WholeNumber(0, UINT64_MAX), [&O = O](uint64_t n) { O.Next = n; },
           "store sequence: the next number the sequence gives");
    Flag(sequence, "-f,--force", O.Force, "store sequence: move the sequence down (its numbers may be given again)");
    StoreOption(sequence);
    CLI::App &push = Command(store, TCliCommand::ccStorePush, kOtherCommands,
                             "send the unit records of local production logs that the store does not have yet; "
                             "safe to repeat");
    push.add_option_function<std::vector<std::string>>(
            "FILE", [&O = O](const std::vector<std::string> &v) { O.Arguments.insert(O.Arguments.end(), v.begin(), v.end()); })
        ->required();
    StoreOption(push);
}

std::unique_ptr<CLI::App> TDeclaration::Declare()
{
    auto app = std::make_unique<CLI::App>("", "morlith-cli");
    PrepareCommandLine(*app, "this text", "the version");
    Flag(*app, "-q,--quiet", O.Quiet, "print nothing but errors");
    Flag(*app, "--json", O.Json, "JSON Lines on standard output: start, progress, result events");
    DeviceCommands(*app, kModuleCommands, false);
    Watch(*app);
    Info(*app);
    Pack(*app);
    Ports(*app);
    CLI::App &check = Command(*app, TCliCommand::ccCheck, kOtherCommands,
                              "check a recipe and its inputs without a module; every mistake is named by its line");
    Arguments(check, {"RECIPE"});
    TrustedKey(check);
    SerialOptions(check);
    Log(*app);
    CLI::App &sign = Command(*app, TCliCommand::ccSign, kOtherCommands,
                             "sign FILE as minisign does, writing FILE.minisig (prehashed, with minisign's trusted "
                             "comment); a key protected by a password takes it as the first line of standard input");
    Arguments(sign, {"FILE"});
    Text(sign, "--key", "SECRET", O.SecretKey, "the minisign secret key file")
        ->check(NotEmpty("empty file name"))
        ->required()
        ->group(kCommandOwnGroup);
    Store(*app);
    // "morlith-cli help" is --help.
    Command(*app, TCliCommand::ccHelp, "", "");
    return app;
}

} // namespace

std::unique_ptr<CLI::App> DeclareCommandLine(TCliOptions &options, std::vector<std::string> &portLists,
                                             THelpPlatform platform)
{
    return TDeclaration(options, portLists, platform).Declare();
}

} // namespace morlith::cli
